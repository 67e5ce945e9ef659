#include "valuation/Formatierer.h"

#include <cstdlib>
#include <memory>

#include <unicode/datefmt.h>
#include <unicode/dtptngen.h>
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

} // namespace

std::string Formatierer::gebietsschemaAusUmgebung() {
    for (const char* name : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
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

std::string Formatierer::zahl(const Dezimal& wert, int minStellen, int maxStellen) const {
    auto f = NumberFormatter::withLocale(icuLocale(gebietsschema_))
                 .precision(Precision::minMaxFraction(minStellen, maxStellen))
                 .roundingMode(UNUM_ROUND_HALFUP)
                 .sign(UNUM_SIGN_NEGATIVE);
    return formatiere(f, wert);
}

std::string Formatierer::ganzzahl(std::int64_t wert) const {
    return formatiere(NumberFormatter::withLocale(icuLocale(gebietsschema_)).precision(Precision::integer()),
                      Dezimal(static_cast<long long>(wert)));
}

std::string Formatierer::waehrung(const Dezimal& wert, std::string_view code,
                                  std::optional<int> nachkommastellen) const {
    UErrorCode status = U_ZERO_ERROR;
    icu::CurrencyUnit einheit(icu::StringPiece(code.data(), static_cast<int32_t>(code.size())), status);
    if (U_FAILURE(status)) {
        return zahl(wert, 2, 2) + "\u00A0" + std::string(code);
    }
    auto f = NumberFormatter::withLocale(icuLocale(gebietsschema_))
                 .unit(einheit)
                 .roundingMode(UNUM_ROUND_HALFUP)
                 .sign(UNUM_SIGN_NEGATIVE);
    if (nachkommastellen) {
        f = f.precision(Precision::fixedFraction(*nachkommastellen));
    }
    return formatiere(f, wert);
}

std::string Formatierer::prozent(const Dezimal& prozentwert, int minStellen, int maxStellen) const {
    auto f = NumberFormatter::withLocale(icuLocale(gebietsschema_))
                 .unit(icu::MeasureUnit::getPercent())
                 .precision(Precision::minMaxFraction(minStellen, maxStellen))
                 .roundingMode(UNUM_ROUND_HALFUP)
                 .sign(UNUM_SIGN_NEGATIVE);
    return formatiere(f, prozentwert);
}

std::string Formatierer::datum(Zeitpunkt t, const Zeitzone& zone) const {
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale locale = icuLocale(gebietsschema_);
    std::unique_ptr<icu::DateTimePatternGenerator> generator(
        icu::DateTimePatternGenerator::createInstance(locale, status));
    if (U_FAILURE(status)) {
        return isoTag(t, zone);
    }
    icu::UnicodeString muster = generator->getBestPattern(u"yMd", status);
    icu::SimpleDateFormat format(muster, locale, status);
    if (U_FAILURE(status)) {
        return isoTag(t, zone);
    }
    format.adoptTimeZone(icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(zone.id())));
    icu::UnicodeString ergebnis;
    format.format(static_cast<UDate>(t.time_since_epoch().count()) / 1000.0, ergebnis);
    std::string text;
    ergebnis.toUTF8String(text);
    return text;
}

} // namespace qb
