#pragma once

#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qbtest {

// Sets environment variables for one scope and afterwards puts back what was there before,
// an absent variable as absent. A null value removes the variable.
class Umgebung {
public:
    Umgebung(std::initializer_list<std::pair<const char*, const char*>> werte) {
        for (const auto& [name, wert] : werte) {
            const char* alt = std::getenv(name);
            alt_.emplace_back(name, alt != nullptr ? std::optional<std::string>(alt) : std::nullopt);
            setze(name, wert);
        }
    }
    ~Umgebung() {
        // Backwards, so that a name given twice ends with the value from before the first.
        for (auto it = alt_.rbegin(); it != alt_.rend(); ++it) {
            setze(it->first.c_str(), it->second ? it->second->c_str() : nullptr);
        }
    }
    Umgebung(const Umgebung&) = delete;
    Umgebung& operator=(const Umgebung&) = delete;

    // German in every locale category, whatever the machine's locale: for a test that compares
    // text formatted in the user's locale. LC_ALL overrides every other variable.
    static Umgebung deutsch() { return Umgebung({{"LC_ALL", "de_DE.UTF-8"}}); }

private:
    static void setze(const char* name, const char* wert) {
        if (wert == nullptr) {
            ::unsetenv(name);
        } else {
            ::setenv(name, wert, 1);
        }
    }

    std::vector<std::pair<std::string, std::optional<std::string>>> alt_;
};

} // namespace qbtest
