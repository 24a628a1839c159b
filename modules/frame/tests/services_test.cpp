#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "test_support.h"
#include "varnex/frame/services.h"
#include "varnex/regional.h"
#include "varnex/settings.h"
#include "varnex/shell.h"
#include "varnex/statusbar.h"
#include "varnex/translation/translate.h"
#include "varnex/translation/window_check.h"

using namespace varnex;
using namespace varnex::frame;

namespace {

LinkRecord sessionRecord()
{
    LinkRecord r;
    r.setText(&TLinkSection::Link_company, QStringLiteral("3"));
    r.setText(&TLinkSection::Link_company_name, QStringLiteral("Ébénisterie Gagnon"));
    r.setText(&TLinkSection::Link_user_name, QStringLiteral("Luc"));
    return r;
}

} // namespace

TEST(FillStatusBar, OnlyAThreePanelBarIsFilled)
{
    const LinkRecord record = sessionRecord();
    TStatusBar three;
    three.addPanel();
    three.addPanel();
    three.addPanel(QStringLiteral("Version "));
    FillStatusBar(&three, record.raw(), QStringLiteral("0.1.0.1"));
    EXPECT_EQ(three.panelText(0), QStringLiteral("3-Ébénisterie Gagnon"));
    EXPECT_EQ(three.panelText(1), QStringLiteral("Luc"));
    EXPECT_EQ(three.panelText(2), QStringLiteral("Version 0.1.0.1"));

    for (int panels : {2, 4}) {
        TStatusBar other;
        for (int i = 0; i < panels; ++i)
            other.addPanel(QStringLiteral("p%1").arg(i));
        FillStatusBar(&other, record.raw(), QStringLiteral("9"));
        for (int i = 0; i < panels; ++i)
            EXPECT_EQ(other.panelText(i), QStringLiteral("p%1").arg(i)) << panels;
    }
    // missing version information leaves "Version " alone
    TStatusBar noVersion;
    noVersion.addPanel();
    noVersion.addPanel();
    noVersion.addPanel(QStringLiteral("Version "));
    FillStatusBar(&noVersion, record.raw(), FileVersionText(QStringLiteral("/nonexistent.so"), 4));
    EXPECT_EQ(noVersion.panelText(2), QStringLiteral("Version "));
}

TEST(VersionText, PartsOfAStampedLibrary)
{
    const QString fixture = QStringLiteral(VARNEX_TEST_BIN_DIR "/version_5027.so");
    EXPECT_EQ(FileVersionText(fixture, 4), QStringLiteral("5.0.2.7"));
    EXPECT_EQ(FileVersionText(fixture, 2), QStringLiteral("5.0"));
    EXPECT_EQ(FileVersionText(fixture, 0), QStringLiteral("5.0.2.7"));
    EXPECT_EQ(FileVersionText(fixture, 9), QStringLiteral("5.0.2.7"));
    // the frame library's own stamp, found from an address inside it
    const QString own = ModuleVersionText(reinterpret_cast<const void*>(&QuickLinkOpen));
    EXPECT_EQ(own.count(QLatin1Char('.')), 3);
    EXPECT_EQ(ModuleVersionText(nullptr), QString());
}

TEST(CurrencySymbols, AlignmentAndTheNoSymbolDisplay)
{
    test_support::ScratchSettings scratch;
    const SettingsStore store = SettingsStore::machine();
    store.setValue(QStringLiteral("Settings"), QStringLiteral("CurrAlign"), QStringLiteral("R"));
    CurrencySymbolTable symbols;
    symbols.LoadCurrencySymbols(QStringLiteral("€"), QStringLiteral("US"), QString(), QString());
    symbols.SetCurrencyDisplay(2);
    EXPECT_EQ(FormatCurrency(Currency::fromUnits(12)), QStringLiteral("12.00US"));
    EXPECT_EQ(FormatCurrency(Currency::fromUnits(-12)), QStringLiteral("(12.00US)"));
    symbols.SetCurrencyDisplay(-1);
    EXPECT_EQ(FormatCurrency(Currency::fromUnits(12)), QStringLiteral("12.00"));
    EXPECT_EQ(FormatCurrency(Currency::fromUnits(-12)), QStringLiteral("(12.00)"));
    symbols.SetCurrencyDisplay(7); // out of range: display unchanged
    EXPECT_EQ(FormatCurrency(Currency::fromUnits(12)), QStringLiteral("12.00"));

    store.setValue(QStringLiteral("Settings"), QStringLiteral("CurrAlign"), QStringLiteral("l"));
    store.setValue(QStringLiteral("Settings"), QStringLiteral("CurrSmbl"), QStringLiteral("CA$"));
    symbols.LoadCurrencySymbols(QStringLiteral("US"), QString(), QString(), QString());
    EXPECT_EQ(symbols.entry(0), QStringLiteral("CA$"));
    EXPECT_EQ(FormatCurrency(Currency::fromUnits(-3)), QStringLiteral("(CA$3.00)"));
    symbols.SetCurrencyDisplay(1);
    EXPECT_EQ(FormatCurrency(Currency::fromUnits(3)), QStringLiteral("US3.00"));
    ResetRegionalFormats();
}

TEST(IntlSetting, DefaultAndCase)
{
    test_support::ScratchSettings scratch;
    EXPECT_EQ(ReadIntlSetting(), QStringLiteral("N"));
    EXPECT_FALSE(IsInternational());
    SettingsStore::machine().setValue(QStringLiteral("settings"), QStringLiteral("intl"), QStringLiteral("y"));
    EXPECT_TRUE(IsInternational());
}

TEST(QuickLinkOpen, OnlyAVisibleWindowWithTheExactCaption)
{
    QWidget hidden;
    hidden.setWindowTitle(QStringLiteral("Quick Link"));
    EXPECT_FALSE(QuickLinkOpen());

    QWidget almost;
    almost.setWindowTitle(QStringLiteral("Quick Links"));
    almost.show();
    EXPECT_FALSE(QuickLinkOpen());

    QWidget french;
    french.setWindowTitle(QStringLiteral("Lien Rapide"));
    french.show();
    EXPECT_TRUE(QuickLinkOpen());
    french.hide();
    EXPECT_FALSE(QuickLinkOpen());

    TWindowList list;
    bool found = false;
    for (int i = 0; i < list.Count(); ++i)
        found = found || (list.Get(i).Handle == &almost && list.Get(i).Visible);
    EXPECT_TRUE(found);
    EXPECT_EQ(list.Get(-1).Handle, nullptr);
}

TEST(ErrorForm, ShowsTheErrorAndPrintsItself)
{
    RecordingPrintService printing;
    TErrorForm form;
    QTimer::singleShot(0, [&] {
        EXPECT_TRUE(form.isVisible());
        QTest::mouseClick(form.PrintBtn, Qt::LeftButton);
        QTest::mouseClick(form.CloseBtn, Qt::LeftButton);
    });
    form.ShowError(QStringLiteral("40"), QStringLiteral("10241"), QStringLiteral("Record locked by another user."));
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.ErrCat->text(), QStringLiteral("40"));
    EXPECT_EQ(form.ErrCode->text(), QStringLiteral("10241"));
    EXPECT_EQ(form.ErrMess->toPlainText(), QStringLiteral("Record locked by another user."));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Error"));
    ASSERT_EQ(printing.images.size(), 1);
    EXPECT_FALSE(printing.images[0].isNull());
}

TEST(StandardButtons, MailPrintAndHelp)
{
    RecordingShellService shell;
    EmailTo(QStringLiteral("comptes@gagnon.qc.ca"));
    EmailTo(QString());
    ASSERT_EQ(shell.opened.size(), 2);
    EXPECT_EQ(shell.opened[0].toString(), QStringLiteral("mailto:comptes@gagnon.qc.ca"));
    EXPECT_EQ(shell.opened[1].toString(), QStringLiteral("mailto:"));

    RecordingPrintService printing;
    QLabel window(QStringLiteral("Display of suppliers"));
    window.resize(120, 40);
    EXPECT_TRUE(PrintScreen(&window));
    ASSERT_EQ(printing.images.size(), 1);
    EXPECT_EQ(printing.images[0].size(), window.grab().size());

    RecordingHelpService help;
    SetApplicationHelpFolder(HelpFolderFor(QStringLiteral("/opt/lgx/Lgx/bin"), 2, QStringLiteral("fr")));
    ShowHelpContext(303);
    EXPECT_EQ(help.requests, QStringList({QStringLiteral("context:/opt/lgx/Lgx/bin/Helpfr:303")}));
    EXPECT_EQ(HelpFolderFor(QStringLiteral("/p"), 1, QStringLiteral("en")), QStringLiteral("/p/Help"));
    EXPECT_EQ(HelpFolderFor(QStringLiteral("/p"), 0, QStringLiteral("en")), QStringLiteral("/p/Helpen"));
}

TEST(ErrorForm, ItsTextsComeFromTheModuleTables)
{
    for (const char* table : {"stockrcvfr", "stockrcven", "purchentfr", "purchenten"}) {
        TErrorForm form;
        EXPECT_EQ(translation::CheckWindowTexts(&form, QString::fromUtf8(table)), QStringList()) << table;
        translation::TranslateForm(&form, QString::fromUtf8(table));
        const bool french = QByteArray(table).endsWith("fr");
        EXPECT_EQ(form.windowTitle(), french ? QStringLiteral("Erreur") : QStringLiteral("Error")) << table;
        EXPECT_EQ(form.CloseBtn->text(), french ? QStringLiteral("Fermer") : QStringLiteral("Close")) << table;
    }
}
