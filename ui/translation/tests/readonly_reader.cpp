// Reads a language table the way an installed program does, as whatever user
// runs it; exits 0 when the window texts could be read.
#include <QCoreApplication>

#include <iostream>

#include "varnex/translation/translate.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::cerr << "usage: readonly_reader LANGUAGES-FOLDER TABLE\n";
        return 2;
    }
    try {
        varnex::translation::SetLanguagesFolder(QString::fromLocal8Bit(argv[1]));
        auto table = varnex::translation::LanguageTables().open(
            varnex::translation::LanguageTableFileName(QString::fromLocal8Bit(argv[2])));
        const auto rows = table->rowsOfForm(QStringLiteral("LogoAppForm"));
        std::cout << rows.size() << std::endl;
        return rows.empty() ? 1 : 0;
    } catch (const std::exception& e) {
        std::cerr << e.what() << std::endl;
        return 1;
    }
}
