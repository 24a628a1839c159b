#include <gtest/gtest.h>

#include "ledger_fixture.h"

#include "varnex/ledger/statement.h"

using namespace varnex;
using namespace varnex::ledger;

namespace {

Currency money(std::string_view text)
{
    return *Currency::parse(text);
}

StatementLine line(const char* invoice, const QDate& date, const char* amount)
{
    StatementLine l;
    l.account = QStringLiteral("ACME");
    l.invoice = QString::fromLatin1(invoice);
    l.date = date;
    l.type = QStringLiteral("1");
    l.amount = money(amount);
    return l;
}

} // namespace

TEST(Statement, RunningBalanceIsTheSumUpToEachLine)
{
    const std::vector<StatementLine> lines = {line("A", QDate(2026, 1, 1), "100.10"),
                                              line("A", QDate(2026, 1, 9), "-40.05"),
                                              line("B", QDate(2026, 2, 1), "0.0001")};
    EXPECT_EQ(RunningBalances(lines), (std::vector<Currency>{money("100.10"), money("60.05"), money("60.0501")}));
    EXPECT_TRUE(RunningBalances({}).empty());
}

TEST(Statement, AgingBucketsByTheLimits)
{
    const AgingLimits limits{{30, 60, 90, 120}};
    const struct {
        int age;
        int bucket;
    } cases[] = {{-3, 1}, {0, 1}, {30, 1}, {31, 2}, {60, 2}, {61, 3}, {90, 3}, {91, 4}, {120, 4}, {121, 5}};
    for (const auto& c : cases)
        EXPECT_EQ(AgingBucket(c.age, limits), c.bucket) << c.age;
}

TEST(Statement, AgeDropsTheFractionOfADay)
{
    const QDateTime now(QDate(2026, 5, 10), QTime(15, 0));
    EXPECT_EQ(AgeInDays(QDate(2026, 5, 10), now), 0);
    EXPECT_EQ(AgeInDays(QDate(2026, 5, 9), now), 1);
    EXPECT_EQ(AgeInDays(QDate(2026, 3, 26), now), 45);
    EXPECT_EQ(AgeInDays(QDate(2026, 5, 11), now), 0) << "tomorrow is less than a whole day ahead";
    EXPECT_EQ(AgeInDays(QDate(2026, 5, 12), now), -1);
}

TEST(Statement, EveryLineOfAnInvoiceAgesFromItsFirstLine)
{
    const QDateTime now(QDate(2026, 5, 10), QTime(9, 0));
    const AgingLimits limits{{30, 60, 90, 120}};
    // 45 days ago, then a later line of the same invoice dated today, then
    // another invoice dated today, then a line of the first invoice again
    // (after another invoice: it ages from its own date).
    const std::vector<StatementLine> lines = {
        line("A", QDate(2026, 3, 26), "500.00"), line("A", QDate(2026, 5, 10), "-200.00"),
        line("B", QDate(2026, 5, 10), "75.00"), line("C", QDate(2025, 12, 1), "10.00"),
        line("D", QDate(2026, 1, 20), "1.00")};
    const auto buckets = ComputeAging(lines, limits, now);
    EXPECT_EQ(buckets[0], money("75.00"));
    EXPECT_EQ(buckets[1], money("300.00")) << "both lines of A in bucket 2";
    EXPECT_EQ(buckets[2], Currency());
    EXPECT_EQ(buckets[3], money("1.00")) << "110 days";
    EXPECT_EQ(buckets[4], money("10.00")) << "160 days";
    const auto none = ComputeAging({}, limits, now);
    for (Currency c : none)
        EXPECT_TRUE(c.isZero());
}

TEST(Statement, MarginAndMarkup)
{
    EXPECT_NEAR(*Margin(money("150"), money("100")), 100.0 / 3.0, 1e-9);
    EXPECT_NEAR(*Markup(money("150"), money("100")), 50.0, 1e-9);
    EXPECT_FALSE(Margin(Currency(), money("10")).has_value()) << "total 0: no margin";
    EXPECT_NEAR(*Markup(Currency(), money("10")), -100.0, 1e-9);
    EXPECT_FALSE(Markup(money("10"), Currency()).has_value());
}

namespace {
class StoredStatementTest : public ledgertest::LedgerFixture {};
} // namespace

TEST_F(StoredStatementTest, StatementInIndexOrderAndMonthsOneToTwelveOnly)
{
    auto cap = open(QStringLiteral("cap"));
    const struct {
        const char* invoice;
        const char* ref;
        const char* type;
        const char* amount;
    } items[] = {{"B-2", "", "1", "50.00"}, {"A-1", "", "1", "100.00"}, {"A-1", "CHQ", "2", "-100.00"}};
    for (const auto& i : items) {
        cap->append();
        cap->field(QStringLiteral("Cap_supplier")).setString(QStringLiteral("ACME"));
        cap->field(QStringLiteral("Cap_invoice")).setString(QString::fromLatin1(i.invoice));
        cap->field(QStringLiteral("Cap_ref")).setString(QString::fromLatin1(i.ref));
        cap->field(QStringLiteral("Cap_date")).setDate(QDate(2026, 3, 1));
        cap->field(QStringLiteral("Cap_type")).setString(QString::fromLatin1(i.type));
        cap->field(QStringLiteral("Cap_amount")).setMoney(money(i.amount));
        cap->post();
    }
    const auto lines = ReadStatement(db, StatementSide::Supplier, QStringLiteral("ACME"), false);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].invoice, QStringLiteral("A-1"));
    EXPECT_EQ(lines[1].reference, QStringLiteral("CHQ"));
    EXPECT_EQ(RunningBalances(lines), (std::vector<Currency>{money("100.00"), Currency(), money("50.00")}));
    EXPECT_TRUE(ReadStatement(db, StatementSide::Supplier, QStringLiteral("USCO"), false).empty());
    EXPECT_TRUE(ReadStatement(db, StatementSide::Client, QStringLiteral("ACME"), true).empty());

    auto stats = open(QStringLiteral("svstatc"));
    stats->append();
    stats->field(QStringLiteral("Svstatc_client")).setString(QStringLiteral("C1"));
    stats->field(QStringLiteral("Svstatc_dols13")).setMoney(money("999.00"));
    stats->field(QStringLiteral("Svstatc_dols12")).setMoney(money("1.50"));
    stats->field(QStringLiteral("Svstatc_dols1")).setMoney(money("2.25"));
    stats->field(QStringLiteral("Svstatc_Qty13")).setNumber(7);
    stats->field(QStringLiteral("Svstatc_Qty3")).setNumber(2.5);
    stats->post();
    EXPECT_EQ(TwelveMonthMoneyTotal(*stats, QStringLiteral("Svstatc_dols")), money("3.75"))
        << "field 13 is not a month";
    EXPECT_EQ(TwelveMonthQuantityTotal(*stats, QStringLiteral("Svstatc_Qty")), 2.5);
    EXPECT_EQ(TwelveMonthMoneyTotal(*stats, QStringLiteral("Svstatc_cost")), Currency());

    auto ctrl = open(QStringLiteral("ctrl"));
    ctrl->first();
    ctrl->edit();
    for (int n = 1; n <= 4; ++n)
        ctrl->field(QStringLiteral("Ctrl_ap_days%1").arg(n)).setInteger(10 * n);
    ctrl->post();
    EXPECT_EQ(ReadAgingLimits(db, StatementSide::Supplier).days, (std::array<int, 4>{10, 20, 30, 40}));
}
