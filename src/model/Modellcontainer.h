#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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
    // What the user is told when the game opens (German); none when there is nothing. Told again
    // by every start until hinweisGesehen().
    const std::optional<std::string>& hinweis() const { return hinweis_; }
    // With the notes beside the store that ask for it.
    void setzeHinweis(std::optional<std::string> hinweis, std::vector<std::filesystem::path> notizen = {});
    // The user has closed the telling of the hint: the next start does not tell it again.
    void hinweisGesehen();

private:
    // Declared first, destroyed last: the context refers to the store.
    std::unique_ptr<Ablage> ablage_;
    std::unique_ptr<Modellkontext> kontext_;
    std::optional<std::string> hinweis_;
    std::vector<std::filesystem::path> notizen_;
};

} // namespace qb
