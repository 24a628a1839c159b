#include "posting_run.h"

#include <thread>

#include "varnex/data/engine_error.h"

namespace varnex::ledger::detail {

std::unique_ptr<data::Table> OpenTable(const std::shared_ptr<data::Database>& db, const QString& name, bool readOnly)
{
    auto table = std::make_unique<data::Table>();
    table->setDatabase(db);
    table->setTableName(name);
    table->setReadOnly(readOnly);
    table->open();
    return table;
}

data::Table& Cursors::operator()(const QString& name)
{
    // Opened before it takes a place: a table that cannot be opened (missing,
    // the server gone) leaves no empty cursor for cancelAll to meet.
    auto it = m_tables.find(name);
    if (it == m_tables.end())
        it = m_tables.emplace(name, OpenTable(m_db, name)).first;
    return *it->second;
}

void Cursors::cancelAll()
{
    for (auto& [name, table] : m_tables)
        if (table)
            table->cancel();
}

bool WaitForLock(const QString& table, const QString& record, int attempt, const PostingOptions& options)
{
    if (options.lockWait)
        return options.lockWait(table, record, attempt);
    std::this_thread::sleep_for(std::chrono::milliseconds(LockRetryPauseMs));
    return true;
}

void EditWaitingForLock(data::Table& table, const QString& record, const PostingOptions& options)
{
    for (int attempt = 1;; ++attempt) {
        try {
            table.edit();
            return;
        } catch (const data::EngineError& error) {
            if (error.code() != data::ErrorCode::RecordLocked)
                throw;
        }
        if (!WaitForLock(table.tableName(), record, attempt, options))
            throw LockGivenUp{table.tableName(), record};
    }
}

namespace {

bool worthAnotherAttempt(int code)
{
    return code == data::ErrorCode::RecordLocked || code == data::ErrorCode::TableBusy
           || code == data::ErrorCode::KeyViolation;
}

} // namespace

PostingResult RunPosting(const PostingOptions& options, WriteSpot& spot, const std::function<void()>& attempt)
{
    // A key violation may also be a real duplicate; a few attempts tell the
    // two apart without waiting for ever on a posting that cannot succeed.
    constexpr int MaxKeyViolations = 5;
    int keyViolations = 0;
    for (int round = 1;; ++round) {
        spot = {};
        try {
            attempt();
            return PostingResult::success();
        } catch (const LockGivenUp& given) {
            PostingResult result = PostingResult::failedCheck(PostingCheck::LockNotTaken,
                                                              QStringLiteral("Record locked by another user."));
            result.errorCode = data::ErrorCode::RecordLocked;
            result.errorCategory = data::ErrorCategory::LockConflict;
            result.table = given.table;
            result.record = given.record;
            return result;
        } catch (const data::EngineError& error) {
            const bool again = worthAnotherAttempt(error.code())
                               && (error.code() != data::ErrorCode::KeyViolation || ++keyViolations < MaxKeyViolations);
            if (!again) {
                PostingResult result;
                result.ok = false;
                result.message = error.message();
                result.errorCode = error.code();
                result.errorCategory = error.category();
                result.table = spot.table;
                result.record = spot.record;
                return result;
            }
            if (!WaitForLock(spot.table, spot.record, round, options)) {
                PostingResult result = PostingResult::failedCheck(PostingCheck::LockNotTaken, error.message());
                result.errorCode = error.code();
                result.errorCategory = error.category();
                result.table = spot.table;
                result.record = spot.record;
                return result;
            }
        }
    }
}

QString KeyText(const QVariantList& values)
{
    QStringList parts;
    for (const QVariant& v : values)
        parts << v.toString();
    return parts.join(QLatin1Char('/'));
}

QDateTime StampOf(const QDateTime& stamp)
{
    return stamp.isValid() ? stamp : QDateTime::currentDateTime();
}

} // namespace varnex::ledger::detail
