#pragma once

#include <optional>
#include <string_view>
#include <variant>

#include "model/Assetklasse.h"
#include "model/Waehrungscode.h"

namespace qb {

// How a price is entered: in EUR, in a foreign trading currency with its rate, or, for a
// currency position, as the rate alone ("Kurs: 1 € entspricht").
class Eingabeform {
public:
    struct Fremdwaehrung {
        Waehrungscode code;
        friend bool operator==(const Fremdwaehrung&, const Fremdwaehrung&) = default;
    };
    struct Waehrungskurs {
        Waehrungscode code;
        friend bool operator==(const Waehrungskurs&, const Waehrungskurs&) = default;
    };
    struct Euro {
        friend bool operator==(const Euro&, const Euro&) = default;
    };

    static Eingabeform fremdwaehrung(Waehrungscode code) { return Eingabeform(Fremdwaehrung{std::move(code)}); }
    static Eingabeform waehrungskurs(Waehrungscode code) { return Eingabeform(Waehrungskurs{std::move(code)}); }
    static Eingabeform euro() { return Eingabeform(Euro{}); }
    // The form for a position: a currency position by its identifier, every other class by its
    // trading currency; a valid code other than EUR makes it foreign.
    static Eingabeform fuer(Assetklasse klasse, std::string_view kennung, std::string_view handelswaehrung);

    bool istEuro() const { return std::holds_alternative<Euro>(fall_); }
    // The code of a `fremdwaehrung` form. The pointer points into the form, so a temporary
    // form cannot hand it out: it would dangle at the end of the statement.
    const Waehrungscode* fremdwaehrungCode() const&;
    const Waehrungscode* fremdwaehrungCode() const&& = delete;
    // The code of a `waehrungskurs` form.
    const Waehrungscode* waehrungskursCode() const&;
    const Waehrungscode* waehrungskursCode() const&& = delete;

    friend bool operator==(const Eingabeform&, const Eingabeform&) = default;

private:
    using Fall = std::variant<Fremdwaehrung, Waehrungskurs, Euro>;
    explicit Eingabeform(Fall fall) : fall_(std::move(fall)) {}
    Fall fall_;
};

} // namespace qb
