#include "sources/JsonAbruf.h"

#include <algorithm>

#include <curl/curl.h>

#include "sources/Adresse.h"
#include "sources/Curlbibliothek.h"
#include "sources/Netzwerkmeldung.h"
#include "sources/Verbindungspool.h"

namespace qb {

namespace {

using Uhr = std::chrono::steady_clock;

constexpr const char* kopfAccept = "Accept: application/json";
constexpr const char* kopfUserAgent = "User-Agent: Quinzelbrockat/0.1 (Studienprojekt)";
constexpr const char* textAndereAdresse = "Die Antwort kam von einer anderen Adresse";
// An error body is read to its end and dropped, so that its connection stays open for the next
// fetch (a miss on the first market is the usual case), but only while that costs next to
// nothing: the error never waits for it. A body larger than this, or one that has not ended this
// long after the status, is left with its connection; a new handshake costs less than waiting.
constexpr std::size_t fehlerkoerperHoechstens = 65536;
constexpr std::chrono::milliseconds fehlerkoerperFrist{250};

struct EasyLoescher {
    decltype(&curl_easy_cleanup) loesche;
    void operator()(CURL* h) const { loesche(h); }
};
struct ListenLoescher {
    decltype(&curl_slist_free_all) loesche;
    void operator()(curl_slist* l) const { loesche(l); }
};

// What the callbacks of one transfer share with the loop that drives it.
struct Transferzustand {
    const Curlbibliothek::Funktionen* curl = nullptr;
    CURL* easy = nullptr;
    std::string angefragterHost;
    bool hatAngefragtenHost = false;
    std::string puffer;
    bool kopfGeprueft = false;
    // The head being received names a new location, so curl follows it and it is not the answer.
    bool weiterleitung = false;
    std::optional<Kursfehler> fehler;
    // The status was an error: the body is read past, not kept, and only until `verwerfenBis`.
    bool koerperVerwerfen = false;
    std::size_t verworfen = 0;
    Uhr::time_point verwerfenBis;
    bool zeitUeberschritten = false;
    Uhr::time_point letzteDaten = Uhr::now();
    std::chrono::milliseconds ohneDatenHoechstens{0};
    std::stop_token stop;
};

std::optional<Kursfehler> statusfehler(const Transferzustand& z) {
    long status = 0;
    z.curl->easyGetinfo(z.easy, CURLINFO_RESPONSE_CODE, &status);
    if (status >= 200 && status <= 299) {
        return std::nullopt;
    }
    if (status == 400 || status == 404 || status == 410 || status == 422) {
        return Kursfehler::nichtGefunden(status);
    }
    return Kursfehler::quellenfehler(status);
}

// A redirect is harmless only when it stays on the asked host over https.
std::optional<Kursfehler> adressfehler(const Transferzustand& z) {
    char* endadresse = nullptr;
    if (z.curl->easyGetinfo(z.easy, CURLINFO_EFFECTIVE_URL, &endadresse) != CURLE_OK || endadresse == nullptr) {
        return Kursfehler::netzwerk(textAndereAdresse);
    }
    if (Adresse::schema(endadresse) != std::optional<std::string>("https")) {
        return Kursfehler::netzwerk(textAndereAdresse);
    }
    auto endhost = Adresse::host(endadresse);
    bool gleich = z.hatAngefragtenHost ? (endhost && *endhost == z.angefragterHost) : !endhost;
    if (!gleich) {
        return Kursfehler::netzwerk(textAndereAdresse);
    }
    return std::nullopt;
}

// Status first, then the final address.
std::optional<Kursfehler> pruefeKopf(const Transferzustand& z) {
    if (auto f = statusfehler(z)) {
        return f;
    }
    return adressfehler(z);
}

// The head of the answer is complete: status and final address decide the fetch. False ends
// the transfer, and with it its connection.
bool kopfFertig(Transferzustand& z) {
    z.kopfGeprueft = true;
    if (auto f = statusfehler(z)) {
        z.fehler = std::move(f);
        curl_off_t angekuendigt = -1;
        z.curl->easyGetinfo(z.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &angekuendigt);
        if (angekuendigt > static_cast<curl_off_t>(fehlerkoerperHoechstens)) {
            return false;
        }
        z.koerperVerwerfen = true;
        z.verwerfenBis = Uhr::now() + fehlerkoerperFrist;
        return true;
    }
    if (auto anderswo = adressfehler(z)) {
        z.fehler = std::move(anderswo);
        return false;
    }
    return true;
}

bool beginntMit(std::string_view zeile, std::string_view anfang) {
    if (zeile.size() < anfang.size()) {
        return false;
    }
    for (std::size_t i = 0; i < anfang.size(); ++i) {
        char c = zeile[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != anfang[i]) {
            return false;
        }
    }
    return true;
}

size_t schreibe(char* daten, size_t groesse, size_t anzahl, void* nutzer) {
    auto& z = *static_cast<Transferzustand*>(nutzer);
    size_t laenge = groesse * anzahl;
    try {
        z.letzteDaten = Uhr::now();
        // Only when the end of the head went by unseen, as after a redirect that curl did not
        // follow after all.
        if (!z.kopfGeprueft && !kopfFertig(z)) {
            return CURL_WRITEFUNC_ERROR;
        }
        if (z.koerperVerwerfen) {
            z.verworfen += laenge;
            return z.verworfen <= fehlerkoerperHoechstens ? laenge : CURL_WRITEFUNC_ERROR;
        }
        if (laenge > JsonAbruf::hoechstgroesse - z.puffer.size()) {
            z.fehler = Kursfehler::antwortUnlesbar("Antwort größer als erlaubt");
            return CURL_WRITEFUNC_ERROR;
        }
        z.puffer.append(daten, laenge);
        return laenge;
    } catch (...) {
        return CURL_WRITEFUNC_ERROR;
    }
}

// The status is known at the end of the head, before any byte of the body: an error status
// decides the fetch there, also when no body follows for a long time.
size_t kopfzeile(char* daten, size_t groesse, size_t anzahl, void* nutzer) {
    auto& z = *static_cast<Transferzustand*>(nutzer);
    size_t laenge = groesse * anzahl;
    try {
        z.letzteDaten = Uhr::now();
        // Lines after the answer's head are trailers of a chunked body.
        if (z.kopfGeprueft) {
            return laenge;
        }
        std::string_view zeile(daten, laenge);
        if (beginntMit(zeile, "http/")) {
            z.weiterleitung = false;
        } else if (beginntMit(zeile, "location:")) {
            z.weiterleitung = true;
        } else if (zeile == "\r\n" || zeile == "\n") {
            long status = 0;
            z.curl->easyGetinfo(z.easy, CURLINFO_RESPONSE_CODE, &status);
            // An interim answer (1xx) and a redirect that curl follows come before the answer.
            bool vorab = status < 200 || (status >= 300 && status <= 399 && z.weiterleitung);
            if (!vorab && !kopfFertig(z)) {
                return 0;
            }
        }
        return laenge;
    } catch (...) {
        return 0;
    }
}

int fortschritt(void* nutzer, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto& z = *static_cast<Transferzustand*>(nutzer);
    if (z.stop.stop_requested()) {
        return 1;
    }
    if (Uhr::now() - z.letzteDaten > z.ohneDatenHoechstens) {
        z.zeitUeberschritten = true;
        return 1;
    }
    return 0;
}

bool istHttps(std::string_view adresse) {
    return Adresse::schema(adresse) == std::optional<std::string>("https");
}

} // namespace

JsonAbruf::JsonAbruf(Sitzung sitzung)
    : sitzung_(std::make_shared<const Sitzung>(std::move(sitzung))),
      verbindungen_(std::make_shared<Verbindungspool>()) {}

std::string JsonAbruf::daten(const std::string& adresse, std::stop_token stop) const {
    if (!istHttps(adresse)) {
        throw Kursfehler::netzwerk("Nur HTTPS ist erlaubt");
    }
    if (stop.stop_requested()) {
        throw Abgebrochen();
    }

    const Curlbibliothek::Funktionen& curl = Curlbibliothek::geladen();
    // Declared before the handles, so that they outlive everything curl points to.
    Transferzustand z;
    z.curl = &curl;
    z.ohneDatenHoechstens = sitzung_->ohneDatenHoechstens;
    z.stop = stop;
    if (auto h = Adresse::host(adresse)) {
        z.angefragterHost = *h;
        z.hatAngefragtenHost = true;
    }
    z.puffer.reserve(4096);

    // The lease outlives the easy handle, so the handle's connection is back in the cache
    // before another fetch may borrow it.
    Verbindungspool::Leihe leihe = verbindungen_->leihe();
    CURLM* m = leihe.multi();
    std::unique_ptr<CURL, EasyLoescher> easy(curl.easyInit(), EasyLoescher{curl.easyCleanup});
    if (m == nullptr || !easy) {
        throw Kursfehler::netzwerk(Netzwerkmeldung::fuer(CURLE_FAILED_INIT));
    }
    // Appending returns the same head, or null and leaves the list as it was.
    std::unique_ptr<curl_slist, ListenLoescher> koepfe(curl.slistAppend(nullptr, kopfAccept),
                                                       ListenLoescher{curl.slistFreeAll});
    if (!koepfe || curl.slistAppend(koepfe.get(), kopfUserAgent) == nullptr) {
        throw Kursfehler::netzwerk(Netzwerkmeldung::fuer(CURLE_OUT_OF_MEMORY));
    }

    CURL* h = easy.get();
    z.easy = h;
    // A setting that does not take would loosen a limit, so the first refusal ends the fetch.
    CURLcode einrichtung = CURLE_OK;
    auto setze = [&](CURLoption option, auto wert) {
        CURLcode c = curl.easySetopt(h, option, wert);
        if (einrichtung == CURLE_OK) {
            einrichtung = c;
        }
    };
    setze(CURLOPT_URL, adresse.c_str());
    setze(CURLOPT_HTTPGET, 1L);
    setze(CURLOPT_PROTOCOLS_STR, "https");
    setze(CURLOPT_REDIR_PROTOCOLS_STR, "https");
    setze(CURLOPT_FOLLOWLOCATION, 1L);
    setze(CURLOPT_MAXREDIRS, 16L);
    setze(CURLOPT_HTTPHEADER, koepfe.get());
    setze(CURLOPT_TIMEOUT_MS, static_cast<long>(sitzung_->insgesamtHoechstens.count()));
    setze(CURLOPT_NOSIGNAL, 1L);
    // Without this, leaving a transfer whose name lookup still runs waits for the lookup, so
    // a stop would hang as long as a slow name server; the lookup thread then ends on its own.
    setze(CURLOPT_QUICK_EXIT, 1L);
    setze(CURLOPT_WRITEFUNCTION, schreibe);
    setze(CURLOPT_WRITEDATA, static_cast<void*>(&z));
    setze(CURLOPT_HEADERFUNCTION, kopfzeile);
    setze(CURLOPT_HEADERDATA, static_cast<void*>(&z));
    // A proxy's answer to CONNECT is no answer of the source; its head stays out of the callback.
    setze(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    setze(CURLOPT_XFERINFOFUNCTION, fortschritt);
    setze(CURLOPT_XFERINFODATA, static_cast<void*>(&z));
    setze(CURLOPT_NOPROGRESS, 0L);
    if (sitzung_->caDatei) {
        setze(CURLOPT_CAINFO, sitzung_->caDatei->c_str());
        setze(CURLOPT_CAPATH, static_cast<char*>(nullptr));
    }
    // Without CURLOPT_COOKIEFILE the cookie engine stays off; curl keeps no cache.
    if (einrichtung == CURLE_OK) {
        einrichtung = verbindungen_->teile(h);
    }
    if (einrichtung != CURLE_OK) {
        throw Kursfehler::netzwerk(Netzwerkmeldung::fuer(einrichtung));
    }

    if (CURLMcode mc = curl.multiAddHandle(m, h); mc != CURLM_OK) {
        leihe.verwerfen();
        throw Kursfehler::netzwerk(Netzwerkmeldung::fuer(mc));
    }
    // Leaving mid-transfer closes that transfer's connection; the handle's other connections
    // stay for the next fetch.
    struct Abmelder {
        decltype(&curl_multi_remove_handle) abmelden;
        CURLM* m;
        CURL* e;
        ~Abmelder() { abmelden(m, e); }
    } abmelder{curl.multiRemoveHandle, m, h};

    // A stop request wakes the poll below at once instead of waiting for its time-out. The
    // callback ends before the lease, so no late stop wakes a handle that another fetch uses.
    std::stop_callback wecker(stop, [m, wecke = curl.multiWakeup] { wecke(m); });

    // The poll never sleeps longer than this, so that the idle limit is checked in time.
    using std::chrono::milliseconds;
    milliseconds takt =
        std::clamp<milliseconds>(sitzung_->ohneDatenHoechstens / 4, milliseconds(1), milliseconds(100));
    z.letzteDaten = Uhr::now();
    int laufend = 1;
    while (true) {
        CURLMcode mc = curl.multiPerform(m, &laufend);
        if (stop.stop_requested()) {
            throw Abgebrochen();
        }
        if (mc != CURLM_OK) {
            leihe.verwerfen();
            throw Kursfehler::netzwerk(Netzwerkmeldung::fuer(mc));
        }
        if (laufend == 0) {
            break;
        }
        milliseconds warte = takt;
        if (z.koerperVerwerfen) {
            // The error is known; an error body that has not ended by now stays behind, and
            // leaving the transfer closes its connection.
            milliseconds rest = std::chrono::ceil<milliseconds>(z.verwerfenBis - Uhr::now());
            if (rest <= milliseconds(0)) {
                break;
            }
            warte = std::min(warte, rest);
        }
        mc = curl.multiPoll(m, nullptr, 0, static_cast<int>(warte.count()), nullptr);
        if (mc != CURLM_OK) {
            leihe.verwerfen();
            throw Kursfehler::netzwerk(Netzwerkmeldung::fuer(mc));
        }
    }

    CURLcode ergebnis = CURLE_OK;
    int rest = 0;
    while (CURLMsg* nachricht = curl.multiInfoRead(m, &rest)) {
        if (nachricht->msg == CURLMSG_DONE && nachricht->easy_handle == h) {
            ergebnis = nachricht->data.result;
        }
    }

    // A stop that came while the transfer ended wins over whatever the transfer reported.
    if (stop.stop_requested()) {
        throw Abgebrochen();
    }
    if (z.fehler) {
        throw *z.fehler;
    }
    if (ergebnis != CURLE_OK) {
        if (z.zeitUeberschritten) {
            throw Kursfehler::netzwerk(Netzwerkmeldung::fuer(CURLE_OPERATION_TIMEDOUT));
        }
        throw Kursfehler::netzwerk(Netzwerkmeldung::fuer(ergebnis));
    }
    // An answer without a body never reached the write callback.
    if (!z.kopfGeprueft) {
        if (auto f = pruefeKopf(z)) {
            throw *f;
        }
    }
    if (z.puffer.empty()) {
        throw Kursfehler::antwortUnlesbar("Antwort war leer");
    }
    return std::move(z.puffer);
}

nlohmann::json JsonAbruf::leseJson(std::string_view bytes) {
    try {
        return nlohmann::json::parse(bytes.begin(), bytes.end());
    } catch (const nlohmann::json::parse_error& fehler) {
        throw Kursfehler::antwortUnlesbar("Kein gültiges JSON (Byte " + std::to_string(fehler.byte) + ")");
    } catch (const nlohmann::json::exception& fehler) {
        throw Kursfehler::antwortUnlesbar(std::string("Kein gültiges JSON: ") + fehler.what());
    }
}

} // namespace qb
