#include "varnex/translation/window_check.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSet>
#include <QTextEdit>

#include "varnex/translation/translate.h"

namespace varnex::translation {

namespace {

// The Qt kind a flagged row needs, or empty when the component fits.
QString kindMismatch(QObject* component, const LanguageRow& row)
{
    if (row.isMemo)
        return qobject_cast<QPlainTextEdit*>(component) || qobject_cast<QTextEdit*>(component)
                   ? QString()
                   : QStringLiteral("a memo (QPlainTextEdit or QTextEdit)");
    if (row.isDBGrid)
        return qobject_cast<QAbstractItemView*>(component) ? QString() : QStringLiteral("a data grid (QTableView)");
    if (row.isRadioGroup)
        return qobject_cast<QGroupBox*>(component) ? QString() : QStringLiteral("a radio group (QGroupBox)");
    if (row.isCombobox)
        return qobject_cast<QComboBox*>(component) ? QString() : QStringLiteral("a combo box (QComboBox)");
    if (row.isCheckList)
        return qobject_cast<QListWidget*>(component) ? QString() : QStringLiteral("a check-list box (QListWidget)");
    if (component->isWidgetType() || qobject_cast<QAction*>(component) || dynamic_cast<ReportLabelItem*>(component)
        || dynamic_cast<ReportSystemDataItem*>(component))
        return QString();
    return QStringLiteral("a control, menu item or report item");
}

} // namespace

QStringList CheckWindowTexts(QWidget* window, const LanguageTable& table)
{
    QStringList problems;
    if (!window)
        return {QStringLiteral("no window")};
    const QString formName = window->objectName();
    if (formName.isEmpty())
        return {QStringLiteral("the window (%1) has no objectName")
                    .arg(QString::fromLatin1(window->metaObject()->className()))};

    QHash<QString, QObject*> components;
    for (QObject* component : WindowComponents(window))
        components.insert(component->objectName(), component);

    for (const LanguageRow& row : table.rowsOfForm(formName)) {
        if (row.componentName == formName)
            continue;
        QObject* component = components.value(row.componentName);
        if (!component) {
            problems.append(QStringLiteral("%1: no component named \"%2\"").arg(formName, row.componentName));
            continue;
        }
        const QString needed = kindMismatch(component, row);
        if (!needed.isEmpty())
            problems.append(QStringLiteral("%1.%2: the row is for %3, the component is a %4")
                                .arg(formName, row.componentName, needed,
                                     QString::fromLatin1(component->metaObject()->className())));
    }
    return problems;
}

QStringList CheckWindowTexts(QWidget* window, const QString& tableName)
{
    const std::unique_ptr<LanguageTable> table = LanguageTables().open(LanguageTableFileName(tableName));
    if (!table)
        return {QStringLiteral("the language table %1 cannot be opened").arg(tableName)};
    return CheckWindowTexts(window, *table);
}

} // namespace varnex::translation
