// The report forms of a statement line, opened from the window's "Detail"
// button, written to PDF and read back as a reader of the page sees them.

#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QRegularExpression>

#include "account_fixture.h"
#include "varnex/accountview/report_forms.h"

using namespace varnex;
using namespace varnex::accountview;
using namespace varnex::accountview::test;

namespace {

QString PdfText(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QStringLiteral("<pdftotext failed>");
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Writes every previewed report to a PDF file instead of showing it.
class PdfPreviews : public report::PreviewService {
public:
    explicit PdfPreviews(const QString& folder)
        : m_folder(folder)
    {
        report::SetPreviewService(this);
    }
    ~PdfPreviews() override { report::SetPreviewService(nullptr); }
    void preview(report::Report& form, QWidget*) override
    {
        if (fail)
            throw std::runtime_error("no printer");
        const QString path = m_folder + QStringLiteral("/%1.pdf").arg(forms.size());
        EXPECT_TRUE(form.exportPdf(path));
        forms << form.objectName();
        texts << PdfText(path);
    }
    QStringList forms;
    QStringList texts;
    bool fail = false;

private:
    QString m_folder;
};

// The line of the page text that holds `needle`, or -1.
int LineOf(const QString& text, const QString& needle)
{
    return int(text.split(QLatin1Char('\n'))
                   .indexOf(QRegularExpression(QStringLiteral(".*") + QRegularExpression::escape(needle)
                                               + QStringLiteral(".*"))));
}

class ReportForms : public AccountWindowFixture {
protected:
    void addGlm(int account, const char* description)
    {
        AddRow(db, QStringLiteral("glm"),
               {{QStringLiteral("Glm_account"), account},
                {QStringLiteral("Glm_Description"), QString::fromUtf8(description)}});
    }
    // Clicks "Detail" on the first statement line.
    void detail(TAccountForm& w)
    {
        w.PageControl1->setCurrentIndex(4);
        dm->statementTable(true).first();
        QTest::mouseClick(w.DetailButton, Qt::LeftButton);
    }
    PdfPreviews previews{root.path()};
};

const QDate Day(2024, 5, 1);

} // namespace

// Rows 1 and 3 of the distribution print with a blank row between; row 2 has
// an account but neither debit nor credit, so none of its texts print.
TEST_F(ReportForms, ClientTransactionPrintsUsedRowsInPlace)
{
    AddRow(db, QStringLiteral("cli"),
           {{QStringLiteral("Cli_code"), QStringLiteral("A1")},
            {QStringLiteral("Cli_name"), QStringLiteral("Acme Hardware")},
            {QStringLiteral("Cli_adr1"), QStringLiteral("12 Main Street")},
            {QStringLiteral("Cli_city"), QStringLiteral("Moncton")},
            {QStringLiteral("Cli_currency"), 0}});
    AddRow(db, QStringLiteral("car"),
           {{QStringLiteral("Car_client"), QStringLiteral("A1")},
            {QStringLiteral("Car_invoice"), QStringLiteral("1003")},
            {QStringLiteral("Car_ref"), QStringLiteral("R3")},
            {QStringLiteral("Car_date"), Day},
            {QStringLiteral("Car_type"), QStringLiteral("4")},
            {QStringLiteral("Car_amount"), Money("1234.5")}});
    addGlm(1200, "Receivables");
    addGlm(4100, "Unused account");
    addGlm(4000, "Sales");
    AddRow(db, QStringLiteral("arori"),
           {{QStringLiteral("Reference"), QStringLiteral("1003")},
            {QStringLiteral("Client"), QStringLiteral("A1")},
            {QStringLiteral("Date"), Day},
            {QStringLiteral("Dr_cr_reference"), QStringLiteral("R3")},
            {QStringLiteral("Trx_type"), QStringLiteral("4")},
            {QStringLiteral("User"), QStringLiteral("Marie")},
            {QStringLiteral("Comments"), QStringLiteral("Freight charged back")},
            {QStringLiteral("Account1"), 1200},
            {QStringLiteral("Debit1"), Money("1234.5")},
            {QStringLiteral("Account2"), 4100},
            {QStringLiteral("Debit2"), Money("0")},
            {QStringLiteral("Account3"), 4000},
            {QStringLiteral("Credit3"), Money("1234.5")}});
    detail(open(ClientSide()));
    ASSERT_EQ(previews.forms, QStringList{QStringLiteral("clview_qrfrm")});
    const QString text = previews.texts[0];
    for (const char* shown : {"Sales and adjustments", "Entered by:", "Marie", "Client code", "A1", "Acme Hardware",
                              "12 Main Street", "Moncton", "Debit/Credit reference", "R3", "Invoice number", "1003",
                              "Receivables", "1,234.50", "Sales", "Comments", "Freight charged back"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(shown))) << shown;
    EXPECT_FALSE(text.contains(QStringLiteral("4100")));
    EXPECT_FALSE(text.contains(QStringLiteral("Unused account")));
    const int first = LineOf(text, QStringLiteral("Receivables"));
    const int third = LineOf(text, QStringLiteral("Sales  "));
    ASSERT_GE(first, 0);
    EXPECT_GE(third - first, 2) << text.toStdString();
    EXPECT_TRUE(form->DetailButton->isEnabled());
}

// The supplier's disbursement: its distribution and the invoices it paid.
TEST_F(ReportForms, SupplierDisbursementListsThePaidInvoices)
{
    AddRow(db, QStringLiteral("sup"),
           {{QStringLiteral("Sup_code"), QStringLiteral("ACME")},
            {QStringLiteral("Sup_name"), QStringLiteral("Acme Supply")},
            {QStringLiteral("Sup_copies"), 1}});
    AddRow(db, QStringLiteral("cap"),
           {{QStringLiteral("Cap_supplier"), QStringLiteral("ACME")},
            {QStringLiteral("Cap_invoice"), QStringLiteral("P1")},
            {QStringLiteral("Cap_ref"), QStringLiteral("CHQ9")},
            {QStringLiteral("Cap_date"), Day},
            {QStringLiteral("Cap_type"), QStringLiteral("2")},
            {QStringLiteral("Cap_amount"), Money("-300")}});
    AddRow(db, QStringLiteral("cdorihdr"),
           {{QStringLiteral("Reference"), QStringLiteral("CHQ9")},
            {QStringLiteral("Supplier"), QStringLiteral("ACME")},
            {QStringLiteral("Date"), Day},
            {QStringLiteral("Account1"), 2100},
            {QStringLiteral("Debit1"), Money("300")},
            {QStringLiteral("Account2"), 1000},
            {QStringLiteral("Credit2"), Money("300")}});
    data::Table header;
    header.setDatabase(db);
    header.setTableName(QStringLiteral("cdorihdr"));
    header.open();
    header.first();
    const qlonglong seq = header.field(QStringLiteral("Seq")).asInteger();
    for (const auto& [invoice, amount] : {std::pair{"P1", "100"}, std::pair{"P2", "200"}})
        AddRow(db, QStringLiteral("cdoridet"),
               {{QStringLiteral("Reference"), QStringLiteral("CHQ9")},
                {QStringLiteral("Supplier"), QStringLiteral("ACME")},
                {QStringLiteral("Date"), Day},
                {QStringLiteral("Header_seq"), seq},
                {QStringLiteral("Invoice"), QString::fromLatin1(invoice)},
                {QStringLiteral("Invoice_amount"), Money(amount)},
                {QStringLiteral("Invoice_payment"), Money(amount)}});
    // Another payment's invoice on the same day must not show.
    AddRow(db, QStringLiteral("cdoridet"),
           {{QStringLiteral("Reference"), QStringLiteral("CHQ8")},
            {QStringLiteral("Supplier"), QStringLiteral("ACME")},
            {QStringLiteral("Date"), Day},
            {QStringLiteral("Header_seq"), seq},
            {QStringLiteral("Invoice"), QStringLiteral("P77")},
            {QStringLiteral("Invoice_amount"), Money("5")}});
    detail(open(SupplierSide()));
    ASSERT_EQ(previews.forms, QStringList{QStringLiteral("supview_qrfrm2")});
    const QString text = previews.texts[0];
    for (const char* shown : {"Cash disbursements", "Supplier code", "ACME", "Acme Supply", "Receipt not to a supplier",
                              "CHQ9", "Invoice", "Due date", "Payment", "P1", "P2", "200.00", "300.00"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(shown))) << shown;
    EXPECT_FALSE(text.contains(QStringLiteral("P77")));
    EXPECT_LT(LineOf(text, QStringLiteral("P1 ")), LineOf(text, QStringLiteral("P2 ")));
}

// A preview that fails leaves the window usable; the form is freed and the
// error goes on to the application.
TEST_F(ReportForms, FailedPreviewLeavesTheWindowUsable)
{
    AddRow(db, QStringLiteral("cli"),
           {{QStringLiteral("Cli_code"), QStringLiteral("A1")}, {QStringLiteral("Cli_currency"), 0}});
    AddRow(db, QStringLiteral("car"),
           {{QStringLiteral("Car_client"), QStringLiteral("A1")},
            {QStringLiteral("Car_invoice"), QStringLiteral("1")},
            {QStringLiteral("Car_ref"), QStringLiteral("CH1")},
            {QStringLiteral("Car_date"), Day},
            {QStringLiteral("Car_type"), QStringLiteral("2")},
            {QStringLiteral("Car_amount"), Money("-1")}});
    AddRow(db, QStringLiteral("crorihdr"),
           {{QStringLiteral("Reference"), QStringLiteral("CH1")},
            {QStringLiteral("Client"), QStringLiteral("A1")},
            {QStringLiteral("Date"), Day}});
    TAccountForm& w = open(ClientSide());
    previews.fail = true;
    w.PageControl1->setCurrentIndex(4);
    EXPECT_THROW(w.ShowStatementDetail(), std::runtime_error);
    EXPECT_TRUE(w.DetailButton->isEnabled());
    EXPECT_FALSE(dm->receiptHeader.isOpen());
    previews.fail = false;
    w.ShowStatementDetail();
    EXPECT_EQ(previews.forms, QStringList{QStringLiteral("clview_qrfrm2")});
    EXPECT_TRUE(previews.texts.value(0).contains(QStringLiteral("Cash receipts")));
}

// In French the report takes its texts from the module's French table.
TEST_F(ReportForms, FrenchUserGetsTheFrenchReport)
{
    link.raw().Link_language = 2;
    link.setLangCode(QStringLiteral("fr"));
    AddRow(db, QStringLiteral("cli"),
           {{QStringLiteral("Cli_code"), QStringLiteral("A1")}, {QStringLiteral("Cli_currency"), 0}});
    AddRow(db, QStringLiteral("car"),
           {{QStringLiteral("Car_client"), QStringLiteral("A1")},
            {QStringLiteral("Car_invoice"), QStringLiteral("7")},
            {QStringLiteral("Car_ref"), QStringLiteral("R7")},
            {QStringLiteral("Car_date"), Day},
            {QStringLiteral("Car_type"), QStringLiteral("3")},
            {QStringLiteral("Car_amount"), Money("5")}});
    AddRow(db, QStringLiteral("arori"),
           {{QStringLiteral("Reference"), QStringLiteral("7")},
            {QStringLiteral("Client"), QStringLiteral("A1")},
            {QStringLiteral("Date"), Day},
            {QStringLiteral("Dr_cr_reference"), QStringLiteral("R7")},
            {QStringLiteral("Account1"), 1200},
            {QStringLiteral("Debit1"), Money("5")}});
    detail(open(ClientSide()));
    ASSERT_EQ(previews.forms, QStringList{QStringLiteral("clview_qrfrm")});
    for (const char* shown : {"Ventes et ajustements", "Code du client", "Référence débit/crédit", "Débit", "5.00"})
        EXPECT_TRUE(previews.texts[0].contains(QString::fromUtf8(shown))) << shown;
    EXPECT_FALSE(previews.texts[0].contains(QStringLiteral("Sales and adjustments")));
}
