// A fresh data root and company made by the set-up functions, read back
// through the engine: every table is there with the catalogue's structure.

#include "catalogue_expectations.h"
#include "varnex/data/company.h"
#include "varnex/data/database.h"
#include "varnex/data/engine_error.h"
#include "varnex/data/schema.h"
#include "varnex/data/table.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <QFile>
#include <QTemporaryDir>

using namespace varnex::data;

namespace {

void expectSameStructure(Database& db, const TableDef& def, const QString& name)
{
    SCOPED_TRACE(name.toStdString());
    ASSERT_TRUE(db.tableExists(name));
    const TableDef stored = db.tableDef(name);
    ASSERT_EQ(stored.fields.size(), def.fields.size());
    for (int i = 0; i < def.fields.size(); ++i) {
        EXPECT_EQ(stored.fields[i].name.toLower().toStdString(), def.fields[i].name.toLower().toStdString()) << i;
        // binary(n) has no stored size: n only said how much the old format kept in the record
        if (def.fields[i].type == FieldType::Binary)
            EXPECT_EQ(stored.fields[i].type, FieldType::Binary);
        else
            EXPECT_EQ(FieldTypeText(stored.fields[i]).toStdString(), FieldTypeText(def.fields[i]).toStdString())
                << def.fields[i].name.toStdString();
    }
    const IndexDef* wanted = def.primaryKey();
    const IndexDef* got = stored.primaryKey();
    ASSERT_EQ(got != nullptr, wanted != nullptr);
    if (wanted) {
        EXPECT_EQ(got->fields.join(';').toLower().toStdString(), wanted->fields.join(';').toLower().toStdString());
    }
}

class CatalogueOnEngine : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString root() const { return dir.path() + QStringLiteral("/Lgx/data"); }
};

} // namespace

TEST_F(CatalogueOnEngine, EveryTableOfAFreshCompanyHasItsStructure)
{
    DataRootOptions options;
    options.sessions = 2;
    options.adminPassword = QStringLiteral("test");
    EXPECT_EQ(CreateDataRoot(root(), options), QStringLiteral("TEST"));

    CompanyOptions company;
    company.number = 7;
    company.name = QString::fromUtf8("Érablière Saint-Élie");
    company.payroll = true;
    company.jobCost = true;
    CreateCompany(root(), company);

    auto system = Database::forFolder(root());
    for (const TableDef* def : TablesOfFolder(Folder::System))
        expectSameStructure(*system, *def, def->name);
    for (const TableDef* def : DataRootTemplates())
        expectSameStructure(*system, *def, def->name);

    const QString folder = CompanyFolderOf(root(), 7);
    EXPECT_TRUE(folder.endsWith(QLatin1String("/Lgx/data7")));
    auto db = Database::forFolder(folder);
    const QList<const TableDef*> tables = TablesOfNewCompany(true, true);
    EXPECT_GT(tables.size(), 60);
    for (const TableDef* def : tables)
        expectSameStructure(*db, *def, def->name);
    // Work tables come from the same definitions under their session names.
    for (const TableDef& def : Catalogue()) {
        if (!def.perSession)
            continue;
        db->createTable(def, def.physicalName(3));
        expectSameStructure(*db, def, def.physicalName(3));
        EXPECT_EQ(FindTableDef(def.physicalName(3)), &def);
    }
    // What the engine stored, against the layouts kept in the test: names,
    // order and types of the sample tables, field counts of the others.
    using namespace catalogue_expectations;
    const QRegularExpression binarySize(QStringLiteral(":B\\d+$")); // binary(n) keeps no size
    for (const Expected& e : kExpected) {
        SCOPED_TRACE(e.table);
        const TableDef* def = FindTableDef(QString::fromLatin1(e.table));
        ASSERT_NE(def, nullptr);
        Database& folderDb = def->folder == Folder::System ? *system : *db;
        const QString name = def->perSession ? def->physicalName(3) : def->name;
        ASSERT_TRUE(folderDb.tableExists(name));
        QStringList stored = actual(folderDb.tableDef(name));
        QStringList wanted = expand(e.fields);
        for (QString& item : stored)
            item.replace(binarySize, QStringLiteral(":B"));
        for (QString& item : wanted)
            item.replace(binarySize, QStringLiteral(":B"));
        EXPECT_EQ(stored.join(' ').toLower().toStdString(), wanted.join(' ').toLower().toStdString());
    }
    for (const auto& [table, count] : fieldCounts()) {
        const TableDef* def = FindTableDef(QString::fromLatin1(table));
        ASSERT_NE(def, nullptr);
        const QString name = def->perSession ? def->physicalName(3) : def->name;
        EXPECT_EQ(db->tableDef(name).fields.size(), count) << table;
    }

    for (const char* missing : {"Cartmp", "CaxJC", "VatTmp"})
        EXPECT_FALSE(db->tableExists(QString::fromLatin1(missing))) << missing;

    Table periods;
    periods.setDatabase(db);
    periods.setTableName(QStringLiteral("Periods"));
    periods.open();
    ASSERT_EQ(periods.recordCount(), 13);
    ASSERT_TRUE(periods.findKey({2}));
    EXPECT_EQ(periods.field(QStringLiteral("Period_mth")).asString(), QString::fromUtf8("Février"));
    ASSERT_TRUE(periods.findKey({13}));
    EXPECT_EQ(periods.field(QStringLiteral("Period_mth")).asString(), QStringLiteral("Ajustements"));

    Table ctrl;
    ctrl.setDatabase(db);
    ctrl.setTableName(QStringLiteral("ctrl"));
    ctrl.open();
    ASSERT_EQ(ctrl.recordCount(), 1);
    ctrl.first();
    EXPECT_EQ(ctrl.field(QStringLiteral("Ctrl_ap_days1")).asInteger(), 30);
    EXPECT_FALSE(ctrl.field(QStringLiteral("Ctrl_ap_dname5")).asString().isEmpty());
    EXPECT_FALSE(ctrl.field(QStringLiteral("Ctrl_fed_rate")).isNull());
    EXPECT_FALSE(ctrl.field(QStringLiteral("Ctrl_curr1_rate")).isNull()); // numbers start at 0, not empty

    Table comp;
    comp.setDatabase(system);
    comp.setTableName(QStringLiteral("comp"));
    comp.open();
    ASSERT_TRUE(comp.findKey({7}));
    EXPECT_EQ(comp.field(QStringLiteral("Comp_Name")).asString(), QString::fromUtf8("Érablière Saint-Élie"));

    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/SvstatYears")));
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/SastatYears")));
}

TEST_F(CatalogueOnEngine, SetupRefusesWhatWouldOverwrite)
{
    CreateDataRoot(root());
    EXPECT_THROW(CreateDataRoot(root()), SetupError);

    CompanyOptions company;
    CreateCompany(root(), company);
    EXPECT_THROW(CreateCompany(root(), company), SetupError);

    struct Case {
        const char* why;
        CompanyOptions options;
    };
    CompanyOptions badNumber;
    badNumber.number = 0;
    CompanyOptions badPeriods;
    badPeriods.number = 2;
    badPeriods.periods = 14;
    for (const Case& c : {Case{"number 0", badNumber}, Case{"14 periods", badPeriods}})
        EXPECT_THROW(CreateCompany(root(), c.options), SetupError) << c.why;
    EXPECT_FALSE(QDir(CompanyFolderOf(root(), 2)).exists());

    // A folder that is not a data root.
    QTemporaryDir other;
    EXPECT_THROW(CreateCompany(other.path(), company), SetupError);
    UserSpec user;
    user.code = QStringLiteral("X");
    user.password = QStringLiteral("Y");
    EXPECT_THROW(AddUser(other.path(), user), SetupError);
    EXPECT_THROW(AddUser(other.path() + QStringLiteral("/absent"), user), SetupError);
    // Refused without leaving a database behind in the folder only looked at.
    EXPECT_FALSE(Database::existsForFolder(other.path()));
    EXPECT_TRUE(QDir(other.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
}

TEST_F(CatalogueOnEngine, AFailedCreationLeavesNothingBehind)
{
    CreateDataRoot(root());
    const QString folder = CompanyFolderOf(root(), 3);
    ASSERT_TRUE(QDir().mkpath(folder));
    auto db = Database::forFolder(folder); // the same object CreateCompany writes through
    CompanyOptions company;
    company.number = 3;
    for (int write : {1, 2, 15}) { // the control record, the inventory control, the last period
        SCOPED_TRACE(write);
        db->failAtWrite(write);
        try {
            CreateCompany(root(), company);
            ADD_FAILURE() << "no failure at write " << write;
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), ErrorCode::InjectedFault);
        }
        db->failAtWrite(0);
        EXPECT_FALSE(db->tableExists(QStringLiteral("ctrl")));
        EXPECT_FALSE(db->tableExists(QStringLiteral("Periods")));
    }
    CreateCompany(root(), company);
    EXPECT_TRUE(db->tableExists(QStringLiteral("ctrl")));

    // Same for a data root: the administrator is the last write.
    QTemporaryDir other;
    const QString otherRoot = other.path() + QStringLiteral("/Lgx/data");
    ASSERT_TRUE(QDir().mkpath(otherRoot));
    auto system = Database::forFolder(otherRoot);
    DataRootOptions options;
    options.sessions = 2;
    system->failAtWrite(1 + 2 + 2 * 2 + 1); // apps, languages, sessions and scratch rows, then the user
    EXPECT_THROW(CreateDataRoot(otherRoot, options), EngineError);
    system->failAtWrite(0);
    EXPECT_FALSE(system->tableExists(QStringLiteral("user")));
    EXPECT_FALSE(CreateDataRoot(otherRoot, options).isEmpty());
}

TEST(DataPaths, AsTheLauncherDerivesThem)
{
    EXPECT_EQ(DataRootOfDrive(QStringLiteral("/srv/varnex")), QStringLiteral("/srv/varnex/Lgx/data"));
    EXPECT_EQ(DataRootOfDrive(QStringLiteral("/srv/varnex/")), QStringLiteral("/srv/varnex/Lgx/data"));
    EXPECT_EQ(CompanyFolderOf(QStringLiteral("/srv/varnex/Lgx/data"), 1), QStringLiteral("/srv/varnex/Lgx/data1"));
    EXPECT_EQ(CompanyFolderOf(QStringLiteral("/srv/varnex/Lgx/data/"), 12), QStringLiteral("/srv/varnex/Lgx/data12"));
    const QString password = RandomPassword();
    EXPECT_EQ(password.size(), 8);
    EXPECT_EQ(password, password.toUpper());
    EXPECT_EQ(PeriodName(8, 2), QString::fromUtf8("Août"));
    EXPECT_EQ(PeriodName(8, 1), QStringLiteral("August"));
    EXPECT_TRUE(PeriodName(0, 1).isEmpty());
    EXPECT_TRUE(PeriodName(14, 2).isEmpty());
}
