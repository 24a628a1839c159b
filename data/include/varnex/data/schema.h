#pragma once
// Table definitions: fields in order with their types and sizes, and the key
// orders. The catalogue declares every table of the system and company folders
// once, here in code; the engine creates tables from these definitions.

#include <QList>
#include <QString>
#include <QStringList>

namespace varnex::data {

enum class FieldType {
    Text,          // text(n): at most n characters (20 when not stated)
    ShortInteger,  // 16-bit signed
    Integer,       // 32-bit signed
    Number,        // double
    Money,         // exact, four decimals (varnex::Currency)
    Logical,
    Date,
    Time,
    Timestamp,
    AutoIncrement, // 32-bit, assigned on insert
    Memo,
    Bytes,         // exactly n bytes
    Binary,        // raw bytes of any length
};

struct FieldDef {
    QString name;
    FieldType type = FieldType::Text;
    int size = 0; // text(n), bytes(n), memo(n); 0 otherwise
};

struct IndexDef {
    QString name;        // empty for the primary key
    QStringList fields;  // in key order
    bool primary = false;
    bool unique = false;
};

// Which folder a table lives in.
enum class Folder {
    System,  // the data root: comp, user, Desktop, Languages, apps, session, virmem
    Company, // the company folder: data root + company number
    Languages, // the languages folder beside the program folder
};

struct TableDef {
    QString name;
    Folder folder = Folder::Company;
    QList<FieldDef> fields;
    QList<IndexDef> indexes;
    // A per-session work table whose real name is `name` + session number.
    bool perSession = false;

    const FieldDef* field(const QString& fieldName) const; // case-insensitive
    const IndexDef* primaryKey() const;
};

// Every table of the catalogue, in a stable order.
const QList<TableDef>& Catalogue();
// Finds a table by name: case-insensitive, ".db" suffix ignored, and a
// per-session work table also under its name followed by digits.
const TableDef* FindTableDef(const QString& name);
QList<const TableDef*> TablesOfFolder(Folder folder);

} // namespace varnex::data
