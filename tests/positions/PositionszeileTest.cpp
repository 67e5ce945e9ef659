#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/Textbruecke.h"
#include "positions/Positionsfusszeile.h"
#include "positions/Positionszeile.h"
#include "sources/Kursdienst.h"
#include "valuation/Testspiel.h"

namespace qb {

void PrintTo(const Positionszeile::Beschriftung& teil, std::ostream* aus) {
    *aus << '{' << utf8(teil.text) << (teil.symbol.isEmpty() ? "" : " | " + utf8(teil.symbol)) << '}';
}

} // namespace qb

namespace {

using namespace qb;
using namespace testspiel;

const Formatierer deutsch("de_DE");

// "·" in the expected texts stands for the no-break space U+00A0.
QString nbsp(std::string text) {
    for (std::size_t i; (i = text.find("·")) != std::string::npos;) {
        text.replace(i, std::string("·").size(), "\u00A0");
    }
    return qtText(text);
}

using Beschriftungen = std::vector<Positionszeile::Beschriftung>;
const Positionszeile::Beschriftung ohneVergleich{QStringLiteral("ohne Vergleichskurs"), QStringLiteral("equal.circle")};
const Positionszeile::Beschriftung prozent{QStringLiteral("Prozent vom Nennwert"), QString()};

Positionszeile::Beschriftung kennung(const char* text) {
    return {QString::fromUtf8(text), QString()};
}

struct Zeilenfall {
    const char* name;
    Assetklasse klasse;
    // Builds the class's position in the portfolio; none leaves the class without one.
    std::function<std::shared_ptr<Position>(const std::shared_ptr<Portfolio>&)> position;
    const char* titel;
    Beschriftungen beschriftung;
    const char* menge;
    const char* wert;
    const char* barrierefrei;
};

std::shared_ptr<Position> mitKennung(std::shared_ptr<Position> position, const char* kennung) {
    position->setzeKennung(kennung);
    return position;
}

TEST(PositionszeileTest, zeigtVollstaendigePositionenUndSonstNochOffen) {
    const std::vector<Zeilenfall> faelle{
        {"ohne Position", Assetklasse::aktie, nullptr, "noch offen", {}, "", "", "Aktie, noch offen"},
        {"ohne Stückzahl", Assetklasse::rohstoff,
         [](const auto& p) { return kaufe(p, Assetklasse::rohstoff, "Gold", 0, eur("1800")); }, "noch offen", {}, "",
         "", "Rohstoff, noch offen"},
        {"ohne Kaufkurs", Assetklasse::co2Zertifikat,
         [](const auto& p) { return kaufe(p, Assetklasse::co2Zertifikat, "EUA", 5, eur("0")); }, "noch offen", {}, "",
         "", "CO2-Zertifikat, noch offen"},
        {"ohne Namen", Assetklasse::anleihe,
         [](const auto& p) { return kaufe(p, Assetklasse::anleihe, "", 5, eur("98")); }, "noch offen", {}, "", "",
         "Anleihe, noch offen"},
        {"Aktie mit gültiger ISIN", Assetklasse::aktie,
         [](const auto& p) { return mitKennung(kaufe(p, Assetklasse::aktie, " SAP ", 100, eur("12.5")), "DE0007164600"); },
         " SAP ", {kennung("DE0007164600")}, "100·Stück", "für 1.250,00·€",
         "Aktie,  SAP , Gekauft: 100·Stück zu je 12,50 € = 1.250,00·€"},
        {"leere Kennung", Assetklasse::aktie,
         [](const auto& p) { return kaufe(p, Assetklasse::aktie, "SAP", 3, eur("100")); }, "SAP", {ohneVergleich},
         "3·Stück", "für 300,00·€", "Aktie, SAP, Gekauft: 3·Stück zu je 100,00 € = 300,00·€, ohne Vergleichskurs"},
        {"Prüfziffer falsch", Assetklasse::aktie,
         [](const auto& p) { return mitKennung(kaufe(p, Assetklasse::aktie, "SAP", 1, eur("100")), "DE0007164601"); },
         "SAP", {kennung("DE0007164601"), ohneVergleich}, "1·Stück", "für 100,00·€",
         "Aktie, SAP, Gekauft: 1·Stück zu je 100,00 € = 100,00·€, ohne Vergleichskurs"},
        {"Rohstoff-Referenzpreis", Assetklasse::rohstoff,
         [](const auto& p) { return mitKennung(kaufe(p, Assetklasse::rohstoff, "Gold", 2, eur("2000")), "XC0009655157"); },
         "Gold", {kennung("XC0009655157"), ohneVergleich}, "2·Einheiten", "für 4.000,00·€",
         "Rohstoff, Gold, Gekauft: 2·Einheiten zu je 2.000,00 € = 4.000,00·€, ohne Vergleichskurs"},
        {"Währungscode klein mit Leerzeichen", Assetklasse::waehrung,
         [](const auto& p) {
             return mitKennung(kaufe(p, Assetklasse::waehrung, "Dollar", 1000, fremd("1", "USD", "1.08")), " usd ");
         },
         "Dollar", {kennung(" usd ")}, "1.000·USD", "für 925,93·€",
         "Währung, Dollar, Gekauft: 1.000·USD für 925,93·€ (1·€·=·1,08·USD)"},
        {"kein Währungscode", Assetklasse::waehrung,
         [](const auto& p) { return mitKennung(kaufe(p, Assetklasse::waehrung, "Dollar", 10, eur("0.9")), "US$"); },
         "Dollar", {kennung("US$"), ohneVergleich}, "10·Einheiten", "für 9,00·€",
         "Währung, Dollar, Gekauft: 10·Einheiten zu je 0,90 € = 9,00·€, ohne Vergleichskurs"},
        {"Anleihe in Prozent vom Nennwert", Assetklasse::anleihe,
         [](const auto& p) { return mitKennung(kaufe(p, Assetklasse::anleihe, "Bund", 10, eur("98.5")), "DE0001102614"); },
         "Bund", {kennung("DE0001102614"), prozent}, "10·Stück", "für 985,00·€",
         "Anleihe, Bund, Gekauft: 10·Stück zu 98,50 % von 100,00·€ Nennwert = 985,00·€, Prozent vom Nennwert"},
    };
    const Kursdienst dienst = Kursdienst::standard();
    for (const Zeilenfall& fall : faelle) {
        SCOPED_TRACE(fall.name);
        auto portfolio = spiel();
        std::shared_ptr<Position> position = fall.position ? fall.position(portfolio) : nullptr;

        const Positionszeile zeile = Positionszeile::aus(fall.klasse, position.get(), dienst, deutsch);

        const bool offen = std::string(fall.menge).empty();
        EXPECT_EQ(zeile.klasse, fall.klasse);
        EXPECT_EQ(zeile.bezeichnung, qtText(bezeichnung(fall.klasse)));
        EXPECT_EQ(zeile.offen, offen);
        EXPECT_EQ(utf8(zeile.titel), fall.titel);
        EXPECT_EQ(zeile.beschriftung, fall.beschriftung);
        EXPECT_EQ(zeile.menge, nbsp(fall.menge));
        EXPECT_EQ(zeile.wert, nbsp(fall.wert));
        // The tooltip is the purchase summary, which the accessibility label repeats.
        EXPECT_EQ(zeile.zusammenfassung.isEmpty(), offen);
        EXPECT_TRUE(nbsp(fall.barrierefrei).contains(zeile.zusammenfassung));
        EXPECT_EQ(zeile.barrierefreiName, nbsp(fall.barrierefrei));
    }
    EXPECT_EQ(Positionszeile::barrierefreiHinweis(), QStringLiteral("Zum Bearbeiten öffnen"));
}

std::string datumText(const std::optional<Zeitpunkt>& t) {
    return t ? deutsch.datumMitMonatUndUhrzeit(*t, Zeitzone("Europe/Berlin")) : "—";
}

struct Fussfall {
    const char* name;
    // Fills the portfolio; every reference date it makes is complete unless it has no price.
    std::function<void(const std::shared_ptr<Portfolio>&)> spiel;
    std::optional<Zeitpunkt> bezug;
    std::optional<Dezimal> veraenderung;
    std::optional<Zeitpunkt> offenerStichtag;
    // Invested at purchase, and the total value of the state shown (absent: not known).
    const char* investiert;
    std::optional<Dezimal> gesamtwert;
};

TEST(PositionszeileTest, dieFusszeileZeigtDenJuengstenVollstaendigenStichtagOderDenKauf) {
    const Zeitpunkt d1 = tag(2026, 3, 9), d2 = tag(2026, 3, 16), d3 = tag(2026, 3, 23);
    auto aktie = [](const std::shared_ptr<Portfolio>& p) { return kaufe(p, Assetklasse::aktie, "SAP", 10, eur("100")); };
    auto mitKurs = [](const std::shared_ptr<Portfolio>& p, const std::shared_ptr<Position>& pos, Zeitpunkt t,
                      const char* kurs) { notiere(stichtag(p, t), pos, eur(kurs)); };

    const std::vector<Fussfall> faelle{
        {"neues Spiel", [](const auto&) {}, std::nullopt, std::nullopt, std::nullopt, "0", d("10000")},
        {"nur unvollständige Stichtage",
         [&](const auto& p) {
             aktie(p);
             stichtag(p, d1);
             stichtag(p, d2);
         },
         std::nullopt, std::nullopt, d2, "1000", d("10000")},
        {"ein vollständiger Stichtag", [&](const auto& p) { mitKurs(p, aktie(p), d1, "120"); }, d1, std::nullopt,
         std::nullopt, "1000", d("10200")},
        {"zwei vollständige und ein offener danach",
         [&](const auto& p) {
             auto pos = aktie(p);
             mitKurs(p, pos, d1, "120");
             mitKurs(p, pos, d2, "90");
             stichtag(p, d3);
         },
         d2, d("-300"), d3, "1000", d("9900")},
        {"ein offener vor dem jüngsten vollständigen",
         [&](const auto& p) {
             auto pos = aktie(p);
             stichtag(p, d1);
             mitKurs(p, pos, d2, "110");
         },
         d2, std::nullopt, std::nullopt, "1000", d("10100")},
    };
    for (const Fussfall& fall : faelle) {
        SCOPED_TRACE(fall.name);
        auto portfolio = spiel();
        fall.spiel(portfolio);

        const Positionsfusszeile fuss = Positionsfusszeile::aus(*portfolio);

        EXPECT_EQ(datumText(fuss.bezug.datum()), datumText(fall.bezug));
        EXPECT_EQ(text(fuss.veraenderung ? std::optional(fuss.veraenderung->betrag) : std::nullopt),
                  text(fall.veraenderung));
        if (fuss.veraenderung) {
            EXPECT_EQ(fuss.veraenderung->seit, d1);
            EXPECT_EQ(fuss.veraenderung->am, d2);
        }
        EXPECT_EQ(datumText(fuss.offenerStichtag), datumText(fall.offenerStichtag));
        EXPECT_EQ(fuss.stand.investiert(), d(fall.investiert));
        EXPECT_EQ(text(fuss.stand.gesamtwert()), text(fall.gesamtwert));
    }
}

} // namespace
