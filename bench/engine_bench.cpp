// Engine against raw SQLite on the same data, same pragmas (WAL, synchronous
// FULL), same work. Run: engine_bench [--benchmark_filter=...]. The engine's
// overhead is the ratio of each Engine/... line to its Raw/... twin.
//
// With VARNEX_ENGINE=postgresql and VARNEX_SERVER set, the Engine/... lines
// measure the server engine, and RawPg/... lines do the same work with
// hand-written libpq calls on the same server (prepared statements, one query
// for a walk, pipeline mode or COPY for runs of inserts): the server engine's
// overhead is the ratio to the best of those.

#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "varnex/data/database.h"
#include "varnex/data/query.h"
#include "varnex/data/table.h"
#include "varnex/widgets/datasetmodel.h"

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

// "YYYY-MM-DD" for the years the benchmark writes, without Qt's general
// date formatter (which costs more than the insert itself).
void isoDate(const QDate& date, char (&out)[10])
{
    int y = 0, m = 0, d = 0;
    date.getDate(&y, &m, &d);
    const int parts[] = {y / 1000, y / 100 % 10, y / 10 % 10, y % 10, -1, m / 10, m % 10, -1, d / 10, d % 10};
    for (int i = 0; i < 10; ++i)
        out[i] = parts[i] < 0 ? '-' : static_cast<char>('0' + parts[i]);
}

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

// The raw side is SQLite whichever engine is measured (VARNEX_ENGINE=
// postgresql measures the server): its DDL comes from an engine database
// made on SQLite.
void copySchemaTo(RawDb& raw, const std::vector<TableDef>& defs)
{
    const QByteArray engine = qgetenv("VARNEX_ENGINE");
    qunsetenv("VARNEX_ENGINE");
    QTemporaryDir schemaDir;
    auto sqlite = Database::forFolder(schemaDir.path());
    if (!engine.isEmpty())
        qputenv("VARNEX_ENGINE", engine);
    for (const TableDef& def : defs)
        sqlite->createTable(def);
    Query ddl(sqlite, QStringLiteral("SELECT sql FROM sqlite_schema WHERE sql IS NOT NULL"));
    ddl.open();
    for (ddl.first(); !ddl.eof(); ddl.next())
        raw.exec(ddl.fieldByNumber(0).asString().toUtf8().constData());
}

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

    void copySchema() { copySchemaTo(*raw, {supplierDef(QStringLiteral("sup")), itemDef(QStringLiteral("cap"))}); }

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
        sup.setBatchedAppends(true);
        cap.setBatchedAppends(true);
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

void insert100k(benchmark::State& state, bool batched)
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
        t.setBatchedAppends(batched);
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

void Engine_Insert100k(benchmark::State& state)
{
    insert100k(state, false);
}

// The same with the appends sent in batches (the server engine's pipeline).
void Engine_Insert100kBatched(benchmark::State& state)
{
    insert100k(state, true);
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
            // The same conversions a raw program makes from its own values;
            // its buffers live until the step, so SQLite need not copy them.
            const QString c = code(i);
            const QString n = QStringLiteral("Supplier number %1").arg(i);
            char d[10];
            isoDate(QDate(2020, 1, 1).addDays(i % 1000), d);
            const QByteArray cu = c.toUtf8(), nu = n.toUtf8();
            sqlite3_bind_text(st, 1, cu.constData(), static_cast<int>(cu.size()), SQLITE_STATIC);
            sqlite3_bind_text(st, 2, nu.constData(), static_cast<int>(nu.size()), SQLITE_STATIC);
            sqlite3_bind_int64(st, 3, static_cast<std::int64_t>(i) * 137);
            sqlite3_bind_int(st, 4, 30);
            sqlite3_bind_text(st, 5, d, static_cast<int>(sizeof d), SQLITE_STATIC);
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

// `consistent`: each walk inside one ConsistentRead, as a report reads, so
// that every detail fetch reads the walk's one snapshot instead of opening a
// read of its own.
void masterDetailWalk(benchmark::State& state, bool consistent)
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
        std::optional<ConsistentRead> read;
        if (consistent)
            read.emplace(s.db);
        int masters = 0;
        for (sup.first(); !sup.eof() && masters < Masters; sup.next(), ++masters)
            for (cap.first(); !cap.eof(); cap.next())
                sum += amount.asMoney().ticks();
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * Masters);
}

// Beside Raw_MasterDetailWalkFreshReads: the same rule of visibility.
void Engine_MasterDetailWalk(benchmark::State& state)
{
    masterDetailWalk(state, false);
}

// Beside Raw_MasterDetailWalk (and RawPg_MasterDetailWalk): one snapshot.
void Engine_MasterDetailWalkConsistent(benchmark::State& state)
{
    masterDetailWalk(state, true);
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

// The same walk for a program that must see other workstations' commits at
// every master move, as the engine does: the masters are read a page at a
// time and every detail query runs on its own, in a read transaction of
// its own. Beside the line above it tells the cost of that rule apart from
// the engine's own.
void Raw_MasterDetailWalkFreshReads(benchmark::State& state)
{
    auto& s = shared();
    constexpr int Page = 512;
    sqlite3_stmt* master = s.raw->prepare("SELECT rowid, Sup_code, Sup_name, Sup_current_bal, Sup_terms, Sup_since "
                                          "FROM sup WHERE Sup_code > ? ORDER BY Sup_code LIMIT ?");
    sqlite3_stmt* detail = s.raw->prepare("SELECT rowid, Cap_supplier, Cap_invoice, Cap_amount FROM cap WHERE "
                                          "Cap_supplier = ? ORDER BY Cap_supplier, rowid");
    std::int64_t sum = 0;
    std::vector<RawSupplier> page(Page);
    std::string supplier, invoice;
    for (auto _ : state) {
        int masters = 0;
        std::string after;
        while (masters < Masters) {
            bindText(master, 1, after);
            sqlite3_bind_int(master, 2, Page);
            int rows = 0;
            while (rows < Page && sqlite3_step(master) == SQLITE_ROW)
                readRawSupplier(master, 1, page[static_cast<size_t>(rows++)]);
            sqlite3_reset(master);
            if (rows == 0)
                break;
            for (int r = 0; r < rows && masters < Masters; ++r, ++masters) {
                bindText(detail, 1, page[static_cast<size_t>(r)].code);
                while (sqlite3_step(detail) == SQLITE_ROW) {
                    supplier.assign(reinterpret_cast<const char*>(sqlite3_column_text(detail, 1)));
                    invoice.assign(reinterpret_cast<const char*>(sqlite3_column_text(detail, 2)));
                    sum += sqlite3_column_int64(detail, 3);
                }
                sqlite3_reset(detail);
            }
            after = page[static_cast<size_t>(rows - 1)].code;
        }
    }
    sqlite3_finalize(master);
    sqlite3_finalize(detail);
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * Masters);
}

// ---- a posting that changes the same records again and again --------------------

// Like a long stock receipt: every line changes a record of its own and, again,
// the two records every line adds to (the supplier's statistics, the order's
// header), all in one transaction.
void Engine_RepeatedUpdates(benchmark::State& state)
{
    auto& s = shared();
    const int rounds = static_cast<int>(state.range(0));
    Table t;
    t.setDatabase(s.db);
    t.setTableName(QStringLiteral("sup"));
    t.open();
    Field& balance = t.field(QStringLiteral("Sup_current_bal"));
    auto add = [&](int k) {
        if (!t.findKey({code(k)}))
            state.SkipWithError("not found");
        t.edit();
        balance.setMoney(balance.asMoney() + Currency::fromTicks(100));
        t.post();
    };
    for (auto _ : state) {
        Transaction tx(s.db);
        for (int i = 0; i < rounds; ++i) {
            add(10 + i);
            add(1);
            add(2);
        }
        tx.commit();
    }
    state.SetItemsProcessed(state.iterations() * rounds * 3);
}

// ---- fill a 100,000-line work table -------------------------------------------

void workTableFill(benchmark::State& state, bool batched)
{
    auto& s = shared();
    // A fresh table for each run, as the raw baselines make theirs: the dead
    // records of earlier runs would otherwise weigh on this one's deletes and
    // key checks and not on theirs.
    s.db->dropTable(QStringLiteral("cfrdet017"));
    s.db->createTable(workDef(QStringLiteral("cfrdet017")));
    Table t;
    t.setDatabase(s.db);
    t.setTableName(QStringLiteral("cfrdet017"));
    t.open();
    t.setBatchedAppends(batched);
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

void Engine_WorkTableFill(benchmark::State& state)
{
    workTableFill(state, false);
}

void Engine_WorkTableFillBatched(benchmark::State& state)
{
    workTableFill(state, true);
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
            sqlite3_bind_text(st, 1, l.constData(), static_cast<int>(l.size()), SQLITE_STATIC);
            sqlite3_bind_text(st, 2, it.constData(), static_cast<int>(it.size()), SQLITE_STATIC);
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

// ---- an account statement of 100,000 lines ------------------------------------

// One account's lines in the order of its statement (account, date; sixty
// lines a day, so dates tie and the record id breaks the ties), on the
// engine and in a raw SQLite file. Made the first time a line below runs.
constexpr int StatementLines = 100000;
// The record a step back is taken from, near the start of the statement.
constexpr int NearStart = 100;

TableDef statementDef()
{
    TableDef def;
    def.name = QStringLiteral("stm");
    def.fields = {{QStringLiteral("Stm_acct"), FieldType::Text, 8},
                  {QStringLiteral("Stm_date"), FieldType::Date, 0},
                  {QStringLiteral("Stm_ref"), FieldType::Text, 10},
                  {QStringLiteral("Stm_amount"), FieldType::Money, 0}};
    def.indexes = {{QString(), {QStringLiteral("Stm_ref")}, true, true},
                   {QStringLiteral("ByDate"), {QStringLiteral("Stm_acct"), QStringLiteral("Stm_date")}, false, false}};
    return def;
}

struct StatementSetup {
    QTemporaryDir engineDir;
    QTemporaryDir rawDir;
    std::shared_ptr<Database> db;
    std::unique_ptr<RawDb> raw;

    StatementSetup()
    {
        db = Database::forFolder(engineDir.path());
        db->createTable(statementDef());
        raw = std::make_unique<RawDb>(QDir(rawDir.path()).filePath(QStringLiteral("stm.sqlite")).toStdString());
        copySchemaTo(*raw, {statementDef()});

        Table t;
        t.setDatabase(db);
        t.setTableName(QStringLiteral("stm"));
        t.open();
        t.setBatchedAppends(true);
        Transaction tx(db);
        for (int i = 0; i < StatementLines; ++i) {
            t.append();
            t.field(QStringLiteral("Stm_acct")).setString(QStringLiteral("C100"));
            t.field(QStringLiteral("Stm_date")).setDate(QDate(2020, 1, 1).addDays(i / 60));
            t.field(QStringLiteral("Stm_ref")).setString(code(i));
            t.field(QStringLiteral("Stm_amount")).setMoney(Currency::fromTicks(i * 37));
            t.post();
        }
        tx.commit();

        raw->exec("BEGIN IMMEDIATE");
        sqlite3_stmt* st = raw->prepare("INSERT INTO stm (Stm_acct, Stm_date, Stm_ref, Stm_amount) VALUES (?,?,?,?)");
        for (int i = 0; i < StatementLines; ++i) {
            bindText(st, 1, "C100");
            bindText(st, 2, QDate(2020, 1, 1).addDays(i / 60).toString(Qt::ISODate).toStdString());
            bindText(st, 3, rawCode(i));
            sqlite3_bind_int64(st, 4, static_cast<std::int64_t>(i) * 37);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        raw->exec("COMMIT");
    }

    // The account's statement, on its record `at`.
    void open(Table& t, int at) const
    {
        t.setDatabase(db);
        t.setTableName(QStringLiteral("stm"));
        t.open();
        t.setIndexFieldNames(QStringLiteral("Stm_acct;Stm_date"));
        t.setRange({QStringLiteral("C100")}, {QStringLiteral("C100")});
        t.first();
        t.moveBy(at);
    }
};

StatementSetup& statement()
{
    static StatementSetup setup;
    return setup;
}

// The record read again alone (as a refresh leaves it), a step back, which
// reads the 64 rows before it, and a step on, which reads 256 from there.
void Engine_PriorNearStatementStart(benchmark::State& state)
{
    Table t;
    statement().open(t, NearStart);
    std::int64_t sum = 0;
    for (auto _ : state) {
        t.refresh();
        t.prior();
        sum += t.field(QStringLiteral("Stm_amount")).asMoney().ticks();
        t.next();
    }
    benchmark::DoNotOptimize(sum);
}

// The same three reads written for this table by hand: its dates are never
// empty, so a row comparison seeks in the key both ways.
void rawPriorNearStart(benchmark::State& state, const char* backward)
{
    auto& s = statement();
    sqlite3_stmt* one = s.raw->prepare("SELECT rowid, Stm_acct, Stm_date, Stm_ref, Stm_amount FROM stm WHERE rowid=?");
    sqlite3_stmt* back = s.raw->prepare(backward);
    sqlite3_stmt* on = s.raw->prepare(
        "SELECT rowid, Stm_acct, Stm_date, Stm_ref, Stm_amount FROM stm WHERE Stm_acct=?1 AND (Stm_date, rowid) > "
        "(?2, ?3) ORDER BY Stm_acct, Stm_date, rowid LIMIT 256");
    sqlite3_stmt* find = s.raw->prepare(
        "SELECT rowid, Stm_date FROM stm WHERE Stm_acct='C100' ORDER BY Stm_acct, Stm_date, rowid LIMIT 1 OFFSET ?");
    sqlite3_bind_int(find, 1, NearStart);
    sqlite3_step(find);
    const std::int64_t id = sqlite3_column_int64(find, 0);
    const std::string date = reinterpret_cast<const char*>(sqlite3_column_text(find, 1));
    sqlite3_finalize(find);
    std::int64_t sum = 0;
    for (auto _ : state) {
        sqlite3_bind_int64(one, 1, id);
        while (sqlite3_step(one) == SQLITE_ROW)
            sum += sqlite3_column_int64(one, 4);
        sqlite3_reset(one);
        for (sqlite3_stmt* st : {back, on}) {
            bindText(st, 1, "C100");
            bindText(st, 2, date);
            sqlite3_bind_int64(st, 3, id);
            while (sqlite3_step(st) == SQLITE_ROW)
                sum += sqlite3_column_int64(st, 4);
            sqlite3_reset(st);
        }
    }
    sqlite3_finalize(one);
    sqlite3_finalize(back);
    sqlite3_finalize(on);
    benchmark::DoNotOptimize(sum);
}

void Raw_PriorNearStatementStart(benchmark::State& state)
{
    rawPriorNearStart(state, "SELECT rowid, Stm_acct, Stm_date, Stm_ref, Stm_amount FROM stm WHERE Stm_acct=?1 AND "
                             "(Stm_date, rowid) < (?2, ?3) ORDER BY Stm_acct DESC, Stm_date DESC, rowid DESC LIMIT 64");
}

// The step back as the engine wrote it before, a comparison that lets an
// empty date in: the database reads the account's lines from the end down.
void Raw_PriorNearStatementStartNullSafeScan(benchmark::State& state)
{
    rawPriorNearStart(state, "SELECT rowid, Stm_acct, Stm_date, Stm_ref, Stm_amount FROM stm WHERE Stm_acct=?1 AND "
                             "(Stm_date IS NULL OR Stm_date < ?2 OR (Stm_date = ?2 AND rowid < ?3)) ORDER BY "
                             "Stm_acct DESC, Stm_date DESC, rowid DESC LIMIT 64");
}

// The grid's rows read again (a refresh, another window's write) with the
// cursor in the middle of the statement: the count of lines and the
// cursor's row. `stepping`: the row found by stepping the cursor, as a
// filter still has it (one that lets every line through).
void gridReRead(benchmark::State& state, bool stepping)
{
    Table t;
    statement().open(t, StatementLines / 2);
    if (stepping) { // a filter takes the cursor back to the first line
        t.setFilter([](DataSet&) { return true; });
        t.moveBy(StatementLines / 2);
    }
    DataSetModel model;
    model.setDataSet(&t);
    model.setColumns({{QStringLiteral("Stm_ref"), QStringLiteral("Ref")}});
    for (auto _ : state) {
        model.reload();
        if (model.currentRow() != StatementLines / 2)
            state.SkipWithError("the cursor's row is wrong");
    }
}

void Engine_GridReReadMidStatement(benchmark::State& state)
{
    gridReRead(state, false);
}

void Engine_GridReReadMidStatementStepping(benchmark::State& state)
{
    gridReRead(state, true);
}

// The two counts by hand.
void Raw_GridReReadMidStatement(benchmark::State& state)
{
    auto& s = statement();
    sqlite3_stmt* all = s.raw->prepare("SELECT count(*) FROM stm WHERE Stm_acct='C100'");
    sqlite3_stmt* before =
        s.raw->prepare("SELECT count(*) FROM stm WHERE Stm_acct='C100' AND (Stm_date, rowid) < (?1, ?2)");
    sqlite3_stmt* find = s.raw->prepare(
        "SELECT rowid, Stm_date FROM stm WHERE Stm_acct='C100' ORDER BY Stm_acct, Stm_date, rowid LIMIT 1 OFFSET ?");
    sqlite3_bind_int(find, 1, StatementLines / 2);
    sqlite3_step(find);
    const std::int64_t id = sqlite3_column_int64(find, 0);
    const std::string date = reinterpret_cast<const char*>(sqlite3_column_text(find, 1));
    sqlite3_finalize(find);
    for (auto _ : state) {
        sqlite3_step(all);
        std::int64_t n = sqlite3_column_int64(all, 0);
        sqlite3_reset(all);
        bindText(before, 1, date);
        sqlite3_bind_int64(before, 2, id);
        sqlite3_step(before);
        n += sqlite3_column_int64(before, 0);
        sqlite3_reset(before);
        benchmark::DoNotOptimize(n);
    }
    sqlite3_finalize(all);
    sqlite3_finalize(before);
}

// ---- raw libpq on the same server ---------------------------------------------

// The tables as the server engine makes them: a hidden record id, texts
// compared byte by byte, exact money, keys that sort NULL first.
constexpr const char* RawPgSupplierColumns =
    "(vx_rowid bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY, sup_code varchar(10) COLLATE \"C\", "
    "sup_name varchar(30) COLLATE \"C\", sup_current_bal numeric(19,4), sup_terms smallint, sup_since date)";
constexpr const char* RawPgWorkColumns =
    "(vx_rowid bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY, line_code varchar(4) COLLATE \"C\", "
    "item_code varchar(20) COLLATE \"C\", qty double precision, cost numeric(19,4))";

std::string money(std::int64_t ticks)
{
    const std::int64_t whole = ticks / 10000, part = ticks % 10000;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%lld.%04lld", static_cast<long long>(whole), static_cast<long long>(part));
    return buffer;
}

struct RawPg {
    PGconn* conn = nullptr;

    RawPg()
    {
        const char* server = std::getenv("VARNEX_SERVER");
        conn = PQconnectdb(server ? server : "");
        if (PQstatus(conn) != CONNECTION_OK)
            return;
        exec("SET client_min_messages = warning");
        exec("DROP SCHEMA IF EXISTS vx_rawbench CASCADE");
        exec("CREATE SCHEMA vx_rawbench");
        exec("SET search_path TO vx_rawbench");
        exec((std::string("CREATE TABLE sup ") + RawPgSupplierColumns).c_str());
        exec("CREATE UNIQUE INDEX sup__pk ON sup (sup_code NULLS FIRST)");
        exec("CREATE TABLE cap (vx_rowid bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY, cap_supplier varchar(10) "
             "COLLATE \"C\", cap_invoice varchar(12) COLLATE \"C\", cap_amount numeric(19,4))");
        exec("CREATE UNIQUE INDEX cap__pk ON cap (cap_supplier NULLS FIRST, cap_invoice NULLS FIRST)");
        exec("BEGIN");
        copy("COPY sup (sup_code, sup_name, sup_current_bal, sup_terms, sup_since) FROM STDIN", Records,
             [](int i) { return supplierLine(i); });
        copy("COPY cap (cap_supplier, cap_invoice, cap_amount) FROM STDIN", Masters * LinesPerMaster, [](int k) {
            const int m = k / LinesPerMaster, l = k % LinesPerMaster;
            return rawCode(m) + "\tINV" + std::to_string(l) + "\t" + money(m + l) + "\n";
        });
        exec("COMMIT");
        exec("ANALYZE");
    }
    ~RawPg()
    {
        if (PQstatus(conn) == CONNECTION_OK)
            exec("DROP SCHEMA IF EXISTS vx_rawbench CASCADE");
        PQfinish(conn);
    }
    bool ok() const { return PQstatus(conn) == CONNECTION_OK; }

    static std::string supplierLine(int i)
    {
        const QByteArray since = QDate(2020, 1, 1).addDays(i % 1000).toString(Qt::ISODate).toLatin1();
        return rawCode(i) + "\tSupplier number " + std::to_string(i) + "\t" + money(static_cast<std::int64_t>(i) * 137)
               + "\t30\t" + since.constData() + "\n";
    }

    bool exec(const char* sql)
    {
        PGresult* r = PQexec(conn, sql);
        const auto status = PQresultStatus(r);
        PQclear(r);
        return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    }

    template <typename Line>
    bool copy(const char* sql, int lines, Line line)
    {
        PGresult* r = PQexec(conn, sql);
        const bool started = PQresultStatus(r) == PGRES_COPY_IN;
        PQclear(r);
        if (!started)
            return false;
        std::string chunk;
        for (int i = 0; i < lines; ++i) {
            chunk += line(i);
            if (chunk.size() > 60000 || i == lines - 1) {
                PQputCopyData(conn, chunk.data(), static_cast<int>(chunk.size()));
                chunk.clear();
            }
        }
        PQputCopyEnd(conn, nullptr);
        bool done = true;
        while (PGresult* end = PQgetResult(conn)) {
            done = done && PQresultStatus(end) == PGRES_COMMAND_OK;
            PQclear(end);
        }
        return done;
    }

    bool prepare(const char* name, const char* sql)
    {
        PGresult* r = PQprepare(conn, name, sql, 0, nullptr);
        const bool done = PQresultStatus(r) == PGRES_COMMAND_OK;
        PQclear(r);
        return done;
    }

    // Runs of the prepared statement `name` in pipeline mode, a sync every
    // `batch` statements; false when any of them failed.
    template <typename Values>
    bool pipeline(const char* name, int count, int batch, Values values)
    {
        if (PQenterPipelineMode(conn) != 1)
            return false;
        bool done = true;
        for (int start = 0; start < count; start += batch) {
            const int end = std::min(count, start + batch);
            for (int i = start; i < end; ++i) {
                const std::vector<std::string> v = values(i);
                std::vector<const char*> pointers;
                for (const std::string& text : v)
                    pointers.push_back(text.c_str());
                PQsendQueryPrepared(conn, name, static_cast<int>(pointers.size()), pointers.data(), nullptr, nullptr,
                                    0);
            }
            PQpipelineSync(conn);
            for (int i = start; i < end; ++i) {
                while (PGresult* r = PQgetResult(conn)) {
                    done = done && PQresultStatus(r) == PGRES_COMMAND_OK;
                    PQclear(r);
                }
            }
            PGresult* sync = PQgetResult(conn);
            done = done && PQresultStatus(sync) == PGRES_PIPELINE_SYNC;
            PQclear(sync);
        }
        PQexitPipelineMode(conn);
        return done;
    }
};

bool serverMeasured()
{
    const char* engine = std::getenv("VARNEX_ENGINE");
    return engine && std::string(engine) == "postgresql" && std::getenv("VARNEX_SERVER");
}

RawPg& rawPg()
{
    static RawPg raw;
    return raw;
}

// Skips a RawPg line when the server engine is not being measured.
bool rawPgReady(benchmark::State& state)
{
    if (!serverMeasured()) {
        state.SkipWithError("the server engine is not measured (VARNEX_ENGINE=postgresql, VARNEX_SERVER)");
        return false;
    }
    if (!rawPg().ok()) {
        state.SkipWithError("the server does not answer");
        return false;
    }
    return true;
}

std::vector<std::string> supplierValues(int i)
{
    const QString c = code(i);
    const QString n = QStringLiteral("Supplier number %1").arg(i);
    return {c.toStdString(), n.toStdString(), money(static_cast<std::int64_t>(i) * 137), "30",
            QDate(2020, 1, 1).addDays(i % 1000).toString(Qt::ISODate).toStdString()};
}

std::vector<std::string> workValues(int i)
{
    char qty[32];
    std::snprintf(qty, sizeof qty, "%.17g", i * 0.5);
    return {QStringLiteral("L%1").arg(i % 100).toStdString(), QStringLiteral("ITEM%1").arg(i).toStdString(), qty,
            money(static_cast<std::int64_t>(i) * 10)};
}

void freshInsertTable(RawPg& pg)
{
    pg.exec("DROP TABLE IF EXISTS ins");
    pg.exec((std::string("CREATE TABLE ins ") + RawPgSupplierColumns).c_str());
    pg.exec("CREATE UNIQUE INDEX ins__pk ON ins (sup_code NULLS FIRST)");
}

void RawPg_Insert100kPipeline(benchmark::State& state)
{
    if (!rawPgReady(state))
        return;
    RawPg& pg = rawPg();
    for (auto _ : state) {
        state.PauseTiming();
        freshInsertTable(pg);
        pg.exec("DEALLOCATE ALL");
        state.ResumeTiming();
        pg.exec("BEGIN");
        pg.prepare("ins", "INSERT INTO ins (sup_code, sup_name, sup_current_bal, sup_terms, sup_since) "
                          "VALUES ($1, $2, $3, $4, $5)");
        if (!pg.pipeline("ins", Records, 1000, supplierValues))
            state.SkipWithError("insert failed");
        pg.exec("COMMIT");
    }
    state.SetItemsProcessed(state.iterations() * Records);
}

void RawPg_Insert100kCopy(benchmark::State& state)
{
    if (!rawPgReady(state))
        return;
    RawPg& pg = rawPg();
    for (auto _ : state) {
        state.PauseTiming();
        freshInsertTable(pg);
        state.ResumeTiming();
        pg.exec("BEGIN");
        if (!pg.copy("COPY ins (sup_code, sup_name, sup_current_bal, sup_terms, sup_since) FROM STDIN", Records,
                     [](int i) { return RawPg::supplierLine(i); }))
            state.SkipWithError("copy failed");
        pg.exec("COMMIT");
    }
    state.SetItemsProcessed(state.iterations() * Records);
}

void RawPg_KeyedFind(benchmark::State& state)
{
    if (!rawPgReady(state))
        return;
    RawPg& pg = rawPg();
    const auto keys = findOrder();
    pg.exec("DEALLOCATE ALL");
    pg.prepare("find", "SELECT vx_rowid, sup_code, sup_name, sup_current_bal, sup_terms, sup_since FROM sup "
                       "WHERE sup_code = $1");
    std::int64_t sum = 0;
    for (auto _ : state) {
        for (int k : keys) {
            const std::string key = code(k).toStdString();
            const char* value = key.c_str();
            PGresult* r = PQexecPrepared(pg.conn, "find", 1, &value, nullptr, nullptr, 0);
            if (PQntuples(r) != 1)
                state.SkipWithError("not found");
            else
                sum += std::strtoll(PQgetvalue(r, 0, 3), nullptr, 10);
            PQclear(r);
        }
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * Finds);
}

void RawPg_FullWalk(benchmark::State& state)
{
    if (!rawPgReady(state))
        return;
    RawPg& pg = rawPg();
    pg.exec("DEALLOCATE ALL");
    pg.prepare("walk", "SELECT vx_rowid, sup_code, sup_name, sup_current_bal, sup_terms, sup_since FROM sup "
                       "ORDER BY sup_code NULLS FIRST, vx_rowid");
    std::int64_t sum = 0;
    RawSupplier row;
    for (auto _ : state) {
        PGresult* r = PQexecPrepared(pg.conn, "walk", 0, nullptr, nullptr, nullptr, 0);
        const int n = PQntuples(r);
        for (int i = 0; i < n; ++i) {
            row.code = PQgetvalue(r, i, 1);
            row.name = PQgetvalue(r, i, 2);
            row.balance = std::strtoll(PQgetvalue(r, i, 3), nullptr, 10);
            row.terms = std::atoi(PQgetvalue(r, i, 4));
            row.since = PQgetvalue(r, i, 5);
            sum += row.balance;
        }
        if (n != Records)
            state.SkipWithError("short walk");
        PQclear(r);
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * Records);
}

void RawPg_MasterDetailWalk(benchmark::State& state)
{
    if (!rawPgReady(state))
        return;
    RawPg& pg = rawPg();
    pg.exec("DEALLOCATE ALL");
    pg.prepare("master", "SELECT vx_rowid, sup_code, sup_name, sup_current_bal, sup_terms, sup_since FROM sup "
                         "ORDER BY sup_code NULLS FIRST, vx_rowid LIMIT 20000");
    pg.prepare("detail", "SELECT vx_rowid, cap_supplier, cap_invoice, cap_amount FROM cap WHERE cap_supplier = $1 "
                         "ORDER BY cap_supplier NULLS FIRST, vx_rowid");
    std::int64_t sum = 0;
    std::string supplier, invoice;
    for (auto _ : state) {
        PGresult* masters = PQexecPrepared(pg.conn, "master", 0, nullptr, nullptr, nullptr, 0);
        for (int m = 0; m < PQntuples(masters); ++m) {
            const char* key = PQgetvalue(masters, m, 1);
            PGresult* lines = PQexecPrepared(pg.conn, "detail", 1, &key, nullptr, nullptr, 0);
            for (int l = 0; l < PQntuples(lines); ++l) {
                supplier = PQgetvalue(lines, l, 1);
                invoice = PQgetvalue(lines, l, 2);
                sum += std::strtoll(PQgetvalue(lines, l, 3), nullptr, 10);
            }
            PQclear(lines);
        }
        PQclear(masters);
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * Masters);
}

void RawPg_WorkTableFillPipeline(benchmark::State& state)
{
    if (!rawPgReady(state))
        return;
    RawPg& pg = rawPg();
    pg.exec("DROP TABLE IF EXISTS cfrdet017");
    pg.exec((std::string("CREATE TABLE cfrdet017 ") + RawPgWorkColumns).c_str());
    pg.exec("CREATE UNIQUE INDEX cfrdet017__pk ON cfrdet017 (line_code NULLS FIRST, item_code NULLS FIRST)");
    pg.exec("DEALLOCATE ALL");
    pg.prepare("fill", "INSERT INTO cfrdet017 (line_code, item_code, qty, cost) VALUES ($1, $2, $3, $4)");
    for (auto _ : state) {
        pg.exec("BEGIN");
        pg.exec("DELETE FROM cfrdet017");
        if (!pg.pipeline("fill", Records, 1000, workValues))
            state.SkipWithError("insert failed");
        pg.exec("COMMIT");
    }
    state.SetItemsProcessed(state.iterations() * Records);
}

void RawPg_WorkTableFillCopy(benchmark::State& state)
{
    if (!rawPgReady(state))
        return;
    RawPg& pg = rawPg();
    pg.exec("DROP TABLE IF EXISTS cfrdet017");
    pg.exec((std::string("CREATE TABLE cfrdet017 ") + RawPgWorkColumns).c_str());
    pg.exec("CREATE UNIQUE INDEX cfrdet017__pk ON cfrdet017 (line_code NULLS FIRST, item_code NULLS FIRST)");
    for (auto _ : state) {
        pg.exec("BEGIN");
        pg.exec("DELETE FROM cfrdet017");
        if (!pg.copy("COPY cfrdet017 (line_code, item_code, qty, cost) FROM STDIN", Records, [](int i) {
                const std::vector<std::string> v = workValues(i);
                return v[0] + "\t" + v[1] + "\t" + v[2] + "\t" + v[3] + "\n";
            }))
            state.SkipWithError("copy failed");
        pg.exec("COMMIT");
    }
    state.SetItemsProcessed(state.iterations() * Records);
}

} // namespace

BENCHMARK(Engine_Insert100k)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Engine_Insert100kBatched)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Raw_Insert100k)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Engine_KeyedFind)->Unit(benchmark::kMillisecond);
BENCHMARK(Raw_KeyedFind)->Unit(benchmark::kMillisecond);
BENCHMARK(Engine_FullWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(Raw_FullWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(Engine_MasterDetailWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(Engine_MasterDetailWalkConsistent)->Unit(benchmark::kMillisecond);
BENCHMARK(Raw_MasterDetailWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(Raw_MasterDetailWalkFreshReads)->Unit(benchmark::kMillisecond);
BENCHMARK(Engine_RepeatedUpdates)->Unit(benchmark::kMillisecond)->Iterations(1)->Arg(1000)->Arg(4000);
BENCHMARK(Engine_WorkTableFill)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Engine_WorkTableFillBatched)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Raw_WorkTableFill)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Engine_PriorNearStatementStart)->Unit(benchmark::kMicrosecond);
BENCHMARK(Raw_PriorNearStatementStart)->Unit(benchmark::kMicrosecond);
BENCHMARK(Raw_PriorNearStatementStartNullSafeScan)->Unit(benchmark::kMicrosecond);
BENCHMARK(Engine_GridReReadMidStatement)->Unit(benchmark::kMillisecond);
BENCHMARK(Engine_GridReReadMidStatementStepping)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Raw_GridReReadMidStatement)->Unit(benchmark::kMillisecond);
BENCHMARK(RawPg_Insert100kPipeline)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(RawPg_Insert100kCopy)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(RawPg_KeyedFind)->Unit(benchmark::kMillisecond);
BENCHMARK(RawPg_FullWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(RawPg_MasterDetailWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(RawPg_WorkTableFillPipeline)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(RawPg_WorkTableFillCopy)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
