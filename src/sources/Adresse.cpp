#include "sources/Adresse.h"

#include <memory>
#include <new>

#include <curl/curl.h>

#include "sources/Curlbibliothek.h"

namespace qb {

namespace {

struct UrlLoescher {
    decltype(&curl_url_cleanup) loesche;
    void operator()(CURLU* u) const { loesche(u); }
};
using Url = std::unique_ptr<CURLU, UrlLoescher>;

Url neueUrl(const Curlbibliothek::Funktionen& curl) {
    return Url(curl.url(), UrlLoescher{curl.urlCleanup});
}

std::string klein(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

std::optional<std::string> teil(const Curlbibliothek::Funktionen& curl, CURLU* u, CURLUPart welcher) {
    char* wert = nullptr;
    if (curl.urlGet(u, welcher, &wert, 0) != CURLUE_OK || wert == nullptr) {
        return std::nullopt;
    }
    // curl's memory goes back to curl even when the copy fails.
    std::unique_ptr<char, decltype(curl.free)> freigabe(wert, curl.free);
    return std::string(wert);
}

} // namespace

std::string Adresse::kodiert(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const Curlbibliothek::Funktionen& curl = Curlbibliothek::geladen();
    char* kodiertText = curl.easyEscape(nullptr, text.data(), static_cast<int>(text.size()));
    if (kodiertText == nullptr) {
        throw std::bad_alloc();
    }
    std::unique_ptr<char, decltype(curl.free)> freigabe(kodiertText, curl.free);
    return std::string(kodiertText);
}

std::optional<std::string> Adresse::bilde(std::string_view basis, std::string_view pfad, const Abfrage& abfrage) {
    const Curlbibliothek::Funktionen& curl = Curlbibliothek::geladen();
    Url u = neueUrl(curl);
    if (!u) {
        return std::nullopt;
    }
    // The parser needs a terminated string; a NUL inside the base is no address at all.
    std::string basistext(basis);
    if (basistext.find('\0') != std::string::npos ||
        curl.urlSet(u.get(), CURLUPART_URL, basistext.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK) {
        return std::nullopt;
    }
    std::string praefix = teil(curl, u.get(), CURLUPART_PATH).value_or("");
    while (!praefix.empty() && praefix.back() == '/') {
        praefix.pop_back();
    }
    std::string vollerPfad = praefix + std::string(pfad);
    if (curl.urlSet(u.get(), CURLUPART_PATH, vollerPfad.c_str(), 0) != CURLUE_OK ||
        curl.urlSet(u.get(), CURLUPART_QUERY, nullptr, 0) != CURLUE_OK ||
        curl.urlSet(u.get(), CURLUPART_FRAGMENT, nullptr, 0) != CURLUE_OK) {
        return std::nullopt;
    }
    auto ohneAbfrage = teil(curl, u.get(), CURLUPART_URL);
    if (!ohneAbfrage) {
        return std::nullopt;
    }
    // The query is joined here: curl's URL parser would rewrite the escapes in lower case.
    std::string adresse = *ohneAbfrage;
    char trenner = '?';
    for (const auto& [name, wert] : abfrage) {
        adresse += trenner;
        adresse += kodiert(name) + "=" + kodiert(wert);
        trenner = '&';
    }
    return adresse;
}

std::optional<std::string> Adresse::schema(std::string_view adresse) {
    auto doppelpunkt = adresse.find(':');
    if (doppelpunkt == std::string_view::npos || doppelpunkt == 0) {
        return std::nullopt;
    }
    auto kandidat = adresse.substr(0, doppelpunkt);
    auto c0 = kandidat.front();
    if (!((c0 >= 'A' && c0 <= 'Z') || (c0 >= 'a' && c0 <= 'z'))) {
        return std::nullopt;
    }
    for (char c : kandidat) {
        bool erlaubt = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
                       c == '-' || c == '.';
        if (!erlaubt) {
            return std::nullopt;
        }
    }
    return klein(std::string(kandidat));
}

std::optional<std::string> Adresse::host(std::string_view adresse) {
    const Curlbibliothek::Funktionen& curl = Curlbibliothek::geladen();
    Url u = neueUrl(curl);
    std::string text(adresse);
    if (!u || text.find('\0') != std::string::npos ||
        curl.urlSet(u.get(), CURLUPART_URL, text.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK) {
        return std::nullopt;
    }
    auto h = teil(curl, u.get(), CURLUPART_HOST);
    if (!h || h->empty()) {
        return std::nullopt;
    }
    return klein(*h);
}

} // namespace qb
