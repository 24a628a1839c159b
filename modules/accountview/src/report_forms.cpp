#include "varnex/accountview/report_forms.h"

#include <array>

#include "report_parts.h"
#include "varnex/accountview/accountform.h"
#include "varnex/messages.h"
#include "varnex/translation/translate.h"

namespace varnex::accountview {

using report::Band;
using report::Report;
using report::ReportText;
using namespace parts;

namespace {

// The distribution rows: a row prints only when its debit or credit is not 0,
// and an empty row keeps its place.
void DistributionRows(Band& band, data::DataSet& document, int rows, double top)
{
    band.label(QStringLiteral("AccountTitle"), {0, top, 25, RowHeight}, QStringLiteral("Account #")).bold = true;
    band.label(QStringLiteral("DescriptionTitle"), {27, top, 90, RowHeight}, QStringLiteral("Description")).bold = true;
    auto& debit = band.label(QStringLiteral("DebitTitle"), {120, top, 32, RowHeight}, QStringLiteral("Debit"));
    auto& credit = band.label(QStringLiteral("CreditTitle"), {155, top, 32, RowHeight}, QStringLiteral("Credit"));
    debit.bold = credit.bold = true;
    debit.alignment = credit.alignment = Qt::AlignRight | Qt::AlignTop;
    auto shown = std::make_shared<std::vector<std::array<ReportText*, 4>>>();
    for (int n = 1; n <= rows; ++n) {
        const double y = top + RowHeight * n;
        const QString number = QString::number(n);
        auto value = [&document](const QString& name) {
            return [&document, name] { return FieldValue(document, name); };
        };
        std::array<ReportText*, 4> row = {
            &band.field(QStringLiteral("Account") + number, {0, y, 25, RowHeight},
                        value(QStringLiteral("Account") + number)),
            &band.field(QStringLiteral("desc") + number, {27, y, 90, RowHeight},
                        value(QStringLiteral("desc") + number)),
            &band.field(QStringLiteral("Debit") + number, {120, y, 32, RowHeight},
                        value(QStringLiteral("Debit") + number), QStringLiteral("#,###,##0.00")),
            &band.field(QStringLiteral("Credit") + number, {155, y, 32, RowHeight},
                        value(QStringLiteral("Credit") + number), QStringLiteral("#,###,##0.00")),
        };
        row[2]->alignment = row[3]->alignment = Qt::AlignRight | Qt::AlignTop;
        shown->push_back(row);
    }
    auto previous = band.beforePrint;
    band.beforePrint = [shown, &document, previous] {
        for (std::size_t i = 0; i < shown->size(); ++i) {
            const QString number = QString::number(i + 1);
            const bool used = !document.field(QStringLiteral("Debit") + number).asMoney().isZero()
                              || !document.field(QStringLiteral("Credit") + number).asMoney().isZero();
            for (ReportText* text : (*shown)[i])
                text->visible = used;
        }
        return previous ? previous() : true;
    };
}

void Comments(Band& band, data::DataSet& document, double top)
{
    band.label(QStringLiteral("CommentsTitle"), {0, top, 40, RowHeight}, QStringLiteral("Comments")).bold = true;
    auto& memo = band.field(QStringLiteral("Comments"), {0, top + RowHeight + 1, 187, 24},
                            [&document] { return FieldValue(document, QStringLiteral("Comments")); });
    memo.wordWrap = true;
}

void PageTitle(Report& form, const QString& title, const QString& stampCaption, data::DataSet& document)
{
    Band& header = form.pageHeader();
    header.height = 18;
    auto& titleText = header.label(QStringLiteral("Title"), {0, 0, 187, 8}, title);
    titleText.bold = true;
    titleText.pointSize = 14;
    titleText.alignment = Qt::AlignHCenter | Qt::AlignTop;
    Pair(header, QStringLiteral("StampTitle"), stampCaption, QStringLiteral("Stamp"), 0, 10,
         [&document] { return FieldValue(document, QStringLiteral("Stamp")); });
    Pair(
        header, QStringLiteral("UserTitle"), QStringLiteral("Entered by:"), QStringLiteral("User"), 100, 10,
        [&document] { return FieldValue(document, QStringLiteral("User")); }, 40);
    form.pageFooter()
        .pageNumber(QStringLiteral("PageNumber"), {150, 2, 37, RowHeight}, QStringLiteral("Page"))
        .alignment = Qt::AlignRight | Qt::AlignTop;
}

void AddressBlock(Band& band, AccountAddress& address, double top)
{
    const char* parts[] = {"name", "adr1", "adr2", "city", "prov"};
    for (int i = 0; i < 5; ++i) {
        const QString suffix = QString::fromLatin1(parts[i]);
        band.field(QStringLiteral("Account_") + suffix, {0, top + RowHeight * i, 100, RowHeight},
                   [&address, suffix] { return address.field(suffix); });
    }
}

} // namespace

std::unique_ptr<Report> MakeTransactionReport(TAccountDataModule& dm)
{
    const bool client = dm.side().client;
    auto form = std::make_unique<Report>();
    form->setObjectName(client ? QStringLiteral("clview_qrfrm") : QStringLiteral("supview_qrfrm"));
    form->title = client ? QStringLiteral("Sales and adjustments") : QStringLiteral("Purchases");
    data::Table& document = dm.sourceDocument;
    // Owned by the detail band's handler, so it lives as long as the form.
    auto holder = std::make_shared<AccountAddress>(dm, document);
    AccountAddress* address = holder.get();
    PageTitle(*form, form->title, QStringLiteral("Time of entry:"), document);

    Band& detail = form->detail();
    detail.height = 175;
    const QString accountField = client ? QStringLiteral("Client") : QStringLiteral("Supplier");
    Pair(detail, QStringLiteral("AccountCodeTitle"),
         client ? QStringLiteral("Client code") : QStringLiteral("Supplier code"), accountField, 0, 0,
         [&document, accountField] { return FieldValue(document, accountField); });
    const QString cash = client ? QStringLiteral("dir_cash_sale") : QStringLiteral("dir_cash_purchase");
    Pair(
        detail, QStringLiteral("DirectCashTitle"), QStringLiteral("Direct cash sale"), cash, 100, 0,
        [&document, cash] { return FieldValue(document, cash); }, 40);
    Pair(detail, QStringLiteral("DateTitle"), QStringLiteral("Transaction date"), QStringLiteral("Date"), 0, 6,
         [&document] { return FieldValue(document, QStringLiteral("Date")); });
    Pair(
        detail, QStringLiteral("DueDateTitle"), QStringLiteral("Due date"), QStringLiteral("Due_date"), 100, 6,
        [&document] { return FieldValue(document, QStringLiteral("Due_date")); }, 40);
    Pair(detail, QStringLiteral("TypeTitle"), QStringLiteral("Transaction type"), QStringLiteral("strType"), 0, 12,
         [&document] { return FieldValue(document, QStringLiteral("strType")); });
    Pair(
        detail, QStringLiteral("ReferenceTitle"), QStringLiteral("Invoice number"), QStringLiteral("Reference"), 100,
        12, [&document] { return FieldValue(document, QStringLiteral("Reference")); }, 40);
    Pair(detail, QStringLiteral("DrCrTitle"),
         client ? QStringLiteral("Debit/Credit reference") : QStringLiteral("Reference debit/credit"),
         QStringLiteral("Dr_cr_reference"), 0, 18,
         [&document] { return FieldValue(document, QStringLiteral("Dr_cr_reference")); });
    if (!client)
        Pair(
            detail, QStringLiteral("POTitle"), QStringLiteral("Purchase order #"), QStringLiteral("PO"), 100, 18,
            [&document] { return FieldValue(document, QStringLiteral("PO")); }, 40);
    AddressBlock(detail, *address, 26);
    detail.beforePrint = [&document, holder, accountField] {
        holder->find(document.field(accountField).asString());
        return true;
    };
    DistributionRows(detail, document, 15, 56);
    Comments(detail, document, 56 + RowHeight * 16 + 3);
    form->setMaster(report::RecordSource::of(document));
    return form;
}

std::unique_ptr<Report> MakeReceiptReport(TAccountDataModule& dm)
{
    const bool client = dm.side().client;
    auto form = std::make_unique<Report>();
    form->setObjectName(client ? QStringLiteral("clview_qrfrm2") : QStringLiteral("supview_qrfrm2"));
    form->title = client ? QStringLiteral("Cash receipts") : QStringLiteral("Cash disbursements");
    data::Table& header = dm.receiptHeader;
    auto holder = std::make_shared<AccountAddress>(dm, header);
    PageTitle(*form, form->title, QStringLiteral("Time entered:"), header);

    Band& detail = form->detail();
    detail.height = 205;
    const QString accountField = client ? QStringLiteral("Client") : QStringLiteral("Supplier");
    Pair(detail, QStringLiteral("AccountCodeTitle"),
         client ? QStringLiteral("Client code") : QStringLiteral("Supplier code"), accountField, 0, 0,
         [&header, accountField] { return FieldValue(header, accountField); });
    detail.field(QStringLiteral("Account_name"), {100, 0, 87, RowHeight},
                 [holder] { return holder->field(QStringLiteral("name")); });
    const QString notFrom = client ? QStringLiteral("not_from_client") : QStringLiteral("Not_to_supplier");
    Pair(detail, QStringLiteral("NotFromTitle"),
         client ? QStringLiteral("Receipt not from a client") : QStringLiteral("Receipt not to a supplier"), notFrom, 0,
         6, [&header, notFrom] { return FieldValue(header, notFrom); });
    Pair(detail, QStringLiteral("DateTitle"), QStringLiteral("Transaction date"), QStringLiteral("Date"), 0, 12,
         [&header] { return FieldValue(header, QStringLiteral("Date")); });
    Pair(
        detail, QStringLiteral("ReferenceTitle"), QStringLiteral("Reference"), QStringLiteral("Reference"), 100, 12,
        [&header] { return FieldValue(header, QStringLiteral("Reference")); }, 40);
    if (client)
        Pair(
            detail, QStringLiteral("NSFTitle"), QStringLiteral("NSF cheque"), QStringLiteral("NSF"), 100, 6,
            [&header] { return FieldValue(header, QStringLiteral("NSF")); }, 40);
    detail.beforePrint = [&header, holder, accountField] {
        holder->find(header.field(accountField).asString());
        return true;
    };
    DistributionRows(detail, header, 20, 20);
    Comments(detail, header, 20 + RowHeight * 21 + 3);
    const double titles = 20 + RowHeight * 21 + 3 + RowHeight + 1 + 24 + 4;
    const char* columns[] = {"Invoice", "Date", "Due date", "Amount", "Payment"};
    const double columnX[] = {0, 35, 70, 105, 145};
    for (int i = 0; i < 5; ++i) {
        auto& title = detail.label(QStringLiteral("PaidTitle%1").arg(i + 1), {columnX[i], titles, 38, RowHeight},
                                   QString::fromLatin1(columns[i]));
        title.bold = true;
        if (i >= 3)
            title.alignment = Qt::AlignRight | Qt::AlignTop;
    }
    detail.height = titles + RowHeight + 1;

    // The invoices the receipt paid, linked to the header by its key.
    auto* paid = new data::Table(form.get());
    paid->setDatabase(header.database());
    paid->setTableName(client ? QStringLiteral("croridet") : QStringLiteral("cdoridet"));
    paid->open();
    paid->setMaster(&header, QStringLiteral("Reference;") + accountField + QStringLiteral(";Date;Seq"));
    report::SubDetail& lines = form->addSubDetail(report::RecordSource::of(*paid));
    const char* fields[] = {"Invoice", "Invoice_date", "Invoice_due_date", "Invoice_amount", "Invoice_payment"};
    for (int i = 0; i < 5; ++i) {
        const QString name = QString::fromLatin1(fields[i]);
        auto& text = lines.detail->field(
            name, {columnX[i], 0, 38, RowHeight}, [paid, name] { return FieldValue(*paid, name); },
            i >= 3 ? QStringLiteral("#,###,##0.00") : QString());
        if (i >= 3)
            text.alignment = Qt::AlignRight | Qt::AlignTop;
    }
    lines.detail->height = RowHeight;
    return form;
}

void TranslateReport(Report& form, const QString& languageTable)
{
    if (languageTable.isEmpty())
        return;
    form.languageTable = languageTable;
    try {
        translation::TranslateForm(&form, languageTable);
    } catch (const std::exception&) {
        // A missing table leaves the English texts.
    }
}

namespace {

void Preview(std::unique_ptr<Report> form, const StatementLine& line, QWidget* parent)
{
    TranslateReport(*form, line.languageTable);
    report::Previews().preview(*form, parent);
}

void PreviewInvoice(TAccountDataModule& dm, bool archived, const StatementLine& line, QWidget* parent)
{
    std::unique_ptr<Report> form = MakeInvoiceReprint(dm, archived);
    TranslateReport(*form, line.languageTable);
    UseInternationalTaxCaptions(*form);
    ReportAmountSymbol symbol(*form);
    report::Previews().preview(*form, parent);
}

} // namespace

void PreviewStatementReports::TransactionReport(TAccountDataModule& dm, const StatementLine& line, QWidget* parent)
{
    Preview(MakeTransactionReport(dm), line, parent);
}

void PreviewStatementReports::ReceiptReport(TAccountDataModule& dm, const StatementLine& line, QWidget* parent)
{
    Preview(MakeReceiptReport(dm), line, parent);
}

void PreviewStatementReports::InvoiceReprint(TAccountDataModule& dm, const StatementLine& line, QWidget* parent)
{
    PreviewInvoice(dm, false, line, parent);
}

void PreviewStatementReports::ArchivedInvoiceReprint(TAccountDataModule& dm, const StatementLine& line, QWidget* parent)
{
    PreviewInvoice(dm, true, line, parent);
}

void PreviewStatementReports::PurchaseOrderReprint(TAccountDataModule& dm, const StatementLine& line, QWidget* parent)
{
    int missing = lines::PurchaseOrderMissing;
    std::unique_ptr<Report> form = MakePurchaseOrderReprint(dm, line.purchaseOrder, &missing);
    if (!form) {
        Messages().show(parent, MessageKind::Information, parent ? parent->windowTitle() : QString(),
                        dm.messageLine ? dm.messageLine(missing) : QString(), MessageButtons::Ok);
        return;
    }
    Preview(std::move(form), line, parent);
}

} // namespace varnex::accountview
