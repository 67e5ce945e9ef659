#include "positions/Positionstexte.h"

#include <QCoreApplication>

#include "ui/Textbruecke.h"

namespace qb {

namespace {

QString text(const char* quelle) {
    return QCoreApplication::translate("PositionBearbeiten", quelle);
}

} // namespace

QString Positionstexte::beispiel(Assetklasse klasse) {
    switch (klasse) {
    case Assetklasse::aktie:
        return text("zum Beispiel DE0007164600 für SAP");
    case Assetklasse::anleihe:
        return text("zum Beispiel DE0001102614 für eine Bundesanleihe");
    case Assetklasse::waehrung:
        return text("zum Beispiel USD für US-Dollar");
    case Assetklasse::rohstoff:
        return text("zum Beispiel DE000A0S9GB0 für Xetra-Gold");
    case Assetklasse::co2Zertifikat:
        return text("zum Beispiel XS2353177293 für den Carbon EUA ETC");
    }
    return {};
}

std::optional<Positionstexte::Kennungsnotiz> Positionstexte::kennungsnotiz(Kennungsurteil urteil, bool kennungLeer) {
    const QString hand = QStringLiteral("hand.raised");
    switch (urteil) {
    case Kennungsurteil::verwendbar:
        return std::nullopt;
    case Kennungsurteil::nichtErkannt:
        if (kennungLeer) {
            return Kennungsnotiz{hand,
                                 text("Ohne Kennung hat die App am Stichtag keinen Vergleichskurs. Die Bloomberg-Kurse "
                                      "trägst du ohnehin selbst ein; hier prüft sie dann niemand gegen."),
                                 false};
        }
        return Kennungsnotiz{hand,
                             text("Diese Kennung kennt die App nicht. Sie bleibt als Vermerk stehen, aber am Stichtag "
                                  "gibt es dazu keinen Vergleichskurs."),
                             false};
    case Kennungsurteil::ohneKurs:
        return Kennungsnotiz{hand,
                             text("Das ist die Kennung eines Rohstoff-Referenzpreises, kein handelbares Wertpapier. "
                                  "Kurse dafür gibt es nicht zum Abrufen: Trage Kaufkurs und Stichtagskurse selbst "
                                  "ein, meist in US-Dollar."),
                             false};
    case Kennungsurteil::pruefzifferFalsch:
        return Kennungsnotiz{QStringLiteral("exclamationmark.circle"),
                             text("Diese Kennung sieht aus wie eine ISIN, ist aber keine. Prüfe sie auf Tippfehler."),
                             true};
    }
    return std::nullopt;
}

QString Positionstexte::kursabschnitt(bool mitAbruftag) {
    return mitAbruftag ? text("Kurs am Einstiegstag") : text("Aktueller Kurs");
}

QString Positionstexte::abrufknopf(bool laeuft, std::optional<Zeitpunkt> abruftag, const Formatierer& format,
                                   const Zeitzone& zone) {
    if (laeuft) {
        return text("Kurs wird abgerufen");
    }
    if (abruftag) {
        return text("Kurs vom ") + qtText(format.tagUndMonat(*abruftag, zone)) + text(" abrufen");
    }
    return text("Kurs abrufen");
}

QString Positionstexte::quellenzeile(Kennungsurteil urteil, const std::string& bezeichnung) {
    return urteil == Kennungsurteil::verwendbar ? qtText(bezeichnung) : text("Kurs von Hand eintragen");
}

bool Positionstexte::wenigHandel(const Handelsumfang& umfang) {
    if (umfang.preisfeststellungen && *umfang.preisfeststellungen >= 1 && *umfang.preisfeststellungen <= 4) {
        return true;
    }
    return umfang.umsatzEuro && *umfang.umsatzEuro > Dezimal(0) && *umfang.umsatzEuro < Dezimal(1000);
}

QString Positionstexte::handelshinweis(const Handelsumfang& umfang) {
    return text("Sehr wenig Handel: ") + qtText(umfang.text().value_or("")) +
           text(". Der Kurs kann morgen deutlich anders aussehen, ohne dass sich der Markt bewegt hat.");
}

} // namespace qb
