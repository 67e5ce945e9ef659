// The performance tab: how fast the chart is computed and painted, and how long the daily
// history of a whole game takes to load. Runs without a display unless one is asked for.
#include <cstdlib>

#include <QApplication>

#include "Entwicklungsmessung.h"

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication anwendung(argc, argv);
    qbbench::messeDiagramm();
    qbbench::messeVerlauf();
    return 0;
}
