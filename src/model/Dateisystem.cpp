#include "model/Dateisystem.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace qb {

namespace fs = std::filesystem;

std::string Dateisystem::grund(int fehlernummer) {
    switch (fehlernummer) {
    case EEXIST:
        return "Die Datei existiert bereits";
    case ENOENT:
        return "Die Datei oder der Ordner fehlt";
    case EACCES:
    case EPERM:
        return "Keine Berechtigung";
    case ENOSPC:
    case EDQUOT:
        return "Auf dem Datenträger ist kein Platz mehr";
    case EROFS:
        return "Der Datenträger ist schreibgeschützt";
    case ENOTDIR:
        return "Ein Teil des Pfads ist kein Ordner";
    case EISDIR:
        return "Das ist ein Ordner, keine Datei";
    case EIO:
        return "Ein- oder Ausgabefehler des Datenträgers";
    case ENAMETOOLONG:
        return "Der Name ist zu lang";
    case ELOOP:
        return "Die Verknüpfungen führen im Kreis";
    case ENOLCK:
        return "Der Datenträger unterstützt keine Dateisperren";
    default:
        return "Unerwarteter Dateifehler (errno " + std::to_string(fehlernummer) + ")";
    }
}

namespace {

std::string inAnfuehrung(const fs::path& pfad) {
    return "„" + pfad.string() + "“";
}

// The folder of a file; "." for a bare name.
fs::path ordnerVon(const fs::path& datei) {
    fs::path ordner = datei.parent_path();
    return ordner.empty() ? fs::path(".") : ordner;
}

// Closes on every path out; errors of close() are read only where they matter (after writing).
class Dateideskriptor {
public:
    explicit Dateideskriptor(int fd) : fd_(fd) {}
    ~Dateideskriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Dateideskriptor(const Dateideskriptor&) = delete;
    Dateideskriptor& operator=(const Dateideskriptor&) = delete;

    int fd() const { return fd_; }
    bool gueltig() const { return fd_ >= 0; }
    // The error number of close(), 0 on success.
    int schliesse() {
        int ergebnis = ::close(fd_) == 0 ? 0 : errno;
        fd_ = -1;
        return ergebnis;
    }

private:
    int fd_;
};

int schreibeAlles(int fd, const char* daten, std::size_t laenge) {
    std::size_t geschrieben = 0;
    while (geschrieben < laenge) {
        ssize_t n = ::write(fd, daten + geschrieben, laenge - geschrieben);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        geschrieben += static_cast<std::size_t>(n);
    }
    return 0;
}

int kopiereInhalt(int ein, int aus) {
    std::array<char, 1 << 16> puffer{};
    for (;;) {
        ssize_t gelesen = ::read(ein, puffer.data(), puffer.size());
        if (gelesen < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (gelesen == 0) {
            return 0;
        }
        if (int nummer = schreibeAlles(aus, puffer.data(), static_cast<std::size_t>(gelesen)); nummer != 0) {
            return nummer;
        }
    }
}

} // namespace

Speicherfehler Dateisystem::fehler(int fehlernummer, const std::string& vorgang) {
    return Speicherfehler(domaene, fehlernummer, vorgang + ": " + grund(fehlernummer),
                          fehlernummer == ENOSPC || fehlernummer == EDQUOT);
}

bool Dateisystem::istVoll(const fs::path& pfad) {
    struct statvfs angaben {};
    return ::statvfs(pfad.c_str(), &angaben) == 0 && angaben.f_bavail == 0;
}

bool Dateisystem::istSchreibgeschuetzt(const fs::path& pfad) {
    struct statvfs angaben {};
    return ::statvfs(pfad.c_str(), &angaben) == 0 && (angaben.f_flag & ST_RDONLY) != 0;
}

bool Dateisystem::existiert(const fs::path& pfad) {
    struct stat angaben {};
    return ::stat(pfad.c_str(), &angaben) == 0 || (errno != ENOENT && errno != ENOTDIR);
}

fs::path Dateisystem::verknuepfungsziel(const fs::path& pfad) {
    struct stat angaben {};
    if (::lstat(pfad.c_str(), &angaben) != 0 || !S_ISLNK(angaben.st_mode)) {
        return pfad;
    }
    char* ziel = ::realpath(pfad.c_str(), nullptr);
    if (ziel == nullptr) {
        const int nummer = errno;
        std::error_code unlesbar;
        const fs::path verweis = fs::read_symlink(pfad, unlesbar);
        if (nummer == ENOENT && !unlesbar) {
            throw Speicherfehler(domaene, ENOENT,
                                 "Der Spielstand wird nicht geöffnet: " + inAnfuehrung(pfad) +
                                     " verweist auf " + inAnfuehrung(verweis) +
                                     ", und dort liegt nichts. Ist der Datenträger angeschlossen?");
        }
        throw fehler(nummer, "Der Spielstand wird nicht geöffnet: Die Verknüpfung " + inAnfuehrung(pfad) +
                                 " führt nicht zu einer Datei");
    }
    fs::path ergebnis(ziel);
    std::free(ziel);
    return ergebnis;
}

void Dateisystem::pruefeGewoehnlicheDatei(const fs::path& pfad) {
    struct stat angaben {};
    if (::stat(pfad.c_str(), &angaben) != 0 || S_ISREG(angaben.st_mode)) {
        return;
    }
    const char* art = "kein bekannter Dateityp";
    int nummer = EINVAL;
    if (S_ISDIR(angaben.st_mode)) {
        art = "ein Ordner";
        nummer = EISDIR;
    } else if (S_ISFIFO(angaben.st_mode)) {
        art = "eine benannte Pipe (FIFO)";
    } else if (S_ISSOCK(angaben.st_mode)) {
        art = "ein Socket";
    } else if (S_ISCHR(angaben.st_mode) || S_ISBLK(angaben.st_mode)) {
        art = "eine Gerätedatei";
    }
    throw Speicherfehler(domaene, nummer,
                         "Der Spielstand wird nicht geöffnet: " + inAnfuehrung(pfad) +
                             " ist keine gewöhnliche Datei, sondern " + art);
}

void Dateisystem::legeOrdnerAn(const fs::path& ordner) {
    const std::string vorgang = "Der Ordner " + inAnfuehrung(ordner) + " konnte nicht angelegt werden";
    std::vector<fs::path> fehlend;
    fs::path pfad = ordner;
    while (!pfad.empty() && !existiert(pfad)) {
        fehlend.push_back(pfad);
        pfad = pfad.parent_path();
    }
    if (!pfad.empty() && existiert(pfad)) {
        struct stat angaben {};
        if (::stat(pfad.c_str(), &angaben) == 0 && !S_ISDIR(angaben.st_mode)) {
            throw fehler(ENOTDIR, vorgang);
        }
    }
    for (auto it = fehlend.rbegin(); it != fehlend.rend(); ++it) {
        if (::mkdir(it->c_str(), 0777) != 0 && errno != EEXIST) {
            throw fehler(errno, vorgang);
        }
        // A new folder whose entry is lost in a power cut would take everything written into
        // it along, the backup copies above all.
        synchronisiereOrdner(ordnerVon(*it));
    }
}

void Dateisystem::kopiere(const fs::path& quelle, const fs::path& ziel, const std::string& eigenerVorgang) {
    const std::string vorgang = !eigenerVorgang.empty()
                                    ? eigenerVorgang
                                    : "Die Datei " + inAnfuehrung(quelle) + " konnte nicht nach " +
                                          inAnfuehrung(ziel) + " kopiert werden";
    // Non-blocking, so that a FIFO put there meanwhile cannot stall the open; checked below.
    Dateideskriptor ein(::open(quelle.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!ein.gueltig()) {
        throw fehler(errno, vorgang);
    }
    struct stat angaben {};
    if (::fstat(ein.fd(), &angaben) != 0) {
        throw fehler(errno, vorgang);
    }
    if (!S_ISREG(angaben.st_mode)) {
        throw fehler(S_ISDIR(angaben.st_mode) ? EISDIR : EINVAL, vorgang);
    }
    ::fcntl(ein.fd(), F_SETFL, ::fcntl(ein.fd(), F_GETFL) & ~O_NONBLOCK);
    Dateideskriptor aus(
        ::open(ziel.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, angaben.st_mode & 0777));
    if (!aus.gueltig()) {
        throw fehler(errno, vorgang);
    }
    int nummer = kopiereInhalt(ein.fd(), aus.fd());
    if (nummer == 0 && ::fsync(aus.fd()) != 0) {
        nummer = errno;
    }
    if (int beimSchliessen = aus.schliesse(); nummer == 0) {
        nummer = beimSchliessen;
    }
    if (nummer != 0) {
        ::unlink(ziel.c_str());
        throw fehler(nummer, vorgang);
    }
}

void Dateisystem::synchronisiere(const fs::path& datei) {
    const std::string vorgang = "Die Datei " + inAnfuehrung(datei) + " konnte nicht gesichert werden";
    Dateideskriptor fd(::open(datei.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.gueltig() || ::fsync(fd.fd()) != 0) {
        throw fehler(errno, vorgang);
    }
}

void Dateisystem::synchronisiereOrdner(const fs::path& ordner) {
    Dateideskriptor fd(::open(ordner.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // Some file systems cannot sync a folder (EINVAL); there the entries are as safe as they get.
    if (!fd.gueltig() || (::fsync(fd.fd()) != 0 && errno != EINVAL)) {
        throw fehler(errno, "Der Ordner " + inAnfuehrung(ordner) + " konnte nicht gesichert werden");
    }
}

void Dateisystem::benenneUm(const fs::path& quelle, const fs::path& ziel) {
    if (::rename(quelle.c_str(), ziel.c_str()) != 0) {
        throw fehler(errno, "Die Datei " + inAnfuehrung(quelle) + " konnte nicht in " + inAnfuehrung(ziel) +
                                " umbenannt werden");
    }
}

void Dateisystem::benenneUmOhneErsetzen(const fs::path& quelle, const fs::path& ziel) {
    if (::renameat2(AT_FDCWD, quelle.c_str(), AT_FDCWD, ziel.c_str(), RENAME_NOREPLACE) == 0) {
        return;
    }
    // File systems without RENAME_NOREPLACE: a test first, then a plain rename.
    if (errno != EINVAL && errno != ENOSYS) {
        throw fehler(errno, "Die Datei " + inAnfuehrung(quelle) + " konnte nicht in " + inAnfuehrung(ziel) +
                                " umbenannt werden");
    }
    if (existiert(ziel)) {
        throw fehler(EEXIST, "Die Datei " + inAnfuehrung(quelle) + " konnte nicht in " + inAnfuehrung(ziel) +
                                 " umbenannt werden");
    }
    benenneUm(quelle, ziel);
}

void Dateisystem::entferne(const fs::path& datei) {
    if (::unlink(datei.c_str()) != 0 && errno != ENOENT) {
        throw fehler(errno, "Die Datei " + inAnfuehrung(datei) + " konnte nicht entfernt werden");
    }
}

} // namespace qb
