#include "ui/Referenzzeilentexte.h"

#include <QCoreApplication>

#include "ui/Textbruecke.h"

namespace qb {

namespace {

QString uebersetzt(const char* quelle) {
    return QCoreApplication::translate("qb::Referenzzeile", quelle);
}

} // namespace

Referenzzeilentexte::Referenzzeilentexte(Waehrungscode code, std::optional<Zeitpunkt> referenztag, Stand stand,
                                         bool mitErneut, const Formatierer& format)
    : mitErneut_(mitErneut) {
    if (!stand) {
        art_ = Art::wirdGeholt;
        text_ = uebersetzt("EZB-Kurs wird geholt");
    } else if (const Umrechnung* umrechnung = stand->wert()) {
        art_ = Art::kurs;
        kurs_ = umrechnung->kurs;
        // The formula names the row's currency, whatever the answer called it.
        const QString formel =
            qtText(Kurseingabe::formelText(Umrechnung{Dezimal(1), code.wert(), umrechnung->kurs}, format));
        text_ = referenztag ? uebersetzt("EZB-Referenzkurs für den %1: %2")
                                  .arg(qtText(format.datum(*referenztag, Zeitzone::aktuell())), formel)
                            : uebersetzt("EZB-Referenzkurs, aktuell: %1").arg(formel);
    } else if (const std::string* grund = stand->grund()) {
        art_ = Art::fehlt;
        text_ = uebersetzt("Kein EZB-Kurs abrufbar: %1").arg(qtText(*grund));
    }
}

std::optional<QString> Referenzzeilentexte::hinweis() const {
    if (art_ != Art::fehlt) {
        return std::nullopt;
    }
    return uebersetzt("Trage den Umrechnungskurs selbst ein.");
}

bool Referenzzeilentexte::zeigtUebernehmen(const Kurseingabe& eingabe) const {
    return kurs_ && eingabe.umrechnung != *kurs_;
}

bool Referenzzeilentexte::uebernimm(Kurseingabe& eingabe) const {
    if (!zeigtUebernehmen(eingabe)) {
        return false;
    }
    eingabe.umrechnung = *kurs_;
    eingabe.ezbVorbelegung = *kurs_;
    return true;
}

} // namespace qb
