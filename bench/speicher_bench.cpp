// Times the store on a two-year game: opening and loading, saving one change, reading every
// record back. Prints the median of several runs; targets: opening and loading under 20 ms,
// one save under 5 ms.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "model/Ablage.h"
#include "model/Bewertung.h"
#include "model/Datenschema.h"
#include "model/Modellcontainer.h"
#include "model/Modellkontext.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "model/Preisnotiz.h"
#include "foundation/Protokoll.h"
#include "model/Speichern.h"

using namespace qb;
using namespace std::chrono;

namespace {

constexpr int laeufe = 31;
constexpr int stichtage = 100;

struct Messung {
    double median;
    double kleinste;
    double groesste;
};

Messung miss(const std::function<void()>& vorher, const std::function<void()>& messen,
             const std::function<void()>& nachher) {
    std::vector<double> dauern;
    for (int i = 0; i < laeufe; ++i) {
        vorher();
        auto anfang = steady_clock::now();
        messen();
        auto ende = steady_clock::now();
        nachher();
        dauern.push_back(duration<double, std::milli>(ende - anfang).count());
    }
    std::sort(dauern.begin(), dauern.end());
    return {dauern[dauern.size() / 2], dauern.front(), dauern.back()};
}

void zeige(const std::string& was, const Messung& messung, const char* ziel) {
    // printf pads bytes, not characters; count the characters of the UTF-8 text instead.
    std::size_t zeichen = std::count_if(was.begin(), was.end(), [](char c) { return (c & 0xc0) != 0x80; });
    std::string zeile = was + std::string(zeichen < 36 ? 36 - zeichen : 1, ' ');
    std::printf("%sMedian %7.3f ms  (kleinste %.3f, größte %.3f, %d Läufe)  %s\n", zeile.c_str(),
                messung.median, messung.kleinste, messung.groesste, laeufe, ziel);
}

// One portfolio, a position per class, a reference date twice a week for two years with a note
// per position: 1 + 5 + 100 + 500 records.
void legeSpielAn(const std::filesystem::path& datei) {
    auto container = Datenschema::oeffneSpeicher(datei, jetzt());
    const Zeitpunkt start = Zeitpunkt(sys_days(2024y / March / 4));
    auto portfolio = std::make_shared<Portfolio>("Gruppe Nord", Dezimal(10000), start);
    container->kontext().fuegeEin(portfolio);
    std::vector<std::shared_ptr<Position>> positionen;
    for (Assetklasse klasse : alleAssetklassen) {
        auto position = std::make_shared<Position>(klasse);
        position->setzeName("Position " + std::string(rohwert(klasse)));
        position->setzeKennung("DE000" + std::to_string(positionen.size()) + "123456");
        position->setzeStueckzahl(17);
        position->setzeKaufkurs(
            Preisangabe::umgerechnet(Umrechnung{Dezimal::aus("123.45"), "USD", Dezimal::aus("1.0834")}));
        portfolio->fuegeHinzu(position);
        positionen.push_back(position);
    }
    std::mt19937 zufall(42);
    for (int tag = 0; tag < stichtage; ++tag) {
        auto bewertung = std::make_shared<Bewertung>(start + days(tag * 7 + (tag % 2) * 3) + hours(17), "");
        portfolio->fuegeHinzu(bewertung);
        for (const auto& position : positionen) {
            auto notiz =
                std::make_shared<Preisnotiz>(Dezimal(0), "Bloomberg", position->kennung(), Kursart::vonHand,
                                             bewertung->datum(), Preisherkunft::manuell, std::nullopt);
            bewertung->haengeAn(notiz, position);
            Dezimal preis = Dezimal(static_cast<long>(zufall() % 100000)) / Dezimal(100);
            if (tag % 3 == 0) {
                notiz->setzePreis(Preisangabe::umgerechnet(Umrechnung{preis, "GBP", Dezimal::aus("0.8512")}));
                notiz->setzeHandelsumfang(Handelsumfang{12, 3400, Dezimal::aus("98765.4")});
            } else {
                notiz->setzePreis(Preisangabe::euro(preis));
            }
        }
    }
    if (auto fehler = speichere(container->kontext())) {
        std::fprintf(stderr, "%s\n", fehler->c_str());
        std::exit(1);
    }
}

// Reads every field of every record, so that nothing is skipped.
std::size_t liesAlles(Modellkontext& kontext) {
    std::size_t summe = 0;
    for (const auto& portfolio : kontext.portfolios()) {
        summe += portfolio->gruppenname().size() + portfolio->startkapital().text().size();
        for (const auto& position : portfolio->positionen()) {
            summe += position->name().size() + position->kaufPreisangabe().inEuro().text().size() +
                     static_cast<std::size_t>(position->stueckzahl());
        }
        for (const auto& bewertung : portfolio->sortierteBewertungen()) {
            summe += static_cast<std::size_t>(bewertung->datum().time_since_epoch().count() & 0xff);
            for (const auto& notiz : bewertung->notizen()) {
                summe += notiz->preisangabe().inEuro().text().size() + notiz->quelle().size() +
                         (notiz->handelsumfang() ? 1 : 0) + (notiz->position() ? 1 : 0);
            }
        }
    }
    return summe;
}

} // namespace

int main() {
    // Logging would go to syslog on every opening; it is not what is measured here.
    Protokoll::setzeSenke([](Protokoll::Stufe, const std::string&, const std::string&) {});

    const auto ordner = std::filesystem::temp_directory_path() /
                        ("qb-speicher-bench-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(ordner);
    const auto datei = ordner / "Spielstand.sqlite";
    legeSpielAn(datei);
    std::printf("Spielstand: %s, %ju Bytes\n", datei.c_str(),
                static_cast<std::uintmax_t>(std::filesystem::file_size(datei)));

    std::unique_ptr<Modellcontainer> container;
    Messung oeffnen = miss([] {}, [&] { container = Datenschema::oeffneSpeicher(datei, jetzt()); },
                           [&] { container.reset(); });

    container = Datenschema::oeffneSpeicher(datei, jetzt());
    const auto portfolio = container->kontext().portfolios().front();
    if (portfolio->positionen().size() != 5 || portfolio->bewertungen().size() != stichtage ||
        portfolio->bewertungen().back()->notizen().size() != 5) {
        std::fprintf(stderr, "Der Spielstand ist nicht vollständig geladen.\n");
        return 1;
    }
    auto notiz = portfolio->bewertungen()[stichtage / 2]->notizen()[2];
    int wert = 0;
    Messung speichern =
        miss([&] { notiz->setzePreis(Preisangabe::euro(Dezimal(1000 + ++wert) / Dezimal(100))); },
             [&] {
                 if (auto fehler = speichere(container->kontext())) {
                     std::fprintf(stderr, "%s\n", fehler->c_str());
                     std::exit(1);
                 }
             },
             [] {});

    std::size_t summe = 0;
    Messung lesenKontext = miss([] {}, [&] { summe += liesAlles(container->kontext()); }, [] {});
    std::size_t zeilen = 0;
    Messung lesenAblage = miss([] {},
                               [&] {
                                   Bestand bestand = container->ablage().lade();
                                   zeilen = bestand.portfolios.size() + bestand.positionen.size() +
                                            bestand.bewertungen.size() + bestand.preisnotizen.size();
                               },
                               [] {});

    // A price with 200 000 places, written whole as exact decimal text: its cost must grow with
    // the number of places, not with its square. Measured last, so that it slows no reading above.
    const Dezimal langerPreis = Dezimal::aus("1." + std::string(199999, '7') + "3");
    Messung speichernLang =
        miss([&] { notiz->setzePreis(Preisangabe::euro(langerPreis + Dezimal(++wert))); },
             [&] {
                 if (auto fehler = speichere(container->kontext())) {
                     std::fprintf(stderr, "%s\n", fehler->c_str());
                     std::exit(1);
                 }
             },
             [] {});

    container.reset();

    zeige("Öffnen und Laden (606 Datensätze)", oeffnen, "Ziel < 20 ms");
    zeige("Eine Änderung speichern", speichern, "Ziel < 5 ms");
    zeige("Preis mit 200 000 Stellen speichern", speichernLang, "");
    zeige("Alle Datensätze lesen (Kontext)", lesenKontext, "");
    zeige("Alle Zeilen lesen (Ablage)", lesenAblage, "");
    std::printf("(%zu Zeilen, Prüfsumme %zu)\n", zeilen, summe);

    std::error_code fehler;
    std::filesystem::remove_all(ordner, fehler);
    bool erreicht = oeffnen.median < 20.0 && speichern.median < 5.0;
    std::printf("%s\n", erreicht ? "Ziele erreicht." : "Ziele verfehlt.");
    return 0;
}
