// Session slots between real launcher processes: each holds its own row of
// the session table, a killed one gives its row back, and a launcher that
// finds every row taken says so and closes.

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include "launcher_fixture.h"
#include "varnex/data/database.h"
#include "varnex/data/table.h"

using launcher_test::Installation;

namespace {

class LauncherProcess {
public:
    LauncherProcess(const Installation& installation)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("VARNEX_SETTINGS"), installation.settingsPath());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start(QStringLiteral(VARNEX_BIN_DIR "/launcher"), {QStringLiteral("--startup-report")});
    }
    ~LauncherProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    // The session number the launcher reports at the end of its first
    // activation, -1 when it does not report within the time.
    int session()
    {
        static const QRegularExpression pattern(QStringLiteral("startup session=(\\d+)"));
        QByteArray output;
        for (int i = 0; i < 150; ++i) {
            output += m_process.readAllStandardOutput();
            const QRegularExpressionMatch match = pattern.match(QString::fromUtf8(output));
            if (match.hasMatch())
                return match.captured(1).toInt();
            if (m_process.state() == QProcess::NotRunning)
                break;
            m_process.waitForReadyRead(200);
        }
        return -1;
    }

    void kill()
    {
        m_process.kill(); // SIGKILL: no chance to release anything itself
        m_process.waitForFinished(5000);
    }

private:
    QProcess m_process;
};

} // namespace

TEST(SessionProcesses, TwoLaunchersHoldTwoSlotsAndAKilledOneFreesItsSlot)
{
    Installation installation(2);
    // No translation tables are needed: the administrator keeps the start-up language.
    installation.setSetting(QStringLiteral("language"), QStringLiteral("3"));
    {
        auto db = varnex::data::Database::forFolder(installation.dataRoot());
        varnex::data::Table users;
        users.setDatabase(db);
        users.setTableName(QStringLiteral("user"));
        users.open();
        users.first();
        users.edit();
        users.field(QStringLiteral("User_language")).setInteger(0);
        users.post();
    }
    LauncherProcess first(installation);
    const int firstSession = first.session();
    LauncherProcess second(installation);
    const int secondSession = second.session();
    EXPECT_EQ(firstSession, 1);
    EXPECT_EQ(secondSession, 2);

    // Every slot is held by another process: a launcher here says so and closes.
    {
        auto form = installation.startForm();
        EXPECT_TRUE(form->closedWithoutUser());
        ASSERT_EQ(installation.messages.shown.size(), 1);
        EXPECT_TRUE(installation.messages.shown[0].text.contains(QStringLiteral("sessions")));
    }

    first.kill();
    LauncherProcess third(installation);
    EXPECT_EQ(third.session(), 1);
}
