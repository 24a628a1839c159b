// Fields and the record buffer shared by tables and queries.

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include <QMetaMethod>

#include "backend.h"
#include "varnex/data/table.h"

namespace varnex::data {

namespace {

[[noreturn]] void cannotRead(const Field& f, const char* as)
{
    throw EngineError(
        ErrorCode::TypeMismatch,
        QStringLiteral("Field %1: '%2' cannot be read as %3.").arg(f.name(), f.value().toString(), QLatin1String(as)));
}

bool isCurrency(const QVariant& v)
{
    return v.metaType() == QMetaType::fromType<Currency>();
}

} // namespace

// The stored cell behind a field of the current record that has not been
// converted yet, so the readers of numbers take it as it is.
struct PendingCells {
    static const RowPage::Cell* of(const DataSet& ds, int index)
    {
        ds.settle();
        const auto i = static_cast<size_t>(index);
        if (i >= ds.m_pending.size() || !ds.m_pending[i])
            return nullptr;
        return &ds.m_page->cell(ds.m_pageRow, index);
    }
    // The text of a Printed cell: numbers are read from it without a value.
    static const char* text(const DataSet& ds, const RowPage::Cell& c) { return ds.m_page->data(c); }
};

// ---- Field --------------------------------------------------------------------

Field::Field(DataSet* owner, FieldDef def, int index, bool calculated)
    : m_owner(owner)
    , m_def(std::move(def))
    , m_index(index)
    , m_calculated(calculated)
{
}

QVariant Field::value() const
{
    m_owner->settle();
    return static_cast<size_t>(m_index) < m_owner->m_buffer.size() ? m_owner->recordValue(m_index) : QVariant();
}

bool Field::isNull() const
{
    if (const RowPage::Cell* c = PendingCells::of(*m_owner, m_index)) {
        // A date or time in a form that does not read is empty too.
        const bool dated = type() == FieldType::Date || type() == FieldType::Time || type() == FieldType::Timestamp;
        if (c->kind == RowPage::Kind::Null || !dated)
            return c->kind == RowPage::Kind::Null;
    }
    return !value().isValid();
}

QString Field::asString() const
{
    const QVariant v = value();
    if (!v.isValid())
        return {};
    switch (type()) {
    case FieldType::Money: return QString::fromStdString(v.value<Currency>().toString());
    case FieldType::Number: return QString::number(v.toDouble(), 'g', 15);
    case FieldType::Logical: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case FieldType::Date: return v.toDate().toString(Qt::ISODate);
    case FieldType::Time: return v.toTime().toString(QStringLiteral("HH:mm:ss"));
    case FieldType::Timestamp: return v.toDateTime().toString(Qt::ISODate);
    case FieldType::Bytes:
    case FieldType::Binary: return QString::fromUtf8(v.toByteArray());
    default: return v.toString();
    }
}

std::int64_t Field::asInteger() const
{
    if (const RowPage::Cell* c = PendingCells::of(*m_owner, m_index)) {
        const bool integral =
            type() == FieldType::ShortInteger || type() == FieldType::Integer || type() == FieldType::AutoIncrement;
        if (c->kind == RowPage::Kind::Null)
            return 0;
        if (integral && c->kind == RowPage::Kind::Integer)
            return c->integer;
        if (integral && c->kind == RowPage::Kind::Printed)
            if (const auto n = IntegerFromText(PendingCells::text(*m_owner, *c), static_cast<int>(c->size)))
                return *n;
    }
    const QVariant v = value();
    if (!v.isValid())
        return 0;
    switch (type()) {
    case FieldType::ShortInteger:
    case FieldType::Integer:
    case FieldType::AutoIncrement: return v.toLongLong();
    case FieldType::Number: return std::llround(v.toDouble());
    case FieldType::Money: return v.value<Currency>().roundedTo(0).ticks() / Currency::Scale;
    case FieldType::Logical: return v.toBool() ? 1 : 0;
    case FieldType::Text:
    case FieldType::Memo: {
        bool ok = false;
        const auto n = v.toString().trimmed().toLongLong(&ok);
        if (!ok)
            cannotRead(*this, "an integer");
        return n;
    }
    default: cannotRead(*this, "an integer");
    }
}

double Field::asNumber() const
{
    if (const RowPage::Cell* c = PendingCells::of(*m_owner, m_index)) {
        if (c->kind == RowPage::Kind::Null)
            return 0.0;
        if (type() == FieldType::Number && c->kind == RowPage::Kind::Real)
            return c->real;
        if (type() == FieldType::Number && c->kind == RowPage::Kind::Printed)
            if (const auto d = NumberFromText(PendingCells::text(*m_owner, *c), static_cast<int>(c->size)))
                return *d;
    }
    const QVariant v = value();
    if (!v.isValid())
        return 0.0;
    switch (type()) {
    case FieldType::Money: return v.value<Currency>().toDouble();
    case FieldType::Logical: return v.toBool() ? 1.0 : 0.0;
    case FieldType::Text:
    case FieldType::Memo: {
        bool ok = false;
        const double d = v.toString().trimmed().toDouble(&ok);
        if (!ok)
            cannotRead(*this, "a number");
        return d;
    }
    case FieldType::ShortInteger:
    case FieldType::Integer:
    case FieldType::AutoIncrement:
    case FieldType::Number: return v.toDouble();
    default: cannotRead(*this, "a number");
    }
}

Currency Field::asMoney() const
{
    if (const RowPage::Cell* c = PendingCells::of(*m_owner, m_index)) {
        if (c->kind == RowPage::Kind::Null)
            return {};
        if (type() == FieldType::Money && c->kind == RowPage::Kind::Integer)
            return Currency::fromTicks(c->integer);
        // An amount too large for a money value is refused by value() below.
        if (type() == FieldType::Money && c->kind == RowPage::Kind::Printed)
            if (const auto ticks = TicksFromText(PendingCells::text(*m_owner, *c), static_cast<int>(c->size)))
                return Currency::fromTicks(*ticks);
    }
    const QVariant v = value();
    if (!v.isValid())
        return {};
    if (isCurrency(v))
        return v.value<Currency>();
    const QVariant m = NormalizeValue(FieldDef{name(), FieldType::Money, 0}, v, name());
    return m.isValid() ? m.value<Currency>() : Currency();
}

bool Field::asLogical() const
{
    const QVariant v = value();
    if (!v.isValid())
        return false;
    const QVariant b = NormalizeValue(FieldDef{name(), FieldType::Logical, 0},
                                      type() == FieldType::Logical ? v : QVariant(v.toString()), name());
    return b.toBool();
}

QDate Field::asDate() const
{
    const QVariant v = value();
    if (!v.isValid())
        return {};
    return NormalizeValue(FieldDef{name(), FieldType::Date, 0}, v, name()).toDate();
}

QTime Field::asTime() const
{
    const QVariant v = value();
    if (!v.isValid())
        return {};
    return NormalizeValue(FieldDef{name(), FieldType::Time, 0}, v, name()).toTime();
}

QDateTime Field::asTimestamp() const
{
    const QVariant v = value();
    if (!v.isValid())
        return {};
    return NormalizeValue(FieldDef{name(), FieldType::Timestamp, 0}, v, name()).toDateTime();
}

QByteArray Field::asBytes() const
{
    const QVariant v = value();
    if (!v.isValid())
        return {};
    if (type() == FieldType::Bytes || type() == FieldType::Binary)
        return v.toByteArray();
    return asString().toUtf8();
}

void Field::setValue(const QVariant& value)
{
    assign(NormalizeValue(m_def, value, name()));
}
// A value given in the form its field keeps goes straight to the record: a
// fill sets every field of every record, and the general conversion costs
// more than the rest of the assignment. Anything else (a value out of range
// included, for its error) takes the general way.
void Field::setString(const QString& value)
{
    if (type() == FieldType::Text || type() == FieldType::Memo)
        assign(NormalizeText(m_def, value));
    else
        setValue(QVariant(value));
}
void Field::setInteger(std::int64_t value)
{
    const bool fits =
        (type() == FieldType::ShortInteger && value >= -32768 && value <= 32767)
        || ((type() == FieldType::Integer || type() == FieldType::AutoIncrement)
            && value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max());
    if (fits)
        assign(QVariant::fromValue<qlonglong>(value));
    else
        setValue(QVariant::fromValue<qlonglong>(value));
}
void Field::setNumber(double value)
{
    if (type() == FieldType::Number && std::isfinite(value))
        assign(QVariant(value));
    else
        setValue(QVariant(value));
}
void Field::setMoney(Currency value)
{
    if (type() == FieldType::Money)
        assign(QVariant::fromValue(value));
    else
        setValue(QVariant::fromValue(value));
}
void Field::setLogical(bool value)
{
    setValue(QVariant(value));
}
void Field::setDate(const QDate& value)
{
    if (!value.isValid())
        assign(QVariant());
    else if (type() == FieldType::Date && value.year() >= 1 && value.year() <= 9999)
        assign(QVariant(value));
    else
        setValue(QVariant(value));
}
void Field::setTime(const QTime& value)
{
    setValue(value.isValid() ? QVariant(value) : QVariant());
}
void Field::setTimestamp(const QDateTime& value)
{
    setValue(value.isValid() ? QVariant(value) : QVariant());
}
void Field::setBytes(const QByteArray& value)
{
    setValue(QVariant(value));
}
void Field::clear()
{
    assign(QVariant());
}

void Field::assign(QVariant normalized)
{
    m_owner->checkWritable(*this);
    m_owner->recordValue(m_index);
    auto& slot = m_owner->m_buffer[static_cast<size_t>(m_index)];
    if (m_owner->state() == DataSetState::CalcFields) {
        slot = std::move(normalized);
        return;
    }
    if (m_owner->m_events.validate) {
        QVariant old = std::move(slot);
        slot = std::move(normalized);
        try {
            m_owner->m_events.validate(*this);
        } catch (...) {
            slot = std::move(old);
            throw;
        }
    } else {
        slot = std::move(normalized);
    }
    m_owner->afterFieldAssigned(*this);
    if (m_owner->m_events.fieldChange)
        m_owner->m_events.fieldChange(*this);
}

// ---- DataSet ------------------------------------------------------------------

DataSet::DataSet(QObject* parent)
    : QObject(parent)
{
}

DataSet::~DataSet() = default;

Field& DataSet::field(const QString& name)
{
    if (Field* f = findField(name))
        return *f;
    throw EngineError(ErrorCode::FieldNotFound, QStringLiteral("Field '%1' not found.").arg(name));
}

Field* DataSet::findField(const QString& name)
{
    // Wide tables (budget families, controls) are read field by name in
    // loops: the name as declared is found without a scan.
    if (const auto it = m_fieldsByName.constFind(name); it != m_fieldsByName.constEnd())
        return m_fields[static_cast<size_t>(*it)].get();
    for (auto& f : m_fields)
        if (f->name().compare(name, Qt::CaseInsensitive) == 0)
            return f.get();
    return nullptr;
}

Field& DataSet::fieldByNumber(int index)
{
    if (index < 0 || index >= fieldCount())
        throw EngineError(
            ErrorCode::FieldNotFound,
            QStringLiteral("Field number %1 not found (the data set has %2 fields).").arg(index).arg(fieldCount()));
    return *m_fields[static_cast<size_t>(index)];
}

QStringList DataSet::fieldNames() const
{
    QStringList names;
    for (const auto& f : m_fields)
        names << f->name();
    return names;
}

void DataSet::addCalculatedField(const QString& name, FieldType type, int size)
{
    if (isOpen())
        throw EngineError(
            ErrorCode::WrongState,
            QStringLiteral("Calculated field %1 must be declared before the data set is opened.").arg(name));
    for (const FieldDef& f : m_calculatedDefs)
        if (f.name.compare(name, Qt::CaseInsensitive) == 0)
            throw EngineError(ErrorCode::InvalidDefinition,
                              QStringLiteral("Calculated field %1 is declared twice.").arg(name));
    m_calculatedDefs << FieldDef{name, type, size};
}

void DataSet::setFilter(std::function<bool(DataSet&)> predicate)
{
    m_filter = std::move(predicate);
    if (isOpen())
        filterChanged();
}

void DataSet::moveBy(int n)
{
    for (int i = 0; i < n && !(i > 0 && eof()); ++i)
        next();
    for (int i = 0; i > n && !(i < 0 && bof()); --i)
        prior();
}

void DataSet::disableControls()
{
    ++m_disableCount;
}

void DataSet::enableControls()
{
    if (m_disableCount == 0)
        return;
    if (--m_disableCount == 0)
        emit dataSetChanged();
}

void DataSet::setupFields(const QList<FieldDef>& defs)
{
    m_fieldsByName.clear();
    m_fields.clear();
    int index = 0;
    for (const FieldDef& def : defs) {
        m_fields.push_back(std::unique_ptr<Field>(new Field(this, def, index++, false)));
    }
    m_storedCount = index;
    for (const FieldDef& def : m_calculatedDefs) {
        if (findField(def.name))
            throw EngineError(ErrorCode::InvalidDefinition,
                              QStringLiteral("Calculated field %1 has the name of a stored field.").arg(def.name));
        m_fields.push_back(std::unique_ptr<Field>(new Field(this, def, index++, true)));
    }
    dropPage();
    m_buffer.assign(m_fields.size(), QVariant());
    m_fieldsByName.clear();
    for (const auto& f : m_fields)
        m_fieldsByName.insert(f->name(), f->index());
}

void DataSet::teardownFields()
{
    m_fieldsByName.clear();
    m_fields.clear();
    dropPage();
    m_buffer.clear();
    m_storedCount = 0;
}

void DataSet::loadRecord(const std::vector<QVariant>& values)
{
    // Assigned in place: a cursor walk loads a record per step and must not
    // allocate a buffer for each.
    dropPage();
    m_buffer.resize(m_fields.size());
    const size_t stored = std::min(values.size(), m_buffer.size());
    for (size_t i = 0; i < stored; ++i)
        m_buffer[i] = values[i];
    for (size_t i = stored; i < m_buffer.size(); ++i)
        m_buffer[i] = QVariant();
    runCalcFields();
}

void DataSet::loadRecord(std::vector<QVariant>&& values)
{
    dropPage();
    m_buffer.resize(m_fields.size());
    const size_t stored = std::min(values.size(), m_buffer.size());
    for (size_t i = 0; i < stored; ++i)
        m_buffer[i] = std::move(values[i]);
    for (size_t i = stored; i < m_buffer.size(); ++i)
        m_buffer[i] = QVariant();
    runCalcFields();
}

void DataSet::loadRecord(const std::shared_ptr<const RowPage>& page, int row)
{
    // Nothing is converted or copied here: a walk pays per record only for
    // the fields it reads.
    if (m_page != page)
        m_page = page;
    m_pageRow = row;
    const auto stored = static_cast<size_t>(std::min(page->columns(), m_storedCount));
    m_pending.assign(stored, 1);
    m_buffer.resize(m_fields.size());
    for (size_t i = stored; i < m_buffer.size(); ++i)
        m_buffer[i] = QVariant();
    runCalcFields();
}

const QVariant& DataSet::recordValue(int index)
{
    const auto i = static_cast<size_t>(index);
    if (i < m_pending.size() && m_pending[i]) {
        m_buffer[i] = m_page->value(m_pageRow, index, m_fields[i]->type());
        m_pending[i] = 0;
    }
    return m_buffer[i];
}

void DataSet::materializeRecord()
{
    for (size_t i = 0; i < m_pending.size(); ++i)
        if (m_pending[i])
            recordValue(static_cast<int>(i));
    dropPage();
}

void DataSet::dropPage()
{
    m_pending.clear();
    m_page.reset();
    m_pageRow = -1;
}

void DataSet::restoreRecord(std::vector<QVariant>&& values)
{
    dropPage();
    m_buffer = std::move(values);
    m_buffer.resize(m_fields.size());
}

void DataSet::clearRecord()
{
    dropPage();
    m_buffer.resize(m_fields.size());
    // A run of appends clears records that are mostly empty already.
    for (QVariant& v : m_buffer)
        if (v.isValid())
            v = QVariant();
}

void DataSet::putRecordAside(AsideRecord& aside)
{
    aside.values.swap(m_buffer);
    aside.page = std::move(m_page);
    aside.pageRow = std::exchange(m_pageRow, -1);
    aside.pending.swap(m_pending);
    clearRecord();
}

void DataSet::takeRecordBack(AsideRecord& aside)
{
    m_buffer.swap(aside.values);
    m_buffer.resize(m_fields.size());
    m_page = std::move(aside.page);
    m_pageRow = std::exchange(aside.pageRow, -1);
    m_pending.swap(aside.pending);
    aside.pending.clear();
    if (!m_page)
        m_pending.clear();
}

void DataSet::readStoredFrom(const std::shared_ptr<const RowPage>& page, int row)
{
    m_page = page;
    m_pageRow = row;
    const auto stored = static_cast<size_t>(std::min(page->columns(), m_storedCount));
    m_pending.assign(stored, 1);
    for (size_t i = 0; i < stored && i < m_buffer.size(); ++i)
        if (m_buffer[i].isValid())
            m_buffer[i] = QVariant();
}

void DataSet::runCalcFields()
{
    if (m_calculatedDefs.isEmpty() || !m_events.calcFields)
        return;
    for (size_t i = static_cast<size_t>(m_storedCount); i < m_buffer.size(); ++i)
        m_buffer[i] = QVariant();
    const DataSetState saved = m_state;
    m_state = DataSetState::CalcFields;
    try {
        m_events.calcFields(*this);
    } catch (...) {
        m_state = saved;
        throw;
    }
    m_state = saved;
}

void DataSet::settleNow() const
{
    // Reading a position is a const question whose first answer needs the
    // read the cursor put off. The flag drops first: a filter or calculation
    // run by that read looks at this record's fields without coming back here.
    auto* self = const_cast<DataSet*>(this);
    self->m_positionOwed = false;
    self->positionDeferred();
}

bool DataSet::passesFilter()
{
    return !m_filter || m_filter(*this);
}

void DataSet::setState(DataSetState state)
{
    if (m_state == state)
        return;
    m_state = state;
    if (m_disableCount == 0 && m_stateWatched)
        emit stateChanged();
}

void DataSet::notifyRecord()
{
    afterMove();
    if (m_disableCount == 0 && m_recordWatched)
        emit recordChanged();
}

void DataSet::connectNotify(const QMetaMethod& signal)
{
    // Never unset again: a receiver that went away costs a signal sent to
    // nobody, a missed one would leave a view showing an old record.
    if (signal == QMetaMethod::fromSignal(&DataSet::recordChanged))
        m_recordWatched = true;
    else if (signal == QMetaMethod::fromSignal(&DataSet::stateChanged))
        m_stateWatched = true;
    else if (signal == QMetaMethod::fromSignal(&DataSet::fieldChanged))
        m_fieldWatched = true;
}

void DataSet::checkWritable(const Field& field) const
{
    if (field.calculated()) {
        if (m_state != DataSetState::CalcFields)
            throw EngineError(ErrorCode::ReadOnly,
                              QStringLiteral("Calculated field %1 is set by the calculation only.").arg(field.name()));
        return;
    }
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert)
        throw EngineError(
            ErrorCode::WrongState,
            QStringLiteral("Field %1 cannot be changed: the record is not in edit or insert mode.").arg(field.name()));
    if (field.readOnly())
        throw EngineError(ErrorCode::ReadOnly, QStringLiteral("Field %1 is read-only.").arg(field.name()));
}

void DataSet::afterFieldAssigned(Field& field)
{
    if (m_disableCount == 0 && m_fieldWatched)
        emit fieldChanged(field.index());
}

} // namespace varnex::data
