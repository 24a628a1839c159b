#pragma once
// Rules every supplier posting shares: the due date from the payment terms,
// which accounts are accounts payable, the purchase journal number, the
// conversion of a supplier's currency into home currency, and rounding to
// cents. Plain functions: the windows, the demo company and the tests call
// the same code.

#include <array>
#include <memory>

#include <QDate>

#include "varnex/currency.h"

namespace varnex::data {
class Database;
}

namespace varnex::ledger {

// Round half away from zero to two decimals (2.345 -> 2.35, -2.345 -> -2.35).
using varnex::RoundToCents;

// Terms below 900 are a number of days after `from` (negative terms count
// back). Terms of 900 and more name day (terms - 900) of the month after the
// month of `from` (December goes to January of the next year). A day that
// month lacks (931 in February, 930 in February, 931 in April) gives that
// month's last day; day 0 gives the first of the month. An invalid `from`
// gives an invalid date.
QDate DueDateFromTerms(const QDate& from, int terms);

// The accounts-payable account of each supplier currency 0..4, from the
// company controls: Ctrl_ap_accnt for the home currency, Ctrl_ap_curr2 ..
// Ctrl_ap_curr5 for currencies 1..4.
struct PayableAccounts {
    std::array<int, 5> byCurrency{};

    // The account of a currency; 0 for a currency outside 0..4.
    int forCurrency(int currency) const;
    // True when `account` is any of the five (whatever the supplier's
    // currency: a row on the US payable account of a home-currency supplier
    // is still an accounts-payable row). Account 0 is never payable.
    bool contains(int account) const;
};

// Reads the five accounts from the first record of `ctrl`; all 0 when the
// table is empty.
PayableAccounts ReadPayableAccounts(const std::shared_ptr<data::Database>& company);
bool IsPayableAccount(const PayableAccounts& accounts, int account);

// The journal of purchases: 3 for the home currency (0), otherwise 31 + the
// supplier's currency (32 to 35 for currencies 1 to 4).
int PurchaseJournalNumber(int supplierCurrency);

// Exchange rates of the supplier currencies, as the company controls keep
// them: 1 for the home currency, Ctrl_curr1_rate .. Ctrl_curr4_rate for 1..4,
// held in single precision (stored figures were computed with those values).
struct ExchangeRates {
    std::array<float, 5> rate{1.0f, 1.0f, 1.0f, 1.0f, 1.0f};

    // The rate of a currency; 1 for a currency outside 0..4 or a rate of 0
    // (an unset rate must not wipe out stock values).
    double of(int currency) const;
    // Amount in the supplier's currency times the rate, four decimals.
    Currency toHome(Currency amount, int currency) const;
    // The same, rounded half away from zero to cents.
    Currency toHomeCents(Currency amount, int currency) const;
};

ExchangeRates ReadExchangeRates(const std::shared_ptr<data::Database>& company);

} // namespace varnex::ledger
