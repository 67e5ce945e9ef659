// Times the start of the application: from the moment the process is started to the first
// painted frame of its window, with a two-year game on disk (1 portfolio, 5 positions, 100
// reference dates, 500 price notes), and the peak resident memory of the process. The process
// ends right after its first frame, but the event-loop turn that reports the frame also runs
// what was queued behind it (the pages the window builds after its first frame), so the peak
// covers those too. The same two figures for a bare Qt window of the same size with a four-tab
// toolbar and nothing else, started as this program with "--boden", are the floor. Prints the
// medians of several alternating runs; targets: at most twice the floor's time and under 50 MB.
//
// Needs a display; without one the windows are drawn offscreen. Under Xvfb give it a screen of a
// usual size (xvfb-run -a -s "-screen 0 1920x1080x24"): the application fits its window to a
// smaller screen, and a smaller window is no fair comparison, so the program stops when the two
// windows' sizes differ. The application reports its first frame because the environment holds
// QB_STARTMESSUNG.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWidget>

#include "Beispielspiel.h"
#include "app/Erstesbild.h"
#include "foundation/Protokoll.h"
#include "model/Datenschema.h"
#include "model/Modellcontainer.h"

extern char** environ;

using namespace qb;
using namespace std::chrono;

namespace {

constexpr int laeufe = 15;

// The floor: what any Qt program of this shape costs to start.
int boden(int argc, char** argv) {
    QApplication anwendung(argc, argv);
    QWidget fenster;
    fenster.setWindowTitle(QStringLiteral("Quinzelbrockat"));
    fenster.resize(920, 560);
    auto* spalte = new QVBoxLayout(&fenster);
    spalte->setContentsMargins(0, 0, 0, 0);
    auto* leiste = new QToolBar(&fenster);
    auto* zeile = new QWidget(leiste);
    auto* reihe = new QHBoxLayout(zeile);
    auto* gruppe = new QButtonGroup(&fenster);
    reihe->addStretch();
    for (const char* titel : {"Portfolio", "Stichtage", "Entwicklung", "Einstellungen"}) {
        auto* knopf = new QPushButton(QString::fromUtf8(titel), zeile);
        knopf->setCheckable(true);
        gruppe->addButton(knopf);
        reihe->addWidget(knopf);
    }
    gruppe->buttons().first()->setChecked(true);
    reihe->addStretch();
    leiste->addWidget(zeile);
    spalte->addWidget(leiste);
    spalte->addStretch();
    meldeErstesBild(fenster, [] { return std::string("boden"); });
    fenster.show();
    return QApplication::exec();
}

long long monoton() {
    timespec jetzt{};
    clock_gettime(CLOCK_MONOTONIC, &jetzt);
    return static_cast<long long>(jetzt.tv_sec) * 1000000000LL + jetzt.tv_nsec;
}

struct Lauf {
    double millisekunden;
    double megabyte;
    std::string inhalt;  // what the window showed in its first frame
    std::string groesse; // the window's size then, "920x560"
};

// Starts the program, reads the moment of its first frame from its standard output and waits
// for its end.
Lauf starte(const std::vector<std::string>& argumente, const std::vector<std::string>& umgebung) {
    int rohr[2];
    if (pipe(rohr) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    posix_spawn_file_actions_t aktionen;
    posix_spawn_file_actions_init(&aktionen);
    posix_spawn_file_actions_adddup2(&aktionen, rohr[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&aktionen, rohr[0]);
    std::vector<char*> argv;
    for (const auto& a : argumente) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& e : umgebung) {
        envp.push_back(const_cast<char*>(e.c_str()));
    }
    envp.push_back(nullptr);

    pid_t kind = 0;
    const long long anfang = monoton();
    if (posix_spawn(&kind, argv[0], &aktionen, nullptr, argv.data(), envp.data()) != 0) {
        std::fprintf(stderr, "Kann %s nicht starten: %s\n", argv[0], std::strerror(errno));
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&aktionen);
    close(rohr[1]);
    std::string ausgabe;
    char puffer[256];
    ssize_t n = 0;
    while ((n = read(rohr[0], puffer, sizeof puffer)) > 0 || (n < 0 && errno == EINTR)) {
        if (n > 0) {
            ausgabe.append(puffer, static_cast<std::size_t>(n));
        }
    }
    close(rohr[0]);
    int status = 0;
    rusage verbrauch{};
    wait4(kind, &status, 0, &verbrauch);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || ausgabe.empty()) {
        std::fprintf(stderr, "%s endete ohne Meldung des ersten Bildes (Status %d).\n", argv[0], status);
        std::exit(1);
    }
    // "<moment> <content> <width>x<height>"
    while (!ausgabe.empty() && (ausgabe.back() == '\n' || ausgabe.back() == '\r')) {
        ausgabe.pop_back();
    }
    const long long erstesBild = std::atoll(ausgabe.c_str());
    const std::size_t ersterLeer = ausgabe.find(' ');
    const std::size_t letzterLeer = ausgabe.rfind(' ');
    std::string inhalt, groesse;
    if (ersterLeer != std::string::npos && letzterLeer > ersterLeer) {
        inhalt = ausgabe.substr(ersterLeer + 1, letzterLeer - ersterLeer - 1);
        groesse = ausgabe.substr(letzterLeer + 1);
    }
    return {static_cast<double>(erstesBild - anfang) / 1e6, static_cast<double>(verbrauch.ru_maxrss) / 1024.0,
            inhalt, groesse};
}

double median(std::vector<double> werte) {
    std::sort(werte.begin(), werte.end());
    return werte[werte.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--boden") == 0) {
        return boden(argc, argv);
    }
    Protokoll::setzeSenke([](Protokoll::Stufe, const std::string&, const std::string&) {});

    // The game on disk, where the application looks for it.
    const auto ordner =
        std::filesystem::temp_directory_path() / ("qb-start-bench-" + std::to_string(std::random_device{}()));
    const auto datei = ordner / "quinzelbrockat" / "Spielstand.sqlite";
    {
        auto container = Datenschema::oeffneSpeicher(datei, jetzt());
        legeBeispielspielAn(container->kontext(), "Gruppe Nord", 100,
                            Zeitpunkt(sys_days(2024y / March / 4) + hours(9)), false);
    }

    std::vector<std::string> umgebung;
    bool anzeige = false;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string eintrag = *e;
        const std::string name = eintrag.substr(0, eintrag.find('='));
        if (name == "XDG_DATA_HOME" || name.rfind("XCTest", 0) == 0) {
            continue;
        }
        anzeige = anzeige || ((name == "DISPLAY" || name == "WAYLAND_DISPLAY" || name == "QT_QPA_PLATFORM") &&
                              eintrag.size() > name.size() + 1);
        umgebung.push_back(eintrag);
    }
    umgebung.push_back("XDG_DATA_HOME=" + ordner.string());
    umgebung.push_back("QB_STARTMESSUNG=1");
    if (!anzeige) {
        umgebung.push_back("QT_QPA_PLATFORM=offscreen");
    }
    const char* plattform = std::getenv("QT_QPA_PLATFORM");
    std::printf("Plattform: %s; Spielstand: %s (%ju Bytes); %d Läufe je Programm, abwechselnd\n",
                anzeige ? (plattform != nullptr && *plattform != '\0' ? plattform
                                                                      : "Anzeige aus DISPLAY/WAYLAND_DISPLAY")
                        : "offscreen (keine Anzeige gefunden)",
                datei.c_str(), static_cast<std::uintmax_t>(std::filesystem::file_size(datei)), laeufe);

    // The game goes with the measurement, also when it stops early.
    struct Aufraeumen {
        std::filesystem::path ordner;
        ~Aufraeumen() {
            std::error_code egal;
            std::filesystem::remove_all(ordner, egal);
        }
    } aufraeumen{ordner};

    const std::string selbst = std::filesystem::read_symlink("/proc/self/exe").string();
    std::vector<double> appZeit, appSpeicher, bodenZeit, bodenSpeicher;
    std::string groesse;
    // One run of each first, unmeasured, so that both start with warm file caches.
    starte({QB_PROGRAMM}, umgebung);
    starte({selbst, "--boden"}, umgebung);
    for (int i = 0; i < laeufe; ++i) {
        const Lauf app = starte({QB_PROGRAMM}, umgebung);
        const Lauf grund = starte({selbst, "--boden"}, umgebung);
        // Timing the storage-error view instead of the game would tell nothing.
        if (app.inhalt != "hauptfenster") {
            std::fprintf(stderr, "Das erste Bild zeigte nicht das Hauptfenster des Spiels, sondern: %s\n",
                         app.inhalt.c_str());
            return 1;
        }
        // A window shrunk to a small screen paints less than the floor's and tells nothing either.
        if (app.groesse != grund.groesse) {
            std::fprintf(stderr,
                         "Die Fenster sind verschieden groß (Quinzelbrockat %s, Boden %s): Der Bildschirm ist zu "
                         "klein für das Fenster der Anwendung. Unter Xvfb einen größeren Bildschirm angeben, "
                         "z. B. xvfb-run -a -s \"-screen 0 1920x1080x24\".\n",
                         app.groesse.c_str(), grund.groesse.c_str());
            return 1;
        }
        groesse = app.groesse;
        appZeit.push_back(app.millisekunden);
        appSpeicher.push_back(app.megabyte);
        bodenZeit.push_back(grund.millisekunden);
        bodenSpeicher.push_back(grund.megabyte);
    }

    const double zeit = median(appZeit), zeitBoden = median(bodenZeit);
    const double speicher = median(appSpeicher), speicherBoden = median(bodenSpeicher);
    std::printf(
        "Quinzelbrockat, Spiel über zwei Jahre:  erstes Bild nach %7.1f ms (Median), Spitzen-RSS %6.1f MB\n",
        zeit, speicher);
    std::printf(
        "Boden, leeres Fenster mit vier Reitern: erstes Bild nach %7.1f ms (Median), Spitzen-RSS %6.1f MB\n",
        zeitBoden, speicherBoden);
    std::printf("Beide Fenster %s Pixel groß\n", groesse.c_str());
    std::printf("Verhältnis der Zeiten %.2f (Ziel ≤ 2), Speicher %s 50 MB (Ziel < 50 MB)\n", zeit / zeitBoden,
                speicher < 50 ? "unter" : "über");
    return 0;
}
