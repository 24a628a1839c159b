#include <gtest/gtest.h>

#include <QHeaderView>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "varnex/data/database.h"
#include "varnex/data/table.h"
#include "varnex/messages.h"
#include "varnex/regional.h"
#include "varnex/widgets/dbwidgets.h"

using namespace varnex;
using namespace varnex::data;

namespace {

TableDef supplierDef()
{
    TableDef def;
    def.name = QStringLiteral("sup");
    def.fields = {{QStringLiteral("Sup_code"), FieldType::Text, 10},
                  {QStringLiteral("Sup_name"), FieldType::Text, 30},
                  {QStringLiteral("Sup_current_bal"), FieldType::Money, 0},
                  {QStringLiteral("Sup_date"), FieldType::Date, 0}};
    def.indexes = {{QString(), {QStringLiteral("Sup_code")}, true, true}};
    return def;
}

TableDef openItemDef()
{
    TableDef def;
    def.name = QStringLiteral("cap");
    def.fields = {{QStringLiteral("Cap_supplier"), FieldType::Text, 10},
                  {QStringLiteral("Cap_invoice"), FieldType::Text, 10},
                  {QStringLiteral("Cap_amount"), FieldType::Money, 0}};
    def.indexes = {{QString(), {QStringLiteral("Cap_supplier"), QStringLiteral("Cap_invoice")}, true, true}};
    return def;
}

class WidgetsFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetRegionalFormats();
        db = Database::forFolder(dir.path());
        db->createTable(supplierDef());
        db->createTable(openItemDef());
        suppliers.setDatabase(db);
        suppliers.setTableName(QStringLiteral("sup"));
        suppliers.open();
        addSupplier(QStringLiteral("ACME"), QStringLiteral("Acme Québec"), 125000);
        addSupplier(QStringLiteral("BELL"), QStringLiteral("Bell Canada"), -5000);
        addSupplier(QStringLiteral("COTE"), QStringLiteral("Côté et fils"), 0);
        Table items;
        items.setDatabase(db);
        items.setTableName(QStringLiteral("cap"));
        items.open();
        for (const auto& [supplier, invoice, ticks] :
             {std::tuple{"ACME", "A-1", 100000}, {"ACME", "A-2", 25000}, {"BELL", "B-1", -5000}}) {
            items.append();
            items.field(QStringLiteral("Cap_supplier")).setString(QString::fromUtf8(supplier));
            items.field(QStringLiteral("Cap_invoice")).setString(QString::fromUtf8(invoice));
            items.field(QStringLiteral("Cap_amount")).setMoney(Currency::fromTicks(ticks));
            items.post();
        }
        suppliers.first();
    }

    void addSupplier(const QString& code, const QString& name, std::int64_t ticks)
    {
        suppliers.append();
        suppliers.field(QStringLiteral("Sup_code")).setString(code);
        suppliers.field(QStringLiteral("Sup_name")).setString(name);
        suppliers.field(QStringLiteral("Sup_current_bal")).setMoney(Currency::fromTicks(ticks));
        suppliers.field(QStringLiteral("Sup_date")).setDate(QDate(2026, 3, 7));
        suppliers.post();
    }

    QTemporaryDir dir;
    std::shared_ptr<Database> db;
    Table suppliers;
};

} // namespace

TEST_F(WidgetsFixture, EditShowsTheCurrentRecordAndWritesWhileEditing)
{
    TVarnexDBEdit edit;
    edit.setDataSet(&suppliers);
    edit.setDataField(QStringLiteral("Sup_name"));
    EXPECT_EQ(edit.text(), QStringLiteral("Acme Québec"));
    suppliers.next();
    EXPECT_EQ(edit.text(), QStringLiteral("Bell Canada"));

    // typing outside edit mode writes nothing
    edit.setText(QStringLiteral("Bell"));
    edit.setModified(true);
    EXPECT_TRUE(edit.writeToField());
    EXPECT_EQ(suppliers.field(QStringLiteral("Sup_name")).asString(), QStringLiteral("Bell Canada"));

    suppliers.edit();
    edit.setText(QStringLiteral("Bell Canada inc."));
    edit.setModified(true);
    EXPECT_TRUE(edit.writeToField());
    suppliers.post();
    suppliers.refresh();
    EXPECT_EQ(suppliers.field(QStringLiteral("Sup_name")).asString(), QStringLiteral("Bell Canada inc."));

    edit.setBoxReadOnly(true);
    EXPECT_TRUE(edit.isReadOnly());
}

TEST_F(WidgetsFixture, DateAndMoneyBoxesRefuseBadTextWithAMessage)
{
    RecordingMessageService messages;
    TVarnexDBEdit date;
    date.setDataSet(&suppliers);
    date.setDataField(QStringLiteral("Sup_date"));
    EXPECT_EQ(date.text(), QStringLiteral("07/03/2026"));
    suppliers.edit();
    date.setText(QStringLiteral("31/02/2026"));
    date.setModified(true);
    EXPECT_FALSE(date.writeToField());
    EXPECT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(date.text(), QStringLiteral("07/03/2026"));
    EXPECT_EQ(suppliers.field(QStringLiteral("Sup_date")).asDate(), QDate(2026, 3, 7));

    TVarnexDBEdit balance;
    balance.setDataSet(&suppliers);
    balance.setDataField(QStringLiteral("Sup_current_bal"));
    balance.setText(QStringLiteral("douze"));
    balance.setModified(true);
    EXPECT_FALSE(balance.writeToField());
    balance.setText(QStringLiteral("1,250.75"));
    balance.setModified(true);
    EXPECT_TRUE(balance.writeToField());
    EXPECT_EQ(suppliers.field(QStringLiteral("Sup_current_bal")).asMoney(), Currency::fromTicks(12507500));
    suppliers.cancel();
}

TEST_F(WidgetsFixture, CurrencyFieldFollowsTheRecordAndTheCurrencyDisplay)
{
    TVarnexCurrencyField money;
    money.setDataSet(&suppliers, QStringLiteral("Sup_current_bal"));
    EXPECT_EQ(money.text(), QStringLiteral("$12.50"));
    suppliers.next();
    EXPECT_EQ(money.text(), QStringLiteral("-$0.50"));
    Regional().currencyString = QStringLiteral("US");
    Regional().currencyFormat = 1;
    Regional().negativeCurrencyFormat = 4;
    money.refresh();
    EXPECT_EQ(money.text(), QStringLiteral("(0.50US)"));
    ResetRegionalFormats();

    TVarnexCurrencyField unbound;
    unbound.setValue(Currency::fromUnits(1234567));
    EXPECT_EQ(unbound.text(), QStringLiteral("$1,234,567.00"));
}

TEST_F(WidgetsFixture, GridFollowsTheCursorBothWays)
{
    TVarnexDBGrid grid;
    grid.setDataSet(&suppliers);
    grid.setColumns({{QStringLiteral("Sup_code"), QStringLiteral("Code"), 60},
                     {QStringLiteral("Sup_name"), QStringLiteral("Name"), 0},
                     {QStringLiteral("Sup_current_bal"), QStringLiteral("Balance"), 0, true, false,
                      Qt::AlignRight | Qt::AlignVCenter}});
    ASSERT_EQ(grid.model()->rowCount(), 3);
    EXPECT_EQ(grid.model()->index(1, 1).data().toString(), QStringLiteral("Bell Canada"));
    EXPECT_EQ(grid.model()->index(0, 2).data().toString(), QStringLiteral("12.50"));
    EXPECT_EQ(grid.columnWidth(0), 60);

    // moving the table moves the selection
    suppliers.last();
    EXPECT_EQ(grid.currentIndex().row(), 2);
    // choosing a row moves the table
    grid.setCurrentIndex(grid.model()->index(1, 0));
    EXPECT_EQ(suppliers.field(QStringLiteral("Sup_code")).asString(), QStringLiteral("BELL"));

    // a record added elsewhere appears after a refresh
    addSupplier(QStringLiteral("DION"), QStringLiteral("Dion"), 0);
    suppliers.refresh();
    EXPECT_EQ(grid.model()->rowCount(), 4);

    // translated titles
    grid.setColumnTitles({QStringLiteral("Code"), QStringLiteral("Nom"), QStringLiteral("Solde")});
    EXPECT_EQ(grid.columnTitles(),
              QStringList({QStringLiteral("Code"), QStringLiteral("Nom"), QStringLiteral("Solde")}));
}

TEST_F(WidgetsFixture, DetailGridFollowsItsMaster)
{
    Table items;
    items.setDatabase(db);
    items.setTableName(QStringLiteral("cap"));
    items.setMaster(&suppliers, QStringLiteral("Sup_code"));
    items.open();
    TVarnexDBGrid grid;
    grid.setDataSet(&items);
    grid.setColumns({{QStringLiteral("Cap_invoice"), QStringLiteral("Invoice")},
                     {QStringLiteral("Cap_amount"), QStringLiteral("Amount")}});
    suppliers.first();
    EXPECT_EQ(grid.model()->rowCount(), 2);
    suppliers.next();
    EXPECT_EQ(grid.model()->rowCount(), 1);
    EXPECT_EQ(grid.model()->index(0, 0).data().toString(), QStringLiteral("B-1"));
    suppliers.next();
    EXPECT_EQ(grid.model()->rowCount(), 0);
}

TEST_F(WidgetsFixture, LookupColumnsAndKeys)
{
    TVarnexDBGrid grid;
    grid.setDataSet(&suppliers);
    grid.setColumns({{QStringLiteral("Sup_code"), QStringLiteral("Code"), 80, true, true},
                     {QStringLiteral("Sup_name"), QStringLiteral("Name"), 120, false}});
    grid.resize(300, 150);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    QSignalSpy lookups(&grid, &TVarnexDBGrid::editButtonClicked);
    QSignalSpy keys(&grid, &TVarnexDBGrid::keyPressed);
    const QRect cell = grid.visualRect(grid.model()->index(0, 0));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, LookupButtonDelegate::buttonRect(cell).center());
    ASSERT_EQ(lookups.size(), 1);
    EXPECT_EQ(lookups[0][0].toInt(), 0);
    grid.setCurrentIndex(grid.model()->index(1, 0));
    QTest::keyClick(&grid, Qt::Key_F2);
    EXPECT_EQ(lookups.size(), 2);
    EXPECT_GE(keys.size(), 1);
    // read-only columns are not editable, the others are
    EXPECT_FALSE(grid.model()->flags(grid.model()->index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_TRUE(grid.model()->flags(grid.model()->index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_TRUE(grid.model()->setData(grid.model()->index(2, 1), QStringLiteral("Côté & fils"), Qt::EditRole));
    suppliers.refresh();
    suppliers.last();
    EXPECT_EQ(suppliers.field(QStringLiteral("Sup_name")).asString(), QStringLiteral("Côté & fils"));
}
