#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/Datensatz.h"
#include "foundation/Kalender.h"
#include "model/Kursnotierung.h"
#include "model/Preisangabe.h"

namespace qb {

class Portfolio;
class Position;
class Preisnotiz;

// One reference date (Stichtag) with one price note per position.
class Bewertung : public Datensatz {
public:
    struct Felder {
        Zeitpunkt datum;
        std::string notiz;
        friend bool operator==(const Felder&, const Felder&) = default;
    };

    Bewertung(Zeitpunkt datum, std::string notiz);
    explicit Bewertung(Felder felder);

    const Felder& felder() const { return aktuell_.felder; }
    Zeitpunkt datum() const { return aktuell_.felder.datum; }
    const std::string& notiz() const { return aktuell_.felder.notiz; }
    void setzeDatum(Zeitpunkt wert);
    void setzeNotiz(std::string wert);

    std::shared_ptr<Portfolio> portfolio() const { return aktuell_.portfolio.lock(); }
    void setzePortfolio(const std::shared_ptr<Portfolio>& portfolio);
    const std::vector<std::shared_ptr<Preisnotiz>>& notizen() const { return aktuell_.notizen; }

    // The note of this very position record (by identity, not by identifier text).
    std::shared_ptr<Preisnotiz> notiz(const Position& position) const;
    // Links a new note to the position and to this date; false when the position has one here.
    bool haengeAn(const std::shared_ptr<Preisnotiz>& notiz, const std::shared_ptr<Position>& position);
    // Writes a typed price into the position's existing note.
    void aktualisiere(const Position& position, const Preisangabe& preis, const std::string& quelle);
    // Creates or rewrites the position's note from a fetched quote.
    void setzeNotiz(const Kursnotierung& notierung, const std::shared_ptr<Position>& position);

private:
    friend class Modellkontext;
    friend class Portfolio;
    friend class Preisnotiz;
    friend class Position;

    struct Zustand {
        Felder felder;
        std::weak_ptr<Portfolio> portfolio;
        std::vector<std::shared_ptr<Preisnotiz>> notizen;
    };

    std::vector<std::shared_ptr<Datensatz>> verbundene() const override;
    std::vector<std::shared_ptr<Datensatz>> eigene() const override;
    std::vector<std::vector<std::shared_ptr<Datensatz>>> listen() const override;
    void ordneListen() override;
    void loeseVonBesitzern() override;
    void merkeGespeichert() override { gespeichert_ = aktuell_; }
    void stelleGespeichertesWiederHer() override;
    bool istGespeichert() const override { return gespeichert_.has_value(); }
    void schreibeZeile(Aenderungssatz& satz) const override;
    void schreibeLoeschung(Aenderungssatz& satz) const override;

    Zustand aktuell_;
    std::optional<Zustand> gespeichert_;
};

} // namespace qb
