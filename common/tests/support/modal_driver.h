#pragma once
// Drives a modal window from inside its own exec(): a short polling timer
// finds the window by objectName among the top-level widgets and runs the
// test's steps once; a watchdog closes any modal window still open after the
// time limit, so that a broken test fails instead of hanging.

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace varnex::test_support {

class ModalDriver {
public:
    ModalDriver(QString objectName, std::function<void(QWidget*)> steps, int limitMs = 10000)
        : m_name(std::move(objectName))
        , m_steps(std::move(steps))
    {
        m_poll.setInterval(20);
        QObject::connect(&m_poll, &QTimer::timeout, [this] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->objectName() == m_name && w->isVisible()) {
                    m_poll.stop();
                    m_ran = true;
                    m_steps(w);
                    return;
                }
            }
        });
        m_poll.start();
        m_watchdog.setSingleShot(true);
        QObject::connect(&m_watchdog, &QTimer::timeout, [this] {
            m_timedOut = true;
            while (QWidget* modal = QApplication::activeModalWidget()) {
                if (auto* dialog = qobject_cast<QDialog*>(modal))
                    dialog->reject();
                else
                    modal->close();
            }
        });
        m_watchdog.start(limitMs);
    }

    bool ran() const { return m_ran; }
    bool timedOut() const { return m_timedOut; }

private:
    QString m_name;
    std::function<void(QWidget*)> m_steps;
    QTimer m_poll;
    QTimer m_watchdog;
    bool m_ran = false;
    bool m_timedOut = false;
};

} // namespace varnex::test_support
