#include "reference-dates/PreisKorrigierenDialog.h"

#include <algorithm>
#include <utility>

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "ui/Dialoge.h"
#include "ui/Blattbreite.h"
#include "ui/Fenstergroesse.h"
#include "ui/Fliesstext.h"
#include "ui/Fokussicht.h"
#include "ui/Formularraster.h"
#include "ui/Hinweiszeile.h"
#include "ui/Radwache.h"
#include "ui/Schriftstil.h"
#include "ui/Signalfarbe.h"
#include "ui/Textbruecke.h"
#include "ui/Vordergrund.h"
#include "foundation/Formatierer.h"
#include "model/Bewertung.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "ui/Grenzhinweis.h"
#include "reference-dates/Rueckfrage.h"
#include "reference-dates/StichtagskursFelder.h"

namespace qb {

PreisKorrigierenDialog::PreisKorrigierenDialog(std::shared_ptr<Portfolio> portfolio, std::shared_ptr<Bewertung> bewertung,
                                   Assetklasse klasse, Modellkontext& kontext, Kursdienst dienst, QWidget* eltern)
    : QDialog(eltern),
      kontext_(kontext),
      dienst_(std::move(dienst)),
      bindung_(
          this, dienst_, [this]() -> Stichtagsentwurf& { return korrektur_->entwurf(); }, [this] { zeige(); }) {
    setObjectName("preisKorrigieren");
    setWindowTitle(qtText(bezeichnung(klasse)));
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_DeleteOnClose);
    Radwache::schuetze(this);
    auto position = portfolio->position(klasse);
    if (!position) {
        auto* spalte = new QVBoxLayout(this);
        spalte->setContentsMargins(24, 24, 24, 24);
        spalte->setSpacing(16);
        auto* text = fliesstext(tr("Diese Position gibt es nicht mehr."), this);
        text->setObjectName("positionFehlt");
        text->setAlignment(Qt::AlignCenter);
        auto* schliessen = new QPushButton(tr("Schließen"), this);
        schliessen->setObjectName("schliessen");
        schliessen->setAutoDefault(false);
        connect(schliessen, &QPushButton::clicked, this, &QDialog::reject);
        spalte->addStretch(1);
        spalte->addWidget(text, 0, Qt::AlignHCenter);
        spalte->addWidget(schliessen, 0, Qt::AlignHCenter);
        spalte->addStretch(1);
        return;
    }
    korrektur_.emplace(std::move(portfolio), std::move(bewertung), std::move(position));
    baueFormular();
    bindung_.aendere([](Stichtagsentwurf&) {});
    // Measured as the sheet opens, with what it shows then.
    breite_ = new Blattbreite(this, flaeche_);
    passeAn(Fenstergroesse::verfuegbar(*this));
}

PreisKorrigierenDialog::~PreisKorrigierenDialog() {
    bindung_.stoppe();
}

void PreisKorrigierenDialog::baueFormular() {
    const Position& position = korrektur_->position();
    auto* spalte = new QVBoxLayout(this);
    spalte->setContentsMargins(0, 0, 0, 0);
    spalte->setSpacing(0);

    // Everything above the buttons scrolls where the screen is too low for it.
    flaeche_ = new QScrollArea(this);
    flaeche_->setWidgetResizable(true);
    flaeche_->setFrameShape(QFrame::NoFrame);
    flaeche_->setFocusPolicy(Qt::NoFocus);
    Fokussicht::folge(flaeche_);
    auto* inhalt = new QWidget(flaeche_);
    auto* oben = new QVBoxLayout(inhalt);
    oben->setContentsMargins(0, 0, 0, 0);
    oben->setSpacing(0);

    auto* kopf = new QLabel(qtText(bezeichnung(position.assetklasse())), inhalt);
    kopf->setObjectName("klasse");
    kopf->setFont(Schriftstil::hervorhebung(kopf->font()));
    kopf->setContentsMargins(16, 16, 16, 0);
    oben->addWidget(kopf);

    // Its rows wrap, and the sheet widens to them as they arrive: see Formularraster.
    auto* formular = new Formularraster();
    formular->setContentsMargins(16, 8, 16, 8);
    formular->setHorizontalSpacing(12);
    formular->setVerticalSpacing(6);
    auto* datum = fliesstext(
        qtText(Formatierer().datumMitMonatUndUhrzeit(korrektur_->bewertung().datum(), Zeitzone::aktuell())),
        inhalt);
    datum->setObjectName("stichtag");
    formular->addRow(tr("Stichtag"), datum);
    formular->addRow(tr("Wertpapier"), fliesstext(qtText(position.name()), inhalt));
    formular->addRow(tr("Kennung"), fliesstext(qtText(position.kennung()), inhalt));
    if (position.notierung() == Notierungsart::prozentVomNennwert) {
        auto* notierung = fliesstext(tr("Prozent vom Nennwert"), inhalt);
        notierung->setObjectName("notierung");
        formular->addRow(tr("Notierung"), notierung);
    }
    felder_ = new StichtagskursFelder(
        korrektur_->entwurf(), position.assetklasse(), dienst_,
        [this](const std::function<void(Stichtagsentwurf&)>& aenderung) { bindung_.aendere(aenderung); },
        inhalt);
    felder_->setObjectName("zeile");
    formular->addRow(felder_);
    neueAbweichung_ = new Grenzhinweis(qtText(Speicherablauf::nichtGespeichertText), inhalt);
    neueAbweichung_->setObjectName("neueAbweichung");
    formular->addRow(neueAbweichung_);
    oben->addLayout(formular);

    auto* hinweis = fliesstext(qtText(PreisKorrigieren::hinweisText), inhalt);
    hinweis->setObjectName("hinweis");
    hinweis->setContentsMargins(16, 8, 16, 8);
    hinweis->setFont(Schriftstil::hervorhebung(hinweis->font()));
    Vordergrund::setze(hinweis, Vordergrund::sekundaer());
    oben->addWidget(hinweis);
    oben->addStretch(1);
    flaeche_->setWidget(inhalt);
    spalte->addWidget(flaeche_, 1);
    // The sheet opens with the cursor in the price to correct, not on the currency before it.
    felder_->fokussiereKurs();
    // What arrives in the scrolled part asks the sheet to grow (see passeHoeheAn).
    inhalt->installEventFilter(this);

    fuss_ = new QWidget(this);
    auto* fussSpalte = new QVBoxLayout(fuss_);
    fussSpalte->setContentsMargins(0, 0, 0, 0);
    fussSpalte->setSpacing(0);
    auto* linie = new QFrame(fuss_);
    linie->setFrameShape(QFrame::HLine);
    fussSpalte->addWidget(linie);
    auto* fuss = new QHBoxLayout();
    fuss->setContentsMargins(16, 16, 16, 16);
    fehler_ = new Hinweiszeile({}, QStringLiteral("exclamationmark.triangle"), fuss_);
    fehler_->setObjectName("speicherfehler");
    fehler_->setFont(Schriftstil::hervorhebung(fehler_->font()));
    Vordergrund::setze(fehler_, Signalfarbe::verlust);
    for (auto* text : fehler_->findChildren<QLabel*>()) {
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    fuss->addWidget(fehler_, 1);
    fuss->addStretch(0);
    auto* abbrechen = new QPushButton(tr("Abbrechen"), fuss_);
    abbrechen->setObjectName("abbrechen");
    abbrechen->setAutoDefault(false);
    connect(abbrechen, &QPushButton::clicked, this, &QDialog::reject);
    speichern_ = new QPushButton(tr("Speichern"), fuss_);
    speichern_->setObjectName("speichern");
    speichern_->setDefault(true);
    connect(speichern_, &QPushButton::clicked, this, &PreisKorrigierenDialog::speichernGedrueckt);
    fuss->addWidget(abbrechen);
    fuss->addWidget(speichern_);
    fussSpalte->addLayout(fuss);
    spalte->addWidget(fuss_);
}

void PreisKorrigierenDialog::passeAn(QSize verfuegbar) {
    const QSize wunsch(460, QWIDGETSIZE_MAX);
    const QSize minimum(460, 400);
    const Fenstergroesse groesse = breite_ != nullptr ? breite_->fuer(verfuegbar, wunsch, minimum)
                                                      : Fenstergroesse::fuer(verfuegbar, wunsch, minimum);
    setMinimumSize(groesse.minimum);
    hoechstens_ = groesse.anfang.height();
}

void PreisKorrigierenDialog::zeige() {
    felder_->zeige(korrektur_->entwurf());
    neueAbweichung_->setVisible(korrektur_->ablauf().neueAbweichung());
    const auto& fehler = korrektur_->speicherfehler();
    fehler_->setzeText(fehler ? qtText(*fehler) : QString());
    fehler_->setVisible(fehler.has_value());
    speichern_->setEnabled(korrektur_->kannSpeichern());
    ordneTabfolge(this);
}

void PreisKorrigierenDialog::speichernGedrueckt() {
    if (korrektur_->speichernGedrueckt(kontext_)) {
        done(QDialog::Accepted);
        return;
    }
    zeige();
    zeigeRueckfrage();
}

void PreisKorrigierenDialog::zeigeRueckfrage() {
    if (!korrektur_->ablauf().rueckfrage() || rueckfrage_) {
        return;
    }
    rueckfrage_ = rueckfrageDialog(this, *korrektur_->ablauf().rueckfrage(), korrektur_->entwurf(), [this](bool trotzdem) {
        rueckfrage_ = nullptr;
        if (geschlossen_) {
            return;
        }
        if (trotzdem && korrektur_->trotzdemSpeichern(kontext_)) {
            done(QDialog::Accepted);
            return;
        }
        korrektur_->schliesseRueckfrage();
        zeige();
    });
}

bool PreisKorrigierenDialog::event(QEvent* ereignis) {
    const bool behandelt = QDialog::event(ereignis);
    if (ereignis->type() == QEvent::LayoutRequest || ereignis->type() == QEvent::Show) {
        passeHoeheAn();
    }
    return behandelt;
}

bool PreisKorrigierenDialog::eventFilter(QObject* objekt, QEvent* ereignis) {
    if (ereignis->type() == QEvent::LayoutRequest && flaeche_ != nullptr && objekt == flaeche_->widget()) {
        passeHoeheAn();
    }
    return QDialog::eventFilter(objekt, ereignis);
}

int PreisKorrigierenDialog::noetigeHoehe(int breite, int inhaltsbreite) const {
    const auto hoeheBei = [](const QWidget* teil, int b) {
        return teil->hasHeightForWidth() ? teil->heightForWidth(b) : teil->sizeHint().height();
    };
    int noetig = hoeheBei(flaeche_->widget(), inhaltsbreite) + hoeheBei(fuss_, breite);
    if (parentWidget() != nullptr) {
        noetig = std::min(noetig, parentWidget()->window()->height());
    }
    return std::min(noetig, hoechstens_);
}

QSize PreisKorrigierenDialog::sizeHint() const {
    // As high as the content at the width the sheet asks for: it opens showing all of it where
    // there is room.
    QSize hinweis = QDialog::sizeHint().expandedTo(minimumSize());
    if (flaeche_ != nullptr) {
        hinweis.setHeight(std::max(minimumHeight(), noetigeHoehe(hinweis.width(), hinweis.width())));
    }
    return hinweis;
}

void PreisKorrigierenDialog::passeHoeheAn() {
    // A rate or a message that arrives after the sheet opened would be scrolled to. The sheet
    // grows to what its content needs at its width instead, never past its window nor past the
    // screen; beyond that the content scrolls.
    if (!isVisible() || flaeche_ == nullptr) {
        return;
    }
    const int noetig = noetigeHoehe(width(), flaeche_->viewport()->width());
    if (noetig > height()) {
        resize(width(), noetig);
    }
}

void PreisKorrigierenDialog::done(int ergebnis) {
    // Nothing fetched after this point reaches the draft.
    geschlossen_ = true;
    bindung_.stoppe();
    if (rueckfrage_) {
        rueckfrage_->close();
    }
    QDialog::done(ergebnis);
}

} // namespace qb
