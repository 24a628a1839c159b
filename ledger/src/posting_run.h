#pragma once
// The frame every posting of the library runs in: the lock-waiting edit, the
// whole-posting retry when a record turns out locked inside the transaction,
// and the translation of an engine error into a PostingResult naming the
// table and record being written.

#include <functional>
#include <map>
#include <memory>

#include <QDateTime>
#include <QString>
#include <QVariantList>

#include "varnex/data/table.h"
#include "varnex/ledger/posting.h"

namespace varnex::ledger::detail {

// Where the posting is, so that a failure can say which table and record.
struct WriteSpot {
    QString table;
    QString record;
    void at(const QString& t, const QString& r)
    {
        table = t;
        record = r;
    }
};

// Thrown when the lock wait was given up.
struct LockGivenUp {
    QString table;
    QString record;
};

// The cursors of one posting, or of a poster that keeps them between
// postings: each table opened once, on first use.
class Cursors {
public:
    explicit Cursors(std::shared_ptr<data::Database> db)
        : m_db(std::move(db))
    {
    }
    const std::shared_ptr<data::Database>& db() const { return m_db; }
    data::Table& operator()(const QString& name);
    // Drops what an ended attempt left in edit or insert mode (and its locks).
    void cancelAll();

private:
    std::shared_ptr<data::Database> m_db;
    std::map<QString, std::unique_ptr<data::Table>> m_tables;
};

std::unique_ptr<data::Table> OpenTable(const std::shared_ptr<data::Database>& db, const QString& name,
                                       bool readOnly = false);

// Puts the current record in edit mode, waiting while another workstation
// holds it. Never called inside a transaction.
void EditWaitingForLock(data::Table& table, const QString& record, const PostingOptions& options);

// Waits once between two attempts (the caller's wait, or a pause).
bool WaitForLock(const QString& table, const QString& record, int attempt, const PostingOptions& options);

// Runs `attempt` until it returns. An attempt locks what it needs, opens a
// data::Transaction and writes; an engine error of RecordLocked, TableBusy or
// KeyViolation (another workstation got there between our check and our
// write) ends that attempt with everything rolled back, and after a wait the
// posting starts again from the locks. Any other engine error ends the
// posting with a result naming `spot`.
PostingResult RunPosting(const PostingOptions& options, WriteSpot& spot, const std::function<void()>& attempt);

QString KeyText(const QVariantList& values);
QDateTime StampOf(const QDateTime& stamp);

} // namespace varnex::ledger::detail
