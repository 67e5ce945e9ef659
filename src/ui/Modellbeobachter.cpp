#include "ui/Modellbeobachter.h"

#include "model/Modellkontext.h"

namespace qb {

Modellbeobachter::Modellbeobachter(Modellkontext& kontext, QObject* eltern) : QObject(eltern), kontext_(kontext) {
    beobachtung_ = kontext_.beobachte([this] { vormerken(); });
}

Modellbeobachter::~Modellbeobachter() {
    kontext_.beendeBeobachtung(beobachtung_);
}

void Modellbeobachter::vormerken() {
    if (vorgemerkt_) {
        return;
    }
    vorgemerkt_ = true;
    // Queued, so that views never read records in the middle of the change that notified us.
    QMetaObject::invokeMethod(
        this,
        [this] {
            vorgemerkt_ = false;
            emit geaendert();
        },
        Qt::QueuedConnection);
}

} // namespace qb
