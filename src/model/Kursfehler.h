#pragma once

#include <exception>
#include <string>
#include <variant>

namespace qb {

// The error of every price source, thrown as an exception and shown as its German message.
class Kursfehler : public std::exception {
public:
    struct KennungUnbekannt {
        std::string kennung;
        friend bool operator==(const KennungUnbekannt&, const KennungUnbekannt&) = default;
    };
    struct AntwortUnlesbar {
        std::string grund;
        friend bool operator==(const AntwortUnlesbar&, const AntwortUnlesbar&) = default;
    };
    struct KeinKursEnthalten {
        std::string gegenstand;
        friend bool operator==(const KeinKursEnthalten&, const KeinKursEnthalten&) = default;
    };
    struct NichtGefunden {
        long long status = 0;
        friend bool operator==(const NichtGefunden&, const NichtGefunden&) = default;
    };
    struct KeineUmrechnung {
        std::string waehrung;
        std::string grund;
        friend bool operator==(const KeineUmrechnung&, const KeineUmrechnung&) = default;
    };
    struct Quellenfehler {
        long long status = 0;
        friend bool operator==(const Quellenfehler&, const Quellenfehler&) = default;
    };
    struct Netzwerk {
        std::string grund;
        friend bool operator==(const Netzwerk&, const Netzwerk&) = default;
    };
    struct OhneAbruf {
        friend bool operator==(const OhneAbruf&, const OhneAbruf&) = default;
    };
    using Fall = std::variant<KennungUnbekannt, AntwortUnlesbar, KeinKursEnthalten, NichtGefunden, KeineUmrechnung,
                              Quellenfehler, Netzwerk, OhneAbruf>;

    Kursfehler(Fall fall);

    static Kursfehler kennungUnbekannt(std::string kennung) { return Fall{KennungUnbekannt{std::move(kennung)}}; }
    static Kursfehler antwortUnlesbar(std::string grund) { return Fall{AntwortUnlesbar{std::move(grund)}}; }
    static Kursfehler keinKursEnthalten(std::string gegenstand) {
        return Fall{KeinKursEnthalten{std::move(gegenstand)}};
    }
    static Kursfehler nichtGefunden(long long status) { return Fall{NichtGefunden{status}}; }
    static Kursfehler keineUmrechnung(std::string waehrung, std::string grund) {
        return Fall{KeineUmrechnung{std::move(waehrung), std::move(grund)}};
    }
    static Kursfehler quellenfehler(long long status) { return Fall{Quellenfehler{status}}; }
    static Kursfehler netzwerk(std::string grund) { return Fall{Netzwerk{std::move(grund)}}; }
    static Kursfehler ohneAbruf() { return Fall{OhneAbruf{}}; }

    const Fall& fall() const { return fall_; }
    // The German sentence the user sees.
    const std::string& meldung() const { return meldung_; }
    const char* what() const noexcept override { return meldung_.c_str(); }

    friend bool operator==(const Kursfehler& a, const Kursfehler& b) { return a.fall_ == b.fall_; }

private:
    Fall fall_;
    std::string meldung_;
};

// A stopped operation. Every layer passes it on unchanged; it is never turned into text.
class Abgebrochen : public std::exception {
public:
    const char* what() const noexcept override { return "abgebrochen"; }
};

} // namespace qb
