#include "app/Csv.h"

namespace qb {

namespace {

std::string inAnfuehrungszeichen(std::string_view text) {
    std::string zelle;
    zelle.reserve(text.size() + 2);
    zelle += '"';
    for (char zeichen : text) {
        if (zeichen == '"') {
            zelle += '"';
        }
        zelle += zeichen;
    }
    zelle += '"';
    return zelle;
}

int stellen(Zahlart art) {
    switch (art) {
    case Zahlart::betrag: return 2;
    case Zahlart::kurs: return 12;
    case Zahlart::ganzzahl: return 0;
    }
    return 0;
}

} // namespace

std::string csvTextzelle(std::string_view text) {
    // Every character of the guard is ASCII, so the first byte decides: the lead byte of a
    // longer UTF-8 sequence never equals one of them.
    if (!text.empty() && std::string_view("=+-@\t\r\n").find(text.front()) != std::string_view::npos) {
        return inAnfuehrungszeichen("'" + std::string(text));
    }
    return inAnfuehrungszeichen(text);
}

std::string csvZahl(const Dezimal& wert, Zahlart art) {
    std::string text = wert.gerundet(stellen(art), Rundung::normal).text();
    if (art == Zahlart::ganzzahl) {
        return text;
    }
    auto punkt = text.find('.');
    if (punkt == std::string::npos) {
        punkt = text.size();
        text += '.';
    }
    while (text.size() - punkt - 1 < 2) {
        text += '0';
    }
    text[punkt] = ',';
    return text;
}

std::string csvZahlzelle(const Dezimal& wert, Zahlart art) {
    return inAnfuehrungszeichen(csvZahl(wert, art));
}

std::string csvLeerzelle() {
    return csvTextzelle("");
}

std::string csvText(const std::vector<Csvzeile>& zeilen) {
    std::string text = "\xEF\xBB\xBF";
    for (const Csvzeile& zeile : zeilen) {
        for (std::size_t i = 0; i < zeile.size(); ++i) {
            if (i > 0) {
                text += ';';
            }
            text += zeile[i];
        }
        text += "\r\n";
    }
    return text;
}

} // namespace qb
