#include "varnex/translation/message_lines.h"

#include "varnex/translation/translate.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

namespace varnex::translation {

QString MessageLine(const QWidget* messageList, int line)
{
    if (!messageList || line < 0)
        return QString();
    const QTextDocument* document = nullptr;
    if (auto* plain = qobject_cast<const QPlainTextEdit*>(messageList))
        document = plain->document();
    else if (auto* rich = qobject_cast<const QTextEdit*>(messageList))
        document = rich->document();
    if (!document)
        return QString();
    const QTextBlock block = document->findBlockByNumber(line);
    return block.isValid() ? block.text() : QString();
}

QString MessageLine(const QWidget* window, const QString& listName, int line)
{
    if (!window)
        return QString();
    return MessageLine(window->findChild<const QWidget*>(listName), line);
}

QStringList MessageLinesOfTable(const QString& tableName, const QString& formName, const QString& listName)
{
    try {
        const std::unique_ptr<LanguageTable> table = LanguageTables().open(LanguageTableFileName(tableName));
        for (const LanguageRow& row : table->rowsOfForm(formName))
            if (row.componentName == listName)
                return SplitLines(row.lines);
    } catch (const std::exception&) {
        // No table: the caller's design texts stand.
    }
    return {};
}

} // namespace varnex::translation
