#include "varnex/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "varnex/settings.h"

namespace varnex {

QString DefaultProgramDrive()
{
    if (QCoreApplication::instance() != nullptr) {
        const QDir bin(QCoreApplication::applicationDirPath());
        if (bin.dirName() == QLatin1String("bin")) {
            QDir lgx = bin;
            if (lgx.cdUp() && lgx.dirName() == QLatin1String("Lgx") && lgx.cdUp())
                return lgx.absolutePath();
        }
    }
    return QStringLiteral("/opt/primora");
}

QString DefaultDataDrive()
{
    QString base = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"));
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/primora");
}

QString ProgramDrive()
{
    return SettingsStore::machine().value(QStringLiteral("Lgx"), QStringLiteral("pgmdrive"), DefaultProgramDrive());
}

QString DataDrive()
{
    return SettingsStore::machine().value(QStringLiteral("Lgx"), QStringLiteral("datadrive"), DefaultDataDrive());
}

QString ProgramFolderOf(const QString& programDrive)
{
    return programDrive + QStringLiteral("/Lgx/bin");
}

QString DataRootOf(const QString& dataDrive)
{
    return dataDrive + QStringLiteral("/Lgx/data");
}

QString CompanyFolderOf(const QString& dataRoot, const QString& companyNumber)
{
    return dataRoot + companyNumber;
}

QString LanguagesFolderOf(const QString& programFolder)
{
    return QDir::cleanPath(programFolder + QStringLiteral("/../languages"));
}

} // namespace varnex
