// The rights map: which bit an option owns, and building maps from names.

#include "varnex/data/options.h"

#include <gtest/gtest.h>

#include <QSet>

using namespace varnex::data;

TEST(RightsMap, BitNumbers)
{
    struct Case {
        int ledger, group, item, bit;
    };
    const Case cases[] = {
        {0, 0, 0, 0},        {2, 2, 2, 242}, // third report of accounts payable: byte 30, bit 2
        {7, 0, 14, 749},                     // last payroll edit option, still inside its group
        {9, 3, 3, 993},                      // last job-cost procedure
        {0, 0, 15, 15},                      // an item past 14 runs into the next group's bits
        {128 + 2, 2, 2, 242}                 // ledger and group keep their low 7 bits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bit);
        EXPECT_EQ(RightsBit(c.ledger, c.group, c.item), c.bit);
    }
    QByteArray map = RightsNone();
    SetRight(map, 2, 2, 2, true);
    EXPECT_EQ(static_cast<unsigned char>(map[30]), 0x04);
    EXPECT_TRUE(HasRight(map, 2, 2, 2));
    EXPECT_FALSE(HasRight(map, 2, 2, 3));
    SetRight(map, 2, 2, 2, false);
    EXPECT_EQ(map, RightsNone());
    EXPECT_FALSE(HasRight(QByteArray(), 0, 0, 0)); // a null map grants nothing
}

TEST(RightsMap, OptionsAreUniqueAndInsideTheMap)
{
    QSet<QString> names;
    QSet<int> bits;
    for (const MenuOption& o : MenuOptions()) {
        SCOPED_TRACE(o.name);
        EXPECT_FALSE(names.contains(QString::fromLatin1(o.name).toLower()));
        names.insert(QString::fromLatin1(o.name).toLower());
        const int bit = RightsBit(o.ledger, o.group, o.item);
        EXPECT_FALSE(bits.contains(bit));
        bits.insert(bit);
        EXPECT_LT(o.item, 15);
        EXPECT_LT(bit / 8, RightsMapSize);
        // the launcher's special treatment goes by prefix
        const QString n = QString::fromLatin1(o.name);
        const bool payrollName = n.startsWith(QLatin1String("pa"));
        const bool jobCostName = n.startsWith(QLatin1String("jc"));
        const bool trackerName = n.startsWith(QLatin1String("trk"));
        EXPECT_EQ(trackerName, o.ledger == 8);
        EXPECT_EQ(jobCostName, o.ledger == 9);
        if (o.ledger == 7) {
            EXPECT_TRUE(payrollName || n == QLatin1String("empmaint") || n == QLatin1String("empview"));
        } else {
            EXPECT_FALSE(payrollName);
        }
    }
    EXPECT_EQ(MenuOptions().size(), 181);
}

TEST(RightsMap, FromNames)
{
    const MenuOption* purchases = FindMenuOption(QStringLiteral("PURCHENT"));
    ASSERT_NE(purchases, nullptr);
    EXPECT_EQ(purchases->ledger, 2);
    EXPECT_EQ(purchases->group, 1);
    EXPECT_EQ(purchases->item, 0);

    QStringList unknown;
    const QByteArray map = RightsFor({"purchent", " supview ", "nosuch", ""}, &unknown);
    EXPECT_TRUE(HasRight(map, 2, 1, 0));
    EXPECT_TRUE(HasRight(map, 2, 2, 0));
    EXPECT_FALSE(HasRight(map, 6, 1, 1)); // stockrcv not asked for
    EXPECT_EQ(unknown, QStringList{"nosuch"});

    const QByteArray all = RightsAll();
    ASSERT_EQ(all.size(), RightsMapSize);
    for (const MenuOption& o : MenuOptions())
        EXPECT_TRUE(HasRight(all, o.ledger, o.group, o.item)) << o.name;
    int set = 0;
    for (char byte : all)
        for (int b = 0; b < 8; ++b)
            set += (static_cast<unsigned char>(byte) >> b) & 1;
    EXPECT_EQ(set, MenuOptions().size()); // nothing beyond the options themselves
}
