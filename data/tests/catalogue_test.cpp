// The catalogue against the table layouts the modules were written for: a
// field moved, renamed or retyped here would silently break a module that
// addresses fields by number or builds names from a prefix.

#include "catalogue_expectations.h"
#include "varnex/data/schema.h"

#include <gtest/gtest.h>

#include <QSet>

using namespace varnex::data;
using namespace catalogue_expectations;

TEST(Catalogue, FieldsInOrderWithTypesForSampleTables)
{
    for (const Expected& e : kExpected) {
        SCOPED_TRACE(e.table);
        const TableDef* t = FindTableDef(QString::fromLatin1(e.table));
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(actual(*t), expand(e.fields));
    }
}

TEST(Catalogue, FieldCountsOfTheOtherTables)
{
    for (const auto& [name, count] : fieldCounts()) {
        SCOPED_TRACE(name);
        const TableDef* t = FindTableDef(QString::fromLatin1(name));
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->fields.size(), count);
    }
}

TEST(Catalogue, ClientQueryFieldsComeFirstInTheirSearchOrder)
{
    // The client display numbers its 43 search fields by query field number.
    const TableDef* cli = FindTableDef(QStringLiteral("cli"));
    ASSERT_NE(cli, nullptr);
    const QStringList tail = {QStringLiteral("Cli_comments:m200"), QStringLiteral("Cli_user:t10"),
                              QStringLiteral("Cli_stamp:ts"),      QStringLiteral("Cli_currency:i"),
                              QStringLiteral("Cli_credit_hold:l"), QStringLiteral("Cli_block_orders:l")};
    EXPECT_EQ(actual(*cli).mid(37, 6), tail);
    EXPECT_EQ(cli->fieldIndex(QStringLiteral("cli_tax3")), cli->fieldIndex(QStringLiteral("Cli_tax12")) - 9);
    EXPECT_NE(cli->field(QStringLiteral("Cli_copies")), nullptr);
}

TEST(Catalogue, FindTableDefNames)
{
    struct Case {
        const char* asked;
        const char* found; // nullptr: not a table
    };
    const Case cases[] = {
        {"ctrl", "ctrl"},
        {"CTRL.DB", "ctrl"}, // any case, suffix ignored
        {"Ctrl.db", "ctrl"},
        {"Cartmp12", "Cartmp"}, // a session copy
        {"CAPTMP3.db", "captmp"},
        {"cfrdettmp4", "cfrdet01"}, // session copy under another base name
        {"cfrdet01", "cfrdet01"},   // the template itself
        {"svstatc2001", "svstatc"}, // an archived year
        {"sastats2002.DB", "sastats"},
        {"fa1frm2", "fa1frm2"}, // digits that are part of the name
        {"Fa1frm1", "Fa1frm1"},
        {"sup7", nullptr}, // only work tables and archives take a number
        {"Cartmp", "Cartmp"},
        {"", nullptr},
        {".db", nullptr},
        {"nosuchtable", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked);
        const TableDef* t = FindTableDef(QString::fromLatin1(c.asked));
        if (!c.found) {
            EXPECT_EQ(t, nullptr);
        } else {
            ASSERT_NE(t, nullptr);
            EXPECT_EQ(t->name, QString::fromLatin1(c.found));
        }
    }
}

TEST(Catalogue, DefinitionsAreWellFormed)
{
    QSet<QString> tableNames;
    for (const TableDef& t : Catalogue()) {
        SCOPED_TRACE(t.name.toStdString());
        EXPECT_FALSE(tableNames.contains(t.name.toLower()));
        tableNames.insert(t.name.toLower());
        ASSERT_FALSE(t.fields.isEmpty());

        QSet<QString> fieldNames;
        int autoIncrements = 0;
        for (const FieldDef& f : t.fields) {
            EXPECT_FALSE(fieldNames.contains(f.name.toLower())) << f.name.toStdString();
            fieldNames.insert(f.name.toLower());
            const bool sized = f.type == FieldType::Text || f.type == FieldType::Memo || f.type == FieldType::Bytes
                               || f.type == FieldType::Binary;
            EXPECT_EQ(sized, f.size > 0) << f.name.toStdString();
            autoIncrements += f.type == FieldType::AutoIncrement;
        }
        EXPECT_LE(autoIncrements, 1);
        // an autoincrement field leads some index, so numbering it never scans the table
        for (const FieldDef& f : t.fields) {
            if (f.type != FieldType::AutoIncrement)
                continue;
            bool leads = false;
            for (const IndexDef& ix : t.indexes)
                leads |= ix.fields.first().compare(f.name, Qt::CaseInsensitive) == 0;
            EXPECT_TRUE(leads) << f.name.toStdString();
        }

        int primaries = 0;
        for (const IndexDef& ix : t.indexes) {
            primaries += ix.primary;
            EXPECT_FALSE(ix.fields.isEmpty());
            for (const QString& f : ix.fields)
                EXPECT_NE(t.field(f), nullptr) << "index field " << f.toStdString();
            // memo and binary fields cannot be keyed
            for (const QString& f : ix.fields) {
                if (const FieldDef* fd = t.field(f)) {
                    EXPECT_TRUE(fd->type != FieldType::Memo && fd->type != FieldType::Binary);
                }
            }
        }
        EXPECT_LE(primaries, 1);
    }
}

TEST(Catalogue, DetailKeyOrdersOfTheLinksExist)
{
    // detail table, key order it is read in when following its master
    const QList<QPair<const char*, QStringList>> links = {
        {"Desktop", {"Desktop_user"}},
        {"car", {"Car_client"}},
        {"carh", {"Car_client"}},
        {"svstatc", {"Svstatc_client"}},
        {"FaCylinder", {"FaCylinder_Client"}},
        {"arori", {"Reference", "Client", "Date"}},
        {"crorihdr", {"Reference", "Client", "Date"}},
        {"croridet", {"Reference", "Client", "Date", "Header_seq"}},
        {"fahdr", {"Fahdr_doc", "Fahdr_invoice"}},
        {"fahdra", {"Fahdra_doc", "Fahdra_invoice"}},
        {"fadet", {"Fadet_doc", "Fadet_invoice"}},
        {"fadeta", {"Fadeta_doc", "Fadeta_invoice"}},
        {"cap", {"Cap_supplier"}},
        {"caph", {"Cap_supplier"}},
        {"sastats", {"Supplier"}},
        {"apori", {"Reference", "Supplier", "Date"}},
        {"cdorihdr", {"Reference", "Supplier", "Date"}},
        {"cdoridet", {"Reference", "Supplier", "Date", "Header_seq"}},
        {"cfdet", {"Cfdet_doc", "Cfdet_order_number"}},
        {"cfdet", {"Cfdet_doc", "Cfdet_line_code", "Cfdet_item_code", "Cfdet_order_number"}},
        {"cfhdr", {"Cfhdr_doc", "Cfhdr_order_number"}},
        {"cfrdet", {"Cfrdet_paking_slip"}},
        {"ivserintmp", {"Ivserin_line_code", "Ivserin_item_code", "Ivserin_seq"}},
        {"fa1frm2", {"Index"}},
        {"user", {"User_code"}},
        {"ivprod", {"Ivprod_alt_key1", "Ivprod_line_code", "Ivprod_item_code"}},
        {"ivprod", {"Ivprod_alt_key2", "Ivprod_line_code", "Ivprod_item_code"}},
        {"cfpkey", {"Cfpkey_line_code", "Cfpkey_item_code", "Cfpkey_store", "Cfpkey_order"}},
    };
    for (const auto& [table, fields] : links) {
        SCOPED_TRACE(table);
        const TableDef* t = FindTableDef(QString::fromLatin1(table));
        ASSERT_NE(t, nullptr);
        const IndexDef* pk = t->primaryKey();
        const bool isPrimary =
            pk && pk->fields.size() == fields.size()
            && std::equal(fields.begin(), fields.end(), pk->fields.begin(),
                          [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; });
        EXPECT_TRUE(isPrimary || t->keyOrder(fields) != nullptr) << fields.join(';').toStdString();
    }
}

TEST(Catalogue, FoldersTemplatesAndWorkTables)
{
    QStringList system;
    for (const TableDef* t : TablesOfFolder(Folder::System))
        system << t->name;
    EXPECT_EQ(system, QStringList({"comp", "user", "Desktop", "Languages", "apps", "session", "virmem"}));

    QStringList templates;
    for (const TableDef* t : DataRootTemplates())
        templates << t->name;
    EXPECT_EQ(templates, QStringList({"FaCylinder", "CliCyln"}));

    const TableDef* cartmp = FindTableDef(QStringLiteral("Cartmp"));
    ASSERT_NE(cartmp, nullptr);
    EXPECT_EQ(cartmp->physicalName(7), QStringLiteral("Cartmp7"));
    EXPECT_EQ(cartmp->physicalName(0), QStringLiteral("Cartmp"));
    EXPECT_EQ(FindTableDef(QStringLiteral("cfrdet01"))->physicalName(3), QStringLiteral("cfrdettmp3"));

    // A new company gets its master and transaction tables and the receipt
    // template, but no session copies and no optional-ledger markers.
    QSet<QString> plain;
    for (const TableDef* t : TablesOfNewCompany())
        plain.insert(t->name);
    for (const char* present : {"ctrl", "sup", "cap", "FaCylinder", "cfrdet01", "jcBudgetDet", "ivmag"})
        EXPECT_TRUE(plain.contains(QString::fromLatin1(present))) << present;
    for (const char* absent :
         {"Cartmp", "CliCyln", "CaxJC", "VatTmp", "ivserintmp", "pntrx", "Pndept", "jcctrl", "comp"})
        EXPECT_FALSE(plain.contains(QString::fromLatin1(absent))) << absent;

    QSet<QString> full;
    for (const TableDef* t : TablesOfNewCompany(true, true))
        full.insert(t->name);
    for (const char* present : {"pntrx", "Pndept", "jcctrl"})
        EXPECT_TRUE(full.contains(QString::fromLatin1(present))) << present;
}
