#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QString>

#include "foundation/Formatierer.h"
#include "model/Assetklasse.h"
#include "model/Notierungsart.h"
#include "model/Eingabeform.h"
#include "valuation/Kurseingabe.h"
#include "model/Waehrungscode.h"

namespace qb {

// What the price-entry fields show for one price, without the widgets: which fields with which
// labels and units, the choice of trading currency, whether an ECB rate row belongs under the
// rate, the conversion preview, the range message and the help text. Everything follows from
// the caller's settings and the current input; nothing is kept in between.
class KurseingabeInhalt {
public:
    // What the price is for.
    enum class Zweck {
        kauf,     // the purchase price of a position on the entry date
        stichtag, // the price on a reference date
    };

    // The caller's settings. The form is the caller's decision, never derived here.
    struct Angaben {
        Zweck zweck = Zweck::kauf;
        Assetklasse klasse = Assetklasse::aktie;
        Eingabeform form = Eingabeform::euro();
        Notierungsart notierung = Notierungsart::stueckpreis;
        // The position's unit, for the conversion preview only.
        std::optional<std::string> einheit;
        // The position's identifier is one its price source accepts; for the purchase help only.
        bool mitAbruf = false;

        friend bool operator==(const Angaben&, const Angaben&) = default;
    };

    // One entry of the trading-currency choice: what it shows and the code text it stands for.
    struct Option {
        QString text;
        QString code;
        friend bool operator==(const Option&, const Option&) = default;
    };

    // A number field: the label of its form row and the unit after the number.
    struct Zahlfeld {
        QString titel;
        QString einheit;
        friend bool operator==(const Zahlfeld&, const Zahlfeld&) = default;
    };

    explicit KurseingabeInhalt(Angaben angaben) : angaben_(std::move(angaben)) {}

    const Angaben& angaben() const { return angaben_; }

    // A currency position has no trading currency to pick: its price is the rate itself.
    bool mitWaehrungswahl() const { return angaben_.klasse != Assetklasse::waehrung; }
    // The selectable codes, then the current trading currency when it is a valid code that is
    // not among them.
    static std::vector<Option> waehrungsoptionen(std::string_view handelswaehrung);
    // The option that shows the current trading currency, read as a code; none when it reads
    // as none.
    static std::optional<std::size_t> gewaehlteOption(const std::vector<Option>& optionen,
                                                      std::string_view handelswaehrung);

    // The field bound to `kurs`, in the euro and the foreign-currency form.
    std::optional<Zahlfeld> kursfeld() const;
    // The field bound to `umrechnung`, in the rate form and the foreign-currency form.
    std::optional<Zahlfeld> umrechnungsfeld() const;
    // The currency of the ECB rate row under the rate field; none when no row belongs there.
    std::optional<Waehrungscode> ezbWaehrung() const;
    // The name assistive technology gives a control of the fields: its label, and for a reference
    // date the position's class after it (the suffix), as a sheet holds such a control for every
    // position.
    QString zugangsname(const QString& beschriftung) const;
    std::optional<QString> namenszusatz() const;

    // "Umgerechnet: … € je …" while the typed values give a valid converted price.
    std::optional<QString> vorschau(const Kurseingabe& eingabe, const Formatierer& format = Formatierer()) const;
    // The range message of the typed values.
    std::optional<QString> grenzhinweis(const Kurseingabe& eingabe) const;
    std::optional<QString> hilfetext() const;

private:
    Angaben angaben_;
};

} // namespace qb
