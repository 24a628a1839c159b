// Start-up time of the launcher: from the start of the process to the end of
// its first activation (session claimed, user logged in, menus marked, Tools
// menu and session set up), as the launcher itself reports it with
// --startup-report.
//
//   launcher_startup_bench [--runs N] [--settings FILE]
//
// Without --settings a fresh data root with one company and one user is made
// in a temporary folder. The launcher is the one of the build's program folder.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

#include "varnex/data/company.h"
#include "varnex/settings.h"

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    int runs = 10;
    QString settings;
    for (int i = 1; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--runs"))
            runs = std::max(1, arguments[i + 1].toInt());
        if (arguments[i] == QLatin1String("--settings"))
            settings = arguments[i + 1];
    }

    QTemporaryDir scratch;
    if (settings.isEmpty()) {
        const QString dataRoot = scratch.filePath(QStringLiteral("data/Lgx/data"));
        QDir().mkpath(dataRoot);
        varnex::data::DataRootOptions options;
        options.adminPassword = QStringLiteral("BENCH");
        varnex::data::CreateDataRoot(dataRoot, options);
        varnex::data::CompanyOptions company;
        company.name = QStringLiteral("Bench");
        varnex::data::CreateCompany(dataRoot, company);
        settings = scratch.filePath(QStringLiteral("bench.ini"));
        const varnex::SettingsStore store(settings);
        store.setValue(QStringLiteral("Lgx"), QStringLiteral("pgmdrive"),
                       QDir::cleanPath(QStringLiteral(VARNEX_BIN_DIR "/../..")));
        store.setValue(QStringLiteral("Lgx"), QStringLiteral("datadrive"), scratch.filePath(QStringLiteral("data")));
        store.setValue(QStringLiteral("Lgx"), QStringLiteral("ShowWelcome"), QStringLiteral("N"));
    }

    const QString launcher = QStringLiteral(VARNEX_BIN_DIR "/launcher");
    static const QRegularExpression pattern(QStringLiteral("startup session=(\\d+) ms=(\\d+)"));
    QList<double> reported;
    QList<double> observed;
    for (int run = 0; run < runs; ++run) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("VARNEX_SETTINGS"), settings);
        if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM"))
            && !environment.contains(QStringLiteral("DISPLAY")))
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(environment);
        QElapsedTimer timer;
        timer.start();
        process.start(launcher, {QStringLiteral("--startup-report")});
        QByteArray output;
        QRegularExpressionMatch match;
        while (timer.elapsed() < 30000) {
            process.waitForReadyRead(100);
            output += process.readAllStandardOutput();
            match = pattern.match(QString::fromUtf8(output));
            if (match.hasMatch() || process.state() == QProcess::NotRunning)
                break;
        }
        const double wall = static_cast<double>(timer.elapsed());
        process.kill();
        process.waitForFinished(5000);
        if (!match.hasMatch()) {
            std::fprintf(stderr, "run %d: no start-up report (%s)\n", run + 1,
                         process.readAllStandardError().constData());
            return 1;
        }
        reported << match.captured(2).toDouble();
        observed << wall;
    }
    auto summary = [](QList<double> values) {
        std::sort(values.begin(), values.end());
        return QStringLiteral("min %1 median %2 max %3")
            .arg(values.front(), 0, 'f', 0)
            .arg(values[values.size() / 2], 0, 'f', 0)
            .arg(values.back(), 0, 'f', 0);
    };
    std::printf("launcher start-up, %d runs, process start to end of first activation (ms): %s\n", runs,
                qPrintable(summary(reported)));
    std::printf("as seen by this program (ms, including its own process start): %s\n", qPrintable(summary(observed)));
    return 0;
}
