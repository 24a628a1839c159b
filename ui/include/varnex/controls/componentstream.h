#pragma once
// Stored components ("TPF0" streams). A stored desktop keeps each of its
// components as one binary stream: "TPF0", a version byte, class name,
// component name, then every stored property as name, type tag and value,
// and a zero byte. Names are a length byte and ASCII; integers are
// little-endian; strings and binaries carry a 32-bit byte count.
//
// Two layers:
//  - StoredComponent / WriteStream / ReadStream: the bytes, with no knowledge
//    of widgets. The reader never trusts a length it has not checked against
//    the bytes that remain, so hostile input ends in an error, not a crash.
//  - ComponentClass / ComponentRegistry: which properties a class stores, how
//    to read and set them on a live object, and their stream defaults. A
//    property equal to its stream default is not written; a property absent
//    from a stream keeps the value the object had at construction.

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <stdexcept>
#include <variant>
#include <vector>

class QImage;
class QMetaObject;
class QObject;
class QWidget;

namespace varnex {

// The version this code writes; the reader accepts 1 up to this one.
inline constexpr int kComponentStreamVersion = 1;
// Bounds the reader enforces whatever the bytes claim.
inline constexpr qsizetype kMaxComponentStreamSize = 64 * 1024 * 1024; // a photograph as wallpaper fits
inline constexpr int kMaxStoredProperties = 4096;
inline constexpr int kMaxListItems = 65536;

enum class StreamType : quint8 {
    Integer = 0x01,     // signed 32-bit
    Boolean = 0x02,     // one byte, 0 or 1
    String = 0x03,      // UTF-8
    Enumeration = 0x04, // identifier of the value, not its number
    Color = 0x05,       // 32-bit ARGB
    Binary = 0x06,      // raw bytes (pictures are PNG)
    IntegerList = 0x07, // signed 32-bit items
    StringList = 0x08,  // UTF-8 items
    Set = 0x09,         // identifiers of the members
};

QString StreamTypeName(StreamType type);

struct Identifier {
    QString name;
    bool operator==(const Identifier&) const = default;
};
struct IdentifierSet {
    QStringList members;
    bool operator==(const IdentifierSet&) const = default;
};

// One value of a stored property. The alternative held decides the type tag.
class StreamValue {
public:
    using Storage =
        std::variant<qint32, bool, QString, Identifier, QColor, QByteArray, QList<qint32>, QStringList, IdentifierSet>;

    StreamValue() = default;
    StreamValue(qint32 v)
        : m_value(v)
    {
    }
    StreamValue(bool v)
        : m_value(v)
    {
    }
    StreamValue(const QString& v)
        : m_value(v)
    {
    }
    StreamValue(const char*) = delete; // say QString or Identifier
    StreamValue(Identifier v)
        : m_value(std::move(v))
    {
    }
    StreamValue(const QColor& v)
        : m_value(v)
    {
    }
    StreamValue(const QByteArray& v)
        : m_value(v)
    {
    }
    StreamValue(const QList<qint32>& v)
        : m_value(v)
    {
    }
    StreamValue(const QStringList& v)
        : m_value(v)
    {
    }
    StreamValue(IdentifierSet v)
        : m_value(std::move(v))
    {
    }

    static StreamValue enumeration(const QString& name) { return StreamValue(Identifier{name}); }
    static StreamValue set(const QStringList& members) { return StreamValue(IdentifierSet{members}); }

    StreamType type() const;
    bool operator==(const StreamValue& other) const;

    qint32 toInt() const { return std::get<qint32>(m_value); }
    bool toBool() const { return std::get<bool>(m_value); }
    const QString& toString() const { return std::get<QString>(m_value); }
    const QString& enumName() const { return std::get<Identifier>(m_value).name; }
    const QColor& toColor() const { return std::get<QColor>(m_value); }
    const QByteArray& toBinary() const { return std::get<QByteArray>(m_value); }
    const QList<qint32>& toIntList() const { return std::get<QList<qint32>>(m_value); }
    const QStringList& toStringList() const { return std::get<QStringList>(m_value); }
    const QStringList& setMembers() const { return std::get<IdentifierSet>(m_value).members; }

    const Storage& storage() const { return m_value; }

private:
    Storage m_value = qint32(0);
};

struct StoredProperty {
    QString name; // may be dotted for a sub-property ("Font.Name")
    StreamValue value;
};

// A component as the stream holds it.
struct StoredComponent {
    QString className;
    QString name;
    QList<StoredProperty> properties;

    const StoredProperty* find(const QString& propertyName) const;
};

// Why a stream could not be read or applied; offset is the byte where the
// reader stopped (-1 when the fault is not about a position).
class ComponentStreamError : public std::runtime_error {
public:
    ComponentStreamError(const QString& message, qsizetype offset = -1);
    const QString& message() const { return m_message; }
    qsizetype offset() const { return m_offset; }

private:
    QString m_message;
    qsizetype m_offset;
};

// Bytes of a component. Throws ComponentStreamError for a name that cannot be
// stored (empty, too long, not an identifier).
QByteArray WriteStream(const StoredComponent& component);
// Parses bytes; throws ComponentStreamError on anything malformed, truncated,
// oversized or trailing.
StoredComponent ReadStream(const QByteArray& bytes);
// Same, without exceptions: nullopt and the reason.
std::optional<StoredComponent> TryReadStream(const QByteArray& bytes, QString* error = nullptr);

// ---------------------------------------------------------------------------
// Classes and their stored properties.

struct PropertyDescriptor {
    QString name;
    StreamType type = StreamType::Integer;
    // Allowed identifiers of an enumeration or set.
    QStringList identifiers;
    // Not written when the value equals it.
    std::optional<StreamValue> streamDefault;
    std::function<StreamValue(const QObject*)> get;
    // Sets the value; returns an empty string or why the value was refused.
    std::function<QString(QObject*, const StreamValue&)> set;
    // Checks a value against the object before anything is applied (so a bad
    // stream changes nothing); empty string when acceptable. Optional.
    std::function<QString(const QObject*, const StreamValue&)> check;
    // Whether the property is written at all for this object (optional).
    std::function<bool(const QObject*)> stored;
};

struct ComponentClass {
    QString className;                               // name written to the stream ("TTransparentButton")
    const QMetaObject* metaObject;                   // objects of this class (or derived) use it
    std::function<QWidget*(QWidget* parent)> create; // for CreateComponent; may be empty
    std::vector<PropertyDescriptor> properties;

    const PropertyDescriptor* find(const QString& propertyName) const;
    void add(PropertyDescriptor descriptor) { properties.push_back(std::move(descriptor)); }
    void add(std::vector<PropertyDescriptor> descriptors);
};

// The classes that can be streamed. The suite's own controls are registered
// on first use; the desktop registers its list boxes and grids.
class ComponentRegistry {
public:
    static ComponentRegistry& instance();

    // Replaces a class of the same name.
    void registerClass(ComponentClass componentClass);
    void unregisterClass(const QString& className);
    const ComponentClass* byName(const QString& className) const;
    // The registered class closest to the object's own class.
    const ComponentClass* forObject(const QObject* object) const;

private:
    ComponentRegistry();
    std::vector<ComponentClass> m_classes;
};

// The stored form of an object (its class must be registered, or given).
StoredComponent CaptureComponent(const QObject* object, const ComponentClass* componentClass = nullptr);
QByteArray WriteComponent(const QObject* object, const ComponentClass* componentClass = nullptr);

// Loads a stream into an existing object of the stream's class: every
// property is checked first, then set; an absent property is left alone. The
// object's name becomes the stored name unless keepName. Throws
// ComponentStreamError (nothing set when a check fails).
void ReadComponent(const QByteArray& bytes, QObject* target, bool keepName = false);
void ApplyComponent(const StoredComponent& stored, QObject* target, bool keepName = false);
// Creates an object of the stream's class under parent and loads it. The
// object is deleted again when loading fails. Throws ComponentStreamError.
QWidget* CreateComponent(const QByteArray& bytes, QWidget* parent);

// Building blocks for class descriptions (the desktop's list boxes and grids
// use the same ones).
namespace stored {

std::vector<PropertyDescriptor> Geometry();                             // Left, Top, Width, Height
PropertyDescriptor Tag();                                               // dynamic property "Tag", default 0
PropertyDescriptor Visible();                                           // default True
PropertyDescriptor Enabled();                                           // default True
PropertyDescriptor ShowHint(std::optional<bool> streamDefault = false); // dynamic property
PropertyDescriptor ParentShowHint();                                    // dynamic property, default True
PropertyDescriptor Hint();                                              // tool tip, default empty
PropertyDescriptor BackgroundColor(const QString& name = QStringLiteral("Color"));
// Font.Name, Font.Size, Font.Color, Font.Style (always written).
std::vector<PropertyDescriptor> Font(const QString& prefix = QStringLiteral("Font"));
// A QGroupBox (or other widget with a "title" property) caption.
PropertyDescriptor Title(const QString& name = QStringLiteral("Caption"));
// Columns.Widths and Columns.Order of a QTableView's horizontal header:
// widths by logical column, logical column at each visual position.
std::vector<PropertyDescriptor> HeaderColumns(const QString& prefix = QStringLiteral("Columns"));
// The document of a QTextEdit as HTML, so formatting survives.
PropertyDescriptor RichText(const QString& name = QStringLiteral("Lines"));

// Typed helpers for a class's own properties.
PropertyDescriptor Boolean(const QString& name, std::optional<bool> streamDefault,
                           std::function<bool(const QObject*)> get, std::function<void(QObject*, bool)> set);
PropertyDescriptor Integer(const QString& name, std::optional<qint32> streamDefault, qint32 min, qint32 max,
                           std::function<qint32(const QObject*)> get, std::function<void(QObject*, qint32)> set);
PropertyDescriptor String(const QString& name, std::optional<QString> streamDefault,
                          std::function<QString(const QObject*)> get,
                          std::function<void(QObject*, const QString&)> set);
PropertyDescriptor Color(const QString& name, std::function<QColor(const QObject*)> get,
                         std::function<void(QObject*, const QColor&)> set);
// Identifiers in the order of their numbers.
PropertyDescriptor Enumeration(const QString& name, const QStringList& identifiers, std::optional<int> streamDefault,
                               std::function<int(const QObject*)> get, std::function<void(QObject*, int)> set);
PropertyDescriptor Picture(const QString& name, std::function<QImage(const QObject*)> get,
                           std::function<void(QObject*, const QImage&)> set);

// A picture as PNG bytes: decoding refuses garbage and huge images.
QString CheckPicture(const QObject*, const StreamValue& value);
QByteArray EncodePicture(const QImage& image);
QImage DecodePicture(const QByteArray& png);

} // namespace stored

} // namespace varnex
