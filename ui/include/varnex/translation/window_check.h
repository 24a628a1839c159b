#pragma once
// Checks a window against its language table, for the tests of each window:
// a component renamed on the window, or a row whose kind does not fit the
// component (a grid row on a label), fails a test instead of leaving a text
// untranslated in front of the user.

#include <QStringList>

class QWidget;

namespace varnex::translation {

class LanguageTable;

// One text per problem, empty when every row of the window's name names a
// component of the window whose kind fits the row's flags.
QStringList CheckWindowTexts(QWidget* window, const LanguageTable& table);
// The same against the table tableName (without extension, as TranslateForm
// takes it) of the process-wide source; a missing table raises its error.
QStringList CheckWindowTexts(QWidget* window, const QString& tableName);

} // namespace varnex::translation
