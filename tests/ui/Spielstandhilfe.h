#pragma once

// A game in a real SQLite file for the settings tests: the store opened as the application
// opens it, a saved portfolio, a second connection to see what reached the file, and a way to
// make the store refuse writes.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <sqlite3.h>

#include "model/Ablage.h"
#include "model/Modellcontainer.h"
#include "model/Modellkontext.h"
#include "model/SpeicherHilfe.h"
#include "model/Speichern.h"
#include "valuation/Testspiel.h"

namespace qbtest {

class Spielstand {
public:
    // "Gruppe", 100 000 EUR, entered on 4 March 2024 at 09:00 in Berlin: a day in the past
    // whatever the machine's clock says.
    Spielstand()
        : container_(std::make_unique<qb::Modellcontainer>(qb::Ablage::oeffne(datei()))),
          portfolio(std::make_shared<qb::Portfolio>("Gruppe", qb::Dezimal(100000), testspiel::tag(2024, 3, 4, 9))) {
        kontext().fuegeEin(portfolio);
        speichereOderScheitere();
    }

    qb::Modellkontext& kontext() { return container_->kontext(); }
    std::filesystem::path datei() const { return ordner_ / "Spielstand.sqlite"; }

    // Records added in a test go to the file too.
    void speichereOderScheitere() { ASSERT_EQ(qb::speichere(kontext()), std::nullopt); }

    // What the file holds, read again from the store rather than taken from the context. (A
    // second opening of the file would be refused while the container holds it.)
    qb::Bestand gespeichert() const { return container_->ablage().lade(); }
    qb::PortfolioZeile gespeichertesPortfolio() const {
        const qb::Bestand bestand = gespeichert();
        EXPECT_EQ(bestand.portfolios.size(), 1U);
        return bestand.portfolios.at(0);
    }

    // A trigger that refuses every write of the given kind ("UPDATE ON Portfolio",
    // "DELETE ON Position"), with the message "gesperrt".
    void sperre(const std::string& art) { fuehreAus("CREATE TRIGGER sperre BEFORE " + art + " BEGIN SELECT RAISE(ABORT, 'gesperrt'); END;"); }
    void entsperre() { fuehreAus("DROP TRIGGER sperre;"); }

    // A complete share and an incomplete bond; a reference date on 11 March 2024.
    void erfasseSpiel() {
        testspiel::kaufe(portfolio, qb::Assetklasse::aktie, "Siemens", 10, testspiel::eur("150"));
        testspiel::kaufe(portfolio, qb::Assetklasse::anleihe, "Bund", 0, testspiel::eur("0"));
        testspiel::stichtag(portfolio, testspiel::tag(2024, 3, 11));
        speichereOderScheitere();
    }

private:
    void fuehreAus(const std::string& sql) {
        auto* db = static_cast<sqlite3*>(container_->ablage().verbindung());
        ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    }

    qb::test::TempOrdner ordner_;
    std::unique_ptr<qb::Modellcontainer> container_;

public:
    std::shared_ptr<qb::Portfolio> portfolio;
};

// What a failed save in these tests says.
inline const std::string gesperrtMeldung =
    "Die Änderung konnte nicht gespeichert werden: Eine Bedingung der Datenbank ist verletzt";

} // namespace qbtest
