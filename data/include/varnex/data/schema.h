#pragma once
// Table definitions: fields in order with their types and sizes, and the key
// orders. The catalogue declares every table of the system and company folders
// once, here in code; the engine creates tables from these definitions.

#include <QList>
#include <QString>
#include <QStringList>

namespace varnex::data {

enum class FieldType {
    Text,         // text(n): at most n characters (20 when not stated)
    ShortInteger, // 16-bit signed
    Integer,      // 32-bit signed
    Number,       // double
    Money,        // exact, four decimals (varnex::Currency)
    Logical,
    Date,
    Time,
    Timestamp,
    AutoIncrement, // 32-bit, assigned on insert
    Memo,
    Bytes,  // exactly n bytes
    Binary, // raw bytes of any length
};

struct FieldDef {
    QString name;
    FieldType type = FieldType::Text;
    int size = 0; // text(n), bytes(n), memo(n); 0 otherwise
};

struct IndexDef {
    QString name;       // empty for the primary key
    QStringList fields; // in key order
    bool primary = false;
    bool unique = false;
};

// Which folder a table lives in.
enum class Folder {
    System,    // the data root: comp, user, Desktop, Languages, apps, session, virmem
    Company,   // the company folder: data root + company number
    Languages, // the languages folder beside the program folder
};

struct TableDef {
    QString name;
    Folder folder = Folder::Company;
    QList<FieldDef> fields;
    QList<IndexDef> indexes;
    // A per-session work table whose real name is `name` + session number.
    bool perSession = false;
    // When set, the per-session copies are named sessionBase + session number
    // and the table under `name` is a template kept in its folder (cfrdet01 is
    // copied per session as cfrdettmp<n>).
    QString sessionBase;
    // A copy is kept in the data root as the template from which a module
    // creates a missing table (FaCylinder) or its session copy (CliCyln).
    bool dataRootTemplate = false;
    // Earlier years are kept as tables named `name` + year (svstatc2001),
    // listed in a years file of the company folder.
    bool archivedByYear = false;
    // Tables that only exist once an optional ledger has been set up; their
    // presence is what the launcher tests for.
    enum class Feature { Core, Payroll, JobCost };
    Feature feature = Feature::Core;

    const FieldDef* field(const QString& fieldName) const; // case-insensitive
    int fieldIndex(const QString& fieldName) const;        // -1 when absent
    const IndexDef* primaryKey() const;
    // Secondary key order whose fields are exactly these (case-insensitive).
    const IndexDef* keyOrder(const QStringList& fields) const;
    // Name of the table as created in a folder: the session copy's name for
    // a per-session table (session > 0), otherwise `name`.
    QString physicalName(int session = 0) const;
};

// Every table of the catalogue, in a stable order.
const QList<TableDef>& Catalogue();
// Finds a table by name: case-insensitive, ".db" suffix ignored; a
// per-session work table also under its session name followed by digits
// ("Cartmp12", "cfrdettmp3"), an archived year under its name followed by the
// year ("svstatc2024").
const TableDef* FindTableDef(const QString& name);
QList<const TableDef*> TablesOfFolder(Folder folder);
// The tables a new company folder receives: every company table except the
// per-session copies and the optional ledgers' tables not asked for.
QList<const TableDef*> TablesOfNewCompany(bool payroll = false, bool jobCost = false);
// The templates kept in the data root (FaCylinder, CliCyln).
QList<const TableDef*> DataRootTemplates();
// The text form of a type as the documentation writes it: "text(10)", "money".
QString FieldTypeText(const FieldDef& field);

} // namespace varnex::data
