#include "Absturzstelle.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <vector>

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qb::test {

namespace fs = std::filesystem;

namespace {

constexpr int kAbgestuerzt = 86;

template <typename F> F echt(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

#define ECHT(name)                                                                                           \
    (*[] {                                                                                                   \
        static auto f = ::qb::test::echt<decltype(&::name)>(#name);                                          \
        return f;                                                                                            \
    }())

// The state of a run, in the child only. Files get ids, so that a name can be followed through
// renamings and a removed file's content cannot be mixed up with a new one's.
struct Zustand {
    bool scharf = false;
    std::string wurzel; // with a trailing "/"
    Absturzstelle::Art art = Absturzstelle::Art::abbruch;
    long ziel = 0;
    long zaehler = 0;
    bool voll = false;
    std::function<void()> davor;

    struct Offen {
        std::string pfad;
        int id = -1; // -1: a folder
    };
    std::map<int, Offen> offen;
    std::map<std::string, int> namen;     // current path of every file -> id
    std::map<int, std::string> gesichert; // id -> content at its last sync
    std::map<std::string, std::map<std::string, int>>
        ordner; // folder -> entries at its last sync (-1: folder)
    int naechsteId = 0;
};

Zustand& zustand() {
    static Zustand z;
    return z;
}

bool betrifft(const char* pfad) {
    const Zustand& z = zustand();
    if (!z.scharf || pfad == nullptr) {
        return false;
    }
    std::string_view p(pfad);
    return p.substr(0, z.wurzel.size()) == z.wurzel ||
           p == std::string_view(z.wurzel).substr(0, z.wurzel.size() - 1);
}

const Zustand::Offen* offenerDeskriptor(int fd) {
    Zustand& z = zustand();
    if (!z.scharf) {
        return nullptr;
    }
    auto it = z.offen.find(fd);
    return it == z.offen.end() ? nullptr : &it->second;
}

std::string liesDatei(const std::string& pfad) {
    std::ifstream ein(pfad, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(ein), std::istreambuf_iterator<char>());
}

std::map<std::string, int> eintraege(const std::string& ordnerpfad) {
    Zustand& z = zustand();
    std::map<std::string, int> ergebnis;
    DIR* verzeichnis = ::opendir(ordnerpfad.c_str());
    if (verzeichnis == nullptr) {
        return ergebnis;
    }
    while (dirent* eintrag = ::readdir(verzeichnis)) {
        std::string name = eintrag->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        const std::string pfad = ordnerpfad + "/" + name;
        struct stat angaben {};
        if (::stat(pfad.c_str(), &angaben) == 0 && S_ISDIR(angaben.st_mode)) {
            ergebnis[name] = -1;
        } else {
            auto it = z.namen.find(pfad);
            if (it == z.namen.end()) {
                it = z.namen.emplace(pfad, z.naechsteId++).first;
                z.gesichert[it->second] = "";
            }
            ergebnis[name] = it->second;
        }
    }
    ::closedir(verzeichnis);
    return ergebnis;
}

void erfasseAnfang(const std::string& ordnerpfad) {
    Zustand& z = zustand();
    for (const auto& eintrag : fs::directory_iterator(ordnerpfad)) {
        const std::string pfad = eintrag.path().string();
        if (eintrag.is_directory()) {
            erfasseAnfang(pfad);
        } else {
            int id = z.naechsteId++;
            z.namen[pfad] = id;
            z.gesichert[id] = liesDatei(pfad);
        }
    }
    z.ordner[ordnerpfad] = eintraege(ordnerpfad);
}

// What a power cut leaves: every folder with the entries of its last sync, every file with the
// content of its last sync.
void stelleGesichertenStandHer() {
    Zustand& z = zustand();
    z.scharf = false;
    struct Soll {
        std::string pfad;
        std::optional<std::string> inhalt; // none: a folder
    };
    std::vector<Soll> soll;
    const std::string wurzel = z.wurzel.substr(0, z.wurzel.size() - 1);
    std::function<void(const std::string&)> sammle = [&](const std::string& ordnerpfad) {
        auto it = z.ordner.find(ordnerpfad);
        if (it == z.ordner.end()) {
            return;
        }
        for (const auto& [name, id] : it->second) {
            const std::string pfad = ordnerpfad + "/" + name;
            if (id < 0) {
                soll.push_back({pfad, std::nullopt});
                sammle(pfad);
            } else {
                soll.push_back({pfad, z.gesichert[id]});
            }
        }
    };
    sammle(wurzel);
    for (const auto& eintrag : fs::directory_iterator(wurzel)) {
        fs::remove_all(eintrag.path());
    }
    for (const auto& eintrag : soll) {
        if (!eintrag.inhalt) {
            fs::create_directory(eintrag.pfad);
        } else {
            std::ofstream aus(eintrag.pfad, std::ios::binary);
            aus << *eintrag.inhalt;
        }
    }
}

// Counts a file-writing call. False when the call must fail with ENOSPC.
bool ereignis(bool brauchtPlatz = true, const char* was = "", const std::string& pfad = {}) {
    Zustand& z = zustand();
    if (std::getenv("QB_ABSTURZ_SPUR") != nullptr) {
        std::fprintf(stderr, "%ld %s %s\n", z.zaehler + 1, was, pfad.c_str());
    }
    if (++z.zaehler == z.ziel) {
        if (z.davor) {
            z.scharf = false;
            z.davor();
            z.scharf = true;
        }
        switch (z.art) {
        case Absturzstelle::Art::abbruch:
            ::_exit(kAbgestuerzt);
        case Absturzstelle::Art::stromausfall:
            stelleGesichertenStandHer();
            ::_exit(kAbgestuerzt);
        case Absturzstelle::Art::platteVoll:
            z.voll = true;
            break;
        }
    }
    return !(z.voll && brauchtPlatz);
}

int oeffne(const char* pfad, int flags, mode_t modus, int (*echtesOpen)(const char*, int, ...)) {
    if (!betrifft(pfad)) {
        return echtesOpen(pfad, flags, modus);
    }
    Zustand& z = zustand();
    const bool neu = (flags & O_CREAT) != 0 && z.namen.find(pfad) == z.namen.end();
    if ((neu || (flags & O_TRUNC) != 0) && !ereignis(neu, "open", pfad)) {
        errno = ENOSPC;
        return -1;
    }
    int fd = echtesOpen(pfad, flags, modus);
    if (fd < 0) {
        return fd;
    }
    struct stat angaben {};
    ::fstat(fd, &angaben);
    if (S_ISDIR(angaben.st_mode)) {
        z.offen[fd] = {pfad, -1};
    } else {
        auto it = z.namen.find(pfad);
        if (it == z.namen.end()) {
            it = z.namen.emplace(pfad, z.naechsteId++).first;
            z.gesichert[it->second] = "";
        }
        z.offen[fd] = {pfad, it->second};
    }
    return fd;
}

// This program never needs its own files on the disk: what a sync makes durable is what the
// model of a run keeps, and real syncs would only make the many runs slow.
int synchronisiere(int fd) {
    const Zustand::Offen* datei = offenerDeskriptor(fd);
    if (datei == nullptr) {
        return 0;
    }
    Zustand::Offen kopie = *datei;
    ereignis(false, "sync", kopie.pfad);
    Zustand& z = zustand();
    if (kopie.id < 0) {
        z.ordner[kopie.pfad] = eintraege(kopie.pfad);
    } else {
        z.gesichert[kopie.id] = liesDatei("/proc/self/fd/" + std::to_string(fd));
    }
    return 0;
}

ssize_t schreibeZaehlend(int fd) {
    if (offenerDeskriptor(fd) != nullptr && !ereignis(true, "write", offenerDeskriptor(fd)->pfad)) {
        errno = ENOSPC;
        return -1;
    }
    return 0;
}

void benenne(const char* alt, const char* neu) {
    Zustand& z = zustand();
    auto it = z.namen.find(alt);
    if (it != z.namen.end()) {
        int id = it->second;
        z.namen.erase(it);
        z.namen[neu] = id;
    }
}

} // namespace

Absturzstelle::Lauf Absturzstelle::fuehreAus(const fs::path& wurzel, Art art, long n, const Ablauf& ablauf,
                                             const std::function<void()>& davor) {
    int rohr[2];
    if (::pipe(rohr) != 0) {
        throw std::runtime_error("pipe");
    }
    std::fflush(nullptr);
    pid_t kind = ::fork();
    if (kind == 0) {
        ::close(rohr[0]);
        auto melde = [&](char zeichen, const std::string& text = {}) {
            std::string nachricht = zeichen + text;
            ECHT(write)(rohr[1], nachricht.data(), nachricht.size());
        };
        Zustand& z = zustand();
        z.wurzel = fs::absolute(wurzel).lexically_normal().string();
        if (z.wurzel.back() != '/') {
            z.wurzel += '/';
        }
        erfasseAnfang(z.wurzel.substr(0, z.wurzel.size() - 1));
        z.art = art;
        z.ziel = n;
        z.davor = davor;
        z.scharf = true;
        bool erfolgreich = false;
        try {
            erfolgreich = ablauf([&] { melde('S'); });
        } catch (const std::exception& fehler) {
            melde('F', fehler.what());
        } catch (...) {
            melde('F', "unbekannte Ausnahme");
        }
        z.scharf = false;
        melde(z.zaehler >= n ? 'R' : 'N');
        melde(erfolgreich ? 'E' : 'X');
        ::_exit(0);
    }
    ::close(rohr[1]);
    std::string gelesen;
    char puffer[4096];
    for (;;) {
        ssize_t anzahl = ::read(rohr[0], puffer, sizeof puffer);
        if (anzahl < 0 && errno == EINTR) {
            continue;
        }
        if (anzahl <= 0) {
            break;
        }
        gelesen.append(puffer, static_cast<std::size_t>(anzahl));
    }
    ::close(rohr[0]);
    int status = 0;
    ::waitpid(kind, &status, 0);

    Lauf lauf;
    std::size_t i = 0;
    for (; i < gelesen.size() && gelesen[i] == 'S'; ++i) {
        ++lauf.schritte;
    }
    if (i < gelesen.size() && gelesen[i] == 'F') {
        std::size_t ende = gelesen.find_last_of("RN");
        lauf.fehler = gelesen.substr(i + 1, ende == std::string::npos ? std::string::npos : ende - i - 1);
        i = ende == std::string::npos ? gelesen.size() : ende;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == kAbgestuerzt) {
        lauf.erreicht = true;
        return lauf;
    }
    lauf.abgeschlossen = true;
    lauf.erreicht = i < gelesen.size() && gelesen[i] == 'R';
    lauf.erfolgreich = i + 1 < gelesen.size() && gelesen[i + 1] == 'E';
    return lauf;
}

} // namespace qb::test

// The libc functions that write files, for this test program. Each counts its call when a run
// is armed and the file lies under the run's folder, then does the real work.
extern "C" {

int open(const char* pfad, int flags, ...) {
    mode_t modus = 0;
    if ((flags & (O_CREAT | O_TMPFILE)) != 0) {
        va_list argumente;
        va_start(argumente, flags);
        modus = va_arg(argumente, mode_t);
        va_end(argumente);
    }
    return qb::test::oeffne(pfad, flags, modus, ECHT(open));
}

int open64(const char* pfad, int flags, ...) {
    mode_t modus = 0;
    if ((flags & (O_CREAT | O_TMPFILE)) != 0) {
        va_list argumente;
        va_start(argumente, flags);
        modus = va_arg(argumente, mode_t);
        va_end(argumente);
    }
    return qb::test::oeffne(pfad, flags, modus, ECHT(open64));
}

int close(int fd) {
    if (qb::test::zustand().scharf) {
        qb::test::zustand().offen.erase(fd);
    }
    return ECHT(close)(fd);
}

ssize_t write(int fd, const void* daten, size_t laenge) {
    if (qb::test::schreibeZaehlend(fd) < 0) {
        return -1;
    }
    return ECHT(write)(fd, daten, laenge);
}

ssize_t pwrite(int fd, const void* daten, size_t laenge, off_t stelle) {
    if (qb::test::schreibeZaehlend(fd) < 0) {
        return -1;
    }
    return ECHT(pwrite)(fd, daten, laenge, stelle);
}

ssize_t pwrite64(int fd, const void* daten, size_t laenge, off64_t stelle) {
    if (qb::test::schreibeZaehlend(fd) < 0) {
        return -1;
    }
    return ECHT(pwrite64)(fd, daten, laenge, stelle);
}

int ftruncate(int fd, off_t laenge) noexcept {
    if (qb::test::offenerDeskriptor(fd) != nullptr) {
        struct stat angaben {};
        ::fstat(fd, &angaben);
        if (!qb::test::ereignis(laenge > angaben.st_size, "ftruncate",
                                qb::test::offenerDeskriptor(fd)->pfad)) {
            errno = ENOSPC;
            return -1;
        }
    }
    return ECHT(ftruncate)(fd, laenge);
}

int ftruncate64(int fd, off64_t laenge) noexcept {
    if (qb::test::offenerDeskriptor(fd) != nullptr) {
        struct stat angaben {};
        ::fstat(fd, &angaben);
        if (!qb::test::ereignis(laenge > angaben.st_size, "ftruncate",
                                qb::test::offenerDeskriptor(fd)->pfad)) {
            errno = ENOSPC;
            return -1;
        }
    }
    return ECHT(ftruncate64)(fd, laenge);
}

int fsync(int fd) {
    return qb::test::synchronisiere(fd);
}

int fdatasync(int fd) {
    return qb::test::synchronisiere(fd);
}

int rename(const char* alt, const char* neu) noexcept {
    if (qb::test::betrifft(alt) || qb::test::betrifft(neu)) {
        if (!qb::test::ereignis(true, "rename", neu)) {
            errno = ENOSPC;
            return -1;
        }
        int ergebnis = ECHT(rename)(alt, neu);
        if (ergebnis == 0) {
            qb::test::benenne(alt, neu);
        }
        return ergebnis;
    }
    return ECHT(rename)(alt, neu);
}

int renameat2(int altOrdner, const char* alt, int neuOrdner, const char* neu, unsigned int flags) noexcept {
    if (qb::test::betrifft(alt) || qb::test::betrifft(neu)) {
        if (!qb::test::ereignis(true, "renameat2", neu)) {
            errno = ENOSPC;
            return -1;
        }
        int ergebnis = ECHT(renameat2)(altOrdner, alt, neuOrdner, neu, flags);
        if (ergebnis == 0) {
            qb::test::benenne(alt, neu);
        }
        return ergebnis;
    }
    return ECHT(renameat2)(altOrdner, alt, neuOrdner, neu, flags);
}

int unlink(const char* pfad) noexcept {
    if (qb::test::betrifft(pfad)) {
        qb::test::ereignis(false, "unlink", pfad);
        int ergebnis = ECHT(unlink)(pfad);
        if (ergebnis == 0) {
            qb::test::zustand().namen.erase(pfad);
        }
        return ergebnis;
    }
    return ECHT(unlink)(pfad);
}

// A full disk has no free block left either.
int statvfs(const char* pfad, struct statvfs* angaben) noexcept {
    int ergebnis = ECHT(statvfs)(pfad, angaben);
    if (ergebnis == 0 && qb::test::betrifft(pfad) && qb::test::zustand().voll) {
        angaben->f_bfree = 0;
        angaben->f_bavail = 0;
    }
    return ergebnis;
}

int mkdir(const char* pfad, mode_t modus) noexcept {
    if (qb::test::betrifft(pfad) && !qb::test::ereignis(true, "mkdir", pfad)) {
        errno = ENOSPC;
        return -1;
    }
    return ECHT(mkdir)(pfad, modus);
}

} // extern "C"
