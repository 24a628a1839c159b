#include "varnex/controls/componentstream.h"

#include <QMetaObject>
#include <QObject>
#include <QSet>
#include <QStringDecoder>
#include <QWidget>

#include <cstring>
#include <memory>

namespace varnex {

void RegisterSuiteControls(ComponentRegistry& registry); // suiteclasses.cpp

namespace {

constexpr char kSignature[4] = {'T', 'P', 'F', '0'};
constexpr int kMaxNameLength = 255;
constexpr int kMaxSetMembers = 255;

bool isIdentifier(const QString& name, bool dotted)
{
    if (name.isEmpty() || name.size() > kMaxNameLength)
        return false;
    bool atStart = true;
    for (QChar c : name) {
        const ushort u = c.unicode();
        const bool letter = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_';
        const bool digit = u >= '0' && u <= '9';
        if (dotted && u == '.') {
            if (atStart)
                return false;
            atStart = true;
            continue;
        }
        if (atStart ? !letter : !(letter || digit))
            return false;
        atStart = false;
    }
    return !atStart;
}

// ---------------------------------------------------------------------------
// Writing

class Writer {
public:
    void raw(const char* data, qsizetype size) { m_bytes.append(data, size); }
    void u8(quint8 v) { m_bytes.append(char(v)); }
    void u32(quint32 v)
    {
        for (int i = 0; i < 4; ++i)
            m_bytes.append(char((v >> (8 * i)) & 0xFF));
    }
    void i32(qint32 v) { u32(quint32(v)); }
    void name(const QString& n, bool allowEmpty, bool dotted, const char* what)
    {
        if (!(allowEmpty && n.isEmpty()) && !isIdentifier(n, dotted))
            throw ComponentStreamError(
                QStringLiteral("Cannot store the %1 \"%2\": not an identifier of 1 to 255 characters.")
                    .arg(QLatin1String(what), n));
        const QByteArray latin = n.toLatin1();
        u8(quint8(latin.size()));
        m_bytes.append(latin);
    }
    void blob(const QByteArray& b)
    {
        u32(quint32(b.size()));
        m_bytes.append(b);
    }
    void string(const QString& s) { blob(s.toUtf8()); }
    QByteArray take() { return std::move(m_bytes); }
    qsizetype size() const { return m_bytes.size(); }

private:
    QByteArray m_bytes;
};

void writeValue(Writer& w, const StreamValue& value)
{
    w.u8(quint8(value.type()));
    switch (value.type()) {
    case StreamType::Integer: w.i32(value.toInt()); break;
    case StreamType::Boolean: w.u8(value.toBool() ? 1 : 0); break;
    case StreamType::String: w.string(value.toString()); break;
    case StreamType::Enumeration: w.name(value.enumName(), false, false, "enumeration value"); break;
    case StreamType::Color: w.u32(value.toColor().rgba()); break;
    case StreamType::Binary: w.blob(value.toBinary()); break;
    case StreamType::IntegerList:
        if (value.toIntList().size() > kMaxListItems)
            throw ComponentStreamError(QStringLiteral("Too many items in a list."));
        w.u32(quint32(value.toIntList().size()));
        for (qint32 v : value.toIntList())
            w.i32(v);
        break;
    case StreamType::StringList:
        if (value.toStringList().size() > kMaxListItems)
            throw ComponentStreamError(QStringLiteral("Too many items in a list."));
        w.u32(quint32(value.toStringList().size()));
        for (const QString& s : value.toStringList())
            w.string(s);
        break;
    case StreamType::Set:
        if (value.setMembers().size() > kMaxSetMembers)
            throw ComponentStreamError(QStringLiteral("Too many members in a set."));
        w.u8(quint8(value.setMembers().size()));
        for (const QString& m : value.setMembers())
            w.name(m, false, false, "set member");
        break;
    }
}

// ---------------------------------------------------------------------------
// Reading: every length is checked against what remains before anything is
// allocated, so the largest allocation is bounded by the input's own size.

class Reader {
public:
    explicit Reader(const QByteArray& bytes)
        : m_bytes(bytes)
    {
    }

    [[noreturn]] void fail(const QString& message) const { throw ComponentStreamError(message, m_pos); }

    qsizetype remaining() const { return m_bytes.size() - m_pos; }
    qsizetype pos() const { return m_pos; }
    bool atEnd() const { return m_pos >= m_bytes.size(); }

    void need(qsizetype n, const char* what) const
    {
        if (n < 0 || n > remaining())
            fail(QStringLiteral("The stream ends inside %1.").arg(QLatin1String(what)));
    }
    quint8 u8(const char* what)
    {
        need(1, what);
        return quint8(m_bytes[m_pos++]);
    }
    quint32 u32(const char* what)
    {
        need(4, what);
        quint32 v = 0;
        for (int i = 0; i < 4; ++i)
            v |= quint32(quint8(m_bytes[m_pos + i])) << (8 * i);
        m_pos += 4;
        return v;
    }
    qint32 i32(const char* what) { return qint32(u32(what)); }
    QByteArray bytes(qsizetype n, const char* what)
    {
        need(n, what);
        QByteArray out = m_bytes.mid(m_pos, n);
        m_pos += n;
        return out;
    }
    QString name(bool allowEmpty, bool dotted, const char* what)
    {
        const qsizetype start = m_pos;
        const int length = u8(what);
        const QByteArray raw = bytes(length, what);
        const QString n = QString::fromLatin1(raw);
        if (allowEmpty && n.isEmpty())
            return n;
        if (!isIdentifier(n, dotted)) {
            m_pos = start;
            fail(QStringLiteral("Invalid %1 in the stream.").arg(QLatin1String(what)));
        }
        return n;
    }
    QString string(const char* what)
    {
        const quint32 length = u32(what);
        const QByteArray raw = bytes(qsizetype(length), what);
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = decoder(raw);
        if (decoder.hasError())
            fail(QStringLiteral("Text of %1 is not valid UTF-8.").arg(QLatin1String(what)));
        return text;
    }
    // A count of items each at least minItemSize bytes long.
    qsizetype count(quint32 raw, qsizetype minItemSize, qsizetype limit, const char* what) const
    {
        if (qint64(raw) > limit)
            fail(QStringLiteral("Too many items in %1.").arg(QLatin1String(what)));
        if (qint64(raw) * minItemSize > remaining())
            fail(QStringLiteral("The stream ends inside %1.").arg(QLatin1String(what)));
        return qsizetype(raw);
    }

private:
    const QByteArray& m_bytes;
    qsizetype m_pos = 0;
};

StreamValue readValue(Reader& r)
{
    const quint8 tag = r.u8("a type tag");
    switch (StreamType(tag)) {
    case StreamType::Integer: return StreamValue(r.i32("an integer"));
    case StreamType::Boolean: {
        const quint8 b = r.u8("a boolean");
        if (b > 1)
            r.fail(QStringLiteral("A boolean holds %1 instead of 0 or 1.").arg(b));
        return StreamValue(b == 1);
    }
    case StreamType::String: return StreamValue(r.string("a string"));
    case StreamType::Enumeration: return StreamValue::enumeration(r.name(false, false, "enumeration value"));
    case StreamType::Color: return StreamValue(QColor::fromRgba(r.u32("a colour")));
    case StreamType::Binary: {
        const quint32 length = r.u32("binary data");
        return StreamValue(r.bytes(qsizetype(length), "binary data"));
    }
    case StreamType::IntegerList: {
        const qsizetype n = r.count(r.u32("a list"), 4, kMaxListItems, "an integer list");
        QList<qint32> items;
        items.reserve(n);
        for (qsizetype i = 0; i < n; ++i)
            items.append(r.i32("an integer list"));
        return StreamValue(items);
    }
    case StreamType::StringList: {
        const qsizetype n = r.count(r.u32("a list"), 4, kMaxListItems, "a string list");
        QStringList items;
        items.reserve(n);
        for (qsizetype i = 0; i < n; ++i)
            items.append(r.string("a string list"));
        return StreamValue(items);
    }
    case StreamType::Set: {
        const qsizetype n = r.count(r.u8("a set"), 2, kMaxSetMembers, "a set");
        QStringList members;
        for (qsizetype i = 0; i < n; ++i)
            members.append(r.name(false, false, "set member"));
        return StreamValue::set(members);
    }
    }
    r.fail(QStringLiteral("Unknown type tag %1.").arg(tag));
}

StoredComponent parse(const QByteArray& bytes)
{
    Reader r(bytes);
    if (bytes.size() > kMaxComponentStreamSize)
        r.fail(QStringLiteral("The stream is larger than %1 bytes.").arg(kMaxComponentStreamSize));
    r.need(4, "the signature");
    if (std::memcmp(bytes.constData(), kSignature, 4) != 0)
        r.fail(QStringLiteral("The data is not a stored component (no \"TPF0\" signature)."));
    r.bytes(4, "the signature");
    const int version = r.u8("the version");
    if (version < 1 || version > kComponentStreamVersion)
        r.fail(QStringLiteral("Stored component version %1 is not supported.").arg(version));

    StoredComponent out;
    out.className = r.name(false, false, "class name");
    out.name = r.name(true, false, "component name");
    QSet<QString> seen;
    for (;;) {
        const QString propertyName = r.name(true, true, "property name");
        if (propertyName.isEmpty())
            break;
        if (out.properties.size() >= kMaxStoredProperties)
            r.fail(QStringLiteral("Too many properties."));
        if (seen.contains(propertyName))
            r.fail(QStringLiteral("Property %1 is stored twice.").arg(propertyName));
        seen.insert(propertyName);
        out.properties.append(StoredProperty{propertyName, readValue(r)});
    }
    if (!r.atEnd())
        r.fail(QStringLiteral("Unexpected data after the end of the component."));
    return out;
}

} // namespace

// ---------------------------------------------------------------------------

QString StreamTypeName(StreamType type)
{
    switch (type) {
    case StreamType::Integer: return QStringLiteral("integer");
    case StreamType::Boolean: return QStringLiteral("boolean");
    case StreamType::String: return QStringLiteral("string");
    case StreamType::Enumeration: return QStringLiteral("enumeration");
    case StreamType::Color: return QStringLiteral("colour");
    case StreamType::Binary: return QStringLiteral("binary");
    case StreamType::IntegerList: return QStringLiteral("integer list");
    case StreamType::StringList: return QStringLiteral("string list");
    case StreamType::Set: return QStringLiteral("set");
    }
    return QStringLiteral("unknown");
}

StreamType StreamValue::type() const
{
    static constexpr StreamType byIndex[] = {StreamType::Integer,     StreamType::Boolean,    StreamType::String,
                                             StreamType::Enumeration, StreamType::Color,      StreamType::Binary,
                                             StreamType::IntegerList, StreamType::StringList, StreamType::Set};
    return byIndex[m_value.index()];
}

bool StreamValue::operator==(const StreamValue& other) const
{
    if (m_value.index() != other.m_value.index())
        return false;
    if (type() == StreamType::Color) // compare what is stored, not how QColor holds it
        return toColor().rgba() == other.toColor().rgba();
    return m_value == other.m_value;
}

const StoredProperty* StoredComponent::find(const QString& propertyName) const
{
    for (const StoredProperty& p : properties)
        if (p.name == propertyName)
            return &p;
    return nullptr;
}

ComponentStreamError::ComponentStreamError(const QString& message, qsizetype offset)
    : std::runtime_error(message.toStdString())
    , m_message(message)
    , m_offset(offset)
{
}

QByteArray WriteStream(const StoredComponent& component)
{
    if (component.properties.size() > kMaxStoredProperties)
        throw ComponentStreamError(QStringLiteral("Too many properties."));
    Writer w;
    w.raw(kSignature, 4);
    w.u8(quint8(kComponentStreamVersion));
    w.name(component.className, false, false, "class name");
    w.name(component.name, true, false, "component name");
    QSet<QString> seen;
    for (const StoredProperty& p : component.properties) {
        if (seen.contains(p.name))
            throw ComponentStreamError(QStringLiteral("Property %1 is given twice.").arg(p.name));
        seen.insert(p.name);
        w.name(p.name, false, true, "property name");
        writeValue(w, p.value);
    }
    w.u8(0);
    if (w.size() > kMaxComponentStreamSize)
        throw ComponentStreamError(
            QStringLiteral("The component is larger than %1 bytes.").arg(kMaxComponentStreamSize));
    return w.take();
}

StoredComponent ReadStream(const QByteArray& bytes)
{
    return parse(bytes);
}

std::optional<StoredComponent> TryReadStream(const QByteArray& bytes, QString* error)
{
    try {
        return parse(bytes);
    } catch (const ComponentStreamError& e) {
        if (error)
            *error = e.message();
    }
    return std::nullopt;
}

// ---------------------------------------------------------------------------
// Registry

const PropertyDescriptor* ComponentClass::find(const QString& propertyName) const
{
    for (const PropertyDescriptor& d : properties)
        if (d.name == propertyName)
            return &d;
    return nullptr;
}

void ComponentClass::add(std::vector<PropertyDescriptor> descriptors)
{
    for (PropertyDescriptor& d : descriptors)
        properties.push_back(std::move(d));
}

ComponentRegistry::ComponentRegistry()
{
    RegisterSuiteControls(*this);
}

ComponentRegistry& ComponentRegistry::instance()
{
    static ComponentRegistry registry;
    return registry;
}

void ComponentRegistry::registerClass(ComponentClass componentClass)
{
    for (ComponentClass& existing : m_classes) {
        if (existing.className == componentClass.className) {
            existing = std::move(componentClass);
            return;
        }
    }
    m_classes.push_back(std::move(componentClass));
}

void ComponentRegistry::unregisterClass(const QString& className)
{
    std::erase_if(m_classes, [&](const ComponentClass& c) { return c.className == className; });
}

const ComponentClass* ComponentRegistry::byName(const QString& className) const
{
    for (const ComponentClass& c : m_classes)
        if (c.className == className)
            return &c;
    return nullptr;
}

const ComponentClass* ComponentRegistry::forObject(const QObject* object) const
{
    if (!object)
        return nullptr;
    for (const QMetaObject* meta = object->metaObject(); meta; meta = meta->superClass())
        for (const ComponentClass& c : m_classes)
            if (c.metaObject == meta)
                return &c;
    return nullptr;
}

StoredComponent CaptureComponent(const QObject* object, const ComponentClass* componentClass)
{
    if (!object)
        throw ComponentStreamError(QStringLiteral("No component to store."));
    if (!componentClass)
        componentClass = ComponentRegistry::instance().forObject(object);
    if (!componentClass)
        throw ComponentStreamError(QStringLiteral("No stored form is known for class %1.")
                                       .arg(QLatin1String(object->metaObject()->className())));
    StoredComponent out;
    out.className = componentClass->className;
    out.name = object->objectName();
    for (const PropertyDescriptor& d : componentClass->properties) {
        if (d.stored && !d.stored(object))
            continue;
        StreamValue value = d.get(object);
        if (d.streamDefault && value == *d.streamDefault)
            continue;
        // Never write what the reader would refuse: the desktop would be lost
        // at the next login instead of failing now.
        if (d.check) {
            const QString why = d.check(object, value);
            if (!why.isEmpty())
                throw ComponentStreamError(QStringLiteral("Cannot store property %1: %2").arg(d.name, why));
        }
        out.properties.append(StoredProperty{d.name, std::move(value)});
    }
    return out;
}

QByteArray WriteComponent(const QObject* object, const ComponentClass* componentClass)
{
    return WriteStream(CaptureComponent(object, componentClass));
}

void ApplyComponent(const StoredComponent& stored, QObject* target, bool keepName)
{
    if (!target)
        throw ComponentStreamError(QStringLiteral("No component to load into."));
    const ComponentClass* cls = ComponentRegistry::instance().forObject(target);
    if (!cls)
        throw ComponentStreamError(QStringLiteral("No stored form is known for class %1.")
                                       .arg(QLatin1String(target->metaObject()->className())));
    if (cls->className != stored.className)
        throw ComponentStreamError(
            QStringLiteral("The stream holds a %1, not a %2.").arg(stored.className, cls->className));

    std::vector<std::pair<const PropertyDescriptor*, const StreamValue*>> plan;
    for (const StoredProperty& p : stored.properties) {
        const PropertyDescriptor* d = cls->find(p.name);
        if (!d)
            throw ComponentStreamError(
                QStringLiteral("Class %1 has no stored property %2.").arg(cls->className, p.name));
        if (p.value.type() != d->type)
            throw ComponentStreamError(QStringLiteral("Property %1 holds a %2 instead of a %3.")
                                           .arg(p.name, StreamTypeName(p.value.type()), StreamTypeName(d->type)));
        if (d->type == StreamType::Enumeration && !d->identifiers.contains(p.value.enumName()))
            throw ComponentStreamError(
                QStringLiteral("%1 is not a value of property %2.").arg(p.value.enumName(), p.name));
        if (d->type == StreamType::Set) {
            for (const QString& m : p.value.setMembers())
                if (!d->identifiers.contains(m))
                    throw ComponentStreamError(QStringLiteral("%1 is not a member of property %2.").arg(m, p.name));
        }
        if (d->check) {
            const QString why = d->check(target, p.value);
            if (!why.isEmpty())
                throw ComponentStreamError(QStringLiteral("Property %1: %2").arg(p.name, why));
        }
        plan.emplace_back(d, &p.value);
    }
    if (!keepName)
        target->setObjectName(stored.name);
    for (const auto& [d, value] : plan) {
        const QString why = d->set(target, *value);
        if (!why.isEmpty())
            throw ComponentStreamError(QStringLiteral("Property %1: %2").arg(d->name, why));
    }
}

void ReadComponent(const QByteArray& bytes, QObject* target, bool keepName)
{
    ApplyComponent(ReadStream(bytes), target, keepName);
}

QWidget* CreateComponent(const QByteArray& bytes, QWidget* parent)
{
    const StoredComponent stored = ReadStream(bytes);
    const ComponentClass* cls = ComponentRegistry::instance().byName(stored.className);
    if (!cls || !cls->create)
        throw ComponentStreamError(QStringLiteral("Components of class %1 cannot be created.").arg(stored.className));
    std::unique_ptr<QWidget> widget(cls->create(parent));
    if (!widget)
        throw ComponentStreamError(QStringLiteral("Components of class %1 cannot be created.").arg(stored.className));
    ApplyComponent(stored, widget.get());
    return widget.release(); // owned by parent from here on
}

} // namespace varnex
