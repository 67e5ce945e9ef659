#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace qb {

// A logger of one category: writes to syslog(3) under the bundle identifier, each line
// prefixed with its category ("[Speicher] …"). Safe to use from any thread.
class Protokoll {
public:
    enum class Stufe {
        standard, // LOG_NOTICE
        fehler,   // LOG_ERR
    };

    explicit Protokoll(std::string kategorie) : kategorie_(std::move(kategorie)) {}

    const std::string& kategorie() const { return kategorie_; }
    void standard(std::string_view text) const { schreibe(Stufe::standard, text); }
    void fehler(std::string_view text) const { schreibe(Stufe::fehler, text); }

    // While a sink is set, every line goes there instead of to syslog; an empty function
    // restores syslog. For tests, which check lines by text and order.
    using Senke = std::function<void(Stufe stufe, const std::string& kategorie, const std::string& text)>;
    static void setzeSenke(Senke senke);

private:
    void schreibe(Stufe stufe, std::string_view text) const;

    std::string kategorie_;
};

} // namespace qb
