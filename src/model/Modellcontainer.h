#pragma once

#include <memory>
#include <optional>
#include <string>

namespace qb {

class Ablage;
class Modellkontext;

// The opened store with its main context; lives from the start of the application to its end.
// GUI thread only.
class Modellcontainer {
public:
    // Loads every record of the store into the main context, then confirms a provisional
    // opening of the store. Throws Speicherfehler; a provisional store is then left unchanged.
    explicit Modellcontainer(std::unique_ptr<Ablage> ablage);
    ~Modellcontainer();
    Modellcontainer(const Modellcontainer&) = delete;
    Modellcontainer& operator=(const Modellcontainer&) = delete;

    Ablage& ablage() { return *ablage_; }
    Modellkontext& kontext() { return *kontext_; }
    // What the user is told once when the game opens (German); none when there is nothing.
    const std::optional<std::string>& hinweis() const { return hinweis_; }
    void setzeHinweis(std::optional<std::string> hinweis) { hinweis_ = std::move(hinweis); }

private:
    // Declared first, destroyed last: the context refers to the store.
    std::unique_ptr<Ablage> ablage_;
    std::unique_ptr<Modellkontext> kontext_;
    std::optional<std::string> hinweis_;
};

} // namespace qb
