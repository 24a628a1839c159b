#include "varnex/frame/module.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>

#include "varnex/application.h"
#include "varnex/controls/maskedit.h"
#include "varnex/data/database.h"
#include "varnex/data/engine_error.h"
#include "varnex/data/schema.h"
#include "varnex/data/table.h"
#include "varnex/frame/services.h"
#include "varnex/messages.h"
#include "varnex/paths.h"
#include "varnex/regional.h"
#include "varnex/shell.h"
#include "varnex/statusbar.h"
#include "varnex/translation/translate.h"

namespace varnex::frame {

std::int32_t RunModule(const TLinkSection& received, LinkRecord& moduleCopy, const ModuleOptions& options,
                       const std::function<ModuleObjects()>& createObjects)
{
    moduleCopy = LinkRecord(received);
    const std::int32_t result = -1;
    // Whatever happens below, the module's references go back before the
    // exception (if any) reaches the launcher.
    struct ReleaseCopy {
        LinkRecord& copy;
        ~ReleaseCopy() { copy = LinkRecord(); }
    } releaseCopy{moduleCopy};

    ModuleObjects objects = createObjects();
    if (options.exceptionHandler)
        SetApplicationExceptionHandler(options.exceptionHandler);
    LoadRegionalSettings();
    const QString dateFormat = Regional().shortDateFormat;
    ApplyDateFormat(objects.dataModule.get(), dateFormat);
    if (options.applyDateMasks)
        options.applyDateMasks(objects, dateFormat);
    if (objects.mainForm)
        objects.mainForm->exec();
    // The objects are freed here, also when exec() was left by an exception.
    return result;
}

TModuleForm::TModuleForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
}

void TModuleForm::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TModuleForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    // Some platforms (offscreen, no window manager) never activate a window:
    // the first activation must still happen once the window is up.
    QTimer::singleShot(0, this, [this] {
        if (isVisible())
            FormActivate();
    });
}

bool IsRegionalDateMask(const QString& mask)
{
    return mask == QLatin1String("99/99/9999") || mask == QLatin1String("9999/99/99")
           || mask == QLatin1String("!99/99/9999") || mask == QLatin1String("!99/99/9999;1; ");
}

namespace {

// A line edit's input mask without the blank Qt appends ("99/99/9999; ").
QString InputMaskProper(const QLineEdit& edit)
{
    const QString mask = edit.inputMask();
    const qsizetype separator = mask.lastIndexOf(QLatin1Char(';'));
    return separator < 0 ? mask : mask.left(separator);
}

// The suite's mask ("!9999-99-99;1; ") as a line edit's input mask: the
// placeholders and literals, then the blank.
QString AsInputMask(const QString& editMask)
{
    const QStringList parts = editMask.split(QLatin1Char(';'));
    const QString blank = parts.size() > 2 && !parts[2].isEmpty() ? parts[2].left(1) : QStringLiteral(" ");
    return parts[0] + QLatin1Char(';') + blank;
}

} // namespace

void ApplyDateMaskToEdits(QWidget* form, const QString& dateFormat)
{
    if (form == nullptr)
        return;
    const QString regional = DateEditMask(dateFormat);
    const auto edits = form->findChildren<QLineEdit*>();
    for (QLineEdit* edit : edits) {
        if (auto* masked = qobject_cast<TVarnexMaskEdit*>(edit)) {
            if (IsRegionalDateMask(masked->EditMask()))
                masked->setEditMask(regional);
            continue;
        }
        // Qt keeps only the placeholders of "!99/99/9999;1; " and reads back
        // "!99/99/9999" with its blank: three of the four masks are told apart.
        const QString current = InputMaskProper(*edit);
        if (!current.isEmpty() && IsRegionalDateMask(current))
            edit->setInputMask(AsInputMask(regional));
    }
}

namespace {

// Keeps the regional date format of one data set. Fields are made anew each
// time a data set opens, and the format is set once at module entry, before
// any table is open: it is given to the date fields again whenever the data
// set's fields may have changed.
class DateFieldFormat : public QObject {
public:
    static constexpr const char* kName = "varnexDateFieldFormat";

    explicit DateFieldFormat(data::DataSet* dataSet)
        : QObject(dataSet)
        , m_dataSet(dataSet)
    {
        setObjectName(QLatin1String(kName));
        connect(dataSet, &data::DataSet::dataSetChanged, this, &DateFieldFormat::apply);
    }

    void set(const QString& editMask, const QString& displayFormat)
    {
        m_editMask = editMask;
        m_displayFormat = displayFormat;
        apply();
    }

private:
    void apply()
    {
        for (int i = 0; i < m_dataSet->fieldCount(); ++i) {
            data::Field& field = m_dataSet->fieldByNumber(i);
            if (field.type() == data::FieldType::Date) {
                field.setEditMask(m_editMask);
                field.setDisplayFormat(m_displayFormat);
            }
        }
    }

    data::DataSet* m_dataSet;
    QString m_editMask;
    QString m_displayFormat;
};

} // namespace

void ApplyDateFormat(QObject* dataModule, const QString& dateFormat)
{
    if (dataModule == nullptr)
        return;
    const QString mask = DateEditMask(dateFormat);
    QList<data::DataSet*> dataSets = dataModule->findChildren<data::DataSet*>();
    if (auto* itself = qobject_cast<data::DataSet*>(dataModule))
        dataSets.prepend(itself);
    for (data::DataSet* dataSet : dataSets) {
        auto* format = static_cast<DateFieldFormat*>(
            dataSet->findChild<QObject*>(QLatin1String(DateFieldFormat::kName), Qt::FindDirectChildrenOnly));
        if (format == nullptr)
            format = new DateFieldFormat(dataSet);
        format->set(mask, dateFormat);
    }
}

ModuleDatabase::ModuleDatabase(QString alias)
    : m_alias(std::move(alias))
{
}

ModuleDatabase::~ModuleDatabase()
{
    disconnect();
}

void ModuleDatabase::connectTo(const QString& folder)
{
    data::DefineAlias(m_alias, QStringLiteral("path=") + folder);
    data::AliasDatabase(m_alias);
    m_connected = true;
}

void ModuleDatabase::disconnect()
{
    m_connected = false;
}

std::shared_ptr<data::Database> ModuleDatabase::database() const
{
    return data::AliasDatabase(m_alias);
}

QString StandaloneDataFolder()
{
    return DefaultDataDrive() + QStringLiteral("/standalone/data");
}

QString StandaloneProgramFolder()
{
    return DefaultProgramDrive() + QStringLiteral("/standalone/bin");
}

QString CompanyFolder(const TLinkSection& record)
{
    return CompanyFolderOf(LinkText(record.Link_data_dir), LinkText(record.Link_company));
}

bool FirstActivation(LinkRecord& moduleCopy, const FirstActivationSetup& setup)
{
    QWidget* form = setup.mainForm ? setup.mainForm : setup.formsToTranslate.value(0);
    // The status bar is filled by appending to its design texts: a set-up that
    // ran once, whole or not, must never run again for the same window.
    static const char* const kSetUpRan = "varnexFirstActivationRan";
    if (form && form->property(kSetUpRan).toBool())
        return false;
    if (!setup.databases.isEmpty() && setup.databases.first().database->connected())
        return false;
    if (form)
        form->setProperty(kSetUpRan, true);
    const QString table = setup.moduleName + moduleCopy.langCode();
    for (QWidget* window : setup.formsToTranslate)
        translation::TranslateForm(window, table);
    if (setup.standaloneDefaults && moduleCopy.text(&TLinkSection::Link_company).isEmpty()) {
        moduleCopy.setText(&TLinkSection::Link_company, QStringLiteral("1"));
        moduleCopy.setText(&TLinkSection::Link_data_dir, StandaloneDataFolder());
        moduleCopy.setText(&TLinkSection::Link_pgm_dir, StandaloneProgramFolder());
    }
    FillStatusBar(setup.statusBar, moduleCopy.raw(), ModuleVersionText(setup.moduleAddress));
    SetApplicationHelpFolder(HelpFolderFor(moduleCopy.text(&TLinkSection::Link_pgm_dir), moduleCopy.raw().Link_language,
                                           moduleCopy.langCode()));
    try {
        for (const auto& connection : setup.databases) {
            const QString folder = connection.companyFolder ? CompanyFolder(moduleCopy.raw())
                                                            : moduleCopy.text(&TLinkSection::Link_data_dir);
            connection.database->connectTo(folder);
        }
    } catch (const std::exception& error) {
        const auto* engineError = dynamic_cast<const data::EngineError*>(&error);
        ShowErrorMessage(engineError ? engineError->message() : QString::fromUtf8(error.what()), form);
        for (const auto& connection : setup.databases)
            connection.database->disconnect();
        if (auto* dialog = qobject_cast<QDialog*>(form))
            dialog->reject();
        else if (form)
            form->close();
        return false;
    }
    return true;
}

QString PrepareWorkTable(data::Database& database, const QString& baseName, int session)
{
    const QString name = baseName + QString::number(session);
    if (database.tableExists(name)) {
        database.emptyTable(name);
        return name;
    }
    const data::TableDef* def = data::FindTableDef(baseName);
    if (def == nullptr)
        throw std::invalid_argument("no table definition for the work table " + baseName.toStdString());
    database.createTable(*def, name);
    return name;
}

} // namespace varnex::frame
