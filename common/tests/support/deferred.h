#pragma once
// Waiting for what a window deferred to its event loop, on a condition
// rather than a clock.
//
// Windows run their rules after an event has been handled (a cell's rules
// once its editor is gone, a box's exit rules once the focus has moved) with
// queued calls and zero-delay timers, and those rules may defer more. A fixed
// pause runs all of that on an idle machine; on a loaded one the pause ends
// after a single pass of the event loop and the test types into a window
// that has not caught up. RunDeferred() instead passes a marker through the
// queue until a pass delivers nothing but the marker.

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTest>

namespace varnex::test_support {

// Generous: a broken test still ends, a slow machine does not fail.
inline constexpr int DeferredLimitMs = 60000;

namespace detail {

class QueuedCallCounter : public QObject {
public:
    QueuedCallCounter() { QCoreApplication::instance()->installEventFilter(this); }
    ~QueuedCallCounter() override { QCoreApplication::instance()->removeEventFilter(this); }
    int delivered = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MetaCall)
            ++delivered;
        return false;
    }
};

} // namespace detail

// Runs every queued call and zero-delay timer waiting in the event loop, and
// those they queue in turn, until none is left. False if the loop is still
// busy after `limitMs` (a window that keeps queueing work).
inline bool RunDeferred(int limitMs = DeferredLimitMs)
{
    QDeadlineTimer deadline(limitMs);
    detail::QueuedCallCounter counter;
    for (;;) {
        bool reached = false;
        QObject marker;
        QMetaObject::invokeMethod(
            &marker, [&reached] { reached = true; }, Qt::QueuedConnection);
        const int before = counter.delivered;
        if (!QTest::qWaitFor([&reached] { return reached; }, static_cast<int>(deadline.remainingTime())))
            return false;
        if (counter.delivered - before == 1)
            return true; // only the marker: nothing was waiting ahead of it
        if (deadline.hasExpired())
            return false;
    }
}

// Waits until `condition` holds, running deferred work between looks.
template <typename Condition>
bool WaitUntil(Condition condition, int limitMs = DeferredLimitMs)
{
    return QTest::qWaitFor(condition, limitMs);
}

} // namespace varnex::test_support
