// Databases per folder, aliases, transactions and the refusal of network
// folders.

#include "varnex/data/database.h"

#include <sys/statfs.h>

#include <map>

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include "pg_backend.h"
#include "sqlite_backend.h"
#include "varnex/data/engine_error.h"

namespace varnex::data {

namespace {

// One Database per folder while anyone holds it: every cursor of the process
// on a folder shares its connection, its transaction and its lock descriptor.
std::map<QString, std::weak_ptr<Database>>& openDatabases()
{
    static std::map<QString, std::weak_ptr<Database>> databases;
    return databases;
}

struct AliasEntry {
    QString name;
    QString parameters;
    QString path;
};

QHash<QString, AliasEntry>& aliases()
{
    static QHash<QString, AliasEntry> table;
    return table;
}

QString canonicalFolder(const QString& folder)
{
    if (folder.trimmed().isEmpty())
        throw EngineError(ErrorCode::FolderNotFound, QStringLiteral("No data folder was given."));
    const QFileInfo info(folder);
    if (!info.exists() || !info.isDir())
        throw EngineError(ErrorCode::FolderNotFound, QStringLiteral("The data folder %1 does not exist.").arg(folder));
    return info.canonicalFilePath();
}

const char* networkFileSystemName(std::int64_t fsType)
{
    switch (static_cast<std::uint32_t>(fsType)) {
    case 0x6969u: return "NFS";
    case 0x517Bu: return "SMB";
    case 0xFF534D42u: return "CIFS";
    case 0xFE534D42u: return "SMB2";
    case 0x564Cu: return "NCP";
    case 0x5346414Fu: return "AFS";
    case 0x73757245u: return "Coda";
    case 0x01021997u: return "9P";
    case 0x00C36400u: return "Ceph";
    default: return nullptr;
    }
}

} // namespace

// ---- folders ----------------------------------------------------------------

bool IsNetworkFileSystemType(std::int64_t fsType)
{
    return networkFileSystemName(fsType) != nullptr;
}

void CheckLocalFolder(const QString& folder)
{
    struct statfs info {};
    if (::statfs(QFile::encodeName(folder).constData(), &info) != 0)
        return; // a folder that cannot be examined fails later with its own error
    if (const char* name = networkFileSystemName(static_cast<std::int64_t>(info.f_type)))
        throw EngineError(ErrorCode::NetworkFolder,
                          EngineText(QStringLiteral("The data folder %1 is on a network file system (%2). The embedded "
                                                    "database engine cannot share data safely over a network: use the "
                                                    "server engine (PostgreSQL) for a company shared by several "
                                                    "workstations, or keep the data folder on a local disk."),
                                     QStringLiteral("Le dossier de données %1 est sur un système de fichiers réseau "
                                                    "(%2). Le moteur de données intégré ne peut pas partager des "
                                                    "données sans risque sur un réseau : utilisez le moteur serveur "
                                                    "(PostgreSQL) pour une compagnie partagée par plusieurs postes, ou "
                                                    "gardez le dossier de données sur un disque local."))
                              .arg(folder, QLatin1String(name)));
}

QString NormalizeTableName(const QString& name)
{
    QString table = name.trimmed();
    if (table.endsWith(QLatin1String(".db"), Qt::CaseInsensitive))
        table.chop(3);
    static const QRegularExpression valid(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    if (!valid.match(table).hasMatch() || table.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive))
        throw EngineError(ErrorCode::InvalidName, QStringLiteral("'%1' is not a valid table name.").arg(name));
    return table;
}

// ---- Database ---------------------------------------------------------------

std::shared_ptr<Database> Database::forFolder(const QString& folder)
{
    const QString canonical = canonicalFolder(folder);
    auto& databases = openDatabases();
    if (auto it = databases.find(canonical); it != databases.end())
        if (auto db = it->second.lock())
            return db;
    // The server engine keeps nothing in the folder: a network folder is fine there.
    if (!ServerTargetForFolder(canonical))
        CheckLocalFolder(canonical);
    std::shared_ptr<Database> db(new Database(canonical));
    databases[canonical] = db;
    return db;
}

bool Database::existsForFolder(const QString& folder)
{
    if (folder.trimmed().isEmpty() || !QFileInfo(folder).isDir())
        return false;
    const QString canonical = canonicalFolder(folder);
    if (auto it = openDatabases().find(canonical); it != openDatabases().end() && !it->second.expired())
        return true;
    if (const auto server = ServerTargetForFolder(canonical))
        return ServerSchemaExists(*server);
    return QFileInfo::exists(QDir(canonical).filePath(QLatin1String(SqliteBackend::DatabaseFileName)));
}

bool Database::tryClaim(const QString& table, std::int64_t identity)
{
    m_backend->refuseInConsistentRead();
    return m_backend->tryLockRecord(NormalizeTableName(table), identity);
}

void Database::unlockClaim(const QString& table, std::int64_t identity)
{
    m_backend->unlockRecord(NormalizeTableName(table), identity);
}

Database::Database(const QString& folder)
    : m_folder(folder)
{
    // One settings value chooses the engine; nothing above the backend knows which.
    if (const auto server = ServerTargetForFolder(folder))
        m_backend = std::make_unique<PgBackend>(*server);
    else
        m_backend = std::make_unique<SqliteBackend>(folder);
}

Database::~Database()
{
    auto& databases = openDatabases();
    if (auto it = databases.find(m_folder); it != databases.end() && it->second.expired())
        databases.erase(it);
}

bool Database::tableExists(const QString& tableName)
{
    return m_backend->tableExists(NormalizeTableName(tableName));
}

QStringList Database::tableNames()
{
    return m_backend->tableNames();
}

namespace {

// Kept definitions go with any change of structure, also one that fails
// halfway (a create rolled back to its savepoint).
struct ForgetDefinitions {
    QHash<QString, TableDef>& defs;
    ~ForgetDefinitions() { defs.clear(); }
};

} // namespace

void Database::createTable(const TableDef& def, const QString& tableName)
{
    const QString name = NormalizeTableName(tableName.isEmpty() ? def.name : tableName);
    if (def.fields.isEmpty())
        throw EngineError(ErrorCode::InvalidDefinition, QStringLiteral("Table %1 has no fields.").arg(name));
    QStringList seen;
    static const QRegularExpression valid(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    for (const FieldDef& f : def.fields) {
        if (!valid.match(f.name).hasMatch())
            throw EngineError(ErrorCode::InvalidName, QStringLiteral("'%1' is not a valid field name.").arg(f.name));
        if (seen.contains(f.name, Qt::CaseInsensitive))
            throw EngineError(ErrorCode::InvalidDefinition,
                              QStringLiteral("Field %1 appears twice in table %2.").arg(f.name, name));
        if ((f.type == FieldType::Bytes) && f.size <= 0)
            throw EngineError(ErrorCode::InvalidDefinition,
                              QStringLiteral("Field %1 of table %2 needs a size.").arg(f.name, name));
        seen << f.name;
    }
    int primaries = 0;
    for (const IndexDef& index : def.indexes) {
        if (index.fields.isEmpty())
            throw EngineError(ErrorCode::InvalidDefinition,
                              QStringLiteral("A key of table %1 has no fields.").arg(name));
        if (!index.name.isEmpty() && !valid.match(index.name).hasMatch())
            throw EngineError(ErrorCode::InvalidName, QStringLiteral("'%1' is not a valid key name.").arg(index.name));
        for (const QString& f : index.fields)
            if (!seen.contains(f, Qt::CaseInsensitive))
                throw EngineError(ErrorCode::InvalidDefinition,
                                  QStringLiteral("Key field %1 is not a field of table %2.").arg(f, name));
        primaries += index.primary ? 1 : 0;
    }
    if (primaries > 1)
        throw EngineError(ErrorCode::InvalidDefinition, QStringLiteral("Table %1 has two primary keys.").arg(name));
    m_backend->refuseInConsistentRead();
    if (m_backend->tableExists(name))
        throw EngineError(ErrorCode::TableExists, QStringLiteral("Table %1 already exists in %2.").arg(name, m_folder));
    const ForgetDefinitions forget{m_tableDefs};
    m_backend->createTable(def, name);
}

void Database::createTableLike(const QString& newName, const QString& sourceTable, Database* source)
{
    Database& from = source ? *source : *this;
    TableDef def = from.tableDef(sourceTable);
    def.name = NormalizeTableName(newName);
    createTable(def);
}

void Database::emptyTable(const QString& tableName)
{
    const QString name = NormalizeTableName(tableName);
    m_backend->refuseInConsistentRead();
    if (!m_backend->tableExists(name))
        throw EngineError(ErrorCode::TableNotFound,
                          QStringLiteral("Table %1 does not exist in %2.").arg(name, m_folder));
    const ForgetDefinitions forget{m_tableDefs};
    m_backend->emptyTable(name);
}

void Database::dropTable(const QString& tableName)
{
    const QString name = NormalizeTableName(tableName);
    m_backend->refuseInConsistentRead();
    if (m_openTables.value(name.toLower()) > 0)
        throw EngineError(ErrorCode::TableInUse, QStringLiteral("Table %1 is open and cannot be removed.").arg(name));
    const ForgetDefinitions forget{m_tableDefs};
    m_backend->dropTable(name);
}

TableDef Database::tableDef(const QString& tableName)
{
    const QString name = NormalizeTableName(tableName);
    const std::optional<std::uint64_t> version = m_backend->structureVersion();
    if (!version)
        return m_backend->describeTable(name);
    if (*version != m_tableDefsVersion) {
        m_tableDefs.clear();
        m_tableDefsVersion = *version;
    }
    if (const auto it = m_tableDefs.constFind(name); it != m_tableDefs.constEnd())
        return *it;
    // A missing table is not kept: it is looked for again at every open.
    TableDef def = m_backend->describeTable(name);
    m_tableDefs.insert(name, def);
    return def;
}

bool Database::inTransaction() const
{
    return m_backend->inTransaction();
}

void Database::failAtWrite(int n)
{
    m_backend->failAtWrite(n);
}

std::int64_t Database::writeCount() const
{
    return m_backend->writeCount();
}

std::uint64_t Database::changeCount() const
{
    return m_backend->changeCount();
}

void Database::noteTableOpened(const QString& table, int delta)
{
    int& count = m_openTables[table.toLower()];
    count += delta;
    if (count <= 0)
        m_openTables.remove(table.toLower());
}

// ---- Transaction ------------------------------------------------------------

Transaction::Transaction(std::shared_ptr<Database> db)
    : m_db(std::move(db))
{
    if (!m_db)
        throw EngineError(ErrorCode::WrongState, QStringLiteral("A transaction needs a database."));
    if (m_db->inTransaction())
        throw EngineError(ErrorCode::TransactionActive,
                          QStringLiteral("A transaction is already active on %1.").arg(m_db->folder()));
    // Its writes would be made from data another workstation may have
    // changed since the snapshot; SQLite would refuse them halfway.
    if (m_db->inConsistentRead())
        throw EngineError(
            ErrorCode::TransactionActive,
            QStringLiteral("A transaction cannot begin while a consistent read of %1 is open.").arg(m_db->folder()));
    m_db->backend().begin();
    m_active = true;
}

Transaction::~Transaction()
{
    if (m_active)
        rollback();
}

void Transaction::commit()
{
    if (!m_active)
        throw EngineError(ErrorCode::WrongState, QStringLiteral("The transaction has already ended."));
    m_db->backend().commit();
    m_active = false;
    m_db->backend().releaseTransactionLocks();
}

void Transaction::rollback()
{
    if (!m_active)
        return;
    m_active = false;
    // A structure change undone takes the structure version back to a number
    // it had before; another process's next change could reach the number
    // the kept definitions were read at.
    m_db->forgetTableDefs();
    m_db->backend().rollback();
    m_db->backend().noteRolledBack();
    m_db->backend().releaseTransactionLocks();
}

// ---- ConsistentRead ---------------------------------------------------------

ConsistentRead::ConsistentRead(std::shared_ptr<Database> db)
    : m_db(std::move(db))
{
    if (!m_db)
        throw EngineError(ErrorCode::WrongState, QStringLiteral("A consistent read needs a database."));
    if (m_db->m_consistentReads == 0) {
        // A posting's reads are its own transaction's: on the server each
        // statement of it sees what others committed, and a snapshot cannot
        // be put in its place halfway.
        if (m_db->inTransaction())
            throw EngineError(
                ErrorCode::TransactionActive,
                QStringLiteral("A consistent read cannot begin inside a transaction of %1.").arg(m_db->folder()));
        m_db->backend().beginConsistentRead();
        // Rows the cursors buffered before the snapshot are read again at
        // their next move, and those read in it again after it ends.
        m_db->backend().noteChange();
    }
    ++m_db->m_consistentReads;
}

ConsistentRead::~ConsistentRead()
{
    if (--m_db->m_consistentReads > 0)
        return;
    m_db->backend().endConsistentRead();
    m_db->backend().noteChange();
}

// ---- aliases ----------------------------------------------------------------

namespace {

QString pathParameter(const QString& parameters)
{
    static const QRegularExpression separators(QStringLiteral("[;\\n\\r]"));
    for (const QString& part : parameters.split(separators, Qt::SkipEmptyParts)) {
        const int eq = part.indexOf(QLatin1Char('='));
        if (eq > 0 && part.left(eq).trimmed().compare(QLatin1String("path"), Qt::CaseInsensitive) == 0)
            return part.mid(eq + 1).trimmed();
    }
    return {};
}

} // namespace

void DefineAlias(const QString& alias, const QString& parameters)
{
    if (alias.trimmed().isEmpty())
        throw EngineError(ErrorCode::InvalidName, QStringLiteral("An alias needs a name."));
    aliases().insert(alias.trimmed().toLower(), {alias.trimmed(), parameters, pathParameter(parameters)});
}

void SetAliasPath(const QString& alias, const QString& folder)
{
    auto& table = aliases();
    auto it = table.find(alias.trimmed().toLower());
    if (it == table.end())
        DefineAlias(alias, QStringLiteral("path=") + folder);
    else
        it->path = folder;
}

bool AliasExists(const QString& alias)
{
    return aliases().contains(alias.trimmed().toLower());
}

QString AliasPath(const QString& alias)
{
    const auto it = aliases().constFind(alias.trimmed().toLower());
    if (it == aliases().constEnd())
        throw EngineError(ErrorCode::AliasNotFound, QStringLiteral("Unknown database alias: %1").arg(alias));
    return it->path;
}

void RemoveAlias(const QString& alias)
{
    aliases().remove(alias.trimmed().toLower());
}

std::shared_ptr<Database> AliasDatabase(const QString& alias)
{
    const QString path = AliasPath(alias);
    if (path.isEmpty())
        throw EngineError(ErrorCode::FolderNotFound, QStringLiteral("The alias %1 has no path.").arg(alias));
    return Database::forFolder(path);
}

} // namespace varnex::data
