// SQL with named parameters, its SELECT results read like a table.

#include "varnex/data/query.h"

#include "backend.h"

namespace varnex::data {

struct Query::Binding {
    QueryParameter parameter;
};

Query::Query(QObject* parent)
    : DataSet(parent)
{
}

Query::Query(std::shared_ptr<Database> db, const QString& sql, QObject* parent)
    : DataSet(parent)
    , m_db(std::move(db))
    , m_sql(sql)
{
}

Query::~Query() = default;

void Query::setDatabase(std::shared_ptr<Database> db)
{
    close();
    m_db = std::move(db);
    m_alias.clear();
}

void Query::setAliasName(const QString& alias)
{
    close();
    m_alias = alias;
    m_db.reset();
}

void Query::setSql(const QString& sql)
{
    close();
    m_sql = sql;
}

namespace {

QString parameterName(const QString& name)
{
    QString n = name.trimmed();
    if (n.startsWith(QLatin1Char(':')))
        n.remove(0, 1);
    if (n.isEmpty())
        throw EngineError(ErrorCode::QueryParameter, QStringLiteral("A parameter needs a name."));
    return n;
}

} // namespace

#define VARNEX_BIND(NAME, TYPE, VALUE)                                                                                 \
    do {                                                                                                               \
        const QString key = parameterName(NAME);                                                                       \
        for (auto& b : m_bindings)                                                                                     \
            if (b->parameter.name.compare(key, Qt::CaseInsensitive) == 0) {                                            \
                b->parameter.type = TYPE;                                                                              \
                b->parameter.value = VALUE;                                                                            \
                return;                                                                                                \
            }                                                                                                          \
        m_bindings.push_back(std::make_unique<Binding>(Binding{QueryParameter{key, TYPE, VALUE}}));                    \
    } while (false)

void Query::bindText(const QString& name, const QString& value)
{
    VARNEX_BIND(name, FieldType::Memo, value.isNull() ? QVariant() : QVariant(value));
}
void Query::bindInteger(const QString& name, std::int64_t value)
{
    VARNEX_BIND(name, FieldType::Integer, QVariant::fromValue<qlonglong>(value));
}
void Query::bindNumber(const QString& name, double value)
{
    VARNEX_BIND(name, FieldType::Number, QVariant(value));
}
void Query::bindMoney(const QString& name, Currency value)
{
    VARNEX_BIND(name, FieldType::Money, QVariant::fromValue(value));
}
void Query::bindDate(const QString& name, const QDate& value)
{
    VARNEX_BIND(name, FieldType::Date, NormalizeValue(FieldDef{name, FieldType::Date, 0}, QVariant(value), name));
}
void Query::bindNull(const QString& name)
{
    VARNEX_BIND(name, FieldType::Memo, QVariant());
}

#undef VARNEX_BIND

void Query::clearBindings()
{
    m_bindings.clear();
}

void Query::declareResultField(const QString& name, FieldType type)
{
    for (FieldDef& f : m_declared)
        if (f.name.compare(name, Qt::CaseInsensitive) == 0) {
            f.type = type;
            return;
        }
    m_declared << FieldDef{name, type, 0};
}

std::shared_ptr<Database> Query::resolveDatabase()
{
    if (!m_alias.isEmpty())
        m_db = AliasDatabase(m_alias);
    if (!m_db)
        throw EngineError(ErrorCode::WrongState, QStringLiteral("The query has no database or alias."));
    return m_db;
}

void Query::open()
{
    close();
    if (m_sql.trimmed().isEmpty())
        throw EngineError(ErrorCode::QuerySyntax, QStringLiteral("The query is empty."));
    auto db = resolveDatabase();
    std::vector<QueryParameter> params;
    for (const auto& b : m_bindings)
        params.push_back(b->parameter);
    QueryResult result = db->backend().select(m_sql, params);
    for (const FieldDef& declared : m_declared) {
        for (int c = 0; c < result.fields.size(); ++c) {
            FieldDef& f = result.fields[c];
            if (f.name.compare(declared.name, Qt::CaseInsensitive) != 0 || f.type == declared.type)
                continue;
            const FieldType from = f.type;
            f.type = declared.type;
            for (Row& row : result.rows) {
                QVariant& v = row[static_cast<size_t>(c)];
                if (!v.isValid())
                    continue;
                if (declared.type == FieldType::Money && (from == FieldType::Integer || from == FieldType::Number))
                    // Sums and other arithmetic over money columns count ten-thousandths.
                    v = QVariant::fromValue(
                        Currency::fromTicks(from == FieldType::Integer ? v.toLongLong() : std::llround(v.toDouble())));
                else
                    v = NormalizeValue(f, v, f.name);
            }
        }
    }
    setupFields(result.fields);
    m_rows = std::move(result.rows);
    setState(DataSetState::Browse);
    first();
    emit dataSetChanged();
}

void Query::close()
{
    if (!isOpen())
        return;
    m_rows.clear();
    m_row = -1;
    teardownFields();
    setEdges(true, true);
    setState(DataSetState::Inactive);
    emit dataSetChanged();
}

int Query::execSql()
{
    if (m_sql.trimmed().isEmpty())
        throw EngineError(ErrorCode::QuerySyntax, QStringLiteral("The statement is empty."));
    auto db = resolveDatabase();
    std::vector<QueryParameter> params;
    for (const auto& b : m_bindings)
        params.push_back(b->parameter);
    return db->backend().execute(m_sql, params);
}

void Query::moveTo(long long row, int direction)
{
    const long long count = static_cast<long long>(m_rows.size());
    for (long long r = row; r >= 0 && r < count; r += direction) {
        loadRecord(m_rows[static_cast<size_t>(r)]);
        if (passesFilter()) {
            m_row = r;
            setEdges(false, false);
            notifyRecord();
            return;
        }
    }
    // Nothing visible that way: stay on the current record.
    if (m_row >= 0 && m_row < count)
        loadRecord(m_rows[static_cast<size_t>(m_row)]);
    else
        clearRecord();
    if (m_row < 0)
        setEdges(true, true);
    else if (direction > 0)
        setEdges(bof(), true);
    else
        setEdges(true, eof());
}

void Query::first()
{
    if (!isOpen())
        throw EngineError(ErrorCode::WrongState, QStringLiteral("The query is not open."));
    m_row = -1;
    moveTo(0, 1);
}

void Query::last()
{
    if (!isOpen())
        throw EngineError(ErrorCode::WrongState, QStringLiteral("The query is not open."));
    m_row = -1;
    moveTo(static_cast<long long>(m_rows.size()) - 1, -1);
}

void Query::next()
{
    if (!isOpen())
        throw EngineError(ErrorCode::WrongState, QStringLiteral("The query is not open."));
    if (m_row < 0) {
        setEdges(true, true);
        return;
    }
    moveTo(m_row + 1, 1);
}

void Query::prior()
{
    if (!isOpen())
        throw EngineError(ErrorCode::WrongState, QStringLiteral("The query is not open."));
    if (m_row < 0) {
        setEdges(true, true);
        return;
    }
    moveTo(m_row - 1, -1);
}

int Query::recordCount()
{
    if (!isOpen())
        return 0;
    if (!filtered())
        return static_cast<int>(m_rows.size());
    const auto saved = buffer();
    int count = 0;
    for (const Row& row : m_rows) {
        loadRecord(row);
        if (passesFilter())
            ++count;
    }
    buffer() = saved;
    return count;
}

int Query::recordsBefore()
{
    if (!isOpen() || filtered())
        return -1;
    return m_row < 0 ? 0 : static_cast<int>(m_row);
}

void Query::refresh()
{
    if (isOpen())
        open();
}

void Query::checkWritable(const Field& field) const
{
    if (field.calculated() && state() == DataSetState::CalcFields)
        return;
    throw EngineError(ErrorCode::ReadOnly,
                      QStringLiteral("Field %1 of a query result cannot be changed.").arg(field.name()));
}

void Query::filterChanged()
{
    first();
}

} // namespace varnex::data
