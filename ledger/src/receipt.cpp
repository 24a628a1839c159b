#include "varnex/ledger/receipt.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <set>

#include "posting_run.h"
#include "varnex/data/database.h"
#include "varnex/data/query.h"
#include "varnex/data/table.h"

namespace varnex::ledger {

using detail::KeyText;
using detail::OpenTable;

double UnitFactor(double priceUnit)
{
    return priceUnit != 0 ? priceUnit : 1.0;
}

Currency ReceiptLineTotal(Currency price, double quantity, double unitFactor)
{
    return price.multipliedBy(quantity * unitFactor);
}

bool IsNonStockLine(const QString& lineCode)
{
    const QString code = lineCode.trimmed();
    return code.isEmpty() || code.compare(QLatin1String("N"), Qt::CaseInsensitive) == 0;
}

void ReceiveIntoLayers(std::array<CostLayer, 5>& layers, double quantity, Currency cost, const QDate& date)
{
    CostLayer& four = layers[3];
    CostLayer& five = layers[4];
    const double merged = five.quantity + four.quantity;
    if (merged != 0) {
        // Both layers are valued in home currency already: no conversion.
        const Currency value = five.cost.multipliedBy(five.quantity) + four.cost.multipliedBy(four.quantity);
        five.cost = RoundToCents(value.dividedBy(merged));
        five.quantity = merged;
        five.date = four.date;
    } else {
        five.cost = Currency();
    }
    layers[3] = layers[2];
    layers[2] = layers[1];
    layers[1] = layers[0];
    CostLayer fresh{quantity, cost, date};
    if (layers[1].quantity < 0) {
        fresh.quantity = quantity + layers[1].quantity;
        layers[1].quantity = 0;
    }
    layers[0] = fresh;
    for (CostLayer& layer : layers)
        if (layer.cost.isZero())
            layer.date = QDate();
}

Currency AverageCost(double onHand, Currency averageCost, double quantity, Currency cost)
{
    const double total = onHand + quantity;
    if (total == 0)
        return averageCost;
    return (averageCost.multipliedBy(onHand) + cost.multipliedBy(quantity)).dividedBy(total);
}

namespace {

const QString NonStockLineCode = QStringLiteral("ns ");
const QString NonStockItemCode = QStringLiteral("non-stock");

struct ProductFacts {
    bool exists = false;
    bool serial = false;
    bool volume = false;
};

struct ReceiptFacts {
    QString supplierName;
    int currency = 0;
    int costing = 1; // Ivctrl_fifo
    bool preserveStandardCost = false;
    ExchangeRates rates;
    std::map<std::pair<QString, QString>, ProductFacts> products;
    int orderPeriod = 0;
};

bool received(const ReceiptLine& line)
{
    return line.quantityReceived != 0;
}

void zeroNumbers(data::Table& table)
{
    for (int i = 0; i < table.fieldCount(); ++i) {
        data::Field& f = table.fieldByNumber(i);
        switch (f.type()) {
        case data::FieldType::Money: f.setMoney(Currency()); break;
        case data::FieldType::Integer:
        case data::FieldType::ShortInteger: f.setInteger(0); break;
        case data::FieldType::Number: f.setNumber(0); break;
        default: break;
        }
    }
}

PostingResult engineFailure(const data::EngineError& error)
{
    PostingResult result;
    result.ok = false;
    result.message = error.message();
    result.errorCode = error.code();
    result.errorCategory = error.category();
    return result;
}

ProductFacts productOf(data::Table& ivprod, const QString& line, const QString& item)
{
    ProductFacts facts;
    if (!ivprod.findKey({line, item}))
        return facts;
    facts.exists = true;
    facts.serial = ivprod.field(QStringLiteral("Ivprod_serial_no")).asLogical();
    facts.volume = ivprod.field(QStringLiteral("Ivprod_VolumeProduct")).asLogical();
    return facts;
}

// A missing serial number, or a serial-numbered line without enough of them.
bool serialsMissing(const ReceiptLine& line)
{
    const int units = static_cast<int>(line.quantityReceived);
    if (units <= 0)
        return false;
    if (static_cast<int>(line.serials.size()) < units)
        return true;
    for (int u = 0; u < units; ++u)
        if (line.serials[static_cast<size_t>(u)].serial.trimmed().isEmpty())
            return true;
    return false;
}

} // namespace

PostingResult CheckStockReceipt(const std::shared_ptr<data::Database>& company, const StockReceipt& receipt)
{
    using C = PostingCheck;
    if (receipt.packingSlip.trimmed().isEmpty())
        return PostingResult::failedCheck(C::EmptyPackingSlip, QStringLiteral("The packing slip is empty."));
    auto cfrhd = OpenTable(company, QStringLiteral("cfrhd"), true);
    if (cfrhd->findKey({receipt.packingSlip}))
        return PostingResult::failedCheck(C::PackingSlipUsed, QStringLiteral("The packing slip is already received."));
    auto sup = OpenTable(company, QStringLiteral("sup"), true);
    if (receipt.supplierCode.isEmpty() || !sup->findKey({receipt.supplierCode}))
        return PostingResult::failedCheck(C::UnknownSupplier, QStringLiteral("The supplier does not exist."));
    if (!receipt.orderNumber.isEmpty()) {
        auto cfhdr = OpenTable(company, QStringLiteral("cfhdr"), true);
        if (!cfhdr->findKey({QStringLiteral("2"), receipt.orderNumber}))
            return PostingResult::failedCheck(C::UnknownOrder, QStringLiteral("The purchase order does not exist."));
    }
    auto ivprod = OpenTable(company, QStringLiteral("ivprod"), true);
    for (size_t n = 0; n < receipt.lines.size(); ++n) {
        const ReceiptLine& line = receipt.lines[n];
        if (!received(line) || IsNonStockLine(line.lineCode))
            continue;
        const ProductFacts product = productOf(*ivprod, line.lineCode, line.itemCode);
        if (!product.exists)
            return PostingResult::failedCheck(C::UnknownProduct, QStringLiteral("The product does not exist."),
                                              static_cast<int>(n + 1));
        if (product.serial && serialsMissing(line))
            return PostingResult::failedCheck(C::MissingSerials, QStringLiteral("Serial numbers are missing."),
                                              static_cast<int>(n + 1));
    }
    return PostingResult::success();
}

PostingResult PostStockReceipt(std::shared_ptr<data::Database> company, const StockReceipt& receipt)
{
    return PostStockReceipt(std::move(company), receipt, PostingOptions{});
}

PostingResult PostStockReceipt(std::shared_ptr<data::Database> company, const StockReceipt& receipt,
                               const PostingOptions& options)
{
    ReceiptFacts facts;
    try {
        const PostingResult checked = CheckStockReceipt(company, receipt);
        if (!checked)
            return checked;
        auto sup = OpenTable(company, QStringLiteral("sup"), true);
        sup->findKey({receipt.supplierCode});
        facts.supplierName = sup->field(QStringLiteral("Sup_name")).asString();
        facts.currency = static_cast<int>(sup->field(QStringLiteral("Sup_currency")).asInteger());
        auto ivctrl = OpenTable(company, QStringLiteral("ivctrl"), true);
        ivctrl->first();
        facts.costing = ivctrl->eof() ? 1 : static_cast<int>(ivctrl->field(QStringLiteral("Ivctrl_fifo")).asInteger());
        auto ctrl = OpenTable(company, QStringLiteral("ctrl"), true);
        ctrl->first();
        facts.preserveStandardCost = !ctrl->eof() && ctrl->field(QStringLiteral("Ctrl_PreserveSTDCost")).asLogical();
        facts.rates = ReadExchangeRates(company);
        auto ivprod = OpenTable(company, QStringLiteral("ivprod"), true);
        for (const ReceiptLine& line : receipt.lines)
            facts.products.emplace(std::make_pair(line.lineCode, line.itemCode),
                                   productOf(*ivprod, line.lineCode, line.itemCode));
        if (!receipt.orderNumber.isEmpty()) {
            auto cfhdr = OpenTable(company, QStringLiteral("cfhdr"), true);
            if (cfhdr->findKey({QStringLiteral("2"), receipt.orderNumber}))
                facts.orderPeriod = static_cast<int>(cfhdr->field(QStringLiteral("cfhdr_period")).asInteger());
        }
    } catch (const data::EngineError& error) {
        return engineFailure(error);
    }

    const QDateTime now = detail::StampOf(receipt.stamp);
    const int month = receipt.date.month();
    const bool layered = facts.costing == 1 || facts.costing == 2;
    const bool withOrder = !receipt.orderNumber.isEmpty();
    const int orderAsNumber = receipt.orderNumber.toInt();
    const int store = receipt.store;
    bool anyFromOrder = false;
    for (const ReceiptLine& line : receipt.lines)
        anyFromOrder = anyFromOrder || (received(line) && line.fromOrder);

    detail::WriteSpot spot;
    auto attempt = [&] {
        // Locks, outside the transaction and in one order (table, then key)
        // so that two workstations never wait on each other: the order, the
        // stock records, the supplier's statistics. Records below them
        // (product statistics, order lines, pending quantities) are only
        // changed by whoever holds these.
        std::vector<std::unique_ptr<data::Table>> held;
        std::map<std::tuple<QString, QString, int>, data::Table*> stock;
        data::Table* orderHeader = nullptr;
        data::Table* supplierStats = nullptr;
        if (withOrder && anyFromOrder) {
            auto cfhdr = OpenTable(company, QStringLiteral("cfhdr"));
            const QVariantList key{QStringLiteral("2"), receipt.orderNumber};
            spot.at(QStringLiteral("cfhdr"), KeyText(key));
            if (cfhdr->findKey(key)) {
                detail::EditWaitingForLock(*cfhdr, KeyText(key), options);
                orderHeader = cfhdr.get();
                held.push_back(std::move(cfhdr));
            }
        }
        std::set<std::tuple<QString, QString, int>> stockKeys;
        for (const ReceiptLine& line : receipt.lines)
            if (received(line) && !line.lineCode.isEmpty())
                stockKeys.emplace(line.lineCode, line.itemCode, store);
        {
            auto probe = OpenTable(company, QStringLiteral("ivinv"), true);
            for (const auto& key : stockKeys) {
                const QVariantList values{std::get<0>(key), std::get<1>(key), std::get<2>(key)};
                if (!probe->findKey(values))
                    continue;
                auto ivinv = OpenTable(company, QStringLiteral("ivinv"));
                ivinv->findKey(values);
                spot.at(QStringLiteral("ivinv"), KeyText(values));
                detail::EditWaitingForLock(*ivinv, KeyText(values), options);
                stock[key] = ivinv.get();
                held.push_back(std::move(ivinv));
            }
        }
        {
            auto sastats = OpenTable(company, QStringLiteral("sastats"));
            if (sastats->findKey({receipt.supplierCode})) {
                spot.at(QStringLiteral("sastats"), receipt.supplierCode);
                detail::EditWaitingForLock(*sastats, receipt.supplierCode, options);
                supplierStats = sastats.get();
                held.push_back(std::move(sastats));
            }
        }

        auto cfrhd = OpenTable(company, QStringLiteral("cfrhd"));
        auto cfrdet = OpenTable(company, QStringLiteral("cfrdet"));
        auto ivinvNew = OpenTable(company, QStringLiteral("ivinv"));
        auto ivprod = OpenTable(company, QStringLiteral("ivprod"));
        auto cfdet = OpenTable(company, QStringLiteral("cfdet"));
        auto cfpkey = OpenTable(company, QStringLiteral("cfpkey"));
        auto ivtrxhh = OpenTable(company, QStringLiteral("ivtrxhh"));
        ivtrxhh->setIndexFieldNames(QStringLiteral("Ivtrxh_reference"));
        auto ivtrxdh = OpenTable(company, QStringLiteral("ivtrxdh"));
        auto ivserin = OpenTable(company, QStringLiteral("ivserin"));
        auto sastatsNew = supplierStats ? nullptr : OpenTable(company, QStringLiteral("sastats"));
        auto sastatsp = OpenTable(company, QStringLiteral("sastatsp"));
        auto sastatp = OpenTable(company, QStringLiteral("sastatp"));
        auto sastatmp = OpenTable(company, QStringLiteral("sastatmp"));

        // The order's lines in their order (those with a quantity ordered);
        // the position follows the receipt's lines.
        std::vector<std::pair<QString, QString>> orderLines;
        std::vector<qlonglong> orderLineNumbers;
        if (withOrder) {
            cfdet->setIndexFieldNames(QStringLiteral("Cfdet_doc;Cfdet_order_number;Cfdet_line"));
            cfdet->setRange({QStringLiteral("2"), receipt.orderNumber}, {QStringLiteral("2"), receipt.orderNumber});
            for (cfdet->first(); !cfdet->eof(); cfdet->next())
                if (cfdet->field(QStringLiteral("Cfdet_qty_order")).asNumber() != 0) {
                    orderLines.emplace_back(cfdet->field(QStringLiteral("Cfdet_line_code")).asString(),
                                            cfdet->field(QStringLiteral("Cfdet_item_code")).asString());
                    orderLineNumbers.push_back(cfdet->field(QStringLiteral("Cfdet_line")).asInteger());
                }
            cfdet->cancelRange();
        }

        data::Transaction tx(company);

        spot.at(QStringLiteral("cfrhd"), receipt.packingSlip);
        cfrhd->append();
        zeroNumbers(*cfrhd);
        const auto setText = [](data::Table& t, const char* name, const QString& value) {
            t.field(QString::fromLatin1(name)).setString(value);
        };
        setText(*cfrhd, "Cfrhd_packing_slip", receipt.packingSlip);
        setText(*cfrhd, "Cfrhd_order_number", receipt.orderNumber);
        setText(*cfrhd, "Cfrhd_supplier", receipt.supplierCode);
        cfrhd->field(QStringLiteral("Cfrhd_date")).setDate(receipt.date);
        cfrhd->field(QStringLiteral("Cfrhd_date_req")).setDate(receipt.dateRequired);
        cfrhd->field(QStringLiteral("Cfrhd_date_prom")).setDate(receipt.datePromised);
        setText(*cfrhd, "Cfrhd_shp_to", receipt.shipTo);
        setText(*cfrhd, "Cfrhd_shp_nom", receipt.shipName);
        setText(*cfrhd, "Cfrhd_shp_adr1", receipt.shipAddress1);
        setText(*cfrhd, "Cfrhd_shp_adr2", receipt.shipAddress2);
        setText(*cfrhd, "Cfrhd_shp_city", receipt.shipCity);
        setText(*cfrhd, "Cfrhd_shp_prov", receipt.shipProvince);
        setText(*cfrhd, "Cfrhd_shp_cp", receipt.shipPostalCode);
        setText(*cfrhd, "Cfrhd_shp_country", receipt.shipCountry);
        setText(*cfrhd, "Cfrhd_shp_tel", receipt.shipTelephone);
        cfrhd->field(QStringLiteral("Cfhrd_date_received")).setDate(receipt.date);
        setText(*cfrhd, "Cfrhd_ship_via", receipt.shipVia);
        cfrhd->field(QStringLiteral("Cfrhd_total")).setMoney(receipt.total);
        cfrhd->field(QStringLiteral("Cfrhd_total_received")).setMoney(receipt.totalReceived);
        setText(*cfrhd, "Cfrhd_memo", receipt.memo);
        cfrhd->field(QStringLiteral("Cfrhd_store")).setInteger(store);
        setText(*cfrhd, "Cfrhd_Project", receipt.project);
        cfrhd->post();

        if (!receipt.project.isEmpty()) {
            auto jc = OpenTable(company, QStringLiteral("jcTrans"));
            jc->last();
            std::int64_t seq = jc->isEmpty() ? 0 : jc->field(QStringLiteral("JcTrans_Seq")).asInteger();
            for (;;) {
                ++seq;
                spot.at(QStringLiteral("jcTrans"), QString::number(seq));
                jc->append();
                jc->field(QStringLiteral("JcTrans_Seq")).setInteger(seq);
                jc->field(QStringLiteral("JcTrans_Project")).setString(receipt.project);
                jc->field(QStringLiteral("JcTrans_Date")).setDate(receipt.date);
                jc->field(QStringLiteral("JcTrans_Type")).setInteger(5);
                jc->field(QStringLiteral("JcTrans_Taux")).setMoney(Currency::fromUnits(1));
                jc->field(QStringLiteral("JcTrans_Vol")).setNumber(receipt.total.toDouble());
                jc->field(QStringLiteral("JcTrans_Tot")).setMoney(receipt.total);
                jc->field(QStringLiteral("JcTrans_Period"))
                    .setInteger(withOrder ? facts.orderPeriod : receipt.projectPeriod);
                jc->field(QStringLiteral("JcTrans_Ref")).setString(receipt.packingSlip);
                jc->field(QStringLiteral("JcTrans_Desc")).setString(facts.supplierName);
                jc->field(QStringLiteral("JcTrans_Source")).setInteger(5);
                jc->field(QStringLiteral("JcTrans_Stamp")).setTimestamp(now);
                jc->field(QStringLiteral("JcTrans_User")).setString(receipt.user);
                jc->field(QStringLiteral("JcTrans_TypeDesc")).setString(receipt.jobCostTypeDescription);
                try {
                    jc->post();
                    break;
                } catch (const data::EngineError& error) {
                    // Another workstation took the number: take the next one.
                    if (error.code() != data::ErrorCode::KeyViolation)
                        throw;
                    jc->cancel();
                }
            }
        }

        bool historyHeaderDone = false;
        size_t orderPosition = 0;
        for (size_t n = 0; n < receipt.lines.size(); ++n, ++orderPosition) {
            const ReceiptLine& line = receipt.lines[n];
            if (!received(line))
                continue;
            const double qty = line.quantityReceived;
            const ProductFacts product = facts.products[{line.lineCode, line.itemCode}];
            const Currency costHome = facts.rates.toHome(line.price, facts.currency);
            int cylinders = 0;

            // b. Stock and cost.
            double onHandAfter = 0;
            if (!line.lineCode.isEmpty()) {
                const std::tuple<QString, QString, int> key{line.lineCode, line.itemCode, store};
                const QVariantList values{line.lineCode, line.itemCode, store};
                spot.at(QStringLiteral("ivinv"), KeyText(values));
                data::Table* inv = nullptr;
                if (auto found = stock.find(key); found != stock.end()) {
                    inv = found->second;
                    inv->edit(); // a second line of the same product: locked already
                } else {
                    ivinvNew->append();
                    zeroNumbers(*ivinvNew);
                    ivinvNew->field(QStringLiteral("Ivinv_Line_Code")).setString(line.lineCode);
                    ivinvNew->field(QStringLiteral("Ivinv_item_code")).setString(line.itemCode);
                    ivinvNew->field(QStringLiteral("Ivinv_store")).setInteger(store);
                    ivinvNew->post();
                    auto mine = OpenTable(company, QStringLiteral("ivinv"));
                    mine->findKey(values);
                    mine->edit();
                    inv = mine.get();
                    stock[key] = inv;
                    held.push_back(std::move(mine));
                }
                data::Table& t = *inv;
                auto qtyField = [&](int n) -> data::Field& { return t.field(QStringLiteral("Ivinv_qty%1").arg(n)); };
                auto costField = [&](int n) -> data::Field& { return t.field(QStringLiteral("Ivinv_cost%1").arg(n)); };
                auto dateField = [&](int n) -> data::Field& {
                    return t.field(QStringLiteral("Ivinv_date_cost%1").arg(n));
                };
                if (layered && qty >= 0) {
                    std::array<CostLayer, 5> layers;
                    for (int i = 0; i < 5; ++i)
                        layers[static_cast<size_t>(i)] = {qtyField(i + 1).asNumber(),
                                                          Currency::fromDouble(costField(i + 1).asNumber()),
                                                          dateField(i + 1).asDate()};
                    ReceiveIntoLayers(layers, qty, costHome, receipt.date);
                    for (int i = 0; i < 5; ++i) {
                        const CostLayer& layer = layers[static_cast<size_t>(i)];
                        qtyField(i + 1).setNumber(layer.quantity);
                        costField(i + 1).setNumber(layer.cost.toDouble());
                        if (layer.date.isValid())
                            dateField(i + 1).setDate(layer.date);
                        else
                            dateField(i + 1).clear();
                    }
                    if (product.volume) {
                        cylinders = line.cylinders;
                        data::Field& onHand = t.field(QStringLiteral("Ivinv_CylindersOnHand"));
                        onHand.setInteger(onHand.asInteger() + cylinders);
                    }
                } else {
                    const Currency average = AverageCost(qtyField(1).asNumber(),
                                                         Currency::fromDouble(costField(1).asNumber()), qty, costHome);
                    costField(1).setNumber(average.toDouble());
                    qtyField(1).setNumber(qtyField(1).asNumber() + qty);
                    dateField(1).setDate(receipt.date);
                }
                if (line.fromOrder) {
                    data::Field& onOrder = t.field(QStringLiteral("Ivinv_on_order"));
                    onOrder.setNumber(qty > onOrder.asNumber() ? 0.0 : onOrder.asNumber() - qty);
                }
                for (const char* name : {"Ivinv_mth_rec", "Ivinv_ytd_rec", "Ivinv_on_hand"}) {
                    data::Field& f = t.field(QString::fromLatin1(name));
                    f.setNumber(f.asNumber() + qty);
                }
                t.field(QStringLiteral("Ivinv_date_lst_rc")).setDate(receipt.date);
                t.post();
                for (int i = 1; i <= 5; ++i)
                    onHandAfter += qtyField(i).asNumber();
            }

            // c. Statistics.
            const bool nonStock = IsNonStockLine(line.lineCode);
            const QString statLine = nonStock ? NonStockLineCode : line.lineCode;
            const QString statItem = nonStock ? NonStockItemCode : line.itemCode;
            auto addStatistics = [&](data::Table& t, const QString& name, const QVariantList& key, Currency cost,
                                     std::optional<Currency> unitCost, Currency total, bool alreadyLocked) {
                spot.at(name, KeyText(key));
                if (alreadyLocked || t.findKey(key)) {
                    t.edit();
                } else {
                    t.append();
                    zeroNumbers(t);
                    const QStringList keyFields =
                        name == QLatin1String("sastats")    ? QStringList{"Supplier"}
                        : name == QLatin1String("sastatsp") ? QStringList{"Supplier", "Line_code", "Item_code"}
                        : name == QLatin1String("sastatp")  ? QStringList{"Line_code", "Item_code"}
                                                            : QStringList{"Store", "Line_code", "Item_code"};
                    for (int i = 0; i < keyFields.size(); ++i)
                        t.field(keyFields[i]).setValue(key[i]);
                }
                data::Field& c = t.field(QStringLiteral("Cost%1").arg(month));
                c.setMoney(c.asMoney() + cost);
                data::Field& q = t.field(QStringLiteral("Qty%1").arg(month));
                q.setNumber(q.asNumber() + qty);
                t.field(QStringLiteral("Date")).setDate(receipt.date);
                if (withOrder)
                    t.field(QStringLiteral("PO")).setInteger(orderAsNumber);
                if (unitCost)
                    t.field(QStringLiteral("Cost")).setMoney(*unitCost);
                t.field(QStringLiteral("Total")).setMoney(total);
                t.post();
            };
            const Currency totalHome = facts.rates.toHomeCents(line.total, facts.currency);
            const Currency priceHome = facts.rates.toHomeCents(line.price, facts.currency);
            const Currency receiptHome = facts.rates.toHomeCents(receipt.total, facts.currency);
            addStatistics(*sastatsp, QStringLiteral("sastatsp"), {receipt.supplierCode, statLine, statItem}, line.total,
                          line.price, receipt.total, false);
            if (supplierStats) {
                addStatistics(*supplierStats, QStringLiteral("sastats"), {receipt.supplierCode}, line.total,
                              std::nullopt, receipt.total, true);
            } else {
                addStatistics(*sastatsNew, QStringLiteral("sastats"), {receipt.supplierCode}, line.total, std::nullopt,
                              receipt.total, false);
            }
            addStatistics(*sastatp, QStringLiteral("sastatp"), {statLine, statItem}, totalHome, priceHome, receiptHome,
                          false);
            addStatistics(*sastatmp, QStringLiteral("sastatmp"), {store, statLine, statItem}, totalHome, priceHome,
                          receiptHome, false);

            // d. Movement history: one header per packing slip.
            if (!historyHeaderDone) {
                spot.at(QStringLiteral("ivtrxhh"), receipt.packingSlip);
                if (!ivtrxhh->findKey({receipt.packingSlip})) {
                    ivtrxhh->append();
                    ivtrxhh->field(QStringLiteral("Ivtrxh_reference")).setString(receipt.packingSlip);
                    ivtrxhh->field(QStringLiteral("Ivtrxh_date")).setDate(receipt.date);
                    ivtrxhh->field(QStringLiteral("Ivtrxh_store")).setInteger(store);
                    ivtrxhh->field(QStringLiteral("Ivtrxh_supplier")).setString(receipt.supplierCode);
                    ivtrxhh->field(QStringLiteral("Ivtrxh_type"))
                        .setString(receipt.language == 2 ? QStringLiteral("Réception") : QStringLiteral("Reception"));
                    ivtrxhh->field(QStringLiteral("Ivtrxh_comment")).setString(receipt.memo);
                    ivtrxhh->field(QStringLiteral("Ivtrxh_TypeCode")).setInteger(1);
                    ivtrxhh->post();
                }
                historyHeaderDone = true;
            }
            spot.at(QStringLiteral("ivtrxdh"), receipt.packingSlip);
            ivtrxdh->append();
            ivtrxdh->field(QStringLiteral("Ivtrxd_reference")).setString(receipt.packingSlip);
            ivtrxdh->field(QStringLiteral("Ivtrxd_date")).setDate(receipt.date);
            ivtrxdh->field(QStringLiteral("Ivtrxd_line_code")).setString(line.lineCode);
            ivtrxdh->field(QStringLiteral("Ivtrxd_item_code")).setString(line.itemCode);
            ivtrxdh->field(QStringLiteral("Ivtrxd_qty")).setNumber(qty);
            ivtrxdh->field(QStringLiteral("Ivtrxd_cost")).setNumber(costHome.toDouble());
            ivtrxdh->field(QStringLiteral("Ivtrxd_balance")).setNumber(onHandAfter);
            ivtrxdh->field(QStringLiteral("Ivtrxd_store")).setInteger(store);
            ivtrxdh->field(QStringLiteral("Ivtrxd_desc")).setString(line.description);
            ivtrxdh->post();

            // e. Quantity still pending on the order.
            const QVariantList pendingKey{line.lineCode, line.itemCode, store, line.orderNumber};
            if (cfpkey->findKey(pendingKey)) {
                spot.at(QStringLiteral("cfpkey"), KeyText(pendingKey));
                cfpkey->edit();
                data::Field& pending = cfpkey->field(QStringLiteral("Cfpkey_qty"));
                pending.setNumber(std::max(0.0, pending.asNumber() - qty));
                cfpkey->post();
            }

            // f. Standard cost.
            if (line.price > Currency() && !facts.preserveStandardCost
                && ivprod->findKey({line.lineCode, line.itemCode})) {
                spot.at(QStringLiteral("ivprod"), KeyText({line.lineCode, line.itemCode}));
                ivprod->edit();
                ivprod->field(QStringLiteral("Ivprod_std_cost")).setNumber(line.price.toDouble());
                ivprod->post();
            }

            // g. The order's total and received quantities.
            if (withOrder && line.fromOrder && orderHeader) {
                spot.at(QStringLiteral("cfhdr"), receipt.orderNumber);
                orderHeader->edit();
                data::Field& total = orderHeader->field(QStringLiteral("Cfhdr_total_received"));
                total.setMoney(total.asMoney() + line.price.multipliedBy(qty));
                orderHeader->field(QStringLiteral("Cfhdr_date_received")).setDate(receipt.date);
                orderHeader->post();
                // From the current order line on; when none follows, from the
                // first line, so the quantity is never lost.
                std::optional<size_t> match;
                auto sameProduct = [&](size_t i) {
                    return orderLines[i].first == line.lineCode && orderLines[i].second == line.itemCode;
                };
                for (size_t i = orderPosition; i < orderLines.size() && !match; ++i)
                    if (sameProduct(i))
                        match = i;
                for (size_t i = 0; i < orderLines.size() && i < orderPosition && !match; ++i)
                    if (sameProduct(i))
                        match = i;
                if (match) {
                    orderPosition = *match;
                    const QVariantList key{QStringLiteral("2"), receipt.orderNumber, orderLineNumbers[*match]};
                    spot.at(QStringLiteral("cfdet"), KeyText(key));
                    if (cfdet->findKey(key)) {
                        cfdet->edit();
                        data::Field& got = cfdet->field(QStringLiteral("Cfdet_qty_received"));
                        got.setNumber(got.asNumber() + qty);
                        cfdet->post();
                    }
                }
            }

            // h. The receipt line.
            spot.at(QStringLiteral("cfrdet"), receipt.packingSlip);
            cfrdet->append();
            cfrdet->field(QStringLiteral("Cfrdet_paking_slip")).setString(receipt.packingSlip);
            cfrdet->field(QStringLiteral("Cfrdet_order_number")).setString(line.orderNumber);
            cfrdet->field(QStringLiteral("Cfrdet_line_code")).setString(line.lineCode);
            cfrdet->field(QStringLiteral("Cfrdet_item_code")).setString(line.itemCode);
            cfrdet->field(QStringLiteral("Cfrdet_desc")).setString(line.description);
            cfrdet->field(QStringLiteral("Cfrdet_qty_order")).setNumber(line.quantityToReceive);
            cfrdet->field(QStringLiteral("Cfrdet_qty_received")).setNumber(qty);
            cfrdet->field(QStringLiteral("Cfrdet_price")).setNumber(line.price.toDouble());
            cfrdet->field(QStringLiteral("Cfrdet_discount")).setNumber(line.discount);
            cfrdet->field(QStringLiteral("Cfrdet_total")).setMoney(line.total);
            cfrdet->field(QStringLiteral("Cfrdet_bin_loc")).setString(line.binLocation);
            cfrdet->field(QStringLiteral("Cfrdet_from_po")).setLogical(line.fromOrder);
            cfrdet->field(QStringLiteral("Cfrdet_CylindersReceived")).setInteger(cylinders);
            cfrdet->post();

            // i. Serial numbers, one per unit received.
            if (product.serial && qty > 0) {
                const int units = static_cast<int>(qty);
                for (int u = 0; u < units; ++u) {
                    const ReceiptSerial& s = line.serials[static_cast<size_t>(u)];
                    spot.at(QStringLiteral("ivserin"), KeyText({line.lineCode, line.itemCode, s.serial}));
                    ivserin->append();
                    ivserin->field(QStringLiteral("Ivserin_line_code")).setString(line.lineCode);
                    ivserin->field(QStringLiteral("Ivserin_item_code")).setString(line.itemCode);
                    ivserin->field(QStringLiteral("Ivserin_serial")).setString(s.serial);
                    ivserin->field(QStringLiteral("Ivserin_supplier")).setString(receipt.supplierCode);
                    ivserin->field(QStringLiteral("Ivserin_date")).setDate(receipt.date);
                    ivserin->field(QStringLiteral("Ivserin_qty")).setNumber(s.quantity);
                    ivserin->field(QStringLiteral("Ivserin_comments")).setString(s.comments);
                    ivserin->field(QStringLiteral("Ivserin_type")).setLogical(s.type);
                    ivserin->field(QStringLiteral("Ivserin_store")).setInteger(store);
                    ivserin->field(QStringLiteral("Ivserin_PO")).setString(receipt.orderNumber);
                    ivserin->post();
                }
            }
        }
        tx.commit();
    };
    return detail::RunPosting(options, spot, attempt);
}

} // namespace varnex::ledger
