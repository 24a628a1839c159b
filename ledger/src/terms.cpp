#include "varnex/ledger/terms.h"

#include <algorithm>
#include <cmath>

#include "varnex/data/table.h"

namespace varnex::ledger {

QDate DueDateFromTerms(const QDate& from, int terms)
{
    if (!from.isValid())
        return {};
    if (terms < 900)
        return from.addDays(terms);
    // A day the next month lacks (931 in February) would make no date at
    // all; the month's last day is the day the supplier means.
    const QDate firstOfNext = QDate(from.year(), from.month(), 1).addMonths(1);
    const int day = std::clamp(terms - 900, 1, firstOfNext.daysInMonth());
    return QDate(firstOfNext.year(), firstOfNext.month(), day);
}

int PayableAccounts::forCurrency(int currency) const
{
    if (currency < 0 || currency >= static_cast<int>(byCurrency.size()))
        return 0;
    return byCurrency[static_cast<size_t>(currency)];
}

bool PayableAccounts::contains(int account) const
{
    return account != 0 && std::find(byCurrency.begin(), byCurrency.end(), account) != byCurrency.end();
}

bool IsPayableAccount(const PayableAccounts& accounts, int account)
{
    return accounts.contains(account);
}

PayableAccounts ReadPayableAccounts(const std::shared_ptr<data::Database>& company)
{
    PayableAccounts accounts;
    data::Table ctrl;
    ctrl.setDatabase(company);
    ctrl.setTableName(QStringLiteral("ctrl"));
    ctrl.setReadOnly(true);
    ctrl.open();
    ctrl.first();
    if (ctrl.eof())
        return accounts;
    accounts.byCurrency[0] = static_cast<int>(ctrl.field(QStringLiteral("Ctrl_ap_accnt")).asInteger());
    for (int currency = 1; currency <= 4; ++currency)
        accounts.byCurrency[static_cast<size_t>(currency)] =
            static_cast<int>(ctrl.field(QStringLiteral("Ctrl_ap_curr%1").arg(currency + 1)).asInteger());
    return accounts;
}

int PurchaseJournalNumber(int supplierCurrency)
{
    return supplierCurrency == 0 ? 3 : 31 + supplierCurrency;
}

double ExchangeRates::of(int currency) const
{
    if (currency < 0 || currency >= static_cast<int>(rate.size()))
        return 1.0;
    const float value = rate[static_cast<size_t>(currency)];
    return value == 0.0f ? 1.0 : static_cast<double>(value);
}

Currency ExchangeRates::toHome(Currency amount, int currency) const
{
    if (currency == 0)
        return amount;
    return amount.multipliedBy(of(currency));
}

Currency ExchangeRates::toHomeCents(Currency amount, int currency) const
{
    return RoundToCents(toHome(amount, currency));
}

ExchangeRates ReadExchangeRates(const std::shared_ptr<data::Database>& company)
{
    ExchangeRates rates;
    data::Table ctrl;
    ctrl.setDatabase(company);
    ctrl.setTableName(QStringLiteral("ctrl"));
    ctrl.setReadOnly(true);
    ctrl.open();
    ctrl.first();
    if (ctrl.eof())
        return rates;
    for (int currency = 1; currency <= 4; ++currency)
        rates.rate[static_cast<size_t>(currency)] =
            static_cast<float>(ctrl.field(QStringLiteral("Ctrl_curr%1_rate").arg(currency)).asNumber());
    return rates;
}

} // namespace varnex::ledger
