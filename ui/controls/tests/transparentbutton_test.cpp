#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include "varnex/controls/transparentbutton.h"

using namespace varnex;

namespace {

const QRgb kBackground = qRgb(255, 0, 255); // never drawn by a button

// A strip of n slices of size h x h; slice i is solid colors[i] except its
// bottom-left pixel, which is white and therefore that slice's transparent colour.
QImage strip(int h, const QList<QRgb>& colors)
{
    QImage image(h * int(colors.size()), h, QImage::Format_RGB32);
    for (int i = 0; i < colors.size(); ++i) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < h; ++x)
                image.setPixel(i * h + x, y, colors[i]);
        image.setPixel(i * h, h - 1, qRgb(255, 255, 255));
    }
    return image;
}

QImage render(TTransparentButton& b)
{
    QImage canvas(b.size(), QImage::Format_RGB32);
    canvas.fill(kBackground);
    b.render(&canvas, QPoint(), QRegion(), QWidget::DrawChildren);
    return canvas;
}

// The frame rule, pixel by pixel: n rings inward; top and left in a, right
// and bottom in b; the top-right and bottom-left corners belong to b.
void expectFrame(QImage& img, int l, int t, int r, int bt, QRgb a, QRgb b, int n)
{
    for (int k = 0; k < n; ++k) {
        const int L = l + k, T = t + k, R = r - 1 - k, B = bt - 1 - k;
        for (int x = L; x < R; ++x)
            img.setPixel(x, T, a);
        for (int y = T; y < B; ++y)
            img.setPixel(L, y, a);
        for (int y = T; y <= B; ++y)
            img.setPixel(R, y, b);
        for (int x = L; x <= R; ++x)
            img.setPixel(x, B, b);
    }
}

struct Colors {
    QRgb face, highlight, shadow, dark, black = qRgb(0, 0, 0);
    explicit Colors(const QWidget& w)
    {
        const ThreeDColors c = ThreeDColors::fromPalette(w.palette());
        face = c.face.rgb();
        highlight = c.highlight.rgb();
        shadow = c.shadow.rgb();
        dark = c.darkShadow.rgb();
    }
};

void sendMouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void enter(QWidget* w)
{
    QEnterEvent e(QPointF(1, 1), QPointF(1, 1), QPointF(w->mapToGlobal(QPoint(1, 1))));
    QApplication::sendEvent(w, &e);
}

void leave(QWidget* w)
{
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}

} // namespace

TEST(TransparentButton, ConstructionValues)
{
    TTransparentButton b;
    EXPECT_EQ(b.geometry(), QRect(0, 0, 40, 40));
    EXPECT_TRUE(b.AutoGray());
    EXPECT_EQ(b.BorderWidth(), 1);
    EXPECT_TRUE(b.Caption().isEmpty());
    EXPECT_FALSE(b.Down());
    EXPECT_EQ(b.FrameStyle(), fsRegular);
    EXPECT_EQ(b.NumGlyphs(), 1);
    EXPECT_FALSE(b.ShowPressed());
    EXPECT_EQ(b.Spacing(), 2);
    EXPECT_EQ(b.TextAlign(), ttaBottom);
    EXPECT_TRUE(b.Transparent());
    EXPECT_TRUE(b.WordWrap());
    EXPECT_TRUE(b.Movable());
    EXPECT_FALSE(b.autoFillBackground());
}

TEST(TransparentButton, GlyphStripIsSlicedByItsShape)
{
    struct Case {
        const char* edge;
        QSize glyph;
        int numGlyphs;
        int images;
        int imageWidth;
    };
    const Case cases[] = {
        {"four squares", {64, 16}, 4, 6, 16},
        {"not a multiple", {100, 16}, 1, 3, 100},
        {"quotient 6 is too many", {96, 16}, 1, 3, 96},
        {"two squares", {32, 16}, 2, 4, 16},
        {"one square", {16, 16}, 1, 3, 16},
        {"narrower than high", {8, 16}, 1, 3, 8},
        {"three squares", {48, 16}, 3, 5, 16},
    };
    for (const Case& c : cases) {
        TTransparentButton b;
        QImage glyph(c.glyph, QImage::Format_RGB32);
        glyph.fill(Qt::red);
        b.setGlyph(glyph);
        EXPECT_EQ(b.NumGlyphs(), c.numGlyphs) << c.edge;
        EXPECT_EQ(b.images().count(), c.images) << c.edge;
        EXPECT_EQ(b.images().imageSize(), QSize(c.imageWidth, c.glyph.height())) << c.edge;
        EXPECT_EQ(b.images().grayIndex(), c.images - 2) << c.edge;
        EXPECT_EQ(b.images().disabledIndex(), c.images - 1) << c.edge;
    }
    TTransparentButton empty;
    empty.setGlyph(QImage());
    EXPECT_EQ(empty.NumGlyphs(), 1);
    EXPECT_EQ(empty.images().count(), 0);
}

TEST(TransparentButton, SlicesAreCutLeftToRightWithTheirOwnMask)
{
    TTransparentButton b;
    b.setGlyph(strip(4, {qRgb(200, 0, 0), qRgb(0, 200, 0), qRgb(0, 0, 200)}));
    ASSERT_EQ(b.images().count(), 5);
    EXPECT_EQ(b.images().image(0).pixel(1, 1), qRgb(200, 0, 0));
    EXPECT_EQ(b.images().image(1).pixel(1, 1), qRgb(0, 200, 0));
    EXPECT_EQ(b.images().image(2).pixel(1, 1), qRgb(0, 0, 200));
    EXPECT_EQ(qAlpha(b.images().image(1).pixel(0, 3)), 0); // the white bottom-left is the mask
}

TEST(TransparentButton, GrayImageUsesRedElevenGreenFiftyNineBlueThirty)
{
    struct Case {
        QRgb in;
        int level;
    };
    const Case cases[] = {
        {qRgb(255, 0, 0), 28},  // 2805 / 100
        {qRgb(0, 255, 0), 150}, // 15045 / 100
        {qRgb(0, 0, 255), 76},  // 7650 / 100: blue weighs 30, not 11
        {qRgb(10, 20, 30), 21}, // 2190 / 100, truncated
        {qRgb(255, 255, 255), 255}, {qRgb(0, 0, 0), 0},
    };
    for (const Case& c : cases) {
        QImage one(1, 1, QImage::Format_RGB32);
        one.setPixel(0, 0, c.in);
        EXPECT_EQ(ButtonImageList::grayImage(one).pixel(0, 0), qRgb(c.level, c.level, c.level)) << c.level;
    }
}

TEST(TransparentButton, DisabledImageEmbossesEverythingButWhiteAndTheKey)
{
    const QRgb key = qRgb(0, 255, 0), white = qRgb(255, 255, 255);
    QImage slice(4, 4, QImage::Format_RGB32);
    slice.fill(key);
    slice.setPixel(1, 1, qRgb(200, 30, 30)); // shape
    slice.setPixel(2, 1, white);             // background like the key
    slice.setPixel(3, 3, qRgb(0, 0, 0));     // shape at the corner: its highlight falls outside
    const QColor highlight(250, 250, 250), shadow(90, 90, 90);
    const QImage d = ButtonImageList::disabledImage(slice, highlight, shadow);
    EXPECT_EQ(d.pixel(1, 1), shadow.rgb());
    EXPECT_EQ(d.pixel(2, 2), highlight.rgb()); // one right and down of the shape
    EXPECT_EQ(d.pixel(3, 3), shadow.rgb());
    EXPECT_EQ(qAlpha(d.pixel(2, 1)), 0);
    EXPECT_EQ(qAlpha(d.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(d.pixel(3, 0)), 0);
}

// Frames of a 12 x 10 button without glyph or caption, compared pixel by
// pixel with the frames the rules call for.
TEST(TransparentButton, FramePixelsFollowTheRules)
{
    const int W = 12, H = 10;
    TTransparentButton probe;
    const Colors c(probe);
    struct Case {
        const char* edge;
        TFrameStyle style;
        bool pressed;
        bool inside;
        bool showPressed;
        int border;
        std::function<void(QImage&)> expected;
    };
    const Case cases[] = {
        {"regular up", fsRegular, false, false, false, 1,
         [&](QImage& e) {
             expectFrame(e, 1, 1, W, H, c.black, c.black, 1);
             expectFrame(e, 0, 0, W, H, c.highlight, c.black, 1);
             expectFrame(e, 1, 1, W - 1, H - 1, c.face, c.shadow, 1);
         }},
        {"regular up, border 2", fsRegular, false, false, false, 2,
         [&](QImage& e) {
             expectFrame(e, 1, 1, W, H, c.black, c.black, 2);
             expectFrame(e, 0, 0, W, H, c.highlight, c.black, 2);
             expectFrame(e, 2, 2, W - 2, H - 2, c.face, c.shadow, 2);
         }},
        {"regular pressed", fsRegular, true, true, true, 1,
         [&](QImage& e) {
             expectFrame(e, 1, 1, W, H, c.black, c.black, 1);
             expectFrame(e, 0, 0, W, H, c.black, c.highlight, 1);
             expectFrame(e, 1, 1, W - 1, H - 1, c.shadow, c.face, 1);
         }},
        {"regular pressed without ShowPressed", fsRegular, true, true, false, 1,
         [&](QImage& e) { expectFrame(e, 1, 1, W, H, c.black, c.black, 1); }},
        {"indent up", fsIndent, false, false, false, 1,
         [&](QImage& e) {
             expectFrame(e, 0, 0, W - 1, H - 1, c.shadow, c.shadow, 1);
             expectFrame(e, 1, 1, W, H, c.highlight, c.highlight, 1);
             expectFrame(e, 0, 0, W, H, c.shadow, c.highlight, 1);
         }},
        {"explorer outside", fsExplorer, false, false, false, 1, [](QImage&) {}},
        {"explorer inside", fsExplorer, false, true, false, 1,
         [&](QImage& e) { expectFrame(e, 0, 0, W, H, c.highlight, c.shadow, 1); }},
        {"explorer pressed inside", fsExplorer, true, true, true, 1,
         [&](QImage& e) { expectFrame(e, 0, 0, W, H, c.shadow, c.highlight, 1); }},
        {"explorer pressed inside without ShowPressed", fsExplorer, true, true, false, 1,
         [&](QImage& e) { expectFrame(e, 0, 0, W, H, c.highlight, c.shadow, 1); }},
        {"none pressed", fsNone, true, true, true, 1, [](QImage&) {}},
        {"light up", fsLight, false, false, false, 3,
         [&](QImage& e) { expectFrame(e, 0, 0, W, H, c.highlight, c.shadow, 1); }},
        {"light pressed", fsLight, true, true, true, 3,
         [&](QImage& e) { expectFrame(e, 0, 0, W, H, c.shadow, c.highlight, 1); }},
        {"dark up", fsDark, false, false, false, 1, [&](QImage& e) { expectFrame(e, 0, 0, W, H, c.face, c.dark, 1); }},
        {"dark pressed", fsDark, true, true, true, 1,
         [&](QImage& e) { expectFrame(e, 0, 0, W, H, c.dark, c.face, 1); }},
        {"mono up", fsMono, false, false, false, 1,
         [&](QImage& e) { expectFrame(e, 0, 0, W, H, c.highlight, c.dark, 1); }},
        {"mono pressed", fsMono, true, true, true, 1,
         [&](QImage& e) { expectFrame(e, 0, 0, W, H, c.dark, c.highlight, 1); }},
    };
    for (const Case& k : cases) {
        TTransparentButton b;
        b.resize(W, H);
        b.setFrameStyle(k.style);
        b.setBorderWidth(k.border);
        b.setShowPressed(k.showPressed);
        if (k.inside)
            enter(&b);
        if (k.pressed)
            sendMouse(&b, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
        QImage expected(W, H, QImage::Format_RGB32);
        expected.fill(kBackground);
        k.expected(expected);
        const QImage actual = render(b);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                EXPECT_EQ(QColor(actual.pixel(x, y)), QColor(expected.pixel(x, y)))
                    << k.edge << " at " << x << "," << y;
    }
}

TEST(TransparentButton, OpaqueFramesDrawOnTheFace)
{
    const int W = 12, H = 10;
    TTransparentButton b;
    b.resize(W, H);
    b.setTransparent(false);
    const Colors c(b);
    QImage expected(W, H, QImage::Format_RGB32);
    expected.fill(kBackground);
    for (int y = 1; y < H; ++y)
        for (int x = 1; x < W; ++x)
            expected.setPixel(x, y, c.face);
    expectFrame(expected, 1, 1, W, H, c.black, c.black, 1);
    expectFrame(expected, 0, 0, W, H, c.highlight, c.black, 1);
    expectFrame(expected, 1, 1, W - 1, H - 1, c.face, c.shadow, 1);
    EXPECT_EQ(render(b), expected);

    b.setFrameStyle(fsIndent);
    expected.fill(kBackground);
    for (int y = 0; y < H - 1; ++y)
        for (int x = 0; x < W - 1; ++x)
            expected.setPixel(x, y, c.face);
    expectFrame(expected, 0, 0, W - 1, H - 1, c.shadow, c.shadow, 1);
    expectFrame(expected, 1, 1, W, H, c.highlight, c.highlight, 1);
    expectFrame(expected, 0, 0, W, H, c.shadow, c.highlight, 1);
    EXPECT_EQ(render(b), expected);
}

TEST(TransparentButton, OpaqueButtonFillsWithFaceFirst)
{
    TTransparentButton b;
    b.resize(10, 10);
    b.setFrameStyle(fsNone);
    b.setTransparent(false);
    const QImage img = render(b);
    const Colors c(b);
    EXPECT_EQ(img.pixel(0, 0), c.face);
    EXPECT_EQ(img.pixel(5, 5), c.face);
    EXPECT_EQ(img.pixel(9, 9), c.face);
}

TEST(TransparentButton, GlyphSitsOppositeTheCaption)
{
    struct Case {
        TTextAlign align;
        QPoint topLeft; // 40 x 40 button, 8 x 8 glyph, spacing 2
    };
    const Case cases[] = {
        {ttaBottom, {16, 2}}, {ttaBottomLeft, {16, 2}}, {ttaTop, {16, 30}},    {ttaTopRight, {16, 30}},
        {ttaLeft, {30, 16}},  {ttaRight, {2, 16}},      {ttaCenter, {16, 16}},
    };
    const QRgb red = qRgb(220, 0, 0);
    for (const Case& k : cases) {
        TTransparentButton b;
        b.setFrameStyle(fsNone);
        b.setGlyph(strip(8, {red}));
        b.setTextAlign(k.align);
        EXPECT_EQ(b.glyphRect(), QRect(k.topLeft, QSize(8, 8))) << k.align;
        QImage img = render(b);
        EXPECT_EQ(img.pixel(k.topLeft), red) << k.align;
        EXPECT_EQ(img.pixel(k.topLeft + QPoint(7, 6)), red) << k.align;
        EXPECT_EQ(img.pixel(k.topLeft + QPoint(0, 7)), kBackground) << "mask " << k.align;
        EXPECT_EQ(img.pixel(k.topLeft - QPoint(1, 0)), kBackground) << k.align;
        // Pressed with ShowPressed: one pixel right and down.
        b.setShowPressed(true);
        b.setDown(true);
        img = render(b);
        EXPECT_EQ(img.pixel(k.topLeft), kBackground) << k.align;
        EXPECT_EQ(img.pixel(k.topLeft + QPoint(1, 1)), red) << k.align;
    }
}

TEST(TransparentButton, ImageChoiceByGlyphCountStateAndAutoGray)
{
    const QRgb red = qRgb(220, 0, 0), green = qRgb(0, 220, 0), blue = qRgb(0, 0, 220);
    const QPoint probe(16 + 4, 2 + 2); // inside the 8 x 8 glyph of a 40 x 40 button
    auto look = [&](TTransparentButton& b) { return render(b).pixel(probe); };

    TTransparentButton two;
    two.setFrameStyle(fsNone);
    two.setGlyph(strip(8, {red, green}));
    EXPECT_EQ(look(two), red);
    two.setEnabled(false);
    EXPECT_EQ(look(two), green); // second slice when disabled

    TTransparentButton three;
    three.setFrameStyle(fsNone);
    three.setGlyph(strip(8, {red, green, blue}));
    three.setDown(true); // pressed look, no shift without ShowPressed
    EXPECT_EQ(look(three), blue);
    three.setDown(false);
    three.setEnabled(false);
    EXPECT_EQ(look(three), green);

    TTransparentButton one;
    one.setFrameStyle(fsNone);
    QImage shape = strip(8, {green}); // green is the key (top-left) of the disabled image
    for (int y = 1; y < 6; ++y)
        for (int x = 2; x < 6; ++x)
            shape.setPixel(x, y, red);
    one.setGlyph(shape);
    one.setEnabled(false); // the embossed image: the shape in the shadow colour
    EXPECT_EQ(QColor(look(one)), QColor(Colors(one).shadow));
    EXPECT_EQ(QColor(render(one).pixel(16 + 6, 2 + 6)), QColor(Colors(one).highlight)); // one right and down
    EXPECT_EQ(render(one).pixel(16 + 1, 2 + 1), kBackground);                           // the key is background

    TTransparentButton explorer;
    explorer.setFrameStyle(fsExplorer);
    explorer.setGlyph(strip(8, {red}));
    EXPECT_EQ(look(explorer), qRgb(24, 24, 24)); // 11 * 220 / 100, gray while outside
    enter(&explorer);
    EXPECT_EQ(look(explorer), red);
    EXPECT_EQ(render(explorer).pixel(0, 0), Colors(explorer).highlight); // raised while over it
    leave(&explorer);
    EXPECT_EQ(look(explorer), qRgb(24, 24, 24));
    explorer.setAutoGray(false);
    EXPECT_EQ(look(explorer), red);
}

TEST(TransparentButton, CaptionIsPlacedByTheRulesOnTeal)
{
    const QRgb teal = qRgb(0, 128, 128);
    for (TTextAlign align : {ttaBottom, ttaTopLeft, ttaRight, ttaCenter}) {
        TTransparentButton b;
        b.resize(60, 50);
        b.setFrameStyle(fsNone);
        b.setWordWrap(false);
        b.setGlyph(strip(8, {qRgb(220, 0, 0)}));
        b.setCaption(QStringLiteral("-"));
        b.setTextAlign(align);
        const QRect measured = QFontMetrics(b.font()).boundingRect(
            QRect(0, 0, 60, 50), Qt::TextSingleLine | Qt::TextShowMnemonic, QStringLiteral("-"));
        const int tw = measured.width(), th = measured.height();
        const QRect g = b.glyphRect();
        QPoint expected;
        switch (align) {
        case ttaBottom: expected = {60 / 2 - tw / 2, g.top() + g.height() + 2}; break;
        case ttaTopLeft: expected = {2, g.top() - th - 2}; break;
        case ttaRight: expected = {60 - tw - 2, 50 / 2 - th / 2}; break;
        default: expected = {60 / 2 - tw / 2, 50 / 2 - th / 2}; break;
        }
        EXPECT_EQ(b.captionRect(), QRect(expected, QSize(tw, th))) << align;
        const QRect r = b.captionRect().intersected(b.rect());
        if (align == ttaCenter)
            continue; // the glyph is drawn over the middle
        const QImage img = render(b);
        EXPECT_EQ(img.pixel(r.topLeft()), teal) << align;
        EXPECT_EQ(img.pixel(r.bottomRight()), teal) << align;
        if (r.left() > 0) {
            EXPECT_EQ(img.pixel(r.left() - 1, r.top()), kBackground) << align;
        }
    }
}

TEST(TransparentButton, DisabledCaptionIsDrawnTwice)
{
    const QRgb teal = qRgb(0, 128, 128);
    TTransparentButton b;
    b.resize(60, 40);
    b.setFrameStyle(fsNone);
    b.setCaption(QStringLiteral("-"));
    b.setEnabled(false);
    const QRect r = b.captionRect();
    const QImage img = render(b);
    EXPECT_EQ(img.pixel(r.topLeft()), teal);
    EXPECT_EQ(img.pixel(r.bottomRight() + QPoint(1, 1)), teal); // the highlight copy, one pixel on
    EXPECT_EQ(img.pixel(r.topLeft() + QPoint(-1, 0)), kBackground);
}

TEST(TransparentButton, MovableButtonStaysStrictlyInsideItsParent)
{
    QWidget parent;
    parent.resize(200, 100);
    TTransparentButton b(&parent);
    b.setGeometry(100, 30, 40, 40);
    sendMouse(&b, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    sendMouse(&b, QEvent::MouseMove, {5 + 59, 5}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(b.pos(), QPoint(159, 30)); // right edge at 199
    sendMouse(&b, QEvent::MouseMove, {5 + 1, 5}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(b.pos(), QPoint(159, 30)); // would touch the right edge: no move
    sendMouse(&b, QEvent::MouseMove, {5 - 159, 5}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(b.pos(), QPoint(0, 30)); // left edge 0 is allowed
    sendMouse(&b, QEvent::MouseMove, {5, 5 - 31}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(b.pos(), QPoint(0, 30)); // above the top
    EXPECT_FALSE(b.isPressedLook());   // and the pointer is now above the button
    sendMouse(&b, QEvent::MouseButtonRelease, {5, 5}, Qt::LeftButton, Qt::NoButton);
    sendMouse(&b, QEvent::MouseMove, {30, 5}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(b.pos(), QPoint(0, 30)); // no longer tracking

    TTransparentButton fixed(&parent);
    fixed.setMovable(false);
    fixed.setGeometry(10, 10, 40, 40);
    sendMouse(&fixed, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    sendMouse(&fixed, QEvent::MouseMove, {25, 5}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(fixed.pos(), QPoint(10, 10));
}

TEST(TransparentButton, LookFollowsThePointerWhileTracking)
{
    TTransparentButton b;
    b.setMovable(false);
    int clicks = 0;
    b.OnClick = [&](QObject*) { ++clicks; };
    sendMouse(&b, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_TRUE(b.isPressedLook());
    sendMouse(&b, QEvent::MouseMove, {80, 5}, Qt::NoButton, Qt::LeftButton);
    EXPECT_FALSE(b.isPressedLook());
    sendMouse(&b, QEvent::MouseMove, {6, 6}, Qt::NoButton, Qt::LeftButton);
    EXPECT_TRUE(b.isPressedLook());
    sendMouse(&b, QEvent::MouseMove, {80, 5}, Qt::NoButton, Qt::LeftButton);
    sendMouse(&b, QEvent::MouseButtonRelease, {80, 5}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(clicks, 0); // released outside
    EXPECT_FALSE(b.isTracking());
}

TEST(TransparentButton, DoubleClickGivesOneClickOneDoubleClickNoSecondPress)
{
    TTransparentButton b;
    int clicks = 0, doubles = 0, downs = 0, ups = 0;
    b.OnClick = [&](QObject*) { ++clicks; };
    b.OnDblClick = [&](QObject*) { ++doubles; };
    b.OnMouseDown = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ++downs; };
    b.OnMouseUp = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ++ups; };
    // What the toolkit delivers for a double click.
    sendMouse(&b, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    sendMouse(&b, QEvent::MouseButtonRelease, {5, 5}, Qt::LeftButton, Qt::NoButton);
    sendMouse(&b, QEvent::MouseButtonDblClick, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    sendMouse(&b, QEvent::MouseButtonRelease, {5, 5}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(doubles, 1);
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(ups, 1);
    EXPECT_FALSE(b.isPressedLook());
    EXPECT_FALSE(b.isPressPending());
    // The next ordinary click works again.
    sendMouse(&b, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    sendMouse(&b, QEvent::MouseButtonRelease, {5, 5}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(downs, 2);
}

TEST(TransparentButton, DownKeepsThePressedLook)
{
    TTransparentButton b;
    int clicks = 0;
    b.OnClick = [&](QObject*) { ++clicks; };
    b.setDown(true);
    EXPECT_TRUE(b.isPressedLook());
    EXPECT_TRUE(b.isTracking());
    sendMouse(&b, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    sendMouse(&b, QEvent::MouseButtonRelease, {5, 5}, Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(b.isPressedLook());
    EXPECT_EQ(clicks, 1);
    b.setDown(false);
    EXPECT_FALSE(b.isPressedLook());
    EXPECT_FALSE(b.isTracking());
}

// Down latches tracking on; a pointer merely hovering must neither drag the
// icon nor lift its pressed look.
TEST(TransparentButton, LatchedButtonIsNotDraggedByAHoveringPointer)
{
    QWidget parent;
    parent.resize(300, 200);
    TTransparentButton b(&parent);
    b.setGeometry(50, 50, 40, 40);
    b.setDown(true);
    sendMouse(&b, QEvent::MouseMove, {20, 20}, Qt::NoButton, Qt::NoButton);
    sendMouse(&b, QEvent::MouseMove, {120, 20}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(b.pos(), QPoint(50, 50));
    EXPECT_TRUE(b.isPressedLook());
}

TEST(TransparentButton, AcceleratorOfTheCaptionClicks)
{
    QWidget window;
    window.resize(100, 100);
    TTransparentButton b(&window);
    b.setCaption(QStringLiteral("&Achats"));
    int clicks = 0;
    b.OnClick = [&](QObject*) { ++clicks; };
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(clicks, 1);
    b.setEnabled(false);
    QTest::keyClick(&window, Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(clicks, 1);
    b.setEnabled(true);
    b.setCaption(QStringLiteral("&Ventes"));
    QTest::keyClick(&window, Qt::Key_A, Qt::AltModifier);
    QTest::keyClick(&window, Qt::Key_V, Qt::AltModifier);
    EXPECT_EQ(clicks, 2);
}

TEST(TransparentButton, DisablingClearsTheRunTimeState)
{
    TTransparentButton b;
    int enters = 0;
    b.OnMouseEnter = [&](QObject*) { ++enters; };
    enter(&b);
    sendMouse(&b, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    ASSERT_TRUE(b.isPressedLook() && b.isTracking() && b.isPressPending() && b.isMouseInside());
    b.setEnabled(false);
    EXPECT_FALSE(b.isPressedLook() || b.isTracking() || b.isPressPending() || b.isMouseInside());
    enter(&b);
    EXPECT_EQ(enters, 1); // a disabled button ignores the mouse
}

TEST(TransparentButton, RightPressShowsThePopupMenuOnTheButton)
{
    QWidget parent;
    TTransparentButton b(&parent);
    QMenu* menu = new QMenu(&parent);
    menu->addAction(QStringLiteral("Properties"));
    b.setPopUpMenu(menu);
    bool shown = false;
    QObject::connect(menu, &QMenu::aboutToShow, menu, [&] {
        shown = true;
        QTimer::singleShot(0, menu, &QMenu::close);
    });
    sendMouse(&b, QEvent::MouseButtonPress, {5, 5}, Qt::RightButton, Qt::RightButton);
    EXPECT_TRUE(shown);
    EXPECT_EQ(menu->property("PopupComponent").value<QObject*>(), &b);
    delete menu;
    EXPECT_EQ(b.PopUpMenu(), nullptr); // a removed menu is forgotten
    sendMouse(&b, QEvent::MouseButtonPress, {5, 5}, Qt::RightButton, Qt::RightButton);
}
