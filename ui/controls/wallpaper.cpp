#include "varnex/controls/wallpaper.h"

#include <QEvent>
#include <QPainter>

namespace varnex {

namespace {

void bevel(QPainter& p, QRect& r, const QColor& topLeft, const QColor& bottomRight, int width)
{
    for (int k = 0; k < width && r.width() > 0 && r.height() > 0; ++k) {
        p.fillRect(QRect(r.left(), r.top(), r.width() - 1, 1), topLeft);
        p.fillRect(QRect(r.left(), r.top(), 1, r.height() - 1), topLeft);
        p.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
        p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
        r.adjust(1, 1, -1, -1);
    }
}

void drawBevel(QPainter& p, QRect& r, TPanelBevel kind, int width, const QPalette& pal)
{
    switch (kind) {
    case bvNone: return;
    case bvLowered: bevel(p, r, pal.color(QPalette::Dark), pal.color(QPalette::Light), width); return;
    case bvRaised: bevel(p, r, pal.color(QPalette::Light), pal.color(QPalette::Dark), width); return;
    case bvSpace: r.adjust(width, width, -width, -width); return;
    }
}

} // namespace

TWallpaper::TWallpaper(QWidget* owner)
    : QWidget(owner)
{
    setProperty("ShowHint", true);
    setProperty("ParentShowHint", false);
    watchParent();
    applyAlign();
}

void TWallpaper::setWallpaper(const QImage& picture)
{
    m_wallpaper = picture.copy();
    update();
}

void TWallpaper::setAlign(TAlign value)
{
    m_align = value;
    applyAlign();
}

void TWallpaper::setBevelOuter(TPanelBevel value)
{
    m_bevelOuter = value;
    update();
}

void TWallpaper::setBevelInner(TPanelBevel value)
{
    m_bevelInner = value;
    update();
}

void TWallpaper::setBevelWidth(int value)
{
    m_bevelWidth = qMax(1, value);
    update();
}

void TWallpaper::setBorderWidth(int value)
{
    m_borderWidth = qMax(0, value);
    update();
}

void TWallpaper::setCaption(const QString& value)
{
    m_caption = value;
    update();
}

int TWallpaper::inset() const
{
    return m_borderWidth + (m_bevelOuter != bvNone ? m_bevelWidth : 0) + (m_bevelInner != bvNone ? m_bevelWidth : 0);
}

QRect TWallpaper::innerRect() const
{
    const int i = inset();
    return rect().adjusted(i, i, -i, -i);
}

void TWallpaper::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPalette& pal = palette();
    p.fillRect(rect(), pal.color(QPalette::Window));
    QRect r = rect();
    drawBevel(p, r, m_bevelOuter, m_bevelWidth, pal);
    r.adjust(m_borderWidth, m_borderWidth, -m_borderWidth, -m_borderWidth);
    drawBevel(p, r, m_bevelInner, m_bevelWidth, pal);
    if (!m_caption.isEmpty()) {
        p.setPen(pal.color(QPalette::WindowText));
        p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, m_caption);
    }

    const int pw = m_wallpaper.width(), ph = m_wallpaper.height();
    if (m_wallpaper.isNull() || pw <= 0 || ph <= 0)
        return;
    const QRect inner = innerRect();
    if (inner.width() <= 0 || inner.height() <= 0)
        return;
    // Tiles at inner.topLeft() + (i * pw, j * ph), clipped to the inner
    // rectangle. A texture brush paints exactly those pixels in one pass; a
    // loop of single tiles would take seconds for a one-pixel picture.
    p.save();
    p.setClipRect(inner);
    p.setBrushOrigin(inner.topLeft());
    p.fillRect(inner, QBrush(m_wallpaper));
    p.restore();
}

void TWallpaper::watchParent()
{
    if (m_watchedParent == parentWidget())
        return;
    if (m_watchedParent)
        m_watchedParent->removeEventFilter(this);
    m_watchedParent = parentWidget();
    if (m_watchedParent)
        m_watchedParent->installEventFilter(this);
}

void TWallpaper::applyAlign()
{
    QWidget* parent = parentWidget();
    // A parent with a layout (a main window's central widget) places its
    // children itself; aligning as well would fight it on every resize.
    if (!parent || m_align == alNone || parent->layout())
        return;
    const QRect area = parent->contentsRect();
    QRect g = geometry();
    switch (m_align) {
    case alNone: return;
    case alTop: g = QRect(area.left(), area.top(), area.width(), height()); break;
    case alBottom: g = QRect(area.left(), area.bottom() + 1 - height(), area.width(), height()); break;
    case alLeft: g = QRect(area.left(), area.top(), width(), area.height()); break;
    case alRight: g = QRect(area.right() + 1 - width(), area.top(), width(), area.height()); break;
    case alClient: g = area; break;
    }
    if (g != geometry())
        setGeometry(g);
}

bool TWallpaper::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_watchedParent && event->type() == QEvent::Resize)
        applyAlign();
    return QWidget::eventFilter(watched, event);
}

bool TWallpaper::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::ParentChange) {
        watchParent();
        applyAlign();
    }
    return handled;
}

} // namespace varnex
