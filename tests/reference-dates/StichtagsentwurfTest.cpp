#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "reference-dates/Stichtagsentwurf.h"
#include "valuation/Testspiel.h"
#include "valuation/Vergleichshilfen.h"

using namespace qb;
using namespace testspiel;

namespace {

using Feld = Kurseingabe::Feld;
using Auftrag = Stichtagsentwurf::Vergleichsauftrag;
using Referenz = Kurspruefung::Referenz;
using KursTeil = Kurspruefung::Teil<Kursnotierung>;
using RateTeil = Kurspruefung::Teil<Umrechnung>;
using Wert = Bewertungserfassung::Stichtagskurs::Wert;

// A game with a share, a bond, a currency and a commodity, all complete.
struct Spiel {
    std::shared_ptr<Portfolio> portfolio = spiel();
    std::shared_ptr<Position> aktie = kaufe(portfolio, Assetklasse::aktie, "Siemens", 10, eur("150"));
    std::shared_ptr<Position> anleihe = kaufe(portfolio, Assetklasse::anleihe, "Bund", 5, eur("98"));
    std::shared_ptr<Position> waehrung = kaufe(portfolio, Assetklasse::waehrung, "Dollar", 1000, eur("0.9"));
    std::shared_ptr<Position> rohstoff = kaufe(portfolio, Assetklasse::rohstoff, "Gold", 2, eur("2000"));

    Spiel() {
        aktie->setzeKennung("DE0007236101");
        anleihe->setzeKennung("DE0001102580");
        waehrung->setzeKennung("usd");
        rohstoff->setzeKennung("XC0009655157");
    }
    Stichtagsentwurf entwurf(std::optional<Zeitpunkt> abruftag = std::nullopt) const {
        return Stichtagsentwurf(*portfolio, abruftag);
    }
};

TEST(StichtagsentwurfTest, zeilenNurFuerVollstaendigePositionenInKlassenfolge) {
    Spiel s;
    s.anleihe->setzeStueckzahl(0);
    kaufe(s.portfolio, Assetklasse::co2Zertifikat, "", 3, eur("70"));
    s.aktie->setzeWaehrung("USD");
    Stichtagsentwurf e = s.entwurf();
    std::vector<Assetklasse> klassen;
    for (const auto& z : e.zeilen()) {
        klassen.push_back(z.klasse);
    }
    EXPECT_EQ(klassen, (std::vector<Assetklasse>{Assetklasse::aktie, Assetklasse::waehrung, Assetklasse::rohstoff}));
    EXPECT_EQ(e.zeilen()[0].eingabe, Kurseingabe("USD", d("0"), d("0")));
    EXPECT_EQ(e.ohneKurs(), klassen);
    EXPECT_FALSE(e.hatEingaben());

    Stichtagsentwurf leer(*spiel(), tag(2024, 3, 11));
    EXPECT_TRUE(leer.zeilen().empty());
    EXPECT_FALSE(leer.hatEingaben());
    EXPECT_TRUE(leer.stichtagskurse().empty());
}

TEST(StichtagsentwurfTest, zeilenzustaendeUndPreise) {
    struct Fall {
        const char* name;
        Assetklasse klasse;
        Kurseingabe eingabe;
        std::set<Feld> unlesbar;
        bool leer;
        std::optional<Preisangabe> preis;  // the stored value; absent and not empty: listed to check
    };
    const std::vector<Fall> faelle{
        {"Währungskurs ohne Umrechnung ist leer", Assetklasse::waehrung, {"EUR", d("5"), d("0")}, {}, true, {}},
        {"Währungskurs in Großbuchstaben", Assetklasse::waehrung, {"EUR", d("0"), d("1.08")}, {}, false,
         fremd("1", "USD", "1.08")},
        {"unlesbarer Währungskurs", Assetklasse::waehrung, {"EUR", d("0"), d("0")}, {Feld::umrechnung}, false, {}},
        {"Fremdwährung mit unlesbarer Umrechnung", Assetklasse::aktie, {"USD", d("0"), d("0")}, {Feld::umrechnung},
         false, {}},
        {"Euro mit altem unlesbarem Kurs", Assetklasse::aktie, {"EUR", d("0"), d("0")}, {Feld::umrechnung}, true, {}},
        {"Euro mit unlesbarem Kurs", Assetklasse::aktie, {"EUR", d("0"), d("0")}, {Feld::kurs}, false, {}},
        {"Fremdwährung mit unlesbarem Kurs", Assetklasse::aktie, {"USD", d("0"), d("1.5")}, {Feld::kurs}, false, {}},
        {"Euro", Assetklasse::aktie, {" eur", d("12.5"), d("0")}, {}, false, eur("12.5")},
        {"Fremdwährung", Assetklasse::aktie, {"usd ", d("150"), d("1.5")}, {}, false, fremd("150", "USD", "1.5")},
        {"über einer Milliarde", Assetklasse::aktie, {"EUR", d("1000000001"), d("0")}, {}, false, {}},
        {"Fremdwährung ohne Umrechnung", Assetklasse::aktie, {"USD", d("150"), d("0")}, {}, false, {}},
    };
    for (const Fall& f : faelle) {
        SCOPED_TRACE(f.name);
        Spiel s;
        Stichtagsentwurf e = s.entwurf();
        Kurseingabe eingabe = f.eingabe;
        eingabe.unlesbar = f.unlesbar;
        e.setzeEingabe(f.klasse, eingabe);
        const auto& z = *e.zeile(f.klasse);
        EXPECT_EQ(z.istLeer(), f.leer);
        const auto kurse = e.stichtagskurse();
        if (f.preis) {
            ASSERT_TRUE(kurse.contains(f.klasse));
            EXPECT_EQ(kurse.at(f.klasse), (Bewertungserfassung::Stichtagskurs{z.kennung, Wert::eingetippt(*f.preis)}));
        } else {
            EXPECT_FALSE(kurse.contains(f.klasse));
        }
        const bool zuPruefen = !f.leer && !f.preis;
        EXPECT_EQ(e.pruefeEingaben(), zuPruefen ? std::vector<Assetklasse>{f.klasse} : std::vector<Assetklasse>{});
        EXPECT_EQ(e.hatEingaben(), !f.leer);
        EXPECT_EQ(e.ohneKurs().size(), f.leer ? 4U : 3U);
    }
}

TEST(StichtagsentwurfTest, vergleichsauftraegeUndSchluessel) {
    Spiel s;
    s.aktie->setzeWaehrung(" usd ");
    s.rohstoff->setzeWaehrung("EUR");
    s.anleihe->setzeWaehrung("Dollar");
    Stichtagsentwurf e = s.entwurf();
    EXPECT_EQ(e.zeile(Assetklasse::aktie)->vergleichsauftrag(), (Auftrag{Assetklasse::aktie, "DE0007236101", "USD"}));
    EXPECT_EQ(e.zeile(Assetklasse::anleihe)->vergleichsauftrag(),
              (Auftrag{Assetklasse::anleihe, "DE0001102580", std::nullopt}));
    // The currency row names its code in the identifier and never asks for a rate part.
    EXPECT_EQ(e.zeile(Assetklasse::waehrung)->vergleichsauftrag(), (Auftrag{Assetklasse::waehrung, "usd", std::nullopt}));
    EXPECT_EQ(e.offeneAuftraege().size(), 4U);

    const auto vorher = e.abrufschluessel();
    Kurseingabe gbp = e.zeile(Assetklasse::aktie)->eingabe;
    gbp.bereinigeUmrechnung("GBP");
    e.setzeEingabe(Assetklasse::aktie, gbp);
    const auto nachher = e.abrufschluessel();
    EXPECT_NE(vorher, nachher);
    EXPECT_TRUE(nachher.auftraege.contains(Auftrag{Assetklasse::aktie, "DE0007236101", "GBP"}));
    EXPECT_FALSE(nachher.auftraege.contains(Auftrag{Assetklasse::aktie, "DE0007236101", "USD"}));

    // Equal keys hash alike whatever order their requests were added in; the retry counts.
    Stichtagsentwurf::Abrufschluessel umgekehrt{{}, nachher.versuch};
    for (auto it = nachher.auftraege.rbegin(); it != nachher.auftraege.rend(); ++it) {
        umgekehrt.auftraege.insert(*it);
    }
    EXPECT_EQ(umgekehrt, nachher);
    std::unordered_set<Stichtagsentwurf::Abrufschluessel> schluessel{nachher, umgekehrt};
    EXPECT_EQ(schluessel.size(), 1U);
    EXPECT_EQ(std::hash<Stichtagsentwurf::Abrufschluessel>{}(umgekehrt),
              std::hash<Stichtagsentwurf::Abrufschluessel>{}(nachher));
    umgekehrt.versuch = 1;
    EXPECT_NE(umgekehrt, nachher);
    std::unordered_set<Auftrag> auftraege{Auftrag{Assetklasse::aktie, "X", std::nullopt},
                                          Auftrag{Assetklasse::aktie, "X", "USD"},
                                          Auftrag{Assetklasse::aktie, "X", std::nullopt}};
    EXPECT_EQ(auftraege.size(), 2U);
}

TEST(StichtagsentwurfTest, uebernahmeNurFuerEinenVergangenenTagUndGleicheNotierung) {
    struct Fall {
        const char* name;
        bool nachtrag;
        KursTeil kurs;
        Notierungsart zeile;
        const char* nennwert;
        bool kann;
    };
    const Notierungsart stueck = Notierungsart::stueckpreis;
    const Notierungsart prozent = Notierungsart::prozentVomNennwert;
    const std::vector<Fall> faelle{
        {"vergangener Tag", true, KursTeil::vorhanden(quote("99.5", prozent)), prozent, "1000", true},
        {"heute nie", false, KursTeil::vorhanden(quote("99.5", prozent)), prozent, "1000", false},
        {"fehlender Kurs", true, KursTeil::fehlt("weg"), prozent, "1000", false},
        {"entfallener Kurs", true, KursTeil::entfaellt(), prozent, "1000", false},
        {"Quelle ohne Notierungsart", true, KursTeil::vorhanden(quote("99.5")), stueck, "1000", true},
        {"andere Notierung, Nennwert 1000", true, KursTeil::vorhanden(quote("99.5", prozent)), stueck, "1000", false},
        {"andere Notierung, Nennwert 100", true, KursTeil::vorhanden(quote("99.5", stueck)), prozent, "100", true},
    };
    for (const Fall& f : faelle) {
        SCOPED_TRACE(f.name);
        Spiel s;
        s.anleihe->setzeNotierung(f.zeile);
        s.anleihe->setzeNennwert(d(f.nennwert));
        Stichtagsentwurf e = s.entwurf(f.nachtrag ? std::optional(tag(2024, 3, 11)) : std::nullopt);
        e.setzeEingabe(Assetklasse::anleihe, Kurseingabe("EUR", d("98"), d("0")));
        e.speichereVergleich(e.zeile(Assetklasse::anleihe)->vergleichsauftrag(), antwort(f.kurs));
        EXPECT_EQ(e.kannUebernehmen(*e.zeile(Assetklasse::anleihe)), f.kann);

        e.vergleichskursUebernehmen(Assetklasse::anleihe);
        const auto& z = *e.zeile(Assetklasse::anleihe);
        EXPECT_EQ(z.uebernommen, f.kann);
        EXPECT_FALSE(e.kannUebernehmen(z));
        const Wert erwartet = f.kann ? Wert::uebernommen(*f.kurs.wert()) : Wert::eingetippt(eur("98"));
        EXPECT_EQ(e.stichtagskurse().at(Assetklasse::anleihe).wert, erwartet);

        // The typed price is still there underneath.
        e.selbstEintragen(Assetklasse::anleihe);
        EXPECT_EQ(e.stichtagskurse().at(Assetklasse::anleihe).wert, Wert::eingetippt(eur("98")));
    }
}

TEST(StichtagsentwurfTest, andereNotierungZeigtDieAbweichungDerRueckfrage) {
    Spiel s;
    s.anleihe->setzeNotierung(Notierungsart::stueckpreis);
    s.anleihe->setzeNennwert(d("1000"));
    Stichtagsentwurf e = s.entwurf(tag(2024, 3, 11));
    const Kursnotierung kurs = quote("99.5", Notierungsart::prozentVomNennwert);
    const Referenz referenz = antwort(KursTeil::vorhanden(kurs));
    e.speichereVergleich(e.zeile(Assetklasse::anleihe)->vergleichsauftrag(), referenz);

    // Before anything is typed the line already names the mismatch.
    auto ohneEingabe = e.notierungsabweichung(*e.zeile(Assetklasse::anleihe));
    ASSERT_TRUE(ohneEingabe);
    EXPECT_EQ(ohneEingabe->meldung(Assetklasse::anleihe, Notierungsart::stueckpreis, e.abruftag()),
              "Die Quelle notiert dieses Papier als Prozent vom Nennwert, eingetragen ist Preis je Stück. Bei einem "
              "Nennwert von 1.000 stimmen Einsatz und Stichtagswerte dann nicht.");

    // With a typed price it is the very deviation the check before saving finds.
    e.setzeEingabe(Assetklasse::anleihe, Kurseingabe("EUR", d("995"), d("0")));
    const auto& z = *e.zeile(Assetklasse::anleihe);
    const auto gefunden = Kurspruefung::pruefe(eur("995"), referenz, Assetklasse::anleihe, z.notierung, z.nennwert);
    ASSERT_EQ(gefunden.size(), 1U);
    EXPECT_EQ(e.notierungsabweichung(z), gefunden[0]);

    // The same quote counted the row's way gives nothing to show.
    s.anleihe->setzeNennwert(d("100"));
    Stichtagsentwurf hundert = s.entwurf(tag(2024, 3, 11));
    hundert.speichereVergleich(hundert.zeile(Assetklasse::anleihe)->vergleichsauftrag(), referenz);
    EXPECT_EQ(hundert.notierungsabweichung(*hundert.zeile(Assetklasse::anleihe)), std::nullopt);
}

TEST(StichtagsentwurfTest, fehlschlagUndErneutHolen) {
    struct Fall {
        const char* name;
        Referenz antwort;
        std::optional<Stichtagsentwurf::Fehlschlag> fehlschlag;
    };
    const std::vector<Fall> faelle{
        {"beides da", antwort(KursTeil::vorhanden(quote("100")), ezb("1.1")), std::nullopt},
        {"beides fehlt", antwort(KursTeil::fehlt("a"), RateTeil::fehlt("b")), Stichtagsentwurf::Fehlschlag::kurs},
        {"nur der EZB-Kurs fehlt", antwort(KursTeil::vorhanden(quote("100")), RateTeil::fehlt("b")),
         Stichtagsentwurf::Fehlschlag::wechselkurs},
        {"entfallen", antwort(KursTeil::entfaellt()), std::nullopt},
    };
    for (const Fall& f : faelle) {
        SCOPED_TRACE(f.name);
        Spiel s;
        s.aktie->setzeWaehrung("USD");
        Stichtagsentwurf e = s.entwurf(tag(2024, 3, 11));
        const Auftrag auftrag = e.zeile(Assetklasse::aktie)->vergleichsauftrag();
        e.speichereVergleich(auftrag, f.antwort);
        e.vergleichskursUebernehmen(Assetklasse::aktie);
        EXPECT_EQ(e.fehlschlag(*e.zeile(Assetklasse::aktie)), f.fehlschlag);
        EXPECT_EQ(e.offeneAuftraege().size(), 3U);

        e.vergleichErneutHolen(Assetklasse::aktie);
        EXPECT_EQ(e.versuch(), f.fehlschlag ? 1 : 0);
        EXPECT_EQ(e.vergleiche().contains(auftrag), !f.fehlschlag);
        EXPECT_EQ(e.offeneAuftraege().size(), f.fehlschlag ? 4U : 3U);
    }

    // A taken-over row whose answer is fetched again has no price until the new one arrives.
    Spiel s;
    s.aktie->setzeWaehrung("USD");
    Stichtagsentwurf e = s.entwurf(tag(2024, 3, 11));
    const Auftrag auftrag = e.zeile(Assetklasse::aktie)->vergleichsauftrag();
    e.speichereVergleich(auftrag, antwort(KursTeil::vorhanden(quote("100")), RateTeil::fehlt("b")));
    e.vergleichskursUebernehmen(Assetklasse::aktie);
    e.vergleichErneutHolen(Assetklasse::aktie);
    EXPECT_EQ(e.pruefeEingaben(), std::vector<Assetklasse>{Assetklasse::aktie});
    EXPECT_FALSE(e.stichtagskurse().contains(Assetklasse::aktie));
    e.speichereVergleich(auftrag, antwort(KursTeil::vorhanden(quote("101")), ezb("1.1")));
    EXPECT_EQ(e.stichtagskurse().at(Assetklasse::aktie).wert, Wert::uebernommen(quote("101")));
}

TEST(StichtagsentwurfTest, wechselkursteilUndEzbVorbelegung) {
    Spiel s;
    s.aktie->setzeWaehrung("USD");
    s.anleihe->setzeWaehrung("USD");
    s.rohstoff->setzeWaehrung("USD");
    Stichtagsentwurf e = s.entwurf();
    Kurseingabe getippt("USD", d("150"), d("1.2"));
    Kurseingabe mitText("USD", d("150"), d("0"));
    mitText.mitText = {Feld::umrechnung};
    e.setzeEingabe(Assetklasse::anleihe, getippt);
    e.setzeEingabe(Assetklasse::rohstoff, mitText);

    EXPECT_EQ(e.wechselkursTeil(*e.zeile(Assetklasse::waehrung)), RateTeil::entfaellt());
    EXPECT_EQ(e.wechselkursTeil(*e.zeile(Assetklasse::aktie)), std::nullopt);

    for (Assetklasse klasse : {Assetklasse::aktie, Assetklasse::anleihe, Assetklasse::rohstoff}) {
        e.speichereVergleich(e.zeile(klasse)->vergleichsauftrag(), antwort(KursTeil::entfaellt(), ezb("1.0834")));
    }
    EXPECT_EQ(e.wechselkursTeil(*e.zeile(Assetklasse::aktie)), ezb("1.0834"));
    EXPECT_EQ(e.zeile(Assetklasse::aktie)->eingabe.umrechnung, d("1.0834"));
    EXPECT_EQ(e.zeile(Assetklasse::aktie)->eingabe.ezbVorbelegung, d("1.0834"));
    // A typed rate and text in the field stay, even when that text reads as 0.
    EXPECT_EQ(e.zeile(Assetklasse::anleihe)->eingabe.umrechnung, d("1.2"));
    EXPECT_EQ(e.zeile(Assetklasse::rohstoff)->eingabe.umrechnung, d("0"));
    EXPECT_EQ(e.zeile(Assetklasse::rohstoff)->eingabe.ezbVorbelegung, std::nullopt);

    // Back to a currency whose rate is stored, an untouched field takes it again.
    Kurseingabe zurueck = e.zeile(Assetklasse::aktie)->eingabe;
    zurueck.bereinigeUmrechnung("GBP");
    zurueck.bereinigeUmrechnung("USD");
    e.setzeEingabe(Assetklasse::aktie, zurueck);
    EXPECT_EQ(e.zeile(Assetklasse::aktie)->eingabe.umrechnung, d("0"));
    e.ezbUmrechnungVorbelegen();
    EXPECT_EQ(e.zeile(Assetklasse::aktie)->eingabe.umrechnung, d("1.0834"));
}

TEST(StichtagsentwurfTest, korrekturEinesPreises) {
    struct Fall {
        const char* name;
        Preisangabe gespeichert;
        Preisherkunft herkunft;
        const char* notizKennung;
        Kurseingabe erwartet;
    };
    const std::vector<Fall> faelle{
        {"getippter Euro-Preis", eur("151.5"), Preisherkunft::manuell, "DE0007236101", {"EUR", d("151.5"), d("0")}},
        {"getippter Fremdpreis", fremd("160", "USD", "1.1"), Preisherkunft::manuell, "DE0007236101",
         {"USD", d("160"), d("1.1")}},
        {"abgerufener Preis", eur("151.5"), Preisherkunft::automatisch, "DE0007236101", {"GBP", d("0"), d("0")}},
        {"unter früherer Kennung getippt", eur("151.5"), Preisherkunft::manuell, "DE0007236100",
         {"GBP", d("0"), d("0")}},
    };
    for (const Fall& f : faelle) {
        SCOPED_TRACE(f.name);
        Spiel s;
        s.aktie->setzeWaehrung("GBP");
        auto bewertung = stichtag(s.portfolio, tag(2024, 3, 11));
        notiere(bewertung, s.aktie, f.gespeichert);
        auto notiz = bewertung->notiz(*s.aktie);
        notiz->setzeHerkunft(f.herkunft);
        notiz->setzeKennung(f.notizKennung);
        Stichtagsentwurf e(*s.aktie, *bewertung, tag(2024, 3, 12, 9));
        ASSERT_EQ(e.zeilen().size(), 1U);
        EXPECT_EQ(e.zeilen()[0].eingabe, f.erwartet);
        EXPECT_EQ(e.abruftag(), tag(2024, 3, 11));
    }

    // A reference date of today asks for current quotes; the row exists even for an incomplete
    // position.
    Spiel s;
    s.aktie->setzeStueckzahl(0);
    auto heute = stichtag(s.portfolio, tag(2024, 3, 12, 0));
    Stichtagsentwurf e(*s.aktie, *heute, tag(2024, 3, 12, 23));
    EXPECT_EQ(e.zeilen().size(), 1U);
    EXPECT_EQ(e.abruftag(), std::nullopt);
}

} // namespace
