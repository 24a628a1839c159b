// Descriptions of properties that many stored classes share.
#include "varnex/controls/componentstream.h"

#include <QBuffer>
#include <QFont>
#include <QHeaderView>
#include <QImageReader>
#include <QImageWriter>
#include <QTableView>
#include <QTextEdit>
#include <QWidget>

namespace varnex::stored {

namespace {

// Geometry outside this range is refused: a stored desktop never holds it, and
// a widget that large would make painting allocate without bound.
constexpr int kMinCoordinate = -32768;
constexpr int kMaxCoordinate = 32767;
// Large enough for a photograph as wallpaper, small enough that decoding
// stays within the image reader's own allocation limit.
constexpr int kMaxPictureSide = 16384;
constexpr qint64 kMaxPicturePixels = 32LL * 1024 * 1024;

QWidget* widget(QObject* o)
{
    return qobject_cast<QWidget*>(o);
}
const QWidget* widget(const QObject* o)
{
    return qobject_cast<const QWidget*>(o);
}

PropertyDescriptor coordinate(const QString& name, int min, std::function<int(const QWidget*)> get,
                              std::function<void(QWidget*, int)> set)
{
    PropertyDescriptor d;
    d.name = name;
    d.type = StreamType::Integer;
    d.get = [get](const QObject* o) { return StreamValue(qint32(get(widget(o)))); };
    d.check = [min](const QObject* o, const StreamValue& v) {
        if (!widget(o))
            return QStringLiteral("not a widget");
        if (v.toInt() < min || v.toInt() > kMaxCoordinate)
            return QStringLiteral("%1 is out of range").arg(v.toInt());
        return QString();
    };
    d.set = [set](QObject* o, const StreamValue& v) {
        set(widget(o), v.toInt());
        return QString();
    };
    return d;
}

const QStringList& fontStyleNames()
{
    static const QStringList names{QStringLiteral("fsBold"), QStringLiteral("fsItalic"), QStringLiteral("fsUnderline"),
                                   QStringLiteral("fsStrikeOut")};
    return names;
}

} // namespace

std::vector<PropertyDescriptor> Geometry()
{
    return {
        coordinate(
            QStringLiteral("Left"), kMinCoordinate, [](const QWidget* w) { return w->x(); },
            [](QWidget* w, int v) { w->move(v, w->y()); }),
        coordinate(
            QStringLiteral("Top"), kMinCoordinate, [](const QWidget* w) { return w->y(); },
            [](QWidget* w, int v) { w->move(w->x(), v); }),
        coordinate(
            QStringLiteral("Width"), 0, [](const QWidget* w) { return w->width(); },
            [](QWidget* w, int v) { w->resize(v, w->height()); }),
        coordinate(
            QStringLiteral("Height"), 0, [](const QWidget* w) { return w->height(); },
            [](QWidget* w, int v) { w->resize(w->width(), v); }),
    };
}

PropertyDescriptor Tag()
{
    PropertyDescriptor d;
    d.name = QStringLiteral("Tag");
    d.type = StreamType::Integer;
    d.streamDefault = StreamValue(qint32(0));
    d.get = [](const QObject* o) { return StreamValue(qint32(o->property("Tag").toInt())); };
    d.set = [](QObject* o, const StreamValue& v) {
        o->setProperty("Tag", v.toInt());
        return QString();
    };
    return d;
}

PropertyDescriptor Visible()
{
    PropertyDescriptor d;
    d.name = QStringLiteral("Visible");
    d.type = StreamType::Boolean;
    d.streamDefault = StreamValue(true);
    // The widget's own flag: a box on a hidden window is still "visible".
    d.get = [](const QObject* o) { return StreamValue(widget(o) && !widget(o)->isHidden()); };
    d.check = [](const QObject* o, const StreamValue&) {
        return widget(o) ? QString() : QStringLiteral("not a widget");
    };
    d.set = [](QObject* o, const StreamValue& v) {
        widget(o)->setHidden(!v.toBool());
        return QString();
    };
    return d;
}

PropertyDescriptor Enabled()
{
    PropertyDescriptor d;
    d.name = QStringLiteral("Enabled");
    d.type = StreamType::Boolean;
    d.streamDefault = StreamValue(true);
    d.get = [](const QObject* o) { return StreamValue(widget(o) && !widget(o)->testAttribute(Qt::WA_ForceDisabled)); };
    d.check = [](const QObject* o, const StreamValue&) {
        return widget(o) ? QString() : QStringLiteral("not a widget");
    };
    d.set = [](QObject* o, const StreamValue& v) {
        widget(o)->setEnabled(v.toBool());
        return QString();
    };
    return d;
}

namespace {

PropertyDescriptor dynamicBool(const QString& name, std::optional<bool> streamDefault, bool absent)
{
    PropertyDescriptor d;
    d.name = name;
    d.type = StreamType::Boolean;
    if (streamDefault)
        d.streamDefault = StreamValue(*streamDefault);
    const QByteArray key = name.toLatin1();
    d.get = [key, absent](const QObject* o) {
        const QVariant v = o->property(key.constData());
        return StreamValue(v.isValid() ? v.toBool() : absent);
    };
    d.set = [key](QObject* o, const StreamValue& v) {
        o->setProperty(key.constData(), v.toBool());
        return QString();
    };
    return d;
}

} // namespace

PropertyDescriptor ShowHint(std::optional<bool> streamDefault)
{
    return dynamicBool(QStringLiteral("ShowHint"), streamDefault, false);
}

PropertyDescriptor ParentShowHint()
{
    return dynamicBool(QStringLiteral("ParentShowHint"), true, true);
}

PropertyDescriptor Hint()
{
    PropertyDescriptor d;
    d.name = QStringLiteral("Hint");
    d.type = StreamType::String;
    d.streamDefault = StreamValue(QString());
    d.get = [](const QObject* o) { return StreamValue(widget(o) ? widget(o)->toolTip() : QString()); };
    d.check = [](const QObject* o, const StreamValue&) {
        return widget(o) ? QString() : QStringLiteral("not a widget");
    };
    d.set = [](QObject* o, const StreamValue& v) {
        widget(o)->setToolTip(v.toString());
        return QString();
    };
    return d;
}

PropertyDescriptor BackgroundColor(const QString& name)
{
    PropertyDescriptor d;
    d.name = name;
    d.type = StreamType::Color;
    d.get = [](const QObject* o) {
        const QWidget* w = widget(o);
        return StreamValue(w ? w->palette().color(w->backgroundRole()) : QColor());
    };
    d.check = [](const QObject* o, const StreamValue&) {
        return widget(o) ? QString() : QStringLiteral("not a widget");
    };
    d.set = [](QObject* o, const StreamValue& v) {
        QWidget* w = widget(o);
        if (w->palette().color(w->backgroundRole()).rgba() == v.toColor().rgba())
            return QString();
        QPalette p = w->palette();
        p.setColor(w->backgroundRole(), v.toColor());
        w->setPalette(p);
        w->setAutoFillBackground(true);
        return QString();
    };
    return d;
}

std::vector<PropertyDescriptor> Font(const QString& prefix)
{
    auto named = [&](const char* part) { return prefix + QLatin1Char('.') + QLatin1String(part); };
    auto notWidget = [](const QObject* o, const StreamValue&) {
        return widget(o) ? QString() : QStringLiteral("not a widget");
    };
    std::vector<PropertyDescriptor> out(4);

    out[0].name = named("Name");
    out[0].type = StreamType::String;
    out[0].get = [](const QObject* o) { return StreamValue(widget(o)->font().family()); };
    out[0].check = [](const QObject* o, const StreamValue& v) {
        if (!widget(o))
            return QStringLiteral("not a widget");
        return v.toString().size() > 255 ? QStringLiteral("font name too long") : QString();
    };
    out[0].set = [](QObject* o, const StreamValue& v) {
        QFont f = widget(o)->font();
        f.setFamily(v.toString());
        widget(o)->setFont(f);
        return QString();
    };

    out[1].name = named("Size");
    out[1].type = StreamType::Integer;
    out[1].get = [](const QObject* o) {
        const QWidget* w = widget(o);
        const QFont f = w->font();
        int points = f.pointSize();
        if (points <= 0 && f.pixelSize() > 0) // a font sized in pixels is stored in points too
            points = qRound(f.pixelSize() * 72.0 / qMax(1, w->logicalDpiY()));
        return StreamValue(qint32(qBound(1, points, 512)));
    };
    out[1].check = [](const QObject* o, const StreamValue& v) {
        if (!widget(o))
            return QStringLiteral("not a widget");
        return (v.toInt() < 1 || v.toInt() > 512) ? QStringLiteral("font size %1 is out of range").arg(v.toInt())
                                                  : QString();
    };
    out[1].set = [](QObject* o, const StreamValue& v) {
        QFont f = widget(o)->font();
        f.setPointSize(v.toInt());
        widget(o)->setFont(f);
        return QString();
    };

    out[2].name = named("Color");
    out[2].type = StreamType::Color;
    out[2].get = [](const QObject* o) {
        const QWidget* w = widget(o);
        return StreamValue(w->palette().color(w->foregroundRole()));
    };
    out[2].check = notWidget;
    out[2].set = [](QObject* o, const StreamValue& v) {
        QWidget* w = widget(o);
        QPalette p = w->palette();
        p.setColor(w->foregroundRole(), v.toColor());
        p.setColor(QPalette::WindowText, v.toColor());
        w->setPalette(p);
        return QString();
    };

    out[3].name = named("Style");
    out[3].type = StreamType::Set;
    out[3].identifiers = fontStyleNames();
    out[3].get = [](const QObject* o) {
        const QFont f = widget(o)->font();
        QStringList members;
        if (f.bold())
            members << QStringLiteral("fsBold");
        if (f.italic())
            members << QStringLiteral("fsItalic");
        if (f.underline())
            members << QStringLiteral("fsUnderline");
        if (f.strikeOut())
            members << QStringLiteral("fsStrikeOut");
        return StreamValue::set(members);
    };
    out[3].check = notWidget;
    out[3].set = [](QObject* o, const StreamValue& v) {
        QFont f = widget(o)->font();
        const QStringList& m = v.setMembers();
        f.setBold(m.contains(QStringLiteral("fsBold")));
        f.setItalic(m.contains(QStringLiteral("fsItalic")));
        f.setUnderline(m.contains(QStringLiteral("fsUnderline")));
        f.setStrikeOut(m.contains(QStringLiteral("fsStrikeOut")));
        widget(o)->setFont(f);
        return QString();
    };
    // A font is stored only with a widget.
    for (PropertyDescriptor& d : out)
        d.stored = [](const QObject* o) { return widget(o) != nullptr; };
    return out;
}

PropertyDescriptor Title(const QString& name)
{
    PropertyDescriptor d;
    d.name = name;
    d.type = StreamType::String;
    d.get = [](const QObject* o) { return StreamValue(o->property("title").toString()); };
    d.set = [](QObject* o, const StreamValue& v) {
        o->setProperty("title", v.toString());
        return QString();
    };
    return d;
}

std::vector<PropertyDescriptor> HeaderColumns(const QString& prefix)
{
    auto header = [](const QObject* o) -> QHeaderView* {
        const auto* view = qobject_cast<const QTableView*>(o);
        return view ? view->horizontalHeader() : nullptr;
    };
    std::vector<PropertyDescriptor> out(2);

    out[0].name = prefix + QStringLiteral(".Widths");
    out[0].type = StreamType::IntegerList;
    out[0].get = [header](const QObject* o) {
        QList<qint32> widths;
        if (QHeaderView* h = header(o))
            for (int i = 0; i < h->count(); ++i)
                widths.append(h->sectionSize(i));
        return StreamValue(widths);
    };
    out[0].check = [header](const QObject* o, const StreamValue& v) {
        if (!header(o))
            return QStringLiteral("not a table view");
        for (qint32 w : v.toIntList())
            if (w < 0 || w > kMaxCoordinate)
                return QStringLiteral("column width %1 is out of range").arg(w);
        return QString();
    };
    out[0].set = [header](QObject* o, const StreamValue& v) {
        QHeaderView* h = header(o);
        // A grid with fewer columns than stored keeps the widths it can use.
        const QList<qint32>& widths = v.toIntList();
        for (int i = 0; i < h->count() && i < widths.size(); ++i)
            h->resizeSection(i, widths[i]);
        return QString();
    };

    out[1].name = prefix + QStringLiteral(".Order");
    out[1].type = StreamType::IntegerList;
    out[1].get = [header](const QObject* o) {
        QList<qint32> order;
        if (QHeaderView* h = header(o))
            for (int visual = 0; visual < h->count(); ++visual)
                order.append(h->logicalIndex(visual));
        return StreamValue(order);
    };
    out[1].check = [header](const QObject* o, const StreamValue& v) {
        QHeaderView* h = header(o);
        if (!h)
            return QStringLiteral("not a table view");
        const QList<qint32>& order = v.toIntList();
        if (order.size() != h->count())
            return QStringLiteral("%1 columns stored, the grid has %2").arg(order.size()).arg(h->count());
        QList<bool> seen(order.size(), false);
        for (qint32 logical : order) {
            if (logical < 0 || logical >= order.size() || seen[logical])
                return QStringLiteral("the column order is not a permutation");
            seen[logical] = true;
        }
        return QString();
    };
    out[1].set = [header](QObject* o, const StreamValue& v) {
        QHeaderView* h = header(o);
        const QList<qint32>& order = v.toIntList();
        for (int visual = 0; visual < order.size(); ++visual)
            h->moveSection(h->visualIndex(order[visual]), visual);
        return QString();
    };
    return out;
}

PropertyDescriptor RichText(const QString& name)
{
    PropertyDescriptor d;
    d.name = name;
    d.type = StreamType::String;
    d.streamDefault = StreamValue(QString());
    d.get = [](const QObject* o) {
        const auto* edit = qobject_cast<const QTextEdit*>(o);
        if (!edit || edit->document()->isEmpty())
            return StreamValue(QString());
        return StreamValue(edit->toHtml());
    };
    d.check = [](const QObject* o, const StreamValue&) {
        return qobject_cast<const QTextEdit*>(o) ? QString() : QStringLiteral("not a rich-text editor");
    };
    d.set = [](QObject* o, const StreamValue& v) {
        qobject_cast<QTextEdit*>(o)->setHtml(v.toString());
        return QString();
    };
    return d;
}

PropertyDescriptor Boolean(const QString& name, std::optional<bool> streamDefault,
                           std::function<bool(const QObject*)> get, std::function<void(QObject*, bool)> set)
{
    PropertyDescriptor d;
    d.name = name;
    d.type = StreamType::Boolean;
    if (streamDefault)
        d.streamDefault = StreamValue(*streamDefault);
    d.get = [get](const QObject* o) { return StreamValue(get(o)); };
    d.set = [set](QObject* o, const StreamValue& v) {
        set(o, v.toBool());
        return QString();
    };
    return d;
}

PropertyDescriptor Integer(const QString& name, std::optional<qint32> streamDefault, qint32 min, qint32 max,
                           std::function<qint32(const QObject*)> get, std::function<void(QObject*, qint32)> set)
{
    PropertyDescriptor d;
    d.name = name;
    d.type = StreamType::Integer;
    if (streamDefault)
        d.streamDefault = StreamValue(*streamDefault);
    d.get = [get](const QObject* o) { return StreamValue(get(o)); };
    d.check = [min, max](const QObject*, const StreamValue& v) {
        return (v.toInt() < min || v.toInt() > max) ? QStringLiteral("%1 is out of range").arg(v.toInt()) : QString();
    };
    d.set = [set](QObject* o, const StreamValue& v) {
        set(o, v.toInt());
        return QString();
    };
    return d;
}

PropertyDescriptor String(const QString& name, std::optional<QString> streamDefault,
                          std::function<QString(const QObject*)> get, std::function<void(QObject*, const QString&)> set)
{
    PropertyDescriptor d;
    d.name = name;
    d.type = StreamType::String;
    if (streamDefault)
        d.streamDefault = StreamValue(*streamDefault);
    d.get = [get](const QObject* o) { return StreamValue(get(o)); };
    d.set = [set](QObject* o, const StreamValue& v) {
        set(o, v.toString());
        return QString();
    };
    return d;
}

PropertyDescriptor Color(const QString& name, std::function<QColor(const QObject*)> get,
                         std::function<void(QObject*, const QColor&)> set)
{
    PropertyDescriptor d;
    d.name = name;
    d.type = StreamType::Color;
    d.get = [get](const QObject* o) { return StreamValue(get(o)); };
    d.set = [set](QObject* o, const StreamValue& v) {
        set(o, v.toColor());
        return QString();
    };
    return d;
}

PropertyDescriptor Enumeration(const QString& name, const QStringList& identifiers, std::optional<int> streamDefault,
                               std::function<int(const QObject*)> get, std::function<void(QObject*, int)> set)
{
    PropertyDescriptor d;
    d.name = name;
    d.type = StreamType::Enumeration;
    d.identifiers = identifiers;
    if (streamDefault)
        d.streamDefault = StreamValue::enumeration(identifiers.value(*streamDefault));
    d.get = [get, identifiers](const QObject* o) { return StreamValue::enumeration(identifiers.value(get(o))); };
    d.set = [set, identifiers](QObject* o, const StreamValue& v) {
        set(o, int(identifiers.indexOf(v.enumName())));
        return QString();
    };
    return d;
}

PropertyDescriptor Picture(const QString& name, std::function<QImage(const QObject*)> get,
                           std::function<void(QObject*, const QImage&)> set)
{
    PropertyDescriptor d;
    d.name = name;
    d.type = StreamType::Binary;
    d.streamDefault = StreamValue(QByteArray());
    d.get = [get](const QObject* o) { return StreamValue(EncodePicture(get(o))); };
    d.check = CheckPicture;
    d.set = [set](QObject* o, const StreamValue& v) {
        const QImage image = DecodePicture(v.toBinary());
        if (image.isNull() && !v.toBinary().isEmpty())
            return QStringLiteral("the picture cannot be read");
        set(o, image);
        return QString();
    };
    return d;
}

QByteArray EncodePicture(const QImage& image)
{
    if (image.isNull())
        return QByteArray();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.write(image);
    return bytes;
}

QImage DecodePicture(const QByteArray& png)
{
    if (png.isEmpty())
        return QImage();
    QBuffer buffer;
    buffer.setData(png);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size();
    // The header's size is checked before any pixel memory is taken.
    if (!size.isValid() || size.width() > kMaxPictureSide || size.height() > kMaxPictureSide
        || qint64(size.width()) * size.height() > kMaxPicturePixels)
        return QImage();
    return reader.read();
}

QString CheckPicture(const QObject*, const StreamValue& value)
{
    if (value.toBinary().isEmpty())
        return QString();
    if (DecodePicture(value.toBinary()).isNull())
        return QStringLiteral("the picture is not a PNG image of at most %1 pixels a side and %2 megapixels")
            .arg(kMaxPictureSide)
            .arg(kMaxPicturePixels / (1024 * 1024));
    return QString();
}

} // namespace varnex::stored
