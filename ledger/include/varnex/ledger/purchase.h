#pragma once
// A supplier document (purchase, debit note, credit note, adjustment, or a
// direct/cash purchase without supplier account) and its posting.
//
// The entry window fills a PurchaseDocument as it holds the entry (header,
// eleven rows) plus what its dialogs answered (tax lines, holdback, job-cost
// distribution), then calls PostPurchase. PostPurchase checks what needs no
// user, locks the supplier (waiting for another workstation), and writes in
// one transaction, in this order: per used row the journal header (shared by
// rows with the same period, journal, invoice and date) and the journal line,
// at the first accounts-payable row the supplier's balances and open items
// (and the holdback item), then the tax report lines, the job-cost
// transactions and the purchase document. Either all of it is stored or none.

#include <array>
#include <memory>
#include <vector>

#include <QDate>
#include <QDateTime>
#include <QString>

#include "varnex/currency.h"
#include "varnex/ledger/posting.h"
#include "varnex/ledger/terms.h"

namespace varnex::data {
class Database;
}

namespace varnex::ledger {

// Type codes stored in Cap_type and Trx_type.
inline const QString PurchaseTypeCode = QStringLiteral("1");
inline const QString AdjustmentTypeCode = QStringLiteral("3");
inline const QString DebitTypeCode = QStringLiteral("4");
inline const QString CreditTypeCode = QStringLiteral("5");
inline const QString HoldbackTypeCode = QStringLiteral("6");

inline constexpr int PurchaseRowCount = 11;

// One row of the distribution grid. A row with account 0 is unused; an
// amount is either a debit or a credit (the window keeps only one of them).
struct PurchaseRow {
    int account = 0;
    QString description;
    Currency debit;
    Currency credit;

    bool hasAmount() const { return !debit.isZero() || !credit.isZero(); }
};

// One record of the tax dialog: Type 4 for tax on a debit (tax paid), 6 for
// tax on a credit (tax reversed). `totalAmount` is the net amount the user
// typed. Lines come as the dialog returned them: PostPurchase itself negates
// the positive amounts of Type 6.
struct TaxLine {
    QString description;
    double rate = 0;
    Currency taxAmount;
    Currency totalAmount;
    int type = 4;
};

// One line of the job-cost distribution dialog.
struct JobCostLine {
    QString project;
    QString phase;
    QString element;
    double quantity = 0;
    double rate = 0;
    Currency amount; // quantity x rate, as the dialog computed it
};

struct PurchaseDocument {
    // Header as the entry window holds it.
    QString typeCode = PurchaseTypeCode; // "1", "3", "4" or "5"
    QString supplierCode;                // empty for a direct/cash purchase
    bool directCash = false;
    QString invoiceNumber; // upper case, as the window leaves it
    QString drCrReference; // Debit, Credit, Adjustment
    QString poNumber;      // optional; must be a purchase order ("2")
    QDate date;
    QDate dueDate;
    QString memo;
    int period = 0;  // PostingPeriod
    int session = 0; // Link_session
    QString user;    // Link_user
    QDateTime stamp; // "now" of the stamps; current time when invalid

    std::array<PurchaseRow, PurchaseRowCount> rows{};

    // What the dialogs answered.
    std::vector<TaxLine> taxLines; // only used when Ctrl_TaxSystem is not 0
    double holdbackPercent = 0;    // 0: no holdback
    QDate holdbackDueDate;
    bool jobCostEnabled = false;
    std::vector<JobCostLine> jobCost; // written only when jobCostEnabled
    QString jobCostTypeDescription;   // JcTrans_TypeDesc, the window's message line
};

// ApAmount: debit plus credit over the rows whose account is payable and
// whose debit or credit is greater than 0 (0 for a direct/cash purchase).
Currency PayableAmount(const PurchaseDocument& document, const PayableAccounts& payables);

// The amount held back: RoundToCents(amount x percent / 100); 0 when the
// percentage is not greater than 0.
Currency HoldbackAmount(Currency amount, double percent);

// True when the supplier has an open item of exactly this invoice number
// whose Cap_type equals `typeCode` (the test of the invoice box).
bool InvoiceExists(const std::shared_ptr<data::Database>& company, const QString& supplierCode,
                   const QString& invoiceNumber, const QString& typeCode);

// The tax lines the tax dialog starts from: for each used row whose account
// is a tax account of taxratesP, a line of Type 4 (debit) or 6 (credit) with
// the row's amount as tax; a zero-rated account with no amount gives a line
// of Type 6 for a Credit document and 4 otherwise, with zero amounts.
std::vector<TaxLine> BuildTaxLines(const std::shared_ptr<data::Database>& company, const PurchaseDocument& document);

// The checks PostPurchase makes before anything is written, in the window's
// order: invoice, reference, balance, purchase order, payable rows of a
// cash purchase, accounts in glm, supplier. Ok when the document may be posted.
PostingResult CheckPurchase(const std::shared_ptr<data::Database>& company, const PurchaseDocument& document);

PostingResult PostPurchase(std::shared_ptr<data::Database> company, const PurchaseDocument& document);
PostingResult PostPurchase(std::shared_ptr<data::Database> company, const PurchaseDocument& document,
                           const PostingOptions& options);

// Posts like PostPurchase, keeping its cursors open from one posting to the
// next (an entry window, the demo, a batch): opening a table costs more than
// the writes of a small document. Holds the company's tables open while it
// lives; one poster per thread.
class PurchasePoster {
public:
    explicit PurchasePoster(std::shared_ptr<data::Database> company);
    ~PurchasePoster();
    PurchasePoster(const PurchasePoster&) = delete;
    PurchasePoster& operator=(const PurchasePoster&) = delete;

    PostingResult post(const PurchaseDocument& document, const PostingOptions& options = {});

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace varnex::ledger
