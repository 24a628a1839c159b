#include <gtest/gtest.h>

#include "varnex/currency.h"
#include "varnex/regional.h"

using varnex::Currency;

TEST(Currency, RoundToCentsHalfAwayFromZero)
{
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"2.345", "2.3500"},
        {"-2.345", "-2.3500"},
        {"0.005", "0.0100"},
        {"-0.005", "-0.0100"},
        {"2.3449", "2.3400"},
        {"0.0049", "0.0000"},
        {"1234567.8950", "1234567.9000"},
    };
    for (const auto& c : cases) {
        auto value = Currency::parse(std::string_view(c.in));
        ASSERT_TRUE(value) << c.in;
        EXPECT_EQ(varnex::RoundToCents(*value).toString(), c.out) << c.in;
    }
    // from binary floating point the written decimal value is what rounds
    EXPECT_DOUBLE_EQ(varnex::RoundToCents(2.345), 2.35);
    EXPECT_DOUBLE_EQ(varnex::RoundToCents(-2.345), -2.35);
    EXPECT_DOUBLE_EQ(varnex::RoundToCents(0.005), 0.01);
    EXPECT_DOUBLE_EQ(varnex::RoundToCents(1.005), 1.01);
}

TEST(Currency, ParsesTheFormsUsersType)
{
    struct Case {
        const char* in;
        std::int64_t ticks;
    } cases[] = {
        {"12", 120000},  {"-12.5", -125000}, {"1,234.56", 12345600}, {"(12.50)", -125000},
        {"$12", 120000}, {"12$", 120000},    {" 0.0001 ", 1},        {"0.00005", 1},
        {"-0.00004", 0}, {"+3", 30000},      {"12-", -120000},
    };
    for (const auto& c : cases) {
        auto value = Currency::parse(std::string_view(c.in));
        ASSERT_TRUE(value) << c.in;
        EXPECT_EQ(value->ticks(), c.ticks) << c.in;
    }
    for (const char* bad : {"", "abc", "1.2.3", "12a", "(12", "--1", "99999999999999999999"})
        EXPECT_FALSE(Currency::parse(std::string_view(bad))) << bad;
    EXPECT_EQ(Currency::parse(QStringLiteral("1 234,5"), QLatin1Char(','))->ticks(), 12345000);
}

TEST(Currency, ArithmeticStaysExact)
{
    // a thousand additions of a cent must give exactly ten dollars
    Currency sum;
    for (int i = 0; i < 1000; ++i)
        sum += *Currency::parse(std::string_view("0.01"));
    EXPECT_EQ(sum, Currency::fromUnits(10));
    EXPECT_EQ(Currency::fromUnits(3).multipliedBy(0.07).toString(), "0.2100");
    EXPECT_EQ(Currency::fromTicks(123456).multipliedBy(Currency::fromTicks(5000)).ticks(), 61728);
    EXPECT_EQ(Currency::fromTicks(-3).multipliedBy(Currency::fromTicks(5000)).ticks(), -2);
    EXPECT_EQ(Currency::fromUnits(10).dividedBy(3).toString(), "3.3333");
    EXPECT_EQ(Currency::fromUnits(10).dividedBy(0).ticks(), 0);
    EXPECT_EQ(Currency::fromDouble(-1.23456).ticks(), -12346);
    EXPECT_EQ(Currency::fromTicks(-12345).toText(2), QStringLiteral("-1.23"));
    EXPECT_EQ(Currency::fromTicks(5).toText(0), QStringLiteral("0"));
}

TEST(FormatFloat, DisplayMasksOfTheModules)
{
    varnex::ResetRegionalFormats();
    struct Case {
        const char* mask;
        double value;
        const char* out;
    } cases[] = {
        {"###,###,##0.00", 1234567.891, "1,234,567.89"},
        {"###,###,##0.00", 0, "0.00"},
        {"###,###,##0.00", -1234.5, "-1,234.50"},
        {"##0.00", 5.005, "5.01"},
        {"##0.00", -0.004, "0.00"},
        {"$#,###,##0.00", 1500, "$1,500.00"},
        {"$#,###,##0.00", -1500, "-$1,500.00"},
        {"#,###,##0.00", 999.999, "1,000.00"},
        {"0.00;(0.00);Nil", -3.5, "(3.50)"},
        {"0.00;(0.00);Nil", 0, "Nil"},
        {"#,##0.####", 1.5, "1.5"},
        {"#", 0, ""},
        {"000", 7, "007"},
        {"0.00 'CAD'", 2, "2.00 CAD"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(varnex::FormatFloat(QString::fromUtf8(c.mask), c.value), QString::fromUtf8(c.out))
            << c.mask << " " << c.value;
    EXPECT_EQ(varnex::FormatFloat(QStringLiteral("###,###,##0.00"), Currency::fromTicks(-12345678901234)),
              QStringLiteral("-1,234,567,890.12"));
}
