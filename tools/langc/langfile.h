#pragma once
// The readable language files under languages/ (one per program, English and
// French side by side) and their rows in the language tables. The format is
// described in docs/translation.md; every fault is reported with its file and
// line so the build stops with a message a translator can act on.

#include <QString>
#include <QStringList>

#include <array>
#include <map>
#include <vector>

#include "varnex/translation/translate.h"

namespace varnex::langc {

enum class EntryKind { Window, Text, Memo, Messages, Grid, Radio, Combo, CheckList, Navigator };

enum Language { English = 0, French = 1 };
inline constexpr std::array<const char*, 2> kLanguageCodes = {"en", "fr"};

// Widths of the text fields of a language table; longer texts are refused at
// build time because the engine would cut them silently.
inline constexpr int kNameWidth = 64;
inline constexpr int kCaptionWidth = 255;
inline constexpr int kHintWidth = 255;

struct EntryTexts {
    bool hasCaption = false;
    QString caption;
    bool hasHint = false;
    QString hint;
    bool hasLines = false;
    QStringList lines;
    std::map<int, QString> numbered; // message lists: line number -> text
};

struct Entry {
    EntryKind kind = EntryKind::Text;
    QString formName;
    QString componentName;
    int line = 0; // where the entry starts in its file
    std::array<EntryTexts, 2> texts;
};

struct LanguageFile {
    QString path;
    QString program; // the table prefix: the file's base name ("MainMenu")
    std::vector<Entry> entries;
};

struct ParseResult {
    LanguageFile file;
    QStringList errors; // "path:line: message"
};

ParseResult ParseLanguageFile(const QString& path, const QString& content);
// Reads and parses a file; an unreadable file is an error of the result.
ParseResult ReadLanguageFile(const QString& path);

// The rows of one language's table, in file order.
std::vector<translation::LanguageRow> RowsFor(const LanguageFile& file, Language language);

// The text of a message list's line in one language (empty when absent).
QString MessageListLine(const LanguageFile& file, const QString& formName, const QString& listName, int line,
                        Language language);

} // namespace varnex::langc
