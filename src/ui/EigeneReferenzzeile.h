#pragma once

#include <optional>

#include <QWidget>

#include "ui/Ansichtsaufgabe.h"
#include "foundation/Kalender.h"
#include "ui/Referenzabruf.h"
#include "sources/Kursdienst.h"
#include "valuation/Kurseingabe.h"
#include "model/Waehrungscode.h"

namespace qb {

class Referenzzeile;

// The ECB rate row that fetches its rate itself, for fields without a comparison fetch of
// their own (the purchase price). It fetches while it is shown, once per currency, day and
// retry, on the worker pool; a change of key, hiding it (the sheet closes) or destroying it
// stops the fetch, and a stopped fetch changes nothing. A rate that arrives fills the rate
// field when the user has not touched it.
class EigeneReferenzzeile : public QWidget {
    Q_OBJECT
public:
    using Schluessel = Referenzabruf::Schluessel;

    EigeneReferenzzeile(Waehrungscode code, std::optional<Zeitpunkt> referenztag, Kursdienst dienst,
                        QWidget* eltern = nullptr);

    void setzeCode(Waehrungscode code);
    void setzeReferenztag(std::optional<Zeitpunkt> tag);
    void setzeEingabe(const Kurseingabe& eingabe);

    Schluessel schluessel() const { return Schluessel{code_, referenztag_, versuch_}; }
    bool laeuft() const { return aufgabe_.laeuft(); }

signals:
    // A fetched rate filled the rate field, or "Übernehmen" took it over.
    void eingabeGeaendert(const qb::Kurseingabe& eingabe);
    // See Referenzzeile::fokusFrei.
    void fokusFrei();

protected:
    void showEvent(QShowEvent* ereignis) override;
    void hideEvent(QHideEvent* ereignis) override;

private:
    // Starts the fetch of the current key, unless it runs or ran already, or the row is not shown.
    void hole();
    void erneut();

    Waehrungscode code_;
    std::optional<Zeitpunkt> referenztag_;
    Kursdienst dienst_;
    int versuch_ = 0;
    Kurseingabe eingabe_;
    Referenzzeile* zeile_;
    Ansichtsaufgabe<Schluessel> aufgabe_;
};

} // namespace qb
