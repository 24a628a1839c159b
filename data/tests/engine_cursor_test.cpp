// Navigation, key orders, searches, ranges, master/detail links, filters,
// calculated fields and bound-view notification.

#include <algorithm>
#include <functional>

#include "engine_fixture.h"

namespace varnex::data::testing {
namespace {

class CursorTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        db->createTable(SupplierDef());
        db->createTable(OpenItemDef());
    }

    // n suppliers S0000..; names repeat and some are empty (NULL).
    std::unique_ptr<Table> fillSuppliers(int n)
    {
        auto sup = openTable(QStringLiteral("sup"));
        Transaction tx(db);
        for (int i = 0; i < n; ++i)
            addSupplier(*sup, QStringLiteral("S%1").arg(i, 4, 10, QLatin1Char('0')),
                        i % 7 == 0 ? QString() : QStringLiteral("Name%1").arg(i % 5));
        tx.commit();
        sup->first();
        return sup;
    }
};

TEST_F(CursorTest, WalksEveryRecordOnceInBothDirectionsAcrossBatchSizes)
{
    // Around the cursor's batch sizes (16, growing to 512).
    for (int n : {0, 1, 15, 16, 17, 100, 700}) {
        SCOPED_TRACE(n);
        db->emptyTable(QStringLiteral("sup"));
        auto sup = fillSuppliers(n);
        QStringList expected;
        for (int i = 0; i < n; ++i)
            expected << QStringLiteral("S%1").arg(i, 4, 10, QLatin1Char('0'));
        EXPECT_EQ(walk(*sup, QStringLiteral("Sup_code")), expected);
        EXPECT_EQ(walkBackwards(*sup, QStringLiteral("Sup_code")), expected);
        EXPECT_EQ(sup->recordCount(), n);
        sup->first();
        EXPECT_EQ(sup->isEmpty(), n == 0);
    }
}

TEST_F(CursorTest, EdgesStayOnTheLastAndFirstRecord)
{
    auto sup = fillSuppliers(3);
    sup->last();
    EXPECT_FALSE(sup->eof());
    sup->next();
    EXPECT_TRUE(sup->eof());
    EXPECT_EQ(sup->field(QStringLiteral("Sup_code")).asString(), QStringLiteral("S0002"));
    sup->first();
    sup->prior();
    EXPECT_TRUE(sup->bof());
    EXPECT_EQ(sup->field(QStringLiteral("Sup_code")).asString(), QStringLiteral("S0000"));
}

TEST_F(CursorTest, SecondaryOrderWithEmptyAndRepeatedKeysIsTheSameBothWays)
{
    // Empty names are NULL and sort first; equal names keep insertion order.
    auto sup = fillSuppliers(60);
    sup->setIndexFieldNames(QStringLiteral("Sup_name"));
    QList<std::pair<QString, QString>> rows;
    for (int i = 0; i < 60; ++i)
        rows.append({i % 7 == 0 ? QString() : QStringLiteral("Name%1").arg(i % 5),
                     QStringLiteral("S%1").arg(i, 4, 10, QLatin1Char('0'))});
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList expected;
    for (const auto& r : rows)
        expected << r.second;
    EXPECT_EQ(walk(*sup, QStringLiteral("Sup_code")), expected);
    EXPECT_EQ(walkBackwards(*sup, QStringLiteral("Sup_code")), expected);

    // Changing direction in the middle of equal keys.
    sup->first();
    for (int i = 0; i < 20; ++i)
        sup->next();
    const QString here = sup->field(QStringLiteral("Sup_code")).asString();
    sup->next();
    sup->prior();
    EXPECT_EQ(sup->field(QStringLiteral("Sup_code")).asString(), here);
}

TEST_F(CursorTest, FindKeyFindNearestAndPrefixLocate)
{
    auto cap = openTable(QStringLiteral("cap"));
    const QDate d(2024, 3, 1);
    for (const char* inv : {"INV1", "INV100", "INV2", "X"})
        addItem(*cap, QStringLiteral("ACME"), QLatin1String(inv), d, QStringLiteral("10"));
    addItem(*cap, QStringLiteral("BOLT"), QStringLiteral("INV100"), d, QStringLiteral("20"));

    struct Case {
        QVariantList key;
        bool found;
        QString supplier;
        QString invoice;
        const char* edge;
    };
    const Case cases[] = {
        {{QStringLiteral("ACME"), QStringLiteral("INV100"), d}, true, "ACME", "INV100", "full key"},
        {{QStringLiteral("BOLT")}, true, "BOLT", "INV100", "leading field only"},
        {{QStringLiteral("ACME"), QStringLiteral("INV10")}, false, "", "", "prefix is not an exact key"},
        {{QStringLiteral("ZED")}, false, "", "", "past the end"},
        {{QStringLiteral("acme")}, false, "", "", "keys are case-sensitive"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.edge);
        cap->first();
        cap->next();
        const QString before = cap->field(QStringLiteral("Cap_invoice")).asString();
        EXPECT_EQ(cap->findKey(c.key), c.found);
        if (c.found) {
            EXPECT_EQ(cap->field(QStringLiteral("Cap_supplier")).asString(), c.supplier);
            EXPECT_EQ(cap->field(QStringLiteral("Cap_invoice")).asString(), c.invoice);
        } else {
            EXPECT_EQ(cap->field(QStringLiteral("Cap_invoice")).asString(), before) << "a failed search does not move";
        }
    }

    EXPECT_TRUE(cap->locatePrefix({QStringLiteral("ACME"), QStringLiteral("INV10")}));
    EXPECT_EQ(cap->field(QStringLiteral("Cap_invoice")).asString(), QStringLiteral("INV100"));
    EXPECT_FALSE(cap->locatePrefix({QStringLiteral("ACME"), QStringLiteral("INV3")}));
    EXPECT_FALSE(cap->locatePrefix({QStringLiteral("BOLT"), QStringLiteral("X")}));

    cap->findNearest({QStringLiteral("AZ")});
    EXPECT_EQ(cap->field(QStringLiteral("Cap_supplier")).asString(), QStringLiteral("BOLT"));
    cap->findNearest({QStringLiteral("ZZZ")});
    EXPECT_TRUE(cap->eof());

    EXPECT_EQ(ErrorCodeOf([&] { cap->findKey({1, 2, 3, 4}); }), ErrorCode::InvalidRequest);
}

// Only a NULL can repeat in a unique key: the record id must still order
// those, whichever way a search or a walk reaches them.
TEST_F(CursorTest, UniqueKeysWithEmptyValuesKeepTheirOrderFromEverySearch)
{
    auto sup = openTable(QStringLiteral("sup"));
    const char* const codes[][2] = {{"", "n1"}, {"A", "a"}, {"", "n2"}, {"B", "b"}, {"", "n3"}, {"C", "c"}};
    for (const auto& c : codes)
        addSupplier(*sup, QLatin1String(c[0]), QLatin1String(c[1]));
    const QStringList order = {"n1", "n2", "n3", "a", "b", "c"};
    EXPECT_EQ(walk(*sup, QStringLiteral("Sup_name")), order);
    EXPECT_EQ(walkBackwards(*sup, QStringLiteral("Sup_name")), order);

    struct Case {
        std::function<bool()> search;
        QString at; // where the search leaves the cursor, then its neighbours
        QString after;
        QString before;
        const char* edge;
    };
    const Case cases[] = {
        {[&] { return sup->findKey({QStringLiteral("A")}); }, "a", "b", "n3", "a key after the empty ones"},
        {[&] { return sup->findKey({QStringLiteral("C")}); }, "c", "", "b", "the last key"},
        {[&] { return sup->findKey({QString()}); }, "n1", "n2", "", "an empty key finds the first of them"},
        {[&] {
             sup->findNearest({QStringLiteral("AA")});
             return true;
         },
         "b", "c", "a", "nearest between two keys"},
        {[&] {
             sup->findNearest({QString()});
             return true;
         },
         "n1", "n2", "", "nearest to empty"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.edge);
        sup->last();
        ASSERT_TRUE(c.search());
        EXPECT_EQ(sup->field(QStringLiteral("Sup_name")).asString(), c.at);
        sup->next();
        EXPECT_EQ(sup->eof() ? QString() : sup->field(QStringLiteral("Sup_name")).asString(), c.after);
        ASSERT_TRUE(c.search());
        sup->prior();
        EXPECT_EQ(sup->bof() ? QString() : sup->field(QStringLiteral("Sup_name")).asString(), c.before);
    }

    // A key of several fields: rows that differ only by an empty invoice may
    // repeat, within one supplier (a range) and across the table.
    auto cap = openTable(QStringLiteral("cap"));
    const QDate d(2024, 3, 1);
    addItem(*cap, QStringLiteral("ACME"), QString(), d, QStringLiteral("1"));
    addItem(*cap, QStringLiteral("ACME"), QStringLiteral("INV1"), d, QStringLiteral("2"));
    addItem(*cap, QStringLiteral("ACME"), QString(), d, QStringLiteral("3"));
    addItem(*cap, QStringLiteral("BOLT"), QString(), d, QStringLiteral("4"));
    addItem(*cap, QStringLiteral("ACME"), QString(), d, QStringLiteral("5"));
    EXPECT_EQ(walk(*cap, QStringLiteral("Cap_amount")),
              QStringList({"1.0000", "3.0000", "5.0000", "2.0000", "4.0000"}));
    ASSERT_TRUE(cap->findKey({QStringLiteral("ACME"), QString(), d}));
    EXPECT_EQ(cap->field(QStringLiteral("Cap_amount")).asString(), QStringLiteral("1.0000"));
    cap->findNearest({QStringLiteral("ACME"), QStringLiteral("A")});
    EXPECT_EQ(cap->field(QStringLiteral("Cap_amount")).asString(), QStringLiteral("2.0000"));
    cap->setRange({QStringLiteral("ACME")}, {QStringLiteral("ACME")});
    EXPECT_EQ(walkBackwards(*cap, QStringLiteral("Cap_amount")), QStringList({"1.0000", "3.0000", "5.0000", "2.0000"}));
    ASSERT_TRUE(cap->findKey({QStringLiteral("ACME"), QStringLiteral("INV1")}));
    cap->prior();
    EXPECT_EQ(cap->field(QStringLiteral("Cap_amount")).asString(), QStringLiteral("5.0000"));
}

// Keys that may repeat: an equal key added by another cursor after this one
// read its page goes after the older ones, for a search as for a walk.
TEST_F(CursorTest, EqualKeysOfANonUniqueOrderStayInInsertionOrder)
{
    auto sup = fillSuppliers(3);
    sup->setIndexFieldNames(QStringLiteral("Sup_name"));
    ASSERT_TRUE(sup->findKey({QStringLiteral("Name1")}));
    auto other = openTable(QStringLiteral("sup"));
    addSupplier(*other, QStringLiteral("S0100"), QStringLiteral("Name1"));
    addSupplier(*other, QStringLiteral("R0000"), QStringLiteral("Name1"));
    sup->refresh();
    ASSERT_TRUE(sup->findKey({QStringLiteral("Name1")}));
    EXPECT_EQ(sup->field(QStringLiteral("Sup_code")).asString(), QStringLiteral("S0001"));
    sup->next();
    EXPECT_EQ(sup->field(QStringLiteral("Sup_code")).asString(), QStringLiteral("S0100"));
    sup->next();
    EXPECT_EQ(sup->field(QStringLiteral("Sup_code")).asString(), QStringLiteral("R0000"));
    sup->prior();
    EXPECT_EQ(sup->field(QStringLiteral("Sup_code")).asString(), QStringLiteral("S0100"));
}

TEST_F(CursorTest, RangeLimitsTheVisibleRecords)
{
    auto sup = fillSuppliers(30);
    sup->setRange({QStringLiteral("S0010")}, {QStringLiteral("S0014")});
    EXPECT_EQ(walk(*sup, QStringLiteral("Sup_code")), (QStringList{"S0010", "S0011", "S0012", "S0013", "S0014"}));
    EXPECT_EQ(sup->recordCount(), 5);
    EXPECT_FALSE(sup->findKey({QStringLiteral("S0020")}));
    sup->cancelRange();
    EXPECT_EQ(sup->recordCount(), 30);
}

TEST_F(CursorTest, DetailFollowsEveryMoveOfItsMaster)
{
    auto sup = fillSuppliers(3);
    auto cap = openTable(QStringLiteral("cap"));
    const QDate d(2024, 1, 31);
    addItem(*cap, QStringLiteral("S0000"), QStringLiteral("A1"), d, QStringLiteral("1"));
    addItem(*cap, QStringLiteral("S0000"), QStringLiteral("A2"), d, QStringLiteral("2"));
    addItem(*cap, QStringLiteral("S0002"), QStringLiteral("C1"), d, QStringLiteral("3"));

    cap->setIndexFieldNames(QStringLiteral("Cap_supplier"));
    cap->setMaster(sup.get(), QStringLiteral("Sup_code"));
    sup->first();
    EXPECT_EQ(walk(*cap, QStringLiteral("Cap_invoice")), (QStringList{"A1", "A2"}));
    sup->next();
    EXPECT_TRUE(cap->isEmpty()) << "S0001 has no items";
    EXPECT_EQ(cap->recordCount(), 0);
    sup->next();
    EXPECT_EQ(walk(*cap, QStringLiteral("Cap_invoice")), (QStringList{"C1"}));
    EXPECT_TRUE(sup->findKey({QStringLiteral("S0000")}));
    EXPECT_EQ(cap->recordCount(), 2);

    // Suspending the master's views does not stop the detail from following.
    sup->disableControls();
    sup->first();
    EXPECT_EQ(cap->recordCount(), 2);
    sup->enableControls();

    // A new detail record carries the master's link fields.
    sup->next();
    cap->insert();
    cap->field(QStringLiteral("Cap_invoice")).setString(QStringLiteral("B1"));
    cap->post();
    EXPECT_EQ(cap->field(QStringLiteral("Cap_supplier")).asString(), QStringLiteral("S0001"));
    EXPECT_EQ(walk(*cap, QStringLiteral("Cap_invoice")), (QStringList{"B1"}));

    // A detail line still being entered when the master moves is kept.
    cap->insert();
    cap->field(QStringLiteral("Cap_invoice")).setString(QStringLiteral("B2"));
    sup->next();
    sup->prior();
    EXPECT_EQ(walk(*cap, QStringLiteral("Cap_invoice")), (QStringList{"B1", "B2"}));

    // Editing the master's other fields leaves a detail line being entered alone.
    cap->insert();
    sup->edit();
    sup->field(QStringLiteral("Sup_name")).setString(QStringLiteral("renamed"));
    sup->post();
    EXPECT_EQ(cap->state(), DataSetState::Insert);
    cap->cancel();

    // Without a master record the detail is empty; unlinked it shows all.
    sup->setRange({QStringLiteral("X")}, {QStringLiteral("X")});
    EXPECT_TRUE(cap->isEmpty());
    cap->setMaster(nullptr, QString());
    EXPECT_EQ(cap->recordCount(), 5);
}

TEST_F(CursorTest, FilterHidesRecordsEverywhere)
{
    auto sup = fillSuppliers(40);
    sup->setFilter(
        [](DataSet& t) { return t.field(QStringLiteral("Sup_code")).asString().endsWith(QLatin1Char('3')); });
    EXPECT_EQ(walk(*sup, QStringLiteral("Sup_code")), (QStringList{"S0003", "S0013", "S0023", "S0033"}));
    EXPECT_EQ(walkBackwards(*sup, QStringLiteral("Sup_code")), (QStringList{"S0003", "S0013", "S0023", "S0033"}));
    EXPECT_EQ(sup->recordCount(), 4);
    EXPECT_FALSE(sup->findKey({QStringLiteral("S0004")}));
    EXPECT_TRUE(sup->findKey({QStringLiteral("S0013")}));
    sup->setFilter([](DataSet&) { return false; });
    EXPECT_TRUE(sup->isEmpty());
    sup->clearFilter();
    EXPECT_EQ(sup->recordCount(), 40);
}

TEST_F(CursorTest, CalculatedFieldIsComputedOnEveryFetchAndCannotBeWritten)
{
    fillSuppliers(3);
    Table sup;
    sup.setDatabase(db);
    sup.setTableName(QStringLiteral("SUP.DB"));
    sup.addCalculatedField(QStringLiteral("Label"), FieldType::Text, 40);
    int calls = 0;
    sup.events().calcFields = [&](DataSet& t) {
        ++calls;
        t.field(QStringLiteral("Label"))
            .setString(t.field(QStringLiteral("Sup_code")).asString() + QStringLiteral("-x"));
    };
    sup.open();
    EXPECT_EQ(walk(sup, QStringLiteral("label")), (QStringList{"S0000-x", "S0001-x", "S0002-x"}));
    EXPECT_GE(calls, 3);
    EXPECT_EQ(ErrorCodeOf([&] { sup.field(QStringLiteral("Label")).setString(QStringLiteral("y")); }),
              ErrorCode::ReadOnly);
    sup.edit();
    EXPECT_EQ(ErrorCodeOf([&] { sup.field(QStringLiteral("Label")).setString(QStringLiteral("y")); }),
              ErrorCode::ReadOnly);
    sup.cancel();
}

TEST_F(CursorTest, SuspendedViewsHearNothingUntilResumed)
{
    auto sup = fillSuppliers(5);
    int moves = 0, resets = 0;
    QObject::connect(sup.get(), &DataSet::recordChanged, [&] { ++moves; });
    QObject::connect(sup.get(), &DataSet::dataSetChanged, [&] { ++resets; });
    sup->next();
    EXPECT_EQ(moves, 1);
    sup->disableControls();
    sup->disableControls();
    for (sup->first(); !sup->eof(); sup->next()) {
    }
    sup->enableControls();
    EXPECT_EQ(resets, 0) << "still suspended once";
    sup->enableControls();
    EXPECT_EQ(moves, 1);
    EXPECT_EQ(resets, 1);
}

TEST_F(CursorTest, FieldsByNameIgnoreCaseAndByNumber)
{
    auto sup = fillSuppliers(1);
    EXPECT_EQ(&sup->field(QStringLiteral("SUP_CODE")), &sup->fieldByNumber(0));
    EXPECT_EQ(sup->fieldByNumber(2).name(), QStringLiteral("Sup_current_bal"));
    EXPECT_EQ(ErrorCodeOf([&] { sup->field(QStringLiteral("Sup_budget14")); }), ErrorCode::FieldNotFound);
    EXPECT_EQ(ErrorCodeOf([&] { sup->fieldByNumber(6); }), ErrorCode::FieldNotFound);
    EXPECT_EQ(ErrorCodeOf([&] { sup->setIndexFieldNames(QStringLiteral("Nope")); }), ErrorCode::FieldNotFound);
}

TEST_F(CursorTest, OtherCursorsSeeWritesOfThisProcess)
{
    auto reader = fillSuppliers(3);
    auto writer = openTable(QStringLiteral("sup"));
    reader->first();
    addSupplier(*writer, QStringLiteral("S0000A"), QStringLiteral("late"));
    reader->next();
    EXPECT_EQ(reader->field(QStringLiteral("Sup_code")).asString(), QStringLiteral("S0000A"));
}

} // namespace
} // namespace varnex::data::testing
