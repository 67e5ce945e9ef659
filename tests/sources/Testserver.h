#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace httplib {
class SSLServer;
}

namespace qbtest {

// One request as the server received it.
struct Anfrage {
    std::string pfad;
    // Path and query exactly as sent, still percent-encoded.
    std::string ziel;
    // The decoded query items in the order they were sent.
    std::vector<std::pair<std::string, std::string>> abfrage;
    std::multimap<std::string, std::string> koepfe;
    // The client's address and port: requests over one connection share it.
    std::string verbindung;

    // The value of a header (case-insensitive name), empty when absent.
    std::string kopf(const std::string& name) const;
    // The decoded value of a query item, empty when absent.
    std::string wert(const std::string& name) const;
};

// What the server sends back.
struct Antwort {
    int status = 200;
    std::string koerper;
    std::string inhaltstyp = "application/json";
    // Wait before the status line.
    std::chrono::milliseconds verzoegerung{0};
    // Send the body in pieces of this size with a pause before each; 0 sends it at once.
    std::size_t stueckgroesse = 0;
    std::chrono::milliseconds stueckpause{0};
    // Send with chunked transfer encoding, so without a length.
    bool ohneLaenge = false;
    // Announce the whole body but close the connection after this many bytes of it.
    std::optional<std::size_t> abbruchNach;
    // Announce the whole body but send nothing after this many bytes of it until the server
    // stops.
    std::optional<std::size_t> stocktNach;
    std::optional<std::string> weiterleitung;
    std::vector<std::pair<std::string, std::string>> koepfe;

    static Antwort json(std::string koerper, int status = 200) {
        Antwort a;
        a.koerper = std::move(koerper);
        a.status = status;
        return a;
    }
    static Antwort nachStatus(int status) {
        Antwort a;
        a.status = status;
        return a;
    }
    static Antwort nach(std::string ziel, int status = 302) {
        Antwort a;
        a.status = status;
        a.weiterleitung = std::move(ziel);
        return a;
    }
};

// A self-signed certificate for 127.0.0.1 and localhost, made at construction in a fresh
// temporary folder that the destructor removes.
class Testzertifikat {
public:
    Testzertifikat();
    ~Testzertifikat();
    Testzertifikat(const Testzertifikat&) = delete;
    Testzertifikat& operator=(const Testzertifikat&) = delete;

    const std::string& caDatei() const { return caDatei_; }
    void* x509() const { return zertifikat_; }
    void* schluessel() const { return schluessel_; }

private:
    std::string ordner_;
    std::string caDatei_;
    void* zertifikat_ = nullptr;
    void* schluessel_ = nullptr;
};

// A real HTTPS server on 127.0.0.1 with a random port that plays both services with canned
// answers and records every request. Waits inside answers end when the server stops.
struct OffeneVerbindungen;

class Testserver {
public:
    using Beantworter = std::function<Antwort(const Anfrage&)>;

    Testserver();
    ~Testserver();
    Testserver(const Testserver&) = delete;
    Testserver& operator=(const Testserver&) = delete;

    int port() const { return port_; }
    // "https://<host>:<port>".
    std::string adresse(const std::string& host = "127.0.0.1") const;
    const std::string& caDatei() const { return zertifikat_.caDatei(); }

    // The answer for a path; a path without an answer gets status 599.
    void beantworte(const std::string& pfad, Beantworter beantworter);
    void beantworte(const std::string& pfad, Antwort antwort);
    std::vector<Anfrage> anfragen() const;
    std::vector<Anfrage> anfragen(const std::string& pfad) const;

    // TLS handshakes the server began, one per accepted connection, failed ones included.
    long handschlaege() const;
    // Of those, the ones that resumed an earlier session.
    long fortsetzungen() const;
    // Connections that carried at least one request.
    std::size_t verbindungen() const;
    // Connections that carried at least one request for this path.
    std::size_t verbindungen(const std::string& pfad) const;

private:
    void bediene(const Anfrage& anfrage, Antwort& antwort);
    // False when the server stops during the wait.
    bool warte(std::chrono::milliseconds dauer);

    Testzertifikat zertifikat_;
    std::unique_ptr<OffeneVerbindungen> offen_;
    std::unique_ptr<httplib::SSLServer> server_;
    std::thread faden_;
    int port_ = 0;

    mutable std::mutex mutex_;
    std::condition_variable wecker_;
    bool endet_ = false;
    std::map<std::string, Beantworter> antworten_;
    std::vector<Anfrage> anfragen_;
};

} // namespace qbtest
