#pragma once
// Moving a data folder from one storage engine to the other (an office that
// outgrows one machine moves its books to the server, or back), and the
// comparison that proves nothing changed on the way: per table, the number of
// records and a digest of their values, independent of record order.

#include <QList>
#include <QString>

namespace varnex::data {

enum class EngineKind {
    Embedded, // SQLite: the database file in the folder
    Server,   // PostgreSQL: the folder's schema on the configured server
};

struct TableComparison {
    QString table;
    long long sourceRows = -1; // -1: the table is missing on that side
    long long targetRows = -1;
    QString sourceDigest; // SHA-1 of the sorted records, hex
    QString targetDigest;
    bool same() const { return sourceRows == targetRows && sourceDigest == targetDigest; }
};

// Copies every table of `folder` (structure, keys and records, autoincrement
// numbers kept) from one engine to the other, one transaction per table, and
// compares each copy with its source. A table already on the target is
// ErrorCode::TableExists unless `replace` is set. The server is the one the
// settings name (or VARNEX_SERVER).
QList<TableComparison> CopyFolderBetweenEngines(const QString& folder, EngineKind from, EngineKind to, bool replace);

// Compares every table of `folder` on the two engines without changing either.
QList<TableComparison> CompareFolderBetweenEngines(const QString& folder, EngineKind a, EngineKind b);

} // namespace varnex::data
