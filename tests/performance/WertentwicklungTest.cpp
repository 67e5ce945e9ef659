#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "performance/Flaechenstueck.h"
#include "performance/Wertentwicklung.h"
#include "valuation/Portfoliostand.h"
#include "valuation/Testspiel.h"

namespace {

using namespace qb;
using testspiel::d;
using std::chrono::hours;

const Zeitpunkt t0 = testspiel::tag(2026, 12, 1);

// "id über|unter: stelle@stunden:wert …" per piece, pieces joined by " | ".
std::string beschreibe(const std::vector<Flaechenstueck>& stuecke) {
    std::string text;
    for (const auto& stueck : stuecke) {
        if (!text.empty()) {
            text += " | ";
        }
        text += std::to_string(stueck.id) + (stueck.ueberEinsatz ? " über:" : " unter:");
        for (const auto& stelle : stueck.stellen) {
            const auto stunden = std::chrono::duration<double, std::ratio<3600>>(stelle.datum - t0).count();
            text += " " + std::to_string(stelle.id) + "@" + std::to_string(static_cast<int>(stunden)) + ":" +
                    std::to_string(static_cast<long long>(stelle.wert));
        }
    }
    return text;
}

std::vector<Kurvenpunkt> kurve(const std::vector<const char*>& werte, hours abstand = hours(24)) {
    std::vector<Kurvenpunkt> punkte;
    for (std::size_t i = 0; i < werte.size(); ++i) {
        punkte.push_back({static_cast<std::int64_t>(i), t0 + abstand * static_cast<int>(i), d(werte[i])});
    }
    return punkte;
}

Wertentwicklung chart(std::vector<Kurvenpunkt> punkte, const char* startkapital = "10000",
                      Wertentwicklung::Punktart art = Wertentwicklung::Punktart::stichtag, std::int64_t ausgelassen = 0) {
    auto portfolio = testspiel::spiel(startkapital);
    return Wertentwicklung(std::move(punkte), d(startkapital), Portfoliostand(*portfolio, nullptr), ausgelassen,
                           std::nullopt, std::nullopt, art);
}

TEST(Wertentwicklung, zerlegtDieKurveAnKreuzungenUndPunktenAufDerLinie) {
    struct Fall {
        std::vector<const char*> werte;
        hours abstand;
        std::string stuecke;
        std::int64_t wechsel;
    };
    const std::vector<Fall> faelle{
        {{}, hours(24), "", 0},
        {{"10500"}, hours(24), "", 0},
        {{"10000", "10500"}, hours(24), "0 über: 1@0:10000 2@24:10500", 0},
        {{"10500", "9500"}, hours(48), "0 über: 1@0:10500 2@24:10000 | 1 unter: 3@24:10000 4@48:9500", 1},
        {{"10500", "10000", "10300"}, hours(24), "0 über: 1@0:10500 2@24:10000 | 1 über: 3@24:10000 4@48:10300", 0},
        {{"9000", "10000", "11000"}, hours(24), "0 unter: 1@0:9000 2@24:10000 | 1 über: 3@24:10000 4@48:11000", 1},
        {{"10000", "10000", "10000"}, hours(24), "0 über: 1@0:10000 2@24:10000 | 1 über: 3@24:10000 4@48:10000", 0},
        {{"10500", "9500", "10500"},
         hours(24),
         "0 über: 1@0:10500 2@12:10000 | 1 unter: 3@12:10000 4@24:9500 5@36:10000 | 2 über: 6@36:10000 7@48:10500",
         2},
        // A crossing a quarter of the way: f = 100 / 400.
        {{"10100", "9700"}, hours(24), "0 über: 1@0:10100 2@6:10000 | 1 unter: 3@6:10000 4@24:9700", 1},
    };
    for (const auto& fall : faelle) {
        const auto punkte = kurve(fall.werte, fall.abstand);
        std::vector<Flaechenstueck::Punkt> doppelt;
        std::vector<Dezimal> werte;
        for (const auto& punkt : punkte) {
            doppelt.push_back({punkt.datum, punkt.wert.alsDouble()});
            werte.push_back(punkt.wert);
        }
        EXPECT_EQ(beschreibe(Flaechenstueck::zerlege(doppelt, 10000)), fall.stuecke) << fall.stuecke;
        EXPECT_EQ(Wertentwicklung::seitenwechsel(werte, d("10000")), fall.wechsel) << fall.stuecke;
    }
    // Exact against the line: a cent above it is above.
    EXPECT_EQ(Wertentwicklung::seitenwechsel({d("10000.01"), d("9999.99")}, d("10000")), 1);
}

TEST(Wertentwicklung, xBereichMitHalbemTagOderAchtProzentRand) {
    struct Fall {
        std::vector<Kurvenpunkt> punkte;
        Zeitpunkt von;
        Zeitpunkt bis;
    };
    const std::vector<Fall> faelle{
        {kurve({"10500"}), t0 - hours(12), t0 + hours(12)},
        {kurve({"10500", "10600"}), t0 - hours(12), t0 + hours(36)},
        {kurve({"10500", "10600"}, hours(24 * 100)), t0 - hours(24 * 8), t0 + hours(24 * 108)},
    };
    for (const auto& fall : faelle) {
        const auto bereich = chart(fall.punkte).xBereich();
        EXPECT_EQ(bereich.von, fall.von);
        EXPECT_EQ(bereich.bis, fall.bis);
    }
    // Without points the stand-in point, now, is in the middle.
    const Zeitpunkt vorher = jetzt();
    const auto leer = chart({}).xBereich();
    EXPECT_GE(leer.von + hours(12), vorher);
    EXPECT_EQ(leer.bis - leer.von, hours(24));
}

TEST(Wertentwicklung, yBereichAchsenwerteUndNachkommastellen) {
    struct Fall {
        std::vector<const char*> werte;
        const char* startkapital;
        double von;
        double bis;
        int stellen;
        std::vector<std::string> beschriftungen;
    };
    const std::vector<Fall> faelle{
        {{"10000", "10010"}, "10000", 9973.8, 10036.2, 0, {"9.980\u00A0€", "9.990\u00A0€", "10.000\u00A0€", "10.010\u00A0€", "10.020\u00A0€", "10.030\u00A0€"}},
        {{"1000", "1000"}, "1000", 996.88, 1003.12, 2, {"998,00\u00A0€", "1.000,00\u00A0€", "1.002,00\u00A0€"}},
        {{"9000", "11000"},
         "10000",
         8440,
         11560,
         0,
         {"9.000\u00A0€", "10.000\u00A0€", "11.000\u00A0€"}},
        // A span of 10 with a capital of 100: the minimum of 1 no longer applies.
        {{"100", "110"}, "100", 97.2, 112.8, 2, {"100,00\u00A0€", "105,00\u00A0€", "110,00\u00A0€"}},
    };
    for (const auto& fall : faelle) {
        const Wertentwicklung daten = chart(kurve(fall.werte), fall.startkapital);
        const auto bereich = daten.yBereich();
        EXPECT_NEAR(bereich.von, fall.von, 1e-9) << fall.startkapital;
        EXPECT_NEAR(bereich.bis, fall.bis, 1e-9) << fall.startkapital;
        EXPECT_EQ(daten.yNachkommastellen(), fall.stellen) << fall.startkapital;
        std::vector<std::string> beschriftungen;
        for (const auto& wert : daten.yAchsenWerte()) {
            beschriftungen.push_back(daten.yBeschriftung(wert));
        }
        EXPECT_EQ(beschriftungen, fall.beschriftungen) << fall.startkapital;
    }
}

TEST(Wertentwicklung, xAchsenWerteEndenImmerAmNeuestenPunkt) {
    struct Fall {
        std::size_t n;
        std::vector<int> indizes;
    };
    const std::vector<Fall> faelle{
        {0, {}},
        {1, {0}},
        {6, {0, 1, 2, 3, 4, 5}},
        {7, {0, 2, 4, 6}},
        {8, {0, 2, 4, 6, 7}},
        {13, {0, 3, 6, 9, 12}},
        {22, {0, 4, 8, 12, 16, 21}},
    };
    for (const auto& fall : faelle) {
        const Wertentwicklung daten = chart(kurve(std::vector<const char*>(fall.n, "10100")));
        std::vector<int> indizes;
        for (const Zeitpunkt datum : daten.xAchsenWerte()) {
            indizes.push_back(static_cast<int>((datum - t0) / hours(24)));
        }
        EXPECT_EQ(indizes, fall.indizes) << fall.n;
    }
    EXPECT_EQ(chart(kurve({"10100"})).achsendatum(testspiel::tag(2026, 12, 6)), "06.12.");
}

TEST(Wertentwicklung, waehltDenNaechstenPunktUndBeiGleichstandDenFrueheren) {
    const Wertentwicklung daten = chart(kurve({"10100", "10200", "10300"}));
    struct Fall {
        std::optional<Zeitpunkt> auswahl;
        std::optional<std::int64_t> id;
    };
    const std::vector<Fall> faelle{
        {std::nullopt, std::nullopt},
        {t0 - hours(100), 0},
        {t0 + hours(12), 0},
        {t0 + hours(13), 1},
        {t0 + hours(36), 1},
        {t0 + hours(37), 2},
        {t0 + hours(1000), 2},
    };
    for (const auto& fall : faelle) {
        const auto punkt = daten.ausgewaehlterPunkt(fall.auswahl);
        EXPECT_EQ(punkt ? std::optional<std::int64_t>(punkt->id) : std::nullopt, fall.id);
    }
    EXPECT_FALSE(chart({}).ausgewaehlterPunkt(t0).has_value());
}

TEST(Wertentwicklung, lagePunkttexteUndKopf) {
    struct Fall {
        const char* wert;
        Lage lage;
        std::string punkttext;
        std::string plakette;
        std::string symbol;
        Wertentwicklung::Punktform form;
    };
    const std::vector<Fall> faelle{
        {"10500.5", Lage::ueberEinsatz, "10.500,50\u00A0€, 500,50\u00A0€ über dem Startkapital", "Über dem Startkapital",
         "arrow.up.right.circle.fill", Wertentwicklung::Punktform::kreis},
        {"9750", Lage::unterEinsatz, "9.750,00\u00A0€, 250,00\u00A0€ unter dem Startkapital", "Unter dem Startkapital",
         "arrow.down.right.circle.fill", Wertentwicklung::Punktform::quadrat},
        {"10000", Lage::aufEinsatz, "10.000,00\u00A0€, genau auf dem Startkapital", "Genau auf dem Startkapital",
         "equal.circle.fill", Wertentwicklung::Punktform::raute},
    };
    for (const auto& fall : faelle) {
        const Wertentwicklung daten = chart({{0, testspiel::tag(2026, 12, 6), d(fall.wert)}});
        EXPECT_EQ(daten.lage(), fall.lage);
        EXPECT_EQ(daten.punkttext(daten.letzterPunkt()), fall.punkttext);
        EXPECT_EQ(Wertentwicklung::plakettentext(daten.lage()), fall.plakette);
        EXPECT_EQ(Wertentwicklung::symbolname(daten.lage()), fall.symbol);
        EXPECT_EQ(Wertentwicklung::punktform(daten.lage()), fall.form);
        EXPECT_EQ(daten.standzeile(), "Stand am 6. Dezember 2026");
    }
    // The zero distance on the card of a point on the line.
    const Wertentwicklung auf = chart(kurve({"10000"}));
    EXPECT_EQ(auf.abstandText(auf.letzterPunkt()), "0,00\u00A0€");

    // Without points: the stand-in at the starting capital, exactly on it.
    const Wertentwicklung leer = chart({});
    EXPECT_EQ(leer.lage(), Lage::aufEinsatz);
    EXPECT_EQ(leer.letzterPunkt().wert, d("10000"));
    EXPECT_EQ(leer.ersterPunkt().datum, leer.letzterPunkt().datum);
    EXPECT_TRUE(leer.flaechen().empty());
}

TEST(Wertentwicklung, nurDerNeuestePunktIstGross) {
    // ids as the daily view gives them; the newest is the one with the last id, wherever it is.
    const Wertentwicklung daten = chart(kurve({"10100", "10200", "10300"}));
    std::vector<bool> gross;
    for (const auto& punkt : daten.punkte()) {
        gross.push_back(daten.istNeuester(punkt));
    }
    EXPECT_EQ(gross, (std::vector<bool>{false, false, true}));
}

TEST(Wertentwicklung, hinweisUndHandelstage) {
    EXPECT_EQ(chart(kurve({"10100"}), "10000", Wertentwicklung::Punktart::stichtag, 0).hinweistext(), std::nullopt);
    EXPECT_EQ(chart(kurve({"10100"}), "10000", Wertentwicklung::Punktart::stichtag, 1).hinweistext(),
              "Ein Stichtag ohne vollständige Kurse ist nicht dargestellt");
    EXPECT_EQ(chart(kurve({"10100"}), "10000", Wertentwicklung::Punktart::stichtag, 3).hinweistext(),
              "3 Stichtage ohne vollständige Kurse sind nicht dargestellt");

    EXPECT_EQ(Wertentwicklung::handelstageText(0), "0 Handelstage");
    EXPECT_EQ(Wertentwicklung::handelstageText(1), "Ein Handelstag");
    EXPECT_EQ(Wertentwicklung::handelstageText(2), "2 Handelstage");
    EXPECT_EQ(Wertentwicklung::handelstageText(1000), "1000 Handelstage");
}

TEST(Wertentwicklung, barrierefreieBeschreibung) {
    using Art = Wertentwicklung::Punktart;
    const std::vector<const char*> zweiWechsel{"10100", "10200", "10300", "9900",  "9800",  "9700",
                                               "9600",  "10100", "10200", "10300", "10400", "10500"};
    const std::vector<const char*> keinWechsel{"10100", "10200", "10300", "10000", "10800", "10700",
                                               "10600", "10100", "10200", "10300", "10400", "10500"};
    struct Fall {
        std::vector<Kurvenpunkt> punkte;
        Art art;
        std::string text;
    };
    const std::vector<Fall> faelle{
        {{{0, testspiel::tag(2026, 12, 6), d("10000")}}, Art::stichtag,
         "Ein Stichtag am 6. Dez. 2026. 10.000,00\u00A0€, genau auf dem Startkapital."},
        {{{0, testspiel::tag(2026, 12, 6), d("9990")}}, Art::handelstag,
         "Ein Handelstag am 6. Dez. 2026. 9.990,00\u00A0€, 10,00\u00A0€ unter dem Startkapital."},
        {kurve(zweiWechsel), Art::stichtag,
         "12 Stichtage von 1. Dez. 2026 bis 12. Dez. 2026. Aktuell 10.500,00\u00A0€, 500,00\u00A0€ über dem "
         "Startkapital. Tiefster Wert 9.600,00\u00A0€, höchster Wert 10.500,00\u00A0€. Die Kurve wechselt 2 mal die "
         "Seite."},
        {kurve(keinWechsel), Art::stichtag,
         "12 Stichtage von 1. Dez. 2026 bis 12. Dez. 2026. Aktuell 10.500,00\u00A0€, 500,00\u00A0€ über dem "
         "Startkapital. Tiefster Wert 10.000,00\u00A0€, höchster Wert 10.800,00\u00A0€. Die Kurve bleibt "
         "durchgehend auf einer Seite."},
        {kurve({"10100", "9900"}), Art::handelstag,
         "2 Handelstage von 1. Dez. 2026 bis 2. Dez. 2026. Aktuell 9.900,00\u00A0€, 100,00\u00A0€ unter dem "
         "Startkapital. Tiefster Wert 9.900,00\u00A0€, höchster Wert 10.100,00\u00A0€. Die Kurve wechselt 1 mal die "
         "Seite."},
    };
    for (const auto& fall : faelle) {
        EXPECT_EQ(chart(fall.punkte, "10000", fall.art).barrierefreieBeschreibung(), fall.text);
    }
}

} // namespace
