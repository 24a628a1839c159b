#include "varnex/ledger/statement.h"

#include "varnex/data/table.h"

namespace varnex::ledger {

namespace {

struct StatementNames {
    const char* table;
    const char* history;
    const char* account;
    const char* prefix;
};

StatementNames namesOf(StatementSide side)
{
    if (side == StatementSide::Client)
        return {"car", "carh", "Car_client", "Car_"};
    return {"cap", "caph", "Cap_supplier", "Cap_"};
}

} // namespace

std::vector<StatementLine> ReadStatement(const std::shared_ptr<data::Database>& company, StatementSide side,
                                         const QString& account, bool history)
{
    const StatementNames names = namesOf(side);
    const QString p = QString::fromLatin1(names.prefix);
    data::Table table;
    table.setDatabase(company);
    table.setTableName(QString::fromLatin1(history ? names.history : names.table));
    table.setReadOnly(true);
    table.open();
    // The primary key: account, invoice, reference, date, type, sequence.
    table.setRange({account}, {account});
    std::vector<StatementLine> lines;
    for (table.first(); !table.eof(); table.next()) {
        StatementLine line;
        line.account = table.field(QString::fromLatin1(names.account)).asString();
        line.invoice = table.field(p + QStringLiteral("invoice")).asString();
        line.reference = table.field(p + QStringLiteral("ref")).asString();
        line.date = table.field(p + QStringLiteral("date")).asDate();
        line.type = table.field(p + QStringLiteral("type")).asString();
        line.sequence = table.field(p + QStringLiteral("seq")).asInteger();
        line.dueDate = table.field(p + QStringLiteral("du_date")).asDate();
        line.amount = table.field(p + QStringLiteral("amount")).asMoney();
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<Currency> RunningBalances(const std::vector<StatementLine>& lines)
{
    std::vector<Currency> balances;
    balances.reserve(lines.size());
    Currency sum;
    for (const StatementLine& line : lines) {
        sum += line.amount;
        balances.push_back(sum);
    }
    return balances;
}

AgingLimits ReadAgingLimits(const std::shared_ptr<data::Database>& company, StatementSide side)
{
    AgingLimits limits;
    data::Table ctrl;
    ctrl.setDatabase(company);
    ctrl.setTableName(QStringLiteral("ctrl"));
    ctrl.setReadOnly(true);
    ctrl.open();
    ctrl.first();
    if (ctrl.eof())
        return limits;
    const QString prefix =
        side == StatementSide::Client ? QStringLiteral("Ctrl_ar_days") : QStringLiteral("Ctrl_ap_days");
    for (int n = 0; n < 4; ++n)
        limits.days[static_cast<size_t>(n)] = static_cast<int>(ctrl.field(prefix + QString::number(n + 1)).asInteger());
    return limits;
}

int AgingBucket(int ageDays, const AgingLimits& limits)
{
    for (int n = 0; n < 4; ++n)
        if (ageDays <= limits.days[static_cast<size_t>(n)])
            return n + 1;
    return 5;
}

int AgeInDays(const QDate& date, const QDateTime& now)
{
    if (!date.isValid() || !now.isValid())
        return 0;
    // Whole days, the fraction dropped toward zero: a line dated tomorrow is
    // 0 days old until a whole day lies between.
    const qint64 milliseconds = date.startOfDay().msecsTo(now);
    return static_cast<int>(milliseconds / (24LL * 60 * 60 * 1000));
}

std::array<Currency, 5> ComputeAging(const std::vector<StatementLine>& lines, const AgingLimits& limits,
                                     const QDateTime& now)
{
    std::array<Currency, 5> buckets{};
    QString invoice;
    QDate invoiceDate;
    bool first = true;
    for (const StatementLine& line : lines) {
        if (first || line.invoice != invoice) {
            invoice = line.invoice;
            invoiceDate = line.date;
            first = false;
        }
        const int bucket = AgingBucket(AgeInDays(invoiceDate, now), limits);
        buckets[static_cast<size_t>(bucket - 1)] += line.amount;
    }
    return buckets;
}

Currency TwelveMonthMoneyTotal(data::DataSet& record, const QString& prefix)
{
    Currency total;
    for (int month = 1; month <= 12; ++month)
        if (data::Field* field = record.findField(prefix + QString::number(month)))
            total += field->asMoney();
    return total;
}

double TwelveMonthQuantityTotal(data::DataSet& record, const QString& prefix)
{
    double total = 0;
    for (int month = 1; month <= 12; ++month)
        if (data::Field* field = record.findField(prefix + QString::number(month)))
            total += field->asNumber();
    return total;
}

std::optional<double> Margin(Currency total, Currency cost)
{
    if (total.isZero())
        return std::nullopt;
    return (total - cost).toDouble() / total.toDouble() * 100.0;
}

std::optional<double> Markup(Currency total, Currency cost)
{
    if (cost.isZero())
        return std::nullopt;
    return (total - cost).toDouble() / cost.toDouble() * 100.0;
}

} // namespace varnex::ledger
