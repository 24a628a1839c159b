#include "varnex/controls/transparentbutton.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QKeySequence>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>

namespace varnex {

namespace {

// A working rectangle with exclusive right and bottom, as the frame rules
// are written.
struct Box {
    int left, top, right, bottom;
};

// n nested one-pixel rectangles inward: top and left edges in a, bottom and
// right edges in b (the top-right and bottom-left corners belong to b).
void frame(QPainter& p, Box& r, const QColor& a, const QColor& b, int n)
{
    for (int k = 0; k < n; ++k) {
        const int l = r.left, t = r.top, rr = r.right - 1, bb = r.bottom - 1;
        if (rr < l || bb < t)
            break;
        if (rr > l)
            p.fillRect(l, t, rr - l, 1, a);
        if (bb > t)
            p.fillRect(l, t, 1, bb - t, a);
        p.fillRect(rr, t, 1, bb - t + 1, b);
        p.fillRect(l, bb, rr - l + 1, 1, b);
        r.left += 1;
        r.top += 1;
        r.right -= 1;
        r.bottom -= 1;
    }
}

QImage masked(const QImage& source, QRgb key)
{
    QImage out = source.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((line[x] & 0x00FFFFFF) == (key & 0x00FFFFFF))
                line[x] = line[x] & 0x00FFFFFF; // alpha 0: the parent shows through
    }
    return out;
}

// A bitmap's transparent colour is its bottom-left pixel.
QRgb transparentColorOf(const QImage& image)
{
    return image.isNull() ? 0 : image.pixel(0, image.height() - 1);
}

} // namespace

ThreeDColors ThreeDColors::fromPalette(const QPalette& palette)
{
    // The 3-D scheme does not change with the widget's state.
    return {palette.color(QPalette::Active, QPalette::Button), palette.color(QPalette::Active, QPalette::Light),
            palette.color(QPalette::Active, QPalette::Dark), palette.color(QPalette::Active, QPalette::Shadow)};
}

// ---------------------------------------------------------------------------

int ButtonImageList::numGlyphsFor(const QSize& glyphSize)
{
    if (glyphSize.height() > 0 && glyphSize.width() % glyphSize.height() == 0) {
        const int quotient = glyphSize.width() / glyphSize.height();
        return (quotient > 4 || quotient < 1) ? 1 : quotient;
    }
    return 1;
}

QImage ButtonImageList::grayImage(const QImage& slice)
{
    QImage out = slice.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const int level = (11 * qRed(line[x]) + 59 * qGreen(line[x]) + 30 * qBlue(line[x])) / 100;
            line[x] = qRgb(level, level, level);
        }
    }
    return out;
}

QImage ButtonImageList::disabledImage(const QImage& slice, const QColor& highlight, const QColor& shadow)
{
    const QImage source = slice.convertToFormat(QImage::Format_RGB32);
    QImage out(source.size(), QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    if (source.isNull())
        return out;
    const QRgb key = source.pixel(0, 0) & 0x00FFFFFF;
    auto isShape = [&](int x, int y) {
        const QRgb c = source.pixel(x, y) & 0x00FFFFFF;
        return c != 0x00FFFFFF && c != key;
    };
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            if (isShape(x, y) && x + 1 < out.width() && y + 1 < out.height())
                out.setPixel(x + 1, y + 1, highlight.rgba() | 0xFF000000);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            if (isShape(x, y))
                out.setPixel(x, y, shadow.rgba() | 0xFF000000);
    return out;
}

void ButtonImageList::clear()
{
    m_images.clear();
    m_imageSize = QSize();
}

void ButtonImageList::rebuild(const QImage& glyph, int numGlyphs, const ThreeDColors& colors)
{
    clear();
    if (glyph.isNull() || glyph.width() <= 0 || glyph.height() <= 0)
        return;
    numGlyphs = qBound(1, numGlyphs, 4);
    const int sliceWidth = qMax(1, glyph.width() / numGlyphs);
    m_imageSize = QSize(sliceWidth, glyph.height());
    QImage first;
    for (int i = 0; i < numGlyphs; ++i) {
        const QImage slice = glyph.copy(i * sliceWidth, 0, sliceWidth, glyph.height());
        if (i == 0)
            first = slice;
        m_images.append(masked(slice, transparentColorOf(slice)));
    }
    const QImage gray = grayImage(first);
    m_images.append(masked(gray, transparentColorOf(gray)));
    m_images.append(disabledImage(first, colors.highlight, colors.shadow));
}

// ---------------------------------------------------------------------------

TTransparentButton::TTransparentButton(QWidget* owner)
    : QWidget(owner)
{
    // No background of its own: the parent shows through where nothing is drawn.
    setAutoFillBackground(false);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setGeometry(0, 0, 40, 40);
}

TTransparentButton::~TTransparentButton() = default;

void TTransparentButton::setAutoGray(bool value)
{
    m_autoGray = value;
    update();
}

void TTransparentButton::setBorderWidth(int value)
{
    m_borderWidth = qMax(0, value);
    update();
}

void TTransparentButton::setCaption(const QString& value)
{
    m_caption = value;
    updateShortcut();
    update();
}

void TTransparentButton::setDown(bool value)
{
    m_down = value;
    m_pressedLook = value;
    m_tracking = value;
    update();
}

void TTransparentButton::setFrameStyle(TFrameStyle value)
{
    m_frameStyle = value;
    update();
}

void TTransparentButton::setGlyph(const QImage& value)
{
    m_glyph = value.isNull() ? QImage() : value.convertToFormat(QImage::Format_RGB32);
    m_numGlyphs = ButtonImageList::numGlyphsFor(m_glyph.size());
    rebuildImages();
    update();
}

void TTransparentButton::setNumGlyphs(int value)
{
    m_numGlyphs = qBound(1, value, 4);
    rebuildImages();
    update();
}

void TTransparentButton::setPopUpMenu(QMenu* menu)
{
    m_popUpMenu = menu; // a QPointer: a destroyed menu clears itself
}

void TTransparentButton::setShowPressed(bool value)
{
    m_showPressed = value;
    update();
}

void TTransparentButton::setSpacing(int value)
{
    m_spacing = value;
    update();
}

void TTransparentButton::setTextAlign(TTextAlign value)
{
    m_textAlign = value;
    update();
}

void TTransparentButton::setTransparent(bool value)
{
    m_transparent = value;
    update();
}

void TTransparentButton::setWordWrap(bool value)
{
    m_wordWrap = value;
    update();
}

void TTransparentButton::setMovable(bool value)
{
    m_movable = value;
}

void TTransparentButton::click()
{
    if (OnClick)
        OnClick(this);
}

void TTransparentButton::rebuildImages()
{
    m_images.rebuild(m_glyph, m_numGlyphs, ThreeDColors::fromPalette(palette()));
}

void TTransparentButton::updateShortcut()
{
    if (m_shortcutId != 0) {
        releaseShortcut(m_shortcutId);
        m_shortcutId = 0;
    }
    const QKeySequence mnemonic = QKeySequence::mnemonic(m_caption);
    if (!mnemonic.isEmpty())
        m_shortcutId = grabShortcut(mnemonic);
}

int TTransparentButton::textFlags() const
{
    return Qt::TextShowMnemonic | (m_wordWrap ? Qt::TextWordWrap : Qt::TextSingleLine);
}

QRect TTransparentButton::glyphRect() const
{
    const int w = width(), h = height();
    const int gw =
        m_glyph.isNull() ? 0 : (m_glyph.width() / m_numGlyphs < 1 ? m_glyph.width() : m_glyph.width() / m_numGlyphs);
    const int gh = m_glyph.isNull() ? 0 : m_glyph.height();
    const int s = m_spacing;
    int top = 0;
    switch (m_textAlign) {
    case ttaBottomRight:
    case ttaBottom:
    case ttaBottomLeft: top = s; break;
    case ttaRight:
    case ttaLeft:
    case ttaCenter: top = (h - gh) / 2; break;
    case ttaTopLeft:
    case ttaTop:
    case ttaTopRight: top = h - gh - s; break;
    }
    int left = (w - gw) / 2;
    if (m_textAlign == ttaLeft)
        left = w - gw - s;
    else if (m_textAlign == ttaRight)
        left = s;
    return QRect(left, top, gw, gh);
}

QRect TTransparentButton::captionRect() const
{
    if (m_caption.isEmpty())
        return QRect();
    const int w = width(), h = height(), s = m_spacing;
    const QRect measured = QFontMetrics(font()).boundingRect(QRect(0, 0, w, h), textFlags(), m_caption);
    const int tw = measured.width(), th = measured.height();
    const QRect g = glyphRect();
    const int gt = g.top();
    const int gb = g.top() + g.height(); // the bottom edge, exclusive
    int left = 0, top = 0;
    switch (m_textAlign) {
    case ttaTopLeft:
        left = s;
        top = gt - th - s;
        break;
    case ttaTop:
        left = w / 2 - tw / 2;
        top = gt - th - s;
        break;
    case ttaTopRight:
        left = w - tw - s;
        top = gt - th - s;
        break;
    case ttaRight:
        left = w - tw - s;
        top = h / 2 - th / 2;
        break;
    case ttaBottomRight:
        left = w - tw - s;
        top = gb + s;
        break;
    case ttaBottom:
        left = w / 2 - tw / 2;
        top = gb + s;
        break;
    case ttaBottomLeft:
        left = s;
        top = gb + s;
        break;
    case ttaLeft:
        left = s;
        top = h / 2 - th / 2;
        break;
    case ttaCenter:
        left = w / 2 - tw / 2;
        top = h / 2 - th / 2;
        break;
    }
    return QRect(left, top, tw, th);
}

int TTransparentButton::currentImageIndex() const
{
    const bool disabled = !isEnabled();
    int index = 0;
    if (m_numGlyphs == 2)
        index = disabled ? 1 : 0;
    else if (m_numGlyphs >= 3)
        index = disabled ? 1 : (m_pressedLook ? 2 : 0);
    if (m_frameStyle == fsExplorer && m_autoGray && !m_mouseInside)
        index = m_images.grayIndex();
    if (disabled && m_numGlyphs == 1)
        index = m_images.disabledIndex();
    return index;
}

void TTransparentButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintButton(painter);
}

void TTransparentButton::paintButton(QPainter& p)
{
    const ThreeDColors c = ThreeDColors::fromPalette(palette());
    const QColor black(Qt::black);
    const int w = width(), h = height(), bw = m_borderWidth;
    p.setRenderHint(QPainter::Antialiasing, false);

    // Base frame.
    Box r{0, 0, w, h};
    switch (m_frameStyle) {
    case fsRegular:
        r = {1, 1, w, h};
        if (!m_transparent)
            p.fillRect(QRect(1, 1, w - 1, h - 1), c.face);
        frame(p, r, black, black, bw);
        break;
    case fsIndent:
        r = {0, 0, w - 1, h - 1};
        if (!m_transparent)
            p.fillRect(QRect(0, 0, w - 1, h - 1), c.face);
        frame(p, r, c.shadow, c.shadow, bw);
        r = {1, 1, w, h};
        frame(p, r, c.highlight, c.highlight, bw);
        break;
    case fsExplorer:
    case fsLight:
    case fsNone:
    case fsDark:
    case fsMono:
        if (!m_transparent)
            p.fillRect(QRect(0, 0, w, h), c.face);
        break;
    }

    r = {0, 0, w, h};
    if (m_pressedLook && m_frameStyle != fsNone) {
        switch (m_frameStyle) {
        case fsRegular:
        case fsIndent:
            if (m_showPressed) {
                frame(p, r, black, c.highlight, bw);
                frame(p, r, c.shadow, c.face, bw);
            }
            break;
        case fsExplorer:
            if (m_mouseInside || m_down) {
                if (m_showPressed)
                    frame(p, r, c.shadow, c.highlight, bw);
                else
                    frame(p, r, c.highlight, c.shadow, bw);
            }
            break;
        case fsLight:
            if (m_showPressed)
                frame(p, r, c.shadow, c.highlight, 1);
            break;
        case fsDark:
            if (m_showPressed)
                frame(p, r, c.darkShadow, c.face, 1);
            break;
        case fsMono:
            if (m_showPressed)
                frame(p, r, c.darkShadow, c.highlight, 1);
            break;
        case fsNone: break;
        }
    }
    if (!m_pressedLook) {
        switch (m_frameStyle) {
        case fsRegular:
            frame(p, r, c.highlight, black, bw);
            frame(p, r, c.face, c.shadow, bw);
            break;
        case fsIndent: frame(p, r, c.shadow, c.highlight, bw); break;
        case fsExplorer:
            if (m_mouseInside)
                frame(p, r, c.highlight, c.shadow, bw);
            break;
        case fsNone: break;
        case fsLight: frame(p, r, c.highlight, c.shadow, 1); break;
        case fsDark: frame(p, r, c.face, c.darkShadow, 1); break;
        case fsMono: frame(p, r, c.highlight, c.darkShadow, 1); break;
        }
    }

    const bool shifted = m_pressedLook && m_showPressed;
    const QPoint shift = shifted ? QPoint(1, 1) : QPoint(0, 0);

    // Glyph.
    if (!m_glyph.isNull() && m_images.count() > 0) {
        const QRect g = glyphRect();
        const QImage& image = m_images.image(currentImageIndex());
        const QPoint at = g.topLeft() + shift;
        if (!m_transparent)
            p.fillRect(QRect(at, image.size()), c.face);
        p.drawImage(at, image);
    }

    // Caption on its teal background; a disabled caption is drawn twice to look etched.
    if (!m_caption.isEmpty()) {
        const QRect place = captionRect().translated(shift);
        const int flags = textFlags() | Qt::AlignCenter | Qt::TextDontClip;
        p.setFont(font());
        auto draw = [&](const QRect& rect, const QColor& color) {
            p.fillRect(rect, captionBackground());
            p.setPen(color);
            p.drawText(rect, flags, m_caption);
        };
        if (isEnabled()) {
            draw(place, palette().color(foregroundRole()));
        } else {
            draw(place.translated(1, 1), c.highlight);
            draw(place, c.shadow);
        }
    }
}

void TTransparentButton::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (!isEnabled())
        return;
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        // The press that comes with a double click, or a second press before
        // the release, is not a new press.
        if (m_pressPending) {
            m_pressPending = false;
            return;
        }
        m_pressPending = true;
        m_clickArmed = rect().contains(pos);
        if (OnMouseDown)
            OnMouseDown(this, Qt::LeftButton, event->modifiers(), pos.x(), pos.y());
        if (m_movable)
            m_pressPoint = pos;
        if (rect().contains(pos)) {
            m_tracking = true;
            m_pressedLook = true;
            update();
        }
    } else if (event->button() == Qt::RightButton) {
        if (OnMouseDown)
            OnMouseDown(this, Qt::RightButton, event->modifiers(), pos.x(), pos.y());
        if (QMenu* menu = m_popUpMenu.data()) {
            // The menu's handlers ask which component it was opened on.
            menu->setProperty("PopupComponent", QVariant::fromValue(static_cast<QObject*>(this)));
            // The click that closes the menu is not handed on to what lies below it.
            const bool replay = !menu->testAttribute(Qt::WA_NoMouseReplay);
            menu->setAttribute(Qt::WA_NoMouseReplay, true);
            QPointer<QMenu> guard(menu);
            menu->exec(mapToGlobal(pos));
            if (guard)
                guard->setAttribute(Qt::WA_NoMouseReplay, !replay);
        }
    }
}

void TTransparentButton::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    QPoint pos = event->position().toPoint();
    if (OnMouseMove)
        OnMouseMove(this, event->modifiers(), pos.x(), pos.y());
    if (!m_tracking)
        return;
    // Only a held button drags: tracking also stays on while Down is latched,
    // and a hovering pointer must not carry the icon away.
    if (m_movable && parentWidget() && (event->buttons() & Qt::LeftButton)) {
        const QPoint delta = pos - m_pressPoint;
        const QPoint to = this->pos() + delta;
        const QWidget* parent = parentWidget();
        // Strictly inside: an icon never reaches the parent's right or bottom edge.
        if (to.x() >= 0 && to.y() >= 0 && to.x() + width() < parent->width() && to.y() + height() < parent->height()) {
            move(to);
            pos -= delta; // the pointer is where it was on the moved button
        }
    }
    // A latched button keeps its pressed look wherever the pointer goes.
    const bool look = m_down || rect().contains(pos);
    if (look != m_pressedLook) {
        m_pressedLook = look;
        update();
    }
}

void TTransparentButton::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (!isEnabled() || event->button() != Qt::LeftButton || !m_pressPending)
        return;
    m_pressPending = false;
    const QPoint pos = event->position().toPoint();
    const bool clicked = m_clickArmed && rect().contains(pos);
    m_clickArmed = false;
    if (!m_down) {
        m_tracking = false;
        m_pressedLook = false;
        update();
        if (OnMouseUp)
            OnMouseUp(this, Qt::LeftButton, event->modifiers(), pos.x(), pos.y());
    }
    if (clicked)
        click();
}

void TTransparentButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    if (!isEnabled() || event->button() != Qt::LeftButton)
        return;
    if (OnDblClick)
        OnDblClick(this);
    m_pressedLook = false;
    m_down = false;
    m_tracking = false;
    m_pressPending = true;
    m_clickArmed = false;
    update();
    // The toolkit delivers the second press of a double click here; it finds
    // the press pending and is ignored, and so is its release.
    mousePressEvent(event);
}

void TTransparentButton::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    if (!isEnabled())
        return;
    m_mouseInside = true;
    if (OnMouseEnter)
        OnMouseEnter(this);
    if (m_frameStyle == fsExplorer)
        update();
}

void TTransparentButton::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    if (!isEnabled())
        return;
    m_mouseInside = false;
    if (OnMouseExit)
        OnMouseExit(this);
    if (m_frameStyle == fsExplorer)
        update();
}

void TTransparentButton::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        if (!isEnabled()) {
            m_pressedLook = false;
            m_tracking = false;
            m_pressPending = false;
            m_clickArmed = false;
            m_mouseInside = false;
        }
        update();
    } else if (event->type() == QEvent::PaletteChange) {
        rebuildImages(); // the disabled image is drawn in palette colours
        update();
    } else if (event->type() == QEvent::FontChange) {
        update();
    }
}

bool TTransparentButton::event(QEvent* event)
{
    if (event->type() == QEvent::Shortcut) {
        auto* shortcut = static_cast<QShortcutEvent*>(event);
        if (shortcut->shortcutId() == m_shortcutId && isEnabled()) {
            click();
            return true;
        }
    }
    return QWidget::event(event);
}

} // namespace varnex
