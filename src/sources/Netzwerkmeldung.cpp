#include "sources/Netzwerkmeldung.h"

namespace qb {

namespace {

constexpr const char* zeitUeberschritten = "Zeitüberschreitung bei der Anforderung.";
constexpr const char* serverUnbekannt = "Der Server wurde nicht gefunden.";
constexpr const char* proxyGescheitert = "Die Verbindung über den Proxyserver ist fehlgeschlagen.";
constexpr const char* keineVerbindung = "Es konnte keine Verbindung zum Server hergestellt werden.";
constexpr const char* zertifikatAbgelehnt = "Das Zertifikat des Servers ist nicht vertrauenswürdig.";
constexpr const char* keineSichereVerbindung =
    "Eine sichere Verbindung zum Server konnte nicht hergestellt werden.";
constexpr const char* zertifikateNichtGeladen =
    "Die Zertifikate für sichere Verbindungen ließen sich nicht laden.";
constexpr const char* unterbrochen = "Die Netzwerkverbindung wurde unterbrochen.";
constexpr const char* ungueltigeAntwort = "Der Server hat eine ungültige Antwort gesendet.";
constexpr const char* zuVieleWeiterleitungen = "Zu viele Weiterleitungen.";
constexpr const char* andereAdresse = "Die Antwort kam von einer anderen Adresse";
constexpr const char* adresseUngueltig = "Die Adresse der Quelle ist ungültig.";
constexpr const char* ohneSpeicher = "Für die Anfrage fehlte Arbeitsspeicher.";
constexpr const char* nichtGestartet = "Die Netzwerkbibliothek ließ sich nicht starten.";
constexpr const char* internerFehler = "In der Netzwerkbibliothek ist ein interner Fehler aufgetreten.";
constexpr const char* unbekannt = "Bei der Verbindung zur Quelle ist ein unbekannter Fehler aufgetreten.";

} // namespace

std::string Netzwerkmeldung::fuer(CURLcode code) {
    switch (code) {
    case CURLE_OPERATION_TIMEDOUT:
        return zeitUeberschritten;
    case CURLE_COULDNT_RESOLVE_HOST:
        return serverUnbekannt;
    // curl takes a proxy from the environment (https_proxy, all_proxy) on its own.
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_PROXY:
        return proxyGescheitert;
    case CURLE_COULDNT_CONNECT:
    case CURLE_INTERFACE_FAILED:
    case CURLE_NO_CONNECTION_AVAILABLE:
    case CURLE_QUIC_CONNECT_ERROR:
        return keineVerbindung;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        return zertifikatAbgelehnt;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CLIENTCERT:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_USE_SSL_FAILED:
        return keineSichereVerbindung;
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
        return zertifikateNichtGeladen;
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
    case CURLE_HTTP2_STREAM:
        return unterbrochen;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_HTTP2:
    case CURLE_HTTP3:
    case CURLE_BAD_CONTENT_ENCODING:
        return ungueltigeAntwort;
    case CURLE_TOO_MANY_REDIRECTS:
        return zuVieleWeiterleitungen;
    // Every fetch starts at an https address and allows nothing else, so only a redirect
    // can lead to a scheme curl refuses.
    case CURLE_UNSUPPORTED_PROTOCOL:
        return andereAdresse;
    case CURLE_URL_MALFORMAT:
        return adresseUngueltig;
    case CURLE_OUT_OF_MEMORY:
        return ohneSpeicher;
    case CURLE_FAILED_INIT:
    case CURLE_NOT_BUILT_IN:
    case CURLE_UNKNOWN_OPTION:
    case CURLE_SETOPT_OPTION_SYNTAX:
    case CURLE_BAD_FUNCTION_ARGUMENT:
    case CURLE_FUNCTION_NOT_FOUND:
        return nichtGestartet;
    // Our callbacks give their own reason when they end a transfer; these remain for the rest.
    case CURLE_WRITE_ERROR:
    case CURLE_ABORTED_BY_CALLBACK:
    case CURLE_RECURSIVE_API_CALL:
    case CURLE_UNRECOVERABLE_POLL:
        return internerFehler;
    default:
        return unbekannt;
    }
}

std::string Netzwerkmeldung::fuer(CURLMcode code) {
    if (code == CURLM_OUT_OF_MEMORY) {
        return ohneSpeicher;
    }
    return internerFehler;
}

} // namespace qb
