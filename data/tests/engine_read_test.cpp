// Reading fields of fetched records: a cursor keeps its pages as stored and
// converts a field when it is read, so every reader must see the same value
// whatever was read before, in what order, and however the cursor got there.

#include "engine_fixture.h"

namespace varnex::data::testing {
namespace {

TableDef EveryTypeDef()
{
    TableDef def;
    def.name = QStringLiteral("every");
    def.fields = {
        {QStringLiteral("Key"), FieldType::Integer, 0},        {QStringLiteral("Text"), FieldType::Text, 10},
        {QStringLiteral("Memo"), FieldType::Memo, 0},          {QStringLiteral("Short"), FieldType::ShortInteger, 0},
        {QStringLiteral("Auto"), FieldType::AutoIncrement, 0}, {QStringLiteral("Number"), FieldType::Number, 0},
        {QStringLiteral("Money"), FieldType::Money, 0},        {QStringLiteral("Logical"), FieldType::Logical, 0},
        {QStringLiteral("Date"), FieldType::Date, 0},          {QStringLiteral("Time"), FieldType::Time, 0},
        {QStringLiteral("Stamp"), FieldType::Timestamp, 0},    {QStringLiteral("Bytes"), FieldType::Bytes, 4},
        {QStringLiteral("Blob"), FieldType::Binary, 0},
    };
    def.indexes = {{QString(), {QStringLiteral("Key")}, true, true}};
    return def;
}

// One record per entry, in key order: every field with a value, every
// field empty, and the edges (multi-byte text, a zero byte, the last
// millisecond of a leap day, negative and smallest amounts, false).
std::vector<std::vector<QVariant>> EveryTypeRows()
{
    const QString longMemo = QString(3000, QLatin1Char('m')) + QStringLiteral("é");
    return {
        {qlonglong(1), QStringLiteral("Invoice"), QStringLiteral("Some notes"), qlonglong(-30), qlonglong(7), 2.5,
         QVariant::fromValue(Currency::fromTicks(1234500)), true, QDate(2024, 2, 29), QTime(7, 5, 3, 120),
         QDateTime(QDate(2024, 2, 29), QTime(7, 5, 3, 120)), QByteArray("ab\0d", 4), QByteArray("\x01\x00\xff", 3)},
        {qlonglong(2), QVariant(), QVariant(), QVariant(), qlonglong(8), QVariant(), QVariant(), QVariant(), QVariant(),
         QVariant(), QVariant(), QVariant(), QVariant()},
        {qlonglong(3), QStringLiteral("Été à Nîm"), longMemo, qlonglong(32767), qlonglong(9), 1e-9,
         QVariant::fromValue(Currency::fromTicks(-1)), false, QDate(1999, 12, 31), QTime(23, 59, 59, 999),
         QDateTime(QDate(2000, 1, 1), QTime(0, 0)), QByteArray("\0\0\0\0", 4), QByteArray(70000, 'x')},
    };
}

bool SameValue(const QVariant& a, const QVariant& b)
{
    if (a.isValid() != b.isValid())
        return false;
    if (!a.isValid())
        return true;
    if (a.metaType() == QMetaType::fromType<Currency>() || b.metaType() == QMetaType::fromType<Currency>())
        return a.value<Currency>() == b.value<Currency>();
    return a.metaType() == b.metaType() && a == b;
}

class ReadTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        db->createTable(EveryTypeDef());
        auto t = openTable(QStringLiteral("every"));
        for (const auto& row : EveryTypeRows()) {
            t->append();
            for (size_t i = 0; i < row.size(); ++i)
                t->fieldByNumber(static_cast<int>(i)).setValue(row[i]);
            t->post();
        }
        db->createTable(SupplierDef());
    }

    void expectRecord(Table& t, size_t row)
    {
        const auto expected = EveryTypeRows()[row];
        for (size_t i = 0; i < expected.size(); ++i) {
            const Field& f = t.fieldByNumber(static_cast<int>(i));
            SCOPED_TRACE(f.name().toStdString());
            EXPECT_TRUE(SameValue(f.value(), expected[i])) << f.value().toString().left(40).toStdString();
        }
    }

    std::unique_ptr<Table> suppliers(int n)
    {
        auto sup = openTable(QStringLiteral("sup"));
        Transaction tx(db);
        for (int i = 0; i < n; ++i)
            addSupplier(*sup, SupplierCode(i), QStringLiteral("Name %1").arg(i), QString::number(i) + ".25");
        tx.commit();
        sup->first();
        return sup;
    }
};

TEST_F(ReadTest, EveryTypeReadsBackAsWrittenInBothDirections)
{
    auto t = openTable(QStringLiteral("every"));
    size_t row = 0;
    for (t->first(); !t->eof(); t->next())
        expectRecord(*t, row++);
    EXPECT_EQ(row, 3u);
    for (t->last(); !t->bof(); t->prior())
        expectRecord(*t, --row);
    EXPECT_EQ(row, 0u);
}

TEST_F(ReadTest, TypedReadersAgreeWhetherOrNotTheValueWasReadFirst)
{
    // `fresh` reads each field through a typed reader before anything else;
    // `read` has converted the value before the same reader runs.
    auto fresh = openTable(QStringLiteral("every"));
    auto read = openTable(QStringLiteral("every"));
    for (fresh->first(), read->first(); !fresh->eof(); fresh->next(), read->next()) {
        for (int i = 0; i < fresh->fieldCount(); ++i) {
            const Field& a = fresh->fieldByNumber(i);
            const Field& b = read->fieldByNumber(i);
            SCOPED_TRACE(a.name().toStdString() + " of record " + std::to_string(read->recordId()));
            b.value();
            EXPECT_EQ(a.isNull(), b.isNull());
            switch (a.type()) {
            case FieldType::Money: EXPECT_EQ(a.asMoney(), b.asMoney()); break;
            case FieldType::Number: EXPECT_EQ(a.asNumber(), b.asNumber()); break;
            case FieldType::ShortInteger:
            case FieldType::Integer:
            case FieldType::AutoIncrement:
            case FieldType::Logical:
                EXPECT_EQ(a.asInteger(), b.asInteger());
                EXPECT_EQ(a.asNumber(), b.asNumber());
                break;
            default: EXPECT_EQ(a.asString(), b.asString()); break;
            }
        }
        read->next(); // and back: the record is converted again
        if (!read->eof())
            read->prior();
        for (int i = 0; i < fresh->fieldCount(); ++i)
            EXPECT_TRUE(SameValue(fresh->fieldByNumber(i).value(), read->fieldByNumber(i).value()));
    }
}

TEST_F(ReadTest, UnreadRecordSurvivesFailedSearchesMovesAndCancelledInserts)
{
    // Nothing of record 1 is read before each operation that must come back
    // to it; its values are checked only afterwards.
    auto t = openTable(QStringLiteral("every"));
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"findKey miss", [&] { EXPECT_FALSE(t->findKey({qlonglong(99)})); }},
        {"locate miss", [&] { EXPECT_FALSE(t->locatePrefix({qlonglong(0)})); }},
        {"insert cancelled",
         [&] {
             t->insert();
             t->cancel();
         }},
        {"edit cancelled",
         [&] {
             t->edit();
             t->cancel();
         }},
        {"refresh", [&] { t->refresh(); }},
    };
    for (const auto& [what, action] : cases) {
        SCOPED_TRACE(what);
        t->first();
        action();
        expectRecord(*t, 0);
    }
    t->last();
    t->next(); // past the end: stays on the last record
    EXPECT_TRUE(t->eof());
    expectRecord(*t, 2);
    t->first();
    t->prior();
    EXPECT_TRUE(t->bof());
    expectRecord(*t, 0);
}

TEST_F(ReadTest, AnEditPostsTheFieldsItNeverRead)
{
    auto t = openTable(QStringLiteral("every"));
    t->first();
    t->edit();
    t->field(QStringLiteral("Short")).setInteger(12);
    t->post();
    auto other = openTable(QStringLiteral("every"));
    other->first();
    auto expected = EveryTypeRows()[0];
    expected[3] = qlonglong(12);
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_TRUE(SameValue(other->fieldByNumber(static_cast<int>(i)).value(), expected[i]))
            << other->fieldByNumber(static_cast<int>(i)).name().toStdString();
}

TEST_F(ReadTest, FieldsReadAcrossPageEdgesInBothDirections)
{
    // Pages of 16, 64, 256 and 512 records: a walk reads a different field
    // at each record, turns back at every edge and forward again.
    constexpr int n = 900;
    auto sup = suppliers(n);
    auto check = [&](int i) {
        SCOPED_TRACE(i);
        switch (i % 3) {
        case 0: EXPECT_EQ(sup->field(QStringLiteral("Sup_code")).asString(), SupplierCode(i)); break;
        case 1:
            EXPECT_EQ(sup->field(QStringLiteral("Sup_name")).value().toString(), QStringLiteral("Name %1").arg(i));
            break;
        default:
            EXPECT_EQ(sup->field(QStringLiteral("Sup_current_bal")).asMoney(), Currency::fromTicks(i * 10000 + 2500));
        }
    };
    int i = 0;
    for (sup->first(); !sup->eof(); sup->next(), ++i) {
        check(i);
        if (i == 15 || i == 16 || i == 80 || i == 336 || i == 848) {
            sup->prior();
            check(i - 1);
            sup->next();
            check(i);
        }
    }
    EXPECT_EQ(i, n);
    for (sup->last(), i = n - 1; !sup->bof(); sup->prior(), --i)
        check(i);
    EXPECT_EQ(i, -1);
}

TEST_F(ReadTest, ARecordChangedAfterItsPageWasReadShowsTheChangeAtTheNextMove)
{
    auto reader = suppliers(40);
    auto writer = openTable(QStringLiteral("sup"));
    // Record 1 is in the reader's page and was never read there.
    ASSERT_TRUE(writer->findKey({SupplierCode(1)}));
    writer->edit();
    writer->field(QStringLiteral("Sup_name")).setString(QStringLiteral("Changed"));
    writer->post();
    ASSERT_TRUE(writer->findKey({SupplierCode(2)}));
    writer->deleteRecord();
    reader->next();
    EXPECT_EQ(reader->field(QStringLiteral("Sup_name")).asString(), QStringLiteral("Changed"));
    reader->next();
    EXPECT_EQ(reader->field(QStringLiteral("Sup_code")).asString(), SupplierCode(3));
}

TEST_F(ReadTest, CalculatedFieldsAndFiltersReadUnconvertedFields)
{
    suppliers(50);
    Table sup;
    sup.setDatabase(db);
    sup.setTableName(QStringLiteral("sup"));
    sup.addCalculatedField(QStringLiteral("Doubled"), FieldType::Money);
    sup.events().calcFields = [](DataSet& t) {
        t.field(QStringLiteral("Doubled")).setMoney(t.field(QStringLiteral("Sup_current_bal")).asMoney() * 2);
    };
    sup.open();
    sup.setFilter([](DataSet& t) { return t.field(QStringLiteral("Sup_code")).asString().endsWith(QLatin1Char('7')); });
    QStringList codes;
    for (sup.first(); !sup.eof(); sup.next()) {
        codes << sup.field(QStringLiteral("Sup_code")).asString();
        EXPECT_EQ(sup.field(QStringLiteral("Doubled")).asMoney(),
                  sup.field(QStringLiteral("Sup_current_bal")).asMoney() * 2);
    }
    EXPECT_EQ(codes,
              (QStringList{SupplierCode(7), SupplierCode(17), SupplierCode(27), SupplierCode(37), SupplierCode(47)}));
    EXPECT_EQ(sup.recordCount(), 5);
}

} // namespace
} // namespace varnex::data::testing
