#include "foundation/Unicode.h"

#include <memory>

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

namespace qb {

namespace {

icu::UnicodeString alsIcu(std::string_view text) {
    return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

std::string alsUtf8(const icu::UnicodeString& text) {
    std::string ergebnis;
    text.toUTF8String(ergebnis);
    return ergebnis;
}

bool istLeerzeichen(UChar32 c) {
    return c == 0x09 || u_charType(c) == U_SPACE_SEPARATOR;
}

bool istLeerraum(UChar32 c) {
    return istLeerzeichen(c) || (c >= 0x0A && c <= 0x0D) || c == 0x85 || u_charType(c) == U_LINE_SEPARATOR ||
           u_charType(c) == U_PARAGRAPH_SEPARATOR;
}

template <typename Pruefung>
std::string_view trimme(std::string_view text, Pruefung gehoertWeg) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    int32_t laenge = static_cast<int32_t>(text.size());
    int32_t anfang = 0;
    while (anfang < laenge) {
        int32_t naechstes = anfang;
        UChar32 c;
        U8_NEXT(bytes, naechstes, laenge, c);
        if (c < 0 || !gehoertWeg(c)) {
            break;
        }
        anfang = naechstes;
    }
    int32_t ende = laenge;
    while (ende > anfang) {
        int32_t vorheriges = ende;
        UChar32 c;
        U8_PREV(bytes, 0, vorheriges, c);
        if (c < 0 || !gehoertWeg(c)) {
            break;
        }
        ende = vorheriges;
    }
    return text.substr(static_cast<std::size_t>(anfang), static_cast<std::size_t>(ende - anfang));
}

UChar32 ersterCodepunkt(std::string_view zeichen) {
    if (zeichen.empty()) {
        return -1;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(zeichen.data());
    int32_t i = 0;
    UChar32 c;
    U8_NEXT(bytes, i, static_cast<int32_t>(zeichen.size()), c);
    return c;
}

} // namespace

std::string Unicode::grossbuchstaben(std::string_view text) {
    icu::UnicodeString u = alsIcu(text);
    u.toUpper(icu::Locale::getRoot());
    return alsUtf8(u);
}

std::vector<std::string> Unicode::zeichen(std::string_view text) {
    std::vector<std::string> ergebnis;
    icu::UnicodeString u = alsIcu(text);
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> iter(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status)) {
        return ergebnis;
    }
    iter->setText(u);
    int32_t anfang = iter->first();
    for (int32_t ende = iter->next(); ende != icu::BreakIterator::DONE; anfang = ende, ende = iter->next()) {
        ergebnis.push_back(alsUtf8(u.tempSubStringBetween(anfang, ende)));
    }
    return ergebnis;
}

std::size_t Unicode::zeichenanzahl(std::string_view text) {
    return zeichen(text).size();
}

std::string_view Unicode::ohneLeerzeichen(std::string_view text) {
    return trimme(text, istLeerzeichen);
}

std::string_view Unicode::ohneLeerraum(std::string_view text) {
    return trimme(text, istLeerraum);
}

bool Unicode::istBuchstabe(std::string_view zeichen) {
    UChar32 c = ersterCodepunkt(zeichen);
    return c >= 0 && u_isalpha(c);
}

bool Unicode::istZahl(std::string_view zeichen) {
    UChar32 c = ersterCodepunkt(zeichen);
    if (c < 0) {
        return false;
    }
    auto typ = u_charType(c);
    return typ == U_DECIMAL_DIGIT_NUMBER || typ == U_LETTER_NUMBER || typ == U_OTHER_NUMBER;
}

} // namespace qb
