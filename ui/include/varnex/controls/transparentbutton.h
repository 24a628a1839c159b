#pragma once
// The flat picture button every desktop shortcut is made of. It paints
// nothing where it has no frame, glyph or caption, so the wallpaper shows
// through; the user may drag it about its parent.

#include <QColor>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <functional>

#include <QMenu>
class QPainter;

namespace varnex {

enum TFrameStyle { fsRegular = 0, fsIndent = 1, fsExplorer = 2, fsNone = 3, fsLight = 4, fsDark = 5, fsMono = 6 };
enum TTextAlign {
    ttaTopLeft = 0,
    ttaTop = 1,
    ttaTopRight = 2,
    ttaRight = 3,
    ttaBottomRight = 4,
    ttaBottom = 5,
    ttaBottomLeft = 6,
    ttaLeft = 7,
    ttaCenter = 8
};

using TNotifyEvent = std::function<void(QObject* sender)>;
using TMouseEvent =
    std::function<void(QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(QObject* sender, Qt::KeyboardModifiers shift, int x, int y)>;

// The colours of the 3-D scheme the frames are drawn with, taken from a
// widget palette: face = Button, highlight = Light, shadow = Dark,
// dark shadow = Shadow.
struct ThreeDColors {
    QColor face;
    QColor highlight;
    QColor shadow;
    QColor darkShadow;
    static ThreeDColors fromPalette(const QPalette& palette);
};

// The images a button draws, cut from its glyph strip: the slices, then a
// gray image and a disabled image, both made from slice 0. Images carry
// their mask as alpha 0.
class ButtonImageList {
public:
    // How many images a strip of this size holds: width div height when the
    // width is a whole multiple of a positive height and the quotient is at
    // most 4, otherwise 1.
    static int numGlyphsFor(const QSize& glyphSize);
    // Gray level (11 R + 59 G + 30 B) div 100 of every pixel.
    static QImage grayImage(const QImage& slice);
    // White and key-coloured pixels (key = top-left pixel) are background,
    // every other pixel is the shape; the shape is embossed: highlight one
    // pixel right and down, shadow in place, background transparent.
    static QImage disabledImage(const QImage& slice, const QColor& highlight, const QColor& shadow);

    void rebuild(const QImage& glyph, int numGlyphs, const ThreeDColors& colors);
    void clear();

    int count() const { return int(m_images.size()); }
    QSize imageSize() const { return m_imageSize; }
    const QImage& image(int index) const { return m_images.at(index); }
    int grayIndex() const { return count() - 2; }
    int disabledIndex() const { return count() - 1; }

private:
    QList<QImage> m_images;
    QSize m_imageSize;
};

class TTransparentButton : public QWidget {
    Q_OBJECT
public:
    explicit TTransparentButton(QWidget* owner = nullptr);
    ~TTransparentButton() override;

    bool AutoGray() const { return m_autoGray; }
    void setAutoGray(bool value);
    int BorderWidth() const { return m_borderWidth; }
    void setBorderWidth(int value); // negative values become 0
    QString Caption() const { return m_caption; }
    void setCaption(const QString& value);
    bool Down() const { return m_down; }
    void setDown(bool value);
    TFrameStyle FrameStyle() const { return m_frameStyle; }
    void setFrameStyle(TFrameStyle value);
    const QImage& Glyph() const { return m_glyph; }
    void setGlyph(const QImage& value); // also sets NumGlyphs from the strip
    int NumGlyphs() const { return m_numGlyphs; }
    void setNumGlyphs(int value); // 1..4; re-slices the strip
    QMenu* PopUpMenu() const { return m_popUpMenu; }
    void setPopUpMenu(QMenu* menu);
    bool ShowPressed() const { return m_showPressed; }
    void setShowPressed(bool value);
    int Spacing() const { return m_spacing; }
    void setSpacing(int value);
    TTextAlign TextAlign() const { return m_textAlign; }
    void setTextAlign(TTextAlign value);
    bool Transparent() const { return m_transparent; }
    void setTransparent(bool value);
    bool WordWrap() const { return m_wordWrap; }
    void setWordWrap(bool value);
    bool Movable() const { return m_movable; }
    void setMovable(bool value);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseExit;

    const ButtonImageList& images() const { return m_images; }
    // Runs OnClick as a click of the user would.
    void click();

    // Run-time state.
    bool isPressedLook() const { return m_pressedLook; }
    bool isTracking() const { return m_tracking; }
    bool isPressPending() const { return m_pressPending; }
    bool isMouseInside() const { return m_mouseInside; }

    // Where the glyph and caption go for the current size and properties.
    QRect glyphRect() const;
    QRect captionRect() const; // unshifted, empty without a caption

    static QColor captionBackground() { return QColor(0, 128, 128); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void paintButton(QPainter& painter);
    void rebuildImages();
    void updateShortcut();
    int textFlags() const;
    int currentImageIndex() const;

    bool m_autoGray = true;
    int m_borderWidth = 1;
    QString m_caption;
    bool m_down = false;
    TFrameStyle m_frameStyle = fsRegular;
    QImage m_glyph;
    int m_numGlyphs = 1;
    QPointer<QMenu> m_popUpMenu;
    bool m_showPressed = false;
    int m_spacing = 2;
    TTextAlign m_textAlign = ttaBottom;
    bool m_transparent = true;
    bool m_wordWrap = true;
    bool m_movable = true;

    ButtonImageList m_images;
    bool m_pressedLook = false;
    bool m_tracking = false;
    bool m_pressPending = false;
    bool m_clickArmed = false;
    bool m_mouseInside = false;
    QPoint m_pressPoint;
    int m_shortcutId = 0;
};

} // namespace varnex
