// The invoice behind a statement line, printed again from the current
// invoice tables (fahdr, fadet) or from the archived ones (fahdra, fadeta).

#include "report_parts.h"
#include "varnex/accountview/report_forms.h"
#include "varnex/frame/services.h"
#include "varnex/ledger/statement.h"
#include "varnex/regional.h"

namespace varnex::accountview {

using report::Accumulator;
using report::Band;
using report::Report;
using report::ReportText;
using namespace parts;

namespace {

// Columns of an invoice line (landscape letter, 255 mm between the margins).
constexpr Column LineCode{0, 9};
constexpr Column ItemCode{9, 24};
constexpr Column Description{34, 54};
constexpr Column Quantity{89, 18};
constexpr Column Price{108, 18};
constexpr Column Discount{127, 13};
constexpr Column Tax1{141, 18};
constexpr Column Tax2{160, 18};
constexpr Column LineTotal{179, 21};
constexpr Column Cost{201, 19};
constexpr Column MarginColumn{221, 16};
constexpr Column MarkupColumn{238, 17};

// Keeps the invoice lines linked to the header for the life of the form and
// leaves them closed and unlinked after it, so the window's next look-up
// sees every line again.
struct LinkedLines {
    data::Table& lines;
    LinkedLines(data::Table& lines, data::Table& header, const QString& headerPrefix)
        : lines(lines)
    {
        lines.open();
        lines.setMaster(&header, headerPrefix + QStringLiteral("doc;") + headerPrefix + QStringLiteral("invoice"));
    }
    ~LinkedLines()
    {
        lines.setMaster(nullptr, {});
        lines.close();
    }
    LinkedLines(const LinkedLines&) = delete;
    LinkedLines& operator=(const LinkedLines&) = delete;
};

QString MarginText(std::optional<double> ratio, bool archived)
{
    if (archived)
        return ratio ? QString::number(*ratio, 'g', 15) : QStringLiteral("0");
    return ratio ? FormatFloat(QStringLiteral("##0.00"), *ratio) : QStringLiteral("0.00");
}

} // namespace

std::unique_ptr<Report> MakeInvoiceReprint(TAccountDataModule& dm, bool archived)
{
    auto form = std::make_unique<Report>();
    form->setObjectName(archived ? QStringLiteral("invreprint_qrfrm2") : QStringLiteral("invreprint_qrfrm"));
    form->pageLayout.setOrientation(QPageLayout::Landscape);
    form->printIfEmpty = false;
    data::Table& header = archived ? dm.fahdra : dm.fahdr;
    const QString h = archived ? QStringLiteral("Fahdra_") : QStringLiteral("Fahdr_");
    const QString l = archived ? QStringLiteral("Fadeta_") : QStringLiteral("Fadet_");
    form->title =
        header.isOpen() && !header.isEmpty() ? header.field(h + QStringLiteral("invoice")).asString() : QString();
    auto linked = std::make_shared<LinkedLines>(archived ? dm.fadeta : dm.fadet, header, h);
    data::Table& lines = linked->lines;
    auto address = std::make_shared<AccountAddress>(dm, header);
    auto value = [](data::DataSet& set, const QString& name) { return [&set, name] { return FieldValue(set, name); }; };

    Band& page = form->pageHeader();
    page.height = 8;
    Pair(page, QStringLiteral("StampTitle"), QStringLiteral("Time entered:"), h + QStringLiteral("stamp"), 0, 0,
         value(header, h + QStringLiteral("stamp")));
    Pair(page, QStringLiteral("UserTitle"), QStringLiteral("Entered by:"), h + QStringLiteral("user"), 110, 0,
         value(header, h + QStringLiteral("user")), 40);
    form->pageFooter()
        .pageNumber(QStringLiteral("PageNumber"), {215, 2, 40, RowHeight}, QStringLiteral("Page"))
        .alignment = Qt::AlignRight | Qt::AlignTop;

    Band& titles = form->columnHeader();
    titles.height = 3 * LineHeight + 2;
    // Titles of narrow columns wrap onto a second line rather than run into
    // their neighbours.
    auto title = [&titles](const QString& name, QRectF rect, const QString& caption,
                           bool right = false) -> ReportText& {
        ReportText& text = titles.label(name, rect, caption);
        text.bold = true;
        text.wordWrap = true;
        text.pointSize = 7;
        return right ? RightAligned(text) : text;
    };
    title(QStringLiteral("InvoiceTitle"), {0, 0, 24, LineHeight}, QStringLiteral("Invoice"));
    title(QStringLiteral("DateTitle"), {25, 0, 24, LineHeight}, QStringLiteral("Date"));
    title(QStringLiteral("ClientTitle"), {50, 0, 60, LineHeight}, QStringLiteral("Client"));
    const double row2 = LineHeight;
    title(QStringLiteral("DescriptionTitle"), At(Description, row2, 2 * LineHeight), QStringLiteral("Description"));
    title(QStringLiteral("QuantityTitle"), At(Quantity, row2, 2 * LineHeight), QStringLiteral("Quantity"), true);
    title(QStringLiteral("PriceTitle"), At(Price, row2, 2 * LineHeight), QStringLiteral("Unit Price"), true);
    title(QStringLiteral("DiscountTitle"), At(Discount, row2, 2 * LineHeight), QStringLiteral("Discount"), true);
    title(QStringLiteral("Tax1Title"), At(Tax1, row2, 2 * LineHeight), QStringLiteral("GST"), true);
    title(QStringLiteral("Tax2Title"), At(Tax2, row2, 2 * LineHeight), QStringLiteral("PST"), true);
    title(QStringLiteral("TotalTitle"), At(LineTotal, row2, 2 * LineHeight), QStringLiteral("Line Total"), true);
    title(QStringLiteral("CostTitle"), At(Cost, row2, 2 * LineHeight), QStringLiteral("Cost"), true);
    title(QStringLiteral("MarginTitle"), At(MarginColumn, row2, 2 * LineHeight), QStringLiteral("Margin %"), true);
    title(QStringLiteral("MarkupTitle"), At(MarkupColumn, row2, 2 * LineHeight), QStringLiteral("Markup %"), true);
    // The wording of the tax columns for a company outside Canada: never
    // printed, read by UseInternationalTaxCaptions after the translation.
    titles.label(QStringLiteral("Tax1IntlTitle"), {}, QStringLiteral("Tax 1")).visible = false;
    titles.label(QStringLiteral("Tax2IntlTitle"), {}, QStringLiteral("Tax 2")).visible = false;

    // The invoice header: one record, the one the window found.
    auto printed = std::make_shared<bool>(false);
    form->setMaster({[printed] { *printed = false; }, [printed] { *printed = true; },
                     [printed, &header] { return *printed || !header.isOpen() || header.isEmpty(); }});
    Band& detail = form->detail();
    detail.height = 5 * LineHeight + 2;
    detail.field(h + QStringLiteral("invoice"), {0, 0, 24, LineHeight}, value(header, h + QStringLiteral("invoice")));
    detail.field(h + QStringLiteral("date"), {25, 0, 24, LineHeight}, value(header, h + QStringLiteral("date")));
    detail.field(h + QStringLiteral("client"), {50, 0, 20, LineHeight}, value(header, h + QStringLiteral("client")));
    detail.field(QStringLiteral("Account_name"), {71, 0, 80, LineHeight},
                 [address] { return address->field(QStringLiteral("name")); });
    detail.label(QStringLiteral("SalesRepTitle"), {170, 0, 22, LineHeight}, QStringLiteral("Sales rep:"));
    detail.field(h + QStringLiteral("slsm"), {193, 0, 40, LineHeight}, value(header, h + QStringLiteral("slsm")));
    detail.label(QStringLiteral("StoreTitle"), {170, LineHeight, 22, LineHeight}, QStringLiteral("Store:"));
    detail.field(h + QStringLiteral("store"), {193, LineHeight, 40, LineHeight},
                 value(header, h + QStringLiteral("store")));
    const char* shipTo[][2] = {
        {"shp_adr1", nullptr}, {"shp_adr2", nullptr}, {"shp_city", "shp_prov"}, {"shp_country", "shp_cp"}};
    for (int row = 0; row < 4; ++row)
        for (int part = 0; part < 2 && shipTo[row][part]; ++part) {
            const QString name = h + QString::fromLatin1(shipTo[row][part]);
            detail.field(name, {50.0 + part * 61, LineHeight * (row + 1), 60, LineHeight}, value(header, name));
        }
    // The band holds the link of the lines: it lasts as long as the form.
    detail.beforePrint = [address, linked, &header, h] {
        address->find(header.field(h + QStringLiteral("client")).asString());
        return true;
    };

    // The invoice lines.
    report::SubDetail& sub = form->addSubDetail(report::RecordSource::of(lines));
    Band& line = *sub.detail;
    line.height = LineHeight;
    const QString amounts = QStringLiteral("#,###,##0.00");
    line.field(l + QStringLiteral("line_code"), At(LineCode, 0), value(lines, l + QStringLiteral("line_code")));
    line.field(l + QStringLiteral("item_code"), At(ItemCode, 0), value(lines, l + QStringLiteral("item_code")));
    ReportText& description =
        line.field(l + QStringLiteral("desc"), At(Description, 0), value(lines, l + QStringLiteral("desc")));
    const std::pair<Column, const char*> numbers[] = {{Quantity, "qty_ship"}, {Price, "price"}, {Discount, "discount"},
                                                      {Tax1, "tax1"},         {Tax2, "tax2"},   {LineTotal, "total"},
                                                      {Cost, "cost"}};
    for (const auto& [column, suffix] : numbers) {
        const QString name = l + QString::fromLatin1(suffix);
        const bool ratio = column.x == Price.x || column.x == Discount.x;
        RightAligned(line.field(name, At(column, 0), value(lines, name), ratio ? QStringLiteral("##0.00") : amounts));
    }
    RightAligned(line.field(QStringLiteral("Margin"), At(MarginColumn, 0), value(lines, QStringLiteral("margin")),
                            QStringLiteral("##0.00")));
    RightAligned(line.field(QStringLiteral("Markup"), At(MarkupColumn, 0), value(lines, QStringLiteral("markup")),
                            QStringLiteral("##0.00")));
    // A text line (no line code, nothing ordered) prints its description only.
    line.beforePrint = [&line, &description, &lines, l] {
        const bool text = lines.field(l + QStringLiteral("line_code")).asString().trimmed().isEmpty()
                          && lines.field(l + QStringLiteral("qty_order")).asNumber() == 0;
        for (ReportText* t : line.texts())
            t->visible = !text || t == &description;
        return true;
    };
    Band& serial = line.addChild(QStringLiteral("SerialBand"), LineHeight);
    serial.label(QStringLiteral("SerialTitle"), {Description.x, 0, 30, LineHeight}, QStringLiteral("Numéro de série:"));
    serial.field(l + QStringLiteral("Serial"), {Description.x + 31, 0, 50, LineHeight},
                 value(lines, l + QStringLiteral("Serial")));
    serial.beforePrint = [&lines, l] {
        return !lines.field(l + QStringLiteral("Serial")).asString().trimmed().isEmpty();
    };

    // Totals of the invoice.
    report::Group& group = form->addGroup(value(header, h + QStringLiteral("invoice")));
    group.header->height = 0;
    Band& footer = *group.footer;
    auto money = [&lines, l](const char* suffix) {
        const QString name = l + QString::fromLatin1(suffix);
        return [&lines, name] { return MoneyValue(lines, name); };
    };
    Accumulator& tax1 = form->addSum(line, money("tax1"));
    Accumulator& tax2 = form->addSum(line, money("tax2"));
    Accumulator& totals = form->addSum(line, money("total"));
    Accumulator& costs = form->addSum(line, money("cost"));
    Accumulator& sales = form->addSum(line, [&lines, l] {
        const QVariant parts[] = {MoneyValue(lines, l + QStringLiteral("total")),
                                  MoneyValue(lines, l + QStringLiteral("tax1")),
                                  MoneyValue(lines, l + QStringLiteral("tax2"))};
        Currency sum;
        for (const QVariant& part : parts) {
            if (!part.isValid())
                return QVariant();
            sum += part.value<Currency>();
        }
        return QVariant::fromValue(sum);
    });
    // The current reprint keeps its own pair of sums for the invoice's ratios,
    // emptied once the totals have printed; the archived one takes the
    // report's sums.
    Accumulator* ratioSales = &totals;
    Accumulator* ratioCost = &costs;
    if (!archived) {
        ratioSales = &form->addSum(line, money("total"), &footer);
        ratioCost = &form->addSum(line, money("cost"), &footer);
    }
    const QString dollars = QStringLiteral("$#,###,##0.00");
    auto sum = [](Accumulator& s) { return [&s] { return s.value(); }; };
    RightAligned(footer.field(QStringLiteral("SumTax1"), At(Tax1, 1), sum(tax1), dollars));
    RightAligned(footer.field(QStringLiteral("SumTax2"), At(Tax2, 1), sum(tax2), dollars));
    RightAligned(footer.field(QStringLiteral("SumTotal"), At(LineTotal, 1), sum(totals), dollars));
    RightAligned(footer.field(QStringLiteral("SumCost"), At(Cost, 1), sum(costs), amounts));
    // The invoice's ratios sit under their columns on the rows of the totals,
    // where an archived ratio's every digit has room.
    RightAligned(footer.field(QStringLiteral("InvoiceMargin"),
                              {Cost.x, 2 + LineHeight, MarginColumn.x + MarginColumn.width - Cost.x, LineHeight},
                              [ratioSales, ratioCost, archived] {
                                  return MarginText(ledger::Margin(ratioSales->total(), ratioCost->total()), archived);
                              }));
    RightAligned(footer.field(
        QStringLiteral("InvoiceMarkup"),
        {MarginColumn.x, 2 + 2 * LineHeight, MarkupColumn.x + MarkupColumn.width - MarginColumn.x, LineHeight},
        [ratioSales, ratioCost, archived] {
            return MarginText(ledger::Markup(ratioSales->total(), ratioCost->total()), archived);
        }));
    footer.label(QStringLiteral("TotalSalesTitle"), {Tax1.x, 2 + LineHeight, 37, LineHeight},
                 QStringLiteral("Total sales:"));
    RightAligned(footer.field(QStringLiteral("TotalSales"), At(LineTotal, 2 + LineHeight), sum(sales), dollars));
    footer.label(QStringLiteral("TotalCostTitle"), {Tax1.x, 2 + 2 * LineHeight, 37, LineHeight},
                 QStringLiteral("Total cost:"));
    RightAligned(footer.field(QStringLiteral("TotalCost"), At(LineTotal, 2 + 2 * LineHeight), sum(costs), dollars));
    // Payment lines: those the company has named, each in its own place.
    for (int n = 1; n <= 10; ++n) {
        const QString name = dm.Table4.isOpen() && !dm.Table4.isEmpty()
                                 ? FieldValue(dm.Table4, QStringLiteral("Ctrl_pmt_name%1").arg(n)).toString()
                                 : QString();
        const double y = 2 + LineHeight * (n - 1);
        ReportText& caption = footer.field(QStringLiteral("PaymentName%1").arg(n), {Description.x, y, 35, LineHeight},
                                           [name] { return name; });
        const QString amount = h + QStringLiteral("pmt%1").arg(n);
        ReportText& paid =
            RightAligned(footer.field(amount, {Description.x + 36, y, 24, LineHeight}, value(header, amount), amounts));
        caption.visible = paid.visible = !name.trimmed().isEmpty();
    }
    footer.height = 2 + LineHeight * 10 + 2;
    footer.beforePrint = [&tax1, &tax2] { return !tax1.error() && !tax2.error(); };
    return form;
}

void UseInternationalTaxCaptions(Report& form)
{
    if (!frame::IsInternational())
        return;
    for (const char* tax : {"Tax1", "Tax2"}) {
        auto* shown = form.findChild<ReportText*>(QString::fromLatin1(tax) + QStringLiteral("Title"));
        auto* wording = form.findChild<ReportText*>(QString::fromLatin1(tax) + QStringLiteral("IntlTitle"));
        if (shown && wording)
            shown->caption = wording->caption;
    }
}

ReportAmountSymbol::ReportAmountSymbol(Report& form)
    : m_saved(Regional().currencyString)
{
    const int format = Regional().currencyFormat;
    const bool after = format == 1 || format == 3;
    const QString space = format >= 2 ? QStringLiteral(" ") : QString();
    QString symbol = m_saved;
    symbol.replace(QLatin1Char('"'), QString());
    const QString quoted = symbol.isEmpty() ? QString() : QLatin1Char('"') + symbol + QLatin1Char('"');
    for (ReportText* text : form.findChildren<ReportText*>()) {
        QString token;
        if (text->mask.contains(QLatin1Char('$')))
            token = QStringLiteral("$");
        else if (!m_saved.trimmed().isEmpty() && text->mask.contains(m_saved))
            token = m_saved;
        if (token.isEmpty())
            continue;
        QString mask = text->mask;
        mask.remove(token);
        text->mask = quoted.isEmpty() ? mask : after ? mask + space + quoted : quoted + space + mask;
    }
    Regional().currencyString = QStringLiteral(" ");
}

ReportAmountSymbol::~ReportAmountSymbol()
{
    Regional().currencyString = m_saved;
}

} // namespace varnex::accountview
