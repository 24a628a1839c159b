// Record locks between two real processes: the helper process puts a record
// in edit mode and holds it; this process must be refused that record at
// once, keep working on everything else, and get it after the helper is
// killed with SIGKILL.

#include <QElapsedTimer>
#include <QProcess>

#include "engine_fixture.h"

namespace varnex::data::testing {
namespace {

class LockTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        db->createTable(SupplierDef());
        TableDef session;
        session.name = QStringLiteral("session");
        session.fields = {{QStringLiteral("Session_number"), FieldType::Text, 4},
                          {QStringLiteral("Session_user"), FieldType::Text, 10}};
        session.indexes = {{QString(), {QStringLiteral("Session_number")}, true, true}};
        db->createTable(session);
        auto sup = openTable(QStringLiteral("sup"));
        for (const char* code : {"ACME", "BOLT", "CORE"})
            addSupplier(*sup, QLatin1String(code), QStringLiteral("n"));
        auto ses = openTable(QStringLiteral("session"));
        for (const char* n : {"1", "2"}) {
            ses->append();
            ses->field(QStringLiteral("Session_number")).setString(QLatin1String(n));
            ses->post();
        }
    }

    void TearDown() override
    {
        if (m_holder.state() != QProcess::NotRunning) {
            m_holder.kill();
            m_holder.waitForFinished(5000);
        }
        EngineTest::TearDown();
    }

    // Starts the helper on (table, key) and waits until it holds the record.
    void holdInOtherProcess(const QString& table, const QString& key)
    {
        m_holder.setProgram(QStringLiteral(VARNEX_TEST_BIN_DIR "/engine_lock_holder"));
        m_holder.setArguments({lockFolder(), table, key});
        m_holder.start();
        ASSERT_TRUE(m_holder.waitForStarted(5000));
        QByteArray said;
        QElapsedTimer waited;
        waited.start();
        while (!said.contains('\n') && waited.elapsed() < 10000) {
            m_holder.waitForReadyRead(200);
            said += m_holder.readAllStandardOutput();
        }
        ASSERT_EQ(said.trimmed(), QByteArray("LOCKED")) << m_holder.readAllStandardError().toStdString();
    }

    void killHolder()
    {
        m_holder.kill(); // SIGKILL: no chance to release anything itself
        ASSERT_TRUE(m_holder.waitForFinished(5000));
        EXPECT_EQ(m_holder.exitStatus(), QProcess::CrashExit);
    }

    QProcess m_holder;
    QString m_folder;

    QString lockFolder() const { return m_folder.isEmpty() ? folder() : m_folder; }

    // Another process holds `locked`: this one is refused it at once, reads
    // everything, edits `free`, and gets `locked` once the holder is killed.
    void checkLockBetweenProcesses(const QString& table, const QString& locked, const QString& free, int records)
    {
        SCOPED_TRACE(table.toStdString());
        holdInOtherProcess(table, locked);
        auto t = openTable(table);
        ASSERT_TRUE(t->findKey({locked}));

        QElapsedTimer took;
        took.start();
        try {
            t->edit();
            FAIL() << "edited a record another process holds";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), 10241);
            EXPECT_EQ(e.category(), 0x28);
            EXPECT_EQ(e.subCode(), 0x01);
        }
        EXPECT_LT(took.elapsed(), 1000) << "refused at once, not after a wait";
        EXPECT_EQ(t->state(), DataSetState::Browse);
        EXPECT_EQ(ErrorCodeOf([&] { t->deleteRecord(); }), ErrorCode::RecordLocked);

        // Everything else goes on: reading all records, editing another one.
        EXPECT_EQ(t->recordCount(), records);
        ASSERT_TRUE(t->findKey({free}));
        t->edit();
        t->post();

        killHolder();
        ASSERT_TRUE(t->findKey({locked}));
        EXPECT_EQ(ErrorCodeOf([&] { t->edit(); }), 0);
        t->cancel();
    }
};

// Appends waiting in a batch do not change what a lock conflict says: the
// record another process holds is refused at once with the same code, and
// the appends before and after it are kept.
TEST_F(LockTest, ALockConflictInsideABatchIsReportedAsWithoutOne)
{
    holdInOtherProcess(QStringLiteral("sup"), QStringLiteral("BOLT"));
    auto sup = openTable(QStringLiteral("sup"));
    ASSERT_TRUE(sup->findKey({QStringLiteral("BOLT")}));
    auto fill = openTable(QStringLiteral("sup"));
    fill->setBatchedAppends(true);
    Transaction tx(db);
    for (int i = 0; i < 300; ++i)
        addSupplier(*fill, QStringLiteral("N%1").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("new"));
    QElapsedTimer took;
    took.start();
    EXPECT_EQ(ErrorCodeOf([&] { sup->edit(); }), ErrorCode::RecordLocked);
    EXPECT_LT(took.elapsed(), 1000) << "refused at once, not after a wait";
    for (int i = 300; i < 600; ++i)
        addSupplier(*fill, QStringLiteral("N%1").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("new"));
    tx.commit();
    EXPECT_EQ(sup->recordCount(), 603);
}

TEST_F(LockTest, LockedRecordIsRefusedAtOnceAndFreedWhenTheHolderIsKilled)
{
    checkLockBetweenProcesses(QStringLiteral("sup"), QStringLiteral("BOLT"), QStringLiteral("CORE"), 3);
    checkLockBetweenProcesses(QStringLiteral("session"), QStringLiteral("1"), QStringLiteral("2"), 2);
}

// The same on the real tables of the catalogue: a supplier and the
// launcher's session slot.
TEST_F(LockTest, CatalogueSupplierAndSessionRows)
{
    const TableDef* sup = FindTableDef(QStringLiteral("sup"));
    const TableDef* session = FindTableDef(QStringLiteral("session"));
    ASSERT_NE(sup, nullptr);
    ASSERT_NE(session, nullptr);
    QTemporaryDir company;
    auto real = Database::forFolder(company.path());
    real->createTable(*sup);
    real->createTable(*session);
    Table t;
    t.setDatabase(real);
    t.setTableName(QStringLiteral("sup"));
    t.open();
    for (const char* code : {"ACME", "BOLT"}) {
        t.append();
        t.field(QStringLiteral("Sup_code")).setString(QLatin1String(code));
        t.post();
    }
    t.close();
    t.setTableName(QStringLiteral("session"));
    t.open();
    for (int id : {1, 2}) {
        t.append();
        t.field(QStringLiteral("Session_id")).setInteger(id);
        t.post();
    }
    t.close();
    db = real;
    m_folder = company.path();
    checkLockBetweenProcesses(QStringLiteral("sup"), QStringLiteral("ACME"), QStringLiteral("BOLT"), 2);
    checkLockBetweenProcesses(QStringLiteral("session"), QStringLiteral("2"), QStringLiteral("1"), 2);
}

TEST_F(LockTest, RecordThisProcessHoldsIsRefusedToTheOtherProcess)
{
    auto sup = openTable(QStringLiteral("sup"));
    ASSERT_TRUE(sup->findKey({QStringLiteral("ACME")}));
    sup->edit();
    QProcess other;
    other.start(QStringLiteral(VARNEX_TEST_BIN_DIR "/engine_lock_holder"),
                {folder(), QStringLiteral("sup"), QStringLiteral("ACME")});
    ASSERT_TRUE(other.waitForFinished(10000));
    EXPECT_EQ(other.exitCode(), 1);
    EXPECT_TRUE(other.readAllStandardOutput().startsWith("ERROR 10241")) << "the helper was refused";
    sup->post();

    // Released by post: now the helper gets it.
    holdInOtherProcess(QStringLiteral("sup"), QStringLiteral("ACME"));
    EXPECT_EQ(ErrorCodeOf([&] { sup->edit(); }), ErrorCode::RecordLocked);
}

// A record written inside a transaction stays locked until the transaction
// ends, or another process could read the value from before the commit and
// write it back over this one.
TEST_F(LockTest, RecordWrittenInATransactionStaysLockedUntilItEnds)
{
    auto tryFromOtherProcess = [&] {
        QProcess other;
        other.start(QStringLiteral(VARNEX_TEST_BIN_DIR "/engine_lock_holder"),
                    {folder(), QStringLiteral("sup"), QStringLiteral("ACME")});
        EXPECT_TRUE(other.waitForStarted(5000));
        QByteArray said;
        QElapsedTimer waited;
        waited.start();
        while (!said.contains('\n') && waited.elapsed() < 10000) {
            other.waitForReadyRead(200);
            said += other.readAllStandardOutput();
        }
        other.kill();
        other.waitForFinished(5000);
        return said.trimmed();
    };
    auto sup = openTable(QStringLiteral("sup"));
    auto second = openTable(QStringLiteral("sup"));
    for (bool commit : {true, false}) {
        SCOPED_TRACE(commit ? "commit" : "rollback");
        {
            Transaction tx(db);
            ASSERT_TRUE(sup->findKey({QStringLiteral("ACME")}));
            sup->edit();
            sup->field(QStringLiteral("Sup_name")).setString(QStringLiteral("posted"));
            sup->post();
            EXPECT_TRUE(tryFromOtherProcess().startsWith("ERROR 10241"));
            ASSERT_TRUE(second->findKey({QStringLiteral("ACME")}));
            EXPECT_EQ(ErrorCodeOf([&] { second->edit(); }), ErrorCode::RecordLockedHere);
            // Editing it again and cancelling keeps it locked too.
            sup->edit();
            sup->cancel();
            EXPECT_TRUE(tryFromOtherProcess().startsWith("ERROR 10241"));
            if (commit)
                tx.commit();
        }
        EXPECT_EQ(tryFromOtherProcess(), QByteArray("LOCKED"));
        EXPECT_EQ(ErrorCodeOf([&] { second->edit(); }), 0);
        second->cancel();
    }
}

} // namespace
} // namespace varnex::data::testing
