#include "varnex/frame/tables.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <iterator>
#include <memory>

#include "varnex/data/engine_error.h"
#include "varnex/data/table.h"
#include "varnex/messages.h"
#include "varnex/translation/message_lines.h"

namespace varnex::frame {

namespace {

namespace lines = translation::frame_lines;

// The texts when the language table cannot be read, in line order.
const char* const kDesignTexts[] = {
    "Error opening table %1",
    "Record in use at another workstation: waiting…",
};
static_assert(std::size(kDesignTexts) == lines::All.size());

QString text(int language, int line)
{
    const QString fromTable =
        translation::MessageLinesOfTable(language == 2 ? QStringLiteral("picklistsfr") : QStringLiteral("picklistsen"),
                                         QStringLiteral("FrameMessages"), QStringLiteral("Messages"))
            .value(line);
    return fromTable.isEmpty() ? QString::fromUtf8(kDesignTexts[line]) : fromTable;
}

} // namespace

bool OpenTableChecked(data::Table& table, int language, QWidget* formToClose)
{
    try {
        table.open();
        return true;
    } catch (...) {
        QString name;
        try {
            name = table.tableName();
        } catch (...) {
        }
        Messages().show(nullptr, MessageKind::Error, QApplication::applicationDisplayName(),
                        text(language, lines::TableNotOpened).arg(name), MessageButtons::Ok);
        if (formToClose)
            formToClose->close();
        return false;
    }
}

namespace {

// A small notice over the waiting window, so the user knows why it does not
// answer: another workstation holds the record.
class LockWaitNotice {
public:
    LockWaitNotice(QWidget* window, int language)
    {
        m_label = std::make_unique<QLabel>(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
        m_label->setObjectName(QStringLiteral("LockWaitNotice"));
        m_label->setText(text(language, lines::WaitingForRecord));
        m_label->setMargin(8);
        m_label->adjustSize();
        if (window) {
            const QPoint centre = window->mapToGlobal(window->rect().center());
            m_label->move(centre - m_label->rect().center());
        }
        m_label->show();
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~LockWaitNotice() { QApplication::restoreOverrideCursor(); }

private:
    std::unique_ptr<QLabel> m_label;
};

void pauseKeepingWindowsPainted(int milliseconds)
{
    // Only paint and timer work runs meanwhile: user input would re-enter the
    // window's handlers in the middle of the one that is waiting.
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

bool EditWithLockRetry(data::Table& table, QWidget* window, int language)
{
    std::unique_ptr<LockWaitNotice> notice;
    for (;;) {
        try {
            table.edit();
            return true;
        } catch (const data::EngineError& error) {
            if (error.code() != data::ErrorCode::RecordLocked)
                return false;
        }
        if (!notice)
            notice = std::make_unique<LockWaitNotice>(window, language);
        pauseKeepingWindowsPainted(LockRetryPauseMs);
    }
}

} // namespace varnex::frame
