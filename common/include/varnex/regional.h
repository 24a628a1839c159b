#pragma once
// Process-wide regional formats: short date format, currency string and the
// currency formats. Modules run in the launcher's process and share these;
// what a module sets stays set after it returns, as the suite expects.

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>

#include "varnex/currency.h"

namespace varnex {

class SettingsStore;

struct RegionalFormats {
    QString shortDateFormat = QStringLiteral("DD/MM/YYYY");
    QString currencyString = QStringLiteral("$");
    // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
    int currencyFormat = 0;
    // 0 "($1)", 1 "-$1", 2 "$-1", 3 "$1-", 4 "(1$)", 5 "-1$", 6 "1-$", 7 "1$-",
    // 8 "-1 $", 9 "-$ 1", 10 "1 $-", 11 "$ 1-", 12 "$ -1", 13 "1- $", 14 "($ 1)", 15 "(1 $)"
    int negativeCurrencyFormat = 1;
    int currencyDecimals = 2;
    QChar dateSeparator = QLatin1Char('/');
    QChar timeSeparator = QLatin1Char(':');
    QChar decimalSeparator = QLatin1Char('.');
    QChar thousandSeparator = QLatin1Char(',');
};

// The process-wide formats (one instance in the runtime library).
RegionalFormats& Regional();
// Restores the formats a fresh process starts with (tests).
void ResetRegionalFormats();

// Reads "DateFmt", "CurrSmbl" and "CurrAlign" of section "Settings":
// "CurrAlign" "L" or "l" puts the symbol first and leaves the negative format
// alone; any other value puts it last with negatives as "(1$)".
void LoadRegionalSettings(const SettingsStore& store);
void LoadRegionalSettings();

// "DD/MM/YYYY" -> "!99/99/9999;1; ": every D, M or Y becomes "9".
QString DateEditMask(const QString& dateFormat);

// Formats a number with a display mask such as "###,###,##0.00", "##0.00",
// "$#,###,##0.00" or "0.00;(0.00);Nil": '0' digit, '#' optional digit,
// '.' decimal point, ',' anywhere in the integer part turns on thousands
// separators, quoted text and other characters are literals, ';' separates the
// positive, negative and zero sections. Rounds half away from zero.
QString FormatFloat(const QString& mask, double value);
QString FormatFloat(const QString& mask, Currency value);

// Amount with the process-wide currency string and formats.
QString FormatCurrency(Currency value, int decimals = -1);

// Formats a date and time with the run time's patterns: d dd ddd dddd ddddd,
// m mm mmm mmmm, yy yyyy, h hh, n nn, s ss, am/pm, "/" and ":" as the regional
// separators, text in double or single quotes kept literally. Names come from
// the given locale.
QString FormatDateTime(const QString& pattern, const QDateTime& when, const QLocale& locale = QLocale());
// A date in the short date format ("DD/MM/YYYY" style letters).
QString FormatShortDate(const QDate& date);
QString FormatDate(const QDate& date, const QString& dateFormat);
// Parses text in a date format; two-digit years fall in 1950..2049. Invalid
// dates give an invalid QDate.
QDate ParseDate(const QString& text, const QString& dateFormat);
QDate ParseShortDate(const QString& text);

} // namespace varnex
