#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "model/Kursfehler.h"
#include "valuation/Dekodierfehler.h"

namespace qb {

class Verbindungspool;

// The one network access of the program: an HTTPS GET of one JSON document.
//
// Only https, also after redirects; the headers "Accept: application/json" and the program's
// user agent; no cookies, no cache. An answer counts only when it comes from the host that was
// asked, and it may hold at most `hoechstgroesse` bytes, also when it arrives without a length.
// Every failure is a Kursfehler with a German reason; a stop request ends a running transfer at
// once with Abgebrochen. A value may be used from several threads at once; copies share their
// Sitzung and the connections it keeps open, so one fetch after another to the same host pays
// for one TLS handshake.
class JsonAbruf {
public:
    static constexpr std::size_t hoechstgroesse = 262144;

    // The settings every fetch of one JsonAbruf shares.
    struct Sitzung {
        // The longest wait for data: no byte, no header and no connection progress for this
        // long ends the fetch.
        std::chrono::milliseconds ohneDatenHoechstens{15000};
        // The longest whole fetch.
        std::chrono::milliseconds insgesamtHoechstens{30000};
        // Trust only the certificates in this PEM file instead of the system's.
        std::optional<std::string> caDatei;
    };

    JsonAbruf() : JsonAbruf(Sitzung{}) {}
    explicit JsonAbruf(Sitzung sitzung);

    const Sitzung& sitzung() const { return *sitzung_; }

    // The answer's bytes. Checks in this order: scheme of the address (before anything is
    // sent), HTTP status (400, 404, 410, 422 → nichtGefunden, any other outside 2xx →
    // quellenfehler, as soon as the status is known; the body of an error status is never used,
    // only read past when it ends at once, so that the connection stays open, and otherwise left
    // with its connection), final address, size, emptiness.
    std::string daten(const std::string& adresse, std::stop_token stop) const;

    // Fetches and decodes one answer. `Antworttyp::ausJson(const nlohmann::json&)` builds the
    // answer and throws Dekodierfehler when the JSON does not fit.
    template <typename Antworttyp>
    Antworttyp lade(const std::string& adresse, std::stop_token stop) const {
        return dekodiere<Antworttyp>(daten(adresse, std::move(stop)));
    }

    // Decodes the bytes of an answer; antwortUnlesbar with the reason when they do not fit.
    template <typename Antworttyp>
    static Antworttyp dekodiere(std::string_view bytes) {
        nlohmann::json dokument = leseJson(bytes);
        try {
            return Antworttyp::ausJson(dokument);
        } catch (const Dekodierfehler& fehler) {
            throw Kursfehler::antwortUnlesbar(fehler.what());
        } catch (const nlohmann::json::exception& fehler) {
            throw Kursfehler::antwortUnlesbar(fehler.what());
        }
    }

private:
    static nlohmann::json leseJson(std::string_view bytes);

    std::shared_ptr<const Sitzung> sitzung_;
    std::shared_ptr<Verbindungspool> verbindungen_;
};

} // namespace qb
