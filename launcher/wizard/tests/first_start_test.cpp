// The first start of an installation without a company, through the real
// main window: the company is created, the wizard stores its answers, then
// the user logs in, in that order; the new company then opens in every module.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "defaultinfo.h"
#include "dialogs.h"
#include "launcher_fixture.h"
#include "launcherwindows.h"
#include "modal_driver.h"
#include "varnex/data/database.h"
#include "varnex/regional.h"
#include "varnex/statusbar.h"
#include "varnex/translation/translate.h"
#include "wizard_test_support.h"

using namespace varnex::launcher;
using launcher_test::Installation;

namespace {

// The build's program folder: compcreate and the modules as the launcher finds them.
QString buildProgramDrive()
{
    QDir bin(QStringLiteral(VARNEX_BIN_DIR));
    bin.cdUp();
    bin.cdUp();
    return bin.path();
}

} // namespace

TEST(FirstStart, CompanyCreationThenTheWizardThenTheLogin)
{
    Installation installation(3, false);
    installation.setSetting(QStringLiteral("pgmdrive"), buildProgramDrive());
    installation.setSetting(QStringLiteral("DisplayPW"), QStringLiteral("Y"));
    const QString companyFolder = installation.dataRoot() + QStringLiteral("1");
    QStringList order;
    std::unique_ptr<TLogoAppForm> form;

    LauncherWindows windows([&](QDialog& dialog) {
        order << dialog.objectName();
        auto& wizard = static_cast<TfrmDefaultInfo&>(dialog);
        EXPECT_EQ(wizard.companyFolder(), companyFolder);
        // The company exists and nobody has logged in yet.
        EXPECT_TRUE(varnex::data::Database::forFolder(companyFolder)->tableExists(QStringLiteral("ctrl")));
        EXPECT_TRUE(form->linkSection().text(&TLinkSection::Link_user).isEmpty());
        wizard.rbInCanada->setChecked(true);
        wizard.btnNext1->click();
        wizard.cbxProvinces->setCurrentIndex(province::Quebec);
        wizard.btnNext2->click();
        wizard.btnNext3->click();
        wizard.btnNext4->click();
        EXPECT_TRUE(wizard.btnCloseClick());
        return wizard.result();
    });
    LauncherEnvironment environment;
    windows.install(environment.hooks);
    environment.runDialog = [&](QDialog& dialog) {
        order << dialog.objectName();
        dialog.findChild<QLineEdit*>(QStringLiteral("Password"))->setText(installation.adminPassword());
        return mrOk;
    };
    form = installation.makeForm(std::move(environment));
    windows.attach(*form);
    form->FormActivate();

    EXPECT_EQ(order, QStringList({QStringLiteral("frmDefaultInfo"), QStringLiteral("PasswordDlg")}));
    EXPECT_FALSE(form->closedWithoutUser()) << form->startupError().toStdString();
    EXPECT_EQ(form->linkSection().text(&TLinkSection::Link_company), QStringLiteral("1"));
    const wizard_test::StoredControl stored = wizard_test::storedControl(companyFolder);
    EXPECT_EQ(stored.federal, 7.0);
    EXPECT_EQ(stored.provincial, 7.5);
    EXPECT_EQ(stored.taxSystem, 0);
    EXPECT_EQ(installation.setting(QStringLiteral("DateFmt"), QStringLiteral("Settings")),
              QStringLiteral("dd/mm/yyyy"));
    EXPECT_TRUE(installation.messages.texts().isEmpty()) << installation.messages.texts().join(u'|').toStdString();
    // What the next start reads: dates day first, the symbol before amounts.
    form->LoadRegionalSettings();
    EXPECT_EQ(varnex::FormatDate(QDate(2026, 3, 4), varnex::Regional().shortDateFormat), QStringLiteral("04/03/2026"));
    EXPECT_EQ(varnex::Regional().currencyFormat, 0);
    varnex::ResetRegionalFormats();

    // Each module opens the new company: its first activation puts the
    // company in the status bar, with no message on the way.
    struct Module {
        const char* option;
        const char* window;
        const char* exitButton;
    } modules[] = {{"purchent", "purchent_frm", "Exit_btn"},
                   {"stockrcv", "stockrcv_frm", "Exit_btn"},
                   {"clview", "clview_frm", "Exit_btn"},
                   {"supview", "supview_Frm", "Button1"}};
    const QString companyName = form->linkSection().text(&TLinkSection::Link_company_name);
    varnex::translation::SetLanguageTableSource(nullptr); // the modules' tables, as the build made them
    for (const Module& m : modules) {
        QString status;
        varnex::test_support::ModalDriver driver(
            QLatin1String(m.window),
            [&](QWidget* window) {
                auto* bar = window->findChild<varnex::TStatusBar*>();
                ASSERT_NE(bar, nullptr) << m.option;
                EXPECT_TRUE(QTest::qWaitFor([&] { return bar->panelText(0).endsWith(companyName); }, 20000))
                    << m.option;
                status = bar->panelText(0);
                if (auto* exit = window->findChild<QPushButton*>(QLatin1String(m.exitButton)))
                    QTest::mouseClick(exit, Qt::LeftButton);
            },
            60000);
        form->RunOption(QLatin1String(m.option));
        EXPECT_TRUE(driver.ran()) << m.option;
        EXPECT_FALSE(driver.timedOut()) << m.option;
        EXPECT_TRUE(status.contains(QStringLiteral("1-") + companyName)) << m.option << " " << status.toStdString();
        EXPECT_TRUE(installation.messages.texts().isEmpty())
            << m.option << ": " << installation.messages.texts().join(u'|').toStdString();
    }
}

// A company creation that failed leaves no company folder: the wizard, whose
// only way out is to write into that company, is not shown, and the start
// goes on to the login.
TEST(FirstStart, NoWizardWhenTheCompanyWasNotCreated)
{
    Installation installation(3, false);
    installation.installModule(QStringLiteral("compcreate")); // records the call, creates nothing
    installation.setSetting(QStringLiteral("DisplayPW"), QStringLiteral("Y"));
    QStringList order;
    LauncherWindows windows([&](QDialog& dialog) {
        order << dialog.objectName();
        return int(QDialog::Rejected);
    });
    LauncherEnvironment environment;
    windows.install(environment.hooks);
    environment.runDialog = [&](QDialog& dialog) {
        order << dialog.objectName();
        return mrCancel;
    };
    auto form = installation.makeForm(std::move(environment));
    windows.attach(*form);
    form->FormActivate();
    EXPECT_EQ(installation.calls().size(), 1);
    EXPECT_EQ(order, QStringList{QStringLiteral("PasswordDlg")});
}
