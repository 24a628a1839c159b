#pragma once
// The loading window shown while the launcher starts. It lives in the outside
// library `waitpanel`; every function is looked up by name at each use, and a
// library that is not there is simply not shown.

#include <QString>

#include <memory>

namespace varnex {
class SharedLibrary;
}

namespace varnex::launcher {

class LoadingDialog {
public:
    // Loads `waitpanel` from the program folder; a failure is silent.
    explicit LoadingDialog(const QString& programFolder);
    ~LoadingDialog();

    bool loaded() const;
    // Each returns false when the call was skipped or answered 0; a 0 answer
    // also shows "Access denied...".
    bool open();
    bool caption(int which);
    bool step();
    // Closes the window and frees the library, also when the call fails.
    bool close();

    int deniedCount() const { return m_denied; }

private:
    bool call(const char* function, bool withArgument, int argument);
    std::unique_ptr<SharedLibrary> m_library;
    int m_denied = 0;
};

} // namespace varnex::launcher
