// The draft of the position editor: how it is built, its linked quantity and amount, what it
// writes and which source label it stores. No store and no widget is needed here.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/Textbruecke.h"
#include "model/Position.h"
#include "positions/PositionBearbeiten.h"
#include "sources/Kursdienst.h"
#include "valuation/Testspiel.h"

using namespace qb;
using testspiel::d;
using Entwurf = PositionBearbeiten::Entwurf;

namespace {

const std::string isinSap = "DE0007164600";
const std::string isinSiemens = "DE0007236101";
const std::string mengenText = "Die Menge muss über 0 und höchstens 1.000.000.000 sein.";

std::string text(const std::optional<QString>& wert) {
    return wert ? utf8(*wert) : "—";
}

Kursdienst dienst() {
    return Kursdienst::standard(Kursdienst::Adressen{});
}

// A stored position outside any store.
std::shared_ptr<Position> gespeichert(Assetklasse klasse, const std::string& kennung, std::int64_t stueck,
                                      const Preisangabe& preis, const std::string& quelle) {
    auto position = std::make_shared<Position>(klasse);
    position->setzeName("Papier");
    position->setzeKennung(kennung);
    position->setzeStueckzahl(stueck);
    position->setzeKaufkurs(preis);
    position->setzeQuelle(quelle);
    return position;
}

// A currency position "USD" at the typed rate.
Entwurf dollar(const char* kurs) {
    Entwurf entwurf(nullptr, Assetklasse::waehrung);
    entwurf.name = "Dollar";
    entwurf.kennung = "USD";
    entwurf.eingabe.umrechnung = d(kurs);
    return entwurf;
}

} // namespace

TEST(EntwurfTest, einNeuerEntwurfFolgtSeinerKlasse) {
    struct Fall {
        Assetklasse klasse;
        Notierungsart notierung;
    };
    for (const Fall& fall : {Fall{Assetklasse::aktie, Notierungsart::stueckpreis},
                             Fall{Assetklasse::anleihe, Notierungsart::prozentVomNennwert},
                             Fall{Assetklasse::waehrung, Notierungsart::stueckpreis}}) {
        const Entwurf entwurf(nullptr, fall.klasse);
        SCOPED_TRACE(std::string(bezeichnung(fall.klasse)));
        EXPECT_EQ(entwurf.notierung, fall.notierung);
        EXPECT_EQ(entwurf.nennwert, Dezimal(100));
        EXPECT_EQ(entwurf.eingabe, Kurseingabe("EUR", Dezimal(0), Dezimal(0)));
        EXPECT_EQ(entwurf.form(), Eingabeform::euro());
        EXPECT_EQ(entwurf.kursWaehrung, std::nullopt);
        EXPECT_EQ(entwurf.menge(), Dezimal(0));
        EXPECT_FALSE(entwurf.istSpeicherbar());
        EXPECT_FALSE(entwurf.kaufkursGeaendert());
    }
}

TEST(EntwurfTest, dieGespeicherteWaehrungWirdAlsCodeGelesen) {
    struct Fall {
        const char* waehrung;
        Eingabeform form;
    };
    const std::vector<Fall> faelle{
        {"usd ", Eingabeform::fremdwaehrung(*Waehrungscode::aus("USD"))},
        {"EURO", Eingabeform::euro()},
        {"GBP", Eingabeform::fremdwaehrung(*Waehrungscode::aus("GBP"))},
    };
    for (const Fall& fall : faelle) {
        auto position = gespeichert(Assetklasse::aktie, isinSap, 10, testspiel::eur("100"), "Bloomberg");
        position->setzeWaehrung(fall.waehrung);
        const Entwurf entwurf(position.get(), Assetklasse::aktie);
        SCOPED_TRACE(fall.waehrung);
        EXPECT_EQ(entwurf.form(), fall.form);
        EXPECT_EQ(entwurf.anfang().form, fall.form);
        EXPECT_FALSE(entwurf.kaufkursGeaendert());
    }

    // A currency bought at a rate comes back as that rate, with its currency remembered.
    auto waehrung = gespeichert(Assetklasse::waehrung, "USD", 1083, testspiel::fremd("1", "USD", "1.0834"),
                                "EZB-Referenzkurs");
    const Entwurf entwurf(waehrung.get(), Assetklasse::waehrung);
    EXPECT_EQ(entwurf.eingabe.umrechnung, d("1.0834"));
    EXPECT_EQ(entwurf.kursWaehrung, Waehrungscode::aus("USD"));
    EXPECT_EQ(entwurf.menge(), Dezimal(1083));
    EXPECT_EQ(entwurf.einsatz(), d("999.63"));
}

TEST(EntwurfTest, mengeUndBetragEinerWaehrungFolgenEinander) {
    struct Fall {
        const char* name;
        std::function<void(Entwurf&)> eingabe;
        Dezimal menge;
        Dezimal einsatz;
        Entwurf::Mengenquelle quelle;
        std::string betragshinweis;
    };
    using Q = Entwurf::Mengenquelle;
    const std::vector<Fall> faelle{
        {"Betrag 1000 zu 1,0834", [](Entwurf& e) { e.setzeEinsatz(d("1000")); }, Dezimal(1083), d("1000"), Q::betrag,
         "—"},
        {"Betrag 0,01 reicht für keine Einheit", [](Entwurf& e) { e.setzeEinsatz(d("0.01")); }, Dezimal(0), d("0.01"),
         Q::betrag, "Für diesen Betrag gibt es keine ganze Einheit."},
        {"Betrag ohne Kurs",
         [](Entwurf& e) {
             e.eingabe.umrechnung = Dezimal(0);
             e.setzeEinsatz(d("1000"));
         },
         Dezimal(0), d("1000"), Q::betrag, "Sobald der Kaufkurs steht, rechnet die App die Menge aus."},
        {"Menge nach dem Betrag",
         [](Entwurf& e) {
             e.setzeEinsatz(d("1000"));
             e.setzeMenge(Dezimal(500));
         },
         Dezimal(500), d("461.51"), Q::menge, "—"},
        {"die gezeigte Menge zurückgeschrieben",
         [](Entwurf& e) {
             e.setzeEinsatz(d("1000"));
             e.setzeMenge(e.menge());
         },
         Dezimal(1083), d("1000"), Q::betrag, "—"},
        {"der gezeigte Betrag zurückgeschrieben",
         [](Entwurf& e) {
             e.setzeMenge(Dezimal(500));
             e.setzeEinsatz(e.einsatz());
         },
         Dezimal(500), d("461.51"), Q::menge, "—"},
        {"ein Betrag ohne Fremdwährung treibt die Menge nicht",
         [](Entwurf& e) {
             e.kennung = "EUR";
             e.eingabe.kurs = Dezimal(1);
             e.setzeMenge(Dezimal(7));
             e.setzeEinsatz(d("1000"));
         },
         Dezimal(7), d("7"), Q::betrag, "—"},
    };
    for (const Fall& fall : faelle) {
        Entwurf entwurf = dollar("1.0834");
        fall.eingabe(entwurf);
        SCOPED_TRACE(fall.name);
        EXPECT_EQ(entwurf.menge(), fall.menge) << entwurf.menge().text();
        EXPECT_EQ(entwurf.einsatz(), fall.einsatz) << entwurf.einsatz().text();
        EXPECT_EQ(entwurf.mengenquelle, fall.quelle);
        EXPECT_EQ(text(entwurf.betragshinweis()), fall.betragshinweis);
    }
}

TEST(EntwurfTest, derEinsatzRechnetMitNotierungNennwertUndUmrechnung) {
    struct Fall {
        const char* name;
        Assetklasse klasse;
        Notierungsart notierung;
        const char* nennwert;
        const char* waehrung;
        const char* kurs;
        const char* umrechnung;
        Dezimal einsatz;
    };
    const std::vector<Fall> faelle{
        {"Aktie in Euro", Assetklasse::aktie, Notierungsart::stueckpreis, "100", "EUR", "150.125", "0", d("1501.25")},
        {"Anleihe in Prozent", Assetklasse::anleihe, Notierungsart::prozentVomNennwert, "1000", "EUR", "98.5", "0",
         d("9850")},
        {"Anleihe in Prozent, US-Dollar", Assetklasse::anleihe, Notierungsart::prozentVomNennwert, "1000", "USD", "98.5",
         "1.1", d("8954.55")},
        {"Aktie in US-Dollar", Assetklasse::aktie, Notierungsart::stueckpreis, "100", "USD", "150", "1.08", d("1388.89")},
        {"kein Kurs", Assetklasse::aktie, Notierungsart::stueckpreis, "100", "EUR", "0", "0", d("0")},
        {"Fremdwährung ohne Umrechnung", Assetklasse::aktie, Notierungsart::stueckpreis, "100", "USD", "150", "0",
         d("0")},
    };
    for (const Fall& fall : faelle) {
        Entwurf entwurf(nullptr, fall.klasse);
        entwurf.notierung = fall.notierung;
        entwurf.nennwert = d(fall.nennwert);
        entwurf.eingabe = Kurseingabe(fall.waehrung, d(fall.kurs), d(fall.umrechnung));
        entwurf.setzeMenge(Dezimal(10));
        SCOPED_TRACE(fall.name);
        EXPECT_EQ(entwurf.einsatz(), fall.einsatz) << entwurf.einsatz().text();
    }
}

TEST(EntwurfTest, mengeNennwertUndNameEntscheidenObSichSpeichernLaesst) {
    struct Fall {
        const char* name;
        std::function<void(Entwurf&)> aenderung;
        bool speicherbar;
        std::int64_t probestueck;
        std::string mengenhinweis;
    };
    const std::vector<Fall> faelle{
        {"vollständig", [](Entwurf&) {}, true, 10, "—"},
        {"Menge 0", [](Entwurf& e) { e.setzeMenge(Dezimal(0)); }, false, 0, "—"},
        {"Menge 0,5", [](Entwurf& e) { e.setzeMenge(d("0.5")); }, false, 0, mengenText},
        {"Menge 1", [](Entwurf& e) { e.setzeMenge(Dezimal(1)); }, true, 1, "—"},
        {"Menge −3", [](Entwurf& e) { e.setzeMenge(Dezimal(-3)); }, false, 0, mengenText},
        {"Menge 1.000.000.000", [](Entwurf& e) { e.setzeMenge(d("1000000000")); }, true, 1000000000, "—"},
        {"Menge 1.000.000.001", [](Entwurf& e) { e.setzeMenge(d("1000000001")); }, false, 0, mengenText},
        {"Name nur Leerraum", [](Entwurf& e) { e.name = " \t "; }, false, 10, "—"},
        {"kein Kurs", [](Entwurf& e) { e.eingabe.kurs = Dezimal(0); }, false, 10, "—"},
        {"Prozent vom Nennwert 0",
         [](Entwurf& e) {
             e.notierung = Notierungsart::prozentVomNennwert;
             e.nennwert = Dezimal(0);
         },
         false, 10, "—"},
        {"Prozent vom Nennwert 1.000.000.000",
         [](Entwurf& e) {
             e.notierung = Notierungsart::prozentVomNennwert;
             e.nennwert = d("1000000000");
         },
         true, 10, "—"},
        {"Prozent vom Nennwert über 1.000.000.000",
         [](Entwurf& e) {
             e.notierung = Notierungsart::prozentVomNennwert;
             e.nennwert = d("1000000000.01");
         },
         false, 10, "—"},
        {"Preis je Stück mit Nennwert 0", [](Entwurf& e) { e.nennwert = Dezimal(0); }, true, 10, "—"},
    };
    for (const Fall& fall : faelle) {
        Entwurf entwurf(nullptr, Assetklasse::aktie);
        entwurf.name = "SAP";
        entwurf.eingabe.kurs = d("150");
        entwurf.setzeMenge(Dezimal(10));
        fall.aenderung(entwurf);
        SCOPED_TRACE(fall.name);
        EXPECT_EQ(entwurf.istSpeicherbar(), fall.speicherbar);
        EXPECT_EQ(entwurf.probeposition()->stueckzahl(), fall.probestueck);
        EXPECT_EQ(text(entwurf.mengenhinweis()), fall.mengenhinweis);
    }
}

TEST(EntwurfTest, nurRohstoffeUndZertifikateBehaltenIhreEinheit) {
    struct Fall {
        Assetklasse klasse;
        const char* einheit;
        std::optional<std::string> gespeichert;
    };
    const std::vector<Fall> faelle{
        {Assetklasse::aktie, "Gramm", std::nullopt},
        {Assetklasse::rohstoff, " \tFeinunze  ", "Feinunze"},
        {Assetklasse::rohstoff, "   ", std::nullopt},
        {Assetklasse::co2Zertifikat, "Tonnen", "Tonnen"},
    };
    for (const Fall& fall : faelle) {
        Entwurf entwurf(nullptr, fall.klasse);
        entwurf.einheit = fall.einheit;
        SCOPED_TRACE(fall.einheit);
        EXPECT_EQ(entwurf.einheitZumSpeichern(), fall.gespeichert);
        EXPECT_EQ(entwurf.probeposition()->einheit(), fall.gespeichert);
    }
}

TEST(EntwurfTest, dieQuelleFolgtDerHerkunftDesKaufkurses) {
    const Kursnotierung abruf{d("151"), "EUR", Kursart::letzterHandel, std::nullopt, std::nullopt, {}, "Börse Frankfurt",
                              std::nullopt, std::nullopt};
    struct Fall {
        const char* name;
        std::shared_ptr<Position> position;
        std::function<void(Entwurf&)> aenderung;
        std::string quelle;
    };
    const auto aktie = [&](const char* quelle) {
        return gespeichert(Assetklasse::aktie, isinSap, 10, testspiel::eur("150"), quelle);
    };
    const auto euroWaehrung = gespeichert(Assetklasse::waehrung, "EUR", 10, testspiel::eur("1"), "EZB-Referenzkurs");
    const std::vector<Fall> faelle{
        {"unverändert", aktie("Börse Frankfurt"), [](Entwurf&) {}, "Börse Frankfurt"},
        {"nur der Name", aktie("Börse Frankfurt"), [](Entwurf& e) { e.name = "SAP SE"; }, "Börse Frankfurt"},
        {"abgerufen und so gelassen", aktie("Bloomberg"), [&](Entwurf& e) { e.uebernimmKurs(abruf); },
         "Börse Frankfurt"},
        {"abgerufen, dann von Hand geändert", aktie("Bloomberg"),
         [&](Entwurf& e) {
             e.uebernimmKurs(abruf);
             e.eingabe.kurs = d("152");
         },
         "Bloomberg"},
        {"von Hand geändert, dann zurück auf den Abruf", aktie("Bloomberg"),
         [&](Entwurf& e) {
             e.uebernimmKurs(abruf);
             e.eingabe.kurs = d("152");
             e.eingabe.kurs = d("151.00");
         },
         "Börse Frankfurt"},
        // Only the identifier changes: the label stays while the same source serves the new
        // identifier, and a hand-typed price stays typed by hand.
        {"eine andere gültige ISIN", aktie("Börse Frankfurt"), [](Entwurf& e) { e.kennung = isinSiemens; },
         "Börse Frankfurt"},
        {"nur Schreibweise und Leerraum", aktie("Börse Frankfurt"), [](Entwurf& e) { e.kennung = " de0007164600\t"; },
         "Börse Frankfurt"},
        {"eine Kennung, die keine Quelle kennt", aktie("Börse Frankfurt"), [](Entwurf& e) { e.kennung = "Gold"; },
         "Bloomberg"},
        {"eine Kennung ohne Kurse zum Abrufen", aktie("Börse Frankfurt"),
         [](Entwurf& e) { e.kennung = "XC0009655157"; }, "Bloomberg"},
        {"von Hand bleibt von Hand", aktie("Bloomberg"), [](Entwurf& e) { e.kennung = isinSiemens; }, "Bloomberg"},
        // Labels as a fetch really writes them, with the market.
        {"Börsenplatz, andere gültige ISIN", aktie("Börse Frankfurt (XETR)"), [](Entwurf& e) { e.kennung = isinSiemens; },
         "Börse Frankfurt (XETR)"},
        {"Börsenplatz, Kennung ohne Quelle", aktie("Börse Frankfurt (XFRA, Kurshistorie)"),
         [](Entwurf& e) { e.kennung = "Gold"; }, "Bloomberg"},
        {"Börsenplatz, Kennung ohne Kurse zum Abrufen", aktie("Börse Frankfurt (XETR)"),
         [](Entwurf& e) { e.kennung = "XC0009655157"; }, "Bloomberg"},
        {"ein Name, der nur so anfängt, bleibt", aktie("Börse Frankfurter Allgemeine"), [](Entwurf& e) { e.kennung = "Gold"; },
         "Börse Frankfurter Allgemeine"},
        {"Währung in Euro mit freiem Text", euroWaehrung, [](Entwurf& e) { e.kennung = "Euro"; }, "Bloomberg"},
        // The same typed rate for another currency is another buy price.
        {"derselbe Kurs für eine andere Währung",
         gespeichert(Assetklasse::waehrung, "USD", 1083, testspiel::fremd("1", "USD", "1.0834"), "EZB-Referenzkurs"),
         [](Entwurf& e) { e.kennung = "GBP"; }, "Bloomberg"},
    };
    for (const Fall& fall : faelle) {
        Entwurf entwurf(fall.position.get(), fall.position->assetklasse());
        fall.aenderung(entwurf);
        SCOPED_TRACE(fall.name);
        EXPECT_EQ(entwurf.quelleZumSpeichern(*fall.position, dienst()), fall.quelle);
    }
}

TEST(EntwurfTest, einUebernommenerEzbKursZaehltAlsEzbQuelle) {
    auto position = gespeichert(Assetklasse::waehrung, "USD", 1000, testspiel::fremd("1", "USD", "1.05"), "Bloomberg");
    Entwurf entwurf(position.get(), Assetklasse::waehrung);
    entwurf.eingabe.ezbVorbelegung = d("1.0834");
    entwurf.eingabe.umrechnung = d("1.0834");
    EXPECT_EQ(entwurf.quelleZumSpeichern(*position, dienst()), "EZB-Referenzkurs");
    entwurf.eingabe.umrechnung = d("1.0835");
    EXPECT_EQ(entwurf.quelleZumSpeichern(*position, dienst()), "Bloomberg");
}

TEST(EntwurfTest, einAbrufUebernimmtKursUndNotierung) {
    Entwurf entwurf(nullptr, Assetklasse::anleihe);
    entwurf.kennung = "DE0001102614";
    Kursnotierung ohneNotierung{d("150"), "EUR", Kursart::letzterHandel, std::nullopt, std::nullopt, {},
                                "Börse Frankfurt", std::nullopt, Umrechnung{d("162"), "USD", d("1.08")}};
    entwurf.uebernimmKurs(ohneNotierung);
    EXPECT_EQ(entwurf.notierung, Notierungsart::prozentVomNennwert);
    EXPECT_EQ(entwurf.eingabe, Kurseingabe("USD", d("162"), d("1.08")));
    EXPECT_EQ(entwurf.abgerufen,
              (Entwurf::Abruf{entwurf.eingabe, Eingabeform::fremdwaehrung(*Waehrungscode::aus("USD")), "Börse Frankfurt"}));

    Kursnotierung mitNotierung = ohneNotierung;
    mitNotierung.notierungsart = Notierungsart::stueckpreis;
    mitNotierung.umrechnung.reset();
    entwurf.uebernimmKurs(mitNotierung);
    EXPECT_EQ(entwurf.notierung, Notierungsart::stueckpreis);
    EXPECT_EQ(entwurf.eingabe, Kurseingabe("EUR", d("150"), d("1.08")));
    EXPECT_EQ(entwurf.form(), Eingabeform::euro());
}

TEST(EntwurfTest, derUmrechnungskursGiltNurFuerSeineWaehrung) {
    struct Schritt {
        const char* kennung;
        const char* umrechnung;
        bool mitEzb;
        const char* kursWaehrung;
    };
    // One typing session; each step edits the identifier and checks what stays.
    const std::vector<Schritt> schritte{
        {"usd", "1.0834", true, "USD"}, {"", "1.0834", true, "USD"},  {"USD", "1.0834", true, "USD"},
        {"GBP", "0", false, "GBP"},     {"Euro", "0", false, "GBP"},
    };
    Entwurf entwurf = dollar("1.0834");
    entwurf.eingabe.ezbVorbelegung = d("1.0834");
    entwurf.eingabe.mitText = {Kurseingabe::Feld::umrechnung};
    entwurf.kursWaehrung = Waehrungscode::aus("USD");
    for (const Schritt& schritt : schritte) {
        const std::string alt = entwurf.kennung;
        entwurf.kennung = schritt.kennung;
        entwurf.kursWaehrungAbgleichen(alt);
        SCOPED_TRACE(schritt.kennung);
        EXPECT_EQ(entwurf.eingabe.umrechnung, d(schritt.umrechnung));
        EXPECT_EQ(entwurf.eingabe.ezbVorbelegung.has_value(), schritt.mitEzb);
        EXPECT_EQ(entwurf.kursWaehrung, Waehrungscode::aus(schritt.kursWaehrung));
    }
    EXPECT_TRUE(entwurf.eingabe.mitText.empty());

    // Without a remembered currency the previous identifier names it.
    Entwurf ohne = dollar("1.0834");
    ohne.kennung = "GBP";
    ohne.kursWaehrungAbgleichen("USD");
    EXPECT_EQ(ohne.eingabe.umrechnung, Dezimal(0));
    Entwurf ohneKennung(nullptr, Assetklasse::waehrung);
    ohneKennung.eingabe.umrechnung = d("1.2");
    ohneKennung.kennung = "USD";
    ohneKennung.kursWaehrungAbgleichen("");
    EXPECT_EQ(ohneKennung.eingabe.umrechnung, Dezimal(0));
    EXPECT_EQ(ohneKennung.kursWaehrung, Waehrungscode::aus("USD"));
    Entwurf gleich = dollar("1.0834");
    gleich.kennung = "usd ";
    gleich.kursWaehrungAbgleichen("USD");
    EXPECT_EQ(gleich.eingabe.umrechnung, d("1.0834"));
}

TEST(EntwurfTest, dieKaufzusammenfassungNenntDenRestInDerKasse) {
    Entwurf entwurf = dollar("1.0834");
    EXPECT_EQ(text(entwurf.kaufzusammenfassung()), "—");
    entwurf.setzeEinsatz(d("1000"));
    EXPECT_EQ(text(entwurf.kaufzusammenfassung()),
              "Gekauft: 1.083\u00a0USD für 999,63\u00a0€ (1\u00a0€\u00a0=\u00a01,0834\u00a0USD). Die restlichen "
              "0,37\u00a0€ bleiben in der Kasse.");
    entwurf.setzeMenge(Dezimal(500));
    EXPECT_EQ(text(entwurf.kaufzusammenfassung()),
              "Gekauft: 500\u00a0USD für 461,51\u00a0€ (1\u00a0€\u00a0=\u00a01,0834\u00a0USD)");
}
