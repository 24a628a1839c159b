#pragma once
// What a posting returns, and how it waits for records another workstation
// holds.
//
// Every posting of this library runs in three phases: the checks that need no
// user (nothing written when one fails), the record locks of every existing
// record it will change, taken outside the transaction and waited for as
// long as another workstation holds them, then every write in one
// transaction. Whatever fails, nothing of the posting stays written and the
// result says what failed; the caller keeps its entry on the screen so the
// user can try again.

#include <functional>

#include <QString>

namespace varnex::ledger {

// Why a posting stopped before writing anything. The windows map these to
// their own message lines; the ledger never shows anything itself.
enum class PostingCheck {
    None,                  // no check failed (ok, or a write failed)
    EmptyInvoice,          // invoice number empty after trimming
    EmptyReference,        // Dr/Cr reference empty on a debit, credit or adjustment
    Unbalanced,            // debit total differs from credit total
    UnknownOrder,          // a purchase-order number that is not in cfhdr
    PayableOnCashPurchase, // a direct/cash purchase with an amount on an accounts-payable row
    UnknownAccount,        // a row with an amount whose account is not in glm (row in `row`)
    UnknownSupplier,       // the supplier is not in sup
    UnknownType,           // a type code other than "1", "3", "4", "5"
    TooManyRows,           // more than eleven rows
    EmptyPackingSlip,      // a receipt without packing slip
    PackingSlipUsed,       // the packing slip is already a receipt
    MissingSerials,        // a serial-numbered line has fewer serial numbers than units (row in `row`)
    UnknownProduct,        // a stock line whose product is not in ivprod (row in `row`)
    LockNotTaken,          // the lock wait was given up (LockWait returned false)
};

struct PostingResult {
    bool ok = true;
    PostingCheck check = PostingCheck::None;
    // What failed, for the user: the engine's message of the failed write, or
    // the name of the check. The windows prefer their own message lines for
    // the checks.
    QString message;
    // The engine's error (category = high byte, code = 0x2801 style number);
    // 0 when no engine error was involved.
    int errorCategory = 0;
    int errorCode = 0;
    // The table and record concerned ("sup", "LEVESQUE"), when known.
    QString table;
    QString record;
    // 1-based row or line of the document a check concerns; 0 otherwise.
    int row = 0;

    explicit operator bool() const { return ok; }
    static PostingResult success() { return {}; }
    static PostingResult failedCheck(PostingCheck check, const QString& message, int row = 0);
};

// Called between two attempts to lock a record that another workstation
// holds: `table`, the record's key as text and the attempt number (1 for the
// first wait). Returns false to give up (the posting then fails with
// PostingCheck::LockNotTaken, nothing written). The windows pass a wait that
// keeps painting and shows that it waits for another workstation; the
// default sleeps LockRetryPauseMs and never gives up.
using LockWait = std::function<bool(const QString& table, const QString& record, int attempt)>;

inline constexpr int LockRetryPauseMs = 100;

struct PostingOptions {
    LockWait lockWait; // empty: sleep and retry for ever
};

} // namespace varnex::ledger
