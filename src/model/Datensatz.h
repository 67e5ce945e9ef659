#pragma once

#include <cstdint>
#include <algorithm>
#include <memory>
#include <vector>

namespace qb {

class Modellkontext;
struct Aenderungssatz;

// The store's identifier of a record: unique across all record types of a store and a fixed
// total order while the record exists. 0 for a record that no context holds yet.
using DatensatzId = std::int64_t;

// The common part of the four persistent records. Records are reference types held by
// std::shared_ptr; they are used on the GUI thread only. A record created by its constructor
// belongs to no context until it is inserted or linked to a record that has one.
class Datensatz : public std::enable_shared_from_this<Datensatz> {
public:
    Datensatz() = default;
    Datensatz(const Datensatz&) = delete;
    Datensatz& operator=(const Datensatz&) = delete;
    virtual ~Datensatz() = default;

    DatensatzId id() const { return id_; }
    Modellkontext* kontext() const { return kontext_; }
    // Deleted in its context, but not yet saved.
    bool istGeloescht() const { return geloescht_; }

protected:
    // Every write of a property or relationship calls this after the change: the context
    // marks the record as changed and tells its observers.
    void geaendert();

    template <typename T>
    std::shared_ptr<T> selbst() {
        return std::static_pointer_cast<T>(shared_from_this());
    }

    // Links a record that has no context yet into this record's context, if it has one.
    void nimmAuf(const std::shared_ptr<Datensatz>& anderer);

    // Moves this record from its owner's list to the list of `neu` (none: out of any list) and
    // keeps both sides of the relationship in step. `liste` gives an owner's list of records of
    // this record's type. In a context the list stays in id order, the order a reload gives; a
    // record new to the context gets the next id and so lands at the end.
    template <typename Eigener, typename Besitzer, typename Liste>
    void wechsleBesitzer(std::weak_ptr<Besitzer>& feld, const std::shared_ptr<Besitzer>& neu, Liste liste) {
        auto bisher = feld.lock();
        if (bisher == neu) {
            return;
        }
        // Joining the context first: when that fails (no id left), nothing has changed yet.
        nimmAuf(neu);
        auto ich = selbst<Eigener>();
        if (bisher) {
            std::erase(liste(*bisher), ich);
            static_cast<Datensatz&>(*bisher).geaendert();
        }
        feld = neu;
        geaendert();
        if (neu) {
            liste(*neu).push_back(ich);
            if (kontext_ != nullptr) {
                ordneNachId(liste(*neu));
            }
            static_cast<Datensatz&>(*neu).geaendert();
        }
    }

    template <typename Liste>
    static void ordneNachId(Liste& liste) {
        std::stable_sort(liste.begin(), liste.end(),
                         [](const auto& a, const auto& b) { return a->id() < b->id(); });
    }

    // Takes this record out of its owner's list, leaving its own link for a rollback.
    template <typename Eigener, typename Besitzer, typename Liste>
    void verlasseBesitzer(const std::weak_ptr<Besitzer>& feld, Liste liste) {
        if (auto besitzer = feld.lock()) {
            std::erase(liste(*besitzer), selbst<Eigener>());
            static_cast<Datensatz&>(*besitzer).geaendert();
        }
    }

private:
    friend class Modellkontext;

    // The records linked to this one (owner and owned), for insertion of a whole graph.
    virtual std::vector<std::shared_ptr<Datensatz>> verbundene() const = 0;
    // The records this one owns and that go with it on deletion.
    virtual std::vector<std::shared_ptr<Datensatz>> eigene() const = 0;
    // Each list of owned records on its own, in list order.
    virtual std::vector<std::vector<std::shared_ptr<Datensatz>>> listen() const = 0;
    // Brings every list of owned records into id order.
    virtual void ordneListen() = 0;
    // Removes this record from the lists of its owners (on deletion).
    virtual void loeseVonBesitzern() = 0;
    // The saved state becomes the current one.
    virtual void merkeGespeichert() = 0;
    // The current state goes back to the saved one; a record never saved loses its links.
    virtual void stelleGespeichertesWiederHer() = 0;
    virtual bool istGespeichert() const = 0;
    // Writes this record's row (for insertion or update) or its deletion into a change set.
    virtual void schreibeZeile(Aenderungssatz& satz) const = 0;
    virtual void schreibeLoeschung(Aenderungssatz& satz) const = 0;

    DatensatzId id_ = 0;
    Modellkontext* kontext_ = nullptr;
    bool geloescht_ = false;
};

} // namespace qb
