#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "model/Datensatz.h"

namespace qb {

class Ablage;
class Portfolio;

// The unit of work over the store: it holds every record, knows what changed since the last
// save, writes all of it in one transaction, and can go back to the saved state. GUI thread only.
class Modellkontext {
public:
    // Loads every record of the store. Throws Speicherfehler, also for a stored id below 1 or
    // at the largest 64-bit value, after which no id could follow.
    explicit Modellkontext(Ablage& ablage);
    ~Modellkontext();
    Modellkontext(const Modellkontext&) = delete;
    Modellkontext& operator=(const Modellkontext&) = delete;

    // The portfolios that are not deleted, ascending by id.
    std::vector<std::shared_ptr<Portfolio>> portfolios() const;

    // Inserts a record together with every record linked to it that has no context yet. Ids
    // are handed out in the order of insertion and, within one insertion, in the order of every
    // list, so that each list reads the same before a save and after a reload. Throws
    // Speicherfehler, changing nothing, when the ids are used up.
    void fuegeEin(const std::shared_ptr<Datensatz>& datensatz);
    // Deletes a record and, in cascade, what it owns; it leaves its owners' lists at once.
    void loesche(const std::shared_ptr<Datensatz>& datensatz);

    bool hatAenderungen() const;
    // Writes every pending change in one transaction. Throws Speicherfehler and then leaves
    // the pending changes as they were (the caller decides to roll back).
    void speichern();
    // Discards every pending change: inserted records vanish, deleted ones return with their
    // links, changed ones show their saved values.
    void zuruecksetzen();

    // Observers are called after every change, save and rollback. They must not change
    // records while they are called.
    using Beobachter = std::function<void()>;
    std::size_t beobachte(Beobachter beobachter);
    void beendeBeobachtung(std::size_t kennung);

private:
    friend class Datensatz;

    void markiereGeaendert(Datensatz& datensatz);
    void nimmAuf(const std::shared_ptr<Datensatz>& datensatz);
    void benachrichtige();

    Ablage& ablage_;
    std::map<DatensatzId, std::shared_ptr<Datensatz>> datensaetze_;
    std::set<DatensatzId> neu_;
    std::set<DatensatzId> geaendert_;
    std::set<DatensatzId> geloescht_;
    DatensatzId naechsteId_ = 1;
    std::map<std::size_t, Beobachter> beobachter_;
    std::size_t naechsterBeobachter_ = 1;
};

} // namespace qb
