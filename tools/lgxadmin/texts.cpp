#include "texts.h"

#include <QStringList>

#include <iterator>

#include "varnex/settings.h"
#include "varnex/translation/message_lines.h"

namespace {

namespace lines = varnex::translation::lgxadmin_lines;

// The texts without a language table, in line order.
const char* const kDesignTexts[] = {
    "The company %1 is being created by another process: wait until it finishes, then check it with "
    "\"lgxadmin check\".",
    "The disk holding %1 is full: nothing of this step was kept. Free some space, then run the command again.",
};
static_assert(std::size(kDesignTexts) == lines::All.size());

} // namespace

int AdminLanguage()
{
    const QString value =
        varnex::SettingsStore::machine().value(QStringLiteral("Lgx"), QStringLiteral("language")).trimmed();
    return value == QLatin1String("2") ? 2 : 1;
}

QString AdminText(int line)
{
    static const QStringList table = varnex::translation::MessageLinesOfTable(
        AdminLanguage() == 2 ? QStringLiteral("lgxadminfr") : QStringLiteral("lgxadminen"), QStringLiteral("Lgxadmin"),
        QStringLiteral("Messages"));
    const QString text = table.value(line);
    if (!text.isEmpty() || line < 0 || line >= static_cast<int>(std::size(kDesignTexts)))
        return text;
    return QString::fromUtf8(kDesignTexts[line]);
}
