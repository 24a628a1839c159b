// Reading backwards gives the records a forward walk gives, in reverse,
// wherever the read starts (page edges, the ends of a range, equal keys,
// NULL in any field of the key), and a cursor's record number counted by the
// database is its place in that walk.

#include <cstdlib>

#include "backend.h"
#include "engine_fixture.h"

namespace varnex::data::testing {
namespace {

constexpr int Lines = 420;

TableDef LedgerDef()
{
    TableDef def;
    def.name = QStringLiteral("ledger");
    def.fields = {
        {QStringLiteral("Acct"), FieldType::Text, 8},
        {QStringLiteral("Day"), FieldType::Date, 0},
        {QStringLiteral("Grp"), FieldType::Integer, 0},
        {QStringLiteral("Seq"), FieldType::Integer, 0},
    };
    def.indexes = {
        {QString(), {QStringLiteral("Acct"), QStringLiteral("Seq")}, true, true},
        // Many lines a day, some without a day: equal keys and NULL.
        {QStringLiteral("ByDay"), {QStringLiteral("Acct"), QStringLiteral("Day")}, false, false},
        // NULL in the first field and in the middle of a three-field key.
        {QStringLiteral("ByGrp"), {QStringLiteral("Grp"), QStringLiteral("Day"), QStringLiteral("Acct")}, false, false},
    };
    return def;
}

QDate dayOf(int i)
{
    return QDate(2024, 1, 1).addDays(i / 9);
}

struct CursorCase {
    const char* name;
    std::function<void(Table&)> limit; // after open()
    bool detail = false;
};

const std::vector<CursorCase>& Cases()
{
    static const std::vector<CursorCase> setups = {
        {"primary key", {}},
        {"equal and empty days", [](Table& t) { t.setIndexFieldNames(QStringLiteral("Acct;Day")); }},
        {"three fields, NULL first and in the middle", [](Table& t) { t.setIndexFieldNames(QStringLiteral("Grp")); }},
        {"one account",
         [](Table& t) {
             t.setIndexFieldNames(QStringLiteral("Acct;Day"));
             t.setRange({QStringLiteral("B")}, {QStringLiteral("B")});
         }},
        {"one account between two days",
         [](Table& t) {
             t.setIndexFieldNames(QStringLiteral("Acct;Day"));
             t.setRange({QStringLiteral("B"), dayOf(60)}, {QStringLiteral("B"), dayOf(330)});
         }},
        {"across accounts, ending on a day",
         [](Table& t) {
             t.setIndexFieldNames(QStringLiteral("Acct;Day"));
             t.setRange({QStringLiteral("A"), dayOf(200)}, {QStringLiteral("C"), dayOf(100)});
         }},
        {"from the empty days on",
         [](Table& t) {
             t.setIndexFieldNames(QStringLiteral("Acct;Day"));
             t.setRange({QStringLiteral("C"), QVariant()}, {QStringLiteral("C")});
         }},
        {"groups up to an empty day",
         [](Table& t) {
             t.setIndexFieldNames(QStringLiteral("Grp"));
             t.setRange({qlonglong(2)}, {qlonglong(5), QVariant()});
         }},
        {"detail", [](Table& t) { t.setIndexFieldNames(QStringLiteral("Acct;Day")); }, true},
        {"filter",
         [](Table& t) {
             t.setIndexFieldNames(QStringLiteral("Acct;Day"));
             t.setFilter([](DataSet& r) { return r.field(QStringLiteral("Seq")).asInteger() % 5 != 2; });
         }},
    };
    return setups;
}

class BackwardTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        db->createTable(LedgerDef());
        db->createTable(SupplierDef());
        auto sup = openTable(QStringLiteral("sup"));
        addSupplier(*sup, QStringLiteral("B"), QStringLiteral("Supplier B"));
        // Written out of key order, so that record ids follow no key.
        auto t = openTable(QStringLiteral("ledger"));
        Transaction tx(db);
        for (int k = 0; k < Lines; ++k) {
            const int i = (k * 7919) % Lines;
            t->append();
            t->field(QStringLiteral("Acct")).setString(QString(QChar(u'A' + i % 3)));
            if (i % 11 != 4)
                t->field(QStringLiteral("Day")).setDate(dayOf(i));
            if (i % 13 != 6)
                t->field(QStringLiteral("Grp")).setInteger(i % 7);
            t->field(QStringLiteral("Seq")).setInteger(i);
            t->post();
        }
        tx.commit();
    }

    std::unique_ptr<Table> cursorFor(const CursorCase& s, std::unique_ptr<Table>& master)
    {
        auto t = std::make_unique<Table>();
        t->setDatabase(db);
        t->setTableName(QStringLiteral("ledger"));
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

std::vector<std::int64_t> forwardWalk(Table& t)
{
    std::vector<std::int64_t> ids;
    for (t.first(); !t.eof(); t.next())
        ids.push_back(t.recordId());
    return ids;
}

TEST_F(BackwardTest, BackwardReadsGiveTheForwardRecordsInReverse)
{
    for (const CursorCase& setup : Cases()) {
        SCOPED_TRACE(setup.name);
        std::unique_ptr<Table> master;
        auto t = cursorFor(setup, master);
        const std::vector<std::int64_t> forward = forwardWalk(*t);
        ASSERT_GT(forward.size(), 40u);

        // A whole walk back from the end, through growing pages.
        std::vector<std::int64_t> backward;
        for (t->last(); !t->bof(); t->prior())
            backward.push_back(t->recordId());
        EXPECT_EQ(std::vector<std::int64_t>(backward.rbegin(), backward.rend()), forward);

        // Back from a record read alone (refresh() keeps only it), so that
        // the first step back is a read from its key: around the edges of
        // the first pages, and both ends.
        const int n = static_cast<int>(forward.size());
        for (const int at : {0, 1, 2, 15, 16, 17, 63, 64, 65, n / 2, n - 2, n - 1}) {
            SCOPED_TRACE(::testing::Message() << "from record " << at);
            t->first();
            t->moveBy(at);
            t->refresh();
            ASSERT_EQ(t->recordId(), forward[static_cast<size_t>(at)]);
            for (int k = at - 1; k >= std::max(0, at - 70); --k) {
                t->prior();
                ASSERT_FALSE(t->bof());
                ASSERT_EQ(t->recordId(), forward[static_cast<size_t>(k)]) << "stepping back to " << k;
            }
            if (at < 70) {
                t->prior();
                EXPECT_TRUE(t->bof());
                EXPECT_EQ(t->recordId(), forward.front());
            }
        }
    }
}

TEST_F(BackwardTest, AMoveBackByManyLandsOnTheForwardRecord)
{
    for (const CursorCase& setup : Cases()) {
        SCOPED_TRACE(setup.name);
        std::unique_ptr<Table> master;
        auto t = cursorFor(setup, master);
        const std::vector<std::int64_t> forward = forwardWalk(*t);
        const int n = static_cast<int>(forward.size());
        for (const int at : {n - 1, n / 2, 70}) {
            for (const int by : {2, 17, 64, 65, at, at + 1}) {
                SCOPED_TRACE(::testing::Message() << "from " << at << " back by " << by);
                t->first();
                t->moveBy(at);
                t->refresh();
                t->moveBy(-by);
                const int landed = std::max(0, at - by);
                EXPECT_EQ(t->recordId(), forward[static_cast<size_t>(landed)]);
                EXPECT_EQ(t->bof(), by > at);
            }
        }
    }
}

TEST_F(BackwardTest, RecordsBeforeIsTheRecordsPlaceInTheWalk)
{
    for (const CursorCase& setup : Cases()) {
        SCOPED_TRACE(setup.name);
        std::unique_ptr<Table> master;
        auto t = cursorFor(setup, master);
        const std::vector<std::int64_t> forward = forwardWalk(*t);
        if (t->filtered()) {
            // The filter is the program's code: only stepping can tell.
            EXPECT_EQ(t->recordsBefore(), -1);
            continue;
        }
        int at = 0;
        for (t->first(); !t->eof(); t->next(), ++at)
            ASSERT_EQ(t->recordsBefore(), at) << "record " << t->recordId();
        ASSERT_EQ(at, static_cast<int>(forward.size()));
        // And after moves back, from a record read alone.
        t->refresh();
        t->moveBy(-at / 2);
        EXPECT_EQ(t->recordsBefore(), at - 1 - at / 2);
    }
    auto none = openTable(QStringLiteral("ledger"));
    none->setIndexFieldNames(QStringLiteral("Acct;Day"));
    none->setRange({QStringLiteral("Z")}, {QStringLiteral("Z")});
    EXPECT_TRUE(none->isEmpty());
    EXPECT_EQ(none->recordsBefore(), 0);
}

TEST_F(BackwardTest, RecordsBeforeSeesAnotherCursorsWrites)
{
    auto t = openTable(QStringLiteral("ledger"));
    t->setIndexFieldNames(QStringLiteral("Acct;Day"));
    t->setRange({QStringLiteral("B")}, {QStringLiteral("B")});
    t->first();
    t->moveBy(50);
    const std::int64_t id = t->recordId();
    ASSERT_EQ(t->recordsBefore(), 50);
    auto writer = openTable(QStringLiteral("ledger"));
    writer->append();
    writer->field(QStringLiteral("Acct")).setString(QStringLiteral("B"));
    writer->field(QStringLiteral("Seq")).setInteger(9000); // no day: first in the account
    writer->post();
    writer->setIndexFieldNames(QStringLiteral("Acct;Day"));
    writer->setRange({QStringLiteral("B")}, {QStringLiteral("B")});
    writer->last();
    writer->deleteRecord();
    writer->first();
    writer->deleteRecord();
    writer->deleteRecord();
    EXPECT_EQ(t->recordId(), id);
    EXPECT_EQ(t->recordsBefore(), 49);
}

TEST_F(BackwardTest, AQueryCountsItsOwnRows)
{
    Query q(db, QStringLiteral("SELECT Seq FROM ledger WHERE Seq < 30 ORDER BY Seq"));
    q.open();
    EXPECT_EQ(q.recordsBefore(), 0);
    q.moveBy(12);
    EXPECT_EQ(q.recordsBefore(), 12);
    q.setFilter([](DataSet& r) { return r.field(QStringLiteral("Seq")).asInteger() % 2 == 0; });
    EXPECT_EQ(q.recordsBefore(), -1);
}

} // namespace
} // namespace varnex::data::testing
