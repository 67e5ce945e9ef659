#pragma once

// Crash tests the way SQLite tests itself: an operation runs in a child process in which every
// file-writing system call under one folder is counted (creating, writing, truncating, syncing,
// renaming and removing a file, creating a folder), and the n-th one stops it. The calls are
// caught by definitions of the libc functions in this test program, so SQLite's own writes and
// the store's backup copies are counted alike; outside the folder, and outside a run, they pass
// through unchanged. With QB_ABSTURZ_SPUR set, every counted call is listed on stderr with its
// number, which is what a failing point needs to be understood.

#include <filesystem>
#include <functional>
#include <string>

namespace qb::test {

class Absturzstelle {
public:
    enum class Art {
        abbruch,      // the process is killed: everything written so far stays
        stromausfall, // power cut: only what was synced stays, folder entries only when the folder was synced
        platteVoll,   // from the n-th call on, every call that needs room fails with ENOSPC, and
                      // the file system reports no free block
    };

    struct Lauf {
        bool erreicht = false;      // the n-th call came
        bool abgeschlossen = false; // the operation returned (not stopped)
        bool erfolgreich = false;   // ... and every step succeeded
        int schritte = 0;           // steps reported as done
        std::string fehler;         // message of the step that failed
    };

    // The steps of `ablauf` report each finished step through `schrittFertig`; it returns false
    // when a step failed (an exception counts as a failure too). Runs in a child process.
    using Ablauf = std::function<bool(const std::function<void()>& schrittFertig)>;
    // `davor` runs in the child at the n-th call, uncounted, before the stop: another program's
    // act at that moment, for a killed process.
    static Lauf fuehreAus(const std::filesystem::path& wurzel, Art art, long n, const Ablauf& ablauf,
                          const std::function<void()>& davor = {});
};

} // namespace qb::test
