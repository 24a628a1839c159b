// lgxadmin: command-line administration of a data folder. DIR is a
// "datadrive" folder: the data root is DIR/Lgx/data, company N's folder
// DIR/Lgx/dataN, as the launcher derives them.
//
// Exit status: 0 done, 1 the check found differences, 2 refused or failed
// (damaged data included).

#include "check.h"
#include "demo.h"
#include "server_commands.h"
#include "desktop_seed.h"
#include "texts.h"

#include "varnex/data/company.h"
#include "varnex/data/database.h"
#include "varnex/data/engine_error.h"
#include "varnex/data/options.h"
#include "varnex/translation/message_lines.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTextStream>

#include <exception>

using namespace varnex::data;
namespace lines = varnex::translation::lgxadmin_lines;

namespace {

// The folder the command is writing, named when its disk fills up.
QString g_writing;

QTextStream& out()
{
    static QTextStream s(stdout);
    return s;
}

QTextStream& err()
{
    static QTextStream s(stderr);
    return s;
}

const char* const kUsage =
    "Usage:\n"
    "  lgxadmin init [--sessions N] [--password P] DIR\n"
    "      create the data root DIR/Lgx/data with its system tables and an administrator\n"
    "  lgxadmin demo [--size small|large] DIR\n"
    "      create the demonstration company 1 in DIR/Lgx/data1\n"
    "  lgxadmin user --code C --name NAME --password P [--language 1|2] [--company N]\n"
    "                [--printer NAME] [--store N] [--detail N] [--rights all|none|OPTION,...] DIR\n"
    "      add a user; rights are option names (see 'lgxadmin options')\n"
    "  lgxadmin desktop --user C DIR\n"
    "      give user C, who has no desktop yet, the six list icons on the wallpaper\n"
    "  lgxadmin check DIR [COMPANY]\n"
    "      verify supplier and client balances, journals and cost layers of a company (default 1)\n"
    "  lgxadmin options\n"
    "      list the option names that rights can name\n"
    "  lgxadmin copy --to server|sqlite [--replace] DIR\n"
    "      copy the data root and every company from one storage engine to the other, then compare them\n"
    "  lgxadmin compare DIR\n"
    "      compare every table of the data root and the companies on both engines (rows, checksum)\n"
    "  --server CONNECTION (with any command)\n"
    "      work on the PostgreSQL server CONNECTION (\"host=server dbname=varnex\") instead of the settings\n";

class UsageError : public std::runtime_error {
public:
    explicit UsageError(const QString& message)
        : std::runtime_error(message.toStdString())
    {
    }
};

// Options of the form "--name value"; everything else is positional.
struct Arguments {
    QMap<QString, QString> options;
    QStringList positional;

    Arguments(const QStringList& args, const QStringList& known)
    {
        for (int i = 0; i < args.size(); ++i) {
            const QString& a = args[i];
            if (!a.startsWith(QLatin1String("--"))) {
                positional << a;
                continue;
            }
            const QString name = a.mid(2);
            if (!known.contains(name))
                throw UsageError(QStringLiteral("Unknown option %1.").arg(a));
            if (i + 1 >= args.size())
                throw UsageError(QStringLiteral("The option %1 needs a value.").arg(a));
            options.insert(name, args[++i]);
        }
    }

    int integer(const QString& name, int fallback, int low, int high) const
    {
        if (!options.contains(name))
            return fallback;
        bool ok = false;
        const int v = options.value(name).toInt(&ok);
        if (!ok || v < low || v > high)
            throw UsageError(QStringLiteral("--%1 must be a whole number from %2 to %3.").arg(name).arg(low).arg(high));
        return v;
    }

    QString folder(int expected) const
    {
        if (positional.size() != expected)
            throw UsageError(QStringLiteral("Expected the folder DIR."));
        return QDir::cleanPath(QDir::current().absoluteFilePath(positional.first()));
    }
};

int runInit(const QStringList& args)
{
    const Arguments a(args, {QStringLiteral("sessions"), QStringLiteral("password")});
    DataRootOptions o;
    o.sessions = a.integer(QStringLiteral("sessions"), 10, 1, 999);
    o.adminPassword = a.options.value(QStringLiteral("password"));
    const QString root = DataRootOfDrive(a.folder(1));
    g_writing = root;
    const QString password = CreateDataRoot(root, o);
    out() << "Data root created: " << root << "\n"
          << "Sessions: " << o.sessions << "\n"
          << "Administrator " << o.adminCode << " password: " << password << "\n";
    return 0;
}

int runDemo(const QStringList& args)
{
    const Arguments a(args, {QStringLiteral("size")});
    const QString size = a.options.value(QStringLiteral("size"), QStringLiteral("small"));
    if (size != QLatin1String("small") && size != QLatin1String("large"))
        throw UsageError(QStringLiteral("--size is small or large."));
    const QString root = DataRootOfDrive(a.folder(1));
    g_writing = CompanyFolderOf(root, 1);
    QElapsedTimer timer;
    timer.start();
    const DemoSummary s = size == QLatin1String("large") ? BuildLargeDemoCompany(root) : BuildDemoCompany(root);
    out() << "Company 1 created: " << CompanyFolderOf(root, 1) << "\n";
    for (const auto& [table, rows] : s.rows)
        out() << "  " << table << ": " << rows << "\n";
    out() << "Done in " << timer.elapsed() / 1000.0 << " s\n";
    return 0;
}

int runUser(const QStringList& args)
{
    const Arguments a(args, {QStringLiteral("code"), QStringLiteral("name"), QStringLiteral("password"),
                             QStringLiteral("language"), QStringLiteral("company"), QStringLiteral("printer"),
                             QStringLiteral("store"), QStringLiteral("detail"), QStringLiteral("rights")});
    UserSpec u;
    u.code = a.options.value(QStringLiteral("code"));
    u.name = a.options.value(QStringLiteral("name"));
    u.password = a.options.value(QStringLiteral("password"));
    u.language = a.integer(QStringLiteral("language"), 2, 1, 2);
    u.company = a.integer(QStringLiteral("company"), 1, 1, 32767);
    u.printer = a.options.value(QStringLiteral("printer"));
    u.store = a.integer(QStringLiteral("store"), 1, 0, 32767);
    u.detail = a.integer(QStringLiteral("detail"), 0, 0, 32767);
    const QString rights = a.options.value(QStringLiteral("rights"), QStringLiteral("none")).trimmed();
    if (rights.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0) {
        u.rights = RightsAll();
    } else if (rights.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0) {
        u.rights = RightsNone();
    } else {
        QStringList unknown;
        u.rights = RightsFor(rights.split(QLatin1Char(','), Qt::SkipEmptyParts), &unknown);
        if (!unknown.isEmpty())
            throw UsageError(QStringLiteral("Unknown option names: %1 (see 'lgxadmin options').")
                                 .arg(unknown.join(QStringLiteral(", "))));
    }
    const QString root = DataRootOfDrive(a.folder(1));
    g_writing = root;
    AddUser(root, u);
    out() << "User " << u.code.trimmed() << " added to " << root << "\n";
    return 0;
}

int runDesktop(const QStringList& args)
{
    const Arguments a(args, {QStringLiteral("user")});
    if (a.options.value(QStringLiteral("user")).trimmed().isEmpty())
        throw UsageError(QStringLiteral("desktop needs --user."));
    const QString root = DataRootOfDrive(a.folder(1));
    g_writing = root;
    const int icons = varnex::lgxadmin::WriteStarterDesktop(root, a.options.value(QStringLiteral("user")),
                                                            QCoreApplication::applicationDirPath());
    out() << icons << " list icons placed on the desktop of " << a.options.value(QStringLiteral("user")).trimmed()
          << "\n";
    return 0;
}

int runCheck(const QStringList& args)
{
    const Arguments a(args, {});
    if (a.positional.isEmpty() || a.positional.size() > 2)
        throw UsageError(QStringLiteral("Expected DIR and an optional company number."));
    int company = 1;
    if (a.positional.size() == 2) {
        bool ok = false;
        company = a.positional[1].toInt(&ok);
        if (!ok || company < 1)
            throw UsageError(QStringLiteral("The company is a number from 1 up."));
    }
    const QString dir = QDir::cleanPath(QDir::current().absoluteFilePath(a.positional.first()));
    const QString root = DataRootOfDrive(dir);
    const QString folder = CompanyFolderOf(root, company);
    if (!QDir(folder).exists())
        throw SetupError(QStringLiteral("The company folder %1 does not exist.").arg(folder));
    // Only looked at: a folder without a database is told, never given one.
    if (!Database::existsForFolder(folder))
        throw SetupError(QStringLiteral("%1 is not a company folder (it holds no data).").arg(folder));
    const bool haveRoot = Database::existsForFolder(root);
    // A company is registered last when it is created: an unregistered folder
    // is what an interrupted creation left, unless one is under way.
    if (haveRoot && DamageOf(root).isEmpty() && !IsCompanyRegistered(root, company)) {
        if (IsCompanyBeingCreated(root, company))
            throw SetupError(AdminText(lines::CompanyBeingCreated).arg(folder));
        throw SetupError(
            QStringLiteral("Company %1 is not registered in %2: its creation did not finish; run it again.")
                .arg(company)
                .arg(root));
    }
    // Damage first: the balances of a damaged file prove nothing.
    int damaged = 0;
    for (const QString& inspected : {root, folder}) {
        if (!Database::existsForFolder(inspected))
            continue;
        for (const QString& problem : DamageOf(inspected)) {
            out() << "Damaged: " << inspected << ": " << problem << "\n";
            ++damaged;
        }
    }
    if (damaged > 0) {
        out().flush();
        err() << "lgxadmin: the data of " << folder << " is damaged (" << damaged
              << " problem(s)); restore it from a copy\n";
        return 2;
    }
    const CheckReport report = CheckCompany(folder);
    for (const QString& line : report.differences)
        out() << line << "\n";
    out() << "Checked " << folder << ": " << report.suppliers << " suppliers, " << report.clients << " clients, "
          << report.journalHeaders << " journal headers, " << report.inventoryRecords << " inventory records; "
          << report.differences.size() << " difference(s)\n";
    return report.differences.isEmpty() ? 0 : 1;
}

int runOptions()
{
    for (const MenuOption& o : MenuOptions())
        out() << o.ledger << "." << o.group << "." << o.item << "\t" << o.name << "\t" << QString::fromUtf8(o.caption)
              << "\n";
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
        (args.isEmpty() ? err() : out()) << kUsage;
        return args.isEmpty() ? 2 : 0;
    }
    if (QString error; !TakeServerOption(args, error)) {
        err() << "lgxadmin: " << error << "\n";
        return 2;
    }
    if (args.isEmpty()) {
        err() << kUsage;
        return 2;
    }
    const QString command = args.takeFirst();
    try {
        // The engine's own messages (a server that stops answering) follow
        // the same language as ours.
        SetEngineMessageLanguage(AdminLanguage());
        if (command == QLatin1String("init"))
            return runInit(args);
        if (command == QLatin1String("demo"))
            return runDemo(args);
        if (command == QLatin1String("user"))
            return runUser(args);
        if (command == QLatin1String("desktop"))
            return runDesktop(args);
        if (command == QLatin1String("check"))
            return runCheck(args);
        if (command == QLatin1String("options"))
            return runOptions();
        if (command == QLatin1String("copy"))
            return RunCopy(args, out(), err());
        if (command == QLatin1String("compare"))
            return RunCompare(args, out(), err());
        throw UsageError(QStringLiteral("Unknown command %1.").arg(command));
    } catch (const UsageError& e) {
        err() << "lgxadmin: " << e.what() << "\n" << kUsage;
    } catch (const SetupError& e) {
        if (e.kind() == SetupError::Kind::CompanyBeingCreated)
            err() << "lgxadmin: " << AdminText(lines::CompanyBeingCreated).arg(e.subject()) << "\n";
        else
            err() << "lgxadmin: " << e.message() << "\n";
    } catch (const EngineError& e) {
        if (e.code() == ErrorCode::DiskFull && !g_writing.isEmpty()) {
            err() << "lgxadmin: " << AdminText(lines::DiskFull).arg(g_writing) << "\n";
            return 2;
        }
        err() << "lgxadmin: database error " << Qt::hex << Qt::showbase << e.code() << Qt::dec << Qt::noshowbase << ": "
              << e.message() << "\n";
    } catch (const std::exception& e) {
        err() << "lgxadmin: " << e.what() << "\n";
    }
    return 2;
}
