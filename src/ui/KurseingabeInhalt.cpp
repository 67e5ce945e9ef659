#include "ui/KurseingabeInhalt.h"

#include <algorithm>

#include <QCoreApplication>

#include "ui/Textbruecke.h"

namespace qb {

namespace {

QString text(const char* quelle) {
    return QCoreApplication::translate("qb::KurseingabeFelder", quelle);
}

bool inProzent(Notierungsart notierung) {
    return notierung == Notierungsart::prozentVomNennwert;
}

} // namespace

std::vector<KurseingabeInhalt::Option> KurseingabeInhalt::waehrungsoptionen(std::string_view handelswaehrung) {
    std::vector<Option> optionen;
    auto option = [&](const Waehrungscode& code) {
        optionen.push_back({qtText(code.anzeigename()) + QStringLiteral(" (") + qtText(code.wert()) + QLatin1Char(')'),
                            qtText(code.wert())});
    };
    for (const Waehrungscode& code : Waehrungscode::auswahl()) {
        option(code);
    }
    if (auto aktuell = Waehrungscode::aus(handelswaehrung)) {
        const QString wert = qtText(aktuell->wert());
        const bool schonDa =
            std::any_of(optionen.begin(), optionen.end(), [&](const Option& o) { return o.code == wert; });
        if (!schonDa) {
            option(*aktuell);
        }
    }
    return optionen;
}

std::optional<std::size_t> KurseingabeInhalt::gewaehlteOption(const std::vector<Option>& optionen,
                                                              std::string_view handelswaehrung) {
    auto code = Waehrungscode::aus(handelswaehrung);
    if (!code) {
        return std::nullopt;
    }
    const QString wert = qtText(code->wert());
    for (std::size_t i = 0; i < optionen.size(); ++i) {
        if (optionen[i].code == wert) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<KurseingabeInhalt::Zahlfeld> KurseingabeInhalt::kursfeld() const {
    const bool kauf = angaben_.zweck == Zweck::kauf;
    if (angaben_.form.istEuro()) {
        QString einheit;
        if (inProzent(angaben_.notierung)) {
            einheit = QStringLiteral("%");
        } else if (angaben_.klasse != Assetklasse::waehrung) {
            einheit = QStringLiteral("€");
        } else {
            einheit = text("€ je Einheit");
        }
        return Zahlfeld{kauf ? text("Kaufkurs") : text("Kurs"), einheit};
    }
    if (const Waehrungscode* code = angaben_.form.fremdwaehrungCode()) {
        const QString c = qtText(code->wert());
        return Zahlfeld{(kauf ? text("Kaufkurs in %1") : text("Kurs in %1")).arg(c),
                        inProzent(angaben_.notierung) ? QStringLiteral("%") : c};
    }
    return std::nullopt;
}

QString KurseingabeInhalt::zugangsname(const QString& beschriftung) const {
    const auto zusatz = namenszusatz();
    return zusatz ? QStringLiteral("%1: %2").arg(beschriftung, *zusatz) : beschriftung;
}

std::optional<QString> KurseingabeInhalt::namenszusatz() const {
    if (angaben_.zweck == Zweck::kauf) {
        return std::nullopt;
    }
    return qtText(bezeichnung(angaben_.klasse));
}

std::optional<KurseingabeInhalt::Zahlfeld> KurseingabeInhalt::umrechnungsfeld() const {
    if (const Waehrungscode* code = angaben_.form.waehrungskursCode()) {
        return Zahlfeld{angaben_.zweck == Zweck::kauf ? text("Kaufkurs: 1 € entspricht") : text("Kurs: 1 € entspricht"),
                        qtText(code->wert())};
    }
    if (const Waehrungscode* code = angaben_.form.fremdwaehrungCode()) {
        return Zahlfeld{text("Umrechnung: 1 € entspricht"), qtText(code->wert())};
    }
    return std::nullopt;
}

std::optional<Waehrungscode> KurseingabeInhalt::ezbWaehrung() const {
    if (const Waehrungscode* code = angaben_.form.fremdwaehrungCode()) {
        return *code;
    }
    // A reference date's rate of a currency position is checked by the comparison fetch; only
    // the purchase shows the ECB rate beside it.
    if (const Waehrungscode* code = angaben_.form.waehrungskursCode(); code && angaben_.zweck == Zweck::kauf) {
        return *code;
    }
    return std::nullopt;
}

std::optional<QString> KurseingabeInhalt::vorschau(const Kurseingabe& eingabe, const Formatierer& format) const {
    const std::optional<Preisangabe> preis = eingabe.preisangabe(angaben_.form);
    const Umrechnung* umrechnung = preis ? preis->umrechnung() : nullptr;
    if (umrechnung == nullptr) {
        return std::nullopt;
    }
    return qtText(Kurseingabe::umrechnungsVorschau(*umrechnung, angaben_.klasse, inProzent(angaben_.notierung),
                                                   angaben_.einheit, format));
}

std::optional<QString> KurseingabeInhalt::grenzhinweis(const Kurseingabe& eingabe) const {
    if (auto meldung = eingabe.fehlertext(angaben_.form)) {
        return qtText(*meldung);
    }
    return std::nullopt;
}

std::optional<QString> KurseingabeInhalt::hilfetext() const {
    if (angaben_.zweck == Zweck::kauf) {
        return qtText(eingabehilfe(angaben_.klasse, angaben_.form, angaben_.mitAbruf));
    }
    if (angaben_.form.fremdwaehrungCode() != nullptr) {
        return text("Kurs in der gewählten Währung und in derselben Einheit wie beim Kauf. Steht er in Cent oder "
                    "Pence (auf Bloomberg „USd“ oder „GBp“, mit kleinem Buchstaben), vorher durch 100 teilen.");
    }
    return std::nullopt;
}

} // namespace qb
