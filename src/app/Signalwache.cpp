#include "app/Signalwache.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstddef>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QWidget>

#include <fcntl.h>
#include <unistd.h>

namespace qb {

namespace {

constexpr std::array<int, 3> signale{SIGTERM, SIGINT, SIGHUP};

// What the handler touches: lock-free atomics only, which a handler may use.
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);
std::atomic<int> schreibende{-1};
std::atomic<bool> gefangen{false};
std::atomic<bool> unterbrochen{false};

// What each signal caught here did before, to be put back.
std::array<struct sigaction, signale.size()> vorher{};
std::array<bool, signale.size()> umgestellt{};

void fange(int nummer) {
    // Ctrl+C pressed again: whoever sits at the terminal does not want to wait. A logout's
    // SIGHUP right behind its SIGTERM, or a repeated kill, only asks for what is under way;
    // systemd's escalation is SIGKILL, which no handler sees.
    if (nummer == SIGINT && unterbrochen.exchange(true)) {
        struct sigaction standard {};
        standard.sa_handler = SIG_DFL;
        ::sigaction(nummer, &standard, nullptr);
        ::raise(nummer);
        return;
    }
    if (gefangen.exchange(true)) {
        return;
    }
    const int fehlernummer = errno;
    const char zeichen = 1;
    [[maybe_unused]] const ssize_t geschrieben = ::write(schreibende.load(), &zeichen, 1);
    errno = fehlernummer;
}

} // namespace

Signalwache::Signalwache(QObject* eltern) : QObject(eltern) {
    int enden[2];
    if (::pipe2(enden, O_CLOEXEC | O_NONBLOCK) != 0) {
        return; // the signals keep their default action
    }
    lesen_ = enden[0];
    schreibende.store(enden[1]);
    gefangen.store(false);
    unterbrochen.store(false);
    melder_ = new QSocketNotifier(lesen_, QSocketNotifier::Read, this);
    // Until there is a window to close, a signal waits in the pipe.
    melder_->setEnabled(false);
    connect(melder_, &QSocketNotifier::activated, this, &Signalwache::beende);
    for (std::size_t i = 0; i < signale.size(); ++i) {
        struct sigaction jetzt {};
        ::sigaction(signale[i], nullptr, &jetzt);
        if ((jetzt.sa_flags & SA_SIGINFO) == 0 && jetzt.sa_handler == SIG_IGN) {
            continue;
        }
        struct sigaction neu {};
        neu.sa_handler = fange;
        sigemptyset(&neu.sa_mask);
        neu.sa_flags = SA_RESTART;
        umgestellt[i] = ::sigaction(signale[i], &neu, &vorher[i]) == 0;
    }
}

Signalwache::~Signalwache() {
    for (std::size_t i = 0; i < signale.size(); ++i) {
        if (umgestellt[i]) {
            ::sigaction(signale[i], &vorher[i], nullptr);
            umgestellt[i] = false;
        }
    }
    if (lesen_ >= 0) {
        ::close(schreibende.exchange(-1));
        ::close(lesen_);
    }
}

void Signalwache::bewache(QWidget* fenster) {
    fenster_ = fenster;
    if (melder_ != nullptr) {
        melder_->setEnabled(true);
    }
}

void Signalwache::beende() {
    char puffer[8];
    while (::read(lesen_, puffer, sizeof puffer) > 0) {
    }
    if (fenster_) {
        fenster_->close();
    }
    // Not Qt's quit after the last window: that closes every other window first, and an open
    // sheet that refuses (one with typed prices asks whether to discard them) would keep the
    // program running without its window. A sheet's input is kept by nothing but its own save.
    QCoreApplication::exit(0);
}

} // namespace qb
