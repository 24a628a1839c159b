// What appends and updates write: texts, dates and amounts as a search by
// value finds them, and the record a post leaves current through a run of
// appends, refusals and cancels.

#include <cmath>
#include <functional>
#include <iterator>
#include <limits>

#include "engine_fixture.h"

namespace varnex::data::testing {
namespace {

struct Values {
    QString text;
    QDate date;
    Currency money;
    std::int64_t small;
};

class WriteTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        TableDef def;
        def.name = QStringLiteral("w");
        def.fields = {
            {QStringLiteral("Id"), FieldType::Integer, 0}, {QStringLiteral("T"), FieldType::Text, 10},
            {QStringLiteral("Mo"), FieldType::Memo, 0},    {QStringLiteral("D"), FieldType::Date, 0},
            {QStringLiteral("M"), FieldType::Money, 0},    {QStringLiteral("S"), FieldType::ShortInteger, 0},
        };
        def.indexes = {{QString(), {QStringLiteral("Id")}, true, true}};
        db->createTable(def);
    }

    static void set(Table& t, const Values& v)
    {
        t.field(QStringLiteral("T")).setString(v.text);
        t.field(QStringLiteral("Mo")).setString(v.text + v.text);
        t.field(QStringLiteral("D")).setDate(v.date);
        t.field(QStringLiteral("M")).setMoney(v.money);
        t.field(QStringLiteral("S")).setInteger(v.small);
    }

    // Records holding exactly `v`, found by the database comparing what is
    // stored with the same values given as parameters.
    int storedAs(const Values& v)
    {
        Query q(db, QStringLiteral("SELECT count(*) AS N FROM w WHERE T = :t AND Mo = :mo AND D = :d AND M = :m "
                                   "AND S = :s"));
        q.bindText(QStringLiteral("t"), v.text);
        q.bindText(QStringLiteral("mo"), v.text + v.text);
        q.bindDate(QStringLiteral("d"), v.date);
        q.bindMoney(QStringLiteral("m"), v.money);
        q.bindInteger(QStringLiteral("s"), v.small);
        q.open();
        return static_cast<int>(q.field(QStringLiteral("N")).asInteger());
    }

    static void expectCurrent(Table& t, int id, const Values& v)
    {
        EXPECT_EQ(t.field(QStringLiteral("Id")).asInteger(), id);
        EXPECT_EQ(t.field(QStringLiteral("T")).asString(), v.text);
        EXPECT_EQ(t.field(QStringLiteral("Mo")).asString(), v.text + v.text);
        EXPECT_EQ(t.field(QStringLiteral("D")).asDate(), v.date);
        EXPECT_EQ(t.field(QStringLiteral("M")).asMoney(), v.money);
        EXPECT_EQ(t.field(QStringLiteral("S")).asInteger(), v.small);
    }
};

// Characters of one, two, three and four bytes, at and under the size of
// the field; the calendar's ends; amounts and small integers at their ends.
const Values Cases[] = {
    {QStringLiteral("plain"), QDate(2024, 2, 29), Currency::fromTicks(1), 0},
    {QString::fromUtf8("\xC3\xA9t\xC3\xA9 d\xC3\xA9j\xC3\xA0"), QDate(1, 1, 1), Currency::fromTicks(-1), -32768},
    {QString::fromUtf8("\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2"
                       "\x82\xAC\xE2\x82\xAC\xE2\x82\xAC"),
     QDate(9999, 12, 31), Currency::fromTicks(std::numeric_limits<std::int64_t>::max()), 32767},
    {QString::fromUtf8("a\xF0\x9F\x98\x80\xE4\xB8\xAD\xC3\xA7"), QDate(1970, 1, 1),
     Currency::fromTicks(std::numeric_limits<std::int64_t>::min() + 1), 1},
    {QStringLiteral("O'B\"; --"), QDate(2000, 12, 9), Currency::fromUnits(123456789), -1},
};

TEST_F(WriteTest, AppendedAndUpdatedValuesAreStoredAsASearchByValueFindsThem)
{
    auto t = openTable(QStringLiteral("w"));
    const int n = static_cast<int>(std::size(Cases));
    {
        Transaction tx(db);
        for (int i = 0; i < n; ++i) {
            t->append();
            t->field(QStringLiteral("Id")).setInteger(i);
            set(*t, Cases[i]);
            t->post();
        }
        tx.commit();
    }
    for (int i = 0; i < n; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(storedAs(Cases[i]), 1);
    }
    // Each record is given the next case's values: the update writes them
    // as an append would.
    for (int i = 0; i < n; ++i) {
        ASSERT_TRUE(t->findKey({i}));
        t->edit();
        set(*t, Cases[(i + 1) % n]);
        t->post();
    }
    t->close();
    t->open();
    for (int i = 0; i < n; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(storedAs(Cases[i]), 1);
        ASSERT_TRUE(t->findKey({i}));
        expectCurrent(*t, i, Cases[(i + 1) % n]);
    }
}

TEST_F(WriteTest, EachPostLeavesItsOwnRecordCurrentThroughRefusalsAndCancels)
{
    auto t = openTable(QStringLiteral("w"));
    const int ids[] = {30, 10, 50, 20, 40};
    Transaction tx(db);
    for (int k = 0; k < 5; ++k) {
        SCOPED_TRACE(ids[k]);
        const Values& v = Cases[k];
        t->append();
        t->field(QStringLiteral("Id")).setInteger(ids[k]);
        set(*t, v);
        t->post();
        expectCurrent(*t, ids[k], v);
        // The neighbours are those of the record just posted, not of the one
        // posted before it.
        if (k >= 2) {
            t->next();
            const std::int64_t after = t->eof() ? -1 : t->field(QStringLiteral("Id")).asInteger();
            ASSERT_TRUE(t->findKey({ids[k]}));
            t->prior();
            const std::int64_t before = t->bof() ? -1 : t->field(QStringLiteral("Id")).asInteger();
            std::int64_t wantAfter = -1, wantBefore = -1;
            for (int j = 0; j <= k; ++j) {
                if (ids[j] > ids[k] && (wantAfter < 0 || ids[j] < wantAfter))
                    wantAfter = ids[j];
                if (ids[j] < ids[k] && ids[j] > wantBefore)
                    wantBefore = ids[j];
            }
            EXPECT_EQ(after, wantAfter);
            EXPECT_EQ(before, wantBefore);
            ASSERT_TRUE(t->findKey({ids[k]}));
        }
    }

    // A refused append keeps its entry; cancelled, the last record posted
    // is current again, with its values and its place in the order.
    t->append();
    t->field(QStringLiteral("Id")).setInteger(10);
    set(*t, Cases[1]);
    EXPECT_EQ(ErrorCodeOf([&] { t->post(); }), ErrorCode::KeyViolation);
    EXPECT_EQ(t->state(), DataSetState::Insert);
    EXPECT_EQ(t->field(QStringLiteral("Id")).asInteger(), 10);
    t->cancel();
    expectCurrent(*t, 40, Cases[4]);
    t->next();
    EXPECT_EQ(t->field(QStringLiteral("Id")).asInteger(), 50);

    // An append cancelled before any value was given, then one that posts.
    t->append();
    EXPECT_TRUE(t->field(QStringLiteral("T")).isNull());
    t->cancel();
    expectCurrent(*t, 50, Cases[2]);
    t->append();
    t->field(QStringLiteral("Id")).setInteger(60);
    set(*t, Cases[0]);
    t->post();
    t->prior();
    expectCurrent(*t, 50, Cases[2]);
    tx.commit();
    EXPECT_EQ(walk(*t, QStringLiteral("Id")),
              (QStringList{QStringLiteral("10"), QStringLiteral("20"), QStringLiteral("30"), QStringLiteral("40"),
                           QStringLiteral("50"), QStringLiteral("60")}));
}

// Typed setters on fields of their own type and of others: the value kept,
// or the refusal, whatever way the value was given.
TEST_F(WriteTest, TypedSettersKeepOrRefuseValuesAsTheGeneralSetterDoes)
{
    TableDef def;
    def.name = QStringLiteral("typed");
    def.fields = {
        {QStringLiteral("T"), FieldType::Text, 3},          {QStringLiteral("Mo"), FieldType::Memo, 0},
        {QStringLiteral("S"), FieldType::ShortInteger, 0},  {QStringLiteral("I"), FieldType::Integer, 0},
        {QStringLiteral("A"), FieldType::AutoIncrement, 0}, {QStringLiteral("N"), FieldType::Number, 0},
        {QStringLiteral("M"), FieldType::Money, 0},         {QStringLiteral("D"), FieldType::Date, 0},
        {QStringLiteral("Ts"), FieldType::Timestamp, 0},
    };
    db->createTable(def);
    auto t = openTable(QStringLiteral("typed"));
    t->append();
    auto f = [&](const char* name) -> Field& { return t->field(QLatin1String(name)); };

    struct Kept {
        const char* edge;
        std::function<void()> set;
        const char* field;
        QVariant expected; // invalid: NULL
    };
    const QString smiley = QString::fromUtf8("a\xF0\x9F\x98\x80"
                                             "bc");
    const Kept kept[] = {
        {"text cut to its size", [&] { f("T").setString(QStringLiteral("abcdef")); }, "T", QStringLiteral("abc")},
        {"a pair of surrogates stays whole at the cut", [&] { f("T").setString(smiley); }, "T",
         QString::fromUtf8("a\xF0\x9F\x98\x80"
                           "b")},
        {"empty text is NULL", [&] { f("T").setString(QString()); }, "T", QVariant()},
        {"memo keeps every character", [&] { f("Mo").setString(QString(300, QLatin1Char('m'))); }, "Mo",
         QString(300, QLatin1Char('m'))},
        {"digits into an integer", [&] { f("I").setString(QStringLiteral(" 42 ")); }, "I", QVariant(42LL)},
        {"short integer at its ends", [&] { f("S").setInteger(-32768); }, "S", QVariant(-32768LL)},
        {"short integer at its ends", [&] { f("S").setInteger(32767); }, "S", QVariant(32767LL)},
        {"integer at its ends", [&] { f("I").setInteger(-2147483648LL); }, "I", QVariant(-2147483648LL)},
        {"autoincrement given a number", [&] { f("A").setInteger(2147483647LL); }, "A", QVariant(2147483647LL)},
        {"integer into a number", [&] { f("N").setInteger(7); }, "N", QVariant(7.0)},
        {"number", [&] { f("N").setNumber(-0.25); }, "N", QVariant(-0.25)},
        {"amount into a number", [&] { f("N").setMoney(Currency::fromTicks(12345)); }, "N", QVariant(1.2345)},
        {"amount", [&] { f("M").setMoney(Currency::fromTicks(-5)); }, "M",
         QVariant::fromValue(Currency::fromTicks(-5))},
        {"integer into an amount", [&] { f("M").setInteger(3); }, "M", QVariant::fromValue(Currency::fromUnits(3))},
        {"text into an amount", [&] { f("M").setString(QStringLiteral("1.5")); }, "M",
         QVariant::fromValue(Currency::fromTicks(15000))},
        {"date", [&] { f("D").setDate(QDate(2024, 2, 29)); }, "D", QDate(2024, 2, 29)},
        {"no date is NULL", [&] { f("D").setDate(QDate()); }, "D", QVariant()},
        {"date into a timestamp", [&] { f("Ts").setDate(QDate(2024, 3, 1)); }, "Ts",
         QDateTime(QDate(2024, 3, 1), QTime(0, 0))},
        {"amount into a text", [&] { f("Mo").setMoney(Currency::fromTicks(25000)); }, "Mo", QStringLiteral("2.5000")},
    };
    for (const Kept& c : kept) {
        SCOPED_TRACE(c.edge);
        c.set();
        const QVariant v = f(c.field).value();
        EXPECT_EQ(v.isValid(), c.expected.isValid());
        if (c.expected.isValid()) {
            EXPECT_EQ(v.metaType(), c.expected.metaType());
            EXPECT_EQ(v, c.expected);
        }
    }

    f("S").setInteger(5);
    f("I").setInteger(6);
    f("N").setNumber(1.0);
    struct Refused {
        const char* edge;
        std::function<void()> set;
        const char* field;
        int code;
    };
    const Refused refused[] = {
        {"short integer above its range", [&] { f("S").setInteger(32768); }, "S", ErrorCode::TypeMismatch},
        {"short integer below its range", [&] { f("S").setInteger(-32769); }, "S", ErrorCode::TypeMismatch},
        {"integer above its range", [&] { f("I").setInteger(2147483648LL); }, "I", ErrorCode::TypeMismatch},
        {"integer below its range", [&] { f("I").setInteger(-2147483649LL); }, "I", ErrorCode::TypeMismatch},
        {"not a number", [&] { f("N").setNumber(std::nan("")); }, "N", ErrorCode::TypeMismatch},
        {"an infinite number", [&] { f("N").setNumber(HUGE_VAL); }, "N", ErrorCode::TypeMismatch},
        {"a date in an amount", [&] { f("M").setDate(QDate(2024, 1, 1)); }, "M", ErrorCode::TypeMismatch},
        {"an amount in a date", [&] { f("D").setMoney(Currency::fromUnits(1)); }, "D", ErrorCode::TypeMismatch},
        {"words in an integer", [&] { f("I").setString(QStringLiteral("six")); }, "I", ErrorCode::TypeMismatch},
    };
    for (const Refused& c : refused) {
        SCOPED_TRACE(c.edge);
        const QVariant before = f(c.field).value();
        EXPECT_EQ(ErrorCodeOf(c.set), c.code);
        EXPECT_EQ(f(c.field).value(), before) << "the value held stays";
    }

    // The record's own refusals hold for the typed setters too.
    f("T").setReadOnly(true);
    EXPECT_EQ(ErrorCodeOf([&] { f("T").setString(QStringLiteral("x")); }), ErrorCode::ReadOnly);
    f("T").setReadOnly(false);
    t->events().validate = [](Field& field) {
        if (field.name() == QLatin1String("M") && field.asMoney() < Currency())
            throw EngineError(ErrorCode::TypeMismatch, QStringLiteral("No negative amounts."));
    };
    f("M").setMoney(Currency::fromUnits(2));
    EXPECT_EQ(ErrorCodeOf([&] { f("M").setMoney(Currency::fromUnits(-2)); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(f("M").asMoney(), Currency::fromUnits(2));
    t->cancel();
    EXPECT_EQ(ErrorCodeOf([&] { f("I").setInteger(1); }), ErrorCode::WrongState) << "outside edit or insert";
    EXPECT_EQ(ErrorCodeOf([&] { f("M").setMoney(Currency()); }), ErrorCode::WrongState);
}

// Texts around the four-at-a-time copy of plain characters, and what only
// a text bound with its length can hold: each stored exactly, whatever its
// length, as the database compares it.
TEST_F(WriteTest, TextsAreStoredWholeAtEveryLengthAndMixOfCharacters)
{
    const QString e = QString::fromUtf8("\xC3\xA9");
    QStringList texts = {
        QStringLiteral("a"),
        QStringLiteral("abc"),
        QStringLiteral("abcd"),
        QStringLiteral("abcde"),
        QStringLiteral("abcdefgh"),
        QStringLiteral("abcdefghij"),
        e + QStringLiteral("bcde"),
        QStringLiteral("a") + e + QStringLiteral("cdefg"),
        QStringLiteral("abcd") + e,
        QStringLiteral("abc") + e + QStringLiteral("efgh"),
        QString::fromUtf8("abcdefg\xF0\x9F\x98\x80"), // a character of four bytes after a run of plain ones
        QStringLiteral("\x7F\x7F\x7F\x7F\x7F"),       // the last plain character
    };
    // A zero character: SQLite keeps it inside the text (the server refuses it).
    if (!OnServer())
        texts << QStringLiteral("ab") + QChar(0) + QStringLiteral("cdef");
    auto t = openTable(QStringLiteral("w"));
    {
        Transaction tx(db);
        for (int i = 0; i < texts.size(); ++i) {
            t->append();
            t->field(QStringLiteral("Id")).setInteger(i);
            t->field(QStringLiteral("T")).setString(texts[i]);
            t->field(QStringLiteral("Mo")).setString(texts[i] + texts[i]);
            t->post();
        }
        tx.commit();
    }
    t->close();
    t->open();
    for (int i = 0; i < texts.size(); ++i) {
        SCOPED_TRACE(i);
        Query q(db, QStringLiteral("SELECT count(*) AS N FROM w WHERE T = :t AND Mo = :mo"));
        q.bindText(QStringLiteral("t"), texts[i]);
        q.bindText(QStringLiteral("mo"), texts[i] + texts[i]);
        q.open();
        EXPECT_EQ(q.field(QStringLiteral("N")).asInteger(), 1);
        ASSERT_TRUE(t->findKey({i}));
        EXPECT_EQ(t->field(QStringLiteral("T")).asString(), texts[i]);
        EXPECT_EQ(t->field(QStringLiteral("Mo")).asString(), texts[i] + texts[i]);
    }
}

// A table numbering its records, with a key of its own and a calculated
// field, filled the way a work table is: fields set in varying numbers and
// nothing read between the posts.
class AppendRunTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        TableDef def;
        def.name = QStringLiteral("run");
        def.fields = {
            {QStringLiteral("Code"), FieldType::Text, 6}, {QStringLiteral("No"), FieldType::AutoIncrement, 0},
            {QStringLiteral("Note"), FieldType::Text, 8}, {QStringLiteral("Amount"), FieldType::Money, 0},
            {QStringLiteral("D"), FieldType::Date, 0},
        };
        def.indexes = {{QString(), {QStringLiteral("Code")}, true, true}};
        db->createTable(def);
        t.setDatabase(db);
        t.setTableName(QStringLiteral("run"));
        t.addCalculatedField(QStringLiteral("Twice"), FieldType::Money);
        t.events().calcFields = [](DataSet& ds) {
            ds.field(QStringLiteral("Twice")).setMoney(ds.field(QStringLiteral("Amount")).asMoney() * 2);
        };
        t.open();
    }
    Field& f(const char* name) { return t.field(QLatin1String(name)); }

    Table t;
};

TEST_F(AppendRunTest, EachRecordOfARunHoldsOnlyWhatWasSetForIt)
{
    struct Line {
        const char* code;
        const char* note;   // nullptr: not set
        std::int64_t ticks; // 0: not set
        QDate date;
    };
    const Line lines[] = {
        {"A1", "first", 15000, QDate(2024, 1, 31)},
        {"A2", nullptr, 0, QDate()},
        {"A3", "third", 0, QDate(2024, 2, 29)},
        {"A4", nullptr, -25000, QDate()},
        {"A5", "fifth", 10000, QDate()},
        {"A6", nullptr, 0, QDate(1999, 12, 31)},
    };
    {
        Transaction tx(db);
        for (const Line& l : lines) {
            SCOPED_TRACE(l.code);
            t.append();
            // Nothing of the record posted before shows in the new one.
            for (const char* name : {"Code", "No", "Note", "Amount", "D", "Twice"})
                EXPECT_TRUE(f(name).isNull()) << name;
            f("Code").setString(QLatin1String(l.code));
            if (l.note)
                f("Note").setString(QLatin1String(l.note));
            if (l.ticks != 0)
                f("Amount").setMoney(Currency::fromTicks(l.ticks));
            if (l.date.isValid())
                f("D").setDate(l.date);
            t.post();
        }
        // The last record, calculated field included, as posted and unread.
        EXPECT_EQ(f("Code").asString(), QStringLiteral("A6"));
        EXPECT_FALSE(f("No").isNull());
        EXPECT_TRUE(f("Amount").isNull());
        EXPECT_EQ(f("Twice").asMoney(), Currency());
        EXPECT_EQ(f("D").asDate(), QDate(1999, 12, 31));
        tx.commit();
    }
    std::int64_t lastNumber = 0;
    t.first();
    for (const Line& l : lines) {
        SCOPED_TRACE(l.code);
        ASSERT_FALSE(t.eof());
        EXPECT_EQ(f("Code").asString(), QLatin1String(l.code));
        EXPECT_GT(f("No").asInteger(), lastNumber) << "numbered in the order appended";
        lastNumber = f("No").asInteger();
        EXPECT_EQ(f("Note").isNull(), l.note == nullptr);
        EXPECT_EQ(f("Note").asString(), l.note ? QLatin1String(l.note) : QLatin1String());
        EXPECT_EQ(f("Amount").isNull(), l.ticks == 0);
        EXPECT_EQ(f("Amount").asMoney(), Currency::fromTicks(l.ticks));
        EXPECT_EQ(f("Twice").asMoney(), Currency::fromTicks(2 * l.ticks));
        EXPECT_EQ(f("D").asDate(), l.date);
        t.next();
    }
    EXPECT_TRUE(t.eof());
}

TEST_F(AppendRunTest, ARefusedAppendShowsNoNumberAndACancelGivesBackThePostedRecordUnread)
{
    t.append();
    f("Code").setString(QStringLiteral("K"));
    f("Amount").setMoney(Currency::fromUnits(4));
    t.post();
    EXPECT_EQ(f("Twice").asMoney(), Currency::fromUnits(8)) << "calculated again for the record posted";
    const std::int64_t first = f("No").asInteger();

    // Refused: the entry keeps what was typed, and no number it did not get.
    t.append();
    f("Code").setString(QStringLiteral("K"));
    f("Note").setString(QStringLiteral("again"));
    EXPECT_EQ(ErrorCodeOf([&] { t.post(); }), ErrorCode::KeyViolation);
    EXPECT_EQ(t.state(), DataSetState::Insert);
    EXPECT_TRUE(f("No").isNull());
    EXPECT_EQ(f("Note").asString(), QStringLiteral("again"));
    // Corrected, it posts with a number of its own.
    f("Code").setString(QStringLiteral("L"));
    t.post();
    const std::int64_t second = f("No").asInteger();
    EXPECT_GT(second, first);
    EXPECT_EQ(f("Note").asString(), QStringLiteral("again"));

    // A post, then an append cancelled with nothing read in between: the
    // posted record comes back whole, its calculated field too.
    t.append();
    f("Code").setString(QStringLiteral("M"));
    f("Amount").setMoney(Currency::fromUnits(3));
    t.post();
    t.append();
    f("Code").setString(QStringLiteral("N"));
    t.cancel();
    EXPECT_EQ(f("Code").asString(), QStringLiteral("M"));
    EXPECT_GT(f("No").asInteger(), second);
    EXPECT_EQ(f("Amount").asMoney(), Currency::fromUnits(3));
    EXPECT_EQ(f("Twice").asMoney(), Currency::fromUnits(6));
    t.prior();
    EXPECT_EQ(f("Code").asString(), QStringLiteral("L"));
    EXPECT_EQ(f("No").asInteger(), second);
    EXPECT_EQ(walk(t, QStringLiteral("Code")),
              (QStringList{QStringLiteral("K"), QStringLiteral("L"), QStringLiteral("M")}));
}

// Signals are sent only once something listens: a view connected after a
// run of appends, and one connected before and gone, hear or miss nothing
// they should not.
TEST_F(AppendRunTest, AViewConnectedAfterARunOfAppendsHearsEveryChange)
{
    for (int i = 0; i < 3; ++i) {
        t.append();
        f("Code").setString(QStringLiteral("P%1").arg(i));
        t.post();
    }
    {
        QObject gone;
        QObject::connect(&t, &DataSet::fieldChanged, &gone, [] {});
    }
    int states = 0, records = 0, wholes = 0;
    QList<int> fields;
    QObject view;
    QObject::connect(&t, &DataSet::stateChanged, &view, [&] { ++states; });
    QObject::connect(&t, &DataSet::recordChanged, &view, [&] { ++records; });
    QObject::connect(&t, &DataSet::fieldChanged, &view, [&](int index) { fields << index; });
    QObject::connect(&t, &DataSet::dataSetChanged, &view, [&] { ++wholes; });

    t.append();
    EXPECT_EQ(states, 1);
    EXPECT_EQ(records, 1);
    f("Note").setString(QStringLiteral("n"));
    f("Code").setString(QStringLiteral("Q"));
    EXPECT_EQ(fields, (QList<int>{f("Note").index(), f("Code").index()}));
    t.post();
    EXPECT_EQ(states, 2);
    EXPECT_EQ(records, 2);
    t.first();
    EXPECT_EQ(records, 3);

    // Quiet while the controls are off, then told once.
    t.disableControls();
    t.append();
    f("Code").setString(QStringLiteral("R"));
    t.post();
    EXPECT_EQ(states, 2);
    EXPECT_EQ(records, 3);
    EXPECT_EQ(fields.size(), 2);
    t.enableControls();
    EXPECT_EQ(wholes, 1);
}

} // namespace
} // namespace varnex::data::testing
