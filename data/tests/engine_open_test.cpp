// Opening cursors: what a cursor shows straight after open() before anything
// moved it, and table definitions that follow every change of structure, made
// by this process or by another one.

#include <QProcess>
#include <QSignalSpy>

#include "engine_fixture.h"

namespace varnex::data::testing {
namespace {

class OpenTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        db->createTable(SupplierDef());
        auto sup = openTable(QStringLiteral("sup"));
        addSupplier(*sup, QStringLiteral("BOLT"), QStringLiteral("Bolt Ltd"), QStringLiteral("20"));
        addSupplier(*sup, QStringLiteral("ACME"), QStringLiteral("Zenith Acme"), QStringLiteral("10"));
        addSupplier(*sup, QStringLiteral("CAST"), QStringLiteral("Cast Co"), QStringLiteral("30"));
    }

    // Runs the structure changer on this test's folder; its answer.
    QByteArray changeFromOtherProcess(const QString& table, const QString& what)
    {
        QProcess other;
        other.start(QStringLiteral(VARNEX_TEST_BIN_DIR "/engine_structure_changer"), {folder(), table, what});
        EXPECT_TRUE(other.waitForFinished(30000));
        return other.readAllStandardOutput().trimmed();
    }

    static TableDef ItemDef()
    {
        TableDef def;
        def.name = QStringLiteral("sup");
        def.fields = {{QStringLiteral("Item_code"), FieldType::Text, 8},
                      {QStringLiteral("Item_count"), FieldType::Integer, 0}};
        def.indexes = {{QString(), {QStringLiteral("Item_code")}, true, true}};
        return def;
    }
};

// Every question asked of a cursor right after open() answers as if the open
// had read the first record.
TEST_F(OpenTest, FirstQuestionAfterOpenSeesTheFirstRecord)
{
    struct Case {
        const char* what;
        std::function<QString(Table&)> ask;
        QString expected;
    };
    const QList<Case> cases = {
        {"eof", [](Table& t) { return QString::number(t.eof()); }, QStringLiteral("0")},
        {"bof", [](Table& t) { return QString::number(t.bof()); }, QStringLiteral("0")},
        {"isEmpty", [](Table& t) { return QString::number(t.isEmpty()); }, QStringLiteral("0")},
        {"field", [](Table& t) { return t.field(QStringLiteral("Sup_code")).asString(); }, QStringLiteral("ACME")},
        {"isNull", [](Table& t) { return QString::number(t.field(QStringLiteral("Sup_code")).isNull()); },
         QStringLiteral("0")},
        {"recordId", [](Table& t) { return QString::number(t.recordId() != 0); }, QStringLiteral("1")},
        {"next",
         [](Table& t) {
             t.next();
             return t.field(QStringLiteral("Sup_code")).asString();
         },
         QStringLiteral("BOLT")},
        {"prior",
         [](Table& t) {
             t.prior();
             return QStringLiteral("%1 %2").arg(t.bof()).arg(t.field(QStringLiteral("Sup_code")).asString());
         },
         QStringLiteral("1 ACME")},
        {"last",
         [](Table& t) {
             t.last();
             return t.field(QStringLiteral("Sup_code")).asString();
         },
         QStringLiteral("CAST")},
        {"findKey that misses stays on the first record",
         [](Table& t) {
             return QStringLiteral("%1 %2")
                 .arg(t.findKey({QStringLiteral("NONE")}))
                 .arg(t.field(QStringLiteral("Sup_code")).asString());
         },
         QStringLiteral("0 ACME")},
        {"locatePrefix that misses stays on the first record",
         [](Table& t) {
             return QStringLiteral("%1 %2")
                 .arg(t.locatePrefix({QStringLiteral("Z")}))
                 .arg(t.field(QStringLiteral("Sup_code")).asString());
         },
         QStringLiteral("0 ACME")},
        {"findKey that hits",
         [](Table& t) {
             return QStringLiteral("%1 %2")
                 .arg(t.findKey({QStringLiteral("CAST")}))
                 .arg(t.field(QStringLiteral("Sup_name")).asString());
         },
         QStringLiteral("1 Cast Co")},
        {"recordCount", [](Table& t) { return QString::number(t.recordCount()); }, QStringLiteral("3")},
        {"edit changes the first record",
         [](Table& t) {
             t.edit();
             t.field(QStringLiteral("Sup_name")).setString(QStringLiteral("Changed"));
             t.post();
             t.findKey({QStringLiteral("ACME")});
             return t.field(QStringLiteral("Sup_name")).asString();
         },
         QStringLiteral("Changed")},
        {"insert then cancel comes back to the first record",
         [](Table& t) {
             t.insert();
             t.cancel();
             return t.field(QStringLiteral("Sup_code")).asString();
         },
         QStringLiteral("ACME")},
        {"a new order keeps the first record current",
         [](Table& t) {
             // Last by name: the record of the old order's start, not the new one's.
             t.setIndexFieldNames(QStringLiteral("Sup_name"));
             t.next();
             return QStringLiteral("%1 %2").arg(t.eof()).arg(t.field(QStringLiteral("Sup_code")).asString());
         },
         QStringLiteral("1 ACME")},
        {"deleteRecord removes the first record",
         [](Table& t) {
             t.deleteRecord();
             return QStringLiteral("%1 %2").arg(t.field(QStringLiteral("Sup_code")).asString()).arg(t.recordCount());
         },
         QStringLiteral("BOLT 2")},
    };
    for (const Case& c : cases) {
        auto sup = openTable(QStringLiteral("sup"));
        EXPECT_EQ(c.ask(*sup), c.expected) << c.what;
        sup->close();
        // Put back what a case changed.
        auto fix = openTable(QStringLiteral("sup"));
        if (!fix->findKey({QStringLiteral("ACME")}))
            addSupplier(*fix, QStringLiteral("ACME"), QStringLiteral("Zenith Acme"), QStringLiteral("10"));
        else if (fix->field(QStringLiteral("Sup_name")).asString() != QLatin1String("Zenith Acme")) {
            fix->edit();
            fix->field(QStringLiteral("Sup_name")).setString(QStringLiteral("Zenith Acme"));
            fix->post();
        }
    }
}

TEST_F(OpenTest, EmptyOrAllHiddenTableIsAtBothEndsRightAfterOpen)
{
    db->createTable(OpenItemDef());
    auto cap = openTable(QStringLiteral("cap"));
    EXPECT_TRUE(cap->eof());
    EXPECT_TRUE(cap->bof());
    EXPECT_EQ(cap->recordCount(), 0);
    EXPECT_TRUE(cap->field(QStringLiteral("Cap_supplier")).isNull());

    Table sup;
    sup.setDatabase(db);
    sup.setTableName(QStringLiteral("sup"));
    sup.setFilter(
        [](DataSet& t) { return t.field(QStringLiteral("Sup_current_bal")).asMoney() > Currency::fromUnits(100); });
    sup.open();
    EXPECT_TRUE(sup.isEmpty());
    EXPECT_EQ(sup.recordCount(), 0);

    // A filter that reads the record it judges, and another cursor's position.
    auto other = openTable(QStringLiteral("sup"));
    Table some;
    some.setDatabase(db);
    some.setTableName(QStringLiteral("sup"));
    some.setFilter([&](DataSet& t) {
        return !other->eof() && t.field(QStringLiteral("Sup_code")).asString() != QLatin1String("ACME");
    });
    some.open();
    EXPECT_EQ(some.field(QStringLiteral("Sup_code")).asString(), QStringLiteral("BOLT"));
    EXPECT_EQ(walk(some, QStringLiteral("Sup_code")), (QStringList{"BOLT", "CAST"}));
}

TEST_F(OpenTest, MissingTableIsReportedByOpen)
{
    Table t;
    t.setDatabase(db);
    t.setTableName(QStringLiteral("nosuch"));
    EXPECT_EQ(ErrorCodeOf([&] { t.open(); }), ErrorCode::TableNotFound);
    EXPECT_FALSE(t.isOpen());
    // Not remembered as missing: made now, it opens.
    db->createTable(OpenItemDef(QStringLiteral("nosuch")));
    EXPECT_NO_THROW(t.open());
    EXPECT_TRUE(t.eof());
}

// A view bound before the open hears of the first record at the open, as a
// grid needs to; a view bound later hears of the moves made from then on.
TEST_F(OpenTest, BoundViewsHearOfRecordsAsTheCursorMoves)
{
    Table bound;
    bound.setDatabase(db);
    bound.setTableName(QStringLiteral("sup"));
    QSignalSpy early(&bound, &DataSet::recordChanged);
    bound.open();
    EXPECT_GE(early.count(), 1);

    auto later = openTable(QStringLiteral("sup"));
    QSignalSpy spy(later.get(), &DataSet::recordChanged);
    EXPECT_EQ(later->field(QStringLiteral("Sup_code")).asString(), QStringLiteral("ACME"));
    EXPECT_EQ(spy.count(), 0) << "the first record read on demand is no move";
    later->next();
    EXPECT_EQ(spy.count(), 1);
}

TEST_F(OpenTest, DetailLinkedToACursorNotYetReadFollowsItsFirstRecord)
{
    db->createTable(OpenItemDef());
    {
        auto cap = openTable(QStringLiteral("cap"));
        addItem(*cap, QStringLiteral("ACME"), QStringLiteral("A-1"), QDate(2024, 1, 1), QStringLiteral("5"));
        addItem(*cap, QStringLiteral("BOLT"), QStringLiteral("B-1"), QDate(2024, 1, 2), QStringLiteral("6"));
    }
    auto sup = openTable(QStringLiteral("sup"));
    auto cap = openTable(QStringLiteral("cap"));
    cap->setMaster(sup.get(), QStringLiteral("Sup_code"));
    EXPECT_EQ(walk(*cap, QStringLiteral("Cap_invoice")), QStringList{"A-1"});
    sup->next();
    EXPECT_EQ(walk(*cap, QStringLiteral("Cap_invoice")), QStringList{"B-1"});
}

// Definitions kept by the database give way to every change of structure made
// here: a cursor opened afterwards has the fields and keys of the table as it
// now is.
TEST_F(OpenTest, TableMadeAgainInThisProcessOpensWithItsNewFields)
{
    const QStringList supplierFields = openTable(QStringLiteral("sup"))->fieldNames();
    ASSERT_EQ(supplierFields.size(), 6);
    const QStringList itemFields{QStringLiteral("Item_code"), QStringLiteral("Item_count")};

    struct Case {
        const char* what;
        std::function<void()> change;
        QStringList fields;
    };
    const QList<Case> cases = {
        {"dropped and created",
         [&] {
             db->dropTable(QStringLiteral("sup"));
             db->createTable(ItemDef());
         },
         itemFields},
        {"dropped and copied from another table",
         [&] {
             db->dropTable(QStringLiteral("sup"));
             db->createTable(SupplierDef(QStringLiteral("sup_template")));
             db->createTableLike(QStringLiteral("sup"), QStringLiteral("sup_template"));
             db->dropTable(QStringLiteral("sup_template"));
         },
         supplierFields},
        {"a field added by a statement inside a transaction",
         [&] {
             Transaction tx(db);
             EXPECT_EQ(openTable(QStringLiteral("sup"))->fieldCount(), 6);
             Query(db, QStringLiteral("ALTER TABLE sup ADD COLUMN sup_extra integer")).execSql();
             EXPECT_EQ(openTable(QStringLiteral("sup"))->fieldCount(), 7) << "seen inside the transaction";
             tx.commit();
         },
         supplierFields + QStringList{QStringLiteral("sup_extra")}},
        {"dropped and created inside a transaction rolled back",
         [&] {
             Transaction tx(db);
             db->dropTable(QStringLiteral("sup"));
             db->createTable(ItemDef());
             EXPECT_EQ(openTable(QStringLiteral("sup"))->fieldNames(), itemFields);
             tx.rollback();
         },
         supplierFields},
    };
    for (const Case& c : cases) {
        db->dropTable(QStringLiteral("sup"));
        db->createTable(SupplierDef());
        EXPECT_EQ(openTable(QStringLiteral("sup"))->fieldNames(), supplierFields) << c.what;
        c.change();
        auto sup = openTable(QStringLiteral("sup"));
        EXPECT_EQ(sup->fieldNames(), c.fields) << c.what;
        EXPECT_EQ(db->tableDef(QStringLiteral("sup")).fields.size(), c.fields.size()) << c.what;
        EXPECT_TRUE(sup->eof()) << c.what;
    }

    // The new primary key orders the new cursor.
    db->dropTable(QStringLiteral("sup"));
    db->createTable(ItemDef());
    auto items = openTable(QStringLiteral("sup"));
    for (const char* code : {"B", "A"}) {
        items->append();
        items->field(QStringLiteral("Item_code")).setString(QString::fromLatin1(code));
        items->post();
    }
    EXPECT_EQ(walk(*openTable(QStringLiteral("sup")), QStringLiteral("Item_code")), (QStringList{"A", "B"}));
}

TEST_F(OpenTest, StructureChangedByAnotherProcessIsSeenAtTheNextOpen)
{
    openTable(QStringLiteral("sup")); // its definition is known here now
    ASSERT_EQ(changeFromOtherProcess(QStringLiteral("sup"), QStringLiteral("remake")), QByteArray("DONE"));
    auto sup = openTable(QStringLiteral("sup"));
    EXPECT_EQ(sup->fieldNames(), (QStringList{"Item_code", "Item_count"}));
    EXPECT_EQ(sup->field(QStringLiteral("Item_code")).asString(), QStringLiteral("X1"));
    EXPECT_EQ(sup->field(QStringLiteral("Item_count")).asInteger(), 7);
    sup->close();

    ASSERT_EQ(changeFromOtherProcess(QStringLiteral("sup"), QStringLiteral("drop")), QByteArray("DONE"));
    Table gone;
    gone.setDatabase(db);
    gone.setTableName(QStringLiteral("sup"));
    EXPECT_EQ(ErrorCodeOf([&] { gone.open(); }), ErrorCode::TableNotFound);
    EXPECT_EQ(ErrorCodeOf([&] { db->tableDef(QStringLiteral("sup")); }), ErrorCode::TableNotFound);
}

} // namespace
} // namespace varnex::data::testing
