#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/Assetklasse.h"
#include "model/Datensatz.h"
#include "foundation/Kalender.h"
#include "foundation/Dezimal.h"

namespace qb {

class Position;
class Bewertung;

// The root record of a game: the group's settings, its positions and its reference dates.
class Portfolio : public Datensatz {
public:
    struct Felder {
        std::string gruppenname;
        Dezimal startkapital;
        Zeitpunkt kaufdatum;
        friend bool operator==(const Felder&, const Felder&) = default;
    };

    Portfolio(std::string gruppenname, Dezimal startkapital, Zeitpunkt kaufdatum);
    explicit Portfolio(Felder felder);

    const Felder& felder() const { return aktuell_.felder; }
    const std::string& gruppenname() const { return aktuell_.felder.gruppenname; }
    const Dezimal& startkapital() const { return aktuell_.felder.startkapital; }
    Zeitpunkt kaufdatum() const { return aktuell_.felder.kaufdatum; }
    void setzeGruppenname(std::string wert);
    void setzeStartkapital(Dezimal wert);
    void setzeKaufdatum(Zeitpunkt wert);

    // In a context in id order, the order in which the store returns them (a record new to the
    // context gets the next id and so comes last); outside one in the order they were added.
    const std::vector<std::shared_ptr<Position>>& positionen() const { return aktuell_.positionen; }
    const std::vector<std::shared_ptr<Bewertung>>& bewertungen() const { return aktuell_.bewertungen; }
    // Links a position or reference date to this portfolio (and into its context).
    void fuegeHinzu(const std::shared_ptr<Position>& position);
    void fuegeHinzu(const std::shared_ptr<Bewertung>& bewertung);

    // The first position of the class in list order.
    std::shared_ptr<Position> position(Assetklasse klasse) const;
    // The classes without a position, in class order.
    std::vector<Assetklasse> offeneAssetklassen() const;
    // Ascending by date, equal dates by record id.
    std::vector<std::shared_ptr<Bewertung>> sortierteBewertungen() const;
    // The start of the day (current calendar) of the earliest reference date.
    std::optional<Zeitpunkt> ersterStichtag() const;
    // Whether an entry date lies on or before the day of the first reference date.
    bool einstiegMoeglich(Zeitpunkt datum) const;

private:
    friend class Modellkontext;
    friend class Position;
    friend class Bewertung;

    struct Zustand {
        Felder felder;
        std::vector<std::shared_ptr<Position>> positionen;
        std::vector<std::shared_ptr<Bewertung>> bewertungen;
    };

    std::vector<std::shared_ptr<Datensatz>> verbundene() const override;
    std::vector<std::shared_ptr<Datensatz>> eigene() const override;
    std::vector<std::vector<std::shared_ptr<Datensatz>>> listen() const override;
    void ordneListen() override;
    void loeseVonBesitzern() override {}
    void merkeGespeichert() override { gespeichert_ = aktuell_; }
    void stelleGespeichertesWiederHer() override;
    bool istGespeichert() const override { return gespeichert_.has_value(); }
    void schreibeZeile(Aenderungssatz& satz) const override;
    void schreibeLoeschung(Aenderungssatz& satz) const override;

    Zustand aktuell_;
    std::optional<Zustand> gespeichert_;
};

// The smallest value, the first of several equal ones; none for an empty list.
std::optional<double> minimum(const std::vector<double>& werte);

} // namespace qb
