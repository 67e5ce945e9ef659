#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/stat.h>

#include "app/Signalwache.h"
#include "model/Datenschema.h"
#include "model/SpeicherHilfe.h"
#include "ui/Fensterhilfe.h"

using namespace qb;

namespace {

namespace fs = std::filesystem;

// Gives a signal one action for a scope, whatever the test program was started with (a
// background job ignores SIGINT, nohup SIGHUP), and puts back the one from before.
class Signalaktion {
public:
    Signalaktion(int signal, void (*aktion)(int)) : signal_(signal) {
        struct sigaction neu {};
        neu.sa_handler = aktion;
        ::sigaction(signal, &neu, &vorher_);
    }
    ~Signalaktion() { ::sigaction(signal_, &vorher_, nullptr); }
    Signalaktion(const Signalaktion&) = delete;
    Signalaktion& operator=(const Signalaktion&) = delete;

private:
    int signal_;
    struct sigaction vorher_ {};
};

void (*aktionVon(int signal))(int) {
    struct sigaction aktion {};
    ::sigaction(signal, nullptr, &aktion);
    return aktion.sa_handler;
}

// Ends a loop that does not end by itself with 99, so that the test fails instead of hanging. It
// stops with its scope: it never ends a later test's loop.
class Notbremse {
public:
    Notbremse() {
        wecker_.setSingleShot(true);
        QObject::connect(&wecker_, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        wecker_.start(30000);
    }

private:
    QTimer wecker_;
};

// Asked to close, it stays and asks first, as one with typed prices does.
class Blatt : public QDialog {
public:
    using QDialog::QDialog;
    void reject() override {
        auto* frage = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Verwerfen?"), QString(),
                                      QMessageBox::Discard | QMessageBox::Cancel, this);
        frage->setWindowModality(Qt::WindowModal);
        frage->open();
    }
};

// Each signal closes the window and ends the loop, one raised before there is a window too, and a
// sheet that refuses to close does not keep the program running. One ignored at start stays ignored. The old actions come back afterwards.
TEST(SignalwacheTest, einSignalSchliesstDasFensterWieSeinSchliessen) {
    struct Fall {
        int signal;
        void (*vorher)(int);
        bool vorDemFenster;
        bool mitBlatt;
    };
    for (const Fall fall : {Fall{SIGTERM, SIG_DFL, false, false}, Fall{SIGINT, SIG_DFL, false, false},
                            Fall{SIGHUP, SIG_DFL, false, false}, Fall{SIGTERM, SIG_DFL, true, false},
                            Fall{SIGTERM, SIG_DFL, false, true}, Fall{SIGHUP, SIG_IGN, false, false}}) {
        SCOPED_TRACE(std::string(::strsignal(fall.signal)) + (fall.vorher == SIG_IGN ? ", ignoriert" : "") +
                     (fall.vorDemFenster ? ", vor dem Fenster" : "") + (fall.mitBlatt ? ", mit Blatt" : ""));
        const Signalaktion aktion(fall.signal, fall.vorher);
        const bool schliesst = fall.vorher != SIG_IGN;
        QWidget fenster;
        {
            Signalwache wache;
            if (fall.vorDemFenster) {
                ASSERT_EQ(::raise(fall.signal), 0);
                QCoreApplication::processEvents();
            }
            wache.bewache(&fenster);
            fenster.show();
            if (fall.mitBlatt) {
                auto* blatt = new Blatt(&fenster);
                blatt->setWindowModality(Qt::WindowModal);
                blatt->open();
            }
            if (!fall.vorDemFenster) {
                ASSERT_EQ(::raise(fall.signal), 0);
                // The handler itself closes nothing.
                EXPECT_TRUE(fenster.isVisible());
            }
            if (schliesst) {
                const Notbremse bremse;
                EXPECT_EQ(QApplication::exec(), 0);
            } else {
                QCoreApplication::processEvents();
            }
            EXPECT_EQ(fenster.isVisible(), !schliesst);
        }
        EXPECT_EQ(aktionVon(fall.signal), fall.vorher);
    }
}

// A logout sends SIGTERM and SIGHUP at once, and a kill may come twice: the program still ends as
// its window's close does. Only Ctrl+C pressed again ends it at once.
TEST(SignalwacheTest, einZweitesSignalBeendetNurNachStrgCSofort) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct Fall {
        int erstes;
        int zweites;
        bool sofort;
    };
    for (const Fall fall : {Fall{SIGTERM, SIGHUP, false}, Fall{SIGHUP, SIGTERM, false},
                            Fall{SIGTERM, SIGTERM, false}, Fall{SIGINT, SIGINT, true}}) {
        SCOPED_TRACE(std::string(::strsignal(fall.erstes)) + ", dann " + ::strsignal(fall.zweites));
        const auto zweiSignale = [&fall] {
            const Signalaktion term(SIGTERM, SIG_DFL);
            const Signalaktion unterbrechung(SIGINT, SIG_DFL);
            const Signalaktion auflegen(SIGHUP, SIG_DFL);
            QWidget fenster;
            Signalwache wache;
            wache.bewache(&fenster);
            fenster.show();
            ::raise(fall.erstes);
            ::raise(fall.zweites);
            const Notbremse bremse;
            const int ende = QApplication::exec();
            std::_Exit(ende == 0 && !fenster.isVisible() ? 0 : 1);
        };
        if (fall.sofort) {
            EXPECT_EXIT(zweiSignale(), ::testing::KilledBySignal(fall.zweites), "");
        } else {
            EXPECT_EXIT(zweiSignale(), ::testing::ExitedWithCode(0), "");
        }
    }
}

// Whether the process `pid` holds the flock on `ordner` that the store takes before its first read.
bool haeltOrdner(qint64 pid, const fs::path& ordner) {
    struct stat angaben {};
    if (::stat(ordner.c_str(), &angaben) != 0) {
        return false;
    }
    const std::string knoten = ":" + std::to_string(angaben.st_ino);
    std::ifstream sperren("/proc/locks");
    std::string zeile;
    while (std::getline(sperren, zeile)) {
        std::istringstream felder(zeile);
        std::string nummer, art, beratend, zugriff, inhaber, datei;
        felder >> nummer >> art >> beratend >> zugriff >> inhaber >> datei;
        if (art == "FLOCK" && inhaber == std::to_string(pid) && datei.ends_with(knoten)) {
            return true;
        }
    }
    return false;
}

TEST(SignalwacheTest, eineAbmeldungSchliesstDenSpielstandWieDasSchliessenDesFensters) {
    qbtest::Testordner ordner;
    const fs::path datei = ordner.pfad() / "quinzelbrockat" / "Spielstand.sqlite";
    const fs::path wal = datei.string() + "-wal";
    fs::create_directories(datei.parent_path());
    // An older game whose notes lie committed in the "-wal": the program migrates it there and
    // leaves the "-wal" to the checkpoint of its close.
    test::legeVersion1An(datei, true);
    ASSERT_GT(fs::file_size(wal), 0U);

    QProcess programm;
    QProcessEnvironment umgebung = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"XCTestConfigurationFilePath", "XCTestBundlePath", "XCTestSessionIdentifier"}) {
        umgebung.remove(QString::fromLatin1(name));
    }
    umgebung.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    umgebung.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(ordner.pfad().string()));
    programm.setProcessEnvironment(umgebung);
    // Caught whatever this test program was started with.
    programm.setChildProcessModifier([] {
        ::signal(SIGTERM, SIG_DFL);
        ::signal(SIGHUP, SIG_DFL);
    });
    programm.start(QStringLiteral(QB_PROGRAMM), {});
    ASSERT_TRUE(programm.waitForStarted(30000));
    // The signals are caught before the store is held: from here on one closes it, however far
    // the opening has come.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return haeltOrdner(programm.processId(), datei.parent_path()) ||
                   programm.state() == QProcess::NotRunning;
        },
        30000));
    ASSERT_EQ(programm.state(), QProcess::Running) << programm.readAllStandardError().toStdString();
    // As a logout sends them: SIGTERM and, at once behind it, SIGHUP.
    ASSERT_EQ(::kill(static_cast<pid_t>(programm.processId()), SIGTERM), 0);
    ASSERT_EQ(::kill(static_cast<pid_t>(programm.processId()), SIGHUP), 0);
    ASSERT_TRUE(programm.waitForFinished(30000));
    EXPECT_EQ(programm.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(programm.exitCode(), 0);

    EXPECT_TRUE(!fs::exists(wal) || fs::file_size(wal) == 0);
    // The main file by itself, whatever lies beside it.
    sqlite3* hauptdatei = nullptr;
    ASSERT_EQ(sqlite3_open_v2(("file:" + datei.string() + "?immutable=1").c_str(), &hauptdatei,
                              SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr),
              SQLITE_OK);
    {
        test::Verbindung lesen(hauptdatei);
        EXPECT_EQ(lesen.wert("SELECT wert FROM Metadaten WHERE schluessel = 'Schemaversion'"),
                  Datenschema::V2::version.text());
        EXPECT_EQ(lesen.spalte("SELECT id FROM Preisnotiz ORDER BY id"),
                  (std::vector<std::string>{"5", "6"}));
    }
    sqlite3_close_v2(hauptdatei);
}

} // namespace
