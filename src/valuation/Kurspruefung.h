#pragma once

#include <exception>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "model/Assetklasse.h"
#include "foundation/Kalender.h"
#include "model/Kursart.h"
#include "model/Kursnotierung.h"
#include "foundation/Dezimal.h"
#include "foundation/Formatierer.h"
#include "model/Preisangabe.h"

namespace qb {

// The check of a typed price against a comparison price (and of a typed rate against the ECB
// rate) with the 10 % rule. Pure and synchronous; nothing is ever made of the type itself.
class Kurspruefung {
public:
    Kurspruefung() = delete;

    // A deviation counts only above this share (0.10); exactly 10 % passes.
    static const Dezimal& schwelle();

    // One side of a comparison: there, missing with the reason why, or not applicable.
    template <typename Wert> class Teil {
    public:
        static Teil vorhanden(Wert wert) { return Teil(Fall(std::in_place_index<0>, std::move(wert))); }
        static Teil fehlt(std::string grund) {
            return Teil(Fall(std::in_place_index<1>, Fehlt{std::move(grund)}));
        }
        static Teil entfaellt() { return Teil(Fall(std::in_place_index<2>, Entfaellt{})); }

        // The comparison value when it is there.
        const Wert* wert() const { return std::get_if<0>(&fall_); }
        // The reason when the comparison is missing.
        const std::string* grund() const {
            const Fehlt* f = std::get_if<1>(&fall_);
            return f ? &f->grund : nullptr;
        }
        bool istEntfallen() const { return fall_.index() == 2; }

        // Same case and equal payload: quotes in all nine fields, rates in original, code and
        // rate, reasons as text.
        friend bool operator==(const Teil&, const Teil&) = default;

    private:
        struct Fehlt {
            std::string grund;
            friend bool operator==(const Fehlt&, const Fehlt&) = default;
        };
        struct Entfaellt {
            friend bool operator==(const Entfaellt&, const Entfaellt&) = default;
        };
        using Fall = std::variant<Wert, Fehlt, Entfaellt>;

        explicit Teil(Fall fall) : fall_(std::move(fall)) {}
        Fall fall_;
    };

    // The comparison for one typed price.
    struct Referenz {
        // The comparison quote, already in EUR; a foreign one keeps its conversion.
        Teil<Kursnotierung> kurs;
        // The ECB rate for the typed trading currency.
        Teil<Umrechnung> wechselkurs;

        friend bool operator==(const Referenz&, const Referenz&) = default;
    };

    // One deviation between a typed price and its comparison.
    struct Abweichung {
        enum class Gegenstand { kurs, wechselkurs, notierungsart };

        Gegenstand gegenstand;
        Preisangabe eingetragen;
        Preisangabe referenz;
        std::optional<Notierungsart> referenzNotierung;
        // Larger ÷ smaller − 1 (0.12 is 12 %); absent for a different quotation.
        std::optional<Dezimal> anteil;
        Dezimal nennwert{100};

        // Whether it counts for the question before saving: a different quotation always,
        // a price or rate only above the threshold.
        bool istStark() const;
        // The German sentence. `stichtag`: the day of the comparison, absent for a current one.
        std::string meldung(Assetklasse klasse, Notierungsart notierung,
                            const std::optional<Zeitpunkt>& stichtag,
                            const Formatierer& format = Formatierer()) const;

        friend bool operator==(const Abweichung&, const Abweichung&) = default;
    };

    // The verdict for a save flow.
    class Befund {
    public:
        // At least one strong deviation.
        static Befund abweichend(std::vector<Abweichung> abweichungen) {
            return Befund(Fall(std::in_place_index<0>, std::move(abweichungen)));
        }
        // A needed comparison is missing; the text says why.
        static Befund ungeprueft(std::string grund) {
            return Befund(Fall(std::in_place_index<1>, std::move(grund)));
        }
        // Compared, nothing strong.
        static Befund unauffaellig() { return Befund(Fall(std::in_place_index<2>)); }
        // Nothing to compare with.
        static Befund ohneVergleich() { return Befund(Fall(std::in_place_index<3>)); }

        const std::vector<Abweichung>* abweichungen() const { return std::get_if<0>(&fall_); }
        const std::string* grund() const { return std::get_if<1>(&fall_); }
        bool istUnauffaellig() const { return fall_.index() == 2; }
        bool istOhneVergleich() const { return fall_.index() == 3; }

        friend bool operator==(const Befund&, const Befund&) = default;

    private:
        using Fall = std::variant<std::vector<Abweichung>, std::string, std::monostate, std::monostate>;
        explicit Befund(Fall fall) : fall_(std::move(fall)) {}
        Fall fall_;
    };

    // The relative deviation of two statements: in the common foreign currency when both are in
    // the same one (never for a currency position), else in EUR; absent when an amount is not
    // above 0.
    static std::optional<Dezimal> anteil(const Preisangabe& a, const Preisangabe& b, Assetklasse klasse);

    // Every deviation found, however small: price (or quotation) first, then rate.
    static std::vector<Abweichung> pruefe(const Preisangabe& eingetragen, const Referenz& referenz,
                                          Assetklasse klasse, Notierungsart notierung,
                                          const Dezimal& nennwert);

    // Strong deviations win over a missing comparison, a missing quote over a missing rate.
    static Befund befund(const Preisangabe& eingetragen, const Referenz& referenz, Assetklasse klasse,
                         Notierungsart notierung, const Dezimal& nennwert);

    // The German text of a caught error: a Kursfehler's message, else a general sentence. A stop
    // (Abgebrochen) is thrown on unchanged and never becomes text.
    static std::string meldung(std::exception_ptr fehler);
};

} // namespace qb
