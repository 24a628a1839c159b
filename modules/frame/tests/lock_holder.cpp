// A second workstation for the lock tests: holds one record of a table in
// edit mode until it reads a line on its standard input (or is killed).
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <iostream>
#include <string>

#include "varnex/data/database.h"
#include "varnex/data/table.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::cerr << "usage: lock_holder FOLDER TABLE KEY\n";
        return 2;
    }
    try {
        varnex::data::Table table;
        table.setDatabase(varnex::data::Database::forFolder(QString::fromLocal8Bit(argv[1])));
        table.setTableName(QString::fromLocal8Bit(argv[2]));
        table.open();
        if (!table.findKey({QString::fromLocal8Bit(argv[3])})) {
            std::cerr << "no such record\n";
            return 3;
        }
        table.edit();
        std::cout << "locked" << std::endl;
        std::string line;
        std::getline(std::cin, line);
        table.cancel();
        std::cout << "released" << std::endl;
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return 0;
}
