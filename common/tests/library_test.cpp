#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "varnex/library.h"
#include "varnex/linksection.h"

using namespace varnex;

namespace {

const QString testBin = QStringLiteral(VARNEX_TEST_BIN_DIR);

QString copyInto(const QTemporaryDir& dir, const QString& name)
{
    const QString target = dir.filePath(name);
    QFile::copy(testBin + QLatin1Char('/') + name, target);
    return target;
}

} // namespace

TEST(SharedLibrary, LoadsCallsAndTellsFailuresApart)
{
    SharedLibrary ok;
    ASSERT_TRUE(ok.load(QStringLiteral("needs_dependency.so"), testBin)) << ok.errorText().toStdString();
    auto show = ok.entry<std::int32_t (*)(TLinkSection)>("ShowDllForm");
    ASSERT_NE(show, nullptr);
    TLinkSection record{};
    EXPECT_EQ(show(record), -1);
    EXPECT_EQ(ok.resolve("NoSuchEntry"), nullptr);
    EXPECT_EQ(ok.failure(), LibraryFailure::EntryPointMissing);
    EXPECT_EQ(ok.failureCode(), 127);
    EXPECT_TRUE(ok.errorText().contains(QLatin1String("NoSuchEntry")));
    ok.unload();

    SharedLibrary absent;
    EXPECT_FALSE(absent.load(QStringLiteral("nothere.so"), testBin));
    EXPECT_EQ(absent.failure(), LibraryFailure::FileMissing);
    EXPECT_EQ(absent.failureCode(), 126);
    EXPECT_FALSE(absent.load(testBin + QStringLiteral("/nothere.so")));
    EXPECT_EQ(absent.failure(), LibraryFailure::FileMissing);

    // the library is there but what it needs is not
    QTemporaryDir lonely;
    copyInto(lonely, QStringLiteral("needs_dependency.so"));
    SharedLibrary orphan;
    EXPECT_FALSE(orphan.load(QStringLiteral("needs_dependency.so"), lonely.path()));
    EXPECT_EQ(orphan.failure(), LibraryFailure::DependencyMissing);
    EXPECT_EQ(orphan.failureCode(), 1157);
    EXPECT_TRUE(orphan.errorText().contains(QLatin1String("dependency_fixture.so")));

    // with its dependency beside it, the copy loads
    QTemporaryDir complete;
    copyInto(complete, QStringLiteral("needs_dependency.so"));
    copyInto(complete, QStringLiteral("dependency_fixture.so"));
    SharedLibrary both;
    EXPECT_TRUE(both.load(QStringLiteral("needs_dependency.so"), complete.path())) << both.errorText().toStdString();
}

TEST(SharedLibrary, RefusesFilesThatAreNotCompleteLibraries)
{
    QTemporaryDir dir;
    const QString cut = copyInto(dir, QStringLiteral("dependency_fixture.so"));
    QFile file(cut);
    const qint64 full = file.size();
    ASSERT_GT(full, 4096);
    ASSERT_TRUE(file.resize(full / 2));
    SharedLibrary truncated;
    EXPECT_FALSE(truncated.load(cut));
    EXPECT_EQ(truncated.failure(), LibraryFailure::NotALibrary);
    EXPECT_FALSE(IsCompleteElfObject(cut));

    const QString text = dir.filePath(QStringLiteral("text.so"));
    QFile t(text);
    ASSERT_TRUE(t.open(QIODevice::WriteOnly));
    t.write("this is not a library");
    t.close();
    SharedLibrary notElf;
    EXPECT_FALSE(notElf.load(text));
    EXPECT_EQ(notElf.failure(), LibraryFailure::NotALibrary);
    EXPECT_EQ(notElf.failureCode(), 193);

    const QString empty = dir.filePath(QStringLiteral("empty.so"));
    QFile e(empty);
    ASSERT_TRUE(e.open(QIODevice::WriteOnly));
    e.close();
    SharedLibrary nothing;
    EXPECT_FALSE(nothing.load(empty));
    EXPECT_EQ(nothing.failure(), LibraryFailure::NotALibrary);
    EXPECT_TRUE(IsCompleteElfObject(testBin + QStringLiteral("/dependency_fixture.so")));
}

TEST(SharedLibrary, LoadsOnlyPlainNamesFromTheProgramFolder)
{
    // The program folder is a copy holding the library; the first copy stays
    // reachable by a relative or absolute path from there.
    QTemporaryDir programFolder;
    copyInto(programFolder, QStringLiteral("needs_dependency.so"));
    copyInto(programFolder, QStringLiteral("dependency_fixture.so"));
    const QString outside = testBin + QStringLiteral("/needs_dependency.so");
    const QString climbing = QDir(programFolder.path()).relativeFilePath(outside);
    ASSERT_TRUE(climbing.contains(QLatin1String("..")));

    const struct {
        QString name;
        LibraryFailure failure;
    } cases[] = {
        {climbing, LibraryFailure::NameRefused}, // climbs out of the folder
        {outside, LibraryFailure::NameRefused},  // absolute path in a row
        {QStringLiteral("sub/needs_dependency.so"), LibraryFailure::NameRefused},
        {QStringLiteral(".."), LibraryFailure::NameRefused},
        {QStringLiteral("needs\ndependency.so"), LibraryFailure::NameRefused},
        {QString(), LibraryFailure::NameRefused},
        // a system library is not taken from the ordinary search path
        {QStringLiteral("libc.so.6"), LibraryFailure::FileMissing},
    };
    for (const auto& c : cases) {
        SharedLibrary library;
        EXPECT_FALSE(library.load(c.name, programFolder.path())) << c.name.toStdString();
        EXPECT_EQ(library.failure(), c.failure) << c.name.toStdString();
        EXPECT_FALSE(library.isLoaded());
    }
    SharedLibrary refused;
    refused.load(climbing, programFolder.path());
    EXPECT_EQ(refused.failureCode(), 123);

    // without a folder only an absolute path is taken
    SharedLibrary bare;
    EXPECT_FALSE(bare.load(QStringLiteral("libc.so.6")));
    EXPECT_EQ(bare.failure(), LibraryFailure::NameRefused);

    SharedLibrary plain;
    EXPECT_TRUE(plain.load(QStringLiteral("needs_dependency.so"), programFolder.path()))
        << plain.errorText().toStdString();
    EXPECT_EQ(plain.path(), programFolder.filePath(QStringLiteral("needs_dependency.so")));

    for (const char* good : {"purchent.so", "toolsmaint.so", "a.b.so"})
        EXPECT_TRUE(IsPlainLibraryName(QString::fromLatin1(good))) << good;
}
