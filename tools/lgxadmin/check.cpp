#include "check.h"

#include <QDir>

#include "varnex/data/company.h"
#include "varnex/data/database.h"

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
