#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStyle>
#include <QTest>
#include <QThreadPool>

#include "ui/Arbeitspool.h"
#include "ui/Fensterhilfe.h"
#include "ui/Modellbeobachter.h"
#include "model/Ablage.h"
#include "model/Modellcontainer.h"
#include "model/Modellkontext.h"
#include "performance/EntwicklungAnsicht.h"
#include "performance/Kursbuehne.h"
#include "sources/Testhilfen.h"
#include "valuation/Testspiel.h"
#include "ui/Farbhilfe.h"

using qb::Assetklasse;
using qb::EntwicklungAnsicht;
using qb::Sicht;
using qb::Zeitpunkt;
using qbtest::Kursbuehne;
using qbtest::warteBis;

namespace {

const char* const siemens = "DE0007164600";

// The tab on a game entered 40 days ago with one share and a complete reference date 20 days
// ago; the test server has a close for every day from 50 days ago to yesterday.
class EntwicklungAnsichtTest : public ::testing::Test {
protected:
    qbtest::Testserver server;
    Kursbuehne buehne;
    qb::Modellcontainer container{qb::Ablage::imArbeitsspeicher()};
    qb::Modellbeobachter beobachter{container.kontext()};
    const qb::Kalender kalender = qb::Kalender::aktuell();
    const Zeitpunkt heute = kalender.tagesbeginn(qb::jetzt());
    std::shared_ptr<qb::Portfolio> portfolio;
    std::shared_ptr<qb::Position> aktie;
    std::unique_ptr<EntwicklungAnsicht> ansicht;

    Zeitpunkt vorTagen(int tage, int stunde = 0) const {
        return *kalender.plusTage(heute, -tage) + std::chrono::hours(stunde);
    }

    explicit EntwicklungAnsichtTest(std::chrono::milliseconds verzoegerung = std::chrono::milliseconds(0))
        : buehne(server, verzoegerung) {
        portfolio = std::make_shared<qb::Portfolio>("Gruppe", qb::Dezimal(10000), vorTagen(40, 9));
        container.kontext().fuegeEin(portfolio);
        aktie = testspiel::kaufe(portfolio, Assetklasse::aktie, "Siemens", 10, testspiel::eur("100"));
        aktie->setzeKennung(siemens);
        testspiel::notiere(testspiel::stichtag(portfolio, vorTagen(20, 17)), aktie, testspiel::eur("110"));
        std::vector<std::pair<Zeitpunkt, std::string>> kurse;
        for (int tage = 50; tage >= 1; --tage) {
            const qb::Datumsteile teile = kalender.teile(vorTagen(tage));
            kurse.emplace_back(Kursbuehne::utcTag(teile.jahr, teile.monat, teile.tag), std::to_string(100 + tage));
        }
        buehne.papier(siemens, "EUR", kurse);
        ansicht = std::make_unique<EntwicklungAnsicht>(portfolio, beobachter, [this] { return qbtest::dienstFuer(server); });
        ansicht->resize(920, 480);
        ansicht->show();
    }

    void klicke(const char* name) {
        auto* knopf = ansicht->findChild<QAbstractButton*>(name);
        ASSERT_NE(knopf, nullptr) << name;
        QTest::mouseClick(knopf, Qt::LeftButton);
    }
    QString gezeigt() const { return ansicht->findChild<QStackedWidget*>("inhalt")->currentWidget()->objectName(); }
    bool geladen() const { return !ansicht->ladung().laedt(); }
    std::size_t verlaufsanfragen() const { return server.anfragen("/v1/tradingview/history").size(); }
    std::size_t tage() const { return ansicht->ladung().verlauf() ? ansicht->ladung().verlauf()->tage.size() : 0; }
};

TEST_F(EntwicklungAnsichtTest, wechseltZwischenStichtagenUndTagesverlaufUndDenZeitraeumen) {
    // The reference dates need no fetch; the period picker is hidden.
    EXPECT_EQ(gezeigt(), "wertentwicklung");
    EXPECT_TRUE(ansicht->findChild<QWidget*>("zeitraum")->isHidden());
    EXPECT_TRUE(ansicht->findChild<QWidget*>("kurseWerdenGeholt")->isHidden());
    EXPECT_TRUE(server.anfragen().empty());
    EXPECT_EQ(ansicht->findChild<QWidget*>("darstellung")->accessibleName(), "Darstellung");

    klicke("sicht-tagesverlauf");
    EXPECT_FALSE(ansicht->findChild<QWidget*>("zeitraum")->isHidden());
    EXPECT_FALSE(ansicht->findChild<QWidget*>("kurseWerdenGeholt")->isHidden());
    EXPECT_EQ(gezeigt(), "tageskurseWerdenGeholt");
    ASSERT_TRUE(warteBis([&] { return geladen(); }));
    // The whole game: every day from the entry day to yesterday.
    EXPECT_EQ(tage(), 40U);
    EXPECT_FALSE(ansicht->ladung().verkuerzt());
    EXPECT_EQ(gezeigt(), "wertentwicklung");
    EXPECT_TRUE(ansicht->findChild<QWidget*>("kurseWerdenGeholt")->isHidden());

    // A new period: the old chart stays while the new history loads.
    klicke("zeitraum-einMonat");
    EXPECT_FALSE(geladen());
    EXPECT_EQ(gezeigt(), "wertentwicklung");
    ASSERT_TRUE(warteBis([&] { return geladen(); }));
    EXPECT_EQ(tage(), 31U);
    EXPECT_FALSE(ansicht->ladung().verkuerzt());

    klicke("zeitraum-dreiMonate");
    ASSERT_TRUE(warteBis([&] { return geladen(); }));
    EXPECT_EQ(tage(), 40U);
    EXPECT_TRUE(ansicht->ladung().verkuerzt());
    EXPECT_EQ(verlaufsanfragen(), 3U);
    // What a screen reader and the footnote say of the daily chart.
    QAccessibleInterface* diagramm = QAccessible::queryAccessibleInterface(ansicht->findChild<QWidget*>("wertdiagramm"));
    ASSERT_NE(diagramm, nullptr);
    EXPECT_EQ(diagramm->text(QAccessible::Name), "Wertentwicklung des Portfolios");
    EXPECT_TRUE(diagramm->text(QAccessible::Value).startsWith("40 Handelstage von ")) << diagramm->text(QAccessible::Value).toStdString();
    EXPECT_EQ(diagramm->childCount(), 40);
    const QString fussnote = ansicht->findChild<QLabel*>("fussnote")->text();
    EXPECT_TRUE(fussnote.startsWith(QString::fromUtf8("40 Handelstage \u00B7 Kennzahlen zum Stichtag vom "))) << fussnote.toStdString();
    EXPECT_TRUE(fussnote.contains(QString::fromUtf8(" \u00B7 ab Einstieg am "))) << fussnote.toStdString();

    // Back to the reference dates and again to the same period: the history is fetched anew.
    klicke("sicht-stichtage");
    EXPECT_TRUE(ansicht->findChild<QWidget*>("zeitraum")->isHidden());
    EXPECT_EQ(gezeigt(), "wertentwicklung");
    klicke("sicht-tagesverlauf");
    EXPECT_EQ(ansicht->zeitraum(), qb::Zeitraum::dreiMonate);
    ASSERT_TRUE(warteBis([&] { return geladen(); }));
    EXPECT_EQ(verlaufsanfragen(), 4U);
}

TEST_F(EntwicklungAnsichtTest, einFehlschlagZeigtSeinenTextUndErneutLadenHoltNochmals) {
    buehne.scheitert(siemens, 500);
    klicke("sicht-tagesverlauf");
    ASSERT_TRUE(warteBis([&] { return geladen(); }));

    EXPECT_EQ(gezeigt(), "leer");
    auto* leer = ansicht->findChild<QWidget*>("leer");
    EXPECT_EQ(leer->findChild<QLabel*>("titel")->text(), "Kein Tagesverlauf");
    EXPECT_EQ(leer->findChild<QLabel*>("text")->text(),
              "Aktie: Die Quelle meldete einen Fehler (HTTP 500). Später erneut versuchen.");
    auto* erneut = leer->findChild<QPushButton*>("aktion");
    EXPECT_FALSE(erneut->isHidden());
    EXPECT_EQ(erneut->text(), "Erneut laden");
    EXPECT_EQ(erneut->accessibleName(), "Tagesverlauf erneut laden");

    buehne.heilt(siemens);
    QTest::mouseClick(erneut, Qt::LeftButton);
    EXPECT_EQ(ansicht->ladung().ladeversuch(), 1);
    EXPECT_EQ(gezeigt(), "tageskurseWerdenGeholt");
    ASSERT_TRUE(warteBis([&] { return geladen(); }));
    EXPECT_EQ(gezeigt(), "wertentwicklung");
    EXPECT_EQ(tage(), 40U);
    EXPECT_EQ(verlaufsanfragen(), 2U);
}

// A securities source that fails with an error that is no source's.
struct KaputteQuelle : qb::Kursquelle {
    std::string name = "kaputt";
    const std::string& bezeichnung() const override { return name; }
    std::string_view kennungshinweis() const override { return ""; }
    qb::Kennungsurteil pruefe(std::string_view) const override { return qb::Kennungsurteil::verwendbar; }
    qb::Kursnotierung aktuellerKurs(std::string_view, std::stop_token) const override { throw 0; }
    qb::Kursnotierung kurs(std::string_view, Zeitpunkt, std::stop_token) const override { throw 0; }
    qb::Kursreihe kursreihe(std::string_view, Zeitpunkt, Zeitpunkt,
                            std::stop_token) const override { throw 0; }
};

TEST_F(EntwicklungAnsichtTest, einAbrufDerAndersScheitertNenntNurDieGeholtenPositionen) {
    // A commodity without an identifier is valued from its own entries and never fetched.
    auto gold = testspiel::kaufe(portfolio, Assetklasse::rohstoff, "Gold", 2, testspiel::eur("50"));
    testspiel::notiere(portfolio->bewertungen().front(), gold, testspiel::eur("55"));
    const auto quelle = std::make_shared<KaputteQuelle>();
    const auto echt = std::make_shared<const qb::Kursdienst>(qbtest::dienstFuer(server));
    const qb::Kursdienst kaputt(quelle, quelle, {echt, &echt->umrechner()});
    ansicht = std::make_unique<EntwicklungAnsicht>(portfolio, beobachter, [kaputt] { return kaputt; });
    ansicht->show();
    klicke("sicht-tagesverlauf");
    ASSERT_TRUE(warteBis([&] { return geladen(); }));
    EXPECT_EQ(ansicht->findChild<QWidget*>("leer")->findChild<QLabel*>("text")->text(),
              "Aktie: Der Vorgang konnte nicht abgeschlossen werden.");
}

TEST_F(EntwicklungAnsichtTest, eineAenderungAufEinemAnderenReiterLaedtImHintergrundNeu) {
    klicke("sicht-tagesverlauf");
    ASSERT_TRUE(warteBis([&] { return geladen(); }));
    ASSERT_EQ(verlaufsanfragen(), 1U);

    // The main window disables the page while another tab is shown.
    ansicht->setEnabled(false);
    testspiel::notiere(testspiel::stichtag(portfolio, vorTagen(5, 17)), aktie, testspiel::eur("120"));
    ASSERT_TRUE(warteBis([&] { return verlaufsanfragen() == 2U && geladen(); }));
    EXPECT_EQ(tage(), 40U);

    // Shown again on the same day with nothing changed: no new load.
    ansicht->setEnabled(true);
    EXPECT_TRUE(geladen());
    // A change that the history does not depend on starts none either.
    QSignalSpy gemeldet(&beobachter, &qb::Modellbeobachter::geaendert);
    portfolio->setzeGruppenname("Andere");
    ASSERT_TRUE(gemeldet.wait());
    EXPECT_TRUE(geladen());
    EXPECT_EQ(verlaufsanfragen(), 2U);

    // Without a complete reference date the daily view explains itself and fetches nothing.
    for (const auto& bewertung : std::vector(portfolio->bewertungen())) {
        container.kontext().loesche(bewertung);
    }
    ASSERT_TRUE(warteBis([&] { return gezeigt() == "leer"; }));
    EXPECT_EQ(ansicht->findChild<QLabel*>("text")->text(),
              "Sobald ein Stichtag mit vollständigen Kursen vorliegt, erscheint hier die Wertentwicklung.");
    EXPECT_TRUE(ansicht->findChild<QPushButton*>("aktion")->isHidden());
    EXPECT_EQ(verlaufsanfragen(), 2U);
}

TEST_F(EntwicklungAnsichtTest, diePickerSindPerTastaturErreichbarUndBehaltenDenFokus) {
    auto* darstellung = ansicht->findChild<QWidget*>("darstellung");
    auto* zeitraum = ansicht->findChild<QWidget*>("zeitraum");
    EXPECT_EQ(darstellung->accessibleName(), "Darstellung");
    EXPECT_EQ(zeitraum->accessibleName(), "Zeitraum");
    ansicht->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(ansicht.get()));

    // An arrow key moves to the next segment and picks it, as in a segmented control.
    auto* stichtage = ansicht->findChild<QAbstractButton*>("sicht-stichtage");
    auto* tagesverlauf = ansicht->findChild<QAbstractButton*>("sicht-tagesverlauf");
    stichtage->setFocus(Qt::TabFocusReason);
    QTest::keyClick(stichtage, Qt::Key_Right);
    EXPECT_EQ(ansicht->sicht(), Sicht::tagesverlauf);
    ASSERT_TRUE(warteBis([&] { return geladen() && gezeigt() == "wertentwicklung"; }));
    // The chart coming in takes no focus from the picker.
    EXPECT_EQ(QApplication::focusWidget(), tagesverlauf);
    // A screen reader hears the picker's name, its segments and which one is chosen.
    QAccessibleInterface* gruppe = QAccessible::queryAccessibleInterface(darstellung);
    ASSERT_NE(gruppe, nullptr);
    EXPECT_EQ(gruppe->text(QAccessible::Name), "Darstellung");
    ASSERT_EQ(gruppe->childCount(), 2);
    EXPECT_EQ(gruppe->child(0)->text(QAccessible::Name), "Stichtage");
    EXPECT_FALSE(gruppe->child(0)->state().checked);
    EXPECT_EQ(gruppe->child(1)->text(QAccessible::Name), "Tagesverlauf");
    EXPECT_TRUE(gruppe->child(1)->state().checked);
    // With room to spare both pickers are as wide as they may be.
    ansicht->findChild<QWidget*>("kopf")->layout()->activate();
    EXPECT_EQ(darstellung->width(), 240);
    EXPECT_EQ(zeitraum->width(), 240);

    // Tab lands on the chosen period, "Alles", and the arrows choose from there.
    QTest::keyClick(tagesverlauf, Qt::Key_Tab);
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "zeitraum-alles");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    EXPECT_EQ(ansicht->zeitraum(), qb::Zeitraum::einMonat);
    ASSERT_TRUE(warteBis([&] { return geladen(); }));
    EXPECT_EQ(tage(), 31U);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "zeitraum-einMonat");
}

// A dark palette of the kind a dark desktop colour scheme hands the application.
TEST_F(EntwicklungAnsichtTest, dasGewaehlteSegmentStichtHellWieDunkelDeutlichHervor) {
    for (const bool dunkel : {false, true}) {
        // The palette comes from the desktop: set on the application before the tab is built.
        qbtest::Anwendungspalette palette(dunkel ? qbtest::dunklePalette() : QApplication::style()->standardPalette());
        ansicht = std::make_unique<EntwicklungAnsicht>(portfolio, beobachter,
                                                       [this] { return qbtest::dienstFuer(server); });
        ansicht->resize(920, 480);
        ansicht->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(ansicht.get()));
        // The face of each segment beside its label, in the middle of its height.
        const auto flaeche = [&](const char* name) {
            auto* segment = ansicht->findChild<QAbstractButton*>(name);
            const QImage bild = segment->grab().toImage();
            return QColor(bild.pixel(static_cast<int>(8 * bild.devicePixelRatio()), bild.height() / 2));
        };
        EXPECT_GE(qbtest::farbabstand(flaeche("sicht-stichtage"), flaeche("sicht-tagesverlauf")), 120) << dunkel;
        klicke("sicht-tagesverlauf");
        EXPECT_GE(qbtest::farbabstand(flaeche("sicht-tagesverlauf"), flaeche("sicht-stichtage")), 120) << dunkel;
        EXPECT_GE(qbtest::farbabstand(flaeche("zeitraum-alles"), flaeche("zeitraum-einMonat")), 120) << dunkel;
        ASSERT_TRUE(warteBis([&] { return geladen(); }));
        ansicht.reset();
    }
}

// The same tab against a server that answers every request after 300 ms.
class LangsameEntwicklungAnsichtTest : public EntwicklungAnsichtTest {
protected:
    LangsameEntwicklungAnsichtTest() : EntwicklungAnsichtTest(std::chrono::milliseconds(300)) {}

    // Lets every load still running end and delivers what it sends back.
    static void lassAlleLadungenEnden() {
        ASSERT_TRUE(qb::arbeitspool().waitForDone(30000));
        QCoreApplication::processEvents();
    }
};

TEST_F(LangsameEntwicklungAnsichtTest, diePickerBehaltenIhreGroesseWennKurseGeholtWerden) {
    auto* hinweis = ansicht->findChild<QWidget*>("kurseWerdenGeholt");
    auto* kopf = ansicht->findChild<QWidget*>("kopf");
    const auto lage = [&] {
        kopf->layout()->activate();
        return std::make_pair(ansicht->findChild<QWidget*>("darstellung")->geometry(),
                              ansicht->findChild<QWidget*>("zeitraum")->geometry());
    };
    // Wide, and so narrow that the loading line must make do with less than its text.
    for (const int breite : {920, 700, 640}) {
        ansicht->resize(breite, 480);
        klicke("sicht-tagesverlauf");
        ASSERT_FALSE(hinweis->isHidden());
        const auto waehrendDesLadens = lage();
        ASSERT_TRUE(warteBis([&] { return geladen(); }));
        ASSERT_TRUE(hinweis->isHidden());
        EXPECT_EQ(lage(), waehrendDesLadens) << breite;
        EXPECT_EQ(waehrendDesLadens.first.width(), 240) << breite;
        EXPECT_EQ(waehrendDesLadens.second.width(), 240) << breite;
        klicke("sicht-stichtage");
    }
}

TEST_F(LangsameEntwicklungAnsichtTest, eineLadungFuerEinenAltenSchluesselWirdNieAngewandt) {
    auto* hinweis = ansicht->findChild<QWidget*>("kurseWerdenGeholt");
    // Both histories stay on their way until the reference dates are shown again.
    buehne.halteAn();
    klicke("sicht-tagesverlauf");
    ASSERT_TRUE(warteBis([&] { return verlaufsanfragen() == 1U; }));

    // Another period while the whole game is fetched: only the month's history is taken.
    klicke("zeitraum-einMonat");
    ASSERT_TRUE(warteBis([&] { return verlaufsanfragen() == 2U; }));
    EXPECT_FALSE(geladen());
    EXPECT_EQ(ansicht->ladung().verlauf(), std::nullopt);

    // "Stichtage" during that load ends it at once and clears the indicator.
    klicke("sicht-stichtage");
    EXPECT_TRUE(geladen());
    EXPECT_TRUE(hinweis->isHidden());
    EXPECT_EQ(gezeigt(), "wertentwicklung");
    buehne.gibFrei();
    lassAlleLadungenEnden();
    EXPECT_EQ(ansicht->ladung().verlauf(), std::nullopt);
    EXPECT_EQ(ansicht->ladung().verlaufsfehler(), std::nullopt);
    EXPECT_TRUE(hinweis->isHidden());

    // Back to the daily view: a new load for the kept period.
    klicke("sicht-tagesverlauf");
    EXPECT_FALSE(hinweis->isHidden());
    EXPECT_EQ(gezeigt(), "tageskurseWerdenGeholt");
    ASSERT_TRUE(warteBis([&] { return geladen(); }));
    EXPECT_EQ(tage(), 31U);
    EXPECT_EQ(verlaufsanfragen(), 3U);
    EXPECT_TRUE(hinweis->isHidden());
}

} // namespace
