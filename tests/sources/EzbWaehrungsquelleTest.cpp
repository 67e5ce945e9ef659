#include <variant>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "sources/EzbWaehrungsquelle.h"
#include "sources/Testhilfen.h"

using nlohmann::json;
using qb::Dezimal;
using qb::EzbWaehrungsquelle;
using qb::Kursfehler;
using qb::Kursnotierung;
using qbtest::Antwort;
using qbtest::berlin;
using qbtest::kursfehler;

namespace {

const char* const reihenPfad = "/v2/rates";

json kurs(const char* datum, json rate, const char* base = "EUR", const char* quote = "USD") {
    json j = json::object();
    if (datum) {
        j["date"] = datum;
    }
    if (base) {
        j["base"] = base;
    }
    if (quote) {
        j["quote"] = quote;
    }
    if (!rate.is_discarded()) {
        j["rate"] = std::move(rate);
    }
    return j;
}

const json ohneRate = json(json::value_t::discarded);

class EzbTest : public ::testing::Test {
protected:
    qbtest::Testserver server;
    EzbWaehrungsquelle quelle{"EZB-Referenzkurs", qbtest::abrufFuer(server), server.adresse()};

    void einzel(const json& antwort) { server.beantworte("/v2/rate/EUR/USD", Antwort::json(antwort.dump())); }
    void reihe(const json& antwort) { server.beantworte(reihenPfad, Antwort::json(antwort.dump())); }
};

TEST_F(EzbTest, liefertDenAktuellenKursAlsEuroWertEinerEinheit) {
    einzel(kurs("2024-05-17", "1.0850"));
    auto vorher = qb::jetzt();

    Kursnotierung n = quelle.aktuellerKurs(" usd\t", {});

    EXPECT_EQ(n.kurs, Dezimal::aus("0.921658986175"));
    EXPECT_EQ(n.waehrung, "EUR");
    EXPECT_EQ(n.art, qb::Kursart::tagesschluss);
    EXPECT_EQ(n.notierungsart, qb::Notierungsart::stueckpreis);
    EXPECT_EQ(n.kursdatum, berlin(2024, 5, 17));
    EXPECT_GE(n.abgerufenAm, vorher);
    EXPECT_EQ(n.quelle, "EZB-Referenzkurs");
    EXPECT_EQ(n.handelsumfang, std::nullopt);
    EXPECT_EQ(n.umrechnung, (qb::Umrechnung{Dezimal(1), "USD", Dezimal::aus("1.085")}));
    EXPECT_EQ(quelle.umrechnungskurs("usd", std::nullopt, {}), Dezimal::aus("1.0850"));

    auto anfragen = server.anfragen();
    ASSERT_EQ(anfragen.size(), 2u);
    EXPECT_EQ(anfragen[0].ziel, "/v2/rate/EUR/USD?providers=ECB");
    EXPECT_EQ(quelle.kennungshinweis(), "Währungscode, zum Beispiel USD");
}

TEST_F(EzbTest, beantwortetEuroOhneAnfrage) {
    const auto am = berlin(2024, 5, 19, 10);
    const auto bis = berlin(2024, 6, 1);
    Kursnotierung aktuell = quelle.aktuellerKurs("eur", {});
    EXPECT_EQ(aktuell.kurs, Dezimal(1));
    EXPECT_EQ(aktuell.waehrung, "EUR");
    EXPECT_EQ(aktuell.art, qb::Kursart::tagesschluss);
    EXPECT_EQ(aktuell.notierungsart, qb::Notierungsart::stueckpreis);
    EXPECT_EQ(aktuell.kursdatum, aktuell.abgerufenAm);
    EXPECT_EQ(aktuell.umrechnung, std::nullopt);
    EXPECT_EQ(quelle.kurs("EUR", am, {}).kursdatum, am);
    qb::Kursreihe reihe = quelle.kursreihe(" EUR ", am, bis, {});
    EXPECT_EQ(reihe.punkte, (std::vector<qb::Kurspunkt>{{am, Dezimal(1), std::nullopt}}));
    EXPECT_EQ(reihe.waehrung, "EUR");
    EXPECT_EQ(reihe.quelle, "EZB-Referenzkurs");
    EXPECT_EQ(quelle.umrechnungskurs("EUR", am, {}), Dezimal(1));
    EXPECT_EQ(quelle.umrechnungsreihe("eur", am, bis, {}), (std::vector<qb::Kurspunkt>{{am, Dezimal(1), std::nullopt}}));
    EXPECT_TRUE(server.anfragen().empty());
}

TEST_F(EzbTest, keinWaehrungscodeIstEineUnbekannteKennung) {
    for (std::string text : {"US", "US$", "€€€", "", "USDX"}) {
        EXPECT_EQ(quelle.pruefe(text), qb::Kennungsurteil::nichtErkannt) << text;
        EXPECT_EQ(kursfehler([&] { quelle.aktuellerKurs(text, {}); }), Kursfehler::kennungUnbekannt(text));
        EXPECT_EQ(kursfehler([&] { quelle.umrechnungskurs(text, std::nullopt, {}); }),
                  Kursfehler::kennungUnbekannt(text));
        EXPECT_EQ(kursfehler([&] { quelle.umrechnungsreihe(text, berlin(2024, 5, 1), berlin(2024, 5, 2), {}); }),
                  Kursfehler::kennungUnbekannt(text));
    }
    EXPECT_EQ(quelle.pruefe("eur"), qb::Kennungsurteil::verwendbar);
    EXPECT_EQ(quelle.pruefe(" chf "), qb::Kennungsurteil::verwendbar);
    EXPECT_TRUE(server.anfragen().empty());
}

TEST_F(EzbTest, eineUnbrauchbareAdresseWirdNichtAngefragt) {
    EzbWaehrungsquelle kaputt{"EZB-Referenzkurs", qbtest::abrufFuer(server), "keine adresse"};
    const Kursfehler erwartet = Kursfehler::antwortUnlesbar("Adresse nicht bildbar");
    EXPECT_EQ(kursfehler([&] { kaputt.aktuellerKurs("USD", {}); }), erwartet);
    EXPECT_EQ(kursfehler([&] { kaputt.umrechnungskurs("USD", berlin(2024, 5, 17), {}); }), erwartet);
    EXPECT_EQ(kursfehler([&] { kaputt.umrechnungsreihe("USD", berlin(2024, 5, 1), berlin(2024, 5, 17), {}); }), erwartet);
    EXPECT_EQ(kaputt.umrechnungskurs("EUR", std::nullopt, {}), Dezimal(1));
    EXPECT_TRUE(server.anfragen().empty());
}

TEST_F(EzbTest, prueftJedeAntwort) {
    struct Fall {
        json antwort;
        std::variant<const char*, Kursfehler> erwartet;
    };
    const Fall faelle[] = {
        {kurs("2024-05-17", "0.0001"), "0.0001"},
        {kurs("2024-05-17", 1000000), "1000000"},
        {kurs("2024-05-17", 1.085, "eur", "usd"), "1.085"},
        {kurs("2024-05-17", "0.00009"), Kursfehler::keinKursEnthalten("USD")},
        {kurs("2024-05-17", "1000000.01"), Kursfehler::keinKursEnthalten("USD")},
        {kurs("2024-05-17", 0), Kursfehler::keinKursEnthalten("USD")},
        {kurs("2024-05-17", ohneRate), Kursfehler::keinKursEnthalten("USD")},
        {kurs("2024-05-17", 1.1, nullptr), Kursfehler::antwortUnlesbar("Erwartet wurde EUR nach USD, geliefert wurde ? nach USD")},
        {kurs("2024-05-17", 1.1, "USD", "EUR"),
         Kursfehler::antwortUnlesbar("Erwartet wurde EUR nach USD, geliefert wurde USD nach EUR")},
        {kurs("2024-05-17", 1.1, "EUR", nullptr),
         Kursfehler::antwortUnlesbar("Erwartet wurde EUR nach USD, geliefert wurde EUR nach ?")},
        // The pair is checked before the rate.
        {kurs("2024-05-17", ohneRate, "EUR", "GBP"),
         Kursfehler::antwortUnlesbar("Erwartet wurde EUR nach USD, geliefert wurde EUR nach GBP")},
        {kurs("2024-05-17", "1,2,3"), Kursfehler::antwortUnlesbar("Feld „rate“: Zahl nicht lesbar: 1,2,3")},
        {kurs("2024-05-17", true), Kursfehler::antwortUnlesbar("Feld „rate“: Zahl erwartet, gefunden: boolean")},
        {json::array({kurs("2024-05-17", 1)}), Kursfehler::antwortUnlesbar("Objekt erwartet, gefunden: array")},
    };
    for (const auto& fall : faelle) {
        einzel(fall.antwort);
        if (const auto* fehler = std::get_if<Kursfehler>(&fall.erwartet)) {
            EXPECT_EQ(kursfehler([&] { quelle.aktuellerKurs("USD", {}); }), *fehler) << fall.antwort.dump();
        } else {
            EXPECT_EQ(quelle.aktuellerKurs("USD", {}).umrechnung->kurs, Dezimal::aus(std::get<const char*>(fall.erwartet)))
                << fall.antwort.dump();
        }
    }
}

TEST_F(EzbTest, einDatumFehltOderIstUnlesbar) {
    for (const char* datum : {static_cast<const char*>(nullptr), "17.05.2024", "2024-05-17T00:00:00Z", "2024-13-01"}) {
        einzel(kurs(datum, "1.1"));
        EXPECT_EQ(quelle.aktuellerKurs("USD", {}).kursdatum, std::nullopt) << (datum ? datum : "ohne");
        EXPECT_EQ(kursfehler([&] { quelle.kurs("USD", berlin(2024, 5, 19), {}); }),
                  Kursfehler::antwortUnlesbar("Kurs ohne Datum"));
        EXPECT_EQ(kursfehler([&] { quelle.umrechnungskurs("USD", berlin(2024, 5, 19), {}); }),
                  Kursfehler::antwortUnlesbar("Kurs ohne Datum"));
    }
}

TEST_F(EzbTest, kursFuerEinenTagDarfFrueherSeinAberNieSpaeter) {
    const auto sonntag = berlin(2024, 5, 19, 23, 30);
    einzel(kurs("2024-05-17", "1.08"));
    Kursnotierung n = quelle.kurs("USD", sonntag, {});
    EXPECT_EQ(n.kursdatum, berlin(2024, 5, 17));
    EXPECT_EQ(n.kurs, Dezimal::aus("0.925925925926"));
    EXPECT_EQ(quelle.umrechnungskurs("USD", sonntag, {}), Dezimal::aus("1.08"));
    EXPECT_EQ(server.anfragen().at(0).ziel, "/v2/rate/EUR/USD?providers=ECB&date=2024-05-19");

    einzel(kurs("2024-05-19", "1.08"));
    EXPECT_EQ(quelle.kurs("USD", sonntag, {}).kursdatum, berlin(2024, 5, 19));

    einzel(kurs("2024-05-20", "1.08"));
    const Kursfehler spaeter = Kursfehler::antwortUnlesbar("Kurs vom 2024-05-20 statt bis 2024-05-19");
    EXPECT_EQ(kursfehler([&] { quelle.kurs("USD", sonntag, {}); }), spaeter);
    EXPECT_EQ(kursfehler([&] { quelle.umrechnungskurs("USD", sonntag, {}); }), spaeter);
}

TEST_F(EzbTest, nichtGefundenWirdZurUnbekanntenKennung) {
    const auto tag = berlin(2024, 5, 19);
    for (int status : {400, 404, 410, 422}) {
        server.beantworte("/v2/rate/EUR/USD", Antwort::nachStatus(status));
        server.beantworte(reihenPfad, Antwort::nachStatus(status));
        EXPECT_EQ(kursfehler([&] { quelle.aktuellerKurs("usd", {}); }), Kursfehler::kennungUnbekannt("USD"));
        EXPECT_EQ(kursfehler([&] { quelle.kurs("usd", tag, {}); }), Kursfehler::kennungUnbekannt("USD"));
        EXPECT_EQ(kursfehler([&] { quelle.kursreihe("usd", tag, tag, {}); }), Kursfehler::kennungUnbekannt("USD"));
        EXPECT_EQ(kursfehler([&] { quelle.umrechnungsreihe("usd", tag, tag, {}); }), Kursfehler::kennungUnbekannt("USD"));
    }
    server.beantworte("/v2/rate/EUR/USD", Antwort::nachStatus(429));
    server.beantworte(reihenPfad, Antwort::json(""));
    EXPECT_EQ(kursfehler([&] { quelle.umrechnungskurs("usd", std::nullopt, {}); }), Kursfehler::quellenfehler(429));
    EXPECT_EQ(kursfehler([&] { quelle.umrechnungsreihe("usd", tag, tag, {}); }),
              Kursfehler::antwortUnlesbar("Antwort war leer"));
}

TEST_F(EzbTest, reiheUeberspringtUnbrauchbarePunkteUndSortiert) {
    reihe(json::array({kurs("2024-05-17", "1.08"), kurs("2024-05-15", 1.07), kurs("2024-05-16", ohneRate),
                       kurs(nullptr, 1.5), kurs("16.05.2024", 1.5), kurs("2024-05-14", "0.00001"),
                       kurs("2024-05-16", "1.075", "eur", "usd"), kurs("2024-05-15", 9)}));
    const auto von = berlin(2024, 5, 10, 12);
    const auto bis = berlin(2024, 5, 17, 18);

    EXPECT_EQ(quelle.umrechnungsreihe("USD", von, bis, {}),
              (std::vector<qb::Kurspunkt>{{berlin(2024, 5, 15), Dezimal::aus("1.07"), std::nullopt},
                                          {berlin(2024, 5, 15), Dezimal(9), std::nullopt},
                                          {berlin(2024, 5, 16), Dezimal::aus("1.075"), std::nullopt},
                                          {berlin(2024, 5, 17), Dezimal::aus("1.08"), std::nullopt}}));
    qb::Kursreihe r = quelle.kursreihe("usd", von, bis, {});
    EXPECT_EQ(r.waehrung, "EUR");
    EXPECT_EQ(r.quelle, "EZB-Referenzkurs");
    ASSERT_EQ(r.punkte.size(), 4u);
    EXPECT_EQ(r.punkte[0], (qb::Kurspunkt{berlin(2024, 5, 15), Dezimal::aus("0.934579439252"),
                                          qb::Umrechnung{Dezimal(1), "USD", Dezimal::aus("1.07")}}));
    EXPECT_EQ(r.punkte[3].kurs, Dezimal::aus("0.925925925926"));

    auto anfragen = server.anfragen(reihenPfad);
    ASSERT_EQ(anfragen.size(), 2u);
    EXPECT_EQ(anfragen[0].ziel, "/v2/rates?base=EUR&quotes=USD&from=2024-05-10&to=2024-05-17&providers=ECB");
}

TEST_F(EzbTest, reiheOhneBrauchbarenPunktOderMitFalschemPaarScheitert) {
    const auto tag = berlin(2024, 5, 17);
    struct Fall {
        json antwort;
        Kursfehler erwartet;
    };
    const Fall faelle[] = {
        {json::array(), Kursfehler::keinKursEnthalten("USD")},
        {json::array({kurs("2024-05-17", ohneRate), kurs("2024-05-16", 0), kurs(nullptr, 1)}),
         Kursfehler::keinKursEnthalten("USD")},
        {json::array({kurs("2024-05-17", 1.1), kurs("2024-05-16", 1.1, "EUR", "GBP")}),
         Kursfehler::antwortUnlesbar("Erwartet wurde EUR nach USD, geliefert wurde EUR nach GBP")},
        {kurs("2024-05-17", 1.1), Kursfehler::antwortUnlesbar("Liste erwartet, gefunden: object")},
        {json::array({kurs("2024-05-17", 1.1), 5}), Kursfehler::antwortUnlesbar("Feld „[1]“: Objekt erwartet, gefunden: number")},
        {json::array({kurs("2024-05-17", "x")}), Kursfehler::antwortUnlesbar("Feld „[0].rate“: Zahl nicht lesbar: x")},
    };
    for (const auto& fall : faelle) {
        reihe(fall.antwort);
        EXPECT_EQ(kursfehler([&] { quelle.umrechnungsreihe("USD", tag, tag, {}); }), fall.erwartet) << fall.antwort.dump();
        EXPECT_EQ(kursfehler([&] { quelle.kursreihe("USD", tag, tag, {}); }), fall.erwartet) << fall.antwort.dump();
    }
}

} // namespace
