// A second process for the record-lock tests: opens a table in a data folder,
// puts the record with the given key in edit mode, reports "LOCKED" on its
// standard output and waits to be killed. Prints "ERROR <code>" when the edit
// fails.

#include <unistd.h>

#include <cstdio>

#include "varnex/data/database.h"
#include "varnex/data/table.h"

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: engine_lock_holder FOLDER TABLE KEY\n");
        return 2;
    }
    using namespace varnex::data;
    try {
        Table table;
        table.setFolder(QString::fromLocal8Bit(argv[1]));
        table.setTableName(QString::fromLocal8Bit(argv[2]));
        table.open();
        if (!table.findKey({QString::fromLocal8Bit(argv[3])})) {
            std::printf("ERROR notfound\n");
            return 1;
        }
        table.edit();
        std::printf("LOCKED\n");
        std::fflush(stdout);
        for (;;)
            ::pause();
    } catch (const EngineError& e) {
        std::printf("ERROR %d %s\n", e.code(), e.what());
        return 1;
    }
}
