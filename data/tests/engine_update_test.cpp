// Records changed again and again inside one transaction (a long posting
// adding to the same statistics record for every line). The server engine
// holds such updates back until something needs them; whatever the engine
// does, every cursor, query and search of this process sees the latest
// values at once, a commit keeps them and a rollback drops them.

#include "engine_fixture.h"

namespace varnex::data::testing {
namespace {

class RepeatedUpdateTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        db->createTable(SupplierDef());
        auto sup = openTable(QStringLiteral("sup"));
        for (int i = 0; i < 40; ++i)
            addSupplier(*sup, SupplierCode(i), QStringLiteral("Name %1").arg(i, 2, 10, QLatin1Char('0')),
                        QStringLiteral("10"));
    }

    // Adds whole dollars to a supplier's balance through the given cursor.
    static void addTo(Table& t, int i, int units)
    {
        ASSERT_TRUE(t.findKey({SupplierCode(i)}));
        t.edit();
        Field& balance = t.field(QStringLiteral("Sup_current_bal"));
        balance.setMoney(balance.asMoney() + Currency::fromUnits(units));
        t.post();
    }

    Currency balanceOf(int i)
    {
        auto t = openTable(QStringLiteral("sup"));
        EXPECT_TRUE(t->findKey({SupplierCode(i)}));
        return t->field(QStringLiteral("Sup_current_bal")).asMoney();
    }

    Currency sumByQuery()
    {
        Query q(db, QStringLiteral("SELECT SUM(Sup_current_bal) AS Total FROM sup"));
        q.declareResultField(QStringLiteral("Total"), FieldType::Money);
        q.open();
        return q.field(QStringLiteral("Total")).asMoney();
    }
};

TEST_F(RepeatedUpdateTest, EveryReaderSeesTheLatestValuesBeforeTheCommit)
{
    auto writer = openTable(QStringLiteral("sup"));
    Transaction tx(db);
    for (int line = 0; line < 300; ++line) {
        addTo(*writer, 3, 1);              // the same record every line
        addTo(*writer, 7, 2);              // and another
        addTo(*writer, 10 + line % 20, 5); // and one of twenty
    }
    struct Read {
        const char* what;
        std::function<Currency()> value;
        Currency expected;
    };
    const QList<Read> reads = {
        {"a search by a fresh cursor", [&] { return balanceOf(3); }, Currency::fromUnits(10 + 300)},
        {"another record", [&] { return balanceOf(7); }, Currency::fromUnits(10 + 600)},
        {"one of twenty", [&] { return balanceOf(12); }, Currency::fromUnits(10 + 15 * 5)},
        {"a query over the table", [&] { return sumByQuery(); }, Currency::fromUnits(400 + 300 + 600 + 300 * 5)},
    };
    for (const Read& r : reads) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(r.value().ticks(), r.expected.ticks());
    }
    // A walk in key order meets each record once, with its latest value.
    auto walker = openTable(QStringLiteral("sup"));
    Currency walked;
    int seen = 0;
    for (walker->first(); !walker->eof(); walker->next(), ++seen)
        walked += walker->field(QStringLiteral("Sup_current_bal")).asMoney();
    EXPECT_EQ(seen, 40);
    EXPECT_EQ(walked.ticks(), Currency::fromUnits(400 + 300 + 600 + 300 * 5).ticks());
    tx.commit();
    EXPECT_EQ(balanceOf(3).ticks(), Currency::fromUnits(310).ticks());
    EXPECT_EQ(sumByQuery().ticks(), Currency::fromUnits(2800).ticks());
}

TEST_F(RepeatedUpdateTest, AnOrderOnAChangedFieldIsRightWithinTheTransaction)
{
    auto writer = openTable(QStringLiteral("sup"));
    // An order on a field no key holds: changing it is not a key change, yet
    // it moves records in this cursor's order.
    auto byTerms = openTable(QStringLiteral("sup"));
    byTerms->setIndexFieldNames(QStringLiteral("Sup_terms"));
    Transaction tx(db);
    for (int i = 0; i < 40; ++i) {
        ASSERT_TRUE(writer->findKey({SupplierCode(i)}));
        writer->edit();
        writer->field(QStringLiteral("Sup_terms")).setInteger(i % 2 == 0 ? 100 - i : 5);
        writer->post();
    }
    const QStringList terms = walk(*byTerms, QStringLiteral("Sup_terms"));
    ASSERT_EQ(terms.size(), 40);
    for (int k = 1; k < terms.size(); ++k)
        EXPECT_LE(terms[k - 1].toInt(), terms[k].toInt()) << k;
    EXPECT_EQ(terms.first(), QStringLiteral("5"));
    EXPECT_EQ(terms.last(), QStringLiteral("100"));
    ASSERT_TRUE(byTerms->findKey({62}));
    EXPECT_EQ(byTerms->field(QStringLiteral("Sup_code")).asString(), SupplierCode(38));
    byTerms->setRange({5}, {5});
    EXPECT_EQ(byTerms->recordCount(), 20);
    tx.commit();
}

TEST_F(RepeatedUpdateTest, RollbackDropsThemAndAKeyChangeIsStillRefusedAtItsPost)
{
    auto writer = openTable(QStringLiteral("sup"));
    {
        Transaction tx(db);
        for (int line = 0; line < 50; ++line)
            addTo(*writer, 5, 1);
        // A change of the key to one already taken is refused at once, and
        // the transaction goes on.
        ASSERT_TRUE(writer->findKey({SupplierCode(6)}));
        writer->edit();
        writer->field(QStringLiteral("Sup_code")).setString(SupplierCode(8));
        EXPECT_EQ(ErrorCodeOf([&] { writer->post(); }), ErrorCode::KeyViolation);
        writer->cancel();
        addTo(*writer, 5, 1);
        EXPECT_EQ(balanceOf(5).ticks(), Currency::fromUnits(61).ticks());
        // Not committed.
    }
    EXPECT_EQ(balanceOf(5).ticks(), Currency::fromUnits(10).ticks());
    EXPECT_EQ(sumByQuery().ticks(), Currency::fromUnits(400).ticks());
}

TEST_F(RepeatedUpdateTest, AnInjectedFaultAtAnyUpdateLeavesNothing)
{
    auto writer = openTable(QStringLiteral("sup"));
    for (int failAt = 1; failAt <= 6; ++failAt) {
        SCOPED_TRACE(failAt);
        db->failAtWrite(failAt);
        const int code = ErrorCodeOf([&] {
            Transaction tx(db);
            for (int line = 0; line < 3; ++line) {
                addTo(*writer, 1, 1);
                addTo(*writer, 2, 1);
            }
            tx.commit();
        });
        EXPECT_EQ(code, ErrorCode::InjectedFault);
        if (writer->state() != DataSetState::Browse)
            writer->cancel();
        EXPECT_EQ(sumByQuery().ticks(), Currency::fromUnits(400).ticks());
    }
    db->failAtWrite(0);
}

} // namespace
} // namespace varnex::data::testing
