#include "sources/Isodatum.h"

namespace qb {

namespace {

using namespace std::chrono;

// Reads exactly `anzahl` ASCII digits at `pos` and moves past them.
std::optional<int> ziffern(std::string_view text, std::size_t& pos, std::size_t anzahl) {
    if (pos + anzahl > text.size()) {
        return std::nullopt;
    }
    int wert = 0;
    for (std::size_t i = 0; i < anzahl; ++i) {
        char c = text[pos + i];
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        wert = wert * 10 + (c - '0');
    }
    pos += anzahl;
    return wert;
}

bool zeichen(std::string_view text, std::size_t& pos, char erwartet) {
    if (pos < text.size() && text[pos] == erwartet) {
        ++pos;
        return true;
    }
    return false;
}

std::optional<year_month_day> datum(std::string_view text, std::size_t& pos) {
    auto j = ziffern(text, pos, 4);
    if (!j || !zeichen(text, pos, '-')) {
        return std::nullopt;
    }
    auto m = ziffern(text, pos, 2);
    if (!m || !zeichen(text, pos, '-')) {
        return std::nullopt;
    }
    auto t = ziffern(text, pos, 2);
    if (!t) {
        return std::nullopt;
    }
    year_month_day ymd{year(*j), month(static_cast<unsigned>(*m)), day(static_cast<unsigned>(*t))};
    if (!ymd.ok()) {
        return std::nullopt;
    }
    return ymd;
}

// Date, "T", time, optional fraction (only when `mitBruchteil`), then "Z" or ±hh:mm.
std::optional<Zeitpunkt> datumUndZeit(std::string_view text, bool mitBruchteil) {
    std::size_t pos = 0;
    auto ymd = datum(text, pos);
    if (!ymd || !zeichen(text, pos, 'T')) {
        return std::nullopt;
    }
    auto h = ziffern(text, pos, 2);
    if (!h || !zeichen(text, pos, ':')) {
        return std::nullopt;
    }
    auto min = ziffern(text, pos, 2);
    if (!min || !zeichen(text, pos, ':')) {
        return std::nullopt;
    }
    auto s = ziffern(text, pos, 2);
    if (!s || *h > 23 || *min > 59 || *s > 59) {
        return std::nullopt;
    }
    microseconds bruchteil{0};
    if (mitBruchteil) {
        if (!zeichen(text, pos, '.')) {
            return std::nullopt;
        }
        std::size_t anfang = pos;
        long long mikro = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            // Digits beyond the microsecond are read and cut off.
            if (pos - anfang < 6) {
                mikro = mikro * 10 + (text[pos] - '0');
            }
            ++pos;
        }
        std::size_t stellen = pos - anfang;
        if (stellen == 0) {
            return std::nullopt;
        }
        for (std::size_t i = stellen; i < 6; ++i) {
            mikro *= 10;
        }
        bruchteil = microseconds(mikro);
    }
    minutes versatz{0};
    if (zeichen(text, pos, 'Z')) {
    } else if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        int vorzeichen = text[pos] == '-' ? -1 : 1;
        ++pos;
        auto vh = ziffern(text, pos, 2);
        if (!vh || !zeichen(text, pos, ':')) {
            return std::nullopt;
        }
        auto vm = ziffern(text, pos, 2);
        if (!vm || *vh > 23 || *vm > 59) {
            return std::nullopt;
        }
        versatz = minutes(vorzeichen * (*vh * 60 + *vm));
    } else {
        return std::nullopt;
    }
    if (pos != text.size()) {
        return std::nullopt;
    }
    auto ortszeit = sys_days(*ymd) + hours(*h) + minutes(*min) + seconds(*s);
    return time_point_cast<microseconds>(ortszeit - versatz) + bruchteil;
}

} // namespace

std::optional<Zeitpunkt> Isodatum::zeitstempel(std::string_view text) {
    if (auto t = datumUndZeit(text, false)) {
        return t;
    }
    if (auto t = datumUndZeit(text, true)) {
        return t;
    }
    std::size_t pos = 0;
    auto ymd = datum(text, pos);
    if (!ymd || pos != text.size()) {
        return std::nullopt;
    }
    return time_point_cast<microseconds>(sys_days(*ymd));
}

std::optional<Zeitpunkt> Isodatum::tag(std::string_view text, const Kalender& kalender) {
    std::size_t pos = 0;
    auto ymd = datum(text, pos);
    if (!ymd || pos != text.size()) {
        return std::nullopt;
    }
    // Noon always exists; the start of its day also covers zones whose midnight is skipped.
    auto mittag = kalender.zeitpunkt(Datumsteile{static_cast<int>(ymd->year()), static_cast<int>(unsigned(ymd->month())),
                                                 static_cast<int>(unsigned(ymd->day())), 12, 0, 0});
    if (!mittag) {
        return std::nullopt;
    }
    return kalender.tagesbeginn(*mittag);
}

} // namespace qb
