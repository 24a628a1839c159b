// What only the server engine has: its SQL dialect, values in the server's
// text form, schemas per folder, and connections that fail or break. The
// behaviour shared with SQLite is covered by the engine tests, which run a
// second time on the server.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>

#include <libpq-fe.h>

#include "pg_backend.h"
#include "varnex/currency.h"
#include "varnex/data/database.h"
#include "varnex/data/engine_copy.h"
#include "varnex/data/engine_error.h"
#include "varnex/data/query.h"
#include "varnex/data/table.h"

namespace varnex::data {
namespace {

int codeOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EngineError& e) {
        return e.code();
    }
    return 0;
}

// Sets environment variables for one test and puts them back after.
class ScopedEnvironment {
public:
    void set(const char* name, const QByteArray& value)
    {
        m_saved.emplace_back(name, qgetenv(name), qEnvironmentVariableIsSet(name));
        qputenv(name, value);
    }
    ~ScopedEnvironment()
    {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            if (std::get<2>(*it))
                qputenv(std::get<0>(*it), std::get<1>(*it));
            else
                qunsetenv(std::get<0>(*it));
        }
    }

private:
    std::vector<std::tuple<const char*, QByteArray, bool>> m_saved;
};

TEST(PgDialect, NamedParametersBecomeNumbersOutsideStringsAndComments)
{
    struct Case {
        const char* sql;
        const char* expected;
        QStringList names;
    };
    const Case cases[] = {
        {"SELECT * FROM cap WHERE Cap_supplier = :pcode", "SELECT * FROM cap WHERE Cap_supplier = $1", {"pcode"}},
        // one name used twice, any case, gets one number
        {"SELECT :a, :B, :A", "SELECT $1, $2, $1", {"a", "B"}},
        // strings, comments and casts are not parameters
        {"SELECT ':x', 'it''s :y' -- :z\n, :w", "SELECT ':x', 'it''s :y' -- :z\n, $1", {"w"}},
        {"SELECT /* :c */ x::text FROM t", "SELECT /* :c */ x::text FROM t", {}},
        // quoted names are stored in lower case
        {"SELECT \"Date\" FROM \"Cap\" WHERE \"Index\" = :i",
         "SELECT \"date\" FROM \"cap\" WHERE \"index\" = $1",
         {"i"}},
        // a slice or a time text is no parameter
        {"SELECT '07:05' , a[1:2]", "SELECT '07:05' , a[1:2]", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        QStringList names;
        EXPECT_EQ(PgBackend::translateSql(QString::fromUtf8(c.sql), names), QString::fromUtf8(c.expected));
        EXPECT_EQ(names, c.names);
    }
    for (const char* positional : {"SELECT * FROM t WHERE a = ?", "SELECT $1"}) {
        QStringList names;
        EXPECT_EQ(codeOf([&] { PgBackend::translateSql(QString::fromUtf8(positional), names); }),
                  ErrorCode::QueryParameter)
            << positional;
    }
}

TEST(PgValues, MoneyTextIsReadExactly)
{
    struct Case {
        const char* text;
        std::int64_t ticks;
    };
    const Case cases[] = {
        {"123.4500", 1234500},
        {"-0.0001", -1},
        {"0", 0},
        {"12", 120000},
        {"922337203685477.5807", 9223372036854775807LL}, // the largest amount
        {"-922337203685477.5808", -9223372036854775807LL - 1},
        {"1.00005", 10001}, // a computed value with more decimals: half away from zero
        {"-1.00005", -10001},
        {"1.00004999", 10000},
        {"0.1", 1000},
        // either side of fifteen digits before the point
        {"99999999999999.9999", 999999999999999999},
        {"-99999999999999.9999", -999999999999999999},
        {"100000000000000", 1000000000000000000},
        {"+5", 50000},
        {"-.5", -5000},
        {"1.", 10000},
        {"-0.0000", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const QVariant v = ValueFromPrinted(FieldType::Money, c.text, static_cast<int>(std::strlen(c.text)));
        EXPECT_EQ(v.value<Currency>().ticks(), c.ticks);
    }
    for (const char* bad : {"922337203685477.5808", "99999999999999999999", "abc", "", "1.2.3", ".", "-", "1-", "1 "})
        EXPECT_EQ(codeOf([&] { ValueFromPrinted(FieldType::Money, bad, static_cast<int>(std::strlen(bad))); }),
                  ErrorCode::TypeMismatch)
            << bad;
    EXPECT_EQ(PgBackend::textOf(FieldType::Money, QVariant::fromValue(Currency::fromTicks(-12345))),
              QByteArray("-1.2345"));
}

TEST(PgValues, IntegersAndNumbersAreReadWholeAndWithoutTheLocale)
{
    EXPECT_EQ(IntegerFromText("-9223372036854775808", 20), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(IntegerFromText("32767", 5), 32767);
    struct Number {
        const char* text;
        double value;
    };
    const Number numbers[] = {
        {"2.5", 2.5},
        {"1.7976931348623157e+308", std::numeric_limits<double>::max()},
        {"5e-324", std::numeric_limits<double>::denorm_min()},
        {"0.30000000000000004", 0.1 + 0.2},
        {"-Infinity", -std::numeric_limits<double>::infinity()},
    };
    for (const Number& n : numbers) {
        EXPECT_EQ(NumberFromText(n.text, static_cast<int>(std::strlen(n.text))), n.value) << n.text;
        EXPECT_EQ(ValueFromPrinted(FieldType::Number, n.text, static_cast<int>(std::strlen(n.text))).toDouble(),
                  n.value)
            << n.text;
    }
    EXPECT_TRUE(std::isnan(NumberFromText("NaN", 3).value_or(0.0)));
    // A text is read whole: a part that reads is not taken for the number.
    for (const char* bad : {"", "12a", "9223372036854775808", " 1", "1.0"})
        EXPECT_FALSE(IntegerFromText(bad, static_cast<int>(std::strlen(bad)))) << bad;
    for (const char* bad : {"", "12a", " 1", "2,5", "1e"})
        EXPECT_FALSE(NumberFromText(bad, static_cast<int>(std::strlen(bad)))) << bad;
}

TEST(PgValues, DatesTimesAndBytesInTheServerForm)
{
    EXPECT_EQ(ValueFromPrinted(FieldType::Date, "2024-02-29", 10).toDate(), QDate(2024, 2, 29));
    // the server drops trailing zeros of fractions: ".5" is half a second
    EXPECT_EQ(ValueFromPrinted(FieldType::Time, "07:05:03.5", 10).toTime(), QTime(7, 5, 3, 500));
    EXPECT_EQ(ValueFromPrinted(FieldType::Time, "07:05:03", 8).toTime(), QTime(7, 5, 3));
    EXPECT_EQ(ValueFromPrinted(FieldType::Timestamp, "2024-02-29 07:05:03.123", 23).toDateTime(),
              QDateTime(QDate(2024, 2, 29), QTime(7, 5, 3, 123)));
    EXPECT_FALSE(ValueFromPrinted(FieldType::Date, "0044-03-15 BC", 13).isValid()) << "no date before year 1";
    EXPECT_EQ(ValueFromPrinted(FieldType::Binary, "\\x00ff10", 8).toByteArray(), QByteArray("\x00\xff\x10", 3));
}

TEST(PgTarget, EngineSettingAndSchemaPerFolder)
{
    ScopedEnvironment env;
    env.set("VARNEX_SETTINGS", "/nonexistent/varnex-test.ini");
    env.set("VARNEX_ENGINE", "sqlite");
    EXPECT_FALSE(ServerTargetForFolder(QStringLiteral("/srv/Lgx/data1")).has_value());

    env.set("VARNEX_ENGINE", "postgresql");
    env.set("VARNEX_SERVER", "");
    EXPECT_EQ(codeOf([] { ServerTargetForFolder(QStringLiteral("/srv/Lgx/data1")); }), ErrorCode::ServerUnavailable);

    env.set("VARNEX_SERVER", "host=db dbname=office");
    env.set("VARNEX_SERVER_SCHEMAS", "folder");
    // every workstation names its folders differently; the last part is what they share
    EXPECT_EQ(ServerTargetForFolder(QStringLiteral("/srv/Lgx/data1"))->schema, QStringLiteral("data1"));
    EXPECT_EQ(ServerTargetForFolder(QStringLiteral("/home/ann/Lgx/data1"))->schema, QStringLiteral("data1"));
    EXPECT_EQ(ServerTargetForFolder(QStringLiteral("/x/My Data-2"))->schema, QStringLiteral("my_data_2"));
    EXPECT_EQ(ServerTargetForFolder(QStringLiteral("/x/pg_catalog"))->schema, QStringLiteral("vx_pg_catalog"))
        << "never one of the server's own schemas";
    EXPECT_EQ(ServerTargetForFolder(QStringLiteral("/x/data"))->connection, QStringLiteral("host=db dbname=office"));

    // the language tables are built with the program and stay embedded
    EXPECT_FALSE(ServerTargetForFolder(QStringLiteral("/opt/primora/Lgx/languages")).has_value());
    EXPECT_TRUE(ServerTargetForFolder(QStringLiteral("/opt/primora/Lgx/languages2")).has_value());

    env.set("VARNEX_SERVER_SCHEMAS", "path");
    const QString a = ServerTargetForFolder(QStringLiteral("/one/Lgx/data1"))->schema;
    const QString b = ServerTargetForFolder(QStringLiteral("/two/Lgx/data1"))->schema;
    EXPECT_NE(a, b);
    EXPECT_TRUE(a.startsWith(QLatin1String("data1_")));

    env.set("VARNEX_ENGINE", "paradox");
    EXPECT_EQ(codeOf([] { ServerTargetForFolder(QStringLiteral("/x/data")); }), ErrorCode::InvalidRequest);
}

// ---- with a server ----------------------------------------------------------------

class PgServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QByteArray server = qgetenv("VARNEX_SERVER");
        if (server.isEmpty())
            GTEST_SKIP() << "PostgreSQL run skipped: no test server (VARNEX_SERVER is not set).";
        m_env.set("VARNEX_ENGINE", "postgresql");
        m_env.set("VARNEX_SERVER_SCHEMAS", "path");
        ASSERT_TRUE(m_dir.isValid());
        db = Database::forFolder(m_dir.path());
        TableDef def;
        def.name = QStringLiteral("sup");
        def.fields = {{QStringLiteral("Sup_code"), FieldType::Text, 10},
                      {QStringLiteral("Sup_current_bal"), FieldType::Money, 0},
                      {QStringLiteral("Sup_number"), FieldType::AutoIncrement, 0}};
        def.indexes = {{QString(), {QStringLiteral("Sup_code")}, true, true}};
        db->createTable(def);
    }

    PgBackend& backend() { return dynamic_cast<PgBackend&>(db->backend()); }

    // A table "fill" (a code, its key, and an amount) whose appends are batched.
    void openBatchedFill(Table& fill)
    {
        TableDef def;
        def.name = QStringLiteral("fill");
        def.fields = {{QStringLiteral("Code"), FieldType::Text, 10}, {QStringLiteral("Amount"), FieldType::Money, 0}};
        def.indexes = {{QString(), {QStringLiteral("Code")}, true, true}};
        db->createTable(def);
        fill.setDatabase(db);
        fill.setTableName(QStringLiteral("fill"));
        fill.open();
        fill.setBatchedAppends(true);
    }

    void openOn(Table& t, const QString& table, bool batched = false)
    {
        t.setDatabase(db);
        t.setTableName(table);
        t.setBatchedAppends(batched);
        t.open();
    }

    void add(Table& t, const QString& code, Currency amount)
    {
        t.append();
        t.field(QStringLiteral("Sup_code")).setString(code);
        t.field(QStringLiteral("Sup_current_bal")).setValue(QVariant::fromValue(amount));
        t.post();
    }

    ScopedEnvironment m_env;
    QTemporaryDir m_dir;
    std::shared_ptr<Database> db;
};

TEST_F(PgServerTest, BadServersGiveAClearErrorQuickly)
{
    const char* servers[] = {
        "host=127.0.0.1 port=1 dbname=varnex", // nothing listens there
        "host=127.0.0.1 port=notaport",        // not a connection string that works
        "postgresql://127.0.0.1:1/varnex",     // the URI form
    };
    for (const char* server : servers) {
        SCOPED_TRACE(server);
        QElapsedTimer took;
        took.start();
        try {
            PgBackend backend({QString::fromUtf8(server), QStringLiteral("data")});
            FAIL() << "connected to a server that is not there";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), ErrorCode::ServerUnavailable);
            EXPECT_TRUE(e.message().contains(QLatin1String("server"))) << e.message().toStdString();
        }
        EXPECT_LT(took.elapsed(), 7000) << "never a hang";
    }
    // The user reads why in their own language.
    SetEngineMessageLanguage(2);
    try {
        PgBackend backend({QStringLiteral("host=127.0.0.1 port=1 dbname=varnex"), QStringLiteral("data")});
        ADD_FAILURE() << "connected to a server that is not there";
    } catch (const EngineError& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Impossible de se connecter au serveur")))
            << e.message().toStdString();
    }
    SetEngineMessageLanguage(1);
    // A database that does not exist on a server that does.
    QString wrongDatabase = QString::fromUtf8(qgetenv("VARNEX_SERVER"));
    wrongDatabase.replace(QLatin1String("dbname=varnex"), QLatin1String("dbname=no_such_db"));
    EXPECT_EQ(codeOf([&] {
                  PgBackend backend({wrongDatabase, QStringLiteral("data")});
              }),
              ErrorCode::ServerUnavailable);
}

TEST_F(PgServerTest, MoneyIsStoredAsNumericAndSummedExactly)
{
    Table sup;
    sup.setDatabase(db);
    sup.setTableName(QStringLiteral("sup"));
    sup.open();
    // 0.1 + 0.2 style amounts that binary floating point would not keep
    add(sup, QStringLiteral("A"), Currency::fromTicks(1000));
    add(sup, QStringLiteral("B"), Currency::fromTicks(2000));
    add(sup, QStringLiteral("C"), Currency::fromTicks(922337203685LL * 10000 + 4477)); // large, four decimals
    Query q(db, QStringLiteral("SELECT SUM(Sup_current_bal) AS Total, MIN(Sup_current_bal) AS Low FROM sup"));
    q.open();
    EXPECT_EQ(q.field(QStringLiteral("Total")).asMoney().ticks(), 922337203685LL * 10000 + 4477 + 3000);
    EXPECT_EQ(q.field(QStringLiteral("Low")).asMoney().ticks(), 1000);
    Query types(
        db, QStringLiteral(
                "SELECT data_type, numeric_precision, numeric_scale FROM information_schema.columns "
                "WHERE table_schema = current_schema() AND table_name = 'sup' AND column_name = 'sup_current_bal'"));
    types.open();
    EXPECT_EQ(types.field(QStringLiteral("data_type")).asString(), QStringLiteral("numeric"));
    EXPECT_EQ(types.field(QStringLiteral("numeric_precision")).asInteger(), 19);
    EXPECT_EQ(types.field(QStringLiteral("numeric_scale")).asInteger(), 4);
}

TEST_F(PgServerTest, GivenNumbersMoveTheIdentityPastThem)
{
    Table sup;
    sup.setDatabase(db);
    sup.setTableName(QStringLiteral("sup"));
    sup.open();
    sup.append();
    sup.field(QStringLiteral("Sup_code")).setString(QStringLiteral("A"));
    sup.field(QStringLiteral("Sup_number")).setInteger(40); // a copied table keeps its numbers
    sup.post();
    add(sup, QStringLiteral("B"), Currency());
    ASSERT_TRUE(sup.findKey({QStringLiteral("B")}));
    EXPECT_EQ(sup.field(QStringLiteral("Sup_number")).asInteger(), 41);
}

// A workstation whose connection breaks loses its locks at the server at
// once; when it comes back it does not silently write a record someone else
// now holds.
TEST_F(PgServerTest, ABrokenConnectionFreesItsLocksAndIsNotTrustedAfter)
{
    Table sup;
    sup.setDatabase(db);
    sup.setTableName(QStringLiteral("sup"));
    sup.open();
    add(sup, QStringLiteral("ACME"), Currency());
    ASSERT_TRUE(sup.findKey({QStringLiteral("ACME")}));
    sup.edit();
    backend().dropConnectionForTest();

    QProcess other;
    QByteArray said;
    QElapsedTimer waited;
    waited.start();
    // The server notices the closed connection almost at once.
    while (!said.startsWith("LOCKED") && waited.elapsed() < 10000) {
        other.start(QStringLiteral(VARNEX_TEST_BIN_DIR "/engine_lock_holder"),
                    {m_dir.path(), QStringLiteral("sup"), QStringLiteral("ACME")});
        ASSERT_TRUE(other.waitForStarted(5000));
        said.clear();
        while (!said.contains('\n') && other.state() != QProcess::NotRunning)
            if (other.waitForReadyRead(2000))
                said += other.readAllStandardOutput();
            else if (other.state() == QProcess::Running)
                break;
        if (!said.startsWith("LOCKED")) {
            other.waitForFinished(2000);
            QThread::msleep(50);
        }
    }
    ASSERT_TRUE(said.startsWith("LOCKED")) << said.toStdString();

    sup.field(QStringLiteral("Sup_current_bal")).setValue(QStringLiteral("5"));
    const int code = codeOf([&] { sup.post(); });
    EXPECT_TRUE(code == ErrorCode::RecordLocked || code == ErrorCode::ServerUnavailable) << std::hex << code;
    other.kill();
    other.waitForFinished(5000);
    sup.cancel();
    // Back to work once the other workstation let go.
    ASSERT_TRUE(sup.findKey({QStringLiteral("ACME")}));
    EXPECT_EQ(codeOf([&] { sup.edit(); }), 0);
    sup.cancel();
}

TEST_F(PgServerTest, ConnectionLostInsideATransactionKeepsNothingOfIt)
{
    Table sup;
    sup.setDatabase(db);
    sup.setTableName(QStringLiteral("sup"));
    sup.open();
    {
        Transaction tx(db);
        add(sup, QStringLiteral("A"), Currency::fromUnits(1));
        add(sup, QStringLiteral("B"), Currency::fromUnits(2));
        backend().dropConnectionForTest();
        EXPECT_EQ(codeOf([&] { add(sup, QStringLiteral("C"), Currency::fromUnits(3)); }), ErrorCode::ServerUnavailable);
        EXPECT_EQ(codeOf([&] { tx.commit(); }), ErrorCode::ServerUnavailable) << "never reported as posted";
    }
    sup.cancel();
    EXPECT_FALSE(db->inTransaction());
    sup.close();
    sup.open(); // connects again
    EXPECT_EQ(sup.recordCount(), 0);
}

// The same while batched appends are on their way to the server.
TEST_F(PgServerTest, ConnectionLostWhileAppendsAreOnTheirWayKeepsNothing)
{
    Table sup;
    sup.setDatabase(db);
    sup.setTableName(QStringLiteral("sup"));
    sup.open();
    Table fill;
    openBatchedFill(fill);
    auto append = [&](int i) {
        fill.append();
        fill.field(QStringLiteral("Code")).setString(QStringLiteral("F%1").arg(i));
        fill.field(QStringLiteral("Amount")).setMoney(Currency::fromUnits(i));
        fill.post();
    };
    {
        Transaction tx(db);
        add(sup, QStringLiteral("A"), Currency::fromUnits(1));
        for (int i = 0; i < 3000; ++i)
            append(i);
        backend().dropConnectionForTest();
        EXPECT_EQ(codeOf([&] {
                      for (int i = 3000; i < 6000; ++i)
                          append(i);
                      tx.commit();
                  }),
                  ErrorCode::ServerUnavailable);
        EXPECT_EQ(codeOf([&] { tx.commit(); }), ErrorCode::ServerUnavailable) << "never reported as posted";
    }
    fill.cancel();
    EXPECT_FALSE(db->inTransaction());
    fill.close();
    fill.open(); // connects again
    EXPECT_EQ(fill.recordCount(), 0);
    EXPECT_EQ(sup.recordCount(), 0);
}

// A batch the server refuses as a whole (another workstation holds its
// table for a structure change): the code of the failure, and the first
// record that could not be stored.
TEST_F(PgServerTest, ABatchRefusedAsAWholeNamesItsFirstRecord)
{
    Table fill;
    openBatchedFill(fill);
    backend().execute(QStringLiteral("SET lock_timeout = '100ms'"), {}); // not the five seconds of a workstation
    PgBackend other({QString::fromUtf8(qgetenv("VARNEX_SERVER")), backend().schema()});
    other.begin();
    other.execute(QStringLiteral("LOCK TABLE fill IN ACCESS EXCLUSIVE MODE"), {});
    {
        Transaction tx(db);
        try {
            for (const char* code : {"FIRST", "SECOND"}) {
                fill.append();
                fill.field(QStringLiteral("Code")).setString(QLatin1String(code));
                fill.post();
            }
            tx.commit();
            ADD_FAILURE() << "committed records of a table another workstation holds";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), ErrorCode::TableBusy);
            EXPECT_TRUE(e.message().contains(QStringLiteral("record FIRST"))) << e.message().toStdString();
        }
    }
    other.rollback();
    fill.cancel();
    EXPECT_EQ(fill.recordCount(), 0);
}

// Another workstation's connection to the test's schema.
class OtherWorkstation {
public:
    explicit OtherWorkstation(const QString& schema)
        : m_conn(PQconnectdb(qgetenv("VARNEX_SERVER").constData()), PQfinish)
        , m_schema(schema.toStdString())
    {
    }
    bool connected() const { return PQstatus(m_conn.get()) == CONNECTION_OK; }
    bool exec(const std::string& sql)
    {
        const std::string full = "SET search_path TO \"" + m_schema + "\"; " + sql;
        PGresult* r = PQexec(m_conn.get(), full.c_str());
        const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
        PQclear(r);
        return ok;
    }

private:
    std::unique_ptr<PGconn, void (*)(PGconn*)> m_conn;
    std::string m_schema;
};

// What the SQLite run checks with a second raw connection to the file.
TEST_F(PgServerTest, EditReloadsWhatAnotherWorkstationChanged)
{
    Table sup;
    sup.setDatabase(db);
    sup.setTableName(QStringLiteral("sup"));
    sup.open();
    add(sup, QStringLiteral("A"), Currency::fromUnits(1));
    add(sup, QStringLiteral("B"), Currency::fromUnits(2));
    OtherWorkstation other(backend().schema());
    ASSERT_TRUE(other.connected());
    ASSERT_TRUE(other.exec("UPDATE sup SET Sup_current_bal = 7.1234 WHERE Sup_code = 'A'"));
    ASSERT_TRUE(sup.findKey({QStringLiteral("A")}));
    sup.edit();
    EXPECT_EQ(sup.field(QStringLiteral("Sup_current_bal")).asMoney().ticks(), 71234);
    sup.cancel();

    ASSERT_TRUE(other.exec("DELETE FROM sup WHERE Sup_code = 'A'"));
    EXPECT_EQ(codeOf([&] { sup.edit(); }), ErrorCode::RecordDeleted);
    EXPECT_EQ(sup.state(), DataSetState::Browse);
    sup.refresh();
    EXPECT_EQ(sup.field(QStringLiteral("Sup_code")).asString(), QStringLiteral("B"))
        << "the next record takes its place";
    EXPECT_EQ(sup.recordCount(), 1);
}

// The messages an action sends that the client then waits on (a simple
// query, a sync of extended queries or of a pipeline, the end of a COPY):
// its round trips to the server.
int RoundTripsOf(PgBackend& backend, const std::function<void()>& action)
{
    std::unique_ptr<FILE, int (*)(FILE*)> trace(std::tmpfile(), &std::fclose);
    backend.traceForTest(trace.get());
    action();
    backend.traceForTest(nullptr);
    std::fflush(trace.get());
    std::rewind(trace.get());
    int trips = 0;
    char line[4096];
    while (std::fgets(line, sizeof line, trace.get())) {
        const QByteArrayList parts = QByteArray(line).trimmed().split('\t');
        if (parts.size() >= 3 && parts[0] == "F"
            && (parts[2] == "Sync" || parts[2] == "Query" || parts[2] == "CopyDone"))
            ++trips;
    }
    return trips;
}

// The lock and the fresh read of a record go to the server together, with
// few records held and with many (where reads and locks share a transaction).
TEST_F(PgServerTest, AnEditLocksAndReadsItsRecordInOneRoundTrip)
{
    Table sup;
    openOn(sup, QStringLiteral("sup"));
    Transaction fill(db);
    for (int i = 0; i < 50; ++i)
        add(sup, QStringLiteral("S%1").arg(i, 2, 10, QLatin1Char('0')), Currency::fromUnits(i));
    fill.commit();
    ASSERT_TRUE(sup.findKey({QStringLiteral("S49")}));
    sup.edit(); // the statements prepared once per connection
    sup.cancel();
    std::vector<std::int64_t> claimed;
    for (const int held : {0, 40}) {
        SCOPED_TRACE(held);
        for (int i = static_cast<int>(claimed.size()); i < held; ++i) {
            ASSERT_TRUE(sup.findKey({QStringLiteral("S%1").arg(i, 2, 10, QLatin1Char('0'))}));
            claimed.push_back(sup.recordId());
            ASSERT_TRUE(db->tryClaim(QStringLiteral("sup"), claimed.back()));
        }
        ASSERT_TRUE(sup.findKey({QStringLiteral("S45")}));
        EXPECT_EQ(sup.field(QStringLiteral("Sup_current_bal")).asMoney(), Currency::fromUnits(45));
        EXPECT_EQ(RoundTripsOf(backend(), [&] { sup.edit(); }), 1);
        EXPECT_EQ(sup.state(), DataSetState::Edit);
        sup.cancel();
    }
    for (const std::int64_t id : claimed)
        db->unlockClaim(QStringLiteral("sup"), id);
}

// A workstation whose connection broke while it held a record takes that
// lock again with the next edit, and the record that edit reads is the one
// another workstation changed meanwhile.
TEST_F(PgServerTest, AnEditAfterAReconnectionHoldsAndReadsAsBefore)
{
    Table held;
    openOn(held, QStringLiteral("sup"));
    add(held, QStringLiteral("A"), Currency::fromUnits(1));
    add(held, QStringLiteral("B"), Currency::fromUnits(2));
    ASSERT_TRUE(held.findKey({QStringLiteral("A")}));
    const std::int64_t a = held.recordId();
    held.edit();
    Table next;
    openOn(next, QStringLiteral("sup"));
    ASSERT_TRUE(next.findKey({QStringLiteral("B")}));
    const std::int64_t b = next.recordId();

    backend().dropConnectionForTest();
    EXPECT_EQ(codeOf([&] { next.edit(); }), ErrorCode::ServerUnavailable);
    EXPECT_EQ(next.state(), DataSetState::Browse);
    PgBackend other({QString::fromUtf8(qgetenv("VARNEX_SERVER")), backend().schema()});
    other.execute(QStringLiteral("UPDATE sup SET Sup_current_bal = 9 WHERE Sup_code = 'B'"), {});

    next.edit(); // connects again, takes A again, then locks and reads B
    EXPECT_EQ(next.field(QStringLiteral("Sup_current_bal")).asMoney(), Currency::fromUnits(9));
    EXPECT_FALSE(other.tryLockRecord(QStringLiteral("sup"), a)) << "the lock held before is taken again";
    EXPECT_FALSE(other.tryLockRecord(QStringLiteral("sup"), b));
    next.field(QStringLiteral("Sup_current_bal")).setMoney(Currency::fromUnits(10));
    next.post();
    held.field(QStringLiteral("Sup_current_bal")).setMoney(Currency::fromUnits(11));
    held.post();
    for (const std::int64_t id : {a, b}) {
        EXPECT_TRUE(other.tryLockRecord(QStringLiteral("sup"), id)) << "record " << id << " freed";
        other.unlockRecord(QStringLiteral("sup"), id);
    }
    const QueryResult r = other.select(QStringLiteral("SELECT SUM(Sup_current_bal) FROM sup"), {});
    EXPECT_EQ(r.rows.front().front().value<Currency>(), Currency::fromUnits(21));
}

// A cursor keeps its statements prepared on the server; they must neither
// read a table whose structure another workstation changed as it was before,
// nor be asked for on a new connection that never knew them.
TEST_F(PgServerTest, CursorStatementsAreMadeAgainAfterAStructureChangeOrANewConnection)
{
    Table sup;
    openOn(sup, QStringLiteral("sup"));
    add(sup, QStringLiteral("A"), Currency::fromUnits(1));
    add(sup, QStringLiteral("B"), Currency::fromUnits(2));
    add(sup, QStringLiteral("C"), Currency::fromUnits(3));
    auto check = [&](const char* when) {
        SCOPED_TRACE(when);
        QStringList seen;
        for (sup.first(); !sup.eof(); sup.next())
            seen << sup.field(QStringLiteral("Sup_code")).asString();
        EXPECT_EQ(seen.join(QLatin1Char(',')), QStringLiteral("A,B,C"));
        ASSERT_TRUE(sup.findKey({QStringLiteral("B")}));
        EXPECT_EQ(sup.field(QStringLiteral("Sup_current_bal")).asMoney().ticks(), 20000);
        sup.refresh();
        EXPECT_EQ(sup.field(QStringLiteral("Sup_code")).asString(), QStringLiteral("B"));
        sup.edit(); // takes the lock and reads the record again
        EXPECT_EQ(sup.field(QStringLiteral("Sup_current_bal")).asMoney().ticks(), 20000);
        sup.cancel();
    };
    check("first use");
    OtherWorkstation other(backend().schema());
    ASSERT_TRUE(other.connected());
    // The rows the statements return change type: the server refuses the
    // plans it kept for them.
    ASSERT_TRUE(other.exec("ALTER TABLE sup ALTER COLUMN sup_current_bal TYPE numeric(21,4)"));
    check("after another workstation changed a column");
    backend().dropConnectionForTest();
    EXPECT_EQ(codeOf([&] { sup.first(); }), ErrorCode::ServerUnavailable);
    check("on the new connection");
}

// A long walk reads page after page; what another workstation commits ahead
// of it meanwhile is met (or missed, when deleted) like any record there, and
// nothing is met twice or out of order.
TEST_F(PgServerTest, AWalkMeetsWhatAnotherWorkstationCommittedAheadOfIt)
{
    TableDef def;
    def.name = QStringLiteral("walk");
    def.fields = {{QStringLiteral("W_code"), FieldType::Text, 8}, {QStringLiteral("W_amount"), FieldType::Money, 0}};
    def.indexes = {{QString(), {QStringLiteral("W_code")}, true, true}};
    db->createTable(def);
    auto code = [](int i) { return QStringLiteral("W%1").arg(i, 5, 10, QLatin1Char('0')); };
    Table t;
    openOn(t, QStringLiteral("walk"), true);
    {
        Transaction tx(db);
        for (int i = 0; i < 3000; ++i) {
            t.append();
            t.field(QStringLiteral("W_code")).setString(code(2 * i));
            t.field(QStringLiteral("W_amount")).setMoney(Currency::fromUnits(1));
            t.post();
        }
        tx.commit();
    }
    t.first();
    for (int i = 0; i < 100; ++i)
        t.next();
    ASSERT_EQ(t.field(QStringLiteral("W_code")).asString(), code(200));
    OtherWorkstation other(backend().schema());
    ASSERT_TRUE(other.connected());
    ASSERT_TRUE(other.exec("DELETE FROM walk WHERE w_code IN ('W04000', 'W05998')"));
    ASSERT_TRUE(other.exec("INSERT INTO walk (w_code, w_amount) VALUES ('W04001', 1), ('W00001', 1)"));
    QStringList rest;
    for (; !t.eof(); t.next())
        rest << t.field(QStringLiteral("W_code")).asString();
    EXPECT_EQ(rest.size(), 2900 - 2 + 1);
    EXPECT_TRUE(rest.contains(QStringLiteral("W04001")));
    for (const char* gone : {"W04000", "W05998", "W00001"})
        EXPECT_FALSE(rest.contains(QLatin1String(gone))) << gone;
    for (qsizetype i = 1; i < rest.size(); ++i)
        ASSERT_LT(rest[i - 1], rest[i]) << "at " << i;
    EXPECT_EQ(rest.last(), code(5996));
}

TEST_F(PgServerTest, AFailedStatementDoesNotSpoilTheTransaction)
{
    Table sup;
    sup.setDatabase(db);
    sup.setTableName(QStringLiteral("sup"));
    sup.open();
    Transaction tx(db);
    add(sup, QStringLiteral("A"), Currency::fromUnits(1));
    EXPECT_EQ(codeOf([&] { add(sup, QStringLiteral("A"), Currency::fromUnits(1)); }), ErrorCode::KeyViolation);
    sup.cancel();
    Query bad(db, QStringLiteral("SELECT no_such_column FROM sup"));
    EXPECT_EQ(codeOf([&] { bad.open(); }), ErrorCode::FieldNotFound);
    Query update(db, QStringLiteral("UPDATE sup SET Sup_code = :c WHERE Sup_code = 'A'"));
    update.bindText(QStringLiteral("c"), QStringLiteral("ABCDEFGHIJKLMNOP"));
    EXPECT_EQ(codeOf([&] { update.execSql(); }), ErrorCode::TypeMismatch) << "longer than text(10)";
    add(sup, QStringLiteral("B"), Currency::fromUnits(2));
    tx.commit();
    EXPECT_EQ(sup.recordCount(), 2);
}

// A posting locks a record per line before its transaction. However many
// locks the workstation holds, another one is refused each at once and gets
// each back at its unlock, a write outside a transaction is seen by others
// at once, and a failed read loses no lock.
TEST_F(PgServerTest, ManyRecordLocksKeepTheirMeaningForOthers)
{
    constexpr int Records = 40;
    Table sup;
    sup.setDatabase(db);
    sup.setTableName(QStringLiteral("sup"));
    sup.open();
    for (int i = 0; i < Records; ++i)
        add(sup, QStringLiteral("S%1").arg(i, 2, 10, QLatin1Char('0')), Currency());
    PgBackend other({QString::fromUtf8(qgetenv("VARNEX_SERVER")), backend().schema()});
    const auto stateOf = [&](const QVariant& pid) {
        const QueryResult r = other.select(QStringLiteral("SELECT state FROM pg_stat_activity WHERE pid = :p"),
                                           {{QStringLiteral("p"), FieldType::Integer, pid}});
        return r.rows.empty() ? QString() : r.rows.front().front().toString();
    };
    const QVariant pid = backend().select(QStringLiteral("SELECT pg_backend_pid()"), {}).rows.front().front();
    const auto valueSeenByOther = [&](const char* code) {
        const QueryResult r = other.select(QStringLiteral("SELECT Sup_current_bal FROM sup WHERE Sup_code = :c"),
                                           {{QStringLiteral("c"), FieldType::Text, QString::fromLatin1(code)}});
        return r.rows.empty() ? QVariant() : r.rows.front().front();
    };

    std::vector<std::int64_t> ids;
    sup.first();
    for (; !sup.eof(); sup.next())
        ids.push_back(sup.recordId());
    ASSERT_EQ(ids.size(), static_cast<size_t>(Records));
    CursorSpec codes;
    codes.table = QStringLiteral("sup");
    codes.fields = {{QStringLiteral("Sup_code"), FieldType::Text, 10}};
    for (size_t i = 0; i < ids.size(); ++i) {
        ASSERT_TRUE(backend().tryLockRecord(QStringLiteral("sup"), ids[i]));
        ASSERT_TRUE(backend().readRow(codes, ids[i])); // the re-read a lock is followed by
        if (i % 8 == 0 || i + 1 == ids.size()) {       // each refusal waits a tenth of a second
            EXPECT_FALSE(other.tryLockRecord(QStringLiteral("sup"), ids[i])) << "record " << ids[i];
        }
    }
    {
        Table another; // a posting opens a cursor per locked record
        another.setDatabase(db);
        another.setTableName(QStringLiteral("sup"));
        another.open();
        EXPECT_TRUE(another.findKey({QStringLiteral("S39")}));
    }
    EXPECT_EQ(stateOf(pid), QStringLiteral("idle in transaction")) << "reads and locks share one transaction";

    // A write is never kept back in it.
    ASSERT_TRUE(sup.findKey({QStringLiteral("S05")}));
    sup.edit();
    sup.field(QStringLiteral("Sup_current_bal")).setMoney(Currency::fromUnits(7));
    sup.post();
    EXPECT_EQ(stateOf(pid), QStringLiteral("idle"));
    EXPECT_EQ(valueSeenByOther("S05").value<Currency>(), Currency::fromUnits(7));
    add(sup, QStringLiteral("NEW"), Currency::fromUnits(3));
    EXPECT_EQ(valueSeenByOther("NEW").value<Currency>(), Currency::fromUnits(3));

    // A read that fails ends the shared transaction; the locks stay.
    CursorSpec wrong;
    wrong.table = QStringLiteral("sup");
    wrong.fields = {{QStringLiteral("No_such_field"), FieldType::Text, 10}};
    EXPECT_EQ(codeOf([&] { backend().readRow(wrong, ids.front()); }), ErrorCode::FieldNotFound);
    for (const std::int64_t id : {ids.front(), ids.back()})
        EXPECT_FALSE(other.tryLockRecord(QStringLiteral("sup"), id)) << "record " << id;
    ASSERT_TRUE(backend().readRow(codes, ids.front()));
    EXPECT_EQ(stateOf(pid), QStringLiteral("idle in transaction"));

    // The posting's own transaction, then the locks freed one by one.
    {
        Transaction tx(db);
        ASSERT_TRUE(sup.findKey({QStringLiteral("S06")}));
        sup.edit();
        sup.field(QStringLiteral("Sup_current_bal")).setMoney(Currency::fromUnits(9));
        sup.post();
        tx.commit();
    }
    EXPECT_EQ(valueSeenByOther("S06").value<Currency>(), Currency::fromUnits(9));
    ASSERT_TRUE(backend().readRow(codes, ids.front()));
    EXPECT_EQ(stateOf(pid), QStringLiteral("idle in transaction"));
    for (const std::int64_t id : ids) {
        backend().unlockRecord(QStringLiteral("sup"), id);
        ASSERT_TRUE(other.tryLockRecord(QStringLiteral("sup"), id)) << "record " << id;
        other.unlockRecord(QStringLiteral("sup"), id);
    }
    EXPECT_EQ(stateOf(pid), QStringLiteral("idle")) << "no transaction left open once the locks are freed";
}

// An update that keeps its record's keys waits inside the transaction until
// something needs it. When it finally fails at the server (another program,
// which does not ask for the record locks, deleted the record or gave its key
// to another one meanwhile), the whole transaction is undone and the error
// has the code the update would have raised if sent at once, with the table
// and the record.
TEST_F(PgServerTest, AHeldBackUpdateThatFailsWhenSentUndoesTheWholeTransaction)
{
    struct Case {
        const char* edge;
        QStringList meanwhile; // what the other program does to the record HELD
        int code;
    };
    const Case cases[] = {
        {"the record deleted", {QStringLiteral("DELETE FROM sup WHERE Sup_code = 'HELD'")}, ErrorCode::RecordDeleted},
        {"its key given to another record",
         {QStringLiteral("UPDATE sup SET Sup_code = 'MOVED' WHERE Sup_code = 'HELD'"),
          QStringLiteral("INSERT INTO sup (Sup_code) VALUES ('HELD')")},
         ErrorCode::KeyViolation},
    };
    PgBackend other({QString::fromUtf8(qgetenv("VARNEX_SERVER")), backend().schema()});
    auto otherDoes = [&](const QStringList& statements) {
        for (const QString& sql : statements)
            other.execute(sql, {});
    };
    Table sup;
    sup.setDatabase(db);
    sup.setTableName(QStringLiteral("sup"));
    sup.open();
    auto addOne = [&](Table& t, const char* code) {
        ASSERT_TRUE(t.findKey({QLatin1String(code)}));
        t.edit();
        t.field(QStringLiteral("Sup_current_bal"))
            .setMoney(t.field(QStringLiteral("Sup_current_bal")).asMoney() + Currency::fromUnits(1));
        t.post();
    };
    auto balanceOf = [&](const char* code) {
        Table t;
        t.setDatabase(db);
        t.setTableName(QStringLiteral("sup"));
        t.open();
        return t.findKey({QLatin1String(code)}) ? t.field(QStringLiteral("Sup_current_bal")).asMoney()
                                                : Currency::fromUnits(-1);
    };
    for (const Case& c : cases) {
        for (const bool sentByAQuery : {false, true}) {
            SCOPED_TRACE(std::string(c.edge) + (sentByAQuery ? ", sent by a query" : ", sent by the commit"));
            other.execute(QStringLiteral("DELETE FROM sup"), {});
            add(sup, QStringLiteral("HELD"), Currency::fromUnits(10));
            add(sup, QStringLiteral("OTHER"), Currency::fromUnits(20));

            // Sent at once (outside a transaction), the update fails with this code.
            ASSERT_TRUE(sup.findKey({QStringLiteral("HELD")}));
            sup.edit();
            otherDoes(c.meanwhile);
            EXPECT_EQ(codeOf([&] { sup.post(); }), c.code);
            sup.cancel();
            other.execute(QStringLiteral("DELETE FROM sup WHERE Sup_code <> 'OTHER'"), {});
            add(sup, QStringLiteral("HELD"), Currency::fromUnits(10));

            int code = 0;
            QString message;
            {
                Transaction tx(db);
                addOne(sup, "HELD");
                addOne(sup, "OTHER");
                add(sup, QStringLiteral("NEW"), Currency::fromUnits(5));
                addOne(sup, "HELD");
                otherDoes(c.meanwhile);
                try {
                    if (sentByAQuery)
                        Query(db, QStringLiteral("SELECT COUNT(*) FROM sup")).open();
                    tx.commit();
                } catch (const EngineError& e) {
                    code = e.code();
                    message = e.message();
                }
                if (sentByAQuery) {
                    EXPECT_EQ(codeOf([&] { add(sup, QStringLiteral("LATE"), Currency()); }), ErrorCode::WriteFailed);
                    sup.cancel();
                    EXPECT_EQ(codeOf([&] { tx.commit(); }), ErrorCode::WriteFailed) << "never reported as posted";
                }
            }
            EXPECT_EQ(code, c.code);
            EXPECT_TRUE(message.contains(QStringLiteral("sup")) && message.contains(QStringLiteral("record HELD")))
                << message.toStdString();
            EXPECT_EQ(balanceOf("OTHER"), Currency::fromUnits(20)) << "nothing of the transaction kept";
            EXPECT_EQ(balanceOf("NEW"), Currency::fromUnits(-1));
            EXPECT_EQ(balanceOf("HELD"), c.code == ErrorCode::RecordDeleted ? Currency::fromUnits(-1) : Currency())
                << "what the other program did stays";
        }
    }
}

} // namespace
} // namespace varnex::data

namespace varnex::data {
namespace {

// Books moved to the server and back keep every value of every type; a
// record changed on one side shows in the comparison.
TEST_F(PgServerTest, CopyBetweenEnginesKeepsEveryValueAndFindsADifference)
{
    QTemporaryDir folder;
    TableDef def;
    def.name = QStringLiteral("AllTypes");
    def.fields = {
        {QStringLiteral("Code"), FieldType::Text, 8},       {QStringLiteral("Small"), FieldType::ShortInteger, 0},
        {QStringLiteral("Whole"), FieldType::Integer, 0},   {QStringLiteral("Rate"), FieldType::Number, 0},
        {QStringLiteral("Amount"), FieldType::Money, 0},    {QStringLiteral("Flag"), FieldType::Logical, 0},
        {QStringLiteral("Day"), FieldType::Date, 0},        {QStringLiteral("At"), FieldType::Time, 0},
        {QStringLiteral("Stamp"), FieldType::Timestamp, 0}, {QStringLiteral("Number"), FieldType::AutoIncrement, 0},
        {QStringLiteral("Note"), FieldType::Memo, 40},      {QStringLiteral("Rights"), FieldType::Bytes, 4},
        {QStringLiteral("Blob"), FieldType::Binary, 0}};
    def.indexes = {{QString(), {QStringLiteral("Code")}, true, true},
                   {QStringLiteral("ByDay"), {QStringLiteral("Day")}, false, false}};
    {
        m_env.set("VARNEX_ENGINE", "sqlite");
        auto local = Database::forFolder(folder.path());
        local->createTable(def);
        Table t;
        t.setDatabase(local);
        t.setTableName(QStringLiteral("AllTypes"));
        t.open();
        for (int i = 0; i < 3; ++i) {
            t.append();
            t.field(QStringLiteral("Code")).setString(QStringLiteral("C%1").arg(i));
            if (i > 0) { // the first record keeps every field empty
                t.field(QStringLiteral("Small")).setInteger(-32768 + i);
                t.field(QStringLiteral("Whole")).setInteger(2147483647 - i);
                t.field(QStringLiteral("Rate")).setNumber(0.1 * i);
                t.field(QStringLiteral("Amount")).setMoney(Currency::fromTicks(-123456789012345LL * i));
                t.field(QStringLiteral("Flag")).setLogical(i == 1);
                t.field(QStringLiteral("Day")).setDate(QDate(2024, 2, 29));
                t.field(QStringLiteral("At")).setTime(QTime(23, 59, 59, 999));
                t.field(QStringLiteral("Stamp")).setTimestamp(QDateTime(QDate(1999, 12, 31), QTime(0, 0, 0, 1)));
                t.field(QStringLiteral("Note"))
                    .setString(QString::fromUtf8("\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80 ")
                               + QString(3000, QLatin1Char('x')));
                t.field(QStringLiteral("Rights")).setBytes(QByteArray("\x00\x01", 2));
                t.field(QStringLiteral("Blob")).setBytes(QByteArray("\xff\x00\x7f", 3));
            }
            t.post();
        }
        m_env.set("VARNEX_ENGINE", "postgresql");
    }
    auto allSame = [](const QList<TableComparison>& tables) {
        return std::all_of(tables.begin(), tables.end(), [](const TableComparison& c) { return c.same(); });
    };
    const auto copied = CopyFolderBetweenEngines(folder.path(), EngineKind::Embedded, EngineKind::Server, false);
    ASSERT_EQ(copied.size(), 1);
    EXPECT_EQ(copied[0].targetRows, 3);
    EXPECT_TRUE(allSame(copied));

    auto server = Database::forFolder(folder.path());
    const TableDef stored = server->tableDef(QStringLiteral("alltypes"));
    EXPECT_EQ(stored.name, QStringLiteral("AllTypes"));
    ASSERT_EQ(stored.fields.size(), def.fields.size());
    for (int i = 0; i < def.fields.size(); ++i) {
        EXPECT_EQ(stored.fields[i].name, def.fields[i].name);
        EXPECT_EQ(stored.fields[i].type, def.fields[i].type) << def.fields[i].name.toStdString();
    }
    EXPECT_EQ(stored.fields[10].size, 40);
    EXPECT_EQ(stored.fields[11].size, 4);
    ASSERT_EQ(stored.indexes.size(), 2);
    EXPECT_TRUE(stored.indexes[0].primary);
    EXPECT_EQ(stored.indexes[1].name, QStringLiteral("ByDay"));

    EXPECT_EQ(codeOf([&] { CopyFolderBetweenEngines(folder.path(), EngineKind::Embedded, EngineKind::Server, false); }),
              ErrorCode::TableExists)
        << "never over existing books unless asked";

    Query change(server, QStringLiteral("UPDATE AllTypes SET Amount = :a WHERE Code = 'C2'"));
    change.bindMoney(QStringLiteral("a"), Currency::fromTicks(1));
    ASSERT_EQ(change.execSql(), 1);
    EXPECT_FALSE(allSame(CompareFolderBetweenEngines(folder.path(), EngineKind::Embedded, EngineKind::Server)));
    EXPECT_TRUE(allSame(CopyFolderBetweenEngines(folder.path(), EngineKind::Server, EngineKind::Embedded, true)));
    EXPECT_TRUE(allSame(CompareFolderBetweenEngines(folder.path(), EngineKind::Embedded, EngineKind::Server)));
}

} // namespace
} // namespace varnex::data
