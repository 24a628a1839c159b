// Copy and comparison of a data folder between the two backends. Works on the
// backends directly (no cursors, events or record locks): this is a
// maintenance task run while nobody works in the folder.

#include "varnex/data/engine_copy.h"

#include <algorithm>
#include <memory>

#include <QCryptographicHash>
#include <QDateTime>
#include <QFileInfo>

#include "pg_backend.h"
#include "sqlite_backend.h"
#include "varnex/currency.h"
#include "varnex/data/database.h"
#include "varnex/data/engine_error.h"

namespace varnex::data {

namespace {

constexpr int Batch = 2000;

std::unique_ptr<Backend> openBackend(const QString& folder, EngineKind kind)
{
    const QFileInfo info(folder);
    if (!info.exists() || !info.isDir())
        throw EngineError(ErrorCode::FolderNotFound, QStringLiteral("The data folder %1 does not exist.").arg(folder));
    const QString canonical = info.canonicalFilePath();
    if (kind == EngineKind::Server)
        return std::make_unique<PgBackend>(ServerTargetFor(canonical, ConfiguredServer()));
    CheckLocalFolder(canonical);
    return std::make_unique<SqliteBackend>(canonical);
}

// One value in a form that is the same whichever engine read it.
void appendValue(QByteArray& out, FieldType type, const QVariant& v)
{
    if (!v.isValid()) {
        out += "-;";
        return;
    }
    QByteArray text;
    switch (type) {
    case FieldType::Text:
    case FieldType::Memo: text = v.toString().toUtf8(); break;
    case FieldType::ShortInteger:
    case FieldType::Integer:
    case FieldType::AutoIncrement: text = QByteArray::number(v.toLongLong()); break;
    case FieldType::Number: text = QByteArray::number(v.toDouble(), 'g', 17); break;
    case FieldType::Money: text = QByteArray::number(static_cast<qlonglong>(v.value<Currency>().ticks())); break;
    case FieldType::Logical: text = v.toBool() ? "1" : "0"; break;
    case FieldType::Date: text = v.toDate().toString(Qt::ISODate).toLatin1(); break;
    case FieldType::Time: text = v.toTime().toString(QStringLiteral("HH:mm:ss.zzz")).toLatin1(); break;
    case FieldType::Timestamp:
        text = v.toDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")).toLatin1();
        break;
    case FieldType::Bytes:
    case FieldType::Binary: text = v.toByteArray(); break;
    }
    out += QByteArray::number(static_cast<qlonglong>(text.size())) + ':' + text;
}

// Walks a table in insertion order; `each` sees every record.
template <typename Each>
void walk(Backend& backend, const TableDef& def, Each each)
{
    CursorSpec view;
    view.table = def.name;
    view.fields = def.fields;
    Seek seek{SeekMode::First, {}, 0};
    for (;;) {
        std::vector<FetchedRow> rows = backend.fetch(view, seek, Batch);
        for (FetchedRow& row : rows)
            each(row.values);
        if (static_cast<int>(rows.size()) < Batch)
            return;
        seek = Seek{SeekMode::After, {}, rows.back().rowId};
    }
}

struct Summary {
    long long rows = 0;
    QString digest;
};

Summary summarize(Backend& backend, const TableDef& def)
{
    std::vector<QByteArray> records;
    walk(backend, def, [&](const Row& values) {
        QByteArray record;
        for (int i = 0; i < def.fields.size(); ++i)
            appendValue(record, def.fields[i].type, values[static_cast<size_t>(i)]);
        records.push_back(std::move(record));
    });
    std::sort(records.begin(), records.end());
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const QByteArray& r : records) {
        hash.addData(r);
        hash.addData(QByteArrayView("\n"));
    }
    return {static_cast<long long>(records.size()), QString::fromLatin1(hash.result().toHex())};
}

QStringList sortedNames(Backend& backend)
{
    QStringList names = backend.tableNames();
    std::sort(names.begin(), names.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return names;
}

bool contains(const QStringList& names, const QString& name)
{
    return names.contains(name, Qt::CaseInsensitive);
}

} // namespace

QList<TableComparison> CompareFolderBetweenEngines(const QString& folder, EngineKind a, EngineKind b)
{
    auto first = openBackend(folder, a);
    auto second = openBackend(folder, b);
    const QStringList firstNames = sortedNames(*first);
    const QStringList secondNames = sortedNames(*second);
    QStringList all = firstNames;
    for (const QString& n : secondNames)
        if (!contains(all, n))
            all << n;
    QList<TableComparison> result;
    for (const QString& name : all) {
        TableComparison c;
        c.table = name;
        if (contains(firstNames, name)) {
            const Summary s = summarize(*first, first->describeTable(name));
            c.sourceRows = s.rows;
            c.sourceDigest = s.digest;
        }
        if (contains(secondNames, name)) {
            const Summary s = summarize(*second, second->describeTable(name));
            c.targetRows = s.rows;
            c.targetDigest = s.digest;
        }
        result << c;
    }
    return result;
}

QList<TableComparison> CopyFolderBetweenEngines(const QString& folder, EngineKind from, EngineKind to, bool replace)
{
    if (from == to)
        throw EngineError(ErrorCode::InvalidRequest,
                          QStringLiteral("A folder is copied from one engine to the other."));
    auto source = openBackend(folder, from);
    auto target = openBackend(folder, to);
    const QStringList names = sortedNames(*source);
    // Refuse before writing anything: a copy over existing books is only
    // done when asked for.
    if (!replace)
        for (const QString& name : names)
            if (target->tableExists(name))
                throw EngineError(
                    ErrorCode::TableExists,
                    QStringLiteral("Table %1 of %2 already exists on the target engine; copy with replace to "
                                   "overwrite it.")
                        .arg(name, folder));
    QList<TableComparison> result;
    for (const QString& name : names) {
        const TableDef def = source->describeTable(name);
        target->begin();
        try {
            if (target->tableExists(name))
                target->dropTable(name);
            target->createTable(def, def.name);
            CursorSpec view;
            view.table = def.name;
            view.fields = def.fields;
            walk(*source, def, [&](Row& values) { target->insertRow(view, values); });
            target->commit();
        } catch (...) {
            target->rollback();
            throw;
        }
        TableComparison c;
        c.table = def.name;
        const Summary s = summarize(*source, def);
        const Summary t = summarize(*target, target->describeTable(def.name));
        c.sourceRows = s.rows;
        c.sourceDigest = s.digest;
        c.targetRows = t.rows;
        c.targetDigest = t.digest;
        result << c;
    }
    return result;
}

} // namespace varnex::data
