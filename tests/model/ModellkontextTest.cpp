#include <gtest/gtest.h>

#include <sqlite3.h>

#include "model/Ablage.h"
#include "model/Bewertung.h"
#include "model/Modellkontext.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "model/Preisnotiz.h"
#include "model/Speichern.h"

using namespace qb;
using namespace std::chrono;

namespace {

const Zeitpunkt start = Zeitpunkt(seconds(1741000000));
const std::string praefix = "Die Änderung konnte nicht gespeichert werden: ";

void fuehreAus(Ablage& ablage, const std::string& sql) {
    char* fehler = nullptr;
    int rc = sqlite3_exec(static_cast<sqlite3*>(ablage.verbindung()), sql.c_str(), nullptr, nullptr, &fehler);
    ASSERT_EQ(rc, SQLITE_OK) << (fehler ? fehler : "");
    sqlite3_free(fehler);
}

std::shared_ptr<Preisnotiz> notiz(const char* preis) {
    return std::make_shared<Preisnotiz>(Dezimal::aus(preis), "Bloomberg", "K", Kursart::vonHand, start,
                                        Preisherkunft::manuell, std::nullopt);
}

// A saved game: one portfolio, two positions, one reference date with a note for each.
struct Spiel {
    std::unique_ptr<Ablage> ablage = Ablage::imArbeitsspeicher();
    std::unique_ptr<Modellkontext> kontext = std::make_unique<Modellkontext>(*ablage);
    std::shared_ptr<Portfolio> portfolio;
    std::shared_ptr<Position> aktie;
    std::shared_ptr<Position> anleihe;
    std::shared_ptr<Bewertung> stichtag;

    Spiel() {
        portfolio = std::make_shared<Portfolio>("Gruppe 7", Dezimal(10000), start);
        kontext->fuegeEin(portfolio);
        aktie = std::make_shared<Position>(Assetklasse::aktie);
        aktie->setzeName("SAP");
        portfolio->fuegeHinzu(aktie);
        anleihe = std::make_shared<Position>(Assetklasse::anleihe);
        portfolio->fuegeHinzu(anleihe);
        stichtag = std::make_shared<Bewertung>(start + hours(24), "");
        portfolio->fuegeHinzu(stichtag);
        stichtag->haengeAn(notiz("10"), aktie);
        stichtag->haengeAn(notiz("97.5"), anleihe);
        EXPECT_EQ(speichere(*kontext), std::nullopt);
    }

    // What another context reads from the store now.
    std::shared_ptr<Portfolio> gespeichert(std::unique_ptr<Modellkontext>& neuer) const {
        neuer = std::make_unique<Modellkontext>(*ablage);
        auto alle = neuer->portfolios();
        return alle.empty() ? nullptr : alle.front();
    }
};

} // namespace

TEST(Modellkontext, verknuepfteDatensaetzeKommenMitIns) {
    Spiel spiel;
    EXPECT_FALSE(spiel.kontext->hatAenderungen());
    EXPECT_GT(spiel.aktie->id(), spiel.portfolio->id());
    EXPECT_EQ(spiel.aktie->kontext(), spiel.kontext.get());

    // A note linked to a stored reference date becomes part of the context.
    auto rohstoff = std::make_shared<Position>(Assetklasse::rohstoff);
    spiel.portfolio->fuegeHinzu(rohstoff);
    auto neu = notiz("3");
    spiel.stichtag->haengeAn(neu, rohstoff);
    EXPECT_EQ(neu->kontext(), spiel.kontext.get());
    EXPECT_GT(neu->id(), rohstoff->id());
    EXPECT_TRUE(spiel.kontext->hatAenderungen());
    EXPECT_EQ(speichere(*spiel.kontext), std::nullopt);

    std::unique_ptr<Modellkontext> anderer;
    auto geladen = spiel.gespeichert(anderer);
    ASSERT_NE(geladen, nullptr);
    EXPECT_EQ(geladen->id(), spiel.portfolio->id());
    ASSERT_EQ(geladen->positionen().size(), 3u);
    EXPECT_EQ(geladen->positionen()[2]->id(), rohstoff->id());
    auto b = geladen->bewertungen().front();
    ASSERT_EQ(b->notizen().size(), 3u);
    EXPECT_EQ(b->notiz(*geladen->positionen()[2])->preis(), Dezimal(3));
    EXPECT_EQ(geladen->position(Assetklasse::aktie)->name(), "SAP");
}

TEST(Modellkontext, ohneAenderungWirdNichtsGeschrieben) {
    Spiel spiel;
    // Every write would now fail; a save without changes must not try one.
    fuehreAus(*spiel.ablage, "CREATE TRIGGER sperre BEFORE UPDATE ON portfolio BEGIN SELECT RAISE(ABORT, 'gesperrt'); END;");
    EXPECT_EQ(speichere(*spiel.kontext), std::nullopt);
    spiel.portfolio->setzeGruppenname("neu");
    auto meldung = speichere(*spiel.kontext);
    ASSERT_TRUE(meldung.has_value());
    EXPECT_EQ(*meldung, praefix + "Eine Bedingung der Datenbank ist verletzt");
    EXPECT_EQ(spiel.portfolio->gruppenname(), "Gruppe 7");
}

TEST(Modellkontext, fehlgeschlagenesSpeichernStelltAllesWiederHer) {
    Spiel spiel;
    fuehreAus(*spiel.ablage,
              "CREATE TRIGGER sperre BEFORE INSERT ON bewertung BEGIN SELECT RAISE(ABORT, 'gesperrt'); END;");
    auto alteNotizAktie = spiel.stichtag->notiz(*spiel.aktie);
    auto alteNotizAnleihe = spiel.stichtag->notiz(*spiel.anleihe);

    // One pending change of every kind: a new reference date with notes, a changed field,
    // a changed price and a deleted position with its note.
    auto neuerStichtag = std::make_shared<Bewertung>(start + hours(48), "");
    spiel.portfolio->fuegeHinzu(neuerStichtag);
    auto neueNotiz = notiz("11");
    neuerStichtag->haengeAn(neueNotiz, spiel.aktie);
    spiel.portfolio->setzeGruppenname("Umbenannt");
    alteNotizAktie->setzePreis(Preisangabe::euro(Dezimal(12)));
    spiel.kontext->loesche(spiel.anleihe);
    EXPECT_TRUE(spiel.anleihe->istGeloescht());
    EXPECT_TRUE(alteNotizAnleihe->istGeloescht());
    EXPECT_EQ(spiel.portfolio->positionen().size(), 1u);
    EXPECT_EQ(spiel.stichtag->notizen().size(), 1u);

    int meldungen = 0;
    spiel.kontext->beobachte([&] { ++meldungen; });
    auto meldung = speichere(*spiel.kontext);
    ASSERT_TRUE(meldung.has_value());
    EXPECT_EQ(meldung->rfind(praefix, 0), 0u) << *meldung;
    EXPECT_EQ(meldungen, 1) << "genau eine Meldung für die Rücknahme";

    EXPECT_FALSE(spiel.kontext->hatAenderungen());
    EXPECT_EQ(spiel.portfolio->gruppenname(), "Gruppe 7");
    ASSERT_EQ(spiel.portfolio->bewertungen().size(), 1u);
    EXPECT_EQ(spiel.portfolio->bewertungen().front(), spiel.stichtag);
    EXPECT_EQ(neuerStichtag->kontext(), nullptr);
    EXPECT_EQ(neueNotiz->kontext(), nullptr);
    EXPECT_EQ(spiel.aktie->notizen().size(), 1u);
    EXPECT_EQ(alteNotizAktie->preis(), Dezimal(10));

    ASSERT_EQ(spiel.portfolio->positionen().size(), 2u);
    EXPECT_EQ(spiel.portfolio->positionen()[1], spiel.anleihe);
    EXPECT_FALSE(spiel.anleihe->istGeloescht());
    EXPECT_EQ(spiel.anleihe->portfolio(), spiel.portfolio);
    EXPECT_EQ(spiel.stichtag->notiz(*spiel.anleihe), alteNotizAnleihe);
    EXPECT_EQ(alteNotizAnleihe->bewertung(), spiel.stichtag);
    EXPECT_EQ(spiel.anleihe->notizen().size(), 1u);

    // The store holds the saved state too, and the context works on after the failure.
    std::unique_ptr<Modellkontext> anderer;
    auto geladen = spiel.gespeichert(anderer);
    EXPECT_EQ(geladen->gruppenname(), "Gruppe 7");
    EXPECT_EQ(geladen->positionen().size(), 2u);
    EXPECT_EQ(geladen->bewertungen().front()->notizen().size(), 2u);

    spiel.portfolio->setzeGruppenname("Danach");
    EXPECT_EQ(speichere(*spiel.kontext), std::nullopt);
}

TEST(Modellkontext, loeschenKaskadiert) {
    Spiel spiel;
    spiel.kontext->loesche(spiel.portfolio);
    for (const auto& datensatz : std::vector<std::shared_ptr<Datensatz>>{
             spiel.portfolio, spiel.aktie, spiel.anleihe, spiel.stichtag, spiel.stichtag->notizen().front()}) {
        EXPECT_TRUE(datensatz->istGeloescht());
    }
    EXPECT_TRUE(spiel.kontext->portfolios().empty());
    EXPECT_EQ(speichere(*spiel.kontext), std::nullopt);
    sqlite3_stmt* anweisung = nullptr;
    auto* db = static_cast<sqlite3*>(spiel.ablage->verbindung());
    for (const char* tabelle : {"portfolio", "position", "bewertung", "preisnotiz"}) {
        std::string sql = std::string("SELECT count(*) FROM ") + tabelle;
        ASSERT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &anweisung, nullptr), SQLITE_OK);
        ASSERT_EQ(sqlite3_step(anweisung), SQLITE_ROW);
        EXPECT_EQ(sqlite3_column_int(anweisung, 0), 0) << tabelle;
        sqlite3_finalize(anweisung);
    }
}

TEST(Modellkontext, eineUngespeicherteLoeschungVerschwindetGanz) {
    Spiel spiel;
    auto neu = std::make_shared<Position>(Assetklasse::co2Zertifikat);
    spiel.portfolio->fuegeHinzu(neu);
    spiel.kontext->loesche(neu);
    EXPECT_EQ(neu->kontext(), nullptr);
    EXPECT_EQ(spiel.portfolio->positionen().size(), 2u);
    EXPECT_EQ(speichere(*spiel.kontext), std::nullopt);
    std::unique_ptr<Modellkontext> anderer;
    EXPECT_EQ(spiel.gespeichert(anderer)->positionen().size(), 2u);
}

TEST(Modellkontext, beobachterHoerenAenderungSpeichernUndRuecknahme) {
    Spiel spiel;
    int aufrufe = 0;
    auto kennung = spiel.kontext->beobachte([&] { ++aufrufe; });
    spiel.aktie->setzeStueckzahl(4);
    EXPECT_EQ(aufrufe, 1);
    EXPECT_EQ(speichere(*spiel.kontext), std::nullopt);
    EXPECT_EQ(aufrufe, 2);
    spiel.aktie->setzeStueckzahl(5);
    spiel.kontext->zuruecksetzen();
    EXPECT_EQ(aufrufe, 4);
    EXPECT_EQ(spiel.aktie->stueckzahl(), 4);
    spiel.kontext->beendeBeobachtung(kennung);
    spiel.aktie->setzeStueckzahl(6);
    EXPECT_EQ(aufrufe, 4);
}
