#pragma once

#include <filesystem>

namespace qb {

// The hold of one program on a store file, from before its first read to the end of the
// program: an exclusive flock on the lock file "<store>-sperre" beside it. Two programs on one
// store would hand out the same new ids and overwrite each other's records. The operating system
// drops the lock with the process, so a crash or a kill frees the store at once; the lock file
// stays and is taken again by the next start.
class Speichersperre {
public:
    static constexpr const char* endung = "-sperre";

    // Takes the hold on `datei` (a path without a symbolic link at its end), creating the lock
    // file when there is none. Throws Speicherfehler of the domain "Datei": EWOULDBLOCK when
    // another program holds the store, otherwise the lock file's error.
    explicit Speichersperre(std::filesystem::path datei);
    ~Speichersperre();
    Speichersperre(const Speichersperre&) = delete;
    Speichersperre& operator=(const Speichersperre&) = delete;

    // The store file that is held.
    const std::filesystem::path& datei() const { return datei_; }

private:
    std::filesystem::path datei_;
    int fd_ = -1;
};

} // namespace qb
