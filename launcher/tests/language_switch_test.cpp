// Language switching and the regional formats through the real main window:
// the start-up language, the user's language, the Language menu and what it
// re-does, the international wording, the help folder and the currency and
// date settings.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QComboBox>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>

#include "dialogs.h"
#include "infowindows.h"
#include "launcher_fixture.h"
#include "launcherwindows.h"
#include "varnex/data/database.h"
#include "varnex/data/table.h"
#include "varnex/regional.h"
#include "varnex/shell.h"
#include "varnex/statusbar.h"
#include "varnex/translation/translate.h"

using namespace varnex::launcher;
using launcher_test::Installation;
using launcher_test::MenuOf;
using launcher_test::StatusBarOf;
namespace translation = varnex::translation;

namespace {

QAction* languageItem(const TLogoAppForm& form, const char* code)
{
    return form.findChild<QAction*>(QStringLiteral("MenuItem") + QLatin1String(code));
}

// Logs in with the password, whatever dialog asks.
std::function<int(QDialog&)> answering(const QString& password, QStringList* loginTitles = nullptr)
{
    return [password, loginTitles](QDialog& dialog) {
        if (loginTitles)
            *loginTitles << dialog.findChild<QLabel*>(QStringLiteral("Label1"))->text();
        dialog.findChild<QLineEdit*>(QStringLiteral("Password"))->setText(password);
        return mrOk;
    };
}

void addLoginLabel(Installation& installation)
{
    for (const char* code : {"en", "fr"}) {
        translation::LanguageRow row;
        row.formName = QStringLiteral("PasswordDlg");
        row.componentName = QStringLiteral("Label1");
        row.caption =
            QLatin1String(code) == QLatin1String("fr") ? QStringLiteral("Mot de passe") : QStringLiteral("Password");
        installation.languages.addRow(QStringLiteral("MainMenu") + QLatin1String(code), row);
    }
}

// The text a translated component shows now.
QString shownText(QObject* component, const translation::LanguageRow& row)
{
    if (row.isMemo) {
        if (auto* memo = qobject_cast<QPlainTextEdit*>(component))
            return memo->toPlainText();
    }
    if (auto* menu = qobject_cast<QMenu*>(component))
        return menu->title();
    if (auto* action = qobject_cast<QAction*>(component))
        return action->text();
    return component->property("text").toString();
}

// Every component of the main window that its table names, against the
// table: the texts that differ.
QStringList staleTexts(TLogoAppForm& form, const QString& table)
{
    const std::unique_ptr<translation::LanguageTable> texts =
        translation::LanguageTables().open(translation::LanguageTableFileName(table));
    QHash<QString, QObject*> components;
    for (QObject* component : translation::WindowComponents(&form))
        components.insert(component->objectName(), component);
    QStringList stale;
    for (const translation::LanguageRow& row : texts->rowsOfForm(form.objectName())) {
        QObject* component = components.value(row.componentName);
        if (row.componentName == form.objectName()) {
            if (!form.windowTitle().startsWith(row.caption))
                stale << form.windowTitle();
            continue;
        }
        if (!component) // built by the desktop
            continue;
        const QString expected = row.isMemo ? translation::SplitLines(row.lines).join(QLatin1Char('\n')) : row.caption;
        if (shownText(component, row) != expected)
            stale << row.componentName + QStringLiteral(": ") + shownText(component, row);
    }
    return stale;
}

// The six cheque entries as Internationalize finds them.
QStringList chequeEntries(TLogoAppForm& form)
{
    QStringList texts;
    for (const char* name : {"apchqmod", "aprecur", "apchqlist", "aprecurlist", "apchqprint", "chqfmt"})
        if (QAction* item = form.findChild<QAction*>(QLatin1String(name)))
            texts << item->text();
    return texts;
}

// The user maintenance accepts only 1 and 2; older rows hold 0 ("no preference").
void setUserLanguage(const Installation& installation, const QString& password, int language)
{
    varnex::data::Table user;
    user.setDatabase(varnex::data::Database::forFolder(installation.dataRoot()));
    user.setTableName(QStringLiteral("user"));
    user.open();
    ASSERT_TRUE(user.findKey({password}));
    user.edit();
    user.field(QStringLiteral("User_language")).setInteger(language);
    user.post();
    user.close();
}

} // namespace

TEST(LanguageSwitching, AUserWithoutALanguageKeepsTheStartUpCodeWithNumberZero)
{
    struct Case {
        const char* startLanguage;
        const char* code;
        bool helpFolderOfTheCode; // the installation has "Help" + code
        const char* helpShown;
    } cases[] = {
        {"2", "fr", true, "/Helpfr"},
        {"1", "en", false, "/Help"}, // no "Helpen": the English help, not nothing
        {"1", "en", true, "/Helpen"},
    };
    for (const Case& c : cases) {
        Installation installation;
        installation.setSetting(QStringLiteral("language"), QLatin1String(c.startLanguage));
        installation.installModule(QStringLiteral("supview"));
        installation.addUser(QStringLiteral("CLERK"), QStringLiteral("CLERK1"), {});
        setUserLanguage(installation, QStringLiteral("CLERK1"), 0); // no preference
        QDir().mkpath(installation.programFolder() + QStringLiteral("/Help"));
        if (c.helpFolderOfTheCode)
            QDir().mkpath(installation.programFolder() + QStringLiteral("/Help") + QLatin1String(c.code));
        LauncherEnvironment environment;
        environment.runDialog = answering(QStringLiteral("CLERK1"));
        auto form = installation.startForm(std::move(environment));
        EXPECT_EQ(form->linkSection().raw().Link_language, 0) << c.startLanguage;
        EXPECT_EQ(form->linkSection().langCode(), QLatin1String(c.code));
        // Modules get number 0 (their texts chosen by number are the English
        // ones) with the start-up code; the windows keep the code's table.
        form->RunOption(QStringLiteral("supview"));
        const QStringList call = installation.calls().value(0).split(QLatin1Char('|'));
        ASSERT_EQ(call.size(), 8);
        EXPECT_EQ(call[6], QStringLiteral("0"));
        EXPECT_EQ(call[7], QLatin1String(c.code));
        EXPECT_TRUE(form->windowTitle().startsWith(
            QLatin1String(c.code) == QLatin1String("fr") ? QStringLiteral("Lgx essai ") : QStringLiteral("Lgx test ")));
        varnex::RecordingHelpService help;
        form->HelpClick();
        ASSERT_EQ(help.requests.size(), 1);
        EXPECT_EQ(help.requests[0],
                  QStringLiteral("contents:") + installation.programFolder() + QLatin1String(c.helpShown));
    }
}

TEST(LanguageSwitching, AFrenchUserOnAnEnglishMachineLogsInInEnglish)
{
    Installation installation;
    addLoginLabel(installation);
    installation.addUser(QStringLiteral("CLERK"), QStringLiteral("CLERK1"), {}, 2, 1);
    QStringList loginTexts;
    LauncherEnvironment environment;
    environment.runDialog = answering(QStringLiteral("CLERK1"), &loginTexts);
    auto form = installation.startForm(std::move(environment));
    EXPECT_EQ(loginTexts, QStringList({QStringLiteral("Password")}));
    auto* login = form->findChild<TPasswordDlg*>(QStringLiteral("PasswordDlg"));
    EXPECT_EQ(login->Label1->text(), QStringLiteral("Mot de passe"));
    EXPECT_EQ(form->ledgerMenu(0)->title(), QStringLiteral("Grand livre"));
    EXPECT_TRUE(languageItem(*form, "fr")->isChecked());
    EXPECT_FALSE(languageItem(*form, "en")->isChecked());
}

TEST(LanguageSwitching, FrenchFromTheMenuChangesTheMainWindowAndWhatIsBuiltFromIt)
{
    Installation installation;
    addLoginLabel(installation);
    for (const char* code : {"en", "fr"}) {
        const QString table = QStringLiteral("MainMenu") + QLatin1String(code);
        translation::LanguageRow row;
        row.formName = row.componentName = QStringLiteral("ContactUs");
        row.caption =
            QLatin1String(code) == QLatin1String("fr") ? QStringLiteral("Nous joindre") : QStringLiteral("Contact us");
        installation.languages.addRow(table, row);
        row.formName = row.componentName = QStringLiteral("LogoAppForm");
        row.caption = QStringLiteral("Primora/Lgx");
        installation.languages.addRow(table, row);
    }
    QWidget contact; // the contact window as the information windows make it
    contact.setObjectName(QStringLiteral("ContactUs"));
    auto form = installation.startForm();
    auto* login = form->findChild<TPasswordDlg*>(QStringLiteral("PasswordDlg"));
    EXPECT_EQ(login->Label1->text(), QStringLiteral("Password"));
    const int listed = launcher_test::ListOf(*form, "DllList")->count();

    languageItem(*form, "fr")->trigger();
    EXPECT_EQ(form->linkSection().raw().Link_language, 2);
    EXPECT_EQ(form->linkSection().langCode(), QStringLiteral("fr"));
    EXPECT_TRUE(languageItem(*form, "fr")->isChecked());
    EXPECT_FALSE(languageItem(*form, "en")->isChecked());
    EXPECT_EQ(form->ledgerMenu(0)->title(), QStringLiteral("Grand livre"));
    EXPECT_EQ(contact.windowTitle(), QStringLiteral("Nous joindre"));
    EXPECT_EQ(login->Label1->text(), QStringLiteral("Password")); // kept until the next start
    // The title: the translated caption, four spaces, then the French date.
    const QRegularExpression title(
        QStringLiteral("^Primora/Lgx    (lundi|mardi|mercredi|jeudi|vendredi|samedi|dimanche), "
                       "\\d{1,2} [a-zéû]+ \\d{4} $"));
    EXPECT_TRUE(title.match(form->windowTitle()).hasMatch()) << form->windowTitle().toStdString();
    EXPECT_EQ(StatusBarOf(*form)->panelText(0), form->linkSection().text(&TLinkSection::Link_user_name));
    EXPECT_EQ(StatusBarOf(*form)->panelText(1), QStringLiteral("Office laser"));
    EXPECT_EQ(MenuOf(*form, "ToolsMenu")->actions().value(0)->text(), QStringLiteral("Maintenance du menu Outils"));
    EXPECT_EQ(launcher_test::ListOf(*form, "DllList")->count(), listed);
    // Nothing is stored: the next start is in the user's own language.
    form.reset();
    auto again = installation.startForm();
    EXPECT_EQ(again->linkSection().langCode(), QStringLiteral("en"));
}

// The real contact window and about box, as the launcher makes them beside
// its main window: French from the menu changes them with the main window,
// while the login dialog keeps the language it was shown in.
TEST(LanguageSwitching, FrenchFromTheMenuChangesTheContactWindowAndTheAboutBox)
{
    Installation installation;
    translation::SetLanguageTableSource(nullptr); // the tables the build made
    try {
        translation::LanguageTables().open(QStringLiteral("MainMenufr.db"));
    } catch (const std::exception& error) {
        GTEST_SKIP() << "language tables not built: " << error.what();
    }
    LauncherWindows windows([](QDialog& dialog) { return dialog.result(); });
    LauncherEnvironment environment;
    windows.install(environment.hooks);
    auto form = installation.makeForm(std::move(environment));
    windows.attach(*form);
    form->FormActivate();
    auto* login = form->findChild<TPasswordDlg*>(QStringLiteral("PasswordDlg"));
    const QString loginText = login->Label1->text();

    struct Expected {
        const char* code;
        const char* contactTitle;
        const char* closeButton;
        const char* aboutTitle;
        const char* payrollKind;
    } steps[] = {
        {"fr", "Nous joindre", "Fermer", "À propos", "Aucune"},
        {"en", "Contact us", "Close", "About", "None"},
        {"fr", "Nous joindre", "Fermer", "À propos", "Aucune"},
    };
    for (const Expected& step : steps) {
        languageItem(*form, step.code)->trigger();
        EXPECT_EQ(windows.contactUs().windowTitle(), QString::fromUtf8(step.contactTitle)) << step.code;
        EXPECT_EQ(windows.contactUs().Button1->text(), QString::fromUtf8(step.closeButton)) << step.code;
        EXPECT_EQ(windows.aboutBox().windowTitle(), QString::fromUtf8(step.aboutTitle)) << step.code;
        EXPECT_EQ(windows.aboutBox().cbxPayroll->itemText(0), QString::fromUtf8(step.payrollKind)) << step.code;
        // Shown after the change, they keep the language chosen.
        form->findChild<QAction*>(QStringLiteral("About1"))->trigger();
        EXPECT_EQ(windows.aboutBox().windowTitle(), QString::fromUtf8(step.aboutTitle)) << step.code;
        EXPECT_EQ(login->Label1->text(), loginText) << step.code;
    }
}

TEST(LanguageSwitching, InternationalWordingFollowsTheLanguage)
{
    Installation installation;
    installation.setSetting(QStringLiteral("intl"), QStringLiteral("Y"), QStringLiteral("Settings"));
    auto form = installation.makeForm();
    translation::SetLanguageTableSource(nullptr); // the tables the build made
    try {
        translation::LanguageTables().open(QStringLiteral("MainMenuen.db"));
    } catch (const std::exception& error) {
        GTEST_SKIP() << "language tables not built: " << error.what();
    }
    form->FormActivate();
    const QStringList international = {
        QStringLiteral("Edit check entries"),          QStringLiteral("Recurring check entries"),
        QStringLiteral("List of checks to be issued"), QStringLiteral("List of recurring checks"),
        QStringLiteral("Print and update checks"),     QStringLiteral("Maintenance of check format"),
    };
    EXPECT_EQ(chequeEntries(*form), international);
    languageItem(*form, "fr")->trigger();
    EXPECT_EQ(chequeEntries(*form).value(0), QStringLiteral("Modification des chèques à émettre"));
    EXPECT_EQ(chequeEntries(*form).value(5), QStringLiteral("Maintenance du format de chèque"));
    languageItem(*form, "en")->trigger();
    EXPECT_EQ(chequeEntries(*form), international);
}

TEST(LanguageSwitching, TenSwitchesLeaveNoStaleText)
{
    Installation installation;
    auto form = installation.makeForm();
    translation::SetLanguageTableSource(nullptr);
    try {
        translation::LanguageTables().open(QStringLiteral("MainMenuen.db"));
    } catch (const std::exception& error) {
        GTEST_SKIP() << "language tables not built: " << error.what();
    }
    form->FormActivate();
    for (int i = 0; i < 10; ++i) {
        const char* code = i % 2 ? "en" : "fr";
        languageItem(*form, code)->trigger();
        const QStringList stale = staleTexts(*form, QStringLiteral("MainMenu") + QLatin1String(code));
        EXPECT_TRUE(stale.isEmpty()) << i << " " << code << ": " << stale.join(QStringLiteral("; ")).toStdString();
    }
}

TEST(RegionalSettings, TheLauncherReadsTheDateFormatAndTheCurrencyPosition)
{
    struct Case {
        const char* dateFormat; // nullptr: not set
        const char* align;
        int currencyFormat;
    } cases[] = {
        {nullptr, "L", 0},
        {"YYYY-MM-DD", "l", 0}, // before the amount
        {"MM/DD/YYYY", "r", 1}, // after the amount
        {"DD/MM/YY", "R", 1},
    };
    for (const Case& c : cases) {
        Installation installation;
        installation.setSetting(QStringLiteral("CurrAlign"), QLatin1String(c.align), QStringLiteral("Settings"));
        if (c.dateFormat)
            installation.setSetting(QStringLiteral("DateFmt"), QLatin1String(c.dateFormat), QStringLiteral("Settings"));
        varnex::ResetRegionalFormats();
        auto form = installation.makeForm();
        form->LoadRegionalSettings();
        EXPECT_EQ(varnex::Regional().shortDateFormat,
                  c.dateFormat ? QLatin1String(c.dateFormat) : QStringLiteral("DD/MM/YYYY"));
        EXPECT_EQ(varnex::Regional().currencyFormat, c.currencyFormat) << c.align;
        if (c.currencyFormat == 1) {
            EXPECT_EQ(varnex::Regional().negativeCurrencyFormat, 4) << c.align;
        }
    }
    varnex::ResetRegionalFormats();
}

// With VARNEX_SCREENSHOTS set to a folder, the main window in each language
// is written there (the pictures of docs/screenshots).
TEST(LanguageSwitching, PicturesOfTheMainWindowInBothLanguages)
{
    const QString folder = qEnvironmentVariable("VARNEX_SCREENSHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "VARNEX_SCREENSHOTS not set";
    Installation installation;
    QFile::copy(QStringLiteral(VARNEX_BIN_DIR "/wallpaper.png"),
                installation.programFolder() + QStringLiteral("/wallpaper.png"));
    auto form = installation.makeForm();
    translation::SetLanguageTableSource(nullptr);
    form->FormActivate();
    form->show();
    QDir().mkpath(folder);
    for (const char* code : {"fr", "en"}) {
        languageItem(*form, code)->trigger();
        QApplication::processEvents();
        EXPECT_TRUE(
            form->grab().save(folder + QStringLiteral("/launcher-") + QLatin1String(code) + QStringLiteral(".png")));
    }
}
