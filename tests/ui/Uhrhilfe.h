#pragma once

// A clock the test moves by hand in place of the system's, so that a page open before midnight
// can be taken past it without waiting; the timers that look at the clock still run.

#include <atomic>
#include <chrono>

#include "foundation/Kalender.h"

namespace qbtest {

class Testuhr {
public:
    explicit Testuhr(qb::Zeitpunkt anfang) {
        zeit().store(anfang);
        qb::setzeUhr([] { return zeit().load(); });
    }
    ~Testuhr() { qb::setzeUhr(nullptr); }
    Testuhr(const Testuhr&) = delete;
    Testuhr& operator=(const Testuhr&) = delete;

    void stelle(qb::Zeitpunkt neu) { zeit().store(neu); }

private:
    static std::atomic<qb::Zeitpunkt>& zeit() {
        static std::atomic<qb::Zeitpunkt> wert;
        return wert;
    }
};

// A moment in Berlin, to the millisecond.
inline qb::Zeitpunkt inBerlin(int jahr, int monat, int tag, int stunde, int minute, int sekunde,
                              int milli = 0) {
    const auto t =
        qb::Kalender(qb::Zeitzone("Europe/Berlin")).zeitpunkt({jahr, monat, tag, stunde, minute, sekunde});
    return *t + std::chrono::milliseconds(milli);
}

} // namespace qbtest
