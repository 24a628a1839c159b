#pragma once
// The documents behind a statement line as report forms, built over the data
// module's tables as the window left them positioned (the entered transaction
// filtered to the line, the receipt header found by key). Each form is built
// for one preview and freed after it.

#include <memory>

#include "varnex/accountview/reports.h"
#include "varnex/report/report.h"

namespace varnex::accountview {

// "Sales and adjustments" / "Purchases": one detail per entered transaction.
std::unique_ptr<report::Report> MakeTransactionReport(TAccountDataModule& dm);
// "Cash receipts" / "Cash disbursements": the current receipt header and the
// invoices it paid.
std::unique_ptr<report::Report> MakeReceiptReport(TAccountDataModule& dm);

// The invoice the window found in the current (fahdr) or archived (fahdra)
// header table, with its lines, totals, payments and ratios.
std::unique_ptr<report::Report> MakeInvoiceReprint(TAccountDataModule& dm, bool archived);
// The tax columns of a company outside Canada take the form's own wording
// ("Tax 1", "Tax 2" in the user's language); run after the translation.
void UseInternationalTaxCaptions(report::Report& form);

// The receipts of a purchase order. Without a receipt there is no form, and
// *missingLine names the message: the order does not exist, or nothing was
// received on it.
std::unique_ptr<report::Report> MakePurchaseOrderReprint(TAccountDataModule& dm, const QString& order,
                                                         int* missingLine);
// Quantity received x unit price less the discount (a percentage).
Currency ReceivedCost(double quantity, double price, double discountPercent);

// While an invoice reprint runs the process-wide currency string is a blank
// and the amounts carry the account's symbol in their masks instead, placed
// as the currency format says; the string is put back when this ends, also
// when the preview fails.
class ReportAmountSymbol {
public:
    explicit ReportAmountSymbol(report::Report& form);
    ~ReportAmountSymbol();
    ReportAmountSymbol(const ReportAmountSymbol&) = delete;
    ReportAmountSymbol& operator=(const ReportAmountSymbol&) = delete;

private:
    QString m_saved;
};

// Translates a report form with the module's language table; without the
// table the form keeps its English texts.
void TranslateReport(report::Report& form, const QString& languageTable);

// The service the window calls: builds, translates and previews the forms.
class PreviewStatementReports : public StatementReports {
public:
    void TransactionReport(TAccountDataModule& dm, const StatementLine& line, QWidget* parent) override;
    void ReceiptReport(TAccountDataModule& dm, const StatementLine& line, QWidget* parent) override;
    void InvoiceReprint(TAccountDataModule& dm, const StatementLine& line, QWidget* parent) override;
    void ArchivedInvoiceReprint(TAccountDataModule& dm, const StatementLine& line, QWidget* parent) override;
    void PurchaseOrderReprint(TAccountDataModule& dm, const StatementLine& line, QWidget* parent) override;
};

} // namespace varnex::accountview
