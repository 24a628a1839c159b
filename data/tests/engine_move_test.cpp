// A move by many records lands where as many single moves land, with the
// same eof and bof, whatever the cursor's order, range, master or filter and
// wherever its window of rows stands; and it reads a page or two, not every
// record between.

#include <cstdlib>

#include "backend.h"
#include "engine_fixture.h"

namespace varnex::data::testing {
namespace {

constexpr int Lines = 300;

TableDef MoveDef()
{
    TableDef def;
    def.name = QStringLiteral("moves");
    def.fields = {
        {QStringLiteral("Acct"), FieldType::Text, 8},
        {QStringLiteral("Grp"), FieldType::Integer, 0},
        {QStringLiteral("Seq"), FieldType::Integer, 0},
    };
    def.indexes = {
        {QString(), {QStringLiteral("Acct"), QStringLiteral("Seq")}, true, true},
        // Seven records share each group: equal keys, broken by record id.
        {QStringLiteral("ByGrp"), {QStringLiteral("Grp")}, false, false},
    };
    return def;
}

struct Place {
    std::int64_t id;
    bool bof;
    bool eof;
    bool operator==(const Place&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Place& p)
{
    return out << "record " << p.id << (p.bof ? " bof" : "") << (p.eof ? " eof" : "");
}

Place placeOf(Table& t)
{
    return {t.recordId(), t.bof(), t.eof()};
}

// A cursor set up one way, given to both the stepping and the jumping side.
struct CursorSetup {
    const char* name;
    std::function<void(Table&)> prepare; // before open()
    std::function<void(Table&)> limit;   // after open()
    bool detail = false;
};

class MoveTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        db->createTable(MoveDef());
        db->createTable(SupplierDef());
        auto sup = openTable(QStringLiteral("sup"));
        for (const char* code : {"A", "B", "C"})
            addSupplier(*sup, QString::fromLatin1(code), QStringLiteral("Supplier %1").arg(QLatin1String(code)));
        // Written out of key order, so that record ids do not follow any key.
        auto t = openTable(QStringLiteral("moves"));
        Transaction tx(db);
        for (int k = 0; k < Lines; ++k) {
            const int i = (k * 7919) % Lines;
            t->append();
            t->field(QStringLiteral("Acct")).setString(QString(QChar(u'A' + i % 3)));
            t->field(QStringLiteral("Grp")).setInteger(i % 43);
            t->field(QStringLiteral("Seq")).setInteger(i);
            t->post();
        }
        tx.commit();
    }

    std::unique_ptr<Table> cursorFor(const CursorSetup& s, std::unique_ptr<Table>& master)
    {
        auto t = std::make_unique<Table>();
        t->setDatabase(db);
        t->setTableName(QStringLiteral("moves"));
        if (s.prepare)
            s.prepare(*t);
        if (s.detail) {
            master = openTable(QStringLiteral("sup"));
            master->findKey({QStringLiteral("B")});
            t->setMaster(master.get(), QStringLiteral("Sup_code"));
        }
        t->open();
        if (s.limit)
            s.limit(*t);
        return t;
    }
};

const std::vector<CursorSetup>& Setups()
{
    static const std::vector<CursorSetup> setups = {
        {"primary key", {}, {}},
        {"equal keys", {}, [](Table& t) { t.setIndexFieldNames(QStringLiteral("Grp")); }},
        {"range",
         {},
         [](Table& t) {
             t.setRange({QStringLiteral("A"), qlonglong(30)}, {QStringLiteral("B"), qlonglong(250)});
         }},
        {"range on equal keys",
         {},
         [](Table& t) {
             t.setIndexFieldNames(QStringLiteral("Grp"));
             t.setRange({qlonglong(5)}, {qlonglong(20)});
         }},
        {"detail", {}, {}, true},
        {"filter", {}, [](Table& t) { t.setFilter([](DataSet& r) { return r.field("Seq").asInteger() % 3 != 1; }); }},
        {"calculated field",
         [](Table& t) {
             t.addCalculatedField(QStringLiteral("Twice"), FieldType::Integer);
             t.events().calcFields = [](DataSet& r) {
                 r.field(QStringLiteral("Twice")).setInteger(2 * r.field(QStringLiteral("Seq")).asInteger());
             };
         },
         {}},
    };
    return setups;
}

// Where the cursor starts: single moves from one end, so that its window
// stands where a walk leaves it (small after a first(), grown after a walk).
struct Start {
    bool fromEnd;
    int steps;
};

// n single moves; once at an end, the ones left would each read again to
// find nothing (MovesAtTheEdgesKeepTheFlagsSingleMovesLeave makes them all).
void step(Table& t, int n)
{
    for (int i = 0; i < std::abs(n) && !(i > 0 && (n > 0 ? t.eof() : t.bof())); ++i)
        n > 0 ? t.next() : t.prior();
}

void goTo(Table& t, const Start& s)
{
    if (s.fromEnd) {
        t.last();
        for (int i = 0; i < s.steps; ++i)
            t.prior();
    } else {
        t.first();
        for (int i = 0; i < s.steps; ++i)
            t.next();
    }
}

TEST_F(MoveTest, AMoveByManyEndsWhereAsManySingleMovesEnd)
{
    const std::vector<Start> starts = {{false, 0}, {false, 15}, {false, 16}, {false, 90}, {true, 0}, {true, 40}};
    const std::vector<int> moves = {2, 15, 16, 17, 63, 64, 65, 100, 250, 1000, -2, -16, -17, -90, -300, -1000};
    for (const CursorSetup& setup : Setups()) {
        std::unique_ptr<Table> stepMaster, jumpMaster;
        auto stepper = cursorFor(setup, stepMaster);
        auto jumper = cursorFor(setup, jumpMaster);
        const int visible = stepper->recordCount();
        ASSERT_GT(visible, 40) << setup.name;
        for (const Start& start : starts) {
            // To the very last and first record, and one beyond them.
            std::vector<int> these = moves;
            const int index = start.fromEnd ? visible - 1 - start.steps : start.steps;
            these.insert(these.end(), {visible - 1 - index, visible - index, -index, -index - 1});
            for (const int n : these) {
                if (n == 0 || n == 1 || n == -1)
                    continue;
                SCOPED_TRACE(::testing::Message() << setup.name << ", from " << (start.fromEnd ? "the end " : "")
                                                  << start.steps << ", by " << n);
                goTo(*stepper, start);
                goTo(*jumper, start);
                ASSERT_EQ(placeOf(*stepper), placeOf(*jumper));
                step(*stepper, n);
                jumper->moveBy(n);
                EXPECT_EQ(placeOf(*jumper), placeOf(*stepper));
                EXPECT_EQ(jumper->field(QStringLiteral("Seq")).asInteger(),
                          stepper->field(QStringLiteral("Seq")).asInteger());
                // And the cursor walks on from there as the other does.
                jumper->next();
                stepper->next();
                EXPECT_EQ(placeOf(*jumper), placeOf(*stepper));
                jumper->moveBy(-3);
                for (int i = 0; i < 3; ++i)
                    stepper->prior();
                EXPECT_EQ(placeOf(*jumper), placeOf(*stepper));
            }
        }
    }
}

TEST_F(MoveTest, MovesAtTheEdgesKeepTheFlagsSingleMovesLeave)
{
    auto stepper = openTable(QStringLiteral("moves"));
    auto jumper = openTable(QStringLiteral("moves"));
    // Already past an end, then further on, back, and across it again.
    const std::vector<std::vector<int>> runs = {
        {400, 5}, {400, -5}, {-400, -5}, {-400, 299}, {-400, 300}, {299, 400}, {-5, 400}, {400, -400}, {2, 400, -299},
    };
    for (const auto& run : runs) {
        stepper->first();
        jumper->first();
        for (const int n : run) {
            SCOPED_TRACE(::testing::Message() << "by " << n);
            for (int i = 0; i < std::abs(n); ++i)
                n > 0 ? stepper->next() : stepper->prior();
            jumper->moveBy(n);
            EXPECT_EQ(placeOf(*jumper), placeOf(*stepper));
        }
    }
}

TEST_F(MoveTest, WritesAndEmptyCursorsAreMovedThroughAsByStepping)
{
    auto stepper = openTable(QStringLiteral("moves"));
    auto jumper = openTable(QStringLiteral("moves"));
    auto writer = openTable(QStringLiteral("moves"));
    stepper->first();
    jumper->first();
    stepper->moveBy(50);
    jumper->moveBy(50);
    // Another cursor deletes records ahead: the window both hold is stale.
    writer->first();
    for (int i = 0; i < 60; ++i)
        writer->next();
    for (int i = 0; i < 5; ++i)
        writer->deleteRecord();
    for (int i = 0; i < 30; ++i)
        stepper->next();
    jumper->moveBy(30);
    EXPECT_EQ(placeOf(*jumper), placeOf(*stepper));

    // A record being edited is posted by the move, as by any.
    jumper->edit();
    jumper->field(QStringLiteral("Grp")).setInteger(99);
    jumper->moveBy(-20);
    EXPECT_EQ(jumper->state(), DataSetState::Browse);
    writer->refresh();
    auto check = openTable(QStringLiteral("moves"));
    int changed = 0;
    for (check->first(); !check->eof(); check->next())
        changed += check->field(QStringLiteral("Grp")).asInteger() == 99;
    EXPECT_EQ(changed, 1);

    // No record in range: every move is at both ends.
    jumper->setRange({QStringLiteral("Z")}, {QStringLiteral("Z")});
    for (const int n : {5, -5}) {
        jumper->moveBy(n);
        EXPECT_TRUE(jumper->eof() && jumper->bof());
    }
}

TEST_F(MoveTest, AFarMoveReadsAPageAndCalculatesTheRecordLandedOnOnly)
{
    auto t = std::make_unique<Table>();
    t->setDatabase(db);
    t->setTableName(QStringLiteral("moves"));
    t->addCalculatedField(QStringLiteral("Twice"), FieldType::Integer);
    int calculated = 0;
    t->events().calcFields = [&calculated](DataSet& r) {
        ++calculated;
        r.field(QStringLiteral("Twice")).setInteger(2 * r.field(QStringLiteral("Seq")).asInteger());
    };
    t->open();
    t->first();
    struct Case {
        int by;
        int most; // pages
    };
    // The last ones run past an end: the record there is read as well.
    for (const Case c : {Case{200, 1}, Case{-150, 1}, Case{90, 1}, Case{1000, 2}, Case{-1000, 2}}) {
        calculated = 0;
        const std::uint64_t before = db->backend().pagesRead();
        t->moveBy(c.by);
        EXPECT_LE(db->backend().pagesRead() - before, static_cast<std::uint64_t>(c.most)) << c.by;
        EXPECT_EQ(calculated, 1) << c.by;
        EXPECT_EQ(t->field(QStringLiteral("Twice")).asInteger(), 2 * t->field(QStringLiteral("Seq")).asInteger());
    }
}

TEST_F(MoveTest, AQueryMovesByStepping)
{
    Query q(db, QStringLiteral("SELECT Seq FROM moves WHERE Seq < 20 ORDER BY Seq"));
    q.open();
    q.moveBy(7);
    EXPECT_EQ(q.field(QStringLiteral("Seq")).asInteger(), 7);
    q.moveBy(100);
    EXPECT_TRUE(q.eof());
    EXPECT_EQ(q.field(QStringLiteral("Seq")).asInteger(), 19);
    q.moveBy(-100);
    EXPECT_TRUE(q.bof());
    EXPECT_EQ(q.field(QStringLiteral("Seq")).asInteger(), 0);
}

} // namespace
} // namespace varnex::data::testing
