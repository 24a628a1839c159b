#include "varnex/application.h"

#include <QMutex>

#include "varnex/messages.h"

namespace varnex {

namespace {

ExceptionHandler& installedHandler()
{
    static ExceptionHandler handler;
    return handler;
}

} // namespace

void SetApplicationExceptionHandler(ExceptionHandler handler)
{
    installedHandler() = std::move(handler);
}

void ClearApplicationExceptionHandler()
{
    installedHandler() = nullptr;
}

bool HasApplicationExceptionHandler()
{
    return static_cast<bool>(installedHandler());
}

QString ExceptionMessage(std::exception_ptr error)
{
    try {
        if (error)
            std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
    }
    return QStringLiteral("Unexpected error.");
}

void HandleApplicationException(std::exception_ptr error)
{
    try {
        // Copy: the handler may clear itself while it runs.
        ExceptionHandler handler = installedHandler();
        if (handler)
            handler(error);
        else
            ShowErrorMessage(ExceptionMessage(error));
    } catch (...) {
        // A failing handler must not take the program down with it.
    }
}

VarnexApplication::VarnexApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

bool VarnexApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        HandleApplicationException(std::current_exception());
    }
    return false;
}

} // namespace varnex
