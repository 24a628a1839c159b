// The outside libraries the launcher itself needs: the loading window and the
// company creation, loaded from the program folder as the launcher does.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QWidget>

#include "launcher_fixture.h"
#include "startup.h"
#include "varnex/data/company.h"
#include "varnex/data/database.h"
#include "varnex/data/table.h"
#include "varnex/library.h"

using launcher_test::Installation;
using varnex::launcher::LoadingDialog;

namespace {

QWidget* loadingWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QStringLiteral("LoadingDialog"))
            return widget;
    }
    return nullptr;
}

} // namespace

TEST(LoadingWindow, FollowsTheStartUpCallsAndGoesAway)
{
    varnex::RecordingMessageService messages;
    LoadingDialog loading(QStringLiteral(VARNEX_BIN_DIR));
    ASSERT_TRUE(loading.loaded());
    EXPECT_TRUE(loading.open());
    EXPECT_TRUE(loading.caption(0));
    ASSERT_NE(loadingWindow(), nullptr);
    EXPECT_TRUE(loadingWindow()->isVisible());
    EXPECT_TRUE(loading.step());
    EXPECT_TRUE(loading.caption(1));
    EXPECT_TRUE(loading.close());
    EXPECT_EQ(loadingWindow(), nullptr);
    EXPECT_FALSE(loading.loaded()); // freed after closing
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST(LoadingWindow, CallsBeforeOpeningAreRefusedWithAccessDenied)
{
    varnex::RecordingMessageService messages;
    LoadingDialog loading(QStringLiteral(VARNEX_BIN_DIR));
    ASSERT_TRUE(loading.loaded());
    EXPECT_FALSE(loading.step()); // no window yet: the library answers 0
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("Access denied..."));
    loading.close();
}

TEST(LoadingWindow, AMissingLibraryIsSkippedSilently)
{
    varnex::RecordingMessageService messages;
    QTemporaryDir empty;
    LoadingDialog loading(empty.path());
    EXPECT_FALSE(loading.loaded());
    EXPECT_FALSE(loading.open());
    EXPECT_FALSE(loading.caption(0));
    EXPECT_FALSE(loading.close());
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST(CompanyCreation, CreatesTheNextCompanyWithItsFolder)
{
    Installation installation(3, true);
    varnex::SharedLibrary library;
    ASSERT_TRUE(library.load(QStringLiteral("compcreate.so"), QStringLiteral(VARNEX_BIN_DIR)))
        << library.errorText().toStdString();
    auto showDllForm = library.entry<std::int32_t (*)(TLinkSection)>("ShowDllForm");
    ASSERT_NE(showDllForm, nullptr);

    varnex::LinkRecord record;
    record.setText(&TLinkSection::Link_data_dir, installation.dataRoot());
    record.raw().Link_language = 1;
    EXPECT_EQ(showDllForm(record.value()), -1);
    EXPECT_TRUE(installation.messages.shown.isEmpty());

    varnex::data::Table comp;
    comp.setFolder(installation.dataRoot());
    comp.setTableName(QStringLiteral("comp"));
    comp.open();
    EXPECT_EQ(comp.recordCount(), 2);
    comp.last();
    EXPECT_EQ(comp.field(QStringLiteral("Comp_Code")).asInteger(), 2);
    EXPECT_EQ(comp.field(QStringLiteral("Comp_Name")).asString(), QStringLiteral("Company 2"));
    comp.close();
    auto company = varnex::data::Database::forFolder(installation.dataRoot() + QStringLiteral("2"));
    EXPECT_TRUE(company->tableExists(QStringLiteral("ctrl")));

    // The direct entry names the company; a data root that is not there is refused with a reason.
    auto createNext = library.entry<std::int32_t (*)(const char*, const char*, std::int32_t, char*, std::int32_t)>(
        "CreateNextCompany");
    ASSERT_NE(createNext, nullptr);
    const QByteArray root = installation.dataRoot().toUtf8();
    char error[200] = {};
    EXPECT_EQ(createNext(root.constData(), "Gamma", 2, error, sizeof error), 3);
    EXPECT_EQ(createNext("/nonexistent/Lgx/data", "", 2, error, sizeof error), -1);
    EXPECT_NE(QString::fromUtf8(error).indexOf(QStringLiteral("/nonexistent")), -1);
    EXPECT_EQ(createNext(nullptr, nullptr, 1, nullptr, 0), -1); // no crash on nothing
    char tiny[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(createNext("", "", 1, tiny, sizeof tiny), -1);
    EXPECT_EQ(tiny[3], '\0'); // cut, always terminated
}

TEST(CompanyCreation, ALeftoverFolderIsNotReused)
{
    Installation installation(3, true);
    QDir().mkpath(installation.dataRoot() + QStringLiteral("2"));
    varnex::SharedLibrary library;
    ASSERT_TRUE(library.load(QStringLiteral("compcreate.so"), QStringLiteral(VARNEX_BIN_DIR)));
    auto createNext = library.entry<std::int32_t (*)(const char*, const char*, std::int32_t, char*, std::int32_t)>(
        "CreateNextCompany");
    const QByteArray root = installation.dataRoot().toUtf8();
    EXPECT_EQ(createNext(root.constData(), "Delta", 1, nullptr, 0), 3);
}
