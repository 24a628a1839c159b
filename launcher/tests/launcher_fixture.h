#pragma once
// An installation for the launcher's tests: a private settings file, a
// program folder that receives test module libraries under option names, and
// a data root with one company and the administrator.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class QListWidget;
class QMenu;

#include "logoappform.h"
#include "test_support.h"
#include "varnex/messages.h"
#include "varnex/translation/translate.h"

namespace launcher_test {

class FakePrinters : public varnex::launcher::PrinterSystem {
public:
    QStringList names = {QStringLiteral("Office laser"), QStringLiteral("Warehouse labels")};
    int current = 0;
    QStringList printerNames() override { return names; }
    int currentPrinter() override { return current; }
    void selectPrinter(int index) override { current = index; }
};

class Installation {
public:
    // sessions: rows of the session table; withCompany: company 1 "Alpha".
    explicit Installation(int sessions = 3, bool withCompany = true);
    ~Installation();

    QString programDrive() const;
    QString dataDrive() const;
    QString programFolder() const; // programDrive + "/Lgx/bin"
    QString dataRoot() const;      // dataDrive + "/Lgx/data"
    const QString& adminPassword() const { return m_adminPassword; }

    void setSetting(const QString& name, const QString& value, const QString& section = QStringLiteral("Lgx"));
    QString setting(const QString& name, const QString& section = QStringLiteral("Lgx")) const;

    // Copies a test library of the test folder into the program folder as <option>.so.
    void installModule(const QString& option, const QString& fixture = QStringLiteral("launcher_recording_module"));
    // Lines written by the recording module since the start.
    QStringList calls() const;
    const QString& settingsPath() const { return m_settings.path(); }

    void addUser(const QString& code, const QString& password, const QStringList& options, int language = 1,
                 int company = 1);
    void addCompany(int number, const QString& name, const QString& password = QString());

    std::unique_ptr<varnex::launcher::TLogoAppForm> makeForm(varnex::launcher::LauncherEnvironment environment = {});
    // The form after its first activation.
    std::unique_ptr<varnex::launcher::TLogoAppForm> startForm(varnex::launcher::LauncherEnvironment environment = {});

    std::shared_ptr<FakePrinters> printers = std::make_shared<FakePrinters>();
    varnex::RecordingMessageService messages;
    varnex::translation::MemoryLanguageTables languages;

private:
    varnex::test_support::ScratchSettings m_settings;
    QTemporaryDir m_root;
    QString m_adminPassword;
    QString m_log;
};

// The message lines the tests look for, as the language tables give them.
QString Line(int number);

// The main window's components, found by their object names as the desktop
// and the translation find them.
varnex::TStatusBar* StatusBarOf(const QWidget& form);
QMenu* MenuOf(const QWidget& form, const char* name);
QListWidget* ListOf(const QWidget& form, const char* name);

} // namespace launcher_test
