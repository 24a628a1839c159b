#pragma once
// What lgxadmin tells its user in words the user can act on, in the language
// of the machine's settings (`language` of [Lgx]: 2 French, otherwise
// English), from the language tables lgxadminen/lgxadminfr. The English
// design text stands when no table can be read.

#include <QString>

// 1 English, 2 French.
int AdminLanguage();
// Line `line` of lgxadmin's message list (varnex::translation::lgxadmin_lines).
QString AdminText(int line);
