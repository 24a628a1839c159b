#include "varnex/settings.h"

#include <sys/stat.h>
#include <time.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

namespace varnex {

namespace {

// The file is kept as bytes: an installation may have written it in Latin-1
// (or mixed encodings), and a write must leave every byte of every other line
// as it was. Only the values are decoded, one at a time.
QString decodeText(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

struct Line {
    qsizetype start = 0;
    qsizetype end = 0;  // before the line terminator
    qsizetype next = 0; // after the line terminator
};

std::vector<Line> splitLines(const QByteArray& bytes)
{
    std::vector<Line> lines;
    qsizetype start = 0;
    // A byte order mark is not part of the first line's text.
    if (bytes.startsWith("\xEF\xBB\xBF"))
        start = 3;
    while (start < bytes.size()) {
        qsizetype newline = bytes.indexOf('\n', start);
        const qsizetype next = newline < 0 ? bytes.size() : newline + 1;
        qsizetype end = newline < 0 ? bytes.size() : newline;
        if (end > start && bytes[end - 1] == '\r')
            --end;
        lines.push_back({start, end, next});
        start = next;
    }
    return lines;
}

QByteArrayView lineBytes(const QByteArray& bytes, const Line& line)
{
    return QByteArrayView(bytes).sliced(line.start, line.end - line.start);
}

bool isSectionLine(QByteArrayView line, QString* name)
{
    const QByteArrayView t = line.trimmed();
    if (t.size() < 2 || !t.startsWith('[') || !t.endsWith(']'))
        return false;
    *name = decodeText(t.sliced(1, t.size() - 2).trimmed());
    return true;
}

// Splits "name=value"; comments and blank lines are not entries.
bool splitEntry(QByteArrayView line, QString* name, QString* value)
{
    const QByteArrayView t = line.trimmed();
    if (t.isEmpty() || t.startsWith(';') || t.startsWith('#'))
        return false;
    const qsizetype eq = t.indexOf('=');
    if (eq <= 0)
        return false;
    *name = decodeText(t.first(eq).trimmed());
    QByteArrayView v = t.sliced(eq + 1).trimmed();
    if (v.size() >= 2 && v.startsWith('"') && v.endsWith('"'))
        v = v.sliced(1, v.size() - 2);
    *value = decodeText(v);
    return true;
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString quoteIfNeeded(const QString& value)
{
    if (value != value.trimmed() || value.startsWith(QLatin1Char('"')))
        return QLatin1Char('"') + value + QLatin1Char('"');
    return value;
}

// What identifies one version of the file: another process replacing or
// rewriting it changes at least one of these.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    bool operator==(const FileStamp& o) const
    {
        return exists == o.exists && device == o.device && inode == o.inode && size == o.size
               && modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec
               && changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
    }
};

FileStamp stampOf(const QString& path)
{
    FileStamp stamp;
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return stamp;
    stamp.exists = true;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modified = info.st_mtim;
    stamp.changed = info.st_ctim;
    return stamp;
}

// One version of the file as last read. Only the section headers are found
// when it is read; a section's values are decoded the first time someone asks
// for one of them, so a large file full of other programs' sections costs one
// pass over its bytes. The first occurrence of a name in its section wins, as
// a top-down reader (and setValue) finds it.
struct ParsedFile {
    FileStamp stamp;
    // A file changed within the file system's timestamp granularity of our
    // read may change again without its stamp changing: such a parse is not
    // trusted and the next read parses again.
    bool settled = false;
    QByteArray bytes;
    struct Span {
        QString section; // case-folded
        qsizetype begin; // after the header line
        qsizetype end;   // at the next header line
    };
    std::vector<Span> spans;
    QHash<QString, QHash<QString, QString>> sections; // decoded on demand

    const QHash<QString, QString>& section(const QString& name)
    {
        const QString folded = name.toCaseFolded();
        if (auto it = sections.constFind(folded); it != sections.constEnd())
            return *it;
        QHash<QString, QString>& values = sections[folded];
        QString key, value;
        for (const Span& span : spans) {
            if (span.section != folded)
                continue;
            const QByteArray part = QByteArray::fromRawData(bytes.constData() + span.begin, span.end - span.begin);
            for (const Line& line : splitLines(part))
                if (splitEntry(lineBytes(part, line), &key, &value) && !values.contains(key.toCaseFolded()))
                    values.insert(key.toCaseFolded(), value);
        }
        return values;
    }
};

bool settledAt(const FileStamp& stamp)
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec - std::max(stamp.modified.tv_sec, stamp.changed.tv_sec) >= 2;
}

ParsedFile parse(QByteArray bytes, const FileStamp& stamp)
{
    ParsedFile parsed;
    parsed.stamp = stamp;
    parsed.bytes = std::move(bytes);
    const QByteArray& data = parsed.bytes;
    const char* const text = data.constData();
    const qsizetype size = data.size();
    qsizetype start = data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    QString name;
    while (start < size) {
        const char* newline = static_cast<const char*>(std::memchr(text + start, '\n', size_t(size - start)));
        const qsizetype next = newline ? newline - text + 1 : size;
        qsizetype first = start;
        while (first < next && (text[first] == ' ' || text[first] == '\t'))
            ++first;
        // Only a line that starts with "[" can open a section.
        if (first < next && text[first] == '[') {
            qsizetype end = newline ? next - 1 : size;
            if (isSectionLine(QByteArrayView(text + start, end - start), &name)) {
                if (!parsed.spans.empty())
                    parsed.spans.back().end = start;
                parsed.spans.push_back({name.toCaseFolded(), next, size});
            }
        }
        start = next;
    }
    return parsed;
}

QMutex& cacheMutex()
{
    static QMutex mutex;
    return mutex;
}

std::map<QString, ParsedFile>& cache()
{
    static std::map<QString, ParsedFile> files;
    return files;
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// The values of the file as it is now; read again only when it changed.
ParsedFile& current(const QString& path)
{
    const FileStamp stamp = stampOf(path);
    auto& files = cache();
    auto it = files.find(path);
    if (it != files.end() && it->second.settled && it->second.stamp == stamp)
        return it->second;
    ParsedFile parsed = stamp.exists ? parse(readBytes(path), stamp) : ParsedFile{};
    parsed.settled = !stamp.exists || settledAt(stamp);
    return files.insert_or_assign(path, std::move(parsed)).first->second;
}

} // namespace

QString SettingsStore::defaultPath()
{
    const QByteArray fromEnvironment = qgetenv("VARNEX_SETTINGS");
    if (!fromEnvironment.isEmpty())
        return QString::fromLocal8Bit(fromEnvironment);
    QString base = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));
    if (base.isEmpty())
        base = QDir::homePath() + QLatin1String("/.config");
    return base + QLatin1String("/varnex/varnex.ini");
}

SettingsStore SettingsStore::machine()
{
    return SettingsStore(defaultPath());
}

SettingsStore::SettingsStore(QString path)
    : m_path(std::move(path))
{
}

bool SettingsStore::ensureExists() const
{
    if (QFileInfo::exists(m_path))
        return true;
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QFile file(m_path);
    return file.open(QIODevice::WriteOnly);
}

QString SettingsStore::value(const QString& section, const QString& name, const QString& defaultValue) const
{
    const QMutexLocker locker(&cacheMutex());
    const QHash<QString, QString>& values = current(m_path).section(section);
    const auto it = values.constFind(name.toCaseFolded());
    return it == values.constEnd() ? defaultValue : it.value();
}

bool SettingsStore::contains(const QString& section, const QString& name) const
{
    const QMutexLocker locker(&cacheMutex());
    return current(m_path).section(section).contains(name.toCaseFolded());
}

bool SettingsStore::setValue(const QString& section, const QString& name, const QString& value) const
{
    const QMutexLocker locker(&cacheMutex());
    // Always from the file itself: another program may have written it a
    // moment ago, and its lines must survive this write.
    const QByteArray bytes = readBytes(m_path);
    const std::vector<Line> lines = splitLines(bytes);
    const QByteArray eol = bytes.contains("\r\n") ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");

    bool inSection = false;
    bool sectionFound = false;
    qsizetype insertAfter = -1; // index of the section's last non-blank line
    QString current, key, old;
    for (size_t i = 0; i < lines.size(); ++i) {
        const QByteArrayView text = lineBytes(bytes, lines[i]);
        if (isSectionLine(text, &current)) {
            if (inSection)
                break;
            inSection = sameName(current, section);
            if (inSection) {
                sectionFound = true;
                insertAfter = static_cast<qsizetype>(i);
            }
            continue;
        }
        if (!inSection)
            continue;
        if (splitEntry(text, &key, &old) && sameName(key, name)) {
            if (old == value)
                return true; // nothing to change: the file is not touched
            const qsizetype eq = text.indexOf('=');
            const QByteArray newLine = text.first(eq).trimmed().toByteArray() + '=' + quoteIfNeeded(value).toUtf8();
            QByteArray changed = bytes;
            changed.replace(lines[i].start, lines[i].end - lines[i].start, newLine);
            return writeBytes(changed);
        }
        if (!text.trimmed().isEmpty())
            insertAfter = static_cast<qsizetype>(i);
    }

    const QByteArray entry = name.toUtf8() + '=' + quoteIfNeeded(value).toUtf8() + eol;
    QByteArray changed = bytes;
    if (sectionFound) {
        const Line& after = lines[static_cast<size_t>(insertAfter)];
        if (after.next == after.end) // the last line had no terminator
            changed.insert(after.next, eol + entry);
        else
            changed.insert(after.next, entry);
    } else {
        if (!changed.isEmpty() && !changed.endsWith('\n'))
            changed += eol;
        if (!lines.empty() && !lineBytes(bytes, lines.back()).trimmed().isEmpty())
            changed += eol;
        changed += '[' + section.toUtf8() + ']' + eol + entry;
    }
    return writeBytes(changed);
}

bool SettingsStore::writeBytes(const QByteArray& bytes) const
{
    if (!QFileInfo::exists(m_path))
        QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(bytes);
    return file.commit();
}

} // namespace varnex
