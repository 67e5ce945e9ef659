#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/Kursfehler.h"

using qb::Kursfehler;

TEST(Kursfehler, meldungen) {
    struct Fall {
        Kursfehler fehler;
        const char* meldung;
    };
    const Fall faelle[] = {
        {Kursfehler::kennungUnbekannt("DE0007164600"),
         "Die Kennung DE0007164600 ist bei dieser Quelle nicht bekannt."},
        {Kursfehler::antwortUnlesbar("zu groß"), "Die Antwort der Quelle war nicht lesbar: zu groß"},
        {Kursfehler::antwortUnlesbar(""), "Die Antwort der Quelle war nicht lesbar: "},
        {Kursfehler::keinKursEnthalten("USD"), "Zu USD lag kein verwertbarer Kurs vor."},
        {Kursfehler::nichtGefunden(404), "Unter dieser Kennung liegt bei der Quelle nichts vor (HTTP 404)."},
        {Kursfehler::nichtGefunden(1000),
         "Unter dieser Kennung liegt bei der Quelle nichts vor (HTTP 1000)."},
        {Kursfehler::nichtGefunden(1234567),
         "Unter dieser Kennung liegt bei der Quelle nichts vor (HTTP 1234567)."},
        {Kursfehler::keineUmrechnung("USD", "Die Quelle war nicht erreichbar: Zeitüberschreitung"),
         "Der Kurs ist in USD notiert, und der EZB-Kurs zum Umrechnen fehlt: Die Quelle war nicht "
         "erreichbar: "
         "Zeitüberschreitung"},
        {Kursfehler::quellenfehler(429),
         "Zu viele Anfragen an die Quelle. In ein paar Minuten erneut versuchen."},
        {Kursfehler::quellenfehler(500),
         "Die Quelle meldete einen Fehler (HTTP 500). Später erneut versuchen."},
        {Kursfehler::quellenfehler(428),
         "Die Quelle meldete einen Fehler (HTTP 428). Später erneut versuchen."},
        {Kursfehler::quellenfehler(4290),
         "Die Quelle meldete einen Fehler (HTTP 4290). Später erneut versuchen."},
        {Kursfehler::netzwerk("Verbindung abgelehnt"),
         "Die Quelle war nicht erreichbar: Verbindung abgelehnt"},
        {Kursfehler::ohneAbruf(),
         "Für diese Position holt die App keine Kurse. Trage den Kurs von Hand ein."},
    };
    for (const auto& f : faelle) {
        EXPECT_EQ(f.fehler.meldung(), f.meldung);
        EXPECT_STREQ(f.fehler.what(), f.meldung);
    }
}

TEST(Kursfehler, gleichNurBeiGleichemFallUndInhalt) {
    const std::vector<Kursfehler> verschiedene{
        Kursfehler::kennungUnbekannt("A"),
        Kursfehler::kennungUnbekannt("B"),
        Kursfehler::antwortUnlesbar("A"),
        Kursfehler::keinKursEnthalten("A"),
        Kursfehler::nichtGefunden(404),
        Kursfehler::nichtGefunden(500),
        Kursfehler::quellenfehler(404),
        Kursfehler::quellenfehler(500),
        Kursfehler::keineUmrechnung("USD", "A"),
        Kursfehler::keineUmrechnung("USD", "B"),
        Kursfehler::keineUmrechnung("GBP", "A"),
        Kursfehler::netzwerk("A"),
        Kursfehler::netzwerk("a"),
        Kursfehler::ohneAbruf(),
    };
    for (std::size_t i = 0; i < verschiedene.size(); ++i) {
        for (std::size_t j = 0; j < verschiedene.size(); ++j) {
            EXPECT_EQ(verschiedene[i] == verschiedene[j], i == j)
                << verschiedene[i].meldung() << " / " << verschiedene[j].meldung();
        }
    }
    EXPECT_EQ(Kursfehler::ohneAbruf(), Kursfehler::ohneAbruf());
    EXPECT_EQ(Kursfehler::keineUmrechnung("USD", "A"), Kursfehler::keineUmrechnung("USD", "A"));
    EXPECT_EQ(Kursfehler::quellenfehler(429), Kursfehler::quellenfehler(429));
}

TEST(Kursfehler, wirdAlsAusnahmeGeworfen) {
    try {
        throw Kursfehler::nichtGefunden(404);
    } catch (const std::exception& fehler) {
        const auto* kursfehler = dynamic_cast<const Kursfehler*>(&fehler);
        ASSERT_NE(kursfehler, nullptr);
        EXPECT_EQ(*kursfehler, Kursfehler::nichtGefunden(404));
    }
    // A cancellation is no Kursfehler and passes every handler for one.
    auto abbruch = [] {
        try {
            throw qb::Abgebrochen();
        } catch (const Kursfehler&) {
            ADD_FAILURE() << "Abbruch als Kursfehler gefangen";
        }
    };
    EXPECT_THROW(abbruch(), qb::Abgebrochen);
}
