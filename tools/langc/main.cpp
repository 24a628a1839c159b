// langc: checks the readable language files and compiles them into the
// language tables (prefix + "en"/"fr") of the languages folder. Any fault
// stops the build with "file:line: message".

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cstdio>

#include "langfile.h"
#include "table_writer.h"

namespace {

void printLine(FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
}

int usage()
{
    printLine(stderr, QStringLiteral("usage: langc [--check-only] [--output FOLDER] [--stamp FILE] FILE.lang..."));
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments();
    arguments.removeFirst();

    bool checkOnly = false;
    QString output;
    QString stamp;
    QStringList files;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--check-only")) {
            checkOnly = true;
        } else if (argument == QLatin1String("--output") || argument == QLatin1String("--stamp")) {
            if (i + 1 >= arguments.size())
                return usage();
            (argument == QLatin1String("--output") ? output : stamp) = arguments.at(++i);
        } else if (argument.startsWith(QLatin1String("--"))) {
            return usage();
        } else {
            files.append(argument);
        }
    }
    if (files.isEmpty() || (!checkOnly && output.isEmpty()))
        return usage();

    std::vector<varnex::langc::LanguageFile> parsed;
    QStringList errors;
    QSet<QString> programs;
    for (const QString& path : files) {
        varnex::langc::ParseResult result = varnex::langc::ReadLanguageFile(path);
        errors += result.errors;
        const QString program = result.file.program.toLower();
        if (programs.contains(program))
            errors.append(QStringLiteral("%1: a second file for the program %2").arg(path, result.file.program));
        programs.insert(program);
        parsed.push_back(std::move(result.file));
    }
    if (!errors.isEmpty()) {
        for (const QString& error : errors)
            printLine(stderr, QStringLiteral("error: ") + error);
        printLine(stderr, QStringLiteral("langc: %1 error(s); no language table was written").arg(errors.size()));
        return 1;
    }
    if (checkOnly)
        return 0;

    if (!QDir().mkpath(output)) {
        printLine(stderr, QStringLiteral("langc: cannot create the folder %1").arg(output));
        return 1;
    }
    try {
        for (const varnex::langc::LanguageFile& file : parsed) {
            for (auto language : {varnex::langc::English, varnex::langc::French}) {
                const QString table =
                    file.program + QString::fromLatin1(varnex::langc::kLanguageCodes[static_cast<size_t>(language)]);
                varnex::langc::WriteLanguageTable(output, table, varnex::langc::RowsFor(file, language));
            }
        }
    } catch (const std::exception& error) {
        printLine(
            stderr,
            QStringLiteral("langc: writing the language tables failed: %1").arg(QString::fromLocal8Bit(error.what())));
        return 1;
    }
    if (!stamp.isEmpty()) {
        QFile stampFile(stamp);
        if (!stampFile.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            printLine(stderr, QStringLiteral("langc: cannot write %1").arg(stamp));
            return 1;
        }
        stampFile.write("compiled\n");
    }
    return 0;
}
