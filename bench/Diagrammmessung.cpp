// The value chart: building its inputs, computing its marks and painting it, per frame.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "Entwicklungsmessung.h"
#include "model/Portfolio.h"
#include "performance/Wertdiagramm.h"
#include "performance/Wertentwicklung.h"
#include "valuation/Portfoliostand.h"

namespace qbbench {

namespace {

using namespace qb;

// A curve that wanders around the starting capital and crosses it now and then, so that the
// areas are cut into many pieces.
std::vector<Kurvenpunkt> kurve(int anzahl, std::chrono::hours abstand) {
    const Zeitpunkt start = *Kalender::aktuell().zeitpunkt(Datumsteile{2025, 1, 2, 17, 0, 0});
    std::vector<Kurvenpunkt> punkte;
    long long cent = 1'000'000;
    unsigned zufall = 12345;
    for (int i = 0; i < anzahl; ++i) {
        zufall = zufall * 1'103'515'245U + 12'345U;
        cent += static_cast<long long>((zufall >> 16) % 40'001) - 20'000;
        punkte.push_back({i, start + abstand * i, Dezimal(cent) / Dezimal(100)});
    }
    return punkte;
}

void berichte(const char* name, const char* was, std::vector<double> dauern) {
    std::sort(dauern.begin(), dauern.end());
    std::printf(
        "Wertdiagramm, %s, %s: Median %.2f ms je Bild (schnellstes %.2f, langsamstes %.2f; %zu Bilder "
        "880 x 420)\n",
        name, was, dauern[dauern.size() / 2], dauern.front(), dauern.back(), dauern.size());
}

void miss(const char* name, const std::vector<Kurvenpunkt>& punkte, Wertentwicklung::Punktart art) {
    const auto portfolio = std::make_shared<Portfolio>("Messung", Dezimal(10'000), punkte.front().datum);
    const Portfoliostand stand(*portfolio, nullptr);
    QImage bild(880, 420, QImage::Format_ARGB32_Premultiplied);
    const QPalette palette = QApplication::palette();
    const QFont schrift = QApplication::font();
    constexpr int bilder = 200;

    // Everything anew, as for new inputs: the pointer rests over the middle, so the selection
    // and its card are painted too.
    const Zeitpunkt auswahl = punkte[punkte.size() / 2].datum;
    std::vector<double> ganz;
    ganz.reserve(bilder);
    for (int i = 0; i < bilder; ++i) {
        const auto anfang = std::chrono::steady_clock::now();
        const Wertentwicklung daten(punkte, Dezimal(10'000), stand, 0, std::nullopt, std::nullopt, art);
        bild.fill(palette.color(QPalette::Window));
        QPainter maler(&bild);
        Wertdiagramm::zeichne(maler, QRectF(bild.rect()), daten, auswahl, palette, schrift);
        maler.end();
        ganz.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - anfang).count());
    }
    berichte(name, "alles neu", std::move(ganz));

    // The pointer moving over the chart widget: one point further each frame, the rest as drawn.
    Wertdiagramm diagramm(
        Wertentwicklung(punkte, Dezimal(10'000), stand, 0, std::nullopt, std::nullopt, art));
    diagramm.resize(bild.size());
    diagramm.render(&bild);
    std::vector<double> bewegt;
    bewegt.reserve(bilder);
    for (int i = 0; i < bilder; ++i) {
        const auto anfang = std::chrono::steady_clock::now();
        diagramm.setzeAuswahl(punkte[static_cast<std::size_t>(i) % punkte.size()].datum);
        bild.fill(palette.color(QPalette::Window));
        diagramm.render(&bild);
        bewegt.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - anfang).count());
    }
    berichte(name, "Auswahl bewegt", std::move(bewegt));
}

} // namespace

void messeDiagramm() {
    miss("100 Stichtage", kurve(100, std::chrono::hours(24 * 7)), Wertentwicklung::Punktart::stichtag);
    miss("500 Handelstage", kurve(500, std::chrono::hours(24)), Wertentwicklung::Punktart::handelstag);
}

} // namespace qbbench
