#include "option_rules.h"

#include <QStringList>

namespace varnex::launcher {

OptionName StripOptionSuffixes(const QString& name)
{
    OptionName result{name, false};
    QString& n = result.name;
    if (n.toUpper() != QLatin1String("COMPSETUP") && n.endsWith(QLatin1Char('p')))
        n.chop(1);
    if (n.endsWith(QLatin1Char('f')))
        n.chop(1);
    if (n.endsWith(QLatin1Char('S'))) {
        n.chop(1);
        result.fromDesktop = true;
    }
    return result;
}

OptionLibrary LibraryForOptionName(const QString& option)
{
    struct ReportFamily {
        const char* prefix; // the ledger's prefix of its report options
        const char* context;
    };
    // Each ledger's report printing and maintenance run the shared report
    // libraries, which read the ledger from the context.
    static const ReportFamily families[] = {
        {"ap", "ap"},
        {"ar", "ar"},
        {"pa", "pa"},
        {"iv", "iv"},
    };
    if (option == QLatin1String("rptprint") || option == QLatin1String("rptmaint"))
        return {option, QStringLiteral("gl"), true};
    for (const ReportFamily& family : families) {
        const QString prefix = QLatin1String(family.prefix);
        if (option == prefix + QLatin1String("rptprint"))
            return {QStringLiteral("rptprint"), QLatin1String(family.context), true};
        if (option == prefix + QLatin1String("rptmaint"))
            return {QStringLiteral("rptmaint"), QLatin1String(family.context), true};
    }
    if (option == QLatin1String("fastatprint"))
        return {QStringLiteral("rptprint"), QStringLiteral("sv"), true};
    if (option == QLatin1String("fastatmaint"))
        return {QStringLiteral("rptmaint"), QStringLiteral("sv"), true};
    if (option == QLatin1String("cfstatprint"))
        return {QStringLiteral("rptprint"), QStringLiteral("sa"), true};
    if (option == QLatin1String("cfstatmaint"))
        return {QStringLiteral("rptmaint"), QStringLiteral("sa"), true};
    return {option, QString(), false};
}

bool NeedsTrackerDatabase(const QString& option)
{
    return option.startsWith(QLatin1String("trk")) && option != QLatin1String("trknewbase");
}

bool NeedsPayrollFiles(const QString& option)
{
    return (option.startsWith(QLatin1String("pa")) || option == QLatin1String("glsubjrn"))
           && option != QLatin1String("pafiles");
}

bool NeedsJobCostFiles(const QString& option)
{
    return option.startsWith(QLatin1String("jc")) && option != QLatin1String("jcfiles");
}

bool IsPayrollOption(const QString& option)
{
    return option.startsWith(QLatin1String("pa"));
}

bool IsCompanyMaintenance(const QString& option)
{
    return option.compare(QLatin1String("compsetup"), Qt::CaseInsensitive) == 0;
}

bool IsYesAnyCase(const QString& value)
{
    return value.compare(QLatin1String("Y"), Qt::CaseInsensitive) == 0;
}

bool IsExactlyYes(const QString& value)
{
    return value == QLatin1String("Y");
}

bool IsNoAnyCase(const QString& value)
{
    return value.compare(QLatin1String("N"), Qt::CaseInsensitive) == 0;
}

WindowPlacement ParseWindowPlacement(const QString& text)
{
    WindowPlacement placement;
    const QStringList items = text.split(QLatin1Char(','));
    int* numbers[4] = {&placement.height, &placement.left, &placement.top, &placement.width};
    for (int i = 0; i < 4 && i < items.size(); ++i) {
        bool ok = false;
        const int value = items[i].trimmed().toInt(&ok);
        if (ok)
            *numbers[i] = value;
    }
    // A window of no size cannot be seen nor grabbed: keep the design size.
    if (placement.height <= 0)
        placement.height = WindowPlacement{}.height;
    if (placement.width <= 0)
        placement.width = WindowPlacement{}.width;
    placement.useStoredPosition = items.size() >= 5 && items[4].trimmed() == QLatin1String("Y");
    return placement;
}

QString FormatWindowPlacement(int height, int left, int top, int width)
{
    return QStringLiteral("%1,%2,%3,%4,Y").arg(height).arg(left).arg(top).arg(width);
}

StartLanguage ParseStartLanguage(const QString& text)
{
    StartLanguage result;
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    if (!ok) {
        result.valid = false;
        result.number = 1;
        result.code = QStringLiteral("en");
        return result;
    }
    result.number = number;
    if (number == 1)
        result.code = QStringLiteral("en");
    else if (number == 2)
        result.code = QStringLiteral("fr");
    return result;
}

QString LanguageCodeOf(const QString& langCode)
{
    const QString code = langCode.trimmed().left(2);
    return code.isEmpty() ? QStringLiteral("en") : code;
}

QString DatedCaptionPattern(const QString& titleLine)
{
    QString quoted = titleLine;
    // A double quote inside the line would end the literal early.
    quoted.remove(QLatin1Char('"'));
    return QLatin1Char('"') + quoted + QLatin1String("\" dddd, mmmm d, yyyy");
}

} // namespace varnex::launcher
