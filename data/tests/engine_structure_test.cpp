// Creating, copying, emptying and dropping tables; aliases; network folders;
// damaged database files.

#include <QFile>

#include <QSet>

#include "../engine/sqlite_backend.h"
#include "engine_fixture.h"

namespace varnex::data::testing {
namespace {

using StructureTest = EngineTest;

TEST_F(StructureTest, TableNamesIgnoreCaseAndTheDbSuffix)
{
    db->createTable(SupplierDef(QStringLiteral("Sup")));
    for (const char* name : {"sup", "SUP", "Sup.db", "sup.DB"})
        EXPECT_TRUE(db->tableExists(QLatin1String(name))) << name;
    EXPECT_FALSE(db->tableExists(QStringLiteral("cap")));
    EXPECT_EQ(ErrorCodeOf([&] { db->createTable(SupplierDef(QStringLiteral("SUP.db"))); }), ErrorCode::TableExists);
    auto t = openTable(QStringLiteral("sUp.Db"));
    EXPECT_EQ(t->fieldCount(), 6);
}

TEST_F(StructureTest, StoredStructureReadsBackAsDefined)
{
    const TableDef def = OpenItemDef();
    db->createTable(SupplierDef());
    db->createTable(def);
    const TableDef stored = db->tableDef(QStringLiteral("cap"));
    ASSERT_EQ(stored.fields.size(), def.fields.size());
    for (int i = 0; i < def.fields.size(); ++i) {
        EXPECT_EQ(stored.fields[i].name, def.fields[i].name);
        EXPECT_EQ(stored.fields[i].type, def.fields[i].type);
        EXPECT_EQ(stored.fields[i].size, def.fields[i].size);
    }
    ASSERT_NE(stored.primaryKey(), nullptr);
    EXPECT_EQ(stored.primaryKey()->fields, def.indexes[0].fields);

    const TableDef sup = db->tableDef(QStringLiteral("sup"));
    ASSERT_EQ(sup.indexes.size(), 2);
    EXPECT_EQ(sup.indexes[1].name, QStringLiteral("ByName"));
    EXPECT_EQ(sup.indexes[1].fields, QStringList{QStringLiteral("Sup_name")});
}

TEST_F(StructureTest, CopyEmptyAndDrop)
{
    db->createTable(OpenItemDef());
    {
        auto cap = openTable(QStringLiteral("cap"));
        addItem(*cap, QStringLiteral("A"), QStringLiteral("1"), QDate(2024, 1, 1), QStringLiteral("5"));
    }
    // A template copied from another folder, without its records.
    QTemporaryDir other;
    auto target = Database::forFolder(other.path());
    target->createTableLike(QStringLiteral("cap42"), QStringLiteral("cap"), db.get());
    EXPECT_EQ(target->tableDef(QStringLiteral("cap42")).fields.size(), 4);
    {
        Table copy;
        copy.setFolder(other.path());
        copy.setTableName(QStringLiteral("cap42"));
        copy.open();
        EXPECT_EQ(copy.recordCount(), 0);
        EXPECT_EQ(ErrorCodeOf([&] { target->dropTable(QStringLiteral("cap42")); }), ErrorCode::TableInUse);
    }
    target->dropTable(QStringLiteral("cap42"));
    EXPECT_FALSE(target->tableExists(QStringLiteral("cap42")));
    EXPECT_NO_THROW(target->dropTable(QStringLiteral("cap42"))) << "dropping a missing table is harmless";

    db->emptyTable(QStringLiteral("cap"));
    EXPECT_TRUE(db->tableExists(QStringLiteral("cap")));
    EXPECT_EQ(openTable(QStringLiteral("cap"))->recordCount(), 0);
}

TEST_F(StructureTest, BadDefinitionsAndNamesAreRefused)
{
    struct Case {
        TableDef def;
        int code;
        const char* edge;
    };
    TableDef noFields{QStringLiteral("t1"), Folder::Company, {}, {}, false};
    TableDef twice = OpenItemDef(QStringLiteral("t2"));
    twice.fields << FieldDef{QStringLiteral("CAP_DATE"), FieldType::Date, 0};
    TableDef badKey = OpenItemDef(QStringLiteral("t3"));
    badKey.indexes << IndexDef{QStringLiteral("k"), {QStringLiteral("Nope")}, false, false};
    TableDef injected = OpenItemDef(QStringLiteral("x\"; DROP TABLE cap; --"));
    TableDef badField = OpenItemDef(QStringLiteral("t4"));
    badField.fields[0].name = QStringLiteral("a b");
    const Case cases[] = {
        {noFields, ErrorCode::InvalidDefinition, "no fields"},
        {twice, ErrorCode::InvalidDefinition, "same field twice, other case"},
        {badKey, ErrorCode::InvalidDefinition, "key on an unknown field"},
        {injected, ErrorCode::InvalidName, "SQL in a table name"},
        {badField, ErrorCode::InvalidName, "space in a field name"},
    };
    db->createTable(OpenItemDef());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.edge);
        EXPECT_EQ(ErrorCodeOf([&] { db->createTable(c.def); }), c.code);
    }
    EXPECT_TRUE(db->tableExists(QStringLiteral("cap")));
    EXPECT_EQ(db->tableNames(), QStringList{QStringLiteral("cap")}) << "nothing half-created";

    Table missing;
    missing.setDatabase(db);
    missing.setTableName(QStringLiteral("nothere"));
    EXPECT_EQ(ErrorCodeOf([&] { missing.open(); }), ErrorCode::TableNotFound);
    EXPECT_FALSE(missing.isOpen());
}

TEST_F(StructureTest, AliasesNameAFolderAndCanBeRepointed)
{
    QTemporaryDir company2;
    db->createTable(SupplierDef());
    {
        auto sup = openTable(QStringLiteral("sup"));
        addSupplier(*sup, QStringLiteral("ONE"), QStringLiteral("first company"));
    }
    Database::forFolder(company2.path())->createTable(SupplierDef());

    DefineAlias(QStringLiteral("purchentdb"), QStringLiteral("path=") + folder());
    EXPECT_EQ(AliasPath(QStringLiteral("PURCHENTDB")), folder());
    Table sup;
    sup.setAliasName(QStringLiteral("purchentdb"));
    sup.setTableName(QStringLiteral("sup"));
    sup.open();
    EXPECT_EQ(sup.recordCount(), 1);
    sup.close();

    SetAliasPath(QStringLiteral("purchentdb"), company2.path());
    sup.open();
    EXPECT_EQ(sup.recordCount(), 0) << "re-pointed to the other company";
    sup.close();

    RemoveAlias(QStringLiteral("purchentdb"));
    EXPECT_EQ(ErrorCodeOf([&] { sup.open(); }), ErrorCode::AliasNotFound);
    EXPECT_EQ(ErrorCodeOf([&] { Database::forFolder(folder() + QStringLiteral("/missing")); }),
              ErrorCode::FolderNotFound);
}

TEST(NetworkFolder, NetworkFileSystemTypesAreRecognised)
{
    struct Case {
        std::int64_t type;
        bool network;
        const char* name;
    };
    const Case cases[] = {
        {0x6969, true, "NFS"},        {0x517B, true, "SMB"},        {0xFF534D42, true, "CIFS"},
        {0xFE534D42, true, "SMB2"},   {0xEF53, false, "ext4"},      {0x58465342, false, "XFS"},
        {0x9123683E, false, "Btrfs"}, {0x01021994, false, "tmpfs"}, {0x794C7630, false, "overlay"},
        {0, false, "zero"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsNetworkFileSystemType(c.type), c.network) << c.name;
}

TEST(NetworkFolder, LocalFolderIsAccepted)
{
    QTemporaryDir dir;
    EXPECT_NO_THROW(CheckLocalFolder(dir.path()));
}

TEST(EngineMessages, TheUsersLanguageChoosesTheText)
{
    EXPECT_EQ(EngineText(QStringLiteral("Server down."), QStringLiteral("Serveur arrêté.")),
              QStringLiteral("Server down."));
    SetEngineMessageLanguage(2);
    EXPECT_EQ(EngineMessageLanguage(), 2);
    EXPECT_EQ(EngineText(QStringLiteral("Server down."), QStringLiteral("Serveur arrêté.")),
              QStringLiteral("Serveur arrêté."));
    // any other number reads English, as every text choice of the suite does
    SetEngineMessageLanguage(0);
    EXPECT_EQ(EngineText(QStringLiteral("Server down."), QStringLiteral("Serveur arrêté.")),
              QStringLiteral("Server down."));
    SetEngineMessageLanguage(1);
}

TEST(DamagedDatabase, FileThatIsNotADatabaseIsAnEngineError)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("varnex.sqlite")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(8192, 'Z'));
    file.close();
    try {
        Database::forFolder(dir.path());
        FAIL() << "opened a file of Z's";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), ErrorCode::CorruptDatabase);
        EXPECT_TRUE(e.message().contains(QLatin1String("varnex.sqlite")));
    }
}

TEST(DamagedDatabase, DamagedPagesGiveAnEngineErrorNotACrash)
{
    QTemporaryDir dir;
    {
        auto db = Database::forFolder(dir.path());
        db->createTable(SupplierDef());
        Table sup;
        sup.setDatabase(db);
        sup.setTableName(QStringLiteral("sup"));
        sup.open();
        Transaction tx(db);
        for (int i = 0; i < 2000; ++i) {
            sup.append();
            sup.field(QStringLiteral("Sup_code")).setString(QString::number(100000 + i));
            sup.field(QStringLiteral("Sup_name")).setString(QStringLiteral("a fairly long supplier name"));
            sup.post();
        }
        tx.commit();
        Query checkpoint(db, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        checkpoint.execSql();
    }
    QFile file(dir.filePath(QStringLiteral("varnex.sqlite")));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const qint64 size = file.size();
    ASSERT_GT(size, 40000);
    // Garbage over the pages after the schema page (page size 4096).
    for (qint64 at = 4096; at < size; at += 4096) {
        file.seek(at);
        file.write(QByteArray(4096, '\xA5'));
    }
    file.close();

    int code = 0;
    try {
        auto db = Database::forFolder(dir.path());
        Table sup;
        sup.setDatabase(db);
        sup.setTableName(QStringLiteral("sup"));
        sup.open();
        for (sup.first(); !sup.eof(); sup.next()) {
        }
    } catch (const EngineError& e) {
        code = e.code();
    }
    EXPECT_EQ(code, ErrorCode::CorruptDatabase);
}

// Each table's records lock their own range of the lock file: two tables
// sharing one would make records look locked that nobody edits.
TEST(RecordLockFile, EveryTableOfTheCatalogueLocksItsOwnRange)
{
    QSet<std::int64_t> seen;
    QStringList names;
    for (const TableDef& t : Catalogue()) {
        names << t.name;
        if (t.perSession)
            for (int session = 1; session <= 99; ++session)
                names << t.physicalName(session);
    }
    ASSERT_GT(names.size(), 100);
    for (const QString& name : names) {
        const std::int64_t range = SqliteBackend::lockOffset(name, 0);
        EXPECT_GE(range, 0) << name.toStdString();
        EXPECT_FALSE(seen.contains(range)) << name.toStdString() << " shares its range";
        seen.insert(range);
        EXPECT_EQ(SqliteBackend::lockOffset(name.toUpper(), 7), range + 7) << "names compare without case";
    }
    // The largest record id still lands inside its table's range.
    EXPECT_EQ(SqliteBackend::lockOffset(QStringLiteral("sup"), 0xFFFFFFFFll)
                  - SqliteBackend::lockOffset(QStringLiteral("sup"), 0),
              0xFFFFFFFFll);
}

// A table made by another tool may name its columns anything: such a name is
// quoted, never read as part of the statement.
TEST_F(StructureTest, CraftedColumnNamesAreQuotedNotParsedAsSql)
{
    db->createTable(OpenItemDef());
    const QString crafted = QStringLiteral("x\" from cap, sup --");
    const QString quotedName = QStringLiteral("\"x\"\" from cap, sup --\"");
    TableDef oddDef;
    oddDef.name = QStringLiteral("odd");
    oddDef.fields = {{QStringLiteral("code"), FieldType::Text, 10},
                     {QStringLiteral("x"), FieldType::Text, 20},
                     {QStringLiteral("ab"), FieldType::Text, 5}};
    db->createTable(oddDef);
    for (const QString& rename : {QStringLiteral("ALTER TABLE odd RENAME COLUMN x TO %1").arg(quotedName),
                                  QStringLiteral("ALTER TABLE odd RENAME COLUMN ab TO \"a\"\"b\"")}) {
        Query change(db, rename);
        change.execSql();
    }
    const TableDef stored = db->tableDef(QStringLiteral("odd"));
    ASSERT_EQ(stored.fields.size(), 3);
    EXPECT_EQ(stored.fields[1].name, crafted);
    EXPECT_EQ(stored.fields[2].name, QStringLiteral("a\"b"));

    {
        auto odd = openTable(QStringLiteral("odd"));
        for (const char* code : {"B", "A"}) {
            odd->append();
            odd->field(QStringLiteral("code")).setString(QString::fromLatin1(code));
            odd->field(crafted).setString(QStringLiteral("value ") + QString::fromLatin1(code));
            odd->field(QStringLiteral("a\"b")).setString(QStringLiteral("q"));
            odd->post();
        }
    }
    auto odd = openTable(QStringLiteral("odd"));
    // Ordered by the crafted column: the seek and range texts quote it too.
    odd->setIndexFieldNames(crafted);
    odd->first();
    EXPECT_EQ(odd->field(crafted).asString(), QStringLiteral("value A"));
    odd->next();
    EXPECT_EQ(odd->field(crafted).asString(), QStringLiteral("value B"));
    odd->edit();
    odd->field(QStringLiteral("a\"b")).setString(QStringLiteral("r"));
    odd->post();
    EXPECT_TRUE(odd->findKey({QStringLiteral("value B")}));
    EXPECT_EQ(odd->field(QStringLiteral("a\"b")).asString(), QStringLiteral("r"));
    EXPECT_EQ(odd->recordCount(), 2);
    EXPECT_EQ(openTable(QStringLiteral("cap"))->recordCount(), 0) << "the name never read as SQL";
}

} // namespace
} // namespace varnex::data::testing
