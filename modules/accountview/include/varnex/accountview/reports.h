#pragma once
// The documents behind a statement line. The window decides which document a
// line has (keyed look-ups on the detail tables) and asks this service to show
// it; the default service builds the report form and previews it (see
// report_forms.h), and tests install a recorder.

#include <QDate>
#include <QString>
#include <QStringList>

class QWidget;

namespace varnex::accountview {

class TAccountDataModule;

// The statement line a document is asked for.
struct StatementLine {
    QString account; // client or supplier code
    QString invoice;
    QString reference;
    QDate date;
    QString type;
    QString purchaseOrder; // supplier purchases only
    bool current = true;   // from the current transactions (else history)
    QString languageTable; // the module's language table ("clviewfr")
};

class StatementReports {
public:
    virtual ~StatementReports() = default;
    // Client side.
    virtual void TransactionReport(TAccountDataModule& dm, const StatementLine& line, QWidget* parent) = 0;
    virtual void ReceiptReport(TAccountDataModule& dm, const StatementLine& line, QWidget* parent) = 0;
    virtual void InvoiceReprint(TAccountDataModule& dm, const StatementLine& line, QWidget* parent) = 0;
    virtual void ArchivedInvoiceReprint(TAccountDataModule& dm, const StatementLine& line, QWidget* parent) = 0;
    // Supplier side (the transaction and payment reports are the two above).
    virtual void PurchaseOrderReprint(TAccountDataModule& dm, const StatementLine& line, QWidget* parent) = 0;
};

StatementReports& Reports();
// Not owned; nullptr restores the default.
void SetStatementReports(StatementReports* reports);

// For tests: remembers each request as "<Kind>:<invoice>:<reference>:<type>".
class RecordingStatementReports : public StatementReports {
public:
    RecordingStatementReports();
    ~RecordingStatementReports() override;
    void TransactionReport(TAccountDataModule& dm, const StatementLine& line, QWidget* parent) override;
    void ReceiptReport(TAccountDataModule& dm, const StatementLine& line, QWidget* parent) override;
    void InvoiceReprint(TAccountDataModule& dm, const StatementLine& line, QWidget* parent) override;
    void ArchivedInvoiceReprint(TAccountDataModule& dm, const StatementLine& line, QWidget* parent) override;
    void PurchaseOrderReprint(TAccountDataModule& dm, const StatementLine& line, QWidget* parent) override;
    QStringList requests;

private:
    void note(const char* kind, const StatementLine& line);
};

} // namespace varnex::accountview
