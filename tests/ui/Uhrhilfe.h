#pragma once

#include <atomic>

#include "foundation/Kalender.h"

namespace qbtest {

// The clock behind jetzt() for as long as it lives, set by hand: a page open before midnight is
// taken past it without waiting, while its timers still run.
class Testuhr {
public:
    explicit Testuhr(qb::Zeitpunkt anfang) {
        stelle(anfang);
        qb::setzeUhr([] { return zeit_.load(); });
    }
    ~Testuhr() { qb::setzeUhr(nullptr); }
    Testuhr(const Testuhr&) = delete;
    Testuhr& operator=(const Testuhr&) = delete;
    void stelle(qb::Zeitpunkt neu) { zeit_.store(neu); }

private:
    static inline std::atomic<qb::Zeitpunkt> zeit_;
};

} // namespace qbtest
