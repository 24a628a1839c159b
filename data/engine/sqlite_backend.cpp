// Everything that knows it talks to SQLite: type names, SQL text, error
// numbers, WAL and the lock file.

#include "sqlite_backend.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QUrl>

#include "varnex/currency.h"
#include "varnex/data/engine_error.h"
#include "keyset_sql.h"

namespace varnex::data {

namespace {

constexpr int BusyTimeoutMs = 5000;

std::string quoted(const QString& identifier)
{
    // Quoting keeps reserved words such as "Date" and "Index" usable as field
    // names; a quote inside a name (a table made by another tool) is doubled,
    // so the name never reads as SQL.
    std::string out = "\"";
    for (const char c : identifier.toStdString()) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

class SqliteDialect final : public SqlDialect {
public:
    std::string name(const QString& identifier) const override { return quoted(identifier); }
    const char* rowIdColumn() const override { return "rowid"; }
    std::string placeholder(int number) const override { return "?" + std::to_string(number); }
    // SQLite sorts NULL first going up, last going down.
    const char* ascending() const override { return ""; }
    const char* descending() const override { return " DESC"; }
};

const SqliteDialect Dialect;

// Declared column types. They carry the field type and size back when a
// table is described, and give SQLite the affinity that keeps each value in
// its storage class ("INT", not "INTEGER", so no key field turns into an
// alias of the record id).
std::string declaredType(const FieldDef& f)
{
    switch (f.type) {
    case FieldType::Text: return "TEXT(" + std::to_string(f.size > 0 ? f.size : 20) + ")";
    case FieldType::ShortInteger: return "SMALLINT";
    case FieldType::Integer: return "INT";
    case FieldType::Number: return "DOUBLE";
    case FieldType::Money: return "MONEY_INT";
    case FieldType::Logical: return "LOGICAL_INT";
    case FieldType::Date: return "DATE_TEXT";
    case FieldType::Time: return "TIME_TEXT";
    case FieldType::Timestamp: return "TIMESTAMP_TEXT";
    case FieldType::AutoIncrement: return "AUTOINC_INT";
    case FieldType::Memo: return "MEMO_TEXT(" + std::to_string(f.size) + ")";
    case FieldType::Bytes: return "BYTES_BLOB(" + std::to_string(f.size) + ")";
    case FieldType::Binary: return "BLOB";
    }
    return "TEXT";
}

FieldDef fieldFromDeclared(const QString& name, const QString& declared)
{
    FieldDef f;
    f.name = name;
    static const QRegularExpression sized(QStringLiteral("^\\s*([A-Za-z_ ]+?)\\s*(?:\\(\\s*(\\d+)\\s*\\))?\\s*$"));
    const auto m = sized.match(declared);
    const QString base = m.hasMatch() ? m.captured(1).toUpper() : declared.toUpper();
    const int size = m.hasMatch() ? m.captured(2).toInt() : 0;
    if (base == QLatin1String("TEXT")) {
        f.type = FieldType::Text;
        f.size = size > 0 ? size : 20;
    } else if (base == QLatin1String("SMALLINT"))
        f.type = FieldType::ShortInteger;
    else if (base == QLatin1String("INT"))
        f.type = FieldType::Integer;
    else if (base == QLatin1String("DOUBLE"))
        f.type = FieldType::Number;
    else if (base == QLatin1String("MONEY_INT"))
        f.type = FieldType::Money;
    else if (base == QLatin1String("LOGICAL_INT"))
        f.type = FieldType::Logical;
    else if (base == QLatin1String("DATE_TEXT"))
        f.type = FieldType::Date;
    else if (base == QLatin1String("TIME_TEXT"))
        f.type = FieldType::Time;
    else if (base == QLatin1String("TIMESTAMP_TEXT"))
        f.type = FieldType::Timestamp;
    else if (base == QLatin1String("AUTOINC_INT"))
        f.type = FieldType::AutoIncrement;
    else if (base == QLatin1String("MEMO_TEXT")) {
        f.type = FieldType::Memo;
        f.size = size;
    } else if (base == QLatin1String("BYTES_BLOB")) {
        f.type = FieldType::Bytes;
        f.size = size;
    } else if (base == QLatin1String("BLOB"))
        f.type = FieldType::Binary;
    // Tables made by other tools: SQLite's own affinity rules.
    else if (base.contains(QLatin1String("INT")))
        f.type = FieldType::Integer;
    else if (base.contains(QLatin1String("CHAR")) || base.contains(QLatin1String("CLOB"))
             || base.contains(QLatin1String("TEXT"))) {
        f.type = size > 0 ? FieldType::Text : FieldType::Memo;
        f.size = size;
    } else if (base.contains(QLatin1String("REAL")) || base.contains(QLatin1String("FLOA"))
               || base.contains(QLatin1String("DOUB")))
        f.type = FieldType::Number;
    else if (base.contains(QLatin1String("BLOB")))
        f.type = FieldType::Binary;
    else {
        f.type = FieldType::Memo;
    }
    return f;
}

// ---- dates and times in their stored text form -----------------------------

// Written digit by digit: a posting stores a date per record, and the
// general formatter costs more than the rest of the write.
struct StoredText {
    char text[32];
    int size = 0;
    void digits(int value, int count)
    {
        for (int i = count - 1; i >= 0; --i, value /= 10)
            text[size + i] = static_cast<char>('0' + value % 10);
        size += count;
    }
    void put(char c) { text[size++] = c; }
    void put(const QByteArray& other)
    {
        for (const char c : other)
            if (size < static_cast<int>(sizeof text))
                put(c);
    }
};

void addDate(StoredText& out, const QDate& d)
{
    // One calendar conversion for the three parts, not one per part.
    int year = 0, month = 0, day = 0;
    d.getDate(&year, &month, &day);
    if (year < 1 || year > 9999) {
        out.put(d.toString(Qt::ISODate).toLatin1());
        return;
    }
    out.digits(year, 4);
    out.put('-');
    out.digits(month, 2);
    out.put('-');
    out.digits(day, 2);
}

void addTime(StoredText& out, const QTime& t)
{
    if (!t.isValid()) {
        out.put(t.toString(QStringLiteral("HH:mm:ss.zzz")).toLatin1());
        return;
    }
    out.digits(t.hour(), 2);
    out.put(':');
    out.digits(t.minute(), 2);
    out.put(':');
    out.digits(t.second(), 2);
    out.put('.');
    out.digits(t.msec(), 3);
}

// A column as SQLite holds it, read the way a field of `type` needs it.
struct StoredColumn {
    RowPage::Kind kind = RowPage::Kind::Null;
    std::int64_t integer = 0;
    double real = 0.0;
    const char* data = nullptr;
    int size = 0;
};

StoredColumn storedColumn(sqlite3_stmt* s, int col, FieldType type)
{
    // One call into the statement per column; the value readers that follow
    // take no lock. The connection is used from one thread only (opened
    // without a mutex), which is what makes the column's value safe to read
    // this way.
    sqlite3_value* value = sqlite3_column_value(s, col);
    StoredColumn v;
    const int storage = sqlite3_value_type(value);
    if (storage == SQLITE_NULL)
        return v;
    switch (type) {
    case FieldType::Text:
    case FieldType::Memo:
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::Timestamp:
        v.kind = RowPage::Kind::Text;
        v.data = reinterpret_cast<const char*>(sqlite3_value_text(value));
        v.size = sqlite3_value_bytes(value);
        return v;
    case FieldType::Bytes:
    case FieldType::Binary:
        v.kind = RowPage::Kind::Bytes;
        v.data = static_cast<const char*>(sqlite3_value_blob(value));
        v.size = sqlite3_value_bytes(value);
        return v;
    case FieldType::Number:
        v.kind = RowPage::Kind::Real;
        v.real = sqlite3_value_double(value);
        return v;
    case FieldType::Money:
        // Ten-thousandths; a REAL written by another tool is rounded to them.
        v.kind = RowPage::Kind::Integer;
        v.integer = storage == SQLITE_FLOAT ? std::llround(sqlite3_value_double(value)) : sqlite3_value_int64(value);
        return v;
    case FieldType::ShortInteger:
    case FieldType::Integer:
    case FieldType::AutoIncrement:
    case FieldType::Logical:
        v.kind = RowPage::Kind::Integer;
        v.integer = sqlite3_value_int64(value);
        return v;
    }
    return v;
}

QVariant readColumn(sqlite3_stmt* s, int col, FieldType type)
{
    const StoredColumn v = storedColumn(s, col, type);
    return ValueFromStorage(type, v.kind, v.integer, v.real, v.data, v.size);
}

// Keeps the column as stored: it is converted when a field reads it.
void addColumn(RowPage& page, sqlite3_stmt* s, int col, FieldType type)
{
    const StoredColumn v = storedColumn(s, col, type);
    switch (v.kind) {
    case RowPage::Kind::Null: page.addNull(); return;
    case RowPage::Kind::Integer: page.addInteger(v.integer); return;
    case RowPage::Kind::Real: page.addReal(v.real); return;
    case RowPage::Kind::Text: page.addText(v.data, v.size); return;
    case RowPage::Kind::Bytes:
    case RowPage::Kind::Held:
    case RowPage::Kind::Printed: page.addBytes(v.data, v.size); return;
    }
}

void bindValue(sqlite3_stmt* s, int index, FieldType type, const QVariant& v)
{
    if (!v.isValid()) {
        sqlite3_bind_null(s, index);
        return;
    }
    switch (type) {
    case FieldType::Text:
    case FieldType::Memo: {
        const QByteArray utf8 = v.toString().toUtf8();
        sqlite3_bind_text(s, index, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
        return;
    }
    case FieldType::ShortInteger:
    case FieldType::Integer:
    case FieldType::AutoIncrement: sqlite3_bind_int64(s, index, v.toLongLong()); return;
    case FieldType::Number: sqlite3_bind_double(s, index, v.toDouble()); return;
    case FieldType::Money: sqlite3_bind_int64(s, index, v.value<Currency>().ticks()); return;
    case FieldType::Logical: sqlite3_bind_int(s, index, v.toBool() ? 1 : 0); return;
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::Timestamp: {
        StoredText text;
        if (type == FieldType::Date) {
            addDate(text, v.toDate());
        } else if (type == FieldType::Time) {
            addTime(text, v.toTime());
        } else {
            const QDateTime stamp = v.toDateTime();
            addDate(text, stamp.date());
            text.put('T');
            addTime(text, stamp.time());
        }
        sqlite3_bind_text(s, index, text.text, text.size, SQLITE_TRANSIENT);
        return;
    }
    case FieldType::Bytes:
    case FieldType::Binary: {
        const QByteArray bytes = v.toByteArray();
        sqlite3_bind_blob(s, index, bytes.constData(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
        return;
    }
    }
}

// The UTF-8 form of a text, written into `out` (grown, never shrunk, so a
// run of records reuses it) and ended by a zero byte; its length, or -1 for
// a text holding a surrogate or a zero character, which is left to Qt's
// converter and bound with its length.
int utf8Into(QStringView text, std::string& out)
{
    const auto most = static_cast<size_t>(text.size()) * 3 + 1;
    if (out.size() < most)
        out.resize(most);
    char* p = out.data();
    const char16_t* u = text.utf16();
    const char16_t* const end = u + text.size();
    while (u != end) {
        // Most texts are plain ASCII: four characters at a time.
        if (end - u >= 4) {
            std::uint64_t four;
            std::memcpy(&four, u, sizeof four);
            if ((four & 0xFF80FF80FF80FF80ull) == 0 && ((four - 0x0001000100010001ull) & 0x8000800080008000ull) == 0) {
                p[0] = static_cast<char>(u[0]);
                p[1] = static_cast<char>(u[1]);
                p[2] = static_cast<char>(u[2]);
                p[3] = static_cast<char>(u[3]);
                p += 4;
                u += 4;
                continue;
            }
        }
        const char16_t c = *u++;
        if (c == 0 || QChar::isSurrogate(c))
            return -1;
        if (c < 0x80) {
            *p++ = static_cast<char>(c);
        } else if (c < 0x800) {
            *p++ = static_cast<char>(0xC0 | (c >> 6));
            *p++ = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            *p++ = static_cast<char>(0xE0 | (c >> 12));
            *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *p++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    *p = '\0';
    return static_cast<int>(p - out.data());
}

// Binds a text made in a buffer the caller keeps until the statement has
// run, without a copy. The length is left for SQLite to find at the zero
// byte: only then does it know the text is ended, and a CHECK on the
// text's length (every text field has one) reads it where it lies instead
// of copying it into memory of its own to add the zero.
void bindKeptText(sqlite3_stmt* s, int index, const char* text)
{
    sqlite3_bind_text(s, index, text, -1, SQLITE_STATIC);
}

// Binds a value of a record being written. Texts, dates and times are made
// in `buffer`, which the caller keeps until the statement has run, and bound
// without a copy: bound with a copy, SQLite allocates, copies and frees
// every one of them, for every record.
void bindWritten(sqlite3_stmt* s, int index, FieldType type, const QVariant& v, std::string& buffer)
{
    if (!v.isValid()) {
        sqlite3_bind_null(s, index);
        return;
    }
    switch (type) {
    case FieldType::Text:
    case FieldType::Memo:
        if (v.metaType() == QMetaType::fromType<QString>()
            && utf8Into(*static_cast<const QString*>(v.constData()), buffer) >= 0) {
            bindKeptText(s, index, buffer.data());
            return;
        }
        break;
    case FieldType::Money:
        if (v.metaType() == QMetaType::fromType<Currency>()) {
            sqlite3_bind_int64(s, index, static_cast<const Currency*>(v.constData())->ticks());
            return;
        }
        break;
    case FieldType::ShortInteger:
    case FieldType::Integer:
    case FieldType::AutoIncrement:
        if (v.metaType() == QMetaType::fromType<qlonglong>()) {
            sqlite3_bind_int64(s, index, *static_cast<const qlonglong*>(v.constData()));
            return;
        }
        break;
    case FieldType::Number:
        if (v.metaType() == QMetaType::fromType<double>()) {
            sqlite3_bind_double(s, index, *static_cast<const double*>(v.constData()));
            return;
        }
        break;
    case FieldType::Date:
        if (v.metaType() == QMetaType::fromType<QDate>()) {
            StoredText text;
            addDate(text, *static_cast<const QDate*>(v.constData()));
            buffer.assign(text.text, static_cast<size_t>(text.size));
            bindKeptText(s, index, buffer.c_str());
            return;
        }
        break;
    default: break;
    }
    bindValue(s, index, type, v);
}

// Resets a cached statement whatever happens, so no read stays open and
// holds a snapshot of the database. Binding a value again frees what SQLite
// copied of the last one: texts of writes are bound without a copy
// (bindWritten).
struct StatementUse {
    sqlite3_stmt* stmt;
    ~StatementUse() { sqlite3_reset(stmt); }
};

// Statement texts of one cursor, built once.
} // namespace

// A statement text with the prepared statement it had in a given generation
// of the backend's statement cache (dropping a table finalizes them all).
struct CachedText {
    std::string sql;
    sqlite3_stmt* stmt = nullptr;
    std::uint64_t generation = 0;
};

namespace {

struct SpecCache {
    std::unordered_map<std::string, CachedText> fetch;
    CachedText read, insert, update;
    std::vector<int> assigned; // autoincrement fields the INSERT computes
    // Fetch statements of plain seeks (see plainSeek), by their slot: found
    // without building the statement's shape.
    std::vector<std::pair<int, CachedText*>> plain;
    // The texts a fetch binds, alive until its statement has run.
    std::vector<std::string> boundTexts;

    // Small pages (a search's row, the first rows of a walk) handed out
    // before: one that no cursor holds any more is filled again instead of
    // allocating another, so a run of searches allocates no page. Large pages
    // are few and are not kept.
    static constexpr int SmallPage = 16;
    std::shared_ptr<RowPage> spare[2];
    std::shared_ptr<RowPage> pageFor(int columns, int limit)
    {
        const auto reserved = [&](int rows) {
            auto page = std::make_shared<RowPage>(columns, rows);
            // Most fields are short: one allocation holds most pages' texts.
            page->reserveBytes(static_cast<size_t>(rows) * static_cast<size_t>(columns) * 8);
            return page;
        };
        if (limit > SmallPage)
            return reserved(limit);
        for (auto& page : spare) {
            if (page && page.use_count() == 1 && page->columns() == columns) {
                page->clear();
                return page;
            }
        }
        for (auto& page : spare) {
            if (!page || page.use_count() == 1) {
                page = reserved(SmallPage);
                return page;
            }
        }
        return reserved(limit);
    }
};

SpecCache& cacheOf(const CursorSpec& view)
{
    if (!view.backendCache)
        view.backendCache = std::make_shared<SpecCache>();
    return *static_cast<SpecCache*>(view.backendCache.get());
}

std::string selectList(const QList<FieldDef>& fields)
{
    return KeysetSql::selectList(Dialect, fields);
}

void bindAll(sqlite3_stmt* s, const std::vector<BoundValue>& binds)
{
    int index = 1;
    for (const BoundValue& b : binds)
        bindValue(s, index++, b.type, b.value);
}

// A forward seek of a cursor without master link or range, from key values
// none of which is empty. Its statement depends on nothing but its mode, how
// many key values it has and whether it skips records, and it binds the key
// values, the record id (After), the offset and the limit in that order: a
// search or a page of a walk then costs no statement shape. The slot that
// stands for those three, or -1 for any other seek.
int plainSeek(const CursorSpec& view, const Seek& seek)
{
    if (!view.linkValues.isEmpty() || !view.low.isEmpty() || !view.high.isEmpty())
        return -1;
    if (seek.mode != SeekMode::First && seek.mode != SeekMode::After && seek.mode != SeekMode::AtOrAfter)
        return -1;
    const auto n = std::min(seek.key.size(), view.orderFields.size());
    if (n > 64)
        return -1;
    for (qsizetype i = 0; i < n; ++i)
        if (!seek.key[i].isValid())
            return -1;
    return (static_cast<int>(seek.mode) * 128 + static_cast<int>(n)) * 2 + (seek.skip > 0 ? 1 : 0);
}

// The values a plain seek binds, in that order.
std::vector<BoundValue> plainBinds(const CursorSpec& view, const Seek& seek, int limit)
{
    std::vector<BoundValue> binds;
    const auto n = std::min(seek.key.size(), view.orderFields.size());
    for (qsizetype i = 0; seek.mode != SeekMode::First && i < n; ++i)
        binds.push_back({view.fields[view.orderFields[i]].type, seek.key[i]});
    if (seek.mode == SeekMode::After)
        binds.push_back({FieldType::Integer, QVariant::fromValue<qlonglong>(seek.rowId), true});
    if (seek.skip > 0)
        binds.push_back({FieldType::Integer, QVariant::fromValue<qlonglong>(seek.skip), true});
    binds.push_back({FieldType::Integer, QVariant::fromValue<qlonglong>(limit), true});
    return binds;
}

bool sameBinds(const std::vector<BoundValue>& a, const std::vector<BoundValue>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].type != b[i].type || a[i].recordId != b[i].recordId || a[i].value != b[i].value)
            return false;
    return true;
}

// Binds a fetch's value at `index`: texts and dates from `texts` (one
// buffer per value, made before the first is bound: a short text lives
// inside its string), which the caller keeps until the statement has run,
// so that SQLite copies none.
void bindSought(sqlite3_stmt* s, int index, FieldType type, const QVariant& value, std::vector<std::string>& texts)
{
    bindWritten(s, index, type, value, texts[static_cast<size_t>(index) - 1]);
}

} // namespace

// ---- connection -------------------------------------------------------------

SqliteBackend::SqliteBackend(const QString& folder)
    : m_folder(folder)
    , m_path(QDir(folder).filePath(QLatin1String(DatabaseFileName)))
{
    // An installed program's languages folder (or a company copied to
    // read-only media) cannot be written: such a database is opened as an
    // unchanging file, without the journal files WAL would have to create.
    const QByteArray encodedPath = QFile::encodeName(m_path);
    const bool exists = ::access(encodedPath.constData(), F_OK) == 0;
    m_readOnlyFile = exists
                     && (::access(encodedPath.constData(), W_OK) != 0
                         || ::access(QFile::encodeName(m_folder).constData(), W_OK) != 0);
    int rc;
    if (m_readOnlyFile) {
        const QByteArray uri = "file:" + QUrl::toPercentEncoding(m_path, "/") + "?immutable=1";
        rc = sqlite3_open_v2(uri.constData(), &m_db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    } else {
        rc = sqlite3_open_v2(encodedPath.constData(), &m_db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    }
    if (rc != SQLITE_OK) {
        const QString message = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory");
        sqlite3_close(m_db);
        m_db = nullptr;
        throw EngineError(ErrorCode::WriteFailed,
                          QStringLiteral("Cannot open the database %1: %2").arg(m_path, message));
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, BusyTimeoutMs);
    try {
        // The first statements read the file header: a file that is not a
        // database fails here, as an engine error.
        if (!m_readOnlyFile) {
            exec("PRAGMA journal_mode=WAL");
            exec("PRAGMA synchronous=FULL");
        }
        exec("SELECT count(*) FROM sqlite_schema");
    } catch (...) {
        sqlite3_close(m_db);
        m_db = nullptr;
        throw;
    }
}

SqliteBackend::~SqliteBackend()
{
    for (auto& [sql, stmt] : m_statements)
        sqlite3_finalize(stmt);
    if (m_db) {
        if (!sqlite3_get_autocommit(m_db))
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close_v2(m_db);
    }
    if (m_lockFd >= 0)
        ::close(m_lockFd); // the kernel drops every record lock of this descriptor
}

void SqliteBackend::fail(int rc, const QString& context)
{
    const QString detail = QString::fromUtf8(sqlite3_errmsg(m_db));
    const int primary = rc & 0xFF;
    if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY)
        throw EngineError(ErrorCode::KeyViolation, QStringLiteral("Key violation."));
    if (rc == SQLITE_CONSTRAINT_CHECK)
        throw EngineError(ErrorCode::TypeMismatch,
                          QStringLiteral("%1: a text is longer than its field allows (%2).").arg(context, detail));
    // A journal or WAL write that found no space is reported as an I/O error;
    // the system's own error number tells a full disk apart.
    if (primary == SQLITE_FULL || (primary == SQLITE_IOERR && sqlite3_system_errno(m_db) == ENOSPC))
        throw EngineError(ErrorCode::DiskFull, QStringLiteral("%1: %2 (%3)").arg(context, detail, m_folder));
    switch (primary) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        throw EngineError(
            ErrorCode::TableBusy,
            QStringLiteral("The database in %1 is busy: another program is writing to it. Try again.").arg(m_folder));
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        throw EngineError(ErrorCode::CorruptDatabase,
                          QStringLiteral("The database file %1 is damaged or is not a database of this system (%2).")
                              .arg(m_path, detail));
    case SQLITE_IOERR:
    case SQLITE_FULL:
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM: throw EngineError(ErrorCode::WriteFailed, QStringLiteral("%1: %2").arg(context, detail));
    default: break;
    }
    if (detail.startsWith(QLatin1String("no such table")))
        throw EngineError(ErrorCode::TableNotFound, QStringLiteral("%1: %2").arg(context, detail));
    if (detail.startsWith(QLatin1String("no such column")))
        throw EngineError(ErrorCode::FieldNotFound, QStringLiteral("%1: %2").arg(context, detail));
    throw EngineError(ErrorCode::QuerySyntax, QStringLiteral("%1: %2").arg(context, detail));
}

void SqliteBackend::exec(const char* sql)
{
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr);
    if (rc != SQLITE_OK)
        fail(rc, QString::fromUtf8(sql));
    do {
        rc = sqlite3_step(stmt);
    } while (rc == SQLITE_ROW);
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        fail(rc, QString::fromUtf8(sql));
}

sqlite3_stmt* SqliteBackend::cached(CachedText& text)
{
    checkSnapshotKept();
    if (text.stmt == nullptr || text.generation != m_generation) {
        text.stmt = cached(text.sql);
        text.generation = m_generation;
    }
    return text.stmt;
}

sqlite3_stmt* SqliteBackend::cached(const std::string& sql)
{
    checkSnapshotKept();
    auto it = m_statements.find(sql);
    if (it != m_statements.end())
        return it->second;
    sqlite3_stmt* stmt = nullptr;
    const int rc =
        sqlite3_prepare_v3(m_db, sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    if (rc != SQLITE_OK)
        fail(rc, QString::fromStdString(sql));
    if (m_statements.size() > 512) {
        for (auto& [text, old] : m_statements)
            sqlite3_finalize(old);
        m_statements.clear();
        ++m_generation;
    }
    m_statements.emplace(sql, stmt);
    return stmt;
}

// ---- structure --------------------------------------------------------------

bool SqliteBackend::tableExists(const QString& table)
{
    sqlite3_stmt* s = cached("SELECT 1 FROM sqlite_schema WHERE type='table' AND name=?1 COLLATE NOCASE");
    StatementUse use{s};
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(s, 1, name.constData(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    const int rc = sqlite3_step(s);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        fail(rc, QStringLiteral("Looking for table %1").arg(table));
    return rc == SQLITE_ROW;
}

QStringList SqliteBackend::tableNames()
{
    sqlite3_stmt* s = cached(
        "SELECT name FROM sqlite_schema WHERE type='table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name");
    StatementUse use{s};
    QStringList names;
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW)
        names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
    if (rc != SQLITE_DONE)
        fail(rc, QStringLiteral("Listing tables"));
    return names;
}

void SqliteBackend::createTable(const TableDef& def, const QString& table)
{
    std::string sql = "CREATE TABLE " + quoted(table) + " (";
    for (int i = 0; i < def.fields.size(); ++i) {
        const FieldDef& f = def.fields[i];
        sql += (i ? ", " : "") + quoted(f.name) + " " + declaredType(f);
        // The cursors cut long texts; this keeps SQL statements to the same limit.
        if (f.type == FieldType::Text)
            sql += " CHECK (length(" + quoted(f.name) + ") <= " + std::to_string(f.size > 0 ? f.size : 20) + ")";
    }
    std::vector<std::string> indexes;
    int unnamed = 0;
    for (const IndexDef& index : def.indexes) {
        std::string cols;
        for (const QString& f : index.fields)
            cols += (cols.empty() ? "" : ",") + quoted(f);
        if (index.primary) {
            sql += ", PRIMARY KEY (" + cols + ")";
            continue;
        }
        const QString name = index.name.isEmpty() ? QStringLiteral("i%1").arg(++unnamed) : index.name;
        indexes.push_back(std::string("CREATE ") + (index.unique ? "UNIQUE " : "") + "INDEX "
                          + quoted(table + QLatin1String("__") + name) + " ON " + quoted(table) + " (" + cols + ")");
    }
    sql += ")";
    m_versionInTransaction.reset();
    // All or nothing: a table without its keys must not stay behind.
    exec("SAVEPOINT create_table");
    try {
        exec(sql.c_str());
        for (const std::string& index : indexes)
            exec(index.c_str());
        exec("RELEASE create_table");
    } catch (...) {
        sqlite3_exec(m_db, "ROLLBACK TO create_table; RELEASE create_table", nullptr, nullptr, nullptr);
        throw;
    }
    noteChange();
}

void SqliteBackend::emptyTable(const QString& table)
{
    countWrite();
    exec(("DELETE FROM " + quoted(table)).c_str());
    noteChange();
}

void SqliteBackend::dropTable(const QString& table)
{
    m_versionInTransaction.reset();
    // Cached statements may refer to the table.
    for (auto& [sql, stmt] : m_statements)
        sqlite3_finalize(stmt);
    m_statements.clear();
    ++m_generation;
    exec(("DROP TABLE IF EXISTS " + quoted(table)).c_str());
    noteChange();
}

TableDef SqliteBackend::describeTable(const QString& table)
{
    TableDef def;
    def.name = table;
    std::vector<std::pair<int, QString>> primary;
    {
        sqlite3_stmt* s = nullptr;
        const std::string sql = "SELECT name, type, pk FROM pragma_table_info(?1)";
        if (const int rc = sqlite3_prepare_v2(m_db, sql.c_str(), -1, &s, nullptr); rc != SQLITE_OK)
            fail(rc, QStringLiteral("Reading the structure of %1").arg(table));
        const QByteArray name = table.toUtf8();
        sqlite3_bind_text(s, 1, name.constData(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            const QString field = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
            const QString declared = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 1)));
            def.fields << fieldFromDeclared(field, declared);
            if (const int pk = sqlite3_column_int(s, 2); pk > 0)
                primary.emplace_back(pk, field);
        }
        sqlite3_finalize(s);
        if (rc != SQLITE_DONE)
            fail(rc, QStringLiteral("Reading the structure of %1").arg(table));
    }
    if (def.fields.isEmpty())
        throw EngineError(ErrorCode::TableNotFound,
                          QStringLiteral("Table %1 does not exist in %2.").arg(table, m_folder));
    if (!primary.empty()) {
        std::sort(primary.begin(), primary.end());
        IndexDef pk;
        pk.primary = true;
        pk.unique = true;
        for (const auto& [order, field] : primary)
            pk.fields << field;
        def.indexes << pk;
    }
    sqlite3_stmt* s = nullptr;
    const char* sql = "SELECT il.name, il.\"unique\", ii.name FROM pragma_index_list(?1) AS il, "
                      "pragma_index_info(il.name) AS ii WHERE il.origin = 'c' ORDER BY il.seq DESC, ii.seqno";
    if (const int rc = sqlite3_prepare_v2(m_db, sql, -1, &s, nullptr); rc != SQLITE_OK)
        fail(rc, QStringLiteral("Reading the keys of %1").arg(table));
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(s, 1, name.constData(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    int rc;
    QString current;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        QString index = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
        if (index != current) {
            current = index;
            IndexDef def2;
            const int cut = index.indexOf(QLatin1String("__"));
            def2.name = cut >= 0 ? index.mid(cut + 2) : index;
            def2.unique = sqlite3_column_int(s, 1) != 0;
            def.indexes << def2;
        }
        def.indexes.last().fields << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 2)));
    }
    sqlite3_finalize(s);
    if (rc != SQLITE_DONE)
        fail(rc, QStringLiteral("Reading the keys of %1").arg(table));
    return def;
}

std::optional<std::uint64_t> SqliteBackend::structureVersion()
{
    // Every change of structure, by any connection, counts the schema
    // version of the file up. Inside our write transaction only this
    // connection can change it, and each of its own changes forgets the number.
    // A consistent read's snapshot holds its version as it was.
    const bool writing = (m_writeTransaction || m_consistentRead) && !sqlite3_get_autocommit(m_db);
    if (m_versionInTransaction && writing)
        return m_versionInTransaction;
    m_versionInTransaction.reset();
    sqlite3_stmt* s = cached("PRAGMA schema_version");
    StatementUse use{s};
    const int rc = sqlite3_step(s);
    if (rc != SQLITE_ROW)
        fail(rc, QStringLiteral("Reading the schema version"));
    const auto version = static_cast<std::uint64_t>(static_cast<std::uint32_t>(sqlite3_column_int64(s, 0)));
    if (writing)
        m_versionInTransaction = version;
    return version;
}

// ---- transactions -----------------------------------------------------------

void SqliteBackend::begin()
{
    // IMMEDIATE takes the write lock now, so a posting waits (busy timeout)
    // at its start instead of failing halfway when another process writes.
    m_versionInTransaction.reset();
    exec("BEGIN IMMEDIATE");
    m_writeTransaction = true;
}

void SqliteBackend::commit()
{
    m_versionInTransaction.reset();
    m_writeTransaction = false;
    exec("COMMIT");
    noteChange();
}

void SqliteBackend::rollback()
{
    m_versionInTransaction.reset();
    m_writeTransaction = false;
    if (!sqlite3_get_autocommit(m_db))
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    noteChange();
}

bool SqliteBackend::inTransaction() const
{
    return !m_consistentRead && !sqlite3_get_autocommit(m_db);
}

// A read transaction held open: WAL keeps the pages as they were when it
// began for this connection, while other processes go on writing (they are
// not blocked). Meanwhile no checkpoint copies their later commits into the
// database file or starts the journal over, so the journal grows until the
// read ends.
void SqliteBackend::beginConsistentRead()
{
    m_versionInTransaction.reset();
    // A deferred BEGIN takes no snapshot yet: the first read does, here.
    exec("BEGIN");
    m_consistentRead = true;
    try {
        structureVersion();
    } catch (...) {
        endConsistentRead();
        throw;
    }
}

void SqliteBackend::endConsistentRead()
{
    m_consistentRead = false;
    m_versionInTransaction.reset();
    if (!sqlite3_get_autocommit(m_db) && sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

bool SqliteBackend::snapshotLost() const
{
    return sqlite3_get_autocommit(m_db) != 0;
}

void SqliteBackend::refuseLostSnapshot() const
{
    throw EngineError(ErrorCode::WrongState,
                      QStringLiteral("The consistent read of %1 ended with an earlier error; nothing more is read in "
                                     "it. End it and read again.")
                          .arg(m_folder));
}

// ---- reading ----------------------------------------------------------------

std::shared_ptr<RowPage> SqliteBackend::fetchPage(const CursorSpec& view, const Seek& seek, int limit)
{
    SpecCache& cache = cacheOf(view);
    const int slot = plainSeek(view, seek);
    CachedText* text = nullptr;
    for (const auto& [known, entry] : cache.plain)
        if (slot >= 0 && known == slot)
            text = entry;
    sqlite3_stmt* s = nullptr;
    if (text) {
        s = cached(*text);
        int index = 0;
        const auto n = std::min(seek.key.size(), view.orderFields.size());
        if (cache.boundTexts.size() < static_cast<size_t>(n))
            cache.boundTexts.resize(static_cast<size_t>(n));
        for (qsizetype i = 0; seek.mode != SeekMode::First && i < n; ++i)
            bindSought(s, ++index, view.fields[view.orderFields[i]].type, seek.key[i], cache.boundTexts);
        if (seek.mode == SeekMode::After)
            sqlite3_bind_int64(s, ++index, seek.rowId);
        if (seek.skip > 0)
            sqlite3_bind_int64(s, ++index, seek.skip);
        sqlite3_bind_int64(s, ++index, limit);
    } else {
        std::vector<BoundValue> binds;
        CachedText& entry = CachedFetch(cache.fetch, Dialect, view, seek, limit, binds);
        // A plain seek's statement is known by its slot from here on, once
        // its values are seen to be bound as plainBinds says.
        if (slot >= 0 && sameBinds(binds, plainBinds(view, seek, limit)))
            cache.plain.emplace_back(slot, &entry);
        s = cached(entry);
        int index = 0;
        if (cache.boundTexts.size() < binds.size())
            cache.boundTexts.resize(binds.size());
        for (const BoundValue& b : binds)
            bindSought(s, ++index, b.type, b.value, cache.boundTexts);
    }
    StatementUse use{s};
    const int n = static_cast<int>(view.fields.size());
    const std::shared_ptr<RowPage> page = cache.pageFor(n, limit);
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        page->beginRow(sqlite3_column_int64(s, 0));
        for (int i = 0; i < n; ++i)
            addColumn(*page, s, i + 1, view.fields[i].type);
    }
    if (rc != SQLITE_DONE)
        fail(rc, QStringLiteral("Reading table %1").arg(view.table));
    return page;
}

std::optional<Row> SqliteBackend::readRow(const CursorSpec& view, std::int64_t rowId)
{
    SpecCache& cache = cacheOf(view);
    if (cache.read.sql.empty())
        cache.read.sql = "SELECT " + selectList(view.fields) + " FROM " + quoted(view.table) + " WHERE rowid=?";
    sqlite3_stmt* s = cached(cache.read);
    StatementUse use{s};
    sqlite3_bind_int64(s, 1, rowId);
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_DONE)
        return std::nullopt;
    if (rc != SQLITE_ROW)
        fail(rc, QStringLiteral("Reading table %1").arg(view.table));
    Row row;
    row.reserve(static_cast<size_t>(view.fields.size()));
    for (int i = 0; i < view.fields.size(); ++i)
        row.push_back(readColumn(s, i + 1, view.fields[i].type));
    return row;
}

std::int64_t SqliteBackend::count(const CursorSpec& view)
{
    return countRows(view, nullptr);
}

std::int64_t SqliteBackend::countBefore(const CursorSpec& view, const Seek& seek)
{
    return countRows(view, &seek);
}

std::int64_t SqliteBackend::countRows(const CursorSpec& view, const Seek* before)
{
    KeysetSql sql(Dialect, view);
    sqlite3_stmt* s = cached(before ? sql.countBefore(*before) : sql.count());
    StatementUse use{s};
    bindAll(s, sql.binds);
    const int rc = sqlite3_step(s);
    if (rc != SQLITE_ROW)
        fail(rc, QStringLiteral("Counting table %1").arg(view.table));
    return sqlite3_column_int64(s, 0);
}

// ---- writing ----------------------------------------------------------------

std::int64_t SqliteBackend::insertRow(const CursorSpec& view, Row& row)
{
    countWrite();
    const QList<FieldDef>& fields = view.fields;
    SpecCache& cache = cacheOf(view);
    // Which autoincrement fields are left to the INSERT changes the text.
    std::vector<int> assigned;
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].type == FieldType::AutoIncrement && !row[static_cast<size_t>(i)].isValid())
            assigned.push_back(i);
    if (cache.insert.sql.empty() || assigned != cache.assigned) {
        std::string cols, values, returning;
        for (int i = 0; i < fields.size(); ++i) {
            const FieldDef& f = fields[i];
            cols += (i ? "," : "") + quoted(f.name);
            if (std::find(assigned.begin(), assigned.end(), i) != assigned.end()) {
                // Computed inside the INSERT itself, which holds the write
                // lock: two processes never take the same number.
                values += std::string(i ? "," : "") + "(SELECT coalesce(max(" + quoted(f.name) + "),0)+1 FROM "
                          + quoted(view.table) + ")";
                returning += "," + quoted(f.name);
            } else {
                values += i ? ",?" : "?";
            }
        }
        // RETURNING costs a temporary table per execution: only when the
        // statement assigns numbers the caller must learn.
        cache.insert = CachedText{"INSERT INTO " + quoted(view.table) + " (" + cols + ") VALUES (" + values + ")"
                                  + (assigned.empty() ? std::string() : " RETURNING rowid" + returning)};
        cache.assigned = assigned;
    }
    sqlite3_stmt* s = cached(cache.insert);
    StatementUse use{s};
    if (m_writeBuffers.size() < static_cast<size_t>(fields.size()))
        m_writeBuffers.resize(static_cast<size_t>(fields.size()));
    int index = 1;
    for (int i = 0; i < fields.size(); ++i)
        if (std::find(assigned.begin(), assigned.end(), i) == assigned.end())
            bindWritten(s, index++, fields[i].type, row[static_cast<size_t>(i)],
                        m_writeBuffers[static_cast<size_t>(i)]);
    int rc = sqlite3_step(s);
    if (assigned.empty()) {
        if (rc != SQLITE_DONE)
            fail(rc, QStringLiteral("Writing to table %1").arg(view.table));
        noteChange();
        return sqlite3_last_insert_rowid(m_db);
    }
    if (rc != SQLITE_ROW)
        fail(rc, QStringLiteral("Writing to table %1").arg(view.table));
    const std::int64_t rowId = sqlite3_column_int64(s, 0);
    for (size_t k = 0; k < assigned.size(); ++k)
        row[static_cast<size_t>(assigned[k])] =
            QVariant::fromValue<qlonglong>(sqlite3_column_int64(s, static_cast<int>(k) + 1));
    rc = sqlite3_step(s);
    if (rc != SQLITE_DONE)
        fail(rc, QStringLiteral("Writing to table %1").arg(view.table));
    noteChange();
    return rowId;
}

void SqliteBackend::updateRow(const CursorSpec& view, std::int64_t rowId, const Row& row, const Row*)
{
    countWrite();
    const QList<FieldDef>& fields = view.fields;
    SpecCache& cache = cacheOf(view);
    if (cache.update.sql.empty()) {
        std::string sets;
        for (int i = 0; i < fields.size(); ++i)
            sets += (i ? "," : "") + quoted(fields[i].name) + "=?";
        cache.update.sql = "UPDATE " + quoted(view.table) + " SET " + sets + " WHERE rowid=?";
    }
    sqlite3_stmt* s = cached(cache.update);
    StatementUse use{s};
    if (m_writeBuffers.size() < static_cast<size_t>(fields.size()))
        m_writeBuffers.resize(static_cast<size_t>(fields.size()));
    int index = 1;
    for (int i = 0; i < fields.size(); ++i)
        bindWritten(s, index++, fields[i].type, row[static_cast<size_t>(i)], m_writeBuffers[static_cast<size_t>(i)]);
    sqlite3_bind_int64(s, index, rowId);
    const int rc = sqlite3_step(s);
    if (rc != SQLITE_DONE)
        fail(rc, QStringLiteral("Writing to table %1").arg(view.table));
    noteChange();
    if (sqlite3_changes(m_db) == 0)
        throw EngineError(ErrorCode::RecordDeleted, QStringLiteral("The record was deleted by another user."));
}

void SqliteBackend::deleteRow(const QString& table, std::int64_t rowId)
{
    countWrite();
    sqlite3_stmt* s = cached("DELETE FROM " + quoted(table) + " WHERE rowid=?");
    StatementUse use{s};
    sqlite3_bind_int64(s, 1, rowId);
    const int rc = sqlite3_step(s);
    if (rc != SQLITE_DONE)
        fail(rc, QStringLiteral("Deleting from table %1").arg(table));
    noteChange();
}

// ---- record locks -----------------------------------------------------------

std::int64_t SqliteBackend::lockOffset(const QString& table, std::int64_t rowId)
{
    // 31 bits of a hash of the table name above 32 bits of record id (a
    // 63-bit offset, the largest a lock can take). Two names with the same
    // hash can only make a free record look taken, never let two writers
    // into one record; with 31 bits that stays improbable even for a few
    // thousand per-session work tables.
    std::uint64_t h = 1469598103934665603ull;
    for (const QChar c : table.toLower()) {
        h ^= c.unicode();
        h *= 1099511628211ull;
    }
    const std::uint64_t tableBits = (h ^ (h >> 31)) & ((1ull << 31) - 1);
    return static_cast<std::int64_t>((tableBits << 32) | (static_cast<std::uint64_t>(rowId) & 0xFFFFFFFFull));
}

bool SqliteBackend::tryLockRecord(const QString& table, std::int64_t rowId)
{
    if (m_lockFd < 0) {
        const QString path = QDir(m_folder).filePath(QLatin1String(LockFileName));
        // Shared with the office's group only, like the rest of a data folder.
        m_lockFd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0660);
        if (m_lockFd < 0)
            throw EngineError(ErrorCode::WriteFailed, QStringLiteral("Cannot open the lock file %1: %2")
                                                          .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    }
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = lockOffset(table, rowId);
    lock.l_len = 1;
    if (::fcntl(m_lockFd, F_OFD_SETLK, &lock) == 0)
        return true;
    if (errno == EAGAIN || errno == EACCES)
        return false;
    throw EngineError(
        ErrorCode::WriteFailed,
        QStringLiteral("Cannot lock a record of %1: %2").arg(table, QString::fromLocal8Bit(std::strerror(errno))));
}

void SqliteBackend::unlockRecord(const QString& table, std::int64_t rowId)
{
    if (m_lockFd < 0)
        return;
    struct flock lock {};
    lock.l_type = F_UNLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = lockOffset(table, rowId);
    lock.l_len = 1;
    ::fcntl(m_lockFd, F_OFD_SETLK, &lock);
}

// ---- SQL --------------------------------------------------------------------

void SqliteBackend::bindParameters(sqlite3_stmt* stmt, const std::vector<QueryParameter>& params, const QString& sql)
{
    const int count = sqlite3_bind_parameter_count(stmt);
    ParameterMatcher matcher(params);
    for (int i = 1; i <= count; ++i) {
        const char* raw = sqlite3_bind_parameter_name(stmt, i);
        if (raw == nullptr || raw[0] != ':')
            throw EngineError(ErrorCode::QueryParameter,
                              QStringLiteral("Only named parameters (:name) are allowed in: %1").arg(sql));
        const QueryParameter& param = matcher.take(QString::fromUtf8(raw + 1));
        bindValue(stmt, i, param.type, param.value);
    }
    matcher.checkAllUsed();
}

QueryResult SqliteBackend::select(const QString& sql, const std::vector<QueryParameter>& params)
{
    checkSnapshotKept();
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* s = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(m_db, text.constData(), static_cast<int>(text.size()), &s, &tail);
    if (rc != SQLITE_OK)
        fail(rc, QStringLiteral("Query"));
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> owner(s, sqlite3_finalize);
    if (s == nullptr)
        throw EngineError(ErrorCode::QuerySyntax, QStringLiteral("The query is empty."));
    if (tail && QByteArray(tail).trimmed().size() > 0 && QByteArray(tail).trimmed() != ";")
        throw EngineError(ErrorCode::QuerySyntax, QStringLiteral("A query holds one statement only."));
    if (!sqlite3_stmt_readonly(s))
        throw EngineError(ErrorCode::QuerySyntax, QStringLiteral("A query that changes data is run with execSql()."));
    bindParameters(s, params, sql);

    QueryResult result;
    const int columns = sqlite3_column_count(s);
    std::vector<bool> known(static_cast<size_t>(columns), false);
    for (int c = 0; c < columns; ++c) {
        const char* declared = sqlite3_column_decltype(s, c);
        FieldDef f;
        if (declared) {
            f = fieldFromDeclared(QString(), QString::fromUtf8(declared));
            known[c] = true;
        } else {
            f.type = FieldType::Integer;
        }
        f.name = QString::fromUtf8(sqlite3_column_name(s, c));
        result.fields << f;
    }
    // Computed columns take their type from the first value that is not NULL.
    std::vector<bool> typed = known;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        Row row;
        row.reserve(static_cast<size_t>(columns));
        for (int c = 0; c < columns; ++c) {
            if (!typed[c] && sqlite3_column_type(s, c) != SQLITE_NULL) {
                switch (sqlite3_column_type(s, c)) {
                case SQLITE_INTEGER: result.fields[c].type = FieldType::Integer; break;
                case SQLITE_FLOAT: result.fields[c].type = FieldType::Number; break;
                case SQLITE_TEXT: result.fields[c].type = FieldType::Memo; break;
                default: result.fields[c].type = FieldType::Binary; break;
                }
                typed[c] = true;
            }
            row.push_back(readColumn(s, c, result.fields[c].type));
        }
        result.rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE)
        fail(rc, QStringLiteral("Query"));
    return result;
}

int SqliteBackend::execute(const QString& sql, const std::vector<QueryParameter>& params)
{
    m_versionInTransaction.reset(); // the statement may change a structure
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* s = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(m_db, text.constData(), static_cast<int>(text.size()), &s, &tail);
    if (rc != SQLITE_OK)
        fail(rc, QStringLiteral("Statement"));
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> owner(s, sqlite3_finalize);
    if (s == nullptr)
        throw EngineError(ErrorCode::QuerySyntax, QStringLiteral("The statement is empty."));
    if (tail && QByteArray(tail).trimmed().size() > 0 && QByteArray(tail).trimmed() != ";")
        throw EngineError(ErrorCode::QuerySyntax, QStringLiteral("One statement at a time."));
    bindParameters(s, params, sql);
    countWrite();
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
    }
    noteChange();
    if (rc != SQLITE_DONE)
        fail(rc, QStringLiteral("Statement"));
    return sqlite3_changes(m_db);
}

} // namespace varnex::data
