#include "ledger_fixture.h"

#include "varnex/ledger/check.h"
#include "varnex/ledger/purchase.h"
#include "varnex/ledger/receipt.h"

using namespace varnex;
using namespace varnex::ledger;
using namespace ledgertest;

namespace {

class CheckTest : public LedgerFixture {
protected:
    void postSome()
    {
        PurchaseDocument d;
        d.supplierCode = QStringLiteral("ACME");
        d.invoiceNumber = QStringLiteral("C-1");
        d.date = QDate(2026, 3, 14);
        d.dueDate = d.date;
        d.period = 3;
        d.rows[0] = {Payable, QString(), {}, money("250.00")};
        d.rows[1] = {Goods, QString(), money("250.00"), {}};
        d.holdbackPercent = 10;
        ASSERT_TRUE(PostPurchase(db, d).ok);
        addProduct(QStringLiteral("QUI"), QStringLiteral("VIS"));
        StockReceipt r;
        r.packingSlip = QStringLiteral("BL-1");
        r.supplierCode = QStringLiteral("ACME");
        r.date = QDate(2026, 3, 14);
        r.store = 1;
        ReceiptLine l;
        l.lineCode = QStringLiteral("QUI");
        l.itemCode = QStringLiteral("VIS");
        l.quantityReceived = 12;
        l.price = money("3.00");
        l.total = money("36.00");
        r.lines = {l};
        ASSERT_TRUE(PostStockReceipt(db, r).ok);
    }
};

} // namespace

TEST_F(CheckTest, PostedCompanyHoldsEveryInvariant)
{
    postSome();
    const CheckReport report = CheckCompany(db);
    EXPECT_TRUE(report.ok()) << report.differences.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(report.suppliers, 3);
    EXPECT_EQ(report.journalHeaders, 1);
    EXPECT_EQ(report.inventoryRecords, 1);
    EXPECT_EQ(report.receipts, 1);
}

TEST_F(CheckTest, EachBrokenInvariantIsReported)
{
    postSome();
    const struct {
        const char* sql;
        const char* reported;
    } cases[] = {
        {"UPDATE sup SET Sup_current_bal = 0 WHERE Sup_code = 'ACME'", "Supplier ACME"},
        {"UPDATE tjlh SET Tjlh_tot_debit = 0", "does not balance"},
        {"UPDATE tjld SET Tjld_credit = 0", "totals"},
        {"UPDATE ivinv SET Ivinv_on_hand = 11", "on hand 11"},
        {"UPDATE ivinv SET Ivinv_qty2 = -1", "layer 2 holds -1"},
        {"UPDATE ivinv SET Ivinv_on_order = -2", "on order -2"},
        {"DELETE FROM cfrhd", "Receipt BL-1 has lines but no header"},
        {"DELETE FROM ivtrxhh", "Movement BL-1 has lines but no header"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        const auto before = Snapshot(db);
        {
            data::Transaction tx(db);
            exec(QString::fromLatin1(c.sql));
            const CheckReport report = CheckCompany(db);
            EXPECT_TRUE(report.differences.join(QLatin1Char('\n')).contains(QString::fromLatin1(c.reported)))
                << report.differences.join(QLatin1Char('\n')).toStdString();
        } // rolled back
        EXPECT_EQ(Snapshot(db), before);
    }
}
