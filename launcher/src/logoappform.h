#pragma once
// The launcher's main window: start-up from the settings, the session slot,
// login and rights, the main menu and the running of options.

#include <QLocale>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "option_rules.h"
#include "varnex/linksection.h"

class QAction;
class QMenu;
class QPlainTextEdit;

namespace varnex {
class SharedLibrary;
class TStatusBar;
class TWallpaper;
} // namespace varnex

namespace varnex::data {
class Table;
}

namespace varnex::launcher {

class TCompPasswd_Frm;
class TPasswordDlg;
class TShortcutDlg;
class TUserSecurityManager;

// The system's printers. The program asks the print system; tests give a list.
class PrinterSystem {
public:
    virtual ~PrinterSystem() = default;
    virtual QStringList printerNames() = 0;
    virtual int currentPrinter() = 0; // index, -1 when there is none
    virtual void selectPrinter(int index) = 0;
};
std::unique_ptr<PrinterSystem> CreateSystemPrinters();

// The moments at which other parts of the desktop join the start-up and the
// exit. Each is optional; the main window calls them at the moments of the
// start-up sequence named beside them.
struct LauncherHooks {
    // First start, after the company has been created: the company default
    // information wizard, given the folder of company 1.
    std::function<void(const QString& companyFolder)> runCompanyWizard;
    // After login, unless "Use Standard Desktop" was ticked.
    std::function<void()> buildDesktop;
    // At exit when the desktop changed and the window closes normally.
    std::function<void()> saveDesktop;
    // Payroll or job cost installed but not set up for this user: the set-up
    // notice ("payroll" or "jobcost").
    std::function<void(const QString& which)> showSetupNotice;
    // "ShowWelcome" is "Y": the welcome window, given the record and the
    // settings section under which it keeps its own "ShowWelcome".
    std::function<void(const TLinkSection& record, const QString& section)> showWelcome;
    // Options, Desktop: "Changer les propriétés" (the wallpaper) and
    // "Ajouter un raccourci" (a new shortcut icon).
    std::function<void()> changeDesktopProperties;
    std::function<void()> addShortcut;
    // Options, Company: another company was chosen ("menudata" points at it).
    std::function<void()> companyChanged;
    // Logout: the desktop lists give up the company's tables before
    // "menudata" is disconnected.
    std::function<void()> loggedOut;
    std::function<void()> showContactUs;
    std::function<void()> showAbout;
};

struct LauncherEnvironment {
    std::shared_ptr<PrinterSystem> printers; // null: the system's
    // Runs a modal dialog and returns its result. Tests answer here instead
    // of waiting on a real window.
    std::function<int(QDialog& dialog)> runDialog;
    LauncherHooks hooks;
};

// The installation settings of section "Lgx" and "intl" of "Settings".
struct LauncherSettings {
    QString customer;
    QString language = QStringLiteral("1");
    QString pgmdrive;
    QString datadrive;
    QString payroll = QStringLiteral("n");
    QString payrollCCQ = QStringLiteral("n");
    QString DisplayPW = QStringLiteral("N");
    QString JobCost = QStringLiteral("n");
    QString tracker = QStringLiteral("n");
    QString Form = QStringLiteral("520,20,36,750,N");
    QString ShowWelcome = QStringLiteral("Y");
    QString intl = QStringLiteral("N");
};
LauncherSettings ReadLauncherSettings();

// Ledger menus in the main menu's order, with their Tag and the index of
// their first group submenu.
struct LedgerMenuInfo {
    const char* name; // objectName of the menu
    int tag;
    int firstGroup;
};
const std::array<LedgerMenuInfo, 10>& LedgerMenus();

class TLogoAppForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TLogoAppForm(LauncherEnvironment environment = {}, QWidget* parent = nullptr);
    ~TLogoAppForm() override;

    // ---- start-up and exit ----
    void FormCreate();
    void FormShow();
    // Does its work once: while the session table is still closed.
    void FormActivate();
    void Set_up_link();
    void Exit_app();
    void Quit1Click();
    void ExitApp();
    void Logout();

    // ---- options ----
    void ExecuteOption(QAction* item);
    void RunOption(const QString& name);
    // Maps the option to its library and sets `Link_context` for the report
    // options. Returns the file name with the library extension.
    QString LibraryForOption(const QString& name);
    std::unique_ptr<SharedLibrary> LoadOptionLibrary(const QString& name);
    void AfterOption(std::unique_ptr<SharedLibrary> library, const QString& name);
    bool PayrollFilesReady();
    bool JobCostFilesReady();
    void RunToolsMaintenance();
    void FillOptionLists(bool enabledOnly);
    void GetMenuInfo(QMenu* menu, int first, bool enabledOnly, int last);
    void Load_applications();
    void ExecuteExe(QAction* item);
    void Load_database_menu();
    void trknewbase_table();
    void OpendataClick(QAction* item);
    void CompanyClick(QAction* item);
    void PrinterClick(QAction* item);
    void HelpClick();
    void BuildLanguageMenu();

    // ---- languages and regional formats ----
    // A language chosen from Options, Language: the main window, the contact
    // window and the about box take it, with everything built from their texts.
    void English1Click(QAction* item);
    void ChgLang_applications();
    // The six cheque entries in international wording ("intl" "Y", not French).
    void Internationalize();
    // The date format and currency of the settings, for the launcher and
    // everything it runs.
    void LoadRegionalSettings();

    // ---- login and rights ----
    // True when a user is logged in (or none needed to be asked).
    bool Login();
    void MarkMenus();

    // ---- what the desktop and the tests read ----
    // Components are found by their object names; the state is read here.
    const LinkRecord& linkSection() const { return LinkSection; }
    const LauncherSettings& settings() const { return Settings; }
    bool desktopChanged() const { return DesktopChanged; }
    // Every change of the desktop calls this, so that the layout is saved at exit.
    void markDesktopChanged() { DesktopChanged = true; }
    // Parts of the desktop install their hooks here and run their dialogs
    // through it, as the window's own dialogs are run.
    LauncherEnvironment& environment() { return m_env; }
    bool saveOnExit() const { return SaveOnExit; }
    bool closedWithoutUser() const { return ClosedWithoutUser; }
    const QString& startupError() const { return StartupError; }
    const QString& selectedTrackerBase() const { return SelectedTrackerBase; }
    const QStringList& companyList() const { return CompanyList; }
    QMenu* ledgerMenu(int tag) const;
    QString messageLine(int line) const;

signals:
    // The first activation has ended (logged in and set up, or closed).
    void firstActivationDone();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // One call of an option library's entry point; the Tools maintenance
    // passes the option lists as well as the record.
    using EntryCall = std::function<std::int32_t(void* entry)>;

    void buildDesign();
    void buildLedgerMenus();
    QMenu* addMenu(QWidget* parent, const char* name, const QString& caption);
    void translateWindow(QWidget* window);
    void applyPlacement(bool centred);
    void fillPrinterMenu();
    void setPrinterCheck(int index);
    void rebuildCompanyMenu();
    void resetCaption();
    void applyIntl();
    QLocale languageLocale() const;
    void setToolsEntryTexts(QAction* item, bool french);
    void closeWithoutUser(const QString& message);
    void fillOptionListsAtLogin();
    void fillOptionLists(bool enabledOnly, std::initializer_list<int> ledgers, bool (*installed)(const QString& value));
    bool runOptionLibrary(const QString& name, const QString& failureText, const EntryCall& call);
    bool companyFilesReady(const QString& table, int line);
    bool optionEnabled(const QString& name) const;
    QString datedCaption() const;
    PrinterSystem& printers() { return *m_env.printers; }
    int showDialog(QDialog& dialog);
    QString dataRoot() const;
    QString programFolder() const;
    QString companyFolder() const;

    // The first activation, step by step.
    void activateSession();
    bool openSystemFolder();
    bool claimSessionSlot();
    void openCompanies();
    void openUserTables();
    void applyUserLanguage();
    void selectUserPrinter();
    void setUpDesktop();
    void fillStatusBar();
    void showSetupNotices();

    LauncherEnvironment m_env;
    bool m_activating = false;
    bool m_closing = false;
    QStringList m_tablesToldMissing;
    bool m_languagesFolderToldMissing = false;

    LinkRecord LinkSection;
    LauncherSettings Settings;
    bool DesktopChanged = false;
    bool SaveOnExit = true;
    QString SelectedTrackerBase;
    QStringList CompanyList; // company numbers, parallel to Options, Company
    QStringList TrackerList; // tracker accounts, parallel to the open-database submenu
    bool ClosedWithoutUser = false;
    QString StartupError; // the last error that stopped the first activation

    QPlainTextEdit* Error_Messages = nullptr;
    TStatusBar* StatusBar1 = nullptr;
    TWallpaper* Wallpaper1 = nullptr;
    TUserSecurityManager* UserSecurityManager1 = nullptr;
    TPasswordDlg* PasswordDlg = nullptr;
    TCompPasswd_Frm* CompPasswd_Frm = nullptr;
    TShortcutDlg* ShortcutDlg = nullptr;
    QMenu* OptionsMenu = nullptr;
    QMenu* CompanyMenu = nullptr;
    QMenu* PrinterMenu = nullptr;
    QMenu* LanguageMenu = nullptr;
    QMenu* DesktopMenu = nullptr;
    QMenu* ToolsMenu = nullptr;
    QMenu* HelpMenu = nullptr;
    QMenu* OpenDatabase = nullptr;
    QAction* Quit1 = nullptr;

    // Tables of the system folder (read through "menumydb" or by folder) and
    // of the company folder ("menudata").
    data::Table* comp = nullptr;
    data::Table* session = nullptr;
    data::Table* apps = nullptr;
    data::Table* ctrl = nullptr;
    data::Table* user = nullptr;
    data::Table* Desktop = nullptr;
    data::Table* Languages = nullptr;
};

} // namespace varnex::launcher
