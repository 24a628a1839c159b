#pragma once
// The server backend: one PostgreSQL connection per data folder, the folder
// being a schema of the server database. Record locks are session advisory
// locks, so the server itself releases them when a workstation's connection
// ends, also when the workstation dies.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "backend.h"
#include "pg_batch.h"

struct pg_conn;
struct pg_result;

namespace varnex::data {

// Which server and which schema a data folder uses.
struct ServerTarget {
    QString connection; // a libpq connection string or URI
    QString schema;     // the schema that stands for the folder
};

class PgBackend final : public Backend {
public:
    // Every table has this hidden column: the record id the cursors move by
    // (insertion order, like SQLite's rowid). It never appears among the fields.
    static constexpr const char* RowIdColumn = "vx_rowid";

    explicit PgBackend(const ServerTarget& target);
    ~PgBackend() override;

    bool tableExists(const QString& table) override;
    QStringList tableNames() override;
    void createTable(const TableDef& def, const QString& table) override;
    void emptyTable(const QString& table) override;
    void dropTable(const QString& table) override;
    TableDef describeTable(const QString& table) override;

    void begin() override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override;
    void beginConsistentRead() override;
    void endConsistentRead() override;

    // Each statement costs a round trip and the server's start of a sorted
    // scan: a long walk reads larger pages than on the embedded engine.
    int largestPage() const override { return 4096; }
    std::shared_ptr<RowPage> fetchPage(const CursorSpec& view, const Seek& seek, int limit) override;
    std::optional<Row> readRow(const CursorSpec& view, std::int64_t rowId) override;
    std::int64_t count(const CursorSpec& view) override;
    std::int64_t countBefore(const CursorSpec& view, const Seek& seek) override;

    std::int64_t insertRow(const CursorSpec& view, Row& row) override;
    void updateRow(const CursorSpec& view, std::int64_t rowId, const Row& row, const Row* keysKeptFrom) override;
    void deleteRow(const QString& table, std::int64_t rowId) override;

    bool tryLockRecord(const QString& table, std::int64_t rowId) override;
    void unlockRecord(const QString& table, std::int64_t rowId) override;
    bool lockAndReadRecord(const CursorSpec& view, std::int64_t rowId, std::optional<Row>& row) override;

    QueryResult select(const QString& sql, const std::vector<QueryParameter>& params) override;
    int execute(const QString& sql, const std::vector<QueryParameter>& params) override;

    const QString& schema() const { return m_schema; }
    // The two keys of the advisory lock that stands for a record (tests).
    static std::pair<std::int32_t, std::int32_t> lockKeys(const QString& schema, const QString& table,
                                                          std::int64_t rowId);

    // A value as the server's text form (exposed for tests); ValueFromPrinted reads it back.
    static QByteArray textOf(FieldType type, const QVariant& value);

    // Translates ":name" parameters into "$n" (a name used twice gets one
    // number) and folds quoted identifiers to the stored lower case. Strings,
    // comments and "::" casts are left alone. `names` receives the parameter
    // names in number order. Throws QueryParameter on '?' placeholders.
    static QString translateSql(const QString& sql, QStringList& names);

    // For tests: closes the connection under the engine's feet, as a network
    // failure would.
    void dropConnectionForTest();
    // For tests: every message to and from the server is written to `out`
    // (nothing when null), so a test can count what an operation sends.
    void traceForTest(FILE* out);

    struct Param {
        unsigned int oid = 0;
        QByteArray text;
        bool null = true;
        bool binary = false;
    };
    // A cursor's statement: its text, and the name it was prepared under
    // while `generation` is the connection's.
    struct CachedStatement {
        std::string sql;
        std::string name;
        std::uint64_t generation = 0;
    };

private:
    // All the view's rows, or those before a Before seek.
    std::int64_t countRows(const CursorSpec& view, const Seek* before);
    class Result;

    void connect();
    void ensureConnected();
    [[noreturn]] void fail(pg_result* res, const QString& context);
    [[noreturn]] void failConnection(const QString& context);
    // Runs a statement; inside a transaction a failing write is undone on its
    // own (savepoint), so the transaction survives a key violation as it does
    // on SQLite. Returns the result, which the caller owns.
    pg_result* run(const std::string& sql, const std::vector<Param>& params, bool protect, const QString& context);
    pg_result* runPrepared(const std::string& sql, const std::vector<Param>& params, bool protect,
                           const QString& context);
    pg_result* runStatement(CachedStatement& statement, const std::vector<Param>& params,
                            const std::function<QString()>& context);
    // Gives `statement` its prepared name on this connection.
    void prepare(CachedStatement& statement, int count, const unsigned int* types,
                 const std::function<QString()>& context);
    void plain(const char* sql, const QString& context);
    // Outside a transaction, while this connection holds many record locks,
    // reads and locks share one server transaction (see the .cpp).
    void beforeStatementOutsideTransaction();
    void endLockRun(const char* ending = "COMMIT");
    // After a statement failed outside a posting's transaction: the server
    // refuses anything but a rollback in the transaction it failed in.
    void afterFailedStatement();
    void forgetStatements();
    // Batched appends: sent as COPY data (pg_batch.h), the server's verdict
    // read at the next use of the connection.
    std::int64_t queueInsert(const CursorSpec& view, const Row& row);
    bool batchWaiting() const { return !m_pending.empty() || !m_copies.empty(); }
    [[noreturn]] void failCopy(PgCopyBatch::Refusal& refused);
    // `key`: the table's name in lower case.
    std::int64_t reserveRowId(const QString& table, const QString& key);
    void flushBatch();
    void discardBatch();
    [[noreturn]] void failBatch(const QString& table, const QString& record, pg_result* res, bool update);
    // Updates held back inside a transaction (see updateRow): sent together,
    // one statement per record however often it changed, before anything
    // that could see them on the server, and at commit.
    void flushDeferred();
    bool deferredChangesOrder(const CursorSpec& view) const;
    const Row* deferredRow(const QString& table, std::int64_t rowId) const;
    void dropDeferred();
    std::string updateSql(const QString& table, const QList<FieldDef>& fields) const;
    void refuseAfterFailedBatch();

    QString m_connection;
    QString m_schema;
    pg_conn* m_conn = nullptr;
    bool m_inTransaction = false;
    std::uint64_t m_statementNumber = 0;
    std::unordered_map<std::string, std::string> m_prepared; // text -> statement name
    std::uint64_t m_preparedGeneration = 1;                  // changes whenever a statement is forgotten
    std::set<std::pair<QString, std::int64_t>> m_locks;      // (table lower case, record)
    CachedStatement m_lockStatement{"SELECT pg_try_advisory_lock($1, $2)", {}, 0};
    std::map<QString, std::int64_t> m_identityHigh; // "table.column" -> highest explicit value set
    std::map<QString, FieldDef> m_columns;          // "table oid.column number" -> field, for query results
    struct PendingInsert {
        QString table;
        QString record;      // its key values, to name it when the server refuses it
        bool update = false; // a held-back update: no row changed means the record is gone
    };
    struct DeferredUpdate {
        QString table;
        QList<FieldDef> fields;
        Row row;
        QString record;
        std::uint64_t sequence = 0; // the order they are sent in
    };
    std::map<std::pair<QString, std::int64_t>, DeferredUpdate> m_deferred; // (table lower case, record)
    std::map<QString, std::vector<bool>> m_deferredChanged; // table lower case -> fields some of them changed
    std::uint64_t m_deferredSequence = 0;
    std::vector<PendingInsert> m_pending; // held-back updates sent in a pipeline
    PgCopyBatch m_copies;                 // batched appends
    // Record ids taken from a table's sequence for batched appends (used
    // from the back); the block grows with each reservation.
    std::map<QString, std::vector<std::int64_t>> m_reservedIds;
    std::map<QString, int> m_reserveSize;
    bool m_batchFailed = false; // the transaction was rolled back under its caller
    bool m_lockRun = false;     // a server transaction of reads and locks only is open
    bool m_readCall = false;    // the call being served only reads or locks
};

// The server target of a folder when the engine setting (or VARNEX_ENGINE)
// names the server engine; nothing when SQLite keeps the folder (always the
// program's languages folder).
std::optional<ServerTarget> ServerTargetForFolder(const QString& canonicalFolder);
// Whether the target's schema exists on its server, without creating it.
// ServerUnavailable when the server cannot be reached.
bool ServerSchemaExists(const ServerTarget& target);
// The server named by the settings (or VARNEX_SERVER); empty when none.
QString ConfiguredServer();
// The schema of a folder on a given server. ServerUnavailable when
// `connection` is empty.
ServerTarget ServerTargetFor(const QString& canonicalFolder, const QString& connection);

} // namespace varnex::data
