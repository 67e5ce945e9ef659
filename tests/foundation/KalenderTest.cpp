#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "foundation/Kalender.h"

using qb::Datumsteile;
using qb::isoTag;
using qb::Kalender;
using qb::tagesende;
using qb::Zeitpunkt;
using qb::Zeitzone;

namespace {

using namespace std::chrono;

Zeitpunkt utc(int jahr, unsigned monat, unsigned tag, int stunde = 0, int minute = 0, int sekunde = 0) {
    return Zeitpunkt(sys_days(year(jahr) / month(monat) / day(tag)) + hours(stunde) + minutes(minute) +
                     seconds(sekunde));
}

// "2025-03-30 21:59:59.000000" in UTC, so that a failing comparison shows readable instants.
std::string alsUtc(Zeitpunkt t) {
    auto tage = floor<days>(t);
    year_month_day datum(tage);
    hh_mm_ss<microseconds> zeit(t - tage);
    char puffer[64];
    std::snprintf(puffer, sizeof puffer, "%04d-%02u-%02u %02d:%02d:%02d.%06lld",
                  static_cast<int>(datum.year()), static_cast<unsigned>(datum.month()),
                  static_cast<unsigned>(datum.day()), static_cast<int>(zeit.hours().count()),
                  static_cast<int>(zeit.minutes().count()), static_cast<int>(zeit.seconds().count()),
                  static_cast<long long>(zeit.subseconds().count()));
    return puffer;
}

// Restores the process's current zone after a test that replaces it.
class AktuelleZone {
public:
    AktuelleZone() : alt_(Zeitzone::aktuell().id()) {}
    ~AktuelleZone() { Zeitzone::setzeAktuelle(alt_); }
    AktuelleZone(const AktuelleZone&) = delete;
    AktuelleZone& operator=(const AktuelleZone&) = delete;

private:
    std::string alt_;
};

} // namespace

TEST(Kalender, isoTagInDerZone) {
    struct Fall {
        Zeitpunkt t;
        const char* zone;
        const char* tag;
    };
    const Fall faelle[] = {
        {utc(2025, 3, 5, 12), "Europe/Berlin", "2025-03-05"},
        {utc(2025, 3, 5, 23, 30), "UTC", "2025-03-05"},
        {utc(2025, 3, 5, 23, 30), "Europe/Berlin", "2025-03-06"}, // east of UTC: already the next day
        {utc(2025, 3, 5, 23, 30), "Asia/Tokyo", "2025-03-06"},
        {utc(2025, 3, 6, 3, 0), "America/New_York", "2025-03-05"}, // west of UTC: still the day before
        {utc(2025, 12, 31, 23, 0), "Europe/Berlin", "2026-01-01"},
        {utc(2025, 12, 31, 22, 59, 59), "Europe/Berlin", "2025-12-31"},
        {utc(2024, 2, 29, 12), "UTC", "2024-02-29"},
        {utc(987, 6, 15, 12), "UTC", "0987-06-15"},
        {utc(9, 1, 2, 12), "UTC", "0009-01-02"},
        {utc(1970, 1, 1), "UTC", "1970-01-01"},
        {utc(1969, 12, 31, 23, 59, 59), "UTC", "1969-12-31"},
        {utc(12345, 1, 1, 12), "UTC", "12345-01-01"},
    };
    for (const auto& f : faelle) {
        EXPECT_EQ(isoTag(f.t, Zeitzone(f.zone)), f.tag) << alsUtc(f.t) << " in " << f.zone;
    }
}

TEST(Kalender, tagesbeginnUndTagesende) {
    struct Fall {
        const char* zone;
        Zeitpunkt t;
        Zeitpunkt beginn;
        Zeitpunkt ende;
    };
    const Fall faelle[] = {
        // An ordinary winter and summer day in Berlin.
        {"Europe/Berlin", utc(2025, 3, 5, 12), utc(2025, 3, 4, 23), utc(2025, 3, 5, 22, 59, 59)},
        {"Europe/Berlin", utc(2025, 3, 4, 23), utc(2025, 3, 4, 23), utc(2025, 3, 5, 22, 59, 59)},
        {"Europe/Berlin", utc(2025, 3, 5, 22, 59, 59), utc(2025, 3, 4, 23), utc(2025, 3, 5, 22, 59, 59)},
        {"Europe/Berlin", utc(2025, 7, 1, 8), utc(2025, 6, 30, 22), utc(2025, 7, 1, 21, 59, 59)},
        // The 23-hour day (02:00 → 03:00) and the 25-hour day (03:00 → 02:00).
        {"Europe/Berlin", utc(2025, 3, 30, 12), utc(2025, 3, 29, 23), utc(2025, 3, 30, 21, 59, 59)},
        {"Europe/Berlin", utc(2025, 10, 26, 1, 30), utc(2025, 10, 25, 22), utc(2025, 10, 26, 22, 59, 59)},
        {"America/New_York", utc(2025, 3, 9, 12), utc(2025, 3, 9, 5), utc(2025, 3, 10, 3, 59, 59)},
        {"America/New_York", utc(2025, 11, 2, 6), utc(2025, 11, 2, 4), utc(2025, 11, 3, 4, 59, 59)},
        {"UTC", utc(2025, 3, 5, 12, 34, 56), utc(2025, 3, 5), utc(2025, 3, 5, 23, 59, 59)},
        // Havana changes at midnight: 00:00 is skipped in March and occurs twice in November.
        {"America/Havana", utc(2024, 3, 10, 12), utc(2024, 3, 10, 5), utc(2024, 3, 11, 3, 59, 59)},
        {"America/Havana", utc(2024, 3, 9, 12), utc(2024, 3, 9, 5), utc(2024, 3, 10, 4, 59, 59)},
        {"America/Havana", utc(2024, 11, 3, 4, 30), utc(2024, 11, 3, 4), utc(2024, 11, 4, 4, 59, 59)},
        {"America/Havana", utc(2024, 11, 2, 12), utc(2024, 11, 2, 4), utc(2024, 11, 3, 3, 59, 59)},
        // Samoa skipped 30 December 2011 altogether.
        {"Pacific/Apia", utc(2011, 12, 29, 20), utc(2011, 12, 29, 10), utc(2011, 12, 30, 9, 59, 59)},
    };
    for (const auto& f : faelle) {
        const Kalender kalender{Zeitzone(f.zone)};
        SCOPED_TRACE(alsUtc(f.t) + " in " + f.zone);
        EXPECT_EQ(alsUtc(kalender.tagesbeginn(f.t)), alsUtc(f.beginn));
        EXPECT_EQ(alsUtc(tagesende(f.t, kalender)), alsUtc(f.ende));
        EXPECT_LE(kalender.tagesbeginn(f.t), f.t);
        EXPECT_GE(tagesende(f.t, kalender), f.t - seconds(1));
        // The end of a day is 23:59:59 of that very day, in its zone.
        Datumsteile ende = kalender.teile(tagesende(f.t, kalender));
        EXPECT_EQ(isoTag(tagesende(f.t, kalender), kalender.zeitzone()), isoTag(f.t, kalender.zeitzone()));
        EXPECT_EQ(ende.stunde, 23);
        EXPECT_EQ(ende.minute, 59);
        EXPECT_EQ(ende.sekunde, 59);
    }
}

TEST(Kalender, tagesbeginnVerliertBruchteile) {
    const Kalender berlin{Zeitzone("Europe/Berlin")};
    Zeitpunkt t = utc(2025, 3, 5, 12) + microseconds(123456);
    EXPECT_EQ(alsUtc(berlin.tagesbeginn(t)), alsUtc(utc(2025, 3, 4, 23)));
    EXPECT_EQ(alsUtc(tagesende(t, berlin)), alsUtc(utc(2025, 3, 5, 22, 59, 59)));
}

TEST(Kalender, plusTageBehaeltDieWanduhr) {
    struct Fall {
        const char* zone;
        Zeitpunkt t;
        int tage;
        Zeitpunkt ergebnis;
    };
    const Fall faelle[] = {
        {"Europe/Berlin", utc(2025, 3, 29, 11), 1, utc(2025, 3, 30, 10)}, // 12:00 CET → 12:00 CEST
        {"Europe/Berlin", utc(2025, 3, 30, 10), -1, utc(2025, 3, 29, 11)},
        {"Europe/Berlin", utc(2025, 10, 25, 10), 1, utc(2025, 10, 26, 11)}, // 12:00 CEST → 12:00 CET
        {"Europe/Berlin", utc(2025, 1, 31, 11), 30, utc(2025, 3, 2, 11)},
        {"America/New_York", utc(2025, 3, 8, 17), 1, utc(2025, 3, 9, 16)},
        {"UTC", utc(2024, 2, 28, 12), 1, utc(2024, 2, 29, 12)},
        {"UTC", utc(2025, 2, 28, 12), 1, utc(2025, 3, 1, 12)},
        {"Europe/Berlin", utc(2025, 3, 5, 12), 0, utc(2025, 3, 5, 12)},
    };
    for (const auto& f : faelle) {
        auto ergebnis = Kalender(Zeitzone(f.zone)).plusTage(f.t, f.tage);
        ASSERT_TRUE(ergebnis.has_value()) << alsUtc(f.t);
        EXPECT_EQ(alsUtc(*ergebnis), alsUtc(f.ergebnis))
            << alsUtc(f.t) << " + " << f.tage << " in " << f.zone;
    }
    // Microseconds survive ICU's millisecond clock.
    Zeitpunkt fein = utc(2025, 3, 29, 11) + microseconds(1234567);
    EXPECT_EQ(alsUtc(*Kalender(Zeitzone("Europe/Berlin")).plusTage(fein, 1)),
              alsUtc(utc(2025, 3, 30, 10) + microseconds(1234567)));
    Zeitpunkt vor1970 = utc(1960, 3, 5, 12) + microseconds(1234567);
    EXPECT_EQ(alsUtc(*Kalender(Zeitzone::utc()).plusTage(vor1970, 1)),
              alsUtc(utc(1960, 3, 6, 12) + microseconds(1234567)));
}

TEST(Kalender, teileUndZeitpunkt) {
    const Kalender berlin{Zeitzone("Europe/Berlin")};
    EXPECT_EQ(berlin.teile(utc(2025, 3, 30, 1, 30, 15)), (Datumsteile{2025, 3, 30, 3, 30, 15}));
    EXPECT_EQ(berlin.teile(utc(2025, 3, 30, 0, 59, 59)), (Datumsteile{2025, 3, 30, 1, 59, 59}));
    auto t = berlin.zeitpunkt(Datumsteile{2025, 7, 1, 8, 15, 0});
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(alsUtc(*t), alsUtc(utc(2025, 7, 1, 6, 15)));
    EXPECT_FALSE(berlin.zeitpunkt(Datumsteile{2025, 2, 30, 0, 0, 0}).has_value());
    EXPECT_FALSE(berlin.zeitpunkt(Datumsteile{2025, 13, 1, 0, 0, 0}).has_value());
}

TEST(Kalender, aktuelleZoneLaesstSichSetzen) {
    AktuelleZone zurueck;
    const Zeitpunkt t = utc(2025, 3, 5, 23, 30);

    Zeitzone::setzeAktuelle("Asia/Tokyo");
    EXPECT_EQ(Zeitzone::aktuell().id(), "Asia/Tokyo");
    EXPECT_EQ(Kalender::aktuell().zeitzone().id(), "Asia/Tokyo");
    EXPECT_EQ(isoTag(t, Zeitzone::aktuell()), "2025-03-06");
    EXPECT_EQ(alsUtc(tagesende(t, Kalender::aktuell())), alsUtc(utc(2025, 3, 6, 14, 59, 59)));

    Zeitzone::setzeAktuelle("America/Los_Angeles");
    EXPECT_EQ(Zeitzone::aktuell().id(), "America/Los_Angeles");
    EXPECT_EQ(isoTag(t, Zeitzone::aktuell()), "2025-03-05");
    EXPECT_EQ(alsUtc(tagesende(t, Kalender::aktuell())), alsUtc(utc(2025, 3, 6, 7, 59, 59)));
}
