#pragma once

#include <filesystem>
#include <string>

#include "model/Speicherfehler.h"

namespace qb {

// The file operations around the store that must hold through a crash or a power loss: what
// they write is on the disk before they return, and a new name appears only for a whole file.
// Errors are Speicherfehler of the domain "Datei" with the errno value as code and a German
// description.
class Dateisystem {
public:
    Dateisystem() = delete;

    static constexpr const char* domaene = "Datei";

    static Speicherfehler fehler(int fehlernummer, const std::string& vorgang);
    // The German description of an errno value.
    static std::string grund(int fehlernummer);

    // Whether the file system that holds the path has no block left that this process may
    // use. False when that cannot be told.
    static bool istVoll(const std::filesystem::path& pfad);
    // Whether the file system that holds the path is mounted read-only. False when that cannot
    // be told.
    static bool istSchreibgeschuetzt(const std::filesystem::path& pfad);
    // Follows symbolic links, as SQLite does; an unreadable entry counts as present, a path
    // through a file (ENOTDIR) as absent.
    static bool existiert(const std::filesystem::path& pfad);
    // The file that a symbolic link at `pfad` names, through every link on the way, as an
    // absolute path without links; `pfad` itself when no link lies there. Throws Speicherfehler
    // when the link leads nowhere (its drive not mounted, say).
    static std::filesystem::path verknuepfungsziel(const std::filesystem::path& pfad);
    // Nothing when the path holds a regular file or nothing; otherwise a Speicherfehler that
    // names what lies there. A FIFO would block the first read forever, so it is never opened.
    static void pruefeGewoehnlicheDatei(const std::filesystem::path& pfad);

    // Creates the folder and any missing parents, each made durable in its parent folder.
    static void legeOrdnerAn(const std::filesystem::path& ordner);
    // Copies byte for byte into a new file (never over an existing one) and syncs the copy.
    // On a failure the partial copy is removed; the error begins with `vorgang` when one is given.
    static void kopiere(const std::filesystem::path& quelle, const std::filesystem::path& ziel,
                        const std::string& vorgang = {});
    static void synchronisiere(const std::filesystem::path& datei);
    // Makes the creations, renamings and removals in the folder durable.
    static void synchronisiereOrdner(const std::filesystem::path& ordner);
    // Replaces `ziel` atomically.
    static void benenneUm(const std::filesystem::path& quelle, const std::filesystem::path& ziel);
    // Fails with EEXIST when `ziel` exists.
    static void benenneUmOhneErsetzen(const std::filesystem::path& quelle, const std::filesystem::path& ziel);
    // Removes a file; a missing one is no error.
    static void entferne(const std::filesystem::path& datei);
};

} // namespace qb
