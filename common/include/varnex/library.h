#pragma once
// Loading of option, module and outside libraries by file name. The launcher
// tells the user why a library did not load, and one case matters on its own:
// the library is there but one of the libraries it needs is not (a payroll
// library whose support files are not installed). Failures carry the numbers
// the suite's messages have always shown.

#include <QString>

namespace varnex {

enum class LibraryFailure {
    None,
    FileMissing,       // 126
    DependencyMissing, // 1157
    EntryPointMissing, // 127
    NotALibrary,       // 193: not an ELF object, wrong class, or cut short
    AccessDenied,      // 5
    Other,             // 31
    NameRefused,       // 123: a path where a plain library name belongs
};

int LibraryFailureCode(LibraryFailure failure);

class SharedLibrary {
public:
    SharedLibrary() = default;
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // Opens `fileName` from `folder` by full path, or, without a folder, the
    // absolute path `fileName`. Never the ordinary library search: a library
    // of another installation (or one a crafted `apps` row points at) must not
    // run inside the program. With a folder, `fileName` must be a plain name
    // (IsPlainLibraryName), else NameRefused. A file cut short is refused
    // before the loader sees it: mapping it would end the process with SIGBUS.
    bool load(const QString& fileName, const QString& folder = QString());
    // Looks up an entry point; nullptr (and EntryPointMissing) when absent.
    void* resolve(const char* symbol);
    void unload();

    bool isLoaded() const { return m_handle != nullptr; }
    LibraryFailure failure() const { return m_failure; }
    int failureCode() const { return LibraryFailureCode(m_failure); }
    // The loader's own text, kept for the message.
    const QString& errorText() const { return m_errorText; }
    const QString& path() const { return m_path; }

    template <typename Function>
    Function entry(const char* symbol)
    {
        return reinterpret_cast<Function>(resolve(symbol));
    }

private:
    void* m_handle = nullptr;
    LibraryFailure m_failure = LibraryFailure::None;
    QString m_errorText;
    QString m_path;
};

// A library name that stays inside the program folder: not empty, no '/',
// no "..", no control characters.
bool IsPlainLibraryName(const QString& name);

// True when the file is an ELF object whose headers and segments all lie
// within the file.
bool IsCompleteElfObject(const QString& path, QString* why = nullptr);

} // namespace varnex
