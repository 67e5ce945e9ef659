// Judges every file the compiler read for an object of a floor against what that floor may see
// (see Stockwerke.cmake). What it read comes from Ninja's dependency log, which keeps the
// compiler's dependency files after Ninja deletes them: so an include counts exactly when the
// compiler opened its file, whatever its spelling, and not when it stands in "#if 0", in a
// comment or in a file no target compiles. Every path is resolved to its real file first, and a
// path that resolves to no file is refused: Ninja folds "a/link/../b" into "a/b" without asking
// the file system, so behind a symbolic link to a folder the record names a file that is not the
// one the compiler read.
//
// Called as: qb_stockwerkspruefung <data file written by qb_stockwerke()>
// The log is read, never written: Ninja may still be appending to it while this runs, but every
// record of the objects this step depends on is complete and flushed before the step starts.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Bau {
    fs::path quelle, src, bau, protokoll;
    std::vector<fs::path> qtOrdner;
    std::vector<std::string> stockwerke;
};

struct Ziel {
    std::string ordner;
    std::vector<std::string> sicht; // bottom first, its own folder last
    bool qt = false;
    std::vector<fs::path> eigeneOrdner; // generated code of its own (moc)
    std::vector<fs::path> objekte;
};

fs::path echt(const fs::path& pfad) {
    std::error_code fehler;
    fs::path ergebnis = fs::canonical(pfad, fehler);
    return fehler ? pfad.lexically_normal() : ergebnis;
}

bool liegtUnter(const fs::path& pfad, const fs::path& ordner) {
    auto [o, p] = std::mismatch(ordner.begin(), ordner.end(), pfad.begin(), pfad.end());
    return o == ordner.end() || (o->empty() && std::next(o) == ordner.end());
}

bool liegtInEinem(const fs::path& pfad, const std::vector<fs::path>& ordner) {
    return std::any_of(ordner.begin(), ordner.end(), [&](const auto& o) { return liegtUnter(pfad, o); });
}

bool enthaelt(const std::vector<std::string>& liste, const std::string& wert) {
    return std::find(liste.begin(), liste.end(), wert) != liste.end();
}

std::string verbunden(const std::vector<std::string>& teile) {
    std::string text;
    for (const auto& teil : teile)
        text += (text.empty() ? "" : ", ") + teil;
    return text;
}

// A path as a message shows it: from the checkout when it lies there.
std::string anzeige(const fs::path& pfad, const fs::path& quelle) {
    return liegtUnter(pfad, quelle) ? pfad.lexically_relative(quelle).string() : pfad.string();
}

// Ninja's dependency log, format 4: after the header, records of a 4-byte size; the high bit
// marks the dependencies of an output (its id, its mtime in 8 bytes, the ids of its inputs),
// otherwise a path (padded with NULs to 4 bytes, then a checksum) whose id is its position. A
// later record of an output replaces an earlier one; an incomplete last record is still being
// written and belongs to no object this step waits for.
bool leseProtokoll(const fs::path& datei, std::vector<std::string>& pfade,
                   std::map<std::int32_t, std::vector<std::int32_t>>& eingaben) {
    std::ifstream ein(datei, std::ios::binary);
    std::string kopf(12, '\0');
    std::int32_t version = 0;
    if (!ein.read(kopf.data(), 12) || kopf != "# ninjadeps\n" ||
        !ein.read(reinterpret_cast<char*>(&version), 4) || version != 4)
        return false;
    std::uint32_t groesse = 0;
    while (ein.read(reinterpret_cast<char*>(&groesse), 4)) {
        const bool abhaengigkeiten = groesse & 0x80000000u;
        groesse &= 0x7fffffffu;
        if (groesse % 4 != 0 || groesse > (1u << 19))
            break;
        std::vector<std::int32_t> zahlen(groesse / 4);
        if (!ein.read(reinterpret_cast<char*>(zahlen.data()), groesse))
            break;
        if (abhaengigkeiten && zahlen.size() >= 3)
            eingaben[zahlen[0]].assign(zahlen.begin() + 3, zahlen.end());
        else if (!abhaengigkeiten && !zahlen.empty()) {
            std::string pfad(reinterpret_cast<const char*>(zahlen.data()), groesse - 4);
            pfad.erase(pfad.find_last_not_of('\0') + 1);
            pfade.push_back(pfad);
        }
    }
    return true;
}

// Where a file the compiler read for a target comes from, when the target may not read it;
// empty when it may.
std::string herkunft(const Bau& b, const Ziel& ziel, const fs::path& kopf) {
    if (liegtUnter(kopf, b.src)) {
        const fs::path relativ = kopf.lexically_relative(b.src);
        const std::string ordner = relativ.begin()->string();
        if (std::next(relativ.begin()) == relativ.end())
            return "das direkt in src/ und in keinem Stockwerk liegt";
        if (enthaelt(ziel.sicht, ordner))
            return "";
        if (!enthaelt(b.stockwerke, ordner))
            return "aus src/" + ordner + "/, das in diesem Bau kein Stockwerk ist";
        return "aus dem Stockwerk " + ordner;
    }
    if (liegtInEinem(kopf, ziel.eigeneOrdner))
        return "";
    if (liegtUnter(kopf, b.bau))
        return "einen erzeugten Kopf im Bauordner, in keinem Stockwerk";
    if (liegtUnter(kopf, b.quelle))
        return "das außerhalb von src/ und in keinem Stockwerk liegt";
    if (!ziel.qt && liegtInEinem(kopf, b.qtOrdner))
        return "aus Qt";
    return "";
}

// Where the including file names the header: the first line with "include" and its file name,
// real or as the compiler was given it, in the source or in one of its floor's own files.
std::string fundstelle(const std::vector<fs::path>& dateien, const std::vector<fs::path>& namen,
                       const fs::path& quelle) {
    for (const auto& name : namen)
        for (const auto& datei : dateien) {
            std::ifstream ein(datei);
            std::string zeile;
            for (int nummer = 1; std::getline(ein, zeile); ++nummer)
                if (zeile.find("include") != std::string::npos &&
                    zeile.find(name.string()) != std::string::npos)
                    return anzeige(datei, quelle) + ":" + std::to_string(nummer);
        }
    return "";
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "Aufruf: qb_stockwerkspruefung <Daten>\n";
        return 2;
    }
    Bau b;
    std::vector<Ziel> ziele;
    std::ifstream daten(argv[1]);
    for (std::string zeile; std::getline(daten, zeile);) {
        const auto trenner = zeile.find(' ');
        const std::string art = zeile.substr(0, trenner);
        const std::string wert = trenner == std::string::npos ? "" : zeile.substr(trenner + 1);
        if (art == "quelle")
            b.quelle = echt(wert);
        else if (art == "bau")
            b.bau = echt(wert);
        else if (art == "protokoll")
            b.protokoll = wert;
        else if (art == "qt" && !wert.empty())
            b.qtOrdner.push_back(echt(wert));
        else if (art == "stockwerk")
            b.stockwerke.push_back(wert);
        else if (art == "ziel")
            ziele.emplace_back().ordner = wert;
        else if (art == "sicht")
            ziele.back().sicht.push_back(wert);
        else if (art == "mitqt")
            ziele.back().qt = true;
        else if (art == "eigen")
            ziele.back().eigeneOrdner.push_back(echt(wert));
        else if (art == "objekt" && !wert.empty())
            ziele.back().objekte.push_back(echt(wert));
    }
    b.src = b.quelle / "src";
    const fs::path& quelle = b.quelle;

    std::vector<std::string> pfade;
    std::map<std::int32_t, std::vector<std::int32_t>> eingaben;
    if (!leseProtokoll(b.protokoll, pfade, eingaben)) {
        std::cerr << b.protokoll.string() << ": kein Abhängigkeitsprotokoll von Ninja (Format 4); "
                  << "die Prüfung der Stockwerke braucht den Bau mit -G Ninja\n";
        return 1;
    }
    // A path that resolves to no file keeps its name, to be refused with it.
    std::vector<fs::path> echtePfade;
    std::set<fs::path> ohneDatei;
    std::map<fs::path, std::int32_t> idVon;
    for (std::int32_t id = 0; id < static_cast<std::int32_t>(pfade.size()); ++id) {
        const fs::path pfad = b.bau / pfade[id]; // an absolute path stays as it is
        std::error_code fehler;
        echtePfade.push_back(fs::canonical(pfad, fehler));
        if (fehler)
            ohneDatei.insert(echtePfade.back() = pfad.lexically_normal());
        idVon[echtePfade.back()] = id;
    }

    // One line per floor and header, with the first source that read it.
    std::map<std::pair<std::string, fs::path>, std::pair<std::string, std::vector<std::string>>> verstoesse;
    std::vector<std::pair<std::string, fs::path>> reihenfolge;
    bool unlesbar = false;
    for (const auto& ziel : ziele) {
        const std::string erlaubt = verbunden(ziel.sicht);
        for (const auto& objekt : ziel.objekte) {
            const auto id = idVon.find(objekt);
            const auto eintrag = id == idVon.end() ? eingaben.end() : eingaben.find(id->second);
            if (eintrag == eingaben.end() || eintrag->second.empty()) {
                std::cerr << objekt.string() << ": Ninja hat nicht aufgezeichnet, was der Compiler "
                          << "dafür gelesen hat; die Objektdatei löschen und neu bauen\n";
                unlesbar = true;
                continue;
            }
            std::vector<fs::path> gelesen;
            for (auto eingabe : eintrag->second)
                gelesen.push_back(echtePfade.at(eingabe));
            const auto geschrieben = [&](const fs::path& kopf) {
                auto stelle = std::find(gelesen.begin(), gelesen.end(), kopf);
                return fs::path(pfade.at(eintrag->second.at(stelle - gelesen.begin())));
            };
            for (const auto& kopf : gelesen) {
                const bool aufgeloest = !ohneDatei.contains(kopf);
                const std::string grund =
                    aufgeloest ? herkunft(b, ziel, kopf) : "das sich nicht zur echten Datei auflösen lässt";
                if (grund.empty())
                    continue;
                // The object's source is the first of the floor's own files it read (the
                // compiler may read files of its own before, such as a sanitizer's list).
                std::vector<fs::path> eigene;
                for (const auto& datei : gelesen)
                    if (liegtUnter(datei, b.src / ziel.ordner) || liegtInEinem(datei, ziel.eigeneOrdner))
                        eigene.push_back(datei);
                const std::string datei = anzeige(eigene.empty() ? gelesen.front() : eigene.front(), quelle);
                const auto schluessel = std::make_pair(ziel.ordner, kopf);
                auto [stelle, neu] = verstoesse.try_emplace(schluessel);
                if (!neu) {
                    stelle->second.second.push_back(datei);
                    break;
                }
                std::string ort = fundstelle(eigene, {kopf.filename(), geschrieben(kopf).filename()}, quelle);
                if (!ort.starts_with(datei + ":"))
                    ort = datei + (ort.empty() ? "" : " (über " + ort + ")");
                const std::string regel =
                    aufgeloest
                        ? "; " + ziel.ordner +
                              (grund == "aus Qt" ? " linkt kein Qt und darf"
                                                 : " darf laut target_link_libraries") +
                              " nur aus " + erlaubt + " einbinden"
                        : " (Ninja kürzt „..“ auch hinter einer symbolischen Verknüpfung); welche Datei der "
                          "Compiler las, bleibt so ungeprüft: ohne „..“ einbinden";
                stelle->second.first = ort + ": bindet " + anzeige(kopf, quelle) + " ein, " + grund + regel;
                reihenfolge.push_back(schluessel);
                // The first wrong file of an object explains those it brings along.
                break;
            }
        }
    }
    if (reihenfolge.empty())
        return unlesbar ? 1 : 0;
    std::cerr << "Einbindungen gegen die Stockwerke:\n";
    for (const auto& schluessel : reihenfolge) {
        const auto& [text, weitere] = verstoesse.at(schluessel);
        std::cerr << "  " << text;
        for (std::size_t i = 0; i < std::min<std::size_t>(weitere.size(), 3); ++i)
            std::cerr << (i == 0 ? " (ebenso in " : ", ") << weitere[i];
        if (weitere.size() > 3)
            std::cerr << " und " << weitere.size() - 3 << " weiteren Quellen";
        if (!weitere.empty())
            std::cerr << ")";
        std::cerr << "\n";
    }
    return 1;
}
