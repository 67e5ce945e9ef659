// The ids of a real store file: a store whose ids leave no room for a next one is refused, and
// every order that rests on ids reads the same before a save and after a reload.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <sqlite3.h>
#include <unistd.h>

#include "model/Bewertung.h"
#include "model/Datenschema.h"
#include "model/Modellcontainer.h"
#include "model/Modellkontext.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "model/Preisnotiz.h"
#include "foundation/Protokoll.h"
#include "model/Speicherfehler.h"
#include "model/Speichern.h"

using namespace qb;
using namespace std::chrono;

namespace {

namespace fs = std::filesystem;

const Zeitpunkt kaufdatum = Zeitpunkt(seconds(1741000000));

// A fresh folder under the system's temporary folder, removed with everything in it.
class Ordner {
public:
    Ordner() {
        static std::atomic<int> zaehler{0};
        pfad_ = fs::temp_directory_path() /
                ("qb-kennungen-" + std::to_string(::getpid()) + "-" + std::to_string(zaehler++) + "-" +
                 std::to_string(std::random_device{}()));
        fs::create_directories(pfad_);
    }
    ~Ordner() {
        std::error_code fehler;
        fs::remove_all(pfad_, fehler);
    }
    Ordner(const Ordner&) = delete;
    Ordner& operator=(const Ordner&) = delete;

    fs::path datei() const { return pfad_ / "Spielstand.sqlite"; }

private:
    fs::path pfad_;
};

// Raw SQL on the file, for rows the store itself would never write.
void fuehreAus(const fs::path& datei, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(datei.c_str(), &db), SQLITE_OK);
    char* fehler = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &fehler), SQLITE_OK)
        << (fehler != nullptr ? fehler : "") << "\n"
        << sql;
    sqlite3_free(fehler);
    sqlite3_close(db);
}

// Every row of the four tables, as text.
std::vector<std::string> zeilen(const fs::path& datei) {
    std::vector<std::string> ergebnis;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(datei.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << "nicht lesbar: " << datei;
        sqlite3_close(db);
        return ergebnis;
    }
    for (const char* tabelle : {"Portfolio", "Position", "Bewertung", "Preisnotiz"}) {
        std::string sql = std::string("SELECT * FROM ") + tabelle + " ORDER BY id";
        sqlite3_exec(
            db, sql.c_str(),
            [](void* ziel, int spalten, char** werte, char**) {
                std::string zeile;
                for (int i = 0; i < spalten; ++i) {
                    zeile += std::string(werte[i] != nullptr ? werte[i] : "NULL") + "|";
                }
                static_cast<std::vector<std::string>*>(ziel)->push_back(zeile);
                return 0;
            },
            &ergebnis, nullptr);
    }
    sqlite3_close(db);
    return ergebnis;
}

class KennungenImSpeicher : public ::testing::Test {
protected:
    void SetUp() override {
        Protokoll::setzeSenke([](Protokoll::Stufe, const std::string&, const std::string&) {});
    }
    void TearDown() override { Protokoll::setzeSenke({}); }

    static std::unique_ptr<Modellcontainer> oeffne(const fs::path& datei) {
        return Datenschema::oeffneSpeicher(datei, kaufdatum);
    }

    // A saved game with the ids 1 (portfolio), 2 (share), 3 (reference date) and 4 (its note).
    static void legeSpielAn(const fs::path& datei) {
        auto container = oeffne(datei);
        auto portfolio = std::make_shared<Portfolio>("Gruppe Süd", Dezimal(10000), kaufdatum);
        container->kontext().fuegeEin(portfolio);
        auto aktie = std::make_shared<Position>(Assetklasse::aktie);
        aktie->setzeName("Aktie A");
        portfolio->fuegeHinzu(aktie);
        auto stichtag = std::make_shared<Bewertung>(kaufdatum + hours(24), "erster");
        portfolio->fuegeHinzu(stichtag);
        stichtag->haengeAn(std::make_shared<Preisnotiz>(Dezimal(12), "Bloomberg", "", Kursart::vonHand,
                                                        kaufdatum, Preisherkunft::manuell, std::nullopt),
                           aktie);
        ASSERT_EQ(speichere(container->kontext()), std::nullopt);
    }
};

const std::string positionSql = "INSERT INTO Position (id, portfolio, assetklasse, name, kennung, quelle, "
                                "waehrung, stueckzahl, kaufpreis, "
                                "notierung, nennwert) VALUES (";
const std::string positionWerte = ", 1, 'rohstoff', 'Gold', '', '', 'EUR', 1, '1', 'stueckpreis', '100')";

TEST_F(KennungenImSpeicher, einSpielstandOhnePlatzFuerDieNaechsteIdWirdAbgewiesen) {
    struct Fall {
        std::string sql;
        std::string meldung;
    };
    const Fall faelle[] = {
        {positionSql + "9223372036854775807" + positionWerte,
         "Der Spielstand enthält einen ungültigen Wert: Position 9223372036854775807, Feld „id“"},
        {"INSERT INTO Portfolio VALUES (9223372036854775807, 'Zweite', '1', 0)",
         "Der Spielstand enthält einen ungültigen Wert: Portfolio 9223372036854775807, Feld „id“"},
        {"INSERT INTO Bewertung VALUES (0, 1, 0, '')",
         "Der Spielstand enthält einen ungültigen Wert: Bewertung 0, Feld „id“"},
        {"INSERT INTO Preisnotiz (id, position, bewertung, preis, waehrung, quelle, kennung, art, "
         "abgerufenAm, "
         "herkunft) VALUES (-3, 2, 3, '1', 'EUR', '', '', 'vonHand', 0, 'manuell')",
         "Der Spielstand enthält einen ungültigen Wert: Preisnotiz -3, Feld „id“"},
        // A count beyond the signed range is as unreadable as any other wrong value.
        {"UPDATE Preisnotiz SET handelsumfang = '{\"stueckumsatz\":18446744073709551615}'",
         "Der Spielstand enthält einen ungültigen Wert: Preisnotiz 4, Feld „handelsumfang“"},
    };
    for (const auto& fall : faelle) {
        Ordner ordner;
        legeSpielAn(ordner.datei());
        fuehreAus(ordner.datei(), fall.sql);
        const auto vorher = zeilen(ordner.datei());
        try {
            oeffne(ordner.datei());
            ADD_FAILURE() << "geöffnet: " << fall.sql;
        } catch (const Speicherfehler& fehler) {
            EXPECT_EQ(fehler.what(), fall.meldung);
            EXPECT_EQ(fehler.domaene(), "Datenschema");
            EXPECT_EQ(fehler.code(), Datenschema::ungueltigerWert);
        }
        EXPECT_EQ(zeilen(ordner.datei()), vorher) << fall.sql;
    }
}

TEST_F(KennungenImSpeicher, dieLetzteFreieIdWirdVergebenDanachNichtsMehr) {
    Ordner ordner;
    legeSpielAn(ordner.datei());
    fuehreAus(ordner.datei(), positionSql + "9223372036854775805" + positionWerte);
    const std::string keineMehr = "Der Spielstand hat keine freie Kennung für einen neuen Datensatz mehr.";
    {
        auto container = oeffne(ordner.datei());
        auto portfolio = container->kontext().portfolios().front();
        auto anleihe = std::make_shared<Position>(Assetklasse::anleihe);
        portfolio->fuegeHinzu(anleihe);
        EXPECT_EQ(anleihe->id(), INT64_MAX - 1);
        ASSERT_EQ(speichere(container->kontext()), std::nullopt);
    }

    auto container = oeffne(ordner.datei());
    Modellkontext& kontext = container->kontext();
    auto portfolio = kontext.portfolios().front();
    ASSERT_EQ(portfolio->positionen().size(), 3u);
    EXPECT_EQ(portfolio->positionen().back()->id(), INT64_MAX - 1);

    // Every way into the context is refused, and each refusal leaves everything as it was.
    auto co2 = std::make_shared<Position>(Assetklasse::co2Zertifikat);
    try {
        portfolio->fuegeHinzu(co2);
        ADD_FAILURE() << "eingefügt mit der Id " << co2->id();
    } catch (const Speicherfehler& fehler) {
        EXPECT_EQ(fehler.what(), keineMehr);
    }
    EXPECT_EQ(co2->kontext(), nullptr);
    EXPECT_EQ(co2->portfolio(), nullptr);
    EXPECT_EQ(portfolio->positionen().size(), 3u);

    auto stichtag = std::make_shared<Bewertung>(kaufdatum, "zweiter");
    EXPECT_THROW(kontext.fuegeEin(stichtag), Speicherfehler);
    EXPECT_EQ(stichtag->kontext(), nullptr);

    auto notiz = std::make_shared<Preisnotiz>(Dezimal(1), "", "", Kursart::vonHand, kaufdatum,
                                              Preisherkunft::manuell, std::nullopt);
    auto bestehender = portfolio->bewertungen().front();
    EXPECT_THROW(bestehender->haengeAn(notiz, portfolio->positionen().back()), Speicherfehler);
    EXPECT_EQ(notiz->position(), nullptr);
    EXPECT_EQ(notiz->kontext(), nullptr);
    EXPECT_TRUE(portfolio->positionen().back()->notizen().empty());

    EXPECT_FALSE(kontext.hatAenderungen());
    EXPECT_EQ(speichere(kontext), std::nullopt);
}

// --- Orders before a save and after a reload -------------------------------------------------

std::string verbinde(const std::vector<std::string>& teile) {
    std::string text;
    for (const auto& teil : teile) {
        text += (text.empty() ? "" : ", ") + teil;
    }
    return text;
}

template <typename Liste, typename Name> std::string namen(const Liste& liste, Name name) {
    std::vector<std::string> teile;
    for (const auto& eintrag : liste) {
        teile.push_back(name(*eintrag));
    }
    return verbinde(teile);
}

// Every order a game is read in: its lists, the first position of a class, the reference dates
// sorted with ties of equal dates, and the notes of each position and each reference date.
std::vector<std::string> reihenfolgen(const Portfolio& portfolio) {
    auto positionsname = [](const Position& p) { return p.name(); };
    auto stichtagsname = [](const Bewertung& b) { return b.notiz(); };
    auto notizname = [](const Preisnotiz& n) { return n.quelle(); };
    std::vector<std::string> z;
    z.push_back("positionen: " + namen(portfolio.positionen(), positionsname));
    for (Assetklasse klasse : alleAssetklassen) {
        if (auto position = portfolio.position(klasse)) {
            z.push_back("position(" + std::string(rohwert(klasse)) + "): " + position->name());
        }
    }
    z.push_back("bewertungen: " + namen(portfolio.bewertungen(), stichtagsname));
    z.push_back("sortiert: " + namen(portfolio.sortierteBewertungen(), stichtagsname));
    for (const auto& position : portfolio.positionen()) {
        z.push_back("notizen " + position->name() + ": " + namen(position->notizen(), notizname));
    }
    for (const auto& bewertung : portfolio.bewertungen()) {
        z.push_back("notizen " + bewertung->notiz() + ": " + namen(bewertung->notizen(), notizname));
    }
    return z;
}

// The records of one game, made outside any context. Two shares of one class, so that the
// first of them is the one `position(fuer:)` answers; two reference dates on the same day.
struct Spiel {
    std::shared_ptr<Portfolio> portfolio =
        std::make_shared<Portfolio>("Gruppe Ost", Dezimal(10000), kaufdatum);
    std::shared_ptr<Position> aktieA = position(Assetklasse::aktie, "Aktie A");
    std::shared_ptr<Position> aktieB = position(Assetklasse::aktie, "Aktie B");
    std::shared_ptr<Position> bund = position(Assetklasse::anleihe, "Bund");
    std::shared_ptr<Bewertung> erster = std::make_shared<Bewertung>(kaufdatum + hours(48), "erster");
    std::shared_ptr<Bewertung> zweiter = std::make_shared<Bewertung>(kaufdatum + hours(48), "zweiter");
    std::shared_ptr<Bewertung> dritter = std::make_shared<Bewertung>(kaufdatum + hours(24), "dritter");

    static std::shared_ptr<Position> position(Assetklasse klasse, const char* name) {
        auto p = std::make_shared<Position>(klasse);
        p->setzeName(name);
        return p;
    }
    static void notiz(const std::shared_ptr<Bewertung>& bewertung,
                      const std::shared_ptr<Position>& position) {
        auto n = std::make_shared<Preisnotiz>(Dezimal(1), position->name() + " am " + bewertung->notiz(), "",
                                              Kursart::vonHand, bewertung->datum(), Preisherkunft::manuell,
                                              std::nullopt);
        ASSERT_TRUE(bewertung->haengeAn(n, position));
    }
    void positionenAnhaengen() {
        portfolio->fuegeHinzu(aktieA);
        portfolio->fuegeHinzu(aktieB);
        portfolio->fuegeHinzu(bund);
    }
    void stichtageAnhaengen() {
        portfolio->fuegeHinzu(erster);
        portfolio->fuegeHinzu(zweiter);
        portfolio->fuegeHinzu(dritter);
    }
    // The second reference date takes its notes in the opposite order of the positions.
    void notizenAnhaengen(bool dritterZuerst = false) {
        if (dritterZuerst) {
            notiz(dritter, aktieB);
        }
        notiz(erster, aktieA);
        notiz(erster, aktieB);
        notiz(erster, bund);
        notiz(zweiter, bund);
        notiz(zweiter, aktieB);
        notiz(zweiter, aktieA);
        if (!dritterZuerst) {
            notiz(dritter, aktieB);
        }
    }
};

// The orders of a game built as the user built it, whatever the shape of the insertion.
const std::vector<std::string> gebauteReihenfolge = {
    "positionen: Aktie A, Aktie B, Bund",
    "position(aktie): Aktie A",
    "position(anleihe): Bund",
    "bewertungen: erster, zweiter, dritter",
    "sortiert: dritter, erster, zweiter",
    "notizen Aktie A: Aktie A am erster, Aktie A am zweiter",
    "notizen Aktie B: Aktie B am erster, Aktie B am zweiter, Aktie B am dritter",
    "notizen Bund: Bund am erster, Bund am zweiter",
    "notizen erster: Aktie A am erster, Aktie B am erster, Bund am erster",
    "notizen zweiter: Bund am zweiter, Aktie B am zweiter, Aktie A am zweiter",
    "notizen dritter: Aktie B am dritter",
};

struct Form {
    const char* name;
    // Builds a game into the context and returns its portfolio, unsaved.
    std::function<std::shared_ptr<Portfolio>(Modellkontext&)> baue;
    std::vector<std::string> erwartet;
};

TEST_F(KennungenImSpeicher, jedeReihenfolgeUeberstehtSpeichernUndNeuLaden) {
    const Form formen[] = {
        {"Portfolio zuerst, alles Weitere angehängt",
         [](Modellkontext& kontext) {
             Spiel spiel;
             kontext.fuegeEin(spiel.portfolio);
             spiel.positionenAnhaengen();
             spiel.stichtageAnhaengen();
             spiel.notizenAnhaengen();
             return spiel.portfolio;
         },
         gebauteReihenfolge},
        {"alles außerhalb gebaut, dann das Portfolio eingefügt",
         [](Modellkontext& kontext) {
             Spiel spiel;
             spiel.positionenAnhaengen();
             spiel.stichtageAnhaengen();
             spiel.notizenAnhaengen();
             EXPECT_EQ(reihenfolgen(*spiel.portfolio), gebauteReihenfolge) << "vor dem Einfügen";
             kontext.fuegeEin(spiel.portfolio);
             return spiel.portfolio;
         },
         gebauteReihenfolge},
        {"alles außerhalb gebaut, dann eine Notiz eingefügt",
         [](Modellkontext& kontext) {
             Spiel spiel;
             spiel.positionenAnhaengen();
             spiel.stichtageAnhaengen();
             spiel.notizenAnhaengen();
             kontext.fuegeEin(spiel.zweiter->notiz(*spiel.aktieA));
             EXPECT_EQ(spiel.bund->kontext(), &kontext);
             return spiel.portfolio;
         },
         gebauteReihenfolge},
        {"Positionen und Stichtage mit Notizen außerhalb gebaut, dann angehängt",
         [](Modellkontext& kontext) {
             Spiel spiel;
             kontext.fuegeEin(spiel.portfolio);
             spiel.notizenAnhaengen();
             spiel.positionenAnhaengen();
             spiel.stichtageAnhaengen();
             return spiel.portfolio;
         },
         gebauteReihenfolge},
        // Each reference date joins the context with its first note, the third first; it keeps
        // that place although it is attached to the portfolio last.
        {"Stichtage über ihre Notizen im Kontext, erst danach angehängt",
         [](Modellkontext& kontext) {
             Spiel spiel;
             kontext.fuegeEin(spiel.portfolio);
             spiel.positionenAnhaengen();
             spiel.notizenAnhaengen(true);
             spiel.stichtageAnhaengen();
             return spiel.portfolio;
         },
         {
             "positionen: Aktie A, Aktie B, Bund",
             "position(aktie): Aktie A",
             "position(anleihe): Bund",
             "bewertungen: dritter, erster, zweiter",
             "sortiert: dritter, erster, zweiter",
             "notizen Aktie A: Aktie A am erster, Aktie A am zweiter",
             "notizen Aktie B: Aktie B am dritter, Aktie B am erster, Aktie B am zweiter",
             "notizen Bund: Bund am erster, Bund am zweiter",
             "notizen dritter: Aktie B am dritter",
             "notizen erster: Aktie A am erster, Aktie B am erster, Bund am erster",
             "notizen zweiter: Bund am zweiter, Aktie B am zweiter, Aktie A am zweiter",
         }},
        // Two notes of one position and one date, linked in opposite orders: no order of ids
        // can keep both lists, so both take the order of the ids, as a reload gives them.
        {"widersprüchliche Listen",
         [](Modellkontext& kontext) {
             Spiel spiel;
             spiel.portfolio->fuegeHinzu(spiel.aktieA);
             spiel.portfolio->fuegeHinzu(spiel.erster);
             auto eins = std::make_shared<Preisnotiz>(Dezimal(1), "eins", "", Kursart::vonHand, kaufdatum,
                                                      Preisherkunft::manuell, std::nullopt);
             auto zwei = std::make_shared<Preisnotiz>(Dezimal(2), "zwei", "", Kursart::vonHand, kaufdatum,
                                                      Preisherkunft::manuell, std::nullopt);
             eins->setzeBewertung(spiel.erster);
             zwei->setzeBewertung(spiel.erster);
             zwei->setzePosition(spiel.aktieA);
             eins->setzePosition(spiel.aktieA);
             kontext.fuegeEin(spiel.portfolio);
             return spiel.portfolio;
         },
         {
             "positionen: Aktie A",
             "position(aktie): Aktie A",
             "bewertungen: erster",
             "sortiert: erster",
             "notizen Aktie A: zwei, eins",
             "notizen erster: zwei, eins",
         }},
    };
    for (const auto& form : formen) {
        SCOPED_TRACE(form.name);
        Ordner ordner;
        {
            auto container = oeffne(ordner.datei());
            auto portfolio = form.baue(container->kontext());
            EXPECT_EQ(reihenfolgen(*portfolio), form.erwartet) << "vor dem Speichern";
            ASSERT_EQ(speichere(container->kontext()), std::nullopt);
            EXPECT_EQ(reihenfolgen(*portfolio), form.erwartet) << "nach dem Speichern";
        }
        auto container = oeffne(ordner.datei());
        auto portfolios = container->kontext().portfolios();
        ASSERT_EQ(portfolios.size(), 1u);
        EXPECT_EQ(reihenfolgen(*portfolios.front()), form.erwartet) << "nach dem Neuladen";
    }
}

} // namespace
