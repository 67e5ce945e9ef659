#pragma once

#include <functional>
#include <optional>
#include <string>

#include <QObject>

#include "ui/Ansichtsaufgabe.h"
#include "foundation/Kalender.h"
#include "model/Assetklasse.h"
#include "model/Kursnotierung.h"
#include "sources/Kursabruf.h"

namespace qb {

// The fetch runner for a view: the start and the outcome on the GUI thread, the fetch itself on
// the worker pool. Destroying the adapter stops a running fetch; its result is then dropped.
class Kursabrufadapter : public QObject {
    Q_OBJECT
public:
    explicit Kursabrufadapter(Kursdienst dienst, QObject* eltern = nullptr);
    ~Kursabrufadapter() override;

    const Kursabruf::Stand& stand() const { return abruf_.stand(); }
    // From `fehlgeschlagen` back to `ruht` (a view dismissing the failure line).
    void setzeRuhend();

    // Starts a fetch unless one is running (then false and nothing happens). `giltNoch` is asked
    // on the GUI thread when the answer is there; `fertig` receives the quote in EUR, or none
    // when the fetch failed (see stand()), was stopped or is no longer wanted.
    bool hole(Assetklasse klasse, std::string kennung, std::optional<Zeitpunkt> stichtag,
              std::function<bool()> giltNoch, std::function<void(std::optional<Kursnotierung>)> fertig);

signals:
    void standGeaendert();

private:
    Kursabruf abruf_;
    Hintergrundaufgabe aufgabe_;
};

} // namespace qb
