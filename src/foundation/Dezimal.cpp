#include "foundation/Dezimal.h"

#include <algorithm>
#include <stdexcept>

namespace qb {

namespace {

bool nurZiffern(std::string_view s) {
    for (char c : s) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

mpz_class zehnHochGanz(unsigned long exponent) {
    mpz_class ergebnis;
    mpz_ui_pow_ui(ergebnis.get_mpz_t(), 10, exponent);
    return ergebnis;
}

// Integer division rounded as the mode says; q > 0.
mpz_class teileGerundet(const mpz_class& p, const mpz_class& q, Rundung modus) {
    mpz_class ergebnis;
    if (modus == Rundung::abwaerts) {
        mpz_fdiv_q(ergebnis.get_mpz_t(), p.get_mpz_t(), q.get_mpz_t());
        return ergebnis;
    }
    // Half away from zero: floor((2|p| + q) / 2q) with the sign of p.
    mpz_class betragP = abs(p);
    mpz_class zaehler = 2 * betragP + q;
    mpz_class nenner = 2 * q;
    mpz_fdiv_q(ergebnis.get_mpz_t(), zaehler.get_mpz_t(), nenner.get_mpz_t());
    return sgn(p) < 0 ? mpz_class(-ergebnis) : ergebnis;
}

// A denominator as 2^zweien · 5^fuenfen · rest. Both exponents are found in one step each
// (a bit scan and GMP's divide-and-conquer removal), not factor by factor: a value with n
// places has exponents of about n, and dividing n times would cost n² for every text.
struct Nennerzerlegung {
    unsigned long zweien = 0;
    unsigned long fuenfen = 0;
    bool nurZweienUndFuenfen = false;
};

Nennerzerlegung zerlege(const mpz_class& nenner) {
    Nennerzerlegung zerlegung;
    zerlegung.zweien = mpz_scan1(nenner.get_mpz_t(), 0);
    mpz_class rest;
    mpz_tdiv_q_2exp(rest.get_mpz_t(), nenner.get_mpz_t(), zerlegung.zweien);
    const mpz_class fuenf = 5;
    zerlegung.fuenfen = mpz_remove(rest.get_mpz_t(), rest.get_mpz_t(), fuenf.get_mpz_t());
    zerlegung.nurZweienUndFuenfen = rest == 1;
    return zerlegung;
}

} // namespace

Dezimal::Dezimal(long long wert) {
    // mpq_class has no long long constructor; where long is as wide, that one is exact.
    if constexpr (sizeof(long) >= sizeof(long long)) {
        wert_ = mpq_class(static_cast<long>(wert));
    } else {
        wert_ = mpq_class(std::to_string(wert), 10);
    }
}

Dezimal::Dezimal(mpq_class wert) : wert_(std::move(wert)) {
    wert_.canonicalize();
}

std::optional<Dezimal> Dezimal::lies(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    if (auto strich = text.find('/'); strich != std::string_view::npos) {
        std::string_view p = text.substr(0, strich);
        std::string_view q = text.substr(strich + 1);
        bool negativ = !p.empty() && p.front() == '-';
        std::string_view pZiffern = negativ ? p.substr(1) : p;
        if (pZiffern.empty() || q.empty() || !nurZiffern(pZiffern) || !nurZiffern(q)) {
            return std::nullopt;
        }
        mpz_class nenner(std::string(q), 10);
        if (nenner == 0) {
            return std::nullopt;
        }
        mpz_class zaehler(std::string(pZiffern), 10);
        if (negativ) {
            zaehler = -zaehler;
        }
        return Dezimal(mpq_class(zaehler, nenner));
    }

    std::size_t i = 0;
    bool negativ = false;
    if (text[i] == '+' || text[i] == '-') {
        negativ = text[i] == '-';
        ++i;
    }
    std::string ganz;
    std::string bruch;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        ganz += text[i++];
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            bruch += text[i++];
        }
    }
    if (ganz.empty() && bruch.empty()) {
        return std::nullopt;
    }
    long exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool expNegativ = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            expNegativ = text[i] == '-';
            ++i;
        }
        std::string_view expZiffern = text.substr(i);
        // Exponents beyond a few thousand are no amount anyone types; refuse them rather
        // than build giant integers.
        if (expZiffern.empty() || expZiffern.size() > 4 || !nurZiffern(expZiffern)) {
            return std::nullopt;
        }
        exponent = std::stol(std::string(expZiffern));
        if (expNegativ) {
            exponent = -exponent;
        }
        i = text.size();
    }
    if (i != text.size()) {
        return std::nullopt;
    }
    std::string ziffern = ganz + bruch;
    mpz_class zaehler(ziffern.empty() ? std::string("0") : ziffern, 10);
    if (negativ) {
        zaehler = -zaehler;
    }
    long skala = static_cast<long>(bruch.size()) - exponent;
    mpq_class wert;
    if (skala >= 0) {
        wert = mpq_class(zaehler, zehnHochGanz(static_cast<unsigned long>(skala)));
    } else {
        wert = mpq_class(zaehler * zehnHochGanz(static_cast<unsigned long>(-skala)));
    }
    return Dezimal(wert);
}

Dezimal Dezimal::aus(std::string_view text) {
    auto wert = lies(text);
    if (!wert) {
        throw std::invalid_argument("keine Dezimalzahl: " + std::string(text));
    }
    return *wert;
}

Dezimal Dezimal::zehnHoch(int exponent) {
    if (exponent >= 0) {
        return Dezimal(mpq_class(zehnHochGanz(static_cast<unsigned long>(exponent))));
    }
    return Dezimal(mpq_class(mpz_class(1), zehnHochGanz(static_cast<unsigned long>(-exponent))));
}

bool Dezimal::istEndlicherDezimalbruch() const {
    return zerlege(wert_.get_den()).nurZweienUndFuenfen;
}

std::string Dezimal::text() const {
    // A denominator 2^a · 5^b needs exactly max(a, b) places to become an integer; a
    // non-terminating value is written at 40 places.
    const mpz_class& nenner = wert_.get_den();
    Nennerzerlegung zerlegung = zerlege(nenner);
    unsigned long stellen =
        zerlegung.nurZweienUndFuenfen ? std::max(zerlegung.zweien, zerlegung.fuenfen) : 40UL;
    mpz_class skaliert;
    if (zerlegung.nurZweienUndFuenfen) {
        skaliert = wert_.get_num() * zehnHochGanz(stellen);
        mpz_divexact(skaliert.get_mpz_t(), skaliert.get_mpz_t(), nenner.get_mpz_t());
    } else {
        skaliert = teileGerundet(wert_.get_num() * zehnHochGanz(stellen), nenner, Rundung::normal);
    }
    bool negativ = sgn(skaliert) < 0;
    std::string ziffern = mpz_class(abs(skaliert)).get_str(10);
    if (stellen > 0) {
        if (ziffern.size() <= static_cast<std::size_t>(stellen)) {
            ziffern.insert(0, static_cast<std::size_t>(stellen) - ziffern.size() + 1, '0');
        }
        ziffern.insert(ziffern.size() - static_cast<std::size_t>(stellen), 1, '.');
        // A value rounded at 40 places may end in zeros; they say nothing.
        while (ziffern.back() == '0') {
            ziffern.pop_back();
        }
        if (ziffern.back() == '.') {
            ziffern.pop_back();
        }
    }
    if (negativ && ziffern != "0") {
        ziffern.insert(0, 1, '-');
    }
    return ziffern;
}

std::string Dezimal::speichertext() const {
    if (istEndlicherDezimalbruch()) {
        return text();
    }
    return wert_.get_num().get_str(10) + "/" + wert_.get_den().get_str(10);
}

Dezimal Dezimal::gerundet(int stellen, Rundung modus) const {
    if (stellen >= 0) {
        mpz_class potenz = zehnHochGanz(static_cast<unsigned long>(stellen));
        mpz_class ganz = teileGerundet(wert_.get_num() * potenz, wert_.get_den(), modus);
        return Dezimal(mpq_class(ganz, potenz));
    }
    mpz_class potenz = zehnHochGanz(static_cast<unsigned long>(-stellen));
    mpz_class ganz = teileGerundet(wert_.get_num(), wert_.get_den() * potenz, modus);
    return Dezimal(mpq_class(ganz * potenz));
}

Dezimal Dezimal::betrag() const {
    Dezimal ergebnis;
    mpq_abs(ergebnis.wert_.get_mpq_t(), wert_.get_mpq_t());
    return ergebnis;
}

std::optional<std::int64_t> Dezimal::alsGanzzahl() const {
    if (wert_.get_den() != 1) {
        return std::nullopt;
    }
    const mpz_class& z = wert_.get_num();
    std::string text = z.get_str(10);
    try {
        std::size_t gelesen = 0;
        long long wert = std::stoll(text, &gelesen);
        if (gelesen != text.size()) {
            return std::nullopt;
        }
        return static_cast<std::int64_t>(wert);
    } catch (const std::out_of_range&) {
        return std::nullopt;
    }
}

// GMP keeps the results of arithmetic on canonical values canonical, so these skip the
// extra gcd that the constructor spends on values built from numerator and denominator.
Dezimal operator+(const Dezimal& a, const Dezimal& b) {
    Dezimal ergebnis;
    mpq_add(ergebnis.wert_.get_mpq_t(), a.wert_.get_mpq_t(), b.wert_.get_mpq_t());
    return ergebnis;
}

Dezimal operator-(const Dezimal& a, const Dezimal& b) {
    Dezimal ergebnis;
    mpq_sub(ergebnis.wert_.get_mpq_t(), a.wert_.get_mpq_t(), b.wert_.get_mpq_t());
    return ergebnis;
}

Dezimal operator*(const Dezimal& a, const Dezimal& b) {
    Dezimal ergebnis;
    mpq_mul(ergebnis.wert_.get_mpq_t(), a.wert_.get_mpq_t(), b.wert_.get_mpq_t());
    return ergebnis;
}

Dezimal operator/(const Dezimal& a, const Dezimal& b) {
    if (b.istNull()) {
        throw std::domain_error("Division durch null");
    }
    Dezimal ergebnis;
    mpq_div(ergebnis.wert_.get_mpq_t(), a.wert_.get_mpq_t(), b.wert_.get_mpq_t());
    return ergebnis;
}

Dezimal Dezimal::operator-() const {
    Dezimal ergebnis;
    mpq_neg(ergebnis.wert_.get_mpq_t(), wert_.get_mpq_t());
    return ergebnis;
}

Dezimal& Dezimal::operator+=(const Dezimal& b) {
    wert_ += b.wert_;
    return *this;
}

Dezimal& Dezimal::operator-=(const Dezimal& b) {
    wert_ -= b.wert_;
    return *this;
}

std::strong_ordering operator<=>(const Dezimal& a, const Dezimal& b) {
    int c = cmp(a.wert_, b.wert_);
    if (c < 0) {
        return std::strong_ordering::less;
    }
    return c > 0 ? std::strong_ordering::greater : std::strong_ordering::equal;
}

} // namespace qb
