// A second process for the consistent-read tests: another workstation that
// changes records of a data folder and commits while the test reads.
//
//   engine_record_changer FOLDER TABLE set KEY FIELD=VALUE...  the first record whose key begins with KEY
//   engine_record_changer FOLDER TABLE add FIELD=VALUE...      a new record
//
// Values are given as text (Field::setValue). Prints "DONE", or
// "ERROR <code> <message>".

#include <cstdio>
#include <cstring>

#include "varnex/data/database.h"
#include "varnex/data/table.h"

int main(int argc, char** argv)
{
    const bool set = argc >= 5 && std::strcmp(argv[3], "set") == 0;
    const bool add = argc >= 5 && std::strcmp(argv[3], "add") == 0;
    if (!set && !add) {
        std::fprintf(stderr, "usage: engine_record_changer FOLDER TABLE set KEY FIELD=VALUE...|add FIELD=VALUE...\n");
        return 2;
    }
    using namespace varnex::data;
    try {
        Table t;
        t.setDatabase(Database::forFolder(QString::fromLocal8Bit(argv[1])));
        t.setTableName(QString::fromLocal8Bit(argv[2]));
        t.open();
        int next = 4;
        if (set) {
            if (!t.findKey({QString::fromLocal8Bit(argv[next++])})) {
                std::printf("ERROR 0 no such record\n");
                return 1;
            }
            t.edit();
        } else {
            t.append();
        }
        for (; next < argc; ++next) {
            const QString assignment = QString::fromLocal8Bit(argv[next]);
            const int eq = assignment.indexOf(QLatin1Char('='));
            t.field(assignment.left(eq)).setValue(assignment.mid(eq + 1));
        }
        t.post();
        std::printf("DONE\n");
        return 0;
    } catch (const EngineError& e) {
        std::printf("ERROR %d %s\n", e.code(), e.what());
        return 1;
    }
}
