#include "server_commands.h"

#include "check.h"

#include <QDir>
#include <QRegularExpression>

#include "varnex/data/company.h"
#include "varnex/data/engine_copy.h"

using namespace varnex::data;

bool TakeServerOption(QStringList& args, QString& error)
{
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] != QLatin1String("--server"))
            continue;
        if (i + 1 >= args.size() || args[i + 1].trimmed().isEmpty()) {
            error =
                QStringLiteral("The option --server needs a connection string, e.g. \"host=server dbname=varnex\".");
            return false;
        }
        qputenv("VARNEX_SERVER", args[i + 1].toUtf8());
        qputenv("VARNEX_ENGINE", "postgresql");
        args.remove(i, 2);
        --i;
    }
    return true;
}

namespace {

// The data root and every company folder beside it (dataN).
QStringList foldersOfDrive(const QString& drive)
{
    const QString root = DataRootOfDrive(drive);
    QStringList folders{root};
    const QDir parent = QFileInfo(root).dir();
    static const QRegularExpression company(QStringLiteral("^data(\\d+)$"));
    QStringList companies;
    for (const QString& entry : parent.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        if (company.match(entry).hasMatch())
            companies << parent.filePath(entry);
    std::sort(companies.begin(), companies.end(), [](const QString& a, const QString& b) {
        return company.match(QFileInfo(a).fileName()).captured(1).toInt()
               < company.match(QFileInfo(b).fileName()).captured(1).toInt();
    });
    return folders + companies;
}

int report(const QString& folder, const QList<TableComparison>& tables, const char* left, const char* right,
           QTextStream& out)
{
    int differences = 0;
    out << folder << "\n";
    for (const TableComparison& t : tables) {
        out << "  " << t.table << ": " << left << " " << t.sourceRows << " rows " << t.sourceDigest.left(12) << ", "
            << right << " " << t.targetRows << " rows " << t.targetDigest.left(12) << (t.same() ? "" : "  DIFFERENT")
            << "\n";
        differences += t.same() ? 0 : 1;
    }
    return differences;
}

QString driveArgument(const QStringList& positional)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(positional.first()));
}

} // namespace

int RunCopy(const QStringList& args, QTextStream& out, QTextStream& err)
{
    QString to;
    bool replace = false;
    QStringList positional;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--to") && i + 1 < args.size())
            to = args[++i].toLower();
        else if (args[i] == QLatin1String("--replace"))
            replace = true;
        else if (args[i].startsWith(QLatin1String("--"))) {
            err << "lgxadmin: unknown option " << args[i] << " for copy.\n";
            return 2;
        } else
            positional << args[i];
    }
    if (positional.size() != 1 || (to != QLatin1String("server") && to != QLatin1String("sqlite"))) {
        err << "lgxadmin: usage: lgxadmin [--server CONNECTION] copy --to server|sqlite [--replace] DIR\n";
        return 2;
    }
    const EngineKind target = to == QLatin1String("server") ? EngineKind::Server : EngineKind::Embedded;
    const EngineKind source = target == EngineKind::Server ? EngineKind::Embedded : EngineKind::Server;
    const char* left = source == EngineKind::Server ? "server" : "sqlite";
    // A damaged source would be copied as it reads, and the comparison after
    // would find both sides the same: refuse it.
    const QStringList folders = foldersOfDrive(driveArgument(positional));
    const QByteArray engine = qgetenv("VARNEX_ENGINE");
    qputenv("VARNEX_ENGINE", source == EngineKind::Server ? "postgresql" : "sqlite");
    int damaged = 0;
    for (const QString& folder : folders) {
        for (const QString& problem : DamageOf(folder)) {
            err << "lgxadmin: damaged: " << folder << ": " << problem << "\n";
            ++damaged;
        }
    }
    if (engine.isNull())
        qunsetenv("VARNEX_ENGINE");
    else
        qputenv("VARNEX_ENGINE", engine);
    if (damaged > 0) {
        err << "lgxadmin: the " << left << " data is damaged; nothing was copied.\n";
        return 2;
    }
    int differences = 0;
    for (const QString& folder : folders)
        differences +=
            report(folder, CopyFolderBetweenEngines(folder, source, target, replace), left, qPrintable(to), out);
    out << (differences == 0 ? "Copied: every table is the same on both engines.\n" : "Copied with differences.\n");
    return differences == 0 ? 0 : 1;
}

int RunCompare(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.size() != 1 || args.first().startsWith(QLatin1String("--"))) {
        err << "lgxadmin: usage: lgxadmin [--server CONNECTION] compare DIR\n";
        return 2;
    }
    int differences = 0;
    for (const QString& folder : foldersOfDrive(driveArgument(args)))
        differences += report(folder, CompareFolderBetweenEngines(folder, EngineKind::Embedded, EngineKind::Server),
                              "sqlite", "server", out);
    out << (differences == 0 ? "Same on both engines.\n" : "The engines differ.\n");
    return differences == 0 ? 0 : 1;
}
