// The stored forms of the suite's own controls. Stream defaults are those the
// stored desktops were written with; several differ from the values a control
// has at construction, and reading relies on exactly that difference.
#include "varnex/controls/componentstream.h"
#include "varnex/controls/maskedit.h"
#include "varnex/controls/transparentbutton.h"
#include "varnex/controls/wallpaper.h"

namespace varnex {

namespace {

template <typename T>
T* as(QObject* o)
{
    return qobject_cast<T*>(o);
}
template <typename T>
const T* as(const QObject* o)
{
    return qobject_cast<const T*>(o);
}

// Function-local, so a registry built during another file's static
// initialisation still finds them constructed.
const QStringList& frameStyles()
{
    static const QStringList names{
        QStringLiteral("fsRegular"), QStringLiteral("fsIndent"), QStringLiteral("fsExplorer"), QStringLiteral("fsNone"),
        QStringLiteral("fsLight"),   QStringLiteral("fsDark"),   QStringLiteral("fsMono")};
    return names;
}
const QStringList& textAligns()
{
    static const QStringList names{
        QStringLiteral("ttaTopLeft"),    QStringLiteral("ttaTop"),         QStringLiteral("ttaTopRight"),
        QStringLiteral("ttaRight"),      QStringLiteral("ttaBottomRight"), QStringLiteral("ttaBottom"),
        QStringLiteral("ttaBottomLeft"), QStringLiteral("ttaLeft"),        QStringLiteral("ttaCenter")};
    return names;
}
const QStringList& aligns()
{
    static const QStringList names{QStringLiteral("alNone"), QStringLiteral("alTop"),   QStringLiteral("alBottom"),
                                   QStringLiteral("alLeft"), QStringLiteral("alRight"), QStringLiteral("alClient")};
    return names;
}
const QStringList& bevels()
{
    static const QStringList names{QStringLiteral("bvNone"), QStringLiteral("bvLowered"), QStringLiteral("bvRaised"),
                                   QStringLiteral("bvSpace")};
    return names;
}

ComponentClass buttonClass()
{
    using B = TTransparentButton;
    ComponentClass c;
    c.className = QStringLiteral("TTransparentButton");
    c.metaObject = &B::staticMetaObject;
    c.create = [](QWidget* parent) -> QWidget* { return new B(parent); };
    c.add(stored::Geometry());
    c.add(stored::Tag());
    c.add(stored::Boolean(
        QStringLiteral("AutoGray"), true, [](const QObject* o) { return as<B>(o)->AutoGray(); },
        [](QObject* o, bool v) { as<B>(o)->setAutoGray(v); }));
    c.add(stored::Integer(
        QStringLiteral("BorderWidth"), 1, 0, 1000, [](const QObject* o) { return qint32(as<B>(o)->BorderWidth()); },
        [](QObject* o, qint32 v) { as<B>(o)->setBorderWidth(v); }));
    c.add(stored::String(
        QStringLiteral("Caption"), std::nullopt, [](const QObject* o) { return as<B>(o)->Caption(); },
        [](QObject* o, const QString& v) { as<B>(o)->setCaption(v); }));
    c.add(stored::Boolean(
        QStringLiteral("Down"), false, [](const QObject* o) { return as<B>(o)->Down(); },
        [](QObject* o, bool v) { as<B>(o)->setDown(v); }));
    c.add(stored::Enabled());
    c.add(stored::Font());
    c.add(stored::Enumeration(
        QStringLiteral("FrameStyle"), frameStyles(), fsExplorer,
        [](const QObject* o) { return int(as<B>(o)->FrameStyle()); },
        [](QObject* o, int v) { as<B>(o)->setFrameStyle(TFrameStyle(v)); }));
    c.add(stored::Picture(
        QStringLiteral("Glyph"), [](const QObject* o) { return as<B>(o)->Glyph(); },
        [](QObject* o, const QImage& v) { as<B>(o)->setGlyph(v); }));
    c.add(stored::Integer(
        QStringLiteral("NumGlyphs"), 1, 1, 4, [](const QObject* o) { return qint32(as<B>(o)->NumGlyphs()); },
        [](QObject* o, qint32 v) { as<B>(o)->setNumGlyphs(v); }));
    c.add(stored::ParentShowHint());
    c.add(stored::ShowHint());
    c.add(stored::Hint());
    c.add(stored::Boolean(
        QStringLiteral("ShowPressed"), true, [](const QObject* o) { return as<B>(o)->ShowPressed(); },
        [](QObject* o, bool v) { as<B>(o)->setShowPressed(v); }));
    c.add(stored::Integer(
        QStringLiteral("Spacing"), 2, -1000, 1000, [](const QObject* o) { return qint32(as<B>(o)->Spacing()); },
        [](QObject* o, qint32 v) { as<B>(o)->setSpacing(v); }));
    c.add(stored::Enumeration(
        QStringLiteral("TextAlign"), textAligns(), ttaCenter,
        [](const QObject* o) { return int(as<B>(o)->TextAlign()); },
        [](QObject* o, int v) { as<B>(o)->setTextAlign(TTextAlign(v)); }));
    c.add(stored::Boolean(
        QStringLiteral("Transparent"), true, [](const QObject* o) { return as<B>(o)->Transparent(); },
        [](QObject* o, bool v) { as<B>(o)->setTransparent(v); }));
    c.add(stored::Boolean(
        QStringLiteral("WordWrap"), false, [](const QObject* o) { return as<B>(o)->WordWrap(); },
        [](QObject* o, bool v) { as<B>(o)->setWordWrap(v); }));
    c.add(stored::Boolean(
        QStringLiteral("Movable"), false, [](const QObject* o) { return as<B>(o)->Movable(); },
        [](QObject* o, bool v) { as<B>(o)->setMovable(v); }));
    c.add(stored::Visible());
    return c;
}

ComponentClass wallpaperClass()
{
    using W = TWallpaper;
    ComponentClass c;
    c.className = QStringLiteral("TWallpaper");
    c.metaObject = &W::staticMetaObject;
    c.create = [](QWidget* parent) -> QWidget* { return new W(parent); };
    // Align first: it may move and size the panel, and stored geometry wins.
    c.add(stored::Enumeration(
        QStringLiteral("Align"), aligns(), alNone, [](const QObject* o) { return int(as<W>(o)->Align()); },
        [](QObject* o, int v) { as<W>(o)->setAlign(TAlign(v)); }));
    c.add(stored::Geometry());
    c.add(stored::Tag());
    c.add(stored::Enumeration(
        QStringLiteral("BevelInner"), bevels(), bvNone, [](const QObject* o) { return int(as<W>(o)->BevelInner()); },
        [](QObject* o, int v) { as<W>(o)->setBevelInner(TPanelBevel(v)); }));
    c.add(stored::Enumeration(
        QStringLiteral("BevelOuter"), bevels(), bvRaised, [](const QObject* o) { return int(as<W>(o)->BevelOuter()); },
        [](QObject* o, int v) { as<W>(o)->setBevelOuter(TPanelBevel(v)); }));
    c.add(stored::Integer(
        QStringLiteral("BevelWidth"), 1, 1, 1000, [](const QObject* o) { return qint32(as<W>(o)->BevelWidth()); },
        [](QObject* o, qint32 v) { as<W>(o)->setBevelWidth(v); }));
    c.add(stored::Integer(
        QStringLiteral("BorderWidth"), 0, 0, 1000, [](const QObject* o) { return qint32(as<W>(o)->BorderWidth()); },
        [](QObject* o, qint32 v) { as<W>(o)->setBorderWidth(v); }));
    c.add(stored::String(
        QStringLiteral("Caption"), QString(), [](const QObject* o) { return as<W>(o)->Caption(); },
        [](QObject* o, const QString& v) { as<W>(o)->setCaption(v); }));
    c.add(stored::BackgroundColor());
    c.add(stored::Font());
    c.add(stored::Boolean(
        QStringLiteral("Locked"), false, [](const QObject* o) { return as<W>(o)->Locked(); },
        [](QObject* o, bool v) { as<W>(o)->setLocked(v); }));
    c.add(stored::ParentShowHint());
    c.add(stored::ShowHint());
    c.add(stored::Hint());
    c.add(stored::Visible());
    c.add(stored::Picture(
        QStringLiteral("Wallpaper"), [](const QObject* o) { return as<W>(o)->Wallpaper(); },
        [](QObject* o, const QImage& v) { as<W>(o)->setWallpaper(v); }));
    return c;
}

ComponentClass maskEditClass()
{
    using M = TVarnexMaskEdit;
    ComponentClass c;
    c.className = QStringLiteral("TVarnexMaskEdit");
    c.metaObject = &M::staticMetaObject;
    c.create = [](QWidget* parent) -> QWidget* { return new M(parent); };
    c.add(stored::Geometry());
    c.add(stored::Tag());
    c.add(stored::BackgroundColor());
    c.add(stored::Font());
    // The mask before the text, so the text is read into it.
    c.add(stored::String(
        QStringLiteral("EditMask"), QString(), [](const QObject* o) { return as<M>(o)->EditMask(); },
        [](QObject* o, const QString& v) { as<M>(o)->setEditMask(v); }));
    PropertyDescriptor maxLength = stored::Integer(
        QStringLiteral("MaxLength"), 0, 0, 32767,
        [](const QObject* o) { return qint32(as<M>(o)->maxLength() >= 32767 ? 0 : as<M>(o)->maxLength()); },
        [](QObject* o, qint32 v) { as<M>(o)->setMaxLength(v == 0 ? 32767 : v); });
    maxLength.stored = [](const QObject* o) { return !as<M>(o)->isMasked(); }; // the mask fixes it
    c.add(std::move(maxLength));
    c.add(stored::Boolean(
        QStringLiteral("ReadOnly"), false, [](const QObject* o) { return as<M>(o)->isReadOnly(); },
        [](QObject* o, bool v) { as<M>(o)->setReadOnly(v); }));
    c.add(stored::String(
        QStringLiteral("Text"), QString(), [](const QObject* o) { return as<M>(o)->Text(); },
        [](QObject* o, const QString& v) { as<M>(o)->setText(v); }));
    c.add(stored::Color(
        QStringLiteral("OnEnterColor"), [](const QObject* o) { return as<M>(o)->OnEnterColor(); },
        [](QObject* o, const QColor& v) { as<M>(o)->setOnEnterColor(v); }));
    c.add(stored::Color(
        QStringLiteral("OnExitColor"), [](const QObject* o) { return as<M>(o)->OnExitColor(); },
        [](QObject* o, const QColor& v) { as<M>(o)->setOnExitColor(v); }));
    c.add(stored::Enabled());
    c.add(stored::Visible());
    return c;
}

} // namespace

void RegisterSuiteControls(ComponentRegistry& registry)
{
    registry.registerClass(buttonClass());
    registry.registerClass(wallpaperClass());
    registry.registerClass(maskEditClass());
}

} // namespace varnex
