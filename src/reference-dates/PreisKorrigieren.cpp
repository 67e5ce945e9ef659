#include "reference-dates/PreisKorrigieren.h"

#include <algorithm>
#include <stop_token>
#include <utility>

#include <QEvent>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/Ansichtsaufgabe.h"
#include "ui/Dialoge.h"
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
#include "reference-dates/Vergleichsabruf.h"

namespace qb {

namespace {

QLabel* textzeile(const QString& text, QWidget* eltern) {
    auto* label = new QLabel(text, eltern);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

} // namespace

PreisKorrigieren::PreisKorrigieren(std::shared_ptr<Portfolio> portfolio, std::shared_ptr<Bewertung> bewertung,
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
        auto* text = textzeile(tr("Diese Position gibt es nicht mehr."), this);
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
}

PreisKorrigieren::~PreisKorrigieren() {
    bindung_.stoppe();
}

void PreisKorrigieren::baueFormular() {
    const Position& position = korrektur_->position();
    setMinimumSize(460, 400);
    auto* spalte = new QVBoxLayout(this);
    spalte->setContentsMargins(0, 0, 0, 0);
    spalte->setSpacing(0);

    auto* kopf = new QLabel(qtText(bezeichnung(position.assetklasse())), this);
    kopf->setObjectName("klasse");
    kopf->setFont(Schriftstil::hervorhebung(kopf->font()));
    kopf->setContentsMargins(16, 16, 16, 0);
    spalte->addWidget(kopf);

    auto* formular = new QFormLayout();
    formular->setContentsMargins(16, 8, 16, 8);
    formular->setHorizontalSpacing(12);
    formular->setVerticalSpacing(6);
    auto* datum = textzeile(
        qtText(Formatierer().datumMitMonatUndUhrzeit(korrektur_->bewertung().datum(), Zeitzone::aktuell())), this);
    datum->setObjectName("stichtag");
    formular->addRow(tr("Stichtag"), datum);
    formular->addRow(tr("Wertpapier"), textzeile(qtText(position.name()), this));
    formular->addRow(tr("Kennung"), textzeile(qtText(position.kennung()), this));
    if (position.notierung() == Notierungsart::prozentVomNennwert) {
        auto* notierung = textzeile(tr("Prozent vom Nennwert"), this);
        notierung->setObjectName("notierung");
        formular->addRow(tr("Notierung"), notierung);
    }
    felder_ = new StichtagskursFelder(
        korrektur_->entwurf(), position.assetklasse(), dienst_,
        [this](const std::function<void(Stichtagsentwurf&)>& aenderung) { bindung_.aendere(aenderung); }, this);
    felder_->setObjectName("zeile");
    formular->addRow(felder_);
    // The sheet opens with the cursor in the price to correct, not on the currency before it.
    felder_->fokussiereKurs();
    neueAbweichung_ = new Grenzhinweis(qtText(Speicherablauf::nichtGespeichertText), this);
    neueAbweichung_->setObjectName("neueAbweichung");
    formular->addRow(neueAbweichung_);
    spalte->addLayout(formular);

    auto* hinweis = textzeile(qtText(Preiskorrektur::hinweisText), this);
    hinweis->setObjectName("hinweis");
    hinweis->setContentsMargins(16, 8, 16, 8);
    hinweis->setFont(Schriftstil::hervorhebung(hinweis->font()));
    Vordergrund::setze(hinweis, Vordergrund::sekundaer());
    spalte->addWidget(hinweis);
    spalte->addStretch(1);

    auto* linie = new QFrame(this);
    linie->setFrameShape(QFrame::HLine);
    spalte->addWidget(linie);
    auto* fuss = new QHBoxLayout();
    fuss->setContentsMargins(16, 16, 16, 16);
    fehler_ = new Hinweiszeile({}, QStringLiteral("exclamationmark.triangle"), this);
    fehler_->setObjectName("speicherfehler");
    fehler_->setFont(Schriftstil::hervorhebung(fehler_->font()));
    Vordergrund::setze(fehler_, Signalfarbe::verlust);
    for (auto* text : fehler_->findChildren<QLabel*>()) {
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    fuss->addWidget(fehler_, 1);
    fuss->addStretch(0);
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

void PreisKorrigieren::zeige() {
    felder_->zeige(korrektur_->entwurf());
    neueAbweichung_->setVisible(korrektur_->ablauf().neueAbweichung());
    const auto& fehler = korrektur_->speicherfehler();
    fehler_->setzeText(fehler ? qtText(*fehler) : QString());
    fehler_->setVisible(fehler.has_value());
    speichern_->setEnabled(korrektur_->kannSpeichern());
}

void PreisKorrigieren::speichernGedrueckt() {
    if (korrektur_->speichernGedrueckt(kontext_)) {
        done(QDialog::Accepted);
        return;
    }
    zeige();
    zeigeRueckfrage();
}

void PreisKorrigieren::zeigeRueckfrage() {
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

bool PreisKorrigieren::event(QEvent* ereignis) {
    const bool behandelt = QDialog::event(ereignis);
    if (ereignis->type() == QEvent::LayoutRequest) {
        passeHoeheAn();
    }
    return behandelt;
}

void PreisKorrigieren::passeHoeheAn() {
    // The sheet takes its size when it opens; a rate or a message that arrives later would be
    // squeezed into it. It grows to what its content needs at its width, never past its window.
    // Before it is shown it takes its size from its content anyway.
    if (!isVisible() || layout() == nullptr || !layout()->hasHeightForWidth()) {
        return;
    }
    int noetig = layout()->totalHeightForWidth(width());
    if (parentWidget() != nullptr) {
        noetig = std::min(noetig, parentWidget()->window()->height());
    }
    if (noetig > height()) {
        resize(width(), noetig);
    }
}

void PreisKorrigieren::done(int ergebnis) {
    // Nothing fetched after this point reaches the draft.
    geschlossen_ = true;
    bindung_.stoppe();
    if (rueckfrage_) {
        rueckfrage_->close();
    }
    QDialog::done(ergebnis);
}

} // namespace qb
