#pragma once
// Writes one language table into the languages folder, replacing the table of
// that name: the build always leaves exactly what the text files say.

#include <QString>

#include <vector>

#include "varnex/data/schema.h"
#include "varnex/translation/translate.h"

namespace varnex::langc {

// The structure of a language table: (FormName, ComponentName) is the primary
// key; the widths are those the language files are checked against.
varnex::data::TableDef LanguageTableDef(const QString& tableName);

void WriteLanguageTable(const QString& folder, const QString& tableName,
                        const std::vector<varnex::translation::LanguageRow>& rows);

} // namespace varnex::langc
