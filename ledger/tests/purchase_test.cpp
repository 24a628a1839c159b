#include "ledger_fixture.h"

#include <QElapsedTimer>
#include <QProcess>

#include "varnex/data/engine_error.h"
#include "varnex/ledger/purchase.h"

using namespace varnex;
using namespace varnex::ledger;
using namespace ledgertest;

namespace {

class PurchaseTest : public LedgerFixture {
protected:
    PurchaseDocument invoice(const QString& supplier, const QString& number, const char* amount)
    {
        PurchaseDocument d;
        d.supplierCode = supplier;
        d.invoiceNumber = number;
        d.date = QDate(2026, 3, 14);
        d.dueDate = QDate(2026, 4, 13);
        d.period = 3;
        d.user = QStringLiteral("CLERK");
        d.stamp = QDateTime(QDate(2026, 3, 14), QTime(10, 0));
        d.rows[0] = {
            supplier == QLatin1String("EURO") ? PayableEuro : Payable, QStringLiteral("payable"), {}, money(amount)};
        d.rows[1] = {Goods, QStringLiteral("goods"), money(amount), {}};
        return d;
    }

    struct Item {
        QString type;
        QString ref;
        QDate due;
        Currency amount;
    };
    std::vector<Item> items(const QString& supplier)
    {
        std::vector<Item> out;
        auto cap = open(QStringLiteral("cap"));
        for (cap->first(); !cap->eof(); cap->next())
            if (cap->field(QStringLiteral("Cap_supplier")).asString() == supplier)
                out.push_back({cap->field(QStringLiteral("Cap_type")).asString(),
                               cap->field(QStringLiteral("Cap_ref")).asString(),
                               cap->field(QStringLiteral("Cap_du_date")).asDate(),
                               cap->field(QStringLiteral("Cap_amount")).asMoney()});
        return out;
    }
};

} // namespace

TEST_F(PurchaseTest, HoldbackSplitsTheOpenItemAndTheBalanceTakesTheWhole)
{
    PurchaseDocument d = invoice(QStringLiteral("ACME"), QStringLiteral("F-100"), "1000.00");
    d.holdbackPercent = 10;
    d.holdbackDueDate = QDate(2026, 9, 1);
    const PostingResult r = PostPurchase(db, d);
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_EQ(supplierMoney(QStringLiteral("ACME"), QStringLiteral("Sup_current_bal")), money("1000.00"));
    EXPECT_EQ(supplierMoney(QStringLiteral("ACME"), QStringLiteral("Sup_last_purch")), money("1000.00"));
    EXPECT_EQ(supplierMoney(QStringLiteral("ACME"), QStringLiteral("Sup_purch_ytd")), money("1000.00"));
    const auto it = items(QStringLiteral("ACME"));
    ASSERT_EQ(it.size(), 2u);
    EXPECT_EQ(it[0].type, QStringLiteral("1"));
    EXPECT_EQ(it[0].amount, money("900.00"));
    EXPECT_EQ(it[0].due, QDate(2026, 4, 13));
    EXPECT_EQ(it[1].type, QStringLiteral("6"));
    EXPECT_EQ(it[1].amount, money("100.00"));
    EXPECT_EQ(it[1].due, QDate(2026, 9, 1));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM apori WHERE Supplier = 'ACME' AND Trx_type = '1'")), 1);
}

TEST_F(PurchaseTest, HoldbackGivenAsAnAmountHoldsBackExactlyThatAmount)
{
    // The dialog turns a typed 100.00 into 100 / 1,234.56 x 100 percent.
    PurchaseDocument d = invoice(QStringLiteral("ACME"), QStringLiteral("F-101"), "1234.56");
    d.holdbackPercent = 100.0 / 1234.56 * 100.0;
    d.holdbackDueDate = QDate(2026, 9, 1);
    ASSERT_TRUE(PostPurchase(db, d).ok);
    const auto it = items(QStringLiteral("ACME"));
    ASSERT_EQ(it.size(), 2u);
    EXPECT_EQ(it[0].amount, money("1134.56"));
    EXPECT_EQ(it[1].amount, money("100.00"));
    EXPECT_EQ(HoldbackAmount(money("1234.56"), 10), money("123.46"));
    EXPECT_EQ(HoldbackAmount(money("1234.56"), 0), Currency());
}

TEST_F(PurchaseTest, CreditWithAPayableDebitLowersTheBalanceAndKeepsThePurchaseFigures)
{
    ASSERT_TRUE(PostPurchase(db, invoice(QStringLiteral("ACME"), QStringLiteral("F-200"), "500.00")).ok);
    PurchaseDocument credit;
    credit.typeCode = CreditTypeCode;
    credit.supplierCode = QStringLiteral("ACME");
    credit.invoiceNumber = QStringLiteral("F-200");
    credit.drCrReference = QStringLiteral("NC-7");
    credit.date = QDate(2026, 3, 20);
    credit.dueDate = QDate(2026, 3, 20);
    credit.period = 3;
    credit.rows[0] = {Payable, QStringLiteral("payable"), money("200.00"), {}};
    credit.rows[1] = {Goods, QStringLiteral("return"), {}, money("200.00")};
    const PostingResult r = PostPurchase(db, credit);
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_EQ(supplierMoney(QStringLiteral("ACME"), QStringLiteral("Sup_current_bal")), money("300.00"));
    EXPECT_EQ(supplierMoney(QStringLiteral("ACME"), QStringLiteral("Sup_last_purch")), money("500.00"));
    EXPECT_EQ(supplierMoney(QStringLiteral("ACME"), QStringLiteral("Sup_purch_mth")), money("500.00"));
    EXPECT_EQ(supplierMoney(QStringLiteral("ACME"), QStringLiteral("Sup_purch_ytd")), money("500.00"));
    const auto it = items(QStringLiteral("ACME"));
    ASSERT_EQ(it.size(), 2u);
    const Item& c = it[0].type == QLatin1String("5") ? it[0] : it[1];
    EXPECT_EQ(c.type, QStringLiteral("5"));
    EXPECT_EQ(c.amount, money("-200.00"));
    EXPECT_EQ(c.ref, QStringLiteral("NC-7"));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM apori WHERE DebitCredit = TRUE")), 1);
}

TEST_F(PurchaseTest, LastPurchaseIsThisDocumentsAmountNotASum)
{
    ASSERT_TRUE(PostPurchase(db, invoice(QStringLiteral("ACME"), QStringLiteral("F-1"), "300.00")).ok);
    ASSERT_TRUE(PostPurchase(db, invoice(QStringLiteral("ACME"), QStringLiteral("F-2"), "120.50")).ok);
    EXPECT_EQ(supplierMoney(QStringLiteral("ACME"), QStringLiteral("Sup_last_purch")), money("120.50"));
    EXPECT_EQ(supplierMoney(QStringLiteral("ACME"), QStringLiteral("Sup_purch_ytd")), money("420.50"));
    EXPECT_EQ(supplierMoney(QStringLiteral("ACME"), QStringLiteral("Sup_current_bal")), money("420.50"));
}

TEST_F(PurchaseTest, ForeignSupplierRowsShareOneHeaderInItsJournal)
{
    PurchaseDocument d = invoice(QStringLiteral("EURO"), QStringLiteral("E-9"), "1000.00");
    d.rows[1] = {Goods, QStringLiteral("gas"), money("600.00"), {}};
    d.rows[2] = {Freight, QStringLiteral("freight"), money("400.00"), {}};
    d.rows[3] = {Freight, QStringLiteral("no amount: document only"), {}, {}};
    ASSERT_TRUE(PostPurchase(db, d).ok);
    auto tjlh = open(QStringLiteral("tjlh"));
    ASSERT_EQ(tjlh->recordCount(), 1);
    tjlh->first();
    EXPECT_EQ(tjlh->field(QStringLiteral("Tjlh_journal")).asInteger(), 33);
    EXPECT_EQ(tjlh->field(QStringLiteral("Tjlh_tot_debit")).asMoney(), money("1000.00"));
    EXPECT_EQ(tjlh->field(QStringLiteral("Tjlh_tot_credit")).asMoney(), money("1000.00"));
    EXPECT_EQ(tjlh->field(QStringLiteral("Tjlh_memo")).asString(), QStringLiteral("Euro Gas"));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM tjld WHERE Tjld_journal = 33")), 3);
    auto apori = open(QStringLiteral("apori"));
    apori->first();
    EXPECT_EQ(apori->field(QStringLiteral("Account4")).asInteger(), Freight) << "copied though not journalised";
    EXPECT_EQ(apori->field(QStringLiteral("Account5")).asInteger(), 0);
    EXPECT_EQ(apori->field(QStringLiteral("Debit2")).asMoney(), money("600.00"));
}

TEST_F(PurchaseTest, DirectCashPurchaseTouchesNoSupplier)
{
    PurchaseDocument d;
    d.directCash = true;
    d.invoiceNumber = QStringLiteral("CASH-1");
    d.date = QDate(2026, 3, 14);
    d.dueDate = d.date;
    d.period = 3;
    d.memo = QStringLiteral("stamps");
    d.rows[0] = {Goods, QString(), money("12.00"), {}};
    d.rows[1] = {Freight, QString(), {}, money("12.00")};
    ASSERT_TRUE(PostPurchase(db, d).ok);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM cap")), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM tjld")), 2);
    auto apori = open(QStringLiteral("apori"));
    apori->first();
    EXPECT_EQ(apori->field(QStringLiteral("Supplier")).asString(), QString());
    EXPECT_TRUE(apori->field(QStringLiteral("Direct_cash_purchase")).asLogical());
    auto tjlh = open(QStringLiteral("tjlh"));
    tjlh->first();
    EXPECT_EQ(tjlh->field(QStringLiteral("Tjlh_memo")).asString(), QStringLiteral("stamps"));
}

TEST_F(PurchaseTest, ChecksStopBeforeAnyWrite)
{
    const auto before = Snapshot(db);
    const struct {
        const char* edge;
        std::function<void(PurchaseDocument&)> change;
        PostingCheck check;
        int row;
    } cases[] = {
        {"empty invoice", [](PurchaseDocument& d) { d.invoiceNumber = QStringLiteral("  "); },
         PostingCheck::EmptyInvoice, 0},
        {"debit without reference", [](PurchaseDocument& d) { d.typeCode = DebitTypeCode; },
         PostingCheck::EmptyReference, 0},
        {"unbalanced", [](PurchaseDocument& d) { d.rows[1].debit = money("999.99"); }, PostingCheck::Unbalanced, 0},
        {"unknown order", [](PurchaseDocument& d) { d.poNumber = QStringLiteral("9999"); }, PostingCheck::UnknownOrder,
         0},
        {"amount on account 0",
         [](PurchaseDocument& d) {
             d.rows[1].debit = money("400.00");
             d.rows[4] = {0, QString(), money("600.00"), {}};
         },
         PostingCheck::UnknownAccount, 5},
        {"account not in glm", [](PurchaseDocument& d) { d.rows[1].account = 5999; }, PostingCheck::UnknownAccount, 2},
        {"cash purchase on a payable account",
         [](PurchaseDocument& d) {
             d.directCash = true;
             d.supplierCode.clear();
         },
         PostingCheck::PayableOnCashPurchase, 1},
        {"unknown supplier", [](PurchaseDocument& d) { d.supplierCode = QStringLiteral("NOBODY"); },
         PostingCheck::UnknownSupplier, 0},
        {"unknown type", [](PurchaseDocument& d) { d.typeCode = QStringLiteral("6"); }, PostingCheck::UnknownType, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.edge);
        PurchaseDocument d = invoice(QStringLiteral("ACME"), QStringLiteral("F-9"), "1000.00");
        c.change(d);
        const PostingResult r = PostPurchase(db, d);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.check, c.check);
        EXPECT_EQ(r.row, c.row);
    }
    EXPECT_EQ(Snapshot(db), before);
}

// The server lost while a posting opens its tables ends the same way.
TEST_F(PurchaseTest, ATableThatCannotBeOpenedFailsThePostingWithItsError)
{
    db->dropTable(QStringLiteral("apori"));
    const PostingResult r = PostPurchase(db, invoice(QStringLiteral("ACME"), QStringLiteral("M-1"), "1000.00"));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.errorCode, data::ErrorCode::TableNotFound) << r.message.toStdString();
    EXPECT_TRUE(items(QStringLiteral("ACME")).empty()) << "nothing of the posting was kept";
}

TEST_F(PurchaseTest, InvoiceExistsOnlyForTheSameTypeAndExactNumber)
{
    ASSERT_TRUE(PostPurchase(db, invoice(QStringLiteral("ACME"), QStringLiteral("F-300"), "10.00")).ok);
    EXPECT_TRUE(InvoiceExists(db, QStringLiteral("ACME"), QStringLiteral("F-300"), PurchaseTypeCode));
    EXPECT_FALSE(InvoiceExists(db, QStringLiteral("ACME"), QStringLiteral("F-30"), PurchaseTypeCode));
    EXPECT_FALSE(InvoiceExists(db, QStringLiteral("ACME"), QStringLiteral("F-300"), DebitTypeCode));
    EXPECT_FALSE(InvoiceExists(db, QStringLiteral("USCO"), QStringLiteral("F-300"), PurchaseTypeCode));
}

TEST_F(PurchaseTest, TaxLinesFromTheRowsAndTheTaxReport)
{
    PurchaseDocument d = invoice(QStringLiteral("ACME"), QStringLiteral("T-1"), "1149.75");
    d.rows[1] = {Goods, QString(), money("1000.00"), {}};
    d.rows[2] = {GstPaid, QString(), money("50.00"), {}};
    d.rows[3] = {QstPaid, QString(), money("99.75"), {}};
    d.rows[4] = {ZeroRated, QString(), {}, {}};
    std::vector<TaxLine> lines = BuildTaxLines(db, d);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].description, QStringLiteral("GST"));
    EXPECT_EQ(lines[0].type, 4);
    EXPECT_EQ(lines[0].taxAmount, money("50.00"));
    EXPECT_EQ(lines[2].description, QStringLiteral("Zero"));
    EXPECT_EQ(lines[2].taxAmount, Currency());
    lines[0].totalAmount = money("1000.00");
    lines[1].totalAmount = money("1000.00");
    d.taxLines = lines; // the zero-rated line keeps a net of 0: not reported
    ASSERT_TRUE(PostPurchase(db, d).ok);

    // A credit on the same reference reverses: Type 6, amounts stored negative.
    PurchaseDocument credit = d;
    credit.typeCode = CreditTypeCode;
    credit.drCrReference = QStringLiteral("NC-1");
    credit.rows[0] = {Payable, QString(), money("105.00"), {}};
    credit.rows[1] = {Goods, QString(), {}, money("100.00")};
    credit.rows[2] = {GstPaid, QString(), {}, money("5.00")};
    credit.rows[3] = {};
    credit.rows[4] = {};
    credit.taxLines = BuildTaxLines(db, credit);
    ASSERT_EQ(credit.taxLines.size(), 1u);
    EXPECT_EQ(credit.taxLines[0].type, 6);
    credit.taxLines[0].totalAmount = money("100.00");
    ASSERT_TRUE(PostPurchase(db, credit).ok);

    auto rep = open(QStringLiteral("taxrepP"));
    rep->setIndexFieldNames(QStringLiteral("TaxRep_Inc"));
    std::vector<std::tuple<int, int, Currency, Currency>> got;
    for (rep->first(); !rep->eof(); rep->next())
        got.emplace_back(rep->field(QStringLiteral("TaxRep_Code")).asInteger(),
                         rep->field(QStringLiteral("TaxRep_TypeCode")).asInteger(),
                         rep->field(QStringLiteral("TaxRep_Gross")).asMoney(),
                         rep->field(QStringLiteral("TaxRep_VAT")).asMoney());
    const std::vector<std::tuple<int, int, Currency, Currency>> expected = {
        {1, 4, money("1000.00"), money("50.00")},
        {2, 4, money("1000.00"), money("99.75")},
        {1, 6, money("-100.00"), money("-5.00")},
    };
    EXPECT_EQ(got, expected);
}

TEST_F(PurchaseTest, JobCostLinesTakeTheNextSequenceNumbers)
{
    auto jc = open(QStringLiteral("jcTrans"));
    jc->append();
    jc->field(QStringLiteral("JcTrans_Seq")).setInteger(41);
    jc->post();
    auto elem = open(QStringLiteral("JcElem"));
    elem->append();
    elem->field(QStringLiteral("JcElem_Code")).setString(QStringLiteral("MAT"));
    elem->field(QStringLiteral("JcElem_UM")).setString(QStringLiteral("UN"));
    elem->post();
    PurchaseDocument d = invoice(QStringLiteral("ACME"), QStringLiteral("J-1"), "100.00");
    d.jobCostEnabled = true;
    d.jobCostTypeDescription = QStringLiteral("Purchase");
    d.jobCost = {{QStringLiteral("P1"), QStringLiteral("PH"), QStringLiteral("MAT"), 3, 12.5, money("37.50")},
                 {QStringLiteral("P1"), QStringLiteral("PH"), QStringLiteral("LAB"), 1, 62.5, money("62.50")}};
    ASSERT_TRUE(PostPurchase(db, d).ok);
    jc->refresh();
    jc->last();
    EXPECT_EQ(jc->field(QStringLiteral("JcTrans_Seq")).asInteger(), 43);
    EXPECT_EQ(jc->field(QStringLiteral("JcTrans_Tot")).asMoney(), money("62.50"));
    jc->prior();
    EXPECT_EQ(jc->field(QStringLiteral("JcTrans_UM")).asString(), QStringLiteral("UN"));
    EXPECT_EQ(jc->field(QStringLiteral("JcTrans_Ref")).asString(), QStringLiteral("J-1"));
    EXPECT_EQ(jc->field(QStringLiteral("JcTrans_Period")).asInteger(), 3);
    EXPECT_EQ(jc->field(QStringLiteral("JcTrans_Source")).asInteger(), 2);
}

// Whichever write fails, every table is as it was before the posting.
TEST_F(PurchaseTest, FailureAtEveryWriteLeavesEveryTableAsItWas)
{
    // A header of the same key from an earlier document, so that the walk
    // covers the edit of an existing header as well as an insert.
    ASSERT_TRUE(PostPurchase(db, invoice(QStringLiteral("ACME"), QStringLiteral("W-1"), "10.00")).ok);
    PurchaseDocument d = invoice(QStringLiteral("ACME"), QStringLiteral("W-1"), "1149.75");
    d.typeCode = AdjustmentTypeCode;
    d.drCrReference = QStringLiteral("ADJ");
    d.rows[1] = {Goods, QString(), money("1000.00"), {}};
    d.rows[2] = {GstPaid, QString(), money("50.00"), {}};
    d.rows[3] = {QstPaid, QString(), money("99.75"), {}};
    d.holdbackPercent = 5;
    d.holdbackDueDate = QDate(2026, 12, 1);
    d.taxLines = BuildTaxLines(db, d);
    for (TaxLine& t : d.taxLines)
        t.totalAmount = money("1000.00");
    d.jobCostEnabled = true;
    d.jobCost = {{QStringLiteral("P1"), QStringLiteral("PH"), QStringLiteral("MAT"), 1, 10, money("10.00")}};
    const auto before = Snapshot(db);
    int writes = 0;
    for (int n = 1; n < 100; ++n) {
        SCOPED_TRACE(n);
        db->failAtWrite(n);
        const PostingResult r = PostPurchase(db, d);
        db->failAtWrite(0);
        if (r.ok) {
            writes = n - 1;
            break;
        }
        EXPECT_EQ(r.errorCode, data::ErrorCode::InjectedFault);
        EXPECT_FALSE(r.table.isEmpty()) << "the result names the table";
        EXPECT_EQ(Snapshot(db), before);
        EXPECT_FALSE(db->inTransaction());
    }
    // 4 rows x (header + line), supplier, two open items, two tax lines,
    // one job-cost line, the document.
    EXPECT_EQ(writes, 4 * 2 + 1 + 2 + 2 + 1 + 1);
    EXPECT_EQ(supplierMoney(QStringLiteral("ACME"), QStringLiteral("Sup_current_bal")), money("1159.75"));
}

TEST_F(PurchaseTest, WaitsForASupplierAnotherWorkstationHolds)
{
    QProcess holder;
    holder.start(QStringLiteral(VARNEX_TEST_BIN_DIR "/engine_lock_holder"),
                 {folder(), QStringLiteral("sup"), QStringLiteral("ACME")});
    ASSERT_TRUE(holder.waitForStarted(5000));
    QByteArray said;
    QElapsedTimer waited;
    waited.start();
    while (!said.contains('\n') && waited.elapsed() < 10000) {
        holder.waitForReadyRead(200);
        said += holder.readAllStandardOutput();
    }
    ASSERT_EQ(said.trimmed(), QByteArray("LOCKED"));

    const auto before = Snapshot(db);
    PostingOptions givingUp;
    givingUp.lockWait = [](const QString&, const QString&, int attempt) { return attempt < 3; };
    const PostingResult refused =
        PostPurchase(db, invoice(QStringLiteral("ACME"), QStringLiteral("L-1"), "10.00"), givingUp);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.check, PostingCheck::LockNotTaken);
    EXPECT_EQ(refused.table.toLower(), QStringLiteral("sup"));
    EXPECT_EQ(refused.record, QStringLiteral("ACME"));
    EXPECT_EQ(Snapshot(db), before);

    PostingOptions patient;
    int waits = 0;
    patient.lockWait = [&](const QString&, const QString&, int) {
        if (++waits == 2) {
            holder.kill();
            holder.waitForFinished(5000);
        }
        return true;
    };
    const PostingResult r = PostPurchase(db, invoice(QStringLiteral("ACME"), QStringLiteral("L-1"), "10.00"), patient);
    EXPECT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_GE(waits, 2);
    EXPECT_EQ(supplierMoney(QStringLiteral("ACME"), QStringLiteral("Sup_current_bal")), money("10.00"));
}

// A poster keeps its cursors between postings; a failed posting must leave
// none of them in edit mode or holding the supplier.
TEST_F(PurchaseTest, PosterReusesItsCursorsAcrossPostingsAndFailures)
{
    PurchasePoster poster(db);
    ASSERT_TRUE(poster.post(invoice(QStringLiteral("ACME"), QStringLiteral("P-1"), "10.00")).ok);
    const auto before = Snapshot(db);
    for (int n = 1; n <= 6; ++n) {
        SCOPED_TRACE(n);
        db->failAtWrite(n);
        EXPECT_FALSE(poster.post(invoice(QStringLiteral("ACME"), QStringLiteral("P-2"), "20.00")).ok);
        db->failAtWrite(0);
        EXPECT_EQ(Snapshot(db), before);
        // Another cursor of this process can take the supplier: nothing held.
        auto sup = open(QStringLiteral("sup"));
        ASSERT_TRUE(sup->findKey({QStringLiteral("ACME")}));
        sup->edit();
        sup->cancel();
    }
    ASSERT_TRUE(poster.post(invoice(QStringLiteral("ACME"), QStringLiteral("P-2"), "20.00")).ok);
    EXPECT_EQ(supplierMoney(QStringLiteral("ACME"), QStringLiteral("Sup_current_bal")), money("30.00"));
    EXPECT_EQ(poster.post(invoice(QStringLiteral("ACME"), QStringLiteral(""), "1.00")).check,
              PostingCheck::EmptyInvoice);
}
