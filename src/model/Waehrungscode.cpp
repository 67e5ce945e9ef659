#include "model/Waehrungscode.h"

#include <unicode/ucurr.h>
#include <unicode/unistr.h>

#include "foundation/Unicode.h"

namespace qb {

std::optional<Waehrungscode> Waehrungscode::aus(std::string_view text) {
    std::string gross = Unicode::grossbuchstaben(Unicode::ohneLeerraum(text));
    // Upper-casing comes before the count: "ßa" becomes the three letters "SSA".
    auto zeichen = Unicode::zeichen(gross);
    if (zeichen.size() != 3) {
        return std::nullopt;
    }
    for (const auto& z : zeichen) {
        if (z.size() != 1 || !((z[0] >= 'A' && z[0] <= 'Z') || (z[0] >= 'a' && z[0] <= 'z'))) {
            return std::nullopt;
        }
    }
    return Waehrungscode(gross);
}

std::optional<Waehrungscode> Waehrungscode::streng(std::string_view text) {
    if (text.size() != 3) {
        return std::nullopt;
    }
    for (char c : text) {
        if (c < 'A' || c > 'Z') {
            return std::nullopt;
        }
    }
    return aus(text);
}

const Waehrungscode& Waehrungscode::euro() {
    static const Waehrungscode code("EUR");
    return code;
}

const std::vector<Waehrungscode>& Waehrungscode::auswahl() {
    static const std::vector<Waehrungscode> liste = [] {
        std::vector<Waehrungscode> codes;
        for (const char* text : {"EUR", "AUD", "BRL", "CAD", "CHF", "CNY", "CZK", "DKK", "GBP", "HKD",
                                 "HUF", "IDR", "ILS", "INR", "ISK", "JPY", "KRW", "MXN", "MYR", "NOK",
                                 "NZD", "PHP", "PLN", "RON", "SEK", "SGD", "THB", "TRY", "USD", "ZAR"}) {
            if (auto code = aus(text)) {
                codes.push_back(*code);
            }
        }
        return codes;
    }();
    return liste;
}

std::string Waehrungscode::anzeigename() const {
    icu::UnicodeString code = icu::UnicodeString::fromUTF8(wert_);
    UErrorCode status = U_ZERO_ERROR;
    UBool istSymbolformat = false;
    int32_t laenge = 0;
    const UChar* name =
        ucurr_getName(code.getTerminatedBuffer(), "de", UCURR_LONG_NAME, &istSymbolformat, &laenge, &status);
    if (U_FAILURE(status) || status == U_USING_DEFAULT_WARNING || name == nullptr) {
        return wert_;
    }
    std::string text;
    icu::UnicodeString(name, laenge).toUTF8String(text);
    return text;
}

} // namespace qb
