#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QCalendarWidget>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "ui/Radhilfe.h"
#include "ui/Spielstandhilfe.h"
#include "Umgebung.h"
#include "app/EinstellungenAnsicht.h"
#include "ui/Hinweiszeile.h"
#include "ui/Signalfarbe.h"
#include "ui/Datumsfeld.h"
#include "ui/Modellbeobachter.h"
#include "ui/Textbruecke.h"
#include "ui/Uhrhilfe.h"
#include "ui/Zahleneingabe.h"

using namespace qb;
using qbtest::Spielstand;
using testspiel::tag;

namespace {

// The settings tab on screen over a game in a real store file.
struct Einstellungsseite {
    explicit Einstellungsseite(Spielstand& spiel)
        : beobachter(spiel.kontext()), ansicht(std::make_unique<EinstellungenAnsicht>(spiel.portfolio, beobachter)) {
        ansicht->resize(700, 900);
        ansicht->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(ansicht.get()));
    }

    template <typename T>
    T* teil(const char* name) const {
        T* gefunden = ansicht->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(gefunden, nullptr) << name;
        return gefunden;
    }
    QPushButton* knopf(const char* name) const { return teil<QPushButton>(name); }
    QLineEdit* startkapital() const { return teil<Zahleneingabe>("startkapital")->feld(); }
    std::string text(const char* name) const { return utf8(teil<QLabel>(name)->text()); }
    void klicke(const char* name) const {
        ASSERT_TRUE(knopf(name)->isEnabled()) << name;
        QTest::mouseClick(knopf(name), Qt::LeftButton);
    }
    // Answers the reset confirmation, which opens without blocking.
    void antworte(const char* knopfname) const {
        QMessageBox* frage = nullptr;
        ASSERT_TRUE(QTest::qWaitFor([&] {
            frage = ansicht->findChild<QMessageBox*>(QStringLiteral("zuruecksetzenBestaetigen"));
            return frage != nullptr && frage->isVisible();
        }));
        EXPECT_EQ(utf8(frage->text()), "Spiel wirklich zurücksetzen?");
        QPointer<QMessageBox> offen(frage);
        QTest::mouseClick(frage->findChild<QPushButton*>(QString::fromLatin1(knopfname)), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return offen.isNull() || !offen->isVisible(); }));
    }

    // Keys go to the focused widget only in the active window.
    void aktiviere() const {
        QApplication::setActiveWindow(ansicht.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(ansicht.get()));
    }
    // Whether the widget lies wholly in the part of the page that is on screen.
    bool ganzZuSehen(const QWidget* teil) const {
        const QRect ort(teil->mapTo(ansicht->viewport(), QPoint(0, 0)), teil->size());
        return teil->isVisible() && ansicht->viewport()->rect().contains(ort);
    }

    Modellbeobachter beobachter;
    std::unique_ptr<EinstellungenAnsicht> ansicht;
};

TEST(EinstellungenAnsichtTest, dieDreiEinstellungenErreichenDenSpeicherNurUeberIhreKnoepfe) {
    const auto deutsch = qbtest::Umgebung::deutsch();
    Spielstand spiel;
    Einstellungsseite seite(spiel);
    auto* name = seite.teil<QLineEdit>("gruppenname");
    auto* einstieg = seite.teil<Datumsfeld>("einstieg");
    EXPECT_EQ(name->text(), QStringLiteral("Gruppe"));
    EXPECT_EQ(einstieg->text(), QStringLiteral("04.03.2024"));
    EXPECT_EQ(seite.startkapital()->text(), QStringLiteral("100000"));
    EXPECT_FALSE(seite.knopf("gruppennameUebernehmen")->isEnabled());
    EXPECT_FALSE(seite.knopf("spielZuruecksetzen")->isEnabled());

    // Typing changes nothing stored; Return in the field takes the name over.
    name->selectAll();
    QTest::keyClicks(name, QStringLiteral("  Team Nord "));
    EXPECT_TRUE(seite.knopf("gruppennameUebernehmen")->isEnabled());
    EXPECT_EQ(spiel.gespeichertesPortfolio().felder.gruppenname, "Gruppe");
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(spiel.gespeichertesPortfolio().felder.gruppenname, "Team Nord");
    EXPECT_EQ(name->text(), QStringLiteral("Team Nord"));
    EXPECT_FALSE(seite.knopf("gruppennameUebernehmen")->isEnabled());

    // A day picked; its button takes it over with the time of day of the stored entry.
    EXPECT_FALSE(seite.knopf("einstiegUebernehmen")->isEnabled());
    einstieg->setzeDatum(QDate(2024, 2, 28));
    EXPECT_EQ(spiel.gespeichertesPortfolio().felder.kaufdatum, tag(2024, 3, 4, 9));
    seite.klicke("einstiegUebernehmen");
    EXPECT_EQ(spiel.gespeichertesPortfolio().felder.kaufdatum, tag(2024, 2, 28, 9));

    // The starting capital as the user writes it, grouped.
    seite.startkapital()->selectAll();
    QTest::keyClicks(seite.startkapital(), QStringLiteral("120.000"));
    EXPECT_EQ(spiel.gespeichertesPortfolio().felder.startkapital, Dezimal(100000));
    seite.klicke("startkapitalUebernehmen");
    EXPECT_EQ(spiel.gespeichertesPortfolio().felder.startkapital, Dezimal(120000));
    EXPECT_EQ(seite.startkapital()->text(), QStringLiteral("120.000"));
    EXPECT_FALSE(seite.knopf("startkapitalUebernehmen")->isEnabled());
    EXPECT_TRUE(QTest::qWaitFor([&] { return seite.text("standBarbestand") == "120.000,00\u00a0€"; }));
    EXPECT_EQ(seite.text("versionszeile"), std::string("Quinzelbrockat ") + QB_VERSION);
}

TEST(EinstellungenAnsichtTest, zuruecksetzenFragtErstUndLoeschtDannAlles) {
    Spielstand spiel;
    spiel.erfasseSpiel();
    Einstellungsseite seite(spiel);
    EXPECT_EQ(seite.text("standPositionen"), "1 von 5");
    EXPECT_EQ(seite.text("standStichtage"), "1");
    EXPECT_EQ(seite.teil<Datumsfeld>("einstieg")->obergrenze(), QDate(2024, 3, 11)) << "the first reference date's day";

    seite.klicke("spielZuruecksetzen");
    seite.antworte("abbrechen");
    EXPECT_EQ(spiel.gespeichert().positionen.size(), 2U);

    seite.klicke("spielZuruecksetzen");
    seite.antworte("allesLoeschen");
    const Bestand bestand = spiel.gespeichert();
    EXPECT_TRUE(bestand.positionen.empty());
    EXPECT_TRUE(bestand.bewertungen.empty());
    EXPECT_EQ(bestand.portfolios.at(0).felder.gruppenname, "Gruppe");
    EXPECT_EQ(seite.text("standPositionen"), "0 von 5");
    EXPECT_EQ(seite.text("standStichtage"), "0");
    EXPECT_FALSE(seite.knopf("spielZuruecksetzen")->isEnabled());
}

TEST(EinstellungenAnsichtTest, einGescheitertesSpeichernStehtAlsKopierbareMeldungDaUndDieEingabeBleibt) {
    Spielstand spiel;
    spiel.erfasseSpiel();
    Einstellungsseite seite(spiel);
    spiel.sperre("UPDATE ON Portfolio");

    seite.startkapital()->selectAll();
    QTest::keyClicks(seite.startkapital(), QStringLiteral("90000"));
    auto* warnung = seite.teil<Hinweiszeile>("startkapitalwarnung");
    EXPECT_TRUE(warnung->isVisible());
    seite.klicke("startkapitalUebernehmen");

    auto* meldung = seite.teil<QLabel>("meldung");
    EXPECT_TRUE(meldung->isVisible());
    EXPECT_EQ(utf8(meldung->text()), qbtest::gesperrtMeldung);
    EXPECT_EQ(meldung->textFormat(), Qt::PlainText);
    EXPECT_TRUE(meldung->textInteractionFlags() & Qt::TextSelectableByMouse);
    EXPECT_EQ(seite.startkapital()->text(), QStringLiteral("90000"));
    EXPECT_TRUE(seite.knopf("startkapitalUebernehmen")->isEnabled());
    EXPECT_EQ(spiel.gespeichertesPortfolio().felder.startkapital, Dezimal(100000));

    // Once the store takes it, the message goes.
    spiel.entsperre();
    seite.klicke("startkapitalUebernehmen");
    EXPECT_FALSE(meldung->isVisible());
    EXPECT_EQ(spiel.gespeichertesPortfolio().felder.startkapital, Dezimal(90000));
}

TEST(EinstellungenAnsichtTest, einGetipptesDatumGiltWieManEsSchreibt) {
    // How the user gets into the field, and what is typed there.
    struct Fall {
        const char* weg;
        std::function<void(Datumsfeld*)> hinein;
        QString tasten;
        QDate tag;
    };
    const auto auf = [](Datumsfeld* feld) { feld->setFocus(Qt::TabFocusReason); };
    const std::vector<Fall> faelle = {
        {"Tab, with dots", auf, QStringLiteral("07.12.2023"), QDate(2023, 12, 7)},
        {"Tab, digits only", auf, QStringLiteral("01022024"), QDate(2024, 2, 1)},
        {"cursor at the end, short day and month",
         [](Datumsfeld* feld) {
             feld->setFocus(Qt::MouseFocusReason);
             QTest::keyClick(feld, Qt::Key_End);
         },
         QStringLiteral("7.1.2024"), QDate(2024, 1, 7)},
        {"all selected",
         [](Datumsfeld* feld) {
             feld->setFocus(Qt::MouseFocusReason);
             QTest::keyClick(feld, Qt::Key_A, Qt::ControlModifier);
         },
         QStringLiteral("29.02.2024"), QDate(2024, 2, 29)},
        {"a click into the month of the field without focus",
         [](Datumsfeld* feld) {
             auto* zeile = feld->findChild<QLineEdit*>();
             const QPoint monat(zeile->fontMetrics().horizontalAdvance(QStringLiteral("04.0")), zeile->height() / 2);
             QTest::mouseClick(zeile, Qt::LeftButton, {}, monat);
         },
         QStringLiteral("03.12.2023"), QDate(2023, 12, 3)},
        // Both ends of the range.
        {"the first reference date's day", auf, QStringLiteral("11.03.2024"), QDate(2024, 3, 11)},
        {"the earliest day of a field without a lower bound", auf, QStringLiteral("14.09.1752"),
         QDate(1752, 9, 14)},
    };
    for (const Fall& fall : faelle) {
        SCOPED_TRACE(fall.weg);
        // The first reference date, 11 March 2024, is the last day allowed: a day typed first
        // while March is still shown may lie after it.
        Spielstand spiel;
        spiel.erfasseSpiel();
        Einstellungsseite seite(spiel);
        seite.aktiviere();
        auto* einstieg = seite.teil<Datumsfeld>("einstieg");
        fall.hinein(einstieg);
        ASSERT_TRUE(einstieg->hasFocus());
        QTest::keyClicks(einstieg, fall.tasten);
        EXPECT_EQ(einstieg->datum(), fall.tag);
        // The edited entry date, with the stored time of day; taken over by its button.
        EXPECT_EQ(seite.ansicht->einstellungen().einstieg(), tag(fall.tag.year(), fall.tag.month(), fall.tag.day(), 9));
        seite.klicke("einstiegUebernehmen");
        EXPECT_EQ(spiel.gespeichertesPortfolio().felder.kaufdatum,
                  tag(fall.tag.year(), fall.tag.month(), fall.tag.day(), 9));
    }
}

TEST(EinstellungenAnsichtTest, einGetippterTextDerKeinErlaubterTagIstBleibtStehenUndSagtWarum) {
    const QDate heute = QDate::currentDate();
    const QDate gewaehlt(2024, 2, 28);
    struct Fall {
        // With one, its day, 11 March 2024, ends the range; else today.
        bool mitStichtag;
        QString tasten;
        QString hinweis;
        // The day the calendar offers for the text.
        QDate angeboten;
    };
    const std::vector<Fall> faelle = {
        {true, QStringLiteral("15.12.2026"), QStringLiteral("Das Datum darf nicht nach dem 11.03.2024 liegen."),
         QDate(2024, 3, 11)},
        {false, heute.addDays(1).toString(QStringLiteral("dd.MM.yyyy")),
         QStringLiteral("Das Datum darf nicht nach dem %1 liegen.").arg(heute.toString(QStringLiteral("dd.MM.yyyy"))),
         heute},
        {true, QStringLiteral("29.02.2023"),
         QStringLiteral("Den 29.02.2023 gibt es nicht: Der Februar 2023 hat nur 28 Tage."), gewaehlt},
        {true, QStringLiteral("1.13.2024"),
         QStringLiteral("Den 01.13.2024 gibt es nicht: Ein Jahr hat nur 12 Monate."), gewaehlt},
        {true, QStringLiteral("7.1."),
         QStringLiteral("Das ist kein Datum. Schreib es zum Beispiel so: 11.03.2024."), gewaehlt},
    };
    for (const Fall& fall : faelle) {
        SCOPED_TRACE(utf8(fall.tasten));
        Spielstand spiel;
        if (fall.mitStichtag) {
            spiel.erfasseSpiel();
        }
        const Zeitpunkt eingestiegen = spiel.gespeichertesPortfolio().felder.kaufdatum;
        Einstellungsseite seite(spiel);
        seite.aktiviere();
        // Another day picked first: its button is on.
        auto* einstieg = seite.teil<Datumsfeld>("einstieg");
        einstieg->setzeDatum(gewaehlt);
        ASSERT_TRUE(seite.knopf("einstiegUebernehmen")->isEnabled());
        einstieg->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(einstieg, fall.tasten);

        // Left as typed: marked, the line under it says why, and nothing takes it.
        QTest::keyClick(einstieg, Qt::Key_Tab);
        const QLineEdit* zeile = einstieg->findChild<QLineEdit*>();
        const QColor warnung = Signalfarbe::warnung.fuer(zeile->palette());
        EXPECT_EQ(einstieg->text(), fall.tasten);
        EXPECT_EQ(zeile->palette().color(QPalette::Text), warnung);
        EXPECT_TRUE(einstieg->hinweiszeile()->isVisible());
        EXPECT_EQ(einstieg->hinweiszeile()->text(), fall.hinweis);
        EXPECT_FALSE(seite.knopf("einstiegUebernehmen")->isEnabled());
        EXPECT_EQ(spiel.gespeichertesPortfolio().felder.kaufdatum, eingestiegen);

        // The calendar (Alt+Down, F4) closed without a choice keeps the text; its day, taken, counts.
        const auto kalender = [&](Qt::Key taste, QKeyCombination oeffnen) {
            QTest::keyClick(einstieg, oeffnen.key(), oeffnen.keyboardModifiers());
            ASSERT_TRUE(einstieg->kalender() != nullptr && einstieg->kalender()->isVisible());
            QTest::keyClick(QApplication::focusWidget(), taste);
        };
        kalender(Qt::Key_Escape, Qt::AltModifier | Qt::Key_Down);
        EXPECT_EQ(einstieg->text(), fall.tasten);
        kalender(Qt::Key_Return, Qt::Key_F4);
        EXPECT_FALSE(einstieg->hinweiszeile()->isVisible());
        EXPECT_NE(zeile->palette().color(QPalette::Text), warnung);
        const QDate& a = fall.angeboten;
        seite.klicke("einstiegUebernehmen");
        EXPECT_EQ(spiel.gespeichertesPortfolio().felder.kaufdatum, tag(a.year(), a.month(), a.day(), 9));
    }
}

TEST(EinstellungenAnsichtTest, einAbgelehnterTagDenDerNeueBereichErlaubtIstDerTagDesKnopfs) {
    Spielstand spiel;
    spiel.erfasseSpiel();
    Einstellungsseite seite(spiel);
    seite.aktiviere();
    auto* einstieg = seite.teil<Datumsfeld>("einstieg");
    QTest::keyClicks(einstieg, QStringLiteral("15.03.2024"));
    QTest::mouseClick(einstieg, Qt::LeftButton, {}, QPoint(einstieg->width() - 6, einstieg->height() / 2));
    // In the calendar 12 March, after the first reference date, is drawn as unavailable, and 29
    // February, of the month before but in the range, as 7 March.
    auto* tafel = einstieg->kalender()->findChild<QTableView*>();
    const auto dunkelstes = [&](int reihe, int spalte) {
        const QRect ort = tafel->visualRect(tafel->model()->index(reihe, spalte));
        const QImage zelle = tafel->viewport()->grab(ort).toImage();
        const auto* p = reinterpret_cast<const QRgb*>(zelle.constBits());
        const auto dunkler = [](QRgb a, QRgb b) { return qGray(a) < qGray(b); };
        return *std::min_element(p, p + zelle.width() * zelle.height(), dunkler);
    };
    EXPECT_EQ(dunkelstes(3, 1), tafel->palette().color(QPalette::Disabled, QPalette::Text).rgb());
    EXPECT_EQ(dunkelstes(1, 3), dunkelstes(2, 3));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    spiel.kontext().loesche(spiel.portfolio->bewertungen().front());
    spiel.speichereOderScheitere();
    ASSERT_TRUE(QTest::qWaitFor([&] { return seite.knopf("einstiegUebernehmen")->isEnabled(); }));
    seite.klicke("einstiegUebernehmen");
    EXPECT_EQ(spiel.gespeichertesPortfolio().felder.kaufdatum, tag(2024, 3, 15, 9));
}

// Open from just before midnight into the next day.
TEST(EinstellungenAnsichtTest, einGespeicherterEinstiegNachHeuteStehtMarkiertBisEinTagImBereichGetipptIst) {
    qbtest::Testuhr uhr(tag(2026, 12, 9, 0) - std::chrono::milliseconds(500));
    Spielstand spiel;
    spiel.portfolio->setzeKaufdatum(tag(2026, 12, 10, 9));
    spiel.speichereOderScheitere();
    Einstellungsseite seite(spiel);
    seite.aktiviere();
    auto* einstieg = seite.teil<Datumsfeld>("einstieg");
    uhr.stelle(tag(2026, 12, 9, 8));
    ASSERT_TRUE(QTest::qWaitFor([&] { return einstieg->obergrenze() == QDate(2026, 12, 9); }));
    EXPECT_EQ(einstieg->text(), QStringLiteral("10.12.2026"));
    EXPECT_EQ(einstieg->hinweiszeile()->text(),
              QStringLiteral("Das Datum darf nicht nach dem 09.12.2026 liegen."));
    // The range's end typed: a change, though the end is the day a clamp would have shown.
    einstieg->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(einstieg, QStringLiteral("09.12.2026"));
    seite.klicke("einstiegUebernehmen");
    EXPECT_EQ(spiel.gespeichertesPortfolio().felder.kaufdatum, tag(2026, 12, 9, 9));
}

TEST(EinstellungenAnsichtTest, derBereichDesEinstiegsGehtMitDemTagWeiter) {
    // Entered on 12 December 2026, after the first reference date: the range ends on the entry
    // day or today, whichever comes first. Open from just before midnight to two days on (a
    // suspend): the day typed before is taken then, and ends the range.
    qbtest::Testuhr uhr(tag(2026, 12, 8, 0) - std::chrono::milliseconds(500));
    Spielstand spiel;
    spiel.erfasseSpiel();
    spiel.portfolio->setzeKaufdatum(tag(2026, 12, 12, 9));
    spiel.speichereOderScheitere();
    Einstellungsseite seite(spiel);
    seite.aktiviere();
    auto* einstieg = seite.teil<Datumsfeld>("einstieg");
    einstieg->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(einstieg, QStringLiteral("09122026"));
    QTest::keyClick(einstieg, Qt::Key_Tab);
    ASSERT_FALSE(einstieg->hasFocus());
    EXPECT_EQ(einstieg->text(), QStringLiteral("09122026"));
    uhr.stelle(tag(2026, 12, 10, 8));
    ASSERT_TRUE(QTest::qWaitFor([&] { return einstieg->istGueltig(); }));
    // Taken out of the user's typing, it is written as the field writes dates.
    EXPECT_EQ(einstieg->text(), QStringLiteral("09.12.2026"));
    EXPECT_EQ(seite.ansicht->einstellungen().einstieg(), tag(2026, 12, 9, 9));
    EXPECT_EQ(einstieg->obergrenze(), QDate(2026, 12, 9));
}

// A clock set back by hand, with no timer rung since: the press sees the range end on the new
// today first and takes no day after it.
TEST(EinstellungenAnsichtTest, einZurueckgestellterTagGiltSchonBeimDruck) {
    qbtest::Testuhr uhr(tag(2026, 12, 8, 8));
    Spielstand spiel;
    spiel.portfolio->setzeKaufdatum(tag(2026, 12, 1, 9));
    spiel.speichereOderScheitere();
    Einstellungsseite seite(spiel);
    seite.aktiviere();
    auto* einstieg = seite.teil<Datumsfeld>("einstieg");
    einstieg->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(einstieg, QStringLiteral("08.12.2026"));
    uhr.stelle(tag(2026, 12, 7, 22));
    seite.klicke("einstiegUebernehmen");
    EXPECT_EQ(spiel.gespeichertesPortfolio().felder.kaufdatum, tag(2026, 12, 1, 9));
    EXPECT_FALSE(seite.knopf("einstiegUebernehmen")->isEnabled());
    EXPECT_EQ(utf8(einstieg->hinweiszeile()->text()), "Das Datum darf nicht nach dem 07.12.2026 liegen.");
}

// A clock that jumped with no timer rung since is seen when the calendar opens: it offers the
// days up to the new today.
TEST(EinstellungenAnsichtTest, derKalenderSiehtBeimOeffnenNachDemTag) {
    for (const bool vor : {true, false}) {
        SCOPED_TRACE(vor ? "vor" : "zurück");
        qbtest::Testuhr uhr(vor ? tag(2026, 12, 7, 22) : tag(2026, 12, 8, 8));
        Spielstand spiel;
        Einstellungsseite seite(spiel);
        seite.aktiviere();
        auto* einstieg = seite.teil<Datumsfeld>("einstieg");
        uhr.stelle(vor ? tag(2026, 12, 8, 8) : tag(2026, 12, 7, 22));
        einstieg->setFocus(Qt::TabFocusReason);
        QTest::keyClick(einstieg, Qt::Key_F4);
        ASSERT_TRUE(einstieg->kalender() != nullptr && einstieg->kalender()->isVisible());
        EXPECT_EQ(einstieg->kalender()->maximumDate(), vor ? QDate(2026, 12, 8) : QDate(2026, 12, 7));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    }
}

TEST(EinstellungenAnsichtTest, dasRadVerstelltNurDasFeldMitDemFokusSonstRolltDieSeite) {
    Spielstand spiel;
    Einstellungsseite seite(spiel);
    seite.ansicht->resize(920, 560);
    seite.aktiviere();
    QScrollBar* leiste = seite.ansicht->verticalScrollBar();
    ASSERT_GT(leiste->maximum(), 0) << "the page must be taller than its window";
    auto* einstieg = seite.teil<Datumsfeld>("einstieg");
    seite.teil<QLineEdit>("gruppenname")->setFocus();
    ASSERT_TRUE(seite.ganzZuSehen(einstieg));

    qbtest::dreheRad(einstieg);
    EXPECT_EQ(einstieg->datum(), QDate(2024, 3, 4));
    EXPECT_GT(leiste->value(), 0);
    EXPECT_FALSE(einstieg->hasFocus()) << "the wheel hands it no focus";

    leiste->setValue(0);
    einstieg->setFocus(Qt::TabFocusReason);
    qbtest::dreheRad(einstieg);
    EXPECT_NE(einstieg->datum(), QDate(2024, 3, 4));
    EXPECT_EQ(leiste->value(), 0);
}

TEST(EinstellungenAnsichtTest, einKnopfDerSichAbschaltetGibtDenFokusSeinemFeldOhneMarkiertenWert) {
    // Each button is pressed from the keyboard after an edit; then a key is typed. It lands in
    // the field the button took over, which has nothing selected, and nothing stored changes.
    struct Fall {
        const char* knopf;
        const char* feld;
        std::function<void(Einstellungsseite&)> aendere;
    };
    const std::vector<Fall> faelle = {
        {"einstiegUebernehmen", "einstieg",
         [](Einstellungsseite& seite) { seite.teil<Datumsfeld>("einstieg")->setzeDatum(QDate(2024, 2, 28)); }},
        {"gruppennameUebernehmen", "gruppenname",
         [](Einstellungsseite& seite) {
             auto* name = seite.teil<QLineEdit>("gruppenname");
             name->setFocus();
             QTest::keyClicks(name, QStringLiteral(" Nord"));
         }},
        {"startkapitalUebernehmen", "startkapital",
         [](Einstellungsseite& seite) {
             seite.startkapital()->setFocus();
             QTest::keyClick(seite.startkapital(), Qt::Key_Backspace);
         }},
    };
    for (const Fall& fall : faelle) {
        SCOPED_TRACE(fall.knopf);
        Spielstand spiel;
        Einstellungsseite seite(spiel);
        seite.aktiviere();
        fall.aendere(seite);
        QPushButton* knopf = seite.knopf(fall.knopf);
        knopf->setFocus(Qt::TabFocusReason);
        QTest::keyClick(knopf, Qt::Key_Space);
        ASSERT_FALSE(knopf->isEnabled());
        const auto gespeichert = spiel.gespeichertesPortfolio().felder;

        QWidget* fokus = QApplication::focusWidget();
        QWidget* feld = seite.teil<QWidget>(fall.feld);
        ASSERT_TRUE(fokus == feld || feld->isAncestorOf(fokus)) << (fokus ? utf8(fokus->objectName()) : "");
        auto* zeile = qobject_cast<QLineEdit*>(fokus) ? qobject_cast<QLineEdit*>(fokus) : feld->findChild<QLineEdit*>();
        const QString vorher = zeile->text();
        QTest::keyClick(fokus, Qt::Key_5);
        // A digit after a whole date begins a new one, as everywhere in a date field.
        EXPECT_EQ(zeile->text(), std::string_view(fall.feld) == "einstieg" ? QStringLiteral("5") : vorher + u'5');
        EXPECT_TRUE(spiel.gespeichertesPortfolio().felder == gespeichert);
    }

    // Tab walks the fields and buttons only: the page, right before its first field, is no stop.
    QWidget fenster;
    Spielstand spiel;
    Einstellungsseite seite(spiel);
    auto* davor = new QLineEdit(&fenster);
    (new QVBoxLayout(&fenster))->addWidget(davor);
    fenster.layout()->addWidget(seite.ansicht.get());
    fenster.show();
    QApplication::setActiveWindow(&fenster);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&fenster));
    davor->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 30; ++i) {
        QTest::keyClick(QApplication::focusWidget(), i < 15 ? Qt::Key_Tab : Qt::Key_Backtab);
        EXPECT_NE(QApplication::focusWidget(), seite.ansicht.get());
    }
    // Described by its unit like every number field, though it shows none.
    EXPECT_EQ(seite.startkapital()->accessibleDescription(), QStringLiteral("€"));
}

TEST(EinstellungenAnsichtTest, dieMeldungEinerGescheitertenAktionStehtNachDemErstenDruckGanzImSichtbarenTeil) {
    struct Fall {
        const char* knopf;
        // A refusing trigger; none: the store is locked by another write.
        std::optional<std::string> sperre;
        std::function<void(Einstellungsseite&)> aendere;
    };
    const auto gruppenname = [](Einstellungsseite& seite) {
        QTest::keyClicks(seite.teil<QLineEdit>("gruppenname"), QStringLiteral("3"));
    };
    const std::vector<Fall> faelle = {
        {"gruppennameUebernehmen", "UPDATE ON Portfolio", gruppenname},
        {"einstiegUebernehmen", "UPDATE ON Portfolio",
         [](Einstellungsseite& seite) { seite.teil<Datumsfeld>("einstieg")->setzeDatum(QDate(2024, 2, 28)); }},
        {"startkapitalUebernehmen", "UPDATE ON Portfolio",
         [](Einstellungsseite& seite) { QTest::keyClick(seite.startkapital(), Qt::Key_Backspace); }},
        {"spielZuruecksetzen", "DELETE ON Position", [](Einstellungsseite&) {}},
        {"gruppennameUebernehmen", std::nullopt, gruppenname},
    };
    for (const Fall& fall : faelle) {
        SCOPED_TRACE(fall.knopf);
        Spielstand spiel;
        spiel.erfasseSpiel();
        Einstellungsseite seite(spiel);
        seite.ansicht->resize(920, 560);
        fall.aendere(seite);
        // Another program's write under way keeps the store locked until the end of the case.
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(spiel.datei().c_str(), &db), SQLITE_OK);
        const std::unique_ptr<sqlite3, decltype(&sqlite3_close_v2)> andererVorgang(db, &sqlite3_close_v2);
        if (fall.sperre) {
            spiel.sperre(*fall.sperre);
        } else {
            ASSERT_EQ(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        }
        // The group scrolls to the button and presses it once.
        QPushButton* knopf = seite.knopf(fall.knopf);
        seite.ansicht->ensureWidgetVisible(knopf);
        ASSERT_TRUE(seite.ganzZuSehen(knopf));
        seite.klicke(fall.knopf);
        if (std::string(fall.knopf) == "spielZuruecksetzen") {
            seite.antworte("allesLoeschen");
        }
        auto* meldung = seite.teil<QLabel>("meldung");
        ASSERT_TRUE(utf8(meldung->text()).starts_with("Die Änderung konnte nicht gespeichert werden: "))
            << utf8(meldung->text());
        // Where the message stands once the page has laid out what the press showed.
        QCoreApplication::processEvents();
        EXPECT_GE(meldung->height(), meldung->heightForWidth(meldung->width()));
        EXPECT_TRUE(seite.ganzZuSehen(meldung));
    }
}

} // namespace
