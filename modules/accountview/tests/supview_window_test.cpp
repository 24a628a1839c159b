// The supplier display window: where it differs from the client window.
#include "account_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>

#include "varnex/accountview/reports.h"
#include "varnex/translation/window_check.h"
#include "varnex/widgets/dbwidgets.h"

using namespace varnex;
using namespace varnex::accountview;
using namespace varnex::accountview::test;

namespace {

class SupplierWindow : public AccountWindowFixture {
protected:
    void addSupplier(const char* code, const char* name, int bank = 0)
    {
        AddRow(db, QStringLiteral("sup"),
               {{QStringLiteral("Sup_code"), QString::fromLatin1(code)},
                {QStringLiteral("Sup_name"), QString::fromUtf8(name)},
                {QStringLiteral("Sup_bank_account"), bank},
                {QStringLiteral("Sup_copies"), 3}});
    }
    void addLine(const char* table, const char* supplier, const char* invoice, const char* ref, const char* type,
                 const char* amount)
    {
        AddRow(db, QString::fromLatin1(table),
               {{QStringLiteral("Cap_supplier"), QString::fromLatin1(supplier)},
                {QStringLiteral("Cap_invoice"), QString::fromLatin1(invoice)},
                {QStringLiteral("Cap_ref"), QString::fromLatin1(ref)},
                {QStringLiteral("Cap_date"), QDate(2024, 5, 1)},
                {QStringLiteral("Cap_type"), QString::fromLatin1(type)},
                {QStringLiteral("Cap_amount"), Money(amount)}});
    }
    QStringList gridColumn(TVarnexDBGrid* grid, int column)
    {
        QStringList values;
        for (int row = 0; row < grid->model()->rowCount(); ++row)
            values << grid->model()->index(row, column).data().toString();
        return values;
    }
    QString messageLine(int n) { return form->IntlStrings1->toPlainText().split(QLatin1Char('\n')).value(n); }
};

} // namespace

TEST_F(SupplierWindow, SevenTabsNoSalesAndItsOwnNames)
{
    addSupplier("ACME", "Acmé Distribution", 1020);
    AddRow(db, QStringLiteral("glm"),
           {{QStringLiteral("Glm_account"), 1020},
            {QStringLiteral("Glm_Description"), QStringLiteral("Banque Nationale")}});
    TAccountForm& w = open(SupplierSide());
    EXPECT_EQ(w.objectName(), QStringLiteral("supview_Frm"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Display of suppliers"));
    EXPECT_EQ(w.size(), QSize(646, 388));
    ASSERT_EQ(w.PageControl1->count(), 7);
    EXPECT_EQ(w.PageControl1->tabText(0), QStringLiteral("Supplier list"));
    EXPECT_EQ(w.PageControl1->tabText(5), QStringLiteral("Purchase statistics"));
    EXPECT_EQ(w.ComboBox1->count(), 31);
    EXPECT_EQ(w.DBGrid3, nullptr);
    EXPECT_EQ(w.totdols, nullptr);
    EXPECT_EQ(w.monthLabels[0]->text(), QStringLiteral("January"));
    EXPECT_EQ(w.Label51->text(), QStringLiteral("Cost:")); // no symbol in front on this side
    for (const char* name :
         {"Button4", "Button5", "Button6", "Button1", "Button2", "SpeedButton3", "SpeedButton6", "SpeedButton7"})
        EXPECT_NE(w.findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_TRUE(db->tableExists(QStringLiteral("captmp3")));
    EXPECT_FALSE(db->tableExists(QStringLiteral("CliCyln3")));
    EXPECT_EQ(w.BankDescEdit->text(), QStringLiteral("Banque Nationale"));
    w.PageControl1->setCurrentIndex(2);
    EXPECT_EQ(w.SpinEdit1->value(), 3);
    EXPECT_TRUE(translation::CheckWindowTexts(&w, QStringLiteral("supviewen")).isEmpty())
        << translation::CheckWindowTexts(&w, QStringLiteral("supviewen")).join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(translation::CheckWindowTexts(&w, QStringLiteral("supviewfr")).isEmpty());
    EXPECT_TRUE(translation::CheckWindowTexts(which.get(), QStringLiteral("supviewfr")).isEmpty());
    EXPECT_EQ(which->windowTitle(), QStringLiteral("Which document"));
    for (int line : {0, 1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13})
        EXPECT_FALSE(messageLine(line).isEmpty()) << line;
}

TEST_F(SupplierWindow, HistoryHoldbackLinesHaveNoTypeName)
{
    addSupplier("ACME", "a");
    addLine("cap", "ACME", "P1", "R1", "6", "10");
    addLine("caph", "ACME", "P1", "R1", "6", "10");
    TAccountForm& w = open(SupplierSide());
    w.PageControl1->setCurrentIndex(4);
    EXPECT_EQ(gridColumn(w.DBGrid2, 2), QStringList({messageLine(12)}));
    EXPECT_FALSE(messageLine(12).isEmpty());
    QTest::mouseClick(w.CheckBox1, Qt::LeftButton, {}, QPoint(4, w.CheckBox1->height() / 2));
    EXPECT_EQ(gridColumn(w.DBGrid2, 2), QStringList({QString()}));
    EXPECT_EQ(gridColumn(w.DBGrid2, 6), QStringList({"10.00"}));
}

TEST_F(SupplierWindow, StatisticsHaveCostAndQuantityOnly)
{
    addSupplier("ACME", "a");
    AddRow(db, QStringLiteral("sastats"),
           {{QStringLiteral("Supplier"), QStringLiteral("ACME")},
            {QStringLiteral("Cost1"), Money("1.25")},
            {QStringLiteral("Cost12"), Money("2")},
            {QStringLiteral("Qty3"), 4.0}});
    TAccountForm& w = open(SupplierSide());
    w.PageControl1->setCurrentIndex(5);
    EXPECT_EQ(w.totcost->value(), *Currency::parse(QStringLiteral("3.25")));
    EXPECT_EQ(w.totqty->text(), QStringLiteral("4.00"));
}

TEST_F(SupplierWindow, APurchaseWithAnOrderAsksWhichDocument)
{
    RecordingStatementReports reports;
    int answer = 1;
    int asked = 0;
    SetWhichDocumentAsker([&](TWhichReportForm*) {
        ++asked;
        return answer;
    });
    addSupplier("ACME", "a");
    addLine("cap", "ACME", "P1", "R1", "1", "100");  // purchase with an order
    addLine("cap", "ACME", "P2", "R2", "1", "50");   // purchase without an order
    addLine("cap", "ACME", "P3", "CQ9", "2", "-20"); // payment without a cheque
    for (const char* reference : {"P1", "P2"})
        AddRow(db, QStringLiteral("apori"),
               {{QStringLiteral("Reference"), QString::fromLatin1(reference)},
                {QStringLiteral("Supplier"), QStringLiteral("ACME")},
                {QStringLiteral("Date"), QDate(2024, 5, 1)},
                {QStringLiteral("Dr_cr_reference"),
                 QString::fromLatin1(reference) == QLatin1String("P1") ? QStringLiteral("R1") : QStringLiteral("R2")},
                {QStringLiteral("PO"),
                 QString::fromLatin1(reference) == QLatin1String("P1") ? QStringLiteral("PO-7") : QString()}});
    TAccountForm& w = open(SupplierSide());
    w.PageControl1->setCurrentIndex(4);
    data::Table& lines = dm->currentLines;
    lines.first();
    w.ShowStatementDetail(); // asks: purchase order
    answer = 0;
    w.ShowStatementDetail(); // asks: purchase
    lines.next();
    w.ShowStatementDetail(); // no order: the purchase at once
    lines.next();
    w.ShowStatementDetail(); // payment without its cheque
    SetWhichDocumentAsker(nullptr);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(reports.requests, QStringList({"PurchaseOrder:P1:R1:1", "Transaction:P1:R1:1", "Transaction:P2:R2:1"}));
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text, messageLine(7));
}
