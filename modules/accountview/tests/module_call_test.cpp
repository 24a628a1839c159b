// The two module libraries called as the launcher calls them.
#include "account_fixture.h"
#include "deferred.h"

#include <QPushButton>
#include <QTabWidget>

#include "modal_driver.h"
#include "varnex/library.h"

using namespace varnex;
using namespace varnex::accountview::test;

namespace {

using ShowDllFormFunction = std::int32_t (*)(TLinkSection);

class ModuleCall : public AccountWindowFixture {};

} // namespace

TEST_F(ModuleCall, EachLibraryShowsItsWindowAndReturnsDone)
{
    AddRow(db, QStringLiteral("cli"), {{QStringLiteral("Cli_code"), QStringLiteral("A1")}});
    AddRow(db, QStringLiteral("sup"), {{QStringLiteral("Sup_code"), QStringLiteral("S1")}});
    struct Case {
        const char* library;
        const char* window;
        const char* caption;
        const char* exitButton;
        int tabs;
    };
    for (const Case& c : {Case{"clview", "clview_frm", "Display of clients", "Exit_btn", 8},
                          Case{"supview", "supview_Frm", "Display of suppliers", "Button1", 7}}) {
        SharedLibrary library;
        ASSERT_TRUE(
            library.load(QStringLiteral(VARNEX_BIN_DIR "/") + QString::fromLatin1(c.library) + QStringLiteral(".so")))
            << library.errorText().toStdString();
        auto show = library.entry<ShowDllFormFunction>("ShowDllForm");
        ASSERT_NE(show, nullptr);
        QString caption;
        int tabs = 0;
        QString status;
        test_support::ModalDriver driver(QString::fromLatin1(c.window), [&](QWidget* window) {
            // the first activation runs once the window is active, and may defer work
            EXPECT_TRUE(QTest::qWaitForWindowActive(window));
            EXPECT_TRUE(test_support::RunDeferred());
            caption = window->windowTitle();
            tabs = window->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->count();
            QTest::mouseClick(window->findChild<QPushButton*>(QString::fromLatin1(c.exitButton)), Qt::LeftButton);
        });
        EXPECT_EQ(show(link.value()), -1) << c.library;
        EXPECT_TRUE(driver.ran()) << c.library;
        EXPECT_FALSE(driver.timedOut()) << c.library;
        EXPECT_EQ(caption, QString::fromLatin1(c.caption));
        EXPECT_EQ(tabs, c.tabs);
        EXPECT_EQ(vxstr_refcount(link.raw().Link_user_name), 1u);
    }
}
