#include "sources/Verbindungspool.h"

namespace qb {

namespace {

void initialisiereCurl() {
    // curl_global_init is not safe to race with other threads; every handle is made after it.
    static std::once_flag einmal;
    std::call_once(einmal, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace

Verbindungspool::Leihe::~Leihe() {
    if (multi_ != nullptr) {
        pool_->gibZurueck(multi_, verworfen_);
    }
}

void Verbindungspool::bereite() {
    std::call_once(bereit_, [this] {
        initialisiereCurl();
        // Without the share every fetch still works; only the lookups are not shared.
        CURLSH* teilung = curl_share_init();
        if (teilung == nullptr) {
            return;
        }
        bool ok =
            curl_share_setopt(teilung, CURLSHOPT_LOCKFUNC, &Verbindungspool::sperre) == CURLSHE_OK &&
            curl_share_setopt(teilung, CURLSHOPT_UNLOCKFUNC, &Verbindungspool::entsperre) == CURLSHE_OK &&
            curl_share_setopt(teilung, CURLSHOPT_USERDATA, this) == CURLSHE_OK &&
            curl_share_setopt(teilung, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS) == CURLSHE_OK;
        if (!ok) {
            curl_share_cleanup(teilung);
            return;
        }
        teilung_ = teilung;
    });
}

Verbindungspool::~Verbindungspool() {
    // The kept connections go before the share whose lookups they were made with.
    for (CURLM* multi : frei_) {
        curl_multi_cleanup(multi);
    }
    if (teilung_ != nullptr) {
        curl_share_cleanup(teilung_);
    }
}

Verbindungspool::Leihe Verbindungspool::leihe() {
    bereite();
    {
        std::lock_guard sperre(mutex_);
        if (!frei_.empty()) {
            CURLM* multi = frei_.back();
            frei_.pop_back();
            return Leihe(*this, multi);
        }
    }
    return Leihe(*this, curl_multi_init());
}

CURLcode Verbindungspool::teile(CURL* easy) {
    bereite();
    if (teilung_ == nullptr) {
        return CURLE_OK;
    }
    return curl_easy_setopt(easy, CURLOPT_SHARE, teilung_);
}

void Verbindungspool::gibZurueck(CURLM* multi, bool verworfen) {
    if (!verworfen) {
        std::lock_guard sperre(mutex_);
        if (frei_.size() < hoechstensFrei) {
            frei_.push_back(multi);
            return;
        }
    }
    curl_multi_cleanup(multi);
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
