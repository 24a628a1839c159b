#include "varnex/version.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cstring>
#include <elf.h>

namespace varnex {

namespace {

template <typename T>
bool readAt(QFile& file, qint64 offset, T* out, qint64 size = sizeof(T))
{
    if (offset < 0 || offset + size > file.size())
        return false;
    if (!file.seek(offset))
        return false;
    return file.read(reinterpret_cast<char*>(out), size) == size;
}

} // namespace

std::optional<std::array<std::uint16_t, 4>> ReadFileVersion(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    Elf64_Ehdr header;
    if (!readAt(file, 0, &header) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0
        || header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_shentsize != sizeof(Elf64_Shdr)
        || header.e_shstrndx >= header.e_shnum || header.e_shnum > 4096)
        return std::nullopt;
    auto sectionHeader = [&](unsigned index, Elf64_Shdr* out) {
        return readAt(file, static_cast<qint64>(header.e_shoff + index * sizeof(Elf64_Shdr)), out);
    };
    Elf64_Shdr names;
    if (!sectionHeader(header.e_shstrndx, &names) || names.sh_size > (1u << 20))
        return std::nullopt;
    QByteArray nameTable(static_cast<qsizetype>(names.sh_size), '\0');
    if (!readAt(file, static_cast<qint64>(names.sh_offset), nameTable.data(), nameTable.size()))
        return std::nullopt;
    static constexpr char wanted[] = ".varnex_version";
    for (unsigned i = 0; i < header.e_shnum; ++i) {
        Elf64_Shdr section;
        if (!sectionHeader(i, &section))
            return std::nullopt;
        if (section.sh_name + sizeof wanted > static_cast<std::size_t>(nameTable.size()))
            continue;
        if (std::strcmp(nameTable.constData() + section.sh_name, wanted) != 0 || section.sh_size < 8)
            continue;
        std::array<std::uint16_t, 4> parts{};
        if (!readAt(file, static_cast<qint64>(section.sh_offset), parts.data(), 8))
            return std::nullopt;
        return parts;
    }
    return std::nullopt;
}

QString FileVersionText(const QString& path, int parts)
{
    if (parts <= 0 || parts > 4)
        parts = 4;
    const auto version = ReadFileVersion(path);
    if (!version)
        return QString();
    QStringList items;
    for (int i = 0; i < parts; ++i)
        items << QString::number((*version)[static_cast<std::size_t>(i)]);
    return items.join(QLatin1Char('.'));
}

QString ProgramVersionText(int parts)
{
    return FileVersionText(QCoreApplication::applicationFilePath(), parts);
}

} // namespace varnex
