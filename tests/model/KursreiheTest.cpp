#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/Kursart.h"
#include "model/Kursnotierung.h"
#include "model/Kursreihe.h"

using qb::Dezimal;
using qb::Kursart;
using qb::Kursnotierung;
using qb::Kurspunkt;
using qb::Kursreihe;
using qb::Notierungsart;
using qb::Preisangabe;
using qb::Umrechnung;
using qb::Zeitpunkt;

namespace {

using namespace std::chrono;

Dezimal d(const char* text) {
    return Dezimal::aus(text);
}

Zeitpunkt tag(unsigned t, int stunde = 0) {
    return Zeitpunkt(sys_days(year(2025) / month(3) / day(t)) + hours(stunde));
}

Kurspunkt punkt(unsigned t, const char* kurs) {
    return Kurspunkt{tag(t), d(kurs), std::nullopt};
}

} // namespace

TEST(Kurspunkt, letzterAmOderVorDemZeitpunkt) {
    struct Fall {
        const char* name;
        std::vector<Kurspunkt> punkte;
        Zeitpunkt bis;
        std::optional<std::string> kurs;
    };
    const Fall faelle[] = {
        {"leer", {}, tag(10), std::nullopt},
        {"alle später", {punkt(11, "1"), punkt(12, "2")}, tag(10), std::nullopt},
        {"einer", {punkt(5, "1")}, tag(10), "1"},
        {"genau am Zeitpunkt", {punkt(3, "1"), punkt(10, "2"), punkt(11, "3")}, tag(10), "2"},
        {"eine Mikrosekunde zu spät", {punkt(3, "1"), punkt(10, "2")}, tag(10) - microseconds(1), "1"},
        {"unsortiert",
         {punkt(7, "7"), punkt(9, "9"), punkt(2, "2"), punkt(12, "12"), punkt(8, "8")},
         tag(10),
         "9"},
        {"gleicher Tag: der erste",
         {punkt(4, "1"), punkt(9, "2"), punkt(9, "3"), punkt(5, "4")},
         tag(10),
         "2"},
        {"gleicher Tag am Anfang", {punkt(9, "2"), punkt(1, "0"), punkt(9, "3")}, tag(9), "2"},
    };
    for (const auto& f : faelle) {
        auto ergebnis = Kurspunkt::letzter(f.punkte, f.bis);
        EXPECT_EQ(ergebnis ? std::optional<std::string>(ergebnis->kurs.text()) : std::nullopt, f.kurs)
            << f.name;
    }
}

TEST(Kurspunkt, ausPreisangabe) {
    const Zeitpunkt t = tag(5, 17);
    const Umrechnung usd{d("100"), "USD", d("3")};
    EXPECT_EQ(Kurspunkt::ausPreis(t, Preisangabe::euro(d("12.5"))), (Kurspunkt{t, d("12.5"), std::nullopt}));
    EXPECT_EQ(Kurspunkt::ausPreis(t, Preisangabe::umgerechnet(usd)),
              (Kurspunkt{t, d("33.333333333333"), usd}));
    EXPECT_EQ(
        Kurspunkt::ausPreis(t, Preisangabe::umgerechnet(Umrechnung{d("200"), "USD", d("3")})).kurs.text(),
        "66.666666666667");
    // A rate of 0 never divides: the point is worth 0 and still carries its conversion.
    const Umrechnung ohneKurs{d("100"), "USD", d("0")};
    EXPECT_EQ(Kurspunkt::ausPreis(t, Preisangabe::umgerechnet(ohneKurs)), (Kurspunkt{t, d("0"), ohneKurs}));
    const Umrechnung negativ{d("100"), "USD", d("-1")};
    EXPECT_EQ(Kurspunkt::ausPreis(t, Preisangabe::umgerechnet(negativ)), (Kurspunkt{t, d("0"), negativ}));
}

TEST(Kursreihe, preisangabeNurInEuro) {
    const Umrechnung usd{d("110"), "USD", d("1.1")};
    const std::vector<Kurspunkt> punkte{
        Kurspunkt{tag(3), d("10"), std::nullopt},
        Kurspunkt{tag(6), d("100"), usd},
        Kurspunkt{tag(9), d("12"), std::nullopt},
    };
    struct Fall {
        const char* waehrung;
        Zeitpunkt am;
        std::optional<Preisangabe> preis;
    };
    const Fall faelle[] = {
        {"EUR", tag(4), Preisangabe::euro(d("10"))},
        {"EUR", tag(7), Preisangabe::umgerechnet(usd)},
        {"EUR", tag(9), Preisangabe::euro(d("12"))},
        {"EUR", tag(2), std::nullopt},
        {"USD", tag(7), std::nullopt},
        {"eur", tag(7), std::nullopt},
        {" EUR", tag(7), std::nullopt},
        {"", tag(7), std::nullopt},
    };
    for (const auto& f : faelle) {
        Kursreihe reihe{punkte, f.waehrung, "Test"};
        EXPECT_EQ(reihe.preisangabe(f.am), f.preis) << '"' << f.waehrung << '"';
    }
    EXPECT_FALSE((Kursreihe{{}, "EUR", "Test"}.preisangabe(tag(7)).has_value()));
}

TEST(Kursart, rohwerteUndBeschreibungen) {
    struct Fall {
        Kursart art;
        const char* roh;
        const char* beschreibung;
    };
    const Fall faelle[] = {
        {Kursart::letzterHandel, "letzterHandel", "letzter Handel"},
        {Kursart::schlusskursVortag, "schlusskursVortag", "Schlusskurs vom Vortag"},
        {Kursart::geldBriefMitte, "geldBriefMitte", "Mitte aus Geld und Brief"},
        {Kursart::tagesschluss, "tagesschluss", "Schlusskurs des Tages"},
        {Kursart::vonHand, "vonHand", "von Hand eingetragen"},
    };
    ASSERT_EQ(qb::alleKursarten.size(), std::size(faelle));
    for (std::size_t i = 0; i < std::size(faelle); ++i) {
        EXPECT_EQ(qb::alleKursarten[i], faelle[i].art);
        EXPECT_EQ(qb::rohwert(faelle[i].art), faelle[i].roh);
        EXPECT_EQ(qb::beschreibung(faelle[i].art), faelle[i].beschreibung);
        EXPECT_EQ(qb::kursartAus(faelle[i].roh), faelle[i].art);
    }
    for (const char* text : {"LetzterHandel", "letzter Handel", "vonhand", "", "stueckpreis"}) {
        EXPECT_FALSE(qb::kursartAus(text).has_value()) << text;
    }

    EXPECT_EQ(qb::notierungsartAus("stueckpreis"), Notierungsart::stueckpreis);
    EXPECT_EQ(qb::notierungsartAus("prozentVomNennwert"), Notierungsart::prozentVomNennwert);
    EXPECT_FALSE(qb::notierungsartAus("ProzentVomNennwert").has_value());
    EXPECT_EQ(qb::beschreibung(Notierungsart::stueckpreis), "Preis je Stück");
    EXPECT_EQ(qb::beschreibung(Notierungsart::prozentVomNennwert), "Prozent vom Nennwert");
}

TEST(Kursnotierung, gleichNurInAllenNeunFeldern) {
    Kursnotierung basis;
    basis.kurs = d("1.5");
    basis.waehrung = "EUR";
    basis.art = Kursart::letzterHandel;
    basis.abgerufenAm = tag(5, 12);
    basis.quelle = "Börse Frankfurt (XETR)";

    Kursnotierung gleich = basis;
    gleich.kurs = d("1.50");
    EXPECT_EQ(basis, gleich);

    const std::vector<std::function<void(Kursnotierung&)>> aenderungen{
        [](Kursnotierung& n) { n.kurs = d("1.51"); },
        [](Kursnotierung& n) { n.waehrung = "USD"; },
        [](Kursnotierung& n) { n.art = Kursart::tagesschluss; },
        [](Kursnotierung& n) { n.notierungsart = Notierungsart::stueckpreis; },
        [](Kursnotierung& n) { n.kursdatum = tag(5); },
        [](Kursnotierung& n) { n.abgerufenAm += microseconds(1); },
        [](Kursnotierung& n) { n.quelle = "Börse Frankfurt (XFRA)"; },
        [](Kursnotierung& n) { n.handelsumfang = qb::Handelsumfang{}; },
        [](Kursnotierung& n) {
            n.umrechnung = Umrechnung{d("1.5"), "EUR", d("1")};
        },
    };
    for (std::size_t i = 0; i < aenderungen.size(); ++i) {
        Kursnotierung anders = basis;
        aenderungen[i](anders);
        EXPECT_NE(basis, anders) << "Feld " << i + 1;
    }
}
