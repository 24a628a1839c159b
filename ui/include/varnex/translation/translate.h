#pragma once
// Form translation: every window is designed once and put into the user's
// language at run time from a language table (one table per program and
// language, "MainMenuen", "purchentfr", ...). The same pass fills the hidden
// message lists (`Error_Messages`, `IntlStrings1`) whose numbered lines are the
// texts the code shows.
//
// How Qt widgets stand for the design's component kinds is described in
// docs/translation.md; in short: memo = QPlainTextEdit/QTextEdit, data grid =
// QTableView/QTreeView (titles through the model's horizontal header data),
// radio group = QGroupBox holding QRadioButtons, combo box = QComboBox,
// check-list box = QListWidget, menu item = QAction or QMenu, report items =
// objects implementing ReportLabelItem / ReportSystemDataItem.

#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <stdexcept>
#include <vector>

class QObject;
class QWidget;

namespace varnex::translation {

// One row of a language table. An empty logical field reads as false.
struct LanguageRow {
    QString formName;      // the window's objectName
    QString componentName; // equal to formName for the window's own row
    QString caption;
    QString lines; // text with line breaks
    QString hint;
    bool isMemo = false;
    bool isDBGrid = false;
    bool isRadioGroup = false;
    bool isCombobox = false;
    bool isCheckList = false;
};

// An open language table. Names compare exactly as stored.
class LanguageTable {
public:
    virtual ~LanguageTable() = default;
    // Every row of one window; the result is read whole before anything on
    // the window changes, so a failing read leaves the window as it was.
    virtual std::vector<LanguageRow> rowsOfForm(const QString& formName) const = 0;
    // The windows the table has rows for (checks and tools).
    virtual QStringList formNames() const = 0;
};

// Where language tables come from. open() receives the file name that
// TranslateForm derived ("MainMenuen.db") and throws the storage engine's
// error (or LanguageTableError) when the table is missing or unreadable.
class LanguageTableSource {
public:
    virtual ~LanguageTableSource() = default;
    virtual std::unique_ptr<LanguageTable> open(const QString& tableFileName) = 0;
};

// Raised by sources that are not the storage engine (the in-memory one) and
// for bad arguments; the engine-backed source raises the engine's own error.
class LanguageTableError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The table name rule: the first "." is removed (one character only) and
// ".db" appended: "a.b" gives "ab.db", "MainMenufr" gives "MainMenufr.db".
QString LanguageTableFileName(const QString& tableName);

// Splits "Lines" the way the design's string lists read text: CR, LF and
// CR LF all end a line, and a final line break does not start another line
// ("" gives no line at all, "a\n" one line).
QStringList SplitLines(const QString& text);

// Translates a window with the table named tableName (without extension) from
// the process-wide source (the languages folder unless a test replaced it).
// A missing table raises the source's error and the window keeps its texts.
void TranslateForm(QWidget* window, const QString& tableName);
void TranslateForm(QWidget* window, const QString& tableName, LanguageTableSource& source);
// Applies already-read rows: used by the two calls above and by tools.
void ApplyLanguageRows(QWidget* window, const std::vector<LanguageRow>& rows);

// The source TranslateForm(window, name) uses. Not owned; nullptr restores the
// default (language tables read from LanguagesFolder()).
LanguageTableSource& LanguageTables();
void SetLanguageTableSource(LanguageTableSource* source);

// The languages folder: "<program folder>/../languages", the program folder
// being the folder of the runtime library itself, so that a program which
// changes its current directory still finds its tables. A non-empty value
// given to SetLanguagesFolder (tests, tools) takes precedence.
QString LanguagesFolder();
void SetLanguagesFolder(const QString& folder);

// Seams for the report engine: a band item that implements one of these is
// translated as a report label (its caption) or a report system-data item
// (its text). The navigator named "DBNavigator1" may implement
// NavigatorButtonHints; otherwise its QAbstractButton children take the hints
// in child order.
class ReportLabelItem {
public:
    virtual ~ReportLabelItem() = default;
    virtual void setTranslatedCaption(const QString& caption) = 0;
};

class ReportSystemDataItem {
public:
    virtual ~ReportSystemDataItem() = default;
    virtual void setTranslatedText(const QString& text) = 0;
};

class NavigatorButtonHints {
public:
    virtual ~NavigatorButtonHints() = default;
    virtual void setButtonHints(const QStringList& hints) = 0;
};

// The components of a window in the order TranslateForm visits them: every
// named descendant, depth first in creation order. Other top-level windows
// parented to this one (dialogs) are translated under their own name and are
// not entered; popup menus are.
std::vector<QObject*> WindowComponents(QWidget* window);

// Language tables held in memory, keyed by table name (case-insensitive, with
// or without ".db"). For tests and tools; opening an absent table raises
// LanguageTableError naming the table.
class MemoryLanguageTables : public LanguageTableSource {
public:
    void addRow(const QString& tableName, const LanguageRow& row);
    // Creates an empty table (so that opening it succeeds).
    void addTable(const QString& tableName);
    std::unique_ptr<LanguageTable> open(const QString& tableFileName) override;
    int openCount() const { return m_openCount; }

private:
    QHash<QString, std::vector<LanguageRow>> m_tables;
    int m_openCount = 0;
};

} // namespace varnex::translation
