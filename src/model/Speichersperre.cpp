#include "model/Speichersperre.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "model/Dateisystem.h"

namespace qb {

namespace fs = std::filesystem;

Speichersperre::Speichersperre(fs::path datei) : datei_(std::move(datei)) {
    const fs::path sperrdatei(datei_.string() + endung);
    // A FIFO there would not block the non-blocking open, but it is no file to lock either.
    Dateisystem::pruefeGewoehnlicheDatei(sperrdatei);
    // flock, not fcntl: an fcntl lock would be dropped when SQLite closes any descriptor of the
    // file in this process, and it would not refuse a second opening inside this process.
    // Close-on-exec, so that no program started from here keeps the store held.
    fd_ = ::open(sperrdatei.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        throw Dateisystem::fehler(errno, "Der Spielstand wird nicht geöffnet: Die Sperrdatei „" +
                                             sperrdatei.string() + "“ lässt sich nicht anlegen");
    }
    int ergebnis = 0;
    do {
        ergebnis = ::flock(fd_, LOCK_EX | LOCK_NB);
    } while (ergebnis != 0 && errno == EINTR);
    if (ergebnis != 0) {
        const int nummer = errno;
        ::close(fd_);
        fd_ = -1;
        if (nummer == EWOULDBLOCK) {
            throw Speicherfehler(
                Dateisystem::domaene, EWOULDBLOCK,
                "Das Spiel ist schon in einem anderen Quinzelbrockat-Fenster geöffnet. Schließe "
                "zuerst jenes Fenster und starte Quinzelbrockat dann noch einmal.");
        }
        throw Dateisystem::fehler(nummer, "Der Spielstand wird nicht geöffnet: Die Sperrdatei „" +
                                              sperrdatei.string() + "“ lässt sich nicht sperren");
    }
}

Speichersperre::~Speichersperre() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

} // namespace qb
