#include "reference-dates/StichtagskursFelder.h"

#include <utility>

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/Hinweiszeile.h"
#include "ui/Schriftstil.h"
#include "ui/Signalfarbe.h"
#include "ui/Textbruecke.h"
#include "ui/Vordergrund.h"
#include "ui/KurseingabeFelder.h"
#include "reference-dates/Vergleichszeile.h"

namespace qb {

namespace {

QPushButton* kleinerKnopf(const QString& text, const QString& name, QWidget* eltern) {
    auto* knopf = new QPushButton(text, eltern);
    knopf->setObjectName(name);
    knopf->setAutoDefault(false);
    QFont schrift = Schriftstil::beschriftung(knopf->font());
    knopf->setFont(schrift);
    return knopf;
}

KurseingabeFelder::Angaben angabenFuer(const Stichtagsentwurf::Zeile& zeile) {
    KurseingabeFelder::Angaben angaben;
    angaben.zweck = KurseingabeFelder::Zweck::stichtag;
    angaben.klasse = zeile.klasse;
    angaben.form = zeile.form();
    angaben.notierung = zeile.notierung;
    angaben.einheit = zeile.einheit;
    angaben.mitAbruf = false;
    return angaben;
}

} // namespace

StichtagskursFelder::StichtagskursFelder(const Stichtagsentwurf& entwurf, Assetklasse klasse, Kursdienst dienst,
                                         Aenderung aendern, QWidget* eltern)
    : QWidget(eltern), klasse_(klasse), aendern_(std::move(aendern)) {
    const Stichtagsentwurf::Zeile* zeile = entwurf.zeile(klasse);
    auto* spalte = new QVBoxLayout(this);
    spalte->setContentsMargins(0, 0, 0, 0);
    spalte->setSpacing(6);

    uebernommen_ = new QWidget(this);
    auto* uebernommenReihe = new QHBoxLayout(uebernommen_);
    uebernommenReihe->setContentsMargins(0, 0, 0, 0);
    uebernommenText_ = new Hinweiszeile(QString(), QStringLiteral("arrow.down.doc"), uebernommen_);
    uebernommenText_->setObjectName(QStringLiteral("uebernommen"));
    uebernommenReihe->addWidget(uebernommenText_, 1, Qt::AlignTop);
    selbst_ = kleinerKnopf(tr("Selbst eintragen"), QStringLiteral("selbstEintragen"), uebernommen_);
    // One such button per row: its name says whose price it is.
    selbst_->setAccessibleName(tr("Selbst eintragen: %1").arg(qtText(bezeichnung(klasse))));
    uebernommenReihe->addWidget(selbst_, 0, Qt::AlignTop);
    connect(selbst_, &QPushButton::clicked, this,
            [this] { aendere([](Stichtagsentwurf& e, Assetklasse k) { e.selbstEintragen(k); }); });
    spalte->addWidget(uebernommen_);

    eingabe_ = new QWidget(this);
    auto* eingabeSpalte = new QVBoxLayout(eingabe_);
    eingabeSpalte->setContentsMargins(0, 0, 0, 0);
    eingabeSpalte->setSpacing(6);
    felder_ = new KurseingabeFelder(angabenFuer(*zeile), zeile->eingabe, entwurf.abruftag(), std::move(dienst),
                                    KurseingabeFelder::EzbAusVergleich{entwurf.wechselkursTeil(*zeile), {}}, eingabe_);
    felder_->setObjectName(QStringLiteral("kurseingabe"));
    eingabeSpalte->addWidget(felder_);
    connect(felder_, &KurseingabeFelder::eingabeGeaendert, this, [this](const Kurseingabe& neu) {
        aendere([neu](Stichtagsentwurf& e, Assetklasse k) { e.setzeEingabe(k, neu); });
    });

    // The comparison line, in the caption font and the secondary colour.
    auto* vergleich = new QWidget(eingabe_);
    vergleich->setFont(Schriftstil::beschriftung(vergleich->font()));
    Vordergrund::setze(vergleich, Vordergrund::sekundaer());
    auto* vergleichSpalte = new QVBoxLayout(vergleich);
    vergleichSpalte->setContentsMargins(0, 0, 0, 0);
    vergleichSpalte->setSpacing(6);
    geholtZeile_ = new QWidget(vergleich);
    auto* geholtReihe = new QHBoxLayout(geholtZeile_);
    geholtReihe->setContentsMargins(0, 0, 0, 0);
    geholtReihe->setSpacing(6);
    auto* kreisel = new QProgressBar(geholtZeile_);
    kreisel->setRange(0, 0);
    kreisel->setTextVisible(false);
    kreisel->setFixedSize(48, 8);
    geholtReihe->addWidget(kreisel);
    geholtReihe->addWidget(new QLabel(tr("Vergleichskurs wird geholt"), geholtZeile_));
    geholtReihe->addStretch(1);
    geholtZeile_->setObjectName(QStringLiteral("wirdGeholt"));
    vergleichSpalte->addWidget(geholtZeile_);
    status_ = new QLabel(vergleich);
    status_->setObjectName(QStringLiteral("vergleich"));
    status_->setTextFormat(Qt::PlainText);
    status_->setWordWrap(true);
    vergleichSpalte->addWidget(status_);
    warnungen_ = new QVBoxLayout();
    warnungen_->setSpacing(6);
    vergleichSpalte->addLayout(warnungen_);
    auto* knoepfe = new QHBoxLayout();
    uebernehmen_ =
        kleinerKnopf(tr("Vergleichskurs übernehmen"), QStringLiteral("vergleichskursUebernehmen"), vergleich);
    // One such button per row: the name says whose comparison price it takes.
    uebernehmen_->setAccessibleName(tr("Vergleichskurs übernehmen: %1").arg(qtText(bezeichnung(klasse))));
    erneut_ = kleinerKnopf(tr("Vergleich erneut holen"), QStringLiteral("vergleichErneutHolen"), vergleich);
    erneut_->setAccessibleName(tr("Vergleich erneut holen: %1").arg(qtText(bezeichnung(klasse))));
    knoepfe->addWidget(uebernehmen_);
    knoepfe->addWidget(erneut_);
    knoepfe->addStretch(1);
    vergleichSpalte->addLayout(knoepfe);
    connect(uebernehmen_, &QPushButton::clicked, this,
            [this] { aendere([](Stichtagsentwurf& e, Assetklasse k) { e.vergleichskursUebernehmen(k); }); });
    connect(erneut_, &QPushButton::clicked, this,
            [this] { aendere([](Stichtagsentwurf& e, Assetklasse k) { e.vergleichErneutHolen(k); }); });
    eingabeSpalte->addWidget(vergleich);
    spalte->addWidget(eingabe_);

    zeige(entwurf);
}

void StichtagskursFelder::aendere(const std::function<void(Stichtagsentwurf&, Assetklasse)>& schritt) {
    const Assetklasse klasse = klasse_;
    aendern_([&schritt, klasse](Stichtagsentwurf& entwurf) { schritt(entwurf, klasse); });
}

void StichtagskursFelder::zeige(const Stichtagsentwurf& entwurf) {
    const Stichtagsentwurf::Zeile* zeile = entwurf.zeile(klasse_);
    if (!zeile) {
        return;
    }
    const Vergleichszeile inhalt(entwurf, *zeile);
    const auto inDenKurs = [this] { fokussiereKurs(); };
    // The part that comes is shown before the one that goes, so that the focus can move into it.
    if (inhalt.uebernommen()) {
        uebernommenText_->setzeText(*inhalt.uebernommen());
        uebernommen_->setVisible(true);
        verberge(eingabe_, [this] { selbst_->setFocus(Qt::OtherFocusReason); });
        return;
    }
    eingabe_->setVisible(true);
    verberge(uebernommen_, inDenKurs);

    felder_->setzeAngaben(angabenFuer(*zeile));
    felder_->setzeReferenztag(entwurf.abruftag());
    KurseingabeFelder::EzbAusVergleich ezb{entwurf.wechselkursTeil(*zeile), {}};
    if (inhalt.ezbMitErneut()) {
        ezb.erneut = [this] { aendere([](Stichtagsentwurf& e, Assetklasse k) { e.vergleichErneutHolen(k); }); };
    }
    felder_->setzeEzbAusVergleich(std::move(ezb));
    if (!(felder_->eingabe() == zeile->eingabe)) {
        felder_->setzeEingabe(zeile->eingabe);
    }

    const bool wirdGeholt = inhalt.status() == Vergleichszeile::Status::wirdGeholt;
    geholtZeile_->setVisible(wirdGeholt);
    status_->setVisible(!wirdGeholt);
    status_->setText(inhalt.statusText());
    zeigeWarnungen(inhalt.warnungen());
    for (const auto& [knopf, bleibt] : {std::pair{uebernehmen_, inhalt.zeigtUebernehmen()},
                                        std::pair{erneut_, inhalt.zeigtErneutHolen()}}) {
        if (bleibt) {
            knopf->setVisible(true);
        } else {
            verberge(knopf, inDenKurs);
        }
    }
}

void StichtagskursFelder::verberge(QWidget* teil, const std::function<void()>& nachher) {
    const QWidget* fokus = QApplication::focusWidget();
    if (!teil->isHidden() && fokus != nullptr && (fokus == teil || teil->isAncestorOf(fokus))) {
        nachher();
    }
    teil->setVisible(false);
}

void StichtagskursFelder::zeigeWarnungen(const std::vector<QString>& texte) {
    // The lines are kept and only retexted, so that an answer does not rebuild what is shown.
    while (warnungen_->count() > static_cast<int>(texte.size())) {
        QLayoutItem* eintrag = warnungen_->takeAt(warnungen_->count() - 1);
        delete eintrag->widget();
        delete eintrag;
    }
    for (std::size_t i = 0; i < texte.size(); ++i) {
        if (static_cast<int>(i) < warnungen_->count()) {
            static_cast<Hinweiszeile*>(warnungen_->itemAt(static_cast<int>(i))->widget())->setzeText(texte[i]);
            continue;
        }
        auto* zeile = new Hinweiszeile(texte[i], QStringLiteral("exclamationmark.triangle"), eingabe_);
        zeile->setObjectName(QStringLiteral("warnung"));
        Vordergrund::setze(zeile, Signalfarbe::warnung);
        warnungen_->addWidget(zeile);
    }
}

void StichtagskursFelder::fokussiereKurs() {
    if (!eingabe_->isHidden()) {
        felder_->fokussiereKurs();
    }
}

} // namespace qb
