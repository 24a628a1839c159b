#include "varnex/currency.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace varnex {

namespace {

__extension__ typedef __int128 Wide;

constexpr std::int64_t powerOfTen(int n)
{
    std::int64_t p = 1;
    for (int i = 0; i < n; ++i)
        p *= 10;
    return p;
}

// Divides and rounds half away from zero.
std::int64_t divideRounded(Wide numerator, Wide denominator)
{
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    Wide q = numerator / denominator;
    Wide r = numerator % denominator;
    if (r < 0)
        r = -r;
    if (2 * r >= denominator)
        q += numerator < 0 ? -1 : 1;
    return static_cast<std::int64_t>(q);
}

std::int64_t roundDoubleToTicks(double scaled)
{
    // A double such as 2.345 is really 2.34499999...; rounding the product
    // with 1e4 first to 1e-6 removes that representation noise so that the
    // written value, not its binary neighbour, is what gets rounded.
    const double cleaned = std::round(scaled * 1e6) / 1e6;
    return static_cast<std::int64_t>(cleaned < 0 ? -std::floor(-cleaned + 0.5) : std::floor(cleaned + 0.5));
}

} // namespace

Currency Currency::fromDouble(double value)
{
    if (!std::isfinite(value))
        return Currency();
    return fromTicks(roundDoubleToTicks(value * Scale));
}

std::optional<Currency> Currency::parse(std::string_view text, char decimalSeparator)
{
    const char thousands = decimalSeparator == ',' ? ' ' : ',';
    bool negative = false;
    bool sawDigit = false;
    bool sawPoint = false;
    bool parenthesis = false;
    int decimals = 0;
    Wide value = 0;
    std::size_t i = 0;
    auto skipBlanksAndSymbols = [&](bool leading) {
        while (i < text.size()) {
            const unsigned char c = static_cast<unsigned char>(text[i]);
            if (c == ' ' || c == '\t' || c == '$' || c == 0xC2 || c == 0xA0) {
                ++i;
            } else if (leading && c == '(' && !parenthesis) {
                parenthesis = true;
                ++i;
            } else if (leading && (c == '-' || c == '+') && !negative) {
                negative = c == '-';
                ++i;
            } else {
                break;
            }
        }
    };
    skipBlanksAndSymbols(true);
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            sawDigit = true;
            if (sawPoint) {
                if (decimals == 4) {
                    // A fifth decimal rounds the value once.
                    if (c >= '5')
                        value += 1;
                    // further digits cannot change a half-away rounding that
                    // already went up, and a lower digit already rounded down
                    while (i + 1 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '9')
                        ++i;
                    continue;
                }
                ++decimals;
            }
            value = value * 10 + (c - '0');
            if (value > static_cast<Wide>(std::numeric_limits<std::int64_t>::max()))
                return std::nullopt;
        } else if (c == decimalSeparator && !sawPoint) {
            sawPoint = true;
        } else if (c == thousands && sawDigit && !sawPoint) {
            continue;
        } else {
            break;
        }
    }
    // trailing symbol, sign or closing parenthesis
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == ' ' || c == '$' || c == 0xC2 || c == 0xA0) {
            ++i;
        } else if (c == ')' && parenthesis) {
            parenthesis = false;
            negative = true;
            ++i;
        } else if (c == '-' && !negative) {
            negative = true;
            ++i;
        } else {
            return std::nullopt;
        }
    }
    if (!sawDigit || parenthesis)
        return std::nullopt;
    while (decimals < 4) {
        value *= 10;
        ++decimals;
    }
    if (value > static_cast<Wide>(std::numeric_limits<std::int64_t>::max()))
        return std::nullopt;
    const auto ticks = static_cast<std::int64_t>(value);
    return fromTicks(negative ? -ticks : ticks);
}

std::optional<Currency> Currency::parse(const QString& text, QChar decimalSeparator)
{
    QString cleaned = text;
    cleaned.replace(QChar(0x00A0), QLatin1Char(' ')).replace(QChar(0x202F), QLatin1Char(' '));
    const QByteArray utf8 = cleaned.toUtf8();
    return parse(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())),
                 static_cast<char>(decimalSeparator.toLatin1()));
}

std::string Currency::toString() const
{
    const bool negative = m_ticks < 0;
    const unsigned long long magnitude =
        negative ? 0ULL - static_cast<unsigned long long>(m_ticks) : static_cast<unsigned long long>(m_ticks);
    std::string fraction = std::to_string(magnitude % Scale);
    fraction.insert(0, 4 - fraction.size(), '0');
    return (negative ? "-" : "") + std::to_string(magnitude / Scale) + "." + fraction;
}

QString Currency::toText(int decimals) const
{
    decimals = std::clamp(decimals, 0, 4);
    const Currency r = roundedTo(decimals);
    QString full = QString::fromStdString(r.toString());
    const int point = full.indexOf(QLatin1Char('.'));
    if (decimals == 0)
        return full.left(point);
    return full.left(point + 1 + decimals);
}

Currency Currency::multipliedBy(double factor) const
{
    if (!std::isfinite(factor))
        return Currency();
    // Work in long double to keep 64-bit tick counts exact enough before rounding.
    const long double product = static_cast<long double>(m_ticks) * static_cast<long double>(factor);
    const long double cleaned = std::round(product * 1e4L) / 1e4L;
    return fromTicks(
        static_cast<std::int64_t>(cleaned < 0 ? -std::floor(-cleaned + 0.5L) : std::floor(cleaned + 0.5L)));
}

Currency Currency::multipliedBy(Currency factor) const
{
    return fromTicks(divideRounded(static_cast<Wide>(m_ticks) * factor.m_ticks, Scale));
}

Currency Currency::dividedBy(double divisor) const
{
    if (divisor == 0.0 || !std::isfinite(divisor))
        return Currency();
    return fromDouble(toDouble() / divisor);
}

Currency Currency::roundedTo(int decimals) const
{
    decimals = std::clamp(decimals, 0, 4);
    const std::int64_t unit = powerOfTen(4 - decimals);
    return fromTicks(divideRounded(m_ticks, unit) * unit);
}

Currency RoundToCents(Currency value)
{
    return value.roundedTo(2);
}

double RoundToCents(double value)
{
    return Currency::fromDouble(value).roundedTo(2).toDouble();
}

} // namespace varnex
