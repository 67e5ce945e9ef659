#include "ui/Tageswechsel.h"

#include <algorithm>
#include <chrono>

#include <QEvent>

#include "foundation/Kalender.h"

namespace qb {

Tageswechsel::Tageswechsel(QObject* seite) : QObject(seite), tag_(isoTag(jetzt(), Zeitzone::aktuell())) {
    wecker_.setObjectName(QStringLiteral("tageswecker"));
    wecker_.setSingleShot(true);
    connect(&wecker_, &QTimer::timeout, this, &Tageswechsel::pruefe);
    if (seite != nullptr) {
        // A widget hears of its window's activation as long as it is visible.
        seite->installEventFilter(this);
    }
    stelleWecker();
}

void Tageswechsel::pruefe() {
    std::string tag = isoTag(jetzt(), Zeitzone::aktuell());
    // Set again at every look: one that finds the old day waits for the rest of it.
    stelleWecker();
    if (tag != tag_) {
        tag_ = std::move(tag);
        emit neuerTag();
    }
}

bool Tageswechsel::eventFilter(QObject* objekt, QEvent* ereignis) {
    if (objekt == parent() && (ereignis->type() == QEvent::Show || ereignis->type() == QEvent::WindowActivate)) {
        pruefe();
    }
    return QObject::eventFilter(objekt, ereignis);
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
