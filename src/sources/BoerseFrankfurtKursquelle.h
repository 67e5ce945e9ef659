#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "sources/JsonAbruf.h"
#include "sources/Kursquelle.h"
#include "valuation/Zahlenfeld.h"

namespace qb {

// Quotes and daily histories of securities by ISIN from the Börse Frankfurt quote service,
// asking the market "XETR" first and "XFRA" second.
class BoerseFrankfurtKursquelle : public Kursquelle {
public:
    static constexpr const char* standardAdresse = "https://api.boerse-frankfurt.de";
    static constexpr std::array<const char*, 2> handelsplaetze{"XETR", "XFRA"};
    // A price counts only when 0 < price ≤ hoechstkurs().
    static const Dezimal& hoechstkurs();

    // The single-price answer. Every field may be absent; a value of the wrong kind fails
    // the whole answer.
    struct Antwort {
        struct Waehrungsangabe {
            std::optional<std::string> originalValue;
        };
        // What the check of an answer yields.
        struct Befund {
            std::string waehrung;
            std::optional<Notierungsart> notierungsart;
            friend bool operator==(const Befund&, const Befund&) = default;
        };

        std::optional<std::string> isin;
        std::optional<Zahlenfeld> lastPrice;
        std::optional<Zahlenfeld> closingPricePrevTradingDay;
        std::optional<Waehrungsangabe> currency;
        std::optional<bool> tradedInPercent;
        std::optional<std::string> timestampLastPrice;
        std::optional<std::int64_t> priceFixings;
        std::optional<std::int64_t> turnoverInPieces;
        std::optional<Zahlenfeld> turnoverInEur;
        std::optional<std::int64_t> status;

        static Antwort ausJson(const nlohmann::json& json);
        // Checks the answer against the requested, normalised ISIN: the service's own status,
        // the ISIN, emptiness, the currency. Throws Kursfehler.
        Befund pruefe(const std::string& isin) const;
    };

    // The daily-history answer: status "s", closing prices "c" and times "t" (seconds since
    // 1970, UTC), the two lists parallel.
    struct Verlauf {
        std::optional<std::string> s;
        std::optional<std::vector<Zahlenfeld>> c;
        std::optional<std::vector<std::int64_t>> t;

        static Verlauf ausJson(const nlohmann::json& json);
        // The points with a usable price, ascending by day; equal days keep the answer's order.
        // Empty unless "s" is exactly "ok" and both lists are there with equal length.
        std::vector<Kurspunkt> kurspunkte() const;
    };

    BoerseFrankfurtKursquelle(std::string bezeichnung, JsonAbruf abruf, std::string basisadresse = standardAdresse);

    const std::string& bezeichnung() const override { return bezeichnung_; }
    std::string_view kennungshinweis() const override;
    Kennungsurteil pruefe(std::string_view kennung) const override;
    Kursnotierung aktuellerKurs(std::string_view kennung, std::stop_token stop) const override;
    Kursnotierung kurs(std::string_view kennung, Zeitpunkt am, std::stop_token stop) const override;
    Kursreihe kursreihe(std::string_view kennung, Zeitpunkt von, Zeitpunkt bis, std::stop_token stop) const override;

    std::optional<std::string> einzelkursAdresse(const std::string& isin, std::string_view mic) const;
    std::optional<std::string> verlaufsAdresse(const std::string& isin, std::string_view mic, Zeitpunkt von,
                                               Zeitpunkt bis) const;
    Antwort holeAntwort(const std::string& isin, std::string_view mic, std::stop_token stop) const;

private:
    std::string bezeichnung_;
    JsonAbruf abruf_;
    std::string basisadresse_;
};

} // namespace qb
