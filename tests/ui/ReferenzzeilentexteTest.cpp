#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/Kursfehler.h"
#include "ui/Referenzabruf.h"
#include "ui/Referenzzeilentexte.h"
#include "sources/Testhilfen.h"

using namespace qb;
using qbtest::Antwort;

namespace {

using Teil = Kurspruefung::Teil<Umrechnung>;
using Art = Referenzzeilentexte::Art;
using Feld = Kurseingabe::Feld;

const Waehrungscode usd = *Waehrungscode::aus("USD");

Zeitpunkt tag(int jahr, int monat, int t) {
    return *Kalender(Zeitzone("Europe/Berlin")).zeitpunkt({jahr, monat, t, 12, 0, 0});
}

TEST(ReferenzzeilentexteTest, jederStandHatSeineZeile) {
    const Umrechnung kurs{Dezimal(1), "USD", Dezimal::aus("1.0834")};
    struct Fall {
        const char* name;
        std::optional<Zeitpunkt> referenztag;
        Referenzzeilentexte::Stand stand;
        bool mitErneut;
        Art art;
        QString text;
        std::optional<QString> hinweis;
        bool erneut;
    };
    const std::vector<Fall> faelle = {
        {"laedt", std::nullopt, std::nullopt, true, Art::wirdGeholt, "EZB-Kurs wird geholt", std::nullopt, false},
        {"am Tag", tag(2024, 5, 17), Teil::vorhanden(kurs), true, Art::kurs,
         "EZB-Referenzkurs für den 17.5.2024: 1\u00a0€\u00a0=\u00a01,0834\u00a0USD", std::nullopt, false},
        {"aktuell", std::nullopt, Teil::vorhanden(kurs), true, Art::kurs,
         "EZB-Referenzkurs, aktuell: 1\u00a0€\u00a0=\u00a01,0834\u00a0USD", std::nullopt, false},
        {"fehlt", std::nullopt, Teil::fehlt("Die Quelle war nicht erreichbar: Zeitüberschreitung"), true, Art::fehlt,
         "Kein EZB-Kurs abrufbar: Die Quelle war nicht erreichbar: Zeitüberschreitung",
         "Trage den Umrechnungskurs selbst ein.", true},
        // Without a retry the warning stands alone.
        {"fehlt ohne erneut", std::nullopt, Teil::fehlt("weg"), false, Art::fehlt, "Kein EZB-Kurs abrufbar: weg",
         "Trage den Umrechnungskurs selbst ein.", false},
        {"entfaellt", std::nullopt, Teil::entfaellt(), true, Art::leer, "", std::nullopt, false},
    };
    const Formatierer deutsch("de_DE");
    for (const Fall& fall : faelle) {
        SCOPED_TRACE(fall.name);
        const Referenzzeilentexte texte(usd, fall.referenztag, fall.stand, fall.mitErneut, deutsch);
        EXPECT_EQ(texte.art(), fall.art);
        EXPECT_EQ(texte.text(), fall.text);
        EXPECT_EQ(texte.hinweis(), fall.hinweis);
        EXPECT_EQ(texte.zeigtErneut(), fall.erneut);
    }
}

TEST(ReferenzzeilentexteTest, uebernehmenSchreibtKursUndVorbelegungUndSonstNichts) {
    const Referenzzeilentexte texte(usd, std::nullopt, Teil::vorhanden({Dezimal(1), "USD", Dezimal::aus("1.0834")}), false);
    Kurseingabe eingabe("USD", Dezimal(150), Dezimal::aus("1.2"));
    eingabe.unlesbar = {Feld::kurs};
    eingabe.mitText = {Feld::umrechnung};
    ASSERT_TRUE(texte.zeigtUebernehmen(eingabe));

    ASSERT_TRUE(texte.uebernimm(eingabe));
    EXPECT_EQ(eingabe.umrechnung, Dezimal::aus("1.0834"));
    EXPECT_EQ(eingabe.ezbVorbelegung, Dezimal::aus("1.0834"));
    EXPECT_EQ(eingabe.kurs, Dezimal(150));
    EXPECT_EQ(eingabe.handelswaehrung, "USD");
    EXPECT_EQ(eingabe.unlesbar, std::set<Feld>{Feld::kurs});
    EXPECT_EQ(eingabe.mitText, std::set<Feld>{Feld::umrechnung});
    // Taken over, the button is gone; an equal typed rate never shows it.
    EXPECT_FALSE(texte.zeigtUebernehmen(eingabe));
    EXPECT_FALSE(texte.uebernimm(eingabe));
    EXPECT_FALSE(texte.zeigtUebernehmen(Kurseingabe("USD", Dezimal(0), Dezimal::aus("1.08340"))));

    const Referenzzeilentexte ohneKurs(usd, std::nullopt, Teil::fehlt("weg"), true);
    Kurseingabe leer("USD", Dezimal(0), Dezimal(0));
    EXPECT_FALSE(ohneKurs.zeigtUebernehmen(leer));
    EXPECT_FALSE(ohneKurs.uebernimm(leer));
}

TEST(ReferenzabrufTest, vorbelegtWirdNurEinUnberuehrtesKursfeld) {
    struct Fall {
        const char* name;
        Dezimal umrechnung;
        std::set<Feld> unlesbar;
        std::set<Feld> mitText;
        bool belegt;
    };
    const std::vector<Fall> faelle = {
        {"leer", Dezimal(0), {}, {}, true},
        {"nur der Preis unlesbar", Dezimal(0), {Feld::kurs}, {Feld::kurs}, true},
        {"getippter Kurs", Dezimal::aus("1.1"), {}, {Feld::umrechnung}, false},
        {"unlesbarer Text", Dezimal(0), {Feld::umrechnung}, {Feld::umrechnung}, false},
        {"getippte 0", Dezimal(0), {}, {Feld::umrechnung}, false},
    };
    for (const Fall& fall : faelle) {
        SCOPED_TRACE(fall.name);
        Kurseingabe eingabe("USD", Dezimal(150), fall.umrechnung);
        eingabe.unlesbar = fall.unlesbar;
        eingabe.mitText = fall.mitText;
        const Kurseingabe vorher = eingabe;
        EXPECT_EQ(Referenzabruf::vorbelegen(eingabe, Dezimal::aus("1.0834")), fall.belegt);
        EXPECT_EQ(eingabe.umrechnung, fall.belegt ? Dezimal::aus("1.0834") : fall.umrechnung);
        EXPECT_EQ(eingabe.ezbVorbelegung, fall.belegt ? std::optional(Dezimal::aus("1.0834")) : std::nullopt);
        EXPECT_EQ(eingabe.unlesbar, vorher.unlesbar);
        EXPECT_EQ(eingabe.mitText, vorher.mitText);
    }
}

using qbtest::dienstFuer;

TEST(ReferenzabrufTest, holtDenKursOderDenGrundOhneZuWerfen) {
    qbtest::Testserver server;
    server.beantworte("/v2/rate/EUR/USD",
                      Antwort::json(R"({"date":"2024-05-17","base":"EUR","quote":"USD","rate":1.0834})"));
    server.beantworte("/v2/rate/EUR/GBP", Antwort::nachStatus(500));
    server.beantworte("/v2/rate/EUR/CHF", Antwort::json(R"({"date":"2024-05-17","base":"EUR","quote":"CHF"})"));
    const Kursdienst dienst = dienstFuer(server);
    const Zeitpunkt am = tag(2024, 5, 17);

    EXPECT_EQ(Referenzabruf::hole(dienst, {usd, am, 0}, {}),
              Teil::vorhanden(Umrechnung{Dezimal(1), "USD", Dezimal::aus("1.0834")}));
    EXPECT_EQ(server.anfragen("/v2/rate/EUR/USD").at(0).ziel, "/v2/rate/EUR/USD?providers=ECB&date=2024-05-17");
    // A missing ECB conversion gives its reason alone: the line names the ECB rate already.
    EXPECT_EQ(Referenzabruf::hole(dienst, {*Waehrungscode::aus("GBP"), std::nullopt, 0}, {}),
              Teil::fehlt("Die Quelle meldete einen Fehler (HTTP 500). Später erneut versuchen."));
    EXPECT_EQ(Referenzabruf::hole(dienst, {*Waehrungscode::aus("CHF"), std::nullopt, 0}, {}),
              Teil::fehlt("Zu CHF lag kein verwertbarer Kurs vor."));

    std::stop_source gestoppt;
    gestoppt.request_stop();
    EXPECT_EQ(Referenzabruf::hole(dienst, {usd, std::nullopt, 0}, gestoppt.get_token()), std::nullopt);
}

} // namespace
