#include "performance/Wertverlauf.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <set>
#include <system_error>
#include <thread>

#include <QCoreApplication>

#include "ui/Textbruecke.h"
#include "model/Bewertung.h"
#include "model/Kursfehler.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "model/Preisnotiz.h"
#include "sources/Kursdienst.h"
#include "valuation/Portfoliostand.h"

namespace qb {

namespace {

// The signal that one fetch saw the stop; turned into the empty result once all are joined.
struct Gestoppt {};

// One entry's outcome; an error that is no source's is held, since nothing may escape a thread
// of its own, and thrown on once all are joined.
using Einzelausgang = std::variant<Wertverlauf::Ausgang, Gestoppt, std::exception_ptr>;

Einzelausgang holeEinen(const Wertverlauf::Auftrag& auftrag, const Wertverlauf::Auftrag::Posten& posten,
                        const Kursdienst& dienst, const std::stop_token& stop) {
    try {
        // Blanks only, or an identifier the class's source rejects: nothing is asked.
        if (dienst.pruefe(posten.kennung, posten.klasse) != Kennungsurteil::verwendbar) {
            throw Kursfehler::ohneAbruf();
        }
        Kursreihe reihe = dienst.quelle(posten.klasse).kursreihe(posten.kennung, auftrag.vorlauf, auftrag.bis, stop);
        return Wertverlauf::Ausgang(dienst.reiheInEuro(reihe, auftrag.vorlauf, auftrag.bis, stop));
    } catch (const Kursfehler& fehler) {
        if (std::holds_alternative<Kursfehler::OhneAbruf>(fehler.fall())) {
            return Wertverlauf::Ausgang(Wertverlauf::Ohne{});
        }
        return Wertverlauf::Ausgang(fehler.meldung());
    } catch (const Abgebrochen&) {
        return Gestoppt{};
    } catch (...) {
        return std::current_exception();
    }
}

} // namespace

Wertverlauf::Auftrag Wertverlauf::auftrag(const Portfolio& portfolio, Zeitpunkt von, Zeitpunkt bis) {
    const Kalender kalender = Kalender::aktuell();
    Auftrag auftrag;
    auftrag.von = von;
    auftrag.bis = bis;
    const Zeitpunkt beginn = kalender.tagesbeginn(von);
    auftrag.vorlauf = kalender.plusTage(beginn, -14).value_or(beginn);
    for (const auto& position : portfolio.positionen()) {
        // A second position of a class is never valued; fetching it could only fail the whole
        // history for nothing.
        if (!position->istVollstaendig() || portfolio.position(position->assetklasse()) != position) {
            continue;
        }
        auftrag.posten.push_back(
            {position->id(), position->assetklasse(), position->kennung(), eigeneReihe(*position, portfolio)});
    }
    return auftrag;
}

Wertverlauf::Abruf Wertverlauf::hole(const Auftrag& auftrag, const Kursdienst& dienst, std::stop_token stop) {
    // Each entry writes only its own slot; the result is the one that fetching them one after
    // another gives, since every entry is judged alone and a stop anywhere empties the whole.
    std::vector<Einzelausgang> ausgaenge(auftrag.posten.size(), Gestoppt{});
    {
        std::vector<std::jthread> faeden;
        faeden.reserve(auftrag.posten.size());
        for (std::size_t i = 0; i < auftrag.posten.size(); ++i) {
            auto arbeit = [&, i] { ausgaenge[i] = holeEinen(auftrag, auftrag.posten[i], dienst, stop); };
            try {
                faeden.emplace_back(arbeit);
            } catch (const std::system_error&) {
                // No thread to be had: this one is fetched here, the others keep running.
                arbeit();
            }
        }
    }
    if (std::ranges::any_of(ausgaenge, [](const auto& a) { return std::holds_alternative<Gestoppt>(a); })) {
        return Abruf{{}, true};
    }
    Abruf abruf;
    for (auto& ausgang : ausgaenge) {
        if (const auto* fehler = std::get_if<std::exception_ptr>(&ausgang)) {
            std::rethrow_exception(*fehler);
        }
        abruf.ausgaenge.push_back(std::move(std::get<Ausgang>(ausgang)));
    }
    return abruf;
}

Wertverlauf::Abruf Wertverlauf::Abruf::gescheitert(const Auftrag& auftrag, const Kursdienst& dienst,
                                                   const std::string& meldung) {
    Abruf abruf;
    for (const auto& posten : auftrag.posten) {
        abruf.ausgaenge.push_back(dienst.pruefe(posten.kennung, posten.klasse) == Kennungsurteil::verwendbar
                                      ? Ausgang(meldung)
                                      : Ausgang(Ohne{}));
    }
    return abruf;
}

Wertverlauf::Ergebnis Wertverlauf::werte(const Portfolio& portfolio, const Auftrag& auftrag, const Abruf& abruf) {
    if (abruf.abgebrochen || abruf.ausgaenge.size() != auftrag.posten.size()) {
        return {};
    }
    struct Eintrag {
        DatensatzId id;
        const Kursreihe* reihe;
    };
    // At most one valued position per class; the id makes sure it is still the same record.
    std::map<Assetklasse, Eintrag> nachKlasse;
    std::set<std::string> beschriftungen;
    Ergebnis ergebnis;
    for (std::size_t i = 0; i < auftrag.posten.size(); ++i) {
        const Auftrag::Posten& posten = auftrag.posten[i];
        const Ausgang& ausgang = abruf.ausgaenge[i];
        const Kursreihe* reihe = nullptr;
        if (const auto* geholt = std::get_if<Kursreihe>(&ausgang)) {
            reihe = geholt;
        } else if (std::holds_alternative<Ohne>(ausgang)) {
            reihe = &posten.eigene;
        } else {
            ergebnis.fehlgeschlagen[posten.klasse] = std::get<std::string>(ausgang);
            continue;
        }
        nachKlasse.insert_or_assign(posten.klasse, Eintrag{posten.id, reihe});
        beschriftungen.insert(reihe->quelle);
    }
    ergebnis.quellen.assign(beschriftungen.begin(), beschriftungen.end());
    if (!ergebnis.fehlgeschlagen.empty() || nachKlasse.empty()) {
        return ergebnis;
    }

    const Kalender kalender = Kalender::aktuell();
    std::set<Zeitpunkt> kandidaten;
    for (const auto& [klasse, eintrag] : nachKlasse) {
        for (const auto& punkt : eintrag.reihe->punkte) {
            kandidaten.insert(kalender.tagesbeginn(punkt.tag));
        }
    }
    const Zeitpunkt erster = kalender.tagesbeginn(auftrag.von);
    Zeitpunkt stichzeit = erster;
    const Portfoliostand::Preisabfrage preis = [&](const Position& position) -> std::optional<Preisangabe> {
        auto gefunden = nachKlasse.find(position.assetklasse());
        if (gefunden == nachKlasse.end() || gefunden->second.id != position.id()) {
            return std::nullopt;
        }
        return gefunden->second.reihe->preisangabe(stichzeit);
    };
    for (Zeitpunkt tag : kandidaten) {
        if (tag < erster || tag > auftrag.bis) {
            continue;
        }
        // The last second of the day, also on a day of 23 or 25 hours.
        stichzeit = tagesende(tag, kalender);
        Portfoliostand stand = Portfoliostand::mitPreisen(portfolio, preis);
        if (stand.gesamtwert()) {
            ergebnis.tage.push_back(Verlaufstag{tag, *stand.gesamtwert()});
        }
    }
    return ergebnis;
}

Wertverlauf::Ergebnis Wertverlauf::berechne(const Portfolio& portfolio, Zeitpunkt von, Zeitpunkt bis,
                                            const Kursdienst& dienst, std::stop_token stop) {
    Auftrag auftrag = Wertverlauf::auftrag(portfolio, von, bis);
    if (auftrag.posten.empty()) {
        return {};
    }
    Abruf abruf = hole(auftrag, dienst, std::move(stop));
    return werte(portfolio, auftrag, abruf);
}

Kursreihe Wertverlauf::eigeneReihe(const Position& position, const Portfolio& portfolio) {
    Kursreihe reihe{{}, "EUR", utf8(QCoreApplication::translate("qb::Wertverlauf", "eigene Eintragungen"))};
    reihe.punkte.push_back(
        Kurspunkt::ausPreis(Kalender::aktuell().tagesbeginn(portfolio.kaufdatum()), position.kaufPreisangabe()));
    for (const auto& bewertung : portfolio.bewertungen()) {
        if (auto notiz = bewertung->notiz(position)) {
            // The reference date's own moment: a price taken at 15:00 counts for that day.
            reihe.punkte.push_back(Kurspunkt::ausPreis(bewertung->datum(), notiz->preisangabe()));
        }
    }
    return reihe;
}

} // namespace qb
