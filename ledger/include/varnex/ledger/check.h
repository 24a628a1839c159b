#pragma once
// The invariants the postings of this library keep, checked over a whole
// company: every posting test, the crash and concurrency tests and
// `lgxadmin check` use this one oracle.
//
// - a supplier's (client's) balance equals the sum of its open items;
// - each journal header's totals equal the sums of its lines, a header is
//   written once, and each journal entry balances (debits = credits);
// - stock on hand equals the sum of the cost layers; layers 2 to 5 are never
//   negative; a layer has a date exactly when it has a cost; no cost is negative;
// - quantities on order and still pending on an order are never negative;
// - every receipt line and movement line has its header.

#include <memory>

#include <QStringList>

namespace varnex::data {
class Database;
}

namespace varnex::ledger {

struct CheckReport {
    QStringList differences; // one line per difference found
    int suppliers = 0;
    int clients = 0;
    int journalHeaders = 0;
    int inventoryRecords = 0;
    int receipts = 0;

    bool ok() const { return differences.isEmpty(); }
};

CheckReport CheckCompany(const std::shared_ptr<data::Database>& company);

} // namespace varnex::ledger
