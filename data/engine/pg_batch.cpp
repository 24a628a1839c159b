// Appends of a fill reach the server as COPY data: the server parses a row of
// text and stores it, with no statement to plan, bind and answer per record,
// and the data goes out while the program builds the next records, so client
// and server work at the same time. A stream is ended (and the server's
// verdict read) at the next use of the connection for anything else, so a
// read in the transaction sees every record appended before it.

#include "pg_batch.h"

#include <libpq-fe.h>

#include <charconv>
#include <cmath>
#include <cstring>

#include <QRegularExpression>

#include "varnex/currency.h"
#include "pg_backend.h"

namespace varnex::data {

namespace {

constexpr size_t SendChunk = 16 * 1024;        // handed to libpq at a time
constexpr size_t SwitchAt = 256 * 1024;        // a waiting table's data worth ending another stream
constexpr size_t KeepAtMost = 8 * 1024 * 1024; // unconfirmed data kept to name a refused record

void appendEscaped(std::string& out, const char* p, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        const char c = p[i];
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
}

// A text as UTF-8 in COPY's form. Most texts of a fill are ASCII without a
// character COPY escapes: those are written straight into place, one pass
// and no conversion of their own.
void appendText(std::string& out, const QString& s)
{
    const QChar* p = s.constData();
    const size_t n = static_cast<size_t>(s.size());
    const size_t start = out.size();
    out.resize(start + n);
    char* to = out.data() + start;
    for (size_t i = 0; i < n; ++i) {
        const char16_t c = p[i].unicode();
        if (c >= 0x80 || c == u'\\' || c == u'\t' || c == u'\n' || c == u'\r') {
            out.resize(start + i);
            const QByteArray rest = QStringView(s).mid(static_cast<qsizetype>(i)).toUtf8();
            appendEscaped(out, rest.constData(), static_cast<size_t>(rest.size()));
            return;
        }
        to[i] = static_cast<char>(c);
    }
}

template <typename Number>
void appendNumber(std::string& out, Number value)
{
    char buffer[32];
    const auto done = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, done.ptr);
}

void appendDigits(std::string& out, unsigned value, int width)
{
    char buffer[8];
    for (int i = width - 1; i >= 0; --i) {
        buffer[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out.append(buffer, static_cast<size_t>(width));
}

// The text of a column of one COPY row, unescaped; nothing for \N.
std::optional<QString> columnText(const std::string& line, int column)
{
    size_t start = 0;
    for (int c = 0; c < column; ++c) {
        start = line.find('\t', start);
        if (start == std::string::npos)
            return QString();
        ++start;
    }
    size_t end = line.find('\t', start);
    if (end == std::string::npos)
        end = line.size();
    if (line.compare(start, end - start, "\\N") == 0)
        return std::nullopt;
    QByteArray bytes;
    for (size_t i = start; i < end; ++i) {
        char c = line[i];
        if (c == '\\' && i + 1 < end) {
            const char next = line[++i];
            c = next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        }
        bytes += c;
    }
    return QString::fromUtf8(bytes);
}

} // namespace

void PgCopyBatch::ResultDeleter::operator()(pg_result* res) const
{
    PQclear(res);
}

void PgCopyBatch::appendValue(std::string& out, FieldType type, const QVariant& v)
{
    if (!v.isValid()) {
        out += "\\N";
        return;
    }
    switch (type) {
    case FieldType::Text:
    case FieldType::Memo:
        if (v.metaType() == QMetaType::fromType<QString>())
            appendText(out, *static_cast<const QString*>(v.constData()));
        else
            appendText(out, v.toString());
        return;
    case FieldType::ShortInteger:
    case FieldType::Integer:
    case FieldType::AutoIncrement: appendNumber(out, v.toLongLong()); return;
    case FieldType::Number: {
        const double d = v.toDouble();
        if (std::isnan(d))
            out += "NaN";
        else if (std::isinf(d))
            out += d > 0 ? "Infinity" : "-Infinity";
        else
            appendNumber(out, d); // the shortest text that reads back as the same double
        return;
    }
    case FieldType::Money:
        if (v.metaType() == QMetaType::fromType<Currency>()) {
            const std::int64_t ticks = v.value<Currency>().ticks();
            const std::uint64_t magnitude =
                ticks < 0 ? 0 - static_cast<std::uint64_t>(ticks) : static_cast<std::uint64_t>(ticks);
            if (ticks < 0)
                out += '-';
            appendNumber(out, magnitude / Currency::Scale);
            out += '.';
            appendDigits(out, static_cast<unsigned>(magnitude % Currency::Scale), 4);
            return;
        }
        break;
    case FieldType::Logical: out += v.toBool() ? 't' : 'f'; return;
    case FieldType::Date: {
        int year = 0, month = 0, day = 0;
        v.toDate().getDate(&year, &month, &day);
        if (year < 1 || year > 9999)
            break; // the server refuses what the other path sends for it
        appendDigits(out, static_cast<unsigned>(year), 4);
        out += '-';
        appendDigits(out, static_cast<unsigned>(month), 2);
        out += '-';
        appendDigits(out, static_cast<unsigned>(day), 2);
        return;
    }
    case FieldType::Bytes:
    case FieldType::Binary: {
        static const char hex[] = "0123456789abcdef";
        const QByteArray bytes = v.toByteArray();
        out += "\\\\x";
        for (const char b : bytes) {
            out += hex[(static_cast<unsigned char>(b) >> 4) & 0xF];
            out += hex[static_cast<unsigned char>(b) & 0xF];
        }
        return;
    }
    case FieldType::Time:
    case FieldType::Timestamp: break;
    }
    const QByteArray text = PgBackend::textOf(type, v);
    appendEscaped(out, text.constData(), static_cast<size_t>(text.size()));
}

std::string PgCopyBatch::streamOf(const CursorSpec& view)
{
    std::string stream = "COPY \"" + view.table.toLower().toStdString() + "\" (" + PgBackend::RowIdColumn;
    for (const FieldDef& f : view.fields)
        stream += ", \"" + f.name.toLower().toStdString() + '"';
    stream += ") FROM STDIN\n";
    // Cursors of one table with other orders name a refused record otherwise.
    for (int i : view.orderFields)
        stream += std::to_string(i) + ';';
    return stream;
}

std::optional<PgCopyBatch::Refusal> PgCopyBatch::add(pg_conn* conn, const CursorSpec& view, const std::string& key,
                                                     std::int64_t rowId, const Row& row)
{
    auto [it, created] = m_streams.try_emplace(key);
    Stream& stream = it->second;
    if (created) {
        stream.table = view.table;
        stream.statement = key.substr(0, key.find('\n'));
        stream.keyFields = view.orderFields;
        if (stream.keyFields.isEmpty() && !view.fields.isEmpty())
            stream.keyFields << 0;
    }
    std::string& out = stream.data;
    appendNumber(out, rowId);
    for (int i = 0; i < view.fields.size(); ++i) {
        out += '\t';
        appendValue(out, view.fields[i].type, row[static_cast<size_t>(i)]);
    }
    out += '\n';
    ++stream.rows;

    const size_t waiting = stream.data.size() - stream.sent;
    if (m_open == &stream) {
        if (waiting >= SendChunk && !send(conn, stream))
            return Refusal{stream.table, QString(), nullptr};
    } else if ((m_open == nullptr && waiting >= SendChunk) || waiting >= SwitchAt) {
        if (m_open)
            if (auto refused = end(conn, *m_open))
                return refused;
        if (auto refused = open(conn, stream))
            return refused;
    }
    if (stream.data.size() >= KeepAtMost)
        return end(conn, stream);
    return std::nullopt;
}

bool PgCopyBatch::send(pg_conn* conn, Stream& stream)
{
    const size_t waiting = stream.data.size() - stream.sent;
    if (waiting == 0)
        return true;
    if (PQputCopyData(conn, stream.data.data() + stream.sent, static_cast<int>(waiting)) != 1)
        return false;
    stream.sent = stream.data.size();
    return true;
}

std::optional<PgCopyBatch::Refusal> PgCopyBatch::open(pg_conn* conn, Stream& stream)
{
    ResultPtr started(PQexec(conn, stream.statement.c_str()));
    if (PQresultStatus(started.get()) != PGRES_COPY_IN) {
        Refusal refused = refusal(stream, started.release());
        m_streams.clear();
        return refused;
    }
    m_open = &stream;
    if (!send(conn, stream))
        return Refusal{stream.table, QString(), nullptr};
    return std::nullopt;
}

// Ends a stream, opening it first when none of its data was sent; its rows
// are stored once the server says so, and forgotten.
std::optional<PgCopyBatch::Refusal> PgCopyBatch::end(pg_conn* conn, Stream& stream)
{
    if (m_open != &stream) {
        if (m_open)
            if (auto refused = end(conn, *m_open))
                return refused;
        if (auto refused = open(conn, stream))
            return refused;
    }
    m_open = nullptr;
    if (!send(conn, stream) || PQputCopyEnd(conn, nullptr) != 1)
        return Refusal{stream.table, QString(), nullptr};
    ResultPtr verdict(PQgetResult(conn));
    while (PGresult* rest = PQgetResult(conn))
        PQclear(rest);
    if (!verdict)
        return Refusal{stream.table, QString(), nullptr};
    if (PQresultStatus(verdict.get()) != PGRES_COMMAND_OK) {
        Refusal refused = refusal(stream, verdict.release());
        m_streams.clear();
        return refused;
    }
    stream.data.clear();
    stream.sent = 0;
    stream.rows = 0;
    return std::nullopt;
}

// The server names the line of the stream it refused ("COPY t, line 12");
// the key of that record is read back from the data kept. A stream refused
// as a whole (the table busy or gone) names its first record, the one the
// server could not store.
PgCopyBatch::Refusal PgCopyBatch::refusal(const Stream& stream, pg_result* res) const
{
    Refusal refused{stream.table, QString(), ResultPtr(res)};
    const char* context = PQresultErrorField(res, PG_DIAG_CONTEXT);
    static const QRegularExpression lineNumber(QStringLiteral("^COPY [^,]+, \\D*(\\d+)"));
    const auto match = lineNumber.match(QString::fromUtf8(context ? context : ""));
    std::int64_t line = match.hasMatch() ? match.captured(1).toLongLong() : 1;
    size_t start = 0;
    while (--line > 0 && start != std::string::npos) {
        start = stream.data.find('\n', start);
        if (start != std::string::npos)
            ++start;
    }
    if (start == std::string::npos || start >= stream.data.size())
        return refused;
    const std::string row = stream.data.substr(start, stream.data.find('\n', start) - start);
    QStringList parts;
    for (int field : stream.keyFields) {
        const std::optional<QString> text = columnText(row, field + 1); // the record id comes first
        parts << (text ? *text : QStringLiteral("(empty)"));
    }
    refused.record = parts.join(QLatin1String(", "));
    return refused;
}

std::optional<PgCopyBatch::Refusal> PgCopyBatch::finish(pg_conn* conn)
{
    if (m_open)
        if (auto refused = end(conn, *m_open))
            return refused;
    for (auto& [key, stream] : m_streams)
        if (stream.rows > 0)
            if (auto refused = end(conn, stream))
                return refused;
    m_streams.clear();
    return std::nullopt;
}

void PgCopyBatch::discard(pg_conn* conn)
{
    if (m_open && conn && PQstatus(conn) == CONNECTION_OK && PQputCopyEnd(conn, "rolled back") == 1)
        while (PGresult* res = PQgetResult(conn))
            PQclear(res);
    clear();
}

void PgCopyBatch::clear()
{
    m_streams.clear();
    m_open = nullptr;
}

} // namespace varnex::data
