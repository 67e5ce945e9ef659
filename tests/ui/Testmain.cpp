// The main of every UI test program: GoogleTest inside a QApplication on the offscreen
// platform, German whatever the machine's locale, in a fixed time zone.
#include <cstdlib>

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("TZ", "Europe/Berlin", 1);
    ::setenv("LC_ALL", "de_DE.UTF-8", 1);
    QApplication anwendung(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
