#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
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
// A work that fails ends its run all the same, so that no view keeps loading for ever: what it
// throws is caught on the worker, its own text goes to the log and never to the window, and
// `anwenden` receives the result that `fehlschlag` builds from a German sentence, for the view to
// show where it shows every other failure. A stop (Abgebrochen) is no failure: it never becomes
// text, and its run applies nothing. Every member is for the GUI thread.
template <typename Schluessel>
class Ansichtsaufgabe {
public:
    // `kontext` is the widget the results are applied to; the task never outlives it.
    explicit Ansichtsaufgabe(QObject* kontext) : kontext_(kontext), zustand_(std::make_shared<Zustand>()) {}
    ~Ansichtsaufgabe() { stoppe(); }
    Ansichtsaufgabe(const Ansichtsaufgabe&) = delete;
    Ansichtsaufgabe& operator=(const Ansichtsaufgabe&) = delete;

    // Starts `arbeit` for `schluessel` unless a run for an equal key is already current. Returns
    // whether a new run started. `anwenden` receives the result on the GUI thread; when the work
    // threw, the result is `fehlschlag(meldung)`, built there too.
    template <typename Arbeit, typename Anwenden, typename Fehlschlag>
    bool setzeSchluessel(Schluessel schluessel, Arbeit arbeit, Anwenden anwenden, Fehlschlag fehlschlag) {
        if (schluessel_ && *schluessel_ == schluessel) {
            return false;
        }
        schluessel_ = std::move(schluessel);
        starte(std::move(arbeit), std::move(anwenden), std::move(fehlschlag));
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

    // What a run brings back from the worker: its result, or the German sentence of its
    // failure, or neither after a stop that escaped the work.
    template <typename Ergebnis>
    struct Ausgang {
        std::optional<Ergebnis> ergebnis;
        std::optional<std::string> fehler;
    };

    template <typename Arbeit, typename Anwenden, typename Fehlschlag>
    void starte(Arbeit arbeit, Anwenden anwenden, Fehlschlag fehlschlag) {
        zustand_->stop.request_stop();
        zustand_->stop = std::stop_source();
        const std::uint64_t generation = ++zustand_->generation;
        zustand_->laeuft = true;
        const std::stop_token token = zustand_->stop.get_token();
        using Ergebnis = std::invoke_result_t<Arbeit&, std::stop_token>;
        static_assert(std::is_constructible_v<Ergebnis, std::invoke_result_t<Fehlschlag&, std::string>>,
                      "fehlschlag builds the result a failed run applies");

        QFuture<Ausgang<Ergebnis>> zukunft =
            QtConcurrent::run(&arbeitspool(), [arbeit = std::move(arbeit), token]() mutable {
                Ausgang<Ergebnis> ausgang;
                try {
                    ausgang.ergebnis.emplace(arbeit(token));
                } catch (...) {
                    ausgang.fehler = arbeitsfehler(std::current_exception());
                }
                return ausgang;
            });
        std::weak_ptr<Zustand> schwach = zustand_;
        QPointer<QObject> kontext = kontext_;
        auto liefere = [schwach, generation, token, kontext, anwenden = std::move(anwenden),
                        fehlschlag = std::move(fehlschlag)](Ausgang<Ergebnis> ausgang) mutable {
            auto zustand = schwach.lock();
            if (!zustand || !kontext || token.stop_requested() || zustand->generation != generation) {
                return;
            }
            zustand->laeuft = false;
            if (ausgang.ergebnis) {
                anwenden(std::move(*ausgang.ergebnis));
            } else if (ausgang.fehler) {
                anwenden(Ergebnis(fehlschlag(std::move(*ausgang.fehler))));
            }
        };
        // The result always travels through the event loop of the application object, which
        // outlives every view, and only there, on the GUI thread, is the context looked at. A
        // continuation bound to the context instead would read the context's guard on the worker
        // thread and post to it while the GUI thread may be deleting it (a sheet closed just as
        // its stopped fetch ends); and work done before the continuation is attached would have
        // it run inside this call, before the caller has marked its run as started.
        zukunft.then([liefere = std::move(liefere)](Ausgang<Ergebnis> ausgang) mutable {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [liefere = std::move(liefere), ausgang = std::move(ausgang)]() mutable {
                    liefere(std::move(ausgang));
                },
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

    template <typename Arbeit, typename Anwenden, typename Fehlschlag>
    void starte(Arbeit arbeit, Anwenden anwenden, Fehlschlag fehlschlag) {
        aufgabe_.stoppe();
        aufgabe_.setzeSchluessel(++zaehler_, std::move(arbeit), std::move(anwenden), std::move(fehlschlag));
    }
    void stoppe() { aufgabe_.stoppe(); }
    bool laeuft() const { return aufgabe_.laeuft(); }

private:
    Ansichtsaufgabe<std::uint64_t> aufgabe_;
    std::uint64_t zaehler_ = 0;
};

} // namespace qb
