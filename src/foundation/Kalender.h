#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace qb {

// The one instant type of every date and time in the records.
using Zeitpunkt = std::chrono::sys_time<std::chrono::microseconds>;

Zeitpunkt jetzt();
// Where jetzt() reads the time: the system clock, or one a test sets, so that a test can pass
// midnight without waiting for it. Null puts the system clock back.
using Uhr = Zeitpunkt (*)();
void setzeUhr(Uhr uhr);

struct Datumsteile {
    int jahr = 0;
    int monat = 0;
    int tag = 0;
    int stunde = 0;
    int minute = 0;
    int sekunde = 0;
    friend bool operator==(const Datumsteile&, const Datumsteile&) = default;
};

// A time zone by its IANA identifier.
class Zeitzone {
public:
    explicit Zeitzone(std::string id) : id_(std::move(id)) {}
    // ICU's default zone, which follows TZ.
    static Zeitzone aktuell();
    static Zeitzone utc() { return Zeitzone("UTC"); }
    // Replaces the process's default zone; for tests that need a fixed "current" zone.
    static void setzeAktuelle(std::string_view id);

    const std::string& id() const { return id_; }
    friend bool operator==(const Zeitzone&, const Zeitzone&) = default;

private:
    std::string id_;
};

// The Gregorian calendar in one time zone.
class Kalender {
public:
    explicit Kalender(Zeitzone zone) : zone_(std::move(zone)) {}
    static Kalender aktuell() { return Kalender(Zeitzone::aktuell()); }

    const Zeitzone& zeitzone() const { return zone_; }
    Datumsteile teile(Zeitpunkt t) const;
    // The first moment of the day that holds t.
    Zeitpunkt tagesbeginn(Zeitpunkt t) const;
    // t moved by whole calendar days (wall clock kept across daylight saving changes);
    // no value when the result lies outside the calendar's range.
    std::optional<Zeitpunkt> plusTage(Zeitpunkt t, int tage) const;
    // The instant of a local date and time; no value for impossible components.
    std::optional<Zeitpunkt> zeitpunkt(const Datumsteile& teile) const;

private:
    Zeitzone zone_;
};

// The day key "%04d-%02d-%02d" of t in the zone.
std::string isoTag(Zeitpunkt t, const Zeitzone& zeitzone);
// The last second of t's day: start of day plus one day minus one second.
Zeitpunkt tagesende(Zeitpunkt t, const Kalender& kalender);

} // namespace qb
