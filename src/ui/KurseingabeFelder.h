#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QWidget>

#include "foundation/Kalender.h"
#include "ui/KurseingabeInhalt.h"
#include "ui/Referenzzeilentexte.h"
#include "sources/Kursdienst.h"
#include "valuation/Kurseingabe.h"

class QComboBox;
class QFormLayout;
class QLabel;

namespace qb {

class EigeneReferenzzeile;
class Grenzhinweis;
class Referenzzeile;
class Zahleneingabe;

// The fields in which the user types one price of one position: for the purchase (position
// editor) or for a reference date (capture and correction). They show the trading-currency
// choice, the number fields of the caller's form, the ECB rate row under a foreign rate, the
// conversion preview, the range message and the help text, as rows of a form of their own.
//
// The caller owns the input: it hands it in with setzeEingabe() and takes every change from
// eingabeGeaendert(). Picking another trading currency only changes the input; the caller then
// decides the new form and hands it in with setzeAngaben(). Everything is updated in place, so
// focus and typed text survive answers that arrive while the user types.
class KurseingabeFelder : public QWidget {
    Q_OBJECT
public:
    using Zweck = KurseingabeInhalt::Zweck;
    using Angaben = KurseingabeInhalt::Angaben;

    // The ECB rate as the caller's own comparison fetch has it.
    struct EzbAusVergleich {
        // Absent while it is being fetched.
        Referenzzeilentexte::Stand stand;
        // Fetches it again; empty: no retry is offered.
        std::function<void()> erneut;
    };

    // Without `ezbAusVergleich` the rate row fetches the ECB rate of `referenztag` (absent: the
    // current one) itself from `dienst`, while it is shown. The fields' marks are read from
    // their text at once: eingabe() has them.
    KurseingabeFelder(Angaben angaben, const Kurseingabe& eingabe, std::optional<Zeitpunkt> referenztag,
                      Kursdienst dienst, std::optional<EzbAusVergleich> ezbAusVergleich = std::nullopt,
                      QWidget* eltern = nullptr);

    // A change of the input from outside. The fields keep their text where it already shows the
    // value; marks that do not match the fields' text are corrected and reported.
    void setzeEingabe(const Kurseingabe& eingabe);
    void setzeAngaben(const Angaben& angaben);
    void setzeReferenztag(std::optional<Zeitpunkt> tag);
    void setzeEzbAusVergleich(std::optional<EzbAusVergleich> ezb);

    const Kurseingabe& eingabe() const { return eingabe_; }
    const Angaben& angaben() const { return angaben_; }

    // Puts the cursor into the price, or into the rate where the rate is the price: the field
    // a price is typed or fetched into.
    void fokussiereKurs();
    // Puts the cursor into the conversion rate, or into the price where no rate is shown.
    void fokussiereUmrechnung();

signals:
    // The user typed, picked a currency or took a rate over, or a fetched rate filled the
    // untouched rate field.
    void eingabeGeaendert(const qb::Kurseingabe& eingabe);

private:
    using Feld = Kurseingabe::Feld;

    void baueFelder();
    Zahleneingabe* neuesFeld(Feld feld);
    Zahleneingabe*& feld(Feld feld) { return feld == Feld::kurs ? kurs_ : umrechnung_; }
    void ersetzeFeld(Feld feld);

    // Reads what the user typed into a field.
    void getippt(Feld feld);
    void waehrungGewaehlt(int index);
    // Takes the rate and pre-fill that the rate row wrote.
    void vonZeile(const Kurseingabe& eingabe);
    // Shows the input and reports it, when it differs from `vorher`.
    void melde(const Kurseingabe& vorher);

    // Writes the input into the fields and reads back the marks of their text.
    void schreibeInFelder();
    void liesFeld(Feld feld);
    void zeigeAufbau();
    void zeigeWaehrungswahl();
    void zeigeEzbZeile();
    void entferneEzbZeile();
    void zeigeTexte();

    Angaben angaben_;
    Kurseingabe eingabe_;
    std::optional<Zeitpunkt> referenztag_;
    Kursdienst dienst_;
    std::optional<EzbAusVergleich> ezbAusVergleich_;
    // The trading currency's choice, and the trading currency it was made for.
    std::vector<KurseingabeInhalt::Option> optionen_;
    std::optional<std::string> optionenFuer_;

    QFormLayout* formular_;
    QComboBox* waehrung_ = nullptr;
    QLabel* kursTitel_ = nullptr;
    QWidget* kursPlatz_ = nullptr;
    Zahleneingabe* kurs_ = nullptr;
    QLabel* umrechnungTitel_ = nullptr;
    QWidget* umrechnungPlatz_ = nullptr;
    Zahleneingabe* umrechnung_ = nullptr;
    QWidget* ezbPlatz_ = nullptr;
    Referenzzeile* ezbVergleich_ = nullptr;
    EigeneReferenzzeile* ezbEigen_ = nullptr;
    QLabel* vorschau_ = nullptr;
    Grenzhinweis* grenzhinweis_ = nullptr;
    QLabel* hilfe_ = nullptr;
};

} // namespace qb
