#include "reference-dates/Stichtagsliste.h"

#include <algorithm>

#include "model/Bewertung.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "valuation/Portfoliostand.h"

namespace qb {

std::vector<std::shared_ptr<Bewertung>> Stichtagsliste::neuesteZuerst(const Portfolio& portfolio) {
    auto liste = portfolio.sortierteBewertungen();
    std::reverse(liste.begin(), liste.end());
    return liste;
}

bool Stichtagsliste::hatVollstaendigePositionen(const Portfolio& portfolio) {
    return std::any_of(portfolio.positionen().begin(), portfolio.positionen().end(),
                       [](const auto& position) { return position->istVollstaendig(); });
}

Zeitpunkt Stichtagsliste::fruehesterTag(const Portfolio& portfolio, Zeitpunkt jetzt, const Kalender& kalender) {
    const Zeitpunkt beginn = kalender.tagesbeginn(portfolio.kaufdatum());
    return beginn > jetzt ? jetzt : beginn;
}

Zeitpunkt Stichtagsliste::wirksamerTag(const Portfolio& portfolio, std::optional<Zeitpunkt> gewaehlt, Zeitpunkt jetzt,
                                       const Kalender& kalender) {
    const Zeitpunkt tag = gewaehlt.value_or(jetzt);
    const Zeitpunkt fruehester = fruehesterTag(portfolio, jetzt, kalender);
    return fruehester >= tag ? fruehester : tag;
}

bool Stichtagsliste::istNachtrag(Zeitpunkt tag, Zeitpunkt jetzt, const Kalender& kalender) {
    return kalender.tagesbeginn(tag) < kalender.tagesbeginn(jetzt);
}

Bewertungserfassung::Stichtagswahl Stichtagsliste::wahl(Zeitpunkt tag, Zeitpunkt jetzt, const Kalender& kalender) {
    if (!istNachtrag(tag, jetzt, kalender)) {
        return {jetzt, std::nullopt};
    }
    Datumsteile teile = kalender.teile(tag);
    teile.stunde = 17;
    teile.minute = 0;
    teile.sekunde = 0;
    // A day whose 17:00 does not exist keeps its start.
    const Zeitpunkt datum = kalender.zeitpunkt(teile).value_or(kalender.tagesbeginn(tag));
    return {datum, datum};
}

std::shared_ptr<Bewertung> Stichtagsliste::angezeigt(const Portfolio& portfolio,
                                                     std::optional<DatensatzId> ausgewaehlt) {
    if (!ausgewaehlt) {
        const auto liste = neuesteZuerst(portfolio);
        return liste.empty() ? nullptr : liste.front();
    }
    for (const auto& bewertung : portfolio.bewertungen()) {
        if (bewertung->id() == *ausgewaehlt) {
            return bewertung;
        }
    }
    return nullptr;
}

std::string Stichtagsliste::knopftext(bool nachtrag) {
    return nachtrag ? "Kurse nachtragen" : "Stichtag anlegen";
}

std::string Stichtagsliste::erklaerung(bool nachtrag) {
    return nachtrag ? "Trag die Bloomberg-Schlusskurse dieses Tages ein. Zum Vergleich holt die App die Kurse jenes "
                      "Tages."
                    : "Trag die Kurse von Bloomberg ein. Zum Vergleich holt die App die Kurse der Börse Frankfurt "
                      "und der EZB.";
}

std::optional<std::string> Stichtagsliste::verworfenMeldung(const std::map<Assetklasse, std::string>& verworfen) {
    if (verworfen.empty()) {
        return std::nullopt;
    }
    return "Der Stichtag ist angelegt, aber diese Kurse wurden nicht übernommen:\n\n" +
           assetklasseMeldungszeilen(verworfen, "\n");
}

Stichtagsliste::Zeilentexte Stichtagsliste::zeile(const Portfolio& portfolio, const Bewertung& bewertung,
                                                  const Formatierer& format, const Zeitzone& zone) {
    Zeilentexte texte;
    texte.datum = format.datumMitMonatUndUhrzeit(bewertung.datum(), zone);
    const Portfoliostand stand(portfolio, &bewertung);
    if (!stand.gesamtwert()) {
        return texte;
    }
    texte.wert = format.waehrung(*stand.gesamtwert(), "EUR");
    if (const auto& rendite = stand.renditeProzent()) {
        texte.rendite = format.prozent(*rendite, 2, 2);
        texte.richtung = rendite->vorzeichen() > 0   ? Richtung::gewinn
                         : rendite->vorzeichen() < 0 ? Richtung::verlust
                                                     : Richtung::neutral;
    }
    return texte;
}

} // namespace qb
