#pragma once

#include <stdexcept>
#include <string>

namespace qb {

// A JSON value that does not have the form an answer type expects; its text says why.
class Dekodierfehler : public std::runtime_error {
public:
    explicit Dekodierfehler(const std::string& beschreibung) : std::runtime_error(beschreibung) {}
};

} // namespace qb
