// The company defaults stored by the wizard: what goes where, rates read from
// the boxes, and all or nothing when a write fails.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "companydefaults.h"
#include "launcher_fixture.h"
#include "varnex/data/engine_error.h"
#include "varnex/settings.h"
#include "wizard_test_support.h"

using namespace varnex::launcher;
using launcher_test::Installation;
using wizard_test::rateRows;
using wizard_test::StoredControl;
using wizard_test::storedControl;

namespace {

QString companyFolder(const Installation& installation)
{
    return installation.dataRoot() + QStringLiteral("1");
}

void addRateRow(const QString& folder, const QString& table, int account, double rate, int code)
{
    varnex::data::Table rates;
    rates.setDatabase(varnex::data::Database::forFolder(folder));
    rates.setTableName(table);
    rates.open();
    rates.append();
    rates.field(QStringLiteral("TaxRates_Account")).setInteger(account);
    rates.field(QStringLiteral("TaxRates_Rate")).setNumber(rate);
    rates.field(QStringLiteral("TaxRates_Code")).setInteger(code);
    rates.post();
}

CompanyDefaults outsideWith(double first, double second)
{
    CompanyDefaults defaults;
    defaults.outsideCanada = true;
    defaults.federalRate = first;
    defaults.provincialRate = second;
    defaults.currencyDescription = QStringLiteral("Euros");
    defaults.fractionsDescription = QStringLiteral("Cents");
    defaults.dateFormat = QStringLiteral("dd/mm/yyyy");
    defaults.currencySymbol = QStringLiteral("€");
    defaults.symbolLeft = false;
    return defaults;
}

// The stored state a failed write must leave as it was.
struct Snapshot {
    StoredControl control;
    QStringList rates, ratesP;
    QByteArray settings;
    bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot(const Installation& installation)
{
    QFile settings(installation.settingsPath());
    settings.open(QIODevice::ReadOnly);
    return {storedControl(companyFolder(installation)),
            rateRows(companyFolder(installation), QStringLiteral("taxrates")),
            rateRows(companyFolder(installation), QStringLiteral("taxratesP")), settings.readAll()};
}

} // namespace

TEST(CompanyDefaults, RatesAreReadFromTheBoxes)
{
    struct Case {
        const char* text;
        bool valid;
        std::optional<double> rate;
    } cases[] = {
        {"", true, std::nullopt}, {"   ", true, std::nullopt},
        {"7", true, 7.0},         {"7.5", true, 7.5},
        {" 15 ", true, 15.0},     {"0", true, 0.0},
        {"abc", false, {}},       {"7.5%", false, {}},
        {"1,000", false, {}}, // a thousands separator is not a rate
        {"inf", false, {}},       {"nan", false, {}},
    };
    for (const Case& c : cases) {
        std::optional<double> rate = 99.0;
        EXPECT_EQ(ParseRate(QLatin1String(c.text), rate), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(rate, c.rate) << c.text;
        }
    }
}

TEST(CompanyDefaults, InCanadaTheControlRecordAndTheSettingsOnly)
{
    Installation installation;
    addRateRow(companyFolder(installation), QStringLiteral("taxrates"), 2300, 5, 1);
    CompanyDefaults defaults;
    defaults.outsideCanada = false;
    defaults.federalRate = 7;
    defaults.provincialRate = 7.5;
    defaults.currencyDescription = QStringLiteral("Dollars");
    defaults.fractionsDescription = QStringLiteral("Cents");
    defaults.dateFormat = QStringLiteral("dd/mm/yyyy");
    defaults.currencySymbol = QStringLiteral("$");
    defaults.symbolLeft = false;
    WriteCompanyDefaults(companyFolder(installation), defaults, varnex::SettingsStore(installation.settingsPath()));

    const StoredControl expected{7.0, 7.5, std::nullopt, QStringLiteral("Dollars"), QStringLiteral("Cents"), 0};
    EXPECT_EQ(storedControl(companyFolder(installation)), expected);
    EXPECT_EQ(rateRows(companyFolder(installation), QStringLiteral("taxrates")), QStringList{QStringLiteral("5:1")});
    EXPECT_TRUE(rateRows(companyFolder(installation), QStringLiteral("taxratesP")).isEmpty());
    const QString settings = QStringLiteral("Settings");
    EXPECT_EQ(installation.setting(QStringLiteral("DateFmt"), settings), QStringLiteral("dd/mm/yyyy"));
    EXPECT_EQ(installation.setting(QStringLiteral("CurrSmbl"), settings), QStringLiteral("$"));
    EXPECT_EQ(installation.setting(QStringLiteral("intl"), settings), QStringLiteral("n"));
    EXPECT_EQ(installation.setting(QStringLiteral("CurrAlign"), settings), QStringLiteral("R"));
}

TEST(CompanyDefaults, OutsideCanadaAddsTwoRowsToBothTaxTables)
{
    Installation installation;
    const QString folder = companyFolder(installation);
    addRateRow(folder, QStringLiteral("taxrates"), 2300, 20, 1);
    addRateRow(folder, QStringLiteral("taxratesP"), 2310, 20, 1);
    WriteCompanyDefaults(folder, outsideWith(10, 5), varnex::SettingsStore(installation.settingsPath()));

    EXPECT_EQ(storedControl(folder).taxSystem, 1);
    for (const char* table : {"taxrates", "taxratesP"}) {
        QStringList rows = rateRows(folder, QLatin1String(table));
        rows.sort();
        EXPECT_EQ(rows, QStringList({QStringLiteral("10:1"), QStringLiteral("20:1"), QStringLiteral("5:2")})) << table;
    }
    EXPECT_EQ(installation.setting(QStringLiteral("Intl"), QStringLiteral("Settings")), QStringLiteral("y"));
    EXPECT_EQ(installation.setting(QStringLiteral("CurrSmbl"), QStringLiteral("Settings")), QStringLiteral("€"));
}

TEST(CompanyDefaults, EmptyRateBoxesStoreEmptyRates)
{
    Installation installation;
    const QString folder = companyFolder(installation);
    CompanyDefaults defaults = outsideWith(0, 0);
    defaults.federalRate.reset();
    defaults.provincialRate.reset();
    WriteCompanyDefaults(folder, defaults, varnex::SettingsStore(installation.settingsPath()));
    const StoredControl stored = storedControl(folder);
    EXPECT_FALSE(stored.federal.has_value());
    EXPECT_FALSE(stored.provincial.has_value());
    EXPECT_FALSE(stored.harmonized.has_value());
    QStringList rows = rateRows(folder, QStringLiteral("taxrates"));
    EXPECT_EQ(rows, QStringList({QStringLiteral("-:1"), QStringLiteral("-:2")}));
}

// A failure at any write of the five (two rows in each table, then the
// control record) leaves the company and the settings as they were; the user
// can then close again and everything is written once.
TEST(CompanyDefaults, AFailedWriteLeavesEverythingAsItWas)
{
    Installation installation;
    const QString folder = companyFolder(installation);
    const varnex::SettingsStore settings(installation.settingsPath());
    settings.setValue(QStringLiteral("Settings"), QStringLiteral("DateFmt"), QStringLiteral("YYYY-MM-DD"));
    const Snapshot before = snapshot(installation);
    auto database = varnex::data::Database::forFolder(folder);
    int failures = 0;
    for (int n = 1;; ++n) {
        database->failAtWrite(n);
        try {
            WriteCompanyDefaults(folder, outsideWith(10, 5), settings);
            database->failAtWrite(0);
            break;
        } catch (const varnex::data::EngineError& error) {
            EXPECT_EQ(error.code(), varnex::data::ErrorCode::InjectedFault) << n;
            ++failures;
        }
        database->failAtWrite(0);
        EXPECT_EQ(snapshot(installation), before) << "failure at write " << n;
    }
    EXPECT_EQ(failures, 5);
    EXPECT_EQ(rateRows(folder, QStringLiteral("taxrates")).size(), 2);
    EXPECT_EQ(storedControl(folder).taxSystem, 1);
}

TEST(CompanyDefaults, ASettingsFileThatCannotBeWrittenWritesNothing)
{
    Installation installation;
    const QString folder = companyFolder(installation);
    const StoredControl before = storedControl(folder);
    // A folder where the file should be: no write can succeed.
    const QString blocked = installation.dataDrive() + QStringLiteral("/blocked.ini");
    ASSERT_TRUE(QDir().mkpath(blocked));
    EXPECT_THROW(WriteCompanyDefaults(folder, outsideWith(10, 5), varnex::SettingsStore(blocked)), SettingsNotWritten);
    EXPECT_EQ(storedControl(folder), before);
    EXPECT_TRUE(rateRows(folder, QStringLiteral("taxrates")).isEmpty());
    EXPECT_TRUE(rateRows(folder, QStringLiteral("taxratesP")).isEmpty());
}
