#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>

#include <QString>

#include "reference-dates/Stichtagsentwurf.h"
#include "sources/Kursdienst.h"

class QMessageBox;
class QObject;
class QWidget;

namespace qb {

class Hintergrundaufgabe;
class Rueckfrage;

// The one way a price form changes its draft, shared by the capture sheet and the correction.
// Every change, typed or fetched, goes through aendere(): the draft is changed, the comparison
// fetch follows a changed request set or a retry (one job per open request on the worker
// pool, each answer stored as it arrives, only what has neither an answer nor a running job),
// and the form shows the result once.
class Entwurfsbindung {
public:
    using Aenderung = std::function<void(Stichtagsentwurf&)>;
    // `entwurf` gives the form's draft, `zeige` shows it.
    Entwurfsbindung(QObject* kontext, Kursdienst dienst, std::function<Stichtagsentwurf&()> entwurf,
                    std::function<void()> zeige);
    ~Entwurfsbindung();
    Entwurfsbindung(const Entwurfsbindung&) = delete;
    Entwurfsbindung& operator=(const Entwurfsbindung&) = delete;

    void aendere(const Aenderung& aenderung);
    // Stops every job for good: nothing changes the draft afterwards, typed or fetched.
    void stoppe();

private:
    void pruefe(Stichtagsentwurf& entwurf);

    QObject* kontext_;
    Kursdienst dienst_;
    std::function<Stichtagsentwurf&()> entwurf_;
    std::function<void()> zeige_;
    std::map<Stichtagsentwurf::Vergleichsauftrag, std::unique_ptr<Hintergrundaufgabe>> abrufe_;
    std::optional<Stichtagsentwurf::Abrufschluessel> schluessel_;
    bool gestoppt_ = false;
    bool zeigt_ = false;
    bool nochmal_ = false;
};

// The question before saving, window-modal over the form, already open. `beantwortet` learns
// whether "Trotzdem speichern" was chosen; "Zurück zur Eingabe" is the Escape button.
QMessageBox* rueckfrageDialog(QWidget* form, const Rueckfrage& frage, const Stichtagsentwurf& entwurf,
                              std::function<void(bool trotzdem)> beantwortet);

} // namespace qb
