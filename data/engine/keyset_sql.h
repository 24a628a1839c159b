#pragma once
// The statements a cursor moves by, written once for every backend: a range
// (master link, low and high bounds) and a keyset seek ("strictly after /
// before / at or after" the key and record id) in an order where NULL sorts
// first. What differs between databases (quoting, the record id's column,
// placeholders, how an order puts NULL first) is asked of a dialect.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "backend.h"

namespace varnex::data {

class SqlDialect {
public:
    virtual ~SqlDialect() = default;
    // A table or field name as a quoted identifier.
    virtual std::string name(const QString& identifier) const = 0;
    virtual const char* rowIdColumn() const = 0;
    // The placeholder of the value bound at `number` (from 1); a number may
    // be written more than once and is bound once.
    virtual std::string placeholder(int number) const = 0;
    // Order suffixes that put NULL first going forwards and last backwards.
    virtual const char* ascending() const = 0;
    virtual const char* descending() const = 0;
    // Whether an order on a unique key may go without the record id where no
    // row it reads can tie; true where the key's index does not hold the
    // record id, so that the tie-break would make the database sort.
    virtual bool uniqueKeyOrdersAlone() const { return false; }
    // Whether the pieces of a backward read (see KeysetSql::downward) are
    // each limited and ordered on their own: true where the database would
    // rather read every piece whole and sort than merge them in order.
    virtual bool piecesReadApart() const { return false; }
};

// A value a statement binds, in placeholder order.
struct BoundValue {
    FieldType type;
    QVariant value;
    bool recordId = false; // a record id or a limit: 64 bits wide
};

class KeysetSql {
public:
    // With `emitSql` false only the values are collected: the caller keeps
    // the text from an earlier call of the same shape.
    KeysetSql(const SqlDialect& dialect, const CursorSpec& view, bool emitSql = true);

    // The rows from a seek point in its direction, at most the bound limit.
    std::string fetch(const Seek& seek, int limit);
    std::string count();
    // How many rows of the view come before a Before seek's key and record
    // id: the cursor's record number, without reading the rows.
    std::string countBefore(const Seek& seek);

    // The columns the cursors read: the record id, then the fields.
    static std::string selectList(const SqlDialect& dialect, const QList<FieldDef>& fields);
    // What decides the text of a fetch: direction, how many key values and
    // which are NULL, and the shape of the range (short: no allocation).
    static std::string fetchShape(const CursorSpec& view, const Seek& seek);

    std::vector<BoundValue> binds;

    // Leading order fields that every row of the view holds at one known
    // value (a master link, or a range whose two ends agree there).
    // A comparison whose leading values equal them can leave them out, so
    // that the database seeks in the key on what remains instead of scanning
    // the whole range for every page.
    struct Plan {
        int fixed = 0;      // fields held at one value
        int rangeFixed = 0; // of them, those held by the range (not the link)
        int lowSkip = 0;    // fields the low bound leaves out; -1: none emitted
        int highSkip = 0;   // the same for the high bound
        int seekSkip = 0;   // leading seek key fields left out
    };
    static Plan planOf(const CursorSpec& view, const Seek* seek);
    // No two rows a seek can read tie on the order fields: a unique key, and
    // every field held at a value or bounded from below, which keeps out NULL.
    static bool cannotTie(const CursorSpec& view, const Seek& seek, const Plan& plan);

private:
    std::string range(const Plan& plan);
    std::string seekTerm(const Seek& seek, const Plan& plan);
    std::string term(int i, int n, const Seek& seek, bool withId);
    // The rows before `key` (its fields `from` to `n`, then the record id
    // when given; the fields before `from` held by the range) as disjoint
    // pieces, nearest first, each an equality on a prefix of the key and one
    // bound the database seeks on: the key at its values and a smaller
    // record id, then for each field from the last one a smaller value, and
    // NULL. Pieces follow each other in the backward order.
    std::vector<std::string> downward(const QVariantList& key, int from, int n, const std::int64_t* rowId);
    std::string atOrBefore(int i, int n);
    std::string bind(FieldType type, const QVariant& value);
    const FieldDef& orderField(int i) const;
    std::string column(int i) const;

    const SqlDialect& m_dialect;
    const CursorSpec& m_spec;
    bool m_emit;
};

// The entry of a cursor's fetch cache for a seek (its statement text built
// the first time that shape is seen), and the values to bind to it. `Entry`
// is made from the text.
template <typename Entry>
Entry& CachedFetch(std::unordered_map<std::string, Entry>& cache, const SqlDialect& dialect, const CursorSpec& view,
                   const Seek& seek, int limit, std::vector<BoundValue>& binds)
{
    std::string shape = KeysetSql::fetchShape(view, seek);
    auto it = cache.find(shape);
    KeysetSql sql(dialect, view, it == cache.end());
    std::string text = sql.fetch(seek, limit);
    if (it == cache.end())
        it = cache.emplace(std::move(shape), Entry{std::move(text)}).first;
    binds = std::move(sql.binds);
    return it->second;
}

} // namespace varnex::data
