#include "valuation/Portfoliostand.h"

#include "model/Bewertung.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "model/Preisnotiz.h"

namespace qb {

namespace {

Dezimal kaufwert(const Position& position) {
    return position.wert(position.kaufPreisangabe());
}

std::optional<Dezimal> prozentVon(const Dezimal& betrag, const Dezimal& basis) {
    if (basis.istNull()) {
        return std::nullopt;
    }
    return betrag / basis * Dezimal(100);
}

} // namespace

Portfoliostand::Preisabfrage Portfoliostand::preisAm(const Bewertung* bewertung) {
    return [bewertung](const Position& position) -> std::optional<Preisangabe> {
        if (bewertung == nullptr) {
            return position.kaufPreisangabe();
        }
        // Only this date's own note counts; an earlier date never stands in for a gap.
        if (auto notiz = bewertung->notiz(position)) {
            return notiz->preisangabe();
        }
        return std::nullopt;
    };
}

Portfoliostand::Portfoliostand(const Portfolio& portfolio, const Bewertung* bewertung)
    : Portfoliostand(portfolio, einsatz(portfolio), preisAm(bewertung)) {}

Portfoliostand Portfoliostand::mitPreisen(const Portfolio& portfolio, const Preisabfrage& preis) {
    return Portfoliostand(portfolio, einsatz(portfolio), preis);
}

Dezimal Portfoliostand::investiert(const Portfolio& portfolio, std::optional<Assetklasse> ohne) {
    // Every complete position counts here, also a second one of a class that the rows skip.
    Dezimal summe;
    for (const auto& position : portfolio.positionen()) {
        if (position->istVollstaendig() && position->assetklasse() != ohne) {
            summe += kaufwert(*position);
        }
    }
    return summe;
}

Portfoliostand::Einsatz Portfoliostand::einsatz(const Portfolio& portfolio) {
    // One pass for both: every complete position is invested, while a class's row takes its
    // first position in list order, as Portfolio::position does.
    Einsatz einsatz;
    for (const auto& position : portfolio.positionen()) {
        Einsatz::Klasse& klasse = einsatz.klassen[static_cast<std::size_t>(position->assetklasse())];
        const bool erste = klasse.position == nullptr;
        if (erste) {
            klasse.position = position.get();
        }
        if (!position->istVollstaendig()) {
            continue;
        }
        Dezimal wert = kaufwert(*position);
        einsatz.investiert += wert;
        if (erste) {
            klasse.kaufwert = std::move(wert);
        }
    }
    einsatz.offen = portfolio.offeneAssetklassen();
    return einsatz;
}

Portfoliostand::Portfoliostand(const Portfolio& portfolio, const Einsatz& einsatz, const Preisabfrage& preis)
    : investiert_(einsatz.investiert), barbestand_(portfolio.startkapital() - einsatz.investiert),
      offeneAssetklassen_(einsatz.offen), istUeberzogen_(portfolio.startkapital() < einsatz.investiert) {
    Dezimal marktwert;
    bool allePreise = true;
    positionen_.reserve(alleAssetklassen.size());
    for (std::size_t i = 0; i < alleAssetklassen.size(); ++i) {
        const Einsatz::Klasse& klasse = einsatz.klassen[i];
        Positionsbewertung& zeile = positionen_.emplace_back();
        zeile.assetklasse = alleAssetklassen[i];
        if (klasse.position == nullptr) {
            continue;
        }
        zeile.name = klasse.position->name();
        // An incomplete position is neither valued nor missing a price.
        if (!klasse.kaufwert) {
            continue;
        }
        zeile.istFestgelegt = true;
        auto angabe = preis(*klasse.position);
        if (!angabe) {
            fehlendePreise_.push_back(zeile.assetklasse);
            allePreise = false;
            continue;
        }
        Dezimal wert = klasse.position->wert(*angabe);
        marktwert += wert;
        zeile.gewinn = wert - *klasse.kaufwert;
        zeile.renditeProzent = prozentVon(*zeile.gewinn, *klasse.kaufwert);
        zeile.marktwert = std::move(wert);
    }

    if (allePreise) {
        const Dezimal& startkapital = portfolio.startkapital();
        gesamtwert_ = marktwert + barbestand_;
        gewinn_ = *gesamtwert_ - startkapital;
        renditeProzent_ = prozentVon(*gewinn_, startkapital);
        marktwert_ = std::move(marktwert);
    }
}

} // namespace qb
