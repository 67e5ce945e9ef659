#include "foundation/Formatierer.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <tuple>

#include <unicode/datefmt.h>
#include <unicode/dtptngen.h>
#include <unicode/listformatter.h>
#include <unicode/numberformatter.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

namespace qb {

namespace {

using namespace icu::number;

icu::Locale icuLocale(const std::string& name) {
    return icu::Locale::createCanonical(name.c_str());
}

std::string ausgabe(const FormattedNumber& zahl, UErrorCode& status) {
    icu::UnicodeString u = zahl.toString(status);
    std::string text;
    if (U_SUCCESS(status)) {
        u.toUTF8String(text);
    }
    return text;
}

std::string formatiere(const LocalizedNumberFormatter& formatierer, const Dezimal& wert) {
    UErrorCode status = U_ZERO_ERROR;
    std::string text = wert.text();
    FormattedNumber zahl = formatierer.formatDecimal(icu::StringPiece(text), status);
    return ausgabe(zahl, status);
}

LocalizedNumberFormatter zahlFormat(const std::string& gebietsschema, int minStellen, int maxStellen) {
    return NumberFormatter::withLocale(icuLocale(gebietsschema))
        .precision(Precision::minMaxFraction(minStellen, maxStellen))
        .roundingMode(UNUM_ROUND_HALFEVEN)
        .sign(UNUM_SIGN_NEGATIVE);
}

// Building the pattern generator and the format costs far more than formatting with them (a list
// of a hundred dates would spend nearly all its time there), so each thread keeps the formats it
// has built; ICU's formats must not be shared between threads.
icu::SimpleDateFormat* datumsformat(const std::string& gebietsschema, const char16_t* skelett,
                                    const Zeitzone& zone) {
    using Schluessel = std::tuple<std::string, std::u16string, std::string>;
    thread_local std::map<Schluessel, std::unique_ptr<icu::SimpleDateFormat>> formate;
    Schluessel schluessel{gebietsschema, skelett, zone.id()};
    if (auto gefunden = formate.find(schluessel); gefunden != formate.end()) {
        return gefunden->second.get();
    }
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale locale = icuLocale(gebietsschema);
    std::unique_ptr<icu::DateTimePatternGenerator> generator(
        icu::DateTimePatternGenerator::createInstance(locale, status));
    if (U_FAILURE(status)) {
        return nullptr;
    }
    icu::UnicodeString muster = generator->getBestPattern(skelett, status);
    auto format = std::make_unique<icu::SimpleDateFormat>(muster, locale, status);
    if (U_FAILURE(status)) {
        return nullptr;
    }
    format->adoptTimeZone(icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(zone.id())));
    return formate.emplace(std::move(schluessel), std::move(format)).first->second.get();
}

// A date in the locale's best pattern for an ICU skeleton; the day key when ICU cannot help.
std::string datumNachSkelett(const std::string& gebietsschema, const char16_t* skelett, Zeitpunkt t,
                             const Zeitzone& zone) {
    icu::SimpleDateFormat* format = datumsformat(gebietsschema, skelett, zone);
    if (format == nullptr) {
        return isoTag(t, zone);
    }
    icu::UnicodeString ergebnis;
    format->format(static_cast<UDate>(t.time_since_epoch().count()) / 1000.0, ergebnis);
    std::string text;
    ergebnis.toUTF8String(text);
    return text;
}

std::string betrag(const std::string& gebietsschema, const Dezimal& wert, std::string_view code,
                   std::optional<int> nachkommastellen, UNumberSignDisplay vorzeichen) {
    UErrorCode status = U_ZERO_ERROR;
    icu::CurrencyUnit einheit(icu::StringPiece(code.data(), static_cast<int32_t>(code.size())), status);
    if (U_FAILURE(status)) {
        return formatiere(zahlFormat(gebietsschema, 2, 2).sign(vorzeichen), wert) + "\u00A0" +
               std::string(code);
    }
    auto f = NumberFormatter::withLocale(icuLocale(gebietsschema))
                 .unit(einheit)
                 .roundingMode(UNUM_ROUND_HALFEVEN)
                 .sign(vorzeichen);
    if (nachkommastellen) {
        f = f.precision(Precision::fixedFraction(*nachkommastellen));
    }
    return formatiere(f, wert);
}

} // namespace

std::string Formatierer::gebietsschemaAusUmgebung(Kategorie kategorie) {
    const char* eigene = kategorie == Kategorie::zeit     ? "LC_TIME"
                         : kategorie == Kategorie::zahlen ? "LC_NUMERIC"
                                                          : "LC_MONETARY";
    for (const char* name : {"LC_ALL", eigene, "LANG"}) {
        const char* wert = std::getenv(name);
        if (wert == nullptr || *wert == '\0') {
            continue;
        }
        std::string text(wert);
        // "de_DE.UTF-8@euro" → "de_DE"
        text = text.substr(0, text.find_first_of(".@"));
        if (text.empty() || text == "C" || text == "POSIX") {
            break;
        }
        return text;
    }
    return "de_DE";
}

Formatierer::Formatierer()
    : zeit_(gebietsschemaAusUmgebung(Kategorie::zeit)), zahlen_(gebietsschemaAusUmgebung(Kategorie::zahlen)),
      geld_(gebietsschemaAusUmgebung(Kategorie::geld)) {}

const std::string& Formatierer::gebietsschema(Kategorie kategorie) const {
    switch (kategorie) {
    case Kategorie::zeit:
        return zeit_;
    case Kategorie::zahlen:
        return zahlen_;
    case Kategorie::geld:
        break;
    }
    return geld_;
}

std::string Formatierer::zahl(const Dezimal& wert, int minStellen, int maxStellen) const {
    return formatiere(zahlFormat(zahlen_, minStellen, maxStellen), wert);
}

std::string Formatierer::ganzzahl(std::int64_t wert) const {
    return formatiere(NumberFormatter::withLocale(icuLocale(zahlen_)).precision(Precision::integer()),
                      Dezimal(static_cast<long long>(wert)));
}

std::string Formatierer::waehrung(const Dezimal& wert, std::string_view code,
                                  std::optional<int> nachkommastellen) const {
    return betrag(geld_, wert, code, nachkommastellen, UNUM_SIGN_NEGATIVE);
}

std::string Formatierer::prozent(const Dezimal& prozentwert, int minStellen, int maxStellen) const {
    return formatiere(zahlFormat(zahlen_, minStellen, maxStellen).unit(icu::MeasureUnit::getPercent()),
                      prozentwert);
}

std::string Formatierer::datum(Zeitpunkt t, const Zeitzone& zone) const {
    return datumNachSkelett(zeit_, u"yMd", t, zone);
}

std::string Formatierer::datumMitMonat(Zeitpunkt t, const Zeitzone& zone) const {
    return datumNachSkelett(zeit_, u"yMMMd", t, zone);
}

std::string Formatierer::datumLang(Zeitpunkt t, const Zeitzone& zone) const {
    return datumNachSkelett(zeit_, u"yMMMMd", t, zone);
}

std::string Formatierer::datumMitWochentag(Zeitpunkt t, const Zeitzone& zone) const {
    return datumNachSkelett(zeit_, u"yMMMMEEEEd", t, zone);
}

std::string Formatierer::uhrzeit(Zeitpunkt t, const Zeitzone& zone) const {
    return datumNachSkelett(zeit_, u"jm", t, zone);
}

std::string Formatierer::tagUndMonat(Zeitpunkt t, const Zeitzone& zone) const {
    return datumNachSkelett(zeit_, u"dMM", t, zone);
}

std::string Formatierer::tagUndMonatZweistellig(Zeitpunkt t, const Zeitzone& zone) const {
    return datumNachSkelett(zeit_, u"ddMM", t, zone);
}

std::string Formatierer::datumMitMonatUndUhrzeit(Zeitpunkt t, const Zeitzone& zone) const {
    return datumNachSkelett(zeit_, u"yMMMdjm", t, zone);
}

std::string Formatierer::waehrungMitVorzeichen(const Dezimal& wert, std::string_view code) const {
    return betrag(geld_, wert, code, std::nullopt, UNUM_SIGN_EXCEPT_ZERO);
}

std::string Formatierer::prozentMitVorzeichen(const Dezimal& prozentwert, int minStellen,
                                              int maxStellen) const {
    return formatiere(zahlFormat(zahlen_, minStellen, maxStellen)
                          .sign(UNUM_SIGN_EXCEPT_ZERO)
                          .unit(icu::MeasureUnit::getPercent()),
                      prozentwert);
}

std::string Formatierer::verbunden(const std::vector<std::string>& teile, std::string_view trenner) {
    std::string text;
    for (std::size_t i = 0; i < teile.size(); ++i) {
        if (i > 0) {
            text += trenner;
        }
        text += teile[i];
    }
    return text;
}

std::string Formatierer::liste(const std::vector<std::string>& namen) {
    std::vector<icu::UnicodeString> teile;
    teile.reserve(namen.size());
    for (const auto& name : namen) {
        teile.push_back(icu::UnicodeString::fromUTF8(name));
    }
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::ListFormatter> format(icu::ListFormatter::createInstance(
        icu::Locale("de"), ULISTFMT_TYPE_AND, ULISTFMT_WIDTH_WIDE, status));
    icu::UnicodeString ergebnis;
    if (U_SUCCESS(status)) {
        format->format(teile.data(), static_cast<int32_t>(teile.size()), ergebnis, status);
    }
    if (U_FAILURE(status)) {
        // Without ICU's German data: the names, plainly separated.
        std::string text;
        for (std::size_t i = 0; i < namen.size(); ++i) {
            text += (i == 0 ? "" : ", ") + namen[i];
        }
        return text;
    }
    std::string text;
    ergebnis.toUTF8String(text);
    return text;
}

} // namespace qb
