#pragma once
// The embedded backend: one SQLite database file per data folder (WAL, busy
// timeout, IMMEDIATE write transactions) and a lock file beside it holding
// one byte-range lock per locked record.

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "backend.h"

struct sqlite3;
struct sqlite3_stmt;

namespace varnex::data {

struct CachedText;

class SqliteBackend final : public Backend {
public:
    static constexpr const char* DatabaseFileName = "varnex.sqlite";
    static constexpr const char* LockFileName = "varnex.locks";

    explicit SqliteBackend(const QString& folder);
    ~SqliteBackend() override;

    bool tableExists(const QString& table) override;
    QStringList tableNames() override;
    void createTable(const TableDef& def, const QString& table) override;
    void emptyTable(const QString& table) override;
    void dropTable(const QString& table) override;
    TableDef describeTable(const QString& table) override;
    std::optional<std::uint64_t> structureVersion() override;

    void begin() override;
    void commit() override;
    void rollback() override;
    bool inTransaction() const override;
    void beginConsistentRead() override;
    void endConsistentRead() override;

    std::shared_ptr<RowPage> fetchPage(const CursorSpec& view, const Seek& seek, int limit) override;
    std::optional<Row> readRow(const CursorSpec& view, std::int64_t rowId) override;
    std::int64_t count(const CursorSpec& view) override;
    std::int64_t countBefore(const CursorSpec& view, const Seek& seek) override;

    std::int64_t insertRow(const CursorSpec& view, Row& row) override;
    void updateRow(const CursorSpec& view, std::int64_t rowId, const Row& row, const Row* keysKeptFrom) override;
    void deleteRow(const QString& table, std::int64_t rowId) override;

    bool tryLockRecord(const QString& table, std::int64_t rowId) override;
    void unlockRecord(const QString& table, std::int64_t rowId) override;

    QueryResult select(const QString& sql, const std::vector<QueryParameter>& params) override;
    int execute(const QString& sql, const std::vector<QueryParameter>& params) override;

    // The byte of the lock file that stands for a record (exposed for tests).
    static std::int64_t lockOffset(const QString& table, std::int64_t rowId);

private:
    // All the view's rows, or those before a Before seek.
    std::int64_t countRows(const CursorSpec& view, const Seek* before);
    bool m_readOnlyFile = false; // opened unchanging: the file or its folder cannot be written
    sqlite3_stmt* cached(const std::string& sql);
    sqlite3_stmt* cached(CachedText& text);
    void exec(const char* sql);
    // Inside a consistent read SQLite may have rolled the read transaction
    // back after an error of its own (I/O, memory): reading on would read
    // a later moment.
    void checkSnapshotKept() const
    {
        if (m_consistentRead && snapshotLost())
            refuseLostSnapshot();
    }
    bool snapshotLost() const;
    [[noreturn]] void refuseLostSnapshot() const;
    [[noreturn]] void fail(int rc, const QString& context);
    void bindParameters(sqlite3_stmt* stmt, const std::vector<QueryParameter>& params, const QString& sql);

    QString m_folder;
    QString m_path;
    sqlite3* m_db = nullptr;
    int m_lockFd = -1;
    std::unordered_map<std::string, sqlite3_stmt*> m_statements;
    // One per field of the record being written: its text as bound, alive
    // until the INSERT or UPDATE has run.
    std::vector<std::string> m_writeBuffers;
    std::uint64_t m_generation = 1; // bumped whenever cached statements are finalized
    // The schema version read inside the current write transaction: no other
    // process can change the structure before it ends.
    std::optional<std::uint64_t> m_versionInTransaction;
    bool m_writeTransaction = false; // begun by begin(): the write lock is ours
};

} // namespace varnex::data
