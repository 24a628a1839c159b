#include "varnex/accountview/reports.h"

namespace varnex::accountview {

namespace {

// Shows nothing: the report windows are installed by the reports library.
class NoReports : public StatementReports {
public:
    void TransactionReport(TAccountDataModule&, const StatementLine&, QWidget*) override {}
    void ReceiptReport(TAccountDataModule&, const StatementLine&, QWidget*) override {}
    void InvoiceReprint(TAccountDataModule&, const StatementLine&, QWidget*) override {}
    void ArchivedInvoiceReprint(TAccountDataModule&, const StatementLine&, QWidget*) override {}
    void PurchaseOrderReprint(TAccountDataModule&, const StatementLine&, QWidget*) override {}
};

StatementReports* g_reports = nullptr;

} // namespace

StatementReports& Reports()
{
    static NoReports none;
    return g_reports ? *g_reports : none;
}

void SetStatementReports(StatementReports* reports)
{
    g_reports = reports;
}

RecordingStatementReports::RecordingStatementReports()
{
    SetStatementReports(this);
}

RecordingStatementReports::~RecordingStatementReports()
{
    if (g_reports == this)
        SetStatementReports(nullptr);
}

void RecordingStatementReports::note(const char* kind, const StatementLine& line)
{
    requests << QStringLiteral("%1:%2:%3:%4").arg(QString::fromLatin1(kind), line.invoice, line.reference, line.type);
}

void RecordingStatementReports::TransactionReport(TAccountDataModule&, const StatementLine& line, QWidget*)
{
    note("Transaction", line);
}
void RecordingStatementReports::ReceiptReport(TAccountDataModule&, const StatementLine& line, QWidget*)
{
    note("Receipt", line);
}
void RecordingStatementReports::InvoiceReprint(TAccountDataModule&, const StatementLine& line, QWidget*)
{
    note("Invoice", line);
}
void RecordingStatementReports::ArchivedInvoiceReprint(TAccountDataModule&, const StatementLine& line, QWidget*)
{
    note("ArchivedInvoice", line);
}
void RecordingStatementReports::PurchaseOrderReprint(TAccountDataModule&, const StatementLine& line, QWidget*)
{
    note("PurchaseOrder", line);
}

} // namespace varnex::accountview
