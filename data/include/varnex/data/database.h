#pragma once
// A database is the data of one folder (the system folder, a company folder,
// the languages folder). Every cursor of the process on the same folder shares
// one Database, so one Transaction covers the writes of all of them.
//
// Aliases name a folder for a deliverable ("menudata", "purchentdb"); an alias
// is defined by the parameter text "path=<folder>" and can be re-pointed when
// the company changes. Cursors already open keep the folder they were opened on.
//
// Not thread-safe: one thread (the user-interface thread) uses the engine.

#include <cstdint>
#include <memory>

#include <QHash>
#include <QString>
#include <QStringList>

#include "varnex/data/schema.h"

namespace varnex::data {

class Backend;

class Database : public std::enable_shared_from_this<Database> {
public:
    // The database of a data folder, created on first use (the folder must
    // exist). The same folder gives the same object while anyone holds it.
    // Refuses a folder on a network file system (ErrorCode::NetworkFolder).
    static std::shared_ptr<Database> forFolder(const QString& folder);
    // Whether the folder holds a database already (its file, or its schema
    // on the server), without creating one: for tools that only inspect.
    static bool existsForFolder(const QString& folder);

    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const QString& folder() const { return m_folder; }

    // Table names compare without regard to case and without ".db".
    bool tableExists(const QString& tableName);
    QStringList tableNames();
    // Creates a table from a definition; `tableName` overrides def.name (per-
    // session work tables). ErrorCode::TableExists when it is already there.
    void createTable(const TableDef& def, const QString& tableName = QString());
    // Creates `newName` with the fields and keys of `sourceTable` of `source`
    // (this database when null), without its records.
    void createTableLike(const QString& newName, const QString& sourceTable, Database* source = nullptr);
    // Removes every record; the table stays.
    void emptyTable(const QString& tableName);
    // Removes the table; no error when it does not exist.
    void dropTable(const QString& tableName);
    // The stored structure: fields in order with types and sizes, and keys.
    // Kept per database while the backend can tell that no structure changed
    // (docs/engine.md, "Table definitions"), so opening a cursor reads it once.
    TableDef tableDef(const QString& tableName);

    bool inTransaction() const;
    // A ConsistentRead of this database is open (see below).
    bool inConsistentRead() const { return m_consistentReads > 0; }

    // Fault injection for tests: the Nth write from now (1 = the next one)
    // raises EngineError(ErrorCode::InjectedFault) instead of writing. A write
    // is one record posted or deleted, or one data-changing statement.
    // 0 turns it off. Returns the writes counted since the last call.
    void failAtWrite(int n);
    std::int64_t writeCount() const;
    // Grows with every change this process makes to the data: a record
    // posted or deleted, a statement run, a table emptied (each counted as it
    // is tried, so a write that failed counts too), and a transaction rolled
    // back, which takes its writes back. It never goes down: whatever shows
    // rows compares it with the count it read them at and reads them again
    // when it grew.
    std::uint64_t changeCount() const;

    // A lock shared with the other processes on this database under the
    // record lock of (`table`, `identity`), for an identity no record has (a
    // negative one): a claim on something not yet written. False at once when
    // another process holds it; freed by unlockClaim or when the holder dies.
    bool tryClaim(const QString& table, std::int64_t identity);
    void unlockClaim(const QString& table, std::int64_t identity);

    Backend& backend() { return *m_backend; }
    // Cursors count themselves here, so that an open table is never dropped.
    void noteTableOpened(const QString& table, int delta);

private:
    explicit Database(const QString& folder);
    QString m_folder;
    std::unique_ptr<Backend> m_backend;
    QHash<QString, int> m_openTables;
    friend class Transaction;
    friend class ConsistentRead;
    int m_consistentReads = 0; // open ConsistentRead scopes; the outermost holds the snapshot
    void forgetTableDefs() { m_tableDefs.clear(); }
    QHash<QString, TableDef> m_tableDefs; // by table name as asked for
    std::uint64_t m_tableDefsVersion = 0; // the backend's structure version they were read at
};

// Begins an immediate (writing) transaction on the database; the destructor
// rolls back unless commit() was called. One at a time per database.
class Transaction {
public:
    explicit Transaction(std::shared_ptr<Database> db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();
    void rollback();
    bool active() const { return m_active; }

private:
    std::shared_ptr<Database> m_db;
    bool m_active = false;
};

// Every read of every cursor and query of the database sees the database as
// it stood when the scope began, until the scope ends: a report that walks
// headers and their lines prints one moment of the data, even while another
// workstation posts. Outside such a scope each page a cursor reads shows what
// others committed by then (docs/engine.md, "Consistent reads").
//
// Nothing is written meanwhile: a post, a delete, a statement, a change of
// structure, a record lock (edit(), deleteRecord(), a claim) is refused with
// ErrorCode::ReadOnly, and a Transaction with ErrorCode::TransactionActive;
// the scope cannot begin inside a Transaction either. Scopes nest: an inner
// one reads the outer one's snapshot, and the last to end releases it. An
// error inside leaves the snapshot as it was; a snapshot the database lost
// (a connection to the server broken) makes every read of the scope fail
// rather than read on from a later moment.
//
// Keep it to a read that ends on its own (a report's layout), never across a
// wait for the user: on the embedded engine the database's journal cannot be
// folded back into the file past the snapshot meanwhile, so it grows with
// other workstations' commits until the scope ends.
class ConsistentRead {
public:
    explicit ConsistentRead(std::shared_ptr<Database> db);
    ~ConsistentRead();
    ConsistentRead(const ConsistentRead&) = delete;
    ConsistentRead& operator=(const ConsistentRead&) = delete;

private:
    std::shared_ptr<Database> m_db;
};

// ---- aliases ---------------------------------------------------------------

// Defines or re-points an alias. `parameters` holds "path=<folder>" (other
// "name=value" entries, separated by ';' or new lines, are kept but unused).
void DefineAlias(const QString& alias, const QString& parameters);
void SetAliasPath(const QString& alias, const QString& folder);
bool AliasExists(const QString& alias);
QString AliasPath(const QString& alias); // ErrorCode::AliasNotFound
void RemoveAlias(const QString& alias);
// The database behind an alias (connects on first use).
std::shared_ptr<Database> AliasDatabase(const QString& alias);

// ---- folders ---------------------------------------------------------------

// True for file-system type numbers (statfs f_type) of network file systems on
// which the embedded engine's file locking cannot be trusted.
bool IsNetworkFileSystemType(std::int64_t fsType);
// Throws ErrorCode::NetworkFolder when `folder` lies on such a file system.
void CheckLocalFolder(const QString& folder);

// "CTRL.DB" -> "CTRL"; also validates the name (letters, digits, '_').
QString NormalizeTableName(const QString& name);

} // namespace varnex::data
