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

#include "app/Leeransicht.h"
#include "app/Modellbeobachter.h"
#include "app/Schriftstil.h"
#include "app/Textbruecke.h"
#include "app/Vordergrund.h"
#include "model/Portfolio.h"
#include "performance/Entwicklungsinhalt.h"
#include "performance/Wertentwicklungsansicht.h"
#include "performance/Wertverlauf.h"
#include "sources/Kursdienst.h"

namespace qb {

namespace {

// A segmented picker: checkable buttons side by side in an exclusive group, at most 240 wide.
template <typename Wert, std::size_t n>
QButtonGroup* segmente(QWidget* feld, const std::array<Wert, n>& werte, const QString& praefix) {
    feld->setMaximumWidth(240);
    auto* reihe = new QHBoxLayout(feld);
    reihe->setContentsMargins(0, 0, 0, 0);
    reihe->setSpacing(0);
    auto* gruppe = new QButtonGroup(feld);
    gruppe->setExclusive(true);
    for (Wert wert : werte) {
        auto* segment = new QPushButton(EntwicklungAnsicht::tr(bezeichnung(wert)), feld);
        segment->setObjectName(praefix + qtText(rohwert(wert)));
        segment->setCheckable(true);
        segment->setAutoDefault(false);
        segment->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        reihe->addWidget(segment);
        gruppe->addButton(segment, static_cast<int>(wert));
    }
    return gruppe;
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

    auto* sichtfeld = new QWidget(kopf);
    sichtfeld->setObjectName(QStringLiteral("darstellung"));
    sichtfeld->setAccessibleName(tr("Darstellung"));
    sichtwahl_ = segmente(sichtfeld, alleSichten, QStringLiteral("sicht-"));
    connect(sichtwahl_, &QButtonGroup::idClicked, this, [this](int id) { waehleSicht(static_cast<Sicht>(id)); });
    // The pickers share the free width with the trailing stretch, so each grows to its 240 when
    // there is room and both shrink alike when there is not.
    reihe->addWidget(sichtfeld, 1);

    zeitraumfeld_ = new QWidget(kopf);
    zeitraumfeld_->setObjectName(QStringLiteral("zeitraum"));
    zeitraumfeld_->setAccessibleName(tr("Zeitraum"));
    zeitraumwahl_ = segmente(zeitraumfeld_, alleZeitraeume, QStringLiteral("zeitraum-"));
    connect(zeitraumwahl_, &QButtonGroup::idClicked, this,
            [this](int id) { waehleZeitraum(static_cast<Zeitraum>(id)); });
    reihe->addWidget(zeitraumfeld_, 1);

    ladehinweis_ = new QWidget(kopf);
    ladehinweis_->setObjectName(QStringLiteral("kurseWerdenGeholt"));
    auto* hinweisreihe = new QHBoxLayout(ladehinweis_);
    hinweisreihe->setContentsMargins(0, 0, 0, 0);
    hinweisreihe->setSpacing(6);
    auto* balken = beschaeftigt(ladehinweis_, 40);
    balken->setFixedHeight(8);
    hinweisreihe->addWidget(balken);
    auto* hinweis = new QLabel(tr("Kurse werden geholt"), ladehinweis_);
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
    aufgabe_.starte(
        [auftrag, dienst = dienste_()](std::stop_token stop) { return Wertverlauf::hole(*auftrag, dienst, stop); },
        [this, auftrag, fenster = *fenster](const Wertverlauf::Abruf& abruf) {
            ladung_.schliesseAb(Wertverlauf::werte(*portfolio_, *auftrag, abruf), fenster);
            zeige();
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
            diagramm_ = new Wertentwicklungsansicht(daten, inhalt_);
            inhalt_->addWidget(diagramm_);
        } else {
            diagramm_->zeige(daten);
        }
        inhalt_->setCurrentWidget(diagramm_);
    }
}

} // namespace qb
