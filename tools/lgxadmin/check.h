#pragma once
// Consistency check of a company folder: the ledger's invariants (balances
// against open items, journal headers against their lines, stock against its
// cost layers ...), for the folder the administrator names.

#include <QString>

#include "varnex/ledger/check.h"

using varnex::ledger::CheckReport;

// Throws varnex::data::SetupError when the folder is not a company folder.
CheckReport CheckCompany(const QString& companyFolder);
