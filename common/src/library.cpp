#include "varnex/library.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>
#include <dlfcn.h>
#include <elf.h>

namespace varnex {

int LibraryFailureCode(LibraryFailure failure)
{
    switch (failure) {
    case LibraryFailure::None: return 0;
    case LibraryFailure::FileMissing: return 126;
    case LibraryFailure::DependencyMissing: return 1157;
    case LibraryFailure::EntryPointMissing: return 127;
    case LibraryFailure::NotALibrary: return 193;
    case LibraryFailure::AccessDenied: return 5;
    case LibraryFailure::Other: return 31;
    case LibraryFailure::NameRefused: return 123;
    }
    return 31;
}

bool IsPlainLibraryName(const QString& name)
{
    if (name.trimmed().isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1String("..")))
        return false;
    for (const QChar c : name)
        if (c.category() == QChar::Other_Control)
            return false;
    return true;
}

bool IsCompleteElfObject(const QString& path, QString* why)
{
    auto fail = [why](const char* reason) {
        if (why)
            *why = QString::fromUtf8(reason);
        return false;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail("cannot be read");
    const qint64 size = file.size();
    Elf64_Ehdr header;
    if (file.read(reinterpret_cast<char*>(&header), sizeof header) != sizeof header)
        return fail("too short for an ELF header");
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0)
        return fail("not an ELF object");
    if (header.e_ident[EI_CLASS] != ELFCLASS64)
        return fail("not a 64-bit object");
    const auto tableEnd = [](quint64 offset, quint64 count, quint64 entry) { return offset + count * entry; };
    if (header.e_phnum > 0) {
        if (header.e_phentsize != sizeof(Elf64_Phdr)
            || tableEnd(header.e_phoff, header.e_phnum, header.e_phentsize) > static_cast<quint64>(size))
            return fail("program headers lie past the end of the file");
        for (unsigned i = 0; i < header.e_phnum; ++i) {
            Elf64_Phdr segment;
            if (!file.seek(static_cast<qint64>(header.e_phoff + i * sizeof segment))
                || file.read(reinterpret_cast<char*>(&segment), sizeof segment) != sizeof segment)
                return fail("program header unreadable");
            if (segment.p_type == PT_LOAD && segment.p_offset + segment.p_filesz > static_cast<quint64>(size))
                return fail("a segment lies past the end of the file");
        }
    }
    if (header.e_shnum > 0 && header.e_shentsize == sizeof(Elf64_Shdr)
        && tableEnd(header.e_shoff, header.e_shnum, header.e_shentsize) > static_cast<quint64>(size))
        return fail("section headers lie past the end of the file");
    return true;
}

SharedLibrary::~SharedLibrary()
{
    unload();
}

bool SharedLibrary::load(const QString& fileName, const QString& folder)
{
    unload();
    m_failure = LibraryFailure::None;
    m_errorText.clear();
    QString candidate;
    if (!folder.isEmpty()) {
        if (!IsPlainLibraryName(fileName)) {
            m_failure = LibraryFailure::NameRefused;
            m_errorText = fileName + QStringLiteral(": not the name of a library of the program folder");
            return false;
        }
        candidate = QDir(folder).filePath(fileName);
    } else if (QFileInfo(fileName).isAbsolute()) {
        candidate = fileName;
    } else {
        m_failure = LibraryFailure::NameRefused;
        m_errorText = fileName + QStringLiteral(": a library is loaded by its full path only");
        return false;
    }
    if (!QFileInfo::exists(candidate)) {
        m_failure = LibraryFailure::FileMissing;
        m_errorText = candidate + QStringLiteral(": cannot open shared object file: No such file or directory");
        return false;
    }
    if (!QFileInfo(candidate).isReadable()) {
        m_failure = LibraryFailure::AccessDenied;
        m_errorText = candidate + QStringLiteral(": Permission denied");
        return false;
    }
    if (QString why; !IsCompleteElfObject(candidate, &why)) {
        m_failure = LibraryFailure::NotALibrary;
        m_errorText = candidate + QStringLiteral(": ") + why;
        return false;
    }
    m_path = candidate;
    dlerror();
    m_handle = dlopen(QFile::encodeName(candidate).constData(), RTLD_NOW | RTLD_LOCAL);
    if (m_handle != nullptr)
        return true;
    const char* text = dlerror();
    m_errorText = text ? QString::fromLocal8Bit(text) : QString();
    // The loader names the file it could not find: our own path (or bare name)
    // when the library itself is absent, another file when a dependency is.
    const QString ownName = QFileInfo(candidate).fileName();
    const bool notFound = m_errorText.contains(QLatin1String("No such file or directory"));
    if (notFound
        && (m_errorText.startsWith(candidate + QLatin1Char(':')) || m_errorText.startsWith(ownName + QLatin1Char(':'))))
        m_failure = LibraryFailure::FileMissing;
    else if (notFound)
        m_failure = LibraryFailure::DependencyMissing;
    else if (m_errorText.contains(QLatin1String("Permission denied")))
        m_failure = LibraryFailure::AccessDenied;
    else if (m_errorText.contains(QLatin1String("invalid ELF header"))
             || m_errorText.contains(QLatin1String("file too short"))
             || m_errorText.contains(QLatin1String("wrong ELF class")))
        m_failure = LibraryFailure::NotALibrary;
    else
        m_failure = LibraryFailure::Other;
    return false;
}

void* SharedLibrary::resolve(const char* symbol)
{
    if (m_handle == nullptr)
        return nullptr;
    dlerror();
    void* address = dlsym(m_handle, symbol);
    if (address == nullptr) {
        m_failure = LibraryFailure::EntryPointMissing;
        const char* text = dlerror();
        m_errorText = text ? QString::fromLocal8Bit(text)
                           : m_path + QStringLiteral(": undefined symbol: ") + QString::fromUtf8(symbol);
    }
    return address;
}

void SharedLibrary::unload()
{
    if (m_handle != nullptr) {
        dlclose(m_handle);
        m_handle = nullptr;
    }
}

} // namespace varnex
