#pragma once
// Exact money: a signed 64-bit count of ten-thousandths. Money never passes
// through binary floating point at rest or in sums; doubles only enter at the
// edges (quantities, rates) and are rounded once, half away from zero.

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <QString>

namespace varnex {

class Currency {
public:
    static constexpr std::int64_t Scale = 10000;

    constexpr Currency() = default;

    static constexpr Currency fromTicks(std::int64_t ticks)
    {
        Currency c;
        c.m_ticks = ticks;
        return c;
    }
    static constexpr Currency fromUnits(std::int64_t units) { return fromTicks(units * Scale); }
    // Rounds to the nearest ten-thousandth, half away from zero.
    static Currency fromDouble(double value);
    // Accepts "-1234.5", "1,234.56", "(12.50)", "$12", "12$", "12,50" when the
    // decimal separator is ','; nullopt for anything else or out of range.
    static std::optional<Currency> parse(std::string_view text, char decimalSeparator = '.');
    static std::optional<Currency> parse(const QString& text, QChar decimalSeparator = QLatin1Char('.'));

    constexpr std::int64_t ticks() const { return m_ticks; }
    double toDouble() const { return static_cast<double>(m_ticks) / Scale; }
    // Plain text with four decimals and '.', e.g. "-12.3400" (storage form).
    std::string toString() const;
    // Plain text with the given number of decimals (0..4), rounded half away from zero.
    QString toText(int decimals = 2) const;

    constexpr bool isZero() const { return m_ticks == 0; }
    constexpr bool isNegative() const { return m_ticks < 0; }
    constexpr Currency abs() const { return fromTicks(m_ticks < 0 ? -m_ticks : m_ticks); }

    constexpr Currency operator-() const { return fromTicks(-m_ticks); }
    constexpr Currency& operator+=(Currency o)
    {
        m_ticks += o.m_ticks;
        return *this;
    }
    constexpr Currency& operator-=(Currency o)
    {
        m_ticks -= o.m_ticks;
        return *this;
    }
    friend constexpr Currency operator+(Currency a, Currency b) { return a += b; }
    friend constexpr Currency operator-(Currency a, Currency b) { return a -= b; }
    friend constexpr Currency operator*(Currency a, std::int64_t n) { return fromTicks(a.m_ticks * n); }
    friend constexpr Currency operator*(std::int64_t n, Currency a) { return fromTicks(a.m_ticks * n); }

    // Amount times a quantity or rate, rounded once to four decimals.
    Currency multipliedBy(double factor) const;
    // Amount times another amount read as a factor (a rate kept as money),
    // exact in 128 bits and rounded once to four decimals.
    Currency multipliedBy(Currency factor) const;
    // Amount divided by a quantity, rounded to four decimals; zero divisor gives zero.
    Currency dividedBy(double divisor) const;

    // Rounds half away from zero to the given number of decimals (0..4).
    Currency roundedTo(int decimals) const;

    friend constexpr auto operator<=>(Currency, Currency) = default;
    friend constexpr bool operator==(Currency, Currency) = default;

private:
    std::int64_t m_ticks = 0;
};

// Round half away from zero to two decimals: 2.345 -> 2.35, -2.345 -> -2.35.
Currency RoundToCents(Currency value);
double RoundToCents(double value);

} // namespace varnex
