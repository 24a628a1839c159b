#pragma once
// Reading back what the company wizard stored.

#include <QString>

#include <optional>

#include "varnex/data/database.h"
#include "varnex/data/table.h"

namespace wizard_test {

struct StoredControl {
    std::optional<double> federal, provincial, harmonized;
    QString dollars, cents;
    int taxSystem = -1;
    bool operator==(const StoredControl&) const = default;
};

inline std::optional<double> rateOf(varnex::data::Field& field)
{
    if (field.isNull())
        return std::nullopt;
    return field.asNumber();
}

inline StoredControl storedControl(const QString& companyFolder)
{
    varnex::data::Table ctrl;
    ctrl.setDatabase(varnex::data::Database::forFolder(companyFolder));
    ctrl.setTableName(QStringLiteral("ctrl"));
    ctrl.open();
    ctrl.first();
    StoredControl stored;
    stored.federal = rateOf(ctrl.field(QStringLiteral("Ctrl_fed_rate")));
    stored.provincial = rateOf(ctrl.field(QStringLiteral("Ctrl_pro_rate1")));
    stored.harmonized = rateOf(ctrl.field(QStringLiteral("Ctrl_pro_rate2")));
    stored.dollars = ctrl.field(QStringLiteral("Ctrl_dollars1")).asString();
    stored.cents = ctrl.field(QStringLiteral("Ctrl_cents1")).asString();
    stored.taxSystem = static_cast<int>(ctrl.field(QStringLiteral("Ctrl_TaxSystem")).asInteger());
    return stored;
}

// The rows of a tax-rate table as "rate:code" in stored order ("-" for an empty rate).
inline QStringList rateRows(const QString& companyFolder, const QString& table)
{
    varnex::data::Table rates;
    rates.setDatabase(varnex::data::Database::forFolder(companyFolder));
    rates.setTableName(table);
    rates.open();
    QStringList rows;
    for (rates.first(); !rates.eof(); rates.next()) {
        varnex::data::Field& rate = rates.field(QStringLiteral("TaxRates_Rate"));
        rows << (rate.isNull() ? QStringLiteral("-") : QString::number(rate.asNumber())) + QLatin1Char(':')
                    + QString::number(rates.field(QStringLiteral("TaxRates_Code")).asInteger());
    }
    return rows;
}

} // namespace wizard_test
