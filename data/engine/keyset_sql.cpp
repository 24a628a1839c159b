#include "keyset_sql.h"

#include <algorithm>

namespace varnex::data {

KeysetSql::KeysetSql(const SqlDialect& dialect, const CursorSpec& view, bool emitSql)
    : m_dialect(dialect)
    , m_spec(view)
    , m_emit(emitSql)
{
}

std::string KeysetSql::selectList(const SqlDialect& dialect, const QList<FieldDef>& fields)
{
    std::string list = dialect.rowIdColumn();
    for (const FieldDef& f : fields)
        list += "," + dialect.name(f.name);
    return list;
}

std::string KeysetSql::fetchShape(const CursorSpec& view, const Seek& seek)
{
    const int orderCount = static_cast<int>(view.orderFields.size());
    auto clamp = [orderCount](qsizetype size) {
        return static_cast<char>('0' + std::min<int>(static_cast<int>(size), orderCount));
    };
    const int n = std::min<int>(static_cast<int>(seek.key.size()), orderCount);
    const int links = std::min<int>(static_cast<int>(view.linkValues.size()), orderCount);
    std::string shape;
    shape += static_cast<char>('a' + static_cast<int>(seek.mode));
    shape += clamp(view.low.size());
    shape += clamp(view.high.size());
    // The NULL pattern of the link and of the key choose between "=" and
    // "IS NULL" terms; the lengths are told by the patterns themselves.
    for (int i = 0; i < links; ++i)
        shape += view.linkValues[i].isValid() ? 'l' : 'L';
    shape += '/';
    for (int i = 0; i < n; ++i)
        shape += seek.key[i].isValid() ? 'k' : 'K';
    return shape;
}

const FieldDef& KeysetSql::orderField(int i) const
{
    return m_spec.fields[m_spec.orderFields[i]];
}

std::string KeysetSql::column(int i) const
{
    return m_emit ? m_dialect.name(orderField(i).name) : std::string();
}

std::string KeysetSql::bind(FieldType type, const QVariant& value)
{
    binds.push_back({type, value});
    return m_emit ? m_dialect.placeholder(static_cast<int>(binds.size())) : std::string();
}

std::string KeysetSql::range()
{
    std::string where;
    auto add = [&](const std::string& t) {
        if (m_emit)
            where += (where.empty() ? "" : " AND ") + t;
    };
    for (int i = 0; i < m_spec.linkValues.size() && i < m_spec.orderFields.size(); ++i) {
        const QVariant& v = m_spec.linkValues[i];
        // "=" and "IS NULL" rather than a NULL-safe operator: both use the key.
        if (v.isValid()) {
            const std::string p = bind(orderField(i).type, v);
            add(column(i) + " = " + p);
        } else {
            add(column(i) + " IS NULL");
        }
    }
    auto bound = [&](const QVariantList& values, const char* op) {
        const int n = std::min<int>(static_cast<int>(values.size()), static_cast<int>(m_spec.orderFields.size()));
        if (n == 0)
            return;
        std::string lhs, rhs;
        for (int i = 0; i < n; ++i) {
            const std::string p = bind(orderField(i).type, values[i]);
            lhs += (i ? "," : "") + column(i);
            rhs += (i ? "," : "") + p;
        }
        // A one-element row is not a row in every dialect.
        add(n == 1 ? lhs + " " + op + " " + rhs : "(" + lhs + ") " + op + " (" + rhs + ")");
    };
    bound(m_spec.low, ">=");
    bound(m_spec.high, "<=");
    return where;
}

std::string KeysetSql::seekTerm(const Seek& seek)
{
    const bool forward = seek.mode != SeekMode::Before;
    const bool withId = seek.mode != SeekMode::AtOrAfter;
    const int n = std::min<int>(static_cast<int>(seek.key.size()), static_cast<int>(m_spec.orderFields.size()));
    bool anyNull = false;
    for (int i = 0; i < n; ++i)
        anyNull = anyNull || !seek.key[i].isValid();
    if (forward && !anyNull) {
        // Row values are exact here and use the key.
        std::string lhs, rhs;
        for (int i = 0; i < n; ++i) {
            const std::string p = bind(orderField(i).type, seek.key[i]);
            lhs += (i ? "," : "") + column(i);
            rhs += (i ? "," : "") + p;
        }
        if (withId) {
            binds.push_back({FieldType::Integer, QVariant::fromValue<qlonglong>(seek.rowId), true});
            if (m_emit) {
                lhs += std::string(n ? "," : "") + m_dialect.rowIdColumn();
                rhs += (n ? "," : "") + m_dialect.placeholder(static_cast<int>(binds.size()));
            }
        }
        const int width = n + (withId ? 1 : 0);
        if (width == 0)
            return "1=1";
        const char* op = withId ? " > " : " >= ";
        return width == 1 ? lhs + op + rhs : "(" + lhs + ")" + op + "(" + rhs + ")";
    }
    // The expanded form; a leading bound on the first field lets the key
    // narrow the scan.
    std::string leading;
    if (n > 0 && seek.key[0].isValid() && forward) {
        const std::string p = bind(orderField(0).type, seek.key[0]);
        leading = column(0) + " >= " + p + " AND ";
    }
    const std::string rest = term(0, n, seek, forward, withId);
    return m_emit ? leading + rest : std::string();
}

std::string KeysetSql::term(int i, int n, const Seek& seek, bool forward, bool withId)
{
    if (i == n) {
        if (!withId)
            return "1=1";
        binds.push_back({FieldType::Integer, QVariant::fromValue<qlonglong>(seek.rowId), true});
        if (!m_emit)
            return {};
        return std::string(m_dialect.rowIdColumn()) + (forward ? " > " : " < ")
               + m_dialect.placeholder(static_cast<int>(binds.size()));
    }
    const std::string k = column(i);
    const QVariant& v = seek.key[i];
    if (!v.isValid()) {
        // NULL is the smallest value.
        const std::string rest = term(i + 1, n, seek, forward, withId);
        if (!m_emit)
            return {};
        if (forward)
            return "(" + k + " IS NOT NULL OR (" + k + " IS NULL AND (" + rest + ")))";
        return "(" + k + " IS NULL AND (" + rest + "))";
    }
    const std::string p = bind(orderField(i).type, v);
    const std::string rest = term(i + 1, n, seek, forward, withId);
    if (!m_emit)
        return {};
    const std::string beyond = forward ? k + " > " + p : "(" + k + " IS NULL OR " + k + " < " + p + ")";
    return "(" + beyond + " OR (" + k + " = " + p + " AND (" + rest + ")))";
}

std::string KeysetSql::fetch(const Seek& seek, int limit)
{
    std::string where = range();
    if (seek.mode == SeekMode::After || seek.mode == SeekMode::Before || seek.mode == SeekMode::AtOrAfter) {
        const std::string s = seekTerm(seek);
        if (m_emit)
            where += (where.empty() ? "(" : " AND (") + s + ")";
    }
    binds.push_back({FieldType::Integer, QVariant::fromValue<qlonglong>(limit), true});
    if (!m_emit)
        return {};
    const bool backwards = seek.mode == SeekMode::Last || seek.mode == SeekMode::Before;
    const char* dir = backwards ? m_dialect.descending() : m_dialect.ascending();
    std::string order;
    for (int i : m_spec.orderFields)
        order += m_dialect.name(m_spec.fields[i].name) + dir + ",";
    order += std::string(m_dialect.rowIdColumn()) + (backwards ? " DESC" : "");
    return "SELECT " + selectList(m_dialect, m_spec.fields) + " FROM " + m_dialect.name(m_spec.table)
           + (where.empty() ? "" : " WHERE " + where) + " ORDER BY " + order + " LIMIT "
           + m_dialect.placeholder(static_cast<int>(binds.size()));
}

std::string KeysetSql::count()
{
    const std::string where = range();
    if (!m_emit)
        return {};
    return "SELECT count(*) FROM " + m_dialect.name(m_spec.table) + (where.empty() ? "" : " WHERE " + where);
}

} // namespace varnex::data
