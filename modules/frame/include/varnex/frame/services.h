#pragma once
// Services every module window carries: the status bar, version texts, the
// international setting, the currency symbol table, the top-level window list
// and the quick-link test, the database error dialog and the standard buttons.

#include <QDialog>
#include <QList>
#include <QRect>
#include <QString>

#include "varnex/linksection.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace varnex {
class TStatusBar;
}

namespace varnex::frame {

// Acts only on a status bar of exactly three panels: panel 0 gets the company
// number, "-" and its name, panel 1 the user's name, panel 2 the module's
// version, each after the text the panel was designed with.
void FillStatusBar(TStatusBar* statusBar, const TLinkSection& record, const QString& moduleVersion);

// The version of the library file that holds `addressInModule` (pass the
// address of a function of the module), four parts.
QString ModuleVersionText(const void* addressInModule);
// The file's version, `parts` parts (0 or more than 4 counts as 4).
QString FileVersionText(const QString& fileName, int parts);

// "Intl" of section "Settings", default "N".
QString ReadIntlSetting();
// "Y" or "y": the company is outside Canada.
bool IsInternational();

// Entries 0..4: the symbols of currencies 0 (home) to 4; entry 5: the
// alignment code. Changes the process-wide currency string and formats.
class CurrencySymbolTable {
public:
    void LoadCurrencySymbols(const QString& sign1, const QString& sign2, const QString& sign3, const QString& sign4);
    // -1: no symbol at all; 0..4: that currency's symbol. Numbers outside the
    // range keep the current display (a corrupt account must not crash a window).
    void SetCurrencyDisplay(int currency);
    QString entry(int index) const { return index >= 0 && index < 6 ? m_entries[index] : QString(); }

private:
    void applyAlignment();
    QString m_entries[6];
};

struct TWindowObject {
    const QWidget* Handle = nullptr;
    QString Caption;
    quint32 ThreadId = 0;
    bool Visible = false;
    bool Enabled = false;
    bool Iconic = false;
    QRect Rect; // screen coordinates
};

// The application's top-level windows, filled at construction.
class TWindowList {
public:
    TWindowList();
    void Refresh();
    int Count() const { return static_cast<int>(m_windows.size()); }
    TWindowObject Get(int index) const;

private:
    QList<TWindowObject> m_windows;
};

// True when a visible top-level window is captioned exactly "Quick Link" or "Lien Rapide".
bool QuickLinkOpen();

// The database error dialog.
class TErrorForm : public QDialog {
    Q_OBJECT
public:
    explicit TErrorForm(QWidget* parent = nullptr);
    // Fills the three boxes and shows the dialog modally.
    void ShowError(const QString& category, const QString& code, const QString& message);
    // Fills the boxes without showing (tests, and callers that show it themselves).
    void SetError(const QString& category, const QString& code, const QString& message);

    QLineEdit* ErrCat;
    QLineEdit* ErrCode;
    QPlainTextEdit* ErrMess;
    QPushButton* CloseBtn;
    QToolButton* PrintBtn;

private:
    void PrintBtnClick();
};

// The standard buttons of a module window.
bool PrintScreen(QWidget* window);
// "mailto:" followed by the address (alone when the address is empty).
void EmailTo(const QString& address);
// The topic of a help context in the application's help folder.
void ShowHelpContext(int context);

} // namespace varnex::frame
