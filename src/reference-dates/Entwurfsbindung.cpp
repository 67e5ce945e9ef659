#include "reference-dates/Entwurfsbindung.h"

#include <QMessageBox>
#include <QPushButton>

#include "ui/Ansichtsaufgabe.h"
#include "ui/Dialoge.h"
#include "ui/Textbruecke.h"
#include "reference-dates/Rueckfrage.h"
#include "reference-dates/Vergleichsabruf.h"

namespace qb {

Entwurfsbindung::Entwurfsbindung(QObject* kontext, Kursdienst dienst, std::function<Stichtagsentwurf&()> entwurf,
                                 std::function<void()> zeige)
    : kontext_(kontext), dienst_(std::move(dienst)), entwurf_(std::move(entwurf)), zeige_(std::move(zeige)) {}

Entwurfsbindung::~Entwurfsbindung() {
    stoppe();
}

void Entwurfsbindung::aendere(const Aenderung& aenderung) {
    if (gestoppt_) {
        return;
    }
    aenderung(entwurf_());
    pruefe(entwurf_());
    // Showing the draft can make a row report a change of its own (a rate filled in); that
    // change is shown once the current pass is through.
    if (zeigt_) {
        nochmal_ = true;
        return;
    }
    do {
        nochmal_ = false;
        zeigt_ = true;
        zeige_();
        zeigt_ = false;
    } while (nochmal_);
}

void Entwurfsbindung::pruefe(Stichtagsentwurf& entwurf) {
    const Stichtagsentwurf::Abrufschluessel schluessel = entwurf.abrufschluessel();
    if (schluessel_ && *schluessel_ == schluessel) {
        return;
    }
    schluessel_ = schluessel;
    // Rates of answers already stored fill untouched rate fields before anything is fetched.
    entwurf.ezbUmrechnungVorbelegen();
    std::erase_if(abrufe_, [&](const auto& eintrag) { return !schluessel.auftraege.contains(eintrag.first); });
    for (const auto& auftrag : entwurf.offeneAuftraege()) {
        // A job still running for a request keeps running; a finished one (its answer since
        // removed for a retry) is replaced.
        if (const auto laufend = abrufe_.find(auftrag); laufend != abrufe_.end() && laufend->second->laeuft()) {
            continue;
        }
        auto aufgabe = std::make_unique<Hintergrundaufgabe>(kontext_);
        aufgabe->starte(
            [auftrag, tag = entwurf.abruftag(), dienst = dienst_](std::stop_token stop) {
                return Vergleichsabruf::hole(auftrag, tag, dienst, stop);
            },
            [this](std::optional<Vergleichsabruf::Antwort> antwort) {
                // The finished job stays in the list: it must not be destroyed while its own
                // answer is being applied.
                if (!antwort || gestoppt_) {
                    return;
                }
                aendere([&antwort](Stichtagsentwurf& e) {
                    // Storing the answer also fills an untouched rate field from it.
                    e.speichereVergleich(antwort->auftrag, std::move(antwort->referenz));
                });
            },
            [auftrag](const std::string& meldung) { return Vergleichsabruf::gescheitert(auftrag, meldung); });
        abrufe_.insert_or_assign(auftrag, std::move(aufgabe));
    }
}

void Entwurfsbindung::stoppe() {
    gestoppt_ = true;
    for (auto& [auftrag, aufgabe] : abrufe_) {
        aufgabe->stoppe();
    }
    abrufe_.clear();
}

QMessageBox* rueckfrageDialog(QWidget* form, const Rueckfrage& frage, const Stichtagsentwurf& entwurf,
                              std::function<void(bool trotzdem)> beantwortet) {
    QMessageBox* box =
        neueMeldung(form, qtText(frage.titel()), qtText(frage.meldung(entwurf)), QStringLiteral("rueckfrage"));
    QPushButton* trotzdem = box->addButton(QObject::tr("Trotzdem speichern"), QMessageBox::AcceptRole);
    trotzdem->setObjectName(QStringLiteral("trotzdemSpeichern"));
    QPushButton* zurueck = box->addButton(QObject::tr("Zurück zur Eingabe"), QMessageBox::RejectRole);
    zurueck->setObjectName(QStringLiteral("zurueckZurEingabe"));
    // Saving a price that deviates takes a deliberate click: Return goes back, as Escape does.
    box->setDefaultButton(zurueck);
    box->setEscapeButton(zurueck);
    QObject::connect(box, &QDialog::finished, form, [box, trotzdem, beantwortet = std::move(beantwortet)] {
        beantwortet(box->clickedButton() == trotzdem);
    });
    box->open();
    return box;
}

} // namespace qb
