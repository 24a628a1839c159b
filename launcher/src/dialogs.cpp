#include "dialogs.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace varnex::launcher {

namespace {

QPushButton* addButton(QDialog* dialog, QHBoxLayout* row, const char* name, const QString& text, int result)
{
    auto* button = new QPushButton(text, dialog);
    button->setObjectName(QLatin1String(name));
    row->addWidget(button);
    QObject::connect(button, &QPushButton::clicked, dialog, [dialog, result] { dialog->done(result); });
    return button;
}

} // namespace

TPasswordDlg::TPasswordDlg(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("PasswordDlg"));
    setWindowTitle(QStringLiteral("Mot de passe"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("Entrez votre mot de passe :"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Password = new QLineEdit(this);
    Password->setObjectName(QStringLiteral("Password"));
    Password->setEchoMode(QLineEdit::Password);
    Password->setMaxLength(10);
    // Passwords are stored in upper case and the key search is exact.
    connect(Password, &QLineEdit::textEdited, this, [this](const QString& text) {
        const QString upper = text.toUpper();
        if (upper != text) {
            const int cursor = Password->cursorPosition();
            Password->setText(upper);
            Password->setCursorPosition(cursor);
        }
    });
    DesktopCheckBox = new QCheckBox(QStringLiteral("Use Standard Desktop"), this);
    DesktopCheckBox->setObjectName(QStringLiteral("DesktopCheckBox"));
    layout->addWidget(Label1);
    layout->addWidget(Password);
    layout->addWidget(DesktopCheckBox);
    auto* row = new QHBoxLayout;
    OKBtn = addButton(this, row, "OKBtn", QStringLiteral("OK"), mrOk);
    CancelBtn = addButton(this, row, "CancelBtn", QStringLiteral("Annuler"), mrCancel);
    OKBtn->setDefault(true);
    layout->addLayout(row);
}

void TPasswordDlg::showEvent(QShowEvent* event)
{
    Password->clear();
    Password->setFocus();
    QDialog::showEvent(event);
}

TCompPasswd_Frm::TCompPasswd_Frm(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CompPasswd_Frm"));
    setWindowTitle(QStringLiteral("Mot de passe de la compagnie"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("Cette compagnie est protégée. Entrez son mot de passe :"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Password = new QLineEdit(this);
    Password->setObjectName(QStringLiteral("Password"));
    Password->setEchoMode(QLineEdit::Password);
    Password->setMaxLength(10);
    layout->addWidget(Label1);
    layout->addWidget(Password);
    auto* row = new QHBoxLayout;
    OKBtn = addButton(this, row, "OKBtn", QStringLiteral("OK"), mrOk);
    CancelBtn = addButton(this, row, "CancelBtn", QStringLiteral("Annuler"), mrCancel);
    OKBtn->setDefault(true);
    layout->addLayout(row);
}

void TCompPasswd_Frm::showEvent(QShowEvent* event)
{
    Password->clear();
    Password->setFocus();
    QDialog::showEvent(event);
}

TShortcutDlg::TShortcutDlg(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ShortcutDlg"));
    setWindowTitle(QStringLiteral("Create Shortcut"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("Choose the option for the Shortcut"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    OptionNames = new QListWidget(this);
    OptionNames->setObjectName(QStringLiteral("OptionNames"));
    DllList = new QListWidget(this);
    DllList->setObjectName(QStringLiteral("DllList"));
    DllList->hide();
    layout->addWidget(Label1);
    layout->addWidget(OptionNames);
    layout->addWidget(DllList);
    auto* row = new QHBoxLayout;
    OKBtn = addButton(this, row, "OKBtn", QStringLiteral("OK"), QDialog::Accepted);
    CancelBtn = addButton(this, row, "CancelBtn", QStringLiteral("Annuler"), QDialog::Rejected);
    layout->addLayout(row);
}

} // namespace varnex::launcher
