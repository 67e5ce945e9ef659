#pragma once

#include <optional>
#include <string>

#include <curl/curl.h>

namespace qb {

// libcurl, opened when the first fetch needs it instead of at program start: linked, the library
// and the two dozen it pulls in (TLS, Kerberos, LDAP, SSH, …) cost some megabytes in every
// session, also in one that never fetches. The sources call curl only through the functions held
// here; they take curl's types and constants from its header alone.
class Curlbibliothek {
public:
    // curl's functions by their names without the prefix.
    struct Funktionen {
        decltype(&curl_global_init) globalInit = nullptr;
        decltype(&curl_free) free = nullptr;
        decltype(&curl_easy_init) easyInit = nullptr;
        decltype(&curl_easy_cleanup) easyCleanup = nullptr;
        decltype(&curl_easy_setopt) easySetopt = nullptr;
        decltype(&curl_easy_getinfo) easyGetinfo = nullptr;
        decltype(&curl_easy_escape) easyEscape = nullptr;
        decltype(&curl_slist_append) slistAppend = nullptr;
        decltype(&curl_slist_free_all) slistFreeAll = nullptr;
        decltype(&curl_multi_init) multiInit = nullptr;
        decltype(&curl_multi_cleanup) multiCleanup = nullptr;
        decltype(&curl_multi_add_handle) multiAddHandle = nullptr;
        decltype(&curl_multi_remove_handle) multiRemoveHandle = nullptr;
        decltype(&curl_multi_perform) multiPerform = nullptr;
        decltype(&curl_multi_poll) multiPoll = nullptr;
        decltype(&curl_multi_wakeup) multiWakeup = nullptr;
        decltype(&curl_multi_info_read) multiInfoRead = nullptr;
        decltype(&curl_share_init) shareInit = nullptr;
        decltype(&curl_share_setopt) shareSetopt = nullptr;
        decltype(&curl_share_cleanup) shareCleanup = nullptr;
        decltype(&curl_url) url = nullptr;
        decltype(&curl_url_set) urlSet = nullptr;
        decltype(&curl_url_get) urlGet = nullptr;
        decltype(&curl_url_cleanup) urlCleanup = nullptr;
    };

    // The oldest libcurl that has every option and function the fetches use, in curl's packed
    // form 0xXXYYZZ: 7.87.0, the first with CURLOPT_QUICK_EXIT.
    static constexpr unsigned int mindestversion = 0x075700;

    // The program's libcurl 4, opened and started by the first call, whichever thread makes it;
    // a failure stays for the rest of the run. Kursfehler::netzwerk when it failed.
    static const Funktionen& geladen();

    // Why a libcurl of this packed version, with or without https, cannot do the fetches, as a
    // German sentence; none when it can.
    static std::optional<std::string> mangel(unsigned int version, bool kannHttps);

    // Opens the library under this file name, checks its version and starts curl. Never throws;
    // why a library could not be used goes to the log under "Netz", since its words (dlerror's,
    // curl's) are no German sentence for the window. A library once opened with all its
    // functions stays loaded, since curl is never shut down.
    explicit Curlbibliothek(const char* datei);
    ~Curlbibliothek() = default;
    Curlbibliothek(const Curlbibliothek&) = delete;
    Curlbibliothek& operator=(const Curlbibliothek&) = delete;

    // The functions; Kursfehler::netzwerk when the library, one of its functions or its start
    // was missing, or the library was too old.
    const Funktionen& funktionen() const;

private:
    Funktionen funktionen_;
    std::optional<std::string> fehler_;
};

} // namespace qb
