// The receipts of a supplier's purchase order: each packing slip received
// against it with its lines, the cost ordered beside the cost received.

#include <QHash>

#include "report_parts.h"
#include "varnex/accountview/report_forms.h"
#include "varnex/data/query.h"

namespace varnex::accountview {

using report::Accumulator;
using report::Band;
using report::Report;
using report::ReportText;
using namespace parts;

namespace {

// Landscape letter: 255 mm between the margins.
constexpr Column Columns[] = {{0, 22},   {23, 28},  {52, 60},  {113, 22}, {136, 16},
                              {153, 24}, {178, 24}, {203, 25}, {229, 26}};

QRectF ColumnAt(int column, double y)
{
    return parts::At(Columns[column], y);
}

QString MatchKey(const QString& order, const QString& lineCode, const QString& item, const QString& description)
{
    const QChar apart(0x1f);
    return order.toCaseFolded() + apart + lineCode.toCaseFolded() + apart + item.toCaseFolded() + apart
           + description.toCaseFolded();
}

// The total of each order line by order number, line code, item code and
// description, ignoring case; the first line in the order table's key order
// wins when two match. Read once per report: the order table has no key that
// ignores case.
class OrderedCosts {
public:
    explicit OrderedCosts(std::shared_ptr<data::Database> db)
    {
        m_lines.setDatabase(std::move(db));
        m_lines.setTableName(QStringLiteral("cfdet"));
    }
    // Read again at the next look-up (the next layout of the report).
    void forget()
    {
        m_totals.clear();
        m_loaded = false;
    }
    Currency find(const QString& order, const QString& lineCode, const QString& item, const QString& description)
    {
        if (!m_loaded)
            load();
        return m_totals.value(MatchKey(order, lineCode, item, description));
    }

private:
    void load()
    {
        m_lines.open();
        m_lines.setIndexFieldNames(QStringLiteral("Cfdet_doc;Cfdet_line_code;Cfdet_item_code;Cfdet_order_number"));
        for (m_lines.first(); !m_lines.eof(); m_lines.next()) {
            const QString key = MatchKey(m_lines.field(QStringLiteral("Cfdet_order_number")).asString(),
                                         m_lines.field(QStringLiteral("Cfdet_line_code")).asString(),
                                         m_lines.field(QStringLiteral("Cfdet_item_code")).asString(),
                                         m_lines.field(QStringLiteral("Cfdet_desc")).asString());
            if (!m_totals.contains(key))
                m_totals.insert(key, m_lines.field(QStringLiteral("Cfdet_total")).asMoney());
        }
        m_lines.close();
        m_loaded = true;
    }
    data::Table m_lines;
    QHash<QString, Currency> m_totals;
    bool m_loaded = false;
};

} // namespace

Currency ReceivedCost(double quantity, double price, double discountPercent)
{
    return Currency::fromDouble(quantity * price * (1.0 - discountPercent / 100.0));
}

std::unique_ptr<Report> MakePurchaseOrderReprint(TAccountDataModule& dm, const QString& order, int* missingLine)
{
    auto form = std::make_unique<Report>();
    form->setObjectName(QStringLiteral("poreprint_qrfrm"));
    form->title = order;
    form->pageLayout.setOrientation(QPageLayout::Landscape);
    std::shared_ptr<data::Database> db = dm.database.database();

    auto* receipts = new data::Query(form.get());
    receipts->setDatabase(db);
    receipts->setSql(QStringLiteral("SELECT *\nFROM cfrhd\nWHERE cfrhd.cfrhd_order_number = :PO \n"
                                    "ORDER BY Cfrhd_order_number asc;"));
    receipts->bindText(QStringLiteral("PO"), order);
    receipts->open();
    if (receipts->isEmpty()) {
        // Nothing received: say whether the order itself exists.
        data::Table orders;
        orders.setDatabase(db);
        orders.setTableName(QStringLiteral("cfhdr"));
        orders.open();
        const bool exists = orders.findKey({QStringLiteral("2"), order});
        if (missingLine)
            *missingLine = exists ? lines::PurchaseOrderNotReceived : lines::PurchaseOrderMissing;
        return nullptr;
    }

    auto* received = new data::Table(form.get());
    received->setDatabase(db);
    received->setTableName(QStringLiteral("cfrdet"));
    received->open();
    received->setIndexFieldNames(QStringLiteral("Cfrdet_paking_slip"));
    auto costs = std::make_shared<OrderedCosts>(db);
    auto supplier = std::make_shared<AccountAddress>(dm, *received);
    auto value = [](data::DataSet& set, const QString& name) { return [&set, name] { return FieldValue(set, name); }; };

    Band& page = form->columnHeader();
    page.height = LineHeight + 2;
    const char* orderTitles[] = {"P.O.", "Date", "Supplier", "Name"};
    const double orderX[] = {0, 30, 60, 90};
    for (int i = 0; i < 4; ++i)
        page.label(QStringLiteral("OrderTitle%1").arg(i + 1), {orderX[i], 0, 60, LineHeight},
                   QString::fromLatin1(orderTitles[i]))
            .bold = true;
    form->pageFooter()
        .pageNumber(QStringLiteral("PageNumber"), {215, 2, 40, RowHeight}, QStringLiteral("Page"))
        .alignment = Qt::AlignRight | Qt::AlignTop;

    // One group per order number.
    report::Group& group = form->addGroup(value(*receipts, QStringLiteral("Cfrhd_order_number")));
    Band& orderBand = *group.header;
    orderBand.height = 3 * LineHeight + 3;
    const char* orderFields[] = {"Cfrhd_order_number", "cfrhd_date", "Cfrhd_supplier"};
    for (int i = 0; i < 3; ++i) {
        const QString name = QString::fromLatin1(orderFields[i]);
        orderBand.field(name, {orderX[i], 0, 29, LineHeight}, value(*receipts, name));
    }
    orderBand.field(QStringLiteral("Sup_name"), {orderX[3], 0, 100, LineHeight},
                    [supplier] { return supplier->field(QStringLiteral("name")); });
    orderBand.beforePrint = [supplier, receipts] {
        supplier->find(receipts->field(QStringLiteral("Cfrhd_supplier")).asString());
        return true;
    };
    const char* columnTitles[] = {"Packing slip",     "Date received",     "Description", "Unit cost",     "Discount",
                                  "Quantity ordered", "Quantity received", "Total cost",  "Total received"};
    for (int i = 0; i < 9; ++i) {
        QRectF place = ColumnAt(i, LineHeight + 2);
        place.setHeight(2 * LineHeight);
        ReportText& title =
            orderBand.label(QStringLiteral("ColumnTitle%1").arg(i + 1), place, QString::fromLatin1(columnTitles[i]));
        // A long title wraps onto a second line within its column.
        title.bold = true;
        title.wordWrap = true;
        if (i >= 3)
            RightAligned(title);
    }

    // One detail per receipt (packing slip).
    Band& receipt = form->detail();
    receipt.height = LineHeight + 1;
    receipt.field(QStringLiteral("Cfrhd_packing_slip"), ColumnAt(0, 0),
                  value(*receipts, QStringLiteral("Cfrhd_packing_slip")));
    receipt.field(QStringLiteral("Cfhrd_date_received"), ColumnAt(1, 0),
                  value(*receipts, QStringLiteral("Cfhrd_date_received")));
    receipt.label(QStringLiteral("StoreTitle"), {Columns[2].x, 0, 15, LineHeight}, QStringLiteral("Store:"));
    receipt.field(QStringLiteral("Cfrhd_store"), {Columns[2].x + 16, 0, 30, LineHeight},
                  value(*receipts, QStringLiteral("Cfrhd_store")));
    // Every layout reads the receipts again, with their lines and the
    // ordered costs, in one consistent read: a receipt another workstation
    // posts meanwhile shows whole or not at all, and the totals add up.
    form->readConsistently(db);
    report::RecordSource master = report::RecordSource::of(*receipts);
    master.first = [receipts, costs] {
        receipts->refresh();
        costs->forget();
        receipts->first();
    };
    form->setMaster(master);

    // The lines of each receipt, found by its packing slip.
    report::RecordSource lineSource = report::RecordSource::of(*received);
    lineSource.first = [received, receipts] {
        const QVariant slip = receipts->field(QStringLiteral("Cfrhd_packing_slip")).value();
        received->setRange({slip}, {slip});
        received->first();
    };
    report::SubDetail& sub = form->addSubDetail(lineSource);
    Band& line = *sub.detail;
    line.height = LineHeight;
    auto costOrdered = [received, costs] {
        auto text = [received](const char* name) { return received->field(QString::fromLatin1(name)).asString(); };
        return QVariant::fromValue(costs->find(text("Cfrdet_order_number"), text("Cfrdet_line_code"),
                                               text("Cfrdet_item_code"), text("Cfrdet_desc")));
    };
    auto costReceived = [received] {
        auto number = [received](const char* name) { return received->field(QString::fromLatin1(name)).asNumber(); };
        return QVariant::fromValue(
            ReceivedCost(number("Cfrdet_qty_received"), number("Cfrdet_price"), number("Cfrdet_discount")));
    };
    const QString quantities = QStringLiteral("###,###,##0.00");
    line.field(QStringLiteral("Cfrdet_line_code"), ColumnAt(0, 0),
               value(*received, QStringLiteral("Cfrdet_line_code")));
    line.field(QStringLiteral("Cfrdet_item_code"), ColumnAt(1, 0),
               value(*received, QStringLiteral("Cfrdet_item_code")));
    line.field(QStringLiteral("Cfrdet_desc"), ColumnAt(2, 0), value(*received, QStringLiteral("Cfrdet_desc")));
    RightAligned(line.field(QStringLiteral("price"), ColumnAt(3, 0), value(*received, QStringLiteral("Cfrdet_price")),
                            QStringLiteral("###,###,##0.00")));
    RightAligned(line.field(QStringLiteral("Cfrdet_discount"), ColumnAt(4, 0),
                            value(*received, QStringLiteral("Cfrdet_discount")), QStringLiteral("##0.00")));
    RightAligned(line.field(QStringLiteral("Cfrdet_qty_order"), ColumnAt(5, 0),
                            value(*received, QStringLiteral("Cfrdet_qty_order")), quantities));
    RightAligned(line.field(QStringLiteral("Cfrdet_qty_received"), ColumnAt(6, 0),
                            value(*received, QStringLiteral("Cfrdet_qty_received")), quantities));
    RightAligned(line.field(QStringLiteral("cost_ordered"), ColumnAt(7, 0), costOrdered, quantities));
    RightAligned(line.field(QStringLiteral("cost_received"), ColumnAt(8, 0), costReceived, quantities));

    Band& footer = *group.footer;
    footer.height = LineHeight + 3;
    Accumulator& ordered = form->addSum(line, costOrdered, &footer);
    Accumulator& receivedSum = form->addSum(line, costReceived, &footer);
    const QString dollars = QStringLiteral("$###,###,##0.00");
    RightAligned(footer.field(
        QStringLiteral("SumOrdered"), ColumnAt(7, 1), [&ordered] { return ordered.value(); }, dollars));
    RightAligned(footer.field(
        QStringLiteral("SumReceived"), ColumnAt(8, 1), [&receivedSum] { return receivedSum.value(); }, dollars));
    return form;
}

} // namespace varnex::accountview
