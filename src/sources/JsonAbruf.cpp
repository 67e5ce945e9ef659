#include "sources/JsonAbruf.h"

#include <algorithm>
#include <mutex>

#include <curl/curl.h>

#include "sources/Adresse.h"

namespace qb {

namespace {

using Uhr = std::chrono::steady_clock;

constexpr const char* kopfAccept = "Accept: application/json";
constexpr const char* kopfUserAgent = "User-Agent: Quinzelbrockat/0.1 (Studienprojekt)";
constexpr const char* textZeitUeberschritten = "Zeitüberschreitung bei der Anforderung.";
constexpr const char* textAndereAdresse = "Die Antwort kam von einer anderen Adresse";

void initialisiereCurl() {
    // curl_global_init is not safe to race with other threads; every fetch passes here first.
    static std::once_flag einmal;
    std::call_once(einmal, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyLoescher {
    void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
struct MultiLoescher {
    void operator()(CURLM* m) const { curl_multi_cleanup(m); }
};
struct ListenLoescher {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

// What the callbacks of one transfer share with the loop that drives it.
struct Transferzustand {
    CURL* easy = nullptr;
    std::string angefragterHost;
    bool hatAngefragtenHost = false;
    std::string puffer;
    bool kopfGeprueft = false;
    std::optional<Kursfehler> fehler;
    bool zeitUeberschritten = false;
    Uhr::time_point letzteDaten = Uhr::now();
    std::chrono::milliseconds ohneDatenHoechstens{0};
    std::stop_token stop;
};

std::optional<Kursfehler> statusfehler(long status) {
    if (status >= 200 && status <= 299) {
        return std::nullopt;
    }
    if (status == 400 || status == 404 || status == 410 || status == 422) {
        return Kursfehler::nichtGefunden(status);
    }
    return Kursfehler::quellenfehler(status);
}

// Status first, then the final address: a redirect is harmless only when it stays on the
// asked host over https.
std::optional<Kursfehler> pruefeKopf(const Transferzustand& z) {
    long status = 0;
    curl_easy_getinfo(z.easy, CURLINFO_RESPONSE_CODE, &status);
    if (auto f = statusfehler(status)) {
        return f;
    }
    char* endadresse = nullptr;
    if (curl_easy_getinfo(z.easy, CURLINFO_EFFECTIVE_URL, &endadresse) != CURLE_OK || endadresse == nullptr) {
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

size_t schreibe(char* daten, size_t groesse, size_t anzahl, void* nutzer) {
    auto& z = *static_cast<Transferzustand*>(nutzer);
    size_t laenge = groesse * anzahl;
    try {
        z.letzteDaten = Uhr::now();
        if (!z.kopfGeprueft) {
            z.kopfGeprueft = true;
            if (auto f = pruefeKopf(z)) {
                z.fehler = std::move(f);
                return CURL_WRITEFUNC_ERROR;
            }
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

size_t kopfzeile(char*, size_t groesse, size_t anzahl, void* nutzer) {
    auto& z = *static_cast<Transferzustand*>(nutzer);
    z.letzteDaten = Uhr::now();
    return groesse * anzahl;
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

// German descriptions for the failures a user can act on; curl's own text for the rest.
std::string beschreibung(CURLcode code, const char* fehlerpuffer) {
    switch (code) {
    case CURLE_OPERATION_TIMEDOUT:
        return textZeitUeberschritten;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return "Der Server wurde nicht gefunden.";
    case CURLE_COULDNT_CONNECT:
        return "Es konnte keine Verbindung zum Server hergestellt werden.";
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
        return "Eine sichere Verbindung zum Server konnte nicht hergestellt werden.";
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
        return "Die Netzwerkverbindung wurde unterbrochen.";
    case CURLE_TOO_MANY_REDIRECTS:
        return "Zu viele Weiterleitungen.";
    default:
        break;
    }
    if (fehlerpuffer != nullptr && fehlerpuffer[0] != '\0') {
        return fehlerpuffer;
    }
    return curl_easy_strerror(code);
}

bool istHttps(std::string_view adresse) {
    return Adresse::schema(adresse) == std::optional<std::string>("https");
}

} // namespace

JsonAbruf::JsonAbruf(Sitzung sitzung) : sitzung_(std::make_shared<const Sitzung>(std::move(sitzung))) {}

std::string JsonAbruf::daten(const std::string& adresse, std::stop_token stop) const {
    if (!istHttps(adresse)) {
        throw Kursfehler::netzwerk("Nur HTTPS ist erlaubt");
    }
    if (stop.stop_requested()) {
        throw Abgebrochen();
    }
    initialisiereCurl();

    // Declared before the handles, so that they outlive everything curl points to.
    Transferzustand z;
    z.ohneDatenHoechstens = sitzung_->ohneDatenHoechstens;
    z.stop = stop;
    if (auto h = Adresse::host(adresse)) {
        z.angefragterHost = *h;
        z.hatAngefragtenHost = true;
    }
    z.puffer.reserve(4096);
    char fehlerpuffer[CURL_ERROR_SIZE] = {};

    std::unique_ptr<CURL, EasyLoescher> easy(curl_easy_init());
    std::unique_ptr<CURLM, MultiLoescher> multi(curl_multi_init());
    if (!easy || !multi) {
        throw Kursfehler::netzwerk("Die Netzwerkbibliothek ließ sich nicht starten.");
    }
    // Appending returns the same head, or null and leaves the list as it was.
    std::unique_ptr<curl_slist, ListenLoescher> koepfe(curl_slist_append(nullptr, kopfAccept));
    if (!koepfe || curl_slist_append(koepfe.get(), kopfUserAgent) == nullptr) {
        throw Kursfehler::netzwerk("Die Netzwerkbibliothek ließ sich nicht starten.");
    }

    CURL* h = easy.get();
    z.easy = h;
    curl_easy_setopt(h, CURLOPT_URL, adresse.c_str());
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 16L);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, koepfe.get());
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(sitzung_->insgesamtHoechstens.count()));
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    // Without this, leaving a transfer whose name lookup still runs waits for the lookup, so
    // a stop would hang as long as a slow name server; the lookup thread then ends on its own.
    curl_easy_setopt(h, CURLOPT_QUICK_EXIT, 1L);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, fehlerpuffer);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, schreibe);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &z);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, kopfzeile);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &z);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, fortschritt);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &z);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    if (sitzung_->caDatei) {
        curl_easy_setopt(h, CURLOPT_CAINFO, sitzung_->caDatei->c_str());
        curl_easy_setopt(h, CURLOPT_CAPATH, nullptr);
    }
    // Without CURLOPT_COOKIEFILE the cookie engine stays off; curl keeps no cache.

    if (curl_multi_add_handle(multi.get(), h) != CURLM_OK) {
        throw Kursfehler::netzwerk("Die Netzwerkbibliothek ließ sich nicht starten.");
    }
    struct Abmelder {
        CURLM* m;
        CURL* e;
        ~Abmelder() { curl_multi_remove_handle(m, e); }
    } abmelder{multi.get(), h};

    // A stop request wakes the poll below at once instead of waiting for its time-out.
    CURLM* m = multi.get();
    std::stop_callback wecker(stop, [m] { curl_multi_wakeup(m); });

    // The poll never sleeps longer than this, so that the idle limit is checked in time.
    using std::chrono::milliseconds;
    milliseconds takt = std::clamp<milliseconds>(sitzung_->ohneDatenHoechstens / 4, milliseconds(1), milliseconds(100));
    z.letzteDaten = Uhr::now();
    int laufend = 1;
    while (true) {
        CURLMcode mc = curl_multi_perform(m, &laufend);
        if (stop.stop_requested()) {
            throw Abgebrochen();
        }
        if (mc != CURLM_OK) {
            throw Kursfehler::netzwerk(curl_multi_strerror(mc));
        }
        if (laufend == 0) {
            break;
        }
        mc = curl_multi_poll(m, nullptr, 0, static_cast<int>(takt.count()), nullptr);
        if (mc != CURLM_OK) {
            throw Kursfehler::netzwerk(curl_multi_strerror(mc));
        }
    }

    CURLcode ergebnis = CURLE_OK;
    int rest = 0;
    while (CURLMsg* nachricht = curl_multi_info_read(m, &rest)) {
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
            throw Kursfehler::netzwerk(textZeitUeberschritten);
        }
        // Only a redirect can lead away from https: the address asked for was https.
        if (ergebnis == CURLE_UNSUPPORTED_PROTOCOL) {
            throw Kursfehler::netzwerk(textAndereAdresse);
        }
        throw Kursfehler::netzwerk(beschreibung(ergebnis, fehlerpuffer));
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
