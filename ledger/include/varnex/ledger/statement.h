#pragma once
// The amounts the account display windows compute for a client or a
// supplier: the running balance of the statement, the ageing into five
// buckets, the twelve-month statistics totals, and margin and markup of an
// invoice line. The statement is read in its index order (client or
// supplier, invoice, reference, date, type, sequence).

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include <QDate>
#include <QDateTime>
#include <QString>

#include "varnex/currency.h"

namespace varnex::data {
class Database;
class DataSet;
} // namespace varnex::data

namespace varnex::ledger {

// One line of car/carh (client) or cap/caph (supplier), key fields first.
struct StatementLine {
    QString account; // Car_client / Cap_supplier
    QString invoice;
    QString reference;
    QDate date;
    QString type;
    std::int64_t sequence = 0;
    QDate dueDate;
    Currency amount;
};

enum class StatementSide { Client, Supplier };

// The lines of one account from the current table (car, cap) or the history
// table (carh, caph), in index order.
std::vector<StatementLine> ReadStatement(const std::shared_ptr<data::Database>& company, StatementSide side,
                                         const QString& account, bool history);

// Balance after each line: the sum of the amounts of every line up to and
// including it, in exact currency arithmetic. Same length as `lines`.
std::vector<Currency> RunningBalances(const std::vector<StatementLine>& lines);

// The four limits in days (Ctrl_ar_days1..4 or Ctrl_ap_days1..4).
struct AgingLimits {
    std::array<int, 4> days{30, 60, 90, 120};
};

AgingLimits ReadAgingLimits(const std::shared_ptr<data::Database>& company, StatementSide side);

// Bucket 1..5 of an age in days: <= limit 1 gives 1, ..., above limit 4 gives 5.
int AgingBucket(int ageDays, const AgingLimits& limits);

// Whole days from `date` (its midnight) to `now`, the fraction dropped
// toward zero.
int AgeInDays(const QDate& date, const QDateTime& now);

// Ageing of the lines in the given (index) order. Every line ages from the
// date of its invoice's first line: a line whose invoice equals the previous
// line's invoice keeps the remembered date. bucket[0] is bucket 1.
std::array<Currency, 5> ComputeAging(const std::vector<StatementLine>& lines, const AgingLimits& limits,
                                     const QDateTime& now);

// Sums of fields prefix1 .. prefix12 of the current record (months 1-12 only;
// fields 13 and beyond are other data): money fields ("Svstatc_dols",
// "Cost") and quantities ("Svstatc_Qty", "Qty"). A missing field counts 0.
Currency TwelveMonthMoneyTotal(data::DataSet& record, const QString& prefix);
double TwelveMonthQuantityTotal(data::DataSet& record, const QString& prefix);

// Invoice line margin (total - cost) / total x 100, none when the total is 0;
// markup (total - cost) / cost x 100, none when the cost is 0.
std::optional<double> Margin(Currency total, Currency cost);
std::optional<double> Markup(Currency total, Currency cost);

} // namespace varnex::ledger
