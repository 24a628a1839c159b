#include <gtest/gtest.h>

#include <QGroupBox>
#include <QHeaderView>
#include <QPainter>
#include <QTableWidget>
#include <QTextEdit>

#include <memory>
#include <random>

#include "varnex/controls/componentstream.h"
#include "varnex/controls/maskedit.h"
#include "varnex/controls/transparentbutton.h"
#include "varnex/controls/wallpaper.h"

using namespace varnex;

namespace {

QImage testPicture(int w, int h, QRgb seed)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb((qRed(seed) + x * 7) & 0xFF, (qGreen(seed) + y * 13) & 0xFF, qBlue(seed)));
    return image;
}

bool samePixels(const QImage& a, const QImage& b)
{
    return a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

// The desktop registers its own list boxes, grids and notes editor; these
// stand-ins use the same building blocks.
struct DesktopClasses {
    DesktopClasses()
    {
        ComponentClass box;
        box.className = QStringLiteral("TGroupBox");
        box.metaObject = &QGroupBox::staticMetaObject;
        box.create = [](QWidget* parent) -> QWidget* { return new QGroupBox(parent); };
        box.add(stored::Geometry());
        box.add(stored::Tag());
        box.add(stored::Title());
        box.add(stored::Font());
        box.add(stored::BackgroundColor());
        box.add(stored::Visible());
        ComponentRegistry::instance().registerClass(std::move(box));

        ComponentClass grid;
        grid.className = QStringLiteral("TDBGrid");
        grid.metaObject = &QTableWidget::staticMetaObject;
        grid.add(stored::Geometry());
        grid.add(stored::HeaderColumns());
        ComponentRegistry::instance().registerClass(std::move(grid));

        ComponentClass notes;
        notes.className = QStringLiteral("TRichEdit");
        notes.metaObject = &QTextEdit::staticMetaObject;
        notes.add(stored::Geometry());
        notes.add(stored::Font());
        notes.add(stored::RichText());
        ComponentRegistry::instance().registerClass(std::move(notes));
    }
    ~DesktopClasses()
    {
        for (const char* name : {"TGroupBox", "TDBGrid", "TRichEdit"})
            ComponentRegistry::instance().unregisterClass(QLatin1String(name));
    }
};

} // namespace

// ---------------------------------------------------------------------------
// Bytes

TEST(ComponentStream, EveryValueTypeSurvivesTheBytes)
{
    StoredComponent c;
    c.className = QStringLiteral("TThing");
    c.name = QStringLiteral("Thing1");
    c.properties = {
        {QStringLiteral("Int"), StreamValue(qint32(-123456))},
        {QStringLiteral("IntMax"), StreamValue(qint32(2147483647))},
        {QStringLiteral("Flag"), StreamValue(true)},
        {QStringLiteral("Off"), StreamValue(false)},
        {QStringLiteral("Caption"), StreamValue(QStringLiteral("Créances à recevoir ✓"))},
        {QStringLiteral("Empty"), StreamValue(QString())},
        {QStringLiteral("Style"), StreamValue::enumeration(QStringLiteral("fsMono"))},
        {QStringLiteral("Color"), StreamValue(QColor(10, 20, 30, 40))},
        {QStringLiteral("Picture"), StreamValue(QByteArray("\x00\x01\xff", 3))},
        {QStringLiteral("Columns.Widths"), StreamValue(QList<qint32>{64, 0, -1})},
        {QStringLiteral("Lines"), StreamValue(QStringList{QStringLiteral("a"), QString(), QStringLiteral("é")})},
        {QStringLiteral("Font.Style"), StreamValue::set({QStringLiteral("fsBold"), QStringLiteral("fsItalic")})},
        {QStringLiteral("Font.None"), StreamValue::set({})},
    };
    const QByteArray bytes = WriteStream(c);
    ASSERT_TRUE(bytes.startsWith("TPF0"));
    EXPECT_EQ(bytes.at(4), char(kComponentStreamVersion));
    const StoredComponent back = ReadStream(bytes);
    EXPECT_EQ(back.className, c.className);
    EXPECT_EQ(back.name, c.name);
    ASSERT_EQ(back.properties.size(), c.properties.size());
    for (qsizetype i = 0; i < c.properties.size(); ++i) {
        EXPECT_EQ(back.properties[i].name, c.properties[i].name);
        EXPECT_TRUE(back.properties[i].value == c.properties[i].value) << qPrintable(c.properties[i].name);
    }
}

TEST(ComponentStream, ExactLayoutOfASmallComponent)
{
    StoredComponent c{QStringLiteral("TB"), QStringLiteral("N"), {{QStringLiteral("Tag"), StreamValue(qint32(258))}}};
    const QByteArray expected("TPF0\x01"
                              "\x02TB"
                              "\x01N"
                              "\x03Tag\x01\x02\x01\x00\x00"
                              "\x00",
                              4 + 1 + 3 + 2 + 4 + 1 + 4 + 1);
    EXPECT_EQ(WriteStream(c).toHex(' '), expected.toHex(' '));
}

TEST(ComponentStream, WriterRefusesNamesThatCannotBeRead)
{
    for (const QString& bad : {QString(), QStringLiteral("1abc"), QStringLiteral("a b"), QStringLiteral("é"),
                               QString(256, QLatin1Char('x'))}) {
        StoredComponent c{bad, QStringLiteral("n"), {}};
        EXPECT_THROW(WriteStream(c), ComponentStreamError) << qPrintable(bad);
    }
    StoredComponent dup{QStringLiteral("T"),
                        QString(),
                        {{QStringLiteral("A"), StreamValue(true)}, {QStringLiteral("A"), StreamValue(false)}}};
    EXPECT_THROW(WriteStream(dup), ComponentStreamError);
    StoredComponent dottedEdges{QStringLiteral("T"), QString(), {{QStringLiteral("Font."), StreamValue(true)}}};
    EXPECT_THROW(WriteStream(dottedEdges), ComponentStreamError);
}

TEST(ComponentStream, MalformedInputsAreReportedWithTheirReason)
{
    const QByteArray good = WriteStream(StoredComponent{
        QStringLiteral("TB"), QStringLiteral("N"), {{QStringLiteral("S"), StreamValue(QStringLiteral("abc"))}}});
    struct Case {
        const char* edge;
        QByteArray bytes;
    };
    QByteArray hugeString = good.left(13); // up to the string's length field
    hugeString.append("\xff\xff\xff\x7f", 4);
    QByteArray badBool("TPF0\x01\x01T\x00\x01"
                       "B\x02\x07\x00",
                       13);
    QByteArray badTag("TPF0\x01\x01T\x00\x01X\x7f\x00", 12);
    QByteArray badUtf8("TPF0\x01\x01T\x00\x01S\x03\x02\x00\x00\x00\xc3\x28\x00", 18);
    QByteArray duplicate("TPF0\x01\x01T\x00\x01"
                         "A\x02\x01\x01"
                         "A\x02\x00\x00",
                         17);
    QByteArray hugeList("TPF0\x01\x01T\x00\x01L\x07\xff\xff\xff\xff\x00", 16);
    Case cases[] = {
        {"empty", QByteArray()},
        {"signature only", QByteArray("TPF0")},
        {"wrong signature", QByteArray("TPF1\x01\x01T\x00\x00", 9)},
        {"future version", QByteArray("TPF0\x02\x01T\x00\x00", 9)},
        {"version zero", QByteArray("TPF0\x00\x01T\x00\x00", 9)},
        {"empty class name", QByteArray("TPF0\x01\x00\x00\x00", 8)},
        {"class name not an identifier", QByteArray("TPF0\x01\x02T-\x00\x00", 10)},
        {"no end marker", good.chopped(1)},
        {"trailing byte", good + QByteArray(1, '\0')},
        {"string longer than the stream", hugeString},
        {"boolean other than 0 or 1", badBool},
        {"unknown type tag", badTag},
        {"invalid UTF-8", badUtf8},
        {"property stored twice", duplicate},
        {"list count beyond the bytes", hugeList},
    };
    for (const Case& c : cases) {
        QString why;
        EXPECT_FALSE(TryReadStream(c.bytes, &why).has_value()) << c.edge;
        EXPECT_FALSE(why.isEmpty()) << c.edge;
    }
    // Every truncation of a good stream fails cleanly.
    for (qsizetype n = 0; n < good.size(); ++n)
        EXPECT_FALSE(TryReadStream(good.left(n)).has_value()) << n;
    EXPECT_TRUE(TryReadStream(good).has_value());
}

TEST(ComponentStream, OversizedStreamIsRefusedBeforeParsing)
{
    QByteArray big("TPF0\x01\x01T\x00\x00", 9);
    big.append(QByteArray(kMaxComponentStreamSize, 'x'));
    QString why;
    EXPECT_FALSE(TryReadStream(big, &why).has_value());
    EXPECT_TRUE(why.contains(QStringLiteral("larger")));
}

// Thousands of damaged and random streams: each ends in a result or an error,
// including when what was read is applied to a live control.
TEST(ComponentStream, GeneratedDamagedInputsNeverCrash)
{
    TTransparentButton source;
    source.setObjectName(QStringLiteral("PayablesS"));
    source.setCaption(QStringLiteral("Payables"));
    source.setGlyph(testPicture(32, 16, qRgb(1, 2, 3)));
    source.setFrameStyle(fsMono);
    const QByteArray seedStream = WriteComponent(&source);

    std::mt19937 rng(20261208);
    auto byte = [&] { return char(rng() & 0xFF); };
    int parsed = 0, refused = 0;
    for (int i = 0; i < 4000; ++i) {
        QByteArray input = seedStream;
        switch (i % 5) {
        case 0: // flip a few bytes
            for (int k = 0; k < 1 + int(rng() % 4); ++k)
                input[rng() % input.size()] = byte();
            break;
        case 1: // cut
            input.truncate(rng() % input.size());
            break;
        case 2: // a length or count field made huge
            input.replace(rng() % (input.size() - 4), 4, QByteArray("\xff\xff\xff\x7f", 4));
            break;
        case 3: // random bytes after the signature
            input = QByteArray("TPF0\x01", 5);
            for (int k = 0; k < int(rng() % 200); ++k)
                input.append(byte());
            break;
        case 4: // random insertion
            input.insert(rng() % input.size(), QByteArray(1 + rng() % 8, byte()));
            break;
        }
        QString why;
        const auto result = TryReadStream(input, &why);
        if (!result) {
            EXPECT_FALSE(why.isEmpty());
            ++refused;
            continue;
        }
        ++parsed;
        TTransparentButton target;
        try {
            ApplyComponent(*result, &target);
        } catch (const ComponentStreamError& e) {
            EXPECT_FALSE(e.message().isEmpty());
        }
        QImage canvas(64, 64, QImage::Format_ARGB32);
        target.render(&canvas); // whatever was accepted can be painted
    }
    EXPECT_GT(refused, 1000);
    EXPECT_GT(parsed, 0);
}

// ---------------------------------------------------------------------------
// Classes

TEST(ComponentStream, ButtonRoundTripKeepsEveryNonDefaultProperty)
{
    QWidget parent;
    parent.resize(400, 300);
    TTransparentButton b(&parent);
    b.setObjectName(QStringLiteral("purchentS"));
    b.setGeometry(296, 256, 89, 89);
    b.setProperty("Tag", 1);
    b.setAutoGray(false);
    b.setBorderWidth(3);
    b.setCaption(QStringLiteral("Achats && &paiements"));
    b.setDown(true);
    b.setEnabled(false);
    QFont f(QStringLiteral("DejaVu Sans"), 10);
    f.setBold(true);
    f.setUnderline(true);
    b.setFont(f);
    QPalette p = b.palette();
    p.setColor(QPalette::WindowText, Qt::white);
    b.setPalette(p);
    b.setFrameStyle(fsDark);
    b.setGlyph(testPicture(64, 16, qRgb(200, 10, 90)));
    b.setNumGlyphs(2);
    b.setShowPressed(false);
    b.setSpacing(5);
    b.setTextAlign(ttaLeft);
    b.setTransparent(false);
    b.setWordWrap(true);
    b.setMovable(true);
    b.setToolTip(QStringLiteral("Supplier purchases"));
    b.setHidden(true);

    const QByteArray bytes = WriteComponent(&b);
    std::unique_ptr<QWidget> created(CreateComponent(bytes, &parent));
    auto* r = qobject_cast<TTransparentButton*>(created.get());
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->objectName(), QStringLiteral("purchentS"));
    EXPECT_EQ(r->geometry(), QRect(296, 256, 89, 89));
    EXPECT_EQ(r->property("Tag").toInt(), 1);
    EXPECT_FALSE(r->AutoGray());
    EXPECT_EQ(r->BorderWidth(), 3);
    EXPECT_EQ(r->Caption(), b.Caption());
    EXPECT_TRUE(r->Down());
    EXPECT_FALSE(r->isEnabled());
    EXPECT_EQ(r->font().family(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(r->font().pointSize(), 10);
    EXPECT_TRUE(r->font().bold());
    EXPECT_TRUE(r->font().underline());
    EXPECT_FALSE(r->font().italic());
    EXPECT_EQ(r->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_EQ(r->FrameStyle(), fsDark);
    EXPECT_TRUE(samePixels(r->Glyph(), b.Glyph()));
    EXPECT_EQ(r->NumGlyphs(), 2);
    EXPECT_EQ(r->images().count(), 4);
    EXPECT_FALSE(r->ShowPressed());
    EXPECT_EQ(r->Spacing(), 5);
    EXPECT_EQ(r->TextAlign(), ttaLeft);
    EXPECT_FALSE(r->Transparent());
    EXPECT_TRUE(r->WordWrap());
    EXPECT_TRUE(r->Movable());
    EXPECT_EQ(r->toolTip(), QStringLiteral("Supplier purchases"));
    EXPECT_TRUE(r->isHidden());
}

// Stored desktops were written with these defaults: a value equal to its
// stream default is left out and reads back as the construction value.
TEST(ComponentStream, ButtonValuesEqualToStreamDefaultsReadBackAsConstructionValues)
{
    TTransparentButton b;
    b.setFrameStyle(fsExplorer);
    b.setShowPressed(true);
    b.setTextAlign(ttaCenter);
    b.setWordWrap(false);
    b.setMovable(false);
    const StoredComponent stored = CaptureComponent(&b);
    for (const char* omitted : {"FrameStyle", "ShowPressed", "TextAlign", "WordWrap", "Movable", "AutoGray",
                                "BorderWidth", "Down", "NumGlyphs", "Spacing", "Transparent", "Glyph", "Tag"})
        EXPECT_EQ(stored.find(QLatin1String(omitted)), nullptr) << omitted;
    for (const char* kept : {"Left", "Top", "Width", "Height", "Caption", "Font.Name", "Font.Size"})
        EXPECT_NE(stored.find(QLatin1String(kept)), nullptr) << kept;

    TTransparentButton r;
    ReadComponent(WriteStream(stored), &r);
    EXPECT_EQ(r.FrameStyle(), fsRegular);
    EXPECT_FALSE(r.ShowPressed());
    EXPECT_EQ(r.TextAlign(), ttaBottom);
    EXPECT_TRUE(r.WordWrap());
    EXPECT_TRUE(r.Movable());
}

TEST(ComponentStream, WallpaperRoundTripAndDefaults)
{
    QWidget window;
    window.resize(640, 480);
    TWallpaper w(&window);
    w.setObjectName(QStringLiteral("Wallpaper1"));
    w.setAlign(alClient);
    w.setBevelOuter(bvLowered);
    w.setBevelInner(bvRaised);
    w.setBevelWidth(2);
    w.setBorderWidth(4);
    w.setLocked(true);
    w.setCaption(QStringLiteral("Bureau"));
    w.setWallpaper(testPicture(24, 16, qRgb(0, 128, 255)));
    w.setProperty("ShowHint", false);

    TWallpaper r(&window);
    r.setAlign(alNone);
    ReadComponent(WriteComponent(&w), &r);
    EXPECT_EQ(r.objectName(), QStringLiteral("Wallpaper1"));
    EXPECT_EQ(r.Align(), alClient);
    EXPECT_EQ(r.geometry(), QRect(0, 0, 640, 480));
    EXPECT_EQ(r.BevelOuter(), bvLowered);
    EXPECT_EQ(r.BevelInner(), bvRaised);
    EXPECT_EQ(r.BevelWidth(), 2);
    EXPECT_EQ(r.BorderWidth(), 4);
    EXPECT_TRUE(r.Locked());
    EXPECT_EQ(r.Caption(), QStringLiteral("Bureau"));
    EXPECT_TRUE(samePixels(r.Wallpaper(), w.Wallpaper()));
    // ShowHint False is its stream default: not stored, so it reads back as
    // the construction value True.
    EXPECT_TRUE(r.property("ShowHint").toBool());

    // Construction: ShowHint True, ParentShowHint False, Align top; the
    // stream defaults differ, so a plain panel stores exactly those three.
    TWallpaper plain;
    EXPECT_EQ(plain.Align(), alTop);
    const StoredComponent s = CaptureComponent(&plain);
    EXPECT_NE(s.find(QStringLiteral("ShowHint")), nullptr);
    EXPECT_NE(s.find(QStringLiteral("ParentShowHint")), nullptr);
    EXPECT_NE(s.find(QStringLiteral("Align")), nullptr);
    for (const char* omitted : {"BevelOuter", "BevelInner", "BevelWidth", "BorderWidth", "Locked", "Wallpaper"})
        EXPECT_EQ(s.find(QLatin1String(omitted)), nullptr) << omitted;
    plain.setAlign(alNone);
    TWallpaper back;
    ReadComponent(WriteComponent(&plain), &back);
    EXPECT_EQ(back.Align(), alTop); // alNone is the stream default
}

TEST(ComponentStream, MaskEditRoundTrip)
{
    TVarnexMaskEdit e;
    e.setObjectName(QStringLiteral("InvoiceDate"));
    e.setEditMask(QStringLiteral("!99/99/9999;1;_"));
    e.setText(QStringLiteral("31/12/2025"));
    e.setOnEnterColor(QColor(1, 2, 3));
    e.setOnExitColor(QColor(250, 251, 252));
    TVarnexMaskEdit r;
    ReadComponent(WriteComponent(&e), &r);
    EXPECT_EQ(r.EditMask(), e.EditMask());
    EXPECT_EQ(r.Text(), QStringLiteral("31/12/2025"));
    EXPECT_EQ(r.maxLength(), 10);
    EXPECT_EQ(r.OnEnterColor(), QColor(1, 2, 3));
    EXPECT_EQ(r.OnExitColor(), QColor(250, 251, 252));
    EXPECT_EQ(CaptureComponent(&e).find(QStringLiteral("MaxLength")), nullptr); // fixed by the mask
}

TEST(ComponentStream, DesktopListBoxGridAndNotesRoundTrip)
{
    DesktopClasses classes;
    QWidget wallpaper;

    QGroupBox box(&wallpaper);
    box.setObjectName(QStringLiteral("ClientList"));
    box.setGeometry(12, 40, 313, 169);
    box.setProperty("Tag", 1);
    box.setTitle(QStringLiteral("Clients"));
    box.setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    QPalette p = box.palette();
    p.setColor(QPalette::Window, QColor(255, 255, 204));
    box.setPalette(p);
    QGroupBox boxBack(&wallpaper);
    ReadComponent(WriteComponent(&box), &boxBack);
    EXPECT_EQ(boxBack.objectName(), QStringLiteral("ClientList"));
    EXPECT_EQ(boxBack.geometry(), QRect(12, 40, 313, 169));
    EXPECT_EQ(boxBack.property("Tag").toInt(), 1);
    EXPECT_EQ(boxBack.title(), QStringLiteral("Clients"));
    EXPECT_EQ(boxBack.font().pointSize(), 9);
    EXPECT_EQ(boxBack.palette().color(QPalette::Window), QColor(255, 255, 204));

    QTableWidget grid(3, 4, &box);
    grid.setObjectName(QStringLiteral("DBGrid1"));
    grid.horizontalHeader()->resizeSection(0, 80);
    grid.horizontalHeader()->resizeSection(2, 140);
    grid.horizontalHeader()->moveSection(3, 0); // last column shown first
    QTableWidget gridBack(3, 4);
    ReadComponent(WriteComponent(&grid), &gridBack);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(gridBack.horizontalHeader()->sectionSize(i), grid.horizontalHeader()->sectionSize(i)) << i;
        EXPECT_EQ(gridBack.horizontalHeader()->logicalIndex(i), grid.horizontalHeader()->logicalIndex(i)) << i;
    }
    // A grid of another shape refuses the order and keeps its own.
    QTableWidget narrow(3, 2);
    EXPECT_THROW(ReadComponent(WriteComponent(&grid), &narrow), ComponentStreamError);
    EXPECT_EQ(narrow.horizontalHeader()->logicalIndex(0), 0);

    QTextEdit notes;
    notes.setObjectName(QStringLiteral("RichEdit1"));
    notes.setHtml(QStringLiteral("<p>Call <b>Dubé</b> about the <i>invoice</i></p>"));
    QTextEdit notesBack;
    ReadComponent(WriteComponent(&notes), &notesBack);
    EXPECT_EQ(notesBack.toPlainText(), QStringLiteral("Call Dubé about the invoice"));
    EXPECT_EQ(notesBack.toHtml(), notes.toHtml());
}

TEST(ComponentStream, LoadingChecksEverythingBeforeChangingAnything)
{
    TTransparentButton b;
    b.setCaption(QStringLiteral("before"));
    const auto attempt = [&](StoredProperty bad) {
        StoredComponent s{QStringLiteral("TTransparentButton"),
                          QStringLiteral("X"),
                          {{QStringLiteral("Caption"), StreamValue(QStringLiteral("after"))}, bad}};
        EXPECT_THROW(ApplyComponent(s, &b), ComponentStreamError) << qPrintable(bad.name);
    };
    attempt({QStringLiteral("NoSuchProperty"), StreamValue(true)});
    attempt({QStringLiteral("FrameStyle"), StreamValue(qint32(2))}); // number, not name
    attempt({QStringLiteral("FrameStyle"), StreamValue::enumeration(QStringLiteral("fsShiny"))});
    attempt({QStringLiteral("Width"), StreamValue(qint32(1 << 30))}); // absurd size
    attempt({QStringLiteral("NumGlyphs"), StreamValue(qint32(9))});
    attempt({QStringLiteral("Font.Style"), StreamValue::set({QStringLiteral("fsBlinking")})});
    attempt({QStringLiteral("Glyph"), StreamValue(QByteArray("not a picture"))});
    EXPECT_EQ(b.Caption(), QStringLiteral("before"));
    EXPECT_TRUE(b.objectName().isEmpty());

    TWallpaper other;
    EXPECT_THROW(ReadComponent(WriteComponent(&b), &other), ComponentStreamError); // class differs

    // A component that cannot be loaded is not left behind on its parent.
    QWidget parent;
    StoredComponent s{QStringLiteral("TTransparentButton"),
                      QStringLiteral("Y"),
                      {{QStringLiteral("NumGlyphs"), StreamValue(qint32(0))}}};
    EXPECT_THROW(CreateComponent(WriteStream(s), &parent), ComponentStreamError);
    EXPECT_TRUE(parent.findChildren<QWidget*>().isEmpty());
    s.className = QStringLiteral("TNoSuchClass");
    EXPECT_THROW(CreateComponent(WriteStream(s), &parent), ComponentStreamError);
}

TEST(ComponentStream, WhatIsWrittenCanBeReadBack)
{
    TTransparentButton pixelFont;
    QFont f = pixelFont.font();
    f.setPixelSize(16); // no point size
    pixelFont.setFont(f);
    TTransparentButton back;
    ASSERT_NO_THROW(ReadComponent(WriteComponent(&pixelFont), &back));
    EXPECT_GT(back.font().pointSize(), 0);

    TTransparentButton faraway;
    faraway.move(40000, 0); // beyond what the reader accepts: refused when writing, not at next login
    EXPECT_THROW(WriteComponent(&faraway), ComponentStreamError);
    QWidget plain;
    EXPECT_THROW(WriteComponent(&plain), ComponentStreamError); // no stored form for its class
}

TEST(ComponentStream, HugePictureHeaderIsRefused)
{
    // A PNG whose header claims 30000 x 30000 pixels.
    QImage small(8, 8, QImage::Format_RGB32);
    small.fill(Qt::red);
    QByteArray png = stored::EncodePicture(small);
    ASSERT_GT(png.size(), 24);
    const uchar side[4] = {0x00, 0x00, 0x75, 0x30};
    png.replace(16, 4, reinterpret_cast<const char*>(side), 4);
    png.replace(20, 4, reinterpret_cast<const char*>(side), 4);
    EXPECT_TRUE(stored::DecodePicture(png).isNull());
    EXPECT_FALSE(stored::CheckPicture(nullptr, StreamValue(png)).isEmpty());
}
