// The report forms of a statement line, opened from the window's "Detail"
// button, written to PDF and read back as a reader of the page sees them.

#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QRegularExpression>

#include "account_fixture.h"
#include "varnex/accountview/report_forms.h"
#include "varnex/data/query.h"
#include "varnex/settings.h"

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
        currencyStrings << Regional().currencyString;
        const QString path = m_folder + QStringLiteral("/%1.pdf").arg(forms.size());
        EXPECT_TRUE(form.exportPdf(path));
        forms << form.objectName();
        texts << PdfText(path);
    }
    QStringList forms;
    QStringList texts;
    QStringList currencyStrings; // the process-wide string while each report ran
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
    // Supplier ACME with one statement line for invoice P1.
    void supplierWithLine(const char* reference, const char* type, const char* amount)
    {
        AddRow(db, QStringLiteral("sup"),
               {{QStringLiteral("Sup_code"), QStringLiteral("ACME")},
                {QStringLiteral("Sup_name"), QStringLiteral("Acme Supply")},
                {QStringLiteral("Sup_copies"), 1}});
        AddRow(db, QStringLiteral("cap"),
               {{QStringLiteral("Cap_supplier"), QStringLiteral("ACME")},
                {QStringLiteral("Cap_invoice"), QStringLiteral("P1")},
                {QStringLiteral("Cap_ref"), QString::fromLatin1(reference)},
                {QStringLiteral("Cap_date"), QDate(2024, 5, 1)},
                {QStringLiteral("Cap_type"), QString::fromLatin1(type)},
                {QStringLiteral("Cap_amount"), Money(amount)}});
    }
    // A client with one statement line for invoice `invoice`.
    void clientWithInvoiceLine(const QString& invoice)
    {
        AddRow(db, QStringLiteral("cli"),
               {{QStringLiteral("Cli_code"), QStringLiteral("A1")},
                {QStringLiteral("Cli_name"), QStringLiteral("Acme Hardware")},
                {QStringLiteral("Cli_currency"), 0}});
        AddRow(db, QStringLiteral("car"),
               {{QStringLiteral("Car_client"), QStringLiteral("A1")},
                {QStringLiteral("Car_invoice"), invoice},
                {QStringLiteral("Car_date"), QDate(2024, 5, 1)},
                {QStringLiteral("Car_type"), QStringLiteral("1")},
                {QStringLiteral("Car_amount"), Money("10")}});
    }
    // An invoice header in the current or the archived tables.
    void addInvoice(bool archived, const QString& invoice, const QList<QPair<QString, QVariant>>& more = {})
    {
        const QString h = archived ? QStringLiteral("Fahdra_") : QStringLiteral("Fahdr_");
        QList<QPair<QString, QVariant>> values = {{h + QStringLiteral("doc"), QStringLiteral("1")},
                                                  {h + QStringLiteral("invoice"), invoice},
                                                  {h + QStringLiteral("client"), QStringLiteral("A1")},
                                                  {h + QStringLiteral("date"), QDate(2024, 5, 1)}};
        for (const auto& [name, value] : more)
            values.append({h + name, value});
        AddRow(db, archived ? QStringLiteral("fahdra") : QStringLiteral("fahdr"), values);
    }
    void addInvoiceLine(bool archived, const QString& invoice, const QList<QPair<QString, QVariant>>& fields)
    {
        const QString l = archived ? QStringLiteral("Fadeta_") : QStringLiteral("Fadet_");
        QList<QPair<QString, QVariant>> values = {{l + QStringLiteral("doc"), QStringLiteral("1")},
                                                  {l + QStringLiteral("invoice"), invoice}};
        for (const auto& [name, value] : fields)
            values.append({l + name, value});
        AddRow(db, archived ? QStringLiteral("fadeta") : QStringLiteral("fadet"), values);
    }
    PdfPreviews previews{root.path()};
};

// The last two words of the page line holding `needle`: a row of the
// reprints ends with two ratios or two amounts.
QStringList LastTwoWords(const QString& text, const QString& needle)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    const int at = LineOf(text, needle);
    const QStringList words = at < 0 ? QStringList() : lines[at].split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return words.size() < 2 ? words : words.sliced(words.size() - 2);
}

// The invoice's margin and markup: each ends the row of a total.
QStringList InvoiceRatios(const QString& text)
{
    return {LastTwoWords(text, QStringLiteral("Total sales:")).value(1),
            LastTwoWords(text, QStringLiteral("Total cost:")).value(1)};
}

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
    supplierWithLine("CHQ9", "2", "-300");
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

// The invoice as printed: the header, a line with its figures, a text line
// showing its description only, a serial number under its line, the totals,
// the invoice's ratios and one payment line per payment the company names.
TEST_F(ReportForms, CurrentInvoiceReprint)
{
    clientWithInvoiceLine(QStringLiteral("I100"));
    setCtrl({{QStringLiteral("Ctrl_pmt_name1"), QStringLiteral("Cash")},
             {QStringLiteral("Ctrl_pmt_name2"), QStringLiteral("Cheque")},
             {QStringLiteral("Ctrl_pmt_name5"), QStringLiteral("Visa")}});
    addInvoice(false, QStringLiteral("I100"),
               {{QStringLiteral("user"), QStringLiteral("Marie")},
                {QStringLiteral("slsm"), QStringLiteral("REP9")},
                {QStringLiteral("shp_city"), QStringLiteral("Moncton")},
                {QStringLiteral("store"), 4},
                {QStringLiteral("pmt1"), Money("5")},
                {QStringLiteral("pmt2"), Money("6.6")},
                {QStringLiteral("pmt3"), Money("77.77")},
                {QStringLiteral("pmt5"), Money("11")}});
    addInvoiceLine(false, QStringLiteral("I100"),
                   {{QStringLiteral("line_code"), QStringLiteral("HW")},
                    {QStringLiteral("item_code"), QStringLiteral("HAMMER-16")},
                    {QStringLiteral("desc"), QStringLiteral("Claw hammer")},
                    {QStringLiteral("qty_order"), 2.0},
                    {QStringLiteral("qty_ship"), 1234.5},
                    {QStringLiteral("price"), 0.0162},
                    {QStringLiteral("total"), Money("20")},
                    {QStringLiteral("cost"), Money("15")},
                    {QStringLiteral("tax1"), Money("1")},
                    {QStringLiteral("tax2"), Money("1.6")},
                    {QStringLiteral("Serial"), QStringLiteral("SN-4471")}});
    addInvoiceLine(false, QStringLiteral("I100"),
                   {{QStringLiteral("item_code"), QStringLiteral("NOTE-ITEM")},
                    {QStringLiteral("desc"), QStringLiteral("Deliver by the back door")},
                    {QStringLiteral("qty_ship"), 9.0},
                    {QStringLiteral("price"), 987.0}});
    // Another invoice's line never shows.
    addInvoiceLine(false, QStringLiteral("I101"), {{QStringLiteral("desc"), QStringLiteral("Other invoice")}});
    detail(open(ClientSide()));
    ASSERT_EQ(previews.forms, QStringList{QStringLiteral("invreprint_qrfrm")})
        << messages.texts().join(QLatin1Char('|')).toStdString();
    const QString text = previews.texts[0];
    for (const char* shown : {"Time entered:", "Marie",
                              "Invoice",       "Unit Price",
                              "GST",           "PST",
                              "Line Total",    "Margin %",
                              "Markup %",      "I100",
                              "Acme Hardware", "Sales rep:",
                              "REP9",          "Moncton",
                              "Store:",        "HAMMER-16",
                              "Claw hammer",   "1,234.50",
                              "0.02",          "Serial number:",
                              "SN-4471",       "Deliver by the back door",
                              "Total sales:",  "$22.60",
                              "Total cost:",   "$15.00",
                              "Cash",          "Cheque",
                              "Visa",          "6.60",
                              "11.00"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(shown))) << shown << "\n" << text.toStdString();
    for (const char* hidden : {"NOTE-ITEM", "987", "9.00", "Other invoice", "77.77"})
        EXPECT_FALSE(text.contains(QString::fromUtf8(hidden))) << hidden;
    // The line's own margin and markup, then the invoice's.
    EXPECT_EQ(LastTwoWords(text, QStringLiteral("Claw hammer")),
              QStringList({QStringLiteral("25.00"), QStringLiteral("33.33")}));
    EXPECT_EQ(InvoiceRatios(text), QStringList({QStringLiteral("25.00"), QStringLiteral("33.33")}));
    EXPECT_EQ(LineOf(text, QStringLiteral("SN-4471")), LineOf(text, QStringLiteral("Claw hammer")) + 1);
    // Three payment names, three payment lines, each in the place of its number.
    EXPECT_EQ(LineOf(text, QStringLiteral("Cheque")), LineOf(text, QStringLiteral("Cash")) + 1);
    EXPECT_GE(LineOf(text, QStringLiteral("Visa")), LineOf(text, QStringLiteral("Cheque")) + 3);
    // The window's tables are as they were: the lines are no longer tied to
    // this invoice.
    EXPECT_FALSE(dm->fadet.isOpen());
    dm->fadet.open();
    EXPECT_EQ(dm->fadet.recordCount(), 3);
    dm->fadet.close();
}

// The invoice's margin and markup: "0.00" (current) or "0" (archived) when a
// divisor is 0; otherwise two decimals, or every significant digit in the
// archived reprint.
TEST_F(ReportForms, InvoiceRatiosOfCurrentAndArchivedReprints)
{
    struct Case {
        bool archived;
        const char* total;
        const char* cost;
        QStringList ratios;
    };
    const Case cases[] = {
        {false, "0", "0", {QStringLiteral("0.00"), QStringLiteral("0.00")}},
        {true, "0", "0", {QStringLiteral("0"), QStringLiteral("0")}},
        {false, "30", "20", {QStringLiteral("33.33"), QStringLiteral("50.00")}},
        {true, "30", "20", {QStringLiteral("33.3333333333333"), QStringLiteral("50")}},
        {false, "30", "0", {QStringLiteral("100.00"), QStringLiteral("0.00")}}, // nothing cost: no markup
    };
    clientWithInvoiceLine(QStringLiteral("I7"));
    TAccountForm& w = open(ClientSide());
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.archived ? "archived " : "current ") + c.total + "/" + c.cost);
        for (const char* table : {"fahdr", "fadet", "fahdra", "fadeta"})
            data::Query(db, QStringLiteral("DELETE FROM %1").arg(QString::fromLatin1(table))).execSql();
        addInvoice(c.archived, QStringLiteral("I7"));
        // Two lines, so the ratio is of the invoice's sums, not of a line.
        for (const char* part : {"0.5", "0.5"}) {
            const Currency half = *Currency::parse(QString::fromLatin1(part));
            addInvoiceLine(c.archived, QStringLiteral("I7"),
                           {{QStringLiteral("line_code"), QStringLiteral("HW")},
                            {QStringLiteral("qty_order"), 1.0},
                            {QStringLiteral("total"),
                             QVariant::fromValue(Currency::parse(QString::fromLatin1(c.total))->multipliedBy(half))},
                            {QStringLiteral("cost"),
                             QVariant::fromValue(Currency::parse(QString::fromLatin1(c.cost))->multipliedBy(half))}});
        }
        previews.texts.clear();
        previews.forms.clear();
        detail(w);
        ASSERT_EQ(previews.forms.size(), 1);
        EXPECT_EQ(previews.forms[0],
                  c.archived ? QStringLiteral("invreprint_qrfrm2") : QStringLiteral("invreprint_qrfrm"));
        EXPECT_EQ(InvoiceRatios(previews.texts[0]), c.ratios) << previews.texts[0].toStdString();
    }
}

// A company outside Canada names its tax columns "Tax 1" and "Tax 2"; a French
// user reads the report in French.
TEST_F(ReportForms, InternationalFrenchInvoice)
{
    SettingsStore::machine().setValue(QStringLiteral("Settings"), QStringLiteral("Intl"), QStringLiteral("y"));
    link.raw().Link_language = 2;
    link.setLangCode(QStringLiteral("fr"));
    clientWithInvoiceLine(QStringLiteral("I9"));
    addInvoice(true, QStringLiteral("I9"));
    addInvoiceLine(true, QStringLiteral("I9"),
                   {{QStringLiteral("line_code"), QStringLiteral("HW")},
                    {QStringLiteral("qty_order"), 1.0},
                    {QStringLiteral("Serial"), QStringLiteral("SN-1")}});
    detail(open(ClientSide()));
    ASSERT_EQ(previews.forms, QStringList{QStringLiteral("invreprint_qrfrm2")});
    for (const char* shown : {"Taxe 1", "Taxe 2", "Prix unitaire", "Numéro de série:", "Total des ventes :"})
        EXPECT_TRUE(previews.texts[0].contains(QString::fromUtf8(shown))) << shown << previews.texts[0].toStdString();
    for (const char* hidden : {"TPS", "TVP", "Unit Price"})
        EXPECT_FALSE(previews.texts[0].contains(QString::fromUtf8(hidden))) << hidden;
}

// The amounts carry the process-wide symbol where the currency format puts it
// while the string itself is blank; afterwards, and after a preview that
// failed, the string is what it was and the window still works.
TEST_F(ReportForms, InvoiceCurrencySymbolIsRestored)
{
    clientWithInvoiceLine(QStringLiteral("I5"));
    addInvoice(false, QStringLiteral("I5"));
    addInvoiceLine(false, QStringLiteral("I5"),
                   {{QStringLiteral("line_code"), QStringLiteral("HW")},
                    {QStringLiteral("qty_order"), 1.0},
                    {QStringLiteral("total"), Money("1234.5")}});
    TAccountForm& w = open(ClientSide());
    Regional().currencyString = QStringLiteral("€");
    Regional().currencyFormat = 3;
    previews.fail = true;
    w.PageControl1->setCurrentIndex(4);
    dm->statementTable(true).first();
    EXPECT_THROW(w.ShowStatementDetail(), std::runtime_error);
    EXPECT_EQ(Regional().currencyString, QStringLiteral("€"));
    EXPECT_TRUE(w.DetailButton->isEnabled());
    EXPECT_FALSE(dm->fadet.isOpen());
    previews.fail = false;
    detail(w);
    ASSERT_EQ(previews.forms, QStringList{QStringLiteral("invreprint_qrfrm")});
    EXPECT_EQ(previews.currencyStrings.last(), QStringLiteral(" "));
    EXPECT_TRUE(previews.texts[0].contains(QStringLiteral("1,234.50 €"))) << previews.texts[0].toStdString();
    EXPECT_FALSE(previews.texts[0].contains(QStringLiteral("$1,234.50")));
    EXPECT_EQ(Regional().currencyString, QStringLiteral("€"));
}

// The amount masks as a report runs: "$" or the string in force gives way to
// that string, before or after the amount as the currency format says.
TEST(ReportAmountSymbolTest, MasksFollowTheCurrencyFormat)
{
    struct Case {
        int format;
        const char* symbol;
        const char* mask;
        const char* expected;
    };
    const Case cases[] = {
        {0, "$", "$#,##0.00", "\"$\"#,##0.00"}, {1, "€", "$#,##0.00", "#,##0.00\"€\""},
        {2, "US$", "$0.00", "\"US$\" 0.00"},    {3, "€", "€0.00", "0.00 \"€\""},
        {0, "$", "##0.00", "##0.00"},           {1, "", "$0.00", "0.00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask);
        ResetRegionalFormats();
        Regional().currencyString = QString::fromUtf8(c.symbol);
        Regional().currencyFormat = c.format;
        report::Report form;
        report::ReportText& amount = form.detail().field(QStringLiteral("Amount"), {}, {}, QString::fromUtf8(c.mask));
        {
            ReportAmountSymbol symbol(form);
            EXPECT_EQ(amount.mask, QString::fromUtf8(c.expected));
            EXPECT_EQ(Regional().currencyString, QStringLiteral(" "));
        }
        EXPECT_EQ(Regional().currencyString, QString::fromUtf8(c.symbol));
    }
    ResetRegionalFormats();
}

namespace {

// A supplier with a purchase on order PO7, received on two packing slips.
class OrderReprint : public ReportForms {
protected:
    void SetUp() override
    {
        ReportForms::SetUp();
        supplierWithLine("P1", "1", "46");
        AddRow(db, QStringLiteral("apori"),
               {{QStringLiteral("Reference"), QStringLiteral("P1")},
                {QStringLiteral("Supplier"), QStringLiteral("ACME")},
                {QStringLiteral("Date"), Day},
                {QStringLiteral("Dr_cr_reference"), QStringLiteral("P1")},
                {QStringLiteral("Trx_type"), QStringLiteral("1")},
                {QStringLiteral("PO"), QStringLiteral("PO7")},
                {QStringLiteral("Account1"), 5000},
                {QStringLiteral("Debit1"), Money("46")}});
        SetWhichDocumentAsker([](TWhichReportForm*) { return 1; });
    }
    void TearDown() override
    {
        SetWhichDocumentAsker(nullptr);
        ReportForms::TearDown();
    }
    void addOrder()
    {
        AddRow(db, QStringLiteral("cfhdr"),
               {{QStringLiteral("Cfhdr_doc"), QStringLiteral("2")},
                {QStringLiteral("Cfhdr_order_number"), QStringLiteral("PO7")},
                {QStringLiteral("Cfhdr_supplier"), QStringLiteral("ACME")}});
    }
    void addReceipt(const char* slip, const char* order)
    {
        AddRow(db, QStringLiteral("cfrhd"),
               {{QStringLiteral("Cfrhd_packing_slip"), QString::fromLatin1(slip)},
                {QStringLiteral("Cfrhd_order_number"), QString::fromLatin1(order)},
                {QStringLiteral("Cfrhd_supplier"), QStringLiteral("ACME")},
                {QStringLiteral("Cfrhd_date"), Day},
                {QStringLiteral("Cfhrd_date_received"), QDate(2024, 5, 3)},
                {QStringLiteral("Cfrhd_store"), 2}});
    }
    void addReceiptLine(const char* slip, const char* order, const char* item, const char* description, double received,
                        double price, double discount)
    {
        AddRow(db, QStringLiteral("cfrdet"),
               {{QStringLiteral("Cfrdet_paking_slip"), QString::fromLatin1(slip)},
                {QStringLiteral("Cfrdet_order_number"), QString::fromLatin1(order)},
                {QStringLiteral("Cfrdet_line_code"), QStringLiteral("hw")},
                {QStringLiteral("Cfrdet_item_code"), QString::fromLatin1(item)},
                {QStringLiteral("Cfrdet_desc"), QString::fromLatin1(description)},
                {QStringLiteral("Cfrdet_qty_order"), 10.0},
                {QStringLiteral("Cfrdet_qty_received"), received},
                {QStringLiteral("Cfrdet_price"), price},
                {QStringLiteral("Cfrdet_discount"), discount}});
    }
};

} // namespace

// Each receipt of the order with its lines: the ordered cost is found
// whatever the case of the receipt line's words, and is 0 for a line whose
// description is not the order line's; the received cost is net of discount.
TEST_F(OrderReprint, ReceiptsOfThePurchaseOrder)
{
    addOrder();
    for (const auto& [item, description, total] :
         {std::tuple{"NAIL", "Nails 2in", "50"}, std::tuple{"SCREW", "Screws", "12"}})
        AddRow(db, QStringLiteral("cfdet"),
               {{QStringLiteral("Cfdet_doc"), QStringLiteral("2")},
                {QStringLiteral("Cfdet_order_number"), QStringLiteral("PO7")},
                {QStringLiteral("Cfdet_line_code"), QStringLiteral("HW")},
                {QStringLiteral("Cfdet_item_code"), QString::fromLatin1(item)},
                {QStringLiteral("Cfdet_desc"), QString::fromLatin1(description)},
                {QStringLiteral("Cfdet_total"), Money(total)}});
    addReceipt("PS1", "PO7");
    addReceiptLine("PS1", "po7", "nail", "NAILS 2IN", 10, 4, 10);  // 36.00, ordered 50.00
    addReceiptLine("PS1", "PO7", "SCREW", "Wood screws", 2, 5, 0); // 10.00, ordered 0
    addReceipt("PS2", "PO7");
    addReceiptLine("PS2", "PO7", "SCREW", "Screws", 1, 1.25, 0); // 1.25, ordered 12.00
    addReceipt("PS9", "PO8");
    addReceiptLine("PS9", "PO8", "NAIL", "Nails 2in", 99, 1, 0);
    detail(open(SupplierSide()));
    ASSERT_EQ(previews.forms, QStringList{QStringLiteral("poreprint_qrfrm")});
    const QString text = previews.texts[0];
    for (const char* shown : {"P.O.", "Supplier", "Packing slip", "Date received", "Total received", "PO7",
                              "Acme Supply", "PS1", "PS2", "Store:", "NAILS 2IN", "Wood screws"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(shown))) << shown << "\n" << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("PS9")));
    EXPECT_EQ(LastTwoWords(text, QStringLiteral("NAILS 2IN")),
              QStringList({QStringLiteral("50.00"), QStringLiteral("36.00")}));
    EXPECT_EQ(LastTwoWords(text, QStringLiteral("Wood screws")),
              QStringList({QStringLiteral("0.00"), QStringLiteral("10.00")}));
    EXPECT_LT(LineOf(text, QStringLiteral("Wood screws")), LineOf(text, QStringLiteral("PS2")));
    EXPECT_EQ(LastTwoWords(text, QStringLiteral("$62.00")),
              QStringList({QStringLiteral("$62.00"), QStringLiteral("$47.25")}));
}

// Without a receipt the user is told whether the order exists at all; no
// report shows. Choosing "Purchase" shows the purchase itself.
TEST_F(OrderReprint, NothingReceivedAndThePurchaseChoice)
{
    TAccountForm& w = open(SupplierSide());
    auto messageLine = [&w](int n) { return w.IntlStrings1->toPlainText().split(QLatin1Char('\n')).value(n); };
    detail(w);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text, messageLine(lines::PurchaseOrderMissing));
    addOrder();
    detail(w);
    ASSERT_EQ(messages.shown.size(), 2);
    EXPECT_EQ(messages.shown[1].text, messageLine(lines::PurchaseOrderNotReceived));
    EXPECT_NE(messages.shown[0].text, messages.shown[1].text);
    EXPECT_TRUE(previews.forms.isEmpty());
    SetWhichDocumentAsker([](TWhichReportForm*) { return 0; });
    detail(w);
    EXPECT_EQ(previews.forms, QStringList{QStringLiteral("supview_qrfrm")});
    EXPECT_TRUE(previews.texts.value(0).contains(QStringLiteral("PO7")));
}

namespace {

// Lays a report out with another workstation's commit in its middle (as the
// first record of the master prints), then once more after it.
class CommitWhileLayingOut : public PdfPreviews {
public:
    CommitWhileLayingOut(const QString& folder, std::function<void()> commit)
        : PdfPreviews(folder)
        , m_commit(std::move(commit))
    {
    }
    void preview(report::Report& form, QWidget* parent) override
    {
        const std::function<bool()> original = form.detail().beforePrint;
        bool committed = false;
        form.detail().beforePrint = [&] {
            if (!committed) {
                committed = true;
                m_commit();
            }
            return original ? original() : true;
        };
        PdfPreviews::preview(form, parent);
        form.detail().beforePrint = original;
        form.prepare();
        PdfPreviews::preview(form, parent);
    }

private:
    std::function<void()> m_commit;
};

} // namespace

// A receipt line another workstation posts while the reprint is being laid
// out shows in the next layout, never in the middle of this one: the second
// packing slip's lines and the totals are those of the moment the layout
// began.
TEST_F(OrderReprint, ReceiptPostedMeanwhileShowsOnlyInTheNextLayout)
{
    addOrder();
    addReceipt("PS1", "PO7");
    addReceiptLine("PS1", "PO7", "NAIL", "Nails 2in", 10, 4, 0); // 40.00
    addReceipt("PS2", "PO7");
    addReceiptLine("PS2", "PO7", "SCREW", "Screws", 1, 1.25, 0); // 1.25
    CommitWhileLayingOut layouts(root.path(), [this] {
        QProcess other;
        other.start(QStringLiteral(VARNEX_TEST_BIN_DIR "/engine_record_changer"),
                    {db->folder(), QStringLiteral("cfrdet"), QStringLiteral("add"),
                     QStringLiteral("Cfrdet_paking_slip=PS2"), QStringLiteral("Cfrdet_order_number=PO7"),
                     QStringLiteral("Cfrdet_item_code=LATE"), QStringLiteral("Cfrdet_desc=Posted meanwhile"),
                     QStringLiteral("Cfrdet_qty_received=3"), QStringLiteral("Cfrdet_price=2")});
        EXPECT_TRUE(other.waitForFinished(30000));
        EXPECT_EQ(other.readAllStandardOutput().trimmed(), "DONE");
    });
    detail(open(SupplierSide()));
    ASSERT_EQ(layouts.texts.size(), 2);
    const QString during = layouts.texts[0];
    EXPECT_TRUE(during.contains(QStringLiteral("Screws"))) << during.toStdString();
    EXPECT_FALSE(during.contains(QStringLiteral("Posted meanwhile"))) << during.toStdString();
    EXPECT_TRUE(during.contains(QStringLiteral("$41.25"))) << during.toStdString();
    const QString next = layouts.texts[1];
    EXPECT_TRUE(next.contains(QStringLiteral("Posted meanwhile"))) << next.toStdString();
    EXPECT_TRUE(next.contains(QStringLiteral("$47.25"))) << next.toStdString();
}
