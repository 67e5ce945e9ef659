#include "reference-dates/PreisKorrigieren.h"

#include <stop_token>
#include <vector>

#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Dialoge.h"
#include "app/Hinweiszeile.h"
#include "app/Schriftstil.h"
#include "app/Signalfarbe.h"
#include "app/Textbruecke.h"
#include "app/Vordergrund.h"
#include "foundation/Formatierer.h"
#include "model/Bewertung.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "positions/Grenzhinweis.h"
#include "reference-dates/KurseingabeFelder.h"
#include "reference-dates/Rueckfrage.h"
#include "reference-dates/Vergleichsabruf.h"
#include "reference-dates/Vergleichszeile.h"

namespace qb {

namespace {

QLabel* textzeile(const QString& text, QWidget* eltern) {
    auto* label = new QLabel(text, eltern);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

QPushButton* kleinerKnopf(const QString& text, const char* name, QWidget* eltern) {
    auto* knopf = new QPushButton(text, eltern);
    knopf->setObjectName(QString::fromLatin1(name));
    knopf->setAutoDefault(false);
    knopf->setFont(Schriftstil::beschriftung(knopf->font()));
    return knopf;
}

} // namespace

PreisKorrigieren::PreisKorrigieren(std::shared_ptr<Portfolio> portfolio, std::shared_ptr<Bewertung> bewertung,
                                   Assetklasse klasse, Modellkontext& kontext, Kursdienst dienst, QWidget* eltern)
    : QDialog(eltern), kontext_(kontext), dienst_(std::move(dienst)), abruf_(this) {
    setObjectName("preisKorrigieren");
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_DeleteOnClose);
    auto position = portfolio->position(klasse);
    if (!position) {
        auto* spalte = new QVBoxLayout(this);
        spalte->setContentsMargins(24, 24, 24, 24);
        spalte->setSpacing(16);
        auto* text = textzeile(tr("Diese Position gibt es nicht mehr."), this);
        text->setObjectName("positionFehlt");
        text->setAlignment(Qt::AlignCenter);
        auto* schliessen = new QPushButton(tr("Schließen"), this);
        schliessen->setObjectName("schliessen");
        connect(schliessen, &QPushButton::clicked, this, &QDialog::reject);
        spalte->addWidget(text, 0, Qt::AlignHCenter);
        spalte->addWidget(schliessen, 0, Qt::AlignHCenter);
        return;
    }
    korrektur_.emplace(std::move(portfolio), std::move(bewertung), std::move(position));
    baueFormular();
    zeige();
    holeVergleiche();
}

PreisKorrigieren::~PreisKorrigieren() { abruf_.stoppe(); }

void PreisKorrigieren::baueFormular() {
    const Position& position = korrektur_->position();
    const Stichtagsentwurf::Zeile& zeile = korrektur_->entwurf().zeilen().front();
    setMinimumSize(460, 400);
    auto* spalte = new QVBoxLayout(this);
    spalte->setContentsMargins(0, 0, 0, 0);
    spalte->setSpacing(0);

    auto* kopf = new QLabel(qtText(bezeichnung(position.assetklasse())), this);
    kopf->setFont(Schriftstil::hervorhebung(kopf->font()));
    kopf->setContentsMargins(16, 16, 16, 0);
    spalte->addWidget(kopf);

    auto* formular = new QFormLayout();
    formular->setContentsMargins(16, 8, 16, 8);
    auto* datum = textzeile(qtText(Formatierer().datumMitMonatUndUhrzeit(korrektur_->bewertung().datum(),
                                                                           Zeitzone::aktuell())), this);
    datum->setObjectName("stichtag");
    formular->addRow(tr("Stichtag"), datum);
    formular->addRow(tr("Wertpapier"), textzeile(qtText(position.name()), this));
    formular->addRow(tr("Kennung"), textzeile(qtText(position.kennung()), this));
    if (position.notierung() == Notierungsart::prozentVomNennwert) {
        auto* notierung = textzeile(tr("Prozent vom Nennwert"), this);
        notierung->setObjectName("notierung");
        formular->addRow(tr("Notierung"), notierung);
    }
    KurseingabeFelder::Angaben angaben;
    angaben.zweck = KurseingabeFelder::Zweck::stichtag;
    angaben.klasse = zeile.klasse;
    angaben.form = zeile.form();
    angaben.notierung = zeile.notierung;
    angaben.einheit = zeile.einheit;
    felder_ = new KurseingabeFelder(angaben, zeile.eingabe, korrektur_->entwurf().abruftag(), dienst_,
                                    KurseingabeFelder::EzbAusVergleich{}, this);
    felder_->setObjectName("kursfelder");
    connect(felder_, &KurseingabeFelder::eingabeGeaendert, this, [this](const Kurseingabe& eingabe) {
        Stichtagsentwurf& entwurf = korrektur_->entwurf();
        const Assetklasse klasse = entwurf.zeilen().front().klasse;
        const std::string vorher = entwurf.zeilen().front().eingabe.handelswaehrung;
        entwurf.setzeEingabe(klasse, eingabe);
        if (eingabe.handelswaehrung != vorher) {
            KurseingabeFelder::Angaben angaben = felder_->angaben();
            angaben.form = entwurf.zeilen().front().form();
            felder_->setzeAngaben(angaben);
            holeVergleiche();
        }
        zeige();
    });
    formular->addRow(felder_);
    uebernommen_ = textzeile({}, this);
    uebernommen_->setObjectName("uebernommen");
    formular->addRow(uebernommen_);
    selbstEintragen_ = kleinerKnopf(tr("Selbst eintragen"), "selbstEintragen", this);
    vergleich_ = textzeile({}, this);
    vergleich_->setObjectName("vergleich");
    Vordergrund::setze(vergleich_, Vordergrund::sekundaer());
    formular->addRow(vergleich_);
    warnungen_ = textzeile({}, this);
    warnungen_->setObjectName("warnungen");
    Vordergrund::setze(warnungen_, Signalfarbe::warnung);
    formular->addRow(warnungen_);
    uebernehmen_ = kleinerKnopf(tr("Vergleichskurs übernehmen"), "uebernehmen", this);
    erneutHolen_ = kleinerKnopf(tr("Vergleich erneut holen"), "erneutHolen", this);
    auto* knoepfe = new QHBoxLayout();
    knoepfe->addWidget(selbstEintragen_);
    knoepfe->addWidget(uebernehmen_);
    knoepfe->addWidget(erneutHolen_);
    knoepfe->addStretch(1);
    formular->addRow(knoepfe);
    const Assetklasse klasse = zeile.klasse;
    connect(selbstEintragen_, &QPushButton::clicked, this, [this, klasse] {
        korrektur_->entwurf().selbstEintragen(klasse);
        zeige();
    });
    connect(uebernehmen_, &QPushButton::clicked, this, [this, klasse] {
        korrektur_->entwurf().vergleichskursUebernehmen(klasse);
        zeige();
    });
    connect(erneutHolen_, &QPushButton::clicked, this, &PreisKorrigieren::erneutHolen);
    neueAbweichung_ = new Grenzhinweis(qtText(Speicherablauf::nichtGespeichertText), this);
    neueAbweichung_->setObjectName("neueAbweichung");
    formular->addRow(neueAbweichung_);
    auto* hinweis = textzeile(qtText(Preiskorrektur::hinweisText), this);
    hinweis->setFont(Schriftstil::beschriftung(hinweis->font()));
    Vordergrund::setze(hinweis, Vordergrund::sekundaer());
    formular->addRow(hinweis);
    spalte->addLayout(formular);
    spalte->addStretch(1);

    auto* linie = new QFrame(this);
    linie->setFrameShape(QFrame::HLine);
    spalte->addWidget(linie);
    auto* fuss = new QHBoxLayout();
    fuss->setContentsMargins(16, 16, 16, 16);
    fehler_ = new Hinweiszeile({}, QStringLiteral("exclamationmark.triangle"), this);
    fehler_->setObjectName("speicherfehler");
    Vordergrund::setze(fehler_, Signalfarbe::verlust);
    fuss->addWidget(fehler_, 1);
    auto* abbrechen = new QPushButton(tr("Abbrechen"), this);
    abbrechen->setObjectName("abbrechen");
    abbrechen->setAutoDefault(false);
    connect(abbrechen, &QPushButton::clicked, this, &QDialog::reject);
    speichern_ = new QPushButton(tr("Speichern"), this);
    speichern_->setObjectName("speichern");
    speichern_->setDefault(true);
    connect(speichern_, &QPushButton::clicked, this, &PreisKorrigieren::speichernGedrueckt);
    fuss->addWidget(abbrechen);
    fuss->addWidget(speichern_);
    spalte->addLayout(fuss);
}

void PreisKorrigieren::holeVergleiche() {
    Stichtagsentwurf& entwurf = korrektur_->entwurf();
    entwurf.ezbUmrechnungVorbelegen();
    const auto offen = entwurf.offeneAuftraege();
    if (offen.empty()) {
        abruf_.stoppe();
        return;
    }
    using Antworten = std::vector<Vergleichsabruf::Antwort>;
    // One row asks at most one request: no need to fetch them side by side.
    abruf_.setzeSchluessel(
        entwurf.abrufschluessel(),
        [offen, tag = entwurf.abruftag(), dienst = dienst_](std::stop_token stop) {
            Antworten antworten;
            for (const auto& auftrag : offen) {
                if (auto antwort = Vergleichsabruf::hole(auftrag, tag, dienst, stop)) {
                    antworten.push_back(std::move(*antwort));
                }
            }
            return antworten;
        },
        [this](Antworten antworten) {
            for (auto& antwort : antworten) {
                korrektur_->entwurf().speichereVergleich(antwort.auftrag, std::move(antwort.referenz));
            }
            felder_->setzeEingabe(korrektur_->entwurf().zeilen().front().eingabe);
            zeige();
        });
}

void PreisKorrigieren::erneutHolen() {
    korrektur_->entwurf().vergleichErneutHolen(korrektur_->entwurf().zeilen().front().klasse);
    holeVergleiche();
    zeige();
}

void PreisKorrigieren::zeige() {
    const Stichtagsentwurf& entwurf = korrektur_->entwurf();
    const Stichtagsentwurf::Zeile& zeile = entwurf.zeilen().front();
    const Vergleichszeile texte(entwurf, zeile);
    const bool uebernommen = texte.uebernommen().has_value();
    uebernommen_->setText(texte.uebernommen().value_or(QString()));
    uebernommen_->setVisible(uebernommen);
    selbstEintragen_->setVisible(uebernommen);
    felder_->setVisible(!uebernommen);
    vergleich_->setVisible(!uebernommen);
    vergleich_->setText(texte.statusText());
    uebernehmen_->setVisible(!uebernommen && texte.zeigtUebernehmen());
    erneutHolen_->setVisible(!uebernommen && texte.zeigtErneutHolen());
    QStringList warnungen;
    for (const auto& warnung : texte.warnungen()) {
        warnungen.append(warnung);
    }
    warnungen_->setText(warnungen.join('\n'));
    warnungen_->setVisible(!uebernommen && !warnungen.isEmpty());
    std::function<void()> erneut;
    if (texte.ezbMitErneut()) {
        erneut = [this] { erneutHolen(); };
    }
    felder_->setzeEzbAusVergleich(KurseingabeFelder::EzbAusVergleich{entwurf.wechselkursTeil(zeile), erneut});
    neueAbweichung_->setVisible(korrektur_->ablauf().neueAbweichung());
    const auto& fehler = korrektur_->speicherfehler();
    fehler_->setzeText(fehler ? qtText(*fehler) : QString());
    fehler_->setVisible(fehler.has_value());
    speichern_->setEnabled(korrektur_->kannSpeichern());
}

void PreisKorrigieren::speichernGedrueckt() {
    if (korrektur_->speichernGedrueckt(kontext_)) {
        accept();
        return;
    }
    zeige();
    if (korrektur_->ablauf().rueckfrage()) {
        zeigeRueckfrage();
    }
}

void PreisKorrigieren::zeigeRueckfrage() {
    const Rueckfrage& frage = *korrektur_->ablauf().rueckfrage();
    auto* meldung = neueMeldung(this, qtText(frage.titel()), qtText(frage.meldung(korrektur_->entwurf())),
                                QStringLiteral("rueckfrage"));
    auto* trotzdem = meldung->addButton(tr("Trotzdem speichern"), QMessageBox::AcceptRole);
    trotzdem->setObjectName("trotzdemSpeichern");
    auto* zurueck = meldung->addButton(tr("Zurück zur Eingabe"), QMessageBox::RejectRole);
    zurueck->setObjectName("zurueck");
    meldung->setEscapeButton(zurueck);
    connect(meldung, &QMessageBox::buttonClicked, this, [this, trotzdem](QAbstractButton* knopf) {
        if (knopf == trotzdem && korrektur_->trotzdemSpeichern(kontext_)) {
            accept();
            return;
        }
        korrektur_->schliesseRueckfrage();
        zeige();
    });
    connect(meldung, &QMessageBox::rejected, this, [this] {
        korrektur_->schliesseRueckfrage();
        zeige();
    });
    meldung->open();
}

} // namespace qb
