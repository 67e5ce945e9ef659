#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <type_traits>
#include <utility>

#include <QCoreApplication>
#include <QFuture>
#include <QObject>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

#include "ui/Arbeitspool.h"

namespace qb {

// A view's background work, keyed by a value: setting a different key stops the run of the
// old key and starts a new one; the view going away stops it too. The work is a blocking core
// call that takes a std::stop_token and runs on the worker pool with copies of what it needs;
// its result comes back to the GUI thread and is applied only while it is still wanted (its run
// is the current one, was not stopped, and the context object still exists).
//
// The work must not throw: it returns failures as part of its result. Every member is for the
// GUI thread.
template <typename Schluessel>
class Ansichtsaufgabe {
public:
    // `kontext` is the widget the results are applied to; the task never outlives it.
    explicit Ansichtsaufgabe(QObject* kontext) : kontext_(kontext), zustand_(std::make_shared<Zustand>()) {}
    ~Ansichtsaufgabe() { stoppe(); }
    Ansichtsaufgabe(const Ansichtsaufgabe&) = delete;
    Ansichtsaufgabe& operator=(const Ansichtsaufgabe&) = delete;

    // Starts `arbeit` for `schluessel` unless a run for an equal key is already current. Returns
    // whether a new run started. `anwenden` receives the result on the GUI thread.
    template <typename Arbeit, typename Anwenden>
    bool setzeSchluessel(Schluessel schluessel, Arbeit arbeit, Anwenden anwenden) {
        if (schluessel_ && *schluessel_ == schluessel) {
            return false;
        }
        schluessel_ = std::move(schluessel);
        starte(std::move(arbeit), std::move(anwenden));
        return true;
    }

    // Stops the current run; its result will be dropped. The key is forgotten, so the next
    // setzeSchluessel() starts anew even with the same key (a tab shown again, a retry).
    void stoppe() {
        zustand_->stop.request_stop();
        ++zustand_->generation;
        zustand_->laeuft = false;
        schluessel_.reset();
    }

    bool laeuft() const { return zustand_->laeuft; }
    const std::optional<Schluessel>& schluessel() const { return schluessel_; }

private:
    struct Zustand {
        std::stop_source stop;
        std::uint64_t generation = 0;
        bool laeuft = false;
    };

    template <typename Arbeit, typename Anwenden>
    void starte(Arbeit arbeit, Anwenden anwenden) {
        zustand_->stop.request_stop();
        zustand_->stop = std::stop_source();
        const std::uint64_t generation = ++zustand_->generation;
        zustand_->laeuft = true;
        const std::stop_token token = zustand_->stop.get_token();
        using Ergebnis = std::invoke_result_t<Arbeit&, std::stop_token>;

        QFuture<Ergebnis> zukunft =
            QtConcurrent::run(&arbeitspool(), [arbeit = std::move(arbeit), token]() mutable { return arbeit(token); });
        std::weak_ptr<Zustand> schwach = zustand_;
        QPointer<QObject> kontext = kontext_;
        auto liefere = [schwach, generation, token, kontext, anwenden = std::move(anwenden)](Ergebnis ergebnis) mutable {
            auto zustand = schwach.lock();
            if (!zustand || !kontext || token.stop_requested() || zustand->generation != generation) {
                return;
            }
            zustand->laeuft = false;
            anwenden(std::move(ergebnis));
        };
        // The result always travels through the event loop of the application object, which
        // outlives every view, and only there, on the GUI thread, is the context looked at. A
        // continuation bound to the context instead would read the context's guard on the worker
        // thread and post to it while the GUI thread may be deleting it (a sheet closed just as
        // its stopped fetch ends); and work done before the continuation is attached would have
        // it run inside this call, before the caller has marked its run as started.
        zukunft.then([liefere = std::move(liefere)](Ergebnis ergebnis) mutable {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [liefere = std::move(liefere), ergebnis = std::move(ergebnis)]() mutable { liefere(std::move(ergebnis)); },
                Qt::QueuedConnection);
        });
    }

    QObject* kontext_;
    std::shared_ptr<Zustand> zustand_;
    std::optional<Schluessel> schluessel_;
};

// The same for work without a key: every start stops the previous run.
class Hintergrundaufgabe {
public:
    explicit Hintergrundaufgabe(QObject* kontext) : aufgabe_(kontext) {}

    template <typename Arbeit, typename Anwenden>
    void starte(Arbeit arbeit, Anwenden anwenden) {
        aufgabe_.stoppe();
        aufgabe_.setzeSchluessel(++zaehler_, std::move(arbeit), std::move(anwenden));
    }
    void stoppe() { aufgabe_.stoppe(); }
    bool laeuft() const { return aufgabe_.laeuft(); }

private:
    Ansichtsaufgabe<std::uint64_t> aufgabe_;
    std::uint64_t zaehler_ = 0;
};

} // namespace qb
