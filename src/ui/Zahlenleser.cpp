#include "ui/Zahlenleser.h"

#include <regex>
#include <string>

#include <QCoreApplication>

#include "ui/Textbruecke.h"
#include "foundation/Unicode.h"
#include "valuation/Zahlenfeld.h"

namespace qb {

namespace {

std::string getrimmt(const QString& text) {
    return std::string(Unicode::ohneLeerzeichen(utf8(text)));
}

// Whole numbers grouped by thousands, every separator the same character.
bool istGruppiert(const std::string& text) {
    static const std::regex mitPunkt(R"([1-9][0-9]{0,2}(\.[0-9]{3})+)");
    static const std::regex mitKomma(R"([1-9][0-9]{0,2}(,[0-9]{3})+)");
    return std::regex_match(text, mitPunkt) || std::regex_match(text, mitKomma);
}

} // namespace

QString Zahlenleser::anzeigetext(const Dezimal& wert, Art art) {
    if (wert.istNull()) {
        return {};
    }
    if (art == Art::ganzzahl) {
        return qtText(wert.text());
    }
    return qtText(wert.gerundet(12, Rundung::normal).text()).replace(QLatin1Char('.'), QLatin1Char(','));
}

Zahlenleser::Ergebnis Zahlenleser::lies(const QString& text, Art art) {
    const std::string eingabe = getrimmt(text);
    if (eingabe.empty()) {
        return {Fall::leer, {}};
    }
    if (art != Art::kurs && istGruppiert(eingabe)) {
        std::string ziffern;
        for (char zeichen : eingabe) {
            if (zeichen != '.' && zeichen != ',') {
                ziffern += zeichen;
            }
        }
        const std::optional<Dezimal> wert = Dezimal::lies(ziffern);
        return wert ? Ergebnis{Fall::wert, *wert} : Ergebnis{Fall::keineZahl, {}};
    }
    const std::optional<Dezimal> wert = Zahlenfeld::parse(eingabe);
    if (!wert) {
        return {Fall::keineZahl, {}};
    }
    switch (art) {
    case Art::kurs:
        return {Fall::wert, *wert};
    case Art::betrag:
        return wert->gerundet(2, Rundung::normal) == *wert ? Ergebnis{Fall::wert, *wert}
                                                           : Ergebnis{Fall::zuVieleNachkommastellen, {}};
    case Art::ganzzahl:
        return wert->gerundet(0, Rundung::normal) == *wert ? Ergebnis{Fall::wert, *wert} : Ergebnis{Fall::nichtGanz, {}};
    }
    return {Fall::keineZahl, {}};
}

bool Zahlenleser::istMehrdeutig(const QString& text, Art art) {
    static const std::regex muster(R"([1-9][0-9]{0,2}[.,][0-9]{3})");
    return art == Art::kurs && std::regex_match(getrimmt(text), muster);
}

std::optional<QString> Zahlenleser::meldung(Fall fall) {
    switch (fall) {
    case Fall::wert:
    case Fall::leer:
        return std::nullopt;
    case Fall::keineZahl:
        return QCoreApplication::translate("Zahleneingabe", "Keine Zahl");
    case Fall::nichtGanz:
        return QCoreApplication::translate("Zahleneingabe", "Nur ganze Zahlen");
    case Fall::zuVieleNachkommastellen:
        return QCoreApplication::translate("Zahleneingabe", "Höchstens zwei Nachkommastellen");
    }
    return std::nullopt;
}

Zahlenleser::Ergebnis Zahlenleser::pruefe(const QString& text) {
    mitText_ = !getrimmt(text).empty();
    const Ergebnis ergebnis = lies(text, art_);
    hinweis_ = meldung(ergebnis.fall);
    return ergebnis;
}

Dezimal Zahlenleser::textGeaendert(const QString& text) {
    text_ = text;
    gelesenAls_.reset();
    const Ergebnis ergebnis = pruefe(text);
    if (ergebnis.fall != Fall::wert) {
        zuletztGeschrieben_ = Dezimal(0);
        return Dezimal(0);
    }
    if (istMehrdeutig(text, art_)) {
        gelesenAls_ = anzeigetext(ergebnis.wert, art_);
    }
    zuletztGeschrieben_ = ergebnis.wert;
    return ergebnis.wert;
}

bool Zahlenleser::wertGeaendert(const Dezimal& wert) {
    if (zuletztGeschrieben_ == wert) {
        return false;
    }
    fuelleAus(wert);
    return true;
}

void Zahlenleser::beimErscheinen(const Dezimal& wert) {
    if (istGeladen_) {
        return;
    }
    istGeladen_ = true;
    fuelleAus(wert);
}

void Zahlenleser::fuelleAus(const Dezimal& wert) {
    // The text is read for its message and for how an ambiguous price reads, but the value
    // stays the bound one: "100,125" would read back as 100125 for an amount.
    zuletztGeschrieben_ = wert;
    text_ = anzeigetext(wert, art_);
    gelesenAls_.reset();
    const Ergebnis ergebnis = pruefe(text_);
    if (ergebnis.fall == Fall::wert && istMehrdeutig(text_, art_)) {
        gelesenAls_ = anzeigetext(ergebnis.wert, art_);
    }
}

} // namespace qb
