#pragma once
// Shell, printing and help go through replaceable services, like message
// boxes: the program opens real addresses, printers and help pages; tests
// record what was asked.

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

class QWidget;

namespace varnex {

class ShellService {
public:
    virtual ~ShellService() = default;
    // Opens an address, a "mailto:" or a folder with the desktop's default action.
    virtual bool openUrl(const QUrl& url) = 0;
    // Starts a program detached in the given working folder.
    virtual bool startProgram(const QString& program, const QStringList& arguments, const QString& workingFolder) = 0;
};

class PrintService {
public:
    virtual ~PrintService() = default;
    // Prints a picture of a window, scaled to the page, on the current printer.
    virtual bool printImage(const QImage& image, const QString& title) = 0;
};

// What the help system is asked to show: a page by context number, a topic by
// name, or the contents, from a help folder (program folder + "/Help" and the
// language code for a language other than English).
class HelpService {
public:
    virtual ~HelpService() = default;
    virtual void showContext(const QString& helpFolder, int context) = 0;
    virtual void showTopic(const QString& helpFolder, const QString& topic) = 0;
    virtual void showContents(const QString& helpFolder) = 0;
};

ShellService& Shell();
void SetShellService(ShellService* service);
PrintService& Printing();
void SetPrintService(PrintService* service);
HelpService& Help();
void SetHelpService(HelpService* service);

// The application's help folder: set by the launcher and by every module at
// its first activation; the Help commands use it.
void SetApplicationHelpFolder(const QString& folder);
QString ApplicationHelpFolder();
// program folder + "/Help", followed by the language code when the language is not 1.
QString HelpFolderFor(const QString& programFolder, int language, const QString& languageCode);

// Prints the window as shown on screen.
bool PrintWindow(QWidget* window);

// Services for tests: they install themselves and record every request.
class RecordingShellService : public ShellService {
public:
    RecordingShellService();
    ~RecordingShellService() override;
    bool openUrl(const QUrl& url) override;
    bool startProgram(const QString& program, const QStringList& arguments, const QString& workingFolder) override;

    struct Started {
        QString program;
        QStringList arguments;
        QString workingFolder;
    };
    QList<QUrl> opened;
    QList<Started> started;
    bool result = true;
};

class RecordingPrintService : public PrintService {
public:
    RecordingPrintService();
    ~RecordingPrintService() override;
    bool printImage(const QImage& image, const QString& title) override;
    QList<QImage> images;
    QStringList titles;
};

class RecordingHelpService : public HelpService {
public:
    RecordingHelpService();
    ~RecordingHelpService() override;
    void showContext(const QString& helpFolder, int context) override;
    void showTopic(const QString& helpFolder, const QString& topic) override;
    void showContents(const QString& helpFolder) override;
    // "context:<folder>:<n>", "topic:<folder>:<name>", "contents:<folder>"
    QStringList requests;
};

} // namespace varnex
