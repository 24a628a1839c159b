// Accepting a receipt: every check and every question first (project, serial
// numbers, container counts), then one call to the ledger's receipt posting.
// A failed posting writes nothing; the receipt stays on the screen.

#include "stockrcv_forms.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTimer>

#include "varnex/application.h"
#include "varnex/data/database.h"
#include "varnex/ledger/receipt.h"
#include "varnex/messages.h"

namespace varnex::stockrcv {

using data::DataSetState;

namespace {

ReceiptPoster& poster()
{
    static ReceiptPoster current;
    return current;
}

QString text(data::Table& table, const char* field)
{
    return table.field(QString::fromLatin1(field)).asString();
}

// While another workstation holds a record the posting needs, the windows
// keep painting; user input waits (it would re-enter the Accept handler).
bool waitForLock(const QString&, const QString&, int)
{
    QEventLoop loop;
    QTimer::singleShot(ledger::LockRetryPauseMs, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return true;
}

int messageLineOf(ledger::PostingCheck check)
{
    switch (check) {
    case ledger::PostingCheck::EmptyPackingSlip: return lines::NoPackingSlip;
    case ledger::PostingCheck::PackingSlipUsed: return lines::PackingSlipUsed;
    case ledger::PostingCheck::MissingSerials: return lines::SerialMissing;
    case ledger::PostingCheck::UnknownProduct: return lines::NoSuchProduct;
    case ledger::PostingCheck::UnknownSupplier: return lines::NoSuchSupplier;
    case ledger::PostingCheck::UnknownOrder: return lines::NoSuchOrder;
    default: return -1;
    }
}

} // namespace

void ModuleExceptionHandler(std::exception_ptr error)
{
    Messages().show(QApplication::activeWindow(), MessageKind::Error, QApplication::applicationDisplayName(),
                    ExceptionMessage(error), MessageButtons::Ok);
}

void SetReceiptPoster(ReceiptPoster newPoster)
{
    poster() = std::move(newPoster);
}

// Fills the ledger's receipt from the header being entered and the work lines.
ledger::StockReceipt BuildStockReceipt(Tstockrcv_dm& dm, const GatheredReceipt& gathered, const TLinkSection& record,
                                       const QString& jobCostDescription)
{
    ledger::StockReceipt r;
    auto& h = dm.cfrhd_table;
    r.packingSlip = text(h, "Cfrhd_packing_slip").trimmed();
    r.orderNumber = text(h, "Cfrhd_order_number").trimmed();
    r.supplierCode = text(h, "Cfrhd_supplier").trimmed();
    r.date = h.field(QStringLiteral("Cfrhd_date")).asDate();
    r.dateRequired = h.field(QStringLiteral("Cfrhd_date_req")).asDate();
    r.datePromised = h.field(QStringLiteral("Cfrhd_date_prom")).asDate();
    r.shipTo = text(h, "Cfrhd_shp_to");
    r.shipName = text(h, "Cfrhd_shp_nom");
    r.shipAddress1 = text(h, "Cfrhd_shp_adr1");
    r.shipAddress2 = text(h, "Cfrhd_shp_adr2");
    r.shipCity = text(h, "Cfrhd_shp_city");
    r.shipProvince = text(h, "Cfrhd_shp_prov");
    r.shipPostalCode = text(h, "Cfrhd_shp_cp");
    r.shipCountry = text(h, "Cfrhd_shp_country");
    r.shipTelephone = text(h, "Cfrhd_shp_tel");
    r.shipVia = text(h, "Cfrhd_ship_via");
    r.total = h.field(QStringLiteral("Cfrhd_total")).asMoney();
    r.totalReceived = h.field(QStringLiteral("Cfrhd_total_received")).asMoney();
    r.memo = text(h, "Cfrhd_memo");
    r.store = static_cast<int>(h.field(QStringLiteral("Cfrhd_store")).asInteger());
    r.project = text(h, "Cfrhd_Project").trimmed();
    r.projectPeriod = gathered.projectPeriod.value_or(0);
    r.user = LinkText(record.Link_user);
    r.language = record.Link_language;
    r.jobCostTypeDescription = jobCostDescription;

    QHash<std::int64_t, const GatheredLine*> byLine;
    for (const GatheredLine& g : gathered.lines)
        byLine.insert(g.workLine, &g);
    data::Table work;
    work.setDatabase(dm.cfrdettmp_table.database());
    work.setTableName(dm.workLinesName);
    work.setReadOnly(true);
    work.open();
    r.lines.reserve(static_cast<std::size_t>(work.recordCount()));
    for (work.first(); !work.eof(); work.next()) {
        ledger::ReceiptLine line;
        line.orderNumber = text(work, "Cfrdet_order_number");
        line.lineCode = text(work, "Cfrdet_line_code").trimmed();
        line.itemCode = text(work, "Cfrdet_item_code").trimmed();
        line.description = text(work, "Cfrdet_desc");
        line.quantityToReceive = work.field(QStringLiteral("Cfrdet_qty_order")).asNumber();
        line.quantityReceived = work.field(QStringLiteral("Cfrdet_qty_received")).asNumber();
        line.price = Currency::fromDouble(work.field(QStringLiteral("Cfrdet_price")).asNumber());
        line.discount = work.field(QStringLiteral("Cfrdet_discount")).asNumber();
        line.total = work.field(QStringLiteral("Cfrdet_total")).asMoney();
        line.binLocation = text(work, "Cfrdet_bin_loc");
        line.fromOrder = work.field(QStringLiteral("Cfrdet_from_po")).asLogical();
        if (const GatheredLine* g = byLine.value(work.field(QStringLiteral("Cfrdet_line")).asInteger())) {
            line.cylinders = g->cylinders.value_or(0);
            for (const QString& serial : g->serials)
                line.serials.push_back({serial, r.memo, 1});
        }
        r.lines.push_back(std::move(line));
    }
    return r;
}

QString PostThroughLedger(Tstockrcv_dm& dm, const GatheredReceipt& receipt, const TLinkSection& record,
                          const Tstockrcv_frm& form);

// ---- the form's side -------------------------------------------------------------

int Tstockrcv_frm::layeredCosting()
{
    auto& control = m_dm->ivctrl_table;
    control.first();
    return control.eof() ? 0 : static_cast<int>(control.field(QStringLiteral("Ivctrl_fifo")).asInteger());
}

bool Tstockrcv_frm::cfrhd_tableBeforePost(GatheredReceipt& receipt)
{
    if (!headerText("Cfrhd_order_number").isEmpty() || !m_jobCost)
        return true;
    ProjectFrm->Confirmed = false;
    ProjectFrm->edtProject->refreshFromField();
    ProjectFrm->exec();
    if (ProjectFrm->Confirmed)
        receipt.projectPeriod = ProjectFrm->Period();
    return true;
}

void Tstockrcv_frm::CreateSerialRows(int quantity)
{
    auto& work = m_dm->cfrdettmp_table;
    auto& rows = m_dm->ivserintmp;
    const QString lineCode = work.field(QStringLiteral("Cfrdet_line_code")).asString();
    const QString itemCode = work.field(QStringLiteral("Cfrdet_item_code")).asString();
    rows.setRange({lineCode, itemCode}, {lineCode, itemCode});
    const int existing = rows.recordCount();
    if (existing >= quantity)
        return;
    auto& header = m_dm->cfrhd_table;
    data::Transaction fill(rows.database());
    for (int k = existing + 1; k <= quantity; ++k) {
        rows.append();
        rows.field(QStringLiteral("Ivserin_line_code")).setString(lineCode);
        rows.field(QStringLiteral("Ivserin_item_code")).setString(itemCode);
        rows.field(QStringLiteral("Ivserin_store")).setInteger(header.field(QStringLiteral("Cfrhd_store")).asInteger());
        rows.field(QStringLiteral("Ivserin_PO")).setString(Order_no->text().trimmed());
        rows.field(QStringLiteral("Ivserin_supplier")).setString(headerText("Cfrhd_supplier"));
        rows.field(QStringLiteral("Ivserin_date")).setDate(header.field(QStringLiteral("Cfrhd_date")).asDate());
        rows.field(QStringLiteral("Ivserin_qty")).setNumber(1);
        rows.field(QStringLiteral("Ivserin_comments")).setString(headerText("Cfrhd_memo"));
        rows.field(QStringLiteral("Ivserin_type")).setLogical(true);
        rows.field(QStringLiteral("Ivserin_Count")).setInteger(k);
        rows.post();
    }
    fill.commit();
    rows.first();
}

void Tstockrcv_frm::TrimSerialRows(const QString& lineCode, const QString& itemCode)
{
    if (itemCode.trimmed().isEmpty())
        return;
    int units = 0;
    data::Table lines;
    lines.setDatabase(m_dm->cfrdettmp_table.database());
    lines.setTableName(m_dm->workLinesName);
    lines.setReadOnly(true);
    lines.open();
    for (lines.first(); !lines.eof(); lines.next()) {
        const double quantity = lines.field(QStringLiteral("Cfrdet_qty_received")).asNumber();
        if (quantity > 0 && lines.field(QStringLiteral("Cfrdet_line_code")).asString() == lineCode
            && lines.field(QStringLiteral("Cfrdet_item_code")).asString() == itemCode)
            units += static_cast<int>(quantity);
    }
    auto& rows = m_dm->ivserintmp;
    if (rows.state() == DataSetState::Edit || rows.state() == DataSetState::Insert)
        rows.post();
    rows.setRange({lineCode, itemCode}, {lineCode, itemCode});
    rows.first();
    while (!rows.eof()) {
        if (rows.field(QStringLiteral("Ivserin_Count")).asInteger() > units)
            rows.deleteRecord();
        else
            rows.next();
    }
    rows.cancelRange();
}

QList<LineToAsk> Tstockrcv_frm::linesToAsk()
{
    // One statement for every line instead of a product lookup per line: on
    // the server each lookup is a round trip.
    data::Query query;
    query.setDatabase(m_dm->cfrdettmp_table.database());
    query.setSql(QStringLiteral("select w.Cfrdet_line as work_line, w.Cfrdet_line_code as line_code,\n"
                                "  w.Cfrdet_item_code as item_code, w.Cfrdet_qty_received as quantity,\n"
                                "  p.Ivprod_desc_1 as description,\n"
                                "  case when p.Ivprod_serial_no then 1 else 0 end as serial_numbers,\n"
                                "  case when p.Ivprod_VolumeProduct then 1 else 0 end as volume\n"
                                "from %1 w\n"
                                "join ivprod p on p.Ivprod_line_code = w.Cfrdet_line_code\n"
                                "  and p.Ivprod_item_code = w.Cfrdet_item_code\n"
                                "where w.Cfrdet_qty_received > 0 and (p.Ivprod_serial_no or p.Ivprod_VolumeProduct)\n"
                                "order by w.Cfrdet_paking_slip, w.Cfrdet_line")
                     .arg(m_dm->workLinesName));
    query.open();
    QList<LineToAsk> lines;
    for (query.first(); !query.eof(); query.next()) {
        LineToAsk line;
        line.workLine = query.field(QStringLiteral("work_line")).asInteger();
        line.lineCode = query.field(QStringLiteral("line_code")).asString();
        line.itemCode = query.field(QStringLiteral("item_code")).asString();
        line.description = query.field(QStringLiteral("description")).asString();
        line.quantity = static_cast<int>(query.field(QStringLiteral("quantity")).asNumber());
        line.serialNumbers = query.field(QStringLiteral("serial_numbers")).asInteger() != 0;
        line.volume = query.field(QStringLiteral("volume")).asInteger() != 0;
        lines << line;
    }
    query.close();
    return lines;
}

bool Tstockrcv_frm::gatherSerials(GatheredReceipt& receipt, const QList<LineToAsk>& toAsk)
{
    auto& work = m_dm->cfrdettmp_table;
    auto& rows = m_dm->ivserintmp;
    QList<LineToAsk> serialLines;
    for (const LineToAsk& line : toAsk)
        if (line.serialNumbers && line.quantity > 0)
            serialLines << line;
    for (const LineToAsk& line : serialLines)
        TrimSerialRows(line.lineCode, line.itemCode);

    // Two lines of the same product share its serial rows: each line takes
    // the next rows, so no serial is posted twice.
    QHash<QString, int> rowsTaken;
    for (const LineToAsk& line : serialLines) {
        work.disableControls();
        work.first();
        while (!work.eof() && work.field(QStringLiteral("Cfrdet_line")).asInteger() != line.workLine)
            work.next();
        work.enableControls();
        const QString product = line.lineCode + QLatin1Char('\n') + line.itemCode;
        const int before = rowsTaken.value(product);
        const int needed = before + line.quantity;
        rows.setRange({line.lineCode, line.itemCode}, {line.lineCode, line.itemCode});
        const bool hadRows = rows.recordCount() > 0;
        CreateSerialRows(needed);
        bool complete = true;
        for (rows.first(); !rows.eof(); rows.next())
            if (rows.field(QStringLiteral("Ivserin_Count")).asInteger() <= needed
                && rows.field(QStringLiteral("Ivserin_serial")).asString().trimmed().isEmpty())
                complete = false;
        if (!complete) {
            if (hadRows)
                Messages().show(this, MessageKind::Error, windowTitle(), Message(lines::SerialMissing),
                                MessageButtons::Ok);
            SerialFrm->Prepare(line.lineCode, line.itemCode, line.description, needed);
            SerialFrm->exec();
            if (SerialFrm->Cancelled) {
                rows.cancelRange();
                return false;
            }
        }
        GatheredLine gathered;
        gathered.workLine = line.workLine;
        gathered.lineCode = line.lineCode;
        gathered.itemCode = line.itemCode;
        for (rows.first(); !rows.eof(); rows.next()) {
            const std::int64_t count = rows.field(QStringLiteral("Ivserin_Count")).asInteger();
            if (count > before && count <= needed)
                gathered.serials << rows.field(QStringLiteral("Ivserin_serial")).asString().trimmed();
        }
        rowsTaken.insert(product, needed);
        receipt.lines << gathered;
    }
    rows.cancelRange();
    return true;
}

bool Tstockrcv_frm::gatherCylinders(GatheredReceipt& receipt, const QList<LineToAsk>& toAsk)
{
    const int costing = layeredCosting();
    if (costing != 1 && costing != 2)
        return true;
    for (const LineToAsk& line : toAsk) {
        if (!line.volume)
            continue;
        CyQtyFrm->lblDesc->setText(line.description);
        // A whole number is needed: the dialog comes back until one is given.
        std::optional<int> count;
        while (!count) {
            CyQtyFrm->edtCYReceived->setText(QStringLiteral("0"));
            CyQtyFrm->exec();
            bool ok = false;
            const int value = CyQtyFrm->edtCYReceived->text().trimmed().toInt(&ok);
            if (ok)
                count = value;
        }
        auto found = std::find_if(receipt.lines.begin(), receipt.lines.end(),
                                  [&line](const GatheredLine& g) { return g.workLine == line.workLine; });
        if (found == receipt.lines.end()) {
            GatheredLine g;
            g.workLine = line.workLine;
            receipt.lines << g;
            found = receipt.lines.end() - 1;
        }
        found->cylinders = *count;
    }
    return true;
}

void Tstockrcv_frm::Accept_btnClick()
{
    for (QWidget* box : m_headerEdits)
        static_cast<TVarnexDBEdit*>(box)->writeToField();
    auto& header = m_dm->cfrhd_table;
    if (headerText("Cfrhd_packing_slip").isEmpty()) {
        Messages().show(this, MessageKind::Warning, windowTitle(), Message(lines::NoPackingSlip), MessageButtons::Ok);
        packing_slip->setFocus();
        return;
    }
    header.field(QStringLiteral("Cfhrd_date_received")).setDate(header.field(QStringLiteral("Cfrhd_date")).asDate());
    GatheredReceipt receipt;
    if (!cfrhd_tableBeforePost(receipt))
        return;
    auto& work = m_dm->cfrdettmp_table;
    if (work.state() == DataSetState::Edit || work.state() == DataSetState::Insert) {
        work.field(QStringLiteral("Cfrdet_paking_slip")).setString(headerText("Cfrhd_packing_slip"));
        work.post();
    }
    const QList<LineToAsk> toAsk = linesToAsk();
    if (!gatherSerials(receipt, toAsk) || !gatherCylinders(receipt, toAsk))
        return;

    const QList<QWidget*> buttons = {Accept_btn, Cancel_btn,   Exit_btn,     Help_btn,    BitBtn1,
                                     BitBtn2,    Printfrm_Btn, SpeedButton1, SpeedButton2};
    QList<bool> wasEnabled;
    for (QWidget* b : buttons) {
        wasEnabled << b->isEnabled();
        b->setEnabled(false);
    }
    QString error;
    try {
        const TLinkSection& record = ModuleLink().raw();
        error = poster() ? poster()(*m_dm, receipt, record) : PostThroughLedger(*m_dm, receipt, record, *this);
    } catch (const std::exception& e) {
        error = QString::fromUtf8(e.what());
    }
    for (int i = 0; i < buttons.size(); ++i)
        buttons[i]->setEnabled(wasEnabled[i]);
    if (!error.isEmpty()) {
        // Nothing was written: the receipt stays as the user left it.
        Messages().show(this, MessageKind::Error, windowTitle(), error, MessageButtons::Ok);
        return;
    }
    ResetEntry();
}

// The default posting: the ledger's, with the window's message lines for the
// checks it reports.
QString PostThroughLedger(Tstockrcv_dm& dm, const GatheredReceipt& receipt, const TLinkSection& record,
                          const Tstockrcv_frm& form)
{
    const ledger::StockReceipt stockReceipt =
        BuildStockReceipt(dm, receipt, record, form.Message(lines::JobCostTypeDescription));
    ledger::PostingOptions options;
    options.lockWait = waitForLock;
    const ledger::PostingResult result = ledger::PostStockReceipt(dm.Database1.database(), stockReceipt, options);
    if (result.ok)
        return QString();
    const int line = messageLineOf(result.check);
    const QString shown = line >= 0 ? form.Message(line) : result.message;
    return form.Message(lines::NotPosted) + shown;
}

} // namespace varnex::stockrcv
