#include "varnex/frame/services.h"

#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidget>

#include <dlfcn.h>

#include "varnex/regional.h"
#include "varnex/settings.h"
#include "varnex/shell.h"
#include "varnex/statusbar.h"
#include "varnex/version.h"

namespace varnex::frame {

void FillStatusBar(TStatusBar* statusBar, const TLinkSection& record, const QString& moduleVersion)
{
    if (statusBar == nullptr || statusBar->panelCount() != 3)
        return;
    statusBar->setPanelText(0, statusBar->panelText(0) + LinkText(record.Link_company) + QLatin1Char('-')
                                   + LinkText(record.Link_company_name));
    statusBar->setPanelText(1, statusBar->panelText(1) + LinkText(record.Link_user_name));
    statusBar->setPanelText(2, statusBar->panelText(2) + moduleVersion);
}

QString ModuleVersionText(const void* addressInModule)
{
    Dl_info info{};
    if (addressInModule == nullptr || dladdr(addressInModule, &info) == 0 || info.dli_fname == nullptr)
        return QString();
    return varnex::FileVersionText(QString::fromLocal8Bit(info.dli_fname), 4);
}

QString FileVersionText(const QString& fileName, int parts)
{
    return varnex::FileVersionText(fileName, parts);
}

QString ReadIntlSetting()
{
    return SettingsStore::machine().value(QStringLiteral("Settings"), QStringLiteral("Intl"), QStringLiteral("N"));
}

bool IsInternational()
{
    const QString intl = ReadIntlSetting();
    return intl == QLatin1String("Y") || intl == QLatin1String("y");
}

void CurrencySymbolTable::LoadCurrencySymbols(const QString& sign1, const QString& sign2, const QString& sign3,
                                              const QString& sign4)
{
    const SettingsStore store = SettingsStore::machine();
    m_entries[0] = store.value(QStringLiteral("Settings"), QStringLiteral("CurrSmbl"), QStringLiteral("$"));
    Regional().currencyString = m_entries[0];
    m_entries[5] = store.value(QStringLiteral("Settings"), QStringLiteral("CurrAlign"), QStringLiteral("L"));
    applyAlignment();
    m_entries[1] = sign1;
    m_entries[2] = sign2;
    m_entries[3] = sign3;
    m_entries[4] = sign4;
}

void CurrencySymbolTable::SetCurrencyDisplay(int currency)
{
    if (currency == -1) {
        Regional().currencyString.clear();
        Regional().currencyFormat = 1;
        Regional().negativeCurrencyFormat = 4;
        return;
    }
    if (currency < 0 || currency > 4)
        return;
    Regional().currencyString = m_entries[currency];
    applyAlignment();
}

void CurrencySymbolTable::applyAlignment()
{
    if (m_entries[5] == QLatin1String("l") || m_entries[5] == QLatin1String("L")) {
        Regional().currencyFormat = 0;
        Regional().negativeCurrencyFormat = 0;
    } else {
        Regional().currencyFormat = 1;
        Regional().negativeCurrencyFormat = 4;
    }
}

TWindowList::TWindowList()
{
    Refresh();
}

void TWindowList::Refresh()
{
    m_windows.clear();
    const auto windows = QApplication::topLevelWidgets();
    for (const QWidget* w : windows) {
        TWindowObject o;
        o.Handle = w;
        o.Caption = w->windowTitle().left(255);
        o.ThreadId = static_cast<quint32>(reinterpret_cast<quintptr>(w->thread()));
        o.Visible = w->isVisible();
        o.Enabled = w->isEnabled();
        o.Iconic = w->isMinimized();
        o.Rect = w->frameGeometry();
        m_windows << o;
    }
}

TWindowObject TWindowList::Get(int index) const
{
    return index >= 0 && index < m_windows.size() ? m_windows[index] : TWindowObject();
}

bool QuickLinkOpen()
{
    const TWindowList list;
    for (int i = 0; i < list.Count(); ++i) {
        const TWindowObject w = list.Get(i);
        if (w.Visible && (w.Caption == QLatin1String("Quick Link") || w.Caption == QLatin1String("Lien Rapide")))
            return true;
    }
    return false;
}

TErrorForm::TErrorForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("ErrorForm"));
    setWindowTitle(QStringLiteral("Error"));
    auto* title = new QLabel(QStringLiteral("ERROR"), this);
    title->setObjectName(QStringLiteral("Label1"));
    QFont bold = title->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 4);
    title->setFont(bold);

    ErrMess = new QPlainTextEdit(this);
    ErrMess->setObjectName(QStringLiteral("ErrMess"));
    ErrMess->setReadOnly(true);
    ErrMess->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ErrCat = new QLineEdit(this);
    ErrCat->setObjectName(QStringLiteral("ErrCat"));
    ErrCat->setReadOnly(true);
    ErrCode = new QLineEdit(this);
    ErrCode->setObjectName(QStringLiteral("ErrCode"));
    ErrCode->setReadOnly(true);

    auto* messageLabel = new QLabel(QStringLiteral("Message: "), this);
    messageLabel->setObjectName(QStringLiteral("Label2"));
    auto* categoryLabel = new QLabel(QStringLiteral("Category: "), this);
    categoryLabel->setObjectName(QStringLiteral("Label3"));
    auto* codeLabel = new QLabel(QStringLiteral("Code: "), this);
    codeLabel->setObjectName(QStringLiteral("Label4"));
    auto* closing = new QLabel(QStringLiteral("Application must be closed."), this);
    closing->setObjectName(QStringLiteral("Label5"));

    CloseBtn = new QPushButton(QStringLiteral("Close"), this);
    CloseBtn->setObjectName(QStringLiteral("CloseBtn"));
    connect(CloseBtn, &QPushButton::clicked, this, &QDialog::accept);
    PrintBtn = new QToolButton(this);
    PrintBtn->setObjectName(QStringLiteral("PrintBtn"));
    PrintBtn->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    connect(PrintBtn, &QToolButton::clicked, this, &TErrorForm::PrintBtnClick);

    auto* form = new QFormLayout;
    form->addRow(messageLabel, ErrMess);
    form->addRow(categoryLabel, ErrCat);
    form->addRow(codeLabel, ErrCode);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(PrintBtn);
    buttons->addStretch();
    buttons->addWidget(CloseBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addLayout(form);
    layout->addWidget(closing);
    layout->addLayout(buttons);
    setFixedSize(420, 300);
}

void TErrorForm::SetError(const QString& category, const QString& code, const QString& message)
{
    ErrMess->setPlainText(message);
    ErrCat->setText(category);
    ErrCode->setText(code);
}

void TErrorForm::ShowError(const QString& category, const QString& code, const QString& message)
{
    SetError(category, code, message);
    if (const QScreen* screen = QApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    exec();
}

void TErrorForm::PrintBtnClick()
{
    PrintWindow(this);
}

bool PrintScreen(QWidget* window)
{
    return PrintWindow(window);
}

void EmailTo(const QString& address)
{
    Shell().openUrl(QUrl(QStringLiteral("mailto:") + address.trimmed()));
}

void ShowHelpContext(int context)
{
    Help().showContext(ApplicationHelpFolder(), context);
}

} // namespace varnex::frame
