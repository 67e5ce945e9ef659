#include "app/Tabellendokument.h"

#include <memory>
#include <vector>

#include <QFileInfo>
#include <QSaveFile>

#include "app/Csv.h"
#include "ui/Textbruecke.h"
#include "foundation/Formatierer.h"
#include "foundation/Unicode.h"
#include "model/Assetklasse.h"
#include "model/Bewertung.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "model/Preisnotiz.h"
#include "sources/Kursdienst.h"
#include "valuation/Portfoliostand.h"

namespace qb {

namespace {

using Stichtage = std::vector<std::shared_ptr<Bewertung>>;

// Everything one sheet is built from; the reference dates are sorted once and every column
// loop and the price-sources block use that order.
struct Grundlage {
    const Portfolio& portfolio;
    const Kursdienst& dienst;
    const Zeitzone& zone;
    Stichtage stichtage;

    std::string datum(Zeitpunkt zeitpunkt) const { return isoTag(zeitpunkt, zone); }
};

// A price note with the date of its reference date.
struct DatierteNotiz {
    Zeitpunkt datum;
    std::shared_ptr<Preisnotiz> notiz;
};

const std::string leer = csvLeerzelle();

Csvzeile textzeile(std::initializer_list<std::string_view> texte) {
    Csvzeile zeile;
    for (std::string_view text : texte) {
        zeile.push_back(csvTextzelle(text));
    }
    return zeile;
}

void fuelleAuf(Csvzeile& zeile, std::size_t breite) {
    zeile.resize(breite, leer);
}

// The dates header: the entry date, then one column pair per reference date.
Csvzeile datumszeile(const Grundlage& g) {
    Csvzeile zeile{leer, leer, leer, csvTextzelle("Initial investment on (date):"),
                   csvTextzelle(g.datum(g.portfolio.kaufdatum()))};
    for (const auto& stichtag : g.stichtage) {
        zeile.push_back(csvTextzelle("Revaluation on:"));
        zeile.push_back(csvTextzelle(g.datum(stichtag->datum())));
    }
    return zeile;
}

Csvzeile spaltenkoepfe(const Grundlage& g) {
    Csvzeile zeile = textzeile({"Asset class", "Asset name", "Quantity (in units)", "Buy-in price (in EUR)",
                                "Amount invested (in EUR)"});
    for (std::size_t i = 0; i < g.stichtage.size(); ++i) {
        zeile.push_back(csvTextzelle("Current price (in EUR)"));
        zeile.push_back(csvTextzelle("Amount invested (in EUR)"));
    }
    return zeile;
}

// Completeness does not matter here: a position the price-sources block leaves out still
// shows what it holds.
Csvzeile klassenzeile(const Grundlage& g, Assetklasse klasse) {
    Csvzeile zeile{csvTextzelle(bezeichnung(klasse))};
    const auto position = g.portfolio.position(klasse);
    if (!position) {
        fuelleAuf(zeile, 5 + 2 * g.stichtage.size());
        return zeile;
    }
    zeile.push_back(csvTextzelle(position->name()));
    zeile.push_back(csvZahlzelle(Dezimal(position->stueckzahl()), Zahlart::ganzzahl));
    zeile.push_back(csvZahlzelle(position->kaufpreis(), Zahlart::kurs));
    zeile.push_back(csvZahlzelle(position->wert(position->kaufPreisangabe()), Zahlart::betrag));
    for (const auto& stichtag : g.stichtage) {
        if (const auto notiz = stichtag->notiz(*position)) {
            zeile.push_back(csvZahlzelle(notiz->preis(), Zahlart::kurs));
            zeile.push_back(csvZahlzelle(position->wert(notiz->preisangabe()), Zahlart::betrag));
        } else {
            zeile.push_back(leer);
            zeile.push_back(leer);
        }
    }
    return zeile;
}

std::string betragOderLeer(const std::optional<Dezimal>& wert) {
    return wert ? csvZahlzelle(*wert, Zahlart::betrag) : leer;
}

// Cash, total invested and total value. The cash is the one at purchase on every date: the
// game never trades after the entry.
std::vector<Csvzeile> summenzeilen(const Grundlage& g) {
    const Portfoliostand beimKauf(g.portfolio, nullptr);
    Csvzeile bar{csvTextzelle("Cash (not invested)"), leer, leer, leer,
                 csvZahlzelle(beimKauf.barbestand(), Zahlart::betrag)};
    Csvzeile investiert{leer, leer, leer, csvTextzelle("Total amount invested (in EUR)"),
                        csvZahlzelle(beimKauf.investiert(), Zahlart::betrag)};
    Csvzeile gesamt{leer, leer, leer, csvTextzelle("Total portfolio value (in EUR)"),
                    csvZahlzelle(g.portfolio.startkapital(), Zahlart::betrag)};
    for (const auto& stichtag : g.stichtage) {
        const Portfoliostand stand(g.portfolio, stichtag.get());
        bar.insert(bar.end(), {leer, csvZahlzelle(beimKauf.barbestand(), Zahlart::betrag)});
        investiert.insert(investiert.end(), {leer, betragOderLeer(stand.marktwert())});
        gesamt.insert(gesamt.end(), {leer, betragOderLeer(stand.gesamtwert())});
    }
    return {std::move(bar), std::move(investiert), std::move(gesamt)};
}

std::vector<DatierteNotiz> datierteNotizen(const Stichtage& stichtage, const Position& position) {
    std::vector<DatierteNotiz> notizen;
    for (const auto& stichtag : stichtage) {
        if (auto notiz = stichtag->notiz(position)) {
            notizen.push_back({stichtag->datum(), std::move(notiz)});
        }
    }
    return notizen;
}

std::vector<DatierteNotiz> abweichendeQuellen(const std::vector<DatierteNotiz>& notizen, const Preisnotiz* letzte) {
    std::vector<DatierteNotiz> abweichend;
    for (const auto& eintrag : notizen) {
        if (letzte == nullptr || eintrag.notiz->quelle() != letzte->quelle()) {
            abweichend.push_back(eintrag);
        }
    }
    return abweichend;
}

std::vector<std::string> quellenangaben(const Grundlage& g, const std::vector<DatierteNotiz>& notizen) {
    std::vector<std::string> angaben;
    for (const auto& eintrag : notizen) {
        angaben.push_back(g.datum(eintrag.datum) + ": " + eintrag.notiz->quelle());
    }
    return angaben;
}

// Without any note the position's own source stands only when the sources can use its
// identifier or when it is exactly "Bloomberg" (letter case counts); else the prices were typed.
std::string quelleOhneNotiz(const Grundlage& g, const Position& position) {
    if (g.dienst.pruefe(position.kennung(), position.assetklasse()) == Kennungsurteil::verwendbar ||
        position.quelle() == "Bloomberg") {
        return position.quelle();
    }
    return "von Hand";
}

Csvzeile quellenzeile(const Grundlage& g, const Position& position) {
    const auto notizen = datierteNotizen(g.stichtage, position);
    const Preisnotiz* letzte = notizen.empty() ? nullptr : notizen.back().notiz.get();
    const std::vector<DatierteNotiz> frueher(notizen.begin(), letzte != nullptr ? notizen.end() - 1 : notizen.end());
    const std::string andere = Formatierer::verbunden(quellenangaben(g, abweichendeQuellen(frueher, letzte)), " / ");

    const Preisangabe kauf = position.kaufPreisangabe();
    const Umrechnung* kaufUmrechnung = kauf.umrechnung();
    std::optional<Preisangabe> letzterPreis;
    if (letzte != nullptr) {
        letzterPreis = letzte->preisangabe();
    }
    const Umrechnung* letzteUmrechnung = letzterPreis ? letzterPreis->umrechnung() : nullptr;
    const std::string handelswaehrung = position.handelswaehrung();
    const bool inProzent = position.notierung() == Notierungsart::prozentVomNennwert;

    auto kursOderLeer = [](const Umrechnung* u, const Dezimal Umrechnung::*feld) {
        return u != nullptr ? csvZahlzelle(u->*feld, Zahlart::kurs) : leer;
    };
    return {
        csvTextzelle(bezeichnung(position.assetklasse())),
        csvTextzelle(position.kennung()),
        csvTextzelle(letzte != nullptr ? letzte->quelle() : quelleOhneNotiz(g, position)),
        letzte != nullptr ? csvTextzelle(bezeichnung(letzte->herkunft())) : leer,
        letzte != nullptr ? csvTextzelle(beschreibung(letzte->art())) : leer,
        csvTextzelle(handelswaehrung),
        csvTextzelle(position.einheitText()),
        kursOderLeer(kaufUmrechnung, &Umrechnung::original),
        kursOderLeer(kaufUmrechnung, &Umrechnung::kurs),
        kursOderLeer(letzteUmrechnung, &Umrechnung::original),
        letzteUmrechnung != nullptr ? csvTextzelle(letzteUmrechnung->waehrung) : leer,
        kursOderLeer(letzteUmrechnung, &Umrechnung::kurs),
        csvTextzelle(andere),
        inProzent ? csvTextzelle(beschreibung(position.notierung())) : leer,
        inProzent ? csvTextzelle(csvZahl(position.nennwert(), Zahlart::betrag) + " " + handelswaehrung) : leer,
    };
}

std::vector<Csvzeile> quellenblock(const Grundlage& g) {
    std::vector<Csvzeile> zeilen{
        textzeile({"Price sources"}),
        textzeile({"Asset class", "Identifier", "Source", "How", "Price type", "Trading currency", "Unit",
                   "Buy-in price (trading currency)", "Buy-in FX rate (1 EUR =)", "Latest price (original)",
                   "Latest price currency", "Latest FX rate (1 EUR =)", "Other sources (revaluation date: source)",
                   "Quoted as", "Face value per unit"}),
    };
    for (Assetklasse klasse : alleAssetklassen) {
        const auto position = g.portfolio.position(klasse);
        if (position && position->istVollstaendig()) {
            zeilen.push_back(quellenzeile(g, *position));
        }
    }
    return zeilen;
}

// Unicode's control characters (category Cc) are exactly U+0000–U+001F and U+007F–U+009F, a
// set the standard promises never to change; in UTF-8 the upper range is C2 80 … C2 9F.
// Returns the length of the control character at `i`, or 0.
std::size_t steuerzeichenLaenge(std::string_view text, std::size_t i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7F) {
        return 1;
    }
    if (byte == 0xC2 && i + 1 < text.size()) {
        const auto folge = static_cast<unsigned char>(text[i + 1]);
        if (folge >= 0x80 && folge <= 0x9F) {
            return 2;
        }
    }
    return 0;
}

} // namespace

Tabellendokument::Tabellendokument(std::string inhalt) : inhalt_(std::move(inhalt)) {}

std::string Tabellendokument::tabelle(const Portfolio& portfolio, const Kursdienst& dienst) {
    return tabelle(portfolio, dienst, Zeitzone::aktuell());
}

std::string Tabellendokument::tabelle(const Portfolio& portfolio, const Kursdienst& dienst, const Zeitzone& zone) {
    const Grundlage g{portfolio, dienst, zone, portfolio.sortierteBewertungen()};
    std::vector<Csvzeile> zeilen{
        textzeile({"Quinzelbrockat"}),
        {csvTextzelle("Group"), csvTextzelle(portfolio.gruppenname())},
        {},
        datumszeile(g),
        spaltenkoepfe(g),
    };
    for (Assetklasse klasse : alleAssetklassen) {
        zeilen.push_back(klassenzeile(g, klasse));
    }
    zeilen.emplace_back();
    for (auto& zeile : summenzeilen(g)) {
        zeilen.push_back(std::move(zeile));
    }
    zeilen.emplace_back();
    for (auto& zeile : quellenblock(g)) {
        zeilen.push_back(std::move(zeile));
    }
    return csvText(zeilen);
}

std::string Tabellendokument::dateiname(const Portfolio& portfolio) {
    const std::string_view gruppe = Unicode::ohneLeerzeichen(portfolio.gruppenname());
    std::string name;
    for (std::size_t i = 0; i < gruppe.size();) {
        // A slash or colon would split the name into folders; a control character would make
        // a name that the dialog shows wrongly or that the file system refuses.
        if (const std::size_t laenge = steuerzeichenLaenge(gruppe, i); laenge > 0) {
            name += '-';
            i += laenge;
            continue;
        }
        name += (gruppe[i] == '/' || gruppe[i] == ':') ? '-' : gruppe[i];
        ++i;
    }
    return (name.empty() ? std::string("Portfolio") : name) + " Quinzelbrockat.csv";
}

std::optional<std::string> Tabellendokument::schreibe(const QString& pfad) const {
    // QSaveFile writes into a temporary file beside the target and renames it only when every
    // byte is written, so a failure leaves an existing file as it was.
    QSaveFile datei(pfad);
    if (datei.open(QIODevice::WriteOnly)) {
        datei.write(inhalt_.data(), static_cast<qint64>(inhalt_.size()));
        if (datei.commit()) {
            return std::nullopt;
        }
    }
    return "Die Datei „" + utf8(QFileInfo(pfad).fileName()) + "“ konnte nicht gespeichert werden: " +
           utf8(datei.errorString());
}

} // namespace qb
