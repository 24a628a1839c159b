#include "varnex/widgets/datasetmodel.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "varnex/data/engine_error.h"
#include "varnex/messages.h"
#include "varnex/widgets/dbwidgets.h"

namespace varnex {

using data::DataSet;
using data::DataSetState;
using data::Field;

namespace {

// What a keyed jump or a move to either end costs, counted in steps of the
// cursor: one query each, where a step usually stays in the cursor's window.
constexpr long long JumpCost = 64;
constexpr long long EndCost = 32;
// Records of one key a jump walks through to find the one it wants (a key
// that is not unique lands on the first of them).
constexpr int TieSteps = 512;
// A table without a filter moves by many records in one read, the database
// passing over the records between: a read, and a little for every record
// passed, far less than a step (which makes the record and its calculated
// fields), either way: going back it walks its key down from the record.
constexpr long long SkipCost = 32;
constexpr long long SkippedPerStep = 256;

// Data sets some model is walking through with their views suspended. Any
// model of the same data set lets it pass (the walk ends where it began);
// the models of other data sets, such as a detail that follows every step
// of its master, look again once the walk is over.
QList<const DataSet*>& hushedDataSets()
{
    static QList<const DataSet*> walked;
    return walked;
}

bool isEditing(const DataSet* dataSet)
{
    return dataSet && (dataSet->state() == DataSetState::Edit || dataSet->state() == DataSetState::Insert);
}

} // namespace

// While the model moves the cursor, its bound views are suspended (hush), so
// that a walk of thousands of records does not repaint every bound box; the
// last step of a move the views must follow is made after end().
class DataSetModel::Walk {
public:
    explicit Walk(DataSetModel& model)
        : m_model(model)
        , m_wasMoving(model.m_moving)
    {
        m_model.m_moving = true;
    }
    ~Walk()
    {
        end();
        m_model.m_moving = m_wasMoving;
    }
    Walk(const Walk&) = delete;
    Walk& operator=(const Walk&) = delete;

    void hush()
    {
        if (!m_hushed && !m_ended) {
            m_hushed = true;
            hushedDataSets().append(m_model.m_dataSet);
            m_model.m_dataSet->disableControls();
        }
    }
    void end()
    {
        m_ended = true;
        if (m_hushed) {
            m_hushed = false;
            m_model.m_dataSet->enableControls();
            hushedDataSets().removeOne(m_model.m_dataSet);
        }
    }

private:
    DataSetModel& m_model;
    bool m_wasMoving;
    bool m_hushed = false;
    bool m_ended = false;
};

DataSetModel::DataSetModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

void DataSetModel::setDataSet(DataSet* dataSet)
{
    for (const auto& c : m_connections)
        disconnect(c);
    m_connections.clear();
    m_dataSet = dataSet;
    m_table = qobject_cast<data::Table*>(dataSet);
    m_keySignature.clear();
    if (m_dataSet) {
        m_connections << connect(m_dataSet, &DataSet::dataSetChanged, this, &DataSetModel::onDataSetChanged);
        m_connections << connect(m_dataSet, &DataSet::recordChanged, this, &DataSetModel::onRecordChanged);
        m_connections << connect(m_dataSet, &DataSet::stateChanged, this, &DataSetModel::onStateChanged);
    }
    resetRows();
}

void DataSetModel::setColumns(const QList<GridColumn>& columns)
{
    beginResetModel();
    m_columns = columns;
    endResetModel();
    resetRows();
}

// ---- where the cursor is ------------------------------------------------------

bool DataSetModel::canMove() const
{
    return m_dataSet && m_dataSet->isOpen() && !isEditing(m_dataSet) && !m_dataSet->controlsDisabled() && !m_moving;
}

std::uint64_t DataSetModel::writeStamp() const
{
    // Every change of this process to the database is counted there, by
    // whichever cursor made it.
    if (m_table && m_table->isOpen())
        if (const auto db = m_table->database())
            return db->changeCount();
    return 0;
}

DataSetModel::Mark DataSetModel::markOfCursor() const
{
    Mark mark;
    if (!m_dataSet || !m_dataSet->isOpen() || m_dataSet->isEmpty())
        return mark;
    mark.valid = true;
    if (m_table) {
        mark.id = m_table->recordId();
        for (const QString& name : m_keyFields)
            if (Field* f = m_dataSet->findField(name))
                mark.values << f->value();
    } else {
        for (int i = 0; i < m_dataSet->fieldCount(); ++i)
            mark.values << m_dataSet->fieldByNumber(i).value();
    }
    return mark;
}

bool DataSetModel::sameRecord(const Mark& a, const Mark& b) const
{
    if (!a.valid || !b.valid)
        return false;
    return m_table ? a.id == b.id : a.values == b.values;
}

// The cursor's order: the key named, or the primary key, completed (as the
// engine does) with the rest of the first key that begins with it, so that
// the values of a row find that very row.
void DataSetModel::resolveKeyFields()
{
    if (!m_table || !m_table->isOpen()) {
        m_keyFields.clear();
        m_keySignature.clear();
        return;
    }
    const QString signature = m_table->tableName() + QLatin1Char('|') + m_table->indexFieldNames();
    if (signature == m_keySignature)
        return;
    m_keySignature = signature;
    m_keyFields.clear();
    QStringList names;
    for (const QString& part : m_table->indexFieldNames().split(QLatin1Char(';'), Qt::SkipEmptyParts))
        names << part.trimmed();
    try {
        const data::TableDef def = m_table->database()->tableDef(m_table->tableName());
        if (names.isEmpty())
            if (const data::IndexDef* pk = def.primaryKey())
                names = pk->fields;
        for (const data::IndexDef& index : def.indexes) {
            if (index.fields.size() < names.size())
                continue;
            bool leads = true;
            for (int i = 0; i < names.size() && leads; ++i)
                leads = index.fields[i].compare(names[i], Qt::CaseInsensitive) == 0;
            if (leads) {
                names = index.fields;
                break;
            }
        }
    } catch (const data::EngineError&) {
        // Without the table's keys the model only steps; it never jumps.
        names.clear();
    }
    m_keyFields = names;
}

int DataSetModel::knownRowOfCursor() const
{
    const Mark here = markOfCursor();
    if (!here.valid)
        return -1;
    if (m_currentRow >= 0 && sameRecord(here, m_currentMark))
        return m_currentRow;
    if (m_table) {
        const auto it = m_rowOfId.constFind(here.id);
        return it == m_rowOfId.cend() ? -1 : it.value();
    }
    return -1;
}

int DataSetModel::locateCursor(bool backwardOnly)
{
    if (!m_dataSet || m_dataSet->isEmpty())
        return -1;
    if (const int row = knownRowOfCursor(); row >= 0)
        return row;
    DataSet& ds = *m_dataSet;
    // Counted by the database where it can (no filter): one statement in
    // the key, however far the record is from a known row. A table's record
    // is read again first: when another program deleted it, the one in its
    // place becomes current, as stepping back and forth would have it.
    if (!ds.filtered()) {
        if (m_table) {
            Walk reread(*this);
            reread.hush();
            m_table->refresh();
        }
        if (const int before = ds.recordsBefore(); before >= 0)
            return before;
    }
    Walk walk(*this);
    walk.hush();
    // Back and forth, further each time, until a known row or an end: the
    // cost follows the distance to the nearest of them. Going back as many
    // steps as were made brings the cursor to the record it was on (or, when
    // that record is gone, to the one in its place, whose row is returned).
    for (long long limit = 64;; limit *= 8) {
        int found = -1;
        long long k = 0;
        while (backwardOnly || k < limit) {
            ds.prior();
            if (ds.bof()) {
                found = static_cast<int>(k);
                break;
            }
            ++k;
            if (const int known = knownRowOfCursor(); known >= 0) {
                found = known + static_cast<int>(k);
                break;
            }
        }
        for (long long i = 0; i < k; ++i)
            ds.next();
        if (found >= 0)
            return found;
        k = 0;
        while (k < limit) {
            ds.next();
            if (ds.eof()) {
                found = m_count - 1 - static_cast<int>(k);
                break;
            }
            ++k;
            if (const int known = knownRowOfCursor(); known >= 0) {
                found = known - static_cast<int>(k);
                break;
            }
        }
        for (long long i = 0; i < k; ++i)
            ds.prior();
        if (found >= 0)
            return found;
    }
}

bool DataSetModel::jumpTo(const Mark& mark)
{
    if (!m_table || m_keyFields.isEmpty() || !mark.valid || mark.values.size() != m_keyFields.size())
        return false;
    try {
        if (!m_table->findKey(mark.values))
            return false;
    } catch (const data::EngineError&) {
        return false;
    }
    for (int i = 0; i < TieSteps && !m_table->eof(); ++i) {
        if (m_table->recordId() == mark.id)
            return true;
        m_table->next();
    }
    return false;
}

bool DataSetModel::seek(int row, bool lastStepLoud)
{
    if (!m_dataSet || row < 0 || row >= m_count)
        return false;
    DataSet& ds = *m_dataSet;
    enum class From { Here, First, Last, Jump };
    From from = From::Here;
    // What a move from row `at` to `row` costs, in steps.
    const bool skips = m_table && !m_dataSet->filtered();
    auto moveCost = [&](long long at) {
        const long long distance = std::llabs(row - at);
        return skips ? std::min(distance, SkipCost + distance / SkippedPerStep) : distance;
    };
    int origin = knownRowOfCursor();
    long long best = origin >= 0 ? moveCost(origin) : LLONG_MAX;
    if (moveCost(0) + EndCost < best) {
        best = moveCost(0) + EndCost;
        from = From::First;
    }
    if (moveCost(m_count - 1) + EndCost < best) {
        best = moveCost(m_count - 1) + EndCost;
        from = From::Last;
    }
    // The nearest row read whose key the cursor can find.
    Mark jumpMark;
    int jumpRow = -1;
    if (m_table && !m_keyFields.isEmpty()) {
        auto consider = [&](int candidate, const Mark& mark) {
            const long long cost = moveCost(candidate) + JumpCost;
            if (mark.valid && cost < best) {
                best = cost;
                from = From::Jump;
                jumpRow = candidate;
                jumpMark = mark;
            }
        };
        const auto after = m_rows.lower_bound(row);
        if (after != m_rows.end())
            consider(after->first, after->second.mark);
        if (after != m_rows.begin())
            consider(std::prev(after)->first, std::prev(after)->second.mark);
        if (m_currentRow >= 0)
            consider(m_currentRow, m_currentMark);
    }

    Walk walk(*this);
    // Where the move starts; a move the views follow that lands on the row
    // at once is made in their sight.
    const bool direct = (from == From::First && row == 0) || (from == From::Last && row == m_count - 1)
                        || (from == From::Jump && jumpRow == row);
    if (!(direct && lastStepLoud))
        walk.hush();
    switch (from) {
    case From::Here: break;
    case From::First:
        ds.first();
        origin = 0;
        break;
    case From::Last:
        ds.last();
        origin = m_count - 1;
        break;
    case From::Jump:
        if (jumpTo(jumpMark)) {
            origin = jumpRow;
        } else {
            walk.hush();
            ds.first();
            origin = 0;
        }
        break;
    }
    if (ds.isEmpty())
        return false;
    // All the way in one move (the data set steps where it has to), the
    // last step apart when the views are to see it.
    const int step = row > origin ? 1 : -1;
    const int quiet = row - origin - (lastStepLoud ? step : 0);
    if (origin != row && quiet != 0) {
        walk.hush();
        ds.moveBy(quiet);
        if (step > 0 ? ds.eof() : ds.bof())
            return false;
    }
    if (origin != row && lastStepLoud) {
        walk.end();
        ds.moveBy(step);
        if (step > 0 ? ds.eof() : ds.bof())
            return false;
    }
    // A row read before must still be the same record there.
    const auto held = m_rows.find(row);
    return held == m_rows.end() || sameRecord(markOfCursor(), held->second.mark);
}

// ---- reading rows ---------------------------------------------------------------

DataSetModel::HeldRow DataSetModel::rowOfCursor()
{
    HeldRow held;
    for (const GridColumn& column : m_columns) {
        const Field* field = m_dataSet->findField(column.fieldName);
        held.texts << (field ? DisplayTextOf(*field) : QString());
        held.raw << (field ? field->value() : QVariant());
    }
    held.mark = markOfCursor();
    return held;
}

void DataSetModel::hold(int row, HeldRow&& held)
{
    auto it = m_rows.find(row);
    if (it != m_rows.end()) {
        if (m_table)
            m_rowOfId.remove(it->second.mark.id);
        it->second = std::move(held);
    } else {
        it = m_rows.emplace(row, std::move(held)).first;
    }
    if (m_table)
        m_rowOfId.insert(it->second.mark.id, row);
}

void DataSetModel::dropFarPages(int keepRow)
{
    while (static_cast<int>(m_rows.size()) > HeldRows) {
        const auto first = m_rows.begin();
        const auto last = std::prev(m_rows.end());
        const auto far = keepRow - first->first > last->first - keepRow ? first : last;
        if (m_table)
            m_rowOfId.remove(far->second.mark.id);
        m_rows.erase(far);
    }
}

bool DataSetModel::readPage(int row)
{
    if (!canMove()) {
        m_missedRows = true;
        return false;
    }
    if (m_reloadPending || writeStamp() != m_stamp) {
        // Written since the rows were counted: the numbers may be wrong.
        reloadLater();
        return false;
    }
    const int start = row / PageRows * PageRows;
    const int end = std::min(m_count, start + PageRows);
    const int back = m_currentRow;
    const Mark backMark = m_currentMark;
    bool ok = true;
    {
        Walk walk(*this);
        walk.hush();
        ok = seek(start, false);
        for (int r = start; ok && r < end; ++r) {
            if (r > start) {
                m_dataSet->next();
                if (m_dataSet->eof()) {
                    ok = false;
                    break;
                }
            }
            hold(r, rowOfCursor());
        }
        if (back >= 0) {
            const bool home = seek(back, false) && sameRecord(markOfCursor(), backMark);
            ok = ok && home;
        }
    }
    dropFarPages(start);
    if (!ok)
        reloadLater();
    return ok;
}

// ---- following the data set -------------------------------------------------------

void DataSetModel::adoptCursorAs(int row)
{
    m_currentMark = markOfCursor();
    if (m_currentRow != row) {
        m_currentRow = row;
        Q_EMIT currentRowChanged(row);
    }
}

void DataSetModel::resetRows()
{
    beginResetModel();
    m_rows.clear();
    m_rowOfId.clear();
    m_count = 0;
    m_currentRow = -1;
    m_currentMark = Mark();
    m_missedRows = false;
    m_reloadPending = false;
    try {
        if (m_dataSet && m_dataSet->isOpen()) {
            resolveKeyFields();
            m_count = m_dataSet->recordCount();
            if (m_count > 0 && !m_dataSet->isEmpty()) {
                if (canMove()) {
                    m_currentRow = std::clamp(locateCursor(false), 0, m_count - 1);
                    m_currentMark = markOfCursor();
                } else {
                    // The record being edited is found once it is posted.
                    m_reloadPending = true;
                }
            }
        }
    } catch (...) {
        // The engine failed (the server gone): no rows rather than a model
        // left half reset; the error goes on to whoever asked.
        m_count = 0;
        m_currentRow = -1;
        m_currentMark = Mark();
        m_stamp = writeStamp(); // not tried again by every look for changes
        endResetModel();
        throw;
    }
    m_stamp = writeStamp();
    endResetModel();
    Q_EMIT currentRowChanged(m_currentRow);
}

void DataSetModel::reload()
{
    if (m_moving)
        return;
    resetRows();
}

void DataSetModel::reloadLater()
{
    if (m_reloadQueued)
        return;
    m_reloadQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_reloadQueued = false;
            if (canMove())
                resetRows();
            else
                m_reloadPending = true;
        },
        Qt::QueuedConnection);
}

void DataSetModel::checkForChanges()
{
    if (!canMove())
        return;
    if (m_reloadPending || writeStamp() != m_stamp)
        resetRows();
}

void DataSetModel::onDataSetChanged()
{
    if (m_moving || hushedDataSets().contains(m_dataSet))
        return;
    if (!hushedDataSets().isEmpty()) {
        m_reloadPending = true;
        reloadLater();
        return;
    }
    if (!canMove() && m_dataSet && m_dataSet->isOpen()) {
        m_reloadPending = true;
        return;
    }
    resetRows();
}

void DataSetModel::onStateChanged()
{
    if (m_moving || !m_dataSet)
        return;
    // Post, cancel and delete go on to tell where the cursor is; only a
    // closed data set is seen here.
    if (!m_dataSet->isOpen() && (m_count > 0 || m_currentRow >= 0))
        resetRows();
}

void DataSetModel::shiftHeldRows(int from, int by)
{
    std::map<int, HeldRow> shifted;
    m_rowOfId.clear();
    for (auto& [row, held] : m_rows) {
        const int to = row >= from ? row + by : row;
        m_rowOfId.insert(held.mark.id, to);
        shifted.emplace(to, std::move(held));
    }
    m_rows = std::move(shifted);
}

// One write since the rows were read, made by this data set's own cursor:
// a record changed in place, deleted, or added. The rows around it stay.
bool DataSetModel::followOwnWrite(std::uint64_t stamp)
{
    if (!m_table || m_currentRow < 0 || stamp - m_stamp != 1)
        return false;
    const Mark here = markOfCursor();
    const int count = m_dataSet->recordCount();
    if (count == m_count && sameRecord(here, m_currentMark)) {
        // Changed where it stands: its key is the same, so is its row.
        if (here.values != m_currentMark.values)
            return false;
        m_stamp = stamp;
        hold(m_currentRow, rowOfCursor());
        m_currentMark = here;
        Q_EMIT dataChanged(index(m_currentRow, 0), index(m_currentRow, static_cast<int>(m_columns.size()) - 1));
        return true;
    }
    if (count == m_count - 1 && !sameRecord(here, m_currentMark)) {
        // Deleted: the cursor went on to the next record, or back to the
        // one before when the last was deleted.
        const int removed = m_currentRow;
        const int now = removed == m_count - 1 ? removed - 1 : removed + 1; // as numbered before
        const auto it = m_rowOfId.constFind(here.id);
        if (it != m_rowOfId.cend()) {
            if (it.value() != now)
                return false;
        } else {
            // Not read yet: make sure the record that was current is the
            // one gone (and not one another cursor deleted), then come back.
            if (m_keyFields.isEmpty())
                return false;
            Walk walk(*this);
            walk.hush();
            const bool gone = !jumpTo(m_currentMark);
            if (!jumpTo(here) || !gone)
                return false;
        }
        // Views move their current row while rows go: they must not move
        // the cursor on rows half renumbered.
        Walk still(*this);
        beginRemoveRows(QModelIndex(), removed, removed);
        m_rows.erase(removed);
        shiftHeldRows(removed + 1, -1);
        m_count = count;
        m_stamp = stamp;
        m_currentRow = -1;
        endRemoveRows();
        adoptCursorAs(now > removed ? removed : removed - 1);
        return true;
    }
    if (count == m_count + 1 && knownRowOfCursor() < 0) {
        // Added: it follows the last known row before it. Rows after it
        // are one further on, so only rows before it can place it.
        const int added = locateCursor(true);
        if (added < 0 || added > m_count)
            return false;
        Walk still(*this);
        beginInsertRows(QModelIndex(), added, added);
        shiftHeldRows(added, 1);
        m_count = count;
        m_stamp = stamp;
        m_currentRow = -1;
        endInsertRows();
        adoptCursorAs(added);
        return true;
    }
    return false;
}

// Whether the held row `row` is really where the cursor's record stands:
// the count is the same and the record before it is the one held there.
bool DataSetModel::heldRowStillFits(int row)
{
    if (m_dataSet->recordCount() != m_count)
        return false;
    const auto before = m_rows.find(row - 1);
    if (row > 0 && before == m_rows.end())
        return true; // nothing to compare with: the count has to do
    Walk walk(*this);
    walk.hush();
    m_dataSet->prior();
    bool fits;
    if (row == 0) {
        fits = m_dataSet->bof();
        if (!fits)
            m_dataSet->next();
    } else if (m_dataSet->bof()) {
        fits = false;
    } else {
        fits = sameRecord(markOfCursor(), before->second.mark);
        m_dataSet->next();
    }
    return fits;
}

void DataSetModel::onRecordChanged()
{
    if (m_moving || !m_dataSet)
        return;
    if (!hushedDataSets().isEmpty()) {
        m_reloadPending = true;
        reloadLater();
        return;
    }
    if (!m_dataSet->isOpen()) {
        if (m_count > 0 || m_currentRow >= 0)
            resetRows();
        return;
    }
    // A record being edited or added is placed once it is posted.
    if (isEditing(m_dataSet) || m_dataSet->controlsDisabled())
        return;
    const std::uint64_t stamp = writeStamp();
    // The order changed under the same record.
    if (m_table && currentKeySignature() != m_keySignature)
        m_reloadPending = true;
    if (m_reloadPending || m_dataSet->isEmpty()) {
        if (m_reloadPending || m_count > 0 || stamp != m_stamp)
            resetRows();
        return;
    }
    if (stamp != m_stamp) {
        if (!followOwnWrite(stamp))
            resetRows();
    } else {
        const Mark here = markOfCursor();
        if (!(m_currentRow >= 0 && sameRecord(here, m_currentMark))) {
            // A step to the next or previous row is taken as it is; a
            // record further away may belong to other rows altogether (the
            // master moved, the range or the order changed).
            const int row = knownRowOfCursor();
            const bool step = row >= 0 && std::abs(row - m_currentRow) == 1;
            if (row >= 0 && (step || (heldRowStillFits(row) && m_keySignature == currentKeySignature())))
                adoptCursorAs(row);
            else
                resetRows();
        }
    }
    if (m_missedRows) {
        m_missedRows = false;
        if (m_count > 0 && !m_columns.isEmpty())
            Q_EMIT dataChanged(index(0, 0), index(m_count - 1, static_cast<int>(m_columns.size()) - 1));
    }
}

QString DataSetModel::currentKeySignature() const
{
    return m_table && m_table->isOpen() ? m_table->tableName() + QLatin1Char('|') + m_table->indexFieldNames()
                                        : QString();
}

bool DataSetModel::moveDataSetTo(int row)
{
    if (!m_dataSet || !m_dataSet->isOpen() || row < 0 || row >= m_count)
        return false;
    if (row == m_currentRow && sameRecord(markOfCursor(), m_currentMark))
        return true;
    if (isEditing(m_dataSet) && m_table)
        m_table->post(); // as any move would; the rows then follow the write
    if (m_moving || isEditing(m_dataSet))
        return false;
    if (!seek(row, true)) {
        reloadLater();
        return false;
    }
    adoptCursorAs(row);
    return true;
}

// ---- the model's face ---------------------------------------------------------

int DataSetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_count;
}

int DataSetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant DataSetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_count || index.column() >= m_columns.size())
        return QVariant();
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(m_columns[index.column()].alignment);
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::UserRole)
        return QVariant();
    auto it = m_rows.find(index.row());
    if (it == m_rows.end()) {
        // Reading moves the cursor there and back; the rows seen are the
        // model's own state, not the data set's.
        auto* self = const_cast<DataSetModel*>(this);
        try {
            if (!self->readPage(index.row()))
                return QVariant();
        } catch (const data::EngineError&) {
            // Not thrown into a paint, once per row painted: reading the
            // rows again outside the paint reports the error.
            self->reloadLater();
            return QVariant();
        }
        it = m_rows.find(index.row());
        if (it == m_rows.end())
            return QVariant();
    }
    return role == Qt::UserRole ? it->second.raw.value(index.column()) : it->second.texts.value(index.column());
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_columns.size())
        return m_columns[section].title.isEmpty() ? m_columns[section].fieldName : m_columns[section].title;
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool DataSetModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role)
{
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::EditRole) || section < 0
        || section >= m_columns.size())
        return false;
    m_columns[section].title = value.toString();
    Q_EMIT headerDataChanged(orientation, section, section);
    return true;
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() < m_columns.size() && !m_columns[index.column()].readOnly)
        f |= Qt::ItemIsEditable;
    return f;
}

bool DataSetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || !m_dataSet || !(flags(index) & Qt::ItemIsEditable))
        return false;
    if (!moveDataSetTo(index.row()))
        return false;
    const bool started = !isEditing(m_dataSet);
    {
        Walk walk(*this);
        try {
            if (started && m_table)
                m_table->edit();
            m_dataSet->field(m_columns[index.column()].fieldName).setValue(value);
            if (started && m_table)
                m_table->post();
        } catch (const data::EngineError& error) {
            if (m_table && isEditing(m_table))
                m_table->cancel();
            ShowErrorMessage(error.message());
            return false;
        }
    }
    if (isEditing(m_dataSet)) {
        // Still being edited by its owner: the row shows the value now.
        hold(index.row(), rowOfCursor());
        Q_EMIT dataChanged(this->index(index.row(), 0),
                           this->index(index.row(), static_cast<int>(m_columns.size()) - 1));
        return true;
    }
    if (!followOwnWrite(writeStamp()))
        resetRows();
    return true;
}

} // namespace varnex
