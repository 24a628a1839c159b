#pragma once
// Batched appends of the server engine: the records a fill appends inside a
// transaction go to the server as COPY streams, one per table, in the text
// form of COPY, instead of one INSERT each. The server checks them as they
// arrive; what it says is read when the stream ends, which the backend does
// before anything else uses the connection.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "backend.h"

struct pg_conn;
struct pg_result;

namespace varnex::data {

class PgCopyBatch {
public:
    struct ResultDeleter {
        void operator()(pg_result* res) const;
    };
    using ResultPtr = std::unique_ptr<pg_result, ResultDeleter>;

    // A stream the server did not take whole: nothing of it was stored.
    struct Refusal {
        QString table;
        QString record;  // the values of its order fields, as the server got them
        ResultPtr error; // the server's answer; empty when the connection broke
    };

    bool empty() const { return m_streams.empty(); }
    // The stream a cursor's appends go to: its COPY statement, then the
    // order that names a refused record. Worth keeping per cursor.
    static std::string streamOf(const CursorSpec& view);
    // Appends a record with its reserved id to the stream `stream`. The data
    // goes out while the fill goes on; switching to another table's stream
    // first ends the open one, whose refusal is then returned.
    std::optional<Refusal> add(pg_conn* conn, const CursorSpec& view, const std::string& stream, std::int64_t rowId,
                               const Row& row);
    // Sends whatever waits and ends every stream: nothing when the server
    // took all of them. After a refusal the streams not yet sent are dropped.
    std::optional<Refusal> finish(pg_conn* conn);
    // Abandons everything (a rollback): an open stream is ended as failed.
    void discard(pg_conn* conn);
    // Forgets everything without a word to the server (the connection broke).
    void clear();

    // A value in COPY's text form, appended to `out`: NULL as \N, text with
    // its backslashes, tabs and line ends escaped.
    static void appendValue(std::string& out, FieldType type, const QVariant& value);

private:
    struct Stream {
        QString table;
        std::string statement;
        QList<int> keyFields; // the order that names a record
        std::string data;     // rows the server has not confirmed yet
        size_t sent = 0;      // bytes of `data` given to the open COPY
        std::int64_t rows = 0;
    };

    bool send(pg_conn* conn, Stream& stream);
    std::optional<Refusal> open(pg_conn* conn, Stream& stream);
    std::optional<Refusal> end(pg_conn* conn, Stream& stream);
    Refusal refusal(const Stream& stream, pg_result* res) const;

    std::map<std::string, Stream> m_streams; // streamOf() -> stream
    Stream* m_open = nullptr;                // the stream the connection is copying into
};

} // namespace varnex::data
