#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Testspiel.h"
#include "valuation/Stichtagsverlauf.h"

using namespace qb;
using namespace testspiel;

namespace {

// A game with one share: 10 units bought at 100 from a capital of 10000, so a reference date
// at price k is worth 9000 + 10 × k.
struct Spiel {
    std::shared_ptr<Portfolio> portfolio = spiel();
    std::shared_ptr<Position> aktie = kaufe(portfolio, Assetklasse::aktie, "SAP", 10, eur("100"));

    // A reference date; without a price it lacks the share's note and is incomplete.
    std::shared_ptr<Bewertung> am(Zeitpunkt datum, const char* preis = nullptr) {
        auto b = stichtag(portfolio, datum);
        if (preis) {
            notiere(b, aktie, eur(preis));
        }
        return b;
    }
};

std::string punkte(const Stichtagsverlauf& v) {
    std::string text;
    for (const auto& p : v.punkte()) {
        text += (text.empty() ? "" : " ") + std::to_string(p.id) + ":" +
                isoTag(p.datum, Zeitzone("Europe/Berlin")) + "=" + p.wert.text();
    }
    return text;
}

} // namespace

TEST(Stichtagsverlauf, ohneStichtage) {
    Spiel s;
    Stichtagsverlauf v(*s.portfolio);
    EXPECT_TRUE(v.punkte().empty());
    EXPECT_FALSE(v.letzterStand());
    EXPECT_EQ(v.ausgelassen(), 0);
    EXPECT_FALSE(v.juengsterUnvollstaendiger());
    EXPECT_FALSE(v.letztesDatum());
    EXPECT_FALSE(v.veraenderung());
}

TEST(Stichtagsverlauf, vollstaendigeUndUnvollstaendigeStichtage) {
    struct Tag {
        Zeitpunkt datum;
        const char* preis; // nullptr: incomplete
    };
    struct Fall {
        const char* name;
        std::vector<Tag> tage; // in the order they are added, not by date
        const char* punkte;
        std::int64_t ausgelassen;
        std::optional<Zeitpunkt> juengster;
    };
    const Zeitpunkt t1 = tag(2026, 3, 3), t2 = tag(2026, 3, 10), t3 = tag(2026, 3, 17);
    const Fall faelle[] = {
        {"nur unvollstaendige", {{t2, nullptr}, {t3, nullptr}, {t1, nullptr}}, "", 3, t3},
        {"vollstaendig, unvollstaendig, vollstaendig",
         {{t3, "120"}, {t1, "110"}, {t2, nullptr}},
         "0:2026-03-03=10100 1:2026-03-17=10200",
         1,
         std::nullopt},
        {"spaeter unvollstaendig", {{t2, nullptr}, {t1, "90"}}, "0:2026-03-03=9900", 1, t2},
        {"unvollstaendig vor dem letzten vollstaendigen",
         {{t1, nullptr}, {t2, "100"}},
         "0:2026-03-10=10000",
         1,
         std::nullopt},
        {"gleiches Datum, unvollstaendig zuerst",
         {{t2, nullptr}, {t2, "100"}},
         "0:2026-03-10=10000",
         1,
         std::nullopt},
        {"gleiches Datum, vollstaendig zuerst",
         {{t2, "100"}, {t2, nullptr}},
         "0:2026-03-10=10000",
         1,
         std::nullopt},
    };
    for (const Fall& f : faelle) {
        Spiel s;
        for (const Tag& t : f.tage) {
            s.am(t.datum, t.preis);
        }
        Stichtagsverlauf v(*s.portfolio);
        EXPECT_EQ(punkte(v), f.punkte) << f.name;
        EXPECT_EQ(v.ausgelassen(), f.ausgelassen) << f.name;
        EXPECT_EQ(v.juengsterUnvollstaendiger(), f.juengster) << f.name;
        EXPECT_EQ(v.punkte().empty(), !v.letzterStand().has_value()) << f.name;
        if (!v.punkte().empty()) {
            EXPECT_EQ(v.letztesDatum(), v.punkte().back().datum) << f.name;
            EXPECT_EQ(v.letzterStand()->gesamtwert(), v.punkte().back().wert) << f.name;
        }
    }
}

TEST(Stichtagsverlauf, letzterStandIstDerDesLetztenVollstaendigenStichtags) {
    Spiel s;
    s.am(tag(2026, 3, 3), "110");
    s.am(tag(2026, 3, 10), "130");
    s.am(tag(2026, 3, 17)); // incomplete, later
    Stichtagsverlauf v(*s.portfolio);
    ASSERT_TRUE(v.letzterStand());
    EXPECT_EQ(text(v.letzterStand()->positionen()[0].marktwert), "1300");
    EXPECT_EQ(text(v.letzterStand()->gewinn()), "300");
}

TEST(Stichtagsverlauf, veraenderungGegenDenLetztenPunktDavor) {
    Spiel s;
    const Zeitpunkt t1 = tag(2026, 3, 3), t2 = tag(2026, 3, 10), t3 = tag(2026, 3, 17);
    s.am(t1, "100");
    s.am(t2, "110");

    Stichtagsverlauf v(*s.portfolio);
    EXPECT_EQ(v.veraenderung(), (Wertveraenderung{t1, t2, d("100"), d("1")}));
    // A date equal to a point's date measures against the point before that one.
    EXPECT_EQ(v.veraenderung(t2, d("10050")), (Wertveraenderung{t1, t2, d("50"), d("0.5")}));
    EXPECT_EQ(v.veraenderung(t3, d("10050")), (Wertveraenderung{t2, t3, d("-50"), d("-50") / d("101")}));
    EXPECT_FALSE(v.veraenderung(t1, d("10050")));
    EXPECT_FALSE(v.veraenderung(t3, std::nullopt));
}

TEST(Stichtagsverlauf, veraenderungBrauchtEinenFrueherenPunkt) {
    Spiel eins;
    eins.am(tag(2026, 3, 3), "100");
    EXPECT_FALSE(Stichtagsverlauf(*eins.portfolio).veraenderung());

    Spiel gleich;
    gleich.am(tag(2026, 3, 3), "100");
    gleich.am(tag(2026, 3, 3), "120");
    Stichtagsverlauf v(*gleich.portfolio);
    EXPECT_EQ(v.punkte().size(), 2u);
    EXPECT_FALSE(v.veraenderung());
}

TEST(Stichtagsverlauf, basisNullOderDarunterOhneProzent) {
    struct Fall {
        const char* basispreis;
        const char* betrag;
    };
    // Capital 0 and a buy of 100: the portfolio is worth exactly what the share gains or loses.
    for (const Fall& f : {Fall{"100", "50"}, Fall{"50", "100"}, Fall{"100.01", "49.99"}}) {
        auto p = spiel("0");
        auto aktie = kaufe(p, Assetklasse::aktie, "SAP", 1, eur("100"));
        notiere(stichtag(p, tag(2026, 3, 3)), aktie, eur(f.basispreis));
        notiere(stichtag(p, tag(2026, 3, 10)), aktie, eur("150"));
        auto v = Stichtagsverlauf(*p).veraenderung();
        ASSERT_TRUE(v) << f.basispreis;
        EXPECT_EQ(v->betrag.text(), f.betrag) << f.basispreis;
        if (d(f.basispreis) > d("100")) {
            EXPECT_EQ(text(v->prozent), (d(f.betrag) / d("0.01") * Dezimal(100)).text()) << f.basispreis;
        } else {
            EXPECT_FALSE(v->prozent) << f.basispreis;
        }
    }
}

TEST(Wertveraenderung, gleichheitNachWert) {
    const Zeitpunkt a = tag(2026, 3, 3), b = tag(2026, 3, 10);
    EXPECT_EQ((Wertveraenderung{a, b, d("5"), d("1.5")}), (Wertveraenderung{a, b, d("5.00"), d("1.50")}));
    EXPECT_NE((Wertveraenderung{a, b, d("5"), d("1.5")}), (Wertveraenderung{a, b, d("5"), std::nullopt}));
    EXPECT_EQ((Wertveraenderung{a, b, d("5"), std::nullopt}), (Wertveraenderung{a, b, d("5"), std::nullopt}));
    EXPECT_NE((Wertveraenderung{a, b, d("5"), std::nullopt}), (Wertveraenderung{b, b, d("5"), std::nullopt}));
}
