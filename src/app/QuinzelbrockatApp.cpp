#include "app/QuinzelbrockatApp.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QScrollArea>
#include <QTimer>
#include <QTranslator>
#include <QVBoxLayout>
#include <QWidget>

#include "app/Erstesbild.h"
#include "ui/Fenstergroesse.h"
#include "app/PortfolioAnsicht.h"
#include "app/Signalwache.h"
#include "app/Speicherfehleransicht.h"
#include "app/Startueberlagerung.h"
#include "ui/Dialoge.h"
#include "ui/Textbruecke.h"
#include "model/Datenschema.h"
#include "model/Modellcontainer.h"
#include "model/Speicherfehler.h"

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

// Carries the window's content inside the scroll area at exactly its own size. It has no layout,
// so the scroll area learns from it nothing but the content's declared smallest size: asked
// directly, the content's layout would make its pages' preferred heights a minimum and scroll
// a window of the usual size. It follows that size when it changes (a larger font, a tab page
// built later) and tells `geaendert`.
class Inhaltstraeger : public QWidget {
public:
    using QWidget::QWidget;

    // `inhalt` is a child of this.
    void trage(QWidget* inhalt, std::function<void()> geaendert) {
        inhalt_ = inhalt;
        geaendert_ = std::move(geaendert);
        setMinimumSize(inhalt->minimumSize());
    }

protected:
    bool event(QEvent* ereignis) override {
        if (ereignis->type() == QEvent::LayoutRequest && inhalt_ != nullptr &&
            minimumSize() != inhalt_->minimumSize()) {
            setMinimumSize(inhalt_->minimumSize());
            if (geaendert_) {
                geaendert_();
            }
        }
        return QWidget::event(ereignis);
    }
    void resizeEvent(QResizeEvent*) override {
        if (inhalt_ != nullptr) {
            inhalt_->setGeometry(rect());
        }
    }

private:
    QWidget* inhalt_ = nullptr;
    std::function<void()> geaendert_;
};

} // namespace

QuinzelbrockatApp::Speicher QuinzelbrockatApp::oeffneSpeicher() {
    try {
        if (Datenschema::istTestlauf()) {
            return Datenschema::testSpeicher();
        }
        return Datenschema::oeffneSpeicher();
    } catch (const Speicherfehler& fehler) {
        return Speicherfehlerangabe{fehler.what(), sicherungsordnerText(), fehler.domaene(), fehler.code()};
    } catch (const std::exception& fehler) {
        return Speicherfehlerangabe{fehler.what(), sicherungsordnerText()};
    }
}

QuinzelbrockatApp::QuinzelbrockatApp(Speicher speicher)
    : speicher_(std::move(speicher)), fenster_(new QWidget) {
    fenster_->setObjectName(QStringLiteral("hauptfenster"));
    fenster_->setWindowTitle(QStringLiteral("Quinzelbrockat"));
    auto* spalte = new QVBoxLayout(fenster_.get());
    spalte->setContentsMargins(0, 0, 0, 0);
    // On a screen too small for the content's smallest size the content scrolls, so that the
    // window still fits the screen.
    rahmen_ = new QScrollArea(fenster_.get());
    rahmen_->setObjectName(QStringLiteral("inhalt"));
    rahmen_->setFrameShape(QFrame::NoFrame);
    rahmen_->setFocusPolicy(Qt::NoFocus);
    rahmen_->setWidgetResizable(true);
    auto* traeger = new Inhaltstraeger(rahmen_->viewport());
    const auto folgeInhalt = [this] { fenster_->setMinimumSize(groesse().minimum); };
    // The branch is chosen once: after the cause of a storage error is removed, the user starts
    // the application again.
    if (auto* container = std::get_if<std::unique_ptr<Modellcontainer>>(&speicher_)) {
        traeger->trage(new PortfolioAnsicht((*container)->kontext(), traeger), folgeInhalt);
        if (const auto& hinweis = (*container)->hinweis()) {
            // Over the window as soon as it is up. Told again by the next start unless the user
            // closes it: a window that ends first (a kill, a logout) closes it unseen.
            QTimer::singleShot(
                0, fenster_.get(),
                [fenster = fenster_.get(), text = qtText(*hinweis), gesehen = container->get()] {
                    QMessageBox* meldung = zeigeMeldung(fenster, QObject::tr("Änderungen nicht angewandt"),
                                                        text, QStringLiteral("starthinweis"));
                    QObject::connect(meldung, &QDialog::finished, fenster,
                                     [gesehen] { gesehen->hinweisGesehen(); });
                });
        }
    } else {
        const auto& fehler = std::get<Speicherfehlerangabe>(speicher_);
        traeger->trage(
            new Speicherfehleransicht(qtText(fehler.beschreibung), qtText(fehler.sicherungsordner),
                                      Speicherfehleransicht::art(fehler.domaene, fehler.code), traeger),
            folgeInhalt);
    }
    rahmen_->setWidget(traeger);
    spalte->addWidget(rahmen_);
    passeAn(Fenstergroesse::verfuegbar(*fenster_));
    Startueberlagerung::lege(fenster_.get());
}

Fenstergroesse QuinzelbrockatApp::groesse() const {
    return Fenstergroesse::fuer(verfuegbar_, QSize(920, 560), rahmen_->widget()->minimumSize());
}

void QuinzelbrockatApp::passeAn(QSize verfuegbar) {
    verfuegbar_ = verfuegbar;
    const Fenstergroesse groesse = this->groesse();
    fenster_->setMinimumSize(groesse.minimum);
    fenster_->resize(groesse.anfang);
    // The scroll area learns its new size only once the window is shown, and hides the scroll
    // bars of its old one only an event later: the first frame would show them. Laid out now,
    // it knows before.
    fenster_->layout()->activate();
    rahmen_->setWidgetResizable(true);
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
    // Before the store opens: a logout, a shutdown or a kill closes it as the window's close does.
    Signalwache wache;

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
    wache.bewache(&app.fenster());
    app.fenster().show();
    return QApplication::exec();
}

} // namespace qb
