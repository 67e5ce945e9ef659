#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "ui/Textbruecke.h"
#include "ui/Zahleneingabe.h"
#include "reference-dates/StichtagskursFelder.h"
#include "reference-dates/Vergleichszeile.h"
#include "valuation/Testspiel.h"
#include "valuation/Vergleichshilfen.h"

using namespace qb;
using namespace testspiel;

namespace {

using Status = Vergleichszeile::Status;
using Referenz = Kurspruefung::Referenz;
using KursTeil = Kurspruefung::Teil<Kursnotierung>;
using RateTeil = Kurspruefung::Teil<Umrechnung>;

const Formatierer deutsch("de_DE");

const std::string warnhinweis = " Prüfe Währung, Einheit und Komma: Steht der Kurs auf Bloomberg in Cent "
                                "oder Pence, teile ihn durch 100.";

// The exchange's close with its trading day.
Kursnotierung quote(const char* kurs, std::optional<Notierungsart> notierungsart = std::nullopt) {
    Kursnotierung q = testspiel::quote(kurs, notierungsart);
    q.kursdatum = tag(2024, 3, 11, 17);
    return q;
}

// A share, a bond quoted per unit with a face value of 1000, and a certificate without identifier.
struct Spiel {
    std::shared_ptr<Portfolio> portfolio = spiel();
    std::shared_ptr<Position> aktie = kaufe(portfolio, Assetklasse::aktie, "Siemens", 10, eur("150"));
    std::shared_ptr<Position> anleihe = kaufe(portfolio, Assetklasse::anleihe, "Bund", 5, eur("980"));
    std::shared_ptr<Position> co2 = kaufe(portfolio, Assetklasse::co2Zertifikat, "EUA", 3, eur("70"));

    Spiel() {
        aktie->setzeKennung("DE0007236101");
        anleihe->setzeKennung("DE0001102580");
        anleihe->setzeNotierung(Notierungsart::stueckpreis);
        anleihe->setzeNennwert(d("1000"));
    }
};

struct Ergebnis {
    std::optional<std::string> uebernommen;
    Status status;
    std::string statusText;
    std::vector<std::string> warnungen;
    bool uebernehmen;
    bool erneutHolen;
    bool ezbErneut;
};

Ergebnis lies(const Stichtagsentwurf& e, Assetklasse klasse) {
    const Vergleichszeile z(e, *e.zeile(klasse), deutsch);
    Ergebnis r{std::nullopt,         z.status(),           utf8(z.statusText()), {},
               z.zeigtUebernehmen(), z.zeigtErneutHolen(), z.ezbMitErneut()};
    if (z.uebernommen()) {
        r.uebernommen = utf8(*z.uebernommen());
    }
    for (const QString& w : z.warnungen()) {
        r.warnungen.push_back(utf8(w));
    }
    return r;
}

TEST(VergleichszeileTest, zeilenzustaende) {
    struct Fall {
        const char* name;
        Assetklasse klasse;
        bool nachtrag;
        std::optional<Kurseingabe> eingabe;
        std::optional<Referenz> antwort;
        std::function<void(Stichtagsentwurf&)> danach;
        Ergebnis erwartet;
    };
    const auto vorhanden = [](const char* kurs, std::optional<Notierungsart> n = std::nullopt) {
        return KursTeil::vorhanden(quote(kurs, n));
    };
    const std::string notierung = "Die Quelle notiert dieses Papier als Prozent vom Nennwert, eingetragen "
                                  "ist Preis je Stück. Bei einem "
                                  "Nennwert von 1.000 stimmen Einsatz und Stichtagswerte dann nicht.";
    const std::string quelle = "Börse Frankfurt (XETR), Schlusskurs des Tages, 11.3.2024: ";
    const std::vector<Fall> faelle{
        {"ohne Kennung",
         Assetklasse::co2Zertifikat,
         true,
         Kurseingabe("EUR", d("71"), d("0")),
         Referenz{KursTeil::entfaellt(), RateTeil::entfaellt()},
         nullptr,
         {std::nullopt,
          Status::entfaellt,
          "Kein Vergleichskurs: Ohne Kennung fragt die App keine Quelle.",
          {},
          false,
          false,
          false}},
        {"Kennung ohne freie Quelle",
         Assetklasse::aktie,
         false,
         std::nullopt,
         Referenz{KursTeil::entfaellt(), RateTeil::entfaellt()},
         nullptr,
         {std::nullopt,
          Status::entfaellt,
          "Kein Vergleichskurs: Für diese Kennung gibt es keine freie Quelle.",
          {},
          false,
          false,
          false}},
        {"noch keine Antwort",
         Assetklasse::aktie,
         true,
         Kurseingabe("EUR", d("150"), d("0")),
         std::nullopt,
         nullptr,
         {std::nullopt, Status::wirdGeholt, "Vergleichskurs wird geholt", {}, false, false, false}},
        {"Kurs und Wechselkurs fehlen: nur der Vergleich wird neu geholt",
         Assetklasse::aktie,
         false,
         Kurseingabe("USD", d("160"), d("1.0834")),
         Referenz{KursTeil::fehlt("Zeitüberschreitung"), RateTeil::fehlt("EZB weg")},
         nullptr,
         {std::nullopt,
          Status::fehlt,
          "Kein Vergleichskurs abrufbar: Zeitüberschreitung",
          {},
          false,
          true,
          false}},
        {"nur der Wechselkurs fehlt",
         Assetklasse::aktie,
         false,
         Kurseingabe("USD", d("160"), d("1.0834")),
         Referenz{vorhanden("150"), RateTeil::fehlt("EZB weg")},
         nullptr,
         {std::nullopt,
          Status::kurs,
          "Vergleich: " + quelle + "150,00 € · Abweichung 1,6\u00a0%",
          {},
          false,
          false,
          true}},
        {"8 % Abweichung steht in der Zeile",
         Assetklasse::aktie,
         false,
         Kurseingabe("EUR", d("150"), d("0")),
         Referenz{vorhanden("162"), RateTeil::entfaellt()},
         nullptr,
         {std::nullopt,
          Status::kurs,
          "Vergleich: " + quelle + "162,00 € · Abweichung 8\u00a0%",
          {},
          false,
          false,
          false}},
        {"genau 10 % ist nicht stark",
         Assetklasse::aktie,
         false,
         Kurseingabe("EUR", d("150"), d("0")),
         Referenz{vorhanden("165"), RateTeil::entfaellt()},
         nullptr,
         {std::nullopt,
          Status::kurs,
          "Vergleich: " + quelle + "165,00 € · Abweichung 10\u00a0%",
          {},
          false,
          false,
          false}},
        {"12 % Abweichung wird zur Warnung",
         Assetklasse::aktie,
         false,
         Kurseingabe("EUR", d("150"), d("0")),
         Referenz{vorhanden("168"), RateTeil::entfaellt()},
         nullptr,
         {std::nullopt,
          Status::kurs,
          "Vergleich: " + quelle + "168,00 €",
          {"Kurs aktuell laut Quelle: 168,00 €. Eingetragen: 150,00 €. Abweichung 12\u00a0%." + warnhinweis},
          false,
          false,
          false}},
        {"vergangener Tag bietet die Übernahme",
         Assetklasse::aktie,
         true,
         std::nullopt,
         Referenz{vorhanden("162"), RateTeil::entfaellt()},
         nullptr,
         {std::nullopt, Status::kurs, "Vergleich: " + quelle + "162,00 €", {}, true, false, false}},
        {"übernommen",
         Assetklasse::aktie,
         true,
         Kurseingabe("EUR", d("150"), d("0")),
         Referenz{vorhanden("162"), RateTeil::entfaellt()},
         [](Stichtagsentwurf& e) { e.vergleichskursUebernehmen(Assetklasse::aktie); },
         {"Übernommen: " + quelle + "162,00 €",
          Status::kurs,
          "Vergleich: " + quelle + "162,00 €",
          {},
          false,
          false,
          false}},
        {"übernommen, dann gehört die Antwort nicht mehr zur Zeile",
         Assetklasse::aktie,
         true,
         Kurseingabe("EUR", d("150"), d("0")),
         Referenz{vorhanden("162"), RateTeil::entfaellt()},
         [](Stichtagsentwurf& e) {
             e.vergleichskursUebernehmen(Assetklasse::aktie);
             e.setzeEingabe(Assetklasse::aktie, Kurseingabe("USD", d("160"), d("1.08")));
         },
         {std::nullopt, Status::wirdGeholt, "Vergleichskurs wird geholt", {}, false, false, false}},
        {"Quelle notiert die Anleihe in Prozent, noch ohne Eingabe",
         Assetklasse::anleihe,
         true,
         std::nullopt,
         Referenz{vorhanden("98", Notierungsart::prozentVomNennwert), RateTeil::entfaellt()},
         nullptr,
         {std::nullopt, Status::kurs, "Vergleich: " + quelle + "98,00 %", {notierung}, false, false, false}},
        {"Quelle notiert die Anleihe in Prozent, mit Eingabe",
         Assetklasse::anleihe,
         true,
         Kurseingabe("EUR", d("980"), d("0")),
         Referenz{vorhanden("98", Notierungsart::prozentVomNennwert), RateTeil::entfaellt()},
         nullptr,
         {std::nullopt, Status::kurs, "Vergleich: " + quelle + "98,00 %", {notierung}, false, false, false}},
    };
    for (const Fall& f : faelle) {
        SCOPED_TRACE(f.name);
        Spiel s;
        Stichtagsentwurf e(*s.portfolio, f.nachtrag ? std::optional(tag(2024, 3, 11)) : std::nullopt);
        if (f.eingabe) {
            e.setzeEingabe(f.klasse, *f.eingabe);
        }
        if (f.antwort) {
            e.speichereVergleich(e.zeile(f.klasse)->vergleichsauftrag(), *f.antwort);
        }
        if (f.danach) {
            f.danach(e);
        }
        const Ergebnis r = lies(e, f.klasse);
        EXPECT_EQ(r.uebernommen, f.erwartet.uebernommen);
        EXPECT_EQ(r.status, f.erwartet.status);
        EXPECT_EQ(r.statusText, f.erwartet.statusText);
        EXPECT_EQ(r.warnungen, f.erwartet.warnungen);
        EXPECT_EQ(r.uebernehmen, f.erwartet.uebernehmen);
        EXPECT_EQ(r.erneutHolen, f.erwartet.erneutHolen);
        EXPECT_EQ(r.ezbErneut, f.erwartet.ezbErneut);
    }
}

TEST(VergleichszeileTest, kursbeschreibung) {
    struct Fall {
        const char* name;
        std::function<void(Kursnotierung&)> aendere;
        Assetklasse klasse;
        std::string erwartet;
    };
    const auto umfang = [](std::optional<std::int64_t> feststellungen, std::optional<const char*> umsatz) {
        return [=](Kursnotierung& q) {
            q.handelsumfang = Handelsumfang{feststellungen, std::nullopt,
                                            umsatz ? std::optional(d(*umsatz)) : std::nullopt};
        };
    };
    const std::vector<Fall> faelle{
        {"ohne Handelsumfang", [](Kursnotierung&) {}, Assetklasse::aktie,
         "Börse Frankfurt (XETR), Schlusskurs des Tages, 11.3.2024: 150,00 €"},
        {"3 Preisfeststellungen", umfang(3, std::nullopt), Assetklasse::aktie,
         "Börse Frankfurt (XETR), Schlusskurs des Tages, 11.3.2024, sehr wenig Handel: 150,00 €"},
        {"4 Preisfeststellungen", umfang(4, std::nullopt), Assetklasse::aktie,
         "Börse Frankfurt (XETR), Schlusskurs des Tages, 11.3.2024, sehr wenig Handel: 150,00 €"},
        {"5 Preisfeststellungen", umfang(5, std::nullopt), Assetklasse::aktie,
         "Börse Frankfurt (XETR), Schlusskurs des Tages, 11.3.2024: 150,00 €"},
        {"0 Preisfeststellungen, 500 € Umsatz", umfang(0, "500"), Assetklasse::aktie,
         "Börse Frankfurt (XETR), Schlusskurs des Tages, 11.3.2024, sehr wenig Handel: 150,00 €"},
        {"0 Preisfeststellungen, kein Umsatz", umfang(0, std::nullopt), Assetklasse::aktie,
         "Börse Frankfurt (XETR), Schlusskurs des Tages, 11.3.2024: 150,00 €"},
        {"5 Preisfeststellungen, 999,99 € Umsatz", umfang(5, "999.99"), Assetklasse::aktie,
         "Börse Frankfurt (XETR), Schlusskurs des Tages, 11.3.2024, sehr wenig Handel: 150,00 €"},
        {"1000 € Umsatz", umfang(std::nullopt, "1000"), Assetklasse::aktie,
         "Börse Frankfurt (XETR), Schlusskurs des Tages, 11.3.2024: 150,00 €"},
        {"ohne Kursdatum zählt der Abruftag",
         [](Kursnotierung& q) {
             q.kursdatum.reset();
             q.art = Kursart::letzterHandel;
         },
         Assetklasse::aktie, "Börse Frankfurt (XETR), letzter Handel, 12.3.2024: 150,00 €"},
        {"umgerechnet",
         [](Kursnotierung& q) {
             q.umrechnung = Umrechnung{d("162"), "USD", d("1.08")};
             q.art = Kursart::geldBriefMitte;
         },
         Assetklasse::aktie, "Börse Frankfurt (XETR), Mitte aus Geld und Brief, 11.3.2024: 162,00 USD"},
        {"Anleihe in der Notierung der Zeile", [](Kursnotierung& q) { q.art = Kursart::schlusskursVortag; },
         Assetklasse::anleihe, "Börse Frankfurt (XETR), Schlusskurs vom Vortag, 11.3.2024: 150,00 %"},
    };
    for (const Fall& f : faelle) {
        SCOPED_TRACE(f.name);
        Spiel s;
        s.anleihe->setzeNotierung(Notierungsart::prozentVomNennwert);
        Stichtagsentwurf e(*s.portfolio, std::nullopt);
        Kursnotierung q = quote("150");
        f.aendere(q);
        EXPECT_EQ(utf8(Vergleichszeile::kursbeschreibung(q, *e.zeile(f.klasse), deutsch)), f.erwartet);
    }
}

} // namespace

// "Selbst eintragen" and "Vergleichskurs übernehmen" go with their line: pressed from the
// keyboard, each leaves the cursor in the line that comes back, never in the next row.
TEST(VergleichszeileTest, einKnopfDerGehtLaesstDenCursorInDerZeile) {
    Spiel s;
    Stichtagsentwurf e(*s.portfolio, tag(2024, 3, 11));
    Kursnotierung schluss = testspiel::quote("162");
    schluss.kursdatum = tag(2024, 3, 11, 17);
    e.speichereVergleich(e.zeile(Assetklasse::aktie)->vergleichsauftrag(),
                         Referenz{KursTeil::vorhanden(schluss), RateTeil::entfaellt()});
    e.vergleichskursUebernehmen(Assetklasse::aktie);
    QWidget blatt;
    StichtagskursFelder* zeile = new StichtagskursFelder(e, Assetklasse::aktie, Kursdienst::standard(),
        [&](const std::function<void(Stichtagsentwurf&)>& aenderung) {
            aenderung(e);
            zeile->zeige(e);
        }, &blatt);
    new QLineEdit(&blatt); // the next row
    blatt.show();
    QApplication::setActiveWindow(&blatt);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&blatt));
    auto* selbst = zeile->findChild<QPushButton*>("selbstEintragen");
    for (const auto& [knopf, danach] :
         {std::pair<QWidget*, QWidget*>{selbst, zeile->findChild<Zahleneingabe*>("kurs")->feld()},
          {zeile->findChild<QPushButton*>("vergleichskursUebernehmen"), selbst}}) {
        knopf->setFocus(Qt::TabFocusReason);
        QTest::keyClick(knopf, Qt::Key_Space);
        EXPECT_EQ(QApplication::focusWidget(), danach) << utf8(knopf->objectName());
    }
}
