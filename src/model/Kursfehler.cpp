#include "model/Kursfehler.h"

namespace qb {

namespace {

template <typename... F>
struct Faelle : F... {
    using F::operator()...;
};
template <typename... F>
Faelle(F...) -> Faelle<F...>;

std::string meldungFuer(const Kursfehler::Fall& fall) {
    return std::visit(
        Faelle{
            [](const Kursfehler::KennungUnbekannt& f) {
                return "Die Kennung " + f.kennung + " ist bei dieser Quelle nicht bekannt.";
            },
            [](const Kursfehler::AntwortUnlesbar& f) {
                return "Die Antwort der Quelle war nicht lesbar: " + f.grund;
            },
            [](const Kursfehler::KeinKursEnthalten& f) {
                return "Zu " + f.gegenstand + " lag kein verwertbarer Kurs vor.";
            },
            [](const Kursfehler::NichtGefunden& f) {
                return "Unter dieser Kennung liegt bei der Quelle nichts vor (HTTP " + std::to_string(f.status) + ").";
            },
            [](const Kursfehler::KeineUmrechnung& f) {
                return "Der Kurs ist in " + f.waehrung + " notiert, und der EZB-Kurs zum Umrechnen fehlt: " + f.grund;
            },
            [](const Kursfehler::Quellenfehler& f) -> std::string {
                if (f.status == 429) {
                    return "Zu viele Anfragen an die Quelle. In ein paar Minuten erneut versuchen.";
                }
                return "Die Quelle meldete einen Fehler (HTTP " + std::to_string(f.status) +
                       "). Später erneut versuchen.";
            },
            [](const Kursfehler::Netzwerk& f) { return "Die Quelle war nicht erreichbar: " + f.grund; },
            [](const Kursfehler::OhneAbruf&) -> std::string {
                return "Für diese Position holt die App keine Kurse. Trage den Kurs von Hand ein.";
            },
        },
        fall);
}

} // namespace

Kursfehler::Kursfehler(Fall fall) : fall_(std::move(fall)), meldung_(meldungFuer(fall_)) {}

} // namespace qb
