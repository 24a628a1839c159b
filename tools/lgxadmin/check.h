#pragma once
// Consistency check of a company folder: the ledger's invariants (balances
// against open items, journal headers against their lines, stock against its
// cost layers ...), for the folder the administrator names.

#include <QString>
#include <QStringList>

#include "varnex/ledger/check.h"

using varnex::ledger::CheckReport;

// Throws varnex::data::SetupError when the folder is not a company folder.
CheckReport CheckCompany(const QString& companyFolder);

// Damage the storage engine finds below the rows, in the folder's database:
// the embedded engine's page-level check (a scrambled page that no balance
// happens to read passes every ledger check); on the server, every table read
// through, which makes the server check the pages it keeps. Empty when sound;
// a database that cannot even be opened is one problem.
QStringList DamageOf(const QString& folder);

// True when the data folders of this run are schemas of the server engine.
bool UsingServerEngine();
