// A consistent read: one snapshot of the database for every cursor and query
// while the scope lasts, with another process committing meanwhile; nothing
// written or locked inside; nesting, errors and exceptions through it.

#include <QProcess>

#include <stdexcept>

#include "engine_fixture.h"
#include "pg_backend.h"

namespace varnex::data::testing {
namespace {

class ConsistentReadTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        db->createTable(SupplierDef());
        db->createTable(OpenItemDef());
        sup = openTable(QStringLiteral("sup"));
        cap = openTable(QStringLiteral("cap"));
        addSupplier(*sup, QStringLiteral("S1"), QStringLiteral("First"), QStringLiteral("10"));
        addSupplier(*sup, QStringLiteral("S2"), QStringLiteral("Second"), QStringLiteral("20"));
        addItem(*cap, QStringLiteral("S1"), QStringLiteral("A1"), QDate(2024, 1, 5), QStringLiteral("1"));
        addItem(*cap, QStringLiteral("S1"), QStringLiteral("A2"), QDate(2024, 1, 6), QStringLiteral("2"));
        addItem(*cap, QStringLiteral("S2"), QStringLiteral("B1"), QDate(2024, 1, 7), QStringLiteral("3"));
    }

    // Another workstation changes the data and commits: S1's balance becomes
    // `balance` and S1 gets one more open item.
    void commitFromOtherProcess(const QString& balance, const QString& invoice)
    {
        EXPECT_EQ(otherProcess({QStringLiteral("sup"), QStringLiteral("set"), QStringLiteral("S1"),
                                QStringLiteral("Sup_current_bal=") + balance}),
                  "DONE");
        EXPECT_EQ(otherProcess({QStringLiteral("cap"), QStringLiteral("add"), QStringLiteral("Cap_supplier=S1"),
                                QStringLiteral("Cap_invoice=") + invoice, QStringLiteral("Cap_amount=5")}),
                  "DONE");
    }

    QByteArray otherProcess(QStringList arguments)
    {
        arguments.prepend(folder());
        QProcess other;
        other.start(QStringLiteral(VARNEX_TEST_BIN_DIR "/engine_record_changer"), arguments);
        EXPECT_TRUE(other.waitForFinished(30000));
        return other.readAllStandardOutput().trimmed();
    }

    // What this process reads of S1 now: its balance, its items through a
    // detail cursor, and the items counted by a query.
    struct Picture {
        QString balance;
        QStringList items;
        std::int64_t counted = 0;
        bool operator==(const Picture&) const = default;
    };
    Picture readS1()
    {
        Picture seen;
        const auto master = openTable(QStringLiteral("sup"));
        const auto lines = openTable(QStringLiteral("cap"));
        lines->setMaster(master.get(), QStringLiteral("Sup_code"));
        EXPECT_TRUE(master->findKey({QStringLiteral("S1")}));
        seen.balance = master->field(QStringLiteral("Sup_current_bal")).asMoney().toText();
        seen.items = walk(*lines, QStringLiteral("Cap_invoice"));
        Query count(db, QStringLiteral("SELECT COUNT(*) AS n FROM cap WHERE Cap_supplier = :s"));
        count.bindText(QStringLiteral("s"), QStringLiteral("S1"));
        count.open();
        seen.counted = count.fieldByNumber(0).asInteger();
        return seen;
    }

    const Picture before{QStringLiteral("10.00"), {QStringLiteral("A1"), QStringLiteral("A2")}, 2};
    const Picture after{QStringLiteral("99.00"), {QStringLiteral("A1"), QStringLiteral("A2"), QStringLiteral("A3")}, 3};

    std::unique_ptr<Table> sup;
    std::unique_ptr<Table> cap;
};

TEST_F(ConsistentReadTest, AnotherProcessCommitShowsOnlyAfterTheScope)
{
    // Rows a cursor read before the scope are read again inside it.
    sup->first();
    commitFromOtherProcess(QStringLiteral("55"), QStringLiteral("A0"));
    {
        ConsistentRead read(db);
        EXPECT_TRUE(db->inConsistentRead());
        EXPECT_FALSE(db->inTransaction());
        sup->first();
        EXPECT_EQ(sup->field(QStringLiteral("Sup_current_bal")).asMoney().toText(), QStringLiteral("55.00"));
        const Picture atStart = readS1();
        // The other process is not held up by the snapshot.
        commitFromOtherProcess(QStringLiteral("99"), QStringLiteral("A3"));
        EXPECT_EQ(readS1(), atStart);
        sup->refresh();
        EXPECT_EQ(sup->field(QStringLiteral("Sup_current_bal")).asMoney().toText(), QStringLiteral("55.00"));
        EXPECT_EQ(sup->recordCount(), 2);
    }
    EXPECT_FALSE(db->inConsistentRead());
    const Picture now = readS1();
    EXPECT_EQ(now.balance, QStringLiteral("99.00"));
    EXPECT_EQ(now.items,
              (QStringList{QStringLiteral("A0"), QStringLiteral("A1"), QStringLiteral("A2"), QStringLiteral("A3")}));
    // A cursor that walked inside the scope reads afresh at its next move.
    sup->first();
    EXPECT_EQ(sup->field(QStringLiteral("Sup_current_bal")).asMoney().toText(), QStringLiteral("99.00"));
}

TEST_F(ConsistentReadTest, WritesAndLocksInsideAreRefusedAndTheSnapshotStays)
{
    ConsistentRead read(db);
    commitFromOtherProcess(QStringLiteral("99"), QStringLiteral("A3"));
    ASSERT_TRUE(sup->findKey({QStringLiteral("S2")}));
    struct Case {
        const char* what;
        std::function<void()> action;
        int code;
    };
    const QList<Case> cases = {
        {"edit", [&] { sup->edit(); }, ErrorCode::ReadOnly},
        {"delete", [&] { sup->deleteRecord(); }, ErrorCode::ReadOnly},
        {"append",
         [&] {
             sup->append();
             sup->field(QStringLiteral("Sup_code")).setString(QStringLiteral("S3"));
             sup->post();
         },
         ErrorCode::ReadOnly},
        {"statement",
         [&] {
             Query q(db, QStringLiteral("UPDATE sup SET Sup_terms = 5"));
             q.execSql();
         },
         ErrorCode::ReadOnly},
        {"create", [&] { db->createTable(SupplierDef(QStringLiteral("sup2"))); }, ErrorCode::ReadOnly},
        {"empty", [&] { db->emptyTable(QStringLiteral("cap")); }, ErrorCode::ReadOnly},
        {"drop", [&] { db->dropTable(QStringLiteral("cap")); }, ErrorCode::ReadOnly},
        {"claim", [&] { db->tryClaim(QStringLiteral("comp"), -7); }, ErrorCode::ReadOnly},
        {"transaction", [&] { Transaction tx(db); }, ErrorCode::TransactionActive},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ErrorCodeOf(c.action), c.code);
        if (sup->state() == DataSetState::Insert)
            sup->cancel(); // the refused record waits in Insert, as after a key violation
        EXPECT_EQ(sup->state(), DataSetState::Browse);
        EXPECT_EQ(readS1(), before);
    }
    EXPECT_TRUE(db->tableExists(QStringLiteral("cap")));
    EXPECT_FALSE(db->tableExists(QStringLiteral("sup2")));
    EXPECT_EQ(sup->recordCount(), 2);
}

TEST_F(ConsistentReadTest, NothingRefusedInsideWasWrittenAndWritesWorkAfterIt)
{
    {
        ConsistentRead read(db);
        ASSERT_TRUE(sup->findKey({QStringLiteral("S2")}));
        EXPECT_EQ(ErrorCodeOf([&] {
                      sup->append();
                      sup->field(QStringLiteral("Sup_code")).setString(QStringLiteral("S3"));
                      sup->post();
                  }),
                  ErrorCode::ReadOnly);
        sup->cancel();
    }
    EXPECT_EQ(walk(*sup, QStringLiteral("Sup_code")), (QStringList{QStringLiteral("S1"), QStringLiteral("S2")}));
    Transaction tx(db);
    ASSERT_TRUE(sup->findKey({QStringLiteral("S2")}));
    sup->edit();
    sup->field(QStringLiteral("Sup_name")).setString(QStringLiteral("Renamed"));
    sup->post();
    tx.commit();
    ASSERT_TRUE(sup->findKey({QStringLiteral("S2")}));
    EXPECT_EQ(sup->field(QStringLiteral("Sup_name")).asString(), QStringLiteral("Renamed"));
}

TEST_F(ConsistentReadTest, RecordBeingChangedBeforeTheScopeWaitsForItsEnd)
{
    ASSERT_TRUE(sup->findKey({QStringLiteral("S2")}));
    sup->edit();
    sup->field(QStringLiteral("Sup_name")).setString(QStringLiteral("Later"));
    {
        ConsistentRead read(db);
        EXPECT_EQ(ErrorCodeOf([&] { sup->post(); }), ErrorCode::ReadOnly);
        EXPECT_EQ(sup->state(), DataSetState::Edit);
        EXPECT_EQ(sup->field(QStringLiteral("Sup_name")).asString(), QStringLiteral("Later"));
    }
    sup->post();
    ASSERT_TRUE(sup->findKey({QStringLiteral("S2")}));
    EXPECT_EQ(sup->field(QStringLiteral("Sup_name")).asString(), QStringLiteral("Later"));
    // Given up inside the scope, the lock is freed there.
    sup->edit();
    {
        ConsistentRead read(db);
        sup->cancel();
    }
    EXPECT_EQ(otherProcess({QStringLiteral("sup"), QStringLiteral("set"), QStringLiteral("S2"),
                            QStringLiteral("Sup_name=Elsewhere")}),
              "DONE");
}

TEST_F(ConsistentReadTest, CannotBeginInsideATransaction)
{
    Transaction tx(db);
    EXPECT_EQ(ErrorCodeOf([&] { ConsistentRead read(db); }), ErrorCode::TransactionActive);
    EXPECT_FALSE(db->inConsistentRead());
    addSupplier(*sup, QStringLiteral("S3"), QStringLiteral("Third"));
    tx.commit();
    EXPECT_EQ(sup->recordCount(), 3);
}

TEST_F(ConsistentReadTest, NestedScopesReadTheOutermostSnapshot)
{
    auto outer = std::make_unique<ConsistentRead>(db);
    commitFromOtherProcess(QStringLiteral("99"), QStringLiteral("A3"));
    {
        ConsistentRead inner(db);
        EXPECT_EQ(readS1(), before);
        {
            ConsistentRead innermost(db);
            EXPECT_EQ(readS1(), before);
        }
    }
    EXPECT_TRUE(db->inConsistentRead());
    EXPECT_EQ(readS1(), before);
    EXPECT_EQ(ErrorCodeOf([&] { Transaction tx(db); }), ErrorCode::TransactionActive);
    outer.reset();
    EXPECT_EQ(readS1(), after);
}

TEST_F(ConsistentReadTest, ExceptionThroughTheScopeEndsIt)
{
    try {
        ConsistentRead read(db);
        commitFromOtherProcess(QStringLiteral("99"), QStringLiteral("A3"));
        EXPECT_EQ(readS1(), before);
        throw std::runtime_error("report stopped");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(db->inConsistentRead());
    EXPECT_EQ(readS1(), after);
    Transaction tx(db);
    addSupplier(*sup, QStringLiteral("S3"), QStringLiteral("Third"));
    tx.commit();
    EXPECT_EQ(sup->recordCount(), 3);
}

// A read the database refuses (bad SQL, a missing table) fails on its own:
// the reads after it still see the scope's snapshot.
TEST_F(ConsistentReadTest, FailedReadInsideKeepsTheSnapshot)
{
    ConsistentRead read(db);
    commitFromOtherProcess(QStringLiteral("99"), QStringLiteral("A3"));
    EXPECT_EQ(ErrorCodeOf([&] {
                  Query q(db, QStringLiteral("SELECT Cap_nothing FROM cap"));
                  q.open();
              }),
              ErrorCode::FieldNotFound);
    EXPECT_EQ(readS1(), before);
    EXPECT_EQ(ErrorCodeOf([&] {
                  Query q(db, QStringLiteral("SELECT * FROM missing_table"));
                  q.open();
              }),
              ErrorCode::TableNotFound);
    EXPECT_EQ(ErrorCodeOf([&] { openTable(QStringLiteral("missing_table")); }), ErrorCode::TableNotFound);
    EXPECT_EQ(readS1(), before);
}

// The server's snapshot goes with its connection: the reads of the scope
// fail from then on instead of reading a later moment through a new one.
TEST_F(ConsistentReadTest, ConnectionLostInsideFailsEveryReadUntilTheEnd)
{
    auto* server = dynamic_cast<PgBackend*>(&db->backend());
    if (!server)
        GTEST_SKIP() << "the server engine's connection";
    {
        ConsistentRead read(db);
        EXPECT_EQ(readS1(), before);
        commitFromOtherProcess(QStringLiteral("99"), QStringLiteral("A3"));
        server->dropConnectionForTest();
        EXPECT_EQ(ErrorCodeOf([&] { readS1(); }), ErrorCode::ServerUnavailable);
        EXPECT_EQ(ErrorCodeOf([&] { readS1(); }), ErrorCode::ServerUnavailable);
        EXPECT_TRUE(db->inConsistentRead());
    }
    EXPECT_EQ(readS1(), after);
}

} // namespace
} // namespace varnex::data::testing
