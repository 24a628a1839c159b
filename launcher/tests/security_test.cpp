// The rights map: bit numbering, the security manager over a user table, and
// the marking of menus.

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>

#include "usersecurity.h"
#include "varnex/data/database.h"
#include "varnex/data/options.h"
#include "varnex/data/table.h"

using namespace varnex::launcher;
namespace data = varnex::data;

namespace {

QByteArray mapWithBits(std::initializer_list<int> bits)
{
    QByteArray map(SecurityMapBytes, '\0');
    for (int bit : bits)
        map[bit / 8] = static_cast<char>(static_cast<unsigned char>(map[bit / 8]) | (1u << (bit % 8)));
    return map;
}

// A user-like table whose map field has `mapSize` bytes.
std::unique_ptr<data::Table> userTable(const QString& folder, int mapSize)
{
    auto db = data::Database::forFolder(folder);
    data::TableDef def;
    def.name = QStringLiteral("users");
    def.folder = data::Folder::System;
    def.fields = {{QStringLiteral("Code"), data::FieldType::Text, 10},
                  {QStringLiteral("Rights"), data::FieldType::Bytes, mapSize}};
    def.indexes = {{QString(), {QStringLiteral("Code")}, true, true}};
    db->createTable(def);
    auto table = std::make_unique<data::Table>();
    table->setDatabase(db);
    table->setTableName(QStringLiteral("users"));
    table->open();
    return table;
}

} // namespace

TEST(RightsMap, BitNumbering)
{
    struct Case {
        int ledger, group, item, bit;
    } cases[] = {
        {0, 0, 0, 0},   {2, 2, 2, 242},             // third report of Accounts payable: bit 2 of byte 30
        {7, 0, 0, 735},                             // Payroll is ledger 7 although it is the sixth menu
        {5, 0, 0, 525},                             // Inventory, seventh menu, is ledger 5
        {9, 3, 3, 993}, {0, 0, 15, 15},             // item 15 runs into the next group's bits
        {0, 1, 0, 15},  {128 + 2, 128 + 2, 2, 242}, // only the low 7 bits of ledger and group count
    };
    for (const Case& c : cases)
        EXPECT_EQ(SecurityBit(c.ledger, c.group, c.item), c.bit) << c.ledger << "/" << c.group << "/" << c.item;

    const QByteArray map = mapWithBits({242});
    EXPECT_EQ(static_cast<unsigned char>(map[30]), 0x04);
    EXPECT_TRUE(SecurityBitSet(map, 2, 2, 2));
    EXPECT_FALSE(SecurityBitSet(map, 2, 2, 1));
    EXPECT_FALSE(SecurityBitSet(map, 2, 2, 3));
    // The launcher and user maintenance agree on the rule.
    EXPECT_EQ(SecurityBit(2, 2, 2), data::RightsBit(2, 2, 2));
    // Beyond the map (or a short map) nothing is granted.
    EXPECT_FALSE(SecurityBitSet(QByteArray(10, '\xff'), 2, 2, 2));
    EXPECT_FALSE(SecurityBitSet(QByteArray(SecurityMapBytes, '\xff'), 127, 127, 0));
}

TEST(UserSecurityManager, ReloadsOnEveryRecordAndTreatsNullAsNothing)
{
    QTemporaryDir folder;
    auto table = userTable(folder.path(), 200);
    struct Row {
        const char* code;
        QByteArray rights; // empty: null
    } rows[] = {{"A", mapWithBits({0, 242})}, {"B", QByteArray()}, {"C", mapWithBits({735})}};
    for (const Row& row : rows) {
        table->append();
        table->field(QStringLiteral("Code")).setString(QLatin1String(row.code));
        if (!row.rights.isEmpty())
            table->field(QStringLiteral("Rights")).setBytes(row.rights);
        table->post();
    }

    TUserSecurityManager manager;
    int changes = 0;
    manager.OnChange = [&] { ++changes; };
    manager.setDataSource(table.get());
    ASSERT_TRUE(manager.setBytesField(QStringLiteral("Rights")));

    table->first();
    EXPECT_TRUE(manager.Test(0, 0, 0));
    EXPECT_TRUE(manager.Test(2, 2, 2));
    table->next(); // null map: every option disabled
    EXPECT_EQ(manager.map(), QByteArray(SecurityMapBytes, '\0'));
    table->next();
    EXPECT_TRUE(manager.Test(7, 0, 0));
    EXPECT_FALSE(manager.Test(2, 2, 2));
    EXPECT_GE(changes, 3);

    // Write-back stores the copy into the record.
    table->edit();
    manager.setMap(mapWithBits({1}));
    manager.WriteBack();
    table->post();
    table->first();
    table->last();
    EXPECT_TRUE(manager.Test(0, 0, 1));
    EXPECT_FALSE(manager.Test(7, 0, 0));
}

TEST(UserSecurityManager, RefusesAFieldShorterThanTheMap)
{
    QTemporaryDir folder;
    auto table = userTable(folder.path(), 100);
    table->append();
    table->field(QStringLiteral("Code")).setString(QStringLiteral("A"));
    table->field(QStringLiteral("Rights")).setBytes(QByteArray(100, '\xff'));
    table->post();

    TUserSecurityManager manager;
    manager.setDataSource(table.get());
    QString message;
    EXPECT_FALSE(manager.setBytesField(QStringLiteral("Rights"), &message));
    EXPECT_EQ(message, QStringLiteral("Field size must be at least 200 bytes"));
    EXPECT_TRUE(manager.BytesField().isEmpty());
    table->first();
    EXPECT_EQ(manager.map(), QByteArray(SecurityMapBytes, '\0')); // nothing granted from a short map
    EXPECT_FALSE(manager.setBytesField(QStringLiteral("NoSuchField")));
}

TEST(UserSecurityManager, MarksGroupsFromTheirFirstSubmenu)
{
    // A ledger menu laid out as the launcher's: two favourites, a separator,
    // then the groups; item i of the k-th group is bit (Tag, k, i).
    QMenu ledger;
    ledger.setProperty("Tag", 2);
    QAction* favourite = ledger.addAction(QStringLiteral("fav"));
    ledger.addAction(QStringLiteral("fav2"));
    ledger.addSeparator();
    QMenu groups[4];
    for (QMenu& group : groups) {
        for (int i = 0; i < 8; ++i)
            group.addAction(QString::number(i));
        ledger.addMenu(&group);
    }
    TUserSecurityManager manager;
    manager.setMap(mapWithBits({SecurityBit(2, 0, 1), SecurityBit(2, 2, 2), SecurityBit(2, 3, 7)}));
    manager.MarkTMenu(&ledger, 3, 0, 6, true);
    for (int g = 0; g < 4; ++g) {
        for (int i = 0; i < 8; ++i) {
            const bool expected = (g == 0 && i == 1) || (g == 2 && i == 2) || (g == 3 && i == 7);
            EXPECT_EQ(groups[g].actions()[i]->isEnabled(), expected) << g << "/" << i;
            EXPECT_TRUE(groups[g].actions()[i]->isVisible());
        }
    }
    EXPECT_TRUE(favourite->isEnabled()); // favourites are not groups

    // Visible instead of Enabled, with a group base.
    // Entry 5 is the third group; with group base 1 it is read as group 1,
    // whose only granted item is 1.
    manager.setMap(mapWithBits({SecurityBit(2, 1, 1)}));
    manager.MarkTMenu(&ledger, 5, 1, 5, false);
    EXPECT_FALSE(groups[2].actions()[0]->isVisible());
    EXPECT_TRUE(groups[2].actions()[1]->isVisible());
    EXPECT_TRUE(groups[1].actions()[0]->isVisible()); // outside the range: untouched

    // The whole-bar form uses the bar's Tag.
    QMenuBar bar;
    bar.setProperty("Tag", 2);
    QMenu first;
    for (int i = 0; i < 3; ++i)
        first.addAction(QString::number(i));
    bar.addMenu(&first);
    manager.setMap(mapWithBits({SecurityBit(2, 2, 2)}));
    manager.MarkMenu(&bar, 0, 2, 0, true);
    EXPECT_FALSE(first.actions()[0]->isEnabled());
    EXPECT_TRUE(first.actions()[2]->isEnabled());
}
