#pragma once

#include <QObject>
#include <QPointer>

class QSocketNotifier;
class QWidget;

namespace qb {

// Ends the program on SIGTERM, SIGINT and SIGHUP (a logout, a shutdown, kill, Ctrl+C, a closed
// terminal) the way closing its window does, so that the store closes as it does then. The
// handler only writes to a pipe; the event loop reads it and closes the window. A second such
// signal while the program ends ends it at once, by the signal's default action. A signal that
// was ignored when the program started (nohup) stays ignored. One at a time in a process.
class Signalwache : public QObject {
    Q_OBJECT
public:
    // Catches the signals from now on; those before a window is watched wait for it.
    explicit Signalwache(QObject* eltern = nullptr);
    // Puts back what the signals did before.
    ~Signalwache() override;
    Signalwache(const Signalwache&) = delete;
    Signalwache& operator=(const Signalwache&) = delete;

    // The window that a signal closes.
    void bewache(QWidget* fenster);

private:
    void beende();

    QPointer<QWidget> fenster_;
    QSocketNotifier* melder_ = nullptr;
    int lesen_ = -1;
};

} // namespace qb
