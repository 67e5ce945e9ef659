#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "foundation/Kalender.h"
#include "model/Assetklasse.h"
#include "model/Kursnotierung.h"
#include "model/Preisangabe.h"

namespace qb {

class Bewertung;
class Modellkontext;
class Portfolio;
class Position;

// How the reference-date forms hand prices to the store, and the store operations of the
// reference dates. No state, nothing fetched or shown; each write ends in one save.
class Bewertungserfassung {
public:
    Bewertungserfassung() = delete;

    // Which reference date is being created; `abruftag` only for a back-dated one.
    struct Stichtagswahl {
        Zeitpunkt datum;
        std::optional<Zeitpunkt> abruftag;

        Zeitpunkt id() const { return datum; }
        bool istNachtrag() const { return abruftag.has_value(); }

        friend bool operator==(const Stichtagswahl&, const Stichtagswahl&) = default;
    };

    // One price to store for one class, with the identifier it was typed or taken over for.
    struct Stichtagskurs {
        // A typed price, or a comparison quote taken over as the source gave it.
        class Wert {
        public:
            static Wert eingetippt(Preisangabe preis) { return Wert(Fall(std::in_place_index<0>, std::move(preis))); }
            static Wert uebernommen(Kursnotierung kurs) { return Wert(Fall(std::in_place_index<1>, std::move(kurs))); }

            const Preisangabe* eingetippt() const { return std::get_if<0>(&fall_); }
            const Kursnotierung* uebernommen() const { return std::get_if<1>(&fall_); }

            friend bool operator==(const Wert&, const Wert&) = default;

        private:
            using Fall = std::variant<Preisangabe, Kursnotierung>;
            explicit Wert(Fall fall) : fall_(std::move(fall)) {}
            Fall fall_;
        };

        std::string kennung;
        Wert wert;

        friend bool operator==(const Stichtagskurs&, const Stichtagskurs&) = default;
    };

    struct Ergebnis {
        std::shared_ptr<Bewertung> bewertung;
        // The classes whose price was not stored, each with its reason.
        std::map<Assetklasse, std::string> verworfen;
    };

    // The outcome of erfassen().
    class Ausgang {
    public:
        static Ausgang angelegt(Ergebnis ergebnis) { return Ausgang(std::in_place_index<0>, std::move(ergebnis)); }
        // Nothing was created; the reasons per class, empty when no price was handed in.
        static Ausgang keinKurs(std::map<Assetklasse, std::string> gruende) {
            return Ausgang(std::in_place_index<1>, std::move(gruende));
        }
        // The save failed and was rolled back; the save function's message.
        static Ausgang fehler(std::string meldung) { return Ausgang(std::in_place_index<2>, std::move(meldung)); }

        const Ergebnis* angelegt() const { return std::get_if<0>(&fall_); }
        const std::map<Assetklasse, std::string>* keinKurs() const { return std::get_if<1>(&fall_); }
        const std::string* fehler() const { return std::get_if<2>(&fall_); }

    private:
        // Built in place: a temporary variant moved in makes GCC see an uninitialised string.
        template <std::size_t Fallnummer, typename Inhalt>
        Ausgang(std::in_place_index_t<Fallnummer> fall, Inhalt inhalt) : fall_(fall, std::move(inhalt)) {}
        std::variant<Ergebnis, std::map<Assetklasse, std::string>, std::string> fall_;
    };

    // The class's position when the price still belongs to it, else the German reason: the
    // position is gone (none, incomplete or deleted), its identifier changed since (exact
    // comparison), or a taken-over quote counts the paper the other way (per unit against
    // percent of a face value other than 100) and would value it wrong by that factor.
    static std::variant<std::shared_ptr<Position>, std::string>
    position(Assetklasse klasse, const Stichtagskurs& kurs, const Portfolio& portfolio);

    // Creates the reference date at `datum` with one note per accepted price and saves it.
    // Never throws; every problem of a single price becomes a reason in `verworfen`.
    static Ausgang erfassen(Portfolio& portfolio, Zeitpunkt datum,
                            const std::map<Assetklasse, Stichtagskurs>& kurse, Modellkontext& kontext);

    // Writes a typed price as the position's note of the reference date (new or existing),
    // dated on the reference date. Does not save.
    static void eingetippterKurs(const Preisangabe& preis, const std::shared_ptr<Position>& position,
                                 const std::shared_ptr<Bewertung>& bewertung, const std::string& quelle);

    // Deletes the reference date with its notes (it leaves its portfolio's list at once) and
    // saves: absent on success, else the save function's message, and the date is back.
    static std::optional<std::string> entfernen(const std::shared_ptr<Bewertung>& bewertung, Modellkontext& kontext);

    // The source label of every typed price.
    static const std::string& bloomberg();
};

} // namespace qb

template <>
struct std::hash<qb::Bewertungserfassung::Stichtagswahl> {
    std::size_t operator()(const qb::Bewertungserfassung::Stichtagswahl& wahl) const noexcept;
};
