#pragma once
// The application object of the launcher (and of tests). Modules run in the
// launcher's process and share it. An exception thrown from any event handler
// is caught here and handed to the application's exception event; it never
// ends the program.

#include <exception>
#include <functional>

#include <QApplication>

namespace varnex {

using ExceptionHandler = std::function<void(std::exception_ptr)>;

// The application's exception event: a module installs its handler for the
// time its window is open; the launcher clears it after each module call.
void SetApplicationExceptionHandler(ExceptionHandler handler);
void ClearApplicationExceptionHandler();
bool HasApplicationExceptionHandler();
// Gives an exception to the installed handler, or shows its message in an
// error box when none is installed. Never throws.
void HandleApplicationException(std::exception_ptr error);
// The message of any exception: what() of a standard exception, or a generic text.
QString ExceptionMessage(std::exception_ptr error);

class VarnexApplication : public QApplication {
public:
    VarnexApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace varnex
