#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>

#include <QAccessible>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include "Umgebung.h"
#include "app/Bereich.h"
#include "ui/Einzeiler.h"
#include "ui/Fensterhilfe.h"
#include "app/Fensterkopf.h"
#include "ui/Modellbeobachter.h"
#include "app/Portfoliofenster.h"
#include "app/Tabellendokument.h"
#include "ui/Textbruecke.h"
#include "model/Ablage.h"
#include "model/Modellcontainer.h"
#include "model/Modellkontext.h"
#include "model/Portfolio.h"
#include "model/Speichern.h"
#include "positions/PositionBearbeitenDialog.h"
#include "positions/PositionenListe.h"
#include "sources/Kursdienst.h"
#include "ui/Farbhilfe.h"
#include "valuation/Testspiel.h"

using namespace qb;
using namespace std::chrono;

namespace {

// 7 December 2026, 10:30 in Berlin.
const Zeitpunkt einstieg = Zeitpunkt(sys_days(2026y / December / 7) + hours(9) + minutes(30));

std::string inhalt(const std::filesystem::path& datei) {
    std::ifstream ein(datei, std::ios::binary);
    return {std::istreambuf_iterator<char>(ein), std::istreambuf_iterator<char>()};
}

// A game in an in-memory store and its main window, shown.
struct Spiel {
    Modellcontainer container{Ablage::imArbeitsspeicher()};
    std::shared_ptr<Portfolio> portfolio;
    std::unique_ptr<Modellbeobachter> beobachter;
    std::unique_ptr<Portfoliofenster> fenster;

    explicit Spiel(const std::string& gruppenname = "Team A/B: Gold") {
        portfolio = std::make_shared<Portfolio>(gruppenname, Dezimal(10000), einstieg);
        container.kontext().fuegeEin(portfolio);
        EXPECT_EQ(speichere(container.kontext()), std::nullopt);
        beobachter = std::make_unique<Modellbeobachter>(container.kontext());
        fenster = std::make_unique<Portfoliofenster>(portfolio, *beobachter);
        fenster->resize(920, 560);
        fenster->show();
    }

    template <typename T = QWidget> T* kind(const QString& name) const {
        return fenster->findChild<T*>(name);
    }
};

TEST(FensterkopfTest, gruppennameDatumUndStartkapital) {
    const Formatierer deutsch("de_DE");
    const Zeitzone berlin("Europe/Berlin");
    struct Fall {
        std::string gruppenname;
        std::optional<std::string> gezeigt;
    };
    const Fall faelle[] = {
        {"Gruppe Nord", "Gruppe Nord"},
        {"", std::nullopt},
        {" \t\u00A0\u2003", std::nullopt}, // blanks of every kind and tabs
        {"  Nord ", "  Nord "},            // verbatim, spaces and all
        {"\n", "\n"},                      // a line break counts as a name
        {"<b>Fett</b>", "<b>Fett</b>"},
    };
    for (const Fall& fall : faelle) {
        Portfolio portfolio(fall.gruppenname, Dezimal::aus("12345.5"), einstieg);
        const Fensterkopf kopf = Fensterkopf::aus(portfolio, deutsch, berlin);
        EXPECT_EQ(kopf.gruppenname, fall.gezeigt) << fall.gruppenname;
        EXPECT_EQ(kopf.eingestiegenAm, "7. Dez. 2026");
        EXPECT_EQ(kopf.startkapital, "12.345,50\u00A0€");
    }
    // The day in the given zone: 23:30 UTC is already the next day in Berlin.
    Portfolio spaet("", Dezimal(10000), Zeitpunkt(sys_days(2026y / December / 31) + hours(23) + minutes(30)));
    EXPECT_EQ(Fensterkopf::aus(spaet, deutsch, berlin).eingestiegenAm, "1. Jan. 2027");
}

TEST(EinzeilerTest, zeigtInSeinerWunschbreiteAllesSonstDenAnfangMitAuslassung) {
    Einzeiler zeile;
    zeile.show();
    for (const QFont::Weight gewicht : {QFont::Normal, QFont::DemiBold}) {
        for (const qreal groesse : {9.0, 12.6, 14.0}) {
            QFont schrift = zeile.font();
            schrift.setPointSizeF(groesse);
            schrift.setWeight(gewicht);
            zeile.setFont(schrift);
            for (const QString& text :
                 {QStringLiteral("noch kein Name"), QStringLiteral("Gruppe 7 – Nordlicht"),
                  QStringLiteral("  WWW iii ###  ")}) {
                zeile.setzeText(text);
                zeile.resize(zeile.sizeHint());
                EXPECT_EQ(zeile.text(), text) << groesse;
                zeile.resize(zeile.sizeHint().width() / 2, zeile.sizeHint().height());
                EXPECT_TRUE(zeile.text().endsWith(QStringLiteral("…"))) << qPrintable(zeile.text());
                EXPECT_TRUE(text.startsWith(zeile.text().chopped(1))) << qPrintable(zeile.text());
            }
        }
    }
    // Of several lines the first, marked as cut off; the whole text stays as given.
    zeile.setzeText(QStringLiteral("Erste Zeile\nzweite Zeile"));
    zeile.resize(zeile.sizeHint());
    EXPECT_EQ(zeile.text(), QStringLiteral("Erste Zeile…"));
    EXPECT_EQ(zeile.volltext(), QStringLiteral("Erste Zeile\nzweite Zeile"));
    EXPECT_EQ(zeile.textFormat(), Qt::PlainText);
}

TEST(BereichTest, rohwerteUndTitelInDerReihenfolgeDerAuswahl) {
    const std::pair<std::string_view, std::string_view> erwartet[] = {{"portfolio", "Portfolio"},
                                                                      {"stichtage", "Stichtage"},
                                                                      {"entwicklung", "Entwicklung"},
                                                                      {"einstellungen", "Einstellungen"}};
    ASSERT_EQ(alleBereiche.size(), std::size(erwartet));
    for (std::size_t i = 0; i < alleBereiche.size(); ++i) {
        EXPECT_EQ(rohwert(alleBereiche[i]), erwartet[i].first);
        EXPECT_EQ(std::string_view(titel(alleBereiche[i])), erwartet[i].second);
        EXPECT_EQ(bereichAusRohwert(erwartet[i].first), alleBereiche[i]);
    }
    for (std::string_view fremd : {"", "Portfolio", "einstellungen ", "verlauf"}) {
        EXPECT_EQ(bereichAusRohwert(fremd), std::nullopt) << fremd;
    }
}

TEST(PortfoliofensterTest, kopfFolgtDenDatensaetzen) {
    auto deutsch = qbtest::Umgebung::deutsch();
    Spiel spiel("");
    auto* gruppe = spiel.kind<Einzeiler>(QStringLiteral("gruppe"));
    ASSERT_NE(gruppe, nullptr);
    EXPECT_EQ(gruppe->volltext(), QStringLiteral("noch kein Name"));
    EXPECT_EQ(spiel.kind<QLabel>(QStringLiteral("eingestiegenAm"))->text(), QStringLiteral("7. Dez. 2026"));
    EXPECT_EQ(spiel.kind<QLabel>(QStringLiteral("startkapital"))->text(), QStringLiteral("10.000,00\u00A0€"));

    spiel.portfolio->setzeGruppenname("Gruppe Süd");
    spiel.portfolio->setzeStartkapital(Dezimal(8000));
    ASSERT_EQ(speichere(spiel.container.kontext()), std::nullopt);
    ASSERT_TRUE(qbtest::warteBis([&] { return gruppe->volltext() == QStringLiteral("Gruppe Süd"); }));
    EXPECT_EQ(spiel.kind<QLabel>(QStringLiteral("startkapital"))->text(), QStringLiteral("8.000,00\u00A0€"));
}

TEST(PortfoliofensterTest, eineZeileDerPositionenOeffnetDenEditorIhrerKlasse) {
    Spiel spiel;
    auto* liste = spiel.kind<PositionenListe>(QStringLiteral("positionenListe"));
    ASSERT_NE(liste, nullptr);
    EXPECT_EQ(spiel.fenster->seite(Bereich::portfolio), liste);
    emit liste->bearbeiten(Assetklasse::anleihe);
    auto* blatt = spiel.kind<PositionBearbeitenDialog>(QString());
    ASSERT_NE(blatt, nullptr);
    EXPECT_EQ(blatt->editor().klasse(), Assetklasse::anleihe);
    EXPECT_TRUE(blatt->isVisible());
    EXPECT_EQ(blatt->windowModality(), Qt::WindowModal);
    blatt->reject();
    EXPECT_TRUE(qbtest::warteBis([&] { return spiel.kind<PositionBearbeitenDialog>(QString()) == nullptr; }));
}

TEST(PortfoliofensterTest, nurDieGezeigteSeiteIstBedienbarUndJedeBehaeltIhrenZustand) {
    Spiel spiel;
    auto* seiten = spiel.kind<QStackedWidget>(QStringLiteral("seiten"));
    ASSERT_NE(seiten, nullptr);
    // Every start begins on the first tab; the other pages follow the first frame by themselves.
    EXPECT_EQ(spiel.fenster->bereich(), Bereich::portfolio);
    ASSERT_TRUE(qbtest::warteBis([&] { return seiten->count() == 4; }));

    QWidget* einstellungen = spiel.fenster->seite(Bereich::einstellungen);
    const QList<QWidget*> alleSeiten = {spiel.fenster->seite(Bereich::portfolio),
                                        spiel.fenster->seite(Bereich::stichtage),
                                        spiel.fenster->seite(Bereich::entwicklung), einstellungen};
    for (Bereich bereich : {Bereich::stichtage, Bereich::einstellungen, Bereich::entwicklung,
                            Bereich::portfolio, Bereich::einstellungen}) {
        QTest::mouseClick(spiel.kind<QPushButton>(QStringLiteral("bereich-") + qtText(rohwert(bereich))),
                          Qt::LeftButton);
        EXPECT_EQ(spiel.fenster->bereich(), bereich);
        EXPECT_EQ(seiten->currentWidget(), spiel.fenster->seite(bereich));
        for (Bereich andere : alleBereiche) {
            EXPECT_EQ(spiel.fenster->seite(andere)->isEnabled(), andere == bereich) << rohwert(bereich);
        }
    }

    // Typed but not taken over: the text survives a visit to another tab, and the store has
    // nothing of it.
    auto* feld = einstellungen->findChild<QLineEdit*>();
    ASSERT_NE(feld, nullptr);
    feld->clear();
    QTest::keyClicks(feld, QStringLiteral("Gruppe Ost"));
    QTest::mouseClick(spiel.kind<QPushButton>(QStringLiteral("bereich-stichtage")), Qt::LeftButton);
    EXPECT_FALSE(feld->isEnabled());
    QTest::mouseClick(spiel.kind<QPushButton>(QStringLiteral("bereich-einstellungen")), Qt::LeftButton);
    EXPECT_EQ(feld->text(), QStringLiteral("Gruppe Ost"));
    EXPECT_TRUE(feld->isEnabled());
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(seiten->widget(i), alleSeiten[i]) << "pages are never rebuilt";
    }
    EXPECT_EQ(spiel.portfolio->gruppenname(), "Team A/B: Gold");

    // A switch fades the old page out over the new one, then the picture goes.
    QTest::mouseClick(spiel.kind<QPushButton>(QStringLiteral("bereich-portfolio")), Qt::LeftButton);
    EXPECT_NE(spiel.kind<QLabel>(QStringLiteral("ueberblendung")), nullptr);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return spiel.kind<QLabel>(QStringLiteral("ueberblendung")) == nullptr; }, 2000));
}

// Assistive technology meets the chosen page only: after a visit to "Stichtage", nothing of its
// list (its rows included) is reachable as showing while "Portfolio" is chosen.
TEST(PortfoliofensterTest, verborgeneSeitenSindAuchDerBedienhilfeVerborgen) {
    Spiel spiel;
    auto aktie = testspiel::kaufe(spiel.portfolio, Assetklasse::aktie, "SAP", 10, testspiel::eur("100"));
    testspiel::notiere(testspiel::stichtag(spiel.portfolio, testspiel::tag(2026, 12, 8)), aktie,
                       testspiel::eur("101"));
    ASSERT_EQ(speichere(spiel.container.kontext()), std::nullopt);
    spiel.fenster->waehle(Bereich::stichtage);
    ASSERT_TRUE(qbtest::warteBis([&] { return spiel.fenster->seite(Bereich::stichtage)->isVisible(); }));
    spiel.fenster->waehle(Bereich::portfolio);

    // Every element reachable from the window; the chosen page's table has five rows of three.
    int zellen = 0;
    std::vector<std::pair<QAccessibleInterface*, bool>> offen = {
        {QAccessible::queryAccessibleInterface(spiel.fenster.get()), false}};
    while (!offen.empty()) {
        auto [zugang, verborgen] = offen.back();
        offen.pop_back();
        const auto* widget = qobject_cast<QWidget*>(zugang->object());
        verborgen = verborgen || (widget != nullptr && widget->isHidden());
        EXPECT_TRUE(!verborgen || zugang->state().invisible) << utf8(zugang->text(QAccessible::Name));
        zellen += !verborgen && zugang->role() == QAccessible::Cell ? 1 : 0;
        for (int i = 0; i < zugang->childCount(); ++i) {
            offen.push_back({zugang->child(i), verborgen});
        }
    }
    EXPECT_EQ(zellen, 15);
}

TEST(PortfoliofensterTest, jederWegEinenReiterZuWaehlenZeigtSeineSeite) {
    const auto aktion = [](QAbstractButton* knopf, const QString& name) {
        QAccessibleInterface* zugang = QAccessible::queryAccessibleInterface(knopf);
        ASSERT_NE(zugang, nullptr);
        ASSERT_NE(zugang->actionInterface(), nullptr);
        zugang->actionInterface()->doAction(name);
    };
    const std::pair<const char*, std::function<void(QAbstractButton*)>> wege[] = {
        {"Maus", [](QAbstractButton* knopf) { QTest::mouseClick(knopf, Qt::LeftButton); }},
        {"Leertaste", [](QAbstractButton* knopf) { QTest::keyClick(knopf, Qt::Key_Space); }},
        {"Drücken (Bildschirmleser)",
         [&](QAbstractButton* knopf) { aktion(knopf, QAccessibleActionInterface::pressAction()); }},
        {"Umschalten (Bildschirmleser)",
         [&](QAbstractButton* knopf) { aktion(knopf, QAccessibleActionInterface::toggleAction()); }},
    };
    Spiel spiel;
    auto* seiten = spiel.kind<QStackedWidget>(QStringLiteral("seiten"));
    ASSERT_NE(seiten, nullptr);
    for (const auto& [weg, waehle] : wege) {
        for (Bereich bereich : {Bereich::entwicklung, Bereich::einstellungen, Bereich::portfolio}) {
            auto* knopf = spiel.kind<QPushButton>(QStringLiteral("bereich-") + qtText(rohwert(bereich)));
            ASSERT_NE(knopf, nullptr);
            waehle(knopf);
            ASSERT_TRUE(qbtest::warteBis([&] { return spiel.fenster->bereich() == bereich; }))
                << weg << " " << rohwert(bereich);
            EXPECT_TRUE(knopf->isChecked()) << weg;
            EXPECT_EQ(seiten->currentWidget(), spiel.fenster->seite(bereich)) << weg;
            EXPECT_TRUE(spiel.fenster->seite(bereich)->isEnabled()) << weg;
        }
    }
}

TEST(PortfoliofensterTest, derGewaehlteReiterHebtSichHellWieDunkelDeutlichAb) {
    const std::pair<const char*, QPalette> paletten[] = {
        {"hell", QApplication::style()->standardPalette()},
        {"dunkel", qbtest::dunklePalette()},
    };
    for (const auto& [name, palette] : paletten) {
        qbtest::Anwendungspalette schema(palette);
        Spiel spiel;
        spiel.fenster->waehle(Bereich::stichtage);
        // The segment's face above its title, where no letter is drawn.
        const auto flaeche = [&](Bereich bereich) {
            auto* knopf = spiel.kind<QPushButton>(QStringLiteral("bereich-") + qtText(rohwert(bereich)));
            const QImage bild = knopf->grab().toImage();
            return bild.pixelColor(bild.width() / 2, 3);
        };
        const QColor gewaehlt = flaeche(Bereich::stichtage);
        for (Bereich andere : {Bereich::portfolio, Bereich::entwicklung, Bereich::einstellungen}) {
            EXPECT_GE(qbtest::farbabstand(gewaehlt, flaeche(andere)), 120)
                << name << ": " << qPrintable(gewaehlt.name()) << " neben "
                << qPrintable(flaeche(andere).name());
            EXPECT_LE(qbtest::farbabstand(flaeche(Bereich::portfolio), flaeche(andere)), 12) << name;
        }
    }
}

// Clicks "Tabelle exportieren" and waits for the save dialog.
QFileDialog* oeffneExport(const Spiel& spiel) {
    QTest::mouseClick(spiel.kind<QToolButton>(QStringLiteral("tabelleExportieren")), Qt::LeftButton);
    QFileDialog* dialog = nullptr;
    static_cast<void>(qbtest::warteBis(
        [&] { return (dialog = spiel.kind<QFileDialog>(QStringLiteral("exportDialog"))) != nullptr; }));
    return dialog;
}

QPushButton* dialogknopf(QFileDialog* dialog, QDialogButtonBox::StandardButton art) {
    auto* knoepfe = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    return knoepfe != nullptr ? knoepfe->button(art) : nullptr;
}

// The save dialog starts in the home folder when there is no documents folder, and Qt keeps
// the dialog's settings there (in a place it chooses once per process): for this program a
// temporary home, removed at its end.
class Heimordner : public ::testing::Environment {
public:
    static const std::filesystem::path& pfad() { return ordner_->pfad(); }

    void SetUp() override {
        ordner_ = std::make_unique<qbtest::Testordner>();
        umgebung_ =
            std::make_unique<qbtest::Umgebung>(std::initializer_list<std::pair<const char*, const char*>>{
                {"HOME", ordner_->pfad().c_str()}, {"XDG_CONFIG_HOME", nullptr}});
    }
    void TearDown() override {
        umgebung_.reset();
        ordner_.reset();
    }

private:
    static inline std::unique_ptr<qbtest::Testordner> ordner_;
    std::unique_ptr<qbtest::Umgebung> umgebung_;
};

[[maybe_unused]] auto* const heimordner = ::testing::AddGlobalTestEnvironment(new Heimordner);

TEST(PortfoliofensterTest, derExportSchreibtDieTabelleDerDatensaetzeUnterDemVorgeschlagenenNamen) {
    auto deutsch = qbtest::Umgebung::deutsch();
    const auto ziel = Heimordner::pfad() / "Team A-B- Gold Quinzelbrockat.csv";
    std::filesystem::remove(ziel);
    Spiel spiel;
    QFileDialog* dialog = oeffneExport(spiel);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    // The sheet's own type comes first and is the one chosen.
    EXPECT_EQ(dialog->nameFilters(),
              (QStringList{QStringLiteral("CSV-Dateien (*.csv)"), QStringLiteral("Alle Dateien (*)")}));
    EXPECT_EQ(dialog->selectedNameFilter(), QStringLiteral("CSV-Dateien (*.csv)"));
    // The proposed name, on the line the user edits.
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), QStringLiteral("Team A-B- Gold Quinzelbrockat.csv"));

    QPushButton* sichern = dialogknopf(dialog, QDialogButtonBox::Save);
    ASSERT_NE(sichern, nullptr);
    QTest::mouseClick(sichern, Qt::LeftButton);

    ASSERT_TRUE(qbtest::warteBis([&] { return std::filesystem::exists(ziel); }));
    EXPECT_EQ(inhalt(ziel), Tabellendokument::tabelle(*spiel.portfolio, Kursdienst::standard()));
    QTest::qWait(20);
    EXPECT_EQ(spiel.fenster->findChild<QMessageBox*>(), nullptr);
    std::filesystem::remove(ziel);
}

TEST(PortfoliofensterTest, einAbgebrochenerExportZeigtNichtsUndEinMisslungenerDieMeldung) {
    qbtest::Testordner ordner;
    Spiel spiel;
    QFileDialog* dialog = oeffneExport(spiel);
    ASSERT_NE(dialog, nullptr);
    QTest::mouseClick(dialogknopf(dialog, QDialogButtonBox::Cancel), Qt::LeftButton);
    ASSERT_TRUE(
        qbtest::warteBis([&] { return spiel.kind<QFileDialog>(QStringLiteral("exportDialog")) == nullptr; }));
    QTest::qWait(20);
    EXPECT_EQ(spiel.fenster->findChild<QMessageBox*>(), nullptr);
    EXPECT_FALSE(std::filesystem::exists(Heimordner::pfad() / "Team A-B- Gold Quinzelbrockat.csv"));

    // Into a "folder" that is a regular file: the write fails whoever runs the test.
    std::ofstream(ordner.pfad() / "keinOrdner") << "x";
    const auto ziel = ordner.pfad() / "keinOrdner" / "Export.csv";
    const Tabellendokument dokument(Tabellendokument::tabelle(*spiel.portfolio, Kursdienst::standard()));
    const auto erwartet = dokument.schreibe(QString::fromStdString(ziel.string()));
    ASSERT_TRUE(erwartet.has_value());

    dialog = oeffneExport(spiel);
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
        ->setText(QString::fromStdString(ziel.string()));
    QTest::mouseClick(dialogknopf(dialog, QDialogButtonBox::Save), Qt::LeftButton);
    QMessageBox* meldung = nullptr;
    ASSERT_TRUE(qbtest::warteBis(
        [&] { return (meldung = spiel.kind<QMessageBox>(QStringLiteral("exportFehler"))) != nullptr; }));
    EXPECT_EQ(meldung->text(), QStringLiteral("Der Export hat nicht funktioniert"));
    EXPECT_EQ(meldung->informativeText(), qtText(*erwartet));
    QPushButton* ok = meldung->findChild<QPushButton*>(QStringLiteral("ok"));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    QTest::mouseClick(ok, Qt::LeftButton);
    ASSERT_TRUE(
        qbtest::warteBis([&] { return spiel.kind<QMessageBox>(QStringLiteral("exportFehler")) == nullptr; }));
    EXPECT_FALSE(std::filesystem::exists(ziel));

    // A new export can start at once.
    dialog = oeffneExport(spiel);
    ASSERT_NE(dialog, nullptr);
    dialog->reject();
}

} // namespace
