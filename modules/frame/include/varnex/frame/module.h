#pragma once
// What every module library does on entry and exit. A module exports
//
//     extern "C" std::int32_t ShowDllForm(TLinkSection record)
//     {
//         return varnex::frame::RunModule(record, g_link, options, [] { ... create objects ... });
//     }
//
// and writes only its forms, its data module and their handlers.

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

#include <QDialog>
#include <QList>
#include <QObject>
#include <QString>

#include "varnex/linksection.h"

namespace varnex {
class TStatusBar;
}
namespace varnex::data {
class Database;
}

namespace varnex::frame {

// The objects of one module call, in the order they were created. They are
// freed when the call ends, also when an exception leaves the modal loop.
struct ModuleObjects {
    std::unique_ptr<QObject> dataModule;
    std::unique_ptr<QDialog> mainForm;
    std::vector<std::unique_ptr<QWidget>> furtherForms;
};

struct ModuleOptions {
    // Becomes the application's exception event while the window is open
    // (empty: the module installs none).
    std::function<void(std::exception_ptr)> exceptionHandler;
    // Applied to the created objects after the regional settings (the
    // purchases module sets its date boxes' masks here).
    std::function<void(ModuleObjects&, const QString& dateFormat)> applyDateMasks;
};

// The entry sequence: keep a copy of the record (own references), create the
// objects, install the exception handler, load the regional settings, give
// every date field of the data module the regional mask and format, show the
// main form modally, free everything, release the references, return -1.
std::int32_t RunModule(const TLinkSection& received, LinkRecord& moduleCopy, const ModuleOptions& options,
                       const std::function<ModuleObjects()>& createObjects);

// The base of a module's main form: a fixed-size dialog, centred, whose
// FormActivate runs every time the window becomes active (the first time it
// does the frame's set-up; later times, after a dialog closes, nothing).
class TModuleForm : public QDialog {
    Q_OBJECT
public:
    explicit TModuleForm(QWidget* parent = nullptr);

protected:
    virtual void FormActivate() {}
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
};

// The masks of date boxes that follow the regional format; any other mask
// (a hyphen date mask for instance) is left alone.
bool IsRegionalDateMask(const QString& mask);
// Gives every masked box of the form whose mask is one of the four design
// date masks the mask of the date format: the suite's masked edit by its edit
// mask, a plain line edit (also the data-aware edit) by its input mask.
void ApplyDateMaskToEdits(QWidget* form, const QString& dateFormat);
// Gives every date field (not date-time, not time) of the data module's data
// sets the edit mask and display format of the date format, also the fields
// of tables opened later. The data sets are the data module's children, and
// the data module itself when it is one.
void ApplyDateFormat(QObject* dataModule, const QString& dateFormat);

// One private database of a module: an alias pointed at a folder at first
// activation.
class ModuleDatabase {
public:
    explicit ModuleDatabase(QString alias);
    ~ModuleDatabase();

    const QString& alias() const { return m_alias; }
    bool connected() const { return m_connected; }
    // Clears the parameters, sets "path=" + folder, connects.
    void connectTo(const QString& folder);
    void disconnect();
    std::shared_ptr<data::Database> database() const;

private:
    QString m_alias;
    bool m_connected = false;
};

struct FirstActivationSetup {
    QString moduleName; // "supview": the language table is name + code
    QList<QWidget*> formsToTranslate;
    // supview and stockrcv: an empty company means a start without the
    // launcher, on company "1" of the stand-alone folders.
    bool standaloneDefaults = false;
    TStatusBar* statusBar = nullptr;
    const void* moduleAddress = nullptr; // any function of the module, for its version
    // Each database with the folder it is pointed at; the first one guards
    // the whole set-up.
    struct Connection {
        ModuleDatabase* database;
        bool companyFolder; // true: company folder; false: the data folder itself
    };
    QList<Connection> databases;
    // The main form; the first of formsToTranslate when not given.
    QWidget* mainForm = nullptr;
};

// The frame part of a main form's first activation. Returns false, doing
// nothing, when it ran before for this form (the form is being activated
// again after a dialog, or its set-up failed). When a database cannot be
// connected (a company whose folder does not exist) the engine's message is
// shown once and the main form closes, which returns to the launcher.
bool FirstActivation(LinkRecord& moduleCopy, const FirstActivationSetup& setup);

// The stand-alone folders used when a module starts without the launcher.
QString StandaloneDataFolder();
QString StandaloneProgramFolder();

// The company folder of a session record: data folder + company number.
QString CompanyFolder(const TLinkSection& record);

// Creates (or empties) the per-session work table `baseName` + session number
// in the database, from the catalogue's definition of `baseName`. The table
// is created empty in one step: a work table is never left half-made.
QString PrepareWorkTable(data::Database& database, const QString& baseName, int session);

} // namespace varnex::frame
