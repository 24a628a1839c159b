#include "logoappform.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrinterInfo>
#include <QScopeGuard>
#include <QScreen>
#include <QLineEdit>
#include <QCheckBox>

#include <array>
#include <map>
#include <vector>

#include "dialogs.h"
#include "usersecurity.h"
#include "varnex/application.h"
#include "varnex/controls/wallpaper.h"
#include "varnex/data/company.h"
#include "varnex/data/database.h"
#include "varnex/data/engine_error.h"
#include "varnex/data/options.h"
#include "varnex/data/schema.h"
#include "varnex/data/table.h"
#include "varnex/library.h"
#include "varnex/messages.h"
#include "varnex/paths.h"
#include "varnex/regional.h"
#include "varnex/settings.h"
#include "varnex/shell.h"
#include "varnex/statusbar.h"
#include "varnex/translation/message_lines.h"
#include "varnex/translation/translate.h"
#include "varnex/version.h"

namespace varnex::launcher {

namespace lines = translation::launcher_lines;
using ShowDllFormFunction = std::int32_t (*)(TLinkSection);
using ToolsMaintenanceFunction = std::int32_t (*)(TLinkSection, QListWidget*, QListWidget*);

namespace {

const QString kAccessDenied = QStringLiteral("Access denied...");
const QString kMenuDataAlias = QStringLiteral("menudata");
const QString kSystemAlias = QStringLiteral("menumydb");

class QtPrinters : public PrinterSystem {
public:
    QtPrinters()
    {
        m_names = QPrinterInfo::availablePrinterNames();
        m_current = static_cast<int>(m_names.indexOf(QPrinterInfo::defaultPrinterName()));
    }
    QStringList printerNames() override { return m_names; }
    int currentPrinter() override { return m_current; }
    // Printing dialogs of the modules start from the printer chosen here.
    void selectPrinter(int index) override
    {
        if (index >= 0 && index < m_names.size())
            m_current = index;
    }

private:
    QStringList m_names;
    int m_current = -1;
};

struct LedgerLayout {
    const char* prefix;  // of the group submenus' names
    const char* caption; // design caption
    std::vector<const char*> favourites;
};

// Favourites are the options used most often in each ledger; they sit above
// the group submenus and fix where the first group starts.
const LedgerLayout& layoutOf(int tag)
{
    static const std::map<int, LedgerLayout> layouts = {
        {0, {"GL", "Grand livre", {"acctmaint", "gljrnent", "acctview"}}},
        {1, {"AR", "Comptes clients", {"climaint", "arsales", "clview"}}},
        {2, {"AP", "Comptes fournisseurs", {"supmaint", "purchent", "supview"}}},
        {3, {"FA", "Facturation", {"faentry", "faservice", "faview", "fastatview", "faregister", "falist"}}},
        {4, {"SYS", "Système", {}}},
        {7, {"PA", "Paie", {"empmaint", "paentry", "empview", "paregister", "pachqprint"}}},
        {5, {"IV", "Inventaire", {"prodmaint", "ivadjust", "prodview"}}},
        {6, {"CF", "Bons d'achats", {"cfentry", "stockrcv", "cfview"}}},
        {8, {"TRK", "Suivi des dossiers", {"trkentry", "trkview"}}},
        {9, {"JC", "Job cost", {"jcentry"}}},
    };
    return layouts.at(tag);
}

QString plainCaption(const QAction* action)
{
    QString text = action->text();
    text.remove(QLatin1Char('&'));
    return text;
}

// Texts shown when the language tables are not there; the tables replace them.
const char* const kDefaultMessageLines[] = {
    "The picture cannot be loaded.",
    "A shortcut to this option already exists.",
    "",
    " (General ledger)",
    " (Accounts receivable)",
    " (Accounts payable)",
    " (Invoicing)",
    " (System)",
    " (Inventory)",
    " (Purchase orders)",
    " (Payroll)",
    " (Tracker)",
    " (Job cost)",
    "No tracker database is selected.",
    "The payroll option cannot be started: a library it needs is missing.",
    "The payroll files of this company have not been created.",
    "Primora/Lgx -",
    "",
    "",
    "The job cost files of this company have not been created.",
    "You are not allowed to use this option.",
    "The data folder \"%1\" is not set up (it has no session table). Check \"datadrive\" in the settings, or create "
    "it with \"lgxadmin init\".",
    "All sessions are in use: the program is already running on the allowed number of workstations. Close it on "
    "another workstation and try again.",
    "The language table \"%1\" cannot be read: the windows keep the texts they have.",
    "Edit check entries",
    "Recurring check entries",
    "List of checks to be issued",
    "List of recurring checks",
    "Print and update checks",
    "Maintenance of check format",
    "The stored desktop cannot be read (row %1); the standard desktop is shown.",
    "The option \"%1\" names a library outside the program folder: it is refused and nothing was loaded.",
    "The languages folder \"%1\" is missing: the windows keep the texts they have.",
};

} // namespace

std::unique_ptr<PrinterSystem> CreateSystemPrinters()
{
    return std::make_unique<QtPrinters>();
}

const std::array<LedgerMenuInfo, 10>& LedgerMenus()
{
    static const std::array<LedgerMenuInfo, 10> menus = {{
        {"GLMenu", 0, 4},
        {"ARMenu", 1, 4},
        {"APMenu", 2, 4},
        {"FAMenu", 3, 7},
        {"SYSMenu", 4, 0},
        {"PAMenu", 7, 6},
        {"IVMenu", 5, 4},
        {"CFMenu", 6, 4},
        {"TRKMenu", 8, 3},
        {"JCMenu", 9, 2},
    }};
    return menus;
}

LauncherSettings ReadLauncherSettings()
{
    const SettingsStore store = SettingsStore::machine();
    store.ensureExists();
    const QString lgx = QStringLiteral("Lgx");
    LauncherSettings s;
    s.customer = store.value(lgx, QStringLiteral("customer"));
    s.language = store.value(lgx, QStringLiteral("language"), s.language);
    s.pgmdrive = store.value(lgx, QStringLiteral("pgmdrive"), DefaultProgramDrive());
    s.datadrive = store.value(lgx, QStringLiteral("datadrive"), DefaultDataDrive());
    s.payroll = store.value(lgx, QStringLiteral("payroll"), s.payroll);
    s.payrollCCQ = store.value(lgx, QStringLiteral("payrollCCQ"), s.payrollCCQ);
    s.DisplayPW = store.value(lgx, QStringLiteral("DisplayPW"), s.DisplayPW);
    s.JobCost = store.value(lgx, QStringLiteral("JobCost"), s.JobCost);
    s.tracker = store.value(lgx, QStringLiteral("tracker"), s.tracker);
    s.Form = store.value(lgx, QStringLiteral("Form"), s.Form);
    s.ShowWelcome = store.value(lgx, QStringLiteral("ShowWelcome"), s.ShowWelcome);
    s.intl = store.value(QStringLiteral("Settings"), QStringLiteral("intl"), s.intl);
    return s;
}

// ---------------------------------------------------------------------------

TLogoAppForm::TLogoAppForm(LauncherEnvironment environment, QWidget* parent)
    : QMainWindow(parent)
    , m_env(std::move(environment))
{
    if (!m_env.printers)
        m_env.printers = CreateSystemPrinters();
    if (!m_env.runDialog)
        m_env.runDialog = [](QDialog& dialog) { return dialog.exec(); };
    buildDesign();
    FormCreate();
}

TLogoAppForm::~TLogoAppForm()
{
    // The session row's lock goes with the table.
    for (data::Table* table : {session, comp, apps, ctrl, Desktop, user, Languages}) {
        if (table)
            table->close();
    }
}

QMenu* TLogoAppForm::addMenu(QWidget* parent, const char* name, const QString& caption)
{
    auto* menu = new QMenu(caption, parent);
    menu->setObjectName(QLatin1String(name));
    menu->menuAction()->setObjectName(QLatin1String(name) + QLatin1String("Action"));
    return menu;
}

void TLogoAppForm::buildDesign()
{
    setObjectName(QStringLiteral("LogoAppForm"));
    setWindowTitle(QStringLiteral("Primora/Lgx"));
    resize(750, 520);

    Wallpaper1 = new TWallpaper(this);
    Wallpaper1->setObjectName(QStringLiteral("Wallpaper1"));
    setCentralWidget(Wallpaper1);

    Error_Messages = new QPlainTextEdit(this);
    Error_Messages->setObjectName(QStringLiteral("Error_Messages"));
    Error_Messages->hide();
    QStringList defaults;
    for (const char* line : kDefaultMessageLines)
        defaults << QString::fromUtf8(line);
    Error_Messages->setPlainText(defaults.join(QLatin1Char('\n')));

    StatusBar1 = new TStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->addPanel(QString(), 200);
    StatusBar1->addPanel(QString(), 200);
    StatusBar1->addPanel(QString(), 0);
    StatusBar1->addPanel(QString(), 120);
    setStatusBar(StatusBar1);
    StatusBar1->hide();

    UserSecurityManager1 = new TUserSecurityManager(this);
    PasswordDlg = new TPasswordDlg(this);
    CompPasswd_Frm = new TCompPasswd_Frm(this);
    ShortcutDlg = new TShortcutDlg(this);

    auto makeTable = [this](const char* name) {
        auto* table = new data::Table(this);
        table->setObjectName(QLatin1String(name));
        return table;
    };
    comp = makeTable("comp");
    session = makeTable("session");
    apps = makeTable("apps");
    ctrl = makeTable("ctrl");
    user = makeTable("user");
    Desktop = makeTable("Desktop");
    Languages = makeTable("Languages");

    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    buildLedgerMenus();

    OptionsMenu = addMenu(bar, "OptionsMenu", QStringLiteral("Options"));
    CompanyMenu = addMenu(OptionsMenu, "CompanyMenu", QStringLiteral("Compagnie"));
    PrinterMenu = addMenu(OptionsMenu, "PrinterMenu", QStringLiteral("Imprimante"));
    LanguageMenu = addMenu(OptionsMenu, "LanguageMenu", QStringLiteral("Langue"));
    DesktopMenu = addMenu(OptionsMenu, "DesktopMenu", QStringLiteral("Bureau"));
    for (QMenu* sub : {CompanyMenu, PrinterMenu, LanguageMenu, DesktopMenu})
        OptionsMenu->addMenu(sub);
    auto* changeProperties = DesktopMenu->addAction(QStringLiteral("Changer les propriétés"));
    changeProperties->setObjectName(QStringLiteral("Changeproperties1"));
    auto* addShortcut = DesktopMenu->addAction(QStringLiteral("Ajouter un raccourci"));
    addShortcut->setObjectName(QStringLiteral("AddShortcut1"));
    connect(changeProperties, &QAction::triggered, this, [this] {
        if (m_env.hooks.changeDesktopProperties)
            m_env.hooks.changeDesktopProperties();
    });
    connect(addShortcut, &QAction::triggered, this, [this] {
        if (m_env.hooks.addShortcut)
            m_env.hooks.addShortcut();
    });
    bar->addMenu(OptionsMenu);

    ToolsMenu = addMenu(bar, "ToolsMenu", QStringLiteral("Outils"));
    bar->addMenu(ToolsMenu);

    HelpMenu = addMenu(bar, "HelpMenu", QStringLiteral("Aide"));
    auto* topics = HelpMenu->addAction(QStringLiteral("Rubriques d'aide"));
    topics->setObjectName(QStringLiteral("HelpTopics"));
    connect(topics, &QAction::triggered, this, [this] { HelpClick(); });
    auto* index = HelpMenu->addAction(QStringLiteral("Liste de A à Z"));
    index->setObjectName(QStringLiteral("HelpIndex"));
    connect(index, &QAction::triggered, this, [this] { HelpClick(); });
    HelpMenu->addSeparator();
    auto* contact = HelpMenu->addAction(QStringLiteral("Nous joindre"));
    contact->setObjectName(QStringLiteral("ContactUs1"));
    connect(contact, &QAction::triggered, this, [this] {
        if (m_env.hooks.showContactUs)
            m_env.hooks.showContactUs();
    });
    auto* about = HelpMenu->addAction(QStringLiteral("À propos"));
    about->setObjectName(QStringLiteral("About1"));
    connect(about, &QAction::triggered, this, [this] {
        if (m_env.hooks.showAbout)
            m_env.hooks.showAbout();
    });
    bar->addMenu(HelpMenu);

    // The hint of the item under the mouse goes to the status bar, as the
    // Tools entries' descriptions are meant to be read there.
    for (QMenu* menu : findChildren<QMenu*>()) {
        connect(menu, &QMenu::hovered, this,
                [this](QAction* item) { StatusBar1->setPanelText(2, item ? item->statusTip() : QString()); });
    }

    Quit1 = bar->addAction(QStringLiteral("Quitter"));
    Quit1->setObjectName(QStringLiteral("Quit1"));
    connect(Quit1, &QAction::triggered, this, [this] { Quit1Click(); });
}

void TLogoAppForm::buildLedgerMenus()
{
    QMenuBar* bar = menuBar();
    static const char* const groupNames[] = {"Edit", "Transactions", "Reports", "Procedures"};
    static const char* const groupCaptionsFr[] = {"Édition", "Transactions", "Rapports", "Procédures"};
    static const char* const groupCaptionsEn[] = {"Edit", "Transactions", "Reports", "Procedures"};
    const QList<data::MenuOption>& options = data::MenuOptions();

    for (const LedgerMenuInfo& info : LedgerMenus()) {
        const LedgerLayout& layout = layoutOf(info.tag);
        QMenu* menu = addMenu(bar, info.name, QString::fromUtf8(layout.caption));
        menu->setProperty("Tag", info.tag);
        bar->addMenu(menu);

        auto captionOf = [&](const QString& name) {
            const data::MenuOption* option = data::FindMenuOption(name);
            return option ? QString::fromUtf8(option->caption) : name;
        };
        for (const char* favourite : layout.favourites) {
            const QString name = QLatin1String(favourite);
            QAction* action = menu->addAction(captionOf(name));
            action->setObjectName(name + QLatin1Char('f'));
            action->setProperty("GroupIndex", 0);
            connect(action, &QAction::triggered, this, [this, action] { ExecuteOption(action); });
        }
        if (!layout.favourites.empty()) {
            QAction* separator = menu->addSeparator();
            separator->setObjectName(QLatin1String(info.name) + QLatin1String("Separator"));
            separator->setProperty("GroupIndex", 1);
        }
        for (int g = 0; g < 4; ++g) {
            const char* const* captions = info.tag == 9 ? groupCaptionsEn : groupCaptionsFr;
            QMenu* group = addMenu(menu, "", QString::fromUtf8(captions[g]));
            const QString groupName = QLatin1String(layout.prefix) + QLatin1String(groupNames[g]);
            group->setObjectName(groupName);
            group->menuAction()->setObjectName(groupName + QLatin1String("Action"));
            group->menuAction()->setProperty("GroupIndex", 1);
            group->setProperty("Tag", info.tag);
            menu->addMenu(group);
            for (const data::MenuOption& option : options) {
                if (option.ledger != info.tag || option.group != g)
                    continue;
                QAction* action = group->addAction(QString::fromUtf8(option.caption));
                action->setObjectName(QLatin1String(option.name));
                connect(action, &QAction::triggered, this, [this, action] { ExecuteOption(action); });
            }
        }
        if (info.tag == 8) {
            // Kept after the groups: the rights marking covers the four groups only.
            OpenDatabase = addMenu(menu, "OpenDatabase", QStringLiteral("Ouvrir base de données"));
            menu->addMenu(OpenDatabase);
            QAction* newBase = menu->addAction(QStringLiteral("Nouvelle base de données"));
            newBase->setObjectName(QStringLiteral("trknewbase"));
            connect(newBase, &QAction::triggered, this, [this, newBase] { ExecuteOption(newBase); });
        }
    }
}

QMenu* TLogoAppForm::ledgerMenu(int tag) const
{
    for (const LedgerMenuInfo& info : LedgerMenus()) {
        if (info.tag == tag)
            return findChild<QMenu*>(QLatin1String(info.name));
    }
    return nullptr;
}

QString TLogoAppForm::messageLine(int line) const
{
    return translation::MessageLine(Error_Messages, line);
}

QString TLogoAppForm::datedCaption() const
{
    return FormatDateTime(DatedCaptionPattern(messageLine(lines::WindowTitle)), QDateTime::currentDateTime(),
                          languageLocale());
}

int TLogoAppForm::showDialog(QDialog& dialog)
{
    return m_env.runDialog(dialog);
}

QString TLogoAppForm::dataRoot() const
{
    return LinkSection.text(&TLinkSection::Link_data_dir);
}

QString TLogoAppForm::programFolder() const
{
    return LinkSection.text(&TLinkSection::Link_pgm_dir);
}

QString TLogoAppForm::companyFolder() const
{
    return dataRoot() + LinkSection.text(&TLinkSection::Link_company);
}

void TLogoAppForm::translateWindow(QWidget* window)
{
    const QString code = LinkSection.langCode();
    if (code.isEmpty())
        return;
    const QString table = QStringLiteral("MainMenu") + code;
    try {
        translation::TranslateForm(window, table);
    } catch (const std::exception&) {
        // The window keeps its texts. Every window is translated from the
        // same table, so the user hears of a missing one once, in the texts
        // the message list has: English when no table could be read.
        if (m_tablesToldMissing.contains(table) || m_languagesFolderToldMissing)
            return;
        // Without the folder every table is missing: one message says so.
        const QString folder = translation::LanguagesFolder();
        if (!QFileInfo(folder).isDir()) {
            m_languagesFolderToldMissing = true;
            ShowErrorMessage(messageLine(lines::LanguagesFolderMissing).arg(folder), this);
            return;
        }
        m_tablesToldMissing << table;
        ShowErrorMessage(messageLine(lines::LanguageTableMissing).arg(table), this);
    }
}

void TLogoAppForm::applyIntl()
{
    Internationalize();
}

QLocale TLogoAppForm::languageLocale() const
{
    // Day and month names of the chosen language, as the system has them.
    const QString code = LinkSection.langCode();
    return code.isEmpty() ? QLocale() : QLocale(code);
}

void TLogoAppForm::Internationalize()
{
    if (LinkSection.raw().Link_language == 2 || !IsYesAnyCase(Settings.intl))
        return;
    // The entries are found by their place in the menus, as the settings of
    // every installation have always named them.
    struct Entry {
        int menu;    // in the menu bar
        int submenu; // in the ledger menu
        int item;
    };
    static const Entry entries[] = {{2, 5, 2}, {2, 5, 3}, {2, 6, 2}, {2, 6, 3}, {2, 7, 0}, {4, 0, 4}};
    const QList<QAction*> bar = menuBar()->actions();
    for (int i = 0; i < static_cast<int>(std::size(entries)); ++i) {
        const Entry& entry = entries[i];
        QMenu* ledger = bar.value(entry.menu) ? bar.value(entry.menu)->menu() : nullptr;
        QAction* groupAction = ledger ? ledger->actions().value(entry.submenu) : nullptr;
        QMenu* group = groupAction ? groupAction->menu() : nullptr;
        const QString caption = messageLine(lines::InternationalCaptionBase + i);
        QAction* item = group ? group->actions().value(entry.item) : nullptr;
        if (item && !caption.isEmpty())
            item->setText(caption);
    }
}

void TLogoAppForm::LoadRegionalSettings()
{
    varnex::LoadRegionalSettings();
}

// ---- start-up ---------------------------------------------------------------

void TLogoAppForm::FormCreate()
{
    if (QScreen* screen = QGuiApplication::primaryScreen(); screen && screen->geometry().width() == 640)
        setWindowState(windowState() | Qt::WindowMaximized);

    LinkSection.setText(&TLinkSection::Link_context, QString());

    Settings = ReadLauncherSettings();
    LinkSection.setText(&TLinkSection::Link_customer, Settings.customer);
    const StartLanguage language = ParseStartLanguage(Settings.language);
    if (!language.valid)
        ShowErrorMessage(QStringLiteral("The setting \"language\" (\"%1\") is not a number; English is used.")
                             .arg(Settings.language),
                         this);
    LinkSection.raw().Link_language = language.number;
    data::SetEngineMessageLanguage(language.number);
    if (!language.code.isEmpty())
        LinkSection.setLangCode(language.code);
    // The engine keeps its record locks beside each database, so no shared
    // control-file folder is set here.
    LinkSection.setText(&TLinkSection::Link_pgm_dir, ProgramFolderOf(Settings.pgmdrive));
    LinkSection.setText(&TLinkSection::Link_data_dir, DataRootOf(Settings.datadrive));
    applyIntl();

    const QImage wallpaper(programFolder() + QStringLiteral("/wallpaper.png"));
    if (!wallpaper.isNull())
        Wallpaper1->setWallpaper(wallpaper);

    ledgerMenu(8)->menuAction()->setVisible(IsYesAnyCase(Settings.tracker));
    const bool jobCost = IsYesAnyCase(Settings.JobCost);
    ledgerMenu(9)->menuAction()->setVisible(jobCost);
    if (QAction* holdbacks = findChild<QAction*>(QStringLiteral("arholdback")))
        holdbacks->setVisible(jobCost);

    translateWindow(this);
    fillPrinterMenu();
    applyPlacement(false);
}

void TLogoAppForm::fillPrinterMenu()
{
    PrinterMenu->clear();
    auto* group = new QActionGroup(PrinterMenu);
    const QStringList names = printers().printerNames();
    for (int i = 0; i < names.size(); ++i) {
        QAction* item = PrinterMenu->addAction(names[i]);
        item->setCheckable(true);
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, item] { PrinterClick(item); });
    }
    setPrinterCheck(printers().currentPrinter());
}

void TLogoAppForm::setPrinterCheck(int index)
{
    const QList<QAction*> items = PrinterMenu->actions();
    for (int i = 0; i < items.size(); ++i)
        items[i]->setChecked(i == index);
    LinkSection.setText(&TLinkSection::Link_printer, index >= 0 ? QString::number(index) : QString());
}

void TLogoAppForm::applyPlacement(bool centred)
{
    const WindowPlacement placement = ParseWindowPlacement(Settings.Form);
    resize(placement.width, placement.height);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (placement.useStoredPosition && !centred) {
        move(placement.left, placement.top);
    } else if (screen) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - placement.width) / 2, area.y() + (area.height() - placement.height) / 2);
    }
}

void TLogoAppForm::FormShow()
{
    applyPlacement(false);
}

void TLogoAppForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TLogoAppForm::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TLogoAppForm::closeWithoutUser(const QString& message)
{
    SaveOnExit = false;
    ClosedWithoutUser = true;
    if (!message.isEmpty())
        ShowErrorMessage(message, this);
    close();
}

bool TLogoAppForm::claimSessionSlot()
{
    session->first();
    while (!session->eof()) {
        try {
            session->edit();
            session->field(QStringLiteral("Session_lock")).setLogical(true);
            LinkSection.raw().Link_session =
                static_cast<std::int32_t>(session->field(QStringLiteral("Session_id")).asInteger());
            return true;
        } catch (const data::EngineError&) {
            // Another launcher holds this slot.
            session->next();
        }
    }
    return false;
}

void TLogoAppForm::FormActivate()
{
    if (m_activating || session->isOpen() || m_closing)
        return;
    m_activating = true;
    try {
        activateSession();
    } catch (const std::exception& error) {
        StartupError = QString::fromUtf8(error.what());
        closeWithoutUser(StartupError);
    }
    m_activating = false;
    emit firstActivationDone();
}

void TLogoAppForm::activateSession()
{
    if (!openSystemFolder())
        return;
    if (!claimSessionSlot()) {
        closeWithoutUser(messageLine(lines::NoFreeSession));
        return;
    }
    openCompanies();
    openUserTables();
    if (!Login()) {
        closeWithoutUser(QString());
        return;
    }
    UserSecurityManager1->Reload();
    applyUserLanguage();

    setWindowState(windowState() & ~Qt::WindowMinimized);
    StatusBar1->show();

    MarkMenus();
    Load_applications();
    PasswordDlg->Password->clear();

    Set_up_link();
    applyIntl();

    selectUserPrinter();
    setUpDesktop();
    fillStatusBar();
    resetCaption();

    if (IsYesAnyCase(Settings.tracker))
        Load_database_menu();
    showSetupNotices();
    if (IsExactlyYes(Settings.ShowWelcome) && m_env.hooks.showWelcome)
        m_env.hooks.showWelcome(LinkSection.value(), QStringLiteral("lgx"));
}

bool TLogoAppForm::openSystemFolder()
{
    // A data root that was never initialised would otherwise surface as a
    // bare "table not found" from the engine.
    if (!QFileInfo(dataRoot()).isDir()
        || !data::Database::forFolder(dataRoot())->tableExists(QStringLiteral("session"))) {
        closeWithoutUser(messageLine(lines::DataRootNotSetUp).arg(dataRoot()));
        return false;
    }
    data::DefineAlias(kSystemAlias, QStringLiteral("path=") + dataRoot());
    data::AliasDatabase(kSystemAlias);
    session->setAliasName(kSystemAlias);
    session->setTableName(QStringLiteral("session"));
    session->open();
    return true;
}

void TLogoAppForm::openCompanies()
{
    comp->setFolder(dataRoot());
    comp->setTableName(QStringLiteral("comp"));
    comp->setReadOnly(true);
    comp->open();
    if (!comp->isEmpty())
        return;
    // First start: the company is created before anyone logs in.
    RunOption(QStringLiteral("compcreate"));
    comp->refresh();
    if (m_env.hooks.runCompanyWizard)
        m_env.hooks.runCompanyWizard(dataRoot() + QLatin1Char('1'));
}

void TLogoAppForm::openUserTables()
{
    user->setFolder(dataRoot());
    user->setTableName(QStringLiteral("user"));
    user->setReadOnly(true);
    user->open();
    UserSecurityManager1->setDataSource(user);
    UserSecurityManager1->setBytesField(QStringLiteral("User_security"));
    Desktop->setFolder(dataRoot());
    Desktop->setTableName(QStringLiteral("Desktop"));
    Desktop->open();
    Languages->close();
    Languages->setFolder(dataRoot());
    Languages->setTableName(QStringLiteral("Languages"));
    Languages->open();
    translateWindow(PasswordDlg);
    BuildLanguageMenu();
}

void TLogoAppForm::applyUserLanguage()
{
    const bool hasUser = !user->isEmpty();
    if (hasUser)
        LinkSection.setText(&TLinkSection::Link_user, user->field(QStringLiteral("User_name")).asString());
    const int userLanguage = hasUser ? static_cast<int>(user->field(QStringLiteral("User_language")).asInteger()) : 0;
    if (userLanguage == 0)
        return;
    LinkSection.raw().Link_language = userLanguage;
    data::SetEngineMessageLanguage(userLanguage);
    QString code = QStringLiteral("en");
    if (Languages->findKey({userLanguage}))
        code = LanguageCodeOf(Languages->field(QStringLiteral("LangCode")).asString());
    LinkSection.setLangCode(code);
    if (QAction* item = findChild<QAction*>(QStringLiteral("MenuItem") + code))
        item->setChecked(true);
    for (QWidget* window : std::initializer_list<QWidget*>{this, PasswordDlg, CompPasswd_Frm, ShortcutDlg})
        translateWindow(window);
}

void TLogoAppForm::selectUserPrinter()
{
    const QString userPrinter = !user->isEmpty() ? user->field(QStringLiteral("User_printer")).asString() : QString();
    if (userPrinter.isEmpty())
        return;
    const QStringList names = printers().printerNames();
    for (int i = 0; i < names.size(); ++i) {
        if (names[i].compare(userPrinter, Qt::CaseInsensitive) == 0) {
            printers().selectPrinter(i);
            setPrinterCheck(i);
            return;
        }
    }
}

void TLogoAppForm::setUpDesktop()
{
    if (PasswordDlg->DesktopCheckBox->isChecked()) {
        // The standard desktop replaces the stored one at exit.
        DesktopChanged = true;
        return;
    }
    if (m_env.hooks.buildDesktop)
        m_env.hooks.buildDesktop();
    // Menus of ledgers that are not installed; the standard desktop keeps the design.
    const bool payroll = IsYesAnyCase(Settings.payroll);
    ledgerMenu(7)->menuAction()->setVisible(payroll);
    if (payroll && !IsExactlyYes(Settings.payrollCCQ)) {
        for (const char* name : {"pactrlmaint", "paytypemaint", "paunionmaint", "patrademaint", "paccqrpt"}) {
            if (QAction* item = findChild<QAction*>(QLatin1String(name)))
                item->setVisible(false);
        }
    }
    ledgerMenu(8)->menuAction()->setVisible(IsYesAnyCase(Settings.tracker));
}

void TLogoAppForm::fillStatusBar()
{
    StatusBar1->setPanelText(0, LinkSection.text(&TLinkSection::Link_company_name));
    const QStringList printerNames = printers().printerNames();
    const int printer = printers().currentPrinter();
    StatusBar1->setPanelText(1, printer >= 0 && printer < printerNames.size() ? printerNames[printer] : QString());
}

void TLogoAppForm::showSetupNotices()
{
    if (!m_env.hooks.showSetupNotice)
        return;
    auto missing = [this](const char* table) {
        try {
            return !data::Database::forFolder(companyFolder())->tableExists(QLatin1String(table));
        } catch (const data::EngineError&) {
            return true;
        }
    };
    if (IsYesAnyCase(Settings.payroll) && !optionEnabled(QStringLiteral("paentry")) && missing("pntrx"))
        m_env.hooks.showSetupNotice(QStringLiteral("payroll"));
    if (IsYesAnyCase(Settings.JobCost) && !optionEnabled(QStringLiteral("jcprojview")) && missing("jcctrl"))
        m_env.hooks.showSetupNotice(QStringLiteral("jobcost"));
}

bool TLogoAppForm::Login()
{
    const bool dialogNeeded = IsExactlyYes(Settings.DisplayPW) || user->recordCount() >= 2;
    if (!dialogNeeded) {
        user->first();
        return true;
    }
    for (;;) {
        const int result = showDialog(*PasswordDlg);
        if (result != mrOk)
            return false;
        const QString typed = PasswordDlg->Password->text().toUpper();
        if (!typed.isEmpty() && user->findKey({typed}))
            return true;
    }
}

void TLogoAppForm::MarkMenus()
{
    for (const LedgerMenuInfo& info : LedgerMenus()) {
        QMenu* menu = ledgerMenu(info.tag);
        UserSecurityManager1->MarkTMenu(menu, info.firstGroup, 0, info.firstGroup + 3, true);
        const QList<QAction*> entries = menu->actions();
        for (QAction* favourite : entries) {
            if (favourite->menu() || favourite->isSeparator() || favourite->property("GroupIndex") != QVariant(0))
                continue;
            for (QAction* entry : entries) {
                QMenu* group = entry->menu();
                if (!group)
                    continue;
                for (QAction* option : group->actions()) {
                    if (option->objectName() + QLatin1Char('f') == favourite->objectName())
                        favourite->setEnabled(option->isEnabled());
                }
            }
        }
    }
    // Creating a tracker database is a tracker right like the others: it is
    // open to a user who may run at least one tracker option.
    if (QAction* newBase = findChild<QAction*>(QStringLiteral("trknewbase"))) {
        bool anyTrackerRight = false;
        for (QAction* entry : ledgerMenu(8)->actions()) {
            if (QMenu* group = entry->menu(); group && group != OpenDatabase) {
                for (QAction* option : group->actions())
                    anyTrackerRight = anyTrackerRight || option->isEnabled();
            }
        }
        newBase->setEnabled(anyTrackerRight);
    }
    fillOptionListsAtLogin();
}

bool TLogoAppForm::optionEnabled(const QString& name) const
{
    for (const LedgerMenuInfo& info : LedgerMenus()) {
        for (QAction* entry : ledgerMenu(info.tag)->actions()) {
            if (QMenu* group = entry->menu()) {
                for (QAction* option : group->actions()) {
                    if (option->objectName() == name)
                        return option->isEnabled();
                }
            }
        }
    }
    return false;
}

void TLogoAppForm::Set_up_link()
{
    rebuildCompanyMenu();
    const bool hasUser = user->isOpen() && !user->isEmpty();
    LinkSection.setText(&TLinkSection::Link_user_name,
                        hasUser ? user->field(QStringLiteral("User_name")).asString() : QString());
    LinkSection.raw().Link_user_detail =
        hasUser ? static_cast<std::int32_t>(user->field(QStringLiteral("User_detail")).asInteger()) : 0;
    StatusBar1->setPanelText(3, QStringLiteral("Version ") + ProgramVersionText());

    const int company = hasUser ? static_cast<int>(user->field(QStringLiteral("User_company")).asInteger()) : 0;
    LinkSection.setText(&TLinkSection::Link_company, QString::number(company));
    LinkSection.raw().Link_language =
        hasUser ? static_cast<std::int32_t>(user->field(QStringLiteral("User_language")).asInteger()) : 0;
    data::SetEngineMessageLanguage(LinkSection.raw().Link_language);
    comp->first();
    while (!comp->eof()) {
        if (comp->field(QStringLiteral("Comp_Code")).asInteger() == company) {
            LinkSection.setText(&TLinkSection::Link_company_name, comp->field(QStringLiteral("Comp_Name")).asString());
            break;
        }
        comp->next();
    }

    data::DefineAlias(kMenuDataAlias, QStringLiteral("path=") + companyFolder());
    try {
        ctrl->close();
        ctrl->setAliasName(kMenuDataAlias);
        ctrl->setTableName(QStringLiteral("ctrl"));
        ctrl->open();
        ctrl->close();
    } catch (const std::exception& error) {
        // The user can still choose another company from Options, Company.
        ShowErrorMessage(QString::fromUtf8(error.what()), this);
    }

    const QList<QAction*> items = CompanyMenu->actions();
    const int position = static_cast<int>(CompanyList.indexOf(QString::number(company)));
    for (int i = 0; i < items.size(); ++i)
        items[i]->setChecked(i == position);
}

void TLogoAppForm::rebuildCompanyMenu()
{
    CompanyMenu->clear();
    CompanyList.clear();
    auto* group = new QActionGroup(CompanyMenu);
    comp->refresh();
    comp->first();
    while (!comp->eof()) {
        CompanyList << QString::number(comp->field(QStringLiteral("Comp_Code")).asInteger());
        QAction* item = CompanyMenu->addAction(comp->field(QStringLiteral("Comp_Name")).asString());
        item->setCheckable(true);
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, item] { CompanyClick(item); });
        comp->next();
    }
}

void TLogoAppForm::resetCaption()
{
    setWindowTitle(datedCaption());
}

// ---- exit ---------------------------------------------------------------------

void TLogoAppForm::closeEvent(QCloseEvent* event)
{
    if (!m_closing) {
        m_closing = true;
        Exit_app();
    }
    event->accept();
}

void TLogoAppForm::Exit_app()
{
    if (DesktopChanged && SaveOnExit && m_env.hooks.saveDesktop)
        m_env.hooks.saveDesktop();
    const QRect frame = (windowState() & Qt::WindowMaximized) ? normalGeometry() : geometry();
    Settings.Form = FormatWindowPlacement(frame.height(), frame.x(), frame.y(), frame.width());
    SettingsStore::machine().setValue(QStringLiteral("Lgx"), QStringLiteral("Form"), Settings.Form);
}

void TLogoAppForm::Quit1Click()
{
    SaveOnExit = true;
    close();
}

void TLogoAppForm::ExitApp()
{
    close();
}

void TLogoAppForm::Logout()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    menuBar()->show();
    StatusBar1->hide();
    if (m_env.hooks.loggedOut)
        m_env.hooks.loggedOut();
    data::RemoveAlias(kMenuDataAlias);
}

// ---- options ------------------------------------------------------------------

void TLogoAppForm::ExecuteOption(QAction* item)
{
    if (item)
        RunOption(item->objectName());
}

QString TLogoAppForm::LibraryForOption(const QString& name)
{
    const OptionLibrary library = LibraryForOptionName(name);
    if (library.setsContext)
        LinkSection.setText(&TLinkSection::Link_context, library.context);
    return library.library + QStringLiteral(".so");
}

std::unique_ptr<SharedLibrary> TLogoAppForm::LoadOptionLibrary(const QString& name)
{
    auto library = std::make_unique<SharedLibrary>();
    const QString fileName = LibraryForOption(name);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    library->load(fileName, programFolder());
    QApplication::restoreOverrideCursor();
    return library;
}

bool TLogoAppForm::runOptionLibrary(const QString& name, const QString& failureText, const EntryCall& call)
{
    auto failed = [&](int code) { ShowMessage(failureText + QStringLiteral("  ") + QString::number(code), this); };
    std::unique_ptr<SharedLibrary> library = LoadOptionLibrary(name);
    if (!library->isLoaded()) {
        if (IsPayrollOption(name) && library->failure() == LibraryFailure::DependencyMissing)
            ShowMessage(messageLine(lines::PayrollLibraryMissing), this);
        else if (library->failure() == LibraryFailure::NameRefused)
            ShowMessage(messageLine(lines::LibraryNameRefused).arg(name), this);
        else
            failed(library->failureCode());
        return false;
    }
    update();
    if (void* entry = library->resolve("ShowDllForm")) {
        try {
            if (call(entry) == 0)
                ShowMessage(kAccessDenied, this);
        } catch (...) {
            HandleApplicationException(std::current_exception());
        }
    } else {
        // Calling through a missing entry point would end the program.
        failed(LibraryFailureCode(LibraryFailure::EntryPointMissing));
    }
    // Whatever happened in the call, the module's exception handler and its
    // library go before the launcher carries on.
    ClearApplicationExceptionHandler();
    AfterOption(std::move(library), name);
    update();
    return true;
}

void TLogoAppForm::RunOption(const QString& requested)
{
    if (NeedsTrackerDatabase(requested)) {
        if (SelectedTrackerBase.isEmpty()) {
            ShowMessage(messageLine(lines::NoTrackerDatabase), this);
            return;
        }
        LinkSection.setText(&TLinkSection::Link_context, SelectedTrackerBase);
    }
    const OptionName option = StripOptionSuffixes(requested);
    const QString& name = option.name;
    if (option.fromDesktop) {
        // A shortcut made earlier may name an option the user may no longer run.
        bool allowed = false;
        for (int i = 0; i < ShortcutDlg->DllList->count(); ++i)
            allowed = allowed || (!name.isEmpty() && ShortcutDlg->DllList->item(i)->text() == name);
        if (!allowed) {
            ShowMessage(messageLine(lines::OptionNotAllowed), this);
            LinkSection.setText(&TLinkSection::Link_context, QString());
            return;
        }
    }
    if (NeedsPayrollFiles(name) && IsYesAnyCase(Settings.payroll) && !PayrollFilesReady()) {
        LinkSection.setText(&TLinkSection::Link_context, QString());
        return;
    }
    if (NeedsJobCostFiles(name) && !JobCostFilesReady()) {
        LinkSection.setText(&TLinkSection::Link_context, QString());
        return;
    }

    runOptionLibrary(name, QStringLiteral("error loading option ") + name,
                     [this](void* entry) { return reinterpret_cast<ShowDllFormFunction>(entry)(LinkSection.value()); });

    LinkSection.setText(&TLinkSection::Link_context, QString());
    if (name == QLatin1String("trknewbase"))
        Load_database_menu();
    if (name == QLatin1String("sysparams")) {
        Settings.intl =
            SettingsStore::machine().value(QStringLiteral("Settings"), QStringLiteral("intl"), QStringLiteral("N"));
        applyIntl();
    }
    resetCaption();
}

void TLogoAppForm::AfterOption(std::unique_ptr<SharedLibrary> library, const QString& name)
{
    if (library)
        library->unload();
    if (name == QLatin1String("compcreate"))
        return;
    if (comp->isOpen())
        comp->refresh();
    if (IsCompanyMaintenance(name) && comp->isOpen()) {
        rebuildCompanyMenu();
        // The current company is found by its number: the maintenance may
        // have renamed it, and then the record and the status bar take the
        // new name. A company removed there keeps the name it had and no
        // entry is checked.
        const int position = static_cast<int>(CompanyList.indexOf(LinkSection.text(&TLinkSection::Link_company)));
        const QList<QAction*> items = CompanyMenu->actions();
        if (position >= 0 && position < items.size()) {
            LinkSection.setText(&TLinkSection::Link_company_name, items[position]->text());
            StatusBar1->setPanelText(0, items[position]->text());
        }
        for (int i = 0; i < items.size(); ++i)
            items[i]->setChecked(i == position);
    }
}

bool TLogoAppForm::companyFilesReady(const QString& table, int line)
{
    bool present = false;
    try {
        present = data::Database::forFolder(companyFolder())->tableExists(table);
    } catch (const data::EngineError&) {
        present = false;
    }
    if (!present)
        Messages().show(this, MessageKind::Information, QApplication::applicationName(), messageLine(line),
                        MessageButtons::Ok);
    return present;
}

bool TLogoAppForm::PayrollFilesReady()
{
    return companyFilesReady(QStringLiteral("Pndept"), lines::PayrollFilesMissing);
}

bool TLogoAppForm::JobCostFilesReady()
{
    return companyFilesReady(QStringLiteral("JcCtrl"), lines::JobCostFilesMissing);
}

void TLogoAppForm::RunToolsMaintenance()
{
    const QString name = QStringLiteral("toolsmaint");
    const bool loaded = runOptionLibrary(name, QStringLiteral("error loading toolsmaint"), [this](void* entry) {
        // The maintenance lists every option; afterwards the lists hold only
        // what the user may run again.
        FillOptionLists(false);
        const auto enabledOnly = qScopeGuard([this] { FillOptionLists(true); });
        return reinterpret_cast<ToolsMaintenanceFunction>(entry)(LinkSection.value(), ShortcutDlg->OptionNames,
                                                                 ShortcutDlg->DllList);
    });
    // The maintenance may have changed the entries.
    if (loaded)
        Load_applications();
    LinkSection.setText(&TLinkSection::Link_context, QString());
    resetCaption();
}

void TLogoAppForm::FillOptionLists(bool enabledOnly)
{
    // The order of the lists is the order users know from the shortcut dialog.
    fillOptionLists(enabledOnly, {0, 1, 2, 4, 3, 6, 5}, IsYesAnyCase);
}

void TLogoAppForm::fillOptionListsAtLogin()
{
    // Right after login the ledgers come in menu-rights order, and an optional
    // ledger is left out only when its setting says "N" outright.
    fillOptionLists(true, {0, 1, 2, 3, 4, 5, 6}, [](const QString& value) { return !IsNoAnyCase(value); });
}

void TLogoAppForm::fillOptionLists(bool enabledOnly, std::initializer_list<int> ledgers,
                                   bool (*installed)(const QString& value))
{
    ShortcutDlg->OptionNames->clear();
    ShortcutDlg->DllList->clear();
    auto addLedger = [&](int tag) {
        for (const LedgerMenuInfo& info : LedgerMenus()) {
            if (info.tag == tag)
                GetMenuInfo(ledgerMenu(tag), info.firstGroup, enabledOnly, info.firstGroup + 3);
        }
    };
    for (int tag : ledgers)
        addLedger(tag);
    if (installed(Settings.payroll))
        addLedger(7);
    if (installed(Settings.tracker))
        addLedger(8);
    if (installed(Settings.JobCost))
        addLedger(9);
}

void TLogoAppForm::GetMenuInfo(QMenu* menu, int first, bool enabledOnly, int last)
{
    if (!menu)
        return;
    const QString label = messageLine(lines::LedgerLabelBase + MenuTag(menu));
    const QList<QAction*> entries = menu->actions();
    for (int index = std::max(first, 0); index <= last && index < entries.size(); ++index) {
        QMenu* group = entries[index]->menu();
        if (!group)
            continue;
        for (QAction* item : group->actions()) {
            if (!item->isVisible())
                continue;
            ShortcutDlg->OptionNames->addItem(plainCaption(item) + label);
            ShortcutDlg->DllList->addItem(!enabledOnly || item->isEnabled() ? item->objectName() : QString());
        }
    }
}

void TLogoAppForm::Load_applications()
{
    ToolsMenu->clear();
    apps->close();
    apps->setAliasName(kSystemAlias);
    apps->setTableName(QStringLiteral("apps"));
    try {
        apps->open();
    } catch (const data::EngineError&) {
        data::EnsureAppsTable(*data::AliasDatabase(kSystemAlias));
        apps->open();
    }
    const bool french = LinkSection.raw().Link_language == 2;
    apps->first();
    while (!apps->eof()) {
        const QString program = apps->field(QStringLiteral("Application_pgm")).asString().trimmed();
        const bool isLibrary = apps->field(QStringLiteral("Application_type")).asLogical();
        const QString security = apps->field(QStringLiteral("Application_security")).asString();

        QAction* item = ToolsMenu->addAction(QString());
        item->setObjectName(program);
        setToolsEntryTexts(item, french);
        if (program.isEmpty()) {
            // A row without a program cannot run anything; it keeps its place
            // so that the menu still pairs with the table's rows.
            item->setEnabled(false);
        } else if (isLibrary && program == QLatin1String("toolsmaint")) {
            connect(item, &QAction::triggered, this, [this] { RunToolsMaintenance(); });
        } else if (isLibrary) {
            connect(item, &QAction::triggered, this, [this, item] { ExecuteOption(item); });
        } else {
            connect(item, &QAction::triggered, this, [this, item] { ExecuteExe(item); });
        }
        if (!program.isEmpty() && !security.isEmpty()) {
            for (const LedgerMenuInfo& info : LedgerMenus()) {
                for (QAction* entry : ledgerMenu(info.tag)->actions()) {
                    if (QMenu* group = entry->menu()) {
                        for (QAction* option : group->actions()) {
                            if (option->objectName() == security)
                                item->setEnabled(option->isEnabled());
                        }
                    }
                }
            }
        }
        apps->next();
    }
    apps->close();
}

void TLogoAppForm::setToolsEntryTexts(QAction* item, bool french)
{
    QString caption =
        apps->field(french ? QStringLiteral("Application_name_fr") : QStringLiteral("Application_name")).asString();
    if (caption.isEmpty())
        caption = apps->field(QStringLiteral("Application_pgm")).asString().trimmed();
    const QString hint =
        apps->field(french ? QStringLiteral("Application_about_fr") : QStringLiteral("Application_about")).asString();
    item->setText(caption);
    item->setStatusTip(hint);
    item->setToolTip(hint);
}

void TLogoAppForm::ChgLang_applications()
{
    const bool french = LinkSection.raw().Link_language == 2;
    const QList<QAction*> items = ToolsMenu->actions();
    try {
        apps->close();
        apps->setAliasName(kSystemAlias);
        apps->setTableName(QStringLiteral("apps"));
        apps->open();
        int row = 0;
        for (apps->first(); !apps->eof() && row < items.size(); apps->next())
            setToolsEntryTexts(items[row++], french);
        apps->close();
    } catch (const data::EngineError& error) {
        ShowErrorMessage(error.message(), this);
    }
}

void TLogoAppForm::ExecuteExe(QAction* item)
{
    if (!item || item->objectName().isEmpty())
        return;
    const QString program = item->objectName();
    QString directory;
    apps->close();
    apps->setAliasName(kSystemAlias);
    apps->setTableName(QStringLiteral("apps"));
    try {
        apps->open();
        apps->first();
        while (!apps->eof()) {
            if (apps->field(QStringLiteral("Application_pgm")).asString() == program) {
                directory = apps->field(QStringLiteral("Application_directory")).asString().trimmed();
                break;
            }
            apps->next();
        }
        apps->close();
    } catch (const data::EngineError& error) {
        ShowErrorMessage(error.message(), this);
        return;
    }
    if (!directory.isEmpty() && !QDir::setCurrent(directory)) {
        ShowErrorMessage(QStringLiteral("I/O error: the folder \"%1\" cannot be opened.").arg(directory), this);
        return;
    }
    // Stored Tools entries may name a program with ".exe"; the program on disk has no suffix.
    QString executable = program;
    if (executable.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
        executable.chop(4);
    const QFileInfo local(QDir::current().filePath(executable));
    if (local.isFile() && local.isExecutable())
        executable = local.absoluteFilePath();
    if (!Shell().startProgram(executable, {}, QDir::currentPath()))
        ShowErrorMessage(QStringLiteral("The program \"%1\" cannot be started.").arg(program), this);
}

void TLogoAppForm::trknewbase_table()
{
    const data::TableDef* def = data::FindTableDef(QStringLiteral("trkdb"));
    if (def)
        data::AliasDatabase(kMenuDataAlias)->createTable(*def);
}

void TLogoAppForm::Load_database_menu()
{
    TrackerList.clear();
    OpenDatabase->clear();
    data::Table trkdb;
    trkdb.setAliasName(kMenuDataAlias);
    trkdb.setTableName(QStringLiteral("trkdb"));
    try {
        try {
            trkdb.open();
        } catch (const data::EngineError&) {
            trknewbase_table();
            trkdb.open();
        }
        auto* group = new QActionGroup(OpenDatabase);
        trkdb.first();
        while (!trkdb.eof()) {
            TrackerList << QString::number(trkdb.field(QStringLiteral("Trkdb_account")).asInteger());
            QAction* item = OpenDatabase->addAction(trkdb.field(QStringLiteral("Trkdb_name")).asString());
            item->setCheckable(true);
            group->addAction(item);
            connect(item, &QAction::triggered, this, [this, item] { OpendataClick(item); });
            trkdb.next();
        }
        trkdb.close();
    } catch (const data::EngineError& error) {
        ShowErrorMessage(error.message(), this);
    }
    SelectedTrackerBase.clear();
}

void TLogoAppForm::OpendataClick(QAction* item)
{
    const int position = static_cast<int>(OpenDatabase->actions().indexOf(item));
    if (position < 0 || position >= TrackerList.size())
        return;
    SelectedTrackerBase = TrackerList[position];
    for (QAction* entry : OpenDatabase->actions())
        entry->setChecked(entry == item);
}

void TLogoAppForm::CompanyClick(QAction* item)
{
    if (!item)
        return;
    const QString caption = item->text();
    bool found = false;
    int code = 0;
    QString name;
    QString password;
    comp->first();
    while (!comp->eof()) {
        if (comp->field(QStringLiteral("Comp_Name")).asString() == caption) {
            found = true;
            code = static_cast<int>(comp->field(QStringLiteral("Comp_Code")).asInteger());
            name = comp->field(QStringLiteral("Comp_Name")).asString();
            password = comp->field(QStringLiteral("Comp_Passwd")).asString();
        }
        comp->next();
    }
    const QString previous = LinkSection.text(&TLinkSection::Link_company);
    auto restoreCheck = [&] {
        const QList<QAction*> items = CompanyMenu->actions();
        const int position = static_cast<int>(CompanyList.indexOf(previous));
        for (int i = 0; i < items.size(); ++i)
            items[i]->setChecked(i == position);
    };
    if (!found) {
        restoreCheck();
        return;
    }
    const int home = user->isOpen() && !user->isEmpty()
                         ? static_cast<int>(user->field(QStringLiteral("User_company")).asInteger())
                         : -1;
    if (!password.isEmpty() && code != home) {
        for (;;) {
            if (showDialog(*CompPasswd_Frm) != mrOk) {
                restoreCheck();
                return;
            }
            if (CompPasswd_Frm->Password->text() == password)
                break;
        }
    }
    LinkSection.setText(&TLinkSection::Link_company, QString::number(code));
    LinkSection.setText(&TLinkSection::Link_company_name, name);
    data::DefineAlias(kMenuDataAlias, QStringLiteral("path=") + companyFolder());
    for (QAction* entry : CompanyMenu->actions())
        entry->setChecked(entry == item);
    StatusBar1->setPanelText(0, name);
    if (IsYesAnyCase(Settings.tracker))
        Load_database_menu();
    if (m_env.hooks.companyChanged)
        m_env.hooks.companyChanged();
}

void TLogoAppForm::PrinterClick(QAction* item)
{
    const int position = static_cast<int>(PrinterMenu->actions().indexOf(item));
    if (position < 0)
        return;
    printers().selectPrinter(position);
    setPrinterCheck(position);
    StatusBar1->setPanelText(1, item->text());
}

void TLogoAppForm::HelpClick()
{
    QString folder = HelpFolderFor(programFolder(), LinkSection.raw().Link_language, LinkSection.langCode());
    // A user without a language of his own keeps the start-up code with
    // number 0, which names a help folder of that code ("Helpen"): when an
    // installation has none, the English help is shown rather than nothing.
    if (!QFileInfo(folder).isDir())
        folder = HelpFolderFor(programFolder(), 1, QString());
    SetApplicationHelpFolder(folder);
    Help().showContents(folder);
}

void TLogoAppForm::BuildLanguageMenu()
{
    LanguageMenu->clear();
    auto* group = new QActionGroup(LanguageMenu);
    Languages->first();
    while (!Languages->eof()) {
        QAction* item = LanguageMenu->addAction(Languages->field(QStringLiteral("LangName")).asString());
        item->setObjectName(QStringLiteral("MenuItem") + Languages->field(QStringLiteral("LangCode")).asString());
        item->setCheckable(true);
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, item] { English1Click(item); });
        Languages->next();
    }
}

void TLogoAppForm::English1Click(QAction* item)
{
    if (!item)
        return;
    for (QAction* entry : LanguageMenu->actions())
        entry->setChecked(entry == item);
    Languages->close();
    Languages->open();
    bool found = false;
    for (Languages->first(); !Languages->eof() && !found; Languages->next()) {
        if (Languages->field(QStringLiteral("LangName")).asString() == item->text()) {
            found = true;
            LinkSection.setLangCode(LanguageCodeOf(Languages->field(QStringLiteral("LangCode")).asString()));
            LinkSection.raw().Link_language =
                static_cast<std::int32_t>(Languages->field(QStringLiteral("LangKey")).asInteger());
        }
    }
    // An entry whose name is not a row of the table changes nothing else.
    if (!found)
        return;
    data::SetEngineMessageLanguage(LinkSection.raw().Link_language);

    // The login, company password, shortcut and properties dialogs keep their
    // language until the next start.
    translateWindow(this);
    for (const char* name : {"ContactUs", "AboutBox"}) {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->objectName() == QLatin1String(name))
                translateWindow(window);
        }
    }
    fillStatusBar();
    fillOptionListsAtLogin();
    // The caption the translation just set, quoted literally (a quote inside
    // it would end the literal early), then the date in the chosen language.
    QString caption = windowTitle();
    caption.remove(QLatin1Char('"'));
    setWindowTitle(FormatDateTime(QLatin1Char('"') + caption + QStringLiteral("\"    dddd, d mmmm yyyy "),
                                  QDateTime::currentDateTime(), languageLocale()));
    StatusBar1->setPanelText(0, LinkSection.text(&TLinkSection::Link_user_name));
    const QList<QAction*> printerItems = PrinterMenu->actions();
    const int printer = printers().currentPrinter();
    StatusBar1->setPanelText(1,
                             printer >= 0 && printer < printerItems.size() ? printerItems[printer]->text() : QString());
    ChgLang_applications();
    Internationalize();
}

} // namespace varnex::launcher
