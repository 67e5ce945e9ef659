#pragma once

#include <array>
#include <mutex>
#include <vector>

#include <curl/curl.h>

#include "sources/Curlbibliothek.h"

namespace qb {

// The open connections of one JsonAbruf and its copies, kept alive between fetches as a URL
// session keeps them. A transfer runs on a multi handle borrowed from here; when it ends, its
// connection stays in that handle's connection cache, and the next transfer that borrows the
// handle sends over it without a new handshake. Concurrent transfers borrow different handles,
// so a connection is never used by two threads (curl's documentation warns against sharing one
// connection cache between threads). Across handles the transfers share name lookups only, not
// TLS sessions: OpenSSL reads a resumed session during the handshake outside the share's lock,
// and whether that is safe against another thread freeing it from the shared cache rests on
// OpenSSL's internals alone. The kept connections spare most handshakes anyway.
class Verbindungspool {
public:
    // One borrowed multi handle; it goes back to the pool when the lease ends.
    class Leihe {
    public:
        Leihe(Verbindungspool& pool, CURLM* multi) : pool_(&pool), multi_(multi) {}
        ~Leihe();
        Leihe(const Leihe&) = delete;
        Leihe& operator=(const Leihe&) = delete;

        // Null when curl could not make a handle.
        CURLM* multi() const { return multi_; }
        // The handle failed in itself: close it and its connections instead of keeping them.
        void verwerfen() { verworfen_ = true; }

    private:
        Verbindungspool* pool_;
        CURLM* multi_;
        bool verworfen_ = false;
    };

    // Idle handles beyond this many are closed with their connections.
    static constexpr std::size_t hoechstensFrei = 8;

    // Makes nothing of curl yet, nor loads it: that waits for the first lease, so that a program
    // that builds its sources at start but fetches later does not load curl and its TLS library
    // before.
    Verbindungspool() = default;
    ~Verbindungspool();
    Verbindungspool(const Verbindungspool&) = delete;
    Verbindungspool& operator=(const Verbindungspool&) = delete;

    // The handle that ended last, so that one fetch after another reuses one connection.
    // Kursfehler::netzwerk when libcurl cannot be loaded.
    Leihe leihe();
    // Lets a new easy handle use the shared name lookups; must be called before
    // its transfer starts, and the handle must be cleaned up before the pool.
    CURLcode teile(CURL* easy);

private:
    // Loads curl and makes the share, once, whichever thread comes first.
    const Curlbibliothek::Funktionen& bereite();
    void gibZurueck(CURLM* multi, bool verworfen);
    static void sperre(CURL*, curl_lock_data daten, curl_lock_access, void* nutzer);
    static void entsperre(CURL*, curl_lock_data daten, void* nutzer);

    std::once_flag bereit_;
    CURLSH* teilung_ = nullptr;
    // One lock per kind of data, also for the share itself (CURL_LOCK_DATA_SHARE), which curl
    // locks when a handle joins or leaves it.
    std::array<std::mutex, CURL_LOCK_DATA_LAST> sperren_;
    std::mutex mutex_;
    std::vector<CURLM*> frei_;
};

} // namespace qb
