// A second process for the table-definition tests: changes the structure of a
// table of a data folder behind the back of the test's own process.
//
//   engine_structure_changer FOLDER TABLE remake   the table made again with other fields and one record
//   engine_structure_changer FOLDER TABLE drop     the table removed
//
// Prints "DONE", or "ERROR <code> <message>".

#include <cstdio>
#include <cstring>

#include "varnex/data/database.h"
#include "varnex/data/table.h"

int main(int argc, char** argv)
{
    if (argc != 4 || (std::strcmp(argv[3], "remake") != 0 && std::strcmp(argv[3], "drop") != 0)) {
        std::fprintf(stderr, "usage: engine_structure_changer FOLDER TABLE remake|drop\n");
        return 2;
    }
    using namespace varnex::data;
    try {
        const QString table = QString::fromLocal8Bit(argv[2]);
        auto db = Database::forFolder(QString::fromLocal8Bit(argv[1]));
        db->dropTable(table);
        if (std::strcmp(argv[3], "remake") == 0) {
            TableDef def;
            def.name = table;
            def.fields = {{QStringLiteral("Item_code"), FieldType::Text, 8},
                          {QStringLiteral("Item_count"), FieldType::Integer, 0}};
            def.indexes = {{QString(), {QStringLiteral("Item_code")}, true, true}};
            db->createTable(def);
            Table t;
            t.setDatabase(db);
            t.setTableName(table);
            t.open();
            t.append();
            t.field(QStringLiteral("Item_code")).setString(QStringLiteral("X1"));
            t.field(QStringLiteral("Item_count")).setInteger(7);
            t.post();
        }
        std::printf("DONE\n");
        return 0;
    } catch (const EngineError& e) {
        std::printf("ERROR %d %s\n", e.code(), e.what());
        return 1;
    }
}
