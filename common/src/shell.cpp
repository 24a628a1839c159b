#include "varnex/shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QWidget>

#include "varnex/helpviewer.h"

namespace varnex {

namespace {

class DesktopShell : public ShellService {
public:
    bool openUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }
    bool startProgram(const QString& program, const QStringList& arguments, const QString& workingFolder) override
    {
        return QProcess::startDetached(program, arguments, workingFolder);
    }
};

class PrinterPrintService : public PrintService {
public:
    bool printImage(const QImage& image, const QString& title) override
    {
        if (image.isNull())
            return false;
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(title);
        if (QPrinterInfo::availablePrinters().isEmpty()) {
            // A machine without printers still gets its copy, as a PDF.
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(
                QDir::home().filePath(title.isEmpty() ? QStringLiteral("print.pdf") : title + QStringLiteral(".pdf")));
        }
        QPainter painter;
        if (!painter.begin(&printer))
            return false;
        const QRect page = painter.viewport();
        QSize size = image.size();
        size.scale(page.size(), Qt::KeepAspectRatio);
        painter.drawImage(QRect(page.topLeft(), size), image);
        return painter.end();
    }
};

class ViewerHelpService : public HelpService {
public:
    void showContext(const QString& helpFolder, int context) override { show(helpFolder, QString::number(context)); }
    void showTopic(const QString& helpFolder, const QString& topic) override { show(helpFolder, topic); }
    void showContents(const QString& helpFolder) override { show(helpFolder, QStringLiteral("index")); }

private:
    static void show(const QString& folder, const QString& page)
    {
        HelpViewer* viewer = HelpViewer::instance();
        viewer->showPage(folder, page);
        viewer->show();
        viewer->raise();
    }
};

ShellService* g_shell = nullptr;
PrintService* g_print = nullptr;
HelpService* g_help = nullptr;
QString g_helpFolder;

} // namespace

ShellService& Shell()
{
    static DesktopShell shell;
    return g_shell ? *g_shell : shell;
}

void SetShellService(ShellService* service)
{
    g_shell = service;
}

PrintService& Printing()
{
    static PrinterPrintService printing;
    return g_print ? *g_print : printing;
}

void SetPrintService(PrintService* service)
{
    g_print = service;
}

HelpService& Help()
{
    static ViewerHelpService help;
    return g_help ? *g_help : help;
}

void SetHelpService(HelpService* service)
{
    g_help = service;
}

void SetApplicationHelpFolder(const QString& folder)
{
    g_helpFolder = folder;
}
QString ApplicationHelpFolder()
{
    return g_helpFolder;
}

QString HelpFolderFor(const QString& programFolder, int language, const QString& languageCode)
{
    QString folder = programFolder + QStringLiteral("/Help");
    if (language != 1)
        folder += languageCode;
    return folder;
}

bool PrintWindow(QWidget* window)
{
    if (window == nullptr)
        return false;
    return Printing().printImage(window->grab().toImage(), window->windowTitle());
}

RecordingShellService::RecordingShellService()
{
    SetShellService(this);
}
RecordingShellService::~RecordingShellService()
{
    if (g_shell == this)
        SetShellService(nullptr);
}
bool RecordingShellService::openUrl(const QUrl& url)
{
    opened << url;
    return result;
}
bool RecordingShellService::startProgram(const QString& program, const QStringList& arguments,
                                         const QString& workingFolder)
{
    started.append({program, arguments, workingFolder});
    return result;
}

RecordingPrintService::RecordingPrintService()
{
    SetPrintService(this);
}
RecordingPrintService::~RecordingPrintService()
{
    if (g_print == this)
        SetPrintService(nullptr);
}
bool RecordingPrintService::printImage(const QImage& image, const QString& title)
{
    images << image;
    titles << title;
    return !image.isNull();
}

RecordingHelpService::RecordingHelpService()
{
    SetHelpService(this);
}
RecordingHelpService::~RecordingHelpService()
{
    if (g_help == this)
        SetHelpService(nullptr);
}
void RecordingHelpService::showContext(const QString& helpFolder, int context)
{
    requests << QStringLiteral("context:%1:%2").arg(helpFolder).arg(context);
}
void RecordingHelpService::showTopic(const QString& helpFolder, const QString& topic)
{
    requests << QStringLiteral("topic:%1:%2").arg(helpFolder, topic);
}
void RecordingHelpService::showContents(const QString& helpFolder)
{
    requests << QStringLiteral("contents:%1").arg(helpFolder);
}

} // namespace varnex
