// Changing records: events, key violations, exact types, read-only tables,
// transactions and fault injection.

#include <sqlite3.h>

#include <chrono>
#include <future>
#include <thread>

#include <QDir>
#include <QElapsedTimer>

#include "engine_fixture.h"

namespace varnex::data::testing {
namespace {

class EditTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        db->createTable(SupplierDef());
        db->createTable(OpenItemDef());
    }
};

TEST_F(EditTest, InsertEditCancelDeleteAndTheirEventsInOrder)
{
    auto sup = openTable(QStringLiteral("sup"));
    QStringList log;
    auto& ev = sup->events();
    ev.newRecord = [&](DataSet& t) {
        log << QStringLiteral("new");
        t.field(QStringLiteral("Sup_terms")).setInteger(30);
    };
    ev.beforePost = [&](DataSet&) { log << QStringLiteral("beforePost"); };
    ev.afterPost = [&](DataSet&) { log << QStringLiteral("afterPost"); };
    ev.beforeDelete = [&](DataSet&) { log << QStringLiteral("beforeDelete"); };
    ev.afterDelete = [&](DataSet&) { log << QStringLiteral("afterDelete"); };
    ev.fieldChange = [&](Field& f) { log << QStringLiteral("change ") + f.name(); };

    addSupplier(*sup, QStringLiteral("A"), QStringLiteral("Alpha"));
    EXPECT_EQ(log, (QStringList{"new", "change Sup_terms", "change Sup_code", "change Sup_name",
                                "change Sup_current_bal", "beforePost", "afterPost"}));
    EXPECT_EQ(sup->field(QStringLiteral("Sup_terms")).asInteger(), 30) << "set by the new-record handler";

    log.clear();
    sup->edit();
    sup->field(QStringLiteral("Sup_name")).setString(QStringLiteral("Changed"));
    EXPECT_TRUE(sup->modified());
    sup->cancel();
    EXPECT_EQ(sup->field(QStringLiteral("Sup_name")).asString(), QStringLiteral("Alpha"));
    sup->refresh();
    EXPECT_EQ(sup->field(QStringLiteral("Sup_name")).asString(), QStringLiteral("Alpha"));

    addSupplier(*sup, QStringLiteral("B"), QStringLiteral("Beta"));
    ASSERT_TRUE(sup->findKey({QStringLiteral("A")}));
    log.clear();
    sup->deleteRecord();
    EXPECT_EQ(log, (QStringList{"beforeDelete", "afterDelete"}));
    EXPECT_EQ(sup->field(QStringLiteral("Sup_code")).asString(), QStringLiteral("B")) << "moves to the next record";
    sup->deleteRecord();
    EXPECT_TRUE(sup->isEmpty());
    EXPECT_EQ(sup->recordCount(), 0);
}

TEST_F(EditTest, ValidateHandlerRefusesAValueAndKeepsTheOldOne)
{
    auto sup = openTable(QStringLiteral("sup"));
    sup->events().validate = [](Field& f) {
        if (f.name() == QLatin1String("Sup_terms") && f.asInteger() < 0)
            throw EngineError(ErrorCode::InvalidRequest, QStringLiteral("Terms cannot be negative."));
    };
    sup->insert();
    sup->field(QStringLiteral("Sup_terms")).setInteger(10);
    EXPECT_EQ(ErrorCodeOf([&] { sup->field(QStringLiteral("Sup_terms")).setInteger(-1); }), ErrorCode::InvalidRequest);
    EXPECT_EQ(sup->field(QStringLiteral("Sup_terms")).asInteger(), 10);
    sup->cancel();
}

TEST_F(EditTest, DuplicateKeyIsAKeyViolationAndTheEntryStays)
{
    auto sup = openTable(QStringLiteral("sup"));
    addSupplier(*sup, QStringLiteral("A"), QStringLiteral("Alpha"));
    sup->insert();
    sup->field(QStringLiteral("Sup_code")).setString(QStringLiteral("A"));
    sup->field(QStringLiteral("Sup_name")).setString(QStringLiteral("Second"));
    try {
        sup->post();
        FAIL() << "a second A was accepted";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), 0x2601);
        EXPECT_EQ(e.category(), 0x26);
        EXPECT_EQ(e.message(), QStringLiteral("Key violation."));
    }
    EXPECT_EQ(sup->state(), DataSetState::Insert);
    EXPECT_EQ(sup->field(QStringLiteral("Sup_name")).asString(), QStringLiteral("Second"));
    sup->field(QStringLiteral("Sup_code")).setString(QStringLiteral("A2"));
    sup->post();
    EXPECT_EQ(sup->recordCount(), 2);
}

TEST_F(EditTest, EveryTypeKeepsItsValueExactly)
{
    TableDef def;
    def.name = QStringLiteral("alltypes");
    def.fields = {
        {QStringLiteral("T"), FieldType::Text, 5},       {QStringLiteral("S"), FieldType::ShortInteger, 0},
        {QStringLiteral("I"), FieldType::Integer, 0},    {QStringLiteral("N"), FieldType::Number, 0},
        {QStringLiteral("M"), FieldType::Money, 0},      {QStringLiteral("L"), FieldType::Logical, 0},
        {QStringLiteral("D"), FieldType::Date, 0},       {QStringLiteral("Tm"), FieldType::Time, 0},
        {QStringLiteral("Ts"), FieldType::Timestamp, 0}, {QStringLiteral("A"), FieldType::AutoIncrement, 0},
        {QStringLiteral("Mo"), FieldType::Memo, 10},     {QStringLiteral("By"), FieldType::Bytes, 4},
        {QStringLiteral("Bi"), FieldType::Binary, 0},
    };
    db->createTable(def);
    auto t = openTable(QStringLiteral("alltypes"));
    const QString longMemo(5000, QLatin1Char('m'));
    const QDateTime stamp(QDate(2023, 12, 31), QTime(23, 59, 58, 123));
    t->insert();
    t->field(QStringLiteral("T")).setString(QStringLiteral("abcdefgh"));
    t->field(QStringLiteral("S")).setInteger(-32768);
    t->field(QStringLiteral("I")).setValue(QStringLiteral(" 2147483647 "));
    t->field(QStringLiteral("N")).setNumber(0.1);
    // 0.1 + 0.2 in binary floating point is not 0.3; the money column must be.
    t->field(QStringLiteral("M"))
        .setMoney(Currency::parse(std::string_view("0.1")).value() + Currency::parse(std::string_view("0.2")).value());
    t->field(QStringLiteral("L")).setLogical(true);
    t->field(QStringLiteral("D")).setDate(QDate(2024, 2, 29));
    t->field(QStringLiteral("Tm")).setTime(QTime(7, 5, 3));
    t->field(QStringLiteral("Ts")).setTimestamp(stamp);
    t->field(QStringLiteral("Mo")).setString(longMemo);
    t->field(QStringLiteral("By")).setBytes(QByteArray("\x01\x02", 2));
    t->field(QStringLiteral("Bi")).setBytes(QByteArray("\x00\xff\x00", 3));
    t->post();
    t->close();
    t->open();

    EXPECT_EQ(t->field(QStringLiteral("T")).asString(), QStringLiteral("abcde")) << "text(5) keeps five characters";
    t->edit();
    t->field(QStringLiteral("T")).setString(QString::fromUtf8("\xC3\xA9t\xF0\x9F\x98\x80\xC3\xA9t\xC3\xA9!"));
    t->post();
    EXPECT_EQ(t->field(QStringLiteral("T")).asString(), QString::fromUtf8("\xC3\xA9t\xF0\x9F\x98\x80\xC3\xA9t"))
        << "five characters, one of them outside the basic plane, none cut in half";
    t->edit();
    t->field(QStringLiteral("T")).setString(QStringLiteral("abcdefgh"));
    t->post();
    EXPECT_EQ(t->field(QStringLiteral("S")).asInteger(), -32768);
    EXPECT_EQ(t->field(QStringLiteral("I")).asInteger(), 2147483647);
    EXPECT_DOUBLE_EQ(t->field(QStringLiteral("N")).asNumber(), 0.1);
    EXPECT_EQ(t->field(QStringLiteral("M")).asMoney(), Currency::fromTicks(3000));
    EXPECT_TRUE(t->field(QStringLiteral("L")).asLogical());
    EXPECT_EQ(t->field(QStringLiteral("D")).asDate(), QDate(2024, 2, 29));
    EXPECT_EQ(t->field(QStringLiteral("Tm")).asTime(), QTime(7, 5, 3));
    EXPECT_EQ(t->field(QStringLiteral("Ts")).asTimestamp(), stamp);
    EXPECT_EQ(t->field(QStringLiteral("A")).asInteger(), 1) << "assigned on insert";
    EXPECT_EQ(t->field(QStringLiteral("Mo")).asString(), longMemo) << "memo size is not a limit";
    EXPECT_EQ(t->field(QStringLiteral("By")).asBytes(), QByteArray("\x01\x02\x00\x00", 4)) << "bytes(4) padded";
    EXPECT_EQ(t->field(QStringLiteral("Bi")).asBytes(), QByteArray("\x00\xff\x00", 3));

    // The money column holds an exact integer at rest.
    Query raw(db, QStringLiteral("SELECT typeof(M), M FROM alltypes"));
    raw.open();
    EXPECT_EQ(raw.fieldByNumber(0).asString(), QStringLiteral("integer"));
    EXPECT_EQ(raw.fieldByNumber(1).asMoney(), Currency::fromTicks(3000)) << "read back as money by its column";

    t->insert();
    t->post();
    EXPECT_EQ(t->field(QStringLiteral("A")).asInteger(), 2);
    EXPECT_TRUE(t->field(QStringLiteral("T")).isNull()) << "empty fields are NULL";
    EXPECT_EQ(t->field(QStringLiteral("M")).asMoney(), Currency());
}

TEST_F(EditTest, WrongTypesAreClearErrors)
{
    auto sup = openTable(QStringLiteral("sup"));
    sup->insert();
    struct Case {
        const char* field;
        QVariant value;
        const char* edge;
    };
    const Case cases[] = {
        {"Sup_terms", QStringLiteral("abc"), "text in a short integer"},
        {"Sup_terms", 40000, "short integer out of range"},
        {"Sup_terms", 1.5, "fraction in an integer"},
        {"Sup_current_bal", QStringLiteral("12,3,4x"), "unreadable amount"},
        {"Sup_since", QStringLiteral("31/02/2024"), "not a date"},
        {"Sup_active", QStringLiteral("maybe"), "not a logical"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.edge);
        try {
            sup->field(QLatin1String(c.field)).setValue(c.value);
            ADD_FAILURE() << "accepted";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), ErrorCode::TypeMismatch);
            EXPECT_TRUE(e.message().contains(QLatin1String(c.field))) << e.message().toStdString();
        }
    }
    sup->field(QStringLiteral("Sup_terms")).setValue(QString());
    EXPECT_TRUE(sup->field(QStringLiteral("Sup_terms")).isNull());
    sup->cancel();
    EXPECT_EQ(ErrorCodeOf([&] { sup->field(QStringLiteral("Sup_name")).setString(QStringLiteral("x")); }),
              ErrorCode::WrongState)
        << "writing outside edit mode";
}

TEST_F(EditTest, ReadOnlyTableRefusesChanges)
{
    {
        auto sup = openTable(QStringLiteral("sup"));
        addSupplier(*sup, QStringLiteral("A"), QStringLiteral("Alpha"));
    }
    Table sup;
    sup.setDatabase(db);
    sup.setTableName(QStringLiteral("sup"));
    sup.setReadOnly(true);
    sup.open();
    EXPECT_EQ(ErrorCodeOf([&] { sup.edit(); }), ErrorCode::ReadOnly);
    EXPECT_EQ(ErrorCodeOf([&] { sup.insert(); }), ErrorCode::ReadOnly);
    EXPECT_EQ(ErrorCodeOf([&] { sup.deleteRecord(); }), ErrorCode::ReadOnly);
    EXPECT_EQ(sup.recordCount(), 1);
}

TEST_F(EditTest, MovingAwayPostsTheChangedRecord)
{
    auto sup = openTable(QStringLiteral("sup"));
    addSupplier(*sup, QStringLiteral("A"), QStringLiteral("Alpha"));
    addSupplier(*sup, QStringLiteral("B"), QStringLiteral("Beta"));
    sup->first();
    sup->edit();
    sup->field(QStringLiteral("Sup_name")).setString(QStringLiteral("Alef"));
    sup->next();
    EXPECT_EQ(sup->state(), DataSetState::Browse);
    sup->first();
    EXPECT_EQ(sup->field(QStringLiteral("Sup_name")).asString(), QStringLiteral("Alef"));
}

TEST_F(EditTest, EditingTheKeyKeepsTheCursorOnTheRecord)
{
    auto sup = openTable(QStringLiteral("sup"));
    for (const char* code : {"A", "B", "C"})
        addSupplier(*sup, QLatin1String(code), QStringLiteral("n"));
    ASSERT_TRUE(sup->findKey({QStringLiteral("A")}));
    sup->edit();
    sup->field(QStringLiteral("Sup_code")).setString(QStringLiteral("D"));
    sup->post();
    EXPECT_EQ(sup->field(QStringLiteral("Sup_code")).asString(), QStringLiteral("D"));
    sup->next();
    EXPECT_TRUE(sup->eof());
    EXPECT_EQ(walk(*sup, QStringLiteral("Sup_code")), (QStringList{"B", "C", "D"}));
}

// A posting writes a header, its lines and a balance; whichever write fails,
// nothing of it may remain in any table.
TEST_F(EditTest, PostingFailingAtAnyWriteLeavesNothing)
{
    {
        auto sup = openTable(QStringLiteral("sup"));
        addSupplier(*sup, QStringLiteral("ACME"), QStringLiteral("Acme"), QStringLiteral("100"));
    }
    auto post = [&] {
        auto sup = openTable(QStringLiteral("sup"));
        auto cap = openTable(QStringLiteral("cap"));
        Transaction tx(db);
        ASSERT_TRUE(sup->findKey({QStringLiteral("ACME")}));
        for (int line = 1; line <= 3; ++line)
            addItem(*cap, QStringLiteral("ACME"), QStringLiteral("INV%1").arg(line), QDate(2024, 5, line),
                    QStringLiteral("10.25"));
        Query note(db, QStringLiteral("INSERT INTO cap (Cap_supplier, Cap_invoice, Cap_amount) VALUES (:s, :i, :a)"));
        note.bindText(QStringLiteral("s"), QStringLiteral("ACME"));
        note.bindText(QStringLiteral("i"), QStringLiteral("NOTE"));
        note.bindMoney(QStringLiteral("a"), Currency::fromUnits(1));
        note.execSql();
        sup->edit();
        sup->field(QStringLiteral("Sup_current_bal"))
            .setMoney(sup->field(QStringLiteral("Sup_current_bal")).asMoney() + Currency::fromTicks(317500));
        sup->post();
        tx.commit();
    };
    const int writes = 5;
    for (int n = 1; n <= writes; ++n) {
        SCOPED_TRACE(n);
        db->failAtWrite(n);
        EXPECT_EQ(ErrorCodeOf(post), ErrorCode::InjectedFault);
        auto cap = openTable(QStringLiteral("cap"));
        EXPECT_EQ(cap->recordCount(), 0);
        auto sup = openTable(QStringLiteral("sup"));
        EXPECT_EQ(sup->field(QStringLiteral("Sup_current_bal")).asMoney(), Currency::fromUnits(100));
        EXPECT_FALSE(db->inTransaction());
    }
    db->failAtWrite(0);
    post();
    EXPECT_EQ(db->writeCount(), writes) << "the walk above covered every write";
    auto cap = openTable(QStringLiteral("cap"));
    EXPECT_EQ(cap->recordCount(), 4);
    auto sup = openTable(QStringLiteral("sup"));
    EXPECT_EQ(sup->field(QStringLiteral("Sup_current_bal")).asMoney(), Currency::fromTicks(1317500));
}

TEST_F(EditTest, OneTransactionAtATimeAndRollbackOnScopeExit)
{
    {
        Transaction tx(db);
        EXPECT_EQ(ErrorCodeOf([&] { Transaction second(db); }), ErrorCode::TransactionActive);
        auto sup = openTable(QStringLiteral("sup"));
        addSupplier(*sup, QStringLiteral("A"), QStringLiteral("Alpha"));
    }
    auto sup = openTable(QStringLiteral("sup"));
    EXPECT_EQ(sup->recordCount(), 0);
}

TEST_F(EditTest, SecondCursorOfThisProcessCannotEditTheSameRecord)
{
    auto first = openTable(QStringLiteral("sup"));
    addSupplier(*first, QStringLiteral("A"), QStringLiteral("Alpha"));
    addSupplier(*first, QStringLiteral("B"), QStringLiteral("Beta"));
    auto second = openTable(QStringLiteral("sup"));
    ASSERT_TRUE(first->findKey({QStringLiteral("A")}));
    ASSERT_TRUE(second->findKey({QStringLiteral("A")}));
    first->edit();
    EXPECT_EQ(ErrorCodeOf([&] { second->edit(); }), ErrorCode::RecordLockedHere);
    EXPECT_EQ(ErrorCodeOf([&] { second->deleteRecord(); }), ErrorCode::RecordLockedHere);
    second->next();
    EXPECT_EQ(ErrorCodeOf([&] { second->edit(); }), 0) << "another record is free";
    second->cancel();
    second->prior();

    // Post, cancel and close each release the lock.
    first->field(QStringLiteral("Sup_name")).setString(QStringLiteral("First"));
    first->post();
    second->edit();
    EXPECT_EQ(second->field(QStringLiteral("Sup_name")).asString(), QStringLiteral("First"))
        << "edit reloads the record";
    second->cancel();
    first->edit();
    first->cancel();
    second->edit();
    second->cancel();
    first->edit();
    first->close();
    EXPECT_EQ(ErrorCodeOf([&] { second->edit(); }), 0);
}

// Another workstation changes and deletes records behind this cursor's back
// (a second connection to the same file stands in for it).
TEST_F(EditTest, EditReloadsWhatAnotherWorkstationChanged)
{
    auto sup = openTable(QStringLiteral("sup"));
    addSupplier(*sup, QStringLiteral("A"), QStringLiteral("Alpha"));
    addSupplier(*sup, QStringLiteral("B"), QStringLiteral("Beta"));
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(QDir(folder()).filePath(QStringLiteral("varnex.sqlite")).toUtf8().constData(), &other),
              SQLITE_OK);
    sqlite3_busy_timeout(other, 5000);
    ASSERT_EQ(sqlite3_exec(other, "UPDATE sup SET Sup_name='Elsewhere' WHERE Sup_code='A'", nullptr, nullptr, nullptr),
              SQLITE_OK);

    ASSERT_TRUE(sup->findKey({QStringLiteral("A")}));
    sup->edit();
    EXPECT_EQ(sup->field(QStringLiteral("Sup_name")).asString(), QStringLiteral("Elsewhere"));
    sup->cancel();

    ASSERT_EQ(sqlite3_exec(other, "DELETE FROM sup WHERE Sup_code='A'", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(ErrorCodeOf([&] { sup->edit(); }), ErrorCode::RecordDeleted);
    EXPECT_EQ(sup->state(), DataSetState::Browse);
    sup->refresh();
    EXPECT_EQ(sup->field(QStringLiteral("Sup_code")).asString(), QStringLiteral("B"))
        << "the next record takes its place";
    EXPECT_EQ(sup->recordCount(), 1);
    sqlite3_close(other);
}

// Another workstation writing: a posting waits for it (busy timeout) rather
// than failing at once, and reports "busy" when it waits too long.
TEST_F(EditTest, PostingWaitsForAnotherWriterThenReportsBusy)
{
    const std::string path = QDir(folder()).filePath(QStringLiteral("varnex.sqlite")).toStdString();
    // The other writer holds the write lock for the given time; the test goes on
    // only once it really holds it, however loaded the machine is.
    auto holdWriteLock = [path](int milliseconds) {
        auto held = std::make_shared<std::promise<void>>();
        std::future<void> ready = held->get_future();
        std::thread writer([path, milliseconds, held] {
            sqlite3* other = nullptr;
            sqlite3_open(path.c_str(), &other);
            sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
            held->set_value();
            std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
            sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
            sqlite3_close(other);
        });
        ready.wait();
        return writer;
    };
    {
        QElapsedTimer waited;
        waited.start();
        std::thread writer = holdWriteLock(400);
        EXPECT_EQ(ErrorCodeOf([&] {
                      Transaction tx(db);
                      auto sup = openTable(QStringLiteral("sup"));
                      addSupplier(*sup, QStringLiteral("A"), QStringLiteral("Alpha"));
                      tx.commit();
                  }),
                  0);
        EXPECT_GE(waited.elapsed(), 400) << "it waited for the other writer";
        writer.join();
    }
    {
        std::thread writer = holdWriteLock(5600); // beyond the 5 s busy timeout
        EXPECT_EQ(ErrorCodeOf([&] { Transaction tx(db); }), ErrorCode::TableBusy);
        EXPECT_FALSE(db->inTransaction());
        writer.join();
    }
    EXPECT_EQ(openTable(QStringLiteral("sup"))->recordCount(), 1);
}

TEST_F(EditTest, TheChangeCountGrowsWithEveryChangeAndNeverGoesBack)
{
    auto sup = openTable(QStringLiteral("sup"));
    std::uint64_t before = db->changeCount();
    auto grew = [&](std::uint64_t by) {
        const std::uint64_t now = db->changeCount();
        const bool ok = now == before + by;
        before = now;
        return ok;
    };
    addSupplier(*sup, QStringLiteral("A1"), QStringLiteral("First"));
    EXPECT_TRUE(grew(1)) << "a record added";
    sup->edit();
    sup->field(QStringLiteral("Sup_name")).setString(QStringLiteral("Changed"));
    sup->post();
    EXPECT_TRUE(grew(1)) << "a record changed";
    sup->refresh();
    sup->first();
    EXPECT_TRUE(grew(0)) << "reads";

    // Fault injection starts its own count again; this one goes on.
    db->failAtWrite(1);
    EXPECT_EQ(ErrorCodeOf([&] { addSupplier(*sup, QStringLiteral("B2"), QStringLiteral("Refused")); }),
              ErrorCode::InjectedFault);
    sup->cancel();
    EXPECT_TRUE(grew(1)) << "a write tried";
    db->failAtWrite(0);
    EXPECT_TRUE(grew(0));

    {
        Transaction tx(db);
        addSupplier(*sup, QStringLiteral("C3"), QStringLiteral("Rolled back"));
        EXPECT_TRUE(grew(1));
    }
    EXPECT_TRUE(grew(1)) << "a rollback takes the write back: a change too";
    sup->deleteRecord();
    EXPECT_TRUE(grew(1)) << "a record deleted";
}

} // namespace
} // namespace varnex::data::testing
