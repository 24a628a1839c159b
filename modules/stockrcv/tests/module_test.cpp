// The module library as the launcher calls it: loaded by path, ShowDllForm
// given a session record by value, the window shown modally until Exit.
#include <gtest/gtest.h>

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "modal_driver.h"
#include "test_support.h"
#include "varnex/data/company.h"
#include "varnex/data/database.h"
#include "varnex/data/table.h"
#include "varnex/library.h"
#include "varnex/linksection.h"
#include "varnex/messages.h"

using namespace varnex;

namespace {

using ShowDllFormFunction = std::int32_t (*)(TLinkSection);

} // namespace

TEST(StockrcvModule, ShowDllFormShowsTheTranslatedWindowUntilExitAndReturnsMinusOne)
{
    test_support::ScratchSettings settings;
    QTemporaryDir root;
    const QString dataRoot = root.path() + QStringLiteral("/data");
    data::DataRootOptions rootOptions;
    rootOptions.adminPassword = QStringLiteral("SECRET");
    data::CreateDataRoot(dataRoot, rootOptions);
    data::CompanyOptions company;
    company.name = QStringLiteral("Alpha");
    data::CreateCompany(dataRoot, company);
    {
        data::Table stores;
        stores.setDatabase(data::Database::forFolder(data::CompanyFolderOf(dataRoot, 1)));
        stores.setTableName(QStringLiteral("ivmag"));
        stores.open();
        stores.append();
        stores.field(QStringLiteral("Ivmag_store_number")).setInteger(4);
        stores.post();
    }
    LinkRecord record;
    record.setText(&TLinkSection::Link_data_dir, dataRoot);
    record.setText(&TLinkSection::Link_pgm_dir, QStringLiteral(VARNEX_BIN_DIR));
    record.setText(&TLinkSection::Link_company, QStringLiteral("1"));
    record.setText(&TLinkSection::Link_company_name, QStringLiteral("Alpha"));
    record.setText(&TLinkSection::Link_user, QStringLiteral("ADMIN"));
    record.raw().Link_session = 2;
    record.raw().Link_language = 2;
    record.setLangCode(QStringLiteral("fr"));
    RecordingMessageService messages;
    SetMessageService(&messages);

    SharedLibrary library;
    ASSERT_TRUE(library.load(QStringLiteral(VARNEX_BIN_DIR "/stockrcv.so"))) << library.errorText().toStdString();
    auto show = library.entry<ShowDllFormFunction>("ShowDllForm");
    ASSERT_NE(show, nullptr);
    QString caption;
    test_support::ModalDriver driver(
        QStringLiteral("stockrcv_frm"),
        [&](QWidget* window) {
            // The first activation has translated the window and opened its tables.
            ASSERT_TRUE(QTest::qWaitFor([&] { return window->windowTitle().endsWith(QLatin1String("4")); }, 20000));
            caption = window->windowTitle();
            QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("Exit_btn")), Qt::LeftButton);
        },
        60000);
    EXPECT_EQ(show(record.value()), -1);
    EXPECT_TRUE(driver.ran());
    EXPECT_FALSE(driver.timedOut());
    EXPECT_EQ(caption, QStringLiteral("Entrée des réceptions - Magasin 4"));
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.texts().join(QLatin1Char('|')).toStdString();
    // The work tables of session 2 were made in the company folder.
    EXPECT_TRUE(
        data::Database::forFolder(data::CompanyFolderOf(dataRoot, 1))->tableExists(QStringLiteral("cfrdettmp2")));
    // The module gave back its references to the launcher's strings.
    EXPECT_EQ(vxstr_refcount(record.raw().Link_user), 1u);
    SetMessageService(nullptr);
}
