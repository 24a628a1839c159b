#include "varnex/regional.h"

#include <QVariant>

#include <cmath>

#include "varnex/settings.h"

namespace varnex {

RegionalFormats& Regional()
{
    static RegionalFormats formats;
    return formats;
}

void ResetRegionalFormats()
{
    Regional() = RegionalFormats();
}

void LoadRegionalSettings(const SettingsStore& store)
{
    RegionalFormats& r = Regional();
    const QString section = QStringLiteral("Settings");
    r.shortDateFormat = store.value(section, QStringLiteral("DateFmt"), QStringLiteral("DD/MM/YYYY"));
    r.currencyString = store.value(section, QStringLiteral("CurrSmbl"), QStringLiteral("$"));
    const QString align = store.value(section, QStringLiteral("CurrAlign"), QStringLiteral("L"));
    if (align == QLatin1String("L") || align == QLatin1String("l")) {
        r.currencyFormat = 0;
    } else {
        r.currencyFormat = 1;
        r.negativeCurrencyFormat = 4;
    }
    for (const QChar c : r.shortDateFormat) {
        if (!c.isLetter()) {
            r.dateSeparator = c;
            break;
        }
    }
}

void LoadRegionalSettings()
{
    LoadRegionalSettings(SettingsStore::machine());
}

QString DateEditMask(const QString& dateFormat)
{
    QString mask = dateFormat;
    for (QChar& c : mask) {
        const QChar u = c.toUpper();
        if (u == QLatin1Char('D') || u == QLatin1Char('M') || u == QLatin1Char('Y'))
            c = QLatin1Char('9');
    }
    return QLatin1Char('!') + mask + QLatin1String(";1; ");
}

// ---- number masks ---------------------------------------------------------

namespace {

struct MaskSection {
    QString prefix;          // literals before the first placeholder
    QString suffix;          // literals after the last placeholder
    int requiredInteger = 0; // '0' placeholders before the point
    int requiredDecimals = 0;
    int optionalDecimals = 0;
    bool thousands = false;
    bool hasPlaceholder = false;
};

QStringList splitSections(const QString& mask)
{
    QStringList sections;
    QString current;
    QChar quote;
    for (const QChar c : mask) {
        if (!quote.isNull()) {
            current += c;
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
            current += c;
        } else if (c == QLatin1Char(';')) {
            sections << current;
            current.clear();
        } else {
            current += c;
        }
    }
    sections << current;
    return sections;
}

MaskSection parseSection(const QString& text)
{
    MaskSection s;
    bool afterPoint = false;
    QString literal;
    QChar quote;
    auto flushLiteral = [&] {
        if (!s.hasPlaceholder)
            s.prefix += literal;
        else
            s.suffix += literal;
        literal.clear();
    };
    for (const QChar c : text) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                literal += c;
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            // a literal between placeholders is dropped: the amount is one block
            if (s.hasPlaceholder)
                literal.clear();
            else
                flushLiteral();
            s.suffix.clear();
            s.hasPlaceholder = true;
            if (afterPoint) {
                if (c == QLatin1Char('0'))
                    s.requiredDecimals += 1 + s.optionalDecimals, s.optionalDecimals = 0;
                else
                    ++s.optionalDecimals;
            } else if (c == QLatin1Char('0')) {
                ++s.requiredInteger;
            }
        } else if (c == QLatin1Char('.') && !afterPoint) {
            afterPoint = true;
            if (!s.hasPlaceholder) {
                flushLiteral();
                s.hasPlaceholder = true;
            }
        } else if (c == QLatin1Char(',') && !afterPoint) {
            s.thousands = true;
        } else {
            literal += c;
        }
    }
    if (!s.hasPlaceholder)
        s.prefix += literal;
    else
        s.suffix += literal;
    return s;
}

// Digits of |value| rounded to `decimals` places, as integer and fraction text.
void splitDigits(Currency value, int decimals, QString* integerPart, QString* fraction)
{
    const QString text = value.abs().toText(std::min(decimals, 4));
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    *integerPart = point < 0 ? text : text.left(point);
    *fraction = point < 0 ? QString() : text.mid(point + 1);
    while (fraction->size() < decimals)
        *fraction += QLatin1Char('0');
}

void splitDigits(double value, int decimals, QString* integerPart, QString* fraction)
{
    if (decimals <= 4 && std::fabs(value) < 9.0e14) {
        splitDigits(Currency::fromDouble(value), decimals, integerPart, fraction);
        return;
    }
    const double magnitude = std::fabs(value);
    QString text = QString::number(magnitude, 'f', decimals);
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    *integerPart = point < 0 ? text : text.left(point);
    *fraction = point < 0 ? QString() : text.mid(point + 1);
}

template <typename Number>
QString formatWithSection(const MaskSection& s, Number magnitude, bool withSign)
{
    const RegionalFormats& r = Regional();
    if (!s.hasPlaceholder)
        return s.prefix;
    QString integerPart, fraction;
    splitDigits(magnitude, s.requiredDecimals + s.optionalDecimals, &integerPart, &fraction);
    while (fraction.size() > s.requiredDecimals && fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    if (integerPart == QLatin1String("0") && s.requiredInteger == 0)
        integerPart.clear();
    while (integerPart.size() < s.requiredInteger)
        integerPart.prepend(QLatin1Char('0'));
    if (s.thousands) {
        for (qsizetype i = integerPart.size() - 3; i > 0; i -= 3)
            integerPart.insert(i, r.thousandSeparator);
    }
    QString number = integerPart;
    if (!fraction.isEmpty())
        number += r.decimalSeparator + fraction;
    const bool allZero =
        !std::any_of(number.begin(), number.end(), [](QChar c) { return c.isDigit() && c != QLatin1Char('0'); });
    QString sign = (withSign && !allZero) ? QStringLiteral("-") : QString();
    return sign + s.prefix + number + s.suffix;
}

template <typename Number>
QString formatFloatImpl(const QString& mask, Number value, bool negative, bool zero, Number magnitude)
{
    if (mask.isEmpty()) {
        if constexpr (std::is_same_v<Number, double>)
            return QString::number(value, 'g', 15);
        else
            return QString::fromStdString(value.toString());
    }
    const QStringList sections = splitSections(mask);
    if (zero && sections.size() >= 3 && !sections[2].isEmpty())
        return formatWithSection(parseSection(sections[2]), magnitude, false);
    if (negative && sections.size() >= 2 && !sections[1].isEmpty())
        return formatWithSection(parseSection(sections[1]), magnitude, false);
    return formatWithSection(parseSection(sections[0]), magnitude, negative);
}

} // namespace

QString FormatFloat(const QString& mask, double value)
{
    return formatFloatImpl(mask, value, value < 0, value == 0.0, std::fabs(value));
}

QString FormatFloat(const QString& mask, Currency value)
{
    return formatFloatImpl(mask, value, value.isNegative(), value.isZero(), value.abs());
}

QString FormatCurrency(Currency value, int decimals)
{
    const RegionalFormats& r = Regional();
    if (decimals < 0)
        decimals = r.currencyDecimals;
    QString mask = QStringLiteral("#,##0");
    if (decimals > 0)
        mask += QLatin1Char('.') + QString(decimals, QLatin1Char('0'));
    const QString amount = FormatFloat(mask, value.abs());
    const QString& c = r.currencyString;
    if (!value.isNegative()
        || amount.count(QLatin1Char('0')) + amount.count(r.thousandSeparator) + amount.count(r.decimalSeparator)
               == amount.size()) {
        switch (r.currencyFormat) {
        case 1: return amount + c;
        case 2: return c + QLatin1Char(' ') + amount;
        case 3: return amount + QLatin1Char(' ') + c;
        default: return c + amount;
        }
    }
    const QString sp = QStringLiteral(" ");
    switch (r.negativeCurrencyFormat) {
    case 0: return QLatin1Char('(') + c + amount + QLatin1Char(')');
    case 2: return c + QLatin1Char('-') + amount;
    case 3: return c + amount + QLatin1Char('-');
    case 4: return QLatin1Char('(') + amount + c + QLatin1Char(')');
    case 5: return QLatin1Char('-') + amount + c;
    case 6: return amount + QLatin1Char('-') + c;
    case 7: return amount + c + QLatin1Char('-');
    case 8: return QLatin1Char('-') + amount + sp + c;
    case 9: return QLatin1Char('-') + c + sp + amount;
    case 10: return amount + sp + c + QLatin1Char('-');
    case 11: return c + sp + amount + QLatin1Char('-');
    case 12: return c + sp + QLatin1Char('-') + amount;
    case 13: return amount + QLatin1Char('-') + sp + c;
    case 14: return QLatin1String("(") + c + sp + amount + QLatin1Char(')');
    case 15: return QLatin1Char('(') + amount + sp + c + QLatin1Char(')');
    default: return QLatin1Char('-') + c + amount;
    }
}

// ---- dates ------------------------------------------------------------------

QString FormatDateTime(const QString& pattern, const QDateTime& when, const QLocale& locale)
{
    const RegionalFormats& r = Regional();
    const QDate date = when.date();
    const QTime time = when.time();
    QString out;
    const qsizetype n = pattern.size();
    auto runOf = [&](qsizetype i, QChar letter) {
        qsizetype j = i;
        while (j < n && pattern[j].toLower() == letter)
            ++j;
        return j - i;
    };
    bool lastWasHour = false;
    for (qsizetype i = 0; i < n;) {
        const QChar c = pattern[i];
        const QChar lower = c.toLower();
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const qsizetype end = pattern.indexOf(c, i + 1);
            if (end < 0) {
                out += pattern.mid(i + 1);
                break;
            }
            out += pattern.mid(i + 1, end - i - 1);
            i = end + 1;
        } else if (lower == QLatin1Char('d')) {
            const qsizetype run = runOf(i, QLatin1Char('d'));
            if (run == 1)
                out += QString::number(date.day());
            else if (run == 2)
                out += QStringLiteral("%1").arg(date.day(), 2, 10, QLatin1Char('0'));
            else if (run == 3)
                out += locale.dayName(date.dayOfWeek(), QLocale::ShortFormat);
            else if (run == 4)
                out += locale.dayName(date.dayOfWeek(), QLocale::LongFormat);
            else
                out += FormatShortDate(date);
            i += run;
            lastWasHour = false;
        } else if (lower == QLatin1Char('m')) {
            const qsizetype run = runOf(i, QLatin1Char('m'));
            if (lastWasHour && run <= 2) {
                out += run == 1 ? QString::number(time.minute())
                                : QStringLiteral("%1").arg(time.minute(), 2, 10, QLatin1Char('0'));
            } else if (run == 1) {
                out += QString::number(date.month());
            } else if (run == 2) {
                out += QStringLiteral("%1").arg(date.month(), 2, 10, QLatin1Char('0'));
            } else if (run == 3) {
                out += locale.monthName(date.month(), QLocale::ShortFormat);
            } else {
                out += locale.monthName(date.month(), QLocale::LongFormat);
            }
            i += run;
            lastWasHour = false;
        } else if (lower == QLatin1Char('y')) {
            const qsizetype run = runOf(i, QLatin1Char('y'));
            if (run <= 2)
                out += QStringLiteral("%1").arg(date.year() % 100, 2, 10, QLatin1Char('0'));
            else
                out += QString::number(date.year());
            i += run;
            lastWasHour = false;
        } else if (lower == QLatin1Char('h')) {
            const qsizetype run = runOf(i, QLatin1Char('h'));
            const bool twelve = pattern.indexOf(QLatin1String("am/pm"), i, Qt::CaseInsensitive) >= 0;
            int hour = time.hour();
            if (twelve) {
                hour %= 12;
                if (hour == 0)
                    hour = 12;
            }
            out += run == 1 ? QString::number(hour) : QStringLiteral("%1").arg(hour, 2, 10, QLatin1Char('0'));
            i += run;
            lastWasHour = true;
        } else if (lower == QLatin1Char('n')) {
            const qsizetype run = runOf(i, QLatin1Char('n'));
            out += run == 1 ? QString::number(time.minute())
                            : QStringLiteral("%1").arg(time.minute(), 2, 10, QLatin1Char('0'));
            i += run;
        } else if (lower == QLatin1Char('s')) {
            const qsizetype run = runOf(i, QLatin1Char('s'));
            out += run == 1 ? QString::number(time.second())
                            : QStringLiteral("%1").arg(time.second(), 2, 10, QLatin1Char('0'));
            i += run;
            lastWasHour = false;
        } else if (pattern.mid(i, 5).compare(QLatin1String("am/pm"), Qt::CaseInsensitive) == 0) {
            out += time.hour() < 12 ? QStringLiteral("am") : QStringLiteral("pm");
            i += 5;
        } else if (c == QLatin1Char('/')) {
            out += r.dateSeparator;
            ++i;
        } else if (c == QLatin1Char(':')) {
            out += r.timeSeparator;
            ++i;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

QString FormatDate(const QDate& date, const QString& dateFormat)
{
    if (!date.isValid())
        return QString();
    QString out;
    const qsizetype n = dateFormat.size();
    for (qsizetype i = 0; i < n;) {
        const QChar lower = dateFormat[i].toLower();
        qsizetype j = i;
        while (j < n && dateFormat[j].toLower() == lower)
            ++j;
        const qsizetype run = j - i;
        if (lower == QLatin1Char('d')) {
            out +=
                run >= 2 ? QStringLiteral("%1").arg(date.day(), 2, 10, QLatin1Char('0')) : QString::number(date.day());
        } else if (lower == QLatin1Char('m')) {
            out += run >= 2 ? QStringLiteral("%1").arg(date.month(), 2, 10, QLatin1Char('0'))
                            : QString::number(date.month());
        } else if (lower == QLatin1Char('y')) {
            out += run <= 2 ? QStringLiteral("%1").arg(date.year() % 100, 2, 10, QLatin1Char('0'))
                            : QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
        } else {
            out += dateFormat.mid(i, run);
        }
        i = j;
    }
    return out;
}

QString FormatShortDate(const QDate& date)
{
    return FormatDate(date, Regional().shortDateFormat);
}

QDate ParseDate(const QString& text, const QString& dateFormat)
{
    // Walk the format: each letter run reads digits (as many as the run, or up
    // to two for a one-letter run); each separator must match a non-digit.
    int day = -1, month = -1, year = -1;
    bool twoDigitYear = false;
    const QString t = text.trimmed();
    qsizetype pos = 0;
    const qsizetype n = dateFormat.size();
    for (qsizetype i = 0; i < n;) {
        const QChar lower = dateFormat[i].toLower();
        qsizetype j = i;
        while (j < n && dateFormat[j].toLower() == lower)
            ++j;
        const qsizetype run = j - i;
        if (lower == QLatin1Char('d') || lower == QLatin1Char('m') || lower == QLatin1Char('y')) {
            const qsizetype maxDigits = lower == QLatin1Char('y') ? (run <= 2 ? 2 : 4) : 2;
            qsizetype start = pos;
            while (pos < t.size() && t[pos] == QLatin1Char(' '))
                ++pos, ++start;
            while (pos < t.size() && pos - start < maxDigits && t[pos].isDigit())
                ++pos;
            if (pos == start)
                return QDate();
            const int number = t.mid(start, pos - start).toInt();
            if (lower == QLatin1Char('d'))
                day = number;
            else if (lower == QLatin1Char('m'))
                month = number;
            else {
                year = number;
                twoDigitYear = pos - start <= 2;
            }
        } else {
            for (qsizetype k = 0; k < run; ++k) {
                if (pos >= t.size() || t[pos].isDigit())
                    return QDate();
                ++pos;
            }
        }
        i = j;
    }
    if (pos != t.size() || day < 0 || month < 0 || year < 0)
        return QDate();
    if (twoDigitYear)
        year += year < 50 ? 2000 : 1900;
    return QDate(year, month, day);
}

QDate ParseShortDate(const QString& text)
{
    return ParseDate(text, Regional().shortDateFormat);
}

} // namespace varnex
