#include "varnex/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

namespace varnex {

namespace {

QStringList readLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString content = QString::fromUtf8(file.readAll());
    if (content.startsWith(QChar(0xFEFF)))
        content.remove(0, 1);
    content.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QStringList lines = content.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

bool isSectionLine(const QString& line, QString* name = nullptr)
{
    const QString t = line.trimmed();
    if (t.size() < 2 || !t.startsWith(QLatin1Char('[')) || !t.endsWith(QLatin1Char(']')))
        return false;
    if (name)
        *name = t.mid(1, t.size() - 2).trimmed();
    return true;
}

// Splits "name=value"; comments and blank lines are not entries.
bool splitEntry(const QString& line, QString* name, QString* value)
{
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('#')))
        return false;
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    *name = t.left(eq).trimmed();
    QString v = t.mid(eq + 1).trimmed();
    if (v.size() >= 2 && v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"')))
        v = v.mid(1, v.size() - 2);
    *value = v;
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
    ensureExists();
    bool inSection = false;
    QString current, key, value;
    for (const QString& line : readLines(m_path)) {
        if (isSectionLine(line, &current)) {
            inSection = sameName(current, section);
        } else if (inSection && splitEntry(line, &key, &value) && sameName(key, name)) {
            return value;
        }
    }
    return defaultValue;
}

bool SettingsStore::contains(const QString& section, const QString& name) const
{
    const QString marker = QStringLiteral("\x01absent\x01");
    return value(section, name, marker) != marker;
}

bool SettingsStore::setValue(const QString& section, const QString& name, const QString& value) const
{
    ensureExists();
    QStringList lines = readLines(m_path);
    qsizetype sectionStart = -1;
    qsizetype insertAt = -1;
    bool replaced = false;
    QString current, key, old;
    for (qsizetype i = 0; i < lines.size() && !replaced; ++i) {
        if (isSectionLine(lines[i], &current)) {
            if (sectionStart >= 0)
                break;
            if (sameName(current, section)) {
                sectionStart = i;
                insertAt = i + 1;
            }
        } else if (sectionStart >= 0) {
            if (splitEntry(lines[i], &key, &old) && sameName(key, name)) {
                lines[i] = key + QLatin1Char('=') + quoteIfNeeded(value);
                replaced = true;
            } else if (!lines[i].trimmed().isEmpty()) {
                insertAt = i + 1;
            }
        }
    }
    if (!replaced) {
        const QString entry = name + QLatin1Char('=') + quoteIfNeeded(value);
        if (sectionStart < 0) {
            if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
                lines.append(QString());
            lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
            lines.append(entry);
        } else {
            lines.insert(insertAt, entry);
        }
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    return file.commit();
}

} // namespace varnex
