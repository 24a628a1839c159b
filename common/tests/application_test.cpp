#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <stdexcept>

#include "varnex/application.h"
#include "varnex/messages.h"
#include "varnex/version.h"

using namespace varnex;

TEST(ApplicationExceptions, SlotExceptionGoesToTheInstalledHandlerAndTheProgramGoesOn)
{
    QPushButton button(QStringLiteral("Post"));
    button.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] {
        ++clicks;
        throw std::runtime_error("Key violation.");
    });

    QStringList caught;
    SetApplicationExceptionHandler([&](std::exception_ptr e) { caught << ExceptionMessage(e); });
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(caught, QStringList({QStringLiteral("Key violation."), QStringLiteral("Key violation.")}));
    ClearApplicationExceptionHandler();
    EXPECT_FALSE(HasApplicationExceptionHandler());
}

TEST(ApplicationExceptions, WithoutHandlerTheMessageIsShown)
{
    RecordingMessageService messages;
    bool ran = false;
    QTimer::singleShot(0, [] { throw std::logic_error("Table is busy."); });
    QTimer::singleShot(5, [&] { ran = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return ran; }, 2000));
    EXPECT_TRUE(ran);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("Table is busy."));
}

TEST(ApplicationExceptions, AFailingHandlerIsContained)
{
    SetApplicationExceptionHandler([](std::exception_ptr) { throw 42; });
    EXPECT_NO_THROW(HandleApplicationException(std::make_exception_ptr(std::runtime_error("x"))));
    ClearApplicationExceptionHandler();
    EXPECT_EQ(ExceptionMessage(std::make_exception_ptr(7)), QStringLiteral("Unexpected error."));
}

TEST(MessageService, RecorderAnswersInOrder)
{
    RecordingMessageService messages;
    messages.answers = {MessageAnswer::No};
    EXPECT_FALSE(AskYesNo(QStringLiteral("Post this invoice?")));
    EXPECT_TRUE(AskYesNo(QStringLiteral("Again?")));
    EXPECT_EQ(messages.texts(), QStringList({QStringLiteral("Post this invoice?"), QStringLiteral("Again?")}));
    EXPECT_EQ(messages.shown[0].buttons, MessageButtons::YesNo);
}

TEST(FileVersion, ReadFromTheFileWithoutLoadingIt)
{
    const QString runtime = QStringLiteral(VARNEX_BIN_DIR "/libvarnexrtl.so");
    const QString full = FileVersionText(runtime);
    ASSERT_FALSE(full.isEmpty());
    EXPECT_EQ(full.count(QLatin1Char('.')), 3);
    EXPECT_EQ(FileVersionText(runtime, 0), full);
    EXPECT_EQ(FileVersionText(runtime, 5), full);
    EXPECT_EQ(FileVersionText(runtime, 2), full.section(QLatin1Char('.'), 0, 1));
    EXPECT_EQ(FileVersionText(runtime, 1), full.section(QLatin1Char('.'), 0, 0));
    // no version information: the test fixture is built without a stamp
    EXPECT_EQ(FileVersionText(QStringLiteral(VARNEX_TEST_BIN_DIR "/abi_receiver.so")), QString());
    EXPECT_EQ(FileVersionText(QStringLiteral("/nonexistent/file.so")), QString());
    EXPECT_EQ(FileVersionText(QStringLiteral(VARNEX_SOURCE_DIR "/CMakeLists.txt")), QString());
}
