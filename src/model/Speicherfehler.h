#pragma once

#include <stdexcept>
#include <string>

namespace qb {

// A failure of the store or of a file operation around it. `domaene` and `code` identify the
// underlying error for the log ("SQLite" with SQLite's extended result code, "Datei" with errno);
// what() is the German description the user sees.
class Speicherfehler : public std::runtime_error {
public:
    Speicherfehler(std::string domaene, long code, const std::string& beschreibung, bool platteVoll = false)
        : std::runtime_error(beschreibung), domaene_(std::move(domaene)), code_(code),
          platteVoll_(platteVoll) {}

    const std::string& domaene() const { return domaene_; }
    long code() const { return code_; }
    // The cause is a full disk, whatever code reported it.
    bool platteVoll() const { return platteVoll_; }

private:
    std::string domaene_;
    long code_;
    bool platteVoll_;
};

} // namespace qb
