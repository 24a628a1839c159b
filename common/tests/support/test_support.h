#pragma once
// Small helpers shared by the test programs.

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace varnex::test_support {

// A temporary folder with a private settings file (VARNEX_SETTINGS points at
// it for the life of the object).
class ScratchSettings {
public:
    ScratchSettings()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path = m_dir->filePath(QStringLiteral("varnex.ini"));
        m_previous = qgetenv("VARNEX_SETTINGS");
        qputenv("VARNEX_SETTINGS", m_path.toLocal8Bit());
    }
    ~ScratchSettings()
    {
        if (m_previous.isEmpty())
            qunsetenv("VARNEX_SETTINGS");
        else
            qputenv("VARNEX_SETTINGS", m_previous);
    }
    const QString& path() const { return m_path; }
    QString folder() const { return m_dir->path(); }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    QByteArray m_previous;
};

} // namespace varnex::test_support
