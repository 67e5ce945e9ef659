#include <optional>
#include <string>
#include <vector>

#include <QAccessible>
#include <QAccessibleEditableTextInterface>
#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

#include "ui/Textbruecke.h"
#include "ui/Zahleneingabe.h"
#include "ui/Zahlenleser.h"

using namespace qb;

namespace {

using Art = Zahlenleser::Art;
using Fall = Zahlenleser::Fall;

std::string alsText(const QString& text) {
    return utf8(text);
}

struct Lesefall {
    const char* text;
    Art art;
    Fall fall;
    const char* wert;    // for Fall::wert
    const char* meldung; // "" for none
};

TEST(ZahlenleserTest, liestJedeArtUndNenntDieMeldung) {
    const std::vector<Lesefall> faelle{
        {"", Art::betrag, Fall::leer, "", ""},
        {" \t\u00a0", Art::kurs, Fall::leer, "", ""},
        {"abc", Art::kurs, Fall::keineZahl, "", "Keine Zahl"},
        {"1\n", Art::kurs, Fall::keineZahl, "", "Keine Zahl"}, // a line break is no blank
        {"12,345", Art::betrag, Fall::wert, "12345", ""},
        {"12.345", Art::betrag, Fall::wert, "12345", ""},
        {"1,5", Art::betrag, Fall::wert, "1.5", ""},
        {"1,555", Art::betrag, Fall::wert, "1555", ""},
        {"1,5555", Art::betrag, Fall::zuVieleNachkommastellen, "", "Höchstens zwei Nachkommastellen"},
        {"0,999", Art::betrag, Fall::zuVieleNachkommastellen, "", "Höchstens zwei Nachkommastellen"},
        {"0012,345", Art::betrag, Fall::zuVieleNachkommastellen, "", "Höchstens zwei Nachkommastellen"},
        {"1.234,56", Art::betrag, Fall::wert, "1234.56", ""},
        {"1.234.5", Art::betrag, Fall::keineZahl, "", "Keine Zahl"},
        {"\u00a0-3\t", Art::betrag, Fall::wert, "-3", ""},
        {"1.000", Art::ganzzahl, Fall::wert, "1000", ""},
        {"2,5", Art::ganzzahl, Fall::nichtGanz, "", "Nur ganze Zahlen"},
        {"2,0", Art::ganzzahl, Fall::wert, "2", ""},
        {"1.234", Art::kurs, Fall::wert, "1.234", ""},
        {"1,234", Art::kurs, Fall::wert, "1.234", ""},
        {"1.234,5", Art::kurs, Fall::wert, "1234.5", ""},
        {"12.345.678", Art::kurs, Fall::wert, "12345678", ""},
        {"0,000000000000001", Art::kurs, Fall::wert, "0.000000000000001", ""},
    };
    for (const Lesefall& fall : faelle) {
        const Zahlenleser::Ergebnis ergebnis = Zahlenleser::lies(QString::fromUtf8(fall.text), fall.art);
        EXPECT_EQ(ergebnis.fall, fall.fall) << fall.text;
        if (fall.fall == Fall::wert) {
            EXPECT_EQ(ergebnis.wert, Dezimal::aus(fall.wert)) << fall.text;
        }
        EXPECT_EQ(alsText(Zahlenleser::meldung(ergebnis.fall).value_or(QString())), fall.meldung) << fall.text;
    }
}

TEST(ZahlenleserTest, schreibtWerteOhneGruppierungMitKomma) {
    struct Fall {
        Dezimal wert;
        Art art;
        const char* text;
    };
    const std::vector<Fall> faelle{
        {Dezimal(0), Art::kurs, ""},
        {Dezimal(0), Art::ganzzahl, ""},
        {Dezimal::aus("1234.5"), Art::kurs, "1234,5"},
        {Dezimal::aus("1234.5"), Art::betrag, "1234,5"},
        {Dezimal(10000), Art::betrag, "10000"},
        {Dezimal::aus("-2.5"), Art::betrag, "-2,5"},
        {Dezimal(1) / Dezimal(3), Art::kurs, "0,333333333333"},
        {Dezimal::aus("0.0000000000005"), Art::kurs, "0,000000000001"},
        {Dezimal(1000), Art::ganzzahl, "1000"},
        {Dezimal::aus("2.5"), Art::ganzzahl, "2.5"},
    };
    for (const Fall& fall : faelle) {
        EXPECT_EQ(alsText(Zahlenleser::anzeigetext(fall.wert, fall.art)), fall.text) << fall.wert.text();
    }
}

TEST(ZahlenleserTest, mehrdeutigIstNurEinPreisMitEinemTrennerVorDreiStellen) {
    const std::vector<std::tuple<const char*, Art, bool>> faelle{
        {"1.234", Art::kurs, true},     {"999,000", Art::kurs, true}, {" 1.234\t", Art::kurs, true},
        {"1.234", Art::betrag, false},  {"1.234,5", Art::kurs, false}, {"12.345.678", Art::kurs, false},
        {"0.123", Art::kurs, false},    {"1234.567", Art::kurs, false}, {"1.2345", Art::kurs, false},
    };
    for (const auto& [text, art, erwartet] : faelle) {
        EXPECT_EQ(Zahlenleser::istMehrdeutig(QString::fromUtf8(text), art), erwartet) << text;
    }
}

// The field as a form uses it: the parent keeps the value and hands every new value back.
struct Formular {
    explicit Formular(Art art) : feld(QStringLiteral("Betrag"), art, 160) {
        QObject::connect(&feld, &Zahleneingabe::wertGeaendert, &feld, [this](const Dezimal& wert) {
            gebunden = wert;
            feld.setzeWert(wert);
        });
    }
    // Over the whole text, as a user selects it and types.
    void tippe(const QString& text) {
        feld.feld()->selectAll();
        QTest::keyClicks(feld.feld(), text);
    }
    std::string hinweis() const {
        auto* label = feld.findChild<QLabel*>(QStringLiteral("hinweis"));
        return label->isVisibleTo(&feld) ? utf8(label->text()) : "";
    }
    std::string gelesenAls() const {
        auto* label = feld.findChild<QLabel*>(QStringLiteral("gelesenAls"));
        return label->isVisibleTo(&feld) ? utf8(label->text()) : "";
    }

    Zahleneingabe feld;
    Dezimal gebunden;
};

TEST(ZahleneingabeTest, tippenSchreibtJedenLesbarenWertUndBehaeltDieSchreibweise) {
    Formular formular(Art::betrag);
    QSignalSpy unlesbar(&formular.feld, &Zahleneingabe::unlesbarGeaendert);
    QSignalSpy mitText(&formular.feld, &Zahleneingabe::mitTextGeaendert);

    formular.tippe(QStringLiteral("12,50"));
    EXPECT_EQ(formular.gebunden, Dezimal::aus("12.5"));
    EXPECT_EQ(formular.feld.feld()->text(), QStringLiteral("12,50")) << "the user's own writing stays";
    EXPECT_EQ(formular.hinweis(), "");
    EXPECT_TRUE(formular.feld.hatText());

    formular.tippe(QStringLiteral("abc"));
    EXPECT_EQ(formular.gebunden, Dezimal(0));
    EXPECT_EQ(formular.feld.feld()->text(), QStringLiteral("abc"));
    EXPECT_EQ(formular.hinweis(), "Keine Zahl");
    EXPECT_TRUE(formular.feld.istUnlesbar());

    formular.tippe(QStringLiteral("  "));
    EXPECT_EQ(formular.gebunden, Dezimal(0));
    EXPECT_EQ(formular.hinweis(), "");
    EXPECT_FALSE(formular.feld.istUnlesbar());
    EXPECT_FALSE(formular.feld.hatText());

    // Each flag reported once per change: on with "abc", off with the blanks; text on with the
    // first key, off with the blanks.
    ASSERT_EQ(unlesbar.count(), 2);
    EXPECT_TRUE(unlesbar.at(0).at(0).toBool());
    EXPECT_FALSE(unlesbar.at(1).at(0).toBool());
    ASSERT_EQ(mitText.count(), 2);
    EXPECT_TRUE(mitText.at(0).at(0).toBool());
    EXPECT_FALSE(mitText.at(1).at(0).toBool());
}

TEST(ZahleneingabeTest, einMehrdeutigerPreisSagtWieErGelesenWurde) {
    Formular formular(Art::kurs);
    QTest::keyClicks(formular.feld.feld(), QStringLiteral("1.234"));
    EXPECT_EQ(formular.gebunden, Dezimal::aus("1.234"));
    EXPECT_EQ(formular.gelesenAls(), "Gelesen als 1,234");
    QTest::keyClicks(formular.feld.feld(), QStringLiteral("5"));
    EXPECT_EQ(formular.gebunden, Dezimal::aus("1.2345"));
    EXPECT_EQ(formular.gelesenAls(), "");
}

// Filling the text from the bound value reads it for its message only: the value stays the
// bound one, however the text would read back.
TEST(ZahleneingabeTest, einWertVonAussenBleibtDerWertAuchWennSeinTextAndersZuLesenWaere) {
    struct Fall {
        Art art;
        Dezimal wert;
        const char* text;
        const char* hinweis;
        const char* gelesenAls;
    };
    const std::vector<Fall> faelle{
        {Art::betrag, Dezimal::aus("100.125"), "100,125", "", ""},
        {Art::kurs, Dezimal::aus("1.234"), "1,234", "", "Gelesen als 1,234"},
        {Art::kurs, Dezimal(1) / Dezimal(3), "0,333333333333", "", ""},
        {Art::ganzzahl, Dezimal::aus("2.5"), "2.5", "Nur ganze Zahlen", ""},
        {Art::betrag, Dezimal::aus("1234.5"), "1234,5", "", ""},
    };
    for (const Fall& fall : faelle) {
        Formular formular(fall.art);
        QSignalSpy geschrieben(&formular.feld, &Zahleneingabe::wertGeaendert);
        formular.feld.setzeWert(fall.wert);
        EXPECT_EQ(utf8(formular.feld.feld()->text()), fall.text) << fall.text;
        EXPECT_EQ(formular.hinweis(), fall.hinweis) << fall.text;
        EXPECT_EQ(formular.gelesenAls(), fall.gelesenAls) << fall.text;
        EXPECT_EQ(formular.feld.wert(), fall.wert) << fall.text;
        EXPECT_EQ(geschrieben.count(), 0) << fall.text;
    }
}

TEST(ZahleneingabeTest, eineAenderungVonAussenSchreibtDenTextNeuDieEigeneNicht) {
    Formular formular(Art::ganzzahl);
    formular.tippe(QStringLiteral("1.000"));
    EXPECT_EQ(formular.gebunden, Dezimal(1000));
    EXPECT_EQ(formular.feld.feld()->text(), QStringLiteral("1.000"));

    formular.feld.setzeWert(Dezimal(1000)); // the value this field wrote: the text stays
    EXPECT_EQ(formular.feld.feld()->text(), QStringLiteral("1.000"));
    formular.feld.setzeWert(Dezimal(25));
    EXPECT_EQ(formular.feld.feld()->text(), QStringLiteral("25"));
    formular.feld.setzeWert(Dezimal(0));
    EXPECT_EQ(formular.feld.feld()->text(), QString());
    EXPECT_FALSE(formular.feld.hatText());
}

// Assistive technology names the field by its row label and tells its unit; both follow a new
// label or unit, and the typed text stays.
TEST(ZahleneingabeTest, dasFeldHeisstWieSeineZeileUndNenntSeineEinheit) {
    Zahleneingabe ohneEinheit(QStringLiteral("Startkapital in Euro"), Art::betrag, 160);
    Zahleneingabe mitLeererEinheit(QStringLiteral("Menge"), Art::ganzzahl, 130, QString());
    Zahleneingabe mitEinheit(QStringLiteral("Kaufkurs in USD"), Art::kurs, 130, QStringLiteral("USD"));
    const auto name = [](const Zahleneingabe& zahl) {
        QAccessibleInterface* zugang = QAccessible::queryAccessibleInterface(zahl.feld());
        return utf8(zugang->text(QAccessible::Name) + "|" + zugang->text(QAccessible::Description));
    };
    EXPECT_EQ(name(ohneEinheit), "Startkapital in Euro|");
    EXPECT_EQ(name(mitLeererEinheit), "Menge|");
    EXPECT_EQ(name(mitEinheit), "Kaufkurs in USD|USD");

    QTest::keyClicks(mitEinheit.feld(), QStringLiteral("12,5"));
    mitEinheit.setzeTitel(QStringLiteral("Kaufkurs in GBP"));
    mitEinheit.setzeEinheit(QStringLiteral("GBP"));
    mitLeererEinheit.setzeEinheit(QStringLiteral("Stück"));
    EXPECT_EQ(name(mitEinheit), "Kaufkurs in GBP|GBP");
    EXPECT_EQ(name(mitLeererEinheit), "Menge|Stück");
    EXPECT_EQ(mitEinheit.einheit(), QStringLiteral("GBP"));
    EXPECT_EQ(mitEinheit.titel(), QStringLiteral("Kaufkurs in GBP"));
    EXPECT_EQ(mitEinheit.feld()->text(), QStringLiteral("12,5"));

    // The unit is drawn beside the field, but assistive technology does not meet it once more
    // as a text of its own: no element of the field's tree but the field says "GBP".
    QAccessibleInterface* zugang = QAccessible::queryAccessibleInterface(&mitEinheit);
    for (int i = 0; i < zugang->childCount(); ++i) {
        QAccessibleInterface* kind = zugang->child(i);
        EXPECT_TRUE(kind->object() == mitEinheit.feld() || !kind->text(QAccessible::Name).contains("GBP"));
    }
    mitEinheit.resize(mitEinheit.sizeHint());
    mitEinheit.layout()->activate();
    EXPECT_GE(mitEinheit.einheitsfeld().left(), mitEinheit.feld()->geometry().right() + 6); // a gap
    const QImage bild = mitEinheit.grab(mitEinheit.einheitsfeld()).toImage();
    int gezeichnet = 0;
    for (int x = 0; x < bild.width(); ++x) {
        gezeichnet += bild.pixel(x, bild.height() / 2) != bild.pixel(0, 0) ? 1 : 0;
    }
    EXPECT_GT(gezeichnet, 3);
}

// Text that assistive technology writes into the field counts as typed: it is read, its message
// shown, and its value handed to the parent, each way such a tool may write it.
TEST(ZahleneingabeTest, textVonDerBedienhilfeZaehltWieGetippt) {
    Formular formular(Art::betrag);
    QSignalSpy getippt(&formular.feld, &Zahleneingabe::getipptGeaendert);
    QAccessibleInterface* zugang = QAccessible::queryAccessibleInterface(formular.feld.feld());
    ASSERT_NE(zugang, nullptr);

    zugang->setText(QAccessible::Value, QStringLiteral("12,50"));
    EXPECT_EQ(formular.gebunden, Dezimal::aus("12.5"));
    EXPECT_EQ(formular.feld.feld()->text(), QStringLiteral("12,50"));

    QAccessibleEditableTextInterface* bearbeitbar = zugang->editableTextInterface();
    ASSERT_NE(bearbeitbar, nullptr);
    bearbeitbar->insertText(0, QStringLiteral("1"));
    EXPECT_EQ(formular.gebunden, Dezimal::aus("112.5"));
    bearbeitbar->replaceText(0, 5, QStringLiteral("x"));
    EXPECT_EQ(formular.gebunden, Dezimal(0));
    EXPECT_EQ(formular.hinweis(), "Keine Zahl");
    bearbeitbar->deleteText(0, 1);
    EXPECT_EQ(formular.hinweis(), "");
    EXPECT_EQ(getippt.count(), 4);

    // The text written from the bound value is no input.
    formular.feld.setzeWert(Dezimal(7));
    EXPECT_EQ(formular.feld.feld()->text(), QStringLiteral("7"));
    EXPECT_EQ(getippt.count(), 4);
}

} // namespace

// Fields under one another end in one line whether their unit is "€", "%" or a currency code;
// a longer unit is shown whole, and a field takes the width of its neighbour's longer unit.
TEST(ZahleneingabeTest, felderFluchtenUnabhaengigVonDerBreiteIhrerEinheit) {
    QWidget grund;
    auto* spalte = new QVBoxLayout(&grund);
    std::vector<Zahleneingabe*> felder;
    for (const char* einheit : {"€", "%", "USD", "GBP", "Stück"}) {
        felder.push_back(new Zahleneingabe(QStringLiteral("Kurs"), Art::kurs, 130, QString::fromUtf8(einheit)));
        spalte->addWidget(felder.back());
    }
    grund.resize(400, 300);
    grund.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grund));
    const auto rechterRand = [&](const Zahleneingabe* zahl) {
        return zahl->feld()->mapTo(&grund, QPoint(zahl->feld()->width(), 0)).x();
    };
    for (std::size_t i = 1; i < 4; ++i) {
        EXPECT_EQ(rechterRand(felder[i]), rechterRand(felder[0])) << utf8(felder[i]->einheit().value_or(""));
    }
    EXPECT_GE(felder[4]->einheitsfeld().width(), felder[4]->einheitsbreite());
    EXPECT_LT(rechterRand(felder[4]), rechterRand(felder[0]));

    felder[0]->setzeEinheitsbreite(felder[4]->einheitsbreite());
    QCoreApplication::processEvents();
    EXPECT_EQ(rechterRand(felder[0]), rechterRand(felder[4]));
}
