// Conversion of values given by callers into the one in-memory form each field
// type keeps, and the order keys sort in.

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstring>
#include <cmath>
#include <limits>
#include <string_view>

#include <QDateTime>

#include "backend.h"
#include "varnex/currency.h"
#include "varnex/data/engine_error.h"

namespace varnex::data {

EngineError::EngineError(int code, const QString& message)
    : std::runtime_error(message.toStdString())
    , m_code(code)
    , m_message(message)
{
}

void Backend::refuseInConsistentRead() const
{
    if (m_consistentRead)
        throw EngineError(ErrorCode::ReadOnly,
                          QStringLiteral("Nothing can be written or locked while a consistent read of the database is "
                                         "open: end the read first."));
}

void Backend::countWrite()
{
    refuseInConsistentRead();
    ++m_writes;
    ++m_changes;
    if (m_failAt > 0 && m_writes == m_failAt) {
        m_failAt = 0;
        throw EngineError(ErrorCode::InjectedFault,
                          QStringLiteral("Write %1 failed (fault injected for a test).").arg(m_writes));
    }
}

namespace {

[[noreturn]] void mismatch(const QString& what, const QVariant& value, const char* expected)
{
    QString shown = value.toString();
    if (shown.size() > 40)
        shown = shown.left(40) + QStringLiteral("...");
    throw EngineError(ErrorCode::TypeMismatch,
                      QStringLiteral("%1: '%2' is not a valid %3.").arg(what, shown, QLatin1String(expected)));
}

bool isCurrency(const QVariant& v)
{
    return v.metaType() == QMetaType::fromType<Currency>();
}

std::int64_t toInteger(const QVariant& value, const QString& what, std::int64_t low, std::int64_t high)
{
    std::int64_t result = 0;
    switch (value.metaType().id()) {
    case QMetaType::Bool: result = value.toBool() ? 1 : 0; break;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Long: result = value.toLongLong(); break;
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::ULong: {
        const auto u = value.toULongLong();
        if (u > static_cast<unsigned long long>(high))
            mismatch(what, value, "integer in range");
        result = static_cast<std::int64_t>(u);
        break;
    }
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (!std::isfinite(d) || d != std::floor(d) || d < static_cast<double>(low) || d > static_cast<double>(high))
            mismatch(what, value, "integer");
        result = static_cast<std::int64_t>(d);
        break;
    }
    case QMetaType::QString: {
        bool ok = false;
        result = value.toString().trimmed().toLongLong(&ok);
        if (!ok)
            mismatch(what, value, "integer");
        break;
    }
    default: mismatch(what, value, "integer");
    }
    if (result < low || result > high)
        mismatch(what, value, "integer in range");
    return result;
}

// Both engines keep a date as ISO text with a four-digit year (SQLite orders
// keys by that text, the server parses it): a year outside 1 to 9999 has no
// such text and would be stored as no date at all, so it is refused here.
void refuseUnstorableYear(const QString& what, const QDate& date)
{
    if (!date.isValid() || (date.year() >= 1 && date.year() <= 9999))
        return;
    const QString shown = QStringLiteral("%1-%2-%3")
                              .arg(date.year())
                              .arg(date.month(), 2, 10, QLatin1Char('0'))
                              .arg(date.day(), 2, 10, QLatin1Char('0'));
    throw EngineError(ErrorCode::TypeMismatch,
                      EngineText(QStringLiteral("%1: the date %2 is outside the years 1 to 9999."),
                                 QStringLiteral("%1 : la date %2 est hors des années 1 à 9999."))
                          .arg(what, shown));
}

} // namespace

QVariant NormalizeValue(const FieldDef& field, const QVariant& value, const QString& what)
{
    if (!value.isValid() || value.isNull())
        return {};
    const int typeId = value.metaType().id();
    switch (field.type) {
    case FieldType::Text:
    case FieldType::Memo: {
        QString text;
        if (typeId == QMetaType::QString)
            text = value.toString();
        else if (isCurrency(value))
            text = QString::fromStdString(value.value<Currency>().toString());
        else if (typeId == QMetaType::QByteArray)
            text = QString::fromUtf8(value.toByteArray());
        else if (value.canConvert<QString>())
            text = value.toString();
        else
            mismatch(what, value, "text");
        return NormalizeText(field, std::move(text));
    }
    case FieldType::ShortInteger:
        if (typeId == QMetaType::QString && value.toString().trimmed().isEmpty())
            return {};
        return QVariant::fromValue<qlonglong>(toInteger(value, what, -32768, 32767));
    case FieldType::Integer:
    case FieldType::AutoIncrement:
        if (typeId == QMetaType::QString && value.toString().trimmed().isEmpty())
            return {};
        return QVariant::fromValue<qlonglong>(
            toInteger(value, what, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
    case FieldType::Number: {
        if (isCurrency(value))
            return value.value<Currency>().toDouble();
        if (typeId == QMetaType::QString) {
            const QString t = value.toString().trimmed();
            if (t.isEmpty())
                return {};
            bool ok = false;
            const double d = t.toDouble(&ok);
            if (!ok || !std::isfinite(d))
                mismatch(what, value, "number");
            return d;
        }
        if (typeId == QMetaType::Bool || !value.canConvert<double>())
            mismatch(what, value, "number");
        const double d = value.toDouble();
        if (!std::isfinite(d))
            mismatch(what, value, "number");
        return d;
    }
    case FieldType::Money: {
        if (isCurrency(value))
            return value;
        switch (typeId) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::Long: {
            const qlonglong units = value.toLongLong();
            if (units > std::numeric_limits<std::int64_t>::max() / Currency::Scale
                || units < std::numeric_limits<std::int64_t>::min() / Currency::Scale)
                mismatch(what, value, "amount");
            return QVariant::fromValue(Currency::fromUnits(units));
        }
        case QMetaType::Double:
        case QMetaType::Float: {
            const double d = value.toDouble();
            if (!std::isfinite(d) || std::fabs(d) > 9.0e14)
                mismatch(what, value, "amount");
            return QVariant::fromValue(Currency::fromDouble(d));
        }
        case QMetaType::QString: {
            const QString t = value.toString().trimmed();
            if (t.isEmpty())
                return {};
            const auto parsed = Currency::parse(t);
            if (!parsed)
                mismatch(what, value, "amount");
            return QVariant::fromValue(*parsed);
        }
        default: mismatch(what, value, "amount");
        }
    }
    case FieldType::Logical:
        if (typeId == QMetaType::Bool)
            return value.toBool();
        if (typeId == QMetaType::QString) {
            const QString t = value.toString().trimmed().toLower();
            if (t.isEmpty())
                return {};
            if (t == QLatin1String("true") || t == QLatin1String("t") || t == QLatin1String("yes")
                || t == QLatin1String("y") || t == QLatin1String("1"))
                return true;
            if (t == QLatin1String("false") || t == QLatin1String("f") || t == QLatin1String("no")
                || t == QLatin1String("n") || t == QLatin1String("0"))
                return false;
            mismatch(what, value, "logical value");
        }
        if (typeId == QMetaType::Int || typeId == QMetaType::LongLong) {
            const auto n = value.toLongLong();
            if (n == 0 || n == 1)
                return n == 1;
        }
        mismatch(what, value, "logical value");
    case FieldType::Date: {
        QDate date;
        if (typeId == QMetaType::QDate)
            date = value.toDate();
        else if (typeId == QMetaType::QDateTime)
            date = value.toDateTime().date();
        else if (typeId == QMetaType::QString) {
            const QString t = value.toString().trimmed();
            if (t.isEmpty())
                return {};
            date = QDate::fromString(t, Qt::ISODate);
            if (!date.isValid())
                mismatch(what, value, "date (yyyy-mm-dd)");
        } else
            mismatch(what, value, "date");
        refuseUnstorableYear(what, date);
        return date.isValid() ? QVariant(date) : QVariant();
    }
    case FieldType::Time: {
        QTime time;
        if (typeId == QMetaType::QTime)
            time = value.toTime();
        else if (typeId == QMetaType::QDateTime)
            time = value.toDateTime().time();
        else if (typeId == QMetaType::QString) {
            const QString t = value.toString().trimmed();
            if (t.isEmpty())
                return {};
            time = QTime::fromString(t, Qt::ISODateWithMs);
            if (!time.isValid())
                mismatch(what, value, "time (hh:mm:ss)");
        } else
            mismatch(what, value, "time");
        return time.isValid() ? QVariant(time) : QVariant();
    }
    case FieldType::Timestamp: {
        QDateTime stamp;
        if (typeId == QMetaType::QDateTime)
            stamp = value.toDateTime();
        else if (typeId == QMetaType::QDate)
            stamp = value.toDate().startOfDay();
        else if (typeId == QMetaType::QString) {
            const QString t = value.toString().trimmed();
            if (t.isEmpty())
                return {};
            stamp = QDateTime::fromString(t, Qt::ISODateWithMs);
            if (!stamp.isValid())
                mismatch(what, value, "timestamp (yyyy-mm-ddThh:mm:ss)");
        } else
            mismatch(what, value, "timestamp");
        if (!stamp.isValid())
            return {};
        refuseUnstorableYear(what, stamp.date());
        // Stored without a zone: the wall-clock time of the workstation.
        return QDateTime(stamp.date(), stamp.time());
    }
    case FieldType::Bytes:
    case FieldType::Binary: {
        QByteArray bytes;
        if (typeId == QMetaType::QByteArray)
            bytes = value.toByteArray();
        else if (typeId == QMetaType::QString)
            bytes = value.toString().toUtf8();
        else
            mismatch(what, value, "byte string");
        if (bytes.isEmpty())
            return {};
        if (field.type == FieldType::Bytes && field.size > 0 && bytes.size() != field.size)
            bytes.resize(field.size, '\0');
        return bytes;
    }
    }
    mismatch(what, value, "value");
}

QVariant NormalizeText(const FieldDef& field, QString text)
{
    if (text.isEmpty())
        return {};
    if (field.type == FieldType::Text) {
        const int limit = field.size > 0 ? field.size : 20;
        if (text.size() > limit) {
            // The limit counts characters: a character outside the basic
            // plane is two UTF-16 units and must not be cut in half.
            qsizetype units = 0;
            for (int characters = 0; characters < limit && units < text.size(); ++characters)
                units += (text[units].isHighSurrogate() && units + 1 < text.size() && text[units + 1].isLowSurrogate())
                             ? 2
                             : 1;
            text.truncate(units);
        }
    }
    return text;
}

int CompareValues(FieldType type, const QVariant& a, const QVariant& b)
{
    const bool an = !a.isValid(), bn = !b.isValid();
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    auto cmp = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
    switch (type) {
    case FieldType::Text:
    case FieldType::Memo: return cmp(a.toString().toUtf8(), b.toString().toUtf8());
    case FieldType::ShortInteger:
    case FieldType::Integer:
    case FieldType::AutoIncrement: return cmp(a.toLongLong(), b.toLongLong());
    case FieldType::Number: return cmp(a.toDouble(), b.toDouble());
    case FieldType::Money: return cmp(a.value<Currency>().ticks(), b.value<Currency>().ticks());
    case FieldType::Logical: return cmp(a.toBool(), b.toBool());
    case FieldType::Date: return cmp(a.toDate(), b.toDate());
    case FieldType::Time: return cmp(a.toTime(), b.toTime());
    case FieldType::Timestamp: return cmp(a.toDateTime(), b.toDateTime());
    case FieldType::Bytes:
    case FieldType::Binary: return cmp(a.toByteArray(), b.toByteArray());
    }
    return 0;
}

} // namespace varnex::data

namespace varnex::data {

const void* Backend::recordOwner(const QString& table, std::int64_t rowId) const
{
    const auto it = m_owners.find({table.toLower(), rowId});
    return it == m_owners.end() ? nullptr : it->second;
}

void Backend::setRecordOwner(const QString& table, std::int64_t rowId, const void* owner)
{
    m_owners[{table.toLower(), rowId}] = owner;
}

void Backend::clearRecordOwner(const QString& table, std::int64_t rowId)
{
    m_owners.erase({table.toLower(), rowId});
}

void Backend::keepLockUntilTransactionEnds(const QString& table, std::int64_t rowId)
{
    m_transactionLocks.emplace_back(table, rowId);
}

bool Backend::heldUntilTransactionEnds(const QString& table, std::int64_t rowId) const
{
    for (const auto& [t, r] : m_transactionLocks)
        if (r == rowId && t.compare(table, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool Backend::lockAndReadRecord(const CursorSpec& view, std::int64_t rowId, std::optional<Row>& row)
{
    if (!tryLockRecord(view.table, rowId))
        return false;
    try {
        row = readRow(view, rowId);
    } catch (...) {
        if (!heldUntilTransactionEnds(view.table, rowId))
            unlockRecord(view.table, rowId);
        throw;
    }
    return true;
}

void Backend::releaseTransactionLocks()
{
    for (const auto& [table, rowId] : m_transactionLocks) {
        unlockRecord(table, rowId);
        clearRecordOwner(table, rowId);
    }
    m_transactionLocks.clear();
}

// ---- dates and times in ISO text, as both backends store or receive them ----

static int digitsAt(const char* p, int n)
{
    int v = 0;
    for (int i = 0; i < n; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return -1;
        v = v * 10 + (p[i] - '0');
    }
    return v;
}

QTime TimeFromIsoText(const char* p, int n)
{
    if (n < 8 || p[2] != ':' || p[5] != ':')
        return {};
    int ms = 0;
    if (n > 9 && p[8] == '.') {
        // "07:05:03.5" is half a second: the server drops trailing zeros.
        int scale = 100;
        for (int i = 9; i < n && i < 12 && p[i] >= '0' && p[i] <= '9'; ++i, scale /= 10)
            ms += (p[i] - '0') * scale;
    }
    return QTime(digitsAt(p, 2), digitsAt(p + 3, 2), digitsAt(p + 6, 2), ms);
}

QDate DateFromIsoText(const char* p, int n)
{
    if (n < 10 || p[4] != '-' || p[7] != '-')
        return {};
    if (n >= 13 && std::string_view(p, static_cast<size_t>(n)).find(" BC") != std::string_view::npos)
        return {};
    return QDate(digitsAt(p, 4), digitsAt(p + 5, 2), digitsAt(p + 8, 2));
}

QVariant TemporalFromIsoText(FieldType type, const char* p, int n)
{
    switch (type) {
    case FieldType::Date: {
        const QDate d = DateFromIsoText(p, n);
        return d.isValid() ? QVariant(d) : QVariant();
    }
    case FieldType::Time: {
        const QTime t = TimeFromIsoText(p, n);
        return t.isValid() ? QVariant(t) : QVariant();
    }
    case FieldType::Timestamp: {
        const QDate d = DateFromIsoText(p, n);
        const QTime t = n > 11 ? TimeFromIsoText(p + 11, n - 11) : QTime(0, 0);
        return d.isValid() && t.isValid() ? QVariant(QDateTime(d, t)) : QVariant();
    }
    default: return {};
    }
}

// ---- numbers in decimal text ----------------------------------------------------

// Locale-free: a workstation set to French writes 2,5 but the server does not.
std::optional<std::int64_t> IntegerFromText(const char* p, int n)
{
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(p, p + n, value);
    if (error != std::errc() || end != p + n)
        return std::nullopt;
    return value;
}

std::optional<double> NumberFromText(const char* p, int n)
{
    double value = 0.0;
    const auto [end, error] = std::from_chars(p, p + n, value);
    if (error != std::errc() || end != p + n)
        return std::nullopt;
    return value;
}

std::optional<std::int64_t> TicksFromText(const char* p, int n)
{
    {
        // The common amount, as the server prints its columns ("-123.4500"):
        // fourteen digits or fewer before the point, four or fewer after,
        // so nothing can overflow or needs rounding.
        int i = n > 0 && (p[0] == '-' || p[0] == '+') ? 1 : 0;
        const int start = i;
        std::int64_t units = 0;
        while (i < n && i - start <= 14 && p[i] >= '0' && p[i] <= '9')
            units = units * 10 + (p[i++] - '0');
        const int whole = i - start;
        static constexpr std::int64_t place[] = {1000, 100, 10, 1};
        std::int64_t ticks = units * Currency::Scale;
        int decimals = 0;
        if (whole <= 14 && i < n && p[i] == '.')
            for (++i; i < n && decimals < 4 && p[i] >= '0' && p[i] <= '9'; ++i)
                ticks += (p[i] - '0') * place[decimals++];
        if (whole <= 14 && i == n && whole + decimals > 0)
            return p[0] == '-' ? -ticks : ticks;
    }
    constexpr std::uint64_t limit = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + 1;
    int i = 0;
    bool negative = false;
    if (i < n && (p[i] == '-' || p[i] == '+')) {
        negative = p[i] == '-';
        ++i;
    }
    std::uint64_t value = 0;
    int decimals = -1;
    bool roundUp = false;
    bool any = false;
    auto push = [&](std::uint64_t digit) {
        if (value > (limit - digit) / 10)
            return false;
        value = value * 10 + digit;
        return true;
    };
    for (; i < n; ++i) {
        const char c = p[i];
        if (c == '.' && decimals < 0) {
            decimals = 0;
            continue;
        }
        if (c < '0' || c > '9')
            return std::nullopt;
        any = true;
        if (decimals >= 4) {
            if (decimals == 4)
                roundUp = c >= '5';
            ++decimals;
            continue;
        }
        if (!push(static_cast<std::uint64_t>(c - '0')))
            return std::nullopt;
        if (decimals >= 0)
            ++decimals;
    }
    if (!any)
        return std::nullopt;
    for (int d = std::max(decimals, 0); d < 4; ++d)
        if (!push(0))
            return std::nullopt;
    if (roundUp && !push(0)) // room check only; undone below
        return std::nullopt;
    if (roundUp)
        value = value / 10 + 1;
    if (value == limit && !negative)
        return std::nullopt;
    if (value > limit)
        return std::nullopt;
    return negative ? static_cast<std::int64_t>(0 - value) : static_cast<std::int64_t>(value);
}

static int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

QVariant ValueFromPrinted(FieldType type, const char* p, int n)
{
    switch (type) {
    case FieldType::Text:
    case FieldType::Memo: return QString::fromUtf8(p, n);
    case FieldType::ShortInteger:
    case FieldType::Integer:
    case FieldType::AutoIncrement: return QVariant::fromValue<qlonglong>(IntegerFromText(p, n).value_or(0));
    case FieldType::Number: return NumberFromText(p, n).value_or(0.0);
    case FieldType::Money: {
        const auto ticks = TicksFromText(p, n);
        if (!ticks)
            throw EngineError(
                ErrorCode::TypeMismatch,
                QStringLiteral("The amount %1 does not fit a money value.").arg(QString::fromLatin1(p, n)));
        return QVariant::fromValue(Currency::fromTicks(*ticks));
    }
    case FieldType::Logical: return n > 0 && (p[0] == 't' || p[0] == '1');
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::Timestamp: return TemporalFromIsoText(type, p, n);
    case FieldType::Bytes:
    case FieldType::Binary: {
        if (n >= 2 && p[0] == '\\' && p[1] == 'x') {
            QByteArray bytes;
            bytes.reserve((n - 2) / 2);
            for (int i = 2; i + 1 < n; i += 2)
                bytes.append(static_cast<char>(hexValue(p[i]) << 4 | hexValue(p[i + 1])));
            return bytes;
        }
        return QByteArray(p, n);
    }
    }
    return {};
}

// ---- pages of rows as read ----------------------------------------------------

RowPage::RowPage(int columns, int expectedRows)
    : m_columns(columns)
{
    if (expectedRows > 0) {
        m_rowIds.reserve(static_cast<size_t>(expectedRows));
        m_cells.reserve(static_cast<size_t>(expectedRows) * static_cast<size_t>(columns));
    }
}

void RowPage::reserveBytes(size_t bytes)
{
    m_bytes.reserve(bytes);
}

void RowPage::addInteger(std::int64_t value)
{
    Cell& c = m_cells.emplace_back();
    c.kind = Kind::Integer;
    c.integer = value;
}

void RowPage::addReal(double value)
{
    Cell& c = m_cells.emplace_back();
    c.kind = Kind::Real;
    c.real = value;
}

void RowPage::addBytesOf(Kind kind, const char* data, int size)
{
    Cell& c = m_cells.emplace_back();
    c.kind = kind;
    c.size = static_cast<std::uint32_t>(size);
    c.offset = m_bytes.size();
    m_bytes.insert(m_bytes.end(), data, data + size);
    // Date and time readers may look for a terminator, as they do in what
    // the storage libraries hand out.
    m_bytes.push_back('\0');
}

void RowPage::addPrinted(const char* data, int size)
{
    Cell& c = m_cells.emplace_back();
    c.kind = Kind::Printed;
    c.size = static_cast<std::uint32_t>(size);
    c.printed = data;
}

void RowPage::addHeld(QVariant value)
{
    Cell& c = m_cells.emplace_back();
    c.kind = value.isValid() ? Kind::Held : Kind::Null;
    c.offset = m_held.size();
    m_held.push_back(std::move(value));
}

void RowPage::clear()
{
    m_rowIds.clear();
    m_cells.clear();
    m_bytes.clear();
    m_held.clear();
    m_kept.reset();
}

void RowPage::addRow(std::int64_t rowId, Row values)
{
    beginRow(rowId);
    m_held.reserve(m_held.size() + values.size());
    for (QVariant& v : values)
        addHeld(std::move(v));
}

QVariant RowPage::value(int row, int column, FieldType type) const
{
    const Cell& c = cell(row, column);
    switch (c.kind) {
    case Kind::Null: return {};
    case Kind::Held: return m_held[c.offset];
    case Kind::Text:
    case Kind::Bytes:
        return ValueFromStorage(type, c.kind, 0, 0.0, m_bytes.data() + c.offset, static_cast<int>(c.size));
    case Kind::Printed: return ValueFromPrinted(type, c.printed, static_cast<int>(c.size));
    case Kind::Integer: return ValueFromStorage(type, c.kind, c.integer, 0.0, nullptr, 0);
    case Kind::Real: return ValueFromStorage(type, c.kind, 0, c.real, nullptr, 0);
    }
    return {};
}

bool RowPage::holds(int row, int column, FieldType type, const QVariant& value) const
{
    const Cell& c = cell(row, column);
    const QMetaType held = value.metaType();
    switch (c.kind) {
    case Kind::Null: return !value.isValid();
    case Kind::Integer:
        if ((type == FieldType::ShortInteger || type == FieldType::Integer || type == FieldType::AutoIncrement)
            && held == QMetaType::fromType<qlonglong>())
            return c.integer == *static_cast<const qlonglong*>(value.constData());
        if (type == FieldType::Money && held == QMetaType::fromType<Currency>())
            return c.integer == static_cast<const Currency*>(value.constData())->ticks();
        break;
    case Kind::Real:
        if (type == FieldType::Number && held == QMetaType::fromType<double>()) {
            const double d = *static_cast<const double*>(value.constData());
            return !(c.real < d) && !(d < c.real);
        }
        break;
    case Kind::Text:
        // Texts order by their UTF-8 bytes: a text of ASCII characters
        // equals exactly the stored bytes that spell it (a stored byte above
        // 0x7F, valid or not, never reads as an ASCII character).
        if ((type == FieldType::Text || type == FieldType::Memo) && held == QMetaType::fromType<QString>()) {
            const QString& text = *static_cast<const QString*>(value.constData());
            if (text.size() <= static_cast<qsizetype>(c.size)) {
                const char* bytes = m_bytes.data() + c.offset;
                bool ascii = true;
                bool same = text.size() == static_cast<qsizetype>(c.size);
                for (qsizetype i = 0; i < text.size() && ascii; ++i) {
                    const char16_t u = text[i].unicode();
                    ascii = u < 0x80;
                    same = same && static_cast<unsigned char>(bytes[i]) == u;
                }
                if (ascii)
                    return same;
            }
        }
        break;
    default: break;
    }
    return CompareValues(type, this->value(row, column, type), value) == 0;
}

Row RowPage::values(int row, const QList<FieldDef>& fields) const
{
    Row out;
    out.reserve(static_cast<size_t>(m_columns));
    for (int i = 0; i < m_columns; ++i)
        out.push_back(value(row, i, fields[i].type));
    return out;
}

void RowPage::reverse()
{
    std::reverse(m_rowIds.begin(), m_rowIds.end());
    const size_t rows = m_rowIds.size();
    const auto width = static_cast<size_t>(m_columns);
    for (size_t a = 0, b = rows; a + 1 < b; ++a, --b)
        std::swap_ranges(m_cells.begin() + static_cast<std::ptrdiff_t>(a * width),
                         m_cells.begin() + static_cast<std::ptrdiff_t>((a + 1) * width),
                         m_cells.begin() + static_cast<std::ptrdiff_t>((b - 1) * width));
}

QVariant ValueFromStorage(FieldType type, RowPage::Kind kind, std::int64_t integer, double real, const char* data,
                          int size)
{
    using Kind = RowPage::Kind;
    if (kind == Kind::Null)
        return {};
    switch (type) {
    case FieldType::Text:
    case FieldType::Memo: return QString::fromUtf8(data, size);
    case FieldType::ShortInteger:
    case FieldType::Integer:
    case FieldType::AutoIncrement: return QVariant::fromValue<qlonglong>(integer);
    case FieldType::Number: return kind == Kind::Real ? real : static_cast<double>(integer);
    case FieldType::Money: return QVariant::fromValue(Currency::fromTicks(integer));
    case FieldType::Logical: return integer != 0;
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::Timestamp: return TemporalFromIsoText(type, data, size);
    case FieldType::Bytes:
    case FieldType::Binary: return QByteArray(data, size);
    }
    return {};
}

std::vector<FetchedRow> Backend::fetch(const CursorSpec& view, const Seek& seek, int limit)
{
    const std::shared_ptr<RowPage> page = fetchPage(view, seek, limit);
    std::vector<FetchedRow> rows(static_cast<size_t>(page->size()));
    for (int r = 0; r < page->size(); ++r)
        rows[static_cast<size_t>(r)] = FetchedRow{page->rowId(r), page->values(r, view.fields)};
    return rows;
}

ParameterMatcher::ParameterMatcher(const std::vector<QueryParameter>& params)
    : m_params(params)
    , m_used(params.size(), false)
{
}

const QueryParameter& ParameterMatcher::take(const QString& name)
{
    for (size_t p = 0; p < m_params.size(); ++p) {
        if (m_params[p].name.compare(name, Qt::CaseInsensitive) == 0) {
            m_used[p] = true;
            return m_params[p];
        }
    }
    throw EngineError(ErrorCode::QueryParameter, QStringLiteral("Parameter :%1 has no value.").arg(name));
}

void ParameterMatcher::checkAllUsed() const
{
    for (size_t p = 0; p < m_params.size(); ++p)
        if (!m_used[p])
            throw EngineError(ErrorCode::QueryParameter,
                              QStringLiteral("The statement has no parameter :%1.").arg(m_params[p].name));
}

namespace {
std::atomic<int> g_messageLanguage{1};
}

void SetEngineMessageLanguage(int language)
{
    g_messageLanguage = language;
}

int EngineMessageLanguage()
{
    return g_messageLanguage;
}

QString EngineText(const QString& english, const QString& french)
{
    return g_messageLanguage == 2 ? french : english;
}

} // namespace varnex::data
