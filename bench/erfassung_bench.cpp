// The capture sheet of a reference date against a local HTTPS server that answers every request
// after 200 ms: from opening the sheet until every comparison line shows its answer, for five
// positions and for one. The rows fetch side by side, so five should take about as long as one.
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include "LangsamerServer.h"
#include "ui/Modellbeobachter.h"
#include "foundation/Kalender.h"
#include "model/Ablage.h"
#include "model/Modellcontainer.h"
#include "model/Modellkontext.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "model/Speichern.h"
#include "reference-dates/StichtagErfassenDialog.h"
#include "reference-dates/StichtagskursFelder.h"
#include "sources/Testserver.h"
#include "model/Preisangabe.h"

namespace {

using namespace std::chrono;
using qb::Assetklasse;

// A game in memory with the first `anzahl` positions, each complete.
struct Spiel {
    explicit Spiel(std::size_t anzahl)
        : container(qb::Ablage::imArbeitsspeicher()),
          portfolio(std::make_shared<qb::Portfolio>("Gruppe", qb::Dezimal(100000), qb::jetzt())) {
        container.kontext().fuegeEin(portfolio);
        for (std::size_t i = 0; i < anzahl; ++i) {
            auto position = std::make_shared<qb::Position>(qbbench::fuenfPapiere[i].klasse);
            position->setzeName("Posten");
            position->setzeKennung(qbbench::fuenfPapiere[i].kennung);
            position->setzeStueckzahl(10);
            position->setzeKaufkurs(qb::Preisangabe::euro(qb::Dezimal(100)));
            portfolio->fuegeHinzu(position);
        }
        if (qb::speichere(container.kontext())) {
            std::fprintf(stderr, "Das Spiel ließ sich nicht anlegen.\n");
            std::exit(1);
        }
    }

    qb::Modellcontainer container;
    std::shared_ptr<qb::Portfolio> portfolio;
};

bool alleBeantwortet(const qb::StichtagErfassenDialog& blatt) {
    const auto zeilen = blatt.findChildren<qb::StichtagskursFelder*>();
    return !zeilen.empty() && std::ranges::none_of(zeilen, [](const qb::StichtagskursFelder* zeile) {
        return zeile->findChild<QWidget*>(QStringLiteral("wirdGeholt"))->isVisible();
    });
}

// Seconds from opening the sheet until every comparison line shows its answer; with fresh
// sources, as every opened sheet has them.
double einLauf(Spiel& spiel, const qbtest::Testserver& server) {
    qb::Modellbeobachter beobachter(spiel.container.kontext());
    const auto adressen = qbbench::adressenVon(server);
    const auto anfang = steady_clock::now();
    qb::StichtagErfassenDialog blatt(spiel.portfolio, beobachter, qb::Kursdienst::standard(adressen), std::nullopt);
    blatt.open();
    QEventLoop schleife;
    QTimer pruefen;
    QObject::connect(&pruefen, &QTimer::timeout, &schleife, [&] {
        if (alleBeantwortet(blatt)) {
            schleife.quit();
        }
    });
    QTimer::singleShot(30000, &schleife, [&] {
        std::fprintf(stderr, "Nach 30 s fehlen noch Antworten.\n");
        std::exit(1);
    });
    pruefen.start(1);
    schleife.exec();
    const double sekunden = duration<double>(steady_clock::now() - anfang).count();
    blatt.done(0);
    return sekunden;
}

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication anwendung(argc, argv);

    qbtest::Testserver server;
    qbbench::antworteLangsam(server);

    Spiel fuenf(5);
    Spiel eine(1);
    constexpr int runden = 9;
    std::vector<double> mitFuenf;
    std::vector<double> mitEiner;
    einLauf(eine, server); // warms the pool and the first TLS set-up
    for (int r = 0; r < runden; ++r) {
        mitEiner.push_back(einLauf(eine, server));
        mitFuenf.push_back(einLauf(fuenf, server));
    }
    const double m1 = qbbench::median(mitEiner);
    const double m5 = qbbench::median(mitFuenf);
    std::printf("Erfassungsblatt, Antwort je Anfrage nach 200 ms, Median aus %d Läufen\n", runden);
    std::printf("  eine Position:    %7.1f ms\n", m1 * 1000);
    std::printf("  fünf Positionen:  %7.1f ms\n", m5 * 1000);
    std::printf("  Verhältnis fünf / eine: %.2f (Ziel: höchstens 1,20)\n", m5 / m1);
    return 0;
}
