// Appends sent in batches (the server engine's pipeline): all of them reach
// the table, and a record refused in the middle of a batch undoes the whole
// transaction and is named. On SQLite the same calls keep their one record
// at a time behaviour, so the outcome a caller sees after rolling back is
// the same on both engines.

#include <limits>

#include "engine_fixture.h"

namespace varnex::data::testing {
namespace {

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

// Values that the server's bulk text form must escape or spell exactly come
// back from a batch as they come back from appends sent one at a time.
TEST_F(BatchTest, AwkwardValuesComeBackAsAppendedOneAtATime)
{
    TableDef def;
    def.name = QStringLiteral("awkward");
    def.fields = {
        {QStringLiteral("I"), FieldType::Integer, 0},      {QStringLiteral("T"), FieldType::Text, 12},
        {QStringLiteral("Mo"), FieldType::Memo, 40},       {QStringLiteral("N"), FieldType::Number, 0},
        {QStringLiteral("M"), FieldType::Money, 0},        {QStringLiteral("L"), FieldType::Logical, 0},
        {QStringLiteral("D"), FieldType::Date, 0},         {QStringLiteral("Tm"), FieldType::Time, 0},
        {QStringLiteral("Ts"), FieldType::Timestamp, 0},   {QStringLiteral("By"), FieldType::Bytes, 6},
        {QStringLiteral("S"), FieldType::ShortInteger, 0},
    };
    def.indexes = {{QString(), {QStringLiteral("I")}, true, true}};
    struct Case {
        const char* edge;
        QString text;
        QVariant number;
        Currency money;
        QDate date;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"tab, line ends, backslash", QStringLiteral("a\tb\nc\rd\\e"), 0.1, Currency::fromTicks(-1), QDate(2024, 2, 29),
         QByteArray("\x00\\\t\n\xff", 5)},
        {"the text of a null", QStringLiteral("\\N"), -1e300,
         Currency::fromTicks(std::numeric_limits<std::int64_t>::min()), QDate(1, 1, 1), QByteArray("\\N", 2)},
        {"letters outside ASCII", QString::fromUtf8("\xC3\xA9t\xC3\xA9 \xE2\x82\xAC\xF0\x9F\x98\x80"), 123456.789,
         Currency::fromTicks(std::numeric_limits<std::int64_t>::max()), QDate(9999, 12, 31), QByteArray()},
        {"empty fields", QString(), QVariant(), Currency(), QDate(), QByteArray(1, '\0')},
        {"ASCII, then letters outside it and a backslash", QString::fromUtf8("ab \xC3\xA9\\\xE2\x82\xAC"), 2.5,
         Currency::fromTicks(5), QDate(2000, 1, 1), QByteArray("x")},
    };
    for (const char* name : {"awkward", "awkward2"}) {
        def.name = QLatin1String(name);
        db->createTable(def);
    }
    auto fill = [&](const QString& table, bool batched) {
        auto t = openTable(table);
        t->setBatchedAppends(batched);
        Transaction tx(db);
        int i = 0;
        for (const Case& c : cases) {
            t->append();
            t->field(QStringLiteral("I")).setInteger(++i);
            t->field(QStringLiteral("T")).setString(c.text);
            t->field(QStringLiteral("Mo")).setString(c.text + QStringLiteral("\nsecond line\t\\"));
            t->field(QStringLiteral("N")).setValue(c.number);
            t->field(QStringLiteral("M")).setMoney(c.money);
            t->field(QStringLiteral("L")).setLogical(i % 2 == 0);
            t->field(QStringLiteral("D")).setDate(c.date);
            t->field(QStringLiteral("Tm")).setTime(QTime(23, 59, 58, 7 * i));
            t->field(QStringLiteral("Ts")).setTimestamp(QDateTime(QDate(2023, 12, 31), QTime(0, 0, 1, i)));
            t->field(QStringLiteral("By")).setBytes(c.bytes);
            t->field(QStringLiteral("S")).setInteger(i % 2 ? -32768 : 32767);
            t->post();
        }
        tx.commit();
    };
    fill(QStringLiteral("awkward"), false);
    fill(QStringLiteral("awkward2"), true);
    auto one = openTable(QStringLiteral("awkward"));
    auto many = openTable(QStringLiteral("awkward2"));
    one->first();
    many->first();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.edge);
        ASSERT_FALSE(many->eof());
        for (const FieldDef& f : def.fields)
            EXPECT_EQ(many->field(f.name).value(), one->field(f.name).value()) << f.name.toStdString();
        one->next();
        many->next();
    }
    EXPECT_TRUE(many->eof());
    ASSERT_TRUE(many->findKey({2}));
    EXPECT_EQ(many->field(QStringLiteral("T")).asString(), QStringLiteral("\\N")) << "a text, not an empty field";
    EXPECT_EQ(many->field(QStringLiteral("M")).asMoney().ticks(), std::numeric_limits<std::int64_t>::min());
    ASSERT_TRUE(many->findKey({1}));
    EXPECT_EQ(many->field(QStringLiteral("By")).asBytes(), QByteArray("\x00\\\t\n\xff\x00", 6))
        << "bytes(6) is filled up";
}

// A fill that appends to a master and its lines by turns: both reach their
// tables, and a refusal in either names the table and record it belongs to.
TEST_F(BatchTest, FillsOfTwoTablesByTurnsKeepEveryRecordAndNameARefusal)
{
    db->createTable(OpenItemDef());
    const QDate day(2024, 5, 1);
    for (int duplicateAt : {-1, 40, 1990}) {
        SCOPED_TRACE(duplicateAt);
        auto sup = batchedTable();
        auto cap = openTable(QStringLiteral("cap"));
        cap->setBatchedAppends(true);
        int code = 0;
        QString message;
        try {
            Transaction tx(db);
            for (int i = 0; i < 2000; ++i) {
                addSupplier(*sup, SupplierCode(1000 + i), QStringLiteral("Name %1").arg(i));
                for (int line = 0; line < 3; ++line)
                    addItem(*cap, SupplierCode(1000 + i),
                            QStringLiteral("INV%1").arg(i == duplicateAt ? 0 : i * 3 + line), day,
                            QStringLiteral("1.25"));
            }
            EXPECT_EQ(openTable(QStringLiteral("cap"))->recordCount(), 6000);
            tx.commit();
        } catch (const EngineError& e) {
            code = e.code();
            message = e.message();
        }
        if (duplicateAt < 0) {
            EXPECT_EQ(code, 0) << message.toStdString();
            EXPECT_EQ(openTable(QStringLiteral("sup"))->recordCount(), 2001);
            auto lines = openTable(QStringLiteral("cap"));
            EXPECT_EQ(lines->recordCount(), 6000);
            lines->setRange({SupplierCode(2999)}, {SupplierCode(2999)});
            EXPECT_EQ(walk(*lines, QStringLiteral("Cap_invoice")),
                      QStringList({QStringLiteral("INV5997"), QStringLiteral("INV5998"), QStringLiteral("INV5999")}));
            Query(db, QStringLiteral("DELETE FROM cap")).execSql();
            Query(db, QStringLiteral("DELETE FROM sup WHERE Sup_code <> 'S0300'")).execSql();
            continue;
        }
        EXPECT_EQ(code, ErrorCode::KeyViolation);
        if (OnServer()) {
            EXPECT_TRUE(message.contains(QStringLiteral("cap"))) << message.toStdString();
            EXPECT_TRUE(message.contains(SupplierCode(1000 + duplicateAt) + QStringLiteral(", INV0")))
                << message.toStdString();
        }
        sup->cancel();
        cap->cancel();
        EXPECT_EQ(openTable(QStringLiteral("cap"))->recordCount(), 0);
        EXPECT_EQ(openTable(QStringLiteral("sup"))->recordCount(), 1) << "nothing of the transaction kept";
    }
}

// A fill abandoned half-way (an error of the caller's own, the window closed)
// while its records are still on their way: the rollback drops them, and the
// connection is at once good for the next transaction.
TEST_F(BatchTest, ARollbackWhileAppendsAreOnTheirWayKeepsNothingAndTheNextFillWorks)
{
    auto fill = batchedTable();
    for (const int count : {5, 3000}) { // still waiting in memory; partly sent
        SCOPED_TRACE(count);
        {
            Transaction tx(db);
            for (int i = 0; i < count; ++i)
                addSupplier(*fill, SupplierCode(1000 + i), QStringLiteral("abandoned"));
        }
        EXPECT_EQ(openTable(QStringLiteral("sup"))->recordCount(), 1);
    }
    {
        Transaction tx(db);
        for (int i = 0; i < 3000; ++i)
            addSupplier(*fill, SupplierCode(1000 + i), QStringLiteral("kept"));
        tx.commit();
    }
    auto check = openTable(QStringLiteral("sup"));
    EXPECT_EQ(check->recordCount(), 3001);
    ASSERT_TRUE(check->findKey({SupplierCode(3999)}));
    EXPECT_EQ(check->field(QStringLiteral("Sup_name")).asString(), QStringLiteral("kept"));
}

} // namespace
} // namespace varnex::data::testing
