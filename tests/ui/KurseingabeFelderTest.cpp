#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QThreadPool>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include "ui/Arbeitspool.h"
#include "ui/Bedienhilfe.h"
#include "ui/Hinweiszeile.h"
#include "ui/Zahleneingabe.h"
#include "ui/EigeneReferenzzeile.h"
#include "ui/KurseingabeFelder.h"
#include "sources/Testserver.h"

using namespace qb;
using qbtest::Antwort;

namespace {

using Feld = Kurseingabe::Feld;
using Zweck = KurseingabeFelder::Zweck;
using Teil = Kurspruefung::Teil<Umrechnung>;

const char* const usdPfad = "/v2/rate/EUR/USD";
const char* const gbpPfad = "/v2/rate/EUR/GBP";
const QString nbsp = QString(QChar(0x00a0));

Antwort kurs(const char* quote, const char* rate, std::chrono::milliseconds verzoegerung = {}) {
    Antwort antwort = Antwort::json(std::string(R"({"date":"2024-05-17","base":"EUR","quote":")") + quote +
                                    R"(","rate":)" + rate + "}");
    antwort.verzoegerung = verzoegerung;
    return antwort;
}

Waehrungscode code(const char* text) {
    return *Waehrungscode::aus(text);
}

Zeitpunkt siebzehnterMai() {
    return *Kalender(Zeitzone("Europe/Berlin")).zeitpunkt({2024, 5, 17, 12, 0, 0});
}

// Holds an answer back until the test lets it go, and says when it went. The fixture opens it as
// the test ends; the bound of a minute only keeps a hung test from holding the server for ever.
struct Schleuse {
    std::atomic<bool> offen{false};
    std::atomic<bool> gesendet{false};

    void warte() const {
        for (int i = 0; i < 12000 && !offen; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
};

// The caller of the fields, as the position editor is: it owns the input, takes every change
// and derives the form from the trading currency it picked.
class KurseingabeFelderTest : public ::testing::Test {
protected:
    using Angaben = KurseingabeFelder::Angaben;

    ~KurseingabeFelderTest() override {
        for (const auto& schleuse : schleusen) {
            schleuse->offen = true;
        }
    }

    std::shared_ptr<Schleuse> neueSchleuse() { return schleusen.emplace_back(std::make_shared<Schleuse>()); }

    void oeffne(Angaben angaben, const Kurseingabe& start, std::optional<Zeitpunkt> tag = siebzehnterMai(),
                std::optional<KurseingabeFelder::EzbAusVergleich> ezb = std::nullopt) {
        blatt = std::make_unique<QDialog>();
        eingabe = start;
        meldungen.clear();
        felder = new KurseingabeFelder(std::move(angaben), start, tag, dienst, std::move(ezb), blatt.get());
        auto* spalte = new QVBoxLayout(blatt.get());
        spalte->addWidget(felder);
        QObject::connect(felder, &KurseingabeFelder::eingabeGeaendert, blatt.get(), [this](const Kurseingabe& neu) {
            eingabe = neu;
            meldungen.push_back(neu);
            Angaben angaben = felder->angaben();
            angaben.form = Eingabeform::fuer(angaben.klasse, "", neu.handelswaehrung);
            felder->setzeAngaben(angaben);
        });
        blatt->open();
        ASSERT_TRUE(QTest::qWaitForWindowActive(blatt.get()));
    }

    static Angaben kaufInDollar() {
        return {Zweck::kauf, Assetklasse::aktie, Eingabeform::fremdwaehrung(code("USD")), Notierungsart::stueckpreis,
                std::nullopt, true};
    }

    QLineEdit* zahl(const char* name) const { return felder->findChild<Zahleneingabe*>(name)->feld(); }
    QString ezbText() const { return felder->findChild<QLabel*>("ezbText")->text(); }
    QPushButton* knopf(const char* name) const { return felder->findChild<QPushButton*>(name); }
    bool zeigt(const char* name) const { return felder->findChild<QWidget*>(name)->isVisible(); }
    void tippe(const char* feld, const QString& text) {
        zahl(feld)->setFocus();
        QTest::keyClicks(zahl(feld), text);
    }
    void waehle(const char* waehrung) {
        auto* wahl = felder->findChild<QComboBox*>("handelswaehrung");
        const int index = wahl->findData(QString(waehrung));
        ASSERT_GE(index, 0);
        wahl->setCurrentIndex(index);
        emit wahl->activated(index);
    }

    qbtest::Testserver server;
    Kursdienst dienst = [this] {
        Kursdienst::Adressen adressen;
        adressen.boerse = server.adresse();
        adressen.ezb = server.adresse();
        adressen.sitzung.caDatei = server.caDatei();
        return Kursdienst::standard(adressen);
    }();
    std::unique_ptr<QDialog> blatt;
    KurseingabeFelder* felder = nullptr;
    Kurseingabe eingabe;
    std::vector<Kurseingabe> meldungen;
    std::vector<std::shared_ptr<Schleuse>> schleusen;
};

TEST_F(KurseingabeFelderTest, einKaufInFremdwaehrungBekommtDenEzbKursVorbelegt) {
    server.beantworte(usdPfad, kurs("USD", "1.0834"));
    server.beantworte(gbpPfad, kurs("GBP", "0.8512"));
    oeffne(kaufInDollar(), Kurseingabe("USD", Dezimal(0), Dezimal(0)));

    ASSERT_TRUE(QTest::qWaitFor([&] { return !eingabe.umrechnung.istNull(); }, 30000));
    EXPECT_EQ(eingabe.umrechnung, Dezimal::aus("1.0834"));
    EXPECT_EQ(eingabe.ezbVorbelegung, Dezimal::aus("1.0834"));
    EXPECT_EQ(eingabe.mitText, std::set<Feld>{Feld::umrechnung});
    EXPECT_EQ(zahl("umrechnung")->text(), "1,0834");
    EXPECT_EQ(ezbText(), "EZB-Referenzkurs für den 17.5.2024: 1" + nbsp + "€" + nbsp + "=" + nbsp + "1,0834" + nbsp + "USD");
    EXPECT_FALSE(knopf("ezbUebernehmen")->isVisible());
    EXPECT_EQ(server.anfragen(usdPfad).at(0).ziel, "/v2/rate/EUR/USD?providers=ECB&date=2024-05-17");

    tippe("kurs", "150");
    EXPECT_EQ(eingabe.kurs, Dezimal(150));
    EXPECT_EQ(felder->findChild<QLabel*>("vorschau")->text(), "Umgerechnet: 138,453 € je Aktie");
    EXPECT_FALSE(zeigt("grenzhinweis"));

    // Another currency clears the rate and its pre-fill at once, field and input alike, and
    // fetches the new currency's rate.
    waehle("GBP");
    EXPECT_EQ(eingabe.handelswaehrung, "GBP");
    EXPECT_EQ(eingabe.ezbVorbelegung, std::nullopt);
    EXPECT_EQ(felder->findChild<QLabel*>("kursTitel")->text(), "Kaufkurs in GBP");
    EXPECT_EQ(eingabe.kurs, Dezimal(150));
    EXPECT_EQ(zahl("kurs")->text(), "150");
    ASSERT_TRUE(QTest::qWaitFor([&] { return eingabe.umrechnung == Dezimal::aus("0.8512"); }, 30000));
    EXPECT_EQ(zahl("umrechnung")->text(), "0,8512");
    EXPECT_EQ(eingabe.ezbVorbelegung, Dezimal::aus("0.8512"));
    EXPECT_EQ(felder->findChild<Zahleneingabe*>("kurs")->einheit(), QStringLiteral("GBP"));
    EXPECT_TRUE(std::none_of(meldungen.begin(), meldungen.end(), [](const Kurseingabe& e) {
        return e.handelswaehrung == "GBP" && e.umrechnung == Dezimal::aus("1.0834");
    }));

    // The same currency again changes nothing.
    const std::size_t bisher = meldungen.size();
    waehle("GBP");
    EXPECT_EQ(meldungen.size(), bisher);
}

TEST_F(KurseingabeFelderTest, einFehlenderEzbKursNenntDenGrundUndWirdAufWunschNeuGeholt) {
    auto versuche = std::make_shared<std::atomic<int>>(0);
    server.beantworte(usdPfad, [versuche](const qbtest::Anfrage&) {
        return ++*versuche == 1 ? Antwort::nachStatus(500) : kurs("USD", "1.0834");
    });
    oeffne(kaufInDollar(), Kurseingabe("USD", Dezimal(0), Dezimal(0)));

    ASSERT_TRUE(QTest::qWaitFor([&] { return zeigt("ezbFehlt"); }, 30000));
    EXPECT_EQ(felder->findChild<Hinweiszeile*>("ezbFehlt")->text(),
              "Kein EZB-Kurs abrufbar: Die Quelle meldete einen Fehler (HTTP 500). Später erneut versuchen.\n"
              "Trage den Umrechnungskurs selbst ein.");
    EXPECT_EQ(eingabe.umrechnung, Dezimal(0));
    ASSERT_TRUE(zeigt("ezbErneut"));

    // Pressed from the keyboard, the retry goes and leaves the cursor in the price field.
    knopf("ezbErneut")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(knopf("ezbErneut"), Qt::Key_Space);
    EXPECT_EQ(QApplication::focusWidget(), zahl("kurs"));
    EXPECT_EQ(ezbText(), "EZB-Kurs wird geholt");
    EXPECT_TRUE(zeigt("ezbLaedt"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return eingabe.umrechnung == Dezimal::aus("1.0834"); }, 30000));
    EXPECT_EQ(server.anfragen(usdPfad).size(), 2u);
    EXPECT_FALSE(zeigt("ezbFehlt"));
    EXPECT_FALSE(zeigt("ezbErneut"));
    EXPECT_EQ(zahl("umrechnung")->text(), "1,0834");
}

TEST_F(KurseingabeFelderTest, getippterTextUeberstehtEineSpaeteAntwort) {
    // Each sheet's answer waits until its fields were typed in.
    auto schleuse = neueSchleuse();
    server.beantworte(usdPfad, [schleuse](const qbtest::Anfrage&) {
        schleuse->warte();
        return kurs("USD", "1.0834");
    });
    struct Fall {
        QString text;
        Dezimal wert;
        std::set<Feld> unlesbar;
    };
    for (const Fall& fall : {Fall{"1,2", Dezimal::aus("1.2"), {}}, Fall{"0", Dezimal(0), {}},
                             Fall{"abc", Dezimal(0), {Feld::umrechnung}}}) {
        SCOPED_TRACE(fall.text.toStdString());
        schleuse->offen = false;
        oeffne(kaufInDollar(), Kurseingabe("USD", Dezimal(0), Dezimal(0)));
        tippe("umrechnung", fall.text);
        tippe("kurs", "150");
        ASSERT_TRUE(felder->findChild<EigeneReferenzzeile*>()->laeuft());
        schleuse->offen = true;

        ASSERT_TRUE(QTest::qWaitFor([&] { return ezbText().startsWith("EZB-Referenzkurs"); }, 30000));
        EXPECT_EQ(zahl("umrechnung")->text(), fall.text);
        EXPECT_EQ(eingabe.umrechnung, fall.wert);
        EXPECT_EQ(eingabe.unlesbar, fall.unlesbar);
        EXPECT_EQ(eingabe.ezbVorbelegung, std::nullopt);
        EXPECT_EQ(QApplication::focusWidget(), zahl("kurs"));
        EXPECT_EQ(zahl("kurs")->text(), "150");

        // Taken over, the field shows exactly the stored rate, and its marks follow its text.
        ASSERT_TRUE(knopf("ezbUebernehmen")->isVisible());
        QTest::mouseClick(knopf("ezbUebernehmen"), Qt::LeftButton);
        EXPECT_EQ(zahl("umrechnung")->text(), "1,0834");
        EXPECT_EQ(eingabe.umrechnung, Dezimal::aus("1.0834"));
        EXPECT_EQ(eingabe.ezbVorbelegung, Dezimal::aus("1.0834"));
        EXPECT_EQ(eingabe.unlesbar, std::set<Feld>{});
        EXPECT_EQ(eingabe.mitText, std::set<Feld>{Feld::umrechnung});
        EXPECT_FALSE(knopf("ezbUebernehmen")->isVisible());
    }
}

TEST_F(KurseingabeFelderTest, euroLeertDasKursfeldMitSeinenMarken) {
    server.beantworte(usdPfad, Antwort::nachStatus(500));
    oeffne(kaufInDollar(), Kurseingabe("USD", Dezimal(0), Dezimal(0)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return zeigt("ezbFehlt"); }, 30000));
    tippe("umrechnung", "abc");
    ASSERT_EQ(eingabe.unlesbar, std::set<Feld>{Feld::umrechnung});

    waehle("EUR");
    EXPECT_EQ(eingabe.unlesbar, std::set<Feld>{});
    EXPECT_EQ(eingabe.mitText, std::set<Feld>{});
    EXPECT_FALSE(zeigt("umrechnungPlatz"));
    EXPECT_FALSE(zeigt("ezbPlatz"));
    EXPECT_EQ(felder->findChild<QLabel*>("kursTitel")->text(), "Kaufkurs");

    // Back in dollars the rate field is as empty as the input says, and a new row fetches.
    waehle("USD");
    EXPECT_TRUE(zeigt("umrechnungPlatz"));
    EXPECT_EQ(zahl("umrechnung")->text(), "");
    EXPECT_EQ(eingabe.unlesbar, std::set<Feld>{});
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.anfragen(usdPfad).size() == 2; }, 30000));
}

TEST_F(KurseingabeFelderTest, einGeschlossenesBlattHoltBeimWiederoeffnenNeuUndVerwirftDieAlteAntwort) {
    auto schleuse = neueSchleuse();
    server.beantworte(usdPfad, [schleuse](const qbtest::Anfrage&) {
        if (!schleuse->gesendet) {
            schleuse->warte();
            schleuse->gesendet = true;
            return kurs("USD", "1.1111");
        }
        return kurs("USD", "1.0834");
    });
    oeffne(kaufInDollar(), Kurseingabe("USD", Dezimal(0), Dezimal(0)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.anfragen(usdPfad).size() == 1; }, 30000));

    blatt->close();
    EXPECT_FALSE(felder->findChild<EigeneReferenzzeile*>()->laeuft());
    schleuse->offen = true;
    ASSERT_TRUE(QTest::qWaitFor([&] { return schleuse->gesendet.load(); }, 30000));

    blatt->open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !eingabe.umrechnung.istNull(); }, 30000));
    EXPECT_EQ(eingabe.umrechnung, Dezimal::aus("1.0834"));
    EXPECT_EQ(server.anfragen(usdPfad).size(), 2u);
    EXPECT_TRUE(std::none_of(meldungen.begin(), meldungen.end(),
                             [](const Kurseingabe& e) { return e.umrechnung == Dezimal::aus("1.1111"); }));
}

TEST_F(KurseingabeFelderTest, einZerstoertesFeldVerwirftDieAntwort) {
    auto schleuse = neueSchleuse();
    server.beantworte(usdPfad, [schleuse](const qbtest::Anfrage&) {
        schleuse->warte();
        schleuse->gesendet = true;
        return kurs("USD", "1.1111");
    });
    // Answers only after the first widget's answer went out: once it is here, that one was too.
    server.beantworte(gbpPfad, [schleuse](const qbtest::Anfrage&) {
        for (int i = 0; i < 12000 && !schleuse->gesendet; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return kurs("GBP", "0.8512");
    });
    oeffne(kaufInDollar(), Kurseingabe("USD", Dezimal(0), Dezimal(0)));
    std::vector<Kurseingabe> vomZerstoerten;
    QObject zeuge;
    QObject::connect(felder, &KurseingabeFelder::eingabeGeaendert, &zeuge,
                     [&](const Kurseingabe& e) { vomZerstoerten.push_back(e); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.anfragen(usdPfad).size() == 1; }, 30000));

    blatt.reset();
    schleuse->offen = true;
    Angaben pfund = kaufInDollar();
    pfund.form = Eingabeform::fremdwaehrung(code("GBP"));
    oeffne(pfund, Kurseingabe("GBP", Dezimal(0), Dezimal(0)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !eingabe.umrechnung.istNull(); }, 30000));
    EXPECT_EQ(eingabe.umrechnung, Dezimal::aus("0.8512"));
    EXPECT_TRUE(vomZerstoerten.empty());
}

TEST_F(KurseingabeFelderTest, einStichtagZeigtDenEzbKursAusDemVergleich) {
    int erneut = 0;
    const auto vergleich = [&](Referenzzeilentexte::Stand stand) {
        return KurseingabeFelder::EzbAusVergleich{std::move(stand), [&erneut] { ++erneut; }};
    };
    oeffne({Zweck::stichtag, Assetklasse::aktie, Eingabeform::fremdwaehrung(code("USD")), Notierungsart::stueckpreis,
            std::nullopt, false},
           Kurseingabe("USD", Dezimal(0), Dezimal(0)), siebzehnterMai(), vergleich(std::nullopt));
    EXPECT_EQ(felder->findChild<EigeneReferenzzeile*>(), nullptr);
    EXPECT_EQ(ezbText(), "EZB-Kurs wird geholt");
    EXPECT_EQ(felder->findChild<QLabel*>("kursTitel")->text(), "Kurs in USD");
    EXPECT_TRUE(felder->findChild<QLabel*>("hilfetext")->text().startsWith("Kurs in der gewählten Währung"));
    tippe("kurs", "150");

    // An answer of the comparison updates the line only: typing and focus stay, and the
    // pre-fill is the draft's business.
    felder->setzeEzbAusVergleich(vergleich(Teil::vorhanden({Dezimal(1), "USD", Dezimal::aus("1.0834")})));
    EXPECT_TRUE(ezbText().startsWith("EZB-Referenzkurs für den 17.5.2024"));
    EXPECT_EQ(eingabe.umrechnung, Dezimal(0));
    EXPECT_EQ(QApplication::focusWidget(), zahl("kurs"));
    EXPECT_EQ(zahl("kurs")->text(), "150");
    QTest::mouseClick(knopf("ezbUebernehmen"), Qt::LeftButton);
    EXPECT_EQ(eingabe.umrechnung, Dezimal::aus("1.0834"));
    EXPECT_EQ(zahl("umrechnung")->text(), "1,0834");

    felder->setzeEzbAusVergleich(vergleich(Teil::fehlt("Zeitüberschreitung")));
    ASSERT_TRUE(zeigt("ezbErneut"));
    QTest::mouseClick(knopf("ezbErneut"), Qt::LeftButton);
    EXPECT_EQ(erneut, 1);
    felder->setzeEzbAusVergleich(vergleich(Teil::entfaellt()));
    EXPECT_FALSE(zeigt("ezbPlatz"));

    // A reference date's currency position shows no ECB line at all; nothing is ever fetched.
    felder->setzeAngaben({Zweck::stichtag, Assetklasse::waehrung, Eingabeform::waehrungskurs(code("USD")),
                          Notierungsart::stueckpreis, std::nullopt, false});
    EXPECT_FALSE(zeigt("ezbPlatz"));
    EXPECT_FALSE(zeigt("handelswaehrung"));
    EXPECT_FALSE(zeigt("kursPlatz"));
    EXPECT_EQ(felder->findChild<QLabel*>("umrechnungTitel")->text(), "Kurs: 1 € entspricht");
    // A fetch the fields had started would have reached the server once the pool is idle.
    ASSERT_TRUE(arbeitspool().waitForDone(30000));
    EXPECT_TRUE(server.anfragen().empty());
}

// On a reference date a sheet shows these controls once per position: assistive technology
// hears the position's class after each name. The purchase has one position per sheet.
TEST_F(KurseingabeFelderTest, aufEinemStichtagNenntJedesBedienelementDieKlasse) {
    const auto name = [](QWidget* w) { return qbtest::zugangsname(w); };
    for (const auto& [zweck, zusatz] :
         {std::pair{Zweck::stichtag, ": Anleihe"}, std::pair{Zweck::kauf, ""}}) {
        SCOPED_TRACE(zusatz);
        std::optional<KurseingabeFelder::EzbAusVergleich> ezb;
        if (zweck == Zweck::stichtag) {
            ezb = KurseingabeFelder::EzbAusVergleich{Teil::fehlt("Zeitüberschreitung"), [] {}};
        }
        oeffne({zweck, Assetklasse::anleihe, Eingabeform::fremdwaehrung(code("USD")),
                Notierungsart::stueckpreis, std::nullopt, false},
               Kurseingabe("USD", Dezimal(0), Dezimal(0)), siebzehnterMai(), ezb);
        const std::string kurs = zweck == Zweck::kauf ? "Kaufkurs in USD" : "Kurs in USD";
        EXPECT_EQ(name(zahl("kurs")), kurs + zusatz);
        EXPECT_EQ(name(zahl("umrechnung")), "Umrechnung: 1 € entspricht" + std::string(zusatz));
        EXPECT_EQ(name(felder->findChild<QComboBox*>("handelswaehrung")),
                  "Handelswährung" + std::string(zusatz));
        if (zweck == Zweck::stichtag) {
            EXPECT_EQ(name(knopf("ezbUebernehmen")), "EZB-Kurs übernehmen: Anleihe");
            EXPECT_EQ(name(knopf("ezbErneut")), "EZB-Kurs erneut holen: Anleihe");
        }
    }
}

} // namespace
