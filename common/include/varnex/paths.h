#pragma once
// The folders of an installation, derived from the "pgmdrive" and "datadrive"
// settings of section "Lgx".
//
//   program folder   pgmdrive + "/Lgx/bin"
//   languages folder program folder + "/../languages"
//   data root        datadrive + "/Lgx/data"
//   company folder   data root immediately followed by the company number
//
// Defaults on Linux: "pgmdrive" is the folder above "Lgx/bin" when the
// running program sits in such a folder (an installed or staged build), else
// /opt/primora; "datadrive" is $XDG_DATA_HOME/primora (~/.local/share/primora).

#include <QString>

namespace varnex {

QString DefaultProgramDrive();
QString DefaultDataDrive();

// The settings' values, or the defaults when absent.
QString ProgramDrive();
QString DataDrive();

QString ProgramFolderOf(const QString& programDrive);
QString DataRootOf(const QString& dataDrive);
QString CompanyFolderOf(const QString& dataRoot, const QString& companyNumber);
// Found from the program folder, never from the current directory: a Tools
// program that changes the current directory must not break translation.
QString LanguagesFolderOf(const QString& programFolder);

} // namespace varnex
