#include "app/QuinzelbrockatApp.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>
#include <QVBoxLayout>
#include <QWidget>

#include "app/Erstesbild.h"
#include "app/PortfolioAnsicht.h"
#include "app/Speicherfehleransicht.h"
#include "app/Startueberlagerung.h"
#include "app/Textbruecke.h"
#include "model/Datenschema.h"
#include "model/Modellcontainer.h"

namespace qb {

namespace {

std::string sicherungsordnerText() {
    try {
        return Datenschema::sicherungsordner().string();
    } catch (const std::exception&) {
        // No home folder known: there is no folder to name either.
        return {};
    }
}

QtMessageHandler qtsAusgabe = nullptr;

// While Qt starts its platform: a display that is named but does not answer makes Qt end the
// process with abort(); say instead in German what is missing and end normally.
void startausgabe(QtMsgType art, const QMessageLogContext& kontext, const QString& text) {
    if (art != QtFatalMsg) {
        qtsAusgabe(art, kontext, text);
        return;
    }
    std::fprintf(stderr,
                 "Quinzelbrockat kann sein Fenster nicht öffnen: Die grafische Oberfläche lässt sich "
                 "nicht ansprechen.\n(Qt: %s)\n",
                 text.toLocal8Bit().constData());
    std::fflush(stderr);
    std::_Exit(1);
}

} // namespace

QuinzelbrockatApp::Speicher QuinzelbrockatApp::oeffneSpeicher() {
    try {
        if (Datenschema::istTestlauf()) {
            return Datenschema::testSpeicher();
        }
        return Datenschema::oeffneSpeicher();
    } catch (const std::exception& fehler) {
        return Speicherfehlerangabe{fehler.what(), sicherungsordnerText()};
    }
}

QuinzelbrockatApp::QuinzelbrockatApp(Speicher speicher)
    : speicher_(std::move(speicher)), fenster_(new QWidget) {
    fenster_->setObjectName(QStringLiteral("hauptfenster"));
    fenster_->setWindowTitle(QStringLiteral("Quinzelbrockat"));
    fenster_->resize(920, 560);
    auto* spalte = new QVBoxLayout(fenster_.get());
    spalte->setContentsMargins(0, 0, 0, 0);
    // The branch is chosen once: after the cause of a storage error is removed, the user starts
    // the application again.
    if (auto* container = std::get_if<std::unique_ptr<Modellcontainer>>(&speicher_)) {
        spalte->addWidget(new PortfolioAnsicht((*container)->kontext(), fenster_.get()));
    } else {
        const auto& fehler = std::get<Speicherfehlerangabe>(speicher_);
        spalte->addWidget(new Speicherfehleransicht(qtText(fehler.beschreibung),
                                                    qtText(fehler.sicherungsordner), fenster_.get()));
    }
    Startueberlagerung::lege(fenster_.get());
}

// The window goes first: its views still refer to the store.
QuinzelbrockatApp::~QuinzelbrockatApp() {
    fenster_.reset();
}

Modellcontainer* QuinzelbrockatApp::container() const {
    if (const auto* container = std::get_if<std::unique_ptr<Modellcontainer>>(&speicher_)) {
        return container->get();
    }
    return nullptr;
}

std::optional<std::string>
QuinzelbrockatApp::fehlendeAnzeige(int argc, char** argv,
                                   const std::function<const char*(const char*)>& umgebung) {
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* wert = umgebung(name);
        if (wert != nullptr && *wert != '\0') {
            return std::nullopt;
        }
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0) {
            return std::nullopt;
        }
    }
    return "Quinzelbrockat braucht eine grafische Oberfläche, findet aber keine: Weder DISPLAY noch "
           "WAYLAND_DISPLAY ist gesetzt. Bitte in einer Desktop-Sitzung starten oder ohne Bildschirm "
           "mit „xvfb-run -a“ davor.";
}

bool QuinzelbrockatApp::ladeQtUebersetzung(QCoreApplication& anwendung) {
    auto* uebersetzung = new QTranslator(&anwendung);
    if (!uebersetzung->load(QStringLiteral("qtbase_de"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete uebersetzung;
        return false;
    }
    return QCoreApplication::installTranslator(uebersetzung);
}

int QuinzelbrockatApp::ausfuehren(int argc, char** argv) {
    if (auto meldung = fehlendeAnzeige(argc, argv, [](const char* name) { return std::getenv(name); })) {
        std::fprintf(stderr, "%s\n", meldung->c_str());
        return 1;
    }
    qtsAusgabe = qInstallMessageHandler(startausgabe);
    QApplication anwendung(argc, argv);
    qInstallMessageHandler(qtsAusgabe);

    QApplication::setApplicationName(QStringLiteral("Quinzelbrockat"));
    QApplication::setApplicationVersion(QStringLiteral(QB_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("de.quinzelbrockat.app"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/anwendung/de.quinzelbrockat.app.svg")));
    ladeQtUebersetzung(anwendung);

    QuinzelbrockatApp app(oeffneSpeicher());
    // The start benchmark's switch; see the README.
    if (std::getenv("QB_STARTMESSUNG") != nullptr) {
        meldeErstesBild(app.fenster(), [&app]() -> std::string {
            const auto* ansicht = app.fenster().findChild<PortfolioAnsicht*>();
            if (ansicht == nullptr) {
                return "speicherfehler";
            }
            return ansicht->portfoliofenster() != nullptr ? "hauptfenster" : "ohne-portfolio";
        });
    }
    app.fenster().show();
    return QApplication::exec();
}

} // namespace qb
