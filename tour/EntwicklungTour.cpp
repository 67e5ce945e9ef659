#include "EntwicklungTour.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <thread>

#include <QAbstractButton>
#include <QTest>

#include "Beispielspiel.h"
#include "ui/Modellbeobachter.h"
#include "model/Ablage.h"
#include "model/Kursfehler.h"
#include "model/Modellcontainer.h"
#include "model/Modellkontext.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "performance/EntwicklungAnsicht.h"
#include "sources/Kursdienst.h"

namespace qb {

namespace {

enum class Verhalten { liefert, scheitert, wartet };

// Daily closes that wander around each position's buy price, invented here for the pictures.
class Tourquelle : public Kursquelle, public Umrechnungsquelle {
public:
    Tourquelle(Verhalten verhalten, std::map<std::string, double> kaufpreise)
        : verhalten_(verhalten), kaufpreise_(std::move(kaufpreise)) {}

    const std::string& bezeichnung() const override { return name_; }
    std::string_view kennungshinweis() const override { return {}; }
    Kennungsurteil pruefe(std::string_view kennung) const override {
        return kennung.empty() ? Kennungsurteil::nichtErkannt : Kennungsurteil::verwendbar;
    }
    Kursnotierung aktuellerKurs(std::string_view, std::stop_token) const override { throw Kursfehler::ohneAbruf(); }
    Kursnotierung kurs(std::string_view, Zeitpunkt, std::stop_token) const override { throw Kursfehler::ohneAbruf(); }

    Kursreihe kursreihe(std::string_view kennung, Zeitpunkt von, Zeitpunkt bis, std::stop_token stop) const override {
        if (verhalten_ == Verhalten::wartet) {
            while (!stop.stop_requested()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            throw Abgebrochen();
        }
        if (verhalten_ == Verhalten::scheitert) {
            throw Kursfehler::netzwerk("Zeitüberschreitung der Anfrage");
        }
        const auto gefunden = kaufpreise_.find(std::string(kennung));
        const double basis = gefunden != kaufpreise_.end() ? gefunden->second : 100.0;
        Kursreihe reihe{{}, "EUR", "Börse Frankfurt (XETR, Kurshistorie)"};
        const Kalender kalender = Kalender::aktuell();
        unsigned zufall = static_cast<unsigned>(std::hash<std::string_view>()(kennung));
        double faktor = 1.0;
        for (Zeitpunkt tag = kalender.tagesbeginn(von); tag <= bis;) {
            const auto wochentag = std::chrono::weekday(std::chrono::floor<std::chrono::days>(tag + std::chrono::hours(12)));
            if (wochentag != std::chrono::Saturday && wochentag != std::chrono::Sunday) {
                zufall = zufall * 1103515245U + 12345U;
                faktor *= 1.0 + (static_cast<double>((zufall >> 16) % 1000) - 470.0) / 40000.0;
                const long long cent = std::llround(basis * faktor * 100);
                reihe.punkte.push_back(Kurspunkt{tag + std::chrono::hours(17), Dezimal(cent) / Dezimal(100), std::nullopt});
            }
            const auto morgen = kalender.plusTage(tag, 1);
            if (!morgen) {
                break;
            }
            tag = *morgen;
        }
        return reihe;
    }

    Dezimal umrechnungskurs(std::string_view, std::optional<Zeitpunkt>, std::stop_token) const override {
        return Dezimal::aus("1.08");
    }
    std::vector<Kurspunkt> umrechnungsreihe(std::string_view, Zeitpunkt von, Zeitpunkt, std::stop_token) const override {
        return {Kurspunkt{von, Dezimal::aus("1.08"), std::nullopt}};
    }

private:
    std::string name_ = "Tour";
    Verhalten verhalten_;
    std::map<std::string, double> kaufpreise_;
};

EntwicklungAnsicht::Dienstquelle dienste(Verhalten verhalten, const Portfolio& portfolio) {
    std::map<std::string, double> kaufpreise;
    for (const auto& position : portfolio.positionen()) {
        kaufpreise[position->kennung()] = std::stod(position->kaufPreisangabe().inEuro().text());
    }
    auto quelle = std::make_shared<const Tourquelle>(verhalten, std::move(kaufpreise));
    return [quelle] { return Kursdienst(quelle, quelle, quelle); };
}

void klicke(QWidget& ansicht, const char* name) {
    auto* knopf = ansicht.findChild<QAbstractButton*>(QString::fromLatin1(name));
    if (knopf == nullptr) {
        std::fprintf(stderr, "Der Knopf %s fehlt.\n", name);
        std::exit(1);
    }
    knopf->click();
}

// The tab alone at the size of the window's page.
std::unique_ptr<EntwicklungAnsicht> zeigeTab(const std::shared_ptr<Portfolio>& portfolio, Modellbeobachter& beobachter,
                                             Verhalten verhalten) {
    auto ansicht = std::make_unique<EntwicklungAnsicht>(portfolio, beobachter, dienste(verhalten, *portfolio));
    ansicht->resize(920, 560);
    ansicht->show();
    QTest::qWait(50);
    return ansicht;
}

void warteAufVerlauf(const EntwicklungAnsicht& ansicht) {
    if (!QTest::qWaitFor([&] { return !ansicht.ladung().laedt(); }, 10000)) {
        std::fprintf(stderr, "Der Tagesverlauf kam nicht.\n");
        std::exit(1);
    }
    QTest::qWait(50);
}

} // namespace

void tourDurchDieEntwicklung(const std::function<void(QWidget&, const QString&)>& sichere) {
    Modellcontainer container(Ablage::imArbeitsspeicher());
    Modellbeobachter beobachter(container.kontext());
    const Kalender kalender = Kalender::aktuell();
    const Zeitpunkt einstieg = *kalender.plusTage(kalender.tagesbeginn(jetzt()), -60) + std::chrono::minutes(570);
    auto portfolio = legeBeispielspielAn(container.kontext(), "Gruppe 7 – Nordlicht", 8, einstieg, true);

    {
        auto ansicht = zeigeTab(portfolio, beobachter, Verhalten::liefert);
        sichere(*ansicht, QStringLiteral("entwicklung-stichtage"));
        // The chart in focus, its selection moved by key to the point before the newest.
        ansicht->activateWindow();
        if (!QTest::qWaitForWindowActive(ansicht.get())) {
            std::fprintf(stderr, "Das Fenster wurde nicht aktiv.\n");
            std::exit(1);
        }
        auto* diagramm = ansicht->findChild<QWidget*>(QStringLiteral("wertdiagramm"));
        diagramm->setFocus(Qt::TabFocusReason);
        QTest::keyClick(diagramm, Qt::Key_End);
        QTest::keyClick(diagramm, Qt::Key_Left);
        sichere(*ansicht, QStringLiteral("entwicklung-stichtage-auswahl"));
        QTest::keyClick(diagramm, Qt::Key_Escape);
        klicke(*ansicht, "sicht-tagesverlauf");
        warteAufVerlauf(*ansicht);
        sichere(*ansicht, QStringLiteral("entwicklung-tagesverlauf-alles"));
        klicke(*ansicht, "zeitraum-einMonat");
        warteAufVerlauf(*ansicht);
        sichere(*ansicht, QStringLiteral("entwicklung-tagesverlauf-1-monat"));
        klicke(*ansicht, "zeitraum-dreiMonate");
        warteAufVerlauf(*ansicht);
        sichere(*ansicht, QStringLiteral("entwicklung-tagesverlauf-3-monate"));
    }
    {
        auto ansicht = zeigeTab(portfolio, beobachter, Verhalten::wartet);
        klicke(*ansicht, "sicht-tagesverlauf");
        QTest::qWait(100);
        sichere(*ansicht, QStringLiteral("entwicklung-tagesverlauf-laedt"));
    }
    {
        auto ansicht = zeigeTab(portfolio, beobachter, Verhalten::scheitert);
        klicke(*ansicht, "sicht-tagesverlauf");
        warteAufVerlauf(*ansicht);
        sichere(*ansicht, QStringLiteral("entwicklung-tagesverlauf-fehler"));
    }
    {
        Modellcontainer leer(Ablage::imArbeitsspeicher());
        Modellbeobachter leerBeobachter(leer.kontext());
        auto neu = std::make_shared<Portfolio>("Gruppe", Dezimal(100000), einstieg);
        leer.kontext().fuegeEin(neu);
        auto ansicht = zeigeTab(neu, leerBeobachter, Verhalten::liefert);
        sichere(*ansicht, QStringLiteral("entwicklung-leer-stichtage"));
        klicke(*ansicht, "sicht-tagesverlauf");
        QTest::qWait(50);
        sichere(*ansicht, QStringLiteral("entwicklung-leer-tagesverlauf"));
    }
}

} // namespace qb
