// The table cursor: a window of buffered rows in key order, refilled by
// seeking from the current key, so that a walk costs one query per batch and
// a keyed find one query, whatever the size of the table.

#include <algorithm>
#include <optional>
#include <utility>

#include <QMetaMethod>
#include <QSignalBlocker>

#include "backend.h"
#include "varnex/data/table.h"

namespace varnex::data {

namespace {

constexpr int FirstBatch = 16;

} // namespace

struct Table::Impl {
    Table* q;
    QString alias;
    QString folder;
    QStringList orderNames;
    CursorSpec view;
    QString tableName; // as stored
    Table* master = nullptr;
    QStringList masterFields;
    bool masterEmpty = false;
    std::vector<Table*> details;

    TableDef def;
    std::vector<int> keyFields; // every field of any key of the table
    // Ascending key order. A page is never changed once read (the current
    // record may still point into it): it is replaced.
    std::shared_ptr<const RowPage> rows;
    bool windowFromStart = false; // rows begin at the first record of the order
    bool windowToEnd = false;     // nothing follows the last row (a fetch came back short)
    int pos = -1;
    std::uint64_t stamp = 0;
    bool haveRecord = false;

    bool lockHeld = false;
    std::int64_t lockedRow = 0;
    bool batchedAppends = false;

    // The page of the current record alone after a post: a run of appends
    // fills it again for each record instead of making one each time, once
    // nothing else holds it.
    std::shared_ptr<RowPage> postedPage;
    // The record as sent by an update, kept so its room serves the next one.
    Row posting;
    // Autoincrement fields of the table, and those an insert left for the
    // database to number (given back empty when the insert fails).
    std::vector<int> numberedFields;
    std::vector<int> numberedHere;

    // What Cancel goes back to.
    AsideRecord saved;
    std::int64_t savedRowId = 0;
    bool savedHave = false;
    bool savedOwed = false; // the first read was still owed when the insert began

    explicit Impl(Table* table)
        : q(table)
    {
    }

    Backend& be() { return q->m_db->backend(); }

    void requireOpen() const
    {
        if (!q->isOpen())
            throw EngineError(ErrorCode::WrongState, QStringLiteral("Table %1 is not open.").arg(q->m_tableName));
    }

    int windowSize() const { return rows ? rows->size() : 0; }

    QVariantList currentKey()
    {
        QVariantList key;
        for (int i : view.orderFields)
            key << q->recordValue(i);
        return key;
    }

    static QVariantList keyOf(const CursorSpec& view, const RowPage& page, int row)
    {
        QVariantList key;
        for (int i : view.orderFields)
            key << page.value(row, i, view.fields[i].type);
        return key;
    }

    // A page of the one record given (a record just posted, re-read or put back).
    static std::shared_ptr<const RowPage> pageOf(std::int64_t rowId, Row values)
    {
        auto page = std::make_shared<RowPage>(static_cast<int>(values.size()), 1);
        page->addRow(rowId, std::move(values));
        return page;
    }

    Row storedValues()
    {
        q->materializeRecord();
        return Row(q->m_buffer.begin(), q->m_buffer.begin() + q->storedFieldCount());
    }

    QList<int> resolveOrder(const QStringList& names)
    {
        QList<int> order;
        for (const QString& name : names) {
            const Field* f = q->findField(name);
            if (!f || f->calculated())
                throw EngineError(ErrorCode::FieldNotFound,
                                  QStringLiteral("Key field '%1' not found in table %2.").arg(name, tableName));
            order << f->index();
        }
        return order;
    }

    // Field names that begin a key of the table are completed with the rest
    // of that key, so the order is the key's order and the database reads it
    // from the index instead of sorting.
    QList<int> effectiveOrder(const QList<int>& requested)
    {
        for (const IndexDef& index : def.indexes) {
            if (index.fields.size() < requested.size())
                continue;
            QList<int> full;
            for (const QString& name : index.fields)
                if (const Field* f = q->findField(name))
                    full << f->index();
            if (full.size() == index.fields.size() && full.mid(0, requested.size()) == requested)
                return full;
        }
        return requested;
    }

    bool isUniqueOrder() const
    {
        for (const IndexDef& index : def.indexes) {
            if ((!index.unique && !index.primary) || index.fields.size() != view.orderFields.size())
                continue;
            bool all = true;
            for (const QString& name : index.fields) {
                const Field* f = q->findField(name);
                all = all && f && view.orderFields.contains(f->index());
            }
            if (all)
                return true;
        }
        return false;
    }

    QVariantList normalizeKey(const QVariantList& values, const char* what)
    {
        if (values.size() > view.orderFields.size())
            throw EngineError(ErrorCode::InvalidRequest, QStringLiteral("%1: %2 values given for a key of %3 fields.")
                                                             .arg(QLatin1String(what))
                                                             .arg(values.size())
                                                             .arg(view.orderFields.size()));
        QVariantList key;
        key.reserve(values.size());
        for (int i = 0; i < values.size(); ++i) {
            const FieldDef& f = view.fields[view.orderFields[i]];
            // A text that fits its field is its own normal form: a search by
            // code takes it as given.
            if (values[i].metaType() == QMetaType::fromType<QString>()) {
                const auto& text = *static_cast<const QString*>(values[i].constData());
                const bool fits = f.type == FieldType::Memo
                                  || (f.type == FieldType::Text && text.size() <= (f.size > 0 ? f.size : 20));
                if (fits && !text.isEmpty()) {
                    key << values[i];
                    continue;
                }
            }
            key << NormalizeValue(f, values[i], f.name);
        }
        return key;
    }

    std::shared_ptr<const RowPage> fetch(const Seek& seek, int limit)
    {
        be().notePageRead();
        return be().fetchPage(view, seek, limit);
    }
    std::shared_ptr<const RowPage> fetchBackward(const Seek& seek, int limit)
    {
        be().notePageRead();
        std::shared_ptr<RowPage> page = be().fetchPage(view, seek, limit);
        page->reverse();
        return page;
    }

    // Row `r` of `page` holds `key` in its leading order fields.
    bool hasKey(const RowPage& page, int r, const QVariantList& key) const
    {
        for (int i = 0; i < key.size(); ++i) {
            const int f = view.orderFields[i];
            if (!page.holds(r, f, view.fields[f].type, key[i]))
                return false;
        }
        return true;
    }

    // Makes row `r` of `page` current; false when the filter hides it.
    bool take(const std::shared_ptr<const RowPage>& page, int r)
    {
        q->m_rowId = page->rowId(r);
        q->loadRecord(page, r);
        haveRecord = true;
        return q->passesFilter();
    }

    // The current record, to come back to when a search or move finds
    // nothing. The buffered window is not kept: it is cheap to refill and
    // copying it on every move is not.
    struct Snapshot {
        std::vector<QVariant> values;
        std::int64_t rowId;
        bool have;
        int pos;
        std::uint64_t stamp;
    };
    Snapshot snapshot()
    {
        q->materializeRecord();
        return {q->m_buffer, q->m_rowId, haveRecord, pos, stamp};
    }
    void restore(Snapshot&& s)
    {
        const bool windowIntact =
            s.pos >= 0 && s.pos < windowSize() && rows->rowId(s.pos) == s.rowId && s.stamp == stamp;
        q->restoreRecord(std::move(s.values));
        q->m_rowId = s.rowId;
        haveRecord = s.have;
        if (windowIntact) {
            pos = s.pos;
            return;
        }
        rows.reset();
        windowFromStart = false;
        windowToEnd = false;
        pos = -1;
        if (haveRecord) {
            rows = pageOf(s.rowId, storedValues());
            pos = 0;
        }
        stamp = s.stamp;
    }

    // Forward from a seek point to the first visible record. `limit`: the
    // first page; each further page is larger.
    bool scanForward(Seek seek, int limit = FirstBatch)
    {
        bool firstBatch = true;
        for (;;) {
            rows = fetch(seek, limit);
            const int n = rows->size();
            windowFromStart = firstBatch && seek.mode == SeekMode::First;
            windowToEnd = n < limit;
            firstBatch = false;
            stamp = be().changeStamp();
            for (pos = 0; pos < n; ++pos)
                if (take(rows, pos))
                    return true;
            if (n < limit)
                return false;
            seek = Seek{SeekMode::After, keyOf(view, *rows, n - 1), rows->rowId(n - 1)};
            limit = std::min(limit * 4, be().largestPage());
        }
    }

    bool scanBackward(Seek seek, int limit = FirstBatch)
    {
        for (;;) {
            rows = fetchBackward(seek, limit);
            const int n = rows->size();
            windowFromStart = false;
            windowToEnd = false;
            stamp = be().changeStamp();
            for (pos = n - 1; pos >= 0; --pos)
                if (take(rows, pos))
                    return true;
            if (n < limit)
                return false;
            seek = Seek{SeekMode::Before, keyOf(view, *rows, 0), rows->rowId(0)};
            limit = std::min(limit * 4, be().largestPage());
        }
    }

    void setEmpty()
    {
        rows.reset();
        windowFromStart = false;
        windowToEnd = false;
        pos = -1;
        haveRecord = false;
        q->m_rowId = 0;
        q->clearRecord();
        q->setEdges(true, true);
    }

    // Positions on the first visible record from `seek`; empty when none.
    void positionFrom(const Seek& seek)
    {
        if (masterEmpty || !scanForward(seek)) {
            setEmpty();
        } else {
            q->setEdges(false, false);
        }
        q->notifyRecord();
    }

    void moveBy(bool forward)
    {
        requireOpen();
        q->settle();
        q->checkBrowse();
        if (!haveRecord) {
            q->setEdges(true, true);
            return;
        }
        const bool fresh = stamp == be().changeStamp();
        if (fresh && !q->filtered()) {
            const int p = pos + (forward ? 1 : -1);
            if (p >= 0 && p < windowSize()) {
                q->m_rowId = rows->rowId(p);
                q->loadRecord(rows, p);
                pos = p;
                q->setEdges(false, false);
                q->notifyRecord();
                return;
            }
            // A detail's few lines came in one short fetch: the end is known
            // without asking again. A table of its own still looks past its
            // end, where another workstation may have added records since.
            if (forward && master != nullptr && windowToEnd) {
                q->setEdges(q->bof(), true);
                return;
            }
        }
        Snapshot before = snapshot();
        bool found = false;
        if (fresh) {
            // Inside the buffered window first.
            const int step = forward ? 1 : -1;
            for (int p = pos + step; p >= 0 && p < windowSize(); p += step) {
                if (take(rows, p)) {
                    pos = p;
                    found = true;
                    break;
                }
            }
        }
        const bool endKnown = master != nullptr && forward && fresh && windowToEnd;
        if (!found && !endKnown) {
            // From the edge of the window when it is still current, so a
            // walk that went through a whole page goes on through larger
            // ones: a statement of ten thousand lines is a few dozen pages,
            // not hundreds.
            const bool fromEdge = fresh && windowSize() > 0;
            const int e = forward ? windowSize() - 1 : 0;
            const SeekMode mode = forward ? SeekMode::After : SeekMode::Before;
            const Seek seek = fromEdge ? Seek{mode, keyOf(view, *rows, e), rows->rowId(e)}
                                       : Seek{mode, keyFromSnapshot(before), before.rowId};
            const int limit =
                fromEdge ? std::min(std::max(windowSize(), FirstBatch) * 4, be().largestPage()) : FirstBatch;
            found = forward ? scanForward(seek, limit) : scanBackward(seek, limit);
        }
        if (!found) {
            stayAtEnd(std::move(before), forward);
            return;
        }
        q->setEdges(false, false);
        q->notifyRecord();
    }

    // A move found nothing further that way: the cursor stays on its record,
    // at that end.
    void stayAtEnd(Snapshot&& before, bool forward)
    {
        restore(std::move(before));
        if (forward)
            q->setEdges(q->bof(), true);
        else
            q->setEdges(true, q->eof());
    }

    // Row `r` of the window, current and told.
    void landInWindow(int r, bool atEnd)
    {
        q->m_rowId = rows->rowId(r);
        q->loadRecord(rows, r);
        pos = r;
        q->setEdges(false, atEnd);
        q->notifyRecord();
    }

    // `n` records on or back in one read: the database passes over the
    // records between, so neither their rows nor their calculated fields are
    // made. Ends where n single moves would, with their eof and bof. A
    // filter is the cursor's own code: its records are stepped through.
    void moveMany(int n)
    {
        requireOpen();
        q->settle();
        const bool forward = n > 0;
        const std::int64_t distance = forward ? std::int64_t{n} : -std::int64_t{n};
        if (distance <= 1 || q->filtered()) {
            for (std::int64_t i = 0; i < distance && !(i > 0 && (forward ? q->eof() : q->bof())); ++i)
                moveBy(forward);
            return;
        }
        q->checkBrowse();
        if (!haveRecord) {
            q->setEdges(true, true);
            return;
        }
        const bool fresh = stamp == be().changeStamp() && windowSize() > 0;
        if (fresh) {
            const std::int64_t target = pos + std::int64_t{n};
            if (target >= 0 && target < windowSize()) {
                landInWindow(static_cast<int>(target), false);
                return;
            }
            // A detail's window holds all its lines (see moveBy).
            if (forward && master != nullptr && windowToEnd) {
                if (pos == windowSize() - 1)
                    q->setEdges(q->bof(), true);
                else
                    landInWindow(windowSize() - 1, true);
                return;
            }
        }
        Snapshot before = snapshot();
        // From the edge of the window when it is current (the records in it
        // are passed already), else from the record itself.
        const int e = forward ? windowSize() - 1 : 0;
        const std::int64_t inWindow = fresh ? (forward ? e - pos : pos - e) : 0;
        const SeekMode mode = forward ? SeekMode::After : SeekMode::Before;
        Seek seek = fresh ? Seek{mode, keyOf(view, *rows, e), rows->rowId(e)}
                          : Seek{mode, keyFromSnapshot(before), before.rowId};
        seek.skip = distance - inWindow - 1;
        auto page = forward ? fetch(seek, FirstBatch) : fetchBackward(seek, FirstBatch);
        if (page->size() > 0) {
            windowFromStart = false;
            windowToEnd = forward && page->size() < FirstBatch;
            rows = std::move(page);
            stamp = be().changeStamp();
            landInWindow(forward ? 0 : windowSize() - 1, false);
            return;
        }
        // Beyond the end: n single moves stop on the last record (the first
        // going back), and move only when the cursor was not on it already.
        const bool found =
            forward ? scanBackward(Seek{SeekMode::Last, {}, 0}) : scanForward(Seek{SeekMode::First, {}, 0});
        if (!found || q->m_rowId == before.rowId) {
            stayAtEnd(std::move(before), forward);
            return;
        }
        q->setEdges(!forward, forward);
        q->notifyRecord();
    }

    // Whatever positions the cursor now replaces the first read open put off;
    // true when it was still owed.
    bool takeOwedPosition()
    {
        const bool owed = q->positionOwed();
        q->forgetDeferredPositioning();
        return owed;
    }

    // Bound views and linked tables follow every move from the open on; a
    // cursor nobody watches may leave its first read to its first use.
    bool mayDeferFirstRead() const
    {
        return master == nullptr && details.empty()
               && !q->isSignalConnected(QMetaMethod::fromSignal(&DataSet::recordChanged))
               && !q->isSignalConnected(QMetaMethod::fromSignal(&DataSet::dataSetChanged))
               && !q->isSignalConnected(QMetaMethod::fromSignal(&DataSet::stateChanged));
    }

    QVariantList keyFromSnapshot(const Snapshot& s) const
    {
        QVariantList key;
        for (int i : view.orderFields)
            key << s.values[static_cast<size_t>(i)];
        return key;
    }

    // Keeps the current record current after its key or the order changed.
    void reseatOnCurrent()
    {
        rows.reset();
        windowFromStart = false;
        windowToEnd = false;
        if (!haveRecord) {
            positionFrom(Seek{SeekMode::First, {}, 0});
            return;
        }
        rows = pageOfCurrent();
        pos = 0;
        stamp = be().changeStamp();
        q->setEdges(false, false);
        q->notifyRecord();
    }

    // The current record's values move into the page, and the record reads
    // them from there as it would from any page it was read from: they are
    // not copied, and a run of appends does not copy them back either.
    std::shared_ptr<const RowPage> pageOfCurrent()
    {
        q->materializeRecord();
        const int stored = q->storedFieldCount();
        if (postedPage && postedPage.use_count() == 1 && postedPage->columns() == stored)
            postedPage->clear();
        else
            postedPage = std::make_shared<RowPage>(stored, 1);
        postedPage->beginRow(q->m_rowId);
        for (int i = 0; i < stored; ++i)
            postedPage->addHeld(std::move(q->m_buffer[static_cast<size_t>(i)]));
        q->readStoredFrom(postedPage, 0);
        return postedPage;
    }

    // `written`: the record was just posted or deleted; inside a transaction
    // its lock then lasts until the transaction ends.
    void releaseLock(bool written = false)
    {
        if (!lockHeld)
            return;
        if (written && be().inTransaction()) {
            be().keepLockUntilTransactionEnds(tableName, lockedRow);
        } else if (!be().heldUntilTransactionEnds(tableName, lockedRow)) {
            be().unlockRecord(tableName, lockedRow);
            be().clearRecordOwner(tableName, lockedRow);
        }
        lockHeld = false;
    }

    // With `fresh`, the record is also read as it stands once locked, in
    // the same exchange with the server where the backend can.
    void takeLock(std::int64_t rowId, std::optional<Row>* fresh = nullptr)
    {
        be().refuseInConsistentRead();
        if (lockHeld && lockedRow == rowId) {
            if (fresh) {
                try {
                    *fresh = be().readRow(view, rowId);
                } catch (...) {
                    releaseLock();
                    throw;
                }
            }
            return;
        }
        const void* owner = be().recordOwner(tableName, rowId);
        if (owner && owner != q)
            throw EngineError(ErrorCode::RecordLockedHere,
                              QStringLiteral("The record is already being changed in another window of this program."));
        const bool locked = fresh ? be().lockAndReadRecord(view, rowId, *fresh) : be().tryLockRecord(tableName, rowId);
        if (!locked)
            throw EngineError(ErrorCode::RecordLocked, QStringLiteral("Record locked by another user."));
        be().setRecordOwner(tableName, rowId, q);
        lockHeld = true;
        lockedRow = rowId;
    }

    // `force`: the link itself or the order changed. Otherwise the detail
    // moves only when the master's link values did (an edit of the master's
    // other fields leaves the detail, and a line being entered there, alone).
    void syncToMaster(bool force)
    {
        if (!q->isOpen())
            return;
        const bool nowEmpty = !master->isOpen() || master->isEmpty();
        QVariantList link;
        if (!nowEmpty) {
            for (int i = 0; i < masterFields.size() && i < view.orderFields.size(); ++i) {
                const FieldDef& f = view.fields[view.orderFields[i]];
                link << NormalizeValue(f, master->field(masterFields[i]).value(), f.name);
            }
        }
        if (!force && nowEmpty == masterEmpty && link.size() == view.linkValues.size()) {
            bool same = true;
            for (int i = 0; i < link.size() && same; ++i)
                same = CompareValues(view.fields[view.orderFields[i]].type, link[i], view.linkValues[i]) == 0;
            if (same)
                return;
        }
        // A detail line being entered is posted, not dropped, when the master
        // moves on; a refused post stops the master's move with its error.
        q->checkBrowse();
        masterEmpty = nowEmpty;
        view.linkValues = link;
        positionFrom(Seek{SeekMode::First, {}, 0});
    }

    // No field of any key differs between the record as read and `row`.
    bool keysKept(const Row& row) const
    {
        if (saved.values.size() < row.size())
            return false;
        for (int i : keyFields)
            if (CompareValues(view.fields[i].type, saved.values[static_cast<size_t>(i)], row[static_cast<size_t>(i)])
                != 0)
                return false;
        return true;
    }

    void unlinkFromMaster()
    {
        if (!master)
            return;
        auto& list = master->d->details;
        list.erase(std::remove(list.begin(), list.end(), q), list.end());
        master = nullptr;
        masterFields.clear();
        masterEmpty = false;
        view.linkValues.clear();
    }
};

Table::Table(QObject* parent)
    : DataSet(parent)
    , d(std::make_unique<Impl>(this))
{
}

Table::~Table()
{
    try {
        close();
    } catch (...) {
        // A destructor must not throw; the lock goes with the descriptor anyway.
    }
    for (Table* detail : d->details) {
        detail->d->master = nullptr;
        detail->d->masterFields.clear();
    }
    d->details.clear();
    d->unlinkFromMaster();
}

void Table::setDatabase(std::shared_ptr<Database> db)
{
    if (isOpen())
        throw EngineError(ErrorCode::WrongState,
                          QStringLiteral("Close table %1 before changing its database.").arg(m_tableName));
    m_db = std::move(db);
    d->alias.clear();
    d->folder.clear();
}

void Table::setAliasName(const QString& alias)
{
    if (isOpen())
        throw EngineError(ErrorCode::WrongState,
                          QStringLiteral("Close table %1 before changing its database.").arg(m_tableName));
    d->alias = alias;
    d->folder.clear();
    m_db.reset();
}

void Table::setFolder(const QString& folder)
{
    if (isOpen())
        throw EngineError(ErrorCode::WrongState,
                          QStringLiteral("Close table %1 before changing its database.").arg(m_tableName));
    d->folder = folder;
    d->alias.clear();
    m_db.reset();
}

void Table::setTableName(const QString& name)
{
    if (isOpen())
        throw EngineError(ErrorCode::WrongState,
                          QStringLiteral("Close table %1 before changing its name.").arg(m_tableName));
    m_tableName = name;
}

void Table::setBatchedAppends(bool batched)
{
    d->batchedAppends = batched;
    d->view.batchedAppends = batched;
}

bool Table::batchedAppends() const
{
    return d->batchedAppends;
}

void Table::setReadOnly(bool readOnly)
{
    if (isOpen())
        throw EngineError(ErrorCode::WrongState,
                          QStringLiteral("Close table %1 before changing read-only.").arg(m_tableName));
    m_readOnly = readOnly;
}

bool Table::exists()
{
    std::shared_ptr<Database> db = m_db;
    if (!db && !d->alias.isEmpty())
        db = AliasDatabase(d->alias);
    if (!db && !d->folder.isEmpty())
        db = Database::forFolder(d->folder);
    if (!db)
        return false;
    return db->tableExists(m_tableName);
}

void Table::open()
{
    if (isOpen())
        return;
    if (!d->alias.isEmpty())
        m_db = AliasDatabase(d->alias);
    else if (!d->folder.isEmpty())
        m_db = Database::forFolder(d->folder);
    if (!m_db)
        throw EngineError(ErrorCode::WrongState,
                          QStringLiteral("Table %1 has no database, alias or folder.").arg(m_tableName));
    const QString name = NormalizeTableName(m_tableName);
    TableDef def = m_db->tableDef(name);
    setupFields(def.fields);
    d->def = def;
    d->keyFields.clear();
    for (const IndexDef& index : def.indexes)
        for (const QString& keyField : index.fields)
            if (const Field* f = findField(keyField))
                d->keyFields.push_back(f->index());
    d->tableName = name;
    d->view = CursorSpec{};
    d->view.batchedAppends = d->batchedAppends;
    d->view.table = name;
    d->view.fields = def.fields;
    d->numberedFields.clear();
    for (int i = 0; i < def.fields.size(); ++i)
        if (def.fields[i].type == FieldType::AutoIncrement)
            d->numberedFields.push_back(i);
    QStringList order = d->orderNames;
    if (order.isEmpty())
        if (const IndexDef* pk = def.primaryKey())
            order = pk->fields;
    try {
        d->view.orderFields = d->effectiveOrder(d->resolveOrder(order));
        d->view.uniqueOrder = d->isUniqueOrder();
    } catch (...) {
        teardownFields();
        throw;
    }
    m_db->noteTableOpened(name, 1);
    setState(DataSetState::Browse);
    try {
        if (d->master) {
            d->syncToMaster(true);
        } else if (d->mayDeferFirstRead()) {
            // The first page is read when the cursor is first moved or read;
            // a search straight after the open reads only what it finds.
            d->setEmpty();
            deferPositioning();
        } else {
            d->positionFrom(Seek{SeekMode::First, {}, 0});
        }
    } catch (...) {
        close();
        throw;
    }
    emit dataSetChanged();
}

void Table::close()
{
    if (!isOpen())
        return;
    forgetDeferredPositioning();
    d->releaseLock();
    m_db->noteTableOpened(d->tableName, -1);
    d->rows.reset();
    d->haveRecord = false;
    m_rowId = 0;
    m_modified = false;
    teardownFields();
    setEdges(true, true);
    setState(DataSetState::Inactive);
    for (Table* detail : d->details)
        if (detail->isOpen())
            detail->d->syncToMaster(false);
    emit dataSetChanged();
}

QString Table::indexFieldNames() const
{
    return d->orderNames.join(QLatin1Char(';'));
}

void Table::setIndexFieldNames(const QString& fields)
{
    QStringList names;
    for (const QString& part : fields.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        names << part.trimmed();
    if (!isOpen()) {
        d->orderNames = names;
        return;
    }
    // The current record stays current in the new order: it must be known.
    settle();
    checkBrowse();
    QStringList order = names;
    if (order.isEmpty())
        if (const IndexDef* pk = d->def.primaryKey())
            order = pk->fields;
    d->view.orderFields = d->effectiveOrder(d->resolveOrder(order));
    d->view.uniqueOrder = d->isUniqueOrder();
    d->view.backendCache.reset();
    d->orderNames = names;
    d->view.low.clear();
    d->view.high.clear();
    if (d->master) {
        d->syncToMaster(true);
        return;
    }
    d->reseatOnCurrent();
}

bool Table::findKey(const QVariantList& values)
{
    d->requireOpen();
    checkBrowse();
    const QVariantList key = d->normalizeKey(values, "FindKey");
    if (d->masterEmpty)
        return false;
    const bool owed = d->takeOwedPosition();
    // A row becomes the current record only once its key matches, so an
    // unfiltered search that finds nothing has nothing to put back. A filter
    // looks at the record itself: what it refuses must be undone.
    std::optional<Impl::Snapshot> before;
    auto keep = [&] {
        if (!before && !owed)
            before = d->snapshot();
    };
    // One row answers an unfiltered search; a filter may need more.
    const int limit = filtered() ? FirstBatch : 1;
    auto rows = d->fetch(Seek{SeekMode::AtOrAfter, key, 0}, limit);
    bool allEqual = true;
    for (int r = 0; r < rows->size(); ++r) {
        if (!d->hasKey(*rows, r, key)) {
            allEqual = false;
            break;
        }
        if (filtered())
            keep();
        if (d->take(rows, r)) {
            d->rows = rows;
            d->windowFromStart = false;
            d->windowToEnd = false;
            d->pos = r;
            d->stamp = d->be().changeStamp();
            setEdges(false, false);
            notifyRecord();
            return true;
        }
    }
    if (filtered() && allEqual && rows->size() == limit) {
        // Many equal keys hidden by a filter: walk on from there.
        keep();
        const int lastRow = rows->size() - 1;
        if (d->scanForward(Seek{SeekMode::After, Impl::keyOf(d->view, *rows, lastRow), rows->rowId(lastRow)})
            && d->hasKey(*d->rows, d->pos, key)) {
            setEdges(false, false);
            notifyRecord();
            return true;
        }
    }
    // Staying put, for a cursor not yet read, is standing on its first record.
    if (owed)
        d->positionFrom(Seek{SeekMode::First, {}, 0});
    else if (before)
        d->restore(std::move(*before));
    return false;
}

void Table::findNearest(const QVariantList& values)
{
    d->requireOpen();
    checkBrowse();
    const QVariantList key = d->normalizeKey(values, "FindNearest");
    d->takeOwedPosition();
    if (d->masterEmpty) {
        d->setEmpty();
        return;
    }
    if (d->scanForward(Seek{SeekMode::AtOrAfter, key, 0})) {
        setEdges(false, false);
        notifyRecord();
        return;
    }
    last();
    setEdges(bof(), true);
}

bool Table::locatePrefix(const QVariantList& values)
{
    d->requireOpen();
    checkBrowse();
    if (values.isEmpty()) {
        first();
        return !isEmpty();
    }
    const QVariantList key = d->normalizeKey(values, "Locate");
    if (d->masterEmpty)
        return false;
    const bool owed = d->takeOwedPosition();
    auto before = d->snapshot();
    auto matches = [&]() {
        for (int i = 0; i < key.size(); ++i) {
            const FieldDef& f = d->view.fields[d->view.orderFields[i]];
            const QVariant& v = recordValue(d->view.orderFields[i]);
            const bool lastText = i == key.size() - 1 && (f.type == FieldType::Text || f.type == FieldType::Memo);
            if (lastText) {
                if (!key[i].isValid())
                    return true;
                if (!v.isValid() || !v.toString().startsWith(key[i].toString()))
                    return false;
            } else if (CompareValues(f.type, v, key[i]) != 0) {
                return false;
            }
        }
        return true;
    };
    if (d->scanForward(Seek{SeekMode::AtOrAfter, key, 0}) && matches()) {
        setEdges(false, false);
        notifyRecord();
        return true;
    }
    if (owed)
        d->positionFrom(Seek{SeekMode::First, {}, 0});
    else
        d->restore(std::move(before));
    return false;
}

void Table::setRange(const QVariantList& low, const QVariantList& high)
{
    d->requireOpen();
    checkBrowse();
    d->view.low = d->normalizeKey(low, "SetRange");
    d->view.high = d->normalizeKey(high, "SetRange");
    d->takeOwedPosition();
    d->positionFrom(Seek{SeekMode::First, {}, 0});
}

void Table::cancelRange()
{
    setRange({}, {});
}

void Table::setMaster(Table* master, const QString& masterFields)
{
    if (master == this)
        throw EngineError(ErrorCode::InvalidRequest, QStringLiteral("A table cannot be its own master."));
    d->unlinkFromMaster();
    if (isOpen())
        d->takeOwedPosition();
    if (!master) {
        if (isOpen())
            d->positionFrom(Seek{SeekMode::First, {}, 0});
        return;
    }
    for (Table* t = master; t; t = t->d->master)
        if (t == this)
            throw EngineError(ErrorCode::InvalidRequest, QStringLiteral("Master/detail links may not form a circle."));
    // The detail follows the master's record from here on: it must be known.
    master->settle();
    d->master = master;
    for (const QString& part : masterFields.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        d->masterFields << part.trimmed();
    master->d->details.push_back(this);
    if (isOpen())
        d->syncToMaster(true);
}

void Table::first()
{
    d->requireOpen();
    if (d->takeOwedPosition()) {
        d->positionFrom(Seek{SeekMode::First, {}, 0});
        return;
    }
    checkBrowse();
    // A detail just positioned by its master already holds its first rows.
    if (!d->masterEmpty && d->windowFromStart && d->stamp == d->be().changeStamp()) {
        for (int p = 0; p < d->windowSize(); ++p)
            if (d->take(d->rows, p)) {
                d->pos = p;
                setEdges(false, false);
                notifyRecord();
                return;
            }
    }
    d->positionFrom(Seek{SeekMode::First, {}, 0});
}

void Table::last()
{
    d->requireOpen();
    d->takeOwedPosition();
    checkBrowse();
    if (d->masterEmpty || !d->scanBackward(Seek{SeekMode::Last, {}, 0})) {
        d->setEmpty();
    } else {
        setEdges(false, false);
    }
    notifyRecord();
}

void Table::next()
{
    d->moveBy(true);
}
void Table::prior()
{
    d->moveBy(false);
}
void Table::moveBy(int n)
{
    d->moveMany(n);
}

int Table::recordCount()
{
    d->requireOpen();
    if (d->masterEmpty)
        return 0;
    if (!filtered())
        return static_cast<int>(d->be().count(d->view));
    settle();
    auto before = d->snapshot();
    int count = 0;
    Seek seek{SeekMode::First, {}, 0};
    for (;;) {
        const int page = d->be().largestPage();
        auto rows = d->fetch(seek, page);
        for (int r = 0; r < rows->size(); ++r)
            if (d->take(rows, r))
                ++count;
        if (rows->size() < page)
            break;
        const int lastRow = rows->size() - 1;
        seek = Seek{SeekMode::After, Impl::keyOf(d->view, *rows, lastRow), rows->rowId(lastRow)};
    }
    d->restore(std::move(before));
    return count;
}

int Table::recordsBefore()
{
    d->requireOpen();
    if (filtered())
        return -1;
    settle();
    if (d->masterEmpty || !d->haveRecord)
        return 0;
    const Seek seek{SeekMode::Before, d->currentKey(), m_rowId};
    return static_cast<int>(d->be().countBefore(d->view, seek));
}

void Table::refresh()
{
    d->requireOpen();
    d->takeOwedPosition(); // no record yet: refresh reads the first
    checkBrowse();
    if (d->masterEmpty) {
        d->setEmpty();
        notifyRecord();
        return;
    }
    if (d->haveRecord) {
        if (auto row = d->be().readRow(d->view, m_rowId)) {
            auto current = Impl::pageOf(m_rowId, std::move(*row));
            if (d->take(current, 0)) {
                d->rows = current;
                d->windowFromStart = false;
                d->windowToEnd = false;
                d->pos = 0;
                d->stamp = d->be().changeStamp();
                setEdges(false, false);
                notifyRecord();
                emit dataSetChanged();
                return;
            }
        }
        // Gone or hidden: the next record in the order takes its place.
        const QVariantList key = d->currentKey();
        d->positionFrom(Seek{SeekMode::After, key, m_rowId});
        if (isEmpty())
            last();
    } else {
        d->positionFrom(Seek{SeekMode::First, {}, 0});
    }
    emit dataSetChanged();
}

// ---- changing records -------------------------------------------------------

void Table::checkBrowse()
{
    // Moving away from a changed record posts it, as the entry forms expect.
    if (state() == DataSetState::Edit || state() == DataSetState::Insert)
        post();
}

void Table::checkWritable(const Field& field) const
{
    DataSet::checkWritable(field);
    if (m_readOnly && !field.calculated())
        throw EngineError(ErrorCode::ReadOnly, QStringLiteral("Table %1 is open read-only.").arg(m_tableName));
}

void Table::afterFieldAssigned(Field& field)
{
    if (!field.calculated())
        m_modified = true;
    DataSet::afterFieldAssigned(field);
}

void Table::filterChanged()
{
    if (state() == DataSetState::Browse) {
        d->takeOwedPosition();
        d->positionFrom(Seek{SeekMode::First, {}, 0});
    }
}

void Table::positionDeferred()
{
    if (state() != DataSetState::Browse)
        return;
    // Views connected since the open never heard of the first record at the
    // open either; they are told of moves from here on.
    const QSignalBlocker quiet(this);
    d->positionFrom(Seek{SeekMode::First, {}, 0});
}

void Table::afterMove()
{
    for (Table* detail : d->details)
        detail->d->syncToMaster(false);
}

void Table::insert()
{
    d->requireOpen();
    if (m_readOnly)
        throw EngineError(ErrorCode::ReadOnly, QStringLiteral("Table %1 is open read-only.").arg(m_tableName));
    // A cursor not yet read stays unread under the new record (a fill reads
    // nothing); cancel() gives it back its first read still owed.
    const bool owed = d->takeOwedPosition();
    checkBrowse();
    // The record left is what a cancel gives back, as it stands (a run of
    // appends never reads it again); the new one starts empty.
    putRecordAside(d->saved);
    d->savedRowId = m_rowId;
    d->savedHave = d->haveRecord;
    d->savedOwed = owed;
    m_rowId = 0;
    setState(DataSetState::Insert);
    if (d->master && !d->masterEmpty)
        for (int i = 0; i < d->view.linkValues.size(); ++i)
            m_buffer[static_cast<size_t>(d->view.orderFields[i])] = d->view.linkValues[i];
    if (m_events.newRecord) {
        try {
            m_events.newRecord(*this);
        } catch (...) {
            cancel();
            throw;
        }
    }
    m_modified = false;
    notifyRecord();
}

void Table::append()
{
    insert();
}

void Table::edit()
{
    d->requireOpen();
    if (state() == DataSetState::Edit || state() == DataSetState::Insert)
        return;
    if (m_readOnly)
        throw EngineError(ErrorCode::ReadOnly, QStringLiteral("Table %1 is open read-only.").arg(m_tableName));
    settle();
    if (!d->haveRecord)
        throw EngineError(ErrorCode::WrongState,
                          QStringLiteral("Table %1 has no current record to edit.").arg(m_tableName));
    // Another workstation may have changed the record since it was read.
    std::optional<Row> fresh;
    d->takeLock(m_rowId, &fresh);
    if (!fresh) {
        d->releaseLock();
        throw EngineError(ErrorCode::RecordDeleted, QStringLiteral("The record was deleted by another user."));
    }
    loadRecord(std::move(*fresh));
    d->saved.release();
    d->saved.values = m_buffer;
    d->savedRowId = m_rowId;
    d->savedHave = true;
    d->savedOwed = false;
    m_modified = false;
    setState(DataSetState::Edit);
    notifyRecord();
}

void Table::post()
{
    d->requireOpen();
    const DataSetState s = state();
    if (s != DataSetState::Edit && s != DataSetState::Insert)
        return;
    if (m_events.beforePost)
        m_events.beforePost(*this);
    materializeRecord();
    if (s == DataSetState::Insert) {
        // The record goes as it stands (the backend reads the stored fields
        // only) and stays as written: nothing is copied for the insert.
        d->numberedHere.clear();
        for (int i : d->numberedFields)
            if (!m_buffer[static_cast<size_t>(i)].isValid())
                d->numberedHere.push_back(i);
        try {
            m_rowId = d->be().insertRow(d->view, m_buffer);
        } catch (...) {
            // A number taken for a record that was not written is not shown.
            for (int i : d->numberedHere)
                m_buffer[static_cast<size_t>(i)] = QVariant();
            throw;
        }
        d->saved.release();
        runCalcFields();
    } else {
        Row& row = d->posting;
        row.assign(m_buffer.begin(), m_buffer.begin() + storedFieldCount());
        const size_t stored = std::min(static_cast<size_t>(storedFieldCount()), d->saved.values.size());
        const Row before(d->saved.values.begin(), d->saved.values.begin() + static_cast<std::ptrdiff_t>(stored));
        d->be().updateRow(d->view, m_rowId, row, d->keysKept(row) ? &before : nullptr);
        d->releaseLock(true);
        loadRecord(std::move(row));
    }
    d->haveRecord = true;
    d->savedOwed = false;
    m_modified = false;
    setState(DataSetState::Browse);
    d->reseatOnCurrent();
    if (m_events.afterPost)
        m_events.afterPost(*this);
}

void Table::cancel()
{
    const DataSetState s = state();
    if (s != DataSetState::Edit && s != DataSetState::Insert)
        return;
    d->releaseLock();
    takeRecordBack(d->saved);
    m_rowId = d->savedRowId;
    d->haveRecord = d->savedHave;
    m_modified = false;
    setState(DataSetState::Browse);
    if (d->haveRecord)
        setEdges(false, false);
    else
        setEdges(true, true);
    if (std::exchange(d->savedOwed, false)) {
        deferPositioning();
        return;
    }
    notifyRecord();
}

void Table::deleteRecord()
{
    d->requireOpen();
    if (m_readOnly)
        throw EngineError(ErrorCode::ReadOnly, QStringLiteral("Table %1 is open read-only.").arg(m_tableName));
    if (state() == DataSetState::Insert) {
        cancel();
        return;
    }
    settle();
    if (!d->haveRecord)
        throw EngineError(ErrorCode::WrongState,
                          QStringLiteral("Table %1 has no current record to delete.").arg(m_tableName));
    const bool wasEditing = state() == DataSetState::Edit;
    d->takeLock(m_rowId);
    if (m_events.beforeDelete) {
        try {
            m_events.beforeDelete(*this);
        } catch (...) {
            if (!wasEditing)
                d->releaseLock();
            throw;
        }
    }
    try {
        d->be().deleteRow(d->tableName, m_rowId);
    } catch (...) {
        if (!wasEditing)
            d->releaseLock();
        throw;
    }
    d->releaseLock(true);
    m_modified = false;
    setState(DataSetState::Browse);
    const QVariantList key = d->currentKey();
    const std::int64_t deleted = m_rowId;
    if (d->scanForward(Seek{SeekMode::After, key, deleted})) {
        setEdges(false, false);
        notifyRecord();
    } else if (d->scanBackward(Seek{SeekMode::Before, key, deleted})) {
        setEdges(false, true);
        notifyRecord();
    } else {
        d->setEmpty();
        notifyRecord();
    }
    if (m_events.afterDelete)
        m_events.afterDelete(*this);
}

} // namespace varnex::data
