#pragma once

#include <atomic>

#include "foundation/Kalender.h"

namespace qbtest {

// The clock behind jetzt() for as long as it lives: set by hand, so that a page open before
// midnight is taken past it without waiting; the page's timers still run.
class Testuhr {
public:
    explicit Testuhr(qb::Zeitpunkt anfang) {
        stelle(anfang);
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

} // namespace qbtest
