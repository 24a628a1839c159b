#pragma once
// What the company set-up wizard stores: the rates and currency words in the
// company's control record, the two value-added-tax rows outside Canada, and
// the regional settings every program reads at its next start. All of it is
// written together or not at all, so that a failure half-way never leaves a
// company whose control record says one tax system and whose settings say
// another.

#include <QString>

#include <optional>
#include <stdexcept>

namespace varnex {
class SettingsStore;
}

namespace varnex::launcher {

struct CompanyDefaults {
    bool outsideCanada = true;
    // Empty rate boxes store an empty (null) rate.
    std::optional<double> federalRate;    // GST, or VAT/Tax 1 outside Canada
    std::optional<double> provincialRate; // PST, QST, or VAT/Tax 2 outside Canada
    std::optional<double> harmonizedRate; // HST
    QString currencyDescription;
    QString fractionsDescription;
    QString dateFormat; // "yyyy/mm/dd", "dd/mm/yyyy" or "mm/dd/yyyy"
    QString currencySymbol;
    bool symbolLeft = true;
};

// The settings file could not be written; what() is its path.
class SettingsNotWritten : public std::runtime_error {
public:
    explicit SettingsNotWritten(const QString& path)
        : std::runtime_error(path.toStdString())
        , m_path(path)
    {
    }
    const QString& path() const { return m_path; }

private:
    QString m_path;
};

// Reads a rate box: empty gives no rate; a decimal number in the system's
// notation or with a point gives the rate; anything else gives false.
bool ParseRate(const QString& text, std::optional<double>& rate);

// Writes the defaults into the company folder and the settings. Throws the
// engine's error (nothing in the folder changed and the settings are as they
// were) or SettingsNotWritten when the settings file cannot be written (the
// folder is then left as it was too).
void WriteCompanyDefaults(const QString& companyFolder, const CompanyDefaults& defaults, const SettingsStore& settings);

} // namespace varnex::launcher
