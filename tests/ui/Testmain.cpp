// The main of every UI test program: GoogleTest inside a QApplication on the offscreen
// platform, German whatever the machine's locale, in a fixed time zone.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("TZ", "Europe/Berlin", 1);
    ::setenv("LC_ALL", "de_DE.UTF-8", 1);
    // Outside a desktop session (a build machine, ssh) there is no runtime folder, and Qt would say so
    // in every test's output: such a run gets a private one, owner-only as Qt requires, while it runs.
    static std::string ordner = std::filesystem::temp_directory_path() / "quinzelbrockat-test-XXXXXX";
    if (const char* gesetzt = std::getenv("XDG_RUNTIME_DIR");
        (gesetzt == nullptr || *gesetzt == '\0') && ::mkdtemp(ordner.data()) != nullptr) {
        ::setenv("XDG_RUNTIME_DIR", ordner.c_str(), 1);
        std::atexit([] {
            std::error_code fehler;
            std::filesystem::remove_all(ordner, fehler);
        });
    }
    // The offscreen platform says of every window shown that it cannot do what a window manager does
    // (size hints, raising, grabbing the keyboard): the stand-in screen talking, not the code under test.
    static const QtMessageHandler qtsAusgabe =
        qInstallMessageHandler([](QtMsgType art, const QMessageLogContext& kontext, const QString& text) {
            if (art != QtWarningMsg || !text.startsWith(QLatin1String("This plugin does not support "))) {
                qtsAusgabe(art, kontext, text);
            }
        });
    QApplication anwendung(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
