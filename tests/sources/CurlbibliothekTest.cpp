#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include <dlfcn.h>

#include <gtest/gtest.h>

#include "foundation/Protokoll.h"
#include "sources/Curlbibliothek.h"
#include "sources/Testhilfen.h"

using qb::Curlbibliothek;
using qb::Kursfehler;
using qb::Protokoll;
using qbtest::kursfehler;

namespace {

// What the dynamic linker says when it opens this file and looks for curl's first function.
std::string linkerfehler(const std::string& datei) {
    if (void* bibliothek = dlopen(datei.c_str(), RTLD_NOW | RTLD_LOCAL); bibliothek != nullptr) {
        dlsym(bibliothek, "curl_version_info");
    }
    return dlerror();
}

// A library that is missing, or one that is there but is no libcurl, fails every call with one
// German sentence instead of ending the program; the linker's own words go to the log only.
TEST(CurlbibliothekTest, ohneCurlScheitertJederAbrufMitEinemSatz) {
    const std::string fehlt =
        (std::filesystem::temp_directory_path() / "qb-gibt-es-nicht" / "libcurl.so.4").string();
    const std::vector<std::string> dateien = {fehlt, "libm.so.6"};
    for (const auto& datei : dateien) {
        std::vector<std::string> zeilen;
        Protokoll::setzeSenke([&](Protokoll::Stufe stufe, const std::string& kategorie, const std::string& text) {
            zeilen.push_back((stufe == Protokoll::Stufe::fehler ? "Fehler [" : "[") + kategorie + "] " + text);
        });
        const Curlbibliothek bibliothek(datei.c_str());
        Protokoll::setzeSenke({});
        EXPECT_EQ(zeilen, std::vector<std::string>{"Fehler [Netz] libcurl nicht geladen: " + linkerfehler(datei)});
        for (int mal = 0; mal < 2; ++mal) {
            const Kursfehler fehler = kursfehler([&] { bibliothek.funktionen(); });
            EXPECT_EQ(fehler, Kursfehler::netzwerk("Die Netzwerkbibliothek libcurl ließ sich nicht laden.")) << datei;
            EXPECT_EQ(fehler.meldung(),
                      "Die Quelle war nicht erreichbar: Die Netzwerkbibliothek libcurl ließ sich nicht laden.")
                << datei;
        }
    }
}

TEST(CurlbibliothekTest, verlangtEineVersionMitAllemWasDieAbrufeNutzen) {
    const std::string zuAlt = "Die Netzwerkbibliothek libcurl ist zu alt (Version ";
    const std::tuple<unsigned int, bool, std::optional<std::string>> faelle[] = {
        {0x075700, true, std::nullopt},
        {0x080B01, true, std::nullopt},
        {0x0756FF, true, zuAlt + "7.86.255, nötig ist mindestens 7.87.0)."},
        {0x073E00, false, zuAlt + "7.62.0, nötig ist mindestens 7.87.0)."},
        {0x075700, false, "Die Netzwerkbibliothek libcurl kann kein HTTPS."},
    };
    for (const auto& [version, kannHttps, erwartet] : faelle) {
        EXPECT_EQ(Curlbibliothek::mangel(version, kannHttps), erwartet) << std::hex << version;
    }
}

} // namespace
