// An edit locks its record and reads it again, as it stands once locked:
// whatever another workstation did to it since this cursor read it (held it,
// changed it, deleted it) is answered the same way however many records this
// workstation holds, and a posting that meets such a record half-way keeps
// nothing. The other workstation is a second connection of its own (a
// separate lock-file descriptor on the embedded engine, a separate session on
// the server).

#include <memory>

#include "engine_fixture.h"
#include "pg_backend.h"
#include "sqlite_backend.h"
#include "varnex/currency.h"

namespace varnex::data::testing {
namespace {

class RelockTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        db->createTable(SupplierDef());
        auto sup = openTable(QStringLiteral("sup"));
        Transaction tx(db);
        for (int i = 0; i < Records; ++i)
            addSupplier(*sup, SupplierCode(i), QStringLiteral("n"), QStringLiteral("1"));
        tx.commit();
        if (const auto server = ServerTargetForFolder(db->folder()))
            other = std::make_unique<PgBackend>(*server);
        else
            other = std::make_unique<SqliteBackend>(db->folder());
    }

    void TearDown() override
    {
        other.reset();
        EngineTest::TearDown();
    }

    // Every record back as SetUp left it, for the next case of a table.
    void resetRecords()
    {
        other->execute(QStringLiteral("UPDATE sup SET Sup_name = 'n', Sup_current_bal = :b"),
                       {{QStringLiteral("b"), FieldType::Money, QVariant::fromValue(Currency::fromUnits(1))}});
        auto sup = openTable(QStringLiteral("sup"));
        for (int i = 0; i < Records; ++i)
            if (!sup->findKey({SupplierCode(i)}))
                addSupplier(*sup, SupplierCode(i), QStringLiteral("n"), QStringLiteral("1"));
    }

    std::int64_t idOf(const QString& code)
    {
        auto sup = openTable(QStringLiteral("sup"));
        EXPECT_TRUE(sup->findKey({code}));
        return sup->recordId();
    }

    Currency balanceSeenByOther(const QString& code)
    {
        const QueryResult r = other->select(QStringLiteral("SELECT Sup_current_bal FROM sup WHERE Sup_code = :c"),
                                            {{QStringLiteral("c"), FieldType::Text, code}});
        return r.rows.empty() ? Currency() : r.rows.front().front().value<Currency>();
    }

    static constexpr int Records = 60;
    std::unique_ptr<Backend> other;
};

// From 32 record locks on, the server shares one transaction among reads and
// locks; the answers must not change with it, so each case runs with few
// and with many records held.
TEST_F(RelockTest, EditAnswersWhatAnotherWorkstationDidToTheRecord)
{
    struct Case {
        const char* edge;
        std::function<void(Backend& other, std::int64_t record)> meanwhile;
        int code;
        QString name; // what the edit then shows
    };
    const Case cases[] = {
        {"held by the other",
         [](Backend& other, std::int64_t id) { ASSERT_TRUE(other.tryLockRecord(QStringLiteral("sup"), id)); },
         ErrorCode::RecordLocked, QString()},
        {"changed by the other",
         [](Backend& other, std::int64_t) {
             other.execute(QStringLiteral("UPDATE sup SET Sup_name = 'changed' WHERE Sup_code = 'S0007'"), {});
         },
         0, QStringLiteral("changed")},
        // the other held it, wrote and let go just before this edit
        {"changed while held, then freed",
         [](Backend& other, std::int64_t id) {
             ASSERT_TRUE(other.tryLockRecord(QStringLiteral("sup"), id));
             other.execute(QStringLiteral("UPDATE sup SET Sup_name = 'written' WHERE Sup_code = 'S0007'"), {});
             other.unlockRecord(QStringLiteral("sup"), id);
         },
         0, QStringLiteral("written")},
        {"deleted by the other",
         [](Backend& other, std::int64_t) {
             other.execute(QStringLiteral("DELETE FROM sup WHERE Sup_code = 'S0007'"), {});
         },
         ErrorCode::RecordDeleted, QString()},
    };
    for (const int held : {0, 40}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.edge) + ", records held: " + std::to_string(held));
            resetRecords();
            const std::int64_t target = idOf(SupplierCode(7));
            // Records this workstation holds meanwhile (a posting's lines).
            struct Claims {
                std::shared_ptr<Database> db;
                std::vector<std::int64_t> ids;
                ~Claims()
                {
                    for (const std::int64_t id : ids)
                        db->unlockClaim(QStringLiteral("sup"), id);
                }
            } claims{db, {}};
            for (int i = 0; i < held; ++i) {
                claims.ids.push_back(idOf(SupplierCode(20 + i)));
                ASSERT_TRUE(db->tryClaim(QStringLiteral("sup"), claims.ids.back()));
            }

            auto sup = openTable(QStringLiteral("sup"));
            ASSERT_TRUE(sup->findKey({SupplierCode(7)}));
            c.meanwhile(*other, target);
            std::string message;
            int code = 0;
            try {
                sup->edit();
            } catch (const EngineError& e) {
                code = e.code();
                message = e.message().toStdString();
            }
            EXPECT_EQ(code, c.code) << message;
            if (c.code == ErrorCode::RecordLocked) {
                EXPECT_EQ(message, "Record locked by another user.");
            }
            if (c.code == ErrorCode::RecordDeleted) {
                EXPECT_EQ(message, "The record was deleted by another user.");
            }
            if (c.code != 0) {
                EXPECT_EQ(sup->state(), DataSetState::Browse);
                EXPECT_EQ(sup->field(QStringLiteral("Sup_name")).asString(), QStringLiteral("n"))
                    << "a refused edit leaves the record as read";
                if (c.code == ErrorCode::RecordLocked)
                    other->unlockRecord(QStringLiteral("sup"), target);
                EXPECT_TRUE(other->tryLockRecord(QStringLiteral("sup"), target)) << "no lock kept by the refusal";
                other->unlockRecord(QStringLiteral("sup"), target);
                if (c.code == ErrorCode::RecordLocked) {
                    sup->edit(); // free again: the edit goes through
                    sup->cancel();
                }
                continue;
            }
            EXPECT_EQ(sup->state(), DataSetState::Edit);
            EXPECT_EQ(sup->field(QStringLiteral("Sup_name")).asString(), c.name);
            EXPECT_FALSE(other->tryLockRecord(QStringLiteral("sup"), target)) << "the edit holds the record";
            sup->field(QStringLiteral("Sup_current_bal")).setMoney(Currency::fromUnits(5));
            sup->post();
            EXPECT_EQ(balanceSeenByOther(SupplierCode(7)), Currency::fromUnits(5));
            EXPECT_TRUE(other->tryLockRecord(QStringLiteral("sup"), target)) << "freed at the post";
            other->unlockRecord(QStringLiteral("sup"), target);
        }
    }
}

// A posting edits one record per line and a shared total for every line,
// all in one transaction. A record another workstation deleted or holds
// stops it half-way: nothing of it stays, and every record is free again.
TEST_F(RelockTest, APostingStoppedHalfWayByOneRecordKeepsNothing)
{
    struct Case {
        const char* edge;
        bool deleted; // else held
        int code;
    };
    const Case cases[] = {
        {"a record deleted by another workstation", true, ErrorCode::RecordDeleted},
        {"a record held by another workstation", false, ErrorCode::RecordLocked},
    };
    constexpr int Lines = 45; // past the server's shared-transaction threshold of locks
    constexpr int Stopper = 30;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.edge);
        resetRecords();
        std::vector<std::int64_t> ids;
        for (int i = 0; i < Lines + 1; ++i)
            ids.push_back(idOf(SupplierCode(i)));
        // Read by this workstation before the other one acts on it.
        auto stopper = openTable(QStringLiteral("sup"));
        ASSERT_TRUE(stopper->findKey({SupplierCode(Stopper)}));
        if (c.deleted)
            other->execute(QStringLiteral("DELETE FROM sup WHERE Sup_code = '%1'").arg(SupplierCode(Stopper)), {});
        else
            ASSERT_TRUE(other->tryLockRecord(QStringLiteral("sup"), ids[Stopper]));

        auto line = openTable(QStringLiteral("sup"));
        auto total = openTable(QStringLiteral("sup"));
        ASSERT_TRUE(total->findKey({SupplierCode(Lines)}));
        int reached = -1;
        const int code = ErrorCodeOf([&] {
            Transaction tx(db);
            for (int i = 0; i < Lines; ++i) {
                reached = i;
                Table& record = i == Stopper ? *stopper : *line;
                if (i != Stopper) {
                    ASSERT_TRUE(line->findKey({SupplierCode(i)}));
                }
                record.edit();
                record.field(QStringLiteral("Sup_current_bal"))
                    .setMoney(record.field(QStringLiteral("Sup_current_bal")).asMoney() + Currency::fromUnits(1));
                record.post();
                // the shared record: held back on the server, read back at each edit
                total->edit();
                EXPECT_EQ(total->field(QStringLiteral("Sup_current_bal")).asMoney(), Currency::fromUnits(1 + i));
                total->field(QStringLiteral("Sup_current_bal"))
                    .setMoney(total->field(QStringLiteral("Sup_current_bal")).asMoney() + Currency::fromUnits(1));
                total->post();
            }
            tx.commit();
        });
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(reached, Stopper);
        EXPECT_EQ(stopper->state(), DataSetState::Browse);
        EXPECT_FALSE(db->inTransaction());
        if (!c.deleted)
            other->unlockRecord(QStringLiteral("sup"), ids[Stopper]);
        for (int i = 0; i <= Lines; ++i) {
            if (i == Stopper && c.deleted)
                continue;
            EXPECT_EQ(balanceSeenByOther(SupplierCode(i)), Currency::fromUnits(1)) << SupplierCode(i).toStdString();
            EXPECT_TRUE(other->tryLockRecord(QStringLiteral("sup"), ids[static_cast<size_t>(i)]))
                << SupplierCode(i).toStdString() << " freed";
            other->unlockRecord(QStringLiteral("sup"), ids[static_cast<size_t>(i)]);
        }
        EXPECT_EQ(line->recordCount(), c.deleted ? Records - 1 : Records);
    }
}

} // namespace
} // namespace varnex::data::testing
