// Engine against raw SQLite on the same data, same pragmas (WAL, synchronous
// FULL), same work. Run: engine_bench [--benchmark_filter=...]. The engine's
// overhead is the ratio of each Engine/... line to its Raw/... twin.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QDir>
#include <QTemporaryDir>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "varnex/data/database.h"
#include "varnex/data/query.h"
#include "varnex/data/table.h"

using namespace varnex;
using namespace varnex::data;

namespace {

constexpr int Records = 100000;
constexpr int Masters = 20000;
constexpr int LinesPerMaster = 5;
constexpr int Finds = 10000;

QString code(int i)
{
    return QStringLiteral("S%1").arg(i, 7, 10, QLatin1Char('0'));
}
std::string rawCode(int i)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "S%07d", i);
    return buffer;
}

TableDef supplierDef(const QString& name)
{
    TableDef def;
    def.name = name;
    def.fields = {{QStringLiteral("Sup_code"), FieldType::Text, 10},
                  {QStringLiteral("Sup_name"), FieldType::Text, 30},
                  {QStringLiteral("Sup_current_bal"), FieldType::Money, 0},
                  {QStringLiteral("Sup_terms"), FieldType::ShortInteger, 0},
                  {QStringLiteral("Sup_since"), FieldType::Date, 0}};
    def.indexes = {{QString(), {QStringLiteral("Sup_code")}, true, true}};
    return def;
}

TableDef itemDef(const QString& name)
{
    TableDef def;
    def.name = name;
    def.fields = {{QStringLiteral("Cap_supplier"), FieldType::Text, 10},
                  {QStringLiteral("Cap_invoice"), FieldType::Text, 12},
                  {QStringLiteral("Cap_amount"), FieldType::Money, 0}};
    def.indexes = {{QString(), {QStringLiteral("Cap_supplier"), QStringLiteral("Cap_invoice")}, true, true}};
    return def;
}

TableDef workDef(const QString& name)
{
    TableDef def;
    def.name = name;
    def.fields = {{QStringLiteral("Line_code"), FieldType::Text, 4},
                  {QStringLiteral("Item_code"), FieldType::Text, 20},
                  {QStringLiteral("Qty"), FieldType::Number, 0},
                  {QStringLiteral("Cost"), FieldType::Money, 0}};
    def.indexes = {{QString(), {QStringLiteral("Line_code"), QStringLiteral("Item_code")}, true, true}};
    return def;
}

// ---- raw SQLite helpers -------------------------------------------------------

struct RawDb {
    sqlite3* db = nullptr;
    explicit RawDb(const std::string& path)
    {
        sqlite3_open(path.c_str(), &db);
        sqlite3_busy_timeout(db, 5000);
        exec("PRAGMA journal_mode=WAL");
        exec("PRAGMA synchronous=FULL");
    }
    ~RawDb() { sqlite3_close_v2(db); }
    void exec(const char* sql) { sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
    sqlite3_stmt* prepare(const char* sql)
    {
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
        return s;
    }
};

void bindText(sqlite3_stmt* s, int i, const std::string& v)
{
    sqlite3_bind_text(s, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
}

// What a raw program keeps of a row it reads.
struct RawSupplier {
    std::string code, name, since;
    std::int64_t balance = 0;
    int terms = 0;
};

void readRawSupplier(sqlite3_stmt* s, int first, RawSupplier& row)
{
    row.code.assign(reinterpret_cast<const char*>(sqlite3_column_text(s, first)),
                    static_cast<size_t>(sqlite3_column_bytes(s, first)));
    row.name.assign(reinterpret_cast<const char*>(sqlite3_column_text(s, first + 1)),
                    static_cast<size_t>(sqlite3_column_bytes(s, first + 1)));
    row.balance = sqlite3_column_int64(s, first + 2);
    row.terms = sqlite3_column_int(s, first + 3);
    row.since.assign(reinterpret_cast<const char*>(sqlite3_column_text(s, first + 4)),
                     static_cast<size_t>(sqlite3_column_bytes(s, first + 4)));
}

// ---- shared fixture: one folder for the engine, one file for raw ------------

struct Setup {
    QTemporaryDir engineDir;
    QTemporaryDir rawDir;
    std::shared_ptr<Database> db;
    std::unique_ptr<RawDb> raw;

    Setup()
    {
        db = Database::forFolder(engineDir.path());
        raw = std::make_unique<RawDb>(QDir(rawDir.path()).filePath(QStringLiteral("raw.sqlite")).toStdString());
        // Same structure on both sides (the raw side copies the engine's DDL).
        db->createTable(supplierDef(QStringLiteral("sup")));
        db->createTable(itemDef(QStringLiteral("cap")));
        copySchema();
        fillEngine();
        fillRaw();
    }

    void copySchema()
    {
        // The raw side is SQLite whichever engine is measured (VARNEX_ENGINE=
        // postgresql measures the server): its DDL comes from an engine
        // database made on SQLite.
        const QByteArray engine = qgetenv("VARNEX_ENGINE");
        qunsetenv("VARNEX_ENGINE");
        QTemporaryDir schemaDir;
        auto sqlite = Database::forFolder(schemaDir.path());
        if (!engine.isEmpty())
            qputenv("VARNEX_ENGINE", engine);
        sqlite->createTable(supplierDef(QStringLiteral("sup")));
        sqlite->createTable(itemDef(QStringLiteral("cap")));
        Query ddl(sqlite, QStringLiteral("SELECT sql FROM sqlite_schema WHERE sql IS NOT NULL"));
        ddl.open();
        for (ddl.first(); !ddl.eof(); ddl.next())
            raw->exec(ddl.fieldByNumber(0).asString().toUtf8().constData());
    }

    void fillEngine()
    {
        Table sup;
        sup.setDatabase(db);
        sup.setTableName(QStringLiteral("sup"));
        sup.open();
        Table cap;
        cap.setDatabase(db);
        cap.setTableName(QStringLiteral("cap"));
        cap.open();
        Transaction tx(db);
        for (int i = 0; i < Records; ++i) {
            sup.append();
            sup.field(QStringLiteral("Sup_code")).setString(code(i));
            sup.field(QStringLiteral("Sup_name")).setString(QStringLiteral("Supplier number %1").arg(i));
            sup.field(QStringLiteral("Sup_current_bal")).setMoney(Currency::fromTicks(i * 137));
            sup.field(QStringLiteral("Sup_terms")).setInteger(30);
            sup.field(QStringLiteral("Sup_since")).setDate(QDate(2020, 1, 1).addDays(i % 1000));
            sup.post();
        }
        for (int m = 0; m < Masters; ++m)
            for (int l = 0; l < LinesPerMaster; ++l) {
                cap.append();
                cap.field(QStringLiteral("Cap_supplier")).setString(code(m));
                cap.field(QStringLiteral("Cap_invoice")).setString(QStringLiteral("INV%1").arg(l));
                cap.field(QStringLiteral("Cap_amount")).setMoney(Currency::fromTicks(m + l));
                cap.post();
            }
        tx.commit();
    }

    void fillRaw()
    {
        raw->exec("BEGIN IMMEDIATE");
        sqlite3_stmt* s = raw->prepare(
            "INSERT INTO sup (Sup_code, Sup_name, Sup_current_bal, Sup_terms, Sup_since) VALUES (?,?,?,?,?)");
        for (int i = 0; i < Records; ++i) {
            bindText(s, 1, rawCode(i));
            bindText(s, 2, "Supplier number " + std::to_string(i));
            sqlite3_bind_int64(s, 3, static_cast<std::int64_t>(i) * 137);
            sqlite3_bind_int(s, 4, 30);
            bindText(s, 5, QDate(2020, 1, 1).addDays(i % 1000).toString(Qt::ISODate).toStdString());
            sqlite3_step(s);
            sqlite3_reset(s);
        }
        sqlite3_finalize(s);
        s = raw->prepare("INSERT INTO cap (Cap_supplier, Cap_invoice, Cap_amount) VALUES (?,?,?)");
        for (int m = 0; m < Masters; ++m)
            for (int l = 0; l < LinesPerMaster; ++l) {
                bindText(s, 1, rawCode(m));
                bindText(s, 2, "INV" + std::to_string(l));
                sqlite3_bind_int64(s, 3, m + l);
                sqlite3_step(s);
                sqlite3_reset(s);
            }
        sqlite3_finalize(s);
        raw->exec("COMMIT");
    }
};

Setup& shared()
{
    static Setup setup;
    return setup;
}

// ---- insert 100,000 records in one transaction --------------------------------

void Engine_Insert100k(benchmark::State& state)
{
    auto& s = shared();
    for (auto _ : state) {
        state.PauseTiming();
        s.db->dropTable(QStringLiteral("ins"));
        s.db->createTable(supplierDef(QStringLiteral("ins")));
        Table t;
        t.setDatabase(s.db);
        t.setTableName(QStringLiteral("ins"));
        t.open();
        state.ResumeTiming();
        Field& codeField = t.field(QStringLiteral("Sup_code"));
        Field& name = t.field(QStringLiteral("Sup_name"));
        Field& balance = t.field(QStringLiteral("Sup_current_bal"));
        Field& terms = t.field(QStringLiteral("Sup_terms"));
        Field& since = t.field(QStringLiteral("Sup_since"));
        Transaction tx(s.db);
        for (int i = 0; i < Records; ++i) {
            t.append();
            codeField.setString(code(i));
            name.setString(QStringLiteral("Supplier number %1").arg(i));
            balance.setMoney(Currency::fromTicks(i * 137));
            terms.setInteger(30);
            since.setDate(QDate(2020, 1, 1).addDays(i % 1000));
            t.post();
        }
        tx.commit();
    }
    state.SetItemsProcessed(state.iterations() * Records);
}

void Raw_Insert100k(benchmark::State& state)
{
    auto& s = shared();
    for (auto _ : state) {
        state.PauseTiming();
        s.raw->exec("DROP TABLE IF EXISTS ins");
        s.raw->exec("CREATE TABLE ins (Sup_code TEXT(10) CHECK (length(Sup_code) <= 10), Sup_name TEXT(30) CHECK "
                    "(length(Sup_name) <= 30), "
                    "Sup_current_bal MONEY_INT, Sup_terms SMALLINT, Sup_since DATE_TEXT, PRIMARY KEY (Sup_code))");
        state.ResumeTiming();
        s.raw->exec("BEGIN IMMEDIATE");
        sqlite3_stmt* st = s.raw->prepare(
            "INSERT INTO ins (Sup_code, Sup_name, Sup_current_bal, Sup_terms, Sup_since) VALUES (?,?,?,?,?)");
        for (int i = 0; i < Records; ++i) {
            // The same conversions a raw program makes from its own values.
            const QString c = code(i);
            const QString n = QStringLiteral("Supplier number %1").arg(i);
            const QByteArray d = QDate(2020, 1, 1).addDays(i % 1000).toString(Qt::ISODate).toLatin1();
            const QByteArray cu = c.toUtf8(), nu = n.toUtf8();
            sqlite3_bind_text(st, 1, cu.constData(), static_cast<int>(cu.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 2, nu.constData(), static_cast<int>(nu.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int64(st, 3, static_cast<std::int64_t>(i) * 137);
            sqlite3_bind_int(st, 4, 30);
            sqlite3_bind_text(st, 5, d.constData(), static_cast<int>(d.size()), SQLITE_TRANSIENT);
            if (sqlite3_step(st) != SQLITE_DONE)
                state.SkipWithError("insert failed");
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        s.raw->exec("COMMIT");
    }
    state.SetItemsProcessed(state.iterations() * Records);
}

// ---- keyed find -------------------------------------------------------------

std::vector<int> findOrder()
{
    std::mt19937 random(42);
    std::uniform_int_distribution<int> pick(0, Records - 1);
    std::vector<int> keys(Finds);
    for (int& k : keys)
        k = pick(random);
    return keys;
}

void Engine_KeyedFind(benchmark::State& state)
{
    auto& s = shared();
    const auto keys = findOrder();
    Table t;
    t.setDatabase(s.db);
    t.setTableName(QStringLiteral("sup"));
    t.open();
    Field& balance = t.field(QStringLiteral("Sup_current_bal"));
    std::int64_t sum = 0;
    for (auto _ : state) {
        for (int k : keys) {
            if (!t.findKey({code(k)}))
                state.SkipWithError("not found");
            sum += balance.asMoney().ticks();
        }
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * Finds);
}

void Raw_KeyedFind(benchmark::State& state)
{
    auto& s = shared();
    const auto keys = findOrder();
    sqlite3_stmt* st = s.raw->prepare(
        "SELECT rowid, Sup_code, Sup_name, Sup_current_bal, Sup_terms, Sup_since FROM sup WHERE Sup_code = ?");
    std::int64_t sum = 0;
    RawSupplier row;
    for (auto _ : state) {
        for (int k : keys) {
            const QByteArray key = code(k).toUtf8();
            sqlite3_bind_text(st, 1, key.constData(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
            if (sqlite3_step(st) != SQLITE_ROW)
                state.SkipWithError("not found");
            readRawSupplier(st, 1, row);
            sum += row.balance;
            sqlite3_reset(st);
        }
    }
    sqlite3_finalize(st);
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * Finds);
}

// ---- full cursor walk ---------------------------------------------------------

void Engine_FullWalk(benchmark::State& state)
{
    auto& s = shared();
    Table t;
    t.setDatabase(s.db);
    t.setTableName(QStringLiteral("sup"));
    t.open();
    Field& balance = t.field(QStringLiteral("Sup_current_bal"));
    std::int64_t sum = 0;
    for (auto _ : state) {
        for (t.first(); !t.eof(); t.next())
            sum += balance.asMoney().ticks();
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * Records);
}

void Raw_FullWalk(benchmark::State& state)
{
    auto& s = shared();
    sqlite3_stmt* st = s.raw->prepare(
        "SELECT rowid, Sup_code, Sup_name, Sup_current_bal, Sup_terms, Sup_since FROM sup ORDER BY Sup_code");
    std::int64_t sum = 0;
    RawSupplier row;
    for (auto _ : state) {
        while (sqlite3_step(st) == SQLITE_ROW) {
            readRawSupplier(st, 1, row);
            sum += row.balance;
        }
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * Records);
}

// ---- master/detail walk over 20,000 masters -----------------------------------

void Engine_MasterDetailWalk(benchmark::State& state)
{
    auto& s = shared();
    Table sup;
    sup.setDatabase(s.db);
    sup.setTableName(QStringLiteral("sup"));
    sup.open();
    Table cap;
    cap.setDatabase(s.db);
    cap.setTableName(QStringLiteral("cap"));
    cap.setIndexFieldNames(QStringLiteral("Cap_supplier"));
    cap.open();
    cap.setMaster(&sup, QStringLiteral("Sup_code"));
    Field& amount = cap.field(QStringLiteral("Cap_amount"));
    std::int64_t sum = 0;
    for (auto _ : state) {
        int masters = 0;
        for (sup.first(); !sup.eof() && masters < Masters; sup.next(), ++masters)
            for (cap.first(); !cap.eof(); cap.next())
                sum += amount.asMoney().ticks();
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * Masters);
}

void Raw_MasterDetailWalk(benchmark::State& state)
{
    auto& s = shared();
    sqlite3_stmt* master = s.raw->prepare(
        "SELECT rowid, Sup_code, Sup_name, Sup_current_bal, Sup_terms, Sup_since FROM sup ORDER BY Sup_code LIMIT ?");
    sqlite3_stmt* detail = s.raw->prepare("SELECT rowid, Cap_supplier, Cap_invoice, Cap_amount FROM cap WHERE "
                                          "Cap_supplier = ? ORDER BY Cap_supplier, rowid");
    std::int64_t sum = 0;
    RawSupplier row;
    std::string supplier, invoice;
    for (auto _ : state) {
        sqlite3_bind_int(master, 1, Masters);
        while (sqlite3_step(master) == SQLITE_ROW) {
            readRawSupplier(master, 1, row);
            bindText(detail, 1, row.code);
            while (sqlite3_step(detail) == SQLITE_ROW) {
                supplier.assign(reinterpret_cast<const char*>(sqlite3_column_text(detail, 1)));
                invoice.assign(reinterpret_cast<const char*>(sqlite3_column_text(detail, 2)));
                sum += sqlite3_column_int64(detail, 3);
            }
            sqlite3_reset(detail);
        }
        sqlite3_reset(master);
    }
    sqlite3_finalize(master);
    sqlite3_finalize(detail);
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * Masters);
}

// ---- fill a 100,000-line work table -------------------------------------------

void Engine_WorkTableFill(benchmark::State& state)
{
    auto& s = shared();
    if (!s.db->tableExists(QStringLiteral("cfrdet017")))
        s.db->createTable(workDef(QStringLiteral("cfrdet017")));
    Table t;
    t.setDatabase(s.db);
    t.setTableName(QStringLiteral("cfrdet017"));
    t.open();
    Field& line = t.field(QStringLiteral("Line_code"));
    Field& item = t.field(QStringLiteral("Item_code"));
    Field& qty = t.field(QStringLiteral("Qty"));
    Field& cost = t.field(QStringLiteral("Cost"));
    for (auto _ : state) {
        Transaction tx(s.db);
        s.db->emptyTable(QStringLiteral("cfrdet017"));
        for (int i = 0; i < Records; ++i) {
            t.append();
            line.setString(QStringLiteral("L%1").arg(i % 100));
            item.setString(QStringLiteral("ITEM%1").arg(i));
            qty.setNumber(i * 0.5);
            cost.setMoney(Currency::fromTicks(i * 10));
            t.post();
        }
        tx.commit();
    }
    state.SetItemsProcessed(state.iterations() * Records);
}

void Raw_WorkTableFill(benchmark::State& state)
{
    auto& s = shared();
    s.raw->exec("CREATE TABLE IF NOT EXISTS cfrdet017 (Line_code TEXT(4) CHECK (length(Line_code) <= 4), "
                "Item_code TEXT(20) CHECK (length(Item_code) <= 20), Qty DOUBLE, Cost MONEY_INT, PRIMARY KEY "
                "(Line_code, Item_code))");
    sqlite3_stmt* st = s.raw->prepare("INSERT INTO cfrdet017 (Line_code, Item_code, Qty, Cost) VALUES (?,?,?,?)");
    for (auto _ : state) {
        s.raw->exec("BEGIN IMMEDIATE");
        s.raw->exec("DELETE FROM cfrdet017");
        for (int i = 0; i < Records; ++i) {
            const QByteArray l = QStringLiteral("L%1").arg(i % 100).toUtf8();
            const QByteArray it = QStringLiteral("ITEM%1").arg(i).toUtf8();
            sqlite3_bind_text(st, 1, l.constData(), static_cast<int>(l.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 2, it.constData(), static_cast<int>(it.size()), SQLITE_TRANSIENT);
            sqlite3_bind_double(st, 3, i * 0.5);
            sqlite3_bind_int64(st, 4, static_cast<std::int64_t>(i) * 10);
            if (sqlite3_step(st) != SQLITE_DONE)
                state.SkipWithError("insert failed");
            sqlite3_reset(st);
        }
        s.raw->exec("COMMIT");
    }
    sqlite3_finalize(st);
    state.SetItemsProcessed(state.iterations() * Records);
}

} // namespace

BENCHMARK(Engine_Insert100k)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Raw_Insert100k)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Engine_KeyedFind)->Unit(benchmark::kMillisecond);
BENCHMARK(Raw_KeyedFind)->Unit(benchmark::kMillisecond);
BENCHMARK(Engine_FullWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(Raw_FullWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(Engine_MasterDetailWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(Raw_MasterDetailWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(Engine_WorkTableFill)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Raw_WorkTableFill)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
