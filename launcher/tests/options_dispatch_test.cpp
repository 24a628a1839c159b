// Running options: libraries, contexts, the checks before loading, the
// failures the user is told about, and the Tools menu.

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>

#include "dialogs.h"
#include "launcher_fixture.h"
#include "varnex/application.h"
#include "varnex/data/database.h"
#include "varnex/data/schema.h"
#include "varnex/data/table.h"
#include "varnex/shell.h"
#include "varnex/statusbar.h"

using namespace varnex::launcher;
using launcher_test::Installation;
using launcher_test::Line;
using launcher_test::ListOf;
using launcher_test::MenuOf;
using launcher_test::StatusBarOf;

namespace {

QStringList libraries(const Installation& installation)
{
    QStringList result;
    for (const QString& call : installation.calls())
        result << call.section(QLatin1Char('|'), 0, 0);
    return result;
}

QString lastContext(const Installation& installation)
{
    return installation.calls().value(installation.calls().size() - 1).section(QLatin1Char('|'), 1, 1);
}

void addAppsRow(const Installation& installation, const QString& name, const QString& program, bool library,
                const QString& directory, const QString& security = QString())
{
    varnex::data::Table apps;
    apps.setDatabase(varnex::data::Database::forFolder(installation.dataRoot()));
    apps.setTableName(QStringLiteral("apps"));
    apps.open();
    apps.append();
    apps.field(QStringLiteral("Application_name")).setString(name);
    apps.field(QStringLiteral("Application_pgm")).setString(program);
    apps.field(QStringLiteral("Application_type")).setLogical(library);
    apps.field(QStringLiteral("Application_directory")).setString(directory);
    apps.field(QStringLiteral("Application_security")).setString(security);
    apps.post();
    apps.close();
}

} // namespace

TEST(RunOption, FavouriteAndMenuItemRunTheSameLibraryWithTheRecord)
{
    Installation installation;
    installation.installModule(QStringLiteral("purchent"));
    auto form = installation.startForm();
    form->findChild<QAction*>(QStringLiteral("purchentf"))->trigger();
    form->findChild<QAction*>(QStringLiteral("purchent"))->trigger();
    EXPECT_EQ(libraries(installation), QStringList({QStringLiteral("purchent.so"), QStringLiteral("purchent.so")}));
    const QStringList fields = installation.calls().at(0).split(QLatin1Char('|'));
    EXPECT_EQ(fields[2], QStringLiteral("Administrateur"));
    EXPECT_EQ(fields[3], QStringLiteral("1"));
    EXPECT_EQ(fields[4], QStringLiteral("Alpha"));
    EXPECT_EQ(fields[5], QStringLiteral("1"));
    EXPECT_EQ(fields[6], QStringLiteral("1"));
    EXPECT_EQ(fields[7], QStringLiteral("en"));
    EXPECT_TRUE(installation.messages.shown.isEmpty());
}

TEST(RunOption, ReportOptionsRunTheSharedLibraryWithTheirContext)
{
    Installation installation;
    installation.installModule(QStringLiteral("rptprint"));
    installation.installModule(QStringLiteral("rptmaint"));
    auto form = installation.startForm();
    struct Case {
        const char* option;
        const char* library;
        const char* context;
    } cases[] = {
        {"aprptprint", "rptprint.so", "ap"},  {"rptprint", "rptprint.so", "gl"},
        {"arrptmaint", "rptmaint.so", "ar"},  {"cfstatprint", "rptprint.so", "sa"},
        {"fastatmaint", "rptmaint.so", "sv"}, {"ivrptprintf", "rptprint.so", "iv"},
    };
    for (const Case& c : cases) {
        form->RunOption(QLatin1String(c.option));
        EXPECT_EQ(libraries(installation).constLast(), QLatin1String(c.library)) << c.option;
        EXPECT_EQ(lastContext(installation), QLatin1String(c.context)) << c.option;
        EXPECT_TRUE(form->linkSection().text(&TLinkSection::Link_context).isEmpty()) << c.option;
    }
}

TEST(RunOption, FailuresAreToldWithTheirNumbers)
{
    Installation installation;
    installation.installModule(QStringLiteral("parptprint"), QStringLiteral("launcher_missing_dependency"));
    installation.installModule(QStringLiteral("paentry"), QStringLiteral("launcher_missing_dependency"));
    installation.installModule(QStringLiteral("supview"), QStringLiteral("launcher_missing_dependency"));
    installation.installModule(QStringLiteral("clview"), QStringLiteral("launcher_no_entry"));
    installation.installModule(QStringLiteral("rptprint"), QStringLiteral("launcher_missing_dependency"));
    auto form = installation.startForm();
    struct Case {
        const char* option;
        QString message;
    } cases[] = {
        {"paentry", Line(14)}, // payroll library, dependency missing
        {"supview", QStringLiteral("error loading option supview  1157")},
        {"acctview", QStringLiteral("error loading option acctview  126")}, // no file at all
        {"clview", QStringLiteral("error loading option clview  127")},     // no entry point: not called
        // The payroll report maps to the shared library, which is missing its dependency.
        {"parptprint", Line(14)},
    };
    for (const Case& c : cases) {
        installation.messages.shown.clear();
        form->RunOption(QLatin1String(c.option));
        ASSERT_EQ(installation.messages.shown.size(), 1) << c.option;
        EXPECT_EQ(installation.messages.shown[0].text, c.message) << c.option;
        EXPECT_TRUE(form->linkSection().text(&TLinkSection::Link_context).isEmpty());
    }
    EXPECT_TRUE(installation.calls().isEmpty());
}

TEST(RunOption, RefusalAndExceptionHandlerAreCleanedUp)
{
    Installation installation;
    installation.installModule(QStringLiteral("supview"));
    auto form = installation.startForm();
    qputenv("LAUNCHER_FIXTURE_RESULT", "0");
    qputenv("LAUNCHER_FIXTURE_HANDLER", "1");
    form->setWindowTitle(QStringLiteral("changed"));
    form->RunOption(QStringLiteral("supview"));
    ASSERT_EQ(installation.messages.shown.size(), 1);
    EXPECT_EQ(installation.messages.shown[0].text, QStringLiteral("Access denied..."));
    EXPECT_FALSE(varnex::HasApplicationExceptionHandler());
    EXPECT_TRUE(form->windowTitle().startsWith(QStringLiteral("Lgx test ")));
}

TEST(RunOption, PayrollFilesAreNeededWhenPayrollIsInstalled)
{
    for (const char* payroll : {"Y", "y", "N"}) {
        Installation installation;
        installation.setSetting(QStringLiteral("payroll"), QLatin1String(payroll));
        for (const char* option : {"paentry", "pafiles", "parptprint", "glsubjrn", "empview"})
            installation.installModule(QLatin1String(option));
        installation.installModule(QStringLiteral("rptprint"));
        auto form = installation.startForm();
        const bool installed = QByteArray(payroll).toUpper() == "Y";
        for (const char* option : {"paentry", "parptprint", "glsubjrn"}) {
            installation.messages.shown.clear();
            const int before = static_cast<int>(installation.calls().size());
            form->RunOption(QLatin1String(option));
            EXPECT_EQ(installation.calls().size() == before, installed) << payroll << " " << option;
            if (installed) {
                ASSERT_EQ(installation.messages.shown.size(), 1);
                EXPECT_EQ(installation.messages.shown[0].text, Line(15));
                EXPECT_EQ(installation.messages.shown[0].kind, varnex::MessageKind::Information);
            }
        }
        // The option that creates the files is never blocked; neither is the
        // employee display, whose name is not a payroll name.
        const int before = static_cast<int>(installation.calls().size());
        form->RunOption(QStringLiteral("pafiles"));
        form->RunOption(QStringLiteral("empview"));
        EXPECT_EQ(installation.calls().size(), before + 2) << payroll;
    }
}

TEST(RunOption, PayrollAndJobCostFilesPresentLetOptionsRun)
{
    Installation installation;
    installation.setSetting(QStringLiteral("payroll"), QStringLiteral("Y"));
    installation.installModule(QStringLiteral("paentry"));
    installation.installModule(QStringLiteral("jcentry"));
    auto form = installation.startForm();
    form->RunOption(QStringLiteral("jcentry"));
    ASSERT_EQ(installation.messages.shown.size(), 1);
    EXPECT_EQ(installation.messages.shown[0].text, Line(19));

    auto company = varnex::data::Database::forFolder(installation.dataRoot() + QStringLiteral("1"));
    for (const char* table : {"Pndept", "jcctrl"}) {
        if (!company->tableExists(QLatin1String(table)))
            company->createTable(*varnex::data::FindTableDef(QLatin1String(table)));
    }
    installation.messages.shown.clear();
    form->RunOption(QStringLiteral("paentry"));
    form->RunOption(QStringLiteral("jcentry"));
    EXPECT_TRUE(installation.messages.shown.isEmpty());
    EXPECT_EQ(libraries(installation), QStringList({QStringLiteral("paentry.so"), QStringLiteral("jcentry.so")}));
}

TEST(RunOption, DesktopShortcutsRunOnlyAllowedOptions)
{
    Installation installation;
    installation.addUser(QStringLiteral("CLERK"), QStringLiteral("CLERK1"), {QStringLiteral("clview")});
    installation.installModule(QStringLiteral("clview"));
    installation.installModule(QStringLiteral("climaint"));
    installation.installModule(QStringLiteral("view"));
    LauncherEnvironment environment;
    environment.runDialog = [](QDialog& dialog) {
        dialog.findChild<QLineEdit*>(QStringLiteral("Password"))->setText(QStringLiteral("CLERK1"));
        return mrOk;
    };
    auto form = installation.startForm(std::move(environment));
    form->RunOption(QStringLiteral("clviewS"));
    EXPECT_EQ(libraries(installation), QStringList({QStringLiteral("clview.so")}));
    for (const char* refused : {"climaintS", "viewS"}) { // "view" is part of an allowed name only
        installation.messages.shown.clear();
        form->RunOption(QLatin1String(refused));
        ASSERT_EQ(installation.messages.shown.size(), 1) << refused;
        EXPECT_EQ(installation.messages.shown[0].text, Line(20));
    }
    EXPECT_EQ(installation.calls().size(), 1);
}

TEST(RunOption, TrackerOptionsNeedAChosenDatabase)
{
    Installation installation;
    installation.setSetting(QStringLiteral("tracker"), QStringLiteral("y"));
    installation.installModule(QStringLiteral("trkentry"));
    installation.installModule(QStringLiteral("trknewbase"));
    {
        auto company = varnex::data::Database::forFolder(installation.dataRoot() + QStringLiteral("1"));
        if (!company->tableExists(QStringLiteral("trkdb")))
            company->createTable(*varnex::data::FindTableDef(QStringLiteral("trkdb")));
        varnex::data::Table trkdb;
        trkdb.setDatabase(company);
        trkdb.setTableName(QStringLiteral("trkdb"));
        trkdb.open();
        trkdb.append();
        trkdb.field(QStringLiteral("Trkdb_account")).setInteger(42);
        trkdb.field(QStringLiteral("Trkdb_name")).setString(QStringLiteral("Claims"));
        trkdb.field(QStringLiteral("Trkdb_type")).setInteger(1);
        trkdb.post();
    }
    auto form = installation.startForm();
    ASSERT_EQ(MenuOf(*form, "OpenDatabase")->actions().size(), 1);
    form->RunOption(QStringLiteral("trkentryf"));
    ASSERT_EQ(installation.messages.shown.size(), 1);
    EXPECT_EQ(installation.messages.shown[0].text, Line(13));
    EXPECT_TRUE(installation.calls().isEmpty());

    form->OpendataClick(MenuOf(*form, "OpenDatabase")->actions().at(0));
    EXPECT_EQ(form->selectedTrackerBase(), QStringLiteral("42"));
    form->RunOption(QStringLiteral("trkentry"));
    EXPECT_EQ(lastContext(installation), QStringLiteral("42"));
    EXPECT_TRUE(form->linkSection().text(&TLinkSection::Link_context).isEmpty());

    // A new database needs none, and the menu is rebuilt (the choice is cleared).
    form->RunOption(QStringLiteral("trknewbase"));
    EXPECT_EQ(libraries(installation).constLast(), QStringLiteral("trknewbase.so"));
    EXPECT_TRUE(form->selectedTrackerBase().isEmpty());
}

TEST(RunOption, CompanyMaintenanceRebuildsTheCompanyMenu)
{
    Installation installation;
    installation.installModule(QStringLiteral("compsetup"));
    auto form = installation.startForm();
    ASSERT_EQ(MenuOf(*form, "CompanyMenu")->actions().size(), 1);
    // What the maintenance does while it runs: a company is added.
    installation.addCompany(2, QStringLiteral("Beta"));
    form->RunOption(QStringLiteral("compsetup"));
    const QList<QAction*> items = MenuOf(*form, "CompanyMenu")->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[1]->text(), QStringLiteral("Beta"));
    EXPECT_TRUE(items[0]->isChecked());
    EXPECT_FALSE(items[1]->isChecked());
    EXPECT_EQ(form->companyList(), QStringList({QStringLiteral("1"), QStringLiteral("2")}));
}

TEST(RunOption, CompanyMaintenanceRenamingTheCurrentCompanyKeepsItChecked)
{
    Installation installation;
    installation.installModule(QStringLiteral("compsetup"));
    installation.installModule(QStringLiteral("supview"));
    installation.addCompany(2, QStringLiteral("Beta"));
    auto form = installation.startForm();
    // What the maintenance does while it runs: the company in use is renamed.
    varnex::data::Table comp;
    comp.setDatabase(varnex::data::Database::forFolder(installation.dataRoot()));
    comp.setTableName(QStringLiteral("comp"));
    comp.open();
    for (comp.first(); !comp.eof(); comp.next()) {
        if (comp.field(QStringLiteral("Comp_Code")).asInteger() == 1) {
            comp.edit();
            comp.field(QStringLiteral("Comp_Name")).setString(QStringLiteral("Alpha Ltée"));
            comp.post();
        }
    }
    comp.close();

    form->RunOption(QStringLiteral("compsetup"));
    const QList<QAction*> items = MenuOf(*form, "CompanyMenu")->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->text(), QStringLiteral("Alpha Ltée"));
    EXPECT_TRUE(items[0]->isChecked());
    EXPECT_FALSE(items[1]->isChecked());
    EXPECT_EQ(form->linkSection().text(&TLinkSection::Link_company_name), QStringLiteral("Alpha Ltée"));
    EXPECT_EQ(StatusBarOf(*form)->panelText(0), QStringLiteral("Alpha Ltée"));
    // The next module receives the new name.
    form->RunOption(QStringLiteral("supview"));
    EXPECT_EQ(installation.calls().constLast().section(QLatin1Char('|'), 4, 4), QStringLiteral("Alpha Ltée"));
}

TEST(RunOption, ParameterMaintenanceReappliesTheInternationalSwitch)
{
    Installation installation;
    installation.installModule(QStringLiteral("sysparams"));
    auto form = installation.startForm();
    auto chequeEdit = [&] { return form->findChild<QAction*>(QStringLiteral("apchqmod"))->text(); };
    const QString canadian = chequeEdit();
    EXPECT_NE(canadian, Line(24));
    // What the parameter maintenance does while it runs: the company is now international.
    installation.setSetting(QStringLiteral("intl"), QStringLiteral("y"), QStringLiteral("Settings"));
    form->RunOption(QStringLiteral("sysparams"));
    EXPECT_EQ(form->settings().intl, QStringLiteral("y"));
    EXPECT_EQ(chequeEdit(), Line(24));
    EXPECT_EQ(form->findChild<QAction*>(QStringLiteral("chqfmt"))->text(), Line(29));
}

TEST(ToolsMenu, EntriesFromAppsWithTheirRightsAndPrograms)
{
    Installation installation;
    QTemporaryDir work;
    addAppsRow(installation, QStringLiteral("Calculator"), QStringLiteral("calc.exe"), false, QString(),
               QStringLiteral("sysparams"));
    addAppsRow(installation, QStringLiteral("Export"), QStringLiteral("exporter"), false, work.path());
    addAppsRow(installation, QString(), QString(), false, QString()); // an empty row
    addAppsRow(installation, QStringLiteral("Reports"), QStringLiteral("rptprint"), true, QString(),
               QStringLiteral("nosuchoption"));
    installation.installModule(QStringLiteral("rptprint"));
    varnex::RecordingShellService shell;
    const QString before = QDir::currentPath();
    auto form = installation.startForm();
    const QList<QAction*> items = MenuOf(*form, "ToolsMenu")->actions();
    ASSERT_EQ(items.size(), 5);
    EXPECT_EQ(items[0]->objectName(), QStringLiteral("toolsmaint"));
    EXPECT_EQ(items[0]->text(), QStringLiteral("Maintenance of Tools menu"));
    EXPECT_FALSE(items[2]->text().isEmpty());
    EXPECT_FALSE(items[3]->isEnabled()); // nothing to run
    EXPECT_TRUE(items[4]->isEnabled());  // security option not found: stays enabled

    items[1]->trigger(); // no directory: started where the launcher is
    ASSERT_EQ(shell.started.size(), 1);
    EXPECT_EQ(shell.started[0].program, QStringLiteral("calc"));
    EXPECT_EQ(shell.started[0].workingFolder, before);
    EXPECT_EQ(QDir::currentPath(), before);

    items[2]->trigger(); // with a directory: the launcher moves there and stays
    ASSERT_EQ(shell.started.size(), 2);
    EXPECT_EQ(shell.started[1].program, QStringLiteral("exporter"));
    EXPECT_EQ(QDir(shell.started[1].workingFolder).canonicalPath(), QDir(work.path()).canonicalPath());
    EXPECT_EQ(QDir::current().canonicalPath(), QDir(work.path()).canonicalPath());
    QDir::setCurrent(before);

    items[3]->trigger(); // disabled: nothing
    items[4]->trigger();
    EXPECT_EQ(libraries(installation), QStringList({QStringLiteral("rptprint.so")}));
    EXPECT_EQ(shell.started.size(), 2);
    EXPECT_TRUE(installation.messages.shown.isEmpty());
}

TEST(ToolsMenu, ACraftedLibraryRowIsRefusedByNameAndNothingIsLoaded)
{
    Installation installation;
    // A working option library outside the program folder: it must never run.
    QTemporaryDir outside;
    installation.installModule(QStringLiteral("rptprint"));
    const QString planted = outside.filePath(QStringLiteral("evil"));
    ASSERT_TRUE(QFile::copy(installation.programFolder() + QStringLiteral("/rptprint.so"), planted + ".so"));
    const QStringList crafted = {QStringLiteral("../../../x/evil"), planted, QStringLiteral("sub/../rptprint")};
    for (const QString& program : crafted)
        addAppsRow(installation, QStringLiteral("Crafted"), program, true, QString());
    auto form = installation.startForm();
    const QList<QAction*> items = MenuOf(*form, "ToolsMenu")->actions();
    ASSERT_EQ(items.size(), 1 + crafted.size());
    for (int i = 0; i < crafted.size(); ++i) {
        installation.messages.shown.clear();
        items[1 + i]->trigger();
        ASSERT_EQ(installation.messages.shown.size(), 1) << crafted[i].toStdString();
        EXPECT_EQ(installation.messages.shown[0].text, Line(31));
    }
    EXPECT_TRUE(installation.calls().isEmpty());
}

TEST(ToolsMenu, AMissingAppsTableIsCreatedWithItsDefaultEntry)
{
    Installation installation;
    varnex::data::Database::forFolder(installation.dataRoot())->dropTable(QStringLiteral("apps"));
    auto form = installation.startForm();
    ASSERT_EQ(MenuOf(*form, "ToolsMenu")->actions().size(), 1);
    EXPECT_EQ(MenuOf(*form, "ToolsMenu")->actions()[0]->objectName(), QStringLiteral("toolsmaint"));
    EXPECT_TRUE(varnex::data::Database::forFolder(installation.dataRoot())->tableExists(QStringLiteral("apps")));
}

TEST(ToolsMenu, HelpFolderFollowsTheLanguage)
{
    Installation installation;
    installation.addUser(QStringLiteral("CLERK"), QStringLiteral("CLERK1"), {}, 2, 1);
    for (const char* folder : {"/Help", "/Helpfr"})
        QDir().mkpath(installation.programFolder() + QLatin1String(folder));
    varnex::RecordingHelpService help;
    auto english = installation.startForm();
    english->HelpClick();
    english.reset();
    LauncherEnvironment environment;
    environment.runDialog = [](QDialog& dialog) {
        dialog.findChild<QLineEdit*>(QStringLiteral("Password"))->setText(QStringLiteral("CLERK1"));
        return mrOk;
    };
    auto french = installation.startForm(std::move(environment));
    french->HelpClick();
    ASSERT_EQ(help.requests.size(), 2);
    EXPECT_EQ(help.requests[0], QStringLiteral("contents:") + installation.programFolder() + QStringLiteral("/Help"));
    EXPECT_EQ(help.requests[1], QStringLiteral("contents:") + installation.programFolder() + QStringLiteral("/Helpfr"));
}
