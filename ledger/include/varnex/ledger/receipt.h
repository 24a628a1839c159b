#pragma once
// A stock receipt (goods received from a supplier, against a purchase order
// or freely, into one store) and its posting.
//
// The receipt window fills a StockReceipt from its header and work lines,
// with the serial numbers and cylinder counts its dialogs gathered, then
// calls PostStockReceipt. It checks, locks every existing record it will
// change (stock, products, order, pending quantities, statistics; in one
// fixed order, so two workstations never wait on each other), and writes in
// one transaction, in this order: the receipt header, the job-cost
// transaction of a project, then per line with a quantity received: the
// receipt line, stock and cost (layered or average costing), statistics,
// movement history (one header per packing slip), pending order quantity,
// standard cost, the order's received quantities and total, the serial numbers.
//
// Foreign currency: the cost of the receipt is converted by the supplier's
// rate; stock already valued (the old part of an average, layers 4 and 5
// when merged) is in home currency and is not converted again.

#include <array>
#include <memory>
#include <vector>

#include <QDate>
#include <QDateTime>
#include <QString>

#include "varnex/currency.h"
#include "varnex/ledger/posting.h"
#include "varnex/ledger/terms.h"

namespace varnex::data {
class Database;
}

namespace varnex::ledger {

struct ReceiptSerial {
    QString serial;
    QString comments;
    double quantity = 1;
    bool type = true; // Ivserin_type
};

struct ReceiptLine {
    QString orderNumber; // Cfrdet_order_number
    QString lineCode;    // empty or "N": a non-stock line
    QString itemCode;
    QString description;
    double quantityToReceive = 0; // Cfrdet_qty_order
    double quantityReceived = 0;  // may be negative (a return)
    Currency price;               // cost of one unit, in the supplier's currency
    double discount = 0;
    Currency total; // price x quantity received x unit factor
    QString binLocation;
    bool fromOrder = false;             // the line was copied from the purchase order
    int cylinders = 0;                  // "Cylinders received" of a volume product
    std::vector<ReceiptSerial> serials; // one per unit of a serial-numbered product
};

struct StockReceipt {
    QString packingSlip;
    QString orderNumber; // empty: a receipt without order
    QString supplierCode;
    QDate date; // Cfrhd_date: layers, statistics month, history
    QDate dateRequired;
    QDate datePromised;
    QString shipTo;
    QString shipName;
    QString shipAddress1;
    QString shipAddress2;
    QString shipCity;
    QString shipProvince;
    QString shipPostalCode;
    QString shipCountry;
    QString shipTelephone;
    QString shipVia;
    Currency total;         // Cfrhd_total
    Currency totalReceived; // Cfrhd_total_received as copied from the order
    QString memo;
    int store = 0;
    QString project;       // empty: no job-cost transaction
    int projectPeriod = 0; // typed in the project dialog (receipt without order)
    std::vector<ReceiptLine> lines;

    QString user;                   // Link_user
    int language = 1;               // Link_language: 2 gives "Réception"
    QString jobCostTypeDescription; // JcTrans_TypeDesc, the window's message line 13
    QDateTime stamp;                // current time when invalid
};

// Unit factor of a product: Ivprod_price_unit when it is not 0, otherwise 1.
double UnitFactor(double priceUnit);
// price x quantity x unit factor, four decimals.
Currency ReceiptLineTotal(Currency price, double quantity, double unitFactor);
// True for a line code that is empty or "N" (any case).
bool IsNonStockLine(const QString& lineCode);

// One cost layer of ivinv (layer 1 is the newest).
struct CostLayer {
    double quantity = 0;
    Currency cost;
    QDate date;
};

// Layered costing on receipt of `quantity` (>= 0) at `cost` (home currency,
// already converted), dated `date`: layers 4 and 5 merge into 5 (the cost
// rounded to cents; 0 when their quantities sum to 0), the others shift down,
// the receipt becomes layer 1, and a negative shifted layer 2 is absorbed by
// it. A layer whose cost is 0 loses its date.
void ReceiveIntoLayers(std::array<CostLayer, 5>& layers, double quantity, Currency cost, const QDate& date);

// Average costing: the new average of `onHand` units at `averageCost` (home
// currency) and `quantity` units at `cost` (home currency), four decimals;
// the old average stays when the quantities sum to 0.
Currency AverageCost(double onHand, Currency averageCost, double quantity, Currency cost);

PostingResult CheckStockReceipt(const std::shared_ptr<data::Database>& company, const StockReceipt& receipt);

PostingResult PostStockReceipt(std::shared_ptr<data::Database> company, const StockReceipt& receipt);
PostingResult PostStockReceipt(std::shared_ptr<data::Database> company, const StockReceipt& receipt,
                               const PostingOptions& options);

} // namespace varnex::ledger
