#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

// A currency code: exactly three upper-case ASCII letters.
class Waehrungscode {
public:
    // A code as a user typed or stored it: trimmed of all white space, upper-cased, then
    // exactly three ASCII letters.
    static std::optional<Waehrungscode> aus(std::string_view text);
    // A code as a source's answer writes it: exactly "A"–"Z" three times, untrimmed.
    static std::optional<Waehrungscode> streng(std::string_view text);

    static const Waehrungscode& euro();
    // The 30 selectable trading currencies: EUR first, then alphabetical.
    static const std::vector<Waehrungscode>& auswahl();

    const std::string& wert() const { return wert_; }
    // The currency's German name ("US-Dollar"), or the code when ICU knows none.
    std::string anzeigename() const;

    friend bool operator==(const Waehrungscode&, const Waehrungscode&) = default;
    friend auto operator<=>(const Waehrungscode&, const Waehrungscode&) = default;

private:
    explicit Waehrungscode(std::string wert) : wert_(std::move(wert)) {}
    std::string wert_;
};

} // namespace qb
