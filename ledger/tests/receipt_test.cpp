#include "ledger_fixture.h"

#include "varnex/data/engine_error.h"
#include "varnex/ledger/receipt.h"

using namespace varnex;
using namespace varnex::ledger;
using namespace ledgertest;

namespace {

using Layers = std::vector<std::pair<double, Currency>>;

class ReceiptTest : public LedgerFixture {
protected:
    void SetUp() override
    {
        LedgerFixture::SetUp();
        addProduct(QStringLiteral("QUI"), QStringLiteral("VIS"));
        addProduct(QStringLiteral("QUI"), QStringLiteral("CLOU"));
        addProduct(QStringLiteral("OUT"), QStringLiteral("PERC"), true);
        addProduct(QStringLiteral("GAZ"), QStringLiteral("OXY"), false, true);
    }

    void setCosting(int method)
    {
        auto ivctrl = open(QStringLiteral("ivctrl"));
        ivctrl->first();
        ivctrl->edit();
        ivctrl->field(QStringLiteral("Ivctrl_fifo")).setInteger(method);
        ivctrl->post();
    }

    void setStock(const QString& item, const Layers& layers, double onOrder = 0)
    {
        auto inv = open(QStringLiteral("ivinv"));
        inv->append();
        for (int i = 0; i < inv->fieldCount(); ++i)
            if (inv->fieldByNumber(i).type() == data::FieldType::Number)
                inv->fieldByNumber(i).setNumber(0);
        inv->field(QStringLiteral("Ivinv_Line_Code"))
            .setString(item == QLatin1String("PERC")  ? QStringLiteral("OUT")
                       : item == QLatin1String("OXY") ? QStringLiteral("GAZ")
                                                      : QStringLiteral("QUI"));
        inv->field(QStringLiteral("Ivinv_item_code")).setString(item);
        inv->field(QStringLiteral("Ivinv_store")).setInteger(1);
        double onHand = 0;
        for (size_t n = 0; n < layers.size(); ++n) {
            inv->field(QStringLiteral("Ivinv_qty%1").arg(n + 1)).setNumber(layers[n].first);
            inv->field(QStringLiteral("Ivinv_cost%1").arg(n + 1)).setNumber(layers[n].second.toDouble());
            inv->field(QStringLiteral("Ivinv_date_cost%1").arg(n + 1))
                .setDate(QDate(2026, 1, 1).addDays(-static_cast<int>(n)));
            onHand += layers[n].first;
        }
        inv->field(QStringLiteral("Ivinv_on_hand")).setNumber(onHand);
        inv->field(QStringLiteral("Ivinv_on_order")).setNumber(onOrder);
        inv->post();
    }

    Layers layersOf(const QString& item)
    {
        auto inv = open(QStringLiteral("ivinv"));
        EXPECT_TRUE(
            inv->findKey({item == QLatin1String("PERC") ? QStringLiteral("OUT") : QStringLiteral("QUI"), item, 1}));
        Layers out;
        for (int n = 1; n <= 5; ++n)
            out.emplace_back(inv->field(QStringLiteral("Ivinv_qty%1").arg(n)).asNumber(),
                             Currency::fromDouble(inv->field(QStringLiteral("Ivinv_cost%1").arg(n)).asNumber()));
        return out;
    }

    double stockField(const QString& item, const QString& field)
    {
        auto inv = open(QStringLiteral("ivinv"));
        EXPECT_TRUE(
            inv->findKey({item == QLatin1String("PERC") ? QStringLiteral("OUT") : QStringLiteral("QUI"), item, 1}));
        return inv->field(field).asNumber();
    }

    static ReceiptLine line(const QString& item, double qty, const char* price)
    {
        ReceiptLine l;
        l.lineCode = item == QLatin1String("PERC") ? QStringLiteral("OUT") : QStringLiteral("QUI");
        l.itemCode = item;
        l.description = item.toLower();
        l.quantityToReceive = qty;
        l.quantityReceived = qty;
        l.price = money(price);
        l.total = ReceiptLineTotal(l.price, qty, 1);
        return l;
    }

    StockReceipt receipt(const QString& slip, const QString& supplier, std::vector<ReceiptLine> lines)
    {
        StockReceipt r;
        r.packingSlip = slip;
        r.supplierCode = supplier;
        r.date = QDate(2026, 3, 14);
        r.store = 1;
        r.user = QStringLiteral("CLERK");
        r.stamp = QDateTime(r.date, QTime(11, 0));
        for (const ReceiptLine& l : lines)
            r.total += l.total;
        r.lines = std::move(lines);
        return r;
    }

    void addOrder(const QString& number, const QString& supplier,
                  const std::vector<std::tuple<QString, double, double>>& lines)
    {
        auto h = open(QStringLiteral("cfhdr"));
        h->append();
        h->field(QStringLiteral("Cfhdr_doc")).setString(QStringLiteral("2"));
        h->field(QStringLiteral("Cfhdr_order_number")).setString(number);
        h->field(QStringLiteral("Cfhdr_supplier")).setString(supplier);
        h->field(QStringLiteral("Cfhdr_total_received")).setMoney(Currency());
        h->field(QStringLiteral("cfhdr_period")).setInteger(2);
        h->post();
        auto d = open(QStringLiteral("cfdet"));
        auto k = open(QStringLiteral("cfpkey"));
        for (const auto& [item, ordered, received] : lines) {
            d->append();
            d->field(QStringLiteral("Cfdet_doc")).setString(QStringLiteral("2"));
            d->field(QStringLiteral("Cfdet_order_number")).setString(number);
            d->field(QStringLiteral("Cfdet_line_code")).setString(QStringLiteral("QUI"));
            d->field(QStringLiteral("Cfdet_item_code")).setString(item);
            d->field(QStringLiteral("Cfdet_qty_order")).setNumber(ordered);
            d->field(QStringLiteral("Cfdet_qty_received")).setNumber(received);
            d->post();
            k->append();
            k->field(QStringLiteral("Cfpkey_line_code")).setString(QStringLiteral("QUI"));
            k->field(QStringLiteral("Cfpkey_item_code")).setString(item);
            k->field(QStringLiteral("Cfpkey_store")).setInteger(1);
            k->field(QStringLiteral("Cfpkey_order")).setString(number);
            k->field(QStringLiteral("Cfpkey_qty")).setNumber(ordered - received);
            k->post();
        }
    }
};

} // namespace

TEST(CostLayers, MergeShiftAndTheNegativeNewestLayer)
{
    std::array<CostLayer, 5> layers{{{5, money("10"), QDate(2026, 1, 5)},
                                     {3, money("11"), QDate(2026, 1, 4)},
                                     {2, money("12"), QDate(2026, 1, 3)},
                                     {4, money("13"), QDate(2026, 1, 2)},
                                     {6, money("14"), QDate(2026, 1, 1)}}};
    ReceiveIntoLayers(layers, 7, money("15"), QDate(2026, 3, 14));
    const std::array<std::pair<double, Currency>, 5> expected{
        {{7, money("15")}, {5, money("10")}, {3, money("11")}, {2, money("12")}, {10, money("13.60")}}};
    for (size_t n = 0; n < 5; ++n) {
        EXPECT_EQ(layers[n].quantity, expected[n].first) << n;
        EXPECT_EQ(layers[n].cost, expected[n].second) << n;
    }
    EXPECT_EQ(layers[4].date, QDate(2026, 1, 2)) << "the merged layer keeps layer 4's date";
    EXPECT_EQ(layers[0].date, QDate(2026, 3, 14));

    std::array<CostLayer, 5> negative{{{-3, money("9"), QDate(2026, 1, 5)}}};
    ReceiveIntoLayers(negative, 10, money("8"), QDate(2026, 3, 14));
    EXPECT_EQ(negative[0].quantity, 7);
    EXPECT_EQ(negative[1].quantity, 0);
    EXPECT_EQ(negative[4].cost, Currency()) << "empty layers 4 and 5 merge to a zero cost";
    EXPECT_FALSE(negative[4].date.isValid());

    EXPECT_EQ(AverageCost(10, money("4.00"), 30, money("5.00")), money("4.75"));
    EXPECT_EQ(AverageCost(-30, money("4.00"), 30, money("5.00")), money("4.00")) << "no division by zero";
    EXPECT_EQ(ReceiptLineTotal(money("2.50"), 4, UnitFactor(0)), money("10.00"));
    EXPECT_EQ(ReceiptLineTotal(money("2.50"), 4, UnitFactor(12)), money("120.00"));
    EXPECT_TRUE(IsNonStockLine(QStringLiteral("n")));
    EXPECT_TRUE(IsNonStockLine(QString()));
    EXPECT_FALSE(IsNonStockLine(QStringLiteral("QUI")));
}

TEST_F(ReceiptTest, LayeredReceiptShiftsTheStoredLayers)
{
    setStock(QStringLiteral("VIS"),
             {{5, money("10")}, {3, money("11")}, {2, money("12")}, {4, money("13")}, {6, money("14")}});
    const PostingResult r = PostStockReceipt(
        db, receipt(QStringLiteral("BL-1"), QStringLiteral("ACME"), {line(QStringLiteral("VIS"), 7, "15")}));
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_EQ(layersOf(QStringLiteral("VIS")),
              (Layers{{7, money("15")}, {5, money("10")}, {3, money("11")}, {2, money("12")}, {10, money("13.60")}}));
    EXPECT_EQ(stockField(QStringLiteral("VIS"), QStringLiteral("Ivinv_on_hand")), 27);
    auto hist = open(QStringLiteral("ivtrxdh"));
    hist->first();
    EXPECT_EQ(hist->field(QStringLiteral("Ivtrxd_balance")).asNumber(), 27);
}

TEST_F(ReceiptTest, NegativeNewestLayerIsAbsorbed)
{
    setStock(QStringLiteral("VIS"), {{-3, money("9")}});
    ASSERT_TRUE(PostStockReceipt(
                    db, receipt(QStringLiteral("BL-2"), QStringLiteral("ACME"), {line(QStringLiteral("VIS"), 10, "8")}))
                    .ok);
    const Layers got = layersOf(QStringLiteral("VIS"));
    EXPECT_EQ(got[0], std::make_pair(7.0, money("8")));
    EXPECT_EQ(got[1].first, 0);
}

TEST_F(ReceiptTest, OnOrderNeverGoesBelowZeroNorThePendingQuantity)
{
    setStock(QStringLiteral("VIS"), {{1, money("2")}}, 5);
    addOrder(QStringLiteral("1001"), QStringLiteral("ACME"), {{QStringLiteral("VIS"), 5, 0}});
    ReceiptLine l = line(QStringLiteral("VIS"), 8, "2.00");
    l.fromOrder = true;
    l.orderNumber = QStringLiteral("1001");
    StockReceipt r = receipt(QStringLiteral("BL-3"), QStringLiteral("ACME"), {l});
    r.orderNumber = QStringLiteral("1001");
    ASSERT_TRUE(PostStockReceipt(db, r).ok);
    EXPECT_EQ(stockField(QStringLiteral("VIS"), QStringLiteral("Ivinv_on_order")), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM cfpkey WHERE Cfpkey_qty = 0")), 1);
    auto cfhdr = open(QStringLiteral("cfhdr"));
    cfhdr->first();
    EXPECT_EQ(cfhdr->field(QStringLiteral("Cfhdr_total_received")).asMoney(), money("16.00"));
    EXPECT_EQ(cfhdr->field(QStringLiteral("Cfhdr_date_received")).asDate(), QDate(2026, 3, 14));
}

TEST_F(ReceiptTest, FourteenthOfMarchGoesToMonthThreeOfEveryStatisticsTable)
{
    StockReceipt r = receipt(QStringLiteral("BL-4"), QStringLiteral("ACME"),
                             {line(QStringLiteral("VIS"), 4, "2.50"), line(QStringLiteral("CLOU"), 2, "1.25")});
    r.orderNumber = QString();
    ASSERT_TRUE(PostStockReceipt(db, r).ok);
    for (const char* table : {"sastatsp", "sastats", "sastatp", "sastatmp"}) {
        SCOPED_TRACE(table);
        const QString t = QString::fromLatin1(table);
        varnex::data::Query q(db,
                              QStringLiteral("SELECT SUM(Cost3) AS c, SUM(Qty3) AS q, SUM(Cost2) AS other FROM ") + t);
        q.declareResultField(QStringLiteral("c"), data::FieldType::Money);
        q.declareResultField(QStringLiteral("other"), data::FieldType::Money);
        q.open();
        EXPECT_EQ(q.field(QStringLiteral("c")).asMoney(), money("12.50"));
        EXPECT_EQ(q.field(QStringLiteral("q")).asNumber(), 6);
        EXPECT_EQ(q.field(QStringLiteral("other")).asMoney(), Currency());
    }
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM sastats")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM sastatmp WHERE Store = 1")), 2);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM ivtrxhh")), 1) << "two lines, one movement header";
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM ivtrxdh")), 2);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM cfrdet")), 2);
}

TEST_F(ReceiptTest, ForeignReceiptConvertsOnlyItsOwnCostUnderLayers)
{
    // US dollars at 1.25; layers 4 and 5 are home-currency values.
    setStock(QStringLiteral("VIS"),
             {{0, Currency()}, {0, Currency()}, {0, Currency()}, {2, money("10.00")}, {2, money("12.00")}});
    StockReceipt r = receipt(QStringLiteral("US-1"), QStringLiteral("USCO"), {line(QStringLiteral("VIS"), 4, "8.00")});
    ASSERT_TRUE(PostStockReceipt(db, r).ok);
    const Layers got = layersOf(QStringLiteral("VIS"));
    EXPECT_EQ(got[0], std::make_pair(4.0, money("10.00"))) << "8.00 US at 1.25";
    EXPECT_EQ(got[4], std::make_pair(4.0, money("11.00"))) << "merged, not converted again";
    // Supplier statistics in the supplier's currency, product statistics at home.
    varnex::data::Query q(db, QStringLiteral("SELECT Cost3, Cost FROM sastatsp"));
    q.open();
    EXPECT_EQ(q.field(QStringLiteral("Cost3")).asMoney(), money("32.00"));
    EXPECT_EQ(q.field(QStringLiteral("Cost")).asMoney(), money("8.00"));
    varnex::data::Query p(db, QStringLiteral("SELECT Cost3, Cost FROM sastatp"));
    p.open();
    EXPECT_EQ(p.field(QStringLiteral("Cost3")).asMoney(), money("40.00"));
    EXPECT_EQ(p.field(QStringLiteral("Cost")).asMoney(), money("10.00"));
}

TEST_F(ReceiptTest, AverageCostingBlendsInHomeCurrency)
{
    setCosting(0);
    setStock(QStringLiteral("VIS"), {{10, money("4.00")}});
    ASSERT_TRUE(PostStockReceipt(db, receipt(QStringLiteral("H-1"), QStringLiteral("ACME"),
                                             {line(QStringLiteral("VIS"), 30, "5.00")}))
                    .ok);
    EXPECT_EQ(layersOf(QStringLiteral("VIS"))[0], std::make_pair(40.0, money("4.75")));
    // 30 more at 4.00 US = 5.00 home: (40 x 4.75 + 30 x 5.00) / 70, the old
    // average not converted a second time.
    ASSERT_TRUE(PostStockReceipt(db, receipt(QStringLiteral("US-2"), QStringLiteral("USCO"),
                                             {line(QStringLiteral("VIS"), 30, "4.00")}))
                    .ok);
    EXPECT_EQ(layersOf(QStringLiteral("VIS"))[0], std::make_pair(70.0, money("4.8571")));
}

TEST_F(ReceiptTest, OrderLinesAreFoundFromTheFirstWhenNoneFollows)
{
    addOrder(QStringLiteral("2001"), QStringLiteral("ACME"),
             {{QStringLiteral("VIS"), 10, 4}, {QStringLiteral("CLOU"), 6, 0}});
    ReceiptLine clou = line(QStringLiteral("CLOU"), 6, "1.00");
    ReceiptLine vis = line(QStringLiteral("VIS"), 6, "2.00");
    for (ReceiptLine* l : {&clou, &vis}) {
        l->fromOrder = true;
        l->orderNumber = QStringLiteral("2001");
    }
    StockReceipt r = receipt(QStringLiteral("BL-5"), QStringLiteral("ACME"), {clou, vis});
    r.orderNumber = QStringLiteral("2001");
    r.project = QStringLiteral("P-1");
    r.jobCostTypeDescription = QStringLiteral("Receipt");
    ASSERT_TRUE(PostStockReceipt(db, r).ok);
    varnex::data::Query q(db,
                          QStringLiteral("SELECT Cfdet_item_code, Cfdet_qty_received FROM cfdet ORDER BY Cfdet_line"));
    q.open();
    EXPECT_EQ(q.field(QStringLiteral("Cfdet_item_code")).asString(), QStringLiteral("VIS"));
    EXPECT_EQ(q.field(QStringLiteral("Cfdet_qty_received")).asNumber(), 10);
    q.next();
    EXPECT_EQ(q.field(QStringLiteral("Cfdet_qty_received")).asNumber(), 6);
    auto jc = open(QStringLiteral("jcTrans"));
    ASSERT_EQ(jc->recordCount(), 1);
    jc->first();
    EXPECT_EQ(jc->field(QStringLiteral("JcTrans_Period")).asInteger(), 2) << "the order's period";
    EXPECT_EQ(jc->field(QStringLiteral("JcTrans_Tot")).asMoney(), money("18.00"));
    EXPECT_EQ(jc->field(QStringLiteral("JcTrans_Ref")).asString(), QStringLiteral("BL-5"));
}

TEST_F(ReceiptTest, SerialNumbersOnePerUnitOrNothingAtAll)
{
    ReceiptLine perc = line(QStringLiteral("PERC"), 3, "128.40");
    perc.serials = {{QStringLiteral("S1")}, {QStringLiteral("S2")}};
    const auto before = Snapshot(db);
    const PostingResult missing = PostStockReceipt(db, receipt(QStringLiteral("S-1"), QStringLiteral("ACME"), {perc}));
    EXPECT_EQ(missing.check, PostingCheck::MissingSerials);
    EXPECT_EQ(missing.row, 1);
    perc.serials.push_back({QStringLiteral(" ")});
    EXPECT_EQ(PostStockReceipt(db, receipt(QStringLiteral("S-1"), QStringLiteral("ACME"), {perc})).check,
              PostingCheck::MissingSerials);
    EXPECT_EQ(Snapshot(db), before);
    perc.serials[2].serial = QStringLiteral("S3");
    ASSERT_TRUE(PostStockReceipt(db, receipt(QStringLiteral("S-1"), QStringLiteral("ACME"), {perc})).ok);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM ivserin WHERE Ivserin_supplier = 'ACME'")), 3);
    EXPECT_EQ(PostStockReceipt(db, receipt(QStringLiteral("S-1"), QStringLiteral("ACME"), {perc})).check,
              PostingCheck::PackingSlipUsed);
    EXPECT_EQ(PostStockReceipt(db, receipt(QStringLiteral(" "), QStringLiteral("ACME"), {perc})).check,
              PostingCheck::EmptyPackingSlip);
}

TEST_F(ReceiptTest, FailureAtEveryWriteLeavesEveryTableAsItWas)
{
    setStock(QStringLiteral("VIS"), {{5, money("10")}, {3, money("11")}}, 10);
    addOrder(QStringLiteral("3001"), QStringLiteral("ACME"),
             {{QStringLiteral("VIS"), 10, 0}, {QStringLiteral("CLOU"), 6, 0}});
    ReceiptLine vis = line(QStringLiteral("VIS"), 4, "2.00");
    ReceiptLine clou = line(QStringLiteral("CLOU"), 6, "1.00"); // no stock record yet
    for (ReceiptLine* l : {&vis, &clou}) {
        l->fromOrder = true;
        l->orderNumber = QStringLiteral("3001");
    }
    ReceiptLine perc = line(QStringLiteral("PERC"), 2, "100.00");
    perc.serials = {{QStringLiteral("A")}, {QStringLiteral("B")}};
    StockReceipt r = receipt(QStringLiteral("F-1"), QStringLiteral("ACME"), {vis, clou, perc});
    r.orderNumber = QStringLiteral("3001");
    r.project = QStringLiteral("P-9");
    const auto before = Snapshot(db);
    int writes = 0;
    for (int n = 1; n < 200; ++n) {
        SCOPED_TRACE(n);
        db->failAtWrite(n);
        const PostingResult result = PostStockReceipt(db, r);
        db->failAtWrite(0);
        if (result.ok) {
            writes = n - 1;
            break;
        }
        EXPECT_EQ(result.errorCode, data::ErrorCode::InjectedFault);
        EXPECT_FALSE(result.table.isEmpty());
        EXPECT_EQ(Snapshot(db), before);
    }
    // Header and job cost; VIS: stock, four statistics, history header and
    // line, pending, standard cost, order header and line, receipt line;
    // CLOU: the same with a new stock record and no history header; PERC (no
    // stock record, not on the order): new stock record, stock, statistics,
    // history line, standard cost, receipt line, two serial numbers.
    EXPECT_EQ(writes, 2 + 12 + 12 + (2 + 4 + 1 + 1 + 1 + 2));
}
