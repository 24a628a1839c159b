// The main window through its start-up, login, rights and menus, driven
// in-process with recorded messages, answered dialogs and test printers.

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>

#include "desktop.h"
#include "dialogs.h"
#include "launcher_fixture.h"
#include "usersecurity.h"
#include "varnex/data/database.h"
#include "varnex/data/options.h"
#include "varnex/data/table.h"
#include "varnex/statusbar.h"

using namespace varnex::launcher;
using launcher_test::Installation;
using launcher_test::Line;
using launcher_test::ListOf;
using launcher_test::MenuOf;
using launcher_test::StatusBarOf;

namespace {

QAction* action(TLogoAppForm& form, const char* name)
{
    return form.findChild<QAction*>(QLatin1String(name));
}

// Answers the login dialog with the given passwords in turn, then cancels.
std::function<int(QDialog&)> typing(QStringList passwords, int* asked = nullptr)
{
    auto queue = std::make_shared<QStringList>(std::move(passwords));
    return [queue, asked](QDialog& dialog) {
        if (asked)
            ++*asked;
        auto* box = dialog.findChild<QLineEdit*>(QStringLiteral("Password"));
        if (!box || queue->isEmpty())
            return mrCancel;
        box->setText(queue->takeFirst());
        return mrOk;
    };
}

} // namespace

TEST(LogoAppForm, MainMenuHasTheLedgersInOrderWithTheirTags)
{
    Installation installation;
    auto form = installation.makeForm();
    const QList<QAction*> roots = form->menuBar()->actions();
    const char* names[] = {"GLMenu", "ARMenu",  "APMenu", "FAMenu",      "SYSMenu",   "PAMenu",  "IVMenu",
                           "CFMenu", "TRKMenu", "JCMenu", "OptionsMenu", "ToolsMenu", "HelpMenu"};
    const int tags[] = {0, 1, 2, 3, 4, 7, 5, 6, 8, 9};
    ASSERT_EQ(roots.size(), 14);
    for (int i = 0; i < 13; ++i) {
        ASSERT_NE(roots[i]->menu(), nullptr) << i;
        EXPECT_EQ(roots[i]->menu()->objectName(), QLatin1String(names[i]));
        if (i < 10) {
            EXPECT_EQ(MenuTag(roots[i]->menu()), tags[i]) << names[i];
        }
    }
    EXPECT_EQ(roots[13]->objectName(), QStringLiteral("Quit1"));

    // Every option item sits at its rights position: item i of group g of its ledger.
    for (const varnex::data::MenuOption& option : varnex::data::MenuOptions()) {
        const LedgerMenuInfo* info = nullptr;
        for (const LedgerMenuInfo& candidate : LedgerMenus())
            info = candidate.tag == option.ledger ? &candidate : info;
        ASSERT_NE(info, nullptr);
        QMenu* ledger = form->ledgerMenu(option.ledger);
        QMenu* group = ledger->actions().at(info->firstGroup + option.group)->menu();
        ASSERT_NE(group, nullptr) << option.name;
        ASSERT_GT(group->actions().size(), option.item) << option.name;
        EXPECT_EQ(group->actions().at(option.item)->objectName(), QLatin1String(option.name));
    }
    // Favourites precede a separator and the first group; each names a real option.
    for (const LedgerMenuInfo& info : LedgerMenus()) {
        const QList<QAction*> entries = form->ledgerMenu(info.tag)->actions();
        for (int i = 0; i < info.firstGroup; ++i) {
            if (entries[i]->isSeparator()) {
                EXPECT_EQ(i, info.firstGroup - 1) << info.name;
                continue;
            }
            EXPECT_EQ(entries[i]->property("GroupIndex").toInt(), 0);
            QString option = entries[i]->objectName();
            ASSERT_TRUE(option.endsWith(QLatin1Char('f')));
            option.chop(1);
            EXPECT_NE(varnex::data::FindMenuOption(option), nullptr) << option.toStdString();
        }
        EXPECT_NE(entries[info.firstGroup]->menu(), nullptr) << info.name;
    }
}

TEST(LogoAppForm, NoPlacementValueOpensCentredAndExitStoresIt)
{
    Installation installation;
    {
        auto form = installation.startForm();
        EXPECT_EQ(form->width(), 750);
        EXPECT_EQ(form->height(), 520);
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        EXPECT_EQ(form->x(), screen.x() + (screen.width() - 750) / 2);
        EXPECT_EQ(form->y(), screen.y() + (screen.height() - 520) / 2);
        form->move(30, 40);
        form->Quit1Click();
    }
    EXPECT_EQ(installation.setting(QStringLiteral("Form")), QStringLiteral("520,30,40,750,Y"));
    auto again = installation.makeForm();
    EXPECT_EQ(again->pos(), QPoint(30, 40));
}

TEST(LogoAppForm, DamagedPlacementGivesDesignValues)
{
    Installation installation;
    installation.setSetting(QStringLiteral("Form"), QStringLiteral("big,,x"));
    auto form = installation.makeForm();
    EXPECT_EQ(form->size(), QSize(750, 520));
}

TEST(LogoAppForm, SettingsFillTheRecordAndFolders)
{
    Installation installation;
    installation.setSetting(QStringLiteral("customer"), QStringLiteral("C-77"));
    installation.setSetting(QStringLiteral("language"), QStringLiteral("2"));
    auto form = installation.makeForm();
    const varnex::LinkRecord& link = form->linkSection();
    EXPECT_EQ(link.text(&TLinkSection::Link_customer), QStringLiteral("C-77"));
    EXPECT_EQ(link.raw().Link_language, 2);
    EXPECT_EQ(link.langCode(), QStringLiteral("fr"));
    EXPECT_EQ(link.text(&TLinkSection::Link_pgm_dir), installation.programFolder());
    EXPECT_EQ(link.text(&TLinkSection::Link_data_dir), installation.dataRoot());
    EXPECT_EQ(link.text(&TLinkSection::Link_printer), QStringLiteral("0"));
    EXPECT_TRUE(link.text(&TLinkSection::Link_context).isEmpty());
    EXPECT_EQ(form->ledgerMenu(0)->title(), QStringLiteral("Grand livre")); // translated with MainMenufr
    EXPECT_TRUE(installation.messages.shown.isEmpty());
}

TEST(LogoAppForm, LanguageThreeWaitsForTheUsersLanguage)
{
    Installation installation;
    installation.setSetting(QStringLiteral("language"), QStringLiteral("3"));
    auto form = installation.makeForm();
    EXPECT_EQ(form->linkSection().raw().Link_language, 3);
    EXPECT_TRUE(form->linkSection().langCode().isEmpty());
    EXPECT_EQ(form->ledgerMenu(0)->title(), QStringLiteral("Grand livre")); // the design text
    form->FormActivate();
    // The administrator works in English.
    EXPECT_EQ(form->linkSection().langCode(), QStringLiteral("en"));
    EXPECT_EQ(form->ledgerMenu(0)->title(), QStringLiteral("General ledger"));
    EXPECT_TRUE(form->windowTitle().startsWith(QStringLiteral("Lgx test ")));
    EXPECT_TRUE(action(*form, "MenuItemen")->isChecked());
}

TEST(LogoAppForm, LanguageThatIsNotANumberIsToldAndEnglishUsed)
{
    Installation installation;
    installation.setSetting(QStringLiteral("language"), QStringLiteral("anglais"));
    auto form = installation.makeForm();
    EXPECT_EQ(form->linkSection().raw().Link_language, 1);
    EXPECT_EQ(form->linkSection().langCode(), QStringLiteral("en"));
    ASSERT_EQ(installation.messages.shown.size(), 1);
    EXPECT_TRUE(installation.messages.shown[0].text.contains(QStringLiteral("anglais")));
}

TEST(LogoAppForm, PasswordDialogOnlyWhenNeeded)
{
    struct Case {
        const char* displayPW;
        bool secondUser;
        bool asked;
    } cases[] = {
        {"N", false, false},
        {"y", false, false}, // only exactly "Y" forces the dialog
        {"Y", false, true},
        {"N", true, true}, // two users: someone must say who he is
    };
    for (const Case& c : cases) {
        Installation installation;
        installation.setSetting(QStringLiteral("DisplayPW"), QLatin1String(c.displayPW));
        if (c.secondUser)
            installation.addUser(QStringLiteral("CLERK"), QStringLiteral("CLERK1"), {});
        int asked = 0;
        LauncherEnvironment environment;
        environment.runDialog = typing({installation.adminPassword()}, &asked);
        auto form = installation.startForm(std::move(environment));
        EXPECT_EQ(asked > 0, c.asked) << c.displayPW << c.secondUser;
        EXPECT_FALSE(form->closedWithoutUser());
        EXPECT_EQ(form->linkSection().text(&TLinkSection::Link_user), QStringLiteral("Administrateur"));
    }
}

TEST(LogoAppForm, LoginFindsTheUpperCaseRowAndRetriesSilently)
{
    Installation installation;
    installation.addUser(QStringLiteral("CLERK"), QStringLiteral("CLERK1"), {QStringLiteral("purchent")}, 2, 1);
    int asked = 0;
    LauncherEnvironment environment;
    environment.runDialog = typing({QStringLiteral("wrong"), QStringLiteral("clerk1")}, &asked);
    auto form = installation.startForm(std::move(environment));
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(installation.messages.shown.isEmpty()); // a wrong password says nothing
    EXPECT_EQ(form->linkSection().text(&TLinkSection::Link_user), QStringLiteral("CLERK name"));
    EXPECT_EQ(form->linkSection().text(&TLinkSection::Link_user_name), QStringLiteral("CLERK name"));
    EXPECT_EQ(form->linkSection().text(&TLinkSection::Link_company), QStringLiteral("1"));
    EXPECT_EQ(form->linkSection().text(&TLinkSection::Link_company_name), QStringLiteral("Alpha"));
    EXPECT_EQ(form->linkSection().raw().Link_language, 2);
    EXPECT_EQ(form->linkSection().langCode(), QStringLiteral("fr"));
    EXPECT_TRUE(form->findChild<TPasswordDlg*>(QStringLiteral("PasswordDlg"))->Password->text().isEmpty());
    EXPECT_TRUE(StatusBarOf(*form)->isVisibleTo(form.get()));
    EXPECT_EQ(StatusBarOf(*form)->panelText(0), QStringLiteral("Alpha"));
    EXPECT_EQ(StatusBarOf(*form)->panelText(1), QStringLiteral("Office laser"));
    EXPECT_TRUE(StatusBarOf(*form)->panelText(3).startsWith(QStringLiteral("Version ")));
    EXPECT_TRUE(form->windowTitle().startsWith(QStringLiteral("Lgx essai ")));
}

TEST(LogoAppForm, CancelledLoginClosesWithoutTouchingTheDesktop)
{
    Installation installation;
    installation.addUser(QStringLiteral("CLERK"), QStringLiteral("CLERK1"), {});
    int saves = 0;
    int builds = 0;
    LauncherEnvironment environment;
    environment.hooks.saveDesktop = [&] { ++saves; };
    environment.hooks.buildDesktop = [&] { ++builds; };
    auto form = installation.startForm(std::move(environment));
    EXPECT_TRUE(form->closedWithoutUser());
    EXPECT_FALSE(form->saveOnExit());
    EXPECT_EQ(saves, 0);
    EXPECT_EQ(builds, 0);
    // The placement is written all the same.
    EXPECT_TRUE(installation.setting(QStringLiteral("Form")).endsWith(QStringLiteral(",Y")));
}

TEST(LogoAppForm, StandardDesktopKeepsTheDesignAndIsSavedAtExit)
{
    Installation installation;
    installation.setSetting(QStringLiteral("DisplayPW"), QStringLiteral("Y"));
    int saves = 0;
    int builds = 0;
    LauncherEnvironment environment;
    environment.hooks.saveDesktop = [&] { ++saves; };
    environment.hooks.buildDesktop = [&] { ++builds; };
    environment.runDialog = [&installation](QDialog& dialog) {
        dialog.findChild<QLineEdit*>(QStringLiteral("Password"))->setText(installation.adminPassword());
        dialog.findChild<QCheckBox*>(QStringLiteral("DesktopCheckBox"))->setChecked(true);
        return mrOk;
    };
    auto form = installation.startForm(std::move(environment));
    EXPECT_EQ(builds, 0);
    EXPECT_TRUE(form->desktopChanged());
    // The payroll menu is hidden by the desktop build only.
    EXPECT_TRUE(form->ledgerMenu(7)->menuAction()->isVisible());
    form->Quit1Click();
    EXPECT_EQ(saves, 1);
}

TEST(LogoAppForm, InstalledLedgersDecideWhichMenusShow)
{
    struct Case {
        const char* tracker;
        const char* jobCost;
        const char* payroll;
        bool trackerShown, jobCostShown, payrollShown;
    } cases[] = {
        {"n", "n", "n", false, false, false},
        {"y", "Y", "y", true, true, true}, // "Y" in any case counts
        {"yes", "N", "Y", false, false, true},
    };
    for (const Case& c : cases) {
        Installation installation;
        installation.setSetting(QStringLiteral("tracker"), QLatin1String(c.tracker));
        installation.setSetting(QStringLiteral("JobCost"), QLatin1String(c.jobCost));
        installation.setSetting(QStringLiteral("payroll"), QLatin1String(c.payroll));
        auto form = installation.startForm();
        EXPECT_EQ(form->ledgerMenu(8)->menuAction()->isVisible(), c.trackerShown) << c.tracker;
        EXPECT_EQ(form->ledgerMenu(9)->menuAction()->isVisible(), c.jobCostShown) << c.jobCost;
        EXPECT_EQ(action(*form, "arholdback")->isVisible(), c.jobCostShown) << c.jobCost;
        EXPECT_EQ(form->ledgerMenu(7)->menuAction()->isVisible(), c.payrollShown) << c.payroll;
        if (c.payrollShown) { // without "payrollCCQ" the construction-trade items are hidden
            EXPECT_FALSE(action(*form, "paccqrpt")->isVisible());
        }
    }
}

TEST(LogoAppForm, RightsEnableOptionsFavouritesAndTools)
{
    Installation installation;
    installation.addUser(QStringLiteral("CLERK"), QStringLiteral("CLERK1"),
                         {QStringLiteral("purchent"), QStringLiteral("aplabels"), QStringLiteral("supview")});
    LauncherEnvironment environment;
    environment.runDialog = typing({QStringLiteral("CLERK1")});
    auto form = installation.startForm(std::move(environment));

    struct Case {
        const char* name;
        bool enabled;
    } cases[] = {
        {"purchent", true},   {"purchentf", true},                       // a favourite follows its option
        {"supview", true},    {"supviewf", true},    {"aplabels", true}, // item 4 of Reports
        {"apchqlist", false},                                            // bit 242: item 2 of the AP reports
        {"supmaint", false},  {"supmaintf", false},  {"acctmaint", false}, {"acctmaintf", false},
        {"sysparams", false}, {"toolsmaint", false}, // the Tools entry borrows the parameters' right
    };
    for (const Case& c : cases) {
        QAction* item = action(*form, c.name);
        ASSERT_NE(item, nullptr) << c.name;
        EXPECT_EQ(item->isEnabled(), c.enabled) << c.name;
    }
    EXPECT_FALSE(form->findChild<TUserSecurityManager*>(QStringLiteral("UserSecurityManager1"))->Test(2, 2, 2));
    EXPECT_TRUE(form->findChild<TUserSecurityManager*>(QStringLiteral("UserSecurityManager1"))->Test(2, 2, 4));
}

TEST(LogoAppForm, SingleUserWithoutRightsGetsNothingEnabled)
{
    Installation installation(3, true);
    // The only user has a null map: no dialog, nothing enabled.
    {
        auto db = varnex::data::Database::forFolder(installation.dataRoot());
        varnex::data::Table users;
        users.setDatabase(db);
        users.setTableName(QStringLiteral("user"));
        users.open();
        users.first();
        users.edit();
        users.field(QStringLiteral("User_security")).clear();
        users.post();
        users.close();
    }
    int asked = 0;
    LauncherEnvironment environment;
    environment.runDialog = typing({}, &asked);
    auto form = installation.startForm(std::move(environment));
    EXPECT_EQ(asked, 0);
    EXPECT_FALSE(form->closedWithoutUser());
    for (const varnex::data::MenuOption& option : varnex::data::MenuOptions())
        EXPECT_FALSE(action(*form, option.name)->isEnabled()) << option.name;
}

TEST(LogoAppForm, OptionListsPairCaptionsWithAllowedNames)
{
    Installation installation;
    installation.addUser(QStringLiteral("CLERK"), QStringLiteral("CLERK1"),
                         {QStringLiteral("ardeposit"), QStringLiteral("arcredhold")});
    LauncherEnvironment environment;
    environment.runDialog = typing({QStringLiteral("CLERK1")});
    auto form = installation.startForm(std::move(environment));
    QListWidget* names = ListOf(*form, "OptionNames");
    QListWidget* dlls = ListOf(*form, "DllList");
    ASSERT_EQ(names->count(), dlls->count());

    int deposit = -1;
    for (int i = 0; i < names->count(); ++i) {
        if (names->item(i)->text() == QStringLiteral("Liste des dépôts") + Line(4))
            deposit = i;
        // Options of ledgers not installed are not offered.
        EXPECT_FALSE(names->item(i)->text().endsWith(Line(10))) << names->item(i)->text().toStdString();
    }
    ASSERT_GE(deposit, 0);
    EXPECT_EQ(dlls->item(deposit)->text(), QStringLiteral("ardeposit"));
    // "List of holdbacks" is hidden without job costing: the next row is the
    // first procedure, still paired with its own name.
    EXPECT_EQ(names->item(deposit + 1)->text(), QStringLiteral("Suspendre le crédit") + Line(4));
    EXPECT_EQ(dlls->item(deposit + 1)->text(), QStringLiteral("arcredhold"));
    // A visible option the user may not run is listed, with no name to run.
    EXPECT_EQ(names->item(deposit - 1)->text(), QStringLiteral("Liste des clients") + Line(4));
    EXPECT_TRUE(dlls->item(deposit - 1)->text().isEmpty());
}

// The ledgers of the option lists in the order they come, by their labels.
QList<int> ledgersListed(const TLogoAppForm& form)
{
    QList<int> ledgers;
    QListWidget* names = ListOf(form, "OptionNames");
    for (int i = 0; i < names->count(); ++i) {
        const QString text = names->item(i)->text();
        const int tag = text.mid(text.lastIndexOf(QStringLiteral("line ")) + 5).toInt() - 3;
        if (ledgers.isEmpty() || ledgers.constLast() != tag)
            ledgers << tag;
    }
    return ledgers;
}

TEST(LogoAppForm, OptionListsAtLoginAndAfterwardsHaveTheirOwnOrderAndRules)
{
    Installation installation;
    // Neither "Y" nor "N": listed at login only.
    installation.setSetting(QStringLiteral("payroll"), QStringLiteral("x"));
    installation.setSetting(QStringLiteral("tracker"), QStringLiteral("n"));
    installation.setSetting(QStringLiteral("JobCost"), QStringLiteral("Y"));
    auto form = installation.startForm();
    // General ledger, receivables, payables, invoicing, system, inventory,
    // purchase orders, then payroll, (tracker "n" left out), job cost.
    EXPECT_EQ(ledgersListed(*form), QList<int>({0, 1, 2, 3, 4, 5, 6, 7, 9}));
    form->FillOptionLists(true);
    EXPECT_EQ(ledgersListed(*form), QList<int>({0, 1, 2, 4, 3, 6, 5, 9}));
}

TEST(LogoAppForm, ANewTrackerDatabaseNeedsATrackerRight)
{
    struct Case {
        QStringList rights;
        bool allowed;
    } cases[] = {
        {{QStringLiteral("purchent")}, false},
        {{QStringLiteral("trkentry")}, true},
        {{QStringLiteral("trkrptmaint")}, true},
    };
    for (const Case& c : cases) {
        Installation installation;
        installation.setSetting(QStringLiteral("tracker"), QStringLiteral("Y"));
        installation.addUser(QStringLiteral("CLERK"), QStringLiteral("CLERK1"), c.rights);
        LauncherEnvironment environment;
        environment.runDialog = typing({QStringLiteral("CLERK1")});
        auto form = installation.startForm(std::move(environment));
        EXPECT_EQ(action(*form, "trknewbase")->isEnabled(), c.allowed) << c.rights.join(',').toStdString();
    }
}

TEST(LogoAppForm, AMissingLanguageTableIsToldOnceAndStartUpCarriesOn)
{
    struct Case {
        const char* language;
        bool englishTable; // the only table there is
        const char* missing;
    } cases[] = {
        {"2", true, "MainMenufr"},  // a French start without its table
        {"1", false, "MainMenuen"}, // no table at all
    };
    for (const Case& c : cases) {
        Installation installation;
        varnex::translation::MemoryLanguageTables tables;
        if (c.englishTable)
            tables.addTable(QStringLiteral("MainMenuen"));
        varnex::translation::SetLanguageTableSource(&tables);
        installation.setSetting(QStringLiteral("language"), QLatin1String(c.language));
        // A second user: the login, password and shortcut dialogs are all translated.
        installation.addUser(QStringLiteral("CLERK"), QStringLiteral("CLERK1"), {}, 2, 1);
        LauncherEnvironment environment;
        environment.runDialog = typing({QStringLiteral("CLERK1")});
        auto form = installation.startForm(std::move(environment));
        EXPECT_FALSE(form->closedWithoutUser()) << c.language;
        EXPECT_EQ(form->linkSection().text(&TLinkSection::Link_user), QStringLiteral("CLERK name"));
        // The user's language table (French) is missing too: told once as well.
        QStringList told = installation.messages.texts();
        ASSERT_GE(told.size(), 1) << c.language;
        EXPECT_EQ(told[0],
                  QStringLiteral("The language table \"%1\" cannot be read: the windows keep the texts they have.")
                      .arg(QLatin1String(c.missing)));
        EXPECT_EQ(told.size(), QString::fromLatin1(c.missing) == QStringLiteral("MainMenufr") ? 1 : 2) << c.language;
        EXPECT_EQ(told.removeDuplicates(), 0);
        EXPECT_EQ(form->ledgerMenu(0)->title(), QStringLiteral("Grand livre")); // the design text
    }
}

TEST(LogoAppForm, AMissingLanguagesFolderIsToldOnceForEveryTable)
{
    for (const char* language : {"1", "2"}) {
        Installation installation;
        // The tables of a real languages folder, which is not there.
        QTemporaryDir program;
        const QString folder = program.filePath(QStringLiteral("languages"));
        varnex::translation::SetLanguageTableSource(nullptr);
        varnex::translation::SetLanguagesFolder(folder);
        installation.setSetting(QStringLiteral("language"), QLatin1String(language));
        installation.addUser(QStringLiteral("CLERK"), QStringLiteral("CLERK1"), {}, 2, 1);
        LauncherEnvironment environment;
        environment.runDialog = typing({QStringLiteral("CLERK1")});
        auto form = installation.startForm(std::move(environment));
        varnex::translation::SetLanguagesFolder(QString());
        EXPECT_FALSE(form->closedWithoutUser()) << language;
        EXPECT_EQ(installation.messages.texts(),
                  QStringList{QStringLiteral("The languages folder \"%1\" is missing: the windows keep the texts they "
                                             "have.")
                                  .arg(folder)})
            << language;
    }
}

TEST(LogoAppForm, CompanyPasswordIsAskedOutsideTheHomeCompanyAndKeepsItsCase)
{
    Installation installation;
    installation.addCompany(2, QStringLiteral("Beta"), QStringLiteral("Pw9"));
    QStringList answers;
    LauncherEnvironment environment;
    environment.runDialog = [&answers](QDialog& dialog) {
        if (answers.isEmpty())
            return mrCancel;
        dialog.findChild<QLineEdit*>(QStringLiteral("Password"))->setText(answers.takeFirst());
        return mrOk;
    };
    auto form = installation.startForm(std::move(environment));
    ASSERT_EQ(form->companyList(), QStringList({QStringLiteral("1"), QStringLiteral("2")}));
    QAction* alpha = MenuOf(*form, "CompanyMenu")->actions().at(0);
    QAction* beta = MenuOf(*form, "CompanyMenu")->actions().at(1);
    EXPECT_TRUE(alpha->isChecked());

    answers = {QStringLiteral("pw9"), QStringLiteral("PW9")}; // wrong case twice, then Cancel
    beta->setChecked(true);
    form->CompanyClick(beta);
    EXPECT_TRUE(answers.isEmpty());
    EXPECT_EQ(form->linkSection().text(&TLinkSection::Link_company), QStringLiteral("1"));
    EXPECT_TRUE(alpha->isChecked());

    answers = {QStringLiteral("Pw9")};
    form->CompanyClick(beta);
    EXPECT_EQ(form->linkSection().text(&TLinkSection::Link_company), QStringLiteral("2"));
    EXPECT_EQ(form->linkSection().text(&TLinkSection::Link_company_name), QStringLiteral("Beta"));
    EXPECT_EQ(StatusBarOf(*form)->panelText(0), QStringLiteral("Beta"));
    EXPECT_TRUE(beta->isChecked());
    EXPECT_EQ(varnex::data::AliasPath(QStringLiteral("menudata")), installation.dataRoot() + QStringLiteral("2"));

    // Back to the home company: no password even though Alpha could have one.
    answers.clear();
    form->CompanyClick(alpha);
    EXPECT_EQ(form->linkSection().text(&TLinkSection::Link_company), QStringLiteral("1"));
}

TEST(LogoAppForm, PrintersFollowTheUserAndTheMenu)
{
    Installation installation;
    installation.addUser(QStringLiteral("CLERK"), QStringLiteral("CLERK1"), {});
    {
        auto db = varnex::data::Database::forFolder(installation.dataRoot());
        varnex::data::Table users;
        users.setDatabase(db);
        users.setTableName(QStringLiteral("user"));
        users.open();
        ASSERT_TRUE(users.findKey({QStringLiteral("CLERK1")}));
        users.edit();
        users.field(QStringLiteral("User_printer")).setString(QStringLiteral("warehouse LABELS"));
        users.post();
    }
    LauncherEnvironment environment;
    environment.runDialog = typing({QStringLiteral("CLERK1")});
    auto form = installation.startForm(std::move(environment));
    EXPECT_EQ(form->linkSection().text(&TLinkSection::Link_printer), QStringLiteral("1"));
    EXPECT_EQ(installation.printers->current, 1);
    EXPECT_TRUE(MenuOf(*form, "PrinterMenu")->actions().at(1)->isChecked());
    EXPECT_EQ(StatusBarOf(*form)->panelText(1), QStringLiteral("Warehouse labels"));

    form->PrinterClick(MenuOf(*form, "PrinterMenu")->actions().at(0));
    EXPECT_EQ(form->linkSection().text(&TLinkSection::Link_printer), QStringLiteral("0"));
    EXPECT_EQ(installation.printers->current, 0);
    EXPECT_EQ(StatusBarOf(*form)->panelText(1), QStringLiteral("Office laser"));
}

TEST(LogoAppForm, SessionSlotsAreHeldApartAndAFullTableCloses)
{
    Installation installation(2);
    int saves = 0;
    LauncherEnvironment environment;
    environment.hooks.saveDesktop = [&] { ++saves; };
    auto first = installation.startForm(environment);
    auto second = installation.startForm(environment);
    EXPECT_EQ(first->linkSection().raw().Link_session, 1);
    EXPECT_EQ(second->linkSection().raw().Link_session, 2);

    second->markDesktopChanged();
    auto third = installation.startForm(environment);
    EXPECT_TRUE(third->closedWithoutUser());
    EXPECT_EQ(third->linkSection().raw().Link_session, 0);
    ASSERT_EQ(installation.messages.shown.size(), 1);
    EXPECT_TRUE(installation.messages.shown[0].text.contains(QStringLiteral("sessions")));
    third->markDesktopChanged();
    third.reset();
    EXPECT_EQ(saves, 0); // nobody logged in: the stored desktop stays as it was

    // A slot given back is taken by the next launcher.
    first.reset();
    auto fourth = installation.startForm(environment);
    EXPECT_EQ(fourth->linkSection().raw().Link_session, 1);
}

TEST(LogoAppForm, FirstStartCreatesTheCompanyBeforeAnyLogin)
{
    Installation installation(3, false);
    installation.installModule(QStringLiteral("compcreate"));
    QStringList order;
    LauncherEnvironment environment;
    environment.hooks.runCompanyWizard = [&](const QString& folder) { order << QStringLiteral("wizard:") + folder; };
    environment.hooks.buildDesktop = [&] { order << QStringLiteral("desktop"); };
    auto form = installation.startForm(std::move(environment));
    const QStringList calls = installation.calls();
    ASSERT_EQ(calls.size(), 1);
    const QStringList fields = calls[0].split(QLatin1Char('|'));
    EXPECT_EQ(fields[0], QStringLiteral("compcreate.so"));
    EXPECT_TRUE(fields[2].isEmpty());          // no user yet
    EXPECT_TRUE(fields[3].isEmpty());          // nor company
    EXPECT_EQ(fields[5], QStringLiteral("1")); // but a session
    EXPECT_EQ(order, QStringList({QStringLiteral("wizard:") + installation.dataRoot() + QStringLiteral("1"),
                                  QStringLiteral("desktop")}));
}

TEST(LogoAppForm, SetUpNoticeAndWelcomeAtTheEndOfTheActivation)
{
    Installation installation;
    installation.setSetting(QStringLiteral("payroll"), QStringLiteral("Y"));
    installation.setSetting(QStringLiteral("JobCost"), QStringLiteral("Y"));
    installation.setSetting(QStringLiteral("ShowWelcome"), QStringLiteral("Y"));
    installation.addUser(QStringLiteral("CLERK"), QStringLiteral("CLERK1"), {QStringLiteral("jcprojview")});
    QStringList shown;
    LauncherEnvironment environment;
    environment.runDialog = typing({QStringLiteral("CLERK1")});
    environment.hooks.showSetupNotice = [&](const QString& which) { shown << which; };
    environment.hooks.showWelcome = [&](const TLinkSection& record, const QString& section) {
        shown << QStringLiteral("welcome:") + section + QLatin1Char(':') + varnex::LinkText(record.Link_user);
    };
    auto form = installation.startForm(std::move(environment));
    // Payroll entry is not allowed and there are no payroll files; project
    // display is allowed, so no job-cost notice.
    EXPECT_EQ(shown, QStringList({QStringLiteral("payroll"), QStringLiteral("welcome:lgx:CLERK name")}));
}

TEST(LogoAppForm, ADataFolderThatIsNotSetUpIsToldAndCloses)
{
    struct Case {
        const char* what;
        bool dropSessions;
        QString datadrive;
    };
    Installation installation;
    const Case cases[] = {
        {"no such folder", false, installation.dataDrive() + QStringLiteral("/nowhere")},
        {"no session table", true, installation.dataDrive()},
    };
    for (const Case& c : cases) {
        if (c.dropSessions)
            varnex::data::Database::forFolder(installation.dataRoot())->dropTable(QStringLiteral("session"));
        installation.setSetting(QStringLiteral("datadrive"), c.datadrive);
        installation.messages.shown.clear();
        auto form = installation.startForm();
        EXPECT_TRUE(form->closedWithoutUser()) << c.what;
        ASSERT_EQ(installation.messages.shown.size(), 1) << c.what;
        EXPECT_TRUE(installation.messages.shown[0].text.contains(c.datadrive + QStringLiteral("/Lgx/data"))) << c.what;
        EXPECT_TRUE(installation.messages.shown[0].text.contains(QStringLiteral("lgxadmin init"))) << c.what;
    }
}

TEST(LogoAppForm, HintsAndLogout)
{
    Installation installation;
    installation.setSetting(QStringLiteral("payroll"), QStringLiteral("Y")); // the employee list too
    auto form = installation.makeForm();
    auto* desktop = new desktop::TDesktop(*form); // owned by the form
    form->FormActivate();
    const int listsWithTables[] = {0, 1, 2, 3, 5};
    for (int list : listsWithTables) {
        desktop->ToggleList(list);
        ASSERT_TRUE(desktop->tables().isOpen(list)) << list;
    }
    QAction* tools = MenuOf(*form, "ToolsMenu")->actions().value(0);
    ASSERT_NE(tools, nullptr);
    emit MenuOf(*form, "ToolsMenu")->hovered(tools);
    EXPECT_EQ(StatusBarOf(*form)->panelText(2), QStringLiteral("Security like Maintenance of parameters"));

    form->Logout();
    EXPECT_FALSE(StatusBarOf(*form)->isVisibleTo(form.get()));
    EXPECT_FALSE(varnex::data::AliasExists(QStringLiteral("menudata")));
    for (int list : listsWithTables)
        EXPECT_FALSE(desktop->tables().isOpen(list)) << "the list tables read no company after logout: " << list;
}

TEST(LogoAppForm, ALatinOneSettingsFileKeepsItsBytesAcrossARun)
{
    Installation installation;
    {
        QFile file(installation.settingsPath());
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write("[Notes]\r\nbureau=Donn\xe9"
                   "es partag\xe9"
                   "es\r\n");
    }
    installation.setSetting(QStringLiteral("customer"), QString::fromUtf8("Société"));
    // the value written by the test in UTF-8, turned into Latin-1 by another program
    QFile file(installation.settingsPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray before = file.readAll();
    file.close();
    before.replace("Soci\xc3\xa9t\xc3\xa9", "Soci\xe9t\xe9");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(before);
    file.close();

    auto form = installation.makeForm();
    EXPECT_EQ(form->linkSection().text(&TLinkSection::Link_customer), QString::fromUtf8("Société"));
    form->Exit_app();
    form.reset();

    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray after = file.readAll();
    // Only the window placement line may differ.
    auto withoutPlacement = [](const QByteArray& bytes) {
        QList<QByteArray> lines = bytes.split('\n');
        lines.removeIf([](const QByteArray& line) { return line.startsWith("Form="); });
        return lines;
    };
    EXPECT_EQ(withoutPlacement(after), withoutPlacement(before));
    EXPECT_TRUE(after.contains("bureau=Donn\xe9"
                               "es partag\xe9"
                               "es\r\n"));
    EXPECT_TRUE(after.contains("Form="));
}
