#include <cmath>
#include <vector>

#include <QPointer>
#include <QProxyStyle>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "app/Iconmotivbild.h"
#include "app/Startanimation.h"
#include "app/Startueberlagerung.h"

using namespace qb;

namespace {

TEST(IconmotivbildTest, beiHalbemRingSindZweiSegmenteGanzEinsHalbUndZweiNochNicht) {
    const Iconmotivbild bild(0.5, 0, 0);
    const std::vector<double> erwartet{1, 1, 0.5, 0, 0};
    for (int nummer = 0; nummer < Iconmotivbild::segmentanzahl; ++nummer) {
        EXPECT_DOUBLE_EQ(Iconmotivbild::segmentanteil(nummer, 0.5), erwartet[static_cast<std::size_t>(nummer)]) << nummer;
        const Iconmotivbild::Bogen ganz = Iconmotivbild::segment(nummer);
        const Iconmotivbild::Bogen gezeichnet = bild.gezeichneterBogen(nummer);
        EXPECT_DOUBLE_EQ(gezeichnet.vonGrad, ganz.vonGrad) << nummer;
        EXPECT_DOUBLE_EQ(gezeichnet.bisGrad - gezeichnet.vonGrad, 69 * erwartet[static_cast<std::size_t>(nummer)]) << nummer;
    }
    // Clockwise from the top, 3 degrees apart.
    EXPECT_DOUBLE_EQ(Iconmotivbild::segment(0).vonGrad, -88.5);
    EXPECT_DOUBLE_EQ(Iconmotivbild::segment(0).bisGrad, -19.5);
    EXPECT_DOUBLE_EQ(Iconmotivbild::segment(4).bisGrad, 268.5);
}

TEST(IconmotivbildTest, derStrahlWirdNachSeinerLaengeGekuerzt) {
    const std::vector<QPointF> punkte = Iconmotivbild::strahlpunkte(QSizeF(200, 100));
    // The unit is 0.2178 of the smaller side, y up around the centre.
    ASSERT_EQ(punkte.size(), 4U);
    EXPECT_NEAR(punkte[0].x(), 100 - 100 * 0.2178 * 0.62, 1e-9);
    EXPECT_NEAR(punkte[0].y(), 50 + 100 * 0.2178 * 0.34, 1e-9);
    EXPECT_NEAR(punkte[3].y(), 50 - 100 * 0.2178 * 0.42, 1e-9);

    const std::vector<QPointF> linie{{0, 0}, {30, 0}, {30, 10}};
    struct Fall {
        double anteil;
        std::vector<QPointF> erwartet;
    };
    const std::vector<Fall> faelle{
        {0, {{0, 0}}},
        {0.5, {{0, 0}, {20, 0}}},
        {0.75, {{0, 0}, {30, 0}}},
        {0.875, {{0, 0}, {30, 0}, {30, 5}}},
        {1, linie},
    };
    for (const Fall& fall : faelle) {
        EXPECT_EQ(Iconmotivbild::gekuerzt(linie, fall.anteil), fall.erwartet) << fall.anteil;
    }
}

TEST(StartanimationTest, dieDreiPhasenFolgenAufeinander) {
    struct Fall {
        double sekunden;
        double ring, strahl, punkt;
    };
    const std::vector<Fall> faelle{
        {0, 0, 0, 0}, {0.45, 0.5, 0, 0}, {0.9, 1, 0, 0}, {1.5, 1, 1, 0}, {2.05, 1, 1, 1},
    };
    for (const Fall& fall : faelle) {
        const Iconmotivbild bild = Startanimation::bildNach(fall.sekunden);
        EXPECT_NEAR(bild.ring(), fall.ring, 1e-6) << fall.sekunden;
        EXPECT_NEAR(bild.strahl(), fall.strahl, 1e-6) << fall.sekunden;
        EXPECT_NEAR(bild.punkt(), fall.punkt, 1e-6) << fall.sekunden;
    }
    // The dot's spring settles without overshooting.
    EXPECT_GT(Startanimation::bildNach(1.6).punkt(), 0.7);
    EXPECT_LE(Startanimation::bildNach(1.9).punkt(), 1.0);
    // In a wide window a square of 0.62 of the height, centred.
    EXPECT_EQ(Startanimation::motivrahmen(QSizeF(920, 560)), QRectF(286.4, 106.4, 347.2, 347.2));
}

// A style that reports no widget animation: what the user's "no animations" setting looks like
// to the application.
class OhneAnimation : public QProxyStyle {
public:
    int styleHint(StyleHint hinweis, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* antwort) const override {
        return hinweis == SH_Widget_Animation_Duration ? 0 : QProxyStyle::styleHint(hinweis, option, widget, antwort);
    }
};

TEST(StartueberlagerungTest, beiReduzierterBewegungGibtEsKeineAnimation) {
    OhneAnimation stil;
    QWidget fenster;
    fenster.setStyle(&stil);
    EXPECT_TRUE(Startueberlagerung::bewegungReduziert(&fenster));
    EXPECT_EQ(Startueberlagerung::lege(&fenster), nullptr);
    EXPECT_EQ(fenster.findChild<Startanimation*>(), nullptr);
}

TEST(StartueberlagerungTest, einKlickBeendetSieEinmalUndDieUeberlagerungVerschwindet) {
    QWidget fenster;
    fenster.resize(920, 560);
    ASSERT_FALSE(Startueberlagerung::bewegungReduziert(&fenster)) << "the standard style animates";
    QPointer<Startueberlagerung> ueberlagerung = Startueberlagerung::lege(&fenster);
    ASSERT_FALSE(ueberlagerung.isNull());
    fenster.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fenster));
    EXPECT_EQ(ueberlagerung->geometry(), fenster.rect());
    fenster.resize(1000, 700);
    EXPECT_EQ(ueberlagerung->geometry(), QRect(0, 0, 1000, 700));

    // Content the window adds later stays beneath.
    auto* spaeter = new QWidget(&fenster);
    spaeter->show();
    // QTest::qWaitFor, not QTRY_*: a QTRY_* that times out returns unseen by GoogleTest.
    EXPECT_TRUE(QTest::qWaitFor([&] { return fenster.children().last() == ueberlagerung.data(); }));

    QSignalSpy fertig(ueberlagerung->animation(), &Startanimation::fertig);
    QTest::mouseClick(ueberlagerung->animation(), Qt::LeftButton);
    QTest::mouseClick(ueberlagerung->animation(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(fertig.count(), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ueberlagerung.isNull(); }, 3000));
    EXPECT_EQ(fertig.count(), 1);
}

TEST(StartueberlagerungTest, ohneKlickEndetSieNachDemAblaufEinmal) {
    QWidget fenster;
    fenster.resize(400, 300);
    QPointer<Startueberlagerung> ueberlagerung = Startueberlagerung::lege(&fenster);
    ASSERT_FALSE(ueberlagerung.isNull());
    QSignalSpy fertig(ueberlagerung->animation(), &Startanimation::fertig);
    fenster.show();
    ASSERT_TRUE(fertig.wait(5000));
    EXPECT_EQ(ueberlagerung->animation()->bild().punkt(), 1.0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ueberlagerung.isNull(); }, 3000));
    EXPECT_EQ(fertig.count(), 1);
}

TEST(StartueberlagerungTest, reduzierteBewegungWaehrendDerAnimationNimmtSieSofortWeg) {
    OhneAnimation stil;
    QWidget fenster;
    fenster.resize(400, 300);
    QPointer<Startueberlagerung> ueberlagerung = Startueberlagerung::lege(&fenster);
    fenster.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fenster));
    ASSERT_TRUE(ueberlagerung->isVisible());
    QSignalSpy fertig(ueberlagerung->animation(), &Startanimation::fertig);

    fenster.setStyle(&stil);
    EXPECT_FALSE(!ueberlagerung.isNull() && ueberlagerung->isVisible()) << "gone at once, without the fade";
    EXPECT_TRUE(QTest::qWaitFor([&] { return ueberlagerung.isNull(); }));
    EXPECT_EQ(fertig.count(), 0);
}

} // namespace
