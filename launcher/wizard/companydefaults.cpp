#include "companydefaults.h"

#include <QLocale>

#include <cmath>
#include <stdexcept>
#include <vector>

#include "varnex/data/database.h"
#include "varnex/data/table.h"
#include "varnex/settings.h"

namespace varnex::launcher {

bool ParseRate(const QString& text, std::optional<double>& rate)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        rate.reset();
        return true;
    }
    // A group separator would turn "7,5" into 75 in an English notation.
    QLocale system = QLocale::system();
    system.setNumberOptions(QLocale::RejectGroupSeparator);
    QLocale point = QLocale::c();
    point.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    double value = system.toDouble(trimmed, &ok);
    if (!ok)
        value = point.toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return false;
    rate = value;
    return true;
}

namespace {

void setRate(data::Field& field, const std::optional<double>& rate)
{
    if (rate)
        field.setNumber(*rate);
    else
        field.clear();
}

// One regional value as it was before the wizard wrote it, so that a failed
// write can put every one of them back.
struct SettingBefore {
    QString name;
    QString value;
    QString absentMeans; // what a reader sees when the value is missing
};

class SettingsWriter {
public:
    explicit SettingsWriter(const SettingsStore& settings)
        : m_settings(settings)
    {
    }
    ~SettingsWriter()
    {
        if (m_done)
            return;
        // Back to what readers saw before, newest first.
        for (auto it = m_before.rbegin(); it != m_before.rend(); ++it)
            m_settings.setValue(section(), it->name, it->value);
    }
    void write(const QString& name, const QString& value, const QString& absentMeans)
    {
        m_before.push_back({name, m_settings.value(section(), name, absentMeans), absentMeans});
        if (!m_settings.setValue(section(), name, value))
            throw SettingsNotWritten(m_settings.path());
    }
    void keep() { m_done = true; }

private:
    static QString section() { return QStringLiteral("Settings"); }
    const SettingsStore& m_settings;
    std::vector<SettingBefore> m_before;
    bool m_done = false;
};

void appendRateRows(data::Table& table, const CompanyDefaults& defaults)
{
    const std::optional<double>* rates[] = {&defaults.federalRate, &defaults.provincialRate};
    for (int code = 1; code <= 2; ++code) {
        table.append();
        setRate(table.field(QStringLiteral("TaxRates_Rate")), *rates[code - 1]);
        table.field(QStringLiteral("TaxRates_Code")).setInteger(code);
        table.post();
    }
}

} // namespace

void WriteCompanyDefaults(const QString& companyFolder, const CompanyDefaults& defaults, const SettingsStore& settings)
{
    const std::shared_ptr<data::Database> company = data::Database::forFolder(companyFolder);
    auto open = [&company](const char* name) {
        auto table = std::make_unique<data::Table>();
        table->setDatabase(company);
        table->setTableName(QLatin1String(name));
        table->open();
        return table;
    };
    auto ctrl = open("ctrl");
    std::unique_ptr<data::Table> taxrates;
    std::unique_ptr<data::Table> taxratesP;
    if (defaults.outsideCanada) {
        taxrates = open("taxrates");
        taxratesP = open("taxratesP");
    }
    // The control record is locked before anything is written, so that a
    // workstation holding it stops the wizard with nothing changed.
    ctrl->first();
    const bool newRecord = ctrl->isEmpty();
    if (!newRecord)
        ctrl->edit();

    data::Transaction transaction(company);
    if (newRecord)
        ctrl->append();
    setRate(ctrl->field(QStringLiteral("Ctrl_fed_rate")), defaults.federalRate);
    setRate(ctrl->field(QStringLiteral("Ctrl_pro_rate1")), defaults.provincialRate);
    setRate(ctrl->field(QStringLiteral("Ctrl_pro_rate2")), defaults.harmonizedRate);
    ctrl->field(QStringLiteral("Ctrl_dollars1")).setString(defaults.currencyDescription);
    ctrl->field(QStringLiteral("Ctrl_cents1")).setString(defaults.fractionsDescription);
    ctrl->field(QStringLiteral("Ctrl_TaxSystem")).setInteger(defaults.outsideCanada ? 1 : 0);
    if (defaults.outsideCanada) {
        // The account and description of each rate are completed later in
        // the parameters maintenance.
        appendRateRows(*taxrates, defaults);
        appendRateRows(*taxratesP, defaults);
    }
    ctrl->post();

    SettingsWriter regional(settings);
    regional.write(QStringLiteral("DateFmt"), defaults.dateFormat, QStringLiteral("DD/MM/YYYY"));
    regional.write(QStringLiteral("CurrSmbl"), defaults.currencySymbol, QStringLiteral("$"));
    regional.write(QStringLiteral("Intl"), defaults.outsideCanada ? QStringLiteral("y") : QStringLiteral("n"),
                   QStringLiteral("N"));
    regional.write(QStringLiteral("CurrAlign"), defaults.symbolLeft ? QStringLiteral("L") : QStringLiteral("R"),
                   QStringLiteral("L"));
    transaction.commit();
    regional.keep();
}

} // namespace varnex::launcher
