// Reading fields of fetched records: a cursor keeps its pages as stored and
// converts a field when it is read, so every reader must see the same value
// whatever was read before, in what order, and however the cursor got there.

#include <clocale>
#include <limits>
#include <string>

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

// ---- values at the edges of their types ------------------------------------------

TableDef EdgeDef()
{
    TableDef def;
    def.name = QStringLiteral("edge");
    def.fields = {
        {QStringLiteral("Code"), FieldType::Integer, 0},       {QStringLiteral("Label"), FieldType::Text, 12},
        {QStringLiteral("Amount"), FieldType::Money, 0},       {QStringLiteral("Ratio"), FieldType::Number, 0},
        {QStringLiteral("Small"), FieldType::ShortInteger, 0}, {QStringLiteral("Whole"), FieldType::Integer, 0},
        {QStringLiteral("Blob"), FieldType::Binary, 0},
    };
    def.indexes = {{QString(), {QStringLiteral("Code")}, true, true}};
    return def;
}

// One record each, Code 1, 2, ...: texts that read like numbers, logicals,
// hex or NULL; amounts at both ends of money and either side of fifteen
// digits; numbers with no short decimal form; bytes that spell an escape.
struct Edge {
    const char* label;
    std::int64_t ticks;
    double ratio;
    std::int64_t small;
    std::int64_t whole;
    QByteArray blob;
};

std::vector<Edge> Edges()
{
    QByteArray everyByte;
    for (int b = 0; b < 256; ++b)
        everyByte.append(static_cast<char>(b));
    using Limits = std::numeric_limits<std::int64_t>;
    return {
        {"0012", Limits::max(), std::numeric_limits<double>::max(), 32767, 2147483647, everyByte},
        {"-0", Limits::min(), -std::numeric_limits<double>::denorm_min(), -32768, -2147483648LL, QByteArray("\\x41")},
        {"1e5", 999999999999999999, 0.1, 0, 0, QByteArray(1, '\0')},
        {"t", -1, 0.1 + 0.2, -1, -1, QByteArray("\\\\x")},
        {"\\x41 NULL", 1000000000000000000, -1e-300, 1, 1, QByteArray("f")},
    };
}

class EdgeReadTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        db->createTable(EdgeDef());
        auto t = openTable(QStringLiteral("edge"));
        qlonglong code = 0;
        for (const Edge& e : Edges()) {
            t->append();
            t->field(QStringLiteral("Code")).setInteger(++code);
            t->field(QStringLiteral("Label")).setString(QString::fromUtf8(e.label));
            t->field(QStringLiteral("Amount")).setMoney(Currency::fromTicks(e.ticks));
            t->field(QStringLiteral("Ratio")).setNumber(e.ratio);
            t->field(QStringLiteral("Small")).setInteger(e.small);
            t->field(QStringLiteral("Whole")).setInteger(e.whole);
            t->field(QStringLiteral("Blob")).setBytes(e.blob);
            t->post();
        }
    }

    // Each field read by its typed reader and as a value, in either order.
    static void expectEdge(Table& t, const Edge& e, bool typedFirst)
    {
        SCOPED_TRACE(std::string(e.label) + (typedFirst ? ", typed reader first" : ", value first"));
        const Field& label = t.field(QStringLiteral("Label"));
        const Field& amount = t.field(QStringLiteral("Amount"));
        const Field& ratio = t.field(QStringLiteral("Ratio"));
        const Field& small = t.field(QStringLiteral("Small"));
        const Field& whole = t.field(QStringLiteral("Whole"));
        const Field& blob = t.field(QStringLiteral("Blob"));
        auto typed = [&] {
            EXPECT_EQ(label.asString(), QString::fromUtf8(e.label));
            EXPECT_EQ(amount.asMoney().ticks(), e.ticks);
            EXPECT_EQ(ratio.asNumber(), e.ratio);
            EXPECT_EQ(small.asInteger(), e.small);
            EXPECT_EQ(whole.asInteger(), e.whole);
            EXPECT_EQ(blob.asBytes(), e.blob);
        };
        auto values = [&] {
            EXPECT_EQ(label.value(), QVariant(QString::fromUtf8(e.label)));
            EXPECT_EQ(amount.value().value<Currency>().ticks(), e.ticks);
            EXPECT_EQ(ratio.value().toDouble(), e.ratio);
            EXPECT_EQ(small.value().toLongLong(), e.small);
            EXPECT_EQ(whole.value().toLongLong(), e.whole);
            EXPECT_EQ(blob.value().toByteArray(), e.blob);
        };
        if (typedFirst) {
            typed();
            values();
        } else {
            values();
            typed();
        }
    }
};

TEST_F(EdgeReadTest, EdgeValuesReadBackExactlyWhicheverReaderComesFirst)
{
    const auto edges = Edges();
    for (bool typedFirst : {true, false}) {
        auto t = openTable(QStringLiteral("edge"));
        size_t i = 0;
        for (t->first(); !t->eof(); t->next())
            expectEdge(*t, edges[i++], typedFirst);
        EXPECT_EQ(i, edges.size());
        for (t->last(); !t->bof(); t->prior())
            expectEdge(*t, edges[--i], !typedFirst);
    }
}

TEST_F(EdgeReadTest, EmptyTextFromAStatementIsNotNullButNullIs)
{
    // The engine keeps an empty text as NULL; another program may store ''.
    Query(db, QStringLiteral("UPDATE edge SET Label = '' WHERE Code = 1")).execSql();
    Query(db, QStringLiteral("UPDATE edge SET Label = NULL WHERE Code = 2")).execSql();
    auto writer = openTable(QStringLiteral("edge"));
    ASSERT_TRUE(writer->findKey({qlonglong(3)}));
    writer->edit();
    writer->field(QStringLiteral("Label")).setString(QString());
    writer->post();
    struct Expected {
        bool null;
        const char* what;
    };
    const Expected expected[] = {{false, "'' from a statement"}, {true, "NULL"}, {true, "empty text posted"}};
    for (bool typedFirst : {true, false}) {
        auto t = openTable(QStringLiteral("edge"));
        t->first();
        for (const Expected& e : expected) {
            SCOPED_TRACE(std::string(e.what) + (typedFirst ? ", isNull first" : ", value first"));
            const Field& label = t->field(QStringLiteral("Label"));
            bool null = false;
            QVariant v;
            if (typedFirst) {
                null = label.isNull();
                v = label.value();
            } else {
                v = label.value();
                null = label.isNull();
            }
            EXPECT_EQ(null, e.null);
            EXPECT_EQ(v.isValid(), !e.null);
            EXPECT_EQ(label.asString(), QString());
            EXPECT_EQ(label.asBytes(), QByteArray());
            t->next();
        }
    }
}

TEST_F(EdgeReadTest, AnAmountBeyondMoneyFailsOnlyWhereItIsRead)
{
    if (!OnServer())
        GTEST_SKIP() << "SQLite keeps amounts as ten-thousandths: none can be larger than money";
    // The column holds fifteen digits before the point, one more than money.
    Query(db, QStringLiteral("UPDATE edge SET Amount = 999999999999999.9999 WHERE Code = 2")).execSql();
    const auto edges = Edges();
    auto t = openTable(QStringLiteral("edge"));
    t->first();
    EXPECT_EQ(t->field(QStringLiteral("Amount")).asMoney().ticks(), edges[0].ticks);
    t->next();
    EXPECT_EQ(ErrorCodeOf([&] { t->field(QStringLiteral("Amount")).asMoney(); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(ErrorCodeOf([&] { t->field(QStringLiteral("Amount")).value(); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(t->field(QStringLiteral("Label")).asString(), QStringLiteral("-0"));
    t->next();
    expectEdge(*t, edges[2], true);
    t->prior();
    EXPECT_EQ(t->field(QStringLiteral("Whole")).asInteger(), edges[1].whole);
}

TEST_F(EdgeReadTest, NumbersReadAlikeUnderALocaleWithADecimalComma)
{
    // A French workstation's C library reads "0.5" as 0 unless told otherwise.
    struct Restore {
        std::string locale = std::setlocale(LC_NUMERIC, nullptr);
        ~Restore() { std::setlocale(LC_NUMERIC, locale.c_str()); }
    } restore;
    bool comma = false;
    for (const char* name : {"fr_CA.UTF-8", "fr_FR.UTF-8", "de_DE.UTF-8", "fr_CA.utf8", "fr_FR.utf8"})
        if (std::setlocale(LC_NUMERIC, name) && *std::localeconv()->decimal_point == ',') {
            comma = true;
            break;
        }
    if (!comma)
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    const auto edges = Edges();
    for (bool typedFirst : {true, false}) {
        auto t = openTable(QStringLiteral("edge"));
        size_t i = 0;
        for (t->first(); !t->eof(); t->next())
            expectEdge(*t, edges[i++], typedFirst);
    }
}

TEST_F(ReadTest, AnUpdateHeldBackInATransactionIsWhatAPageShows)
{
    // The server may hold back an update that keeps every key until the
    // transaction needs it: a cursor reading the record meanwhile gets the
    // record as posted, whether it reads it as a value or a number.
    auto writer = suppliers(40);
    Transaction tx(db);
    for (int i : {0, 17, 39}) {
        ASSERT_TRUE(writer->findKey({SupplierCode(i)}));
        writer->edit();
        writer->field(QStringLiteral("Sup_name")).setString(QStringLiteral("Posted %1").arg(i));
        writer->field(QStringLiteral("Sup_current_bal")).setMoney(Currency::fromTicks(-i));
        writer->post();
    }
    auto check = [](Table& t, int i) {
        SCOPED_TRACE(i);
        const bool posted = i == 0 || i == 17 || i == 39;
        EXPECT_EQ(t.field(QStringLiteral("Sup_current_bal")).asMoney(),
                  Currency::fromTicks(posted ? -i : i * 10000 + 2500));
        EXPECT_EQ(t.field(QStringLiteral("Sup_name")).asString(),
                  posted ? QStringLiteral("Posted %1").arg(i) : QStringLiteral("Name %1").arg(i));
    };
    auto reader = openTable(QStringLiteral("sup"));
    int i = 0;
    for (reader->first(); !reader->eof(); reader->next())
        check(*reader, i++);
    EXPECT_EQ(i, 40);
    for (reader->last(); !reader->bof(); reader->prior())
        check(*reader, --i);
    tx.commit();
}

} // namespace
} // namespace varnex::data::testing
