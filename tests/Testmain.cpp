// The main of every core test program. The zone is pinned before anything reads it (ICU reads
// TZ once), so that the tests pass whatever zone the machine runs in, also when a test
// program is started directly rather than through ctest.
#include <cstdlib>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::setenv("TZ", "Europe/Berlin", 1);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
