#pragma once
// Consistency check of a company folder: balances against open items,
// journal headers against their lines, inventory cost layers.

#include <QString>
#include <QStringList>

struct CheckReport {
    QStringList differences; // one line per difference found
    int suppliers = 0;
    int clients = 0;
    int journalHeaders = 0;
    int inventoryRecords = 0;
};

// Throws varnex::data::SetupError when the folder is not a company folder.
CheckReport CheckCompany(const QString& companyFolder);
