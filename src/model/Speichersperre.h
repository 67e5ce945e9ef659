#pragma once

#include <filesystem>
#include <optional>

namespace qb {

// The hold of one program on a store file, from before its first read to the end of the
// program: an exclusive flock on the folder that holds the store file. Two programs on one
// store would hand out the same new ids and overwrite each other's records. The operating system
// drops the lock with the process, so a crash or a kill frees the store at once. Nothing is
// created for it; a lock file "<store>-sperre" left by an earlier version stays as it is and is
// not needed.
class Speichersperre {
public:
    // Takes the hold on `datei` (a path without a symbolic link at its end) in its existing
    // folder, with read access alone. Refuses a store file with more than one name (a hard link).
    // Throws Speicherfehler of the domain "Datei": EWOULDBLOCK when another program holds the
    // store, EMLINK for a second name, otherwise the folder's error.
    explicit Speichersperre(std::filesystem::path datei);
    ~Speichersperre();
    Speichersperre(const Speichersperre&) = delete;
    Speichersperre& operator=(const Speichersperre&) = delete;

    // The store file that is held.
    const std::filesystem::path& datei() const { return datei_; }
    // Where the held folder lies now, which follows every rename of it; nothing when that cannot
    // be told or the folder was removed.
    std::optional<std::filesystem::path> ordnerJetzt() const;

private:
    std::filesystem::path datei_;
    int fd_ = -1;
};

} // namespace qb
