#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "model/Assetklasse.h"
#include "model/Kursnotierung.h"
#include "sources/Kursdienst.h"

namespace qb {

// Runs one quote fetch for a view and publishes its progress as an observable state.
//
// A fetch has three steps so that the holder keeps its own thread free:
//   1. starte() on the holder's thread: no job while a fetch runs, else the state becomes
//      `laeuft` and the job is returned;
//   2. Auftrag::fuehreAus() on a worker thread: identifier check, quote from the source of the
//      class, conversion into EUR; it returns a source's verdict and a stop as a value and throws
//      any other error on, for the holder's background task to log and to report in German;
//   3. wendeAn() back on the holder's thread: asks `giltNoch` and sets the final state.
// stand(), the observers and steps 1 and 3 belong to the holder's thread; only the job may
// run elsewhere. Every job that starte() hands out must come back through wendeAn(), also
// when it was stopped or is stale (then with `giltNoch` false): until then the runner stays
// `laeuft` and refuses new fetches.
class Kursabruf {
public:
    class Stand {
    public:
        static Stand fehlgeschlagen(std::string meldung) { return Stand(Fehlgeschlagen{std::move(meldung)}); }
        static Stand ruht() { return Stand(Ruht{}); }
        static Stand laeuft() { return Stand(Laeuft{}); }

        bool istRuhend() const { return std::holds_alternative<Ruht>(fall_); }
        bool istLaufend() const { return std::holds_alternative<Laeuft>(fall_); }
        // The message of a failed fetch; null in the other states.
        const std::string* fehlermeldung() const {
            const auto* f = std::get_if<Fehlgeschlagen>(&fall_);
            return f ? &f->meldung : nullptr;
        }

        friend bool operator==(const Stand&, const Stand&) = default;

    private:
        struct Fehlgeschlagen {
            std::string meldung;
            friend bool operator==(const Fehlgeschlagen&, const Fehlgeschlagen&) = default;
        };
        struct Ruht {
            friend bool operator==(const Ruht&, const Ruht&) = default;
        };
        struct Laeuft {
            friend bool operator==(const Laeuft&, const Laeuft&) = default;
        };
        explicit Stand(std::variant<Fehlgeschlagen, Ruht, Laeuft> fall) : fall_(std::move(fall)) {}
        std::variant<Fehlgeschlagen, Ruht, Laeuft> fall_;
    };

    // The outcome of a job before it is applied.
    class Abrufergebnis {
    public:
        static Abrufergebnis erfolg(Kursnotierung notierung) { return Abrufergebnis(std::move(notierung)); }
        static Abrufergebnis fehler(std::string meldung) { return Abrufergebnis(Fehler{std::move(meldung)}); }
        static Abrufergebnis abgebrochen() { return Abrufergebnis(Abbruch{}); }

        const Kursnotierung* notierung() const { return std::get_if<Kursnotierung>(&fall_); }
        const std::string* fehlermeldung() const {
            const auto* f = std::get_if<Fehler>(&fall_);
            return f ? &f->meldung : nullptr;
        }
        bool istAbgebrochen() const { return std::holds_alternative<Abbruch>(fall_); }

    private:
        struct Fehler {
            std::string meldung;
        };
        struct Abbruch {};
        template <typename Fall>
        explicit Abrufergebnis(Fall fall) : fall_(std::move(fall)) {}
        std::variant<Kursnotierung, Fehler, Abbruch> fall_;
    };

    // The part of one fetch that runs on a worker. Holds its own copy of the bundle, so it
    // stays valid when the Kursabruf is gone.
    class Auftrag {
    public:
        Abrufergebnis fuehreAus(std::stop_token stop) const;

        Assetklasse klasse() const { return klasse_; }
        const std::string& kennung() const { return kennung_; }
        const std::optional<Zeitpunkt>& stichtag() const { return stichtag_; }

    private:
        friend class Kursabruf;
        Auftrag(Kursdienst dienst, Assetklasse klasse, std::string kennung, std::optional<Zeitpunkt> stichtag)
            : dienst_(std::move(dienst)), klasse_(klasse), kennung_(std::move(kennung)), stichtag_(stichtag) {}

        Kursdienst dienst_;
        Assetklasse klasse_;
        std::string kennung_;
        std::optional<Zeitpunkt> stichtag_;
    };

    using Beobachter = std::function<void(const Stand&)>;

    explicit Kursabruf(Kursdienst dienst) : dienst_(std::move(dienst)) {}
    Kursabruf(const Kursabruf&) = delete;
    Kursabruf& operator=(const Kursabruf&) = delete;

    const Stand& stand() const { return stand_; }
    const Kursdienst& dienst() const { return dienst_; }

    // Called after every real change of the state, never for an equal value. Returns a number
    // for beendeBeobachtung().
    std::size_t beobachte(Beobachter beobachter);
    void beendeBeobachtung(std::size_t nummer);

    // A failed fetch back to rest (a view dismissing the failure line); nothing in another state.
    void setzeRuhend();

    // Step 1. `stichtag` absent asks for the current quote, present for the quote of that day.
    std::optional<Auftrag> starte(Assetklasse klasse, std::string kennung, std::optional<Zeitpunkt> stichtag);
    // Step 3. A result that no longer applies (`giltNoch` false) is dropped silently. Returns
    // the quote in EUR on success.
    std::optional<Kursnotierung> wendeAn(Abrufergebnis ergebnis, const std::function<bool()>& giltNoch);

private:
    void setzeStand(Stand neu);

    Stand stand_ = Stand::ruht();
    Kursdienst dienst_;
    std::vector<std::pair<std::size_t, Beobachter>> beobachter_;
    std::size_t naechsteNummer_ = 1;
};

} // namespace qb
