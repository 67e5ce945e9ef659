#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "sources/JsonAbruf.h"
#include "sources/Kursquelle.h"
#include "sources/Umrechnungsquelle.h"
#include "model/Waehrungscode.h"
#include "valuation/Zahlenfeld.h"

namespace qb {

// ECB reference rates. As a Kursquelle it quotes a currency as the EUR value of one unit; as
// an Umrechnungsquelle it gives the bare rate, units of the currency per 1 EUR. EUR itself is
// answered without a request.
class EzbWaehrungsquelle : public Kursquelle, public Umrechnungsquelle {
public:
    static constexpr const char* standardAdresse = "https://api.frankfurter.dev";

    // One rate as the service writes it, alone or as an element of a series.
    struct Antwort {
        std::optional<std::string> date;
        std::optional<std::string> base;
        std::optional<std::string> quote;
        std::optional<Zahlenfeld> rate;

        static Antwort ausJson(const nlohmann::json& json);
    };
    using Reihenpunkt = Antwort;
    // The answer to a series request: a JSON array of points.
    struct Reihe {
        std::vector<Reihenpunkt> punkte;
        static Reihe ausJson(const nlohmann::json& json);
    };

    EzbWaehrungsquelle(std::string bezeichnung, JsonAbruf abruf, std::string basisadresse = standardAdresse);

    const std::string& bezeichnung() const override { return bezeichnung_; }
    std::string_view kennungshinweis() const override;
    Kennungsurteil pruefe(std::string_view kennung) const override;
    Kursnotierung aktuellerKurs(std::string_view kennung, std::stop_token stop) const override;
    // The answer may carry an earlier day than asked for, never a later one.
    Kursnotierung kurs(std::string_view kennung, Zeitpunkt am, std::stop_token stop) const override;
    Kursreihe kursreihe(std::string_view kennung, Zeitpunkt von, Zeitpunkt bis, std::stop_token stop) const override;

    Dezimal umrechnungskurs(std::string_view waehrung, std::optional<Zeitpunkt> am, std::stop_token stop) const override;
    std::vector<Kurspunkt> umrechnungsreihe(std::string_view waehrung, Zeitpunkt von, Zeitpunkt bis,
                                            std::stop_token stop) const override;

    // Base must be EUR and quote the code (both compared upper-cased), the rate within
    // 0.0001 … 1 000 000. Returns the rate; throws antwortUnlesbar or keinKursEnthalten.
    static Dezimal pruefeAntwort(const std::optional<std::string>& base, const std::optional<std::string>& quote,
                                 const std::optional<Zahlenfeld>& rate, const Waehrungscode& code);
    // The checked rate points of a series, ascending by day; elements without a readable date
    // or a usable rate are skipped.
    std::vector<Kurspunkt> referenzkurse(const Waehrungscode& code, Zeitpunkt von, Zeitpunkt bis,
                                         std::stop_token stop) const;

private:
    Kursnotierung notierungAmTag(const Waehrungscode& code, Zeitpunkt am, std::stop_token stop) const;
    Kursnotierung aktuelleNotierung(const Waehrungscode& code, std::stop_token stop) const;
    Kursnotierung ausKurs(const Antwort& antwort, const Waehrungscode& code) const;
    Kursnotierung euroNotierung(Zeitpunkt kursdatum, Zeitpunkt abgerufenAm) const;
    Antwort holeKurs(const Waehrungscode& code, std::optional<Zeitpunkt> am, std::stop_token stop) const;

    std::string bezeichnung_;
    JsonAbruf abruf_;
    std::string basisadresse_;
};

} // namespace qb
