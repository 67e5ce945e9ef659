#pragma once

#include <memory>
#include <optional>
#include <string>

#include "model/Assetklasse.h"
#include "model/Datensatz.h"
#include "model/Handelsumfang.h"
#include "foundation/Kalender.h"
#include "model/Kursart.h"
#include "foundation/Dezimal.h"
#include "model/Preisangabe.h"

namespace qb {

class Position;
class Bewertung;

// The price of one position on one reference date. `preis` is always in EUR; a converted price
// also keeps the foreign price, its currency and the rate.
class Preisnotiz : public Datensatz {
public:
    struct Felder {
        Dezimal preis;
        std::string waehrung = "EUR";
        std::string quelle;
        std::string kennung;
        Kursart art = Kursart::vonHand;
        Zeitpunkt abgerufenAm;
        Preisherkunft herkunft = Preisherkunft::manuell;
        std::optional<Handelsumfang> handelsumfang;
        std::optional<Dezimal> preisOriginal;
        std::optional<std::string> originalwaehrung;
        std::optional<Dezimal> umrechnung;
        friend bool operator==(const Felder&, const Felder&) = default;
    };

    Preisnotiz(Dezimal preis, std::string quelle, std::string kennung, Kursart art, Zeitpunkt abgerufenAm,
               Preisherkunft herkunft, std::optional<Handelsumfang> handelsumfang);
    explicit Preisnotiz(Felder felder);

    const Felder& felder() const { return aktuell_.felder; }
    const Dezimal& preis() const { return aktuell_.felder.preis; }
    const std::string& waehrung() const { return aktuell_.felder.waehrung; }
    const std::string& quelle() const { return aktuell_.felder.quelle; }
    const std::string& kennung() const { return aktuell_.felder.kennung; }
    Kursart art() const { return aktuell_.felder.art; }
    Zeitpunkt abgerufenAm() const { return aktuell_.felder.abgerufenAm; }
    Preisherkunft herkunft() const { return aktuell_.felder.herkunft; }
    const std::optional<Handelsumfang>& handelsumfang() const { return aktuell_.felder.handelsumfang; }
    const std::optional<Dezimal>& preisOriginal() const { return aktuell_.felder.preisOriginal; }
    const std::optional<std::string>& originalwaehrung() const { return aktuell_.felder.originalwaehrung; }
    const std::optional<Dezimal>& umrechnung() const { return aktuell_.felder.umrechnung; }

    void setzePreisWert(Dezimal wert);
    void setzeWaehrung(std::string wert);
    void setzeQuelle(std::string wert);
    void setzeKennung(std::string wert);
    void setzeArt(Kursart wert);
    void setzeAbgerufenAm(Zeitpunkt wert);
    void setzeHerkunft(Preisherkunft wert);
    void setzeHandelsumfang(std::optional<Handelsumfang> wert);
    void setzePreisOriginal(std::optional<Dezimal> wert);
    void setzeOriginalwaehrung(std::optional<std::string> wert);
    void setzeUmrechnung(std::optional<Dezimal> wert);

    std::shared_ptr<Position> position() const { return aktuell_.position.lock(); }
    std::shared_ptr<Bewertung> bewertung() const { return aktuell_.bewertung.lock(); }
    void setzePosition(const std::shared_ptr<Position>& position);
    void setzeBewertung(const std::shared_ptr<Bewertung>& bewertung);

    // Stores a price statement: the EUR price (converted at 12 places, 0 for a rate not above
    // 0) and, for a converted price, the foreign price, currency and rate.
    void setzePreis(const Preisangabe& preis);
    // The stored price; converted only when foreign price, currency and rate are all present.
    Preisangabe preisangabe() const;

private:
    friend class Modellkontext;
    friend class Position;
    friend class Bewertung;

    struct Zustand {
        Felder felder;
        std::weak_ptr<Position> position;
        std::weak_ptr<Bewertung> bewertung;
    };

    template <typename T>
    void setze(T Felder::*feld, T wert);

    std::vector<std::shared_ptr<Datensatz>> verbundene() const override;
    std::vector<std::shared_ptr<Datensatz>> eigene() const override { return {}; }
    std::vector<std::vector<std::shared_ptr<Datensatz>>> listen() const override { return {}; }
    void ordneListen() override {}
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
