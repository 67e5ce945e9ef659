#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sources/Curlbibliothek.h"
#include "sources/Testhilfen.h"

using qb::Curlbibliothek;
using qb::Kursfehler;
using qbtest::kursfehler;

namespace {

// A library that is missing, or one that is there but is no libcurl, fails every call with one
// German sentence instead of ending the program.
TEST(CurlbibliothekTest, ohneCurlScheitertJederAbrufMitEinemSatz) {
    const std::string fehlt =
        (std::filesystem::temp_directory_path() / "qb-gibt-es-nicht" / "libcurl.so.4").string();
    const std::vector<std::string> dateien = {fehlt, "libm.so.6"};
    for (const auto& datei : dateien) {
        const Curlbibliothek bibliothek(datei.c_str());
        for (int mal = 0; mal < 2; ++mal) {
            const Kursfehler fehler = kursfehler([&] { bibliothek.funktionen(); });
            EXPECT_EQ(fehler, Kursfehler::netzwerk("Die Netzwerkbibliothek libcurl ließ sich nicht laden.")) << datei;
            EXPECT_EQ(fehler.meldung(),
                      "Die Quelle war nicht erreichbar: Die Netzwerkbibliothek libcurl ließ sich nicht laden.")
                << datei;
        }
    }
}

} // namespace
