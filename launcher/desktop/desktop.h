#pragma once
// The user's desktop on the launcher's main window: the wallpaper, the six
// list boxes, the list and shortcut icons, their popup menus, and the stored
// layout of each user (Desktop in the data root). It joins the main window
// through its hooks: built after login, saved at exit when it changed.

#include <QObject>
#include <QPoint>
#include <QPointer>

#include <array>
#include <memory>

#include "desktop_lists.h"
#include "desktop_store.h"
#include "propertiesdlg.h"

class QMenu;
class QTextEdit;
class QLabel;

namespace varnex {
class TTransparentButton;
class TWallpaper;
} // namespace varnex

namespace varnex::launcher {
class TLogoAppForm;
class TShortcutDlg;
} // namespace varnex::launcher

namespace varnex::launcher::desktop {

struct DesktopEnvironment {
    PictureChooser choosePicture; // empty: the system's file dialog
};

class TDesktop : public QObject {
    Q_OBJECT
public:
    // Builds the design-time desktop on the form (every list hidden, no
    // icons) and installs the form's desktop hooks. Owned by the form.
    explicit TDesktop(TLogoAppForm& form, DesktopEnvironment environment = {});
    ~TDesktop() override;

    // The stored desktop of the current user; a user without rows keeps the
    // design-time desktop. A damaged row: a message and the design-time
    // desktop, and the stored rows are left as they are.
    void Set_Desktop();
    // Replaces the current user's stored rows by the components on screen.
    void Save_Desktop();
    // What Save_Desktop would store, in the main window's component order.
    QList<DesktopRow> CaptureDesktop() const;

    // ---- lists ----
    // The list toggles (also each list's Close button). Nothing happens when
    // the user may not run the list's display option.
    void ToggleList(int listIndex);
    void ClientBtnDblClick() { ToggleList(0); }
    void SupplierBtnDblClick() { ToggleList(1); }
    void AccountsBtnDblClick() { ToggleList(2); }
    void EmployeeBtnDblClick() { ToggleList(3); }
    void ToDoListBtnDblClick() { ToggleList(kThingsToDo); }
    void ProductBtnDblClick() { ToggleList(5); }
    void ReduceClick(int listIndex);
    void EnlargeClick(int listIndex);
    void Enlarge2Click() { EnlargeClick(kThingsToDo); }
    void Reduce2Click() { ReduceClick(kThingsToDo); }
    // Raises the list above the others (a click in it, or the focus entering it).
    void BringToFront(int listIndex);
    // Dragging a box by its frame.
    void ClientListMouseDown(TDesktopListBox* box, Qt::MouseButton button, const QPoint& at);
    void ClientListMouseMove(TDesktopListBox* box, const QPoint& at);
    void ClientListMouseUp(TDesktopListBox* box);
    // Another company was chosen: the open lists show its rows.
    void CompanyChanged();
    // Logout: no list keeps reading the company that was left.
    void CloseListTables();
    // Insert in a list grid runs the list's maintenance option.
    void DBGrid1KeyDown(int listIndex, int key);

    // ---- icons and the popup menus ----
    void Shortcut1Click();
    void DeleteShortCutClick(QObject* component);
    void Properties1Click(QObject* component);
    void Changeproperties1Click();
    void ExecuteIconOption(QObject* icon);
    void ClientBtnMouseMove(QObject* icon);
    // An icon's popup menu and handlers: the list toggle for a list icon,
    // the option of its name for a shortcut.
    void prepareIcon(TTransparentButton* icon);

    // ---- for the tests and the screenshots ----
    TDesktopListBox* listBox(int listIndex) const { return m_boxes[static_cast<size_t>(listIndex)]; }
    QList<TTransparentButton*> icons() const;
    const ListTables& tables() const { return m_tables; }
    QMenu* desktopPopup() const { return m_popup; }
    QMenu* thingsToDoPopup() const { return m_notesPopup; }
    TPropertiesDlg* propertiesDialog() const { return m_properties; }
    QTextEdit* notes() const { return m_notes; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildDesign();
    void registerClasses();
    void installHooks();
    bool showList(int listIndex, bool show);
    bool optionAllowed(const QString& option) const;
    QString validate(const QList<DesktopRow>& rows) const;
    void applyRows(const QList<DesktopRow>& rows);
    void removeIcons();
    void translateProperties();
    void translateOwnComponents();
    QString userCode() const;
    QString dataRoot() const;
    QString programFolder() const;
    QString messageLine(int line) const;
    int runDialog(QDialog& dialog);
    void changed();

    TLogoAppForm& m_form;
    DesktopEnvironment m_env;
    TWallpaper* m_wallpaper = nullptr;
    std::array<TDesktopListBox*, kListCount> m_boxes{};
    std::array<TDesktopGrid*, kGridCount> m_grids{};
    QTextEdit* m_notes = nullptr;
    QMenu* m_popup = nullptr;
    QMenu* m_notesPopup = nullptr;
    QLabel* m_pictureFilter = nullptr;
    TPropertiesDlg* m_properties = nullptr;
    ListTables m_tables;

    bool m_restoring = false;
    QPointer<TDesktopListBox> m_dragging;
    QPoint m_pressAt;
};

} // namespace varnex::launcher::desktop
