// The desktop program: the loading window, the application, the main window
// and the regional settings, in that order; the main window's first
// activation does the rest.
//
//   launcher [--startup-report]
//
// --startup-report prints one line when the first activation has ended:
// "startup session=<n> ms=<milliseconds since the process started>" (the
// session benchmark and the session-slot tests read it).

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

#include "desktop.h"
#include "launcherwindows.h"
#include "logoappform.h"
#include "startup.h"
#include "varnex/application.h"
#include "varnex/paths.h"
#include "varnex/regional.h"

namespace {

// Milliseconds since the kernel started this process (clock ticks of
// /proc/self/stat against the system's uptime), so that the loader's and
// Qt's own start-up count too.
double millisecondsSinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    QFile uptime(QStringLiteral("/proc/uptime"));
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray statText = stat.readAll();
    const qsizetype close = statText.lastIndexOf(')');
    const QList<QByteArray> fields = statText.mid(close + 2).split(' ');
    // Field 22 of the line is the start time; the list starts at field 3.
    if (fields.size() < 20)
        return -1;
    const double startTicks = fields[19].toDouble();
    const double uptimeSeconds = uptime.readAll().split(' ').value(0).toDouble();
    const double ticksPerSecond = static_cast<double>(sysconf(_SC_CLK_TCK));
    return (uptimeSeconds - startTicks / ticksPerSecond) * 1000.0;
}

} // namespace

int main(int argc, char** argv)
{
    varnex::VarnexApplication application(argc, argv);
    const bool report = QCoreApplication::arguments().contains(QStringLiteral("--startup-report"));

    varnex::launcher::LoadingDialog loading(varnex::ProgramFolderOf(varnex::ProgramDrive()));
    loading.open();
    loading.caption(0);

    QCoreApplication::setApplicationName(QStringLiteral("Primora/Lgx"));

    loading.step();
    loading.caption(1);

    varnex::launcher::LauncherWindows windows;
    varnex::launcher::LauncherEnvironment environment;
    windows.install(environment.hooks);
    varnex::launcher::TLogoAppForm form(std::move(environment));
    windows.attach(form);
    new varnex::launcher::desktop::TDesktop(form); // owned by the form
    if (report) {
        QObject::connect(&form, &varnex::launcher::TLogoAppForm::firstActivationDone, &form, [&form] {
            std::printf("startup session=%d ms=%.0f\n", form.linkSection().raw().Link_session,
                        millisecondsSinceProcessStart());
            std::fflush(stdout);
        });
    }

    form.LoadRegionalSettings();

    loading.step();
    loading.step();
    loading.close();

    form.show();
    // Without a window manager a window may never be activated; the first
    // activation does its work once whichever comes first.
    QTimer::singleShot(0, &form, [&form] { form.FormActivate(); });
    const int result = application.exec();
    // A launcher that could not get a session or a user did not run.
    return form.closedWithoutUser() ? 2 : result;
}
