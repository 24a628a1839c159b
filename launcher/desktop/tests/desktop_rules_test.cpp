// The desktop's rules without a window: names and indexes of the lists, the
// geometry of a list box, dragging bounds.

#include <gtest/gtest.h>

#include "desktop_rules.h"

using namespace varnex::launcher::desktop;

TEST(DesktopRules, ListsKeepTheirStoredIndexesAndNames)
{
    // Stored desktops name the lists by these indexes: ClientList 0 ... ProductList 5.
    const char* boxes[] = {"ClientList",   "SupplierList",   "AccountsList",
                           "EmployeeList", "ThingsToDoList", "ProductList"};
    const char* icons[] = {"ClientBtn", "SupplierBtn", "AccountsBtn", "EmployeeBtn", "ToDoListBtn", "ProductBtn"};
    for (int i = 0; i < kListCount; ++i) {
        EXPECT_EQ(ListIndexOfBox(QLatin1String(boxes[i])), i) << boxes[i];
        EXPECT_EQ(ListIndexOfIcon(QLatin1String(icons[i])), i) << icons[i];
    }
    // Grids DBGrid1..DBGrid5 are 0..4; the products' grid belongs to list 5.
    const int gridLists[] = {0, 1, 2, 3, 5};
    for (int g = 0; g < kGridCount; ++g) {
        EXPECT_EQ(ListIndexOfGrid(g), gridLists[g]) << g;
        EXPECT_EQ(QLatin1String(Lists()[static_cast<size_t>(gridLists[g])].contentName),
                  QStringLiteral("DBGrid%1").arg(g + 1));
    }
    EXPECT_EQ(ListIndexOfBox(QStringLiteral("clientlist")), -1); // names compare exactly
    EXPECT_EQ(ListIndexOfIcon(QStringLiteral("climaintS")), -1);
    EXPECT_EQ(ListIndexOfGrid(5), -1);
    EXPECT_EQ(ListIndexOfGrid(-1), -1);
    EXPECT_STREQ(Lists()[kThingsToDo].option, ""); // no option check for the notes
}

TEST(DesktopRules, TitleButtonsAndContentFollowTheBoxSize)
{
    const BoxLayout layout = LayoutFor(QSize(313, 169));
    EXPECT_EQ(layout.closeLeft, 290);
    EXPECT_EQ(layout.enlargeLeft, 267);
    EXPECT_EQ(layout.reduceLeft, 248);
    EXPECT_EQ(layout.contentHeight, 135);
}

TEST(DesktopRules, EnlargeAndReduceTruncate)
{
    struct Case {
        QSize from;
        QSize enlarged;
        QSize reducedBack; // reducing the enlarged box
    };
    const Case cases[] = {
        {{313, 169}, {359, 211}, {312, 168}}, // the list's design size
        {{200, 100}, {230, 125}, {200, 100}}, // exact factors come back exactly
        {{120, 80}, {138, 100}, {120, 80}},
        // 1.15 as a binary double is below 1.15: exact decimals give 23, not 22.
        {{140, 76}, {161, 95}, {140, 76}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Enlarged(c.from), c.enlarged) << c.from.width() << "x" << c.from.height();
        EXPECT_EQ(Reduced(c.enlarged), c.reducedBack) << c.from.width() << "x" << c.from.height();
    }
    EXPECT_EQ(Enlarged(QSize(20, 8)).width(), 23);
}

TEST(DesktopRules, ReducingStopsAtTheSmallestUsableBox)
{
    QSize size(313, 169);
    for (int i = 0; i < 20; ++i)
        size = Reduced(size);
    EXPECT_GE(size.width(), kMinimumBoxSize.width());
    EXPECT_GE(size.height(), kMinimumBoxSize.height());
    // The last step that would go below the minimum leaves the box as it is.
    EXPECT_EQ(Reduced(size), size);
    EXPECT_GT(LayoutFor(size).contentHeight, 0);
    EXPECT_GT(LayoutFor(size).reduceLeft, 0);
}

TEST(DesktopRules, DraggingStaysInsideTheWallpaper)
{
    const QSize wallpaper(750, 480);
    const QRect box(100, 100, 313, 169);
    const QPoint press(50, 10);
    struct Case {
        QPoint now;
        std::optional<QPoint> expected;
        const char* edge;
    };
    const Case cases[] = {
        {{60, 30}, QPoint(110, 120), "inside"},
        {{-50, 10}, QPoint(0, 100), "left edge reached exactly"},
        {{-51, 10}, std::nullopt, "left edge crossed"},
        {{50, -91}, std::nullopt, "top edge crossed"},
        {{50 + 337, 10}, QPoint(437, 100), "right edge reached exactly"},
        {{50 + 338, 10}, std::nullopt, "right edge crossed"},
        {{50, 10 + 211}, QPoint(100, 311), "bottom edge reached exactly"},
        {{50, 10 + 212}, std::nullopt, "bottom edge crossed"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DraggedPosition(box, press, c.now, wallpaper), c.expected) << c.edge;
    // A box larger than the wallpaper cannot move at all.
    EXPECT_EQ(DraggedPosition(QRect(0, 0, 800, 100), QPoint(), QPoint(1, 0), wallpaper), std::nullopt);
}

TEST(DesktopRules, ShortcutNamesAndFileFilters)
{
    EXPECT_EQ(ShortcutName(QStringLiteral("purchent")), QStringLiteral("purchentS"));
    EXPECT_EQ(OptionOfShortcut(QStringLiteral("purchentS")), QStringLiteral("purchent"));
    EXPECT_EQ(OptionOfShortcut(QStringLiteral("ClientBtn")), QStringLiteral("ClientBtn"));
    EXPECT_EQ(QtFileFilter(QStringLiteral("Bitmap image|*.bmp|Jpeg image|*.jpg")),
              QStringLiteral("Bitmap image (*.bmp);;Jpeg image (*.jpg)"));
    EXPECT_EQ(QtFileFilter(QStringLiteral("Odd|*.x|dangling")), QStringLiteral("Odd (*.x)"));
    EXPECT_EQ(QtFileFilter(QString()), QString());
}
