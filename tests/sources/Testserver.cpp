#include "sources/Testserver.h"

#include <cstdlib>
#include <filesystem>
#include <set>
#include <stdexcept>

#include <sys/socket.h>

#include <httplib.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

namespace qbtest {

namespace {

std::string kleinbuchstaben(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

std::string dekodiert(const std::string& text) {
    std::string ergebnis;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            ergebnis += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else if (text[i] == '+') {
            ergebnis += ' ';
        } else {
            ergebnis += text[i];
        }
    }
    return ergebnis;
}

std::vector<std::pair<std::string, std::string>> abfrageteile(const std::string& ziel) {
    std::vector<std::pair<std::string, std::string>> teile;
    auto frage = ziel.find('?');
    if (frage == std::string::npos) {
        return teile;
    }
    std::string abfrage = ziel.substr(frage + 1);
    std::size_t anfang = 0;
    while (anfang <= abfrage.size()) {
        auto ende = abfrage.find('&', anfang);
        if (ende == std::string::npos) {
            ende = abfrage.size();
        }
        std::string eintrag = abfrage.substr(anfang, ende - anfang);
        if (!eintrag.empty()) {
            auto gleich = eintrag.find('=');
            if (gleich == std::string::npos) {
                teile.emplace_back(dekodiert(eintrag), "");
            } else {
                teile.emplace_back(dekodiert(eintrag.substr(0, gleich)), dekodiert(eintrag.substr(gleich + 1)));
            }
        }
        anfang = ende + 1;
    }
    return teile;
}

void pruefe(bool ok, const char* was) {
    if (!ok) {
        throw std::runtime_error(std::string("Testzertifikat: ") + was);
    }
}

} // namespace

// The sockets of the connections open now, by their TLS object. Stopping shuts them down, so
// that a connection a client keeps idle ends at once instead of after the keep-alive wait. A
// socket leaves the list when its TLS object is freed, which the server does before it closes
// the socket: a number in the list is never one the system has handed out again.
struct OffeneVerbindungen {
    std::mutex mutex;
    std::map<const SSL*, int> sockets;
    bool beendet = false;

    static int index() {
        static const int wert = SSL_get_ex_new_index(0, nullptr, nullptr, nullptr, &OffeneVerbindungen::freigegeben);
        return wert;
    }

    static void ereignis(const SSL* ssl, int wo, int) {
        if ((wo & SSL_CB_HANDSHAKE_START) == 0) {
            return;
        }
        auto* offen = static_cast<OffeneVerbindungen*>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(ssl)));
        int socket = SSL_get_fd(ssl);
        std::lock_guard sperre(offen->mutex);
        if (offen->beendet) {
            ::shutdown(socket, SHUT_RDWR);
        }
        if (offen->sockets.emplace(ssl, socket).second) {
            SSL_set_ex_data(const_cast<SSL*>(ssl), index(), offen);
        }
    }

    static void freigegeben(void* ssl, void* daten, CRYPTO_EX_DATA*, int, long, void*) {
        if (daten == nullptr) {
            return;
        }
        auto* offen = static_cast<OffeneVerbindungen*>(daten);
        std::lock_guard sperre(offen->mutex);
        offen->sockets.erase(static_cast<const SSL*>(ssl));
    }

    void beende() {
        std::lock_guard sperre(mutex);
        beendet = true;
        for (const auto& [ssl, socket] : sockets) {
            ::shutdown(socket, SHUT_RDWR);
        }
    }
};

std::string Anfrage::kopf(const std::string& name) const {
    for (const auto& [schluessel, wert] : koepfe) {
        if (kleinbuchstaben(schluessel) == kleinbuchstaben(name)) {
            return wert;
        }
    }
    return {};
}

std::string Anfrage::wert(const std::string& name) const {
    for (const auto& [schluessel, w] : abfrage) {
        if (schluessel == name) {
            return w;
        }
    }
    return {};
}

Testzertifikat::Testzertifikat() {
    char muster[] = "/tmp/qb-quellen-XXXXXX";
    pruefe(mkdtemp(muster) != nullptr, "kein Ordner");
    ordner_ = muster;
    caDatei_ = ordner_ + "/ca.pem";

    EVP_PKEY* schluessel = EVP_EC_gen("P-256");
    pruefe(schluessel != nullptr, "kein Schlüssel");
    X509* x = X509_new();
    pruefe(x != nullptr, "kein Zertifikat");
    X509_set_version(x, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(x), 1);
    X509_gmtime_adj(X509_getm_notBefore(x), -3600);
    X509_gmtime_adj(X509_getm_notAfter(x), 24 * 3600);
    X509_set_pubkey(x, schluessel);
    X509_NAME* name = X509_get_subject_name(x);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
    X509_set_issuer_name(x, name);

    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, x, x, nullptr, nullptr, 0);
    const std::pair<int, const char*> erweiterungen[] = {
        {NID_basic_constraints, "critical,CA:TRUE"},
        {NID_key_usage, "critical,digitalSignature,keyCertSign"},
        {NID_subject_key_identifier, "hash"},
        {NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost"},
    };
    for (const auto& [nid, wert] : erweiterungen) {
        X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, wert);
        pruefe(ext != nullptr, "Erweiterung");
        X509_add_ext(x, ext, -1);
        X509_EXTENSION_free(ext);
    }
    pruefe(X509_sign(x, schluessel, EVP_sha256()) > 0, "Signatur");

    FILE* datei = std::fopen(caDatei_.c_str(), "w");
    pruefe(datei != nullptr, "Datei");
    PEM_write_X509(datei, x);
    std::fclose(datei);
    zertifikat_ = x;
    schluessel_ = schluessel;
}

Testzertifikat::~Testzertifikat() {
    X509_free(static_cast<X509*>(zertifikat_));
    EVP_PKEY_free(static_cast<EVP_PKEY*>(schluessel_));
    std::error_code fehler;
    std::filesystem::remove_all(ordner_, fehler);
}

Testserver::Testserver()
    : offen_(std::make_unique<OffeneVerbindungen>()),
      server_(std::make_unique<httplib::SSLServer>(static_cast<X509*>(zertifikat_.x509()),
                                                   static_cast<EVP_PKEY*>(zertifikat_.schluessel()))) {
    if (!server_->is_valid()) {
        throw std::runtime_error("Testserver: TLS nicht eingerichtet");
    }
    // Enough workers for several slow answers at once.
    server_->new_task_queue = [] { return new httplib::ThreadPool(16); };
    // Headers and body go out in separate writes; without this each answer waits for a
    // delayed acknowledgement.
    server_->set_tcp_nodelay(true);
    // Connections stay open as long as the client keeps them, so that counting them shows the
    // client's reuse and not the server's limit.
    server_->set_keep_alive_max_count(100000);
    server_->set_keep_alive_timeout(60);
    SSL_CTX_set_app_data(server_->ssl_context(), offen_.get());
    SSL_CTX_set_info_callback(server_->ssl_context(), &OffeneVerbindungen::ereignis);
    server_->Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
        Anfrage anfrage;
        anfrage.pfad = req.path;
        anfrage.ziel = req.target;
        anfrage.abfrage = abfrageteile(req.target);
        for (const auto& [name, wert] : req.headers) {
            anfrage.koepfe.emplace(name, wert);
        }
        anfrage.verbindung = req.remote_addr + ":" + std::to_string(req.remote_port);
        Antwort antwort;
        bediene(anfrage, antwort);
        if (!warte(antwort.verzoegerung)) {
            res.status = 503;
            return;
        }
        res.status = antwort.status;
        for (const auto& [name, wert] : antwort.koepfe) {
            res.set_header(name, wert);
        }
        if (antwort.weiterleitung) {
            res.set_header("Location", *antwort.weiterleitung);
        }
        if (antwort.stueckgroesse == 0 && !antwort.ohneLaenge && !antwort.abbruchNach && !antwort.stocktNach) {
            res.set_content(antwort.koerper, antwort.inhaltstyp);
            return;
        }
        auto koerper = std::make_shared<std::string>(std::move(antwort.koerper));
        std::size_t stueck = antwort.stueckgroesse == 0 ? std::size_t(16384) : antwort.stueckgroesse;
        auto pause = antwort.stueckpause;
        std::size_t ende = std::min(koerper->size(), antwort.abbruchNach.value_or(koerper->size()));
        std::size_t stockt = std::min(ende, antwort.stocktNach.value_or(ende));
        auto liefere = [this, koerper, stueck, pause, ende, stockt](std::size_t offset, httplib::DataSink& sink) {
            if (offset >= koerper->size()) {
                sink.done();
                return true;
            }
            if (offset >= stockt && offset < ende) {
                warte(std::chrono::hours(1));
                return false;
            }
            // Refusing to go on makes the server drop the connection.
            if (offset >= ende || !warte(pause)) {
                return false;
            }
            std::size_t n = std::min(stueck, stockt - offset);
            return sink.write(koerper->data() + offset, n);
        };
        if (antwort.ohneLaenge) {
            res.set_chunked_content_provider(antwort.inhaltstyp, liefere);
        } else {
            res.set_content_provider(koerper->size(), antwort.inhaltstyp,
                                     [liefere](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                         return liefere(offset, sink);
                                     });
        }
    });
    port_ = server_->bind_to_any_port("127.0.0.1");
    if (port_ <= 0) {
        throw std::runtime_error("Testserver: kein Port");
    }
    faden_ = std::thread([this] { server_->listen_after_bind(); });
    // stop() is a no-op until the accept loop runs, so a server stopped too early would hang.
    while (!server_->is_running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

Testserver::~Testserver() {
    {
        std::lock_guard sperre(mutex_);
        endet_ = true;
    }
    wecker_.notify_all();
    server_->stop();
    // The workers end only when their connections do; a client may still hold one open.
    offen_->beende();
    faden_.join();
}

std::string Testserver::adresse(const std::string& host) const {
    return "https://" + host + ":" + std::to_string(port_);
}

void Testserver::beantworte(const std::string& pfad, Beantworter beantworter) {
    std::lock_guard sperre(mutex_);
    antworten_[pfad] = std::move(beantworter);
}

void Testserver::beantworte(const std::string& pfad, Antwort antwort) {
    beantworte(pfad, [antwort](const Anfrage&) { return antwort; });
}

std::vector<Anfrage> Testserver::anfragen() const {
    std::lock_guard sperre(mutex_);
    return anfragen_;
}

std::vector<Anfrage> Testserver::anfragen(const std::string& pfad) const {
    std::vector<Anfrage> passend;
    for (auto& anfrage : anfragen()) {
        if (anfrage.pfad == pfad) {
            passend.push_back(std::move(anfrage));
        }
    }
    return passend;
}

long Testserver::handschlaege() const {
    return SSL_CTX_sess_accept(server_->ssl_context());
}

long Testserver::fortsetzungen() const {
    return SSL_CTX_sess_hits(server_->ssl_context());
}

std::size_t Testserver::verbindungen() const {
    std::set<std::string> verschieden;
    for (const auto& anfrage : anfragen()) {
        verschieden.insert(anfrage.verbindung);
    }
    return verschieden.size();
}

std::size_t Testserver::verbindungen(const std::string& pfad) const {
    std::set<std::string> verschieden;
    for (const auto& anfrage : anfragen(pfad)) {
        verschieden.insert(anfrage.verbindung);
    }
    return verschieden.size();
}

void Testserver::bediene(const Anfrage& anfrage, Antwort& antwort) {
    Beantworter beantworter;
    {
        std::lock_guard sperre(mutex_);
        anfragen_.push_back(anfrage);
        auto it = antworten_.find(anfrage.pfad);
        if (it == antworten_.end()) {
            antwort = Antwort::nachStatus(599);
            return;
        }
        beantworter = it->second;
    }
    antwort = beantworter(anfrage);
}

bool Testserver::warte(std::chrono::milliseconds dauer) {
    std::unique_lock sperre(mutex_);
    if (dauer.count() > 0) {
        wecker_.wait_for(sperre, dauer, [this] { return endet_; });
    }
    return !endet_;
}

} // namespace qbtest
