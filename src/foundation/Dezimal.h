#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <gmpxx.h>

namespace qb {

// How a value is brought to a number of decimal places.
enum class Rundung {
    normal,   // to the nearest value, a half away from zero
    abwaerts, // toward negative infinity
};

// The one type for money, prices, rates and percentages: an exact rational number.
// + − × ÷ are exact; only gerundet() loses precision, and only where a caller asks for it.
// Deliberately not constructible from double: binary fractions never reach an amount.
class Dezimal {
public:
    Dezimal() = default;
    Dezimal(int wert) : wert_(wert) {}
    Dezimal(long wert) : wert_(wert) {}
    Dezimal(long long wert);
    Dezimal(double) = delete;
    Dezimal(float) = delete;

    // Reads plain decimal text without a locale: an optional sign, digits with at most one ".",
    // and an optional exponent ("1.5e-3"). No grouping, no blanks. Exactly "p/q" is also read,
    // the form in which speichertext() writes a value that has no finite decimal expansion.
    static std::optional<Dezimal> lies(std::string_view text);
    // For literals in code and tests: text that must be a number (throws std::invalid_argument).
    static Dezimal aus(std::string_view text);
    // 10^exponent, exact (also for negative exponents).
    static Dezimal zehnHoch(int exponent);

    // Plain decimal text: "-12.5", "0.000001", "1000". No exponent, no grouping, never "-0".
    // A value without a finite decimal expansion is written rounded to 40 places.
    std::string text() const;
    // Text that reads back to exactly this value: text() where it is exact, else "p/q".
    std::string speichertext() const;
    bool istEndlicherDezimalbruch() const;

    Dezimal gerundet(int stellen, Rundung modus) const;

    bool istNull() const { return sgn(wert_) == 0; }
    int vorzeichen() const { return sgn(wert_); }
    Dezimal betrag() const;
    // The value as an integer when it is one and fits into 64 bits.
    std::optional<std::int64_t> alsGanzzahl() const;
    // Only for handing a value to a floating-point formatter or chart.
    double alsDouble() const { return wert_.get_d(); }

    friend Dezimal operator+(const Dezimal& a, const Dezimal& b);
    friend Dezimal operator-(const Dezimal& a, const Dezimal& b);
    friend Dezimal operator*(const Dezimal& a, const Dezimal& b);
    // Throws std::domain_error on division by zero: callers test the divisor first.
    friend Dezimal operator/(const Dezimal& a, const Dezimal& b);
    Dezimal operator-() const;
    Dezimal& operator+=(const Dezimal& b);
    Dezimal& operator-=(const Dezimal& b);

    friend bool operator==(const Dezimal& a, const Dezimal& b) { return cmp(a.wert_, b.wert_) == 0; }
    friend std::strong_ordering operator<=>(const Dezimal& a, const Dezimal& b);

private:
    explicit Dezimal(mpq_class wert);
    mpq_class wert_{0};
};

} // namespace qb
