#include "performance/EntwicklungAnsicht.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "ui/Einzeiler.h"
#include "ui/Leeransicht.h"
#include "ui/Modellbeobachter.h"
#include "ui/Schriftstil.h"
#include "ui/Textbruecke.h"
#include "ui/Vordergrund.h"
#include "model/Portfolio.h"
#include "performance/Entwicklungsinhalt.h"
#include "performance/Segmentwahl.h"
#include "performance/WertentwicklungAnsicht.h"
#include "performance/Wertverlauf.h"
#include "sources/Kursdienst.h"

namespace qb {

namespace {

// A picker with one segment per value, named by the prefix and the value's raw value.
template <typename Wert, std::size_t n>
Segmentwahl* segmente(QWidget* eltern, const std::array<Wert, n>& werte, const QString& praefix) {
    auto* wahl = new Segmentwahl(eltern);
    for (Wert wert : werte) {
        wahl->fuegeHinzu(EntwicklungAnsicht::tr(bezeichnung(wert)), praefix + qtText(rohwert(wert)),
                         static_cast<int>(wert));
    }
    return wahl;
}

// A small busy indicator: a bar without range that Qt animates.
QProgressBar* beschaeftigt(QWidget* eltern, int breite) {
    auto* balken = new QProgressBar(eltern);
    balken->setRange(0, 0);
    balken->setTextVisible(false);
    balken->setFixedWidth(breite);
    return balken;
}

} // namespace

EntwicklungAnsicht::EntwicklungAnsicht(std::shared_ptr<Portfolio> portfolio, Modellbeobachter& beobachter,
                                       Dienstquelle dienste, QWidget* eltern)
    : QWidget(eltern), portfolio_(std::move(portfolio)), dienste_(std::move(dienste)) {
    setObjectName(QStringLiteral("entwicklungAnsicht"));
    if (!dienste_) {
        dienste_ = [] { return Kursdienst::standard(); };
    }
    auto* spalte = new QVBoxLayout(this);
    spalte->setContentsMargins(0, 0, 0, 0);
    spalte->setSpacing(0);
    spalte->addWidget(baueKopf());
    auto* linie = new QFrame(this);
    linie->setFrameShape(QFrame::HLine);
    linie->setFrameShadow(QFrame::Sunken);
    spalte->addWidget(linie);

    inhalt_ = new QStackedWidget(this);
    inhalt_->setObjectName(QStringLiteral("inhalt"));
    leer_ = new Leeransicht(QStringLiteral("chart.line.uptrend.xyaxis"), {}, {}, inhalt_);
    leer_->setObjectName(QStringLiteral("leer"));
    connect(leer_->aktion(), &QPushButton::clicked, this, &EntwicklungAnsicht::erneutLaden);
    inhalt_->addWidget(leer_);
    laden_ = baueLaden();
    inhalt_->addWidget(laden_);
    spalte->addWidget(inhalt_, 1);

    connect(&beobachter, &Modellbeobachter::geaendert, this, [this] {
        lade();
        zeige();
    });
    lade();
    zeige();
}

EntwicklungAnsicht::~EntwicklungAnsicht() = default;

QWidget* EntwicklungAnsicht::baueKopf() {
    auto* kopf = new QWidget(this);
    kopf->setObjectName(QStringLiteral("kopf"));
    auto* reihe = new QHBoxLayout(kopf);
    reihe->setContentsMargins(20, 10, 20, 10);
    reihe->setSpacing(16);

    auto* sichtfeld = segmente(kopf, alleSichten, QStringLiteral("sicht-"));
    sichtfeld->setObjectName(QStringLiteral("darstellung"));
    sichtfeld->setAccessibleName(tr("Darstellung"));
    sichtwahl_ = sichtfeld->gruppe();
    connect(sichtwahl_, &QButtonGroup::idClicked, this, [this](int id) { waehleSicht(static_cast<Sicht>(id)); });
    // The pickers keep their width while the row has room; the trailing stretch takes what is
    // left, so the loading line coming and going moves nothing.
    reihe->addWidget(sichtfeld);

    zeitraumfeld_ = segmente(kopf, alleZeitraeume, QStringLiteral("zeitraum-"));
    zeitraumfeld_->setObjectName(QStringLiteral("zeitraum"));
    zeitraumfeld_->setAccessibleName(tr("Zeitraum"));
    zeitraumwahl_ = zeitraumfeld_->gruppe();
    connect(zeitraumwahl_, &QButtonGroup::idClicked, this,
            [this](int id) { waehleZeitraum(static_cast<Zeitraum>(id)); });
    reihe->addWidget(zeitraumfeld_);

    ladehinweis_ = new QWidget(kopf);
    ladehinweis_->setObjectName(QStringLiteral("kurseWerdenGeholt"));
    auto* hinweisreihe = new QHBoxLayout(ladehinweis_);
    hinweisreihe->setContentsMargins(0, 0, 0, 0);
    hinweisreihe->setSpacing(6);
    auto* balken = beschaeftigt(ladehinweis_, 40);
    balken->setFixedHeight(8);
    hinweisreihe->addWidget(balken);
    // In a narrow window the line makes do with less and is cut off, never the pickers.
    auto* hinweis = new Einzeiler(ladehinweis_);
    hinweis->setzeText(tr("Kurse werden geholt"));
    hinweis->setFont(Schriftstil::beschriftung(hinweis->font()));
    Vordergrund::setze(hinweis, Vordergrund::sekundaer());
    hinweisreihe->addWidget(hinweis);
    reihe->addWidget(ladehinweis_);
    reihe->addStretch(1);
    return kopf;
}

QWidget* EntwicklungAnsicht::baueLaden() {
    auto* seite = new QWidget(inhalt_);
    seite->setObjectName(QStringLiteral("tageskurseWerdenGeholt"));
    auto* spalte = new QVBoxLayout(seite);
    spalte->setSpacing(10);
    spalte->addStretch(1);
    auto* balken = beschaeftigt(seite, 160);
    balken->setAccessibleName(tr("Tageskurse werden geholt"));
    spalte->addWidget(balken, 0, Qt::AlignHCenter);
    auto* text = new QLabel(tr("Tageskurse werden geholt"), seite);
    Vordergrund::setze(text, Vordergrund::sekundaer());
    spalte->addWidget(text, 0, Qt::AlignHCenter);
    spalte->addStretch(1);
    return seite;
}

void EntwicklungAnsicht::changeEvent(QEvent* ereignis) {
    QWidget::changeEvent(ereignis);
    if (ereignis->type() == QEvent::EnabledChange && isEnabled()) {
        lade();
        zeige();
    }
}

bool EntwicklungAnsicht::event(QEvent* ereignis) {
    // The user coming back to the window, perhaps the next morning: a window that ends today
    // is fetched anew on a new day, and nothing happens on the same one.
    if (ereignis->type() == QEvent::WindowActivate && isEnabled() && lade()) {
        zeige();
    }
    return QWidget::event(ereignis);
}

void EntwicklungAnsicht::waehleSicht(Sicht sicht) {
    sicht_ = sicht;
    lade();
    zeige();
}

void EntwicklungAnsicht::waehleZeitraum(Zeitraum zeitraum) {
    zeitraum_ = zeitraum;
    lade();
    zeige();
}

void EntwicklungAnsicht::erneutLaden() {
    ladung_.erneut();
    lade();
    zeige();
}

bool EntwicklungAnsicht::lade() {
    const Zeitpunkt jetztZeit = jetzt();
    Abrufschluessel schluessel(*portfolio_, sicht_, zeitraum_, Kalender::aktuell().tagesbeginn(jetztZeit),
                               ladung_.ladeversuch());
    if (schluessel_ && *schluessel_ == schluessel) {
        return false;
    }
    schluessel_ = schluessel;
    // Whatever runs belongs to the old key; its result is dropped.
    aufgabe_.stoppe();
    const std::optional<Wertverlauf::Fenster> fenster = ladung_.beginne(sicht_, zeitraum_, *portfolio_, jetztZeit);
    if (!fenster) {
        return true;
    }
    // Read on this thread, fetched on the worker pool with copies, valued back here.
    auto auftrag = std::make_shared<const Wertverlauf::Auftrag>(Wertverlauf::auftrag(*portfolio_, fenster->von, fenster->bis));
    const Kursdienst dienst = dienste_();
    aufgabe_.starte(
        [auftrag, dienst](std::stop_token stop) { return Wertverlauf::hole(*auftrag, dienst, stop); },
        [this, auftrag, fenster = *fenster](const Wertverlauf::Abruf& abruf) {
            ladung_.schliesseAb(Wertverlauf::werte(*portfolio_, *auftrag, abruf), fenster);
            zeige();
        },
        [auftrag, dienst](const std::string& meldung) {
            return Wertverlauf::Abruf::gescheitert(*auftrag, dienst, meldung);
        });
    return true;
}

void EntwicklungAnsicht::zeige() {
    sichtwahl_->button(static_cast<int>(sicht_))->setChecked(true);
    zeitraumwahl_->button(static_cast<int>(zeitraum_))->setChecked(true);
    zeitraumfeld_->setVisible(sicht_ == Sicht::tagesverlauf);
    ladehinweis_->setVisible(ladung_.laedt());

    const Entwicklungsinhalt inhalt = Entwicklungsinhalt::fuer(*portfolio_, sicht_, ladung_);
    if (const auto* leer = std::get_if<Entwicklungsinhalt::Leer>(&inhalt.inhalt)) {
        leer_->setze(qtText(leer->symbol), qtText(leer->titel), qtText(leer->text));
        leer_->setzeAktion(leer->erneutLaden ? tr("Erneut laden") : QString(), tr("Tagesverlauf erneut laden"));
        inhalt_->setCurrentWidget(leer_);
    } else if (std::holds_alternative<Entwicklungsinhalt::Laden>(inhalt.inhalt)) {
        inhalt_->setCurrentWidget(laden_);
    } else {
        const auto& daten = std::get<Wertentwicklung>(inhalt.inhalt);
        if (diagramm_ == nullptr) {
            diagramm_ = new WertentwicklungAnsicht(daten, inhalt_);
            inhalt_->addWidget(diagramm_);
        } else {
            diagramm_->zeige(daten);
        }
        inhalt_->setCurrentWidget(diagramm_);
    }
}

} // namespace qb
