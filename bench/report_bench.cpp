// Speed of the report engine on large documents, each figure beside a
// baseline from the same run:
//
// - the reprint of an invoice of 1,000 lines written to PDF (built, laid out
//   and painted), beside the same texts painted straight on a PDF writer with
//   QPainter and no engine;
// - a statement of 100,000 lines in the print preview: from the call to the
//   first page on screen, beside the preview of a one-page report (the
//   dialog's own cost), with the layout alone and the PDF of every page.
//
//   report_bench [--runs N] [--lines N] [--statement N]
//
// The data are written to a fresh company in a temporary folder (embedded
// engine; with VARNEX_ENGINE=postgresql and VARNEX_SERVER set, the server).

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "bench_timing.h"
#include "varnex/accountview/accountform.h"
#include "varnex/accountview/report_forms.h"
#include "varnex/application.h"
#include "varnex/data/company.h"
#include "varnex/data/database.h"
#include "varnex/data/table.h"
#include "varnex/regional.h"
#include "varnex/report/report.h"

using namespace varnex;
using namespace varnex::accountview;
using varnex::bench::median;
using varnex::bench::timeMs;

namespace {

void ModuleAddress()
{
}

void addInvoice(const std::shared_ptr<data::Database>& db, int lineCount)
{
    data::Transaction tx(db);
    data::Table client;
    client.setDatabase(db);
    client.setTableName(QStringLiteral("cli"));
    client.open();
    client.append();
    client.field(QStringLiteral("Cli_code")).setString(QStringLiteral("BENCH"));
    client.field(QStringLiteral("Cli_name")).setString(QStringLiteral("Banc d'essai"));
    client.post();
    data::Table header;
    header.setDatabase(db);
    header.setTableName(QStringLiteral("fahdr"));
    header.open();
    header.append();
    header.field(QStringLiteral("Fahdr_doc")).setString(QStringLiteral("1"));
    header.field(QStringLiteral("Fahdr_invoice")).setString(QStringLiteral("B1000"));
    header.field(QStringLiteral("Fahdr_client")).setString(QStringLiteral("BENCH"));
    header.field(QStringLiteral("Fahdr_date")).setDate(QDate(2024, 5, 1));
    header.post();
    data::Table lines;
    lines.setDatabase(db);
    lines.setTableName(QStringLiteral("fadet"));
    lines.open();
    for (int i = 0; i < lineCount; ++i) {
        lines.append();
        lines.field(QStringLiteral("Fadet_doc")).setString(QStringLiteral("1"));
        lines.field(QStringLiteral("Fadet_invoice")).setString(QStringLiteral("B1000"));
        lines.field(QStringLiteral("Fadet_line_code")).setString(QStringLiteral("HW"));
        lines.field(QStringLiteral("Fadet_item_code")).setString(QStringLiteral("ITEM-%1").arg(i));
        lines.field(QStringLiteral("Fadet_desc")).setString(QStringLiteral("Article de quincaillerie %1").arg(i));
        lines.field(QStringLiteral("Fadet_qty_order")).setNumber(1 + i % 7);
        lines.field(QStringLiteral("Fadet_qty_ship")).setNumber(1 + i % 7);
        lines.field(QStringLiteral("Fadet_price")).setNumber(12.5 + i % 13);
        lines.field(QStringLiteral("Fadet_total")).setMoney(Currency::fromTicks(125000 + i * 37));
        lines.field(QStringLiteral("Fadet_cost")).setMoney(Currency::fromTicks(90000 + i * 11));
        lines.field(QStringLiteral("Fadet_tax1")).setMoney(Currency::fromTicks(6250));
        lines.field(QStringLiteral("Fadet_tax2")).setMoney(Currency::fromTicks(9375));
        if (i % 10 == 0)
            lines.field(QStringLiteral("Fadet_Serial")).setString(QStringLiteral("SN-%1").arg(i));
        lines.post();
    }
    tx.commit();
}

void addStatement(const std::shared_ptr<data::Database>& db, int count)
{
    data::Transaction tx(db);
    data::Table lines;
    lines.setDatabase(db);
    lines.setTableName(QStringLiteral("car"));
    lines.open();
    const QDate start(2010, 1, 1);
    for (int i = 0; i < count; ++i) {
        lines.append();
        lines.field(QStringLiteral("Car_client")).setString(QStringLiteral("BENCH"));
        lines.field(QStringLiteral("Car_invoice")).setString(QStringLiteral("B%1").arg(i / 4, 7, 10, QLatin1Char('0')));
        lines.field(QStringLiteral("Car_ref")).setString(QStringLiteral("R%1").arg(i % 4));
        lines.field(QStringLiteral("Car_date")).setDate(start.addDays(i / 60));
        lines.field(QStringLiteral("Car_type")).setString(i % 4 == 3 ? QStringLiteral("2") : QStringLiteral("1"));
        lines.field(QStringLiteral("Car_amount")).setMoney(Currency::fromTicks((i % 4 == 3 ? -1 : 1) * (1000000 + i)));
        lines.post();
    }
    tx.commit();
}

// The statement of client BENCH as a report: one row per line with its
// running balance.
std::unique_ptr<report::Report> statementReport(data::Table& lines, Currency& balance)
{
    auto form = std::make_unique<report::Report>();
    form->title = QStringLiteral("Statement");
    form->pageHeader().height = 10;
    form->pageHeader().label(QStringLiteral("Title"), {0, 0, 187, 8}, QStringLiteral("Statement of BENCH"));
    form->pageFooter().pageNumber(QStringLiteral("PageNumber"), {150, 2, 37, 5}, QStringLiteral("Page"));
    report::Band& row = form->detail();
    row.height = 4.5;
    const char* fields[] = {"Car_invoice", "Car_ref", "Car_date", "Car_type", "Car_amount"};
    for (int i = 0; i < 5; ++i) {
        const QString name = QString::fromLatin1(fields[i]);
        row.field(
            name, {i * 32.0, 0, 30, 4.5}, [&lines, name] { return lines.field(name).value(); },
            i == 4 ? QStringLiteral("#,###,##0.00") : QString());
    }
    row.field(
        QStringLiteral("Balance"), {160, 0, 27, 4.5}, [&balance] { return QVariant::fromValue(balance); },
        QStringLiteral("#,###,##0.00"));
    row.beforePrint = [&lines, &balance] {
        balance += lines.field(QStringLiteral("Car_amount")).asMoney();
        return true;
    };
    report::RecordSource source = report::RecordSource::of(lines);
    source.first = [&lines, &balance] {
        balance = Currency();
        lines.first();
    };
    form->setMaster(source);
    return form;
}

// Notes when the preview's page is first painted.
class FirstPaint : public QObject {
public:
    QElapsedTimer* timer = nullptr;
    double at = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (at < 0 && event->type() == QEvent::Paint && watched->objectName() == QLatin1String("PreviewPage"))
            at = static_cast<double>(timer->nsecsElapsed()) / 1e6;
        return false;
    }
};

// Time from asking for the preview to its first page on screen, and to the
// window being ready with every page laid out.
std::pair<double, double> previewShownMs(report::Report& form)
{
    QElapsedTimer timer;
    FirstPaint paint;
    paint.timer = &timer;
    qApp->installEventFilter(&paint);
    double ready = -1;
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("ReportPreview") && w->isVisible() && paint.at >= 0
                && form.prepared()) {
                ready = static_cast<double>(timer.nsecsElapsed()) / 1e6;
                poll.stop();
                w->close();
            }
    });
    poll.start();
    timer.start();
    report::ShowPrintPreview(form, nullptr);
    qApp->removeEventFilter(&paint);
    return {paint.at, ready};
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    VarnexApplication application(argc, argv);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const QStringList arguments = QCoreApplication::arguments();
    int runs = 5;
    int invoiceLines = 1000;
    int statementLines = 100000;
    for (int i = 1; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--runs"))
            runs = std::max(1, arguments[i + 1].toInt());
        if (arguments[i] == QLatin1String("--lines"))
            invoiceLines = std::max(1, arguments[i + 1].toInt());
        if (arguments[i] == QLatin1String("--statement"))
            statementLines = std::max(1, arguments[i + 1].toInt());
    }
    QTemporaryDir root;
    const QString dataRoot = root.filePath(QStringLiteral("data"));
    data::DataRootOptions rootOptions;
    rootOptions.adminPassword = QStringLiteral("ADMIN1");
    data::CreateDataRoot(dataRoot, rootOptions);
    data::CompanyOptions company;
    company.number = 1;
    company.name = QStringLiteral("Bench");
    company.language = 1;
    data::CreateCompany(dataRoot, company);
    auto db = data::Database::forFolder(dataRoot + QStringLiteral("1"));
    const double setup = timeMs([&] {
        addInvoice(db, invoiceLines);
        addStatement(db, statementLines);
    });
    std::printf("engine %s, set-up %.0f ms, median of %d runs\n",
                qEnvironmentVariable("VARNEX_ENGINE", QStringLiteral("sqlite")).toUtf8().constData(), setup, runs);

    // ---- the invoice reprint ----
    LinkRecord link;
    link.setText(&TLinkSection::Link_data_dir, dataRoot);
    link.setText(&TLinkSection::Link_company, QStringLiteral("1"));
    link.setText(&TLinkSection::Link_company_name, QStringLiteral("Bench"));
    link.raw().Link_session = 9;
    link.raw().Link_language = 1;
    link.setLangCode(QStringLiteral("en"));
    TAccountDataModule dm(ClientSide());
    TAccountForm form(ClientSide(), &dm, link, reinterpret_cast<const void*>(&ModuleAddress));
    form.show();
    while (!dm.Query1.isOpen())
        QCoreApplication::processEvents();
    dm.fahdr.open();
    dm.fahdr.findKey({QStringLiteral("1"), QStringLiteral("B1000")});
    const QString pdf = root.filePath(QStringLiteral("invoice.pdf"));
    QList<double> reprint, raw;
    int pages = 0;
    for (int r = 0; r < runs; ++r) {
        reprint << timeMs([&] {
            std::unique_ptr<report::Report> invoice = MakeInvoiceReprint(dm, false);
            invoice->exportPdf(pdf);
            pages = static_cast<int>(invoice->pages().size());
        });
        // Baseline: the same lines read from the engine and their texts
        // painted straight on a PDF writer, a page every 40 lines.
        raw << timeMs([&] {
            data::Table lines;
            lines.setDatabase(db);
            lines.setTableName(QStringLiteral("fadet"));
            lines.open();
            QPdfWriter writer(root.filePath(QStringLiteral("raw.pdf")));
            writer.setResolution(300);
            QPainter painter(&writer);
            painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
            const char* fields[] = {"Fadet_line_code", "Fadet_item_code", "Fadet_desc", "Fadet_qty_ship", "Fadet_price",
                                    "Fadet_discount",  "Fadet_tax1",      "Fadet_tax2", "Fadet_total",    "Fadet_cost"};
            int row = 0;
            for (lines.first(); !lines.eof(); lines.next(), ++row) {
                if (row > 0 && row % 40 == 0)
                    writer.newPage();
                for (int i = 0; i < 10; ++i)
                    painter.drawText(QRectF(i * 250, 200 + (row % 40) * 60, 240, 55), Qt::AlignLeft,
                                     report::FormatReportValue(lines.field(QString::fromLatin1(fields[i])).value(),
                                                               QStringLiteral("#,###,##0.00")));
            }
        });
    }
    dm.fahdr.close();
    std::printf(
        "invoice of %d lines to PDF (%d pages)        %8.1f ms   baseline, raw QPainter on QPdfWriter %8.1f ms\n",
        invoiceLines, pages, median(reprint), median(raw));

    // ---- the statement in the preview ----
    data::Table lines;
    lines.setDatabase(db);
    lines.setTableName(QStringLiteral("car"));
    lines.open();
    lines.setIndexFieldNames(QStringLiteral("Car_client"));
    lines.setRange({QStringLiteral("BENCH")}, {QStringLiteral("BENCH")});
    Currency balance;
    QList<double> layout, firstPage, allPages, onePage, wholePdf, walk;
    int statementPages = 0;
    for (int r = 0; r < runs; ++r) {
        // Baseline of the data: the lines walked and their fields read.
        walk << timeMs([&] {
            Currency sum;
            for (lines.first(); !lines.eof(); lines.next())
                sum += lines.field(QStringLiteral("Car_amount")).asMoney();
        });
        {
            balance = Currency();
            auto statement = statementReport(lines, balance);
            layout << timeMs([&] { statement->prepare(); });
            statementPages = static_cast<int>(statement->pages().size());
        }
        {
            balance = Currency();
            auto statement = statementReport(lines, balance);
            const auto [first, all] = previewShownMs(*statement);
            firstPage << first;
            allPages << all;
        }
        {
            int row = 0;
            report::Report single;
            single.setMaster(report::RecordSource::rows(20, &row));
            single.detail().field(QStringLiteral("Row"), {0, 0, 40, 4.5}, [&row] { return QVariant(row); });
            onePage << previewShownMs(single).first;
        }
        if (r == 0) {
            balance = Currency();
            auto statement = statementReport(lines, balance);
            wholePdf << timeMs([&] { statement->exportPdf(root.filePath(QStringLiteral("statement.pdf"))); });
        }
    }
    std::printf(
        "statement of %d lines (%d pages): first preview page %8.1f ms   baseline, preview of one page %8.1f ms\n",
        statementLines, statementPages, median(firstPage), median(onePage));
    std::printf("  every page laid out in the preview %8.1f ms\n", median(allPages));
    std::printf("  layout of every page %8.1f ms, PDF of every page %8.1f ms, the lines walked alone %8.1f ms\n",
                median(layout), median(wholePdf), median(walk));
    return 0;
}
