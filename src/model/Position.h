#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/Assetklasse.h"
#include "model/Datensatz.h"
#include "model/Kursart.h"
#include "foundation/Dezimal.h"
#include "model/Preisangabe.h"

namespace qb {

class Portfolio;
class Preisnotiz;

// One holding of the game, at most one per asset class.
class Position : public Datensatz {
public:
    struct Felder {
        Assetklasse assetklasse = Assetklasse::aktie;
        std::string name;
        std::string kennung;
        std::string quelle;
        std::string waehrung = "EUR";
        std::int64_t stueckzahl = 0;
        Dezimal kaufpreis;
        Notierungsart notierung = Notierungsart::stueckpreis;
        Dezimal nennwert{100};
        std::optional<Dezimal> kaufkursOriginal;
        std::optional<Dezimal> kaufumrechnung;
        std::optional<std::string> einheit;
        friend bool operator==(const Felder&, const Felder&) = default;
    };

    // A new, empty position of the class; bonds are quoted in percent of face value.
    explicit Position(Assetklasse assetklasse);
    explicit Position(Felder felder);

    const Felder& felder() const { return aktuell_.felder; }
    Assetklasse assetklasse() const { return aktuell_.felder.assetklasse; }
    const std::string& name() const { return aktuell_.felder.name; }
    const std::string& kennung() const { return aktuell_.felder.kennung; }
    const std::string& quelle() const { return aktuell_.felder.quelle; }
    const std::string& waehrung() const { return aktuell_.felder.waehrung; }
    std::int64_t stueckzahl() const { return aktuell_.felder.stueckzahl; }
    const Dezimal& kaufpreis() const { return aktuell_.felder.kaufpreis; }
    Notierungsart notierung() const { return aktuell_.felder.notierung; }
    const Dezimal& nennwert() const { return aktuell_.felder.nennwert; }
    const std::optional<Dezimal>& kaufkursOriginal() const { return aktuell_.felder.kaufkursOriginal; }
    const std::optional<Dezimal>& kaufumrechnung() const { return aktuell_.felder.kaufumrechnung; }
    const std::optional<std::string>& einheit() const { return aktuell_.felder.einheit; }

    void setzeAssetklasse(Assetklasse wert);
    void setzeName(std::string wert);
    void setzeKennung(std::string wert);
    void setzeQuelle(std::string wert);
    void setzeWaehrung(std::string wert);
    void setzeStueckzahl(std::int64_t wert);
    void setzeKaufpreis(Dezimal wert);
    void setzeNotierung(Notierungsart wert);
    void setzeNennwert(Dezimal wert);
    void setzeKaufkursOriginal(std::optional<Dezimal> wert);
    void setzeKaufumrechnung(std::optional<Dezimal> wert);
    void setzeEinheit(std::optional<std::string> wert);

    std::shared_ptr<Portfolio> portfolio() const { return aktuell_.portfolio.lock(); }
    // Moves the position to another portfolio's list (or out of any with nullptr).
    void setzePortfolio(const std::shared_ptr<Portfolio>& portfolio);
    const std::vector<std::shared_ptr<Preisnotiz>>& notizen() const { return aktuell_.notizen; }

    // Quantity, stock count, a price and a name: only then can the position be valued.
    bool istVollstaendig() const;
    // The amount of the whole quantity at a price in the position's quotation, unrounded;
    // a percentage of face value is divided by 100 and multiplied by the face value first.
    Dezimal betrag(const Dezimal& kurs) const;
    // The EUR value at a price statement, rounded to cents; 0 for a conversion rate not above 0.
    Dezimal wert(const Preisangabe& preis) const;
    Preisangabe kaufPreisangabe() const;
    void setzeKaufkurs(const Preisangabe& preis);
    // The code of a currency position entered as a rate ("1 € entspricht"), else none.
    std::optional<std::string> waehrungskursCode() const;
    std::string handelswaehrung() const;
    std::string einheitText() const;

private:
    friend class Modellkontext;
    friend class Portfolio;
    friend class Preisnotiz;
    friend class Bewertung;

    struct Zustand {
        Felder felder;
        std::weak_ptr<Portfolio> portfolio;
        std::vector<std::shared_ptr<Preisnotiz>> notizen;
    };

    template <typename T>
    void setze(T Felder::*feld, T wert);

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
