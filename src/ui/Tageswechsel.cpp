#include "ui/Tageswechsel.h"

#include <algorithm>
#include <chrono>

#include "foundation/Kalender.h"

namespace qb {

Tageswechsel::Tageswechsel(QObject* eltern) : QObject(eltern), tag_(isoTag(jetzt(), Zeitzone::aktuell())) {
    wecker_.setSingleShot(true);
    connect(&wecker_, &QTimer::timeout, this, &Tageswechsel::pruefe);
    stelleWecker();
}

void Tageswechsel::pruefe() {
    std::string tag = isoTag(jetzt(), Zeitzone::aktuell());
    stelleWecker();
    if (tag != tag_) {
        tag_ = std::move(tag);
        emit neuerTag();
    }
}

void Tageswechsel::stelleWecker() {
    using namespace std::chrono;
    const Zeitpunkt nun = jetzt();
    const Zeitpunkt mitternacht = tagesende(nun, Kalender::aktuell()) + seconds(1);
    // A timer that rings a little early finds the old day and is set again for the rest.
    const auto bis = ceil<milliseconds>(mitternacht - nun);
    wecker_.start(std::clamp<milliseconds>(bis, milliseconds(1), minutes(1)));
}

} // namespace qb
