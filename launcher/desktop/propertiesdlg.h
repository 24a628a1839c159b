#pragma once
// The icon properties dialog: the icon's picture, its caption and the option
// it runs; "Change icon..." picks another picture.

#include <QDialog>
#include <QImage>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace varnex::launcher::desktop {

// Asks the user for a picture file in `folder`; empty when none was chosen.
using PictureChooser = std::function<QString(QWidget* parent, const QString& folder, const QString& filter)>;
PictureChooser SystemPictureChooser();

class TPropertiesDlg : public QDialog {
    Q_OBJECT
public:
    TPropertiesDlg(QWidget* parent, PictureChooser chooser);

    QLabel* Image;
    QLabel* CaptionLabel;
    QLineEdit* NewCaption;
    QLabel* OptionLabel;
    QLabel* DllLabel;
    QPushButton* ChangeIcon;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    // The file filter of the picture dialog, as "name|pattern|name|pattern";
    // a hidden text so that it is translated with the dialog.
    QLabel* PictureFilter;

    void setPicture(const QImage& picture);
    void setProgramFolder(const QString& folder) { m_programFolder = folder; }
    void ChangeIconClick();

    // A new picture was chosen with "Change icon..." since it was last pressed.
    bool newPictureChosen() const { return m_newPicture; }
    const QString& pictureFile() const { return m_pictureFile; }
    void clearNewPicture();

private:
    PictureChooser m_chooser;
    QString m_programFolder;
    QString m_pictureFile;
    bool m_newPicture = false;
};

} // namespace varnex::launcher::desktop
