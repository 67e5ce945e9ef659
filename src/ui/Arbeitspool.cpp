#include "ui/Arbeitspool.h"

#include <algorithm>
#include <memory>

#include <QCoreApplication>
#include <QThread>
#include <QThreadPool>

#include "foundation/Protokoll.h"
#include "model/Kursfehler.h"
#include "valuation/Kurspruefung.h"

namespace qb {

namespace {

QThreadPool* neuerPool() {
    auto* pool = new QThreadPool;
    pool->setMaxThreadCount(std::max(8, QThread::idealThreadCount()));
    // Blocked network waits are cheap; idle threads stay around for the next view task.
    pool->setExpiryTimeout(60'000);
    // The workers end with the application object, which goes before main() returns: OpenSSL,
    // first set up on a worker, tears itself down at exit ahead of this pool and would lose the
    // state a worker still waiting in the pool holds for its thread.
    qAddPostRoutine([] { arbeitspool().waitForDone(); });
    return pool;
}

const Protokoll& protokoll() {
    static const Protokoll hintergrund("Hintergrund");
    return hintergrund;
}

} // namespace

QThreadPool& arbeitspool() {
    // Its workers end promptly when the application object goes, because every view stops its
    // tasks when it is destroyed.
    static const std::unique_ptr<QThreadPool> pool(neuerPool());
    return *pool;
}

std::optional<std::string> arbeitsfehler(std::exception_ptr fehler) {
    try {
        std::rethrow_exception(fehler);
    } catch (const Abgebrochen&) {
        return std::nullopt;
    } catch (const Kursfehler& quelle) {
        protokoll().fehler("Hintergrundarbeit gescheitert: " + quelle.meldung());
    } catch (const std::exception& unerwartet) {
        protokoll().fehler(std::string("Hintergrundarbeit gescheitert: ") + unerwartet.what());
    } catch (...) {
        protokoll().fehler("Hintergrundarbeit gescheitert: unbekannter Fehler");
    }
    return Kurspruefung::meldung(fehler);
}

} // namespace qb
