// The stored desktops in the data root: each user's rows in their order,
// replaced all at once or not at all.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "desktop_store.h"
#include "varnex/data/company.h"
#include "varnex/data/database.h"
#include "varnex/data/engine_error.h"

using namespace varnex::launcher::desktop;

namespace {

struct DataRoot {
    DataRoot()
    {
        varnex::data::DataRootOptions options;
        options.sessions = 1;
        options.adminPassword = QStringLiteral("SECRET");
        varnex::data::CreateDataRoot(path(), options);
    }
    QString path() const { return dir.filePath(QStringLiteral("data")); }
    QTemporaryDir dir;
};

QList<DesktopRow> sampleRows(const QByteArray& tag)
{
    return {
        {0, 0, QByteArray("wallpaper ") + tag},
        {3, 2, QByteArray("list ") + tag},
        {7, 1, QByteArray(300, 'x') + tag}, // longer than the 240 bytes kept in the row
        {0, 3, QByteArray()},
        {9, 4, QByteArray("\x00\x01\xff", 3) + tag},
    };
}

} // namespace

TEST(DesktopStore, RowsComeBackInTheirOrderForTheirUserOnly)
{
    DataRoot root;
    EXPECT_TRUE(ReadDesktopRows(root.path(), QStringLiteral("ADMIN")).isEmpty());
    ReplaceDesktopRows(root.path(), QStringLiteral("ADMIN"), sampleRows("a"));
    ReplaceDesktopRows(root.path(), QStringLiteral("CLERK"), sampleRows("c"));
    EXPECT_EQ(ReadDesktopRows(root.path(), QStringLiteral("ADMIN")), sampleRows("a"));
    EXPECT_EQ(ReadDesktopRows(root.path(), QStringLiteral("CLERK")), sampleRows("c"));
    // A code that is a prefix of another is a user of its own.
    EXPECT_TRUE(ReadDesktopRows(root.path(), QStringLiteral("ADM")).isEmpty());
}

TEST(DesktopStore, ReplacingKeepsOtherUsersAndDropsTheOldRows)
{
    DataRoot root;
    ReplaceDesktopRows(root.path(), QStringLiteral("ADMIN"), sampleRows("a"));
    ReplaceDesktopRows(root.path(), QStringLiteral("CLERK"), sampleRows("c"));
    const QList<DesktopRow> fewer = {{1, 2, QByteArray("only")}};
    ReplaceDesktopRows(root.path(), QStringLiteral("ADMIN"), fewer);
    EXPECT_EQ(ReadDesktopRows(root.path(), QStringLiteral("ADMIN")), fewer);
    EXPECT_EQ(ReadDesktopRows(root.path(), QStringLiteral("CLERK")), sampleRows("c"));
    ReplaceDesktopRows(root.path(), QStringLiteral("ADMIN"), {});
    EXPECT_TRUE(ReadDesktopRows(root.path(), QStringLiteral("ADMIN")).isEmpty());
    EXPECT_EQ(ReadDesktopRows(root.path(), QStringLiteral("CLERK")), sampleRows("c"));
}

TEST(DesktopStore, AFailedSaveLeavesTheStoredDesktopWhole)
{
    DataRoot root;
    ReplaceDesktopRows(root.path(), QStringLiteral("ADMIN"), sampleRows("old"));
    auto db = varnex::data::Database::forFolder(root.path());
    // Every write of a save in turn: 5 deletions, then 5 new rows.
    for (int failing = 1; failing <= 10; ++failing) {
        db->failAtWrite(failing);
        EXPECT_THROW(ReplaceDesktopRows(root.path(), QStringLiteral("ADMIN"), sampleRows("new")),
                     varnex::data::EngineError)
            << failing;
        db->failAtWrite(0);
        EXPECT_EQ(ReadDesktopRows(root.path(), QStringLiteral("ADMIN")), sampleRows("old")) << failing;
    }
    ReplaceDesktopRows(root.path(), QStringLiteral("ADMIN"), sampleRows("new"));
    EXPECT_EQ(ReadDesktopRows(root.path(), QStringLiteral("ADMIN")), sampleRows("new"));
}
