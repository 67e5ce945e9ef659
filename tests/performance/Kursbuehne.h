#pragma once

// The local HTTPS test server playing both price services with daily histories: papers by ISIN
// with their currency and closing prices, ECB rates per currency, failures, a delay per request
// and histories held back until the test lets them go. Histories are answered whole, whatever
// window is asked for; the computation picks its days itself.

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "foundation/Kalender.h"
#include "sources/Testserver.h"

namespace qbtest {

class Kursbuehne {
public:
    // Midnight UTC of a day, as the exchange stamps its daily closes.
    static qb::Zeitpunkt utcTag(int jahr, int monat, int tag) {
        using namespace std::chrono;
        return qb::Zeitpunkt(sys_days(year(jahr) / month(static_cast<unsigned>(monat)) / day(static_cast<unsigned>(tag))));
    }

    explicit Kursbuehne(Testserver& server, std::chrono::milliseconds verzoegerung = std::chrono::milliseconds(0))
        : zustand_(std::make_shared<Zustand>()) {
        zustand_->verzoegerung = verzoegerung;
        auto zustand = zustand_;
        server.beantworte("/v1/data/price_information/single", [zustand](const Anfrage& anfrage) {
            std::lock_guard sperre(zustand->mutex);
            const std::string isin = anfrage.wert("isin");
            auto papier = zustand->papiere.find(isin);
            Antwort antwort = papier == zustand->papiere.end()
                                  ? Antwort::json(R"({"status":404})")
                                  : Antwort::json(nlohmann::json{{"isin", isin},
                                                                 {"currency", {{"originalValue", papier->second.waehrung}}},
                                                                 {"tradedInPercent", false},
                                                                 {"status", 200}}
                                                      .dump());
            antwort.verzoegerung = zustand->verzoegerung;
            return antwort;
        });
        server.beantworte("/v1/tradingview/history", [zustand](const Anfrage& anfrage) {
            std::unique_lock sperre(zustand->mutex);
            const std::string symbol = anfrage.wert("symbol");
            const std::string isin = symbol.substr(symbol.find(':') + 1);
            ++zustand->verlaufsanfragen[isin];
            Antwort antwort = Antwort::json(R"({"s":"no_data"})");
            if (auto papier = zustand->papiere.find(isin); papier != zustand->papiere.end()) {
                if (papier->second.status != 200) {
                    antwort = Antwort::nachStatus(papier->second.status);
                } else {
                    nlohmann::json c = nlohmann::json::array();
                    nlohmann::json t = nlohmann::json::array();
                    for (const auto& [zeit, kurs] : papier->second.kurse) {
                        t.push_back(std::chrono::duration_cast<std::chrono::seconds>(zeit.time_since_epoch()).count());
                        c.push_back(nlohmann::json::parse(kurs));
                    }
                    antwort = Antwort::json(nlohmann::json{{"s", "ok"}, {"c", c}, {"t", t}}.dump());
                }
            }
            antwort.verzoegerung = zustand->verzoegerung;
            zustand->frei.wait(sperre, [&zustand] { return !zustand->angehalten; });
            return antwort;
        });
        server.beantworte("/v2/rates", [zustand](const Anfrage& anfrage) {
            std::lock_guard sperre(zustand->mutex);
            const std::string code = anfrage.wert("quotes");
            ++zustand->ratenanfragen[code];
            nlohmann::json liste = nlohmann::json::array();
            for (const auto& [datum, rate] : zustand->raten[code]) {
                liste.push_back({{"date", datum}, {"base", "EUR"}, {"quote", code}, {"rate", rate}});
            }
            Antwort antwort = liste.empty() ? Antwort::nachStatus(404) : Antwort::json(liste.dump());
            antwort.verzoegerung = zustand->verzoegerung;
            return antwort;
        });
    }

    ~Kursbuehne() { gibFrei(); }
    Kursbuehne(const Kursbuehne&) = delete;
    Kursbuehne& operator=(const Kursbuehne&) = delete;

    // Histories are answered from now on only after gibFrei(), which the stage calls itself as it
    // goes.
    void halteAn() {
        std::lock_guard sperre(zustand_->mutex);
        zustand_->angehalten = true;
    }
    void gibFrei() {
        {
            std::lock_guard sperre(zustand_->mutex);
            zustand_->angehalten = false;
        }
        zustand_->frei.notify_all();
    }

    // A paper with its closes (instant, price as a JSON number text).
    void papier(const std::string& isin, const std::string& waehrung,
                std::vector<std::pair<qb::Zeitpunkt, std::string>> kurse) {
        std::lock_guard sperre(zustand_->mutex);
        zustand_->papiere[isin] = Papier{waehrung, std::move(kurse), 200};
    }
    // The paper is known, but its history answers with this status.
    void scheitert(const std::string& isin, int status) {
        std::lock_guard sperre(zustand_->mutex);
        zustand_->papiere[isin].status = status;
    }
    void heilt(const std::string& isin) {
        std::lock_guard sperre(zustand_->mutex);
        zustand_->papiere[isin].status = 200;
    }
    // ECB rates of a currency: (ISO day, units per EUR as a JSON number text).
    void raten(const std::string& code, std::vector<std::pair<std::string, std::string>> raten) {
        std::lock_guard sperre(zustand_->mutex);
        zustand_->raten[code] = std::move(raten);
    }

    int verlaufsanfragen(const std::string& isin) const {
        std::lock_guard sperre(zustand_->mutex);
        auto gefunden = zustand_->verlaufsanfragen.find(isin);
        return gefunden == zustand_->verlaufsanfragen.end() ? 0 : gefunden->second;
    }
    int ratenanfragen(const std::string& code) const {
        std::lock_guard sperre(zustand_->mutex);
        auto gefunden = zustand_->ratenanfragen.find(code);
        return gefunden == zustand_->ratenanfragen.end() ? 0 : gefunden->second;
    }

private:
    struct Papier {
        std::string waehrung = "EUR";
        std::vector<std::pair<qb::Zeitpunkt, std::string>> kurse;
        int status = 200;
    };
    struct Zustand {
        std::mutex mutex;
        std::condition_variable frei;
        bool angehalten = false;
        std::chrono::milliseconds verzoegerung{0};
        std::map<std::string, Papier> papiere;
        std::map<std::string, std::vector<std::pair<std::string, std::string>>> raten;
        std::map<std::string, int> verlaufsanfragen;
        std::map<std::string, int> ratenanfragen;
    };
    std::shared_ptr<Zustand> zustand_;
};

} // namespace qbtest
