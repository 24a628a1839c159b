#include "varnex/translation/translate.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QTreeView>

namespace varnex::translation {

namespace {

const QString kNavigatorName = QStringLiteral("DBNavigator1");

void collectComponents(QObject* parent, std::vector<QObject*>& out)
{
    for (QObject* child : parent->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        // A dialog parented to this window belongs to its own table rows;
        // popup menus are windows too but are part of this window's design.
        if (widget && widget->isWindow() && !qobject_cast<QMenu*>(widget))
            continue;
        if (!child->objectName().isEmpty())
            out.push_back(child);
        collectComponents(child, out);
    }
}

void applyMemo(QWidget* widget, const QString& lines)
{
    const QString text = SplitLines(lines).join(QLatin1Char('\n'));
    if (auto* plain = qobject_cast<QPlainTextEdit*>(widget))
        plain->setPlainText(text);
    else if (auto* rich = qobject_cast<QTextEdit*>(widget))
        rich->setPlainText(text);
}

void applyGridTitles(QWidget* widget, const QString& lines)
{
    QAbstractItemModel* model = nullptr;
    if (auto* view = qobject_cast<QAbstractItemView*>(widget))
        model = view->model();
    if (!model)
        return;
    const QStringList titles = SplitLines(lines);
    // A title list that does not match the columns belongs to another layout
    // of the grid; applying part of it would mislabel columns.
    if (titles.size() != model->columnCount())
        return;
    for (int column = 0; column < titles.size(); ++column)
        model->setHeaderData(column, Qt::Horizontal, titles.at(column), Qt::DisplayRole);
}

void applyRadioGroup(QWidget* widget, const LanguageRow& row)
{
    auto* group = qobject_cast<QGroupBox*>(widget);
    if (!group)
        return;
    group->setTitle(row.caption);
    const QStringList items = SplitLines(row.lines);
    const QList<QRadioButton*> buttons = group->findChildren<QRadioButton*>();
    // The number of items never changes; a row with too few lines leaves the
    // remaining items as they were rather than blanking them.
    for (int i = 0; i < buttons.size() && i < items.size(); ++i)
        buttons.at(i)->setText(items.at(i));
}

void applyComboItems(QWidget* widget, const QString& lines)
{
    auto* combo = qobject_cast<QComboBox*>(widget);
    if (!combo)
        return;
    // Translation replaces texts, not the user's choice: the selected position
    // (and an editable box's text) survive a change of language, and no
    // selection handler runs for it.
    const QSignalBlocker blocker(combo);
    const int selected = combo->currentIndex();
    const QString editText = combo->isEditable() ? combo->currentText() : QString();
    combo->clear();
    combo->addItems(SplitLines(lines));
    combo->setCurrentIndex(selected < combo->count() ? selected : -1);
    if (combo->isEditable())
        combo->setEditText(editText);
}

void applyCheckListItems(QWidget* widget, const QString& lines)
{
    auto* list = qobject_cast<QListWidget*>(widget);
    if (!list)
        return;
    const QSignalBlocker blocker(list);
    std::vector<Qt::CheckState> states;
    for (int i = 0; i < list->count(); ++i)
        states.push_back(list->item(i)->checkState());
    list->clear();
    const QStringList items = SplitLines(lines);
    for (int i = 0; i < items.size(); ++i) {
        auto* item = new QListWidgetItem(items.at(i), list);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(static_cast<size_t>(i) < states.size() ? states[static_cast<size_t>(i)] : Qt::Unchecked);
    }
}

// A page of a QTabWidget shows its caption on the tab, not on itself.
bool setTabCaption(QWidget* widget, const QString& caption)
{
    auto* stack = qobject_cast<QStackedWidget*>(widget->parentWidget());
    auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
    if (!tabs)
        return false;
    const int index = tabs->indexOf(widget);
    if (index < 0)
        return false;
    tabs->setTabText(index, caption);
    return true;
}

void applyControlText(QWidget* widget, const QString& caption)
{
    if (setTabCaption(widget, caption))
        return;
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(caption);
    else if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(caption);
    else if (auto* group = qobject_cast<QGroupBox*>(widget))
        group->setTitle(caption);
    else if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->setText(caption);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget))
        plain->setPlainText(caption);
    else if (auto* rich = qobject_cast<QTextEdit*>(widget))
        rich->setPlainText(caption);
    else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        if (combo->isEditable())
            combo->setEditText(caption);
    } else {
        // The suite's own controls (icon buttons, panels with a caption)
        // publish their text as a "text" or "caption" property.
        const QMetaObject* meta = widget->metaObject();
        for (const char* name : {"text", "caption", "title"}) {
            const int index = meta->indexOfProperty(name);
            if (index >= 0 && meta->property(index).isWritable()) {
                meta->property(index).write(widget, caption);
                break;
            }
        }
    }
}

void applyNavigatorHints(QWidget* widget, const QString& lines)
{
    const QStringList hints = SplitLines(lines);
    if (auto* navigator = dynamic_cast<NavigatorButtonHints*>(widget)) {
        navigator->setButtonHints(hints);
        return;
    }
    const QList<QAbstractButton*> buttons = widget->findChildren<QAbstractButton*>();
    for (int i = 0; i < buttons.size() && i < hints.size(); ++i)
        buttons.at(i)->setToolTip(hints.at(i));
}

void applyRow(QObject* component, const LanguageRow& row)
{
    auto* widget = qobject_cast<QWidget*>(component);
    // A flag decides the rule even when the component is of another kind;
    // then nothing is changed (the window check reports the mismatch).
    if (row.isMemo) {
        if (widget)
            applyMemo(widget, row.lines);
    } else if (row.isDBGrid) {
        if (widget)
            applyGridTitles(widget, row.lines);
    } else if (row.isRadioGroup) {
        if (widget)
            applyRadioGroup(widget, row);
    } else if (row.isCombobox) {
        if (widget)
            applyComboItems(widget, row.lines);
    } else if (row.isCheckList) {
        if (widget)
            applyCheckListItems(widget, row.lines);
    } else if (auto* menu = qobject_cast<QMenu*>(component)) {
        menu->setTitle(row.caption);
    } else if (auto* action = qobject_cast<QAction*>(component)) {
        action->setText(row.caption);
    } else if (auto* label = dynamic_cast<ReportLabelItem*>(component)) {
        label->setTranslatedCaption(row.caption);
    } else if (auto* systemData = dynamic_cast<ReportSystemDataItem*>(component)) {
        systemData->setTranslatedText(row.caption);
    } else if (component->objectName() != kNavigatorName) {
        if (!widget)
            return;
        applyControlText(widget, row.caption);
        if (!row.hint.isEmpty())
            widget->setToolTip(row.hint);
    } else if (widget) {
        applyNavigatorHints(widget, row.lines);
    }
}

} // namespace

QString LanguageTableFileName(const QString& tableName)
{
    QString name = tableName;
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.remove(dot, 1);
    return name + QStringLiteral(".db");
}

QStringList SplitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(text.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < size && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
        ++i;
    }
    if (start < size)
        lines.append(text.mid(start));
    return lines;
}

std::vector<QObject*> WindowComponents(QWidget* window)
{
    std::vector<QObject*> components;
    if (window)
        collectComponents(window, components);
    return components;
}

void ApplyLanguageRows(QWidget* window, const std::vector<LanguageRow>& rows)
{
    if (!window)
        throw LanguageTableError("TranslateForm: no window to translate");
    const QString formName = window->objectName();
    QHash<QString, const LanguageRow*> byComponent;
    byComponent.reserve(static_cast<qsizetype>(rows.size()));
    for (const LanguageRow& row : rows) {
        if (row.formName == formName)
            byComponent.insert(row.componentName, &row);
    }
    if (byComponent.isEmpty())
        return;
    if (const LanguageRow* own = byComponent.value(formName))
        window->setWindowTitle(own->caption);
    for (QObject* component : WindowComponents(window)) {
        if (const LanguageRow* row = byComponent.value(component->objectName()))
            applyRow(component, *row);
    }
}

void TranslateForm(QWidget* window, const QString& tableName, LanguageTableSource& source)
{
    if (!window)
        throw LanguageTableError("TranslateForm: no window to translate");
    // Everything is read before the first text changes: a failing table
    // leaves the window exactly as it was.
    const std::unique_ptr<LanguageTable> table = source.open(LanguageTableFileName(tableName));
    if (!table)
        throw LanguageTableError(
            QStringLiteral("Language table %1 cannot be opened.").arg(LanguageTableFileName(tableName)).toStdString());
    const std::vector<LanguageRow> rows = table->rowsOfForm(window->objectName());
    ApplyLanguageRows(window, rows);
}

void TranslateForm(QWidget* window, const QString& tableName)
{
    TranslateForm(window, tableName, LanguageTables());
}

} // namespace varnex::translation
