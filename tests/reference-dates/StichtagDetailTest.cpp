#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTest>

#include "ui/Modellbeobachter.h"
#include "ui/Signalfarbe.h"
#include "ui/Spielstandhilfe.h"
#include "ui/Symbol.h"
#include "ui/Textbruecke.h"
#include "ui/Vordergrund.h"
#include "ui/Zahleneingabe.h"
#include "model/Bewertung.h"
#include "model/Handelsumfang.h"
#include "model/Position.h"
#include "model/Preisnotiz.h"
#include "reference-dates/PreisKorrigierenDialog.h"
#include "reference-dates/StichtagDetail.h"
#include "reference-dates/Stichtagdetailzeile.h"
#include "reference-dates/StichtagskursFelder.h"
#include "sources/Testhilfen.h"
#include "Umgebung.h"
#include "ui/Farbhilfe.h"

using namespace qb;
using testspiel::d;
using testspiel::tag;

namespace {

const std::string nb = "\u00a0";

Preisnotiz::Felder notiz(const char* preis, Kursart art, const char* quelle = "Bloomberg") {
    Preisnotiz::Felder f;
    f.preis = d(preis);
    f.quelle = quelle;
    f.kennung = "DE0007236101";
    f.art = art;
    f.abgerufenAm = tag(2024, 3, 11);
    f.herkunft = art == Kursart::vonHand ? Preisherkunft::manuell : Preisherkunft::automatisch;
    return f;
}

Positionsbewertung zeile(Assetklasse klasse, std::optional<const char*> wert, std::optional<const char*> gewinn,
                         std::optional<const char*> rendite) {
    Positionsbewertung z;
    z.assetklasse = klasse;
    z.name = "Posten";
    z.istFestgelegt = true;
    if (wert) z.marktwert = d(*wert);
    if (gewinn) z.gewinn = d(*gewinn);
    if (rendite) z.renditeProzent = d(*rendite);
    return z;
}

} // namespace

TEST(StichtagDetailzeile, kennungshinweisNenntDieAlteKennung) {
    struct Fall {
        const char* gespeichert;
        const char* aktuell;
        std::optional<std::string> hinweis;
    };
    const std::vector<Fall> faelle{
        {"DE0007236101", "DE0007236101", std::nullopt},
        {"DE0007236101", "DE0007164600", "Erfasst unter der Kennung DE0007236101"},
        {"", "DE0007164600", "Erfasst ohne Kennung"},
        // Text equality: a stored identifier with a blank is another one.
        {"DE0007236101 ", "DE0007236101", "Erfasst unter der Kennung DE0007236101 "},
    };
    for (const auto& fall : faelle) {
        Preisnotiz::Felder f = notiz("1", Kursart::vonHand);
        f.kennung = fall.gespeichert;
        EXPECT_EQ(Stichtagdetailzeile::kennungshinweis(Preisnotiz(f), fall.aktuell), fall.hinweis) << fall.gespeichert;
    }
}

TEST(StichtagDetailzeile, wenigHandelNachFeststellungenOderUmsatz) {
    struct Fall {
        std::optional<Handelsumfang> umfang;
        bool wenig;
    };
    const std::vector<Fall> faelle{
        {std::nullopt, false},
        {Handelsumfang{1, std::nullopt, std::nullopt}, true},
        {Handelsumfang{4, std::nullopt, d("5000")}, true},
        {Handelsumfang{5, std::nullopt, std::nullopt}, false},
        {Handelsumfang{5, std::nullopt, d("999.99")}, true},
        {Handelsumfang{5, std::nullopt, d("1000")}, false},
        {Handelsumfang{0, std::nullopt, d("0")}, false},
        {Handelsumfang{std::nullopt, 3, d("0.01")}, true},
    };
    for (std::size_t i = 0; i < faelle.size(); ++i) {
        Preisnotiz::Felder f = notiz("1", Kursart::letzterHandel);
        f.handelsumfang = faelle[i].umfang;
        EXPECT_EQ(Stichtagdetailzeile::wenigHandel(Preisnotiz(f)), faelle[i].wenig) << i;
    }
}

TEST(StichtagDetailzeile, texteJeNotiz) {
    const Formatierer format("de_DE");
    const Zeitzone zone("Europe/Berlin");
    Preisnotiz::Felder umgerechnet = notiz("138.45", Kursart::geldBriefMitte, "Börse Frankfurt (XETR)");
    umgerechnet.preisOriginal = d("150");
    umgerechnet.originalwaehrung = "USD";
    umgerechnet.umrechnung = d("1.0834");
    umgerechnet.handelsumfang = Handelsumfang{3, std::nullopt, std::nullopt};
    Preisnotiz::Felder waehrung = notiz("0.923", Kursart::tagesschluss, "EZB-Referenzkurs");
    waehrung.preisOriginal = d("1");
    waehrung.originalwaehrung = "USD";
    waehrung.umrechnung = d("1.0834");
    struct Fall {
        const char* name;
        Positionsbewertung zeile;
        std::optional<Preisnotiz::Felder> notiz;
        std::optional<std::string> hinweis;
        std::string preis;
        std::string quellenzeile;
        std::optional<std::string> gewinn;
        Stichtagdetailzeile::Richtung richtung;
        std::string bedienhilfe;
    };
    using R = Stichtagdetailzeile::Richtung;
    const std::vector<Fall> faelle{
        {"ohne Notiz", zeile(Assetklasse::aktie, std::nullopt, std::nullopt, std::nullopt), std::nullopt,
         std::nullopt, "", "", std::nullopt, R::neutral, "Aktie, Kurs fehlt"},
        {"von Hand, Gewinn", zeile(Assetklasse::aktie, "1600", "100", "6.666"), notiz("160", Kursart::vonHand),
         std::nullopt, "160,00", "Bloomberg, von Hand eingetragen, 11. März 2024", "100,00" + nb + "€",
         R::gewinn,
         "Aktie, Kurs 160,00, Bloomberg, von Hand eingetragen, 11. März 2024, Wert 1.600,00" + nb +
             "€, Gewinn 100,00" + nb + "€, Rendite +6,67" + nb + "%"},
        {"Quelle „von Hand“ fällt weg, Gewinn 0", zeile(Assetklasse::rohstoff, "1500", "0", "0"),
         notiz("0.12345678", Kursart::vonHand, "von Hand"), "Erfasst ohne Kennung", "0,123457",
         "von Hand eingetragen, 11. März 2024", "0,00" + nb + "€", R::neutral,
         "Rohstoff, Kurs 0,123457, von Hand eingetragen, 11. März 2024, Erfasst ohne Kennung, Wert 1.500,00" + nb +
             "€, Gewinn 0,00" + nb + "€, Rendite 0,00" + nb + "%"},
        {"umgerechnet, kein bezahlter Kurs, wenig Handel, Verlust",
         zeile(Assetklasse::aktie, "1384.5", "-115.5", "-7.7"), umgerechnet, std::nullopt, "138,45",
         "Börse Frankfurt (XETR), Mitte aus Geld und Brief, 11. März 2024 · umgerechnet aus 150,00 USD zu 1" + nb +
             "€" + nb + "=" + nb + "1,0834" + nb + "USD · 3 Preisfeststellungen",
         "-115,50" + nb + "€", R::verlust,
         "Aktie, Kurs 138,45, Börse Frankfurt (XETR), Mitte aus Geld und Brief, 11. März 2024 · umgerechnet aus "
         "150,00 USD zu 1" + nb + "€" + nb + "=" + nb + "1,0834" + nb +
             "USD · 3 Preisfeststellungen, Kein bezahlter Kurs, Sehr wenig Handel an diesem Tag, Wert 1.384,50" + nb +
             "€, Verlust 115,50" + nb + "€, Rendite -7,70" + nb + "%"},
        {"Währung: nur der Kurs", zeile(Assetklasse::waehrung, std::nullopt, std::nullopt, std::nullopt), waehrung,
         std::nullopt, "0,923",
         "EZB-Referenzkurs, Schlusskurs des Tages, 11. März 2024 · 1" + nb + "€" + nb + "=" + nb + "1,0834" + nb +
             "USD",
         std::nullopt, R::neutral,
         "Währung, Kurs 0,923, EZB-Referenzkurs, Schlusskurs des Tages, 11. März 2024 · 1" + nb + "€" + nb + "=" +
             nb + "1,0834" + nb + "USD"},
    };
    for (const auto& fall : faelle) {
        std::optional<Preisnotiz> n;
        if (fall.notiz) n.emplace(*fall.notiz);
        const Stichtagdetailzeile z(fall.zeile, n ? &*n : nullptr, Notierungsart::stueckpreis, fall.hinweis, format,
                                    zone);
        EXPECT_EQ(z.hatNotiz(), fall.notiz.has_value()) << fall.name;
        EXPECT_EQ(z.preisText(), fall.preis) << fall.name;
        EXPECT_EQ(z.quellenzeile(), fall.quellenzeile) << fall.name;
        EXPECT_EQ(z.gewinnText(), fall.gewinn) << fall.name;
        EXPECT_EQ(z.richtung(), fall.richtung) << fall.name;
        EXPECT_EQ(z.bedienhilfeText(), fall.bedienhilfe) << fall.name;
    }
}

TEST(StichtagDetailzeile, zeichenNachArtUndHerkunft) {
    struct Fall {
        Kursart art;
        bool keinBezahlter;
    };
    for (const Fall& fall : std::vector<Fall>{{Kursart::letzterHandel, false},
                                              {Kursart::schlusskursVortag, true},
                                              {Kursart::geldBriefMitte, true},
                                              {Kursart::tagesschluss, false},
                                              {Kursart::vonHand, false}}) {
        const Preisnotiz n(notiz("10", fall.art));
        const Stichtagdetailzeile z(zeile(Assetklasse::aktie, std::nullopt, std::nullopt, std::nullopt), &n,
                                    Notierungsart::stueckpreis, std::nullopt, Formatierer("de_DE"));
        EXPECT_EQ(z.ohneBezahltenKurs(), fall.keinBezahlter) << rohwert(fall.art);
        EXPECT_EQ(z.vonHand(), fall.art == Kursart::vonHand) << rohwert(fall.art);
    }
}

namespace {

// A saved game with a complete share (priced on the reference date), an incomplete bond and a
// complete currency position without a price.
struct Detailspiel : qbtest::Spielstand {
    Detailspiel() {
        aktie = testspiel::kaufe(portfolio, Assetklasse::aktie, "Siemens", 10, testspiel::eur("150"));
        aktie->setzeKennung("DE0007236101");
        testspiel::kaufe(portfolio, Assetklasse::anleihe, "Bund", 0, testspiel::eur("0"));
        auto usd = testspiel::kaufe(portfolio, Assetklasse::waehrung, "Dollar", 1000, testspiel::eur("0.9"));
        usd->setzeKennung("USD");
        bewertung = testspiel::stichtag(portfolio, tag(2024, 3, 11));
        testspiel::notiere(bewertung, aktie, testspiel::eur("160"));
        speichereOderScheitere();
    }

    std::optional<Preisnotiz::Felder> gespeicherteAktiennotiz() const {
        const Bestand bestand = gespeichert();
        for (const auto& zeile : bestand.preisnotizen) {
            for (const auto& position : bestand.positionen) {
                if (zeile.position == position.id && position.felder.assetklasse == Assetklasse::aktie) {
                    return zeile.felder;
                }
            }
        }
        return std::nullopt;
    }

    std::shared_ptr<Position> aktie;
    std::shared_ptr<Bewertung> bewertung;
};

QString text(QWidget* wurzel, const QString& zeilenname, const char* teil) {
    auto* zeile = wurzel->findChild<QPushButton*>(zeilenname);
    if (!zeile) return QStringLiteral("<keine Zeile>");
    auto* label = zeile->findChild<QLabel*>(QString::fromLatin1(teil));
    return label ? label->text() : QStringLiteral("<kein Text>");
}

} // namespace

TEST(StichtagDetailTest, einenKursKorrigierenAendertDieNotizImSpeicher) {
    const auto deutsch = qbtest::Umgebung::deutsch();
    qbtest::Testserver server;
    Detailspiel spiel;
    Modellbeobachter beobachter(spiel.kontext());
    StichtagDetail detail(spiel.portfolio, spiel.bewertung, beobachter, qbtest::dienstFuer(server));
    detail.show();

    // The incomplete bond has no row; the currency has no price yet.
    EXPECT_EQ(detail.findChild<QPushButton*>("zeile-Anleihe"), nullptr);
    EXPECT_EQ(text(&detail, "zeile-Aktie", "preis"), "160,00");
    EXPECT_EQ(text(&detail, "zeile-Währung", "kursFehlt"), "Kurs fehlt");

    QTest::mouseClick(detail.findChild<QPushButton*>("zeile-Aktie"), Qt::LeftButton);
    ASSERT_TRUE(detail.korrektur());
    QPointer<PreisKorrigierenDialog> sheet = detail.korrektur();
    ASSERT_TRUE(QTest::qWaitFor([&] { return sheet->isVisible(); }, 30000));
    // The same row fields as the capture sheet.
    EXPECT_TRUE(sheet->findChild<StichtagskursFelder*>("zeile"));
    // The typed price is shown again; the comparison for the past day fails at the server.
    auto* kurs = sheet->findChild<Zahleneingabe*>("kurs")->feld();
    EXPECT_EQ(kurs->text(), "160");
    auto* vergleich = sheet->findChild<QLabel*>("vergleich");
    ASSERT_TRUE(QTest::qWaitFor([&] { return vergleich->text().startsWith("Kein Vergleichskurs abrufbar"); }, 30000))
        << utf8(vergleich->text());

    kurs->selectAll();
    QTest::keyClicks(kurs, "161,5");
    QTest::mouseClick(sheet->findChild<QPushButton*>("speichern"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return sheet.isNull(); }, 30000));

    const auto gespeichert = spiel.gespeicherteAktiennotiz();
    ASSERT_TRUE(gespeichert);
    EXPECT_EQ(gespeichert->preis, d("161.5"));
    EXPECT_EQ(gespeichert->quelle, "Bloomberg");
    EXPECT_EQ(gespeichert->herkunft, Preisherkunft::manuell);
    EXPECT_EQ(gespeichert->abgerufenAm, tag(2024, 3, 11));
    ASSERT_TRUE(QTest::qWaitFor([&] { return text(&detail, "zeile-Aktie", "preis") == "161,50"; }, 30000));
    EXPECT_EQ(detail.korrektur(), nullptr);
    // The row the correction came from, built anew, has the cursor again.
    EXPECT_EQ(detail.focusWidget(), detail.findChild<QPushButton*>("zeile-Aktie"));
}

TEST(StichtagDetailTest, eineVerschwundenePositionSagtEsUndSchreibtNichts) {
    const auto deutsch = qbtest::Umgebung::deutsch();
    qbtest::Testserver server;
    Detailspiel spiel;
    QWidget fenster;
    auto* sheet = new PreisKorrigierenDialog(spiel.portfolio, spiel.bewertung, Assetklasse::rohstoff, spiel.kontext(),
                                       qbtest::dienstFuer(server), &fenster);
    QPointer<PreisKorrigierenDialog> offen(sheet);
    fenster.show();
    sheet->open();
    EXPECT_EQ(sheet->korrektur(), nullptr);
    EXPECT_EQ(sheet->findChild<QLabel*>("positionFehlt")->text(), "Diese Position gibt es nicht mehr.");
    QTest::mouseClick(sheet->findChild<QPushButton*>("schliessen"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return offen.isNull(); }, 30000));
    EXPECT_EQ(spiel.gespeicherteAktiennotiz()->preis, d("160"));
    EXPECT_TRUE(server.anfragen().empty());
}

TEST(StichtagDetailTest, kopfMitWochentagUndZeilenSoHochWieIhrInhalt) {
    const auto deutsch = qbtest::Umgebung::deutsch();
    qbtest::Testserver server;
    Detailspiel spiel;
    Modellbeobachter beobachter(spiel.kontext());
    StichtagDetail detail(spiel.portfolio, spiel.bewertung, beobachter, qbtest::dienstFuer(server));
    EXPECT_EQ(detail.findChild<QLabel*>("datum")->text(), "Montag, 11. März 2024");
    EXPECT_EQ(detail.findChild<QLabel*>("uhrzeit")->text(), "17:00");

    // So narrow that the source line wraps: the row grows with it instead of clipping it.
    detail.resize(430, 600);
    detail.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&detail));
    auto* zeile = detail.findChild<QPushButton*>("zeile-Aktie");
    auto* quelle = zeile->findChild<QLabel*>("quellenzeile");
    // The row takes in the wrapped line over a few turns of the event loop, each layout taking in
    // the one inside it: what is waited for is their end, the whole line inside the row.
    const auto ganzInDerZeile = [&] {
        return quelle->height() >= quelle->heightForWidth(quelle->width()) &&
               quelle->mapTo(zeile, QPoint(0, quelle->height())).y() <= zeile->height();
    };
    EXPECT_TRUE(QTest::qWaitFor(ganzInDerZeile, 30000));
    const int eineZeile = quelle->fontMetrics().height();
    ASSERT_GT(quelle->heightForWidth(quelle->width()), eineZeile) << "die Zeile bricht nicht um";
    EXPECT_GE(quelle->height(), quelle->heightForWidth(quelle->width()));
    EXPECT_LE(quelle->mapTo(zeile, QPoint(0, quelle->height())).y(), zeile->height());
}

namespace {

// A gain with a price captured under the share's former identifier, a loss, and a currency
// without a price.
struct Farbspiel : qbtest::Spielstand {
    Farbspiel() {
        auto aktie = testspiel::kaufe(portfolio, Assetklasse::aktie, "Siemens", 10, testspiel::eur("150"));
        aktie->setzeKennung("DE0007236101");
        auto gold = testspiel::kaufe(portfolio, Assetklasse::rohstoff, "Gold", 10, testspiel::eur("100"));
        auto usd = testspiel::kaufe(portfolio, Assetklasse::waehrung, "Dollar", 1000, testspiel::eur("0.9"));
        usd->setzeKennung("USD");
        bewertung = testspiel::stichtag(portfolio, tag(2024, 3, 11));
        testspiel::notiere(bewertung, aktie, testspiel::eur("160"));
        testspiel::notiere(bewertung, gold, testspiel::eur("90"));
        aktie->setzeKennung("DE0007164600");
        speichereOderScheitere();
    }
    std::shared_ptr<Bewertung> bewertung;
};

// Whether a text or symbol is drawn in `farbe`: of the pixels that the widget covers in the
// picture of the whole view, the one farthest from the most frequent one (the background) is
// the most covered pixel of a glyph. It must be `farbe` laid over the background with a
// coverage of at least 0.7: an edge pixel of that colour, not of another one.
::testing::AssertionResult gezeichnetIn(const QImage& bild, const QWidget* ansicht, const QWidget* teil,
                                        const QColor& farbe) {
    const QRect rechteck(teil->mapTo(ansicht, QPoint(0, 0)), teil->size());
    std::map<QRgb, int> haeufigkeit;
    for (int y = rechteck.top(); y <= rechteck.bottom(); ++y) {
        for (int x = rechteck.left(); x <= rechteck.right(); ++x) ++haeufigkeit[bild.pixel(x, y)];
    }
    QRgb grund = 0;
    int meiste = 0;
    for (const auto& [rgb, anzahl] : haeufigkeit) {
        if (anzahl > meiste) {
            meiste = anzahl;
            grund = rgb;
        }
    }
    const auto abstand = [grund](QRgb rgb) {
        return std::abs(qRed(rgb) - qRed(grund)) + std::abs(qGreen(rgb) - qGreen(grund)) +
               std::abs(qBlue(rgb) - qBlue(grund));
    };
    QRgb weiteste = grund;
    for (const auto& [rgb, anzahl] : haeufigkeit) {
        if (abstand(rgb) > abstand(weiteste)) weiteste = rgb;
    }
    const int g[] = {qRed(grund), qGreen(grund), qBlue(grund)};
    const int p[] = {qRed(weiteste), qGreen(weiteste), qBlue(weiteste)};
    const int c[] = {farbe.red(), farbe.green(), farbe.blue()};
    double zaehler = 0;
    double nenner = 0;
    for (int i = 0; i < 3; ++i) {
        zaehler += double(p[i] - g[i]) * (c[i] - g[i]);
        nenner += double(c[i] - g[i]) * (c[i] - g[i]);
    }
    const double deckung = nenner > 0 ? zaehler / nenner : 0;
    bool passt = deckung >= 0.7 && deckung <= 1.03;
    for (int i = 0; i < 3; ++i) {
        passt = passt && std::abs(g[i] + deckung * (c[i] - g[i]) - p[i]) <= 4;
    }
    if (passt) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << utf8(QColor(weiteste).name()) << " auf " << utf8(QColor(grund).name())
                                         << " statt " << utf8(farbe.name());
}

} // namespace

TEST(StichtagDetailTest, werteUndWarnungenDerZeilenInIhrenFarbenHellUndDunkel) {
    const auto deutsch = qbtest::Umgebung::deutsch();
    Farbspiel spiel;
    Modellbeobachter beobachter(spiel.kontext());
    StichtagDetail detail(spiel.portfolio, spiel.bewertung, beobachter, Kursdienst::standard());
    detail.resize(700, 600);
    detail.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&detail));

    const auto teil = [&](const char* zeile, const char* name) -> QWidget* {
        auto* knopf = detail.findChild<QPushButton*>(QString::fromUtf8(zeile));
        return knopf ? knopf->findChild<QWidget*>(QString::fromLatin1(name)) : nullptr;
    };
    auto* hinweis = teil("zeile-Aktie", "kennungshinweis");
    ASSERT_TRUE(hinweis);
    auto* hinweissymbol = hinweis->findChild<Symbol*>();
    ASSERT_TRUE(hinweissymbol);
    EXPECT_EQ(hinweissymbol->name(), "exclamationmark.circle");
    auto* hinweistext = hinweis->findChild<QLabel*>();
    ASSERT_TRUE(hinweistext);
    EXPECT_EQ(hinweistext->text(), "Erfasst unter der Kennung DE0007236101");
    auto* kursFehlt = teil("zeile-Währung", "kursFehlt");
    ASSERT_TRUE(kursFehlt);
    auto* fehltSymbol = kursFehlt->parentWidget()->findChild<Symbol*>("questionmark.circle");
    ASSERT_TRUE(fehltSymbol);
    auto* quelle = teil("zeile-Aktie", "quellenzeile");
    auto* gewinn = teil("zeile-Aktie", "gewinn");
    auto* verlust = teil("zeile-Rohstoff", "gewinn");
    ASSERT_TRUE(quelle && gewinn && verlust);
    EXPECT_EQ(utf8(verlust->property("text").toString()).substr(0, 1), "-");
    // The name under the class: the second label of the name column.
    QLabel* name = nullptr;
    for (auto* label : detail.findChild<QPushButton*>("zeile-Rohstoff")->findChildren<QLabel*>()) {
        if (label->text() == "Gold") name = label;
    }
    ASSERT_TRUE(name);

    for (const bool dunkel : {false, true}) {
        SCOPED_TRACE(dunkel ? "dunkel" : "hell");
        const QPalette palette = dunkel ? qbtest::dunklePalette() : QApplication::style()->standardPalette();
        detail.setPalette(palette);
        const QColor sekundaer = Vordergrund::sekundaer().fuer(palette);
        const QColor warnung = Signalfarbe::warnung.fuer(palette);
        const QImage bild = detail.grab().toImage();
        struct Fall {
            const char* was;
            QWidget* teil;
            QColor farbe;
        };
        for (const Fall& fall : std::vector<Fall>{
                 {"Gewinn", gewinn, Signalfarbe::gewinn.fuer(palette)},
                 {"Verlust", verlust, Signalfarbe::verlust.fuer(palette)},
                 {"Kurs fehlt", kursFehlt, warnung},
                 {"Symbol bei Kurs fehlt", fehltSymbol, warnung},
                 {"Kennungshinweis", hinweistext, warnung},
                 {"Symbol des Kennungshinweises", hinweissymbol, warnung},
                 {"Quellenzeile", quelle, sekundaer},
                 {"Name", name, sekundaer},
             }) {
            EXPECT_TRUE(gezeichnetIn(bild, &detail, fall.teil, fall.farbe)) << fall.was;
        }
    }
}

TEST(StichtagDetailTest, eineZeileMitDemFokusIstUmrahmtUndNurZeilenSindTabstopps) {
    const auto deutsch = qbtest::Umgebung::deutsch();
    Farbspiel spiel;
    Modellbeobachter beobachter(spiel.kontext());
    StichtagDetail detail(spiel.portfolio, spiel.bewertung, beobachter, Kursdienst::standard());
    detail.resize(700, 600);
    detail.show();
    QApplication::setActiveWindow(&detail);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&detail));
    auto* aktie = detail.findChild<QPushButton*>("zeile-Aktie");
    auto* gold = detail.findChild<QPushButton*>("zeile-Rohstoff");
    ASSERT_TRUE(aktie && gold);

    for (const bool dunkel : {false, true}) {
        SCOPED_TRACE(dunkel ? "dunkel" : "hell");
        const QPalette palette = dunkel ? qbtest::dunklePalette() : QApplication::style()->standardPalette();
        detail.setPalette(palette);
        const QColor markiert = palette.color(QPalette::Highlight);
        for (QPushButton* fokus : {aktie, gold}) {
            fokus->setFocus(Qt::TabFocusReason);
            ASSERT_TRUE(QTest::qWaitFor([&] { return fokus->hasFocus(); }, 30000));
            const QImage bild = detail.grab().toImage();
            for (QPushButton* zeile : {aktie, gold}) {
                // The middle of the row's top edge, and of its leading edge.
                const QPoint oben = zeile->mapTo(&detail, QPoint(zeile->width() / 2, 1));
                const QPoint vorn = zeile->mapTo(&detail, QPoint(1, zeile->height() / 2));
                const bool umrahmt = zeile == fokus;
                EXPECT_EQ(bild.pixelColor(oben) == markiert, umrahmt) << utf8(zeile->objectName());
                EXPECT_EQ(bild.pixelColor(vorn) == markiert, umrahmt) << utf8(zeile->objectName());
            }
        }
    }
    // Tab walks the rows and nothing else.
    aktie->setFocus(Qt::TabFocusReason);
    for (const char* naechste : {"zeile-Währung", "zeile-Rohstoff", "zeile-Aktie"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(utf8(QApplication::focusWidget()->objectName()), naechste);
    }
}

// With a larger desktop font the detail asks for the width its rows need: at its smallest size
// they are laid out whole and nothing scrolls sideways.
TEST(StichtagDetailTest, mitGroessererSchriftRollenDieZeilenNichtSeitwaerts) {
    const auto deutsch = qbtest::Umgebung::deutsch();
    const QFont vorher = QApplication::font();
    const auto zurueck = qScopeGuard([&] { QApplication::setFont(vorher); });
    QFont gross = vorher;
    gross.setPointSizeF(vorher.pointSizeF() * 2);
    QApplication::setFont(gross);
    Farbspiel spiel;
    Modellbeobachter beobachter(spiel.kontext());
    StichtagDetail detail(spiel.portfolio, spiel.bewertung, beobachter, Kursdienst::standard());
    detail.resize(detail.minimumSizeHint().width(), 600);
    detail.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&detail));
    EXPECT_GE(detail.width(), 420);
    auto* rollen = detail.findChild<QScrollArea*>();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return rollen->widget()->width() <= rollen->viewport()->width() &&
                   !rollen->horizontalScrollBar()->isVisible();
        },
        30000));
    EXPECT_LE(rollen->widget()->width(), rollen->viewport()->width());
    EXPECT_FALSE(rollen->horizontalScrollBar()->isVisible());
}
