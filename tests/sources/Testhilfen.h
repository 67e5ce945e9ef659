#pragma once

#include <chrono>
#include <ostream>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "foundation/Kalender.h"
#include "model/Kursfehler.h"
#include "sources/JsonAbruf.h"
#include "sources/Kursdienst.h"
#include "sources/Testserver.h"

namespace qb {

// Failure messages show the German sentence instead of the object's bytes.
inline void PrintTo(const Kursfehler& fehler, std::ostream* aus) {
    *aus << "Kursfehler(" << fehler.meldung() << ")";
}

} // namespace qb

namespace qbtest {

// The Kursfehler that `aufruf` throws; a test failure when it throws none.
template <typename Aufruf>
qb::Kursfehler kursfehler(Aufruf&& aufruf) {
    try {
        std::forward<Aufruf>(aufruf)();
    } catch (const qb::Kursfehler& fehler) {
        return fehler;
    }
    ADD_FAILURE() << "kein Kursfehler";
    return qb::Kursfehler::ohneAbruf();
}

// A local time in Berlin, the zone every test runs in.
inline qb::Zeitpunkt berlin(int jahr, int monat, int tag, int stunde = 0, int minute = 0, int sekunde = 0) {
    return *qb::Kalender(qb::Zeitzone("Europe/Berlin")).zeitpunkt({jahr, monat, tag, stunde, minute, sekunde});
}

inline qb::Zeitpunkt utcSekunden(long long sekunden) {
    return qb::Zeitpunkt(std::chrono::seconds(sekunden));
}

// A fetch that trusts only the test server's certificate.
inline qb::JsonAbruf abrufFuer(const Testserver& server, std::chrono::milliseconds ohneDaten = std::chrono::seconds(15),
                               std::chrono::milliseconds insgesamt = std::chrono::seconds(30)) {
    qb::JsonAbruf::Sitzung sitzung;
    sitzung.caDatei = server.caDatei();
    sitzung.ohneDatenHoechstens = ohneDaten;
    sitzung.insgesamtHoechstens = insgesamt;
    return qb::JsonAbruf(sitzung);
}

// The standard bundle of sources, asking the test server for both services.
inline qb::Kursdienst dienstFuer(const Testserver& server) {
    qb::Kursdienst::Adressen adressen;
    adressen.boerse = server.adresse();
    adressen.ezb = server.adresse();
    adressen.sitzung.caDatei = server.caDatei();
    return qb::Kursdienst::standard(adressen);
}

} // namespace qbtest
