#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <QString>
#include <QTemporaryDir>
#include <unistd.h>

#include "app/Tabellendokument.h"
#include "ui/Textbruecke.h"
#include "model/Ablage.h"
#include "model/Bewertung.h"
#include "model/Modellkontext.h"
#include "model/Portfolio.h"
#include "model/Position.h"
#include "model/Preisnotiz.h"
#include "sources/Kursdienst.h"

using namespace qb;

namespace {

namespace fs = std::filesystem;

Zeitpunkt berlin(int jahr, int monat, int tag, int stunde, int minute = 0) {
    return *Kalender(Zeitzone("Europe/Berlin")).zeitpunkt(Datumsteile{jahr, monat, tag, stunde, minute, 0});
}

Dezimal d(const char* text) {
    return Dezimal::aus(text);
}

Preisangabe eur(const char* preis) {
    return Preisangabe::euro(d(preis));
}

Preisangabe fremd(const char* original, const char* waehrung, const char* kurs) {
    return Preisangabe::umgerechnet(Umrechnung{d(original), waehrung, d(kurs)});
}

// A game in a real store, so that every record has the id that orders equal dates.
struct Spiel {
    std::unique_ptr<Ablage> ablage = Ablage::imArbeitsspeicher();
    Modellkontext kontext{*ablage};
    std::shared_ptr<Portfolio> portfolio;

    Spiel(std::string gruppenname, const char* startkapital, Zeitpunkt kaufdatum)
        : portfolio(std::make_shared<Portfolio>(std::move(gruppenname), d(startkapital), kaufdatum)) {
        kontext.fuegeEin(portfolio);
    }

    std::shared_ptr<Position> kaufe(Assetklasse klasse, std::string name, std::string kennung, std::string quelle,
                                    std::int64_t stueck, const Preisangabe& preis) {
        auto position = std::make_shared<Position>(klasse);
        position->setzeName(std::move(name));
        position->setzeKennung(std::move(kennung));
        position->setzeQuelle(std::move(quelle));
        position->setzeStueckzahl(stueck);
        position->setzeKaufkurs(preis);
        portfolio->fuegeHinzu(position);
        return position;
    }

    std::shared_ptr<Bewertung> stichtag(Zeitpunkt datum) {
        auto bewertung = std::make_shared<Bewertung>(datum, "");
        portfolio->fuegeHinzu(bewertung);
        return bewertung;
    }

    static void notiere(const std::shared_ptr<Bewertung>& bewertung, const std::shared_ptr<Position>& position,
                        const Preisangabe& preis, std::string quelle, Kursart art, Preisherkunft herkunft) {
        auto notiz = std::make_shared<Preisnotiz>(Dezimal(0), std::move(quelle), position->kennung(), art,
                                                  bewertung->datum(), herkunft, std::nullopt);
        ASSERT_TRUE(bewertung->haengeAn(notiz, position));
        notiz->setzePreis(preis);
    }
};

std::string blatt(const std::vector<std::string>& zeilen) {
    std::string text = "\xEF\xBB\xBF";
    for (const auto& zeile : zeilen) {
        text += zeile + "\r\n";
    }
    return text;
}

// The last row of a sheet, without its CR LF.
std::string letzteZeile(const std::string& text) {
    const std::string ohneEnde = text.substr(0, text.size() - 2);
    return ohneEnde.substr(ohneEnde.rfind("\r\n") + 2);
}

const std::string quellenkopf =
    R"c("Asset class";"Identifier";"Source";"How";"Price type";"Trading currency";"Unit";)c"
    R"c("Buy-in price (trading currency)";"Buy-in FX rate (1 EUR =)";"Latest price (original)";)c"
    R"c("Latest price currency";"Latest FX rate (1 EUR =)";"Other sources (revaluation date: source)";)c"
    R"c("Quoted as";"Face value per unit")c";

// Two years of a game: a share bought in USD, a bond quoted in percent of a 1000 € face value,
// US dollars bought at the ECB rate, a commodity without a name and no CO2 certificate. The
// share has no price on the second date; the last two dates fall on the same instant.
struct Zweijahresspiel : Spiel {
    Zweijahresspiel() : Spiel("=Rendite \"Nord\"", "100000", berlin(2024, 3, 4, 9, 30)) {
        // Added out of class order, the dates out of date order: the sheet sorts both.
        auto dollar = kaufe(Assetklasse::waehrung, "US-Dollar", "USD", "EZB-Referenzkurs", 10000,
                            fremd("1", "USD", "1.085"));
        auto apple = kaufe(Assetklasse::aktie, "Apple Inc.", "US0378331005", "Börse Frankfurt", 50,
                           fremd("170.25", "USD", "1.085"));
        auto gold = kaufe(Assetklasse::rohstoff, "", "XC0009655157", "", 5, eur("2000"));
        auto bund = kaufe(Assetklasse::anleihe, "Bund 2034", "DE0001102580", "Börse Frankfurt", 20, eur("98.5"));
        bund->setzeNennwert(Dezimal(1000));

        // 00:30 in Berlin, still the day before in UTC.
        auto zweiter = stichtag(*Kalender(Zeitzone::utc()).zeitpunkt(Datumsteile{2025, 3, 3, 23, 30, 0}));
        auto erster = stichtag(berlin(2024, 9, 2, 17));
        auto dritter = stichtag(berlin(2026, 2, 27, 17));
        auto vierter = stichtag(berlin(2026, 2, 27, 17));

        const auto hand = Kursart::vonHand;
        const auto manuell = Preisherkunft::manuell;
        const auto schluss = Kursart::tagesschluss;
        const auto auto_ = Preisherkunft::automatisch;
        notiere(erster, apple, fremd("222.5", "USD", "1.1052"), "Bloomberg", hand, manuell);
        notiere(erster, bund, eur("99.1"), "Börse Frankfurt", schluss, auto_);
        notiere(erster, dollar, fremd("1", "USD", "1.1052"), "EZB-Referenzkurs", schluss, auto_);
        notiere(erster, gold, eur("2100"), "Bloomberg", hand, manuell);

        notiere(zweiter, bund, eur("97.35"), "Börse Frankfurt", schluss, auto_);
        notiere(zweiter, dollar, fremd("1", "USD", "1.0448"), "EZB-Referenzkurs", schluss, auto_);

        notiere(dritter, apple, fremd("182.4", "USD", "1.0412"), "Börse Frankfurt", Kursart::letzterHandel, auto_);
        notiere(dritter, bund, eur("101.25"), "Börse Frankfurt", schluss, auto_);
        notiere(dritter, dollar, fremd("1", "USD", "1.0412"), "EZB-Referenzkurs", schluss, auto_);

        // The latest price of the share is in EUR although it was bought in USD.
        notiere(vierter, apple, eur("176.5"), "Börse Frankfurt", Kursart::geldBriefMitte, auto_);
        notiere(vierter, bund, eur("101.3"), "Bloomberg", hand, manuell);
        notiere(vierter, dollar, fremd("1", "USD", "1.0398"), "EZB-Referenzkurs", schluss, auto_);
    }
};

const std::string zweijahresblattBerlin = blatt({
    R"c("Quinzelbrockat")c",
    R"c("Group";"'=Rendite ""Nord""")c",
    "",
    R"c("";"";"";"Initial investment on (date):";"2024-03-04";"Revaluation on:";"2024-09-02";)c"
    R"c("Revaluation on:";"2025-03-04";"Revaluation on:";"2026-02-27";"Revaluation on:";"2026-02-27")c",
    R"c("Asset class";"Asset name";"Quantity (in units)";"Buy-in price (in EUR)";"Amount invested (in EUR)";)c"
    R"c("Current price (in EUR)";"Amount invested (in EUR)";"Current price (in EUR)";"Amount invested (in EUR)";)c"
    R"c("Current price (in EUR)";"Amount invested (in EUR)";"Current price (in EUR)";"Amount invested (in EUR)")c",
    R"c("Aktie";"Apple Inc.";"50";"156,912442396313";"7845,62";"201,321027868259";"10066,05";"";"";)c"
    R"c("175,182481751825";"8759,12";"176,50";"8825,00")c",
    R"c("Anleihe";"Bund 2034";"20";"98,50";"19700,00";"99,10";"19820,00";"97,35";"19470,00";)c"
    R"c("101,25";"20250,00";"101,30";"20260,00")c",
    R"c("Währung";"US-Dollar";"10000";"0,921658986175";"9216,59";"0,904813608397";"9048,14";)c"
    R"c("0,957120980092";"9571,21";"0,960430272762";"9604,30";"0,961723408348";"9617,23")c",
    R"c("Rohstoff";"";"5";"2000,00";"10000,00";"2100,00";"10500,00";"";"";"";"";"";"")c",
    R"c("CO2-Zertifikat";"";"";"";"";"";"";"";"";"";"";"";"")c",
    "",
    R"c("Cash (not invested)";"";"";"";"63237,79";"";"63237,79";"";"63237,79";"";"63237,79";"";"63237,79")c",
    R"c("";"";"";"Total amount invested (in EUR)";"36762,21";"";"38934,19";"";"";"";"38613,42";"";"38702,23")c",
    R"c("";"";"";"Total portfolio value (in EUR)";"100000,00";"";"102171,98";"";"";"";"101851,21";"";)c"
    R"c("101940,02")c",
    "",
    R"c("Price sources")c",
    quellenkopf,
    R"c("Aktie";"US0378331005";"Börse Frankfurt";"automatisch abgerufen";"Mitte aus Geld und Brief";"USD";)c"
    R"c("Stück";"170,25";"1,085";"";"";"";"2024-09-02: Bloomberg";"";"")c",
    R"c("Anleihe";"DE0001102580";"Bloomberg";"von Hand eingetragen";"von Hand eingetragen";"EUR";"Stück";)c"
    R"c("";"";"";"";"";"2024-09-02: Börse Frankfurt / 2025-03-04: Börse Frankfurt / 2026-02-27: Börse Frankfurt";)c"
    R"c("Prozent vom Nennwert";"1000,00 EUR")c",
    R"c("Währung";"USD";"EZB-Referenzkurs";"automatisch abgerufen";"Schlusskurs des Tages";"USD";"USD";)c"
    R"c("1,00";"1,085";"1,00";"USD";"1,0398";"";"";"")c",
});

std::string ersetzt(std::string text, const std::string& alt, const std::string& neu) {
    for (auto pos = text.find(alt); pos != std::string::npos; pos = text.find(alt, pos + neu.size())) {
        text.replace(pos, alt.size(), neu);
    }
    return text;
}

// The second reference date lies at 23:30 UTC, already the next day in Berlin.
const std::string zweijahresblattUtc = ersetzt(zweijahresblattBerlin, "2025-03-04", "2025-03-03");

class AktuelleZone {
public:
    explicit AktuelleZone(const char* zone) : alt_(Zeitzone::aktuell().id()) { Zeitzone::setzeAktuelle(zone); }
    ~AktuelleZone() { Zeitzone::setzeAktuelle(alt_); }

private:
    std::string alt_;
};

std::vector<std::string> namenIn(const fs::path& ordner) {
    std::vector<std::string> namen;
    for (const auto& eintrag : fs::directory_iterator(ordner)) {
        namen.push_back(eintrag.path().filename().string());
    }
    return namen;
}

std::string dateiinhalt(const fs::path& pfad) {
    std::ifstream datei(pfad, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(datei), {});
}

} // namespace

TEST(Tabellendokument, zweijahresspielByteFuerByte) {
    Zweijahresspiel spiel;
    const Kursdienst dienst = Kursdienst::standard();
    EXPECT_EQ(Tabellendokument::tabelle(*spiel.portfolio, dienst, Zeitzone("Europe/Berlin")), zweijahresblattBerlin);
    EXPECT_EQ(Tabellendokument::tabelle(*spiel.portfolio, dienst, Zeitzone::utc()), zweijahresblattUtc);
    ASSERT_NE(zweijahresblattBerlin, zweijahresblattUtc);

    // Without a zone the dates follow the zone that is current at the call.
    {
        AktuelleZone zone("UTC");
        EXPECT_EQ(Tabellendokument::tabelle(*spiel.portfolio, dienst), zweijahresblattUtc);
    }
    {
        AktuelleZone zone("Europe/Berlin");
        EXPECT_EQ(Tabellendokument::tabelle(*spiel.portfolio, dienst), zweijahresblattBerlin);
    }

    // Saved and loaded again, the records give the same sheet.
    spiel.kontext.speichern();
    Modellkontext neu(*spiel.ablage);
    ASSERT_EQ(neu.portfolios().size(), 1u);
    EXPECT_EQ(Tabellendokument::tabelle(*neu.portfolios().front(), dienst, Zeitzone("Europe/Berlin")),
              zweijahresblattBerlin);
}

TEST(Tabellendokument, spielOhnePositionenUndStichtage) {
    Spiel spiel("", "25000", berlin(2026, 1, 5, 0, 10));
    EXPECT_EQ(Tabellendokument::tabelle(*spiel.portfolio, Kursdienst::standard(), Zeitzone("Europe/Berlin")),
              blatt({
                  R"c("Quinzelbrockat")c",
                  R"c("Group";"")c",
                  "",
                  R"c("";"";"";"Initial investment on (date):";"2026-01-05")c",
                  R"c("Asset class";"Asset name";"Quantity (in units)";"Buy-in price (in EUR)";)c"
                  R"c("Amount invested (in EUR)")c",
                  R"c("Aktie";"";"";"";"")c",
                  R"c("Anleihe";"";"";"";"")c",
                  R"c("Währung";"";"";"";"")c",
                  R"c("Rohstoff";"";"";"";"")c",
                  R"c("CO2-Zertifikat";"";"";"";"")c",
                  "",
                  R"c("Cash (not invested)";"";"";"";"25000,00")c",
                  R"c("";"";"";"Total amount invested (in EUR)";"0,00")c",
                  R"c("";"";"";"Total portfolio value (in EUR)";"25000,00")c",
                  "",
                  R"c("Price sources")c",
                  quellenkopf,
              }));
}

TEST(Tabellendokument, quelleEinerPositionOhneNotiz) {
    struct Fall {
        Assetklasse klasse;
        const char* kennung;
        const char* quelle;
        const char* zelle;
    };
    const Fall faelle[] = {
        {Assetklasse::aktie, "DE0007164600", "Börse Frankfurt", R"c("Börse Frankfurt")c"},
        {Assetklasse::aktie, " DE0007164600\t", "Eigene Liste", R"c("Eigene Liste")c"},
        {Assetklasse::aktie, "DE0007164601", "Börse Frankfurt", R"c("von Hand")c"},
        {Assetklasse::rohstoff, "XC0009655157", "Börse Frankfurt", R"c("von Hand")c"},
        {Assetklasse::co2Zertifikat, "EUA", "Bloomberg", R"c("Bloomberg")c"},
        {Assetklasse::co2Zertifikat, "EUA", "bloomberg", R"c("von Hand")c"},
        {Assetklasse::co2Zertifikat, "", "", R"c("von Hand")c"},
        {Assetklasse::waehrung, "usd", "EZB-Referenzkurs", R"c("EZB-Referenzkurs")c"},
        {Assetklasse::waehrung, "US-Dollar", "EZB-Referenzkurs", R"c("von Hand")c"},
    };
    for (const Fall& f : faelle) {
        Spiel spiel("Gruppe", "10000", berlin(2026, 1, 5, 10));
        spiel.kaufe(f.klasse, "Name", f.kennung, f.quelle, 3, eur("10"));
        const std::string zeile = letzteZeile(
            Tabellendokument::tabelle(*spiel.portfolio, Kursdienst::standard(), Zeitzone("Europe/Berlin")));
        // The third cell; no cell of these rows holds a ";".
        const auto beginn = zeile.find(';', zeile.find(';') + 1) + 1;
        EXPECT_EQ(zeile.substr(beginn, zeile.find(';', beginn) - beginn), f.zelle) << f.kennung << " " << f.quelle;
    }

    // A bond in percent without any note, on a reference date that has none either: the
    // date's totals stay empty while the cash is the one at purchase.
    Spiel spiel("Gruppe", "10000", berlin(2026, 1, 5, 10));
    spiel.kaufe(Assetklasse::anleihe, "Name", "DE0007164600", "-Quelle", 3, eur("10"));
    spiel.stichtag(berlin(2026, 2, 2, 10));
    const std::string text =
        Tabellendokument::tabelle(*spiel.portfolio, Kursdienst::standard(), Zeitzone("Europe/Berlin"));
    EXPECT_EQ(letzteZeile(text), R"c("Anleihe";"DE0007164600";"'-Quelle";"";"";"EUR";"Stück";"";"";"";"";"";"";)c"
                                 R"c("Prozent vom Nennwert";"100,00 EUR")c");
    EXPECT_NE(text.find(R"c("Cash (not invested)";"";"";"";"9970,00";"";"9970,00")c" "\r\n"), std::string::npos);
    EXPECT_NE(text.find(R"c("";"";"";"Total portfolio value (in EUR)";"10000,00";"";"")c" "\r\n"), std::string::npos);
}

TEST(Tabellendokument, dateiname) {
    struct Fall {
        const char* gruppenname;
        const char* dateiname;
    };
    const Fall faelle[] = {
        {"  Team A/B: Gold  ", "Team A-B- Gold Quinzelbrockat.csv"},
        {"", "Portfolio Quinzelbrockat.csv"},
        {"   ", "Portfolio Quinzelbrockat.csv"},
        {"\t\xC2\xA0\xE3\x80\x80", "Portfolio Quinzelbrockat.csv"},
        {"\xC2\xA0Zürich\t", "Zürich Quinzelbrockat.csv"},
        {"=Rendite \"Nord\"", "=Rendite \"Nord\" Quinzelbrockat.csv"},
        {"a\\b*c?", "a\\b*c? Quinzelbrockat.csv"},
        {"//::", "---- Quinzelbrockat.csv"},
        // Control characters inside, and line breaks at the ends, which the trimming keeps.
        {"Team\nNord", "Team-Nord Quinzelbrockat.csv"},
        {"\r\nTeam\n", "--Team- Quinzelbrockat.csv"},
        {"A\tB", "A-B Quinzelbrockat.csv"},
        {"A\x01" "B\x1F" "C\x7F" "D", "A-B-C-D Quinzelbrockat.csv"},
        {"A\xC2\x80" "B\xC2\x85" "C\xC2\x9F" "D\xC2\xA0" "E", "A-B-C-D\xC2\xA0" "E Quinzelbrockat.csv"},
    };
    for (const Fall& f : faelle) {
        const Portfolio portfolio(f.gruppenname, Dezimal(0), berlin(2026, 1, 5, 10));
        EXPECT_EQ(Tabellendokument::dateiname(portfolio), f.dateiname) << f.gruppenname;
    }
    // The NUL byte inside the name, which a C string above cannot carry.
    const Portfolio mitNull(std::string("A\0B", 3), Dezimal(0), berlin(2026, 1, 5, 10));
    EXPECT_EQ(Tabellendokument::dateiname(mitNull), "A-B Quinzelbrockat.csv");
}

TEST(Tabellendokument, schreibtDieBytesUnveraendert) {
    QTemporaryDir ordner;
    ASSERT_TRUE(ordner.isValid());
    const fs::path ziel = fs::path(utf8(ordner.path())) / "=Rendite \"Nord\" Quinzelbrockat.csv";
    // An older, longer sheet is replaced whole, not overwritten at its start.
    std::ofstream(ziel, std::ios::binary) << std::string(500, 'x');

    const std::string inhalt = "\xEF\xBB\xBF\"Währung\";\"'=1\";\"1,50\"\r\n\r\n\"a\nb\"\r\n";
    EXPECT_EQ(Tabellendokument(inhalt).schreibe(qtText(ziel.string())), std::nullopt);
    EXPECT_EQ(dateiinhalt(ziel), inhalt);
    EXPECT_EQ(namenIn(ziel.parent_path()), std::vector<std::string>{ziel.filename().string()});
}

TEST(Tabellendokument, fehlgeschlagenesSchreibenMeldetDenGrund) {
    QTemporaryDir ordner;
    ASSERT_TRUE(ordner.isValid());
    const fs::path basis = utf8(ordner.path());
    const fs::path geschuetzt = basis / "geschuetzt";
    fs::create_directory(geschuetzt);
    std::ofstream(geschuetzt / "Tabelle.csv", std::ios::binary) << "alte Tabelle";
    fs::permissions(geschuetzt, fs::perms::owner_read | fs::perms::owner_exec);

    // A folder without write permission stops every user but root; for root the target's
    // parent is a regular file instead, which nobody can write into.
    fs::path ziel = geschuetzt / "Tabelle.csv";
    QString grund = "Permission denied";
    if (::access(geschuetzt.c_str(), W_OK) == 0) {
        std::ofstream(basis / "keinOrdner") << "";
        ziel = basis / "keinOrdner" / "Tabelle.csv";
        grund = QString::fromLocal8Bit(std::strerror(ENOTDIR));
    }
    EXPECT_EQ(Tabellendokument("neue Tabelle").schreibe(qtText(ziel.string())),
              "Die Datei „Tabelle.csv“ konnte nicht gespeichert werden: " + utf8(grund));

    EXPECT_EQ(dateiinhalt(geschuetzt / "Tabelle.csv"), "alte Tabelle");
    EXPECT_EQ(namenIn(geschuetzt), std::vector<std::string>{"Tabelle.csv"});
    fs::permissions(geschuetzt, fs::perms::owner_all);
}
