#include "varnex/accountview/reports.h"

#include "varnex/accountview/report_forms.h"

namespace varnex::accountview {

namespace {

StatementReports* g_reports = nullptr;

} // namespace

StatementReports& Reports()
{
    static PreviewStatementReports preview;
    return g_reports ? *g_reports : preview;
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
