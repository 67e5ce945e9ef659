#include "model/Modellkontext.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <queue>
#include <stdexcept>
#include <string>
#include <unordered_map>

#include "model/Ablage.h"
#include "model/Datenschema.h"
#include "model/Speicherfehler.h"

namespace qb {

namespace {

template <typename T>
std::optional<std::shared_ptr<T>> suche(const std::map<DatensatzId, std::shared_ptr<Datensatz>>& alle,
                                        const std::optional<DatensatzId>& id) {
    if (!id) {
        return std::nullopt;
    }
    auto it = alle.find(*id);
    if (it == alle.end()) {
        return std::nullopt;
    }
    auto datensatz = std::dynamic_pointer_cast<T>(it->second);
    if (!datensatz) {
        return std::nullopt;
    }
    return datensatz;
}

constexpr DatensatzId groessteId = std::numeric_limits<DatensatzId>::max();

} // namespace

Modellkontext::Modellkontext(Ablage& ablage) : ablage_(ablage) {
    Bestand bestand = ablage_.lade();
    DatensatzId hoechste = 0;
    auto merke = [&](const std::shared_ptr<Datensatz>& datensatz, DatensatzId id) {
        datensatz->id_ = id;
        datensatz->kontext_ = this;
        datensaetze_[id] = datensatz;
        hoechste = std::max(hoechste, id);
    };
    for (const auto& zeile : bestand.portfolios) {
        merke(std::make_shared<Portfolio>(zeile.felder), zeile.id);
    }
    // Rows come ascending by id, so every list is in id order, the order the store returns.
    for (const auto& zeile : bestand.positionen) {
        auto position = std::make_shared<Position>(zeile.felder);
        merke(position, zeile.id);
        if (auto portfolio = suche<Portfolio>(datensaetze_, zeile.portfolio)) {
            position->aktuell_.portfolio = *portfolio;
            (*portfolio)->aktuell_.positionen.push_back(position);
        }
    }
    for (const auto& zeile : bestand.bewertungen) {
        auto bewertung = std::make_shared<Bewertung>(zeile.felder);
        merke(bewertung, zeile.id);
        if (auto portfolio = suche<Portfolio>(datensaetze_, zeile.portfolio)) {
            bewertung->aktuell_.portfolio = *portfolio;
            (*portfolio)->aktuell_.bewertungen.push_back(bewertung);
        }
    }
    for (const auto& zeile : bestand.preisnotizen) {
        auto notiz = std::make_shared<Preisnotiz>(zeile.felder);
        merke(notiz, zeile.id);
        if (auto position = suche<Position>(datensaetze_, zeile.position)) {
            notiz->aktuell_.position = *position;
            (*position)->aktuell_.notizen.push_back(notiz);
        }
        if (auto bewertung = suche<Bewertung>(datensaetze_, zeile.bewertung)) {
            notiz->aktuell_.bewertung = *bewertung;
            (*bewertung)->aktuell_.notizen.push_back(notiz);
        }
    }
    for (auto& [id, datensatz] : datensaetze_) {
        datensatz->merkeGespeichert();
    }
    naechsteId_ = hoechste + 1;
}

Modellkontext::~Modellkontext() {
    for (auto& [id, datensatz] : datensaetze_) {
        datensatz->kontext_ = nullptr;
    }
}

std::vector<std::shared_ptr<Portfolio>> Modellkontext::portfolios() const {
    std::vector<std::shared_ptr<Portfolio>> ergebnis;
    for (const auto& [id, datensatz] : datensaetze_) {
        if (auto portfolio = std::dynamic_pointer_cast<Portfolio>(datensatz); portfolio && !portfolio->geloescht_) {
            ergebnis.push_back(portfolio);
        }
    }
    return ergebnis;
}

void Modellkontext::fuegeEin(const std::shared_ptr<Datensatz>& datensatz) {
    if (!datensatz) {
        return;
    }
    if (datensatz->kontext_ != nullptr && datensatz->kontext_ != this) {
        throw std::logic_error("Der Datensatz gehört zu einem anderen Modellkontext.");
    }
    nimmAuf(datensatz);
    benachrichtige();
}

void Modellkontext::nimmAuf(const std::shared_ptr<Datensatz>& start) {
    if (!start || start->kontext_ != nullptr) {
        return;
    }
    // Every record without a context that hangs on the start, breadth first and each list in
    // its order, so that the start comes first and a list's records come in list order.
    std::vector<std::shared_ptr<Datensatz>> neue{start};
    std::unordered_map<const Datensatz*, std::size_t> stelle{{start.get(), 0}};
    for (std::size_t i = 0; i < neue.size(); ++i) {
        for (auto& verbunden : neue[i]->verbundene()) {
            if (!verbunden || verbunden->kontext_ != nullptr) {
                continue;
            }
            if (stelle.emplace(verbunden.get(), neue.size()).second) {
                neue.push_back(verbunden);
            }
        }
    }

    // The store returns every list in id order, so ids follow the order of every list that
    // holds new records: a record gets its id only after those before it in each of its lists.
    // Among the records that are free to go next, the one found first goes.
    std::vector<std::vector<std::size_t>> nachfolger(neue.size());
    std::vector<std::size_t> vorgaenger(neue.size(), 0);
    for (const auto& datensatz : neue) {
        for (const auto& liste : datensatz->listen()) {
            std::optional<std::size_t> vorher;
            for (const auto& eintrag : liste) {
                auto it = stelle.find(eintrag.get());
                if (it == stelle.end()) {
                    continue;
                }
                if (vorher) {
                    nachfolger[*vorher].push_back(it->second);
                    ++vorgaenger[it->second];
                }
                vorher = it->second;
            }
        }
    }
    std::priority_queue<std::size_t, std::vector<std::size_t>, std::greater<>> frei;
    for (std::size_t i = 0; i < neue.size(); ++i) {
        if (vorgaenger[i] == 0) {
            frei.push(i);
        }
    }
    std::vector<std::size_t> reihenfolge;
    std::vector<bool> vergeben(neue.size(), false);
    while (!frei.empty()) {
        std::size_t i = frei.top();
        frei.pop();
        reihenfolge.push_back(i);
        vergeben[i] = true;
        for (std::size_t folgender : nachfolger[i]) {
            if (--vorgaenger[folgender] == 0) {
                frei.push(folgender);
            }
        }
    }
    // Lists that contradict each other (two notes of one position and one reference date,
    // linked in opposite orders) leave records over; they follow in the order found, and the
    // lists are put into id order below, as a reload would give them.
    for (std::size_t i = 0; i < neue.size(); ++i) {
        if (!vergeben[i]) {
            reihenfolge.push_back(i);
        }
    }

    // Checked before any id is handed out, so that a refusal leaves the context as it was.
    if (static_cast<std::uint64_t>(groessteId - naechsteId_) < neue.size()) {
        throw Speicherfehler(Datenschema::fehlerdomaene, Datenschema::ungueltigerWert,
                             "Der Spielstand hat keine freie Kennung für einen neuen Datensatz mehr.");
    }
    for (std::size_t i : reihenfolge) {
        const auto& datensatz = neue[i];
        datensatz->id_ = naechsteId_++;
        datensatz->kontext_ = this;
        datensatz->geloescht_ = false;
        datensaetze_[datensatz->id_] = datensatz;
        neu_.insert(datensatz->id_);
    }
    // A stored record may sit in a new record's list behind new ones, and a new record in a
    // stored one's list; id order is the order in which a reload shows both.
    for (const auto& datensatz : neue) {
        datensatz->ordneListen();
        for (auto& verbunden : datensatz->verbundene()) {
            if (verbunden && verbunden->kontext_ == this) {
                verbunden->ordneListen();
            }
        }
    }
}

void Modellkontext::loesche(const std::shared_ptr<Datensatz>& start) {
    if (!start || start->geloescht_) {
        return;
    }
    if (start->kontext_ != this) {
        throw std::logic_error("Der Datensatz gehört nicht zu diesem Modellkontext.");
    }
    std::vector<std::shared_ptr<Datensatz>> betroffen;
    std::vector<std::shared_ptr<Datensatz>> offen{start};
    while (!offen.empty()) {
        auto datensatz = offen.back();
        offen.pop_back();
        if (std::find(betroffen.begin(), betroffen.end(), datensatz) != betroffen.end()) {
            continue;
        }
        betroffen.push_back(datensatz);
        for (auto& eigener : datensatz->eigene()) {
            offen.push_back(eigener);
        }
    }
    for (auto& datensatz : betroffen) {
        datensatz->loeseVonBesitzern();
    }
    for (auto& datensatz : betroffen) {
        DatensatzId id = datensatz->id_;
        geaendert_.erase(id);
        if (neu_.erase(id) > 0) {
            // Never saved: nothing to delete in the store and nothing to bring back.
            datensatz->stelleGespeichertesWiederHer();
            datensatz->kontext_ = nullptr;
            datensatz->id_ = 0;
            datensaetze_.erase(id);
        } else {
            datensatz->geloescht_ = true;
            geloescht_.insert(id);
        }
    }
    benachrichtige();
}

bool Modellkontext::hatAenderungen() const {
    return !neu_.empty() || !geaendert_.empty() || !geloescht_.empty();
}

void Modellkontext::speichern() {
    if (!hatAenderungen()) {
        return;
    }
    Aenderungssatz satz;
    for (DatensatzId id : neu_) {
        datensaetze_.at(id)->schreibeZeile(satz);
    }
    for (DatensatzId id : geaendert_) {
        datensaetze_.at(id)->schreibeZeile(satz);
    }
    for (DatensatzId id : geloescht_) {
        datensaetze_.at(id)->schreibeLoeschung(satz);
    }
    ablage_.schreibe(satz);

    for (DatensatzId id : neu_) {
        datensaetze_.at(id)->merkeGespeichert();
    }
    for (DatensatzId id : geaendert_) {
        datensaetze_.at(id)->merkeGespeichert();
    }
    for (DatensatzId id : geloescht_) {
        datensaetze_.at(id)->kontext_ = nullptr;
        datensaetze_.erase(id);
    }
    neu_.clear();
    geaendert_.clear();
    geloescht_.clear();
    benachrichtige();
}

void Modellkontext::zuruecksetzen() {
    for (DatensatzId id : neu_) {
        auto& datensatz = datensaetze_.at(id);
        datensatz->stelleGespeichertesWiederHer();
        datensatz->kontext_ = nullptr;
        datensatz->id_ = 0;
    }
    for (DatensatzId id : neu_) {
        datensaetze_.erase(id);
    }
    for (DatensatzId id : geaendert_) {
        datensaetze_.at(id)->stelleGespeichertesWiederHer();
    }
    for (DatensatzId id : geloescht_) {
        auto& datensatz = datensaetze_.at(id);
        datensatz->stelleGespeichertesWiederHer();
        datensatz->geloescht_ = false;
    }
    neu_.clear();
    geaendert_.clear();
    geloescht_.clear();
    benachrichtige();
}

std::size_t Modellkontext::beobachte(Beobachter beobachter) {
    std::size_t kennung = naechsterBeobachter_++;
    beobachter_[kennung] = std::move(beobachter);
    return kennung;
}

void Modellkontext::beendeBeobachtung(std::size_t kennung) {
    beobachter_.erase(kennung);
}

void Modellkontext::markiereGeaendert(Datensatz& datensatz) {
    if (datensatz.geloescht_) {
        // A deleted record's own state comes back whole on a rollback; its later writes need no row.
        benachrichtige();
        return;
    }
    if (neu_.count(datensatz.id_) == 0) {
        geaendert_.insert(datensatz.id_);
    }
    benachrichtige();
}

void Modellkontext::benachrichtige() {
    // A copy, so that an observer may end its own observation while it is called.
    auto alle = beobachter_;
    for (auto& [kennung, beobachter] : alle) {
        beobachter();
    }
}

} // namespace qb
