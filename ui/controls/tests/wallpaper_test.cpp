#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMainWindow>
#include <QMenuBar>

#include "varnex/controls/wallpaper.h"

using namespace varnex;

TEST(Wallpaper, ConstructionValues)
{
    QWidget window;
    window.resize(300, 200);
    TWallpaper w(&window);
    EXPECT_EQ(w.Align(), alTop);
    EXPECT_EQ(w.geometry().width(), 300); // aligned to the top of its parent
    EXPECT_TRUE(w.property("ShowHint").toBool());
    EXPECT_FALSE(w.property("ParentShowHint").toBool());
    EXPECT_EQ(w.BevelOuter(), bvRaised);
    EXPECT_EQ(w.BevelWidth(), 1);
    EXPECT_EQ(w.BorderWidth(), 0);
    EXPECT_FALSE(w.Locked());
    w.setAlign(alClient);
    window.show(); // a hidden window's resize reaches its children only when shown
    window.resize(320, 240);
    EXPECT_EQ(w.geometry(), QRect(0, 0, 320, 240));
}

TEST(Wallpaper, CentralWidgetIsPlacedByTheMainWindow)
{
    QMainWindow window;
    window.setMenuBar(new QMenuBar);
    window.menuBar()->addMenu(QStringLiteral("Fichier"));
    auto* wall = new TWallpaper(&window);
    window.setCentralWidget(wall);
    window.resize(400, 300);
    window.show();
    QCoreApplication::processEvents();
    window.resize(500, 350);
    QCoreApplication::processEvents();
    EXPECT_EQ(wall->geometry().top(), window.menuBar()->geometry().bottom() + 1);
    EXPECT_EQ(wall->width(), 500);
}

// The picture is tiled from the inner rectangle's corner and clipped to it.
TEST(Wallpaper, TilesThePictureInsideBevelsAndBorder)
{
    struct Case {
        const char* edge;
        TPanelBevel outer, inner;
        int bevelWidth, border, inset;
    };
    const Case cases[] = {
        {"raised outer only", bvRaised, bvNone, 1, 0, 1},
        {"both bevels", bvLowered, bvRaised, 2, 0, 4},
        {"border and outer", bvRaised, bvNone, 1, 3, 4},
        {"no bevel", bvNone, bvNone, 1, 0, 0},
    };
    QImage tile(5, 4, QImage::Format_RGB32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            tile.setPixel(x, y, qRgb(x * 40, y * 60, 200));
    for (const Case& c : cases) {
        TWallpaper w;
        w.setAlign(alNone);
        w.resize(23, 17);
        w.setBevelOuter(c.outer);
        w.setBevelInner(c.inner);
        w.setBevelWidth(c.bevelWidth);
        w.setBorderWidth(c.border);
        w.setWallpaper(tile);
        EXPECT_EQ(w.inset(), c.inset) << c.edge;
        const QImage img = w.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect inner = w.innerRect();
        for (int y = inner.top(); y <= inner.bottom(); ++y)
            for (int x = inner.left(); x <= inner.right(); ++x)
                ASSERT_EQ(img.pixel(x, y), tile.pixel((x - inner.left()) % 5, (y - inner.top()) % 4))
                    << c.edge << " at " << x << "," << y;
        if (c.inset > 0) { // nothing of the picture on the frame
            EXPECT_NE(img.pixel(0, 0), tile.pixel(0, 0)) << c.edge;
        }
    }
}

TEST(Wallpaper, OnePixelPictureOnALargePanel)
{
    QImage dot(1, 1, QImage::Format_RGB32);
    dot.setPixel(0, 0, qRgb(1, 2, 3));
    TWallpaper w;
    w.setAlign(alNone);
    w.resize(2000, 1500);
    w.setWallpaper(dot);
    const QImage img = w.grab().toImage();
    EXPECT_EQ(img.pixel(1, 1), qRgb(1, 2, 3));
    EXPECT_EQ(img.pixel(1998, 1498), qRgb(1, 2, 3));
    EXPECT_NE(img.pixel(1999, 1499), qRgb(1, 2, 3)); // the bevel
}

TEST(Wallpaper, SettingThePictureCopiesIt)
{
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    TWallpaper w;
    w.setWallpaper(picture);
    picture.fill(Qt::blue);
    EXPECT_EQ(w.Wallpaper().pixel(0, 0), qRgb(255, 0, 0));
}
