#include <dlfcn.h>

#include <QDir>
#include <QFileInfo>

#include "varnex/translation/translate.h"

namespace varnex::translation {

namespace {

QString& explicitFolder()
{
    static QString folder;
    return folder;
}

LanguageTableSource* g_source = nullptr;

// The program folder is where this runtime library lies: every deliverable
// loads it from there, tests included, whatever the current directory.
QString programFolder()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&LanguagesFolder), &info) != 0 && info.dli_fname)
        return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath();
    return QDir::currentPath();
}

} // namespace

QString LanguagesFolder()
{
    if (!explicitFolder().isEmpty())
        return explicitFolder();
    return QDir::cleanPath(programFolder() + QStringLiteral("/../languages"));
}

void SetLanguagesFolder(const QString& folder)
{
    explicitFolder() = folder;
}

LanguageTableSource& DefaultLanguageTables(); // engine_language_tables.cpp

LanguageTableSource& LanguageTables()
{
    return g_source ? *g_source : DefaultLanguageTables();
}

void SetLanguageTableSource(LanguageTableSource* source)
{
    g_source = source;
}

} // namespace varnex::translation
