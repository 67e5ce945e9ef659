#include "sources/Verbindungspool.h"

#include "sources/Curlbibliothek.h"

namespace qb {

Verbindungspool::Leihe::~Leihe() {
    if (multi_ != nullptr) {
        pool_->gibZurueck(multi_, verworfen_);
    }
}

const Curlbibliothek::Funktionen& Verbindungspool::bereite() {
    const Curlbibliothek::Funktionen& curl = Curlbibliothek::geladen();
    std::call_once(bereit_, [this, &curl] {
        // Without the share every fetch still works; only the lookups are not shared.
        CURLSH* teilung = curl.shareInit();
        if (teilung == nullptr) {
            return;
        }
        bool ok =
            curl.shareSetopt(teilung, CURLSHOPT_LOCKFUNC, &Verbindungspool::sperre) == CURLSHE_OK &&
            curl.shareSetopt(teilung, CURLSHOPT_UNLOCKFUNC, &Verbindungspool::entsperre) == CURLSHE_OK &&
            curl.shareSetopt(teilung, CURLSHOPT_USERDATA, this) == CURLSHE_OK &&
            curl.shareSetopt(teilung, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS) == CURLSHE_OK;
        if (!ok) {
            curl.shareCleanup(teilung);
            return;
        }
        teilung_ = teilung;
    });
    return curl;
}

Verbindungspool::~Verbindungspool() {
    // A pool that never lent a handle has nothing of curl and must not load it now.
    if (frei_.empty() && teilung_ == nullptr) {
        return;
    }
    const Curlbibliothek::Funktionen& curl = Curlbibliothek::geladen();
    // The kept connections go before the share whose lookups they were made with.
    for (CURLM* multi : frei_) {
        curl.multiCleanup(multi);
    }
    if (teilung_ != nullptr) {
        curl.shareCleanup(teilung_);
    }
}

Verbindungspool::Leihe Verbindungspool::leihe() {
    const Curlbibliothek::Funktionen& curl = bereite();
    {
        std::lock_guard sperre(mutex_);
        if (!frei_.empty()) {
            CURLM* multi = frei_.back();
            frei_.pop_back();
            return Leihe(*this, multi);
        }
    }
    return Leihe(*this, curl.multiInit());
}

CURLcode Verbindungspool::teile(CURL* easy) {
    const Curlbibliothek::Funktionen& curl = bereite();
    if (teilung_ == nullptr) {
        return CURLE_OK;
    }
    return curl.easySetopt(easy, CURLOPT_SHARE, teilung_);
}

void Verbindungspool::gibZurueck(CURLM* multi, bool verworfen) {
    if (!verworfen) {
        std::lock_guard sperre(mutex_);
        if (frei_.size() < hoechstensFrei) {
            frei_.push_back(multi);
            return;
        }
    }
    Curlbibliothek::geladen().multiCleanup(multi);
}

void Verbindungspool::sperre(CURL*, curl_lock_data daten, curl_lock_access, void* nutzer) {
    auto& pool = *static_cast<Verbindungspool*>(nutzer);
    pool.sperren_[static_cast<std::size_t>(daten)].lock();
}

void Verbindungspool::entsperre(CURL*, curl_lock_data daten, void* nutzer) {
    auto& pool = *static_cast<Verbindungspool*>(nutzer);
    pool.sperren_[static_cast<std::size_t>(daten)].unlock();
}

} // namespace qb
