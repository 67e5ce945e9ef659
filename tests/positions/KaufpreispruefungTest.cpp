#include <chrono>
#include <future>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <QTest>
#include <gtest/gtest.h>

#include "positions/Kaufpreispruefung.h"
#include "sources/Testhilfen.h"
#include "valuation/Testspiel.h"

using namespace qb;
using namespace testspiel;
using namespace std::chrono_literals;
using qbtest::Antwort;

namespace {

const char* const boerse = "/v1/data/price_information/single";
const char* const ezbDollar = "/v2/rate/EUR/USD";
const char* const sap = "DE0007164600";

using qbtest::dienstFuer;

Antwort boersenkurs(const char* preis, const char* waehrung = "EUR") {
    return Antwort::json(std::string(R"({"isin":"DE0007164600","lastPrice":)") + preis +
                         R"(,"currency":{"originalValue":")" + waehrung + R"("},"tradedInPercent":false})");
}

Antwort ezbKurs(const char* rate) {
    return Antwort::json(std::string(R"({"date":"2024-03-04","base":"EUR","quote":"USD","rate":)") + rate + "}");
}

// The outcome in words, so that a failure shows what came instead.
std::string beschreibe(const Kaufpreispruefung::Ergebnis& ergebnis, const Kaufpreispruefung::Auftrag& auftrag) {
    if (const auto* abweichungen = ergebnis.abweichungen()) {
        std::string text = "abweichend:";
        for (const auto& abweichung : *abweichungen) {
            text += " " + abweichung.meldung(auftrag.klasse, auftrag.notierung, auftrag.abruftag, Formatierer("de_DE"));
        }
        return text;
    }
    if (const std::string* grund = ergebnis.grund()) {
        return "ungeprüft: " + *grund;
    }
    return ergebnis.istBestanden() ? "bestanden" : "abgebrochen";
}

template <typename Wert>
std::string teil(const Kurspruefung::Teil<Wert>& t) {
    return t.wert() ? "vorhanden" : t.grund() ? "fehlt" : "entfällt";
}

std::string beschreibe(const Kurspruefung::Referenz& referenz) {
    return "Kurs " + teil(referenz.kurs) + ", Wechselkurs " + teil(referenz.wechselkurs);
}

Kaufpreispruefung::Auftrag aktie(Preisangabe preis, std::string kennung = sap) {
    return {Assetklasse::aktie, std::move(preis), std::move(kennung), Notierungsart::stueckpreis, d("100"), std::nullopt};
}

struct Fall {
    const char* name;
    Kaufpreispruefung::Auftrag auftrag;
    std::map<std::string, Antwort> antworten;
    std::string erwartet;
    // Which comparison values the sources gave.
    std::string vergleich;
    // The paths the check asked, in order.
    std::vector<std::string> gefragt;
};

TEST(KaufpreispruefungTest, vergleichtMitDerQuelleUndNenntDenGrundWennEsNichtGeht) {
    const std::vector<Fall> faelle{
        {"genau 10 % gehen durch", aktie(eur("110")), {{boerse, boersenkurs("100")}}, "bestanden",
         "Kurs vorhanden, Wechselkurs entfällt", {boerse}},
        {"mehr als 10 % sind stark", aktie(eur("111")), {{boerse, boersenkurs("100")}},
         "abweichend: Kurs aktuell laut Quelle: 100,00 €. Eingetragen: 111,00 €. Abweichung 11\u00A0%.",
         "Kurs vorhanden, Wechselkurs entfällt", {boerse}},
        {"die Quelle scheitert", aktie(eur("111")), {{boerse, Antwort::nachStatus(500)}},
         "ungeprüft: Die Quelle meldete einen Fehler (HTTP 500). Später erneut versuchen.",
         "Kurs fehlt, Wechselkurs entfällt", {boerse}},
        {"Kennung ohne Quelle: nichts zu vergleichen", aktie(eur("111"), "SAP SE"), {}, "bestanden",
         "Kurs entfällt, Wechselkurs entfällt", {}},
        {"Preis in Dollar, EZB-Kurs fehlt", aktie(fremd("150", "USD", "1.08")),
         {{boerse, boersenkurs("139")}, {ezbDollar, Antwort::nachStatus(500)}},
         "ungeprüft: Der Kurs ist in USD notiert, und der EZB-Kurs zum Umrechnen fehlt: "
         "Die Quelle meldete einen Fehler (HTTP 500). Später erneut versuchen.",
         "Kurs vorhanden, Wechselkurs fehlt", {boerse, ezbDollar}},
        {"Preis in Dollar, Kurs der Quelle braucht den fehlenden EZB-Kurs", aktie(fremd("150", "USD", "1.08")),
         {{boerse, boersenkurs("150", "USD")}, {ezbDollar, Antwort::nachStatus(500)}},
         "ungeprüft: Der Kurs ist in USD notiert, und der EZB-Kurs zum Umrechnen fehlt: "
         "Die Quelle meldete einen Fehler (HTTP 500). Später erneut versuchen.",
         "Kurs fehlt, Wechselkurs fehlt", {boerse, ezbDollar, ezbDollar}},
        {"Preis in Dollar, Wechselkurs weit daneben", aktie(fremd("150", "USD", "1.5")),
         {{boerse, boersenkurs("150", "USD")}, {ezbDollar, ezbKurs("1.08")}},
         "abweichend: EZB-Kurs aktuell: 1\u00A0€\u00A0=\u00A01,08\u00A0USD. Eingetragen: 1\u00A0€\u00A0=\u00A01,5\u00A0USD. "
         "Abweichung 39\u00A0%.",
         "Kurs vorhanden, Wechselkurs vorhanden", {boerse, ezbDollar, ezbDollar}},
        {"Währung: nur ihr Kurs, kein eigener EZB-Schritt",
         {Assetklasse::waehrung, fremd("1", "USD", "1.2"), "usd", Notierungsart::stueckpreis, d("100"), std::nullopt},
         {{ezbDollar, ezbKurs("1.08")}},
         "abweichend: Kurs aktuell laut Quelle: 1\u00A0€\u00A0=\u00A01,08\u00A0USD. Eingetragen: "
         "1\u00A0€\u00A0=\u00A01,2\u00A0USD. Abweichung 11\u00A0%.",
         "Kurs vorhanden, Wechselkurs entfällt", {ezbDollar}},
    };
    for (const Fall& fall : faelle) {
        SCOPED_TRACE(fall.name);
        qbtest::Testserver server;
        for (const auto& [pfad, antwort] : fall.antworten) {
            server.beantworte(pfad, antwort);
        }
        const Kaufpreispruefung pruefung(dienstFuer(server), fall.auftrag);

        const Kaufpreispruefung::Ergebnis ergebnis = pruefung.fuehreAus({});

        EXPECT_EQ(beschreibe(ergebnis, fall.auftrag), fall.erwartet);
        std::vector<std::string> gefragt;
        for (const auto& anfrage : server.anfragen()) {
            gefragt.push_back(anfrage.pfad);
        }
        EXPECT_EQ(gefragt, fall.gefragt);
        EXPECT_EQ(beschreibe(pruefung.referenz({})), fall.vergleich);
    }
}

TEST(KaufpreispruefungTest, einEinstiegInDerVergangenheitFragtNachDemKursDiesesTages) {
    qbtest::Testserver server;
    server.beantworte(ezbDollar, ezbKurs("1.08"));
    const Kaufpreispruefung pruefung(dienstFuer(server), {Assetklasse::waehrung, fremd("1", "USD", "1.08"), "USD",
                                                          Notierungsart::stueckpreis, d("100"), tag(2024, 3, 4, 23)});

    EXPECT_TRUE(pruefung.fuehreAus({}).istBestanden());
    const auto anfragen = server.anfragen(ezbDollar);
    ASSERT_EQ(anfragen.size(), 1U);
    EXPECT_EQ(anfragen.front().wert("date"), "2024-03-04");
}

TEST(KaufpreispruefungTest, einStopBeendetDiePruefungOhneErgebnis) {
    qbtest::Testserver server;
    Antwort spaet = boersenkurs("100");
    spaet.verzoegerung = 60s;
    server.beantworte(boerse, spaet);
    const Kaufpreispruefung pruefung(dienstFuer(server), aktie(fremd("150", "USD", "1.08")));

    // Stopped before it starts: not a single request.
    std::stop_source vorher;
    vorher.request_stop();
    EXPECT_TRUE(pruefung.fuehreAus(vorher.get_token()).istAbgebrochen());
    EXPECT_TRUE(server.anfragen().empty());

    // Stopped while the source takes its time: the check ends long before the answer would
    // come, and never goes on to ask for the rate.
    std::stop_source stop;
    auto laeuft = std::async(std::launch::async, [&] { return pruefung.fuehreAus(stop.get_token()); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !server.anfragen(boerse).empty(); }, 10000));
    stop.request_stop();
    ASSERT_EQ(laeuft.wait_for(30s), std::future_status::ready);
    EXPECT_TRUE(laeuft.get().istAbgebrochen());
    EXPECT_TRUE(server.anfragen(ezbDollar).empty());
}

} // namespace
