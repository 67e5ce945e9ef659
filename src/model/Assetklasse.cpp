#include "model/Assetklasse.h"

#include "model/Eingabeform.h"

namespace qb {

std::string_view rohwert(Assetklasse klasse) {
    switch (klasse) {
    case Assetklasse::aktie: return "aktie";
    case Assetklasse::anleihe: return "anleihe";
    case Assetklasse::waehrung: return "waehrung";
    case Assetklasse::rohstoff: return "rohstoff";
    case Assetklasse::co2Zertifikat: return "co2Zertifikat";
    }
    return "";
}

std::optional<Assetklasse> assetklasseAus(std::string_view text) {
    for (Assetklasse klasse : alleAssetklassen) {
        if (rohwert(klasse) == text) {
            return klasse;
        }
    }
    return std::nullopt;
}

std::string_view bezeichnung(Assetklasse klasse) {
    switch (klasse) {
    case Assetklasse::aktie: return "Aktie";
    case Assetklasse::anleihe: return "Anleihe";
    case Assetklasse::waehrung: return "Währung";
    case Assetklasse::rohstoff: return "Rohstoff";
    case Assetklasse::co2Zertifikat: return "CO2-Zertifikat";
    }
    return "";
}

std::string_view eingabehilfe(Assetklasse klasse, const Eingabeform& form, bool istWertpapier) {
    switch (klasse) {
    case Assetklasse::aktie:
        return "Kurs je Aktie. Notiert sie nicht in Euro, wähle die Handelswährung und trage den Kurs so ein, "
               "wie deine Quelle ihn zeigt. Britische Aktien stehen auf Bloomberg meist in Pence („GBp“, kleines "
               "p): dann den Kurs durch 100 teilen und GBP wählen.";
    case Assetklasse::anleihe:
        return "Kurs in Prozent vom Nennwert, so wie deine Quelle ihn zeigt, etwa 97,6.";
    case Assetklasse::waehrung:
        if (form.istEuro()) {
            return "Ohne Währungscode als Kennung gilt der Kurs in Euro je Einheit der Währung, etwa 0,62 für einen "
                   "Australischen Dollar. Mit dem Code als Kennung, etwa AUD, trägst du ihn als 1 € = x ein, und "
                   "die App rechnet um.";
        }
        return "So, wie EZB und Bloomberg den Kurs schreiben: 1 € entspricht so vielen Einheiten der Fremdwährung.";
    case Assetklasse::rohstoff:
        if (istWertpapier) {
            return "Kurs je Stück des Wertpapiers, so wie die Quelle ihn zeigt.";
        }
        return "Bloomberg zeigt Rohstoffe meist in US-Dollar, Währung und Einheit stehen direkt neben dem Kurs, etwa "
               "„USD/t oz.“ für je Feinunze. Dann USD als Handelswährung wählen, den Dollarkurs eintragen und die "
               "Einheit angeben. Achtung: Agrarrohstoffe wie Mais, Weizen, Zucker oder Kaffee stehen oft in US-Cent "
               "(„USd“, kleines d). Dann den Kurs durch 100 teilen.";
    case Assetklasse::co2Zertifikat:
        return "Kurs je Anteil oder je Tonne, so wie deine Quelle ihn zeigt.";
    }
    return "";
}

std::string assetklasseMeldungszeilen(const std::map<Assetklasse, std::string>& meldungen, std::string_view trenner) {
    std::string ergebnis;
    bool erste = true;
    for (Assetklasse klasse : alleAssetklassen) {
        auto it = meldungen.find(klasse);
        if (it == meldungen.end()) {
            continue;
        }
        if (!erste) {
            ergebnis += trenner;
        }
        erste = false;
        ergebnis += bezeichnung(klasse);
        ergebnis += ": ";
        ergebnis += it->second;
    }
    return ergebnis;
}

} // namespace qb
