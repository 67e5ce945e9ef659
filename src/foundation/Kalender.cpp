#include "foundation/Kalender.h"

#include <atomic>
#include <cstdio>
#include <memory>

#include <unicode/gregocal.h>
#include <unicode/timezone.h>

namespace qb {

namespace {

using namespace std::chrono;

UDate alsUDate(Zeitpunkt t) {
    return static_cast<UDate>(t.time_since_epoch().count()) / 1000.0;
}

Zeitpunkt ausUDate(UDate d) {
    return Zeitpunkt(microseconds(static_cast<long long>(d * 1000.0)));
}

std::unique_ptr<icu::GregorianCalendar> gregorianisch(const Zeitzone& zone) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::TimeZone> tz(icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(zone.id())));
    auto kalender = std::make_unique<icu::GregorianCalendar>(tz.release(), icu::Locale::getRoot(), status);
    if (U_FAILURE(status)) {
        return nullptr;
    }
    // A proleptic Gregorian calendar, as the system's own calendar is.
    kalender->setGregorianChange(-1e300, status);
    return kalender;
}

int feld(icu::Calendar& kalender, UCalendarDateFields f) {
    UErrorCode status = U_ZERO_ERROR;
    int wert = kalender.get(f, status);
    return U_FAILURE(status) ? 0 : wert;
}

// Read from every thread; set by a test while others may read.
std::atomic<Uhr> uhr{nullptr};

} // namespace

Zeitpunkt jetzt() {
    if (const Uhr eigene = uhr.load()) {
        return eigene();
    }
    return time_point_cast<microseconds>(system_clock::now());
}

void setzeUhr(Uhr neue) {
    uhr.store(neue);
}

Zeitzone Zeitzone::aktuell() {
    std::unique_ptr<icu::TimeZone> tz(icu::TimeZone::createDefault());
    icu::UnicodeString id;
    tz->getID(id);
    std::string text;
    id.toUTF8String(text);
    return Zeitzone(text);
}

void Zeitzone::setzeAktuelle(std::string_view id) {
    icu::TimeZone::adoptDefault(
        icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(icu::StringPiece(id.data(), static_cast<int32_t>(id.size())))));
}

Datumsteile Kalender::teile(Zeitpunkt t) const {
    auto kalender = gregorianisch(zone_);
    if (!kalender) {
        return {};
    }
    UErrorCode status = U_ZERO_ERROR;
    kalender->setTime(alsUDate(t), status);
    if (U_FAILURE(status)) {
        return {};
    }
    int jahr = feld(*kalender, UCAL_YEAR);
    if (feld(*kalender, UCAL_ERA) == icu::GregorianCalendar::BC) {
        jahr = 1 - jahr;
    }
    return Datumsteile{jahr,
                       feld(*kalender, UCAL_MONTH) + 1,
                       feld(*kalender, UCAL_DATE),
                       feld(*kalender, UCAL_HOUR_OF_DAY),
                       feld(*kalender, UCAL_MINUTE),
                       feld(*kalender, UCAL_SECOND)};
}

std::optional<Zeitpunkt> Kalender::zeitpunkt(const Datumsteile& teile) const {
    auto kalender = gregorianisch(zone_);
    if (!kalender) {
        return std::nullopt;
    }
    kalender->setLenient(false);
    kalender->clear();
    if (teile.jahr <= 0) {
        kalender->set(UCAL_ERA, icu::GregorianCalendar::BC);
        kalender->set(UCAL_YEAR, 1 - teile.jahr);
    } else {
        kalender->set(UCAL_YEAR, teile.jahr);
    }
    kalender->set(UCAL_MONTH, teile.monat - 1);
    kalender->set(UCAL_DATE, teile.tag);
    kalender->set(UCAL_HOUR_OF_DAY, teile.stunde);
    kalender->set(UCAL_MINUTE, teile.minute);
    kalender->set(UCAL_SECOND, teile.sekunde);
    UErrorCode status = U_ZERO_ERROR;
    UDate d = kalender->getTime(status);
    if (U_FAILURE(status)) {
        return std::nullopt;
    }
    return ausUDate(d);
}

Zeitpunkt Kalender::tagesbeginn(Zeitpunkt t) const {
    auto kalender = gregorianisch(zone_);
    if (!kalender) {
        return t;
    }
    UErrorCode status = U_ZERO_ERROR;
    kalender->setTime(alsUDate(t), status);
    int era = feld(*kalender, UCAL_ERA);
    int jahr = feld(*kalender, UCAL_YEAR);
    int monat = feld(*kalender, UCAL_MONTH);
    int tag = feld(*kalender, UCAL_DATE);
    kalender->clear();
    // Where midnight occurs twice (a zone that falls back at 01:00 to 00:00), the day starts
    // at the first of them; ICU would otherwise take the second, which can lie after t.
    kalender->setRepeatedWallTimeOption(UCAL_WALLTIME_FIRST);
    kalender->set(UCAL_ERA, era);
    kalender->set(UCAL_YEAR, jahr);
    kalender->set(UCAL_MONTH, monat);
    kalender->set(UCAL_DATE, tag);
    // Where midnight does not exist (a daylight saving change at 00:00), ICU takes the
    // first valid moment after it, which is the start of that day.
    UDate d = kalender->getTime(status);
    return U_FAILURE(status) ? t : ausUDate(d);
}

std::optional<Zeitpunkt> Kalender::plusTage(Zeitpunkt t, int tage) const {
    auto kalender = gregorianisch(zone_);
    if (!kalender) {
        return std::nullopt;
    }
    // ICU counts whole milliseconds, but carries a fraction through unchanged or not depending
    // on the path; so it gets whole milliseconds only, and the rest is added back afterwards.
    auto rest = t.time_since_epoch() % milliseconds(1);
    if (rest < microseconds(0)) {
        rest += milliseconds(1);
    }
    UErrorCode status = U_ZERO_ERROR;
    kalender->setTime(alsUDate(t - rest), status);
    kalender->add(UCAL_DATE, tage, status);
    UDate d = kalender->getTime(status);
    if (U_FAILURE(status)) {
        return std::nullopt;
    }
    return ausUDate(d) + rest;
}

std::string isoTag(Zeitpunkt t, const Zeitzone& zeitzone) {
    Datumsteile teile = Kalender(zeitzone).teile(t);
    char puffer[32];
    std::snprintf(puffer, sizeof puffer, "%04d-%02d-%02d", teile.jahr, teile.monat, teile.tag);
    return puffer;
}

Zeitpunkt tagesende(Zeitpunkt t, const Kalender& kalender) {
    Zeitpunkt beginn = kalender.tagesbeginn(t);
    auto morgen = kalender.plusTage(beginn, 1);
    if (!morgen) {
        return beginn;
    }
    // Adding a day keeps the wall clock of the start. Where midnight was skipped, the day
    // starts at 01:00, and one day later minus a second would lie in the next day; so the
    // end is taken from the start of the next day.
    return kalender.tagesbeginn(*morgen) - std::chrono::seconds(1);
}

} // namespace qb
