#include "sources/Curlbibliothek.h"

#include <cstring>

#include <dlfcn.h>

#include "foundation/Protokoll.h"
#include "model/Kursfehler.h"
#include "sources/Netzwerkmeldung.h"

namespace qb {

namespace {

constexpr const char* nichtGeladen = "Die Netzwerkbibliothek libcurl ließ sich nicht laden.";

const Protokoll& protokoll() {
    static const Protokoll netz("Netz");
    return netz;
}

// What the dynamic linker said about the last failure.
std::string linkerfehler() {
    const char* text = dlerror();
    return text == nullptr ? "ohne Angabe" : text;
}

std::string versionstext(unsigned int version) {
    return std::to_string((version >> 16) & 0xff) + "." + std::to_string((version >> 8) & 0xff) + "." +
           std::to_string(version & 0xff);
}

bool kannHttps(const curl_version_info_data& info) {
    for (const char* const* protokoll = info.protocols; protokoll != nullptr && *protokoll != nullptr; ++protokoll) {
        if (std::strcmp(*protokoll, "https") == 0) {
            return true;
        }
    }
    return false;
}

template <typename Funktion>
bool hole(void* bibliothek, const char* name, Funktion& ziel) {
    void* adresse = dlsym(bibliothek, name);
    if (adresse == nullptr) {
        return false;
    }
    ziel = reinterpret_cast<Funktion>(adresse);
    return true;
}

bool holeAlle(void* b, Curlbibliothek::Funktionen& f) {
    return hole(b, "curl_global_init", f.globalInit) && hole(b, "curl_free", f.free) &&
           hole(b, "curl_easy_init", f.easyInit) && hole(b, "curl_easy_cleanup", f.easyCleanup) &&
           hole(b, "curl_easy_setopt", f.easySetopt) && hole(b, "curl_easy_getinfo", f.easyGetinfo) &&
           hole(b, "curl_easy_escape", f.easyEscape) && hole(b, "curl_slist_append", f.slistAppend) &&
           hole(b, "curl_slist_free_all", f.slistFreeAll) && hole(b, "curl_multi_init", f.multiInit) &&
           hole(b, "curl_multi_cleanup", f.multiCleanup) && hole(b, "curl_multi_add_handle", f.multiAddHandle) &&
           hole(b, "curl_multi_remove_handle", f.multiRemoveHandle) &&
           hole(b, "curl_multi_perform", f.multiPerform) && hole(b, "curl_multi_poll", f.multiPoll) &&
           hole(b, "curl_multi_wakeup", f.multiWakeup) && hole(b, "curl_multi_info_read", f.multiInfoRead) &&
           hole(b, "curl_share_init", f.shareInit) && hole(b, "curl_share_setopt", f.shareSetopt) &&
           hole(b, "curl_share_cleanup", f.shareCleanup) && hole(b, "curl_url", f.url) &&
           hole(b, "curl_url_set", f.urlSet) && hole(b, "curl_url_get", f.urlGet) &&
           hole(b, "curl_url_cleanup", f.urlCleanup);
}

} // namespace

std::optional<std::string> Curlbibliothek::mangel(unsigned int version, bool https) {
    if (version < mindestversion) {
        return "Die Netzwerkbibliothek libcurl ist zu alt (Version " + versionstext(version) +
               ", nötig ist mindestens " + versionstext(mindestversion) + ").";
    }
    if (!https) {
        return std::string("Die Netzwerkbibliothek libcurl kann kein HTTPS.");
    }
    return std::nullopt;
}

const Curlbibliothek::Funktionen& Curlbibliothek::geladen() {
    // The soname of the runtime package, not the development package's libcurl.so. Never
    // destroyed, so that a source that lives in a static until exit can still clean up.
    static const Curlbibliothek* const programm = new Curlbibliothek("libcurl.so.4");
    return programm->funktionen();
}

Curlbibliothek::Curlbibliothek(const char* datei) {
    // RTLD_LOCAL keeps curl's symbols, and those of the libraries it brings, out of the lookup
    // of everything loaded later.
    void* bibliothek = dlopen(datei, RTLD_NOW | RTLD_LOCAL);
    if (bibliothek == nullptr) {
        protokoll().fehler("libcurl nicht geladen: " + linkerfehler());
        fehler_ = nichtGeladen;
        return;
    }
    // The version comes first, so that a library too old to have every function says so
    // instead of lacking one.
    decltype(&curl_version_info) versionInfo = nullptr;
    const curl_version_info_data* info = nullptr;
    if (hole(bibliothek, "curl_version_info", versionInfo)) {
        info = versionInfo(CURLVERSION_NOW);
    }
    std::optional<std::string> grund;
    if (info == nullptr) {
        protokoll().fehler("libcurl nicht geladen: " + linkerfehler());
        grund = nichtGeladen;
    } else if ((grund = mangel(info->version_num, kannHttps(*info)))) {
        protokoll().fehler("libcurl " + std::string(info->version) + " nicht nutzbar: " + *grund);
    } else if (!holeAlle(bibliothek, funktionen_)) {
        protokoll().fehler("libcurl nicht geladen: " + linkerfehler());
        grund = nichtGeladen;
    }
    if (grund) {
        funktionen_ = {};
        dlclose(bibliothek);
        fehler_ = std::move(grund);
        return;
    }
    // Not safe to race with other threads using curl; nothing uses it before this returns.
    if (CURLcode c = funktionen_.globalInit(CURL_GLOBAL_DEFAULT); c != CURLE_OK) {
        protokoll().fehler("libcurl nicht gestartet: curl_global_init ergab " + std::to_string(c));
        fehler_ = Netzwerkmeldung::fuer(CURLE_FAILED_INIT);
    }
}

const Curlbibliothek::Funktionen& Curlbibliothek::funktionen() const {
    if (fehler_) {
        throw Kursfehler::netzwerk(*fehler_);
    }
    return funktionen_;
}

} // namespace qb
