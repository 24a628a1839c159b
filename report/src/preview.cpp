#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QToolBar>

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

void ShowPrintPreview(Report& report, QWidget* parent, const QString& languageTable)
{
    // The pages are laid out once; zooming and paging only repaint them.
    report.prepare();
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(report.pageLayout);
    printer.setDocName(report.title);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("ReportPreview"));
    dialog.setWindowTitle(report.title);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&report](QPrinter* target) { report.print(*target); });

    auto* exportPdf = new QAction(QStringLiteral("Export PDF"), &dialog);
    exportPdf->setObjectName(QStringLiteral("ExportPdf"));
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
    if (auto* toolBar = dialog.findChild<QToolBar*>())
        toolBar->addAction(exportPdf);
    else
        dialog.addAction(exportPdf);
    if (!languageTable.isEmpty()) {
        try {
            translation::TranslateForm(&dialog, languageTable);
        } catch (const std::exception&) {
            // Without its table the preview keeps its English texts.
        }
    }
    dialog.exec();
}

} // namespace varnex::report
