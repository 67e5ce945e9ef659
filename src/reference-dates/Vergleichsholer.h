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

// The comparison fetch of a form's draft, shared by the capture sheet and the correction: one
// job per open request on the worker pool, each answer stored in the draft as it arrives.
// The form calls pruefe() after every change of its draft; only a changed request set or a
// retry starts anything, and then only what has neither an answer nor a running job.
class Vergleichsholer {
public:
    // `aendere` is the form's one way to change its draft and show the change.
    using Aenderung = std::function<void(Stichtagsentwurf&)>;
    Vergleichsholer(QObject* kontext, Kursdienst dienst, std::function<void(const Aenderung&)> aendere);
    ~Vergleichsholer();
    Vergleichsholer(const Vergleichsholer&) = delete;
    Vergleichsholer& operator=(const Vergleichsholer&) = delete;

    void pruefe(Stichtagsentwurf& entwurf);
    // Stops every job for good: nothing fetched afterwards reaches the draft.
    void stoppe();

private:
    QObject* kontext_;
    Kursdienst dienst_;
    std::function<void(const Aenderung&)> aendere_;
    std::map<Stichtagsentwurf::Vergleichsauftrag, std::unique_ptr<Hintergrundaufgabe>> abrufe_;
    std::optional<Stichtagsentwurf::Abrufschluessel> schluessel_;
    bool gestoppt_ = false;
};

// The question before saving, window-modal over the form, already open. `beantwortet` learns
// whether "Trotzdem speichern" was chosen; "Zurück zur Eingabe" is the Escape button.
QMessageBox* rueckfrageDialog(QWidget* form, const Rueckfrage& frage, const Stichtagsentwurf& entwurf,
                              std::function<void(bool trotzdem)> beantwortet);

} // namespace qb
