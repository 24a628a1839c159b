#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <QPrinter>
#include <QToolBar>

#include <exception>

#include "varnex/messages.h"
#include "varnex/report/report.h"
#include "varnex/translation/message_lines.h"

namespace varnex::report {

namespace {

class PrintPreview : public PreviewService {
public:
    void preview(Report& report, QWidget* parent) override { ShowPrintPreview(report, parent, report.languageTable); }
};

PreviewService* g_previews = nullptr;

QString ChoosePdfFile(QWidget* parent)
{
    return QFileDialog::getSaveFileName(parent, {}, {}, QStringLiteral("PDF (*.pdf)"));
}

PdfFileChooser& Chooser()
{
    static PdfFileChooser chooser = ChoosePdfFile;
    return chooser;
}

bool AskForPrinter(QPrinter& printer, QWidget* parent)
{
    QPrintDialog ask(&printer, parent);
    return ask.exec() == QDialog::Accepted;
}

PrinterChooser& PrinterChoice()
{
    static PrinterChooser chooser = AskForPrinter;
    return chooser;
}

} // namespace

PreviewService& Previews()
{
    static PrintPreview preview;
    return g_previews ? *g_previews : preview;
}

void SetPreviewService(PreviewService* service)
{
    g_previews = service;
}

void SetPdfFileChooser(PdfFileChooser chooser)
{
    Chooser() = chooser ? std::move(chooser) : PdfFileChooser(ChoosePdfFile);
}

void SetPrinterChooser(PrinterChooser chooser)
{
    PrinterChoice() = chooser ? std::move(chooser) : PrinterChooser(AskForPrinter);
}

namespace {

// One page of the report at the chosen zoom, painted from its layout when it
// is on screen: a long report costs nothing here for the pages not looked at.
class PageView : public QWidget {
public:
    PageView(const Report& report, QWidget* parent)
        : QWidget(parent)
        , m_report(report)
    {
        setObjectName(QStringLiteral("PreviewPage"));
        resizeToPage();
    }
    std::function<void()> firstPainted;
    std::size_t page = 0;
    double zoom = 1.0;

    double pixelsPerMm() const { return logicalDpiX() / 25.4 * zoom; }
    void resizeToPage()
    {
        const QSizeF size = m_report.pageLayout.fullRect(QPageLayout::Millimeter).size();
        setFixedSize(
            QSize(int(size.width() * pixelsPerMm()) + 2 * Border, int(size.height() * pixelsPerMm()) + 2 * Border));
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().dark());
        const QRectF sheet(Border, Border, width() - 2 * Border, height() - 2 * Border);
        painter.fillRect(sheet, Qt::white);
        painter.setPen(Qt::black);
        const QRectF body = m_report.pageLayout.paintRect(QPageLayout::Millimeter);
        painter.translate(Border + body.left() * pixelsPerMm(), Border + body.top() * pixelsPerMm());
        painter.scale(zoom, zoom);
        const double perMm = logicalDpiX() / 25.4;
        m_report.paintPage(painter, page, perMm, logicalDpiY() / 25.4);
        if (firstPainted) {
            auto done = std::move(firstPainted);
            firstPainted = nullptr;
            // Once the page is on screen, not while it is being painted.
            QTimer::singleShot(0, this, std::move(done));
        }
    }

private:
    static constexpr int Border = 12;
    const Report& m_report;
};

QAction* AddAction(QToolBar* bar, QWidget* owner, const QString& name, const QString& text, QStyle::StandardPixmap icon)
{
    auto* action = new QAction(owner->style()->standardIcon(icon), text, owner);
    action->setToolTip(text);
    action->setObjectName(name);
    bar->addAction(action);
    return action;
}

} // namespace

void ShowPrintPreview(Report& report, QWidget* parent, const QString& languageTable)
{
    // Only the first page is laid out before the window shows; the others
    // follow once it is on screen. Paging and zooming then only repaint.
    report.prepare(1);
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("ReportPreview"));
    dialog.setWindowTitle(report.title);
    dialog.resize(900, 700);
    auto* layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QToolBar(&dialog);
    bar->setObjectName(QStringLiteral("PreviewToolBar"));
    layout->addWidget(bar);
    auto* scroll = new QScrollArea(&dialog);
    scroll->setAlignment(Qt::AlignHCenter);
    scroll->setBackgroundRole(QPalette::Dark);
    auto* view = new PageView(report, scroll);
    scroll->setWidget(view);
    layout->addWidget(scroll);

    QAction* first = AddAction(bar, &dialog, QStringLiteral("FirstPage"), QStringLiteral("First page"),
                               QStyle::SP_MediaSkipBackward);
    QAction* previous = AddAction(bar, &dialog, QStringLiteral("PreviousPage"), QStringLiteral("Previous page"),
                                  QStyle::SP_MediaSeekBackward);
    auto* pageLabel = new QLabel(bar);
    pageLabel->setObjectName(QStringLiteral("PageCount"));
    pageLabel->setMargin(6);
    bar->addWidget(pageLabel);
    QAction* next =
        AddAction(bar, &dialog, QStringLiteral("NextPage"), QStringLiteral("Next page"), QStyle::SP_MediaSeekForward);
    QAction* last =
        AddAction(bar, &dialog, QStringLiteral("LastPage"), QStringLiteral("Last page"), QStyle::SP_MediaSkipForward);
    bar->addSeparator();
    QAction* zoomOut =
        AddAction(bar, &dialog, QStringLiteral("ZoomOut"), QStringLiteral("Zoom out"), QStyle::SP_ArrowDown);
    QAction* zoomIn = AddAction(bar, &dialog, QStringLiteral("ZoomIn"), QStringLiteral("Zoom in"), QStyle::SP_ArrowUp);
    QAction* fitWidth =
        AddAction(bar, &dialog, QStringLiteral("FitWidth"), QStringLiteral("Fit width"), QStyle::SP_TitleBarMaxButton);
    bar->addSeparator();
    QAction* print = AddAction(bar, &dialog, QStringLiteral("Print"), QStringLiteral("Print"), QStyle::SP_FileIcon);
    auto* exportPdf = new QAction(QStringLiteral("Export PDF"), &dialog);
    exportPdf->setObjectName(QStringLiteral("ExportPdf"));
    bar->addAction(exportPdf);

    // "n / total", the total followed by "+" while pages are still laid out.
    auto showPage = [&report, view, pageLabel, first, previous, next, last](std::size_t page) {
        const std::size_t count = report.pages().size();
        view->page = count == 0 ? 0 : std::min(page, count - 1);
        pageLabel->setText(QStringLiteral("%1 / %2%3")
                               .arg(count == 0 ? 0 : view->page + 1)
                               .arg(count)
                               .arg(report.prepared() ? QString() : QStringLiteral("+")));
        first->setEnabled(view->page > 0);
        previous->setEnabled(view->page > 0);
        next->setEnabled(view->page + 1 < count);
        last->setEnabled(view->page + 1 < count);
        view->update();
    };
    QObject::connect(first, &QAction::triggered, &dialog, [=] { showPage(0); });
    QObject::connect(previous, &QAction::triggered, &dialog, [=] { showPage(view->page - 1); });
    QObject::connect(next, &QAction::triggered, &dialog, [=] { showPage(view->page + 1); });
    QObject::connect(last, &QAction::triggered, &dialog, [=, &report] { showPage(report.pages().size() - 1); });
    auto setZoom = [view](double zoom) {
        view->zoom = std::clamp(zoom, 0.25, 4.0);
        view->resizeToPage();
    };
    QObject::connect(zoomIn, &QAction::triggered, &dialog, [=] { setZoom(view->zoom * 1.25); });
    QObject::connect(zoomOut, &QAction::triggered, &dialog, [=] { setZoom(view->zoom / 1.25); });
    QObject::connect(fitWidth, &QAction::triggered, &dialog, [=, &report] {
        const double width = report.pageLayout.fullRect(QPageLayout::Millimeter).width();
        setZoom((scroll->viewport()->width() - 30) / (width * view->logicalDpiX() / 25.4));
    });
    // A data error while laying out the other pages closes the preview and
    // goes on to the caller, as it would have before the window showed.
    std::exception_ptr failure;
    view->firstPainted = [&report, &dialog, &failure, showPage, view] {
        if (report.prepared())
            return;
        try {
            report.prepare();
        } catch (...) {
            failure = std::current_exception();
            dialog.reject();
            return;
        }
        showPage(view->page);
    };
    // The whole width of the page in the window as it opens.
    setZoom((dialog.width() - 60)
            / (report.pageLayout.fullRect(QPageLayout::Millimeter).width() * view->logicalDpiX() / 25.4));
    showPage(0);

    // The texts the preview tells the user, from the report's language table.
    auto* messages = new QPlainTextEdit(QStringLiteral("IntlStrings1"), &dialog);
    messages->setObjectName(QStringLiteral("IntlStrings1"));
    messages->setReadOnly(true);
    messages->hide();
    QObject::connect(exportPdf, &QAction::triggered, &dialog, [&report, &dialog, messages] {
        const QString path = Chooser()(&dialog);
        if (path.isEmpty() || report.exportPdf(path))
            return;
        QString text = translation::MessageLine(messages, ExportPdfFailedLine);
        text = text.contains(QStringLiteral("%1")) ? text.arg(QDir::toNativeSeparators(path))
                                                   : QDir::toNativeSeparators(path);
        Messages().show(&dialog, MessageKind::Warning, dialog.windowTitle(), text, MessageButtons::Ok);
    });
    QObject::connect(print, &QAction::triggered, &dialog, [&report, &dialog, messages] {
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageLayout(report.pageLayout);
        printer.setDocName(report.title);
        if (!PrinterChoice()(printer, &dialog) || report.print(printer))
            return;
        QString text = translation::MessageLine(messages, PrintFailedLine);
        const QString where = printer.outputFileName().isEmpty() ? printer.printerName()
                                                                 : QDir::toNativeSeparators(printer.outputFileName());
        text = text.contains(QStringLiteral("%1")) ? text.arg(where) : where;
        Messages().show(&dialog, MessageKind::Warning, dialog.windowTitle(), text, MessageButtons::Ok);
    });
    if (!languageTable.isEmpty()) {
        try {
            translation::TranslateForm(&dialog, languageTable);
        } catch (const std::exception&) {
            // Without its table the preview keeps its English texts.
        }
    }
    dialog.exec();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace varnex::report
