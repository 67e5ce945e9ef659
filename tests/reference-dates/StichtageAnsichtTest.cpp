#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QAccessible>
#include <QApplication>
#include <QCalendarWidget>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/Datumsfeld.h"
#include "ui/Fenstergroesse.h"
#include "ui/Modellbeobachter.h"
#include "ui/Radhilfe.h"
#include "ui/Schrifthilfe.h"
#include "ui/Spielstandhilfe.h"
#include "ui/Symbol.h"
#include "ui/Textbruecke.h"
#include "ui/Uhrhilfe.h"
#include "ui/Zahleneingabe.h"
#include "model/Bewertung.h"
#include "model/Position.h"
#include "reference-dates/PreisKorrigierenDialog.h"
#include "reference-dates/StichtagDetail.h"
#include "reference-dates/StichtagErfassenDialog.h"
#include "reference-dates/StichtageAnsicht.h"
#include "reference-dates/StichtagskursFelder.h"
#include "reference-dates/Stichtagsliste.h"
#include "reference-dates/Stichtagslistenfeld.h"
#include "Umgebung.h"
#include "sources/Testhilfen.h"
#include "ui/Farbhilfe.h"

using namespace qb;
using qbtest::Antwort;
using testspiel::tag;

namespace {

const Kalender berlin{Zeitzone("Europe/Berlin")};

} // namespace

TEST(Stichtagsliste, texte) {
    EXPECT_EQ(Stichtagsliste::knopftext(false), "Stichtag anlegen");
    EXPECT_EQ(Stichtagsliste::knopftext(true), "Kurse nachtragen");
    EXPECT_EQ(Stichtagsliste::erklaerung(false),
              "Trag die Kurse von Bloomberg ein. Zum Vergleich holt die App die Kurse der Börse Frankfurt und der EZB.");
    EXPECT_EQ(Stichtagsliste::erklaerung(true),
              "Trag die Bloomberg-Schlusskurse dieses Tages ein. Zum Vergleich holt die App die Kurse jenes Tages.");

    struct Fall {
        std::map<Assetklasse, std::string> verworfen;
        std::optional<std::string> meldung;
    };
    const std::vector<Fall> faelle{
        {{}, std::nullopt},
        {{{Assetklasse::waehrung, "Grund B"}, {Assetklasse::aktie, "Grund A"}},
         "Der Stichtag ist angelegt, aber diese Kurse wurden nicht übernommen:\n\nAktie: Grund A\nWährung: Grund B"},
    };
    for (const auto& fall : faelle) {
        EXPECT_EQ(Stichtagsliste::verworfenMeldung(fall.verworfen), fall.meldung);
    }
}

TEST(Stichtagsliste, tageUndWahl) {
    // Bought on 4 March 2024 at 9:00 in Berlin.
    qbtest::Spielstand spiel;
    const Zeitpunkt nun = tag(2024, 3, 12, 10);
    struct Fall {
        const char* name;
        std::optional<Zeitpunkt> gewaehlt;
        Zeitpunkt wirksam;
        bool nachtrag;
        Bewertungserfassung::Stichtagswahl wahl;
    };
    const std::vector<Fall> faelle{
        {"heute", std::nullopt, nun, false, {nun, std::nullopt}},
        {"vergangener Tag um 17 Uhr", tag(2024, 3, 10, 8), tag(2024, 3, 10, 8), true,
         {tag(2024, 3, 10), tag(2024, 3, 10)}},
        {"vor dem Kauf: der Kauftag", tag(2024, 3, 1), tag(2024, 3, 4, 0), true, {tag(2024, 3, 4), tag(2024, 3, 4)}},
        {"später am selben Tag ist kein Nachtrag", tag(2024, 3, 12, 1), tag(2024, 3, 12, 1), false,
         {nun, std::nullopt}},
    };
    for (const auto& fall : faelle) {
        const Zeitpunkt wirksam = Stichtagsliste::wirksamerTag(*spiel.portfolio, fall.gewaehlt, nun, berlin);
        EXPECT_EQ(wirksam, fall.wirksam) << fall.name;
        EXPECT_EQ(Stichtagsliste::istNachtrag(wirksam, nun, berlin), fall.nachtrag) << fall.name;
        EXPECT_EQ(Stichtagsliste::wahl(wirksam, nun, berlin), fall.wahl) << fall.name;
    }
    // A purchase date in the future: today is the earliest day.
    EXPECT_EQ(Stichtagsliste::fruehesterTag(*spiel.portfolio, tag(2024, 3, 2), berlin), tag(2024, 3, 2));
    EXPECT_FALSE(Stichtagsliste::hatVollstaendigePositionen(*spiel.portfolio));
}

TEST(Stichtagsliste, zeilentexte) {
    const auto deutsch = qbtest::Umgebung::deutsch();
    const std::string nb = "\u00a0";
    qbtest::Spielstand spiel;
    auto aktie = testspiel::kaufe(spiel.portfolio, Assetklasse::aktie, "Siemens", 10, testspiel::eur("150"));
    auto gewinn = testspiel::stichtag(spiel.portfolio, tag(2024, 3, 11));
    testspiel::notiere(gewinn, aktie, testspiel::eur("160"));
    auto verlust = testspiel::stichtag(spiel.portfolio, tag(2024, 3, 12));
    testspiel::notiere(verlust, aktie, testspiel::eur("140"));
    auto gleich = testspiel::stichtag(spiel.portfolio, tag(2024, 3, 13));
    testspiel::notiere(gleich, aktie, testspiel::eur("150"));
    auto offen = testspiel::stichtag(spiel.portfolio, tag(2024, 3, 14));

    const Formatierer format("de_DE");
    const Zeitzone zone("Europe/Berlin");
    using R = Stichtagsliste::Richtung;
    struct Fall {
        std::shared_ptr<Bewertung> bewertung;
        std::string datum;
        std::optional<std::string> wert;
        std::optional<std::string> rendite;
        R richtung;
    };
    const std::vector<Fall> faelle{
        {gewinn, "11. März 2024, 17:00", "100.100,00" + nb + "€", "0,10" + nb + "%", R::gewinn},
        {verlust, "12. März 2024, 17:00", "99.900,00" + nb + "€", "-0,10" + nb + "%", R::verlust},
        {gleich, "13. März 2024, 17:00", "100.000,00" + nb + "€", "0,00" + nb + "%", R::neutral},
        {offen, "14. März 2024, 17:00", std::nullopt, std::nullopt, R::neutral},
    };
    for (const auto& fall : faelle) {
        const auto texte = Stichtagsliste::zeile(*spiel.portfolio, *fall.bewertung, format, zone);
        EXPECT_EQ(texte.datum, fall.datum);
        EXPECT_EQ(texte.wert, fall.wert) << fall.datum;
        EXPECT_EQ(texte.rendite, fall.rendite) << fall.datum;
        EXPECT_EQ(texte.richtung, fall.richtung) << fall.datum;
    }
    const auto reihenfolge = Stichtagsliste::neuesteZuerst(*spiel.portfolio);
    EXPECT_EQ(reihenfolge, (std::vector{offen, gleich, verlust, gewinn}));
    EXPECT_EQ(Stichtagsliste::angezeigt(*spiel.portfolio, std::nullopt), offen);
    EXPECT_EQ(Stichtagsliste::angezeigt(*spiel.portfolio, gewinn->id()), gewinn);
    EXPECT_EQ(Stichtagsliste::angezeigt(*spiel.portfolio, DatensatzId{987654}), nullptr);
}

namespace {

struct Listenspiel : qbtest::Spielstand {
    Listenspiel() {
        auto aktie = testspiel::kaufe(portfolio, Assetklasse::aktie, "Siemens", 10, testspiel::eur("150"));
        for (int t : {18, 11, 25}) {
            auto bewertung = testspiel::stichtag(portfolio, tag(2024, 3, t));
            testspiel::notiere(bewertung, aktie, testspiel::eur("160"));
            tage[t] = bewertung->id();
        }
        speichereOderScheitere();
    }
    std::map<int, DatensatzId> tage;
};

std::vector<DatensatzId> zeilen(QListWidget* liste) {
    std::vector<DatensatzId> ids;
    for (int i = 0; i < liste->count(); ++i) {
        ids.push_back(liste->item(i)->data(Qt::UserRole + 1).value<qint64>());
    }
    return ids;
}

QListWidgetItem* eintrag(QListWidget* liste, DatensatzId id) {
    for (int i = 0; i < liste->count(); ++i) {
        if (liste->item(i)->data(Qt::UserRole + 1).value<qint64>() == id) return liste->item(i);
    }
    return nullptr;
}

std::vector<DatensatzId> ausgewaehlteZeilen(QListWidget* liste) {
    std::vector<DatensatzId> ids;
    for (auto* e : liste->selectedItems()) ids.push_back(e->data(Qt::UserRole + 1).value<qint64>());
    return ids;
}

// Deletes a row through its context menu and the confirmation.
void loescheUeberMenue(StichtageAnsicht& ansicht, QListWidget* liste, DatensatzId id) {
    QListWidgetItem* zeile = eintrag(liste, id);
    ASSERT_TRUE(zeile);
    emit liste->customContextMenuRequested(liste->visualItemRect(zeile).center());
    QMenu* menue = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (menue = ansicht.findChild<QMenu*>("zeilenmenue")) != nullptr; }, 5000));
    auto* aktion = menue->findChild<QAction*>("stichtagLoeschen");
    ASSERT_TRUE(aktion);
    EXPECT_EQ(aktion->text(), "Stichtag löschen");
    QPointer<QMenu> offen(menue);
    aktion->trigger();
    menue->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return offen.isNull(); }, 5000));
    QPointer<QMessageBox> frage = ansicht.findChild<QMessageBox*>("loeschfrage");
    ASSERT_TRUE(frage);
    EXPECT_EQ(frage->text(), "Stichtag wirklich löschen?");
    EXPECT_EQ(frage->informativeText(), "Die Kurse dieses Stichtags werden mit entfernt. Das lässt sich nicht widerrufen.");
    QTest::mouseClick(frage->findChild<QPushButton*>("loeschen"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frage.isNull(); }, 5000));
}

} // namespace

TEST(StichtageAnsichtTest, loeschenNachRueckfrageBehaeltDieAuswahl) {
    const auto deutsch = qbtest::Umgebung::deutsch();
    Listenspiel spiel;
    Modellbeobachter beobachter(spiel.kontext());
    StichtageAnsicht ansicht(spiel.portfolio, beobachter);
    ansicht.resize(900, 600);
    ansicht.show();
    auto* liste = ansicht.findChild<QListWidget*>("stichtagsliste");
    ASSERT_TRUE(liste);
    EXPECT_EQ(ansicht.findChild<QPushButton*>("stichtagAnlegen")->text(), "Stichtag anlegen");
    EXPECT_TRUE(ansicht.findChild<QPushButton*>("stichtagAnlegen")->isEnabled());

    // Newest first; with nothing selected the detail shows the newest date.
    EXPECT_EQ(zeilen(liste), (std::vector{spiel.tage[25], spiel.tage[18], spiel.tage[11]}));
    EXPECT_TRUE(ausgewaehlteZeilen(liste).empty());
    ASSERT_TRUE(ansicht.detail());

    QTest::mouseClick(liste->viewport(), Qt::LeftButton, {}, liste->visualItemRect(eintrag(liste, spiel.tage[18])).center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return ansicht.ausgewaehlt() == spiel.tage[18]; }, 5000));

    // Abbrechen keeps the date.
    emit liste->customContextMenuRequested(liste->visualItemRect(eintrag(liste, spiel.tage[11])).center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return ansicht.findChild<QMenu*>("zeilenmenue") != nullptr; }, 5000));
    QPointer<QMenu> menue = ansicht.findChild<QMenu*>("zeilenmenue");
    menue->findChild<QAction*>("stichtagLoeschen")->trigger();
    menue->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return menue.isNull(); }, 5000));
    QPointer<QMessageBox> frage = ansicht.findChild<QMessageBox*>("loeschfrage");
    ASSERT_TRUE(frage);
    // While the question is open, the row it asks about keeps its menu's ring.
    const QRect ort = liste->visualItemRect(eintrag(liste, spiel.tage[11]));
    EXPECT_EQ(liste->viewport()->grab().toImage().pixelColor(ort.left() + 2, ort.center().y()),
              liste->palette().color(QPalette::Highlight));
    QTest::mouseClick(frage->findChild<QPushButton*>("abbrechen"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frage.isNull(); }, 5000));
    EXPECT_EQ(spiel.gespeichert().bewertungen.size(), 3U);

    // Deleting another row leaves the selection where it was.
    loescheUeberMenue(ansicht, liste, spiel.tage[25]);
    ASSERT_TRUE(QTest::qWaitFor([&] { return liste->count() == 2; }, 5000));
    EXPECT_EQ(zeilen(liste), (std::vector{spiel.tage[18], spiel.tage[11]}));
    EXPECT_EQ(ansicht.ausgewaehlt(), spiel.tage[18]);
    EXPECT_EQ(ausgewaehlteZeilen(liste), (std::vector{spiel.tage[18]}));
    Bestand bestand = spiel.gespeichert();
    ASSERT_EQ(bestand.bewertungen.size(), 2U);
    for (const auto& zeile : bestand.bewertungen) EXPECT_NE(zeile.id, spiel.tage[25]);
    EXPECT_EQ(bestand.preisnotizen.size(), 2U);
    for (const auto& zeile : bestand.preisnotizen) EXPECT_NE(zeile.bewertung, spiel.tage[25]);

    // Deleting the selected row selects no neighbour: the detail is empty.
    loescheUeberMenue(ansicht, liste, spiel.tage[18]);
    ASSERT_TRUE(QTest::qWaitFor([&] { return liste->count() == 1; }, 5000));
    EXPECT_EQ(ansicht.ausgewaehlt(), spiel.tage[18]);
    EXPECT_TRUE(ausgewaehlteZeilen(liste).empty());
    EXPECT_EQ(ansicht.detail(), nullptr);
    auto* detailseite = ansicht.findChild<QWidget*>("keinDetail");
    ASSERT_TRUE(detailseite);
    EXPECT_TRUE(detailseite->isVisible());
    bestand = spiel.gespeichert();
    ASSERT_EQ(bestand.bewertungen.size(), 1U);
    EXPECT_EQ(bestand.bewertungen.at(0).id, spiel.tage[11]);
    ASSERT_EQ(bestand.preisnotizen.size(), 1U);
    EXPECT_EQ(bestand.preisnotizen.at(0).bewertung, spiel.tage[11]);
}

TEST(StichtageAnsichtTest, rechtsklickLoeschtDieZeileUnterDemZeigerUndLaesstDieAuswahl) {
    const auto deutsch = qbtest::Umgebung::deutsch();
    Listenspiel spiel;
    Modellbeobachter beobachter(spiel.kontext());
    StichtageAnsicht ansicht(spiel.portfolio, beobachter);
    ansicht.resize(900, 600);
    ansicht.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&ansicht));
    auto* liste = ansicht.findChild<QListWidget*>("stichtagsliste");
    ASSERT_TRUE(liste);
    const auto stelle = [&](DatensatzId id) {
        return liste->viewport()->mapTo(&ansicht, liste->visualItemRect(eintrag(liste, id)).center());
    };
    QTest::mouseClick(ansicht.windowHandle(), Qt::LeftButton, {}, stelle(spiel.tage[18]));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ansicht.ausgewaehlt() == spiel.tage[18]; }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ansicht.detail() != nullptr; }, 5000));
    const std::string gezeigt = utf8(ansicht.detail()->findChild<QLabel*>("datum")->text());
    EXPECT_EQ(gezeigt, "Montag, 18. März 2024");

    // A right click on another row, as the window delivers it: press, context menu, release.
    QTest::mouseClick(ansicht.windowHandle(), Qt::RightButton, {}, stelle(spiel.tage[25]));
    QPointer<QMenu> menue;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (menue = ansicht.findChild<QMenu*>("zeilenmenue")) != nullptr; }, 5000));
    QCoreApplication::processEvents();
    EXPECT_EQ(ansicht.ausgewaehlt(), spiel.tage[18]);
    EXPECT_EQ(ausgewaehlteZeilen(liste), (std::vector{spiel.tage[18]}));
    // The row the menu acts on is marked while it is open.
    EXPECT_EQ(qobject_cast<Stichtagslistenfeld*>(liste)->menuezeile(), eintrag(liste, spiel.tage[25]));
    menue->findChild<QAction*>("stichtagLoeschen")->trigger();
    menue->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return menue.isNull(); }, 5000));
    QPointer<QMessageBox> frage = ansicht.findChild<QMessageBox*>("loeschfrage");
    ASSERT_TRUE(frage);
    QTest::mouseClick(frage->findChild<QPushButton*>("loeschen"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return liste->count() == 2; }, 5000));

    // The row under the pointer is gone; the selected one and its detail stay.
    const Bestand bestand = spiel.gespeichert();
    ASSERT_EQ(bestand.bewertungen.size(), 2U);
    for (const auto& zeile : bestand.bewertungen) EXPECT_NE(zeile.id, spiel.tage[25]);
    EXPECT_EQ(zeilen(liste), (std::vector{spiel.tage[18], spiel.tage[11]}));
    EXPECT_EQ(ansicht.ausgewaehlt(), spiel.tage[18]);
    EXPECT_EQ(ausgewaehlteZeilen(liste), (std::vector{spiel.tage[18]}));
    ASSERT_TRUE(ansicht.detail());
    EXPECT_EQ(utf8(ansicht.detail()->findChild<QLabel*>("datum")->text()), gezeigt);
}

// The chosen row shows whether the list has the focus; the row of the open menu is marked while
// the selection stays. Light and dark.
TEST(StichtageAnsichtTest, dieListeHeisstZeigtIhrenFokusUndMarkiertDieZeileIhresMenues) {
    Stichtagslistenfeld liste;
    liste.addItems(
        {QStringLiteral("8. Apr. 2024"), QStringLiteral("1. Apr. 2024"), QStringLiteral("25. März 2024")});
    liste.resize(260, 200);
    liste.show();
    QApplication::setActiveWindow(&liste);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&liste));
    EXPECT_EQ(utf8(QAccessible::queryAccessibleInterface(&liste)->text(QAccessible::Name)), "Stichtage");
    liste.setCurrentRow(1);
    // A point of the ring inside a row: at its leading edge, halfway down.
    const auto ring = [&](int zeile) {
        const QRect ort = liste.visualItemRect(liste.item(zeile));
        return liste.viewport()->grab().toImage().pixelColor(ort.left() + 2, ort.center().y());
    };
    for (const bool dunkel : {false, true}) {
        SCOPED_TRACE(dunkel ? "dunkel" : "hell");
        const QPalette palette = dunkel ? qbtest::dunklePalette() : QApplication::style()->standardPalette();
        liste.setPalette(palette);
        liste.setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(QTest::qWaitFor([&] { return liste.hasFocus(); }, 2000));
        const QColor mitFokus = ring(1);
        EXPECT_EQ(mitFokus, palette.color(QPalette::HighlightedText));
        liste.clearFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !liste.hasFocus(); }, 2000));
        EXPECT_NE(ring(1), mitFokus);

        auto* menue = new QMenu(&liste);
        menue->setAttribute(Qt::WA_DeleteOnClose);
        menue->addAction(QStringLiteral("Stichtag löschen"));
        liste.zeigeMenue(menue, liste.item(2), liste.visualItemRect(liste.item(2)).center());
        EXPECT_EQ(ring(2), palette.color(QPalette::Highlight));
        EXPECT_EQ(liste.selectedItems(), QList<QListWidgetItem*>{liste.item(1)});
        menue->close();
        EXPECT_EQ(ring(2), palette.color(QPalette::Base));
    }
}

namespace {

// Types a price into the visible number field of a class's row of the capture sheet.
void tippePreis(StichtagErfassenDialog* blatt, Assetklasse klasse, const char* text) {
    auto* zeile =
        blatt->findChild<StichtagskursFelder*>(QStringLiteral("zeile_") + QString::fromUtf8(rohwert(klasse).data()));
    ASSERT_TRUE(zeile);
    for (auto* feld : zeile->findChildren<Zahleneingabe*>()) {
        if (feld->isVisible()) {
            feld->feld()->setFocus();
            QTest::keyClicks(feld->feld(), QString::fromUtf8(text));
            return;
        }
    }
    ADD_FAILURE() << "kein Preisfeld";
}

} // namespace

TEST(StichtageAnsichtTest, nachgetragenerStichtagWirdAusgewaehltUndMeldetVerworfenesErstWennDerTabZuSehenIst) {
    const auto deutsch = qbtest::Umgebung::deutsch();
    qbtest::Testserver server;
    qbtest::Spielstand spiel;
    auto aktie = testspiel::kaufe(spiel.portfolio, Assetklasse::aktie, "Siemens", 10, testspiel::eur("150"));
    aktie->setzeKennung("DE0007236101");
    auto rohstoff = testspiel::kaufe(spiel.portfolio, Assetklasse::rohstoff, "Gold", 5, testspiel::eur("60"));
    rohstoff->setzeKennung("DE000A0S9GB0");
    spiel.speichereOderScheitere();
    Modellbeobachter beobachter(spiel.kontext());
    StichtageAnsicht ansicht(spiel.portfolio, beobachter, qbtest::dienstFuer(server));
    ansicht.resize(900, 600);
    ansicht.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&ansicht));
    EXPECT_TRUE(ansicht.findChild<QWidget*>("keinStichtag")->isVisible());
    EXPECT_TRUE(ansicht.findChild<QWidget*>("keinDetail")->isVisible());

    // A past day: the button and its explanation change.
    ansicht.findChild<Datumsfeld*>("datumswahl")->setzeDatum(QDate(2024, 3, 10));
    auto* anlegen = ansicht.findChild<QPushButton*>("stichtagAnlegen");
    EXPECT_EQ(anlegen->text(), "Kurse nachtragen");
    EXPECT_EQ(ansicht.findChild<QLabel*>("erklaerung")->text(),
              "Trag die Bloomberg-Schlusskurse dieses Tages ein. Zum Vergleich holt die App die Kurse jenes Tages.");
    QTest::mouseClick(anlegen, Qt::LeftButton);
    QPointer<StichtagErfassenDialog> blatt = ansicht.erfassung();
    ASSERT_TRUE(blatt);
    ASSERT_TRUE(QTest::qWaitFor([&] { return blatt->isVisible(); }, 5000));
    // As high as its rows need, not held to the window's height.
    EXPECT_EQ(blatt->height(), 620);
    EXPECT_EQ(blatt->wahl().abruftag, tag(2024, 3, 10));
    tippePreis(blatt, Assetklasse::aktie, "161,5");
    tippePreis(blatt, Assetklasse::rohstoff, "62");
    // Every comparison fails at the server; meanwhile the gold is given another identifier.
    ASSERT_TRUE(QTest::qWaitFor([&] { return blatt->entwurf().vergleiche().size() == 2; }, 10000));
    rohstoff->setzeKennung("DE000A1E0HR8");

    // Failed comparisons are answers: saved without a question.
    QTest::mouseClick(blatt->findChild<QPushButton*>("speichern"), Qt::LeftButton);
    // The user is on another tab before the alert comes up.
    ansicht.setEnabled(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return blatt.isNull(); }, 5000));
    QCoreApplication::processEvents();
    EXPECT_EQ(ansicht.findChild<QMessageBox*>("hinweisZumStichtag"), nullptr);

    // Stored at 17:00 of the chosen day, with the share's price only, and selected.
    const Bestand bestand = spiel.gespeichert();
    ASSERT_EQ(bestand.bewertungen.size(), 1U);
    EXPECT_EQ(bestand.bewertungen.at(0).felder.datum, tag(2024, 3, 10));
    ASSERT_EQ(bestand.preisnotizen.size(), 1U);
    EXPECT_EQ(bestand.preisnotizen.at(0).felder.kennung, "DE0007236101");
    EXPECT_EQ(ansicht.ausgewaehlt(), bestand.bewertungen.at(0).id);
    auto* liste = ansicht.findChild<QListWidget*>("stichtagsliste");
    EXPECT_EQ(ausgewaehlteZeilen(liste), (std::vector{bestand.bewertungen.at(0).id}));
    ASSERT_TRUE(ansicht.detail());
    EXPECT_EQ(anlegen->text(), "Kurse nachtragen");

    ansicht.setEnabled(true);
    QPointer<QMessageBox> hinweis;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (hinweis = ansicht.findChild<QMessageBox*>("hinweisZumStichtag")); }, 5000));
    EXPECT_EQ(hinweis->text(), "Hinweis zum Stichtag");
    EXPECT_EQ(hinweis->informativeText(),
              "Der Stichtag ist angelegt, aber diese Kurse wurden nicht übernommen:\n\nRohstoff: Die Kennung wurde "
              "geändert, nachdem der Kurs eingetragen war. Trag ihn für die neue Kennung ein.");
    QTest::mouseClick(hinweis->findChild<QPushButton*>("ok"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return hinweis.isNull(); }, 5000));
}

TEST(StichtageAnsichtTest, einGetippterTagGiltFuerDenNachtrag) {
    const qbtest::Anwendungsschrift schrift(18);
    qbtest::Testserver server;
    Listenspiel spiel;
    Modellbeobachter beobachter(spiel.kontext());
    StichtageAnsicht ansicht(spiel.portfolio, beobachter, qbtest::dienstFuer(server));
    ansicht.resize(900, 600);
    ansicht.show();
    QApplication::setActiveWindow(&ansicht);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&ansicht));

    // From the keyboard alone: into the field with Tab, the day as one writes it.
    auto* datumswahl = ansicht.findChild<Datumsfeld*>("datumswahl");
    // At 18 pt the field is wide enough for its date.
    EXPECT_GE(datumswahl->width(), datumswahl->minimumSizeHint().width());
    datumswahl->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(datumswahl, QStringLiteral("10.03.2024"));
    EXPECT_EQ(datumswahl->datum(), QDate(2024, 3, 10));
    auto* anlegen = ansicht.findChild<QPushButton*>("stichtagAnlegen");
    EXPECT_EQ(anlegen->text(), "Kurse nachtragen");
    anlegen->setFocus(Qt::TabFocusReason);
    QTest::keyClick(anlegen, Qt::Key_Space);
    QPointer<StichtagErfassenDialog> blatt = ansicht.erfassung();
    ASSERT_TRUE(blatt);
    EXPECT_EQ(blatt->wahl().abruftag, tag(2024, 3, 10));
    blatt->reject();

    // A wrong text stays, even through a change elsewhere, and says why; both ends of the range,
    // from the day bought to today, count.
    const QDate heute = QDate::currentDate();
    const auto geschrieben = [](const QDate& tag) { return tag.toString(QStringLiteral("dd.MM.yyyy")); };
    const QString bereich =
        QStringLiteral("Das Datum muss zwischen dem 04.03.2024 und dem %1 liegen.").arg(geschrieben(heute));
    struct Fall {
        QString tasten;
        QString hinweis;
        QDate tag;
        const char* knopf;
    };
    const std::vector<Fall> faelle = {
        {geschrieben(heute.addDays(1)), bereich, QDate(2024, 3, 10), "Kurse nachtragen"},
        {QStringLiteral("03.03.2024"), bereich, QDate(2024, 3, 10), "Kurse nachtragen"},
        {QStringLiteral("04.03.2024"), {}, QDate(2024, 3, 4), "Kurse nachtragen"},
        {geschrieben(heute), {}, heute, "Stichtag anlegen"},
    };
    for (const Fall& fall : faelle) {
        SCOPED_TRACE(utf8(fall.tasten));
        datumswahl->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(datumswahl, fall.tasten);
        QTest::keyClick(datumswahl, Qt::Key_Tab);
        emit beobachter.geaendert();
        EXPECT_EQ(datumswahl->text(), fall.tasten);
        EXPECT_EQ(datumswahl->datum(), fall.tag);
        EXPECT_EQ(datumswahl->hinweiszeile()->isVisible(), !fall.hinweis.isEmpty());
        EXPECT_EQ(datumswahl->hinweiszeile()->text(), fall.hinweis);
        EXPECT_EQ(anlegen->text(), fall.knopf);
        EXPECT_EQ(anlegen->isEnabled(), fall.hinweis.isEmpty());
    }
    // The symbol drawn while a wrong text held the button off is an enabled one's now.
    const QColor farbe = anlegen->palette().color(QPalette::Active, QPalette::ButtonText);
    EXPECT_EQ(anlegen->icon().pixmap(anlegen->iconSize()).toImage(),
              Symbol::bild(QStringLiteral("plus"), farbe, anlegen->iconSize().height(), 1).toImage());

    // The wheel turned over the field on the way through the page leaves the day alone; with
    // the focus, the wheel and the arrow keys step it, no further than today.
    ansicht.findChild<QListWidget*>("stichtagsliste")->setFocus();
    qbtest::dreheRad(datumswahl);
    EXPECT_EQ(datumswahl->datum(), heute);
    EXPECT_FALSE(datumswahl->hasFocus());
    datumswahl->setFocus(Qt::TabFocusReason);
    qbtest::dreheRad(datumswahl);
    EXPECT_EQ(anlegen->text(), "Kurse nachtragen");
    QTest::keyClick(datumswahl, Qt::Key_Up);
    QTest::keyClick(datumswahl, Qt::Key_Up);
    EXPECT_EQ(datumswahl->datum(), heute);

    // A day refused before the purchase is the button's day once the purchase moves before it.
    QTest::keyClick(datumswahl, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(datumswahl, QStringLiteral("02.03.2024"));
    spiel.portfolio->setzeKaufdatum(tag(2024, 3, 1, 9));
    spiel.speichereOderScheitere();
    ASSERT_TRUE(QTest::qWaitFor([&] { return anlegen->isEnabled(); }));
    QTest::mouseClick(anlegen, Qt::LeftButton);
    EXPECT_EQ(ansicht.erfassung()->wahl().abruftag, tag(2024, 3, 2));
}

TEST(StichtageAnsichtTest, dasFeldZeigtBeimErstenBesuchDenWirksamenTag) {
    Listenspiel spiel;
    spiel.portfolio->setzeKaufdatum(jetzt());
    Modellbeobachter beobachter(spiel.kontext());
    const StichtageAnsicht ansicht(spiel.portfolio, beobachter);
    EXPECT_EQ(ansicht.findChild<Datumsfeld*>("datumswahl")->text(),
              QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
}

namespace {

// Nothing that wraps is squeezed below the height its width needs.
void pruefeNichtsGequetscht(QWidget* blatt) {
    for (auto* teil : blatt->findChildren<QWidget*>()) {
        if (teil->isVisible() && teil->hasHeightForWidth()) {
            EXPECT_GE(teil->height(), teil->heightForWidth(teil->width()))
                << teil->metaObject()->className() << " " << utf8(teil->objectName());
        }
    }
}

// The sheet fits the screen and shows the ECB rate line whole: not cut at the sheet's edge,
// not clipped in height, and no horizontal scroll bar anywhere in the sheet.
void pruefeEzbZeilePasst(QDialog* blatt, const QWidget& fenster, const QString& text) {
    auto* kurs = blatt->findChild<QLabel*>("ezbText");
    ASSERT_TRUE(kurs);
    ASSERT_TRUE(QTest::qWaitFor([&] { return kurs->isVisible() && kurs->text() == text; }, 10000))
        << utf8(kurs->text());
    auto* uebernehmen = blatt->findChild<QPushButton*>("ezbUebernehmen");
    ASSERT_TRUE(uebernehmen);
    ASSERT_TRUE(QTest::qWaitFor([&] { return uebernehmen->isVisible(); }, 5000));
    QCoreApplication::processEvents();

    EXPECT_LE(blatt->width(), fenster.width());
    EXPECT_LE(blatt->height(), (Fenstergroesse::verfuegbar(*blatt) - Fenstergroesse::rahmen).height());
    for (auto* flaeche : blatt->findChildren<QScrollArea*>()) {
        EXPECT_FALSE(flaeche->horizontalScrollBar()->isVisible());
        EXPECT_LE(flaeche->widget()->width(), flaeche->viewport()->width());
    }
    EXPECT_GE(kurs->width(), kurs->minimumSizeHint().width());
    pruefeNichtsGequetscht(blatt);
    // The rate, then the button, both inside the sheet.
    const QRect zeilentext(kurs->mapTo(blatt, QPoint(0, 0)), kurs->size());
    const QRect knopf(uebernehmen->mapTo(blatt, QPoint(0, 0)), uebernehmen->size());
    EXPECT_GE(zeilentext.left(), 0);
    EXPECT_LT(zeilentext.right(), knopf.left());
    EXPECT_LE(knopf.right(), blatt->rect().right());
}

} // namespace

TEST(StichtageAnsichtTest, erfassungUndKorrekturZeigenDenEzbKursGanzImFenster) {
    const auto deutsch = qbtest::Umgebung::deutsch();
    qbtest::Testserver server;
    server.beantworte("/v2/rate/EUR/USD", Antwort::json(R"({"date":"2024-03-11","base":"EUR","quote":"USD","rate":1.0791})"));
    qbtest::Spielstand spiel;
    auto aktie = testspiel::kaufe(spiel.portfolio, Assetklasse::aktie, "Apple Inc.", 9,
                                  testspiel::fremd("189.84", "USD", "1.0867"));
    aktie->setzeKennung("US0378331005");
    auto bewertung = testspiel::stichtag(spiel.portfolio, tag(2024, 3, 11));
    testspiel::notiere(bewertung, aktie, testspiel::fremd("189.84", "USD", "1.0867"));
    spiel.speichereOderScheitere();
    Modellbeobachter beobachter(spiel.kontext());
    QWidget fenster;
    fenster.resize(920, 560);
    auto* spalte = new QVBoxLayout(&fenster);
    spalte->setContentsMargins(0, 0, 0, 0);
    auto* ansicht = new StichtageAnsicht(spiel.portfolio, beobachter, qbtest::dienstFuer(server));
    spalte->addWidget(ansicht);
    fenster.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fenster));

    // A past day's capture with a typed rate other than the ECB's of that day.
    ansicht->findChild<Datumsfeld*>("datumswahl")->setzeDatum(QDate(2024, 3, 11));
    QTest::mouseClick(ansicht->findChild<QPushButton*>("stichtagAnlegen"), Qt::LeftButton);
    QPointer<StichtagErfassenDialog> blatt = ansicht->erfassung();
    ASSERT_TRUE(blatt);
    ASSERT_TRUE(QTest::qWaitFor([&] { return blatt->isVisible(); }, 5000));
    auto* zeile = blatt->findChild<StichtagskursFelder*>("zeile_aktie");
    ASSERT_TRUE(zeile);
    auto* umrechnung = zeile->findChild<Zahleneingabe*>("umrechnung");
    ASSERT_TRUE(umrechnung);
    ASSERT_TRUE(QTest::qWaitFor([&] { return umrechnung->feld()->text() == "1,0791"; }, 10000))
        << utf8(umrechnung->feld()->text());
    umrechnung->feld()->setFocus();
    umrechnung->feld()->selectAll();
    QTest::keyClicks(umrechnung->feld(), "1,0867");
    {
        SCOPED_TRACE("Erfassung");
        pruefeEzbZeilePasst(blatt, fenster, "EZB-Referenzkurs für den 11.3.2024: 1\u00a0€\u00a0=\u00a01,0791\u00a0USD");
    }
    blatt->reject();
    ASSERT_TRUE(QTest::qWaitFor([&] { return blatt.isNull(); }, 5000));

    // The correction of the stored price, whose rate is not the ECB's of that day.
    ASSERT_TRUE(ansicht->detail());
    QTest::mouseClick(ansicht->detail()->findChild<QPushButton*>("zeile-Aktie"), Qt::LeftButton);
    QPointer<PreisKorrigierenDialog> korrektur = ansicht->detail()->korrektur();
    ASSERT_TRUE(korrektur);
    ASSERT_TRUE(QTest::qWaitFor([&] { return korrektur->isVisible(); }, 5000));
    {
        SCOPED_TRACE("Korrektur");
        pruefeEzbZeilePasst(korrektur, fenster,
                            "EZB-Referenzkurs für den 11.3.2024: 1\u00a0€\u00a0=\u00a01,0791\u00a0USD");
    }
    korrektur->reject();
}


TEST(StichtageAnsichtTest, dieKorrekturWaechstMitDerMeldungZumFehlendenEzbKurs) {
    const auto deutsch = qbtest::Umgebung::deutsch();
    // Knows no path: the ECB rate and the comparison both fail.
    qbtest::Testserver server;
    qbtest::Spielstand spiel;
    auto aktie = testspiel::kaufe(spiel.portfolio, Assetklasse::aktie, "Apple Inc.", 9,
                                  testspiel::fremd("189.84", "USD", "1.0867"));
    aktie->setzeKennung("US0378331005");
    auto bewertung = testspiel::stichtag(spiel.portfolio, tag(2024, 3, 11));
    testspiel::notiere(bewertung, aktie, testspiel::fremd("189.84", "USD", "1.0867"));
    spiel.speichereOderScheitere();
    QWidget fenster;
    fenster.resize(920, 560);
    fenster.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fenster));
    QPointer<PreisKorrigierenDialog> korrektur = new PreisKorrigierenDialog(spiel.portfolio, bewertung, Assetklasse::aktie,
                                                                spiel.kontext(), qbtest::dienstFuer(server), &fenster);
    korrektur->open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return korrektur->isVisible(); }, 5000));
    const int hoehe = korrektur->height();
    auto* fehlt = korrektur->findChild<QWidget*>("ezbFehlt");
    auto* vergleich = korrektur->findChild<QLabel*>("vergleich");
    ASSERT_TRUE(fehlt && vergleich);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return fehlt->isVisible() && vergleich->text().startsWith("Kein Vergleichskurs abrufbar"); }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return korrektur->height() > hoehe; }, 5000)) << korrektur->height();
    QCoreApplication::processEvents();
    EXPECT_LE(korrektur->height(), fenster.height());
    pruefeNichtsGequetscht(korrektur);
    korrektur->reject();
}

// Open from just before midnight into 8 December 2026: the field follows the day unless a day
// was typed, which the new range judges, and the button takes the day the field shows.
TEST(StichtageAnsichtTest, umMitternachtGehtNurDerTagDerSeiteMitUndDerKnopfNimmtDenGezeigtenTag) {
    const Zeitpunkt nachMitternacht = tag(2026, 12, 8, 0) + std::chrono::milliseconds(500);
    struct Fall {
        QString tasten;
        // None: the refused text holds the button off.
        const char* knopf;
        std::optional<Zeitpunkt> abruftag;
    };
    const std::vector<Fall> faelle = {
        {{}, "Stichtag anlegen", std::nullopt},
        {QStringLiteral("07.12.2026"), "Kurse nachtragen", tag(2026, 12, 7)},
        {QStringLiteral("08.12.2026"), "Stichtag anlegen", std::nullopt},
        {QStringLiteral("09.12.2026"), nullptr, std::nullopt},
    };
    for (const Fall& fall : faelle) {
        SCOPED_TRACE(utf8(fall.tasten));
        qbtest::Testuhr uhr(nachMitternacht - std::chrono::seconds(1));
        qbtest::Testserver server;
        Listenspiel spiel;
        Modellbeobachter beobachter(spiel.kontext());
        StichtageAnsicht ansicht(spiel.portfolio, beobachter, qbtest::dienstFuer(server));
        ansicht.show();
        QApplication::setActiveWindow(&ansicht);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&ansicht));
        auto* datumswahl = ansicht.findChild<Datumsfeld*>("datumswahl");
        auto* anlegen = ansicht.findChild<QPushButton*>("stichtagAnlegen");
        datumswahl->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(datumswahl, fall.tasten);
        uhr.stelle(nachMitternacht);
        ASSERT_TRUE(QTest::qWaitFor([&] { return datumswahl->obergrenze() == QDate(2026, 12, 8); }));
        EXPECT_EQ(datumswahl->text(), fall.tasten.isEmpty() ? QStringLiteral("08.12.2026") : fall.tasten);
        ASSERT_EQ(anlegen->isEnabled(), fall.knopf != nullptr);
        if (fall.knopf != nullptr) {
            EXPECT_EQ(anlegen->text(), fall.knopf);
            QTest::mouseClick(anlegen, Qt::LeftButton);
            ASSERT_TRUE(ansicht.erfassung());
            EXPECT_EQ(ansicht.erfassung()->wahl(),
                      (Bewertungserfassung::Stichtagswahl{fall.abruftag.value_or(nachMitternacht),
                                                          fall.abruftag}));
            ansicht.erfassung()->reject();
        }
    }
}

// A clock that jumps (a laptop opened in the morning, a clock set back by hand) is seen before the
// day is taken: at the press, and when the window becomes active again, with no timer rung.
TEST(StichtageAnsichtTest, einSprungDerUhrGiltSchonBeimDruckUndBeimAktivieren) {
    struct Fall {
        const char* name;
        Zeitpunkt vorher;
        Zeitpunkt nachher;
        QString feld;
    };
    const std::vector<Fall> faelle = {
        {"vor", tag(2026, 12, 7, 22), tag(2026, 12, 8, 8), QStringLiteral("08.12.2026")},
        {"zurueck", tag(2026, 12, 8, 8), tag(2026, 12, 7, 22), QStringLiteral("07.12.2026")},
    };
    for (const Fall& fall : faelle) {
        for (const bool aktivieren : {false, true}) {
            SCOPED_TRACE(std::string(fall.name) + (aktivieren ? " aktivieren" : " druecken"));
            qbtest::Testuhr uhr(fall.vorher);
            qbtest::Testserver server;
            Listenspiel spiel;
            Modellbeobachter beobachter(spiel.kontext());
            StichtageAnsicht ansicht(spiel.portfolio, beobachter, qbtest::dienstFuer(server));
            QWidget anderes;
            anderes.show();
            ansicht.show();
            QApplication::setActiveWindow(&ansicht);
            ASSERT_TRUE(QTest::qWaitForWindowActive(&ansicht));
            auto* datumswahl = ansicht.findChild<Datumsfeld*>("datumswahl");
            if (aktivieren) {
                QApplication::setActiveWindow(&anderes);
            }
            uhr.stelle(fall.nachher);
            if (aktivieren) {
                QApplication::setActiveWindow(&ansicht);
                EXPECT_EQ(datumswahl->text(), fall.feld);
            }
            QTest::mouseClick(ansicht.findChild<QPushButton*>("stichtagAnlegen"), Qt::LeftButton);
            EXPECT_EQ(datumswahl->text(), fall.feld);
            ASSERT_TRUE(ansicht.erfassung());
            EXPECT_EQ(ansicht.erfassung()->wahl(), (Bewertungserfassung::Stichtagswahl{fall.nachher, std::nullopt}));
            ansicht.erfassung()->reject();
        }
    }
}

// The timer that looks for midnight rings at least once a minute; one that rings on the old day
// is set again, so that the day still moves on once midnight has passed.
TEST(StichtageAnsichtTest, derWeckerDerAmAltenTagKlingeltWirdNeuGestellt) {
    qbtest::Testuhr uhr(tag(2026, 12, 8, 0) - std::chrono::milliseconds(50));
    qbtest::Testserver server;
    Listenspiel spiel;
    Modellbeobachter beobachter(spiel.kontext());
    StichtageAnsicht ansicht(spiel.portfolio, beobachter, qbtest::dienstFuer(server));
    auto* wecker = ansicht.findChild<QTimer*>("tageswecker");
    ASSERT_NE(wecker, nullptr);
    QSignalSpy geklingelt(wecker, &QTimer::timeout);
    // The clock stands still: the ring finds the old day.
    ASSERT_TRUE(geklingelt.wait(5000));
    uhr.stelle(tag(2026, 12, 8, 0) + std::chrono::milliseconds(50));
    auto* datumswahl = ansicht.findChild<Datumsfeld*>("datumswahl");
    EXPECT_TRUE(QTest::qWaitFor([&] { return datumswahl->obergrenze() == QDate(2026, 12, 8); }, 5000));
    EXPECT_EQ(datumswahl->text(), QStringLiteral("08.12.2026"));
}

// A clock that jumped with no timer rung since (a suspend over midnight, a clock set back by hand)
// is seen when the calendar opens: it offers the days up to the new today. A day picked in it is
// the user's, as a typed one: a jump while the calendar is open, unseen until the press, does not
// move it, and a range that refuses it marks it.
TEST(StichtageAnsichtTest, derKalenderSiehtNachDemTagUndEinGewaehlterTagBleibt) {
    struct Fall {
        const char* name;
        Zeitpunkt vorher;
        Zeitpunkt nachher;
        bool vorDemOeffnen; // the jump comes before the calendar opens, else while it is open
        QDate heute;
        QString hinweis;    // the mark of the picked day; none: the sheet opens on it
    };
    const std::vector<Fall> faelle = {
        {"vor dem Öffnen", tag(2026, 12, 7, 22), tag(2026, 12, 8, 8), true, QDate(2026, 12, 8), {}},
        {"zurück vor dem Öffnen", tag(2026, 12, 8, 8), tag(2026, 12, 7, 22), true, QDate(2026, 12, 7), {}},
        {"vor, offen", tag(2026, 12, 7, 22), tag(2026, 12, 8, 8), false, QDate(2026, 12, 8), {}},
        {"zurück, offen", tag(2026, 12, 8, 8), tag(2026, 12, 7, 22), false, QDate(2026, 12, 7),
         QStringLiteral("Das Datum muss zwischen dem 04.03.2024 und dem 07.12.2026 liegen.")},
    };
    for (const Fall& fall : faelle) {
        SCOPED_TRACE(fall.name);
        qbtest::Testuhr uhr(fall.vorher);
        qbtest::Testserver server;
        Listenspiel spiel;
        Modellbeobachter beobachter(spiel.kontext());
        StichtageAnsicht ansicht(spiel.portfolio, beobachter, qbtest::dienstFuer(server));
        ansicht.show();
        QApplication::setActiveWindow(&ansicht);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&ansicht));
        auto* datumswahl = ansicht.findChild<Datumsfeld*>("datumswahl");
        const QString gewaehlt = datumswahl->text();
        if (fall.vorDemOeffnen) {
            uhr.stelle(fall.nachher);
        }
        QTest::mouseClick(datumswahl, Qt::LeftButton, {}, QPoint(datumswahl->width() - 6, datumswahl->height() / 2));
        ASSERT_TRUE(datumswahl->kalender() != nullptr && datumswahl->kalender()->isVisible());
        if (fall.vorDemOeffnen) {
            EXPECT_EQ(datumswahl->kalender()->maximumDate(), fall.heute);
            EXPECT_EQ(datumswahl->kalender()->selectedDate(), fall.heute);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            continue;
        }
        uhr.stelle(fall.nachher);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        auto* anlegen = ansicht.findChild<QPushButton*>("stichtagAnlegen");
        QTest::mouseClick(anlegen, Qt::LeftButton);
        EXPECT_EQ(datumswahl->obergrenze(), fall.heute);
        EXPECT_EQ(datumswahl->text(), gewaehlt);
        EXPECT_EQ(datumswahl->hinweiszeile()->text(), fall.hinweis);
        EXPECT_EQ(anlegen->isEnabled(), fall.hinweis.isEmpty());
        ASSERT_EQ(ansicht.erfassung() != nullptr, fall.hinweis.isEmpty());
        if (ansicht.erfassung()) {
            const Zeitpunkt tag7 = tag(2026, 12, 7);
            EXPECT_EQ(ansicht.erfassung()->wahl(), (Bewertungserfassung::Stichtagswahl{tag7, tag7}));
            ansicht.erfassung()->reject();
        }
    }
}

namespace {

// As the user does it from the keyboard: Alt+Down opens the calendar on the field's day, the
// arrow keys move from it by `tage`, Return takes the day.
void imKalender(Datumsfeld* feld, int tage) {
    QTest::keyClick(feld, Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(feld->kalender() != nullptr && feld->kalender()->isVisible());
    for (int i = 0; i < std::abs(tage); ++i) {
        QTest::keyClick(QApplication::focusWidget(), tage < 0 ? Qt::Key_Left : Qt::Key_Right);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_FALSE(feld->kalender()->isVisible());
}

void tippe(Datumsfeld* feld, const QString& text) {
    feld->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(feld, text);
}

} // namespace

// Today taken in the field, picked in the calendar or typed and taken with Return or by leaving
// the field, is today: after a night (the window active again in the morning) it is the new
// today, as in the field no one touched, also where the entry date in the future allows today
// only. Today still being typed stays the user's.
TEST(StichtageAnsichtTest, einGenommenesHeuteGehtMitDemTagEinVergangenerTagBleibt) {
    const Zeitpunkt abends = tag(2026, 12, 7, 22);
    const Zeitpunkt morgens = tag(2026, 12, 8, 8);
    struct Fall {
        const char* name;
        std::function<void(Datumsfeld*)> nimm;
        std::optional<Zeitpunkt> kauf;
        bool folgt; // else the field keeps 07.12.2026
    };
    const std::vector<Fall> faelle = {
        {"im Kalender", [](Datumsfeld* f) { imKalender(f, 0); }, {}, true},
        {"im Kalender nach einem vergangenen Tag",
         [](Datumsfeld* f) {
             imKalender(f, -1);
             imKalender(f, 1);
         },
         {}, true},
        {"getippt und Return",
         [](Datumsfeld* f) {
             tippe(f, QStringLiteral("07.12.2026"));
             QTest::keyClick(f, Qt::Key_Return);
         },
         {}, true},
        {"getippt und verlassen",
         [](Datumsfeld* f) {
             tippe(f, QStringLiteral("7.12.2026"));
             QTest::keyClick(f, Qt::Key_Tab);
         },
         {}, true},
        {"Einstieg in der Zukunft", [](Datumsfeld* f) { imKalender(f, 0); }, tag(2026, 12, 10), true},
        {"noch getippt", [](Datumsfeld* f) { tippe(f, QStringLiteral("07.12.2026")); }, {}, false},
    };
    for (const Fall& fall : faelle) {
        SCOPED_TRACE(fall.name);
        qbtest::Testuhr uhr(abends);
        qbtest::Testserver server;
        Listenspiel spiel;
        if (fall.kauf) {
            spiel.portfolio->setzeKaufdatum(*fall.kauf);
            spiel.speichereOderScheitere();
        }
        Modellbeobachter beobachter(spiel.kontext());
        StichtageAnsicht ansicht(spiel.portfolio, beobachter, qbtest::dienstFuer(server));
        QWidget anderes;
        anderes.show();
        ansicht.show();
        QApplication::setActiveWindow(&ansicht);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&ansicht));
        auto* datumswahl = ansicht.findChild<Datumsfeld*>("datumswahl");
        auto* anlegen = ansicht.findChild<QPushButton*>("stichtagAnlegen");
        datumswahl->setFocus(Qt::TabFocusReason);
        fall.nimm(datumswahl);

        // The night passes while the machine sleeps; the morning's activation sees it.
        QApplication::setActiveWindow(&anderes);
        uhr.stelle(morgens);
        QApplication::setActiveWindow(&ansicht);
        ASSERT_TRUE(QTest::qWaitFor([&] { return datumswahl->obergrenze() == QDate(2026, 12, 8); }, 5000));
        EXPECT_EQ(datumswahl->text(), fall.folgt ? QStringLiteral("08.12.2026") : QStringLiteral("07.12.2026"));
        EXPECT_EQ(utf8(anlegen->text()), fall.folgt ? "Stichtag anlegen" : "Kurse nachtragen");
        ASSERT_TRUE(anlegen->isEnabled());
        QTest::mouseClick(anlegen, Qt::LeftButton);
        ASSERT_TRUE(ansicht.erfassung());
        const Zeitpunkt tag7 = tag(2026, 12, 7);
        const auto wahl = fall.folgt ? Bewertungserfassung::Stichtagswahl{morgens, std::nullopt}
                                     : Bewertungserfassung::Stichtagswahl{tag7, tag7};
        EXPECT_EQ(ansicht.erfassung()->wahl(), wahl);
        ansicht.erfassung()->reject();
    }
}
