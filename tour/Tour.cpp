// The tour: renders every tab and state of the application's window, light and dark, to PNG
// files at 920 × 560 (higher where a sheet is higher than the window), so that a developer can
// look at the views without clicking through them.
// Not part of the application. Usage: quinzelbrockat_tour FOLDER

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include <unistd.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>
#include <QTest>
#include <QToolButton>
#include <sqlite3.h>

#include "Beispielspiel.h"
#include "EntwicklungTour.h"
#include "ui/Modellbeobachter.h"
#include "app/PortfolioAnsicht.h"
#include "app/Portfoliofenster.h"
#include "app/QuinzelbrockatApp.h"
#include "app/Startueberlagerung.h"
#include "ui/Zahleneingabe.h"
#include "foundation/Protokoll.h"
#include "model/Ablage.h"
#include "model/Datenschema.h"
#include "model/Kursfehler.h"
#include "model/Modellcontainer.h"
#include "model/Modellkontext.h"
#include "model/Portfolio.h"
#include "model/Speicherfehler.h"
#include "positions/PositionBearbeitenDialog.h"
#include "positions/PositionenListe.h"
#include "reference-dates/PreisKorrigierenDialog.h"
#include "reference-dates/StichtagDetail.h"
#include "reference-dates/StichtagErfassenDialog.h"
#include "reference-dates/StichtageAnsicht.h"
#include "reference-dates/StichtagskursFelder.h"
#include "reference-dates/Stichtagsliste.h"
#include "sources/Kursdienst.h"
#include "sources/Umrechnungsquelle.h"

using namespace qb;
using namespace std::chrono;

namespace {

QDir ziel;
QString schema;
// The tour's own stores and Qt's settings (the file dialog remembers its folder): nothing of it
// stays behind.
std::filesystem::path arbeitsordner;

void warte(int millisekunden) {
    QEventLoop schleife;
    QTimer::singleShot(millisekunden, &schleife, &QEventLoop::quit);
    schleife.exec();
}

void sichere(const QPixmap& bild, const QString& name) {
    const QString datei = ziel.filePath(name + QStringLiteral("-") + schema + QStringLiteral(".png"));
    if (!bild.save(datei)) {
        std::fprintf(stderr, "Konnte %s nicht schreiben.\n", qPrintable(datei));
        std::exit(1);
    }
    std::printf("%s\n", qPrintable(datei));
}

void sichere(QWidget& widget, const QString& name) {
    sichere(widget.grab(), name);
}

// The window, on a picture as high as what lies over it: a sheet may be taller than its window,
// and reaches below it on the screen.
QPixmap leinwand(QWidget& fenster, const QPixmap& oben) {
    const QPixmap unten = fenster.grab();
    if (oben.height() <= unten.height()) {
        return unten;
    }
    QPixmap bild(unten.width(), oben.height());
    bild.setDevicePixelRatio(unten.devicePixelRatio());
    bild.fill(Qt::darkGray);
    QPainter maler(&bild);
    maler.drawPixmap(0, 0, unten);
    return bild;
}

// The window with a dialog or alert laid over its middle, as the user sees both.
void sichereMitDialog(QWidget& fenster, QWidget& dialog, const QString& name) {
    const QPixmap oben = dialog.grab();
    QPixmap bild = leinwand(fenster, oben);
    QPainter maler(&bild);
    maler.fillRect(bild.rect(), QColor(0, 0, 0, 60));
    maler.drawPixmap((bild.width() - oben.width()) / 2, std::max(0, (bild.height() - oben.height()) / 3), oben);
    maler.end();
    sichere(bild, name);
}

// The window with a sheet over its top and, if given, an alert of the sheet over both.
void sichereMitBlatt(QWidget& fenster, QWidget& blatt, QWidget* frage, const QString& name) {
    const QPixmap blattbild = blatt.grab();
    QPixmap bild = leinwand(fenster, blattbild);
    QPainter maler(&bild);
    maler.fillRect(bild.rect(), QColor(0, 0, 0, 60));
    maler.drawPixmap((bild.width() - blattbild.width()) / 2, 0, blattbild);
    if (frage != nullptr) {
        const QPixmap fragebild = frage->grab();
        maler.fillRect(bild.rect(), QColor(0, 0, 0, 40));
        maler.drawPixmap((bild.width() - fragebild.width()) / 2, (bild.height() - fragebild.height()) / 3, fragebild);
    }
    maler.end();
    sichere(bild, name);
}

std::unique_ptr<Modellcontainer> spielImSpeicher(const std::string& gruppenname, int stichtage) {
    auto container = std::make_unique<Modellcontainer>(Ablage::imArbeitsspeicher());
    const Zeitpunkt einstieg = Kalender::aktuell()
                                   .zeitpunkt(Datumsteile{2024, 3, 4, 9, 30, 0})
                                   .value_or(Zeitpunkt(sys_days(2024y / March / 4)));
    legeBeispielspielAn(container->kontext(), gruppenname, stichtage, einstieg, true);
    return container;
}

// The application's window for a store, shown, without the start animation unless asked for.
std::unique_ptr<QuinzelbrockatApp> zeige(QuinzelbrockatApp::Speicher speicher, bool mitStart = false) {
    auto app = std::make_unique<QuinzelbrockatApp>(std::move(speicher));
    // The window at its start size on a screen that holds it; the offscreen screen is smaller.
    app->passeAn(QSize(1920, 1040));
    if (!mitStart) {
        delete app->fenster().findChild<Startueberlagerung*>();
    }
    app->fenster().show();
    return app;
}

// The game's window; without it (the store did not open) the tour cannot go on.
Portfoliofenster* hauptfenster(const QuinzelbrockatApp& app) {
    auto* ansicht = app.fenster().findChild<PortfolioAnsicht*>();
    if (ansicht == nullptr || ansicht->portfoliofenster() == nullptr) {
        std::fprintf(stderr, "Das Hauptfenster fehlt.\n");
        std::exit(1);
    }
    return ansicht->portfoliofenster();
}

// The ECB's rate for the tour's currency: the day's rate as the source would give it, at once.
class TourEzb : public Umrechnungsquelle {
public:
    Dezimal umrechnungskurs(std::string_view, std::optional<Zeitpunkt>, std::stop_token) const override {
        return Dezimal::aus("1.0834");
    }
    std::vector<Kurspunkt> umrechnungsreihe(std::string_view, Zeitpunkt, Zeitpunkt, std::stop_token) const override {
        return {};
    }
};

void tourDurchDasSpiel() {
    auto app = zeige(spielImSpeicher("Gruppe 7 – Nordlicht", 8));
    warte(50);
    Portfoliofenster* fenster = hauptfenster(*app);
    for (Bereich bereich : alleBereiche) {
        fenster->waehle(bereich);
        warte(300); // past the cross-fade
        sichere(app->fenster(), QStringLiteral("tab-") + QString::fromUtf8(rohwert(bereich)));
    }
    fenster->waehle(Bereich::portfolio);
    warte(300); // past the cross-fade, which would show through behind the first sheet

    // The position editor: a stored share, a currency bought with an amount, and a share
    // whose quantity breaks the budget, with the reason over the buttons.
    auto* liste = fenster->findChild<PositionenListe*>();
    const auto editor = [&](Assetklasse klasse, const QString& name, const std::function<void(QDialog&)>& vorher) {
        emit liste->bearbeiten(klasse);
        warte(100);
        auto* blatt = fenster->findChild<PositionBearbeitenDialog*>();
        if (blatt == nullptr) {
            std::fprintf(stderr, "Der Editor fehlt.\n");
            std::exit(1);
        }
        vorher(*blatt);
        warte(50);
        // A question the sheet asked is shown over the sheet.
        if (auto* frage = blatt->findChild<QMessageBox*>(); frage != nullptr && frage->isVisible()) {
            sichereMitBlatt(app->fenster(), *blatt, frage, name);
            frage->reject();
        } else {
            sichereMitDialog(app->fenster(), *blatt, name);
        }
        blatt->reject();
        delete blatt; // at once, so that the next sheet is the only one
    };
    editor(Assetklasse::aktie, QStringLiteral("editor-aktie"), [](QDialog&) {});
    editor(Assetklasse::waehrung, QStringLiteral("editor-waehrung"), [](QDialog&) {});
    editor(Assetklasse::aktie, QStringLiteral("editor-entfernen"), [](QDialog& blatt) {
        blatt.findChild<QPushButton*>(QStringLiteral("entfernen"))->click();
    });
    editor(Assetklasse::aktie, QStringLiteral("editor-kennung-aendern"), [](QDialog& blatt) {
        if (auto* kennung = blatt.findChild<QLineEdit*>(QStringLiteral("kennung"))) {
            kennung->selectAll();
            QTest::keyClicks(kennung, QStringLiteral("DE0007236101"));
        }
        blatt.findChild<QPushButton*>(QStringLiteral("speichern"))->click();
    });
    editor(Assetklasse::aktie, QStringLiteral("editor-ueber-budget"), [](QDialog& blatt) {
        if (auto* menge = blatt.findChild<Zahleneingabe*>(QStringLiteral("menge"))) {
            menge->feld()->selectAll();
            QTest::keyClicks(menge->feld(), QStringLiteral("90"));
        }
    });

    // The currency position's editor with the ECB's rate fetched for the entry date: the
    // standard sources, but the rate from the tour (the list gives its sheets the standard ones).
    {
        static const Kursdienst standard = Kursdienst::standard();
        const auto fremd = [](const auto& quelle) {
            return std::shared_ptr<std::remove_reference_t<decltype(quelle)>>(std::shared_ptr<void>(), &quelle);
        };
        const Kursdienst dienst(fremd(standard.wertpapiere()), fremd(standard.waehrungen()),
                                std::make_shared<const TourEzb>());
        Modellbeobachter beobachter(app->container()->kontext());
        auto* blatt = new PositionBearbeitenDialog(Assetklasse::waehrung, fenster->portfolio(), beobachter, dienst,
                                                   fenster);
        blatt->open();
        warte(300);
        sichereMitDialog(app->fenster(), *blatt, QStringLiteral("editor-waehrung-ezb"));
        blatt->reject();
        delete blatt;
    }

    // The export: the save dialog, then a write that fails.
    fenster->findChild<QToolButton*>(QStringLiteral("tabelleExportieren"))->click();
    warte(300);
    auto* dialog = fenster->findChild<QFileDialog*>(QStringLiteral("exportDialog"));
    if (dialog == nullptr) {
        std::fprintf(stderr, "Der Speichern-Dialog fehlt.\n");
        std::exit(1);
    }
    sichereMitDialog(app->fenster(), *dialog, QStringLiteral("export-dialog"));
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
        ->setText(QStringLiteral("/proc/quinzelbrockat-tour/Tabelle.csv"));
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save)->click();
    warte(100);
    if (auto* meldung = fenster->findChild<QMessageBox*>(QStringLiteral("exportFehler"))) {
        sichereMitDialog(app->fenster(), *meldung, QStringLiteral("export-fehler"));
        meldung->close();
    }
}

// The reference-date list: a chosen row with and without the keyboard's focus, and the row a
// right click opened the menu of, marked while the menu is open.
void tourDurchDieStichtagsliste() {
    auto app = zeige(spielImSpeicher("Gruppe 7 – Nordlicht", 8));
    warte(50);
    Portfoliofenster* fenster = hauptfenster(*app);
    fenster->waehle(Bereich::stichtage);
    warte(300);
    auto* liste = fenster->findChild<QListWidget*>(QStringLiteral("stichtagsliste"));
    if (liste == nullptr || liste->count() < 4) {
        std::fprintf(stderr, "Die Liste der Stichtage fehlt.\n");
        std::exit(1);
    }
    QWidget& hauptfenster = app->fenster();
    QApplication::setActiveWindow(&hauptfenster);
    const auto zeile = [&](int nummer) {
        return liste->viewport()->mapTo(&hauptfenster, liste->visualItemRect(liste->item(nummer)).center());
    };
    QTest::mouseClick(hauptfenster.windowHandle(), Qt::LeftButton, {}, zeile(1));
    warte(50);
    liste->setFocus(Qt::TabFocusReason);
    warte(50);
    sichere(hauptfenster, QStringLiteral("stichtage-liste-fokus"));
    fenster->findChild<QWidget*>(QStringLiteral("datumswahl"))->setFocus(Qt::TabFocusReason);
    warte(50);
    sichere(hauptfenster, QStringLiteral("stichtage-liste-ohne-fokus"));
    QTest::mouseClick(hauptfenster.windowHandle(), Qt::RightButton, {}, zeile(3));
    warte(100);
    if (auto* menue = fenster->findChild<QMenu*>(QStringLiteral("zeilenmenue"))) {
        QPixmap bild = hauptfenster.grab();
        QPainter maler(&bild);
        maler.drawPixmap(hauptfenster.mapFromGlobal(menue->pos()), menue->grab());
        maler.end();
        sichere(bild, QStringLiteral("stichtage-zeilenmenue"));
        menue->close();
    }
    warte(50);
}

// A local port for the price sources: `haeltOffen` false gives one that refuses every
// connection (the comparisons fail at once), true one that accepts and never answers (they stay
// on their way). The socket is left open for the rest of the tour.
int stillerPort(bool haeltOffen) {
    const int sockel = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in adresse{};
    adresse.sin_family = AF_INET;
    adresse.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t laenge = sizeof adresse;
    if (sockel < 0 || ::bind(sockel, reinterpret_cast<sockaddr*>(&adresse), laenge) != 0 ||
        ::getsockname(sockel, reinterpret_cast<sockaddr*>(&adresse), &laenge) != 0) {
        std::fprintf(stderr, "Kein lokaler Port für die Kursquellen.\n");
        std::exit(1);
    }
    if (haeltOffen) {
        ::listen(sockel, 16);
    } else {
        ::close(sockel);
    }
    return ntohs(adresse.sin_port);
}

// The reference dates: the capture sheet with typed prices, while the comparisons are on their
// way (`unterwegs`, then also the question before saving) or after they failed, and the
// correction of one price from the detail.
void tourDurchDieStichtage(bool unterwegs) {
    const QByteArray adresse = "https://127.0.0.1:" + QByteArray::number(stillerPort(unterwegs));
    ::setenv("QB_BOERSE_URL", adresse.constData(), 1);
    ::setenv("QB_EZB_URL", adresse.constData(), 1);
    auto app = zeige(spielImSpeicher("Gruppe 7 – Nordlicht", 8));
    ::unsetenv("QB_BOERSE_URL");
    ::unsetenv("QB_EZB_URL");
    warte(50);
    Portfoliofenster* fenster = hauptfenster(*app);
    auto* ansicht = fenster != nullptr ? fenster->findChild<StichtageAnsicht*>() : nullptr;
    if (ansicht == nullptr) {
        std::fprintf(stderr, "Der Reiter Stichtage fehlt.\n");
        std::exit(1);
    }
    fenster->waehle(Bereich::stichtage);
    warte(300);
    ansicht->findChild<QPushButton*>(QStringLiteral("stichtagAnlegen"))->click();
    warte(50);
    StichtagErfassenDialog* blatt = ansicht->erfassung();
    if (blatt == nullptr) {
        std::fprintf(stderr, "Das Erfassungsblatt fehlt.\n");
        std::exit(1);
    }
    const char* const preise[] = {"187,42", "98,715", "1,0843", "", "71,8"};
    int i = 0;
    for (auto* zeile : blatt->findChildren<StichtagskursFelder*>()) {
        const char* preis = preise[i++ % 5];
        // The price, and the rate where the row asks for one too.
        for (auto* feld : zeile->findChildren<Zahleneingabe*>()) {
            if (feld->isVisible() && *preis != '\0' && feld->feld()->text().isEmpty()) {
                QTest::keyClicks(feld->feld(), QString::fromUtf8(preis));
                preis = "1,0843";
            }
        }
    }
    warte(unterwegs ? 100 : 1500);
    sichereMitBlatt(app->fenster(), *blatt, nullptr,
                    unterwegs ? QStringLiteral("stichtag-erfassen-unterwegs") : QStringLiteral("stichtag-erfassen"));
    if (unterwegs) {
        blatt->findChild<QPushButton*>(QStringLiteral("speichern"))->click();
        warte(50);
        if (auto* frage = blatt->findChild<QMessageBox*>(QStringLiteral("rueckfrage"))) {
            sichereMitBlatt(app->fenster(), *blatt, frage, QStringLiteral("stichtag-rueckfrage"));
            frage->reject();
        }
    }
    blatt->done(QDialog::Rejected);
    warte(50);

    auto* detail = ansicht->detail();
    auto* zeile = detail != nullptr ? detail->findChild<QPushButton*>(QStringLiteral("zeile-Aktie")) : nullptr;
    if (zeile == nullptr) {
        std::fprintf(stderr, "Die Zeile der Aktie fehlt.\n");
        std::exit(1);
    }
    zeile->click();
    warte(unterwegs ? 100 : 1500);
    if (PreisKorrigierenDialog* korrektur = detail->korrektur()) {
        korrektur->resize(korrektur->sizeHint().expandedTo(korrektur->minimumSize()));
        sichereMitBlatt(app->fenster(), *korrektur, nullptr,
                        unterwegs ? QStringLiteral("preis-korrigieren-unterwegs") : QStringLiteral("preis-korrigieren"));
        korrektur->done(QDialog::Rejected);
    }
    warte(50);
}

// Answers at once: every paper at 190,12 USD, the dollar at an ECB rate of 1,0791, which is
// not the 1,0867 the sample game typed for its share.
class Korrekturquelle : public Kursquelle, public Umrechnungsquelle {
public:
    const std::string& bezeichnung() const override { return name_; }
    std::string_view kennungshinweis() const override { return {}; }
    Kennungsurteil pruefe(std::string_view kennung) const override {
        return kennung.empty() ? Kennungsurteil::nichtErkannt : Kennungsurteil::verwendbar;
    }
    Kursnotierung aktuellerKurs(std::string_view, std::stop_token) const override { return notierung(jetzt()); }
    Kursnotierung kurs(std::string_view, Zeitpunkt am, std::stop_token) const override { return notierung(am); }
    Kursreihe kursreihe(std::string_view, Zeitpunkt, Zeitpunkt, std::stop_token) const override {
        throw Kursfehler::ohneAbruf();
    }
    Dezimal umrechnungskurs(std::string_view, std::optional<Zeitpunkt>, std::stop_token) const override {
        return Dezimal::aus("1.0791");
    }
    std::vector<Kurspunkt> umrechnungsreihe(std::string_view, Zeitpunkt von, Zeitpunkt, std::stop_token) const override {
        return {Kurspunkt{von, Dezimal::aus("1.0791"), std::nullopt}};
    }

private:
    Kursnotierung notierung(Zeitpunkt am) const {
        Kursnotierung n;
        n.kurs = Dezimal::aus("190.12");
        n.waehrung = "USD";
        n.art = Kursart::tagesschluss;
        n.kursdatum = am;
        n.abgerufenAm = jetzt();
        n.quelle = "Börse Frankfurt (XFRA)";
        return n;
    }
    std::string name_ = "Börse Frankfurt";
};

// The correction of the share's price in US dollars, once its ECB rate has arrived and differs
// from the typed one: the rate line offers "Übernehmen".
void tourDurchDieKorrekturMitEzbKurs() {
    auto app = zeige(spielImSpeicher("Gruppe 7 – Nordlicht", 8));
    warte(50);
    Portfoliofenster* fenster = hauptfenster(*app);
    fenster->waehle(Bereich::stichtage);
    warte(300);
    auto portfolio = app->container()->kontext().portfolios().front();
    auto quelle = std::make_shared<const Korrekturquelle>();
    auto* korrektur = new PreisKorrigierenDialog(portfolio, Stichtagsliste::neuesteZuerst(*portfolio).front(),
                                           Assetklasse::aktie, app->container()->kontext(),
                                           Kursdienst(quelle, quelle, quelle), &app->fenster());
    korrektur->open();
    const bool angekommen = QTest::qWaitFor(
        [&] {
            auto* text = korrektur->findChild<QLabel*>(QStringLiteral("ezbText"));
            return text != nullptr && text->isVisible() && text->text().startsWith(QStringLiteral("EZB-Referenzkurs"));
        },
        5000);
    if (!angekommen) {
        std::fprintf(stderr, "Der EZB-Kurs kam nicht an.\n");
        std::exit(1);
    }
    warte(50);
    sichereMitBlatt(app->fenster(), *korrektur, nullptr, QStringLiteral("preis-korrigieren-ezb-kurs"));
    korrektur->done(QDialog::Rejected);
    warte(50);
}

void tourDurchDieZustaende() {
    // The start animation, in its ring and in its dot phase.
    {
        auto app = zeige(spielImSpeicher("Gruppe 7 – Nordlicht", 8), true);
        warte(550);
        sichere(app->fenster(), QStringLiteral("start-ring"));
        warte(1200);
        sichere(app->fenster(), QStringLiteral("start-punkt"));
    }
    // The very first start: the waiting view, then the window of the new portfolio.
    {
        auto app = zeige(std::make_unique<Modellcontainer>(Ablage::imArbeitsspeicher()));
        sichere(app->fenster(), QStringLiteral("erster-start-vorbereitung"));
        warte(50);
        sichere(app->fenster(), QStringLiteral("erster-start-ohne-name"));
    }
    // A long group name is cut off at the end.
    {
        auto app =
            zeige(spielImSpeicher("Gruppe der Studierenden mit dem ausgesprochen langen Namen, der nicht "
                                  "in die Kopfzeile passt",
                                  2));
        warte(50);
        sichere(app->fenster(), QStringLiteral("langer-name"));
    }
    const std::filesystem::path& ordner = arbeitsordner;
    // A creation whose save fails.
    {
        auto ablage = Ablage::oeffne(ordner / (schema.toStdString() + ".sqlite"));
        sqlite3_exec(
            static_cast<sqlite3*>(ablage->verbindung()),
            "CREATE TRIGGER sperre BEFORE INSERT ON Portfolio BEGIN SELECT RAISE(ABORT, 'database is "
            "locked'); END",
            nullptr, nullptr, nullptr);
        auto app = zeige(std::make_unique<Modellcontainer>(std::move(ablage)));
        warte(50);
        sichere(app->fenster(), QStringLiteral("anlagefehler"));
    }
    // A store file that is no database.
    {
        const auto datei = ordner / "kaputt" / "Spielstand.sqlite";
        std::filesystem::create_directories(datei.parent_path());
        std::ofstream(datei) << "kein SQLite";
        QuinzelbrockatApp::Speicher speicher;
        try {
            speicher = Datenschema::oeffneSpeicher(datei, jetzt());
        } catch (const Speicherfehler& fehler) {
            speicher = QuinzelbrockatApp::Speicherfehlerangabe{fehler.what(),
                                                               Datenschema::sicherungsordner(datei).string()};
        }
        auto app = zeige(std::move(speicher));
        warte(30);
        sichere(app->fenster(), QStringLiteral("speicherfehler"));
    }
}

// Every role set, as a desktop's dark colour scheme sets them; the tour hands it to the
// application before it builds a window, the way the desktop's palette reaches the program.
QPalette dunklePalette() {
    QPalette p;
    const QColor fenster(45, 45, 48), grund(30, 30, 32), knopf(58, 58, 62), text(236, 236, 236);
    const QColor grau(128, 128, 128);
    p.setColor(QPalette::Window, fenster);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, grund);
    p.setColor(QPalette::AlternateBase, fenster);
    p.setColor(QPalette::ToolTipBase, knopf);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, grau);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, knopf);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, QColor(255, 90, 90));
    p.setColor(QPalette::Light, QColor(80, 80, 84));
    p.setColor(QPalette::Midlight, QColor(68, 68, 72));
    p.setColor(QPalette::Mid, QColor(40, 40, 42));
    p.setColor(QPalette::Dark, QColor(24, 24, 26));
    p.setColor(QPalette::Shadow, Qt::black);
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(90, 160, 255));
    p.setColor(QPalette::LinkVisited, QColor(180, 140, 255));
    for (auto rolle : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        p.setColor(QPalette::Disabled, rolle, grau);
    }
    return p;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr,
                     "Aufruf: quinzelbrockat_tour ORDNER\n"
                     "Schreibt Bilder aller Reiter und Zustände des Fensters, hell und dunkel, als PNG "
                     "in den Ordner.\n");
        return 2;
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    arbeitsordner = std::filesystem::temp_directory_path() / ("qb-tour-" + std::to_string(::getpid()));
    std::filesystem::create_directories(arbeitsordner);
    ::setenv("XDG_CONFIG_HOME", (arbeitsordner / "einstellungen").c_str(), 1);
    Protokoll::setzeSenke([](Protokoll::Stufe, const std::string&, const std::string&) {});
    QApplication anwendung(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QuinzelbrockatApp::ladeQtUebersetzung(anwendung);
    ziel = QDir(QString::fromLocal8Bit(argv[1]));
    if (!ziel.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "Kann den Ordner %s nicht anlegen.\n", argv[1]);
        return 1;
    }

    const std::pair<QString, QPalette> schemata[] = {
        {QStringLiteral("hell"), QApplication::style()->standardPalette()},
        {QStringLiteral("dunkel"), dunklePalette()},
    };
    for (const auto& [name, palette] : schemata) {
        schema = name;
        QApplication::setPalette(palette);
        tourDurchDasSpiel();
        tourDurchDieStichtagsliste();
        tourDurchDieStichtage(false);
        tourDurchDieStichtage(true);
        tourDurchDieKorrekturMitEzbKurs();
        tourDurchDieEntwicklung([](QWidget& widget, const QString& bild) { sichere(widget, bild); });
        tourDurchDieZustaende();
    }
    std::error_code egal;
    std::filesystem::remove_all(arbeitsordner, egal);
    return 0;
}
