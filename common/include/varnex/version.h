#pragma once
// Version information of a deliverable file: four 16-bit parts kept in the
// file's ".varnex_version" section, read from the file without loading it.

#include <array>
#include <cstdint>
#include <optional>

#include <QString>

namespace varnex {

std::optional<std::array<std::uint16_t, 4>> ReadFileVersion(const QString& path);
// The first `parts` parts joined by "."; 0 or more than 4 counts as 4; a file
// without version information gives an empty text.
QString FileVersionText(const QString& path, int parts = 4);
// The version of the running program.
QString ProgramVersionText(int parts = 4);

} // namespace varnex
