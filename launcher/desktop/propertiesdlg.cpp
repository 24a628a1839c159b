#include "propertiesdlg.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

#include "desktop_rules.h"

namespace varnex::launcher::desktop {

PictureChooser SystemPictureChooser()
{
    return [](QWidget* parent, const QString& folder, const QString& filter) {
        return QFileDialog::getOpenFileName(parent, QString(), folder, filter);
    };
}

TPropertiesDlg::TPropertiesDlg(QWidget* parent, PictureChooser chooser)
    : QDialog(parent)
    , m_chooser(std::move(chooser))
{
    setObjectName(QStringLiteral("PropertiesDlg"));
    setWindowTitle(QStringLiteral("Properties"));
    setModal(true);
    auto* grid = new QGridLayout(this);
    auto named = [this](auto* widget, const char* name) {
        widget->setObjectName(QLatin1String(name));
        return widget;
    };
    Image = named(new QLabel(this), "Image");
    Image->setFixedSize(96, 96);
    Image->setAlignment(Qt::AlignCenter);
    CaptionLabel = named(new QLabel(QStringLiteral("Caption:"), this), "CaptionLabel");
    NewCaption = named(new QLineEdit(this), "NewCaption");
    OptionLabel = named(new QLabel(QStringLiteral("Option:"), this), "OptionLabel");
    DllLabel = named(new QLabel(this), "DllLabel");
    ChangeIcon = named(new QPushButton(QStringLiteral("Change icon..."), this), "ChangeIcon");
    OKBtn = named(new QPushButton(QStringLiteral("OK"), this), "OKBtn");
    CancelBtn = named(new QPushButton(QStringLiteral("Cancel"), this), "CancelBtn");
    PictureFilter = named(new QLabel(QStringLiteral("Bitmap image|*.bmp|Jpeg image|*.jpg"), this), "PictureFilter");
    PictureFilter->hide();
    OKBtn->setDefault(true);

    grid->addWidget(Image, 0, 0, 3, 1);
    grid->addWidget(CaptionLabel, 0, 1);
    grid->addWidget(NewCaption, 0, 2);
    grid->addWidget(OptionLabel, 1, 1);
    grid->addWidget(DllLabel, 1, 2);
    grid->addWidget(ChangeIcon, 2, 1, 1, 2);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(OKBtn);
    row->addWidget(CancelBtn);
    grid->addLayout(row, 3, 0, 1, 3);

    connect(ChangeIcon, &QPushButton::clicked, this, [this] { ChangeIconClick(); });
    connect(OKBtn, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { done(QDialog::Rejected); });
}

void TPropertiesDlg::setPicture(const QImage& picture)
{
    Image->setPixmap(picture.isNull() ? QPixmap() : QPixmap::fromImage(picture));
}

void TPropertiesDlg::clearNewPicture()
{
    m_newPicture = false;
    m_pictureFile.clear();
}

void TPropertiesDlg::ChangeIconClick()
{
    clearNewPicture();
    const QString file = m_chooser ? m_chooser(this, m_programFolder, QtFileFilter(PictureFilter->text())) : QString();
    if (file.isEmpty())
        return;
    m_pictureFile = file;
    m_newPicture = true;
    setPicture(QImage(file));
}

} // namespace varnex::launcher::desktop
