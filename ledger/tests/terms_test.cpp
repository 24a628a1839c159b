#include <gtest/gtest.h>

#include "varnex/ledger/terms.h"

using namespace varnex;
using namespace varnex::ledger;

namespace {
Currency money(std::string_view text)
{
    return *Currency::parse(text);
}
} // namespace

TEST(DueDateFromTerms, DaysAndDaysOfTheNextMonth)
{
    const struct {
        QDate from;
        int terms;
        QDate due;
        const char* edge;
    } cases[] = {
        {QDate(2026, 3, 14), 30, QDate(2026, 4, 13), "plain days"},
        {QDate(2026, 3, 14), 0, QDate(2026, 3, 14), "cash"},
        {QDate(2025, 12, 20), 915, QDate(2026, 1, 15), "December goes to January of the next year"},
        {QDate(2026, 1, 31), 931, QDate(2026, 2, 28), "a day February lacks gives its last day"},
        {QDate(2028, 1, 5), 931, QDate(2028, 2, 29), "leap year"},
        {QDate(2026, 1, 5), 930, QDate(2026, 2, 28), "930 in February"},
        {QDate(2026, 3, 31), 931, QDate(2026, 4, 30), "31 in April"},
        {QDate(2026, 4, 2), 931, QDate(2026, 5, 31), "a day the month has"},
        {QDate(2026, 6, 9), 900, QDate(2026, 7, 1), "day 0 gives the first"},
        {QDate(2026, 6, 9), 899, QDate(2026, 6, 9).addDays(899), "899 is still days"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.edge);
        EXPECT_EQ(DueDateFromTerms(c.from, c.terms), c.due);
    }
    EXPECT_FALSE(DueDateFromTerms(QDate(), 30).isValid());
}

TEST(PayableAccounts, AnyOfTheFiveButNeverAccountZero)
{
    PayableAccounts accounts;
    accounts.byCurrency = {2100, 2110, 0, 2120, 0};
    EXPECT_TRUE(accounts.contains(2100));
    EXPECT_TRUE(accounts.contains(2120));
    EXPECT_TRUE(IsPayableAccount(accounts, 2110));
    EXPECT_FALSE(accounts.contains(0)) << "unset currencies must not make account 0 payable";
    EXPECT_FALSE(accounts.contains(5100));
    EXPECT_EQ(accounts.forCurrency(1), 2110);
    EXPECT_EQ(accounts.forCurrency(5), 0);
    EXPECT_EQ(accounts.forCurrency(-1), 0);
}

TEST(PurchaseJournalNumber, HomeIsThreeForeignIsThirtyOnePlusCurrency)
{
    EXPECT_EQ(PurchaseJournalNumber(0), 3);
    EXPECT_EQ(PurchaseJournalNumber(1), 32);
    EXPECT_EQ(PurchaseJournalNumber(2), 33);
    EXPECT_EQ(PurchaseJournalNumber(4), 35);
}

TEST(ExchangeRates, SinglePrecisionRatesFourDecimalsAndCents)
{
    ExchangeRates rates;
    rates.rate = {1.0f, 1.385f, 1.492f, 0.0f, 1.0f};
    EXPECT_EQ(rates.toHome(Currency::fromUnits(100), 0), Currency::fromUnits(100));
    // 1.385 as a float is 1.38499999...: 100 x it keeps four decimals.
    EXPECT_EQ(rates.toHome(Currency::fromUnits(100), 1), Currency::fromTicks(1385000));
    EXPECT_EQ(rates.toHome(money("10.01"), 2), money("14.9349"));
    EXPECT_EQ(rates.toHomeCents(money("10.01"), 2), money("14.93"));
    EXPECT_EQ(rates.toHome(Currency::fromUnits(7), 3), Currency::fromUnits(7)) << "an unset rate converts nothing";
    EXPECT_EQ(RoundToCents(money("-2.345")), money("-2.35"));
}
