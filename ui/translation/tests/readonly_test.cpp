#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <unistd.h>

// An installed program cannot write its languages folder: the tables must
// still be read, by an ordinary user, from a folder and file without write
// permission.
TEST(LanguagesFolder, ReadOnlyFolderIsStillRead)
{
    QTemporaryDir scratch;
    const QString folder = scratch.filePath(QStringLiteral("languages"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString source = QStringLiteral(VARNEX_BIN_DIR "/../languages");
    for (const QString& name : QDir(source).entryList({QStringLiteral("*.sqlite")}, QDir::Files))
        ASSERT_TRUE(QFile::copy(source + QLatin1Char('/') + name, folder + QLatin1Char('/') + name));
    ASSERT_FALSE(QDir(folder).entryList({QStringLiteral("*.sqlite")}, QDir::Files).isEmpty());
    for (const QString& name : QDir(folder).entryList(QDir::Files))
        QFile::setPermissions(folder + QLatin1Char('/') + name, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    const auto readAndEnter =
        QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    QFile::setPermissions(folder, readAndEnter);
    QFile::setPermissions(scratch.path(), readAndEnter);

    QProcess reader;
    const QString program = QStringLiteral(VARNEX_TEST_BIN_DIR "/readonly_reader");
    const QStringList arguments{folder, QStringLiteral("MainMenuen")};
    if (::geteuid() == 0) {
        // root writes anywhere: read as an ordinary user instead
        reader.start(QStringLiteral("setpriv"),
                     QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                 QStringLiteral("--clear-groups"), program}
                         + arguments);
    } else {
        reader.start(program, arguments);
    }
    ASSERT_TRUE(reader.waitForFinished(20000));
    EXPECT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().toStdString();
    // nothing was created beside the tables
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(),
              QDir(folder).entryList({QStringLiteral("*.sqlite")}, QDir::Files).size());
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(scratch.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
