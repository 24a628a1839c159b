#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include "test_support.h"
#include "varnex/paths.h"
#include "varnex/regional.h"
#include "varnex/settings.h"

using namespace varnex;

TEST(SettingsStore, DefaultsAndCaseInsensitiveNames)
{
    test_support::ScratchSettings scratch;
    EXPECT_FALSE(QFileInfo::exists(scratch.path()));
    SettingsStore store = SettingsStore::machine();
    EXPECT_EQ(store.path(), scratch.path());
    EXPECT_EQ(store.value(QStringLiteral("Lgx"), QStringLiteral("pgmdrive"), QStringLiteral("e:")),
              QStringLiteral("e:"));
    EXPECT_FALSE(QFileInfo::exists(scratch.path()));

    QFile file(scratch.path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("; machine settings\n[lgx]\nPgmDrive = /opt/primora\nlanguage=2\n\n[SETTINGS]\nDateFmt=YYYY-MM-DD\n"
               "CurrSmbl=\"  \"\n");
    file.close();
    EXPECT_EQ(store.value(QStringLiteral("Lgx"), QStringLiteral("pgmdrive")), QStringLiteral("/opt/primora"));
    EXPECT_EQ(store.value(QStringLiteral("LGX"), QStringLiteral("LANGUAGE")), QStringLiteral("2"));
    EXPECT_EQ(store.value(QStringLiteral("Settings"), QStringLiteral("datefmt")), QStringLiteral("YYYY-MM-DD"));
    EXPECT_EQ(store.value(QStringLiteral("Settings"), QStringLiteral("CurrSmbl")), QStringLiteral("  "));
    // a value of another section is not found
    EXPECT_EQ(store.value(QStringLiteral("Settings"), QStringLiteral("language"), QStringLiteral("x")),
              QStringLiteral("x"));
    EXPECT_FALSE(store.contains(QStringLiteral("Lgx"), QStringLiteral("Form")));

    // writing keeps the other lines and the spelling of an existing name
    ASSERT_TRUE(store.setValue(QStringLiteral("Lgx"), QStringLiteral("PGMDRIVE"), QStringLiteral("/usr/local")));
    ASSERT_TRUE(store.setValue(QStringLiteral("Lgx"), QStringLiteral("Form"), QStringLiteral("520,20,36,750,Y")));
    ASSERT_TRUE(store.setValue(QStringLiteral("Intl"), QStringLiteral("x"), QStringLiteral("é")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString content = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(content.contains(QStringLiteral("PgmDrive=/usr/local")));
    EXPECT_TRUE(content.contains(QStringLiteral("; machine settings")));
    EXPECT_EQ(store.value(QStringLiteral("lgx"), QStringLiteral("form")), QStringLiteral("520,20,36,750,Y"));
    EXPECT_EQ(store.value(QStringLiteral("intl"), QStringLiteral("X")), QStringLiteral("é"));
    EXPECT_EQ(store.value(QStringLiteral("Lgx"), QStringLiteral("language")), QStringLiteral("2"));
}

TEST(RegionalSettings, CurrencyAlignment)
{
    test_support::ScratchSettings scratch;
    SettingsStore store = SettingsStore::machine();
    struct Case {
        const char* align;
        const char* positive;
        const char* negative;
    } cases[] = {
        {nullptr, "$1,234.50", "-$1,234.50"}, {"L", "$1,234.50", "-$1,234.50"},  {"l", "$1,234.50", "-$1,234.50"},
        {"R", "1,234.50$", "(1,234.50$)"},    {"r", "1,234.50$", "(1,234.50$)"}, {"", "1,234.50$", "(1,234.50$)"},
        {"left", "1,234.50$", "(1,234.50$)"},
    };
    for (const auto& c : cases) {
        ResetRegionalFormats();
        if (c.align)
            store.setValue(QStringLiteral("Settings"), QStringLiteral("CurrAlign"), QString::fromUtf8(c.align));
        LoadRegionalSettings();
        const Currency amount = Currency::fromTicks(12345000);
        EXPECT_EQ(FormatCurrency(amount), QString::fromUtf8(c.positive)) << (c.align ? c.align : "(none)");
        EXPECT_EQ(FormatCurrency(-amount), QString::fromUtf8(c.negative)) << (c.align ? c.align : "(none)");
    }
    // "l" leaves the negative format as it was
    ResetRegionalFormats();
    Regional().negativeCurrencyFormat = 0;
    store.setValue(QStringLiteral("Settings"), QStringLiteral("CurrAlign"), QStringLiteral("l"));
    LoadRegionalSettings();
    EXPECT_EQ(FormatCurrency(Currency::fromUnits(-5)), QStringLiteral("($5.00)"));
    EXPECT_EQ(FormatCurrency(Currency()), QStringLiteral("$0.00"));
    ResetRegionalFormats();
}

TEST(RegionalSettings, MissingValuesGiveDefaults)
{
    test_support::ScratchSettings scratch;
    Regional().shortDateFormat = QStringLiteral("x");
    Regional().currencyString = QStringLiteral("y");
    LoadRegionalSettings();
    EXPECT_EQ(Regional().shortDateFormat, QStringLiteral("DD/MM/YYYY"));
    EXPECT_EQ(Regional().currencyString, QStringLiteral("$"));
    EXPECT_EQ(Regional().currencyFormat, 0);
    ResetRegionalFormats();
}

TEST(RegionalSettings, DateEditMask)
{
    EXPECT_EQ(DateEditMask(QStringLiteral("DD/MM/YYYY")), QStringLiteral("!99/99/9999;1; "));
    EXPECT_EQ(DateEditMask(QStringLiteral("yyyy-mm-dd")), QStringLiteral("!9999-99-99;1; "));
    EXPECT_EQ(DateEditMask(QStringLiteral("MM/DD/YY")), QStringLiteral("!99/99/99;1; "));
    EXPECT_EQ(DateEditMask(QStringLiteral("d.m.yyyy")), QStringLiteral("!9.9.9999;1; "));
}

TEST(Dates, FormatAndParse)
{
    ResetRegionalFormats();
    const QDate d(2026, 3, 7);
    EXPECT_EQ(FormatDate(d, QStringLiteral("DD/MM/YYYY")), QStringLiteral("07/03/2026"));
    EXPECT_EQ(FormatDate(d, QStringLiteral("yyyy-mm-dd")), QStringLiteral("2026-03-07"));
    EXPECT_EQ(FormatDate(d, QStringLiteral("MM/DD/YY")), QStringLiteral("03/07/26"));
    EXPECT_EQ(FormatDate(QDate(), QStringLiteral("DD/MM/YYYY")), QString());

    EXPECT_EQ(ParseDate(QStringLiteral("07/03/2026"), QStringLiteral("DD/MM/YYYY")), d);
    EXPECT_EQ(ParseDate(QStringLiteral("2026-03-07"), QStringLiteral("YYYY-MM-DD")), d);
    EXPECT_EQ(ParseDate(QStringLiteral("03/07/26"), QStringLiteral("MM/DD/YY")), d);
    EXPECT_EQ(ParseDate(QStringLiteral("03/07/75"), QStringLiteral("MM/DD/YY")), QDate(1975, 3, 7));
    for (const char* bad : {"31/02/2026", "  /  /    ", "7/3", "07/03/2026x", "aa/bb/cccc", ""})
        EXPECT_FALSE(ParseDate(QString::fromUtf8(bad), QStringLiteral("DD/MM/YYYY")).isValid()) << bad;

    const QDateTime when(QDate(2026, 12, 8), QTime(14, 5, 9));
    const QLocale english(QLocale::English, QLocale::Canada);
    const QLocale french(QLocale::French, QLocale::Canada);
    EXPECT_EQ(FormatDateTime(QStringLiteral("\"Primora/Lgx\" dddd, mmmm d, yyyy "), when, english),
              QStringLiteral("Primora/Lgx Tuesday, December 8, 2026 "));
    EXPECT_EQ(FormatDateTime(QStringLiteral("'Lgx'    dddd, d mmmm yyyy "), when, french),
              QStringLiteral("Lgx    mardi, 8 décembre 2026 "));
    EXPECT_EQ(FormatDateTime(QStringLiteral("dd/mm/yy hh:nn:ss"), when, english), QStringLiteral("08/12/26 14:05:09"));
    EXPECT_EQ(FormatDateTime(QStringLiteral("h:mm am/pm"), when, english), QStringLiteral("2:05 pm"));
}

TEST(Paths, FoldersOfAnInstallation)
{
    test_support::ScratchSettings scratch;
    const SettingsStore store = SettingsStore::machine();
    store.setValue(QStringLiteral("Lgx"), QStringLiteral("pgmdrive"), QStringLiteral("/opt/primora"));
    store.setValue(QStringLiteral("Lgx"), QStringLiteral("DataDrive"), QStringLiteral("/srv/bureau"));
    EXPECT_EQ(ProgramFolderOf(ProgramDrive()), QStringLiteral("/opt/primora/Lgx/bin"));
    const QString root = DataRootOf(DataDrive());
    EXPECT_EQ(root, QStringLiteral("/srv/bureau/Lgx/data"));
    // no separator between the data root and the company number
    EXPECT_EQ(CompanyFolderOf(root, QStringLiteral("1")), QStringLiteral("/srv/bureau/Lgx/data1"));
    EXPECT_EQ(CompanyFolderOf(root, QString()), root);
    EXPECT_EQ(LanguagesFolderOf(QStringLiteral("/opt/primora/Lgx/bin")), QStringLiteral("/opt/primora/Lgx/languages"));
}
