#pragma once
// The machine settings file that stands in for the registry key
// Software\Varnex: an INI file whose sections are the subkeys ("Lgx",
// "Settings"). Section and value names compare without regard to case.
// Every read looks at the file as it is now, so a value written by the
// company wizard or another program is seen by the next reader, as with the
// registry; the file is parsed again only when it changed on disk.
//
// The file's bytes belong to whoever wrote them: a value that is not valid
// UTF-8 is read as Latin-1, and a write changes the bytes of one line only.
// Reading never creates the file or its folder.

#include <QByteArray>
#include <QString>

namespace varnex {

class SettingsStore {
public:
    // The file named by VARNEX_SETTINGS, otherwise
    // $XDG_CONFIG_HOME/varnex/varnex.ini (~/.config/varnex/varnex.ini).
    static QString defaultPath();
    // The store of this machine (defaultPath(), read when the process asks).
    static SettingsStore machine();

    explicit SettingsStore(QString path);

    const QString& path() const { return m_path; }
    // Creates the file (and its folder) when missing; true when it exists after.
    bool ensureExists() const;
    // A value that does not exist gives the default.
    QString value(const QString& section, const QString& name, const QString& defaultValue = QString()) const;
    bool contains(const QString& section, const QString& name) const;
    // Writes one value (UTF-8); keeps every other byte (and the spelling of an
    // existing name) as it was, and leaves the file untouched when the value is
    // already the one stored. Creates the file when missing. False when the
    // file cannot be written.
    bool setValue(const QString& section, const QString& name, const QString& value) const;

private:
    bool writeBytes(const QByteArray& bytes) const;

    QString m_path;
};

} // namespace varnex
