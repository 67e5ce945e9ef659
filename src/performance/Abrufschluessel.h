#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "foundation/Dezimal.h"
#include "foundation/Kalender.h"
#include "model/Assetklasse.h"
#include "model/Notierungsart.h"
#include "performance/Sicht.h"
#include "performance/Zeitraum.h"
#include "model/Preisangabe.h"

namespace qb {

class Bewertung;
class Portfolio;
class Position;

// Everything the daily history of the performance tab depends on. The tab's load runs keyed by
// it: a different key stops the running load and starts a new one, and a retry is a raised
// `versuch`. The sets compare as sets: their order does not matter, duplicates count once.
class Abrufschluessel {
public:
    // One complete position.
    struct Posten {
        Assetklasse klasse = Assetklasse::aktie;
        // As stored, untrimmed.
        std::string kennung;
        std::int64_t stueckzahl = 0;
        Preisangabe kaufangabe = Preisangabe::euro(Dezimal());
        Notierungsart notierung = Notierungsart::stueckpreis;
        Dezimal nennwert;

        explicit Posten(const Position& position);
        friend bool operator==(const Posten&, const Posten&) = default;
    };

    // One reference date, complete or not.
    struct Stichtag {
        // As stored, not reduced to its day.
        Zeitpunkt datum;
        // Per class the price of its note; a later note of a class replaces an earlier one.
        std::map<Assetklasse, Preisangabe> preise;

        explicit Stichtag(const Bewertung& bewertung);
        friend bool operator==(const Stichtag&, const Stichtag&) = default;
    };

    // `heute`: the start of the current day in the current calendar.
    Abrufschluessel(const Portfolio& portfolio, Sicht sicht, Zeitraum zeitraum, Zeitpunkt heute, std::int64_t versuch);

    Sicht sicht() const { return sicht_; }
    Zeitraum zeitraum() const { return zeitraum_; }
    Zeitpunkt heute() const { return heute_; }
    Zeitpunkt einstieg() const { return einstieg_; }
    const Dezimal& startkapital() const { return startkapital_; }
    const std::vector<Posten>& posten() const { return posten_; }
    const std::vector<Stichtag>& stichtage() const { return stichtage_; }
    std::int64_t versuch() const { return versuch_; }

    friend bool operator==(const Abrufschluessel& a, const Abrufschluessel& b);

private:
    Sicht sicht_;
    Zeitraum zeitraum_;
    Zeitpunkt heute_;
    Zeitpunkt einstieg_;
    Dezimal startkapital_;
    std::vector<Posten> posten_;
    std::vector<Stichtag> stichtage_;
    std::int64_t versuch_;
};

} // namespace qb
