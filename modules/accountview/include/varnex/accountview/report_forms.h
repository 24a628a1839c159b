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
