// The settings file as bytes: what other programs wrote survives our writes,
// reading leaves no trace on disk, and a changed file is seen at once.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

#include "test_support.h"
#include "varnex/settings.h"

using namespace varnex;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace

TEST(SettingsStore, LatinOneValuesAreReadAndEveryOtherByteKept)
{
    test_support::ScratchSettings scratch;
    const QByteArray original = "; \xe9t\xe9 2024\r\n[Lgx]\r\ndatadrive=/d/Donn\xe9"
                                "es\r\npgmdrive = /opt/x\r\n"
                                "Form=1,2,3\r\n\r\n[Settings]\r\nCurrSmbl=\xe2\x82\xac\r\nbroken=\xc3\r\n";
    writeAll(scratch.path(), original);
    const SettingsStore store = SettingsStore::machine();
    EXPECT_EQ(store.value(QStringLiteral("lgx"), QStringLiteral("DataDrive")), QString::fromUtf8("/d/Données"));
    EXPECT_EQ(store.value(QStringLiteral("Settings"), QStringLiteral("CurrSmbl")), QString::fromUtf8("€"));
    EXPECT_EQ(store.value(QStringLiteral("Settings"), QStringLiteral("broken")), QString::fromUtf8("Ã"));

    // the value already stored, even spelled otherwise: nothing is written
    ASSERT_TRUE(store.setValue(QStringLiteral("Lgx"), QStringLiteral("datadrive"), QString::fromUtf8("/d/Données")));
    ASSERT_TRUE(store.setValue(QStringLiteral("Lgx"), QStringLiteral("PGMDRIVE"), QStringLiteral("/opt/x")));
    EXPECT_EQ(readAll(scratch.path()), original);

    // one line replaced, one appended to its section, one new section
    ASSERT_TRUE(store.setValue(QStringLiteral("Lgx"), QStringLiteral("form"), QStringLiteral("4,5,6")));
    ASSERT_TRUE(store.setValue(QStringLiteral("Lgx"), QStringLiteral("language"), QStringLiteral("2")));
    ASSERT_TRUE(store.setValue(QStringLiteral("Intl"), QStringLiteral("x"), QString::fromUtf8("é")));
    const QByteArray expected = "; \xe9t\xe9 2024\r\n[Lgx]\r\ndatadrive=/d/Donn\xe9"
                                "es\r\npgmdrive = /opt/x\r\n"
                                "Form=4,5,6\r\nlanguage=2\r\n\r\n[Settings]\r\nCurrSmbl=\xe2\x82\xac\r\nbroken=\xc3\r\n"
                                "\r\n[Intl]\r\nx=\xc3\xa9\r\n";
    EXPECT_EQ(readAll(scratch.path()), expected);
    EXPECT_EQ(store.value(QStringLiteral("intl"), QStringLiteral("X")), QString::fromUtf8("é"));
}

TEST(SettingsStore, WritesIntoFilesWithoutAFinalLineEnd)
{
    test_support::ScratchSettings scratch;
    const SettingsStore store = SettingsStore::machine();
    const struct {
        const char* before;
        const char* after;
    } cases[] = {
        {"[Lgx]\na=1", "[Lgx]\na=1\nb=2\n"},                      // entry on the last, unterminated line
        {"[Lgx]", "[Lgx]\nb=2\n"},                                // section header only
        {"[Other]\nz=9", "[Other]\nz=9\n\n[Lgx]\nb=2\n"},         // new section after an unterminated line
        {"", "[Lgx]\nb=2\n"},                                     // empty file
        {"\xEF\xBB\xBF[Lgx]\nb=1\n", "\xEF\xBB\xBF[Lgx]\nb=2\n"}, // byte order mark kept
    };
    for (const auto& c : cases) {
        writeAll(scratch.path(), c.before);
        ASSERT_TRUE(store.setValue(QStringLiteral("Lgx"), QStringLiteral("b"), QStringLiteral("2")));
        EXPECT_EQ(readAll(scratch.path()), QByteArray(c.after)) << c.before;
    }
}

TEST(SettingsStore, ReadingCreatesNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new/dir/x.ini"));
    const SettingsStore store(path);
    EXPECT_EQ(store.value(QStringLiteral("Lgx"), QStringLiteral("datadrive"), QStringLiteral("d")),
              QStringLiteral("d"));
    EXPECT_FALSE(store.contains(QStringLiteral("Lgx"), QStringLiteral("datadrive")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("new"))));

    // the first write makes the file, keeping the mode of one that exists
    ASSERT_TRUE(store.setValue(QStringLiteral("Lgx"), QStringLiteral("datadrive"), QStringLiteral("/x")));
    EXPECT_TRUE(QFileInfo::exists(path));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    ASSERT_TRUE(store.setValue(QStringLiteral("Lgx"), QStringLiteral("datadrive"), QStringLiteral("/y")));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(SettingsStore, SeesChangesMadeByOthersAndStaysFastOnLargeFiles)
{
    test_support::ScratchSettings scratch;
    const SettingsStore store = SettingsStore::machine();
    writeAll(scratch.path(), "[Lgx]\nlanguage=1\n");
    EXPECT_EQ(store.value(QStringLiteral("Lgx"), QStringLiteral("language")), QStringLiteral("1"));
    // same size, rewritten in place: still seen
    writeAll(scratch.path(), "[Lgx]\nlanguage=2\n");
    EXPECT_EQ(store.value(QStringLiteral("Lgx"), QStringLiteral("language")), QStringLiteral("2"));
    // replaced by another file
    const QString other = scratch.folder() + QStringLiteral("/other.ini");
    writeAll(other, "[Lgx]\nlanguage=3\n");
    ASSERT_TRUE(QFile::remove(scratch.path()));
    ASSERT_TRUE(QFile::rename(other, scratch.path()));
    EXPECT_EQ(store.value(QStringLiteral("Lgx"), QStringLiteral("language")), QStringLiteral("3"));
    ASSERT_TRUE(QFile::remove(scratch.path()));
    EXPECT_EQ(store.value(QStringLiteral("Lgx"), QStringLiteral("language"), QStringLiteral("gone")),
              QStringLiteral("gone"));

    // a file of some 20 MB answers a thousand reads without parsing it each time
    QByteArray big = "[Lgx]\nlanguage=2\n[Padding]\n";
    const QByteArray filler = "comment line of padding, not an entry of any use to anybody at all\n";
    while (big.size() < 20 * 1024 * 1024)
        big += filler;
    writeAll(scratch.path(), big);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(store.value(QStringLiteral("Lgx"), QStringLiteral("language")), QStringLiteral("2"));
}

TEST(SettingsStore, TheFirstOfTwiceGivenNamesIsReadAndWritten)
{
    test_support::ScratchSettings scratch;
    const SettingsStore store = SettingsStore::machine();
    // A name twice in its section, and the section itself twice.
    writeAll(scratch.path(), "[Lgx]\ndatadrive=/first\nDataDrive=/second\n[Other]\nx=1\n[LGX]\ndatadrive=/third\n"
                             "pgmdrive=/programs\n");
    EXPECT_EQ(store.value(QStringLiteral("lgx"), QStringLiteral("DATADRIVE")), QStringLiteral("/first"));
    EXPECT_EQ(store.value(QStringLiteral("Lgx"), QStringLiteral("pgmdrive")), QStringLiteral("/programs"));
    EXPECT_FALSE(store.contains(QStringLiteral("Other"), QStringLiteral("datadrive")));
    // A write changes the line a read gives, so the next read sees the write.
    ASSERT_TRUE(store.setValue(QStringLiteral("Lgx"), QStringLiteral("datadrive"), QStringLiteral("/new")));
    EXPECT_EQ(store.value(QStringLiteral("Lgx"), QStringLiteral("datadrive")), QStringLiteral("/new"));
    EXPECT_EQ(readAll(scratch.path()), QByteArray("[Lgx]\ndatadrive=/new\nDataDrive=/second\n[Other]\nx=1\n[LGX]\n"
                                                  "datadrive=/third\npgmdrive=/programs\n"));
}
