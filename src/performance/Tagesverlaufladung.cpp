#include "performance/Tagesverlaufladung.h"

#include <algorithm>

#include <QCoreApplication>

#include "ui/Kennzahlentexte.h"
#include "ui/Textbruecke.h"
#include "foundation/Formatierer.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "performance/Wertentwicklung.h"
#include "valuation/Stichtagsverlauf.h"

namespace qb {

namespace {

std::string text(const char* quelle) {
    return utf8(QCoreApplication::translate("qb::EntwicklungAnsicht", quelle));
}

} // namespace

bool Tagesverlaufladung::tagesverlaufMoeglich(const Portfolio& portfolio) {
    const auto& positionen = portfolio.positionen();
    if (std::none_of(positionen.begin(), positionen.end(), [](const auto& p) { return p->istVollstaendig(); })) {
        return false;
    }
    return Stichtagsverlauf(portfolio).letzterStand().has_value();
}

Wertverlauf::Fenster Tagesverlaufladung::fenster(Zeitraum zeitraum, Zeitpunkt jetzt, Zeitpunkt kaufdatum,
                                                 const Kalender& kalender) {
    const Zeitpunkt einstiegTag = kalender.tagesbeginn(kaufdatum);
    const Wertverlauf::Fenster ganzesSpiel{einstiegTag, jetzt, false};
    if (zeitraum == Zeitraum::alles) {
        return ganzesSpiel;
    }
    // Counted back from the start of today, not from now: 31 and 92 days, not 30 and 90.
    const int tage = zeitraum == Zeitraum::einMonat ? 31 : 92;
    const std::optional<Zeitpunkt> beginn = kalender.plusTage(kalender.tagesbeginn(jetzt), -tage);
    if (!beginn) {
        return ganzesSpiel;
    }
    return Wertverlauf::Fenster{einstiegTag >= *beginn ? einstiegTag : *beginn, jetzt, *beginn < einstiegTag};
}

std::optional<Wertverlauf::Fenster> Tagesverlaufladung::beginne(Sicht sicht, Zeitraum zeitraum,
                                                              const Portfolio& portfolio, Zeitpunkt jetzt) {
    if (sicht != Sicht::tagesverlauf) {
        laedt_ = false;
        return std::nullopt;
    }
    if (!tagesverlaufMoeglich(portfolio)) {
        verlauf_.reset();
        verlaufsfehler_.reset();
        laedt_ = false;
        return std::nullopt;
    }
    // The previous history stays until the new one arrives.
    laedt_ = true;
    verlaufsfehler_.reset();
    return fenster(zeitraum, jetzt, portfolio.kaufdatum(), Kalender::aktuell());
}

void Tagesverlaufladung::schliesseAb(Wertverlauf::Ergebnis ergebnis, const Wertverlauf::Fenster& fenster) {
    laedt_ = false;
    verkuerzt_ = fenster.verkuerzt;
    if (ergebnis.tage.empty()) {
        std::string zeilen = assetklasseMeldungszeilen(ergebnis.fehlgeschlagen, "\n");
        verlaufsfehler_ = zeilen.empty() ? text("Für den gewählten Zeitraum kamen keine Kurse zurück.") : std::move(zeilen);
    }
    verlauf_ = std::move(ergebnis);
}

std::string Tagesverlaufladung::fussnote(const std::vector<Verlaufstag>& tage, const std::vector<std::string>& quellen,
                                         const std::optional<Zeitpunkt>& letzterStichtag, Zeitpunkt kaufdatum) const {
    std::vector<std::string> teile;
    teile.push_back(Wertentwicklung::handelstageText(static_cast<std::int64_t>(tage.size())));
    if (letzterStichtag) {
        teile.push_back(utf8(Kennzahlentexte().ueberschrift(Kennzahlentexte::Bezug::stichtag(*letzterStichtag), false)));
    }
    if (verkuerzt_) {
        teile.push_back(text("ab Einstieg am ") + Formatierer().datumMitMonat(kaufdatum, Zeitzone::aktuell()));
    }
    if (!quellen.empty()) {
        teile.push_back(text("Tageskurse: ") + Formatierer::verbunden(quellen, ", "));
    }
    return Formatierer::verbunden(teile, " · ");
}

} // namespace qb
