// Dates the engine can store: years 1 to 9999 on both engines. A date
// outside them is refused the way other out-of-range values are, whatever
// way it is given, so no record ever holds a date that reads back as none.

#include "engine_fixture.h"

#include <QDateTime>

namespace varnex::data::testing {
namespace {

class DateRangeTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        TableDef def;
        def.name = QStringLiteral("dated");
        def.fields = {
            {QStringLiteral("Id"), FieldType::Integer, 0},
            {QStringLiteral("D"), FieldType::Date, 0},
            {QStringLiteral("Ts"), FieldType::Timestamp, 0},
        };
        def.indexes = {{QString(), {QStringLiteral("Id")}, true, true}};
        db->createTable(def);
    }
};

TEST_F(DateRangeTest, DatesOutsideYearsOneTo9999AreRefusedAndTheRecordKeepsItsDate)
{
    auto t = openTable(QStringLiteral("dated"));
    t->append();
    auto f = [&](const char* name) -> Field& { return t->field(QLatin1String(name)); };
    f("Id").setInteger(1);
    f("D").setDate(QDate(2026, 12, 9));
    f("Ts").setTimestamp(QDateTime(QDate(2026, 12, 9), QTime(8, 30)));

    const QDate tooLate(10000, 1, 1);
    const QDate beforeYearOne(-1, 12, 31); // the last day before the calendar's year 1
    struct Refused {
        const char* edge;
        std::function<void()> set;
        const char* field;
    };
    const Refused refused[] = {
        {"the day after 9999-12-31", [&] { f("D").setDate(tooLate); }, "D"},
        {"before year 1", [&] { f("D").setDate(beforeYearOne); }, "D"},
        {"given as a variant", [&] { f("D").setValue(QVariant(tooLate)); }, "D"},
        {"a timestamp's day into a date", [&] { f("D").setValue(QDateTime(tooLate, QTime(1, 0))); }, "D"},
        {"five digits of year as text", [&] { f("D").setString(QStringLiteral("10000-01-01")); }, "D"},
        {"year 0 as text", [&] { f("D").setString(QStringLiteral("0000-06-15")); }, "D"},
        {"a timestamp far ahead", [&] { f("Ts").setTimestamp(QDateTime(tooLate, QTime(0, 0))); }, "Ts"},
        {"a date before year 1 into a timestamp", [&] { f("Ts").setDate(beforeYearOne); }, "Ts"},
    };
    for (const Refused& c : refused) {
        SCOPED_TRACE(c.edge);
        const QVariant before = f(c.field).value();
        EXPECT_EQ(ErrorCodeOf(c.set), ErrorCode::TypeMismatch);
        EXPECT_EQ(f(c.field).value(), before) << "the value held stays";
    }

    t->post();
    t->close();
    t->open();
    ASSERT_TRUE(t->findKey({1}));
    EXPECT_EQ(f("D").asDate(), QDate(2026, 12, 9));
    EXPECT_EQ(f("Ts").asTimestamp(), QDateTime(QDate(2026, 12, 9), QTime(8, 30)));
}

TEST_F(DateRangeTest, AStatementIsNotGivenADateOutsideTheRange)
{
    Query insert(db, QStringLiteral("INSERT INTO dated (Id, D) VALUES (:i, :d)"));
    insert.bindInteger(QStringLiteral("i"), 1);
    insert.bindDate(QStringLiteral("d"), QDate(9999, 12, 31));
    EXPECT_EQ(ErrorCodeOf([&] { insert.bindDate(QStringLiteral("d"), QDate(10000, 1, 1)); }), ErrorCode::TypeMismatch);
    EXPECT_EQ(ErrorCodeOf([&] { insert.bindDate(QStringLiteral("d"), QDate(-1, 1, 1)); }), ErrorCode::TypeMismatch);
    // The refused value did not replace the one bound before it.
    EXPECT_EQ(insert.execSql(), 1);
    auto t = openTable(QStringLiteral("dated"));
    ASSERT_TRUE(t->findKey({1}));
    EXPECT_EQ(t->field(QStringLiteral("D")).asDate(), QDate(9999, 12, 31));
}

} // namespace
} // namespace varnex::data::testing
