#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include <QCoreApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QAbstractButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTranslator>
#include <gtest/gtest.h>

#include "Umgebung.h"
#include "model/SpeicherHilfe.h"
#include "ui/Fenstergroesse.h"
#include "ui/Fensterhilfe.h"
#include "ui/Uhrhilfe.h"
#include "app/PortfolioAnsicht.h"
#include "app/Portfoliofenster.h"
#include "app/QuinzelbrockatApp.h"
#include "app/Speicherfehleransicht.h"
#include "ui/Textbruecke.h"
#include "app/Startueberlagerung.h"
#include "model/Ablage.h"
#include "model/Datenschema.h"
#include "model/Modellcontainer.h"
#include "model/Modellkontext.h"

using namespace qb;

namespace {

// Not under a test run as the store sees it, with the store's folder in `ordner`.
qbtest::Umgebung alsNutzer(const qbtest::Testordner& ordner) {
    return qbtest::Umgebung({{"XDG_DATA_HOME", ordner.pfad().c_str()},
                             {"XCTestConfigurationFilePath", nullptr},
                             {"XCTestBundlePath", nullptr},
                             {"XCTestSessionIdentifier", nullptr}});
}

bool zeigtText(const QWidget& wurzel, const QString& text) {
    for (const QLabel* label : wurzel.findChildren<QLabel*>()) {
        if (label->text() == text) {
            return true;
        }
    }
    return false;
}

TEST(QuinzelbrockatAppTest, einSpeicherDenDerKernAblehntFuelltDasFensterMitDerSpeicherfehleransicht) {
    qbtest::Testordner ordner;
    auto umgebung = alsNutzer(ordner);
    const auto datei = ordner.pfad() / "quinzelbrockat" / "Spielstand.sqlite";
    std::filesystem::create_directories(datei.parent_path());
    std::ofstream(datei, std::ios::binary) << "Das ist keine Datenbank, sondern ein Einkaufszettel.\n";

    QuinzelbrockatApp app(QuinzelbrockatApp::oeffneSpeicher());
    EXPECT_EQ(app.container(), nullptr);
    QWidget& fenster = app.fenster();
    EXPECT_EQ(fenster.objectName(), QStringLiteral("hauptfenster"));
    EXPECT_EQ(fenster.windowTitle(), QStringLiteral("Quinzelbrockat"));
    // 920 × 560 as far as the screen holds it.
    const QSize platz = fenster.screen()->availableGeometry().size() - Fenstergroesse::rahmen;
    EXPECT_EQ(fenster.size(), QSize(920, 560).boundedTo(platz));
    ASSERT_NE(fenster.findChild<Speicherfehleransicht*>(), nullptr);
    EXPECT_EQ(fenster.findChild<PortfolioAnsicht*>(), nullptr);
    EXPECT_TRUE(zeigtText(fenster, QString::fromStdString((datei.parent_path() / "Sicherungen").string())));
    // Nothing of the refused file is touched.
    std::ifstream ein(datei, std::ios::binary);
    std::string zeile;
    std::getline(ein, zeile);
    EXPECT_EQ(zeile, "Das ist keine Datenbank, sondern ein Einkaufszettel.");
}

// The store is open in another window already: this one says so and leaves the game to it.
TEST(QuinzelbrockatAppTest, einSpielstandDenEinAnderesFensterHaeltZeigtDasStattDesSpiels) {
    qbtest::Testordner ordner;
    auto umgebung = alsNutzer(ordner);
    auto anderesFenster = Datenschema::oeffneSpeicher();

    QuinzelbrockatApp app(QuinzelbrockatApp::oeffneSpeicher());
    EXPECT_EQ(app.container(), nullptr);
    ASSERT_NE(app.fenster().findChild<Speicherfehleransicht*>(), nullptr);
    auto* meldung = app.fenster().findChild<QLabel*>(QStringLiteral("technischeMeldung"));
    ASSERT_NE(meldung, nullptr);
    EXPECT_EQ(meldung->text(),
              QStringLiteral("Das Spiel ist schon in einem anderen Quinzelbrockat-Fenster geöffnet. "
                             "Schließe zuerst jenes Fenster und starte Quinzelbrockat dann noch "
                             "einmal."));
}

// Changes set aside beside the store: the window says over the game what was found and where they
// lie, and every start says it again until the user has closed that alert. A window that ends
// before, as a kill or a logout ends it, leaves the note for the next start.
TEST(QuinzelbrockatAppTest, beiseitegelegteAenderungenNenntJederStartBisDieMeldungGeschlossenIst) {
    namespace fs = std::filesystem;
    qbtest::Testordner ordner;
    auto umgebung = alsNutzer(ordner);
    // 23:30 in Berlin.
    qbtest::Testuhr uhr(Zeitpunkt(std::chrono::sys_days(std::chrono::year(2025) / 3 / 5)) +
                        std::chrono::minutes(1350));
    Datenschema::oeffneSpeicher().reset();
    const auto datei = Datenschema::speicherdatei();
    qb::test::legeFremdeWalDaneben(datei);
    const std::string basis = datei.string() + "-nicht-angewandt-2025-03-05-233000";
    const fs::path notiz = basis + "-ungemeldet-beschaedigt";
    const std::string text =
        qb::test::hinweisBeiseite(Ablage::Beiseitegrund::beschaedigt, datei, {basis + "-wal"});
    for (const int start : {0, 1, 2}) {
        SCOPED_TRACE("Start " + std::to_string(start));
        QuinzelbrockatApp app(QuinzelbrockatApp::oeffneSpeicher());
        ASSERT_NE(app.container(), nullptr);
        if (start == 2) {
            EXPECT_EQ(app.container()->hinweis(), std::nullopt);
            QCoreApplication::processEvents();
            EXPECT_EQ(app.fenster().findChild<QMessageBox*>(QStringLiteral("starthinweis")), nullptr);
            break;
        }
        QMessageBox* meldung = nullptr;
        ASSERT_TRUE(qbtest::warteBis([&] {
            meldung = app.fenster().findChild<QMessageBox*>(QStringLiteral("starthinweis"));
            return meldung != nullptr && meldung->isVisible();
        }));
        EXPECT_EQ(meldung->text(), QStringLiteral("Änderungen nicht angewandt"));
        EXPECT_EQ(meldung->informativeText().toStdString(), text);
        EXPECT_TRUE(fs::exists(notiz));
        if (start == 1) {
            auto* ok = meldung->findChild<QAbstractButton*>(QStringLiteral("ok"));
            ASSERT_NE(ok, nullptr);
            QTest::mouseClick(ok, Qt::LeftButton);
            EXPECT_TRUE(qbtest::warteBis([&] { return !fs::exists(notiz); }));
        }
    }
    EXPECT_TRUE(fs::exists(basis + "-wal"));
}

TEST(QuinzelbrockatAppTest, unterEinemTestlaufBeginntDasSpielImArbeitsspeicher) {
    qbtest::Testordner ordner;
    auto umgebung = alsNutzer(ordner);
    qbtest::Umgebung testlauf({{"XCTestBundlePath", ""}});

    QuinzelbrockatApp app(QuinzelbrockatApp::oeffneSpeicher());
    ASSERT_NE(app.container(), nullptr);
    auto* ansicht = app.fenster().findChild<PortfolioAnsicht*>();
    ASSERT_NE(ansicht, nullptr);
    EXPECT_EQ(app.fenster().findChild<Speicherfehleransicht*>(), nullptr);
    ASSERT_TRUE(qbtest::warteBis([&] { return ansicht->portfoliofenster() != nullptr; }));
    EXPECT_EQ(app.container()->kontext().portfolios().size(), 1u);
    // The user's store is neither opened nor created.
    EXPECT_TRUE(std::filesystem::is_empty(ordner.pfad()));
}

TEST(FenstergroesseTest, anfangUndMinimumBleibenImVerfuegbarenBereich) {
    struct Fall {
        QSize verfuegbar;
        QSize anfang;
        QSize minimum;
    };
    const Fall faelle[] = {
        {{1920, 1040}, {920, 560}, {780, 520}}, // 1920 × 1080 with a panel
        {{960, 524}, {920, 476}, {780, 476}},   // the same at scale factor 2
        {{800, 600}, {784, 552}, {780, 520}},
        {{640, 480}, {624, 432}, {624, 432}},
        {{10, 10}, {1, 1}, {1, 1}},
        {{}, {920, 560}, {780, 520}}, // no screen known
    };
    for (const Fall& fall : faelle) {
        EXPECT_EQ(Fenstergroesse::fuer(fall.verfuegbar, QSize(920, 560), QSize(780, 520)),
                  (Fenstergroesse{fall.anfang, fall.minimum}))
            << fall.verfuegbar.width() << " × " << fall.verfuegbar.height();
    }
}

TEST(QuinzelbrockatAppTest, aufEinemKleinenBildschirmPasstDasFensterUndDerInhaltRollt) {
    qbtest::Testordner ordner;
    auto umgebung = alsNutzer(ordner);
    qbtest::Umgebung testlauf({{"XCTestBundlePath", ""}});
    QuinzelbrockatApp app(QuinzelbrockatApp::oeffneSpeicher());
    QWidget& fenster = app.fenster();
    auto* ansicht = fenster.findChild<PortfolioAnsicht*>();
    ASSERT_NE(ansicht, nullptr);
    ASSERT_TRUE(qbtest::warteBis([&] { return ansicht->portfoliofenster() != nullptr; }));

    // 1920 × 1080 at scale factor 2, less a panel.
    const QSize verfuegbar(960, 524);
    app.passeAn(verfuegbar);
    const QSize platz = verfuegbar - Fenstergroesse::rahmen;
    fenster.show();
    EXPECT_EQ(fenster.size(), QSize(920, 476));
    for (const QSize groesse : {fenster.minimumSize(), fenster.minimumSizeHint()}) {
        EXPECT_LE(groesse.width(), platz.width());
        EXPECT_LE(groesse.height(), platz.height());
    }
    // The content keeps its own smallest size and scrolls instead.
    QTest::qWait(0);
    EXPECT_EQ(ansicht->height(), 520);
    auto* rahmen = fenster.findChild<QScrollArea*>(QStringLiteral("inhalt"));
    ASSERT_NE(rahmen, nullptr);
    EXPECT_EQ(rahmen->verticalScrollBar()->maximum(), 520 - rahmen->viewport()->height());
    EXPECT_GT(rahmen->verticalScrollBar()->maximum(), 0);
}

// The very first start: the first frame of the waiting view shows no scroll bars along its
// edges, only the window's background. With a larger desktop font the window's smallest width
// grows with it: at that width no title of the tab picker and not the export is cut. The height
// stays; the pages scroll.
TEST(QuinzelbrockatAppTest, erstesBildOhneRollbalkenUndMitGroessererSchriftNichtsAbgeschnitten) {
    QuinzelbrockatApp app(std::make_unique<Modellcontainer>(Ablage::imArbeitsspeicher()));
    app.passeAn(QSize(1920, 1040));
    QWidget& fenster = app.fenster();
    delete fenster.findChild<Startueberlagerung*>(); // what lies over the view for a moment
    fenster.show();
    const QImage bild = fenster.grab().toImage();
    const QColor grund = fenster.palette().color(QPalette::Window);
    EXPECT_EQ(bild.pixelColor(bild.width() - 4, bild.height() / 3), grund);
    EXPECT_EQ(bild.pixelColor(bild.width() / 3, bild.height() - 4), grund);

    auto* ansicht = fenster.findChild<PortfolioAnsicht*>();
    ASSERT_TRUE(qbtest::warteBis([&] { return ansicht->portfoliofenster() != nullptr; }));
    QFont gross = fenster.font();
    gross.setPointSizeF(gross.pointSizeF() * 1.5);
    fenster.setFont(gross);
    ASSERT_TRUE(qbtest::warteBis([&] { return fenster.minimumWidth() > 780; }));
    EXPECT_EQ(fenster.minimumHeight(), 520);
    fenster.resize(fenster.minimumSize());
    QTest::qWait(0);
    int knoepfe = 0;
    for (QAbstractButton* knopf : fenster.findChildren<QAbstractButton*>()) {
        if (knopf->objectName().startsWith(QStringLiteral("bereich-")) ||
            knopf->objectName() == QStringLiteral("tabelleExportieren")) {
            EXPECT_GE(knopf->width(), knopf->sizeHint().width()) << utf8(knopf->text());
            ++knoepfe;
        }
    }
    EXPECT_EQ(knoepfe, 5);
}

TEST(QuinzelbrockatAppTest, ohneAnzeigeEineDeutscheMeldung) {
    const std::string meldung =
        "Quinzelbrockat braucht eine grafische Oberfläche, findet aber keine: Weder DISPLAY noch "
        "WAYLAND_DISPLAY ist gesetzt. Bitte in einer Desktop-Sitzung starten oder ohne Bildschirm "
        "mit „xvfb-run -a“ davor.";
    struct Fall {
        std::map<std::string, std::string> umgebung;
        std::vector<const char*> argumente;
        bool fehlt;
    };
    const Fall faelle[] = {
        {{}, {}, true},
        {{{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}}, {}, true},
        {{{"DISPLAY", ":0"}}, {}, false},
        {{{"WAYLAND_DISPLAY", "wayland-0"}}, {}, false},
        {{{"QT_QPA_PLATFORM", "offscreen"}}, {}, false},
        {{}, {"-platform", "offscreen"}, false},
        {{}, {"--platform", "offscreen"}, false},
        {{}, {"offscreen"}, true},
    };
    for (const Fall& fall : faelle) {
        std::vector<char*> argv{const_cast<char*>("quinzelbrockat")};
        for (const char* argument : fall.argumente) {
            argv.push_back(const_cast<char*>(argument));
        }
        const auto ergebnis = QuinzelbrockatApp::fehlendeAnzeige(
            static_cast<int>(argv.size()), argv.data(), [&](const char* name) -> const char* {
                auto it = fall.umgebung.find(name);
                return it == fall.umgebung.end() ? nullptr : it->second.c_str();
            });
        EXPECT_EQ(ergebnis, fall.fehlt ? std::optional<std::string>(meldung) : std::nullopt);
    }

    // The program itself: the message on stderr and exit code 1 instead of Qt's abort.
    QProcess programm;
    QProcessEnvironment umgebung = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        umgebung.remove(QString::fromLatin1(name));
    }
    umgebung.insert(QStringLiteral("XCTestBundlePath"), QString());
    programm.setProcessEnvironment(umgebung);
    programm.start(QStringLiteral(QB_PROGRAMM), {});
    ASSERT_TRUE(programm.waitForFinished(20000));
    EXPECT_EQ(programm.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(programm.exitCode(), 1);
    EXPECT_EQ(programm.readAllStandardError().toStdString(), meldung + "\n");
}

TEST(QuinzelbrockatAppTest, qtsEigeneTexteSindDeutsch) {
    QCoreApplication& anwendung = *QCoreApplication::instance();
    const auto vorher = anwendung.findChildren<QTranslator*>().size();
    ASSERT_TRUE(QuinzelbrockatApp::ladeQtUebersetzung(anwendung));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Abbrechen"));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Save As"), QStringLiteral("Speichern unter"));
    EXPECT_EQ(QCoreApplication::translate("QWidgetTextControl", "&Copy"), QStringLiteral("&Kopieren"));
    // Leave the other tests as they were.
    const auto uebersetzungen = anwendung.findChildren<QTranslator*>();
    ASSERT_EQ(uebersetzungen.size(), vorher + 1);
    QCoreApplication::removeTranslator(uebersetzungen.last());
    delete uebersetzungen.last();
}

} // namespace
