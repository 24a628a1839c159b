// The information windows through the real main window and on their own: the
// welcome window and its setting, the set-up notices, the contact window's
// addresses and the about box.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>
#include <QTest>

#include "defaultinfo.h"
#include "dialogs.h"
#include "infowindows.h"
#include "launcher_fixture.h"
#include "launcherwindows.h"
#include "varnex/data/database.h"
#include "varnex/helpviewer.h"
#include "varnex/settings.h"
#include "varnex/shell.h"
#include "varnex/translation/translate.h"
#include "varnex/translation/window_check.h"

using namespace varnex::launcher;
using launcher_test::Installation;

namespace {

// The main window started with the windows joined; every modal window the
// windows show is named in `shown` and answered by `answer` (closed by
// default), the login by the password.
using Answer = std::function<void(QDialog&)>;

struct Started {
    QStringList shown;
    Answer answer;
    LauncherWindows windows{[this](QDialog& dialog) {
        shown << dialog.objectName();
        if (answer)
            answer(dialog);
        else
            dialog.done(QDialog::Rejected);
        return dialog.result();
    }};
    std::unique_ptr<TLogoAppForm> form;

    explicit Started(Installation& installation, Answer answering = {}, const QString& password = QString())
        : answer(std::move(answering))
    {
        LauncherEnvironment environment;
        windows.install(environment.hooks);
        if (!password.isEmpty()) {
            environment.runDialog = [password](QDialog& dialog) {
                dialog.findChild<QLineEdit*>(QStringLiteral("Password"))->setText(password);
                return mrOk;
            };
        }
        form = installation.makeForm(std::move(environment));
        windows.attach(*form);
        form->FormActivate();
    }
};

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

TLinkSection* recordWith(varnex::LinkRecord& record, const QString& programFolder, int language)
{
    record.setText(&TLinkSection::Link_pgm_dir, programFolder);
    record.raw().Link_language = language;
    record.setLangCode(language == 2 ? QStringLiteral("fr") : QStringLiteral("en"));
    return &record.raw();
}

} // namespace

TEST(WelcomeWindow, ShownOnlyWhenTheSettingIsExactlyY)
{
    struct Case {
        const char* value;
        bool shown;
    } cases[] = {{"Y", true}, {"y", false}, {"N", false}, {"Yes", false}};
    for (const Case& c : cases) {
        Installation installation;
        installation.setSetting(QStringLiteral("ShowWelcome"), QLatin1String(c.value));
        Started started(installation);
        EXPECT_EQ(started.shown.contains(QStringLiteral("frmWelcome")), c.shown) << c.value;
    }
}

TEST(WelcomeWindow, TheBoxTickedIsTheOnlyWayToStopIt)
{
    Installation installation;
    installation.setSetting(QStringLiteral("ShowWelcome"), QStringLiteral("Y"));
    const QByteArray before = fileBytes(installation.settingsPath());
    auto closeTicked = [](bool ticked) {
        return [ticked](QDialog& dialog) {
            dialog.findChild<QCheckBox*>(QStringLiteral("chkAlwaysShow"))->setChecked(ticked);
            dialog.findChild<QPushButton*>(QStringLiteral("btnNo"))->click();
        };
    };
    Started first(installation, closeTicked(false));
    EXPECT_EQ(first.shown, QStringList{QStringLiteral("frmWelcome")});
    EXPECT_EQ(fileBytes(installation.settingsPath()), before); // untouched
    Started second(installation, closeTicked(true));
    EXPECT_EQ(second.shown, QStringList{QStringLiteral("frmWelcome")}); // shown again
    EXPECT_EQ(installation.setting(QStringLiteral("ShowWelcome")), QStringLiteral("N"));
    Started third(installation);
    EXPECT_TRUE(third.shown.isEmpty());
}

// "Yes" opens the Introduction topic in the help viewer when the help of the
// user's language has it, otherwise that help's contents (English when the
// language has no help at all).
TEST(WelcomeWindow, YesOpensTheIntroductionTopic)
{
    struct Case {
        int language;
        const char* folderWithIntroduction; // nullptr: no Introduction page anywhere
        const char* folderWithContents;
        const char* request;
    } cases[] = {
        {1, "Help", "Help", "topic:%1/Help:Introduction"}, {2, "Helpfr", "Helpfr", "topic:%1/Helpfr:Introduction"},
        {2, "Help", "Helpfr", "contents:%1/Helpfr"}, // only the English page: the French contents
        {2, nullptr, "Help", "contents:%1/Help"},    // no French help: the English one
        {1, nullptr, "Help", "contents:%1/Help"},
    };
    for (const Case& c : cases) {
        QTemporaryDir program;
        QDir().mkpath(program.filePath(QLatin1String(c.folderWithContents)));
        if (c.folderWithIntroduction) {
            QDir().mkpath(program.filePath(QLatin1String(c.folderWithIntroduction)));
            QFile page(program.filePath(QLatin1String(c.folderWithIntroduction))
                       + QStringLiteral("/Introduction.html"));
            ASSERT_TRUE(page.open(QIODevice::WriteOnly));
        }
        varnex::LinkRecord record;
        TfrmWelcome welcome;
        welcome.setLink(*recordWith(record, program.path(), c.language), QStringLiteral("lgx"));
        varnex::RecordingHelpService help;
        welcome.btnYes->click();
        EXPECT_EQ(help.requests, QStringList{QString::fromLatin1(c.request).arg(program.path())}) << c.request;
        EXPECT_EQ(welcome.result(), QDialog::Accepted);
    }
}

TEST(WelcomeWindow, TheHelpViewerCanOpenTheIntroductionInBothLanguages)
{
    for (int language : {1, 2}) {
        varnex::LinkRecord record;
        TfrmWelcome welcome;
        welcome.setLink(*recordWith(record, QStringLiteral(VARNEX_BIN_DIR), language), QStringLiteral("lgx"));
        varnex::HelpViewer viewer;
        EXPECT_TRUE(viewer.showPage(welcome.introductionFolder(), QStringLiteral("Introduction"))) << language;
        EXPECT_FALSE(viewer.browser()->toPlainText().isEmpty());
    }
}

TEST(SetupNotice, ShownForAnInstalledLedgerTheUserCannotUseAndThatHasNoFiles)
{
    struct Case {
        const char* what;
        const char* payroll;
        const char* jobCost;
        QStringList rights;
        const char* existingTable; // nullptr: none
        QStringList notices;       // the memos shown, in order
    } cases[] = {
        {"payroll", "Y", "n", {}, nullptr, {QStringLiteral("memPayroll")}},
        {"payroll in lower case", "y", "n", {}, nullptr, {QStringLiteral("memPayroll")}},
        {"payroll files made", "Y", "n", {}, "pntrx", {}},
        {"payroll entry allowed", "Y", "n", {QStringLiteral("paentry")}, nullptr, {}},
        {"job cost", "n", "Y", {}, nullptr, {QStringLiteral("memJobCost")}},
        {"job cost files made", "n", "Y", {}, "jcctrl", {}},
        {"both", "Y", "Y", {}, nullptr, {QStringLiteral("memPayroll"), QStringLiteral("memJobCost")}},
        {"neither installed", "n", "n", {}, nullptr, {}},
    };
    for (const Case& c : cases) {
        Installation installation;
        installation.setSetting(QStringLiteral("payroll"), QLatin1String(c.payroll));
        installation.setSetting(QStringLiteral("JobCost"), QLatin1String(c.jobCost));
        installation.addUser(QStringLiteral("CLERK"), QStringLiteral("CLERK1"), c.rights);
        if (c.existingTable) {
            varnex::data::Database::forFolder(installation.dataRoot() + QStringLiteral("1"))
                ->createTableLike(QLatin1String(c.existingTable), QStringLiteral("taxrates"));
        }
        QStringList memos;
        Started started(
            installation,
            [&memos](QDialog& dialog) {
                for (const char* name : {"memPayroll", "memJobCost"}) {
                    if (!dialog.findChild<QPlainTextEdit*>(QLatin1String(name))->isHidden())
                        memos << QLatin1String(name);
                }
                dialog.findChild<QPushButton*>(QStringLiteral("btnOk"))->click();
            },
            QStringLiteral("CLERK1"));
        EXPECT_FALSE(started.form->closedWithoutUser()) << c.what;
        EXPECT_EQ(memos, c.notices) << c.what;
        EXPECT_EQ(started.shown.size(), c.notices.size()) << c.what;
    }
}

TEST(SetupNotice, PrintsTheWindowAsShown)
{
    TfrmSetup setup;
    setup.ShowJobCost = true;
    setup.FormActivate();
    varnex::RecordingPrintService printing;
    setup.btnPrintForm->click();
    ASSERT_EQ(printing.images.size(), 1);
    EXPECT_FALSE(printing.images[0].isNull());
    EXPECT_EQ(setup.btnPrintForm->toolTip(), QStringLiteral("Print Screen"));
}

TEST(ContactWindow, AddressesOpenAsWebPagesOrNewMessages)
{
    struct Case {
        const char* label;
        const char* target;
        const char* url;
    } cases[] = {
        {"www.varnex.example/support", "www.varnex.example/support", "http://www.varnex.example/support"},
        {"Www.varnex.example", "mailto: Www.varnex.example", "mailto:Www.varnex.example"}, // only a lower-case w
        {"support@varnex.example", "mailto: support@varnex.example", "mailto:support@varnex.example"},
        {"web@varnex.example", "web@varnex.example", "http://web@varnex.example"}, // as designed: w is a web address
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ContactTarget(QLatin1String(c.label)), QLatin1String(c.target)) << c.label;
        EXPECT_EQ(ContactUrl(ContactTarget(QLatin1String(c.label))).toString(), QLatin1String(c.url)) << c.label;
    }
}

TEST(ContactWindow, ClickingAnAddressAsksTheShellAndTheTextsNeverHoldTheCaret)
{
    TContactUs contact;
    contact.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&contact));
    varnex::RecordingShellService shell;
    const QList<TClickLabel*> addresses = contact.addressLabels();
    ASSERT_EQ(addresses.size(), 6);
    for (TClickLabel* address : addresses)
        QTest::mouseClick(address, Qt::LeftButton);
    ASSERT_EQ(shell.opened.size(), 6);
    EXPECT_EQ(shell.opened[0].scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(shell.opened[1].scheme(), QStringLiteral("http"));
    contact.Memo1->setFocus();
    EXPECT_TRUE(QTest::qWaitFor([&] { return contact.Button1->hasFocus(); }));
    contact.Button1->click();
    EXPECT_FALSE(contact.isVisible());
}

TEST(AboutBox, ShowsTheDataFolderAndThePayrollKind)
{
    struct Case {
        const char* payroll;
        const char* payrollCCQ;
        const char* shown;
    } cases[] = {
        {"Y", "n", "Regular"}, {"y", "Y", "Regular"}, {"n", "Y", "CCQ"}, {"n", "y", "None"}, {"n", "n", "None"},
    };
    for (const Case& c : cases) {
        Installation installation;
        installation.setSetting(QStringLiteral("payroll"), QLatin1String(c.payroll));
        installation.setSetting(QStringLiteral("payrollCCQ"), QLatin1String(c.payrollCCQ));
        QString kind;
        QString folder;
        bool enabled = true;
        Started started(installation, [&](QDialog& dialog) {
            auto* payroll = dialog.findChild<QComboBox*>(QStringLiteral("cbxPayroll"));
            kind = payroll->currentText();
            enabled = payroll->isEnabled();
            folder = dialog.findChild<QLabel*>(QStringLiteral("lblDatabase"))->text();
            dialog.accept();
        });
        started.form->findChild<QAction*>(QStringLiteral("About1"))->trigger();
        EXPECT_EQ(started.shown.value(0), QStringLiteral("AboutBox"));
        EXPECT_EQ(kind, QLatin1String(c.shown)) << c.payroll << c.payrollCCQ;
        EXPECT_FALSE(enabled);
        EXPECT_EQ(folder, installation.dataRoot());
    }
}

TEST(AboutBox, TheDataFolderOpensInTheFileBrowser)
{
    TAboutBox about;
    about.setInstallation(QStringLiteral("/srv/primora/Lgx/data"), QStringLiteral("n"), QStringLiteral("n"));
    about.FormShow();
    varnex::RecordingShellService shell;
    about.lblDatabaseClick();
    ASSERT_EQ(shell.opened.size(), 1);
    EXPECT_EQ(shell.opened[0], QUrl::fromLocalFile(QStringLiteral("/srv/primora/Lgx/data")));
}

TEST(InformationWindows, TextsInBothLanguages)
{
    Installation installation;
    varnex::translation::SetLanguageTableSource(nullptr); // the tables the build made
    LauncherWindows windows;
    QWidget* all[] = {&windows.welcome(), &windows.setup(), &windows.contactUs(), &windows.aboutBox()};
    for (QWidget* window : all) {
        for (const char* table : {"MainMenuen", "MainMenufr"}) {
            try {
                EXPECT_EQ(varnex::translation::CheckWindowTexts(window, QLatin1String(table)), QStringList())
                    << window->objectName().toStdString() << " " << table;
            } catch (const std::exception& error) {
                GTEST_SKIP() << "language tables not built: " << error.what();
            }
        }
    }
    varnex::translation::TranslateForm(&windows.welcome(), QStringLiteral("MainMenufr"));
    EXPECT_EQ(windows.welcome().btnYes->text(), QStringLiteral("Oui"));
}

// With VARNEX_SCREENSHOTS set to a folder, each wizard page and each
// information window is pictured there in both languages (the pictures of
// docs/screenshots and of the help pages).
TEST(InformationWindows, PicturesInBothLanguages)
{
    const QString folder = qEnvironmentVariable("VARNEX_SCREENSHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "VARNEX_SCREENSHOTS not set";
    QDir().mkpath(folder);
    Installation installation;
    varnex::translation::SetLanguageTableSource(nullptr);
    auto picture = [&folder](QWidget* window, const QString& name) {
        window->show();
        QApplication::processEvents();
        EXPECT_TRUE(window->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png")))
            << name.toStdString();
    };
    for (const char* code : {"en", "fr"}) {
        const QString table = QStringLiteral("MainMenu") + QLatin1String(code);
        const QString suffix = QLatin1Char('-') + QLatin1String(code);
        for (bool outside : {false, true}) {
            TfrmDefaultInfo wizard;
            wizard.setLanguage(QLatin1String(code) == QLatin1String("fr") ? 2 : 1);
            varnex::translation::TranslateForm(&wizard, table);
            wizard.show(); // shown once: showing it again starts from the first page
            (outside ? wizard.rbOutsideCanada : wizard.rbInCanada)->setChecked(true);
            if (outside) {
                wizard.btnNext1->click();
                picture(&wizard, QStringLiteral("wizard-3-vat") + suffix);
                continue;
            }
            picture(&wizard, QStringLiteral("wizard-1") + suffix);
            wizard.btnNext1->click();
            wizard.cbxProvinces->setCurrentIndex(province::Quebec);
            picture(&wizard, QStringLiteral("wizard-2") + suffix);
            wizard.btnNext2->click();
            picture(&wizard, QStringLiteral("wizard-3") + suffix);
            wizard.btnNext3->click();
            picture(&wizard, QStringLiteral("wizard-4") + suffix);
            wizard.btnNext4->click();
            picture(&wizard, QStringLiteral("wizard-5") + suffix);
        }
        LauncherWindows windows;
        for (QWidget* window : std::initializer_list<QWidget*>{&windows.welcome(), &windows.setup(),
                                                               &windows.contactUs(), &windows.aboutBox()})
            varnex::translation::TranslateForm(window, table);
        picture(&windows.welcome(), QStringLiteral("welcome") + suffix);
        windows.setup().ShowPayroll = true;
        picture(&windows.setup(), QStringLiteral("setup-payroll") + suffix);
        windows.setup().hide();
        windows.setup().ShowPayroll = false;
        windows.setup().ShowJobCost = true;
        picture(&windows.setup(), QStringLiteral("setup-jobcost") + suffix);
        picture(&windows.contactUs(), QStringLiteral("contact") + suffix);
        windows.aboutBox().setInstallation(QStringLiteral("/home/office/.local/share/primora/Lgx/data"),
                                           QStringLiteral("Y"), QStringLiteral("n"));
        picture(&windows.aboutBox(), QStringLiteral("about") + suffix);
    }
}
