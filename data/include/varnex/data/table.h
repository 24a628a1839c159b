#pragma once
// Cursors over the engine's data. A DataSet is a current record with fields
// and a position (first/next/eof ...); a Table is a DataSet over a stored table
// that can be edited, ordered by a key, ranged, linked to a master and
// filtered; a Query (query.h) is a DataSet over the rows of a SELECT.
//
// Empty fields are NULL. Text fields keep at most their size in characters:
// a longer text is cut to the size on assignment (the entry forms rely on long
// texts being cut, never refused). bytes(n) values are cut
// or padded with zero bytes to exactly n bytes.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QVariant>

#include "varnex/currency.h"
#include "varnex/data/database.h"
#include "varnex/data/engine_error.h"
#include "varnex/data/schema.h"

namespace varnex::data {

class DataSet;
class Table;
class RowPage;

enum class DataSetState { Inactive, Browse, Edit, Insert, CalcFields };

// One field of the current record. References stay valid while the data set
// is open and its structure unchanged.
class Field {
public:
    const QString& name() const { return m_def.name; }
    FieldType type() const { return m_def.type; }
    int size() const { return m_def.size; }
    int index() const { return m_index; }
    bool calculated() const { return m_calculated; }
    DataSet& dataSet() const { return *m_owner; }

    bool isNull() const;
    // The value: QString (text, memo), qlonglong (integers), double,
    // varnex::Currency (money), bool, QDate, QTime, QDateTime, QByteArray, or
    // an invalid QVariant for NULL.
    QVariant value() const;

    // Readers convert where it makes sense (a number field read as money,
    // an integer as text) and give the empty value for NULL (0, "", null date).
    QString asString() const;
    std::int64_t asInteger() const;
    double asNumber() const;
    Currency asMoney() const;
    bool asLogical() const;
    QDate asDate() const;
    QTime asTime() const;
    QDateTime asTimestamp() const;
    QByteArray asBytes() const;

    // Writers need the data set in Edit or Insert state (or the calculation
    // handler for calculated fields). A value that cannot be converted to the
    // field's type raises ErrorCode::TypeMismatch; an empty text is NULL.
    void setValue(const QVariant& value);
    void setString(const QString& value);
    void setInteger(std::int64_t value);
    void setNumber(double value);
    void setMoney(Currency value);
    void setLogical(bool value);
    void setDate(const QDate& value);
    void setTime(const QTime& value);
    void setTimestamp(const QDateTime& value);
    void setBytes(const QByteArray& value);
    void clear();

    // Attributes for bound controls; the engine stores them only.
    bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    const QString& editMask() const { return m_editMask; }
    void setEditMask(const QString& mask) { m_editMask = mask; }
    const QString& displayFormat() const { return m_displayFormat; }
    void setDisplayFormat(const QString& format) { m_displayFormat = format; }

private:
    friend class DataSet;
    Field(DataSet* owner, FieldDef def, int index, bool calculated);
    void assign(QVariant normalized);

    DataSet* m_owner;
    FieldDef m_def;
    int m_index;
    bool m_calculated;
    bool m_readOnly = false;
    QString m_editMask;
    QString m_displayFormat;
};

// Handlers a data set calls. A handler that throws stops the operation (a
// before-post handler that throws leaves the record unposted, in edit mode).
struct DataSetEvents {
    std::function<void(DataSet&)> newRecord; // after Insert/Append set up the empty record
    std::function<void(DataSet&)> beforePost;
    std::function<void(DataSet&)> afterPost;
    std::function<void(DataSet&)> beforeDelete;
    std::function<void(DataSet&)> afterDelete;
    std::function<void(DataSet&)> calcFields; // every fetch: set the calculated fields
    std::function<void(Field&)> validate;     // new value in place; throw to refuse it
    std::function<void(Field&)> fieldChange;  // after a value was accepted
};

class DataSet : public QObject {
    Q_OBJECT
public:
    ~DataSet() override;

    bool isOpen() const { return m_state != DataSetState::Inactive; }
    DataSetState state() const { return m_state; }

    // ---- navigation (a filter, range and master link always apply) ----
    virtual void first() = 0;
    virtual void last() = 0;
    virtual void next() = 0;
    virtual void prior() = 0;
    // `n` records on (back when negative), ending exactly where n calls of
    // next() (prior()) would, with the same eof and bof, but telling bound
    // views of the record landed on only. A table without a filter asks the
    // database to pass over the records between: calculated fields run for
    // the record landed on alone.
    virtual void moveBy(int n);
    // eof: a next() went past the last record, or there is none.
    bool eof() const
    {
        settle();
        return m_eof;
    }
    bool bof() const
    {
        settle();
        return m_bof;
    }
    bool isEmpty() const
    {
        settle();
        return m_eof && m_bof;
    }
    virtual int recordCount() = 0;
    // How many records come before the current one (its row number from 0),
    // asked without moving; -1 where only stepping through the records
    // could tell (a filter is the program's own code).
    virtual int recordsBefore() { return -1; }
    virtual void refresh() = 0;

    // ---- fields ----
    int fieldCount() const { return static_cast<int>(m_fields.size()); }
    Field& field(const QString& name);     // ErrorCode::FieldNotFound
    Field* findField(const QString& name); // nullptr when absent
    Field& fieldByNumber(int index);       // 0-based
    QStringList fieldNames() const;
    // Declares a calculated field before open; its value is set by the
    // calcFields handler every time a record is fetched.
    void addCalculatedField(const QString& name, FieldType type, int size = 0);

    DataSetEvents& events() { return m_events; }
    // A record filter: only records for which it returns true are visible.
    void setFilter(std::function<bool(DataSet&)> predicate);
    void clearFilter() { setFilter(nullptr); }
    bool filtered() const { return static_cast<bool>(m_filter); }

    // ---- bound views ----
    // While disabled (counted), no recordChanged/stateChanged is emitted;
    // enableControls() of the last level emits dataSetChanged once.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_disableCount > 0; }

signals:
    void recordChanged(); // the cursor moved or the current record was reloaded
    void stateChanged();  // Browse/Edit/Insert/Inactive changed
    void fieldChanged(int fieldIndex);
    void dataSetChanged(); // everything may have changed (resume, refresh, open)

protected:
    explicit DataSet(QObject* parent);

    // Builds the fields (stored ones from `defs`, then the calculated ones).
    void setupFields(const QList<FieldDef>& defs);
    void teardownFields();
    int storedFieldCount() const { return m_storedCount; }
    // Loads a fetched row as the current record and runs calcFields.
    void loadRecord(const std::vector<QVariant>& values);
    void loadRecord(std::vector<QVariant>&& values);
    // The same for a row of a page as read: each stored field is converted
    // when it is first read. Code that reads m_buffer directly calls
    // materializeRecord() first (buffer() does).
    void loadRecord(const std::shared_ptr<const RowPage>& page, int row);
    void materializeRecord();
    // Replaces the whole record as it was saved (stored and calculated
    // fields), without running calcFields.
    void restoreRecord(std::vector<QVariant>&& values);
    // A whole record put aside for a while (what a cancel of an insert goes
    // back to), fields not yet read from their page included: they stay
    // unread.
    struct AsideRecord {
        std::vector<QVariant> values;
        std::shared_ptr<const RowPage> page;
        int pageRow = -1;
        std::vector<unsigned char> pending;
        void release()
        {
            page.reset();
            pending.clear();
        }
    };
    // Moves the current record into `aside` and leaves an empty one.
    void putRecordAside(AsideRecord& aside);
    // Makes the record put aside current again, without running calcFields.
    void takeRecordBack(AsideRecord& aside);
    // The stored values of the current record were moved into row `row` of
    // `page` (as posted): they are read from there from now on. The
    // calculated fields stay as they are.
    void readStoredFrom(const std::shared_ptr<const RowPage>& page, int row);
    // The value of a field of the current record (converted on first read).
    const QVariant& recordValue(int index);
    void clearRecord();
    std::vector<QVariant>& buffer()
    {
        materializeRecord();
        return m_buffer;
    }
    const std::vector<QVariant>& buffer() const
    {
        const_cast<DataSet*>(this)->materializeRecord();
        return m_buffer;
    }
    bool passesFilter();
    void runCalcFields();
    void setState(DataSetState state);
    void setEdges(bool bof, bool eof)
    {
        m_bof = bof;
        m_eof = eof;
    }
    // Tells bound views (and linked details) that the current record changed.
    void notifyRecord();
    // A cursor may put off reading its first record until something looks at
    // the position or a field: an open followed by a search then costs the
    // search alone. settle() reads it (positionDeferred) when still owed.
    void deferPositioning() { m_positionOwed = true; }
    bool positionOwed() const { return m_positionOwed; }
    void forgetDeferredPositioning() { m_positionOwed = false; }
    void settle() const
    {
        if (m_positionOwed)
            settleNow();
    }
    virtual void afterMove() {}
    virtual void checkWritable(const Field& field) const;
    virtual void afterFieldAssigned(Field& field);
    void connectNotify(const QMetaMethod& signal) override;

    DataSetEvents m_events;
    std::function<bool(DataSet&)> m_filter;
    std::vector<QVariant> m_buffer;

private:
    friend class Field;
    virtual void filterChanged() {}
    void dropPage();
    friend struct PendingCells;

    // A record loaded from a page: the fields still marked in m_pending are
    // read from the page when first asked for.
    std::shared_ptr<const RowPage> m_page;
    int m_pageRow = -1;
    std::vector<unsigned char> m_pending;
    void settleNow() const;
    virtual void positionDeferred() {}

    std::vector<std::unique_ptr<Field>> m_fields;
    QHash<QString, int> m_fieldsByName; // names as declared; other cases fall back to a scan
    QList<FieldDef> m_calculatedDefs;
    int m_storedCount = 0;
    DataSetState m_state = DataSetState::Inactive;
    bool m_bof = true;
    bool m_eof = true;
    int m_disableCount = 0;
    bool m_positionOwed = false;
    // Signals something was ever connected to. A run of appends assigns
    // every field of every record: a signal nobody listens to is not sent.
    bool m_recordWatched = false;
    bool m_stateWatched = false;
    bool m_fieldWatched = false;
};

// A stored table. Set the database (or alias or folder) and the table name,
// then open(). Records are read in the order of the current key (by default
// the primary key, else the order of insertion).
class Table : public DataSet {
    Q_OBJECT
public:
    explicit Table(QObject* parent = nullptr);
    ~Table() override;

    // ---- where and what ----
    void setDatabase(std::shared_ptr<Database> db);
    void setAliasName(const QString& alias); // resolved at open()
    void setFolder(const QString& folder);   // resolved at open()
    void setTableName(const QString& name);  // case-insensitive, ".db" ignored
    const QString& tableName() const { return m_tableName; }
    void setReadOnly(bool readOnly);
    bool readOnly() const { return m_readOnly; }
    std::shared_ptr<Database> database() const { return m_db; }
    // For fills whose caller does not recover from a refused record one at a
    // time (work tables, copies): inside a transaction on the server engine
    // the records this table appends reach the server in batches, and post()
    // does not wait for it. A record the server refuses (a duplicate key, a
    // text too long) then rolls the whole transaction back at the next read,
    // write or commit, with the error its post would have raised and the
    // table and key of that record. SQLite writes locally: no change there.
    void setBatchedAppends(bool batched);
    bool batchedAppends() const;

    void open();   // ErrorCode::TableNotFound, AliasNotFound, CorruptDatabase ...
    void close();  // cancels a pending edit and releases its lock
    bool exists(); // does the table exist in its database

    // ---- key order, search, ranges ----
    // Field names separated by ';' ("Reference;Supplier;Date"); empty gives
    // the primary key. Keeps the current record when it is still visible.
    void setIndexFieldNames(const QString& fields);
    QString indexFieldNames() const;
    // Positions on the first record whose leading key fields equal `values`
    // (fewer values than key fields compare a prefix). Returns false and stays
    // where it was when there is none.
    bool findKey(const QVariantList& values);
    // Positions on the first record whose leading key fields are >= `values`
    // (eof when none); a text value also matches as a prefix ("INV1" finds
    // "INV100"), which is what partial-key lookups need.
    void findNearest(const QVariantList& values);
    // Partial-key locate: true when a record starts with `values`, positioned on it.
    bool locatePrefix(const QVariantList& values);
    // Limits the records to keys between `low` and `high` (inclusive, on the
    // leading key fields). Both lists empty clears the range.
    void setRange(const QVariantList& low, const QVariantList& high);
    void cancelRange();

    // ---- master/detail ----
    // Shows only the records whose leading key fields equal the master's
    // `masterFields` ("Cap_invoice;Cap_supplier;Cap_date"), and follows every
    // move of the master. nullptr unlinks.
    void setMaster(Table* master, const QString& masterFields);

    // ---- navigation ----
    void first() override;
    void last() override;
    void next() override;
    void prior() override;
    void moveBy(int n) override;
    int recordCount() override;
    // One count in the key, up to the current record; 0 when empty.
    int recordsBefore() override;
    void refresh() override;

    // ---- changing records ----
    void insert(); // new empty record at the current position
    void append(); // new empty record (at the end of the order)
    // Takes the record lock (ErrorCode::RecordLocked at once when another
    // process holds it), reloads the record, enters Edit.
    void edit();
    // Writes and stays on the record. The lock is released, except inside a
    // Transaction, where it lasts until the transaction ends.
    void post();
    void cancel();       // drops the changes, releases the lock
    void deleteRecord(); // locks, deletes, moves to the next record
    bool modified() const { return m_modified; }

    // Identity of the current record within its table (for locks and tests).
    std::int64_t recordId() const
    {
        settle();
        return m_rowId;
    }

private:
    struct Impl;
    void checkBrowse();
    void afterMove() override;
    void checkWritable(const Field& field) const override;
    void afterFieldAssigned(Field& field) override;
    void filterChanged() override;
    void positionDeferred() override;
    std::unique_ptr<Impl> d;
    std::shared_ptr<Database> m_db;
    QString m_tableName;
    bool m_readOnly = false;
    bool m_modified = false;
    std::int64_t m_rowId = 0;
    friend struct Impl;
};

} // namespace varnex::data
