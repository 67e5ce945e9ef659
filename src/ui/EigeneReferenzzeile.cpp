#include "ui/EigeneReferenzzeile.h"

#include <QHideEvent>
#include <QShowEvent>
#include <QVBoxLayout>

#include "ui/Referenzzeile.h"

namespace qb {

EigeneReferenzzeile::EigeneReferenzzeile(Waehrungscode code, std::optional<Zeitpunkt> referenztag, Kursdienst dienst,
                                         QWidget* eltern)
    : QWidget(eltern), code_(code), referenztag_(referenztag), dienst_(std::move(dienst)),
      zeile_(new Referenzzeile(std::move(code), referenztag, this)), aufgabe_(this) {
    zeile_->setObjectName(QStringLiteral("referenzzeile"));
    zeile_->setzeErneut([this] { erneut(); });
    auto* spalte = new QVBoxLayout(this);
    spalte->setContentsMargins(0, 0, 0, 0);
    spalte->addWidget(zeile_);
    connect(zeile_, &Referenzzeile::fokusFrei, this, &EigeneReferenzzeile::fokusFrei);
    connect(zeile_, &Referenzzeile::eingabeGeaendert, this, [this](const Kurseingabe& eingabe) {
        eingabe_ = eingabe;
        emit eingabeGeaendert(eingabe_);
    });
}

void EigeneReferenzzeile::setzeCode(Waehrungscode code) {
    if (code == code_) {
        return;
    }
    code_ = code;
    zeile_->setzeCode(std::move(code));
    hole();
}

void EigeneReferenzzeile::setzeReferenztag(std::optional<Zeitpunkt> tag) {
    if (tag == referenztag_) {
        return;
    }
    referenztag_ = tag;
    zeile_->setzeReferenztag(tag);
    hole();
}

void EigeneReferenzzeile::setzeEingabe(const Kurseingabe& eingabe) {
    eingabe_ = eingabe;
    zeile_->setzeEingabe(eingabe);
}

void EigeneReferenzzeile::showEvent(QShowEvent* ereignis) {
    QWidget::showEvent(ereignis);
    hole();
}

void EigeneReferenzzeile::hideEvent(QHideEvent* ereignis) {
    QWidget::hideEvent(ereignis);
    // A minimised window still shows the row to its user; a closed sheet or a hidden row does not.
    if (!ereignis->spontaneous() && aufgabe_.laeuft()) {
        aufgabe_.stoppe(); // forgets the key: shown again, the row fetches anew
    }
}

void EigeneReferenzzeile::hole() {
    if (!isVisible()) {
        return;
    }
    const Schluessel schluessel = this->schluessel();
    auto arbeit = [dienst = dienst_, schluessel](std::stop_token stop) {
        return Referenzabruf::hole(dienst, schluessel, std::move(stop));
    };
    auto anwenden = [this](std::optional<Kurspruefung::Teil<Umrechnung>> stand) {
        if (!stand) {
            return; // stopped: nothing changes
        }
        zeile_->setzeStand(*stand);
        if (const Umrechnung* umrechnung = stand->wert(); umrechnung && Referenzabruf::vorbelegen(eingabe_, umrechnung->kurs)) {
            zeile_->setzeEingabe(eingabe_);
            emit eingabeGeaendert(eingabe_);
        }
    };
    auto fehlschlag = [](std::string meldung) {
        return Kurspruefung::Teil<Umrechnung>::fehlt(std::move(meldung));
    };
    if (aufgabe_.setzeSchluessel(schluessel, std::move(arbeit), std::move(anwenden), std::move(fehlschlag))) {
        zeile_->setzeStand(std::nullopt);
    }
}

void EigeneReferenzzeile::erneut() {
    ++versuch_;
    hole();
}

} // namespace qb
