#include <gtest/gtest.h>

#include "model/Bewertung.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "model/Preisnotiz.h"

using namespace qb;
using namespace std::chrono;

namespace {

const Zeitpunkt stichtag = Zeitpunkt(seconds(1741000000));

std::shared_ptr<Preisnotiz> handnotiz(const char* preis) {
    return std::make_shared<Preisnotiz>(Dezimal::aus(preis), "Bloomberg", "alt", Kursart::vonHand, Zeitpunkt{},
                                        Preisherkunft::manuell, std::nullopt);
}

Kursnotierung notierung() {
    Kursnotierung q;
    q.kurs = Dezimal::aus("58.823529411765");
    q.waehrung = "EUR";
    q.art = Kursart::letzterHandel;
    q.abgerufenAm = Zeitpunkt(seconds(1741100000));
    q.quelle = "Börse Frankfurt (XETR)";
    q.handelsumfang = Handelsumfang{3, 1200, Dezimal::aus("45678.9")};
    q.umrechnung = Umrechnung{Dezimal(50), "GBP", Dezimal::aus("0.85")};
    return q;
}

} // namespace

TEST(Preisnotiz, preisHinUndZurueck) {
    auto n = handnotiz("1");
    auto gbp = Preisangabe::umgerechnet(Umrechnung{Dezimal(50), "GBP", Dezimal::aus("0.85")});
    n->setzePreis(gbp);
    EXPECT_EQ(n->preis().text(), "58.823529411765");
    EXPECT_EQ(n->waehrung(), "EUR");
    EXPECT_EQ(n->preisOriginal(), Dezimal(50));
    EXPECT_EQ(n->originalwaehrung(), "GBP");
    EXPECT_EQ(n->umrechnung(), Dezimal::aus("0.85"));
    EXPECT_EQ(n->preisangabe(), gbp);

    n->setzePreis(Preisangabe::euro(Dezimal::aus("12.34")));
    EXPECT_EQ(n->preis().text(), "12.34");
    EXPECT_FALSE(n->preisOriginal() || n->originalwaehrung() || n->umrechnung());
    EXPECT_EQ(n->preisangabe(), Preisangabe::euro(Dezimal::aus("12.34")));

    // Without the currency the foreign values are no conversion.
    n->setzePreisOriginal(Dezimal(50));
    n->setzeUmrechnung(Dezimal::aus("0.85"));
    EXPECT_EQ(n->preisangabe(), Preisangabe::euro(Dezimal::aus("12.34")));

    n->setzePreis(Preisangabe::umgerechnet(Umrechnung{Dezimal(50), "GBP", Dezimal(0)}));
    EXPECT_EQ(n->preis(), Dezimal(0));
    EXPECT_EQ(n->umrechnung(), Dezimal(0));
}

TEST(Bewertung, notizNurFuerGenauDiesePosition) {
    auto b = std::make_shared<Bewertung>(stichtag, "");
    auto p1 = std::make_shared<Position>(Assetklasse::aktie);
    auto p2 = std::make_shared<Position>(Assetklasse::aktie);
    p1->setzeKennung("DE0007164600");
    p2->setzeKennung("DE0007164600");
    EXPECT_EQ(b->notiz(*p1), nullptr);

    auto n = handnotiz("10");
    EXPECT_TRUE(b->haengeAn(n, p1));
    EXPECT_EQ(b->notiz(*p1), n);
    EXPECT_EQ(b->notiz(*p2), nullptr);
    EXPECT_EQ(n->position(), p1);
    EXPECT_EQ(n->bewertung(), b);
    ASSERT_EQ(p1->notizen().size(), 1u);
    ASSERT_EQ(b->notizen().size(), 1u);

    auto zweite = handnotiz("99");
    EXPECT_FALSE(b->haengeAn(zweite, p1));
    EXPECT_EQ(b->notiz(*p1)->preis(), Dezimal(10));
    EXPECT_EQ(zweite->position(), nullptr);
    EXPECT_EQ(b->notizen().size(), 1u);

    // A note without a position never matches.
    auto lose = handnotiz("5");
    lose->setzeBewertung(b);
    EXPECT_EQ(b->notiz(*p2), nullptr);
}

TEST(Bewertung, aktualisiereSchreibtHandkurs) {
    auto b = std::make_shared<Bewertung>(stichtag, "");
    auto p = std::make_shared<Position>(Assetklasse::aktie);
    p->setzeKennung("NEU");
    b->aktualisiere(*p, Preisangabe::euro(Dezimal(1)), "Bloomberg");
    EXPECT_EQ(b->notiz(*p), nullptr);

    b->setzeNotiz(notierung(), p);
    b->aktualisiere(*p, Preisangabe::euro(Dezimal::aus("12.5")), "Bloomberg");
    auto n = b->notiz(*p);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->preisangabe(), Preisangabe::euro(Dezimal::aus("12.5")));
    EXPECT_EQ(n->quelle(), "Bloomberg");
    EXPECT_EQ(n->art(), Kursart::vonHand);
    EXPECT_EQ(n->herkunft(), Preisherkunft::manuell);
    EXPECT_FALSE(n->handelsumfang().has_value());
    EXPECT_EQ(n->kennung(), "NEU");
    EXPECT_EQ(n->abgerufenAm(), stichtag);
}

TEST(Bewertung, setzeNotizUebernimmtNotierung) {
    auto b = std::make_shared<Bewertung>(stichtag, "");
    auto p = std::make_shared<Position>(Assetklasse::aktie);
    p->setzeKennung("GB0002374006");

    // An existing typed note becomes the fetched one; a new note ends in the same state.
    auto alt = std::make_shared<Bewertung>(stichtag, "");
    alt->haengeAn(handnotiz("1"), p);
    for (const auto& ziel : {b, alt}) {
        ziel->setzeNotiz(notierung(), p);
        auto n = ziel->notiz(*p);
        ASSERT_NE(n, nullptr);
        EXPECT_EQ(n->preis().text(), "58.823529411765");
        EXPECT_EQ(n->preisangabe(), Preisangabe::umgerechnet(*notierung().umrechnung));
        EXPECT_EQ(n->quelle(), "Börse Frankfurt (XETR)");
        EXPECT_EQ(n->art(), Kursart::letzterHandel);
        EXPECT_EQ(n->herkunft(), Preisherkunft::automatisch);
        EXPECT_EQ(n->handelsumfang(), notierung().handelsumfang);
        EXPECT_EQ(n->kennung(), "GB0002374006");
        EXPECT_EQ(n->abgerufenAm(), notierung().abgerufenAm);
        EXPECT_EQ(ziel->notizen().size(), 1u);
    }

    auto mitDatum = notierung();
    mitDatum.kursdatum = Zeitpunkt(seconds(1740000000));
    mitDatum.umrechnung.reset();
    mitDatum.kurs = Dezimal::aus("7.5");
    b->setzeNotiz(mitDatum, p);
    auto n = b->notiz(*p);
    EXPECT_EQ(n->abgerufenAm(), *mitDatum.kursdatum);
    EXPECT_EQ(n->preisangabe(), Preisangabe::euro(Dezimal::aus("7.5")));
    EXPECT_FALSE(n->originalwaehrung().has_value());
}

TEST(Portfolio, positionenUndOffeneKlassen) {
    auto p = std::make_shared<Portfolio>("", Dezimal(10000), stichtag);
    EXPECT_EQ(p->offeneAssetklassen(), std::vector<Assetklasse>(alleAssetklassen.begin(), alleAssetklassen.end()));
    auto w = std::make_shared<Position>(Assetklasse::waehrung);
    auto a1 = std::make_shared<Position>(Assetklasse::aktie);
    auto a2 = std::make_shared<Position>(Assetklasse::aktie);
    p->fuegeHinzu(w);
    p->fuegeHinzu(a1);
    p->fuegeHinzu(a2);
    EXPECT_EQ(p->position(Assetklasse::aktie), a1);
    EXPECT_EQ(p->position(Assetklasse::anleihe), nullptr);
    EXPECT_EQ(p->offeneAssetklassen(),
              (std::vector<Assetklasse>{Assetklasse::anleihe, Assetklasse::rohstoff, Assetklasse::co2Zertifikat}));
    EXPECT_EQ(a1->portfolio(), p);

    // Moving a position to another portfolio takes it out of the first list.
    auto anderes = std::make_shared<Portfolio>("B", Dezimal(1), stichtag);
    a1->setzePortfolio(anderes);
    EXPECT_EQ(p->position(Assetklasse::aktie), a2);
    EXPECT_EQ(anderes->positionen().size(), 1u);
}

TEST(Portfolio, ersterStichtagUndEinstieg) {
    Zeitzone::setzeAktuelle("Europe/Berlin");
    Kalender k(Zeitzone("Europe/Berlin"));
    auto zeit = [&](int tag, int stunde) { return *k.zeitpunkt({2025, 3, tag, stunde, 0, 0}); };
    auto p = std::make_shared<Portfolio>("", Dezimal(10000), zeit(1, 9));
    EXPECT_FALSE(p->ersterStichtag().has_value());
    EXPECT_TRUE(p->einstiegMoeglich(zeit(28, 9)));

    p->fuegeHinzu(std::make_shared<Bewertung>(zeit(10, 9), ""));
    p->fuegeHinzu(std::make_shared<Bewertung>(zeit(3, 17), ""));
    EXPECT_EQ(p->ersterStichtag(), zeit(3, 0));
    EXPECT_TRUE(p->einstiegMoeglich(zeit(3, 23)));
    EXPECT_TRUE(p->einstiegMoeglich(zeit(1, 0)));
    EXPECT_FALSE(p->einstiegMoeglich(zeit(4, 0)));
}

TEST(Portfolio, sortierteBewertungenStabil) {
    auto p = std::make_shared<Portfolio>("", Dezimal(10000), stichtag);
    auto spaet = std::make_shared<Bewertung>(stichtag + hours(48), "spät");
    auto frueh1 = std::make_shared<Bewertung>(stichtag, "früh 1");
    auto frueh2 = std::make_shared<Bewertung>(stichtag, "früh 2");
    p->fuegeHinzu(spaet);
    p->fuegeHinzu(frueh1);
    p->fuegeHinzu(frueh2);
    for (int i = 0; i < 3; ++i) {
        auto sortiert = p->sortierteBewertungen();
        ASSERT_EQ(sortiert.size(), 3u);
        EXPECT_EQ(sortiert[0], frueh1);
        EXPECT_EQ(sortiert[1], frueh2);
        EXPECT_EQ(sortiert[2], spaet);
    }
}

TEST(Portfolio, minimum) {
    EXPECT_FALSE(minimum({}).has_value());
    EXPECT_EQ(minimum({4.5}), 4.5);
    EXPECT_EQ(minimum({3.0, -1.0, 2.0, -1.0}), -1.0);
}
