#pragma once

#include <memory>
#include <optional>
#include <string>

namespace qb {

class Modellkontext;
class Portfolio;

// Makes sure that the game's one portfolio exists: what the root view shows, and the creation
// on the very first start. The view asks for the state after every change of the records.
class Portfolioanlage {
public:
    enum class Zustand {
        vorbereitung,   // no portfolio yet, the creation pending or under way
        fehlgeschlagen, // the last creation could not be saved
        bereit,         // a portfolio exists
    };

    explicit Portfolioanlage(Modellkontext& kontext) : kontext_(kontext) {}

    Zustand zustand() const;
    // The portfolio the main window shows: of several, the one with the lowest id, so that the
    // choice never changes between starts. None while there is none.
    std::shared_ptr<Portfolio> portfolio() const;
    // The message of the last creation whose save failed.
    const std::optional<std::string>& anlagefehler() const { return anlagefehler_; }

    // Creates and saves the portfolio (no name, 10000 EUR, entry now) unless a creation has
    // already started or a portfolio exists. A failed save is rolled back and kept as the
    // message.
    void legePortfolioAn();
    // After a failure: forgets the message and allows the next creation.
    void erneutVersuchen();

private:
    Modellkontext& kontext_;
    bool legtAn_ = false;
    std::optional<std::string> anlagefehler_;
};

} // namespace qb
