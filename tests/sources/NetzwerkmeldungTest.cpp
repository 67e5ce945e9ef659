#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sources/Netzwerkmeldung.h"

using qb::Netzwerkmeldung;

namespace {

const char* const unbekannt = "Bei der Verbindung zur Quelle ist ein unbekannter Fehler aufgetreten.";
const char* const intern = "In der Netzwerkbibliothek ist ein interner Fehler aufgetreten.";
const char* const ohneSpeicher = "Für die Anfrage fehlte Arbeitsspeicher.";

// The largest value an enumeration without a fixed type can hold: every bit of its largest
// enumerator set. The values from the last enumerator up to here stand for the codes of later
// curl versions; a cast of anything beyond is undefined.
constexpr int hoechsterWert(int groessterEnumerator) {
    int wert = 1;
    while (wert <= groessterEnumerator) {
        wert *= 2;
    }
    return wert - 1;
}

TEST(NetzwerkmeldungTest, jedesCurlErgebnisHatEinenDeutschenSatz) {
    const std::map<std::string, std::vector<CURLcode>> saetze = {
        {"Zeitüberschreitung bei der Anforderung.", {CURLE_OPERATION_TIMEDOUT}},
        {"Der Server wurde nicht gefunden.", {CURLE_COULDNT_RESOLVE_HOST}},
        {"Die Verbindung über den Proxyserver ist fehlgeschlagen.",
         {CURLE_COULDNT_RESOLVE_PROXY, CURLE_PROXY}},
        {"Es konnte keine Verbindung zum Server hergestellt werden.",
         {CURLE_COULDNT_CONNECT, CURLE_INTERFACE_FAILED, CURLE_NO_CONNECTION_AVAILABLE,
          CURLE_QUIC_CONNECT_ERROR}},
        {"Das Zertifikat des Servers ist nicht vertrauenswürdig.",
         {CURLE_PEER_FAILED_VERIFICATION, CURLE_SSL_ISSUER_ERROR, CURLE_SSL_INVALIDCERTSTATUS,
          CURLE_SSL_PINNEDPUBKEYNOTMATCH}},
        {"Eine sichere Verbindung zum Server konnte nicht hergestellt werden.",
         {CURLE_SSL_CONNECT_ERROR, CURLE_SSL_CIPHER, CURLE_SSL_CLIENTCERT, CURLE_SSL_SHUTDOWN_FAILED,
          CURLE_USE_SSL_FAILED}},
        {"Die Zertifikate für sichere Verbindungen ließen sich nicht laden.",
         {CURLE_SSL_CACERT_BADFILE, CURLE_SSL_CRL_BADFILE, CURLE_SSL_CERTPROBLEM, CURLE_SSL_ENGINE_NOTFOUND,
          CURLE_SSL_ENGINE_SETFAILED, CURLE_SSL_ENGINE_INITFAILED}},
        {"Die Netzwerkverbindung wurde unterbrochen.",
         {CURLE_GOT_NOTHING, CURLE_SEND_ERROR, CURLE_RECV_ERROR, CURLE_PARTIAL_FILE, CURLE_HTTP2_STREAM}},
        {"Der Server hat eine ungültige Antwort gesendet.",
         {CURLE_WEIRD_SERVER_REPLY, CURLE_HTTP2, CURLE_HTTP3, CURLE_BAD_CONTENT_ENCODING}},
        {"Zu viele Weiterleitungen.", {CURLE_TOO_MANY_REDIRECTS}},
        {"Die Antwort kam von einer anderen Adresse", {CURLE_UNSUPPORTED_PROTOCOL}},
        {"Die Adresse der Quelle ist ungültig.", {CURLE_URL_MALFORMAT}},
        {ohneSpeicher, {CURLE_OUT_OF_MEMORY}},
        {"Die Netzwerkbibliothek ließ sich nicht starten.",
         {CURLE_FAILED_INIT, CURLE_NOT_BUILT_IN, CURLE_UNKNOWN_OPTION, CURLE_SETOPT_OPTION_SYNTAX,
          CURLE_BAD_FUNCTION_ARGUMENT, CURLE_FUNCTION_NOT_FOUND}},
        {intern,
         {CURLE_WRITE_ERROR, CURLE_ABORTED_BY_CALLBACK, CURLE_RECURSIVE_API_CALL, CURLE_UNRECOVERABLE_POLL}},
    };
    std::map<int, std::string> erwartet;
    for (const auto& [satz, codes] : saetze) {
        for (CURLcode code : codes) {
            ASSERT_TRUE(erwartet.emplace(code, satz).second) << "doppelt: " << code;
        }
    }
    // Every other code, the protocols this fetch never speaks and codes of later versions
    // included, gets the general sentence.
    for (int code = 1; code <= hoechsterWert(CURL_LAST); ++code) {
        auto it = erwartet.find(code);
        EXPECT_EQ(Netzwerkmeldung::fuer(static_cast<CURLcode>(code)),
                  it == erwartet.end() ? unbekannt : it->second)
            << code << " " << curl_easy_strerror(static_cast<CURLcode>(code));
    }
}

TEST(NetzwerkmeldungTest, jedesErgebnisDerMultiSchnittstelleHatEinenDeutschenSatz) {
    for (int code = CURLM_CALL_MULTI_PERFORM; code <= hoechsterWert(CURLM_LAST); ++code) {
        if (code == CURLM_OK) {
            continue;
        }
        EXPECT_EQ(Netzwerkmeldung::fuer(static_cast<CURLMcode>(code)),
                  code == CURLM_OUT_OF_MEMORY ? ohneSpeicher : intern)
            << code << " " << curl_multi_strerror(static_cast<CURLMcode>(code));
    }
}

} // namespace
