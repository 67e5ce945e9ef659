#include <memory>
#include <string>
#include <utility>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include "ui/Kennzahlenzeile.h"
#include "ui/Modellbeobachter.h"
#include "ui/Textbruecke.h"
#include "model/Ablage.h"
#include "model/Modellcontainer.h"
#include "model/Modellkontext.h"
#include "model/Speichern.h"
#include "positions/PositionenListe.h"
#include "positions/PositionenModell.h"
#include "valuation/Testspiel.h"

using namespace qb;
using namespace testspiel;

namespace {

// The tab on screen over a game in a store: a complete share, an incomplete bond, nothing else.
struct Liste {
    Liste()
        : container(Ablage::imArbeitsspeicher()),
          portfolio(std::make_shared<Portfolio>("Gruppe", d("10000"), tag(2024, 3, 4, 9))) {
        kontext().fuegeEin(portfolio);
        aktie = kaufe(portfolio, Assetklasse::aktie, "SAP", 10, eur("150"));
        aktie->setzeKennung("DE0007164600");
        kaufe(portfolio, Assetklasse::anleihe, "Bund", 0, eur("0"));
        speichereOderScheitere();
        beobachter = std::make_unique<Modellbeobachter>(kontext());
        ansicht = std::make_unique<PositionenListe>(portfolio, *beobachter);
        tester = std::make_unique<QAbstractItemModelTester>(
            ansicht->modell(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        ansicht->resize(900, 560);
        ansicht->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(ansicht.get()));
    }

    Modellkontext& kontext() { return container.kontext(); }
    void speichereOderScheitere() { ASSERT_EQ(speichere(kontext()), std::nullopt); }
    QTableView* tabelle() const { return ansicht->findChild<QTableView*>(QStringLiteral("positionen")); }
    PositionenModell& modell() const { return *ansicht->modell(); }
    std::string text(int reihe, int spalte) const { return utf8(modell().index(reihe, spalte).data().toString()); }
    std::string ueberschrift() const {
        return utf8(ansicht->findChild<QLabel*>(QStringLiteral("kennzahlenUeberschrift"))->text());
    }
    int ausgewaehlteReihe() const {
        const auto reihen = tabelle()->selectionModel()->selectedRows();
        return reihen.size() == 1 ? reihen.front().row() : -1;
    }

    Modellcontainer container;
    std::shared_ptr<Portfolio> portfolio;
    std::shared_ptr<Position> aktie;
    std::unique_ptr<Modellbeobachter> beobachter;
    std::unique_ptr<PositionenListe> ansicht;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

// Every signal by which a model could lose a view's selection, or report a change.
struct Modellsignale {
    explicit Modellsignale(PositionenModell& m)
        : geaendert(&m, &QAbstractItemModel::dataChanged), zurueckgesetzt(&m, &QAbstractItemModel::modelReset),
          umgestellt(&m, &QAbstractItemModel::layoutChanged), eingefuegt(&m, &QAbstractItemModel::rowsInserted),
          entfernt(&m, &QAbstractItemModel::rowsRemoved) {}

    // The rows reported changed so far; each report must span the whole row.
    std::vector<int> geaenderteReihen() const {
        std::vector<int> reihen;
        for (const QList<QVariant>& signal : geaendert) {
            const auto oben = signal.at(0).value<QModelIndex>();
            const auto unten = signal.at(1).value<QModelIndex>();
            EXPECT_EQ(oben.row(), unten.row());
            EXPECT_EQ(oben.column(), 0);
            EXPECT_EQ(unten.column(), PositionenModell::spaltenanzahl - 1);
            reihen.push_back(oben.row());
        }
        return reihen;
    }
    void ohneUmbau() const {
        EXPECT_EQ(zurueckgesetzt.count(), 0);
        EXPECT_EQ(umgestellt.count(), 0);
        EXPECT_EQ(eingefuegt.count(), 0);
        EXPECT_EQ(entfernt.count(), 0);
    }

    QSignalSpy geaendert, zurueckgesetzt, umgestellt, eingefuegt, entfernt;
};

TEST(PositionenListeTest, fuenfZeilenInKlassenfolgeMitPositionOderNochOffen) {
    Liste liste;
    ASSERT_EQ(liste.modell().rowCount(), 5);
    const char* erwartet[5][3] = {{"Aktie", "SAP", "10\u00A0Stück"},
                                  {"Anleihe", "noch offen", ""},
                                  {"Währung", "noch offen", ""},
                                  {"Rohstoff", "noch offen", ""},
                                  {"CO2-Zertifikat", "noch offen", ""}};
    for (int reihe = 0; reihe < 5; ++reihe) {
        for (int spalte = 0; spalte < 3; ++spalte) {
            EXPECT_EQ(liste.text(reihe, spalte), erwartet[reihe][spalte]) << reihe << "/" << spalte;
        }
    }
    const QModelIndex bestand = liste.modell().index(0, PositionenModell::bestandSpalte);
    EXPECT_EQ(utf8(bestand.data(Qt::ToolTipRole).toString()), "Gekauft: 10\u00A0Stück zu je 150,00 € = 1.500,00\u00A0€");
    EXPECT_EQ(utf8(liste.modell().index(1, 0).data(Qt::AccessibleTextRole).toString()), "Anleihe, noch offen");
    EXPECT_EQ(utf8(bestand.data(Qt::AccessibleDescriptionRole).toString()), "Zum Bearbeiten öffnen");
    EXPECT_EQ(liste.ueberschrift(), "Stand beim Kauf");
}

TEST(PositionenListeTest, eineAenderungAnderswoMeldetGenauIhreZeileUndDieAuswahlBleibt) {
    Liste liste;
    liste.tabelle()->selectRow(3);
    liste.tabelle()->setFocus();
    Modellsignale signale(liste.modell());

    // A save in the editor: only the share's row.
    liste.aktie->setzeName("SAP SE");
    liste.speichereOderScheitere();
    ASSERT_TRUE(QTest::qWaitFor([&] { return signale.geaendert.count() > 0; }));
    EXPECT_EQ(signale.geaenderteReihen(), std::vector<int>{0});
    EXPECT_EQ(liste.text(0, PositionenModell::positionSpalte), "SAP SE");

    // The bond becomes complete: its row turns from "noch offen" into the position.
    auto anleihe = liste.portfolio->position(Assetklasse::anleihe);
    anleihe->setzeStueckzahl(5);
    anleihe->setzeKaufkurs(eur("98"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return signale.geaendert.count() > 1; }));
    EXPECT_EQ(signale.geaenderteReihen(), (std::vector<int>{0, 1}));
    EXPECT_EQ(liste.text(1, PositionenModell::positionSpalte), "Bund");
    EXPECT_EQ(liste.text(1, PositionenModell::bestandSpalte), "5\u00A0Stück");

    // Rolled back (a failed save): the row goes back, and only that row.
    liste.kontext().zuruecksetzen();
    ASSERT_TRUE(QTest::qWaitFor([&] { return signale.geaendert.count() > 2; }));
    EXPECT_EQ(signale.geaenderteReihen(), (std::vector<int>{0, 1, 1}));
    EXPECT_EQ(liste.text(1, PositionenModell::positionSpalte), "noch offen");

    // A change that no row shows reports nothing.
    liste.portfolio->setzeGruppenname("Team Nord");
    liste.speichereOderScheitere();
    QSignalSpy beobachtet(liste.beobachter.get(), &Modellbeobachter::geaendert);
    ASSERT_TRUE(beobachtet.wait());
    EXPECT_EQ(signale.geaendert.count(), 3);

    signale.ohneUmbau();
    EXPECT_EQ(liste.ausgewaehlteReihe(), 3);
    EXPECT_EQ(liste.tabelle()->currentIndex().row(), 3);
}

TEST(PositionenListeTest, einNeuerStichtagAendertDieKennzahlenAnIhremPlatz) {
    Liste liste;
    liste.tabelle()->selectRow(0);
    auto* kennzahlen = liste.ansicht->findChild<Kennzahlenzeile*>();
    ASSERT_NE(kennzahlen, nullptr);
    auto* gesamtwert = liste.ansicht->findChild<QLabel*>(QStringLiteral("betragGesamtwert"));
    ASSERT_NE(gesamtwert, nullptr);
    EXPECT_EQ(utf8(gesamtwert->text()), "10.000,00\u00A0€");
    Modellsignale signale(liste.modell());

    // Captured on the reference-date tab: the share at 165 on 11 March.
    notiere(stichtag(liste.portfolio, tag(2024, 3, 11)), liste.aktie, eur("165"));
    liste.speichereOderScheitere();

    ASSERT_TRUE(QTest::qWaitFor([&] { return liste.ueberschrift() != "Stand beim Kauf"; }));
    EXPECT_EQ(liste.ueberschrift(), "Kennzahlen zum Stichtag vom 11. März 2024");
    EXPECT_EQ(utf8(gesamtwert->text()), "10.150,00\u00A0€");
    // The same widgets, filled anew; the rows show the purchase and so stay as they were.
    EXPECT_EQ(liste.ansicht->findChild<Kennzahlenzeile*>(), kennzahlen);
    EXPECT_EQ(liste.ansicht->findChild<QLabel*>(QStringLiteral("betragGesamtwert")), gesamtwert);
    EXPECT_EQ(signale.geaendert.count(), 0);
    signale.ohneUmbau();
    EXPECT_EQ(liste.ausgewaehlteReihe(), 0);
}

TEST(PositionenListeTest, einKlickOderReturnAufEineZeileFragtNachDemEditorDerKlasse) {
    Liste liste;
    QSignalSpy bearbeiten(liste.ansicht.get(), &PositionenListe::bearbeiten);
    QTableView* tabelle = liste.tabelle();

    for (Assetklasse klasse : {Assetklasse::waehrung, Assetklasse::aktie}) {
        const QRect zelle = tabelle->visualRect(liste.modell().indexVon(klasse, PositionenModell::positionSpalte));
        QTest::mouseClick(tabelle->viewport(), Qt::LeftButton, {}, zelle.center());
    }
    tabelle->setFocus();
    tabelle->setCurrentIndex(liste.modell().indexVon(Assetklasse::co2Zertifikat));
    QTest::keyClick(tabelle, Qt::Key_Return);

    ASSERT_EQ(bearbeiten.count(), 3);
    EXPECT_EQ(bearbeiten.at(0).at(0).value<Assetklasse>(), Assetklasse::waehrung);
    EXPECT_EQ(bearbeiten.at(1).at(0).value<Assetklasse>(), Assetklasse::aktie);
    EXPECT_EQ(bearbeiten.at(2).at(0).value<Assetklasse>(), Assetklasse::co2Zertifikat);
    // The list itself writes nothing.
    EXPECT_FALSE(liste.kontext().hatAenderungen());
}

} // namespace

namespace {

// The list is one stop of the Tab chain; inside it the arrows walk the rows, never the cells.
TEST(PositionenListeTest, tabIstEinHaltUndDiePfeileGehenVonZeileZuZeile) {
    Liste liste;
    QWidget fenster;
    auto* spalte = new QVBoxLayout(&fenster);
    auto* davor = new QLineEdit;
    auto* danach = new QLineEdit;
    spalte->addWidget(davor);
    liste.ansicht->setParent(&fenster);
    spalte->addWidget(liste.ansicht.get());
    spalte->addWidget(danach);
    fenster.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fenster));
    QTableView* tabelle = liste.tabelle();
    const auto aktuell = [&] { return std::pair(tabelle->currentIndex().row(), tabelle->currentIndex().column()); };

    davor->setFocus();
    QTest::keyClick(davor, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), tabelle);
    tabelle->setCurrentIndex(liste.modell().index(0, PositionenModell::klasseSpalte));
    QTest::keyClick(tabelle, Qt::Key_Right);
    EXPECT_EQ(aktuell(), std::pair(0, 0));
    QTest::keyClick(tabelle, Qt::Key_Down);
    EXPECT_EQ(aktuell(), std::pair(1, 0));
    QTest::keyClick(tabelle, Qt::Key_End);
    EXPECT_EQ(aktuell(), std::pair(4, 0));
    QTest::keyClick(tabelle, Qt::Key_Home);
    EXPECT_EQ(aktuell(), std::pair(0, 0));
    // A click on the quantity makes its row current, as a row.
    const QRect zelle = tabelle->visualRect(liste.modell().index(2, PositionenModell::bestandSpalte));
    QTest::mouseClick(tabelle->viewport(), Qt::LeftButton, {}, zelle.center());
    EXPECT_EQ(aktuell(), std::pair(2, 0));
    EXPECT_EQ(liste.ausgewaehlteReihe(), 2);

    QTest::keyClick(tabelle, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), danach);
    QTest::keyClick(danach, Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), tabelle);
    QTest::keyClick(tabelle, Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), davor);
    liste.ansicht->setParent(nullptr);
}

} // namespace
