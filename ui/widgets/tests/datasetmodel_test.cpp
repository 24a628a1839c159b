#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "varnex/data/database.h"
#include "varnex/data/query.h"
#include "varnex/data/table.h"
#include "varnex/widgets/dbwidgets.h"

using namespace varnex;
using namespace varnex::data;

namespace {

// Lines of three groups: A and C of 100 lines, B of 2,500 (many pages, more
// than the model holds at once). Lin_kind repeats every three lines, so an
// order on it alone has long runs of equal keys.
constexpr int LongGroup = 2500;
constexpr int ShortGroup = 100;

QString lineText(const QString& group, int n)
{
    return QStringLiteral("%1-%2").arg(group).arg(n, 4, 10, QLatin1Char('0'));
}

class ModelFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        db = Database::forFolder(dir.path());
        TableDef groups;
        groups.name = QStringLiteral("grp");
        groups.fields = {{QStringLiteral("Grp_code"), FieldType::Text, 4}};
        groups.indexes = {{QString(), {QStringLiteral("Grp_code")}, true, true}};
        db->createTable(groups);
        TableDef def;
        def.name = QStringLiteral("lin");
        def.fields = {{QStringLiteral("Lin_group"), FieldType::Text, 4},
                      {QStringLiteral("Lin_no"), FieldType::Integer, 0},
                      {QStringLiteral("Lin_kind"), FieldType::Integer, 0},
                      {QStringLiteral("Lin_text"), FieldType::Text, 20}};
        def.indexes = {{QString(), {QStringLiteral("Lin_group"), QStringLiteral("Lin_no")}, true, true},
                       {QStringLiteral("ByKind"), {QStringLiteral("Lin_kind")}, false, false}};
        db->createTable(def);
        Transaction tx(db);
        Table grp;
        grp.setDatabase(db);
        grp.setTableName(QStringLiteral("grp"));
        grp.open();
        Table writer;
        writer.setDatabase(db);
        writer.setTableName(QStringLiteral("lin"));
        writer.setBatchedAppends(true);
        writer.open();
        for (const auto& [group, count] : {std::pair{"A", ShortGroup}, {"B", LongGroup}, {"C", ShortGroup}}) {
            grp.append();
            grp.field(QStringLiteral("Grp_code")).setString(QString::fromLatin1(group));
            grp.post();
            for (int n = 0; n < count; ++n)
                addLine(writer, QString::fromLatin1(group), n);
        }
        tx.commit();
        lines.setDatabase(db);
        lines.setTableName(QStringLiteral("lin"));
        lines.open();
        lines.setRange({QStringLiteral("B")}, {QStringLiteral("B")});
    }

    static void addLine(Table& table, const QString& group, int n, const QString& text = QString())
    {
        table.append();
        table.field(QStringLiteral("Lin_group")).setString(group);
        table.field(QStringLiteral("Lin_no")).setInteger(n);
        table.field(QStringLiteral("Lin_kind")).setInteger(n % 3);
        table.field(QStringLiteral("Lin_text")).setString(text.isEmpty() ? lineText(group, n) : text);
        table.post();
    }

    static QList<GridColumn> columns()
    {
        return {{QStringLiteral("Lin_no"), QStringLiteral("No")}, {QStringLiteral("Lin_text"), QStringLiteral("Text")}};
    }

    static QString textAt(const QAbstractItemModel& model, int row) { return model.index(row, 1).data().toString(); }

    std::int64_t cursorNumber() { return lines.field(QStringLiteral("Lin_no")).asInteger(); }

    // A second cursor on the same table, as another window of the program has.
    std::unique_ptr<Table> otherCursor()
    {
        auto other = std::make_unique<Table>();
        other->setDatabase(db);
        other->setTableName(QStringLiteral("lin"));
        other->open();
        return other;
    }

    // The lines in an order, maybe a range and a filter, with a calculated
    // field that counts the records it is run for.
    struct CursorCase {
        const char* name;
        const char* order; // nullptr: the primary key
        bool range;
        bool filter;
    };
    static constexpr CursorCase CursorCases[] = {
        {"range", nullptr, true, false},
        {"equal keys", "Lin_kind", false, false},
        {"filter", nullptr, true, true},
    };
    void openCounted(Table& cursor, const CursorCase& c, int& calculated)
    {
        cursor.setDatabase(db);
        cursor.setTableName(QStringLiteral("lin"));
        cursor.addCalculatedField(QStringLiteral("Twice"), FieldType::Integer);
        cursor.events().calcFields = [&calculated](DataSet& t) {
            ++calculated;
            t.field(QStringLiteral("Twice")).setInteger(2 * t.field(QStringLiteral("Lin_no")).asInteger());
        };
        cursor.open();
        cursor.setIndexFieldNames(QString::fromLatin1(c.order));
        if (c.range)
            cursor.setRange({QStringLiteral("B")}, {QStringLiteral("B")});
        if (c.filter)
            cursor.setFilter([](DataSet& t) { return t.field(QStringLiteral("Lin_no")).asInteger() % 5 != 2; });
    }

    QTemporaryDir dir;
    std::shared_ptr<Database> db;
    Table lines;
};

} // namespace

TEST_F(ModelFixture, RowNShowsRecordNAfterJumpsInEveryDirection)
{
    DataSetModel model;
    model.setDataSet(&lines);
    model.setColumns(columns());
    ASSERT_EQ(model.rowCount(), LongGroup);
    EXPECT_EQ(model.currentRow(), 0);
    // Far forward, far back, the end, page edges, single steps: each read
    // lands on its record and leaves the cursor where the user left it.
    const int reads[] = {0,  LongGroup - 1, LongGroup / 2, 1, 2000, 1999, 700, LongGroup - 2, 64,
                         63, 1500,          128,           0, 2436};
    for (int row : reads) {
        EXPECT_EQ(textAt(model, row), lineText(QStringLiteral("B"), row)) << "row " << row;
        EXPECT_EQ(cursorNumber(), 0) << "after reading row " << row;
    }
    EXPECT_EQ(model.index(7, 0).data(Qt::UserRole).toLongLong(), 7);

    // Choosing rows moves the cursor there, whichever way and however far.
    const int moves[] = {LongGroup - 1, 3, 1250, 1251, 1249, 2499, 0, 1800, 200, 201};
    for (int row : moves) {
        ASSERT_TRUE(model.moveDataSetTo(row)) << "row " << row;
        EXPECT_EQ(cursorNumber(), row);
        EXPECT_EQ(model.currentRow(), row);
    }
    EXPECT_FALSE(model.moveDataSetTo(LongGroup));
    EXPECT_FALSE(model.moveDataSetTo(-1));

    // The cursor moved by its owner: the model finds its row, near or far.
    for (const int n : {1801, 40, 2480, 1200}) {
        ASSERT_TRUE(lines.findKey({QStringLiteral("B"), n}));
        EXPECT_EQ(model.currentRow(), n);
        EXPECT_EQ(textAt(model, n), lineText(QStringLiteral("B"), n));
    }
    lines.last();
    EXPECT_EQ(model.currentRow(), LongGroup - 1);
    lines.prior();
    EXPECT_EQ(model.currentRow(), LongGroup - 2);
}

TEST_F(ModelFixture, RowsFollowAnOrderWithLongRunsOfEqualKeys)
{
    // Ordered by kind alone (which also drops the range), 900 lines share
    // each key: a keyed jump lands on the first of them and must still
    // reach the right one.
    lines.setIndexFieldNames(QStringLiteral("Lin_kind"));
    DataSetModel model;
    model.setDataSet(&lines);
    model.setColumns(columns());
    QStringList inserted; // the order the lines were added in breaks the ties
    QList<int> kinds;
    for (const auto& [group, count] : {std::pair{"A", ShortGroup}, {"B", LongGroup}, {"C", ShortGroup}})
        for (int n = 0; n < count; ++n) {
            inserted << lineText(QString::fromLatin1(group), n);
            kinds << n % 3;
        }
    QStringList byKind;
    for (int kind = 0; kind < 3; ++kind)
        for (int i = 0; i < inserted.size(); ++i)
            if (kinds[i] == kind)
                byKind << inserted[i];
    ASSERT_EQ(model.rowCount(), byKind.size());
    for (int row : {2000, 10, 1700, 1699, 900, 2699, 899, 901, 0, 1800}) {
        EXPECT_EQ(textAt(model, row), byKind[row]) << "row " << row;
        ASSERT_TRUE(model.moveDataSetTo(row));
        EXPECT_EQ(lines.field(QStringLiteral("Lin_text")).asString(), byKind[row]) << "row " << row;
    }
    // Back to the key's order: the same record, at its row in that order.
    lines.setIndexFieldNames(QString());
    EXPECT_EQ(model.currentRow(), inserted.indexOf(byKind[1800]));
    for (int row : {5, 150, 2650})
        EXPECT_EQ(textAt(model, row), inserted[row]);
}

TEST_F(ModelFixture, RowsOfAQueryAreReachedByStepping)
{
    Query query(db, QStringLiteral("SELECT Lin_no, Lin_text FROM lin WHERE Lin_group = :g ORDER BY Lin_no DESC"));
    query.bindText(QStringLiteral("g"), QStringLiteral("B"));
    query.open();
    DataSetModel model;
    model.setDataSet(&query);
    model.setColumns(columns());
    ASSERT_EQ(model.rowCount(), LongGroup);
    for (int row : {LongGroup - 1, 0, 1300, 77}) {
        EXPECT_EQ(textAt(model, row), lineText(QStringLiteral("B"), LongGroup - 1 - row));
        ASSERT_TRUE(model.moveDataSetTo(row));
        EXPECT_EQ(query.field(QStringLiteral("Lin_no")).asInteger(), LongGroup - 1 - row);
    }
}

TEST_F(ModelFixture, DeletionAndInsertionThroughTheCursorShowInTheRows)
{
    TVarnexDBGrid grid;
    grid.setDataSet(&lines);
    grid.setColumns(columns());
    DataSetModel& model = *grid.gridModel();
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);

    // A line in the middle: the rows after it move up, the cursor is on the next one.
    ASSERT_TRUE(model.moveDataSetTo(10));
    EXPECT_EQ(textAt(model, 11), lineText(QStringLiteral("B"), 11));
    lines.deleteRecord();
    EXPECT_EQ(model.rowCount(), LongGroup - 1);
    EXPECT_EQ(textAt(model, 10), lineText(QStringLiteral("B"), 11));
    EXPECT_EQ(textAt(model, 9), lineText(QStringLiteral("B"), 9));
    EXPECT_EQ(model.currentRow(), 10);
    EXPECT_EQ(grid.currentIndex().row(), 10);
    EXPECT_EQ(cursorNumber(), 11);

    // The last line: the cursor goes back to the one before.
    ASSERT_TRUE(model.moveDataSetTo(LongGroup - 2));
    lines.deleteRecord();
    EXPECT_EQ(model.rowCount(), LongGroup - 2);
    EXPECT_EQ(model.currentRow(), LongGroup - 3);
    EXPECT_EQ(textAt(model, LongGroup - 3), lineText(QStringLiteral("B"), LongGroup - 2));

    // A line deleted while it was being edited.
    ASSERT_TRUE(model.moveDataSetTo(0));
    lines.edit();
    lines.deleteRecord();
    EXPECT_EQ(model.rowCount(), LongGroup - 3);
    EXPECT_EQ(textAt(model, 0), lineText(QStringLiteral("B"), 1));

    // Added before the first line, in the middle (where 10 was) and at the end.
    addLine(lines, QStringLiteral("B"), -1);
    EXPECT_EQ(model.rowCount(), LongGroup - 2);
    EXPECT_EQ(model.currentRow(), 0);
    EXPECT_EQ(textAt(model, 0), lineText(QStringLiteral("B"), -1));
    EXPECT_EQ(textAt(model, 1), lineText(QStringLiteral("B"), 1));
    addLine(lines, QStringLiteral("B"), 10, QStringLiteral("ten again"));
    EXPECT_EQ(model.currentRow(), 10);
    EXPECT_EQ(textAt(model, 10), QStringLiteral("ten again"));
    EXPECT_EQ(textAt(model, 9), lineText(QStringLiteral("B"), 9));
    EXPECT_EQ(textAt(model, 11), lineText(QStringLiteral("B"), 11));
    addLine(lines, QStringLiteral("B"), 9000);
    EXPECT_EQ(model.rowCount(), LongGroup);
    EXPECT_EQ(model.currentRow(), LongGroup - 1);
    EXPECT_EQ(textAt(model, LongGroup - 1), lineText(QStringLiteral("B"), 9000));
    // None of these closed the grid's rows and opened them again.
    EXPECT_EQ(resets.size(), 0);

    // A line edited in place keeps its row; one whose key changed moves.
    ASSERT_TRUE(model.moveDataSetTo(5));
    lines.edit();
    lines.field(QStringLiteral("Lin_text")).setString(QStringLiteral("edited"));
    lines.post();
    EXPECT_EQ(textAt(model, 5), QStringLiteral("edited"));
    EXPECT_EQ(resets.size(), 0);
    lines.edit();
    lines.field(QStringLiteral("Lin_no")).setInteger(8000);
    lines.post();
    EXPECT_EQ(model.currentRow(), LongGroup - 2);
    EXPECT_EQ(textAt(model, LongGroup - 2), QStringLiteral("edited"));
    EXPECT_EQ(textAt(model, 5), lineText(QStringLiteral("B"), 6));
}

TEST_F(ModelFixture, WritesOfAnotherCursorShowInTheRows)
{
    TVarnexDBGrid grid;
    grid.setDataSet(&lines);
    grid.setColumns(columns());
    DataSetModel& model = *grid.gridModel();
    ASSERT_TRUE(model.moveDataSetTo(30));
    EXPECT_EQ(textAt(model, 20), lineText(QStringLiteral("B"), 20));
    auto other = otherCursor();

    // Deleted elsewhere: the grid sees it without being told.
    ASSERT_TRUE(other->findKey({QStringLiteral("B"), 20}));
    other->deleteRecord();
    EXPECT_TRUE(QTest::qWaitFor([&] { return model.rowCount() == LongGroup - 1; }));
    EXPECT_EQ(textAt(model, 20), lineText(QStringLiteral("B"), 21));
    EXPECT_EQ(model.currentRow(), 29);
    EXPECT_EQ(cursorNumber(), 30);

    // The cursor's own record deleted elsewhere: the next one takes its row.
    ASSERT_TRUE(other->findKey({QStringLiteral("B"), 30}));
    other->deleteRecord();
    model.checkForChanges();
    EXPECT_EQ(model.rowCount(), LongGroup - 2);
    EXPECT_EQ(model.currentRow(), 29);
    EXPECT_EQ(cursorNumber(), 31);
    EXPECT_EQ(textAt(model, 29), lineText(QStringLiteral("B"), 31));

    // Added elsewhere, and a record outside the grid's range changes nothing.
    addLine(*other, QStringLiteral("B"), 20);
    addLine(*other, QStringLiteral("C"), 500);
    EXPECT_TRUE(QTest::qWaitFor([&] { return model.rowCount() == LongGroup - 1; }));
    EXPECT_EQ(textAt(model, 20), lineText(QStringLiteral("B"), 20));
    EXPECT_EQ(textAt(model, 21), lineText(QStringLiteral("B"), 21));
    EXPECT_EQ(cursorNumber(), 31);
    EXPECT_EQ(model.currentRow(), 30);
}

TEST_F(ModelFixture, AnEditInProgressIsNotLostByAScroll)
{
    TVarnexDBGrid grid;
    grid.setDataSet(&lines);
    grid.setColumns(columns());
    grid.resize(400, 300);
    DataSetModel& model = *grid.gridModel();
    ASSERT_TRUE(model.moveDataSetTo(3));
    lines.edit();
    lines.field(QStringLiteral("Lin_text")).setString(QStringLiteral("typed"));

    // Rows not read yet cannot be read without leaving the record: they stay
    // empty while it is edited, and the edit stays as it was.
    grid.scrollTo(model.index(2000, 0));
    grid.viewport()->grab();
    EXPECT_TRUE(textAt(model, 2000).isEmpty());
    EXPECT_EQ(lines.state(), DataSetState::Edit);
    EXPECT_EQ(lines.field(QStringLiteral("Lin_text")).asString(), QStringLiteral("typed"));
    model.checkForChanges();
    EXPECT_EQ(lines.state(), DataSetState::Edit);

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    lines.post();
    EXPECT_FALSE(changed.isEmpty()); // the rows left empty are asked for again
    EXPECT_EQ(textAt(model, 3), QStringLiteral("typed"));
    EXPECT_EQ(textAt(model, 2000), lineText(QStringLiteral("B"), 2000));
    EXPECT_EQ(cursorNumber(), 3);
}

TEST_F(ModelFixture, ADetailShowsTheLinesOfEachMaster)
{
    Table groups;
    groups.setDatabase(db);
    groups.setTableName(QStringLiteral("grp"));
    groups.open();
    lines.cancelRange();
    lines.setMaster(&groups, QStringLiteral("Grp_code"));
    TVarnexDBGrid grid;
    grid.setDataSet(&lines);
    grid.setColumns(columns());
    DataSetModel& model = *grid.gridModel();
    // A and C have as many lines: the rows must still change with the master.
    for (const auto& [group, count] : {std::pair{"A", ShortGroup}, {"B", LongGroup}, {"C", ShortGroup}}) {
        ASSERT_TRUE(groups.findKey({QString::fromLatin1(group)}));
        ASSERT_EQ(model.rowCount(), count);
        EXPECT_EQ(model.currentRow(), 0);
        for (int row : {0, 50, count - 1})
            EXPECT_EQ(textAt(model, row), lineText(QString::fromLatin1(group), row));
    }
    groups.findKey({QStringLiteral("A")});
    ASSERT_TRUE(model.moveDataSetTo(99));
    groups.next();
    EXPECT_EQ(model.currentRow(), 0);
    EXPECT_EQ(textAt(model, 99), lineText(QStringLiteral("B"), 99));
}

TEST_F(ModelFixture, ARollbackAndAFaultCountStartedAgainAreSeenByTheRows)
{
    DataSetModel model;
    model.setDataSet(&lines);
    model.setColumns(columns());
    auto other = otherCursor();
    {
        Transaction tx(db);
        addLine(*other, QStringLiteral("B"), 5000);
        model.checkForChanges();
        EXPECT_EQ(model.rowCount(), LongGroup + 1);
    }
    // The line is gone again: so is its row.
    model.checkForChanges();
    EXPECT_EQ(model.rowCount(), LongGroup);
    EXPECT_EQ(textAt(model, LongGroup - 1), lineText(QStringLiteral("B"), LongGroup - 1));

    // A test's fault injection counts its writes from nought again; a write
    // after that is still a change to the rows.
    for (const int n : {7, 8}) {
        db->failAtWrite(0);
        ASSERT_TRUE(other->findKey({QStringLiteral("B"), n}));
        other->deleteRecord();
        model.checkForChanges();
        EXPECT_EQ(textAt(model, 7), lineText(QStringLiteral("B"), n + 1));
    }
    EXPECT_EQ(model.rowCount(), LongGroup - 2);
}

TEST_F(ModelFixture, AJumpFarAwayShowsTheRowsSteppingShows)
{
    for (const CursorCase& c : CursorCases) {
        SCOPED_TRACE(c.name);
        Table cursor;
        int calculated = 0;
        openCounted(cursor, c, calculated);
        // What stepping shows, row by row.
        QStringList stepped;
        for (cursor.first(); !cursor.eof(); cursor.next())
            stepped << cursor.field(QStringLiteral("Lin_text")).asString() + QLatin1Char('|')
                           + cursor.field(QStringLiteral("Twice")).asString();
        cursor.first();

        DataSetModel model;
        model.setDataSet(&cursor);
        model.setColumns(
            {{QStringLiteral("Lin_text"), QStringLiteral("Text")}, {QStringLiteral("Twice"), QStringLiteral("Twice")}});
        ASSERT_EQ(model.rowCount(), stepped.size());
        const int count = static_cast<int>(stepped.size());
        const int middle = count / 2;
        calculated = 0;
        const QString first = model.index(middle, 0).data().toString();
        if (!c.filter) { // landed near the middle, not stepped there and back
            EXPECT_LT(calculated, 3 * DataSetModel::PageRows);
        }
        for (const int row : {middle, middle + 64, count - 3, 1, middle - 65, 1000, middle - 1, count - 1}) {
            EXPECT_EQ(model.index(row, 0).data().toString() + QLatin1Char('|') + model.index(row, 1).data().toString(),
                      stepped[row])
                << "row " << row;
            // Reading rows leaves the cursor on the first one.
            EXPECT_TRUE(stepped[0].startsWith(cursor.field(QStringLiteral("Lin_text")).asString() + QLatin1Char('|')));
        }
        EXPECT_EQ(first + QStringLiteral("|") + model.index(middle, 1).data().toString(), stepped[middle]);
        for (const int row : {middle + 300, 7, count - 1, middle}) {
            ASSERT_TRUE(model.moveDataSetTo(row));
            EXPECT_EQ(cursor.field(QStringLiteral("Lin_text")).asString() + QLatin1Char('|')
                          + cursor.field(QStringLiteral("Twice")).asString(),
                      stepped[row])
                << "row " << row;
        }
    }
}

TEST_F(ModelFixture, TheCursorsRowAfterAReReadIsTheOneSteppingFinds)
{
    for (const CursorCase& c : CursorCases) {
        SCOPED_TRACE(c.name);
        Table cursor;
        int calculated = 0;
        openCounted(cursor, c, calculated);
        QList<std::int64_t> stepped;
        for (cursor.first(); !cursor.eof(); cursor.next())
            stepped << cursor.recordId();
        const int count = static_cast<int>(stepped.size());
        DataSetModel model;
        model.setDataSet(&cursor);
        model.setColumns(columns());
        // The cursor moved by its owner, its views suspended, where the
        // model has read no row; its one dataSetChanged has the rows read
        // again.
        for (const int row : {count / 2, count - 1, 1, count / 2 + 700}) {
            cursor.disableControls();
            cursor.first();
            cursor.moveBy(row);
            cursor.refresh();
            calculated = 0;
            cursor.enableControls();
            EXPECT_EQ(model.currentRow(), row);
            EXPECT_EQ(cursor.recordId(), stepped[row]);
            if (!c.filter) { // counted, not stepped to
                EXPECT_LT(calculated, 8) << "row " << row;
            }
        }
        // Another cursor adds a record before the current one (first in
        // every order, and shown by the filter).
        cursor.disableControls();
        cursor.first();
        cursor.moveBy(count / 2);
        cursor.enableControls();
        const std::int64_t current = cursor.recordId();
        auto other = otherCursor();
        addLine(*other, QStringLiteral("B"), -1);
        model.checkForChanges();
        EXPECT_EQ(cursor.recordId(), current);
        EXPECT_EQ(model.currentRow(), count / 2 + 1);
        EXPECT_EQ(model.rowCount(), count + 1);
        other->findKey({QStringLiteral("B"), -1});
        other->deleteRecord();
    }
}
