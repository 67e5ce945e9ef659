#include "reference-dates/Rueckfrage.h"

#include <algorithm>
#include <utility>

#include "foundation/Formatierer.h"

namespace qb {

namespace {

using Abweichung = Kurspruefung::Abweichung;

} // namespace

std::vector<Abweichung> Rueckfrage::abweichungen(const Stichtagsentwurf& entwurf,
                                                 const Stichtagsentwurf::Zeile& zeile) {
    // A fetched quote is not compared with itself.
    if (zeile.uebernommen) {
        return {};
    }
    const std::optional<Preisangabe> preis = zeile.eingabe.preisangabe(zeile.form());
    const Kurspruefung::Referenz* antwort = entwurf.referenz(zeile);
    if (!preis || !antwort) {
        return {};
    }
    return Kurspruefung::pruefe(*preis, *antwort, zeile.klasse, zeile.notierung, zeile.nennwert);
}

std::optional<Rueckfrage> Rueckfrage::fuer(const Stichtagsentwurf& entwurf) {
    Rueckfrage frage;
    for (const Stichtagsentwurf::Zeile& zeile : entwurf.zeilen()) {
        // Empty rows and values out of range are the completeness check's business.
        if (zeile.uebernommen || !zeile.eingabe.preisangabe(zeile.form())) {
            continue;
        }
        if (!entwurf.referenz(zeile)) {
            frage.offen.push_back(zeile.klasse);
            continue;
        }
        std::vector<Abweichung> starke = abweichungen(entwurf, zeile);
        std::erase_if(starke, [](const Abweichung& a) { return !a.istStark(); });
        if (!starke.empty()) {
            frage.abweichend.push_back(Auffaelligkeit{zeile.klasse, std::move(starke)});
        }
    }
    if (frage.abweichend.empty() && frage.offen.empty()) {
        return std::nullopt;
    }
    return frage;
}

std::optional<Rueckfrage> Rueckfrage::neueAbweichung(const Stichtagsentwurf& entwurf,
                                                     const std::vector<Auffaelligkeit>& gezeigt) {
    std::optional<Rueckfrage> frisch = fuer(entwurf);
    if (!frisch) {
        return std::nullopt;
    }
    for (const Auffaelligkeit& a : frisch->abweichend) {
        const bool bekannt = std::ranges::any_of(gezeigt, [&a](const Auffaelligkeit& g) { return g.klasse == a.klasse; });
        if (!bekannt) {
            return frisch;
        }
    }
    return std::nullopt;
}

std::string Rueckfrage::titel() const {
    return abweichend.empty() ? "Noch nicht alle Kurse verglichen" : "Ein Kurs weicht stark vom Vergleich ab";
}

std::string Rueckfrage::meldung(const Stichtagsentwurf& entwurf, const Formatierer& format) const {
    std::vector<std::string> teile;
    for (const Auffaelligkeit& a : abweichend) {
        const Stichtagsentwurf::Zeile* zeile = entwurf.zeile(a.klasse);
        if (!zeile) {
            continue;
        }
        std::vector<std::string> saetze;
        for (const Abweichung& abweichung : a.abweichungen) {
            saetze.push_back(abweichung.meldung(a.klasse, zeile->notierung, entwurf.abruftag(), format));
        }
        teile.push_back(std::string(bezeichnung(a.klasse)) + ": " + Formatierer::verbunden(saetze, " "));
    }
    if (!offen.empty()) {
        std::vector<std::string> namen;
        for (Assetklasse klasse : offen) {
            namen.emplace_back(bezeichnung(klasse));
        }
        teile.push_back("Noch nicht verglichen: " + Formatierer::verbunden(namen, ", ") + ". Der Vergleichskurs wird noch geholt.");
    }
    return Formatierer::verbunden(teile, "\n\n");
}

} // namespace qb
