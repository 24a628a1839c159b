#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextBrowser>

#include "varnex/helpviewer.h"
#include "varnex/shell.h"

using namespace varnex;

namespace {
const QString programFolder = QStringLiteral(VARNEX_BIN_DIR);
}

TEST(HelpPages, EveryModuleWindowHasItsPageInBothLanguages)
{
    for (int language : {1, 2}) {
        const QString folder = HelpFolderFor(programFolder, language, QStringLiteral("fr"));
        for (const char* page : {"index", "Introduction", "Wizard", "204", "303", "304", "602"}) {
            HelpViewer viewer;
            EXPECT_TRUE(viewer.showPage(folder, QString::fromUtf8(page))) << folder.toStdString() << " " << page;
            EXPECT_FALSE(viewer.browser()->toPlainText().isEmpty());
        }
    }
    HelpViewer viewer;
    viewer.showPage(HelpFolderFor(programFolder, 2, QStringLiteral("fr")), QStringLiteral("303"));
    EXPECT_TRUE(viewer.browser()->toPlainText().contains(QStringLiteral("Affichage des fournisseurs")));
}

TEST(HelpPages, UnknownOrUnsafePagesShowANoticeInstead)
{
    HelpViewer viewer;
    const QString folder = HelpFolderFor(programFolder, 1, QStringLiteral("en"));
    EXPECT_FALSE(viewer.showPage(folder, QStringLiteral("999")));
    EXPECT_TRUE(viewer.browser()->toPlainText().contains(QStringLiteral("999")));
    EXPECT_FALSE(viewer.showPage(folder, QStringLiteral("../../etc/passwd")));
    EXPECT_EQ(HelpPagePath(folder, QStringLiteral("../x")), QString());
}

TEST(HelpPages, TheViewerServiceShowsContextsTopicsAndContents)
{
    const QString folder = HelpFolderFor(programFolder, 1, QStringLiteral("en"));
    Help().showContext(folder, 602);
    EXPECT_EQ(HelpViewer::instance()->currentPage(), QStringLiteral("602"));
    EXPECT_TRUE(HelpViewer::instance()->isVisible());
    Help().showTopic(folder, QStringLiteral("Introduction"));
    EXPECT_EQ(HelpViewer::instance()->currentPage(), QStringLiteral("Introduction"));
    Help().showContents(folder);
    EXPECT_EQ(HelpViewer::instance()->currentPage(), QStringLiteral("index"));
    HelpViewer::instance()->close();
}

// A page that names a picture or another page that is not in its folder
// shows a broken picture or an empty page to the user.
TEST(HelpPages, EveryPictureAndLinkOfAPageIsInItsFolder)
{
    const QRegularExpression reference(QStringLiteral("(?:src|href)=\"([^\"]+)\""));
    for (int language : {1, 2}) {
        const QDir folder(HelpFolderFor(programFolder, language, QStringLiteral("fr")));
        const QStringList pages = folder.entryList({QStringLiteral("*.html")});
        EXPECT_GE(pages.size(), 7);
        int pictures = 0;
        for (const QString& page : pages) {
            QFile file(folder.filePath(page));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            const QString html = QString::fromUtf8(file.readAll());
            for (const QRegularExpressionMatch& match : reference.globalMatch(html)) {
                const QString target = match.captured(1);
                EXPECT_TRUE(folder.exists(target))
                    << folder.path().toStdString() << "/" << page.toStdString() << ": " << target.toStdString();
                pictures += target.endsWith(QLatin1String(".png")) ? 1 : 0;
            }
        }
        EXPECT_GE(pictures, 15) << language;
    }
}
