// The Tools menu maintenance: the launcher's call with its two option lists,
// and the maintenance window over `apps`.

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>

#include "dialogs.h"
#include "launcher_fixture.h"
#include "varnex/data/database.h"
#include "varnex/data/table.h"
#include "varnex/library.h"
#include "varnex/translation/translate.h"
#include "varnex/translation/window_check.h"

using namespace varnex::launcher;
using launcher_test::Installation;
using launcher_test::ListOf;
using launcher_test::MenuOf;
using launcher_test::StatusBarOf;

namespace {

QStringList programsOfApps(const Installation& installation)
{
    varnex::data::Table apps;
    apps.setDatabase(varnex::data::Database::forFolder(installation.dataRoot()));
    apps.setTableName(QStringLiteral("apps"));
    apps.open();
    QStringList programs;
    for (apps.first(); !apps.eof(); apps.next())
        programs << apps.field(QStringLiteral("Application_pgm")).asString();
    return programs;
}

} // namespace

TEST(ToolsMaintenanceCall, GetsEveryVisibleOptionAndRebuildsTheMenu)
{
    Installation installation;
    installation.addUser(QStringLiteral("CLERK"), QStringLiteral("CLERK1"), {QStringLiteral("sysparams")});
    installation.installModule(QStringLiteral("toolsmaint"), QStringLiteral("launcher_tools_module"));
    LauncherEnvironment environment;
    environment.runDialog = [](QDialog& dialog) {
        dialog.findChild<QLineEdit*>(QStringLiteral("Password"))->setText(QStringLiteral("CLERK1"));
        return mrOk;
    };
    auto form = installation.startForm(std::move(environment));
    const int rows = ListOf(*form, "DllList")->count();
    ASSERT_GT(rows, 1);
    QAction* entry = MenuOf(*form, "ToolsMenu")->actions().value(0);
    ASSERT_NE(entry, nullptr);
    ASSERT_TRUE(entry->isEnabled()); // the clerk may maintain the parameters
    entry->trigger();
    // During the call the lists held every visible option, none without its name.
    ASSERT_EQ(installation.calls(), QStringList({QStringLiteral("tools|%1|%1|0").arg(rows)}));
    // Afterwards the options the clerk may not run are without a name again.
    EXPECT_EQ(ListOf(*form, "DllList")->count(), rows);
    EXPECT_EQ(ListOf(*form, "DllList")->findItems(QStringLiteral("sysparams"), Qt::MatchExactly).size(), 1);
    EXPECT_GT(ListOf(*form, "DllList")->findItems(QString(), Qt::MatchExactly).size(), 0);
    // The entry the maintenance added is in the menu.
    ASSERT_EQ(MenuOf(*form, "ToolsMenu")->actions().size(), 2);
    EXPECT_EQ(MenuOf(*form, "ToolsMenu")->actions()[1]->objectName(), QStringLiteral("added"));
    EXPECT_TRUE(installation.messages.shown.isEmpty());
}

TEST(ToolsMaintenanceCall, ALibraryThatDoesNotLoadIsTold)
{
    Installation installation;
    installation.installModule(QStringLiteral("toolsmaint"), QStringLiteral("launcher_missing_dependency"));
    auto form = installation.startForm();
    form->RunToolsMaintenance();
    ASSERT_EQ(installation.messages.shown.size(), 1);
    EXPECT_EQ(installation.messages.shown[0].text, QStringLiteral("error loading toolsmaint  1157"));
}

class ToolsMaintWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(library.load(QStringLiteral("toolsmaint.so"), QStringLiteral(VARNEX_BIN_DIR)))
            << library.errorText().toStdString();
        auto create = library.entry<QDialog* (*)(TLinkSection, QListWidget*, QListWidget*)>("toolsmaint_create_window");
        ASSERT_NE(create, nullptr);
        for (const auto& [caption, name] :
             {std::pair{"Achats", "purchent"}, {"Clients", ""}, {"Paramètres", "sysparams"}}) {
            names.addItem(QString::fromUtf8(caption));
            dlls.addItem(QString::fromUtf8(name));
        }
        varnex::LinkRecord record;
        record.setText(&TLinkSection::Link_data_dir, installation.dataRoot());
        record.raw().Link_language = 1;
        window.reset(create(record.value(), &names, &dlls));
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override
    {
        window.reset(); // before the library goes
        library.unload();
    }
    template <typename T>
    T* child(const char* name)
    {
        return window->findChild<T*>(QLatin1String(name));
    }
    void type(const char* caption, const char* program, bool option, const QString& directory = QString())
    {
        child<QPushButton>("NewBtn")->click();
        child<QLineEdit>("NameEdit")->setText(QLatin1String(caption));
        child<QCheckBox>("LibraryCheck")->setChecked(option);
        child<QComboBox>("ProgramCombo")->setEditText(QLatin1String(program));
        child<QLineEdit>("DirectoryEdit")->setText(directory);
    }

    Installation installation;
    varnex::SharedLibrary library;
    QListWidget names;
    QListWidget dlls;
    std::unique_ptr<QDialog> window;
};

TEST_F(ToolsMaintWindow, AddsEntriesAndRefusesBadOnes)
{
    EXPECT_EQ(child<QListWidget>("Entries")->count(), 1);
    // Only options the user may run are offered, with "everybody" first.
    QComboBox* security = child<QComboBox>("SecurityCombo");
    ASSERT_EQ(security->count(), 3);
    EXPECT_EQ(security->itemData(1).toString(), QStringLiteral("purchent"));
    EXPECT_EQ(security->itemData(2).toString(), QStringLiteral("sysparams"));

    QTemporaryDir folder;
    type("Calculator", "calc", false, folder.path());
    security->setCurrentIndex(2);
    child<QPushButton>("SaveBtn")->click();
    type("Purchases", "purchent", true, QStringLiteral("/ignored"));
    child<QPushButton>("SaveBtn")->click();
    EXPECT_EQ(programsOfApps(installation),
              QStringList({QStringLiteral("toolsmaint"), QStringLiteral("calc"), QStringLiteral("purchent")}));
    EXPECT_TRUE(installation.messages.shown.isEmpty());

    struct Case {
        const char* caption;
        const char* program;
        QString directory;
        bool library = false;
    } refused[] = {
        {"No program", "", QString()},
        {"", "noname", QString()},
        {"Twice", "CALC", QString()}, // names compare without case
        {"Nowhere", "prog", QStringLiteral("/no/such/folder")},
        // a suite option is a library of the program folder, named plainly
        {"Climbing", "../../../x/evil", QString(), true},
        {"Absolute", "/tmp/evil", QString(), true},
        {"Below", "sub/evil", QString(), true},
    };
    for (const Case& c : refused) {
        installation.messages.shown.clear();
        type(c.caption, c.program, c.library, c.directory);
        child<QPushButton>("SaveBtn")->click();
        EXPECT_EQ(installation.messages.shown.size(), 1) << c.caption;
    }
    EXPECT_EQ(programsOfApps(installation).size(), 3);

    // Changing an entry keeps its place.
    child<QListWidget>("Entries")->setCurrentRow(1);
    child<QLineEdit>("NameEdit")->setText(QStringLiteral("Calculatrice"));
    child<QPushButton>("SaveBtn")->click();
    EXPECT_EQ(programsOfApps(installation).value(1), QStringLiteral("calc"));
    EXPECT_EQ(child<QListWidget>("Entries")->item(1)->text(), QStringLiteral("Calculatrice"));
}

TEST_F(ToolsMaintWindow, TheMaintenanceEntryCannotBeDeleted)
{
    type("Calculator", "calc", false);
    child<QPushButton>("SaveBtn")->click();
    child<QListWidget>("Entries")->setCurrentRow(0);
    child<QPushButton>("DeleteBtn")->click();
    ASSERT_EQ(installation.messages.shown.size(), 1);
    EXPECT_EQ(programsOfApps(installation).size(), 2);

    installation.messages.answers = {varnex::MessageAnswer::Yes};
    child<QListWidget>("Entries")->setCurrentRow(1);
    child<QPushButton>("DeleteBtn")->click();
    EXPECT_EQ(programsOfApps(installation), QStringList({QStringLiteral("toolsmaint")}));
}

TEST_F(ToolsMaintWindow, IsInTheUsersLanguageFromItsTable)
{
    // The tables the build compiled, not the launcher fixture's.
    varnex::translation::SetLanguageTableSource(nullptr);
    auto create = library.entry<QDialog* (*)(TLinkSection, QListWidget*, QListWidget*)>("toolsmaint_create_window");
    varnex::LinkRecord record;
    record.setText(&TLinkSection::Link_data_dir, installation.dataRoot());
    record.raw().Link_language = 2;
    record.setLangCode(QStringLiteral("fr"));
    window.reset(create(record.value(), &names, &dlls));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Maintenance du menu Outils"));
    EXPECT_EQ(child<QPushButton>("DeleteBtn")->text(), QString::fromUtf8("Détruire"));
    EXPECT_EQ(child<QComboBox>("SecurityCombo")->itemText(0), QStringLiteral("(tout le monde)"));
    for (const char* table : {"toolsmainten", "toolsmaintfr"})
        EXPECT_TRUE(varnex::translation::CheckWindowTexts(window.get(), QLatin1String(table)).isEmpty()) << table;

    type("Ailleurs", "../evil", true);
    child<QPushButton>("SaveBtn")->click();
    ASSERT_EQ(installation.messages.shown.size(), 1);
    EXPECT_TRUE(installation.messages.shown[0].text.startsWith(QStringLiteral("Une option de la suite")))
        << installation.messages.shown[0].text.toStdString();
}
