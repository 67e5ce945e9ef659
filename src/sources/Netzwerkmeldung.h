#pragma once

#include <string>

#include <curl/curl.h>

namespace qb {

// The German sentence for a libcurl result that ends a fetch. curl's own texts are English and
// never reach the user, not even as a detail: every code maps to one of a few sentences, and a
// code without a sentence of its own, including those of later curl versions, gets the general
// one.
struct Netzwerkmeldung {
    static std::string fuer(CURLcode code);
    // The multi interface that drives every transfer.
    static std::string fuer(CURLMcode code);
};

} // namespace qb
