#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include <QAccessible>
#include <QFontMetricsF>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>

#include "ui/Hinweiszeile.h"
#include "ui/Schriftstil.h"
#include "ui/Textbruecke.h"
#include "performance/Lageplakette.h"
#include "performance/Wertdiagramm.h"
#include "performance/Wertentwicklung.h"
#include "performance/WertentwicklungAnsicht.h"
#include "valuation/Portfoliostand.h"
#include "valuation/Testspiel.h"

namespace {

using namespace qb;
using std::chrono::hours;
using testspiel::d;

const Zeitpunkt t0 = testspiel::tag(2026, 12, 1);

Wertentwicklung chart(const std::vector<const char*>& werte, std::int64_t ausgelassen = 0,
                      std::optional<std::string> fussnote = std::nullopt) {
    std::vector<Kurvenpunkt> punkte;
    for (std::size_t i = 0; i < werte.size(); ++i) {
        punkte.push_back({static_cast<std::int64_t>(i), t0 + hours(24) * static_cast<int>(i), d(werte[i])});
    }
    auto portfolio = testspiel::spiel("10000");
    return Wertentwicklung(std::move(punkte), d("10000"), Portfoliostand(*portfolio, nullptr), ausgelassen,
                           std::nullopt, std::move(fussnote), Wertentwicklung::Punktart::stichtag);
}

QPalette palette(bool dunkel) {
    QPalette palette;
    const QColor grund = dunkel ? QColor(30, 30, 30) : QColor(246, 246, 246);
    const QColor text = dunkel ? QColor(235, 235, 235) : QColor(20, 20, 20);
    palette.setColor(QPalette::Window, grund);
    palette.setColor(QPalette::Base, grund);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Text, text);
    return palette;
}

QImage bild(const Wertentwicklung& daten, bool dunkel = false, QSize groesse = {600, 300}) {
    QImage bild(groesse, QImage::Format_ARGB32);
    const QPalette farben = palette(dunkel);
    bild.fill(farben.color(QPalette::Window));
    QPainter maler(&bild);
    Wertdiagramm::zeichne(maler, QRectF(QPointF(0, 0), groesse), daten, std::nullopt, farben, QFont());
    return bild;
}

enum class Ton { gewinn, verlust, neutral };

// Which signal colour a pixel leans to; light and dark variants alike lean clearly.
Ton ton(QRgb pixel) {
    const int rot = qRed(pixel);
    const int gruen = qGreen(pixel);
    if (gruen - rot > 8) {
        return Ton::gewinn;
    }
    if (rot - gruen > 8) {
        return Ton::verlust;
    }
    return Ton::neutral;
}

Ton tonAn(const QImage& bild, QPointF stelle) {
    return ton(bild.pixel(stelle.toPoint()));
}

TEST(Wertdiagramm, flaechenLiegenAufIhrerSeiteDerLinie) {
    // Above, through the line at 12:00 of day 1, below, back above at 12:00 of day 2.
    const Wertentwicklung daten = chart({"10500", "9500", "10500"});
    for (const bool dunkel : {false, true}) {
        const QImage gemalt = bild(daten, dunkel);
        const auto abb = Wertdiagramm::abbildung(QRectF(0, 0, 600, 300), daten, QFont());
        const double linie = abb.yVon(10000);
        const double x = abb.xVon(t0 + hours(4));
        // Between the line and the curve of the first piece: gain; just under the line: nothing.
        EXPECT_EQ(tonAn(gemalt, {x, (linie + abb.yVon(10400)) / 2}), Ton::gewinn) << dunkel;
        EXPECT_EQ(tonAn(gemalt, {x, linie + 10}), Ton::neutral) << dunkel;
        // The piece below: loss under the line near its lowest point, nothing above the line.
        const double xUnten = abb.xVon(t0 + hours(24));
        EXPECT_EQ(tonAn(gemalt, {xUnten + 8, (linie + abb.yVon(9500)) / 2}), Ton::verlust) << dunkel;
        EXPECT_EQ(tonAn(gemalt, {xUnten + 8, linie - 10}), Ton::neutral) << dunkel;

        // Nothing in a signal colour beside the plot: only grey labels lie there.
        const QRect innen = abb.flaeche.toAlignedRect();
        int bunt = 0;
        for (int y = 0; y < gemalt.height(); ++y) {
            for (int xx = 0; xx < gemalt.width(); ++xx) {
                if (!innen.contains(xx, y) && ton(gemalt.pixel(xx, y)) != Ton::neutral) {
                    ++bunt;
                }
            }
        }
        EXPECT_EQ(bunt, 0) << dunkel;
    }
}

TEST(Wertdiagramm, einEinzelnerPunktIstEinBalkenVonDerLinieZumWert) {
    struct Fall {
        const char* wert;
        Ton ton;
    };
    for (const auto& fall : {Fall{"10040", Ton::gewinn}, Fall{"9960", Ton::verlust}}) {
        const Wertentwicklung daten = chart({fall.wert});
        for (const bool dunkel : {false, true}) {
            const QImage gemalt = bild(daten, dunkel);
            const auto abb = Wertdiagramm::abbildung(QRectF(0, 0, 600, 300), daten, QFont());
            const double x = abb.xVon(t0);
            EXPECT_NEAR(x, abb.flaeche.center().x(), 0.5);
            const double mitte = (abb.yVon(10000) + abb.yVon(daten.punkte().front().wert.alsDouble())) / 2;
            // 38 wide around the point's date: inside at ±17, outside at ±22.
            EXPECT_EQ(tonAn(gemalt, {x - 17, mitte}), fall.ton) << fall.wert << dunkel;
            EXPECT_EQ(tonAn(gemalt, {x + 17, mitte}), fall.ton) << fall.wert << dunkel;
            EXPECT_EQ(tonAn(gemalt, {x - 22, mitte}), Ton::neutral) << fall.wert << dunkel;
            EXPECT_EQ(tonAn(gemalt, {x + 22, mitte}), Ton::neutral) << fall.wert << dunkel;
        }
    }
}

TEST(Wertdiagramm, barrierefreiAlsDiagrammMitSeinenPunkten) {
    Wertdiagramm diagramm(chart({"10100", "9900", "10000"}));
    diagramm.resize(600, 300);
    diagramm.show();
    QAccessibleInterface* zugang = QAccessible::queryAccessibleInterface(&diagramm);
    ASSERT_NE(zugang, nullptr);
    EXPECT_EQ(zugang->role(), QAccessible::Chart);
    EXPECT_EQ(zugang->text(QAccessible::Name), "Wertentwicklung des Portfolios");
    const std::string zusammenfassung =
        "3 Stichtage von 1. Dez. 2026 bis 3. Dez. 2026. Aktuell 10.000,00\u00A0€, genau auf dem Startkapital. "
        "Tiefster Wert 9.900,00\u00A0€, höchster Wert 10.100,00\u00A0€. Die Kurve wechselt 1 mal die Seite.";
    EXPECT_EQ(utf8(zugang->text(QAccessible::Value)), zusammenfassung);
    EXPECT_EQ(utf8(zugang->text(QAccessible::Description)), zusammenfassung);
    ASSERT_EQ(zugang->childCount(), 3);
    QAccessibleInterface* zweiter = zugang->child(1);
    ASSERT_NE(zweiter, nullptr);
    EXPECT_EQ(utf8(zweiter->text(QAccessible::Name)), "2. Dez. 2026");
    EXPECT_EQ(utf8(zweiter->text(QAccessible::Value)), "9.900,00\u00A0€, 100,00\u00A0€ unter dem Startkapital");
    EXPECT_EQ(zweiter->parent(), zugang);
    EXPECT_EQ(zugang->indexOfChild(zweiter), 1);
    const QPoint stelle =
        diagramm.mapToGlobal(diagramm.abbildung().stelle(t0 + hours(24), 9900).toPoint());
    EXPECT_TRUE(zweiter->rect().contains(stelle));
    EXPECT_EQ(zugang->childAt(stelle.x(), stelle.y()), zweiter);

    // New inputs with fewer points: the children follow, and a child whose point is gone says
    // nothing and lies nowhere.
    diagramm.zeige(chart({"10100"}));
    EXPECT_EQ(zugang->childCount(), 1);
    EXPECT_EQ(zugang->child(1), nullptr);
    EXPECT_FALSE(zweiter->isValid());
    EXPECT_TRUE(zweiter->state().invalid);
    EXPECT_TRUE(zweiter->text(QAccessible::Name).isEmpty());
    EXPECT_TRUE(zweiter->text(QAccessible::Value).isEmpty());
    EXPECT_TRUE(zweiter->rect().isNull());
    EXPECT_EQ(zugang->indexOfChild(zweiter), -1);
    EXPECT_EQ(utf8(zugang->text(QAccessible::Value)),
              "Ein Stichtag am 1. Dez. 2026. 10.100,00\u00A0€, 100,00\u00A0€ über dem Startkapital.");

    // More points again: the same child stands for the new second point, and new ones follow.
    diagramm.zeige(chart({"10100", "10300", "9800", "10000"}));
    ASSERT_EQ(zugang->childCount(), 4);
    EXPECT_EQ(zugang->child(1), zweiter);
    EXPECT_TRUE(zweiter->isValid());
    EXPECT_EQ(utf8(zweiter->text(QAccessible::Value)), "10.300,00\u00A0€, 300,00\u00A0€ über dem Startkapital");
    ASSERT_NE(zugang->child(3), nullptr);
    EXPECT_EQ(utf8(zugang->child(3)->text(QAccessible::Name)), "4. Dez. 2026");
    EXPECT_EQ(zugang->indexOfChild(zugang->child(3)), 3);
}

TEST(Wertdiagramm, punktzugaengeVergehenMitDemDiagramm) {
    auto* diagramm = new Wertdiagramm(chart({"10100", "9900"}));
    QAccessibleInterface* zugang = QAccessible::queryAccessibleInterface(diagramm);
    ASSERT_NE(zugang, nullptr);
    ASSERT_NE(zugang->child(1), nullptr);
    const QAccessible::Id kind = QAccessible::uniqueId(zugang->child(1));
    const QAccessible::Id selbst = QAccessible::uniqueId(zugang);
    delete diagramm;
    EXPECT_EQ(QAccessible::accessibleInterface(kind), nullptr);
    EXPECT_EQ(QAccessible::accessibleInterface(selbst), nullptr);
}

TEST(Wertdiagramm, beschriftungenBleibenImRahmenUndUeberdeckenSichNicht) {
    // Four points on the first days, then two points two months later, in a narrow chart.
    std::vector<Kurvenpunkt> punkte;
    for (const int tag : {0, 1, 2, 3, 60, 61}) {
        punkte.push_back({static_cast<std::int64_t>(punkte.size()), t0 + hours(24) * tag, d("10200")});
    }
    auto portfolio = testspiel::spiel("10000");
    const Wertentwicklung dicht(punkte, d("10000"), Portfoliostand(*portfolio, nullptr), 0, std::nullopt,
                                std::nullopt, Wertentwicklung::Punktart::stichtag);
    // 10 000 to 10 625: the y domain ends at 10 800, exactly on a label.
    const Wertentwicklung obenBuendig = chart({"10000", "10625"});
    for (const Wertentwicklung* daten : {&dicht, &obenBuendig}) {
        for (const QRectF rahmen : {QRectF(0, 0, 300, 180), QRectF(40, 30, 600, 300)}) {
            const auto abb = Wertdiagramm::abbildung(rahmen, *daten, QFont());
            const auto beschriftungen = Wertdiagramm::xBeschriftungen(rahmen, abb, *daten, QFont());
            ASSERT_FALSE(beschriftungen.empty());
            EXPECT_EQ(beschriftungen.back().text, qtText(daten->achsendatum(daten->letzterPunkt().datum)));
            for (std::size_t i = 0; i < beschriftungen.size(); ++i) {
                EXPECT_TRUE(rahmen.contains(beschriftungen[i].rahmen)) << i;
                if (i > 0) {
                    EXPECT_LT(beschriftungen[i - 1].rahmen.right(), beschriftungen[i].rahmen.left()) << i;
                }
            }
            const double halbeZeile = QFontMetricsF(Schriftstil::beschriftung(QFont())).height() / 2;
            for (const auto& wert : daten->yAchsenWerte()) {
                EXPECT_GE(abb.yVon(wert.lage) - halbeZeile, rahmen.top() - 1e-9) << wert.lage;
            }
        }
    }
    EXPECT_EQ(Wertdiagramm::xBeschriftungen(QRectF(0, 0, 300, 180),
                                            Wertdiagramm::abbildung(QRectF(0, 0, 300, 180), dicht, QFont()), dicht,
                                            QFont())
                  .size(),
              2U);
}

TEST(Wertdiagramm, zeigerWaehltDenNaechstenPunktUndVerlassenHebtAufDieAuswahl) {
    Wertdiagramm diagramm(chart({"10100", "9900", "10000"}));
    diagramm.resize(600, 300);
    diagramm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&diagramm));
    const auto abb = diagramm.abbildung();
    // A little right of the middle point, then left of the first point's half-day margin.
    QTest::mousePress(&diagramm, Qt::LeftButton, {}, QPointF(abb.xVon(t0 + hours(30)), 100).toPoint());
    ASSERT_TRUE(diagramm.auswahl().has_value());
    EXPECT_EQ(diagramm.daten().ausgewaehlterPunkt(diagramm.auswahl())->id, 1);
    QTest::mouseRelease(&diagramm, Qt::LeftButton);
    QEvent verlassen(QEvent::Leave);
    QCoreApplication::sendEvent(&diagramm, &verlassen);
    EXPECT_FALSE(diagramm.auswahl().has_value());
}

// The chart as the widget paints itself, at the pixel ratio of its screen.
QImage gemalt(Wertdiagramm& diagramm) {
    return diagramm.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

// A chart made just now for these inputs, at that size and in that palette: what a redraw of
// a chart whose picture is up to date must look like.
QImage frischGemalt(const Wertentwicklung& daten, QSize groesse, const QPalette& farben) {
    Wertdiagramm frisch(daten);
    frisch.setPalette(farben);
    frisch.resize(groesse);
    return gemalt(frisch);
}

TEST(Wertdiagramm, dasBildDesGrundesFolgtDatenGroesseUndPalette) {
    Wertdiagramm diagramm(chart({"10100", "9900", "10000"}));
    diagramm.setPalette(palette(false));
    diagramm.resize(600, 300);
    // Shown, so that the widget paints as on screen; without the focus ring of an active window.
    diagramm.setFocusPolicy(Qt::NoFocus);
    diagramm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&diagramm));
    const QImage vorher = gemalt(diagramm);
    // A selection is laid over the picture and goes again without a trace.
    diagramm.setzeAuswahl(t0 + hours(24));
    EXPECT_NE(gemalt(diagramm), vorher);
    diagramm.setzeAuswahl(std::nullopt);
    EXPECT_EQ(gemalt(diagramm), vorher);

    const Wertentwicklung neu = chart({"10100", "10600", "10900", "10400"});
    diagramm.zeige(neu);
    const QImage nachDaten = gemalt(diagramm);
    EXPECT_NE(nachDaten, vorher);
    EXPECT_EQ(nachDaten, frischGemalt(neu, {600, 300}, palette(false)));

    diagramm.resize(500, 260);
    EXPECT_EQ(gemalt(diagramm), frischGemalt(neu, {500, 260}, palette(false)));

    diagramm.setPalette(palette(true));
    const QImage dunkel = gemalt(diagramm);
    EXPECT_EQ(dunkel, frischGemalt(neu, {500, 260}, palette(true)));
    EXPECT_NE(dunkel, frischGemalt(neu, {500, 260}, palette(false)));
}

TEST(Wertdiagramm, dieTastenFuehrenDieAuswahlVonPunktZuPunkt) {
    Wertdiagramm diagramm(chart({"10100", "9900", "10000", "10200"}));
    diagramm.resize(600, 300);
    diagramm.show();
    diagramm.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&diagramm));
    // The window hands the chart its focus at once; taken away for the picture without.
    diagramm.clearFocus();
    ASSERT_FALSE(diagramm.hasFocus());
    const QImage ohneFokus = gemalt(diagramm);
    diagramm.setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(diagramm.hasFocus());
    EXPECT_NE(diagramm.focusPolicy() & Qt::TabFocus, 0);
    // The focus shows as a ring around the plot, in the highlight colour.
    const QImage mitFokus = gemalt(diagramm);
    const qreal verhaeltnis = mitFokus.devicePixelRatio();
    const QPointF ring(diagramm.abbildung().flaeche.center().x(), diagramm.abbildung().flaeche.top() - 1);
    const QPoint pixel = (ring * verhaeltnis).toPoint();
    EXPECT_NE(mitFokus.pixel(pixel), ohneFokus.pixel(pixel));
    const QColor hervorhebung = diagramm.palette().color(QPalette::Highlight);
    EXPECT_EQ(QColor(mitFokus.pixel(pixel)).blue() > QColor(mitFokus.pixel(pixel)).red(),
              hervorhebung.blue() > hervorhebung.red());

    QAccessibleInterface* zugang = QAccessible::queryAccessibleInterface(&diagramm);
    ASSERT_NE(zugang, nullptr);
    EXPECT_EQ(zugang->focusChild(), nullptr);
    const auto index = [&] { return diagramm.ausgewaehlterIndex(); };
    struct Schritt {
        Qt::Key taste;
        std::optional<std::size_t> danach;
    };
    // Right from nothing starts at the first point, Left at the newest; the ends hold.
    const std::vector<Schritt> schritte{
        {Qt::Key_Right, 0}, {Qt::Key_Right, 1}, {Qt::Key_Right, 2},  {Qt::Key_Right, 3},
        {Qt::Key_Right, 3}, {Qt::Key_Left, 2},  {Qt::Key_Home, 0},   {Qt::Key_Left, 0},
        {Qt::Key_End, 3},   {Qt::Key_Escape, std::nullopt},          {Qt::Key_Left, 3},
        {Qt::Key_Escape, std::nullopt},
    };
    for (std::size_t i = 0; i < schritte.size(); ++i) {
        QTest::keyClick(&diagramm, schritte[i].taste);
        EXPECT_EQ(index(), schritte[i].danach) << i;
        if (schritte[i].danach) {
            // The selection lies on the point itself, so the card shows that point.
            EXPECT_EQ(diagramm.auswahl(), diagramm.daten().punkte()[*schritte[i].danach].datum) << i;
            // A screen reader finds the selected point as the focused child, and only it.
            QAccessibleInterface* punkt = zugang->child(static_cast<int>(*schritte[i].danach));
            EXPECT_EQ(zugang->focusChild(), punkt) << i;
            EXPECT_TRUE(punkt->state().focused && punkt->state().selected) << i;
            const int anderer = *schritte[i].danach == 0 ? 1 : 0;
            EXPECT_FALSE(zugang->child(anderer)->state().focused || zugang->child(anderer)->state().selected) << i;
        } else {
            EXPECT_EQ(zugang->focusChild(), nullptr) << i;
        }
    }
    // With the card the picture is the one the pointer makes on the same point.
    QTest::keyClick(&diagramm, Qt::Key_Home);
    const QImage perTaste = gemalt(diagramm);
    diagramm.setzeAuswahl(std::nullopt);
    const QPointF zeiger(diagramm.abbildung().xVon(t0 + hours(2)), 100);
    QMouseEvent bewegung(QEvent::MouseMove, zeiger, diagramm.mapToGlobal(zeiger), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
    QCoreApplication::sendEvent(&diagramm, &bewegung);
    EXPECT_EQ(index(), 0U);
    EXPECT_EQ(gemalt(diagramm), perTaste);

    // Escape with nothing selected is left to others.
    diagramm.setzeAuswahl(std::nullopt);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&diagramm, &escape);
    EXPECT_FALSE(escape.isAccepted());
}

TEST(WertentwicklungAnsicht, zeigtKopfHinweisUndFussnoteUndAktualisiertAnOrtUndStelle) {
    WertentwicklungAnsicht ansicht(chart({"10100", "10500"}, 3, "Fußnote"));
    ansicht.resize(900, 600);
    ansicht.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&ansicht));
    auto* standzeile = ansicht.findChild<QLabel*>("standzeile");
    auto* plakette = ansicht.findChild<Lageplakette*>("lageplakette");
    auto* hinweis = ansicht.findChild<Hinweiszeile*>("ausgelassenHinweis");
    auto* fussnote = ansicht.findChild<QLabel*>("fussnote");
    ASSERT_TRUE(standzeile && plakette && hinweis && fussnote);
    EXPECT_EQ(utf8(standzeile->text()), "Stand am 2. Dezember 2026");
    EXPECT_EQ(utf8(plakette->accessibleName()), "Über dem Startkapital");
    EXPECT_TRUE(hinweis->isVisible());
    EXPECT_EQ(utf8(hinweis->text()), "3 Stichtage ohne vollständige Kurse sind nicht dargestellt");
    EXPECT_TRUE(fussnote->isVisible());
    EXPECT_EQ(utf8(fussnote->text()), "Fußnote");
    // Wide: one row, the badge at the trailing edge.
    const auto nebeneinander = [&] { return plakette->geometry().top() < standzeile->geometry().bottom(); };
    ASSERT_TRUE(QTest::qWaitFor(nebeneinander, 2000));
    EXPECT_GT(plakette->geometry().left(), standzeile->geometry().right() + 52);

    // The row needs 20 + 12 + 20 between the two and 16 on each side; one less stacks them.
    const int zeile = standzeile->sizeHint().width() + 52 + plakette->sizeHint().width() + 32;
    ansicht.resize(zeile - 1, 600);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !nebeneinander(); }, 2000));
    EXPECT_EQ(plakette->geometry().top() - standzeile->geometry().bottom() - 1, 8);
    EXPECT_EQ(plakette->geometry().left(), standzeile->geometry().left());
    ansicht.resize(zeile, 600);
    ASSERT_TRUE(QTest::qWaitFor(nebeneinander, 2000));
    ansicht.resize(zeile - 1, 600);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !nebeneinander(); }, 2000));

    auto* diagramm = ansicht.diagramm();
    ansicht.zeige(chart({"9900"}));
    EXPECT_EQ(ansicht.diagramm(), diagramm);
    EXPECT_EQ(utf8(plakette->accessibleName()), "Unter dem Startkapital");
    EXPECT_EQ(utf8(standzeile->text()), "Stand am 1. Dezember 2026");
    EXPECT_FALSE(hinweis->isVisible());
    EXPECT_FALSE(fussnote->isVisible());
    EXPECT_EQ(diagramm->daten().punkte().size(), 1U);
}

} // namespace
