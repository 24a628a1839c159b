#include "langfile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>

namespace varnex::langc {

namespace {

const QHash<QString, EntryKind>& kindsByKeyword()
{
    static const QHash<QString, EntryKind> kinds = {
        {QStringLiteral("window"), EntryKind::Window},       {QStringLiteral("text"), EntryKind::Text},
        {QStringLiteral("memo"), EntryKind::Memo},           {QStringLiteral("messages"), EntryKind::Messages},
        {QStringLiteral("grid"), EntryKind::Grid},           {QStringLiteral("radio"), EntryKind::Radio},
        {QStringLiteral("combo"), EntryKind::Combo},         {QStringLiteral("checklist"), EntryKind::CheckList},
        {QStringLiteral("navigator"), EntryKind::Navigator},
    };
    return kinds;
}

QString languageName(int language)
{
    return language == English ? QStringLiteral("English") : QStringLiteral("French");
}

bool isName(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return pattern.match(text).hasMatch();
}

bool isLeadingSpace(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// A value is the rest of the line without its edge spaces; double quotes
// around it keep edge spaces that matter (" (General ledger)").
QString valueText(const QString& raw)
{
    const QString trimmed = raw.trimmed();
    if (trimmed.size() >= 2 && trimmed.startsWith(QLatin1Char('"')) && trimmed.endsWith(QLatin1Char('"')))
        return trimmed.mid(1, trimmed.size() - 2);
    return trimmed;
}

QString rightTrimmed(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    return text.left(end);
}

enum class Part { Caption, Hint, Lines, Numbered };

struct Key {
    Part part = Part::Caption;
    int language = English;
    int number = -1;
};

bool parseKey(const QString& key, Key& out)
{
    const qsizetype dot = key.lastIndexOf(QLatin1Char('.'));
    const QString code = dot < 0 ? key : key.mid(dot + 1);
    const QString head = dot < 0 ? QString() : key.left(dot);
    if (code == QLatin1String("en"))
        out.language = English;
    else if (code == QLatin1String("fr"))
        out.language = French;
    else
        return false;
    if (head.isEmpty()) {
        out.part = Part::Caption;
    } else if (head == QLatin1String("hint")) {
        out.part = Part::Hint;
    } else if (head == QLatin1String("lines")) {
        out.part = Part::Lines;
    } else {
        bool ok = false;
        const int number = head.toInt(&ok);
        if (!ok || number < 0 || number > 9999 || head.startsWith(QLatin1Char('+')))
            return false;
        out.part = Part::Numbered;
        out.number = number;
    }
    return true;
}

bool kindAllows(EntryKind kind, Part part)
{
    switch (kind) {
    case EntryKind::Window: return part == Part::Caption;
    case EntryKind::Text: return part == Part::Caption || part == Part::Hint;
    case EntryKind::Radio: return part == Part::Caption || part == Part::Lines;
    case EntryKind::Messages: return part == Part::Numbered;
    case EntryKind::Memo:
    case EntryKind::Grid:
    case EntryKind::Combo:
    case EntryKind::CheckList:
    case EntryKind::Navigator: return part == Part::Lines;
    }
    return false;
}

// Kinds whose lines are items of one control: both languages need as many.
bool linesMustMatch(EntryKind kind)
{
    return kind == EntryKind::Grid || kind == EntryKind::Radio || kind == EntryKind::Combo
           || kind == EntryKind::CheckList || kind == EntryKind::Navigator;
}

class Parser {
public:
    Parser(const QString& path, ParseResult& result)
        : m_path(path)
        , m_result(result)
    {
    }

    void run(const QString& content)
    {
        const QStringList lines = content.split(QLatin1Char('\n'));
        for (qsizetype i = 0; i < lines.size(); ++i) {
            m_lineNumber = static_cast<int>(i + 1);
            QString line = lines.at(i);
            if (line.endsWith(QLatin1Char('\r')))
                line.chop(1);
            handleLine(line);
        }
        finishEntry();
    }

private:
    void error(int line, const QString& message)
    {
        m_result.errors.append(QStringLiteral("%1:%2: %3").arg(m_path).arg(line).arg(message));
    }
    void error(const QString& message) { error(m_lineNumber, message); }

    void handleLine(const QString& line)
    {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            return;
        if (!isLeadingSpace(line.at(0))) {
            finishEntry();
            // The lines of a refused entry are not reported again one by one.
            m_skipping = !handleHeader(trimmed);
            return;
        }
        if (m_skipping)
            return;
        if (!m_entry) {
            error(QStringLiteral("text outside an entry (start one with a line such as \"text OKBtn\")"));
            return;
        }
        if (trimmed.startsWith(QLatin1Char('|'))) {
            if (!m_openLines) {
                error(QStringLiteral("a \"|\" line belongs under \"lines.en:\" or \"lines.fr:\""));
                return;
            }
            QString text = trimmed.mid(1);
            if (text.startsWith(QLatin1Char(' ')))
                text.remove(0, 1);
            m_openLines->append(rightTrimmed(text));
            return;
        }
        m_openLines = nullptr;
        handleKeyLine(trimmed);
    }

    // False when the header is refused.
    bool handleHeader(const QString& trimmed)
    {
        const QStringList words = trimmed.split(QRegularExpression(QStringLiteral("\\s+")));
        const auto kind = kindsByKeyword().constFind(words.at(0));
        if (kind == kindsByKeyword().constEnd()) {
            error(QStringLiteral("unknown entry \"%1\" (window, text, memo, messages, grid, radio, combo, "
                                 "checklist or navigator)")
                      .arg(words.at(0)));
            return false;
        }
        if (words.size() != 2 || !isName(words.at(1))) {
            error(QStringLiteral("\"%1\" needs one component name (letters, digits and _)").arg(words.at(0)));
            return false;
        }
        const QString& name = words.at(1);
        if (name.size() > kNameWidth) {
            error(QStringLiteral("the name %1 is longer than %2 characters").arg(name).arg(kNameWidth));
            return false;
        }
        if (kind.value() == EntryKind::Window) {
            m_form = name;
        } else if (m_form.isEmpty()) {
            error(QStringLiteral("%1 comes before any \"window\" line").arg(name));
            return false;
        }
        if (kind.value() == EntryKind::Navigator && name != QLatin1String("DBNavigator1")) {
            error(QStringLiteral("only the component named DBNavigator1 is translated as a navigator; "
                                 "%1 would take \"en:\" texts")
                      .arg(name));
            return false;
        }
        const QString key = m_form + QLatin1Char('.') + name;
        const auto seen = m_firstLines.constFind(key);
        if (seen != m_firstLines.constEnd()) {
            error(QStringLiteral("duplicate key %1 (first at line %2)").arg(key).arg(seen.value()));
            return false;
        }
        m_firstLines.insert(key, m_lineNumber);
        Entry entry;
        entry.kind = kind.value();
        entry.formName = m_form;
        entry.componentName = name;
        entry.line = m_lineNumber;
        m_entry = std::make_unique<Entry>(std::move(entry));
        return true;
    }

    void handleKeyLine(const QString& trimmed)
    {
        const qsizetype colon = trimmed.indexOf(QLatin1Char(':'));
        Key key;
        if (colon <= 0 || !parseKey(trimmed.left(colon).trimmed(), key)) {
            error(QStringLiteral("expected \"en: text\", \"fr: text\", \"hint.en:\", \"lines.en:\" or "
                                 "\"<number>.en:\", found \"%1\"")
                      .arg(trimmed));
            return;
        }
        if (!kindAllows(m_entry->kind, key.part)) {
            error(QStringLiteral("\"%1\" does not belong in this kind of entry").arg(trimmed.left(colon)));
            return;
        }
        EntryTexts& texts = m_entry->texts[static_cast<size_t>(key.language)];
        const QString value = valueText(trimmed.mid(colon + 1));
        const auto duplicate = [&] {
            error(QStringLiteral("\"%1\" is given twice in %2").arg(trimmed.left(colon), m_entry->componentName));
        };
        switch (key.part) {
        case Part::Caption:
            if (texts.hasCaption)
                return duplicate();
            if (value.size() > kCaptionWidth)
                error(QStringLiteral("the text is longer than %1 characters").arg(kCaptionWidth));
            texts.hasCaption = true;
            texts.caption = value;
            break;
        case Part::Hint:
            if (texts.hasHint)
                return duplicate();
            if (value.size() > kHintWidth)
                error(QStringLiteral("the hint is longer than %1 characters").arg(kHintWidth));
            texts.hasHint = true;
            texts.hint = value;
            break;
        case Part::Lines:
            if (texts.hasLines)
                return duplicate();
            if (!value.isEmpty()) {
                error(QStringLiteral("the lines go on the following \"|\" lines, not after the colon"));
                return;
            }
            texts.hasLines = true;
            m_openLines = &texts.lines;
            break;
        case Part::Numbered:
            if (texts.numbered.count(key.number))
                return duplicate();
            texts.numbered[key.number] = value;
            break;
        }
    }

    void finishEntry()
    {
        m_openLines = nullptr;
        if (!m_entry)
            return;
        Entry& entry = *m_entry;
        const int line = entry.line;
        const QString& name = entry.componentName;
        const EntryTexts& en = entry.texts[English];
        const EntryTexts& fr = entry.texts[French];
        const auto bothOrNeither = [&](bool inEnglish, bool inFrench, const QString& what) {
            if (inEnglish != inFrench)
                error(line, QStringLiteral("%1 has %2 in %3 but not in %4")
                                .arg(name, what, languageName(inEnglish ? English : French),
                                     languageName(inEnglish ? French : English)));
        };
        bothOrNeither(en.hasCaption, fr.hasCaption, QStringLiteral("a caption"));
        bothOrNeither(en.hasHint, fr.hasHint, QStringLiteral("a hint"));
        bothOrNeither(en.hasLines, fr.hasLines, QStringLiteral("lines"));

        switch (entry.kind) {
        case EntryKind::Window: break;
        case EntryKind::Text:
            if (!en.hasCaption && !fr.hasCaption)
                error(line, QStringLiteral("%1 has no text (\"en:\" and \"fr:\")").arg(name));
            break;
        case EntryKind::Radio:
            if (!en.hasCaption && !fr.hasCaption)
                error(line, QStringLiteral("the radio group %1 needs its caption (\"en:\" and \"fr:\")").arg(name));
            [[fallthrough]];
        case EntryKind::Memo:
        case EntryKind::Grid:
        case EntryKind::Combo:
        case EntryKind::CheckList:
        case EntryKind::Navigator:
            if (!en.hasLines && !fr.hasLines)
                error(line, QStringLiteral("%1 has no lines (\"lines.en:\" and \"lines.fr:\")").arg(name));
            if (linesMustMatch(entry.kind) && en.hasLines && fr.hasLines && en.lines.size() != fr.lines.size())
                error(line, QStringLiteral("%1 has %2 English lines and %3 French lines; the items of one "
                                           "control need as many in both")
                                .arg(name)
                                .arg(en.lines.size())
                                .arg(fr.lines.size()));
            break;
        case EntryKind::Messages:
            if (en.numbered.empty() && fr.numbered.empty())
                error(line, QStringLiteral("the message list %1 has no lines").arg(name));
            for (int language : {English, French}) {
                const int other = language == English ? French : English;
                for (const auto& [number, text] : entry.texts[static_cast<size_t>(language)].numbered) {
                    Q_UNUSED(text);
                    if (!entry.texts[static_cast<size_t>(other)].numbered.count(number))
                        error(line, QStringLiteral("line %1 of %2 is missing in %3")
                                        .arg(number)
                                        .arg(name, languageName(other)));
                }
            }
            break;
        }
        m_result.file.entries.push_back(std::move(entry));
        m_entry.reset();
    }

    QString m_path;
    ParseResult& m_result;
    int m_lineNumber = 0;
    QString m_form;
    std::unique_ptr<Entry> m_entry;
    QStringList* m_openLines = nullptr;
    bool m_skipping = false;
    QHash<QString, int> m_firstLines;
};

QString joinedLines(const EntryTexts& texts, EntryKind kind)
{
    if (kind != EntryKind::Messages)
        return texts.lines.join(QLatin1Char('\n'));
    QStringList lines;
    if (!texts.numbered.empty()) {
        // Numbers the program does not read stay empty so that every text
        // keeps the line number the code asks for.
        const int last = texts.numbered.rbegin()->first;
        for (int n = 0; n <= last; ++n) {
            const auto found = texts.numbered.find(n);
            lines.append(found == texts.numbered.end() ? QString() : found->second);
        }
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

ParseResult ParseLanguageFile(const QString& path, const QString& content)
{
    ParseResult result;
    result.file.path = path;
    result.file.program = QFileInfo(path).completeBaseName();
    Parser(path, result).run(content);
    return result;
}

ParseResult ReadLanguageFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ParseResult result;
        result.file.path = path;
        result.errors.append(QStringLiteral("%1: cannot be read: %2").arg(path, file.errorString()));
        return result;
    }
    // A file saved in another encoding would otherwise compile into garbled
    // accents without a word.
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString content = decoder(file.readAll());
    if (decoder.hasError()) {
        ParseResult result;
        result.file.path = path;
        result.errors.append(QStringLiteral("%1: is not UTF-8 text; save it as UTF-8").arg(path));
        return result;
    }
    return ParseLanguageFile(path, content);
}

std::vector<translation::LanguageRow> RowsFor(const LanguageFile& file, Language language)
{
    std::vector<translation::LanguageRow> rows;
    for (const Entry& entry : file.entries) {
        const EntryTexts& texts = entry.texts[static_cast<size_t>(language)];
        // A window line without a caption only groups the entries below it.
        if (entry.kind == EntryKind::Window && !texts.hasCaption)
            continue;
        translation::LanguageRow row;
        row.formName = entry.formName;
        row.componentName = entry.componentName;
        row.caption = texts.caption;
        row.hint = texts.hint;
        row.lines = joinedLines(texts, entry.kind);
        row.isMemo = entry.kind == EntryKind::Memo || entry.kind == EntryKind::Messages;
        row.isDBGrid = entry.kind == EntryKind::Grid;
        row.isRadioGroup = entry.kind == EntryKind::Radio;
        row.isCombobox = entry.kind == EntryKind::Combo;
        row.isCheckList = entry.kind == EntryKind::CheckList;
        rows.push_back(std::move(row));
    }
    return rows;
}

QString MessageListLine(const LanguageFile& file, const QString& formName, const QString& listName, int line,
                        Language language)
{
    for (const Entry& entry : file.entries) {
        if (entry.kind != EntryKind::Messages || entry.formName != formName || entry.componentName != listName)
            continue;
        const auto& numbered = entry.texts[static_cast<size_t>(language)].numbered;
        const auto found = numbered.find(line);
        return found == numbered.end() ? QString() : found->second;
    }
    return QString();
}

} // namespace varnex::langc
