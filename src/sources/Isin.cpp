#include "sources/Isin.h"

#include <cmath>
#include <vector>

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include "foundation/Unicode.h"

namespace qb {

namespace {

bool istAsciiBuchstabe(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool istAsciiZiffer(char c) {
    return c >= '0' && c <= '9';
}

// The whole-number value of a character that is a single code point with a numeric value
// (also non-ASCII digits such as "٣"); no value otherwise.
std::optional<long long> ganzzahlwert(const std::string& zeichen) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(zeichen.data());
    int32_t laenge = static_cast<int32_t>(zeichen.size());
    int32_t i = 0;
    UChar32 c;
    U8_NEXT(bytes, i, laenge, c);
    if (c < 0 || i != laenge || !Unicode::istZahl(zeichen)) {
        return std::nullopt;
    }
    double wert = u_getNumericValue(c);
    if (wert == U_NO_NUMERIC_VALUE || wert < 0 || std::trunc(wert) != wert || wert > 1e15) {
        return std::nullopt;
    }
    return static_cast<long long>(wert);
}

} // namespace

std::optional<std::string> Isin::normalisiert(std::string_view text) {
    std::string kandidat;
    for (const auto& zeichen : Unicode::zeichen(Unicode::grossbuchstaben(text))) {
        if (zeichen.size() == 1 && (istAsciiBuchstabe(zeichen[0]) || istAsciiZiffer(zeichen[0]))) {
            kandidat += zeichen[0];
        }
    }
    if (kandidat.size() != 12) {
        return std::nullopt;
    }
    if (!istAsciiBuchstabe(kandidat[0]) || !istAsciiBuchstabe(kandidat[1]) || !istAsciiZiffer(kandidat[11])) {
        return std::nullopt;
    }
    return kandidat;
}

bool Isin::pruefzifferStimmt(std::string_view text) {
    std::vector<long long> folge;
    for (const auto& zeichen : Unicode::zeichen(text)) {
        if (auto wert = ganzzahlwert(zeichen)) {
            folge.push_back(*wert);
        } else if (zeichen.size() == 1 && istAsciiBuchstabe(zeichen[0])) {
            int code = static_cast<unsigned char>(zeichen[0]) - 55;
            folge.push_back(code / 10);
            folge.push_back(code % 10);
        } else {
            return false;
        }
    }
    // Only the last decimal digit of the sum matters, so each share is reduced at once and
    // no input, however long, overflows.
    long long summe = 0;
    std::size_t stelle = 0;
    for (auto it = folge.rbegin(); it != folge.rend(); ++it, ++stelle) {
        long long anteil = *it;
        if (stelle % 2 == 1) {
            anteil = *it * 2 - (*it > 4 ? 9 : 0);
        }
        summe = (summe + anteil % 10) % 10;
    }
    return summe == 0;
}

} // namespace qb
