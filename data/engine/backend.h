#pragma once
// The face every storage backend shows the generic engine. The cursors, the
// fields, the events and the record-lock rules are written once above it;
// dialect, placeholders, type names, lock mechanics and error numbers of the
// underlying database live only in an implementation of this class.

#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <optional>
#include <vector>

#include <QDate>
#include <QList>
#include <QTime>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "varnex/data/schema.h"

namespace varnex::data {

using Row = std::vector<QVariant>;

struct FetchedRow {
    std::int64_t rowId = 0;
    Row values;
};

// The rows of one read as the storage delivered them: numbers as numbers,
// texts and blobs as bytes in one buffer of the page, or the text a server
// sent, left where it arrived. A value becomes its Qt
// form (QString, QDate, QVariant) only when a caller reads it, so a walk that
// reads one field of each record converts one field per record, and a page
// costs a few allocations whatever its number of rows. A page never changes
// once read: a cursor's current record may point into it.
class RowPage {
public:
    // Printed: a value written out in its type's own text form, as a server's
    // results arrive (see ValueFromPrinted), in memory the page keeps alive.
    enum class Kind : std::uint8_t { Null, Integer, Real, Text, Bytes, Held, Printed };
    struct Cell {
        Kind kind = Kind::Null;
        std::uint32_t size = 0; // bytes of a text or blob
        union {
            std::int64_t integer = 0;
            double real;
            std::uint64_t offset; // into the page's bytes, or the held value's index
            const char* printed;
        };
    };

    explicit RowPage(int columns, int expectedRows = 0);

    int size() const { return static_cast<int>(m_rowIds.size()); }
    int columns() const { return m_columns; }
    std::int64_t rowId(int row) const { return m_rowIds[static_cast<size_t>(row)]; }
    const Cell& cell(int row, int column) const
    {
        return m_cells[static_cast<size_t>(row) * static_cast<size_t>(m_columns) + static_cast<size_t>(column)];
    }
    // The bytes of a Text, Bytes or Printed cell, followed by a zero byte.
    const char* data(const Cell& cell) const
    {
        return cell.kind == Kind::Printed ? cell.printed : m_bytes.data() + cell.offset;
    }
    // The value in the form a field of `type` holds it (see Field::value()).
    QVariant value(int row, int column, FieldType type) const;
    // Whether the cell holds `value` (in the form a field of `type` keeps
    // it), as CompareValues with value() would say, mostly without making
    // that value: a search compares its key with the rows it reads.
    bool holds(int row, int column, FieldType type, const QVariant& value) const;
    Row values(int row, const QList<FieldDef>& fields) const;

    // A backend adds a row's record id, then one cell per column.
    void reserveBytes(size_t bytes);
    void beginRow(std::int64_t rowId) { m_rowIds.push_back(rowId); }
    void addNull() { m_cells.emplace_back(); }
    void addInteger(std::int64_t value);
    void addReal(double value);
    void addText(const char* data, int size) { addBytesOf(Kind::Text, data, size); }
    void addBytes(const char* data, int size) { addBytesOf(Kind::Bytes, data, size); }
    // Text a server sent, not copied: `data`, ended by a zero byte, lives in
    // what the page was given to keep alive.
    void addPrinted(const char* data, int size);
    void keepAlive(std::shared_ptr<const void> owner) { m_kept = std::move(owner); }
    // A value already in its Qt form (a backend that converts as it reads).
    void addHeld(QVariant value);
    void addRow(std::int64_t rowId, Row values);

    // Empties the page, keeping its room for the rows added next.
    void clear();

    // Backwards reads arrive last row first.
    void reverse();

private:
    void addBytesOf(Kind kind, const char* data, int size);

    int m_columns;
    std::vector<std::int64_t> m_rowIds;
    std::vector<Cell> m_cells;
    std::vector<char> m_bytes;
    std::vector<QVariant> m_held;
    std::shared_ptr<const void> m_kept;
};

// One value as the storage keeps it, made the Qt value a field of `type`
// holds: the one conversion every backend's reads go through.
QVariant ValueFromStorage(FieldType type, RowPage::Kind kind, std::int64_t integer, double real, const char* data,
                          int size);

// A value in its type's text form, as a server prints it: integers and
// numbers in decimal, amounts as decimals (rounded half away from zero to
// the ten-thousandth), logicals "t"/"f", ISO dates and times, bytes as "\x"
// and hex digits. Throws ErrorCode::TypeMismatch for an amount that does not
// fit a money value.
QVariant ValueFromPrinted(FieldType type, const char* p, int n);
// The same readings without a QVariant, for the typed readers of a field;
// nothing when the text is not such a number or does not fit.
std::optional<std::int64_t> IntegerFromText(const char* p, int n);
std::optional<double> NumberFromText(const char* p, int n);
std::optional<std::int64_t> TicksFromText(const char* p, int n);

// What one cursor sees of a table: its fields, its order and its limits.
struct CursorSpec {
    QString table;
    QList<FieldDef> fields;
    QList<int> orderFields; // indexes into `fields`; the record id breaks ties
    // The order fields are those of a unique key of the table: only rows with
    // a NULL in one of them can tie.
    bool uniqueOrder = false;
    // Range on the leading order fields, inclusive. `linkValues` (master link)
    // requires equality, NULL included; `low`/`high` bound a range.
    QVariantList linkValues;
    QVariantList low;
    QVariantList high;
    // Appends may be sent without waiting for the server (Table::setBatchedAppends).
    bool batchedAppends = false;
    // Whatever the backend wants to keep per cursor (prepared statement
    // texts); cleared whenever the fields or the order change.
    mutable std::shared_ptr<void> backendCache;
};

enum class SeekMode {
    First,     // from the start of the order
    Last,      // from the end, backwards
    After,     // strictly after (key, rowId), forwards
    Before,    // strictly before (key, rowId), backwards
    AtOrAfter, // first with leading key fields >= key (prefix), forwards
};

struct Seek {
    SeekMode mode = SeekMode::First;
    QVariantList key; // values of the order fields (a prefix for AtOrAfter)
    std::int64_t rowId = 0;
    // Records passed over from the seek point before the first one read: a
    // move by many records costs the database a walk in its index, not a
    // page of rows for each stretch stepped through.
    std::int64_t skip = 0;
};

struct QueryParameter {
    QString name;   // without ':'
    FieldType type; // Text, Integer, Number, Money, Date; NULL when value is invalid
    QVariant value;
};

struct QueryResult {
    QList<FieldDef> fields;
    std::vector<Row> rows;
};

class Backend {
public:
    virtual ~Backend() = default;

    // ---- structure ----
    virtual bool tableExists(const QString& table) = 0;
    virtual QStringList tableNames() = 0;
    virtual void createTable(const TableDef& def, const QString& table) = 0;
    virtual void emptyTable(const QString& table) = 0;
    virtual void dropTable(const QString& table) = 0;
    // Fields in stored order and keys; ErrorCode::TableNotFound when absent.
    virtual TableDef describeTable(const QString& table) = 0;
    // A number that changes whenever the structure of a table may have
    // changed, by this process or another; while it stays the same, a table
    // described before is described the same. None: always describe again.
    virtual std::optional<std::uint64_t> structureVersion() { return std::nullopt; }

    // ---- transactions ----
    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual bool inTransaction() const = 0;

    // ---- one snapshot for a while (Database's ConsistentRead) ----
    // Until endConsistentRead() every read sees the database as it stood at
    // beginConsistentRead(); neither is called inside a transaction. End
    // never throws: it runs in a scope's destructor.
    virtual void beginConsistentRead() = 0;
    virtual void endConsistentRead() = 0;
    bool inConsistentRead() const { return m_consistentRead; }
    // ErrorCode::ReadOnly inside a consistent read: a write there could not
    // be made from the snapshot's data (SQLite refuses it halfway), and a
    // record lock would be followed by a read of the old record.
    void refuseInConsistentRead() const;

    // ---- reading ----
    // The most rows a walk asks for at once, once its pages have grown.
    virtual int largestPage() const { return 512; }
    // Up to `limit` rows from the seek point, in the seek's direction, kept
    // as read until a field is read (a cursor's window).
    virtual std::shared_ptr<RowPage> fetchPage(const CursorSpec& view, const Seek& seek, int limit) = 0;
    // The same rows, every value converted.
    std::vector<FetchedRow> fetch(const CursorSpec& view, const Seek& seek, int limit);
    virtual std::optional<Row> readRow(const CursorSpec& view, std::int64_t rowId) = 0;
    virtual std::int64_t count(const CursorSpec& view) = 0;
    // The rows of the view before a Before seek's key and record id, counted
    // in the key: a cursor's record number without reading the rows.
    virtual std::int64_t countBefore(const CursorSpec& view, const Seek& seek) = 0;

    // ---- writing (each call is one write for fault injection) ----
    // Assigns every NULL autoincrement field of `row` (atomically with the
    // insert, so two processes never take the same number) and returns the
    // new record's id.
    virtual std::int64_t insertRow(const CursorSpec& view, Row& row) = 0;
    // `keysKeptFrom`: the record as it was read, given when no field of any
    // key of the table changed (so the update cannot break a unique key and
    // does not move the record in any order); a backend may then hold the
    // update back until the transaction needs it.
    virtual void updateRow(const CursorSpec& view, std::int64_t rowId, const Row& row, const Row* keysKeptFrom) = 0;
    virtual void deleteRow(const QString& table, std::int64_t rowId) = 0;

    // ---- record locks shared between processes ----
    // False at once when another process holds the lock.
    virtual bool tryLockRecord(const QString& table, std::int64_t rowId) = 0;
    virtual void unlockRecord(const QString& table, std::int64_t rowId) = 0;
    // Locks a record and reads it as it stands once locked (another process
    // may have changed it since this one read it): false at once when another
    // process holds the lock; `row` empty when the record is gone. A backend
    // may do both in one exchange with its server. A failure leaves the
    // record as locked as it was before the call.
    virtual bool lockAndReadRecord(const CursorSpec& view, std::int64_t rowId, std::optional<Row>& row);

    // ---- SQL ----
    virtual QueryResult select(const QString& sql, const std::vector<QueryParameter>& params) = 0;
    virtual int execute(const QString& sql, const std::vector<QueryParameter>& params) = 0;

    // ---- bookkeeping shared by all backends ----
    // Changes whenever this process writes to the database (cursors use it to
    // drop rows they buffered before the write).
    std::uint64_t changeStamp() const { return m_changeStamp; }
    void noteChange() { ++m_changeStamp; }
    // Pages the cursors have read: a walk must take a few growing pages,
    // not one small page per handful of records.
    std::uint64_t pagesRead() const { return m_pagesRead; }
    void notePageRead() { ++m_pagesRead; }

    void failAtWrite(int n)
    {
        m_failAt = n;
        m_writes = 0;
    }
    std::int64_t writeCount() const { return m_writes; }
    // See Database::changeCount().
    std::uint64_t changeCount() const { return m_changes; }
    void noteRolledBack() { ++m_changes; }

    // Which cursor of this process holds a record lock; locks of the
    // operating system do not tell one descriptor's cursors apart.
    const void* recordOwner(const QString& table, std::int64_t rowId) const;
    void setRecordOwner(const QString& table, std::int64_t rowId, const void* owner);
    void clearRecordOwner(const QString& table, std::int64_t rowId);

    // A record written inside a transaction stays locked until the
    // transaction ends: released at post, another process could read the
    // value from before the commit, change it and overwrite this one.
    void keepLockUntilTransactionEnds(const QString& table, std::int64_t rowId);
    void releaseTransactionLocks();
    bool heldUntilTransactionEnds(const QString& table, std::int64_t rowId) const;

protected:
    // Called by every write before it touches the data.
    void countWrite();
    bool m_consistentRead = false;

private:
    std::uint64_t m_changeStamp = 1;
    std::uint64_t m_pagesRead = 0;
    int m_failAt = 0;
    std::int64_t m_writes = 0;
    std::uint64_t m_changes = 0;
    std::map<std::pair<QString, std::int64_t>, const void*> m_owners;
    std::vector<std::pair<QString, std::int64_t>> m_transactionLocks;
};

// Canonical in-memory form of a value for a field type (see Field::value()).
// Cuts texts and bytes(n) to their size; an empty text is NULL; throws
// ErrorCode::TypeMismatch naming `what` when the value does not fit.
QVariant NormalizeValue(const FieldDef& field, const QVariant& value, const QString& what);
// The same for a text given to a text or memo field.
QVariant NormalizeText(const FieldDef& field, QString text);

// Compares two canonical values of the same field type (NULL first), the
// order the backend sorts keys in.
int CompareValues(FieldType type, const QVariant& a, const QVariant& b);

// Dates "YYYY-MM-DD" and times "HH:MM:SS[.fff]" as the backends store or
// receive them; anything else (a year before Christ included) gives an invalid value.
QDate DateFromIsoText(const char* p, int n);
QTime TimeFromIsoText(const char* p, int n);
// A date, a time or a timestamp ("YYYY-MM-DD HH:MM:SS[.fff]", or with a "T")
// as the value a field of `type` holds: NULL for a text that does not read.
QVariant TemporalFromIsoText(FieldType type, const char* p, int n);

// Matches the :names of a statement with the values given, without regard to
// case: a name without a value, or a value no name uses, is the caller's
// mistake and raises ErrorCode::QueryParameter.
class ParameterMatcher {
public:
    explicit ParameterMatcher(const std::vector<QueryParameter>& params);
    const QueryParameter& take(const QString& name);
    void checkAllUsed() const;

private:
    const std::vector<QueryParameter>& m_params;
    std::vector<bool> m_used;
};

} // namespace varnex::data
