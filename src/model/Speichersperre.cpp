#include "model/Speichersperre.h"

#include <cerrno>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "model/Dateisystem.h"

namespace qb {

namespace fs = std::filesystem;

namespace {

std::string inAnfuehrung(const fs::path& pfad) {
    return "„" + pfad.string() + "“";
}

} // namespace

// Held on the folder, not on a file in it: a lock file beside the store can be deleted while it
// is held, and the next program then locks a new one. The store file itself is no better: it
// does not exist before the first start, a rebuild renames a new file into its place, and a
// descriptor of it closed in this process would drop SQLite's own locks. The folder exists
// before the store, cannot be removed while the store lies in it, keeps its identity through
// every rename inside it and takes the store along when it is renamed itself. The price is one
// open game per folder; the store's folder holds one game, and only links can put two in one.
// Opening a folder needs read access alone, so a read-only drive or another user's file there
// locks nobody out.
// flock, not fcntl: an exclusive fcntl lock needs write access, it would be dropped when SQLite
// closes any descriptor of the file in this process, and it would not refuse a second opening
// inside this process. On a network drive the folder's flock holds on this machine only, as
// SQLite's WAL mode itself does.
Speichersperre::Speichersperre(fs::path datei) : datei_(std::move(datei)) {
    fs::path ordner = datei_.parent_path();
    if (ordner.empty()) {
        ordner = ".";
    }
    // Close-on-exec, so that no program started from here keeps the store held.
    fd_ = ::open(ordner.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) {
        throw Dateisystem::fehler(errno, "Der Spielstand wird nicht geöffnet: Der Ordner " +
                                             inAnfuehrung(ordner) + " lässt sich nicht öffnen");
    }
    int ergebnis = 0;
    do {
        ergebnis = ::flock(fd_, LOCK_EX | LOCK_NB);
    } while (ergebnis != 0 && errno == EINTR);
    int nummer = ergebnis != 0 ? errno : 0;
    struct stat angaben {};
    // SQLite finds the "-wal" by the name it was given: under a second name the same file gets a
    // second "-wal" and a second hold, and what is saved under one name is missing under the other.
    if (nummer == 0 && ::fstatat(fd_, datei_.filename().c_str(), &angaben, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(angaben.st_mode) && angaben.st_nlink > 1) {
        nummer = EMLINK;
    }
    if (nummer == 0) {
        return;
    }
    ::close(fd_);
    fd_ = -1;
    if (nummer == EWOULDBLOCK) {
        throw Speicherfehler(Dateisystem::domaene, EWOULDBLOCK,
                             "Das Spiel ist schon in einem anderen Quinzelbrockat-Fenster geöffnet. Schließe "
                             "zuerst jenes Fenster und starte Quinzelbrockat dann noch einmal.");
    }
    if (nummer == EMLINK) {
        throw Speicherfehler(
            Dateisystem::domaene, EMLINK,
            "Der Spielstand wird nicht geöffnet: Die Datei " + inAnfuehrung(datei_) + " hat " +
                std::to_string(angaben.st_nlink) +
                " Namen (harte Verknüpfungen), und SQLite unterstützt keine Datenbank unter zwei "
                "Namen: Was unter einem Namen gespeichert wird, fehlt unter dem anderen. Lösche die "
                "übrigen Namen oder ersetze sie durch Kopien; bis dahin bleibt die Datei unverändert.");
    }
    const std::string vorgang =
        "Der Spielstand wird nicht geöffnet: Der Ordner " + inAnfuehrung(ordner) + " lässt sich nicht sperren";
    // Some network and FUSE file systems refuse flock itself with EOPNOTSUPP where others say ENOLCK.
    if (nummer == EOPNOTSUPP) {
        throw Speicherfehler(Dateisystem::domaene, nummer, vorgang + ": " + Dateisystem::grund(ENOLCK));
    }
    throw Dateisystem::fehler(nummer, vorgang);
}

std::optional<fs::path> Speichersperre::ordnerJetzt() const {
    std::error_code fehler;
    fs::path ordner = fs::read_symlink("/proc/self/fd/" + std::to_string(fd_), fehler);
    if (fehler || ordner.empty() || ordner.string().ends_with(" (deleted)")) {
        return std::nullopt;
    }
    return ordner;
}

Speichersperre::~Speichersperre() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

} // namespace qb
