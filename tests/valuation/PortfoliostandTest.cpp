#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "Testspiel.h"
#include "valuation/Portfoliostand.h"
#include "valuation/Stichtagsverlauf.h"

using namespace qb;
using namespace testspiel;

namespace {

std::string klassen(const std::vector<Assetklasse>& liste) {
    std::string text;
    for (Assetklasse k : liste) {
        text += (text.empty() ? "" : ",") + std::string(rohwert(k));
    }
    return text;
}

// Every field of a state in one line, so two states can be compared as a whole.
std::string beschreibe(const Portfoliostand& s) {
    std::ostringstream o;
    o << "investiert=" << s.investiert().text() << " bar=" << s.barbestand().text()
      << " markt=" << text(s.marktwert()) << " gesamt=" << text(s.gesamtwert())
      << " gewinn=" << text(s.gewinn()) << " rendite=" << text(s.renditeProzent())
      << " offen=" << klassen(s.offeneAssetklassen()) << " fehlend=" << klassen(s.fehlendePreise())
      << " ueberzogen=" << s.istUeberzogen();
    for (const auto& z : s.positionen()) {
        o << " | " << z.id() << " '" << z.name << "' " << text(z.marktwert) << " " << text(z.gewinn) << " "
          << text(z.renditeProzent) << (z.istFestgelegt ? " fest" : " offen");
    }
    return o.str();
}

} // namespace

TEST(Portfoliostand, leeresSpielBeimKauf) {
    struct Fall {
        const char* startkapital;
        const char* rendite;
    };
    for (const Fall& f : {Fall{"10000", "0"}, Fall{"0", "—"}}) {
        auto p = spiel(f.startkapital);
        Portfoliostand s(*p, nullptr);
        EXPECT_EQ(beschreibe(s),
                  "investiert=0 bar=" + std::string(f.startkapital) + " markt=0 gesamt=" + f.startkapital +
                      " gewinn=0 rendite=" + f.rendite +
                      " offen=aktie,anleihe,waehrung,rohstoff,co2Zertifikat fehlend= ueberzogen=0"
                      " | aktie '' — — — offen | anleihe '' — — — offen | waehrung '' — — — offen"
                      " | rohstoff '' — — — offen | co2Zertifikat '' — — — offen")
            << f.startkapital;
    }
}

TEST(Portfoliostand, fehlendePreisnotizenLassenNurDieSummenWeg) {
    auto p = spiel();
    // Added out of class order: the missing classes still come in class order.
    auto rohstoff = kaufe(p, Assetklasse::rohstoff, "Gold", 2, eur("1000"));
    auto aktie = kaufe(p, Assetklasse::aktie, "SAP", 10, eur("100"));
    auto anleihe = kaufe(p, Assetklasse::anleihe, "Bund", 20, eur("95"));
    auto b = stichtag(p, tag(2026, 3, 10));

    EXPECT_EQ(
        beschreibe(Portfoliostand(*p, b.get())),
        "investiert=4900 bar=5100 markt=— gesamt=— gewinn=— rendite=— offen=waehrung,co2Zertifikat"
        " fehlend=aktie,anleihe,rohstoff ueberzogen=0 | aktie 'SAP' — — — fest | anleihe 'Bund' — — — fest"
        " | waehrung '' — — — offen | rohstoff 'Gold' — — — fest | co2Zertifikat '' — — — offen");

    // One price is not enough; the priced row is still valued.
    notiere(b, aktie, eur("110"));
    EXPECT_EQ(
        beschreibe(Portfoliostand(*p, b.get())),
        "investiert=4900 bar=5100 markt=— gesamt=— gewinn=— rendite=— offen=waehrung,co2Zertifikat"
        " fehlend=anleihe,rohstoff ueberzogen=0 | aktie 'SAP' 1100 100 10 fest | anleihe 'Bund' — — — fest"
        " | waehrung '' — — — offen | rohstoff 'Gold' — — — fest | co2Zertifikat '' — — — offen");

    // A note of another reference date never stands in.
    auto spaeter = stichtag(p, tag(2026, 3, 17));
    notiere(spaeter, anleihe, eur("96"));
    notiere(spaeter, rohstoff, eur("1100"));
    EXPECT_EQ(klassen(Portfoliostand(*p, b.get()).fehlendePreise()), "anleihe,rohstoff");
    EXPECT_EQ(klassen(Portfoliostand(*p, spaeter.get()).fehlendePreise()), "aktie");
}

TEST(Portfoliostand, offeneUndUnvollstaendigeKlassenLassenDieSummenStehen) {
    auto p = spiel();
    auto aktie = kaufe(p, Assetklasse::aktie, "SAP", 10, eur("100"));
    // No quantity: incomplete, and its note is ignored.
    auto anleihe = kaufe(p, Assetklasse::anleihe, "Bund", 0, eur("95"));
    auto b = stichtag(p, tag(2026, 3, 10));
    notiere(b, aktie, eur("90"));
    notiere(b, anleihe, eur("99"));

    EXPECT_EQ(beschreibe(Portfoliostand(*p, b.get())),
              "investiert=1000 bar=9000 markt=900 gesamt=9900 gewinn=-100 rendite=-1"
              " offen=waehrung,rohstoff,co2Zertifikat fehlend= ueberzogen=0 | aktie 'SAP' 900 -100 -10 fest"
              " | anleihe 'Bund' — — — offen | waehrung '' — — — offen | rohstoff '' — — — offen"
              " | co2Zertifikat '' — — — offen");
}

TEST(Portfoliostand, ueberzogenErstUeberDemStartkapital) {
    struct Fall {
        const char* kaufpreis;
        const char* barbestand;
        bool ueberzogen;
    };
    for (const Fall& f : {Fall{"9999.99", "0.01", false}, Fall{"10000", "0", false},
                          Fall{"10000.01", "-0.01", true}, Fall{"25000", "-15000", true}}) {
        auto p = spiel();
        kaufe(p, Assetklasse::aktie, "SAP", 1, eur(f.kaufpreis));
        Portfoliostand s(*p, nullptr);
        EXPECT_EQ(s.barbestand().text(), f.barbestand) << f.kaufpreis;
        EXPECT_EQ(s.istUeberzogen(), f.ueberzogen) << f.kaufpreis;
        // Everything is still computed for an overdrawn game.
        EXPECT_EQ(text(s.gesamtwert()), "10000") << f.kaufpreis;
        EXPECT_EQ(text(s.gewinn()), "0") << f.kaufpreis;
    }
}

TEST(Portfoliostand, zeilenwertRundetAufCentSummenUndProzenteNicht) {
    struct Fall {
        const char* name;
        Assetklasse klasse;
        std::int64_t stueck;
        const char* nennwert;
        Preisangabe kauf;
        Preisangabe amStichtag;
        const char* marktwert;
        const char* gewinn;
    };
    const Fall faelle[] = {
        {"Kursanstieg", Assetklasse::aktie, 10, "100", eur("100"), eur("110"), "1100", "100"},
        {"Anleihe in Prozent", Assetklasse::anleihe, 3, "1000", eur("97.6"), eur("98.1234"), "2943.7",
         "15.7"},
        {"Fremdwaehrung", Assetklasse::aktie, 10, "100", eur("130"), fremd("150", "USD", "1.08"), "1388.89",
         "88.89"},
        {"halber Cent weg von 0", Assetklasse::rohstoff, 3, "100", eur("0.3"), eur("0.335"), "1.01", "0.11"},
        {"unter einem halben Cent", Assetklasse::rohstoff, 1, "100", eur("0.3"), eur("0.004999"), "0",
         "-0.3"},
        {"Kurs 0 teilt nicht", Assetklasse::aktie, 10, "100", eur("100"), fremd("150", "USD", "0"), "0",
         "-1000"},
        {"negativer Kurs teilt nicht", Assetklasse::aktie, 10, "100", eur("100"), fremd("150", "USD", "-1"),
         "0", "-1000"},
    };
    for (const Fall& f : faelle) {
        auto p = spiel();
        auto pos = kaufe(p, f.klasse, "X", f.stueck, f.kauf);
        pos->setzeNennwert(d(f.nennwert));
        auto b = stichtag(p, tag(2026, 3, 10));
        notiere(b, pos, f.amStichtag);
        Portfoliostand s(*p, b.get());
        const auto& zeile = s.positionen()[static_cast<std::size_t>(f.klasse)];
        EXPECT_EQ(text(zeile.marktwert), f.marktwert) << f.name;
        EXPECT_EQ(text(zeile.gewinn), f.gewinn) << f.name;
        // The row's return is exactly gain ÷ buy value × 100, and the state's the gain in
        // percent of the starting capital, neither of them rounded.
        Dezimal kauf = d(f.marktwert) - d(f.gewinn);
        EXPECT_TRUE(zeile.renditeProzent == d(f.gewinn) / kauf * Dezimal(100)) << f.name;
        EXPECT_EQ(text(s.gewinn()), f.gewinn) << f.name;
        EXPECT_EQ(text(s.renditeProzent()), (d(f.gewinn) / Dezimal(100)).text()) << f.name;
    }
}

TEST(Portfoliostand, prozenteBleibenUngerundet) {
    auto p = spiel("3000");
    auto pos = kaufe(p, Assetklasse::aktie, "X", 1, eur("900"));
    auto b = stichtag(p, tag(2026, 3, 10));
    notiere(b, pos, eur("1900"));
    Portfoliostand s(*p, b.get());
    // 1000 of 3000 and 1000 of 900: neither has a finite decimal expansion.
    ASSERT_TRUE(s.renditeProzent());
    EXPECT_EQ(*s.renditeProzent(), Dezimal(100) / Dezimal(3));
    EXPECT_NE(*s.renditeProzent(), s.renditeProzent()->gerundet(12, Rundung::normal));
    EXPECT_EQ(s.positionen()[0].renditeProzent, Dezimal(1000) / Dezimal(9));
}

TEST(Portfoliostand, kaufwertNullBeiFremdkursNull) {
    auto p = spiel();
    // A stored foreign buy price at rate 0 is worth nothing, though the EUR price makes the
    // position complete.
    auto pos = std::make_shared<Position>(Assetklasse::aktie);
    pos->setzeName("Apple");
    pos->setzeStueckzahl(10);
    pos->setzeKaufpreis(d("50"));
    pos->setzeWaehrung("USD");
    pos->setzeKaufkursOriginal(d("100"));
    pos->setzeKaufumrechnung(d("0"));
    p->fuegeHinzu(pos);
    auto b = stichtag(p, tag(2026, 3, 10));
    notiere(b, pos, fremd("110", "USD", "1.1"));

    Portfoliostand s(*p, b.get());
    EXPECT_EQ(s.investiert().text(), "0");
    const auto& zeile = s.positionen()[0];
    EXPECT_EQ(text(zeile.marktwert), "1000");
    EXPECT_EQ(text(zeile.gewinn), "1000");
    EXPECT_EQ(text(zeile.renditeProzent), "—");
    EXPECT_TRUE(zeile.istFestgelegt);
    EXPECT_EQ(text(s.gesamtwert()), "11000");

    Portfoliostand kauf(*p, nullptr);
    EXPECT_EQ(text(kauf.positionen()[0].marktwert), "0");
    EXPECT_EQ(text(kauf.positionen()[0].renditeProzent), "—");
}

TEST(Portfoliostand, zweitePositionEinerKlasseZaehltNurImEinsatz) {
    auto p = spiel();
    auto erste = kaufe(p, Assetklasse::aktie, "SAP", 10, eur("100"));
    auto zweite = kaufe(p, Assetklasse::aktie, "BASF", 5, eur("100"));
    auto b = stichtag(p, tag(2026, 3, 10));
    notiere(b, erste, eur("110"));
    notiere(b, zweite, eur("200"));

    Portfoliostand s(*p, b.get());
    EXPECT_EQ(s.investiert().text(), "1500");
    EXPECT_EQ(s.barbestand().text(), "8500");
    EXPECT_EQ(text(s.marktwert()), "1100");
    EXPECT_EQ(text(s.gewinn()), "-400");
    EXPECT_EQ(s.positionen()[0].name, "SAP");

    // An incomplete first position takes the row; the complete second one is still invested.
    erste->setzeStueckzahl(0);
    Portfoliostand t(*p, b.get());
    EXPECT_EQ(t.positionen()[0].name, "SAP");
    EXPECT_FALSE(t.positionen()[0].istFestgelegt);
    EXPECT_EQ(t.investiert().text(), "500");
    EXPECT_EQ(text(t.marktwert()), "0");
    EXPECT_TRUE(t.fehlendePreise().empty());
}

TEST(Portfoliostand, investiertOhneEineKlasse) {
    auto p = spiel();
    kaufe(p, Assetklasse::aktie, "SAP", 10, eur("100"));
    kaufe(p, Assetklasse::aktie, "BASF", 1, eur("50"));
    auto anleihe = kaufe(p, Assetklasse::anleihe, "Bund", 2, eur("98.5"));
    anleihe->setzeNennwert(d("1000"));
    kaufe(p, Assetklasse::rohstoff, "Gold", 0, eur("1000"));
    kaufe(p, Assetklasse::co2Zertifikat, "EUA", 3, fremd("70", "USD", "1.08"));

    EXPECT_EQ(Portfoliostand::investiert(*p).text(), "3214.44"); // 1000 + 50 + 1970 + 194.44
    EXPECT_EQ(Portfoliostand::investiert(*p), Portfoliostand(*p, nullptr).investiert());
    EXPECT_EQ(Portfoliostand::investiert(*p, Assetklasse::aktie).text(), "2164.44");
    EXPECT_EQ(Portfoliostand::investiert(*p, Assetklasse::rohstoff).text(), "3214.44");
    EXPECT_EQ(Portfoliostand::investiert(*p, Assetklasse::co2Zertifikat).text(), "3020");
}

TEST(Portfoliostand, mitPreisenFragtJedeBewertetePositionEinmal) {
    auto p = spiel();
    kaufe(p, Assetklasse::co2Zertifikat, "EUA", 3, fremd("70", "USD", "1.08"));
    kaufe(p, Assetklasse::aktie, "SAP", 10, eur("100"));
    kaufe(p, Assetklasse::aktie, "BASF", 1, eur("50"));
    kaufe(p, Assetklasse::rohstoff, "Gold", 0, eur("1000"));
    kaufe(p, Assetklasse::anleihe, "Bund", 2, eur("98.5"));
    auto b = stichtag(p, tag(2026, 3, 10));

    std::vector<std::string> gefragt;
    auto kaufpreis = [&gefragt](const Position& pos) -> std::optional<Preisangabe> {
        gefragt.push_back(pos.name());
        return pos.kaufPreisangabe();
    };
    Portfoliostand s = Portfoliostand::mitPreisen(*p, kaufpreis);
    EXPECT_EQ(gefragt, (std::vector<std::string>{"SAP", "Bund", "EUA"}));
    EXPECT_EQ(beschreibe(s), beschreibe(Portfoliostand(*p, nullptr)));
    EXPECT_EQ(text(s.gewinn()), "-50"); // the second share is invested but in no row

    auto ohneAnleihe = [](const Position& pos) -> std::optional<Preisangabe> {
        if (pos.assetklasse() == Assetklasse::anleihe) {
            return std::nullopt;
        }
        return pos.kaufPreisangabe();
    };
    Portfoliostand t = Portfoliostand::mitPreisen(*p, ohneAnleihe);
    EXPECT_EQ(klassen(t.fehlendePreise()), "anleihe");
    EXPECT_FALSE(t.marktwert() || t.gesamtwert() || t.gewinn() || t.renditeProzent());
    EXPECT_EQ(t.investiert().text(), "1441.44");
}

TEST(Portfoliostand, vonZweiNotizenEinerPositionZaehltDieErste) {
    // Linking refuses a second note of a position, but a stored date may still hold two: the
    // first in the date's list counts, for the row, the totals and the curve.
    struct Fall {
        const char* erste;
        const char* zweite;
        const char* marktwert;
    };
    for (const Fall& f : {Fall{"110", "90", "1100"}, Fall{"90", "110", "900"}}) {
        auto p = spiel();
        auto aktie = kaufe(p, Assetklasse::aktie, "SAP", 10, eur("100"));
        auto b = stichtag(p, tag(2026, 3, 10));
        notiere(b, aktie, eur(f.erste));
        auto zweite = std::make_shared<Preisnotiz>(Dezimal(0), "Bloomberg", aktie->kennung(), Kursart::vonHand,
                                                   b->datum(), Preisherkunft::manuell, std::nullopt);
        zweite->setzePosition(aktie);
        zweite->setzeBewertung(b);
        zweite->setzePreis(eur(f.zweite));
        ASSERT_EQ(b->notizen().size(), 2u);
        ASSERT_EQ(b->notizen()[1], zweite);

        Portfoliostand s(*p, b.get());
        EXPECT_EQ(text(s.positionen()[0].marktwert), f.marktwert) << f.erste;
        EXPECT_EQ(text(s.marktwert()), f.marktwert) << f.erste;
        Stichtagsverlauf v(*p);
        ASSERT_EQ(v.punkte().size(), 1u);
        EXPECT_EQ(v.punkte()[0].wert.text(), (d("9000") + d(f.marktwert)).text()) << f.erste;
    }
}

TEST(Portfoliostand, nurEineBasisVonNullLaesstDieProzenteWeg) {
    struct Fall {
        const char* name;
        const char* startkapital;
        // A stored foreign buy price at rate 1; below 0 it makes the buy value negative.
        const char* kaufOriginal;
        const char* notiz;
        std::optional<Dezimal> rendite;
        std::optional<Dezimal> zeilenrendite;
    };
    const Fall faelle[] = {
        // Invested 1000, worth 1200: gain 200 against a capital of -1000.
        {"negatives Startkapital", "-1000", "100", "120", d("-20"), d("20")},
        {"Startkapital 0", "0", "100", "120", std::nullopt, d("20")},
        // Bought for -1000, worth 10: gain 1010 against a buy value of -1000.
        {"negativer Kaufwert", "10000", "-100", "1", d("10.1"), d("-101")},
        {"Kaufwert 0", "10000", "0", "1", d("0.1"), std::nullopt},
    };
    for (const Fall& f : faelle) {
        SCOPED_TRACE(f.name);
        auto p = spiel(f.startkapital);
        auto aktie = std::make_shared<Position>(Assetklasse::aktie);
        aktie->setzeName("SAP");
        aktie->setzeStueckzahl(10);
        aktie->setzeKaufpreis(d("100"));
        aktie->setzeWaehrung("USD");
        aktie->setzeKaufkursOriginal(d(f.kaufOriginal));
        aktie->setzeKaufumrechnung(d("1"));
        p->fuegeHinzu(aktie);
        auto b = stichtag(p, tag(2026, 3, 10));
        notiere(b, aktie, eur(f.notiz));

        Portfoliostand s(*p, b.get());
        EXPECT_EQ(s.renditeProzent(), f.rendite);
        EXPECT_EQ(s.positionen()[0].renditeProzent, f.zeilenrendite);
    }
}
