#include "check.h"

#include <QDir>

#include "varnex/data/company.h"
#include "varnex/data/database.h"
#include "varnex/data/engine_error.h"
#include "varnex/data/query.h"
#include "varnex/settings.h"

using namespace varnex::data;

CheckReport CheckCompany(const QString& companyFolder)
{
    if (!QDir(companyFolder).exists())
        throw SetupError(QStringLiteral("The company folder %1 does not exist.").arg(companyFolder));
    auto db = Database::forFolder(companyFolder);
    for (const char* table : {"ctrl", "sup", "cap", "cli", "car", "tjlh", "tjld", "ivinv"})
        if (!db->tableExists(QString::fromLatin1(table)))
            throw SetupError(QStringLiteral("%1 is not a company folder (no %2 table).")
                                 .arg(companyFolder, QString::fromLatin1(table)));
    return varnex::ledger::CheckCompany(db);
}

bool UsingServerEngine()
{
    QString engine = QString::fromLocal8Bit(qgetenv("VARNEX_ENGINE"));
    if (engine.isEmpty())
        engine = varnex::SettingsStore::machine().value(QStringLiteral("Lgx"), QStringLiteral("engine"));
    return engine.trimmed().compare(QLatin1String("postgresql"), Qt::CaseInsensitive) == 0;
}

QStringList DamageOf(const QString& folder)
{
    QStringList problems;
    try {
        auto db = Database::forFolder(folder);
        if (!UsingServerEngine()) {
            Query check(db, QStringLiteral("PRAGMA integrity_check"));
            check.open();
            for (check.first(); !check.eof(); check.next()) {
                const QString line = check.fieldByNumber(0).asString();
                if (line != QLatin1String("ok"))
                    problems << line;
            }
            return problems;
        }
        for (const QString& table : db->tableNames()) {
            try {
                Query read(db, QStringLiteral("SELECT count(*) FROM %1").arg(table));
                read.open();
            } catch (const EngineError& e) {
                problems << table + QStringLiteral(": ") + e.message();
            }
        }
    } catch (const EngineError& e) {
        problems << e.message();
    }
    return problems;
}
