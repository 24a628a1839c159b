// Appends sent in batches (the server engine's pipeline): all of them reach
// the table, and a record refused in the middle of a batch undoes the whole
// transaction and is named. On SQLite the same calls keep their one record
// at a time behaviour, so the outcome a caller sees after rolling back is
// the same on both engines.

#include "engine_fixture.h"

namespace varnex::data::testing {
namespace {

bool OnServer()
{
    return qgetenv("VARNEX_ENGINE") == "postgresql";
}

class BatchTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        db->createTable(SupplierDef());
        auto sup = openTable(QStringLiteral("sup"));
        addSupplier(*sup, SupplierCode(300), QStringLiteral("there before"));
    }

    std::unique_ptr<Table> batchedTable()
    {
        auto fill = openTable(QStringLiteral("sup"));
        fill->setBatchedAppends(true);
        EXPECT_TRUE(fill->batchedAppends());
        return fill;
    }
};

TEST_F(BatchTest, EveryAppendOfABatchIsKeptAndReadableInItsTransaction)
{
    auto fill = batchedTable();
    {
        Transaction tx(db);
        for (int i = 1000; i < 2200; ++i)
            addSupplier(*fill, SupplierCode(i), QStringLiteral("Name %1").arg(i), QStringLiteral("1.5"));
        // A read in the same transaction sees every record sent so far.
        auto check = openTable(QStringLiteral("sup"));
        EXPECT_EQ(check->recordCount(), 1201);
        ASSERT_TRUE(check->findKey({SupplierCode(2199)}));
        EXPECT_EQ(check->field(QStringLiteral("Sup_name")).asString(), QStringLiteral("Name 2199"));
        tx.commit();
    }
    // The record ids the cursor was given are the stored ones: the record
    // just appended can be edited at once.
    fill->edit();
    fill->field(QStringLiteral("Sup_name")).setString(QStringLiteral("changed"));
    fill->post();
    auto check = openTable(QStringLiteral("sup"));
    ASSERT_TRUE(check->findKey({SupplierCode(2199)}));
    EXPECT_EQ(check->field(QStringLiteral("Sup_name")).asString(), QStringLiteral("changed"));
    Currency total;
    int walked = 0;
    for (check->first(); !check->eof(); check->next(), ++walked)
        total += check->field(QStringLiteral("Sup_current_bal")).asMoney();
    EXPECT_EQ(walked, 1201);
    EXPECT_EQ(total, Currency::fromTicks(1200 * 15000));
}

TEST_F(BatchTest, ARefusedRecordUndoesTheWholeTransactionAndIsNamed)
{
    struct Case {
        int position; // of the duplicate among 700 appends
        const char* edge;
    };
    const Case cases[] = {
        {0, "first of the first batch"},
        {299, "middle of a batch"},
        {511, "last of a full batch"},
        {699, "last record: found at commit"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.edge);
        auto fill = batchedTable();
        Transaction tx(db);
        int code = 0;
        QString message;
        try {
            for (int i = 0; i < 700; ++i)
                addSupplier(*fill, i == c.position ? SupplierCode(300) : SupplierCode(1000 + i), QStringLiteral("new"));
            tx.commit();
        } catch (const EngineError& e) {
            code = e.code();
            message = e.message();
        }
        EXPECT_EQ(code, ErrorCode::KeyViolation);
        if (OnServer()) {
            EXPECT_TRUE(message.contains(QStringLiteral("sup"))) << message.toStdString();
            EXPECT_TRUE(message.contains(SupplierCode(300))) << message.toStdString();
            // A caller that goes on as if one record had failed keeps nothing.
            fill->cancel();
            EXPECT_EQ(ErrorCodeOf([&] { addSupplier(*fill, QStringLiteral("LATE"), QStringLiteral("x")); }),
                      ErrorCode::WriteFailed);
            fill->cancel();
            if (tx.active()) {
                EXPECT_EQ(ErrorCodeOf([&] { tx.commit(); }), ErrorCode::WriteFailed);
            }
        }
        tx.rollback();
        fill.reset();
        auto check = openTable(QStringLiteral("sup"));
        EXPECT_EQ(check->recordCount(), 1) << "nothing of the transaction kept";
        ASSERT_TRUE(check->findKey({SupplierCode(300)}));
        EXPECT_EQ(check->field(QStringLiteral("Sup_name")).asString(), QStringLiteral("there before"));
    }
}

TEST_F(BatchTest, OutsideATransactionEachAppendIsCheckedAtItsPost)
{
    auto fill = batchedTable();
    addSupplier(*fill, SupplierCode(1), QStringLiteral("one"));
    EXPECT_EQ(ErrorCodeOf([&] { addSupplier(*fill, SupplierCode(300), QStringLiteral("twice")); }),
              ErrorCode::KeyViolation);
    fill->cancel();
    addSupplier(*fill, SupplierCode(2), QStringLiteral("two"));
    EXPECT_EQ(openTable(QStringLiteral("sup"))->recordCount(), 3);
}

} // namespace
} // namespace varnex::data::testing
