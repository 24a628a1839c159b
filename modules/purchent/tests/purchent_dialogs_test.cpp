// The dialogs the accept button asks before anything is written: taxes per
// rate, holdback, job-cost distribution. Driven inside their own exec() from
// the real window; Cancel anywhere leaves every table as it was.
#include "purchent_fixture.h"

#include <QLabel>
#include <QTableView>

#include "varnex/translation/message_lines.h"
#include "varnex/translation/translate.h"

using namespace purchenttest;
using varnex::FormatShortDate;
using varnex::data::Query;

namespace {

QString line(int n)
{
    QWidget window;
    window.setObjectName(QStringLiteral("purchent_frm"));
    auto* list = new QPlainTextEdit(&window);
    list->setObjectName(QStringLiteral("IntlStrings1"));
    varnex::translation::TranslateForm(&window, QStringLiteral("purchenten"));
    return varnex::translation::MessageLine(list, n);
}

void setCell(QWidget* dialog, const char* grid, int row, int column, const QVariant& value)
{
    auto* view = dialog->findChild<QTableView*>(QString::fromLatin1(grid));
    ASSERT_NE(view, nullptr);
    view->setFocus();
    view->setCurrentIndex(view->model()->index(row, column));
    EXPECT_TRUE(view->model()->setData(view->model()->index(row, column), value, Qt::EditRole)) << row << column;
    settle();
}

QString cell(QWidget* dialog, const char* grid, int row, int column)
{
    auto* view = dialog->findChild<QTableView*>(QString::fromLatin1(grid));
    return view->model()->index(row, column).data().toString();
}

void press(QWidget* dialog, const char* button)
{
    QTest::mouseClick(dialog->findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
    settle();
}

int rowsOf(const std::shared_ptr<varnex::data::Database>& db)
{
    int total = 0;
    for (const char* table : {"tjlh", "tjld", "cap", "apori", "taxrepP", "jcTrans"}) {
        varnex::data::Table t;
        t.setDatabase(db);
        t.setTableName(QString::fromLatin1(table));
        t.open();
        total += t.recordCount();
    }
    return total;
}

// Goods 110.00 and GST 5.00 on the debit side, QST 5.00 taken back on the
// credit side, the payable 110.00.
void typeTaxedInvoice(Entry& e, const QString& invoice)
{
    e.fill(QStringLiteral("Varnexdbedit1"), QStringLiteral("ACME"));
    e.fill(QStringLiteral("InvoiceNum"), invoice);
    e.debit(2, QStringLiteral("110.00"));
    e.debit(4, QStringLiteral("5.00"));
    e.credit(5, QStringLiteral("5.00"));
    e.credit(1, QStringLiteral("110.00"));
}

class TaxFixture : public PurchentFixture {
public:
    TaxFixture() { taxSystem = 1; }
};

class JobCostFixture : public PurchentFixture {
public:
    JobCostFixture() { jobCost = true; }

protected:
    void SetUp() override
    {
        PurchentFixture::SetUp();
        auto project = open(QStringLiteral("jcProject"));
        project->append();
        project->field(QStringLiteral("JcProject_No")).setString(QStringLiteral("P1"));
        project->post();
        auto phase = open(QStringLiteral("jcPhase"));
        phase->append();
        phase->field(QStringLiteral("JcPhase_Code")).setString(QStringLiteral("FRAME"));
        phase->post();
        phaseNumber = int(phase->field(QStringLiteral("JcPhase_No")).asInteger());
        auto element = open(QStringLiteral("JcElem"));
        element->append();
        element->field(QStringLiteral("JcElem_Code")).setString(QStringLiteral("WOOD"));
        element->field(QStringLiteral("JcElem_UM")).setString(QStringLiteral("pc"));
        element->post();
        auto header = open(QStringLiteral("jcBudgetHdr"));
        header->append();
        header->field(QStringLiteral("JcBudHdr_Project")).setString(QStringLiteral("P1"));
        header->field(QStringLiteral("JcBudHdr_Phase")).setString(QStringLiteral("FRAME"));
        header->post();
        auto detail = open(QStringLiteral("jcBudgetDet"));
        detail->append();
        detail->field(QStringLiteral("JcBudDet_Project")).setString(QStringLiteral("P1"));
        detail->field(QStringLiteral("JcBudDet_Phase")).setString(QStringLiteral("FRAME"));
        detail->field(QStringLiteral("JcBudDet_Elem")).setString(QStringLiteral("WOOD"));
        detail->post();
    }

    int phaseNumber = 0;
};

} // namespace

TEST_F(TaxFixture, TheTaxDialogTakesTheNetAmountsAndReversedTaxIsStoredNegative)
{
    run([&](Entry& e) {
        typeTaxedInvoice(e, QStringLiteral("T-1"));
        auto driver = WhenShown(QStringLiteral("frmVAT"), [&](QWidget* dialog) {
            EXPECT_EQ(cell(dialog, "dbgTaxes", 0, 0), QStringLiteral("GST"));
            EXPECT_EQ(cell(dialog, "dbgTaxes", 0, 1), QStringLiteral("5.00"));
            EXPECT_EQ(cell(dialog, "dbgTaxes", 0, 2), QStringLiteral("5.00"));
            EXPECT_EQ(cell(dialog, "dbgTaxes", 1, 0), QStringLiteral("QST"));
            setCell(dialog, "dbgTaxes", 0, 3, QStringLiteral("100"));
            setCell(dialog, "dbgTaxes", 1, 3, QStringLiteral("50.13"));
            press(dialog, "OKBtn");
        });
        e.click(QStringLiteral("PostBtn"));
        EXPECT_TRUE(driver->ran());
        EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join(QLatin1Char('|')).toStdString();
    });
    Query tax(db, QStringLiteral("SELECT TaxRep_Code, TaxRep_TypeCode, TaxRep_VAT, TaxRep_Gross, TaxRep_Reference "
                                 "FROM taxrepP ORDER BY TaxRep_Code"));
    tax.open();
    ASSERT_EQ(tax.recordCount(), 2);
    EXPECT_EQ(tax.field(QStringLiteral("TaxRep_TypeCode")).asInteger(), 4);
    EXPECT_EQ(tax.field(QStringLiteral("TaxRep_VAT")).asMoney(), money("5"));
    EXPECT_EQ(tax.field(QStringLiteral("TaxRep_Gross")).asMoney(), money("100"));
    EXPECT_EQ(tax.field(QStringLiteral("TaxRep_Reference")).asString(), QStringLiteral("T-1"));
    tax.next();
    EXPECT_EQ(tax.field(QStringLiteral("TaxRep_TypeCode")).asInteger(), 6);
    EXPECT_EQ(tax.field(QStringLiteral("TaxRep_VAT")).asMoney(), money("-5"));
    EXPECT_EQ(tax.field(QStringLiteral("TaxRep_Gross")).asMoney(), money("-50.13"));
}

TEST_F(TaxFixture, CancelInTheTaxDialogWritesNothingAndKeepsTheEntry)
{
    run([&](Entry& e) {
        typeTaxedInvoice(e, QStringLiteral("T-2"));
        auto driver = WhenShown(QStringLiteral("frmVAT"), [&](QWidget* dialog) { press(dialog, "CancelBtn"); });
        e.click(QStringLiteral("PostBtn"));
        EXPECT_TRUE(driver->ran());
        EXPECT_EQ(e.text(QStringLiteral("InvoiceNum")), QStringLiteral("T-2"));
        EXPECT_EQ(e.amount(QStringLiteral("TotalDBEdit")), money("115"));
    });
    EXPECT_EQ(rowsOf(db), 0);
}

TEST_F(JobCostFixture, AHoldbackOfTenPercentGivesTwoOpenItemsAndTheWholeBalance)
{
    const QDate release(2026, 9, 30);
    run([&](Entry& e) {
        e.fill(QStringLiteral("Varnexdbedit1"), QStringLiteral("ACME"));
        e.fill(QStringLiteral("InvoiceNum"), QStringLiteral("H-1"));
        e.debit(2, QStringLiteral("1000.00"));
        e.credit(1, QStringLiteral("1000.00"));
        auto holdback = WhenShown(QStringLiteral("frmHoldback"), [&](QWidget* dialog) {
            auto* percent = dialog->findChild<QLineEdit*>(QStringLiteral("edtPercent"));
            auto* amount = dialog->findChild<QLineEdit*>(QStringLiteral("edtAmount"));
            EXPECT_EQ(percent->text(), QStringLiteral("0.00"));
            EXPECT_EQ(amount->text(), QStringLiteral("0.00"));
            percent->setFocus();
            percent->selectAll();
            QTest::keyClicks(percent, QStringLiteral("10"));
            QTest::keyClick(percent, Qt::Key_Return); // Enter moves on, the percentage gives the amount
            settle();
            EXPECT_EQ(percent->text(), QStringLiteral("10.00"));
            EXPECT_EQ(amount->text(), QStringLiteral("100.00"));
            dialog->findChild<varnex::TVarnexMaskEdit*>(QStringLiteral("edtDate"))->setText(FormatShortDate(release));
            press(dialog, "OKBtn");
        });
        auto project = WhenShown(QStringLiteral("frmProject"), [&](QWidget* dialog) {
            EXPECT_EQ(dialog->findChild<QLabel*>(QStringLiteral("lblDistAmnt"))->text(), QStringLiteral("1,000.00"));
            press(dialog, "OKBtn"); // nothing distributed: allowed
        });
        e.click(QStringLiteral("PostBtn"));
        EXPECT_TRUE(holdback->ran());
        EXPECT_TRUE(project->ran());
    });
    EXPECT_EQ(supplierMoney(QStringLiteral("ACME"), QStringLiteral("Sup_current_bal")), money("1000"));
    Query items(db, QStringLiteral("SELECT Cap_type, Cap_amount, Cap_du_date FROM cap ORDER BY Cap_type"));
    items.open();
    ASSERT_EQ(items.recordCount(), 2);
    EXPECT_EQ(items.field(QStringLiteral("Cap_amount")).asMoney(), money("900"));
    items.next();
    EXPECT_EQ(items.field(QStringLiteral("Cap_type")).asString(), QStringLiteral("6"));
    EXPECT_EQ(items.field(QStringLiteral("Cap_amount")).asMoney(), money("100"));
    EXPECT_EQ(items.field(QStringLiteral("Cap_du_date")).asDate(), release);
}

TEST_F(JobCostFixture, ATypedHoldbackAmountOverridesThePercentage)
{
    run([&](Entry& e) {
        e.fill(QStringLiteral("Varnexdbedit1"), QStringLiteral("ACME"));
        e.fill(QStringLiteral("InvoiceNum"), QStringLiteral("H-2"));
        e.debit(2, QStringLiteral("1234.56"));
        e.credit(1, QStringLiteral("1234.56"));
        auto holdback = WhenShown(QStringLiteral("frmHoldback"), [&](QWidget* dialog) {
            auto* percent = dialog->findChild<QLineEdit*>(QStringLiteral("edtPercent"));
            auto* amount = dialog->findChild<QLineEdit*>(QStringLiteral("edtAmount"));
            percent->setFocus();
            percent->selectAll();
            QTest::keyClicks(percent, QStringLiteral("10"));
            amount->setFocus();
            settle();
            EXPECT_EQ(amount->text(), QStringLiteral("123.46"));
            amount->selectAll();
            QTest::keyClicks(amount, QStringLiteral("abc"));
            press(dialog, "OKBtn"); // not a number: line 16, the dialog stays
            EXPECT_TRUE(dialog->isVisible());
            amount->selectAll();
            QTest::keyClicks(amount, QStringLiteral("100.00"));
            auto* date = dialog->findChild<varnex::TVarnexMaskEdit*>(QStringLiteral("edtDate"));
            date->setText(QString());
            press(dialog, "OKBtn"); // no date for a holdback: line 17
            EXPECT_TRUE(dialog->isVisible());
            date->setText(FormatShortDate(QDate(2027, 1, 31)));
            press(dialog, "OKBtn");
        });
        auto project = WhenShown(QStringLiteral("frmProject"), [&](QWidget* dialog) { press(dialog, "OKBtn"); });
        e.click(QStringLiteral("PostBtn"));
        EXPECT_TRUE(holdback->ran());
    });
    EXPECT_EQ(messages.texts(), QStringList({line(16), line(17)}));
    Query items(db, QStringLiteral("SELECT Cap_amount FROM cap WHERE Cap_type = '6'"));
    items.open();
    ASSERT_EQ(items.recordCount(), 1);
    EXPECT_EQ(items.field(QStringLiteral("Cap_amount")).asMoney(), money("100"));
}

TEST_F(JobCostFixture, TheDistributionIsCheckedAgainstTheBudgetAndWrittenWithThePosting)
{
    picks.textAnswers = {QStringLiteral("P1"), QStringLiteral("WOOD")};
    picks.numberAnswers = {phaseNumber};
    run([&](Entry& e) {
        e.fill(QStringLiteral("Varnexdbedit1"), QStringLiteral("ACME"));
        e.fill(QStringLiteral("InvoiceNum"), QStringLiteral("J-1"));
        e.debit(2, QStringLiteral("200.00"));
        e.credit(1, QStringLiteral("200.00"));
        auto holdback = WhenShown(QStringLiteral("frmHoldback"), [&](QWidget* dialog) { press(dialog, "OKBtn"); });
        auto project = WhenShown(QStringLiteral("frmProject"), [&](QWidget* dialog) {
            auto* grid = dialog->findChild<QTableView*>(QStringLiteral("dbgProject"));
            grid->setFocus();
            QTest::keyClick(grid, Qt::Key_Insert);
            settle();
            ASSERT_EQ(grid->model()->rowCount(), 1);
            // the three look-ups, by F2 in their column
            for (int column = 0; column < 3; ++column) {
                grid->setCurrentIndex(grid->model()->index(0, column));
                QTest::keyClick(grid, Qt::Key_F2);
                settle();
            }
            EXPECT_EQ(cell(dialog, "dbgProject", 0, 0), QStringLiteral("P1"));
            EXPECT_EQ(cell(dialog, "dbgProject", 0, 1), QStringLiteral("FRAME"));
            EXPECT_EQ(cell(dialog, "dbgProject", 0, 2), QStringLiteral("WOOD"));
            setCell(dialog, "dbgProject", 0, 3, 3);
            setCell(dialog, "dbgProject", 0, 4, 12.5);
            EXPECT_EQ(cell(dialog, "dbgProject", 0, 5), QStringLiteral("37.50"));
            EXPECT_EQ(dialog->findChild<QLabel*>(QStringLiteral("lblDistAmnt"))->text(), QStringLiteral("162.50"));
            // a second line lowers the remaining amount; deleting it gives it back
            QTest::keyClick(grid, Qt::Key_Insert);
            settle();
            ASSERT_EQ(grid->model()->rowCount(), 2);
            setCell(dialog, "dbgProject", 1, 3, 2);
            setCell(dialog, "dbgProject", 1, 4, 10);
            EXPECT_EQ(dialog->findChild<QLabel*>(QStringLiteral("lblDistAmnt"))->text(), QStringLiteral("142.50"));
            QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
            settle();
            EXPECT_EQ(grid->model()->rowCount(), 1);
            EXPECT_EQ(dialog->findChild<QLabel*>(QStringLiteral("lblDistAmnt"))->text(), QStringLiteral("162.50"));
            // a phase without budget for the project is refused, the dialog stays
            setCell(dialog, "dbgProject", 0, 1, QStringLiteral("ROOF"));
            press(dialog, "OKBtn");
            EXPECT_TRUE(dialog->isVisible());
            setCell(dialog, "dbgProject", 0, 0, QStringLiteral("NOPE"));
            press(dialog, "OKBtn");
            setCell(dialog, "dbgProject", 0, 0, QStringLiteral("P1"));
            setCell(dialog, "dbgProject", 0, 1, QStringLiteral("FRAME"));
            setCell(dialog, "dbgProject", 0, 2, QStringLiteral("NAILS"));
            press(dialog, "OKBtn");
            setCell(dialog, "dbgProject", 0, 2, QStringLiteral("WOOD"));
            press(dialog, "OKBtn");
        });
        e.click(QStringLiteral("PostBtn"));
        EXPECT_TRUE(holdback->ran());
        EXPECT_TRUE(project->ran());
    });
    EXPECT_EQ(messages.texts(), QStringList({line(21), line(20), line(22)}));
    EXPECT_EQ(picks.calls,
              QStringList({QStringLiteral("Getproject:Y"), QStringLiteral("Getphase:Y"), QStringLiteral("Getelem:Y")}));
    Query jc(db, QStringLiteral("SELECT JcTrans_Project, JcTrans_Phase, JcTrans_Comp, JcTrans_Tot, JcTrans_Ref, "
                                "JcTrans_TypeDesc, JcTrans_UM FROM jcTrans"));
    jc.open();
    ASSERT_EQ(jc.recordCount(), 1);
    EXPECT_EQ(jc.field(QStringLiteral("JcTrans_Tot")).asMoney(), money("37.50"));
    EXPECT_EQ(jc.field(QStringLiteral("JcTrans_Ref")).asString(), QStringLiteral("J-1"));
    EXPECT_EQ(jc.field(QStringLiteral("JcTrans_TypeDesc")).asString(), line(19));
    EXPECT_EQ(jc.field(QStringLiteral("JcTrans_UM")).asString(), QStringLiteral("pc"));
}

TEST_F(JobCostFixture, CancelInTheDistributionWritesNothing)
{
    run([&](Entry& e) {
        e.fill(QStringLiteral("Varnexdbedit1"), QStringLiteral("ACME"));
        e.fill(QStringLiteral("InvoiceNum"), QStringLiteral("J-2"));
        e.debit(2, QStringLiteral("20.00"));
        e.credit(1, QStringLiteral("20.00"));
        auto holdback = WhenShown(QStringLiteral("frmHoldback"), [&](QWidget* dialog) { press(dialog, "OKBtn"); });
        auto project = WhenShown(QStringLiteral("frmProject"), [&](QWidget* dialog) { press(dialog, "CancelBtn"); });
        e.click(QStringLiteral("PostBtn"));
        EXPECT_TRUE(project->ran());
        EXPECT_EQ(e.text(QStringLiteral("InvoiceNum")), QStringLiteral("J-2"));
    });
    EXPECT_EQ(rowsOf(db), 0);
    EXPECT_TRUE(db->tableExists(QStringLiteral("CaxJC3")));
}
