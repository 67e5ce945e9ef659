#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <QApplication>
#include <QLabel>
#include <QPalette>
#include <QTest>

#include "ui/Hinweiszeile.h"
#include "ui/Kennzahlentexte.h"
#include "ui/Kennzahlenzeile.h"
#include "ui/Symbol.h"
#include "ui/Textbruecke.h"
#include "ui/Vordergrund.h"
#include "valuation/Portfoliostand.h"
#include "valuation/Testspiel.h"

namespace qb {

// Readable failures: the name of a style, the fields of the parts.
std::string stilname(const Vordergrund& stil) {
    const std::pair<Vordergrund, const char*> namen[] = {
        {Vordergrund::primaer(), "primaer"}, {Vordergrund::sekundaer(), "sekundaer"},
        {Signalfarbe::gewinn, "gewinn"},     {Signalfarbe::verlust, "verlust"},
        {Signalfarbe::warnung, "warnung"},
    };
    for (const auto& [art, name] : namen) {
        if (art == stil) {
            return name;
        }
    }
    return "?";
}

void PrintTo(const Kennzahlentexte::Kachel& k, std::ostream* aus) {
    *aus << '{' << utf8(k.titel) << " | " << utf8(k.betrag) << " | " << (k.prozent ? utf8(*k.prozent) : "—")
         << " | " << stilname(k.stil) << (k.bekannt ? "" : " | unbekannt") << '}';
}

void PrintTo(const Kennzahlentexte::Veraenderungszeile& z, std::ostream* aus) {
    *aus << '{' << utf8(z.beschriftung) << " | " << utf8(z.betrag) << " | "
         << (z.prozent ? utf8(*z.prozent) : "—") << " | " << stilname(z.stil) << '}';
}

void PrintTo(const Kennzahlentexte::Hinweis& h, std::ostream* aus) {
    *aus << '{' << static_cast<int>(h.art) << " | " << utf8(h.text) << " | " << utf8(h.symbol) << " | "
         << stilname(h.stil) << '}';
}

} // namespace qb

namespace {

using namespace qb;
using testspiel::d;
using testspiel::tag;
using Bezug = Kennzahlentexte::Bezug;
using Kachel = Kennzahlentexte::Kachel;
using Hinweis = Kennzahlentexte::Hinweis;
using Hinweisart = Kennzahlentexte::Hinweisart;

Kennzahlentexte deutsch() {
    return Kennzahlentexte(Formatierer("de_DE"), Kalender(Zeitzone("Europe/Berlin")));
}

Zeitpunkt zeit(int jahr, int monat, int t, int stunde, int minute) {
    return *Kalender(Zeitzone("Europe/Berlin")).zeitpunkt(Datumsteile{jahr, monat, t, stunde, minute, 0});
}

std::string s(const QString& text) {
    return utf8(text);
}

std::optional<std::string> s(const std::optional<QString>& text) {
    return text ? std::optional<std::string>(utf8(*text)) : std::nullopt;
}

Kennzahlentexte::Werte werte(const char* investiert, const char* barbestand) {
    Kennzahlentexte::Werte w;
    w.investiert = d(investiert);
    w.barbestand = d(barbestand);
    return w;
}

const char* const stichtagsRest =
    " hat noch nicht alle Kurse. Fehlende Kurse trägst du im Bereich Stichtage nach.";

TEST(Kennzahlentexte, ueberschriftDatumKlassenUndStichtagshinweis) {
    const auto texte = deutsch();
    const Zeitpunkt dezember = zeit(2026, 12, 7, 9, 5);
    struct Fall {
        QString ist;
        std::string soll;
    };
    const Fall faelle[] = {
        {texte.ueberschrift(Bezug::kauf(), false), "Stand beim Kauf"},
        {texte.ueberschrift(Bezug::stichtag(dezember), false), "Kennzahlen zum Stichtag vom 7. Dez. 2026"},
        {texte.ueberschrift(Bezug::stichtag(dezember), true),
         "Kennzahlen zum Stichtag vom 7. Dez. 2026, 09:05"},
        {texte.datumText(zeit(2027, 3, 1, 23, 59), false), "1. März 2027"},
        {texte.datumText(zeit(2027, 3, 1, 23, 59), true), "1. März 2027, 23:59"},
        {texte.stichtagsHinweis(zeit(2027, 1, 15, 9, 0), false),
         std::string("Der jüngste Stichtag vom 15. Jan. 2027") + stichtagsRest},
        {texte.stichtagsHinweis(zeit(2027, 1, 15, 9, 0), true),
         std::string("Der jüngste Stichtag vom 15. Jan. 2027, 09:00") + stichtagsRest},
        {Kennzahlentexte::klassenListe({}), ""},
        {Kennzahlentexte::klassenListe({Assetklasse::waehrung}), "Währung"},
        // The given order, not the classes' own.
        {Kennzahlentexte::klassenListe({Assetklasse::co2Zertifikat, Assetklasse::aktie}),
         "CO2-Zertifikat und Aktie"},
        {Kennzahlentexte::klassenListe({Assetklasse::rohstoff, Assetklasse::anleihe, Assetklasse::aktie}),
         "Rohstoff, Anleihe und Aktie"},
    };
    for (const auto& f : faelle) {
        EXPECT_EQ(s(f.ist), f.soll);
    }
}

TEST(Kennzahlentexte, uhrzeitNurBeiZweiDatenEinesTages) {
    const auto texte = deutsch();
    const Zeitpunkt morgens = zeit(2026, 12, 7, 9, 0);
    struct Fall {
        std::optional<Bezug> bezug;
        std::optional<Zeitpunkt> offen;
        std::optional<std::string> ueberschrift;
        std::optional<std::string> hinweis; // the date in the open-date hint
    };
    const Fall faelle[] = {
        {std::nullopt, std::nullopt, std::nullopt, std::nullopt},
        {std::nullopt, zeit(2026, 12, 7, 20, 0), std::nullopt, "7. Dez. 2026"},
        {Bezug::kauf(), zeit(2026, 12, 7, 20, 0), "Stand beim Kauf", "7. Dez. 2026"},
        {Bezug::stichtag(morgens), std::nullopt, "Kennzahlen zum Stichtag vom 7. Dez. 2026", std::nullopt},
        {Bezug::stichtag(morgens), zeit(2026, 12, 8, 9, 0), "Kennzahlen zum Stichtag vom 7. Dez. 2026",
         "8. Dez. 2026"},
        {Bezug::stichtag(morgens), zeit(2026, 12, 7, 18, 30),
         "Kennzahlen zum Stichtag vom 7. Dez. 2026, 09:00", "7. Dez. 2026, 18:30"},
        // One UTC day, but two days in the calendar's zone.
        {Bezug::stichtag(zeit(2026, 12, 7, 23, 30)), zeit(2026, 12, 8, 0, 10),
         "Kennzahlen zum Stichtag vom 7. Dez. 2026", "8. Dez. 2026"},
    };
    for (const auto& f : faelle) {
        const auto anzeige = texte.anzeige(werte("0", "10000"), f.bezug, std::nullopt, f.offen);
        EXPECT_EQ(s(anzeige.ueberschrift), f.ueberschrift);
        std::optional<std::string> hinweis;
        for (const auto& h : anzeige.hinweise) {
            if (h.art == Hinweisart::offenerStichtag) {
                hinweis = s(h.text);
            }
        }
        EXPECT_EQ(hinweis, f.hinweis ? std::optional<std::string>("Der jüngste Stichtag vom " + *f.hinweis +
                                                                  stichtagsRest)
                                     : std::nullopt);
    }
}

TEST(Kennzahlentexte, kachelnMitTitelBetragProzentUndFarbe) {
    const auto texte = deutsch();
    const Kachel investiert{"Investiert", "8.000,00\u00A0€", std::nullopt};
    const Kachel barbestand{"Barbestand", "2.000,00\u00A0€", std::nullopt};
    const Kachel gesamt{"Gesamtwert", "10.500,00\u00A0€", std::nullopt};
    struct Fall {
        const char* gewinn;
        std::optional<const char*> rendite;
        Kachel soll;
    };
    const Fall faelle[] = {
        {"500", "12.5", {"Gewinn", "500,00\u00A0€", "12,50\u00A0%", Signalfarbe::gewinn}},
        {"500", "3", {"Gewinn", "500,00\u00A0€", "3,00\u00A0%", Signalfarbe::gewinn}},
        {"0", "0", {"Gewinn", "0,00\u00A0€", "0,00\u00A0%", Vordergrund::sekundaer()}},
        {"-1234.5", "-12.345", {"Verlust", "-1.234,50\u00A0€", "-12,34\u00A0%", Signalfarbe::verlust}},
        // A gain without a return: no percentage.
        {"0.01", std::nullopt, {"Gewinn", "0,01\u00A0€", std::nullopt, Signalfarbe::gewinn}},
    };
    for (const auto& f : faelle) {
        auto w = werte("8000", "2000");
        w.gesamtwert = d("10500");
        w.gewinn = d(f.gewinn);
        if (f.rendite) {
            w.renditeProzent = d(*f.rendite);
        }
        EXPECT_EQ(texte.kacheln(w), (std::vector<Kachel>{investiert, barbestand, gesamt, f.soll}));
    }

    // Without a total value it reads "noch unbekannt"; without a gain the fourth tile goes.
    auto w = werte("8000", "2000");
    const Kachel unbekannt{"Gesamtwert", "noch unbekannt", std::nullopt, Vordergrund::sekundaer(), false};
    EXPECT_EQ(texte.kacheln(w), (std::vector<Kachel>{investiert, barbestand, unbekannt}));
    w.gesamtwert = d("10500");
    EXPECT_EQ(texte.kacheln(w), (std::vector<Kachel>{investiert, barbestand, gesamt}));
    // An overdrawn portfolio shows its negative cash as it is, in the primary style.
    EXPECT_EQ(texte.kacheln(werte("10500", "-500"))[1],
              (Kachel{"Barbestand", "-500,00\u00A0€", std::nullopt}));
}

TEST(Kennzahlentexte, veraenderungMitVorzeichenUndFarbe) {
    const auto texte = deutsch();
    const Zeitpunkt maerz = zeit(2026, 3, 2, 17, 0);
    const Zeitpunkt spaeter = zeit(2026, 3, 9, 17, 0);
    using Zeile = Kennzahlentexte::Veraenderungszeile;
    const std::string seitMaerz = "Seit dem Stichtag vom 2. März 2026";
    struct Fall {
        Wertveraenderung veraenderung;
        Zeile soll;
    };
    const Fall faelle[] = {
        {{maerz, spaeter, d("250.5"), d("2.5")},
         {qtText(seitMaerz), "+250,50\u00A0€", "+2,50\u00A0%", Signalfarbe::gewinn}},
        {{maerz, spaeter, d("-80"), d("-0.8")},
         {qtText(seitMaerz), "-80,00\u00A0€", "-0,80\u00A0%", Signalfarbe::verlust}},
        {{maerz, spaeter, d("0"), d("0")},
         {qtText(seitMaerz), "0,00\u00A0€", "0,00\u00A0%", Vordergrund::sekundaer()}},
        {{maerz, spaeter, d("12345.678"), std::nullopt},
         {qtText(seitMaerz), "+12.345,68\u00A0€", std::nullopt, Signalfarbe::gewinn}},
        // Both dates on one day: the earlier one with its time.
        {{zeit(2026, 3, 9, 9, 30), spaeter, d("1"), d("0.01")},
         {"Seit dem Stichtag vom 9. März 2026, 09:30", "+1,00\u00A0€", "+0,01\u00A0%", Signalfarbe::gewinn}},
    };
    for (const auto& f : faelle) {
        EXPECT_EQ(texte.veraenderungszeile(f.veraenderung), f.soll);
    }
}

TEST(Kennzahlentexte, hinweiseNachBedingungInFesterReihenfolge) {
    const auto texte = deutsch();
    const Zeitpunkt offen = zeit(2027, 1, 15, 9, 0);
    const QString dreieck = "exclamationmark.triangle";
    const QString fragezeichen = "questionmark.circle";

    auto alles = werte("10500", "-500");
    alles.istUeberzogen = true;
    alles.offeneAssetklassen = {Assetklasse::co2Zertifikat, Assetklasse::anleihe};
    alles.fehlendePreise = {Assetklasse::rohstoff, Assetklasse::aktie, Assetklasse::waehrung};
    const std::vector<Hinweis> alle{
        {Hinweisart::ueberzogen,
         "Die Käufe kosten 500,00\u00A0€ mehr als das Startkapital von 10.000,00\u00A0€.", dreieck,
         Signalfarbe::verlust},
        {Hinweisart::offeneKlassen, "Noch offen: CO2-Zertifikat und Anleihe", "circle.dashed",
         Vordergrund::sekundaer()},
        {Hinweisart::fehlendePreise, "Ohne Kurs an diesem Stichtag: Rohstoff, Aktie und Währung",
         fragezeichen, Signalfarbe::warnung},
        {Hinweisart::offenerStichtag,
         qtText(std::string("Der jüngste Stichtag vom 15. Jan. 2027") + stichtagsRest), fragezeichen,
         Signalfarbe::warnung},
    };
    EXPECT_EQ(texte.hinweise(alles, offen, false), alle);

    auto einzeln = werte("1234.56", "8765.44");
    einzeln.fehlendePreise = {Assetklasse::anleihe};
    EXPECT_EQ(texte.hinweise(einzeln, std::nullopt, false),
              (std::vector<Hinweis>{{Hinweisart::fehlendePreise, "Ohne Kurs an diesem Stichtag: Anleihe",
                                     fragezeichen, Signalfarbe::warnung}}));

    // Not overdrawn, nothing open, nothing missing: no hint at all, even at a negative cash
    // figure that the state does not call overdrawn.
    EXPECT_TRUE(texte.hinweise(werte("10000", "0"), std::nullopt, false).empty());
    EXPECT_TRUE(texte.hinweise(werte("10000", "-1"), std::nullopt, false).empty());
}

// ---- the widget ----

template <typename T = QLabel> T* teil(const QWidget& zeile, const char* name) {
    T* gefunden = zeile.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(gefunden, nullptr) << name;
    return gefunden;
}

std::string text(const QWidget& zeile, const char* name) {
    const QLabel* etikett = teil(zeile, name);
    return etikett ? utf8(etikett->text()) : "";
}

bool sichtbar(const QWidget& zeile, const char* name) {
    const QWidget* w = teil<QWidget>(zeile, name);
    return w && w->isVisibleTo(&zeile);
}

TEST(Kennzahlenzeile, zeigtEinenStandUndAktualisiertAnOrtUndStelle) {
    using namespace testspiel;
    auto portfolio = spiel("10000");
    auto aktie = kaufe(portfolio, Assetklasse::aktie, "Quinzel AG", 10, eur("150"));
    const Zeitpunkt erster = zeit(2026, 12, 7, 9, 0);
    const Zeitpunkt zweiter = zeit(2026, 12, 7, 17, 30);
    auto bewertet = stichtag(portfolio, erster);
    notiere(bewertet, aktie, eur("160"));
    auto ohneKurs = stichtag(portfolio, zweiter);

    Kennzahlenzeile zeile(Portfoliostand(*portfolio, nullptr), Bezug::kauf());
    zeile.resize(900, 400);
    zeile.show();
    EXPECT_EQ(text(zeile, "kennzahlenUeberschrift"), "Stand beim Kauf");
    EXPECT_EQ(text(zeile, "betragInvestiert"), "1.500,00\u00A0€");
    EXPECT_EQ(text(zeile, "betragBarbestand"), "8.500,00\u00A0€");
    EXPECT_EQ(text(zeile, "betragGesamtwert"), "10.000,00\u00A0€");
    EXPECT_EQ(text(zeile, "titelGewinn"), "Gewinn");
    EXPECT_EQ(text(zeile, "prozentGewinn"), "0,00\u00A0%");
    EXPECT_FALSE(sichtbar(zeile, "veraenderung"));
    EXPECT_EQ(teil<Hinweiszeile>(zeile, "hinweisOffeneKlassen")->text(),
              "Noch offen: Anleihe, Währung, Rohstoff und CO2-Zertifikat");
    EXPECT_TRUE(sichtbar(zeile, "hinweisOffeneKlassen"));
    EXPECT_FALSE(sichtbar(zeile, "hinweisFehlendePreise"));
    EXPECT_FALSE(sichtbar(zeile, "hinweisOffenerStichtag"));

    const QList<QWidget*> vorher = zeile.findChildren<QWidget*>();
    QLabel* gewinn = teil(zeile, "betragGewinn");

    // The reference date, a change since an earlier one, and a later incomplete date of the same day.
    zeile.setze(Portfoliostand(*portfolio, bewertet.get()), Bezug::stichtag(erster),
                Wertveraenderung{zeit(2026, 11, 30, 9, 0), erster, d("100"), d("1")}, zweiter);
    EXPECT_EQ(text(zeile, "kennzahlenUeberschrift"), "Kennzahlen zum Stichtag vom 7. Dez. 2026, 09:00");
    EXPECT_EQ(text(zeile, "betragGesamtwert"), "10.100,00\u00A0€");
    EXPECT_EQ(text(zeile, "betragGewinn"), "100,00\u00A0€");
    EXPECT_EQ(text(zeile, "prozentGewinn"), "1,00\u00A0%");
    EXPECT_EQ(gewinn->palette().color(QPalette::WindowText), Signalfarbe::gewinn.fuer(zeile.palette()));
    EXPECT_TRUE(sichtbar(zeile, "veraenderung"));
    EXPECT_EQ(text(zeile, "veraenderungText"), "Seit dem Stichtag vom 30. Nov. 2026");
    EXPECT_EQ(text(zeile, "veraenderungBetrag"), "+100,00\u00A0€");
    EXPECT_EQ(text(zeile, "veraenderungProzent"), "+1,00\u00A0%");
    EXPECT_EQ(
        teil<Hinweiszeile>(zeile, "hinweisOffenerStichtag")->text(),
        QString::fromStdString(std::string("Der jüngste Stichtag vom 7. Dez. 2026, 17:30") + stichtagsRest));
    EXPECT_TRUE(sichtbar(zeile, "hinweisOffenerStichtag"));

    // A date without prices: no gain tile, an unknown total value, the missing class named.
    zeile.setze(Portfoliostand(*portfolio, ohneKurs.get()), Bezug::stichtag(zweiter));
    EXPECT_EQ(text(zeile, "kennzahlenUeberschrift"), "Kennzahlen zum Stichtag vom 7. Dez. 2026");
    EXPECT_EQ(text(zeile, "betragGesamtwert"), "noch unbekannt");
    EXPECT_FALSE(sichtbar(zeile, "kachelGewinn"));
    EXPECT_FALSE(sichtbar(zeile, "veraenderung"));
    EXPECT_FALSE(sichtbar(zeile, "hinweisOffenerStichtag"));
    EXPECT_EQ(teil<Hinweiszeile>(zeile, "hinweisFehlendePreise")->text(),
              "Ohne Kurs an diesem Stichtag: Aktie");

    // Without a reference: no heading. Overdrawn: the cash goes negative and the excess is named.
    kaufe(portfolio, Assetklasse::anleihe, "Brockat-Anleihe", 100, eur("90"));
    zeile.setze(Portfoliostand(*portfolio, nullptr));
    EXPECT_FALSE(sichtbar(zeile, "kennzahlenUeberschrift"));
    EXPECT_EQ(text(zeile, "betragBarbestand"), "-500,00\u00A0€");
    EXPECT_EQ(teil<Hinweiszeile>(zeile, "hinweisUeberzogen")->text(),
              "Die Käufe kosten 500,00\u00A0€ mehr als das Startkapital von 10.000,00\u00A0€.");
    EXPECT_TRUE(sichtbar(zeile, "kachelGewinn"));

    // Every update went into the same widgets.
    EXPECT_EQ(zeile.findChildren<QWidget*>(), vorher);
    EXPECT_EQ(teil(zeile, "betragGewinn"), gewinn);
}

TEST(Kennzahlenzeile, kachelnUndVeraenderungFolgenDerBreite) {
    using namespace testspiel;
    auto portfolio = spiel("10000");
    auto aktie = kaufe(portfolio, Assetklasse::aktie, "Quinzel AG", 10, eur("150"));
    auto bewertet = stichtag(portfolio, tag(2026, 12, 7));
    notiere(bewertet, aktie, eur("160"));
    Kennzahlenzeile zeile(Portfoliostand(*portfolio, bewertet.get()), Bezug::stichtag(tag(2026, 12, 7)),
                          Wertveraenderung{tag(2026, 11, 30), tag(2026, 12, 7), d("100"), d("1")});
    zeile.show();
    const auto* investiert = teil<QWidget>(zeile, "kachelInvestiert");
    const auto* gewinn = teil<QWidget>(zeile, "kachelGewinn");
    const auto* text = teil(zeile, "veraenderungText");
    const auto* betrag = teil(zeile, "veraenderungBetrag");
    auto nebeneinander = [&] {
        return betrag->mapTo(&zeile, QPoint()).y() < text->mapTo(&zeile, QPoint()).y() + text->height();
    };

    zeile.resize(900, 400);
    EXPECT_TRUE(QTest::qWaitFor([&] { return gewinn->y() == investiert->y() && nebeneinander(); }, 2000));
    EXPECT_GT(gewinn->x(), investiert->x());

    // Narrow: one tile per row, the change's amounts under its label.
    zeile.resize(zeile.minimumSizeHint().width(), 600);
    EXPECT_TRUE(QTest::qWaitFor([&] { return gewinn->y() > investiert->y() && !nebeneinander(); }, 2000));
    EXPECT_EQ(gewinn->x(), investiert->x());
    EXPECT_GE(betrag->width(), betrag->sizeHint().width()); // never cut

    zeile.resize(900, 400);
    EXPECT_TRUE(QTest::qWaitFor([&] { return nebeneinander(); }, 2000));
}

TEST(Hinweiszeile, stilUndSchriftDesAufrufersGeltenFuerSymbolUndText) {
    QWidget grund;
    QPalette hell = grund.palette();
    hell.setColor(QPalette::Window, Qt::white);
    hell.setColor(QPalette::ButtonText, Qt::black);
    grund.setPalette(hell);
    auto* zeile = new Hinweiszeile("Noch offen: Aktie", "circle.dashed", &grund);
    Vordergrund::setze(zeile, Signalfarbe::warnung);
    QFont gross = zeile->font();
    gross.setPointSizeF(gross.pointSizeF() * 2);
    zeile->setFont(gross);
    grund.show();

    auto* symbol = zeile->findChild<Symbol*>();
    const auto* etikett = zeile->findChild<QLabel*>();
    ASSERT_NE(symbol, nullptr);
    ASSERT_NE(etikett, nullptr);
    EXPECT_EQ(symbol->palette().color(QPalette::WindowText), Signalfarbe::warnung.hell());
    EXPECT_EQ(etikett->palette().color(QPalette::WindowText), Signalfarbe::warnung.hell());
    EXPECT_EQ(etikett->font(), gross);
    EXPECT_EQ(symbol->sizeHint().height(), QFontMetrics(gross).height());

    // Switching to dark around it turns both to the dark variant.
    QPalette dunkel = hell;
    dunkel.setColor(QPalette::Window, QColor(30, 30, 30));
    dunkel.setColor(QPalette::ButtonText, Qt::white);
    grund.setPalette(dunkel);
    EXPECT_EQ(symbol->palette().color(QPalette::WindowText), Signalfarbe::warnung.dunkel());
    EXPECT_EQ(etikett->palette().color(QPalette::WindowText), Signalfarbe::warnung.dunkel());
    const QImage bild = symbol->grab().toImage();
    bool gefaerbt = false;
    for (int y = 0; y < bild.height() && !gefaerbt; ++y) {
        for (int x = 0; x < bild.width() && !gefaerbt; ++x) {
            gefaerbt = bild.pixelColor(x, y).alpha() == 255 &&
                       bild.pixelColor(x, y).rgb() == Signalfarbe::warnung.dunkel().rgb();
        }
    }
    EXPECT_TRUE(gefaerbt);
}

} // namespace
