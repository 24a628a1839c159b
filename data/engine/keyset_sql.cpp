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

namespace {

FieldType orderType(const CursorSpec& view, int i)
{
    return view.fields[view.orderFields[i]].type;
}

// Leading values of `values` left out of a comparison because every row
// holds them: how many (0 when one of them differs from the fixed value).
int agreeingPrefix(const CursorSpec& view, const QVariantList& values, const QVariantList& fixed)
{
    const int n = static_cast<int>(std::min(values.size(), fixed.size()));
    for (int i = 0; i < n; ++i)
        if (CompareValues(orderType(view, i), values[i], fixed[i]) != 0)
            return 0;
    return n;
}

// A forward seek from `key` never reaches below `low`: the low bound adds
// nothing. Only for a bound without NULL, whose SQL comparison then agrees
// with the engine's order.
bool seekImpliesLow(const CursorSpec& view, const Seek& seek, const QVariantList& low)
{
    if (seek.mode != SeekMode::After && seek.mode != SeekMode::AtOrAfter)
        return false;
    for (const QVariant& v : low)
        if (!v.isValid())
            return false;
    const int n = static_cast<int>(std::min(seek.key.size(), low.size()));
    for (int i = 0; i < n; ++i)
        if (const int c = CompareValues(orderType(view, i), seek.key[i], low[i]); c != 0)
            return c > 0;
    return seek.key.size() >= low.size();
}

} // namespace

KeysetSql::Plan KeysetSql::planOf(const CursorSpec& view, const Seek* seek)
{
    Plan plan;
    const int orderCount = static_cast<int>(view.orderFields.size());
    const int links = std::min<int>(static_cast<int>(view.linkValues.size()), orderCount);
    QVariantList fixed;
    for (int i = 0; i < orderCount; ++i) {
        if (i < links) {
            fixed << view.linkValues[i];
            continue;
        }
        const bool bothEnds = i < view.low.size() && i < view.high.size()
                              && CompareValues(orderType(view, i), view.low[i], view.high[i]) == 0;
        if (!bothEnds || agreeingPrefix(view, view.low.mid(0, i), fixed) != i
            || agreeingPrefix(view, view.high.mid(0, i), fixed) != i)
            break;
        fixed << view.low[i];
        ++plan.rangeFixed;
    }
    plan.fixed = static_cast<int>(fixed.size());
    auto boundSkip = [&](const QVariantList& bound) {
        if (bound.isEmpty())
            return -1;
        const int skip = agreeingPrefix(view, bound, fixed);
        return skip == bound.size() ? -1 : skip;
    };
    plan.lowSkip = seek && seekImpliesLow(view, *seek, view.low) ? -1 : boundSkip(view.low);
    plan.highSkip = boundSkip(view.high);
    if (seek) {
        const QVariantList key = seek->key.mid(0, orderCount);
        plan.seekSkip = agreeingPrefix(view, key, fixed);
    }
    return plan;
}

bool KeysetSql::cannotTie(const CursorSpec& view, const Seek& seek, const Plan& plan)
{
    if (!view.uniqueOrder)
        return false;
    // A unique key lets several rows hold NULL in one of its fields.
    const int links = std::min<int>(static_cast<int>(view.linkValues.size()), plan.fixed);
    for (int i = 0; i < plan.fixed; ++i)
        if (!(i < links ? view.linkValues[i] : view.low[i]).isValid())
            return false;
    const int free = static_cast<int>(view.orderFields.size()) - plan.fixed;
    if (free == 0)
        return true;
    // One field left, compared by a forward seek from a value: the
    // comparison is never true of NULL.
    const bool forward = seek.mode == SeekMode::After || seek.mode == SeekMode::AtOrAfter;
    return free == 1 && forward && plan.seekSkip == plan.fixed && seek.key.size() > plan.fixed
           && seek.key[plan.fixed].isValid();
}

std::string KeysetSql::fetchShape(const CursorSpec& view, const Seek& seek)
{
    const int orderCount = static_cast<int>(view.orderFields.size());
    auto clamp = [orderCount](qsizetype size) {
        return static_cast<char>('0' + std::min<int>(static_cast<int>(size), orderCount));
    };
    const int n = std::min<int>(static_cast<int>(seek.key.size()), orderCount);
    const int links = std::min<int>(static_cast<int>(view.linkValues.size()), orderCount);
    const Plan plan = planOf(view, &seek);
    std::string shape;
    shape += static_cast<char>('a' + static_cast<int>(seek.mode));
    shape += clamp(view.low.size());
    shape += clamp(view.high.size());
    shape += static_cast<char>('0' + plan.fixed);
    shape += static_cast<char>('0' + plan.rangeFixed);
    shape += static_cast<char>('1' + plan.lowSkip);
    shape += static_cast<char>('1' + plan.highSkip);
    shape += static_cast<char>('0' + plan.seekSkip);
    shape += seek.skip > 0 ? '+' : '.';
    // The NULL pattern of the link and of the key choose between "=" and
    // "IS NULL" terms; the lengths are told by the patterns themselves.
    for (int i = 0; i < links; ++i)
        shape += view.linkValues[i].isValid() ? 'l' : 'L';
    shape += '/';
    for (const QVariant& v : view.low)
        shape += v.isValid() ? 'r' : 'R';
    shape += '/';
    for (const QVariant& v : view.high)
        shape += v.isValid() ? 'h' : 'H';
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

std::string KeysetSql::range(const Plan& plan)
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
    for (int i = plan.fixed - plan.rangeFixed; i < plan.fixed; ++i) {
        if (m_spec.low[i].isValid()) {
            const std::string p = bind(orderField(i).type, m_spec.low[i]);
            add(column(i) + " = " + p);
        } else {
            add(column(i) + " IS NULL");
        }
    }
    // "At or after" the low end is a seek from it; "at or before" the high
    // end has to let in the rows whose field is NULL where the bound has a
    // value, which a row comparison would leave out: NULL sorts first.
    if (plan.lowSkip >= 0) {
        const Seek from{SeekMode::AtOrAfter, m_spec.low, 0};
        const std::string t = seekTerm(from, Plan{plan.fixed, plan.rangeFixed, -1, -1, plan.lowSkip});
        add("(" + t + ")");
    }
    if (plan.highSkip >= 0) {
        const int n = std::min<int>(static_cast<int>(m_spec.high.size()), static_cast<int>(m_spec.orderFields.size()));
        add(atOrBefore(plan.highSkip, n));
    }
    return where;
}

std::string KeysetSql::atOrBefore(int i, int n)
{
    const std::string k = column(i);
    const QVariant& v = m_spec.high[i];
    const bool last = i + 1 == n;
    if (!v.isValid()) {
        if (last)
            return k + " IS NULL";
        const std::string rest = atOrBefore(i + 1, n);
        return "(" + k + " IS NULL AND " + rest + ")";
    }
    const std::string p = bind(orderField(i).type, v);
    if (last)
        return "(" + k + " IS NULL OR " + k + " <= " + p + ")";
    const std::string rest = atOrBefore(i + 1, n);
    return "(" + k + " IS NULL OR " + k + " < " + p + " OR (" + k + " = " + p + " AND " + rest + "))";
}

std::string KeysetSql::seekTerm(const Seek& seek, const Plan& plan)
{
    const bool withId = seek.mode != SeekMode::AtOrAfter;
    const int n = std::min<int>(static_cast<int>(seek.key.size()), static_cast<int>(m_spec.orderFields.size()));
    const int skip = std::min(plan.seekSkip, n);
    bool anyNull = false;
    for (int i = skip; i < n; ++i)
        anyNull = anyNull || !seek.key[i].isValid();
    if (!anyNull) {
        // Row values are exact here and use the key.
        std::string lhs, rhs;
        for (int i = skip; i < n; ++i) {
            const std::string p = bind(orderField(i).type, seek.key[i]);
            lhs += (i > skip ? "," : "") + column(i);
            rhs += (i > skip ? "," : "") + p;
        }
        if (withId) {
            binds.push_back({FieldType::Integer, QVariant::fromValue<qlonglong>(seek.rowId), true});
            if (m_emit) {
                lhs += std::string(n > skip ? "," : "") + m_dialect.rowIdColumn();
                rhs += (n > skip ? "," : "") + m_dialect.placeholder(static_cast<int>(binds.size()));
            }
        }
        const int width = n - skip + (withId ? 1 : 0);
        if (width == 0)
            return "1=1";
        const char* op = withId ? " > " : " >= ";
        return width == 1 ? lhs + op + rhs : "(" + lhs + ")" + op + "(" + rhs + ")";
    }
    // The expanded form; a leading bound on the first field lets the key
    // narrow the scan.
    std::string leading;
    if (n > skip && seek.key[skip].isValid()) {
        const std::string p = bind(orderField(skip).type, seek.key[skip]);
        leading = column(skip) + " >= " + p + " AND ";
    }
    const std::string rest = term(skip, n, seek, withId);
    return m_emit ? leading + rest : std::string();
}

std::string KeysetSql::term(int i, int n, const Seek& seek, bool withId)
{
    if (i == n) {
        if (!withId)
            return "1=1";
        binds.push_back({FieldType::Integer, QVariant::fromValue<qlonglong>(seek.rowId), true});
        if (!m_emit)
            return {};
        return std::string(m_dialect.rowIdColumn()) + " > " + m_dialect.placeholder(static_cast<int>(binds.size()));
    }
    const std::string k = column(i);
    const QVariant& v = seek.key[i];
    if (!v.isValid()) {
        // NULL is the smallest value.
        const std::string rest = term(i + 1, n, seek, withId);
        if (!m_emit)
            return {};
        return "(" + k + " IS NOT NULL OR (" + k + " IS NULL AND (" + rest + ")))";
    }
    const std::string p = bind(orderField(i).type, v);
    const std::string rest = term(i + 1, n, seek, withId);
    if (!m_emit)
        return {};
    return "(" + k + " > " + p + " OR (" + k + " = " + p + " AND (" + rest + ")))";
}

std::vector<std::string> KeysetSql::downward(const QVariantList& key, int from, int n, const std::int64_t* rowId)
{
    // Each value is bound once; every piece names the same placeholders.
    std::vector<std::string> value(static_cast<size_t>(n));
    for (int i = from; i < n; ++i)
        if (key[i].isValid())
            value[static_cast<size_t>(i)] = bind(orderField(i).type, key[i]);
    std::string id;
    if (rowId) {
        binds.push_back({FieldType::Integer, QVariant::fromValue<qlonglong>(*rowId), true});
        id = m_emit ? m_dialect.placeholder(static_cast<int>(binds.size())) : std::string();
    }
    if (!m_emit)
        return {};
    auto both = [](const std::string& a, const std::string& b) {
        return a.empty() ? b : (b.empty() ? a : a + " AND " + b);
    };
    // The fields before `upTo` held at the key's values.
    auto equal = [&](int upTo) {
        std::string e;
        for (int j = from; j < upTo; ++j)
            e = both(e,
                     column(j) + (key[j].isValid() ? " = " + value[static_cast<size_t>(j)] : std::string(" IS NULL")));
        return e;
    };
    std::vector<std::string> pieces;
    std::string nearest = both(equal(n), rowId ? m_dialect.rowIdColumn() + (" < " + id) : std::string());
    pieces.push_back(nearest.empty() ? "1=1" : nearest);
    for (int i = n - 1; i >= from; --i) {
        // Nothing sorts below NULL.
        if (!key[i].isValid())
            continue;
        const std::string e = equal(i);
        pieces.push_back(both(e, column(i) + " < " + value[static_cast<size_t>(i)]));
        pieces.push_back(both(e, column(i) + " IS NULL"));
    }
    return pieces;
}

std::string KeysetSql::fetch(const Seek& seek, int limit)
{
    Plan plan = planOf(m_spec, &seek);
    const int orderCount = static_cast<int>(m_spec.orderFields.size());
    // Backwards, the rows come in pieces the database reads each from its key
    // downwards (see downward()): a comparison that lets NULL in, as the
    // order wants, would have it read the whole range from its end.
    std::vector<std::string> pieces;
    const bool fromHigh = seek.mode == SeekMode::Last && plan.highSkip >= 0;
    const int highSkip = plan.highSkip;
    if (fromHigh)
        plan.highSkip = -1;
    std::string where = range(plan);
    if (seek.mode == SeekMode::Before) {
        const int n = std::min<int>(static_cast<int>(seek.key.size()), orderCount);
        pieces = downward(seek.key, std::min(plan.seekSkip, n), n, &seek.rowId);
    } else if (fromHigh) {
        const int n = std::min<int>(static_cast<int>(m_spec.high.size()), orderCount);
        pieces = downward(m_spec.high, highSkip, n, nullptr);
    } else if (seek.mode == SeekMode::After || seek.mode == SeekMode::AtOrAfter) {
        const std::string s = seekTerm(seek, plan);
        if (m_emit)
            where += (where.empty() ? "(" : " AND (") + s + ")";
    }
    // The offset is bound before the limit, which stays the last value (a
    // backend may write it into the text).
    if (seek.skip > 0)
        binds.push_back({FieldType::Integer, QVariant::fromValue<qlonglong>(seek.skip), true});
    binds.push_back({FieldType::Integer, QVariant::fromValue<qlonglong>(limit), true});
    if (!m_emit)
        return {};
    const bool backwards = seek.mode == SeekMode::Last || seek.mode == SeekMode::Before;
    const char* dir = backwards ? m_dialect.descending() : m_dialect.ascending();
    const bool alone = m_dialect.uniqueKeyOrdersAlone() && cannotTie(m_spec, seek, plan);
    const std::string select =
        "SELECT " + selectList(m_dialect, m_spec.fields) + " FROM " + m_dialect.name(m_spec.table);
    // A statement of several pieces is ordered by column numbers, which
    // every piece shares; the database merges the pieces, each in its key's
    // order.
    const bool merged = pieces.size() > 1;
    std::string order, numbered;
    for (int i : m_spec.orderFields) {
        order += m_dialect.name(m_spec.fields[i].name) + dir + ",";
        numbered += std::to_string(i + 2) + dir + ",";
    }
    if (alone) {
        order.pop_back();
        numbered.pop_back();
    } else {
        order += std::string(m_dialect.rowIdColumn()) + (backwards ? " DESC" : "");
        numbered += std::string("1") + (backwards ? " DESC" : "");
    }
    const int limitAt = static_cast<int>(binds.size());
    const std::string limitText = " LIMIT " + m_dialect.placeholder(limitAt);
    const std::string offset = seek.skip > 0 ? " OFFSET " + m_dialect.placeholder(limitAt - 1) : std::string();
    if (pieces.size() == 1)
        where += (where.empty() ? "(" : " AND (") + pieces.front() + ")";
    if (!merged)
        return select + (where.empty() ? "" : " WHERE " + where) + " ORDER BY " + order + limitText + offset;
    std::string text;
    for (size_t p = 0; p < pieces.size(); ++p) {
        std::string piece = select + " WHERE " + where + (where.empty() ? "(" : " AND (") + pieces[p] + ")";
        if (m_dialect.piecesReadApart())
            piece = "SELECT * FROM (" + piece + " ORDER BY " + order + limitText
                    + (seek.skip > 0 ? " + " + m_dialect.placeholder(limitAt - 1) : std::string()) + ") AS vx_piece"
                    + std::to_string(p);
        text += (text.empty() ? "" : " UNION ALL ") + piece;
    }
    return text + " ORDER BY " + numbered + limitText + offset;
}

std::string KeysetSql::count()
{
    const std::string where = range(planOf(m_spec, nullptr));
    if (!m_emit)
        return {};
    return "SELECT count(*) FROM " + m_dialect.name(m_spec.table) + (where.empty() ? "" : " WHERE " + where);
}

std::string KeysetSql::countBefore(const Seek& seek)
{
    const Plan plan = planOf(m_spec, &seek);
    const std::string where = range(plan);
    const int n = std::min<int>(static_cast<int>(seek.key.size()), static_cast<int>(m_spec.orderFields.size()));
    const std::vector<std::string> pieces = downward(seek.key, std::min(plan.seekSkip, n), n, &seek.rowId);
    if (!m_emit)
        return {};
    // A count for each piece, each read in the key.
    std::string sum;
    for (const std::string& piece : pieces)
        sum += (sum.empty() ? "(" : " + (") + std::string("SELECT count(*) FROM ") + m_dialect.name(m_spec.table)
               + " WHERE " + where + (where.empty() ? "(" : " AND (") + piece + "))";
    return "SELECT " + sum;
}

} // namespace varnex::data
