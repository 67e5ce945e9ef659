#include <chrono>
#include <condition_variable>
#include <cstring>
#include <future>
#include <mutex>
#include <thread>

#include <dlfcn.h>
#include <netdb.h>

#include <gtest/gtest.h>
#include <httplib.h>

#include "sources/JsonAbruf.h"
#include "sources/JsonLeser.h"
#include "sources/Testhilfen.h"

using namespace std::chrono_literals;
using qb::JsonAbruf;
using qb::Kursfehler;
using qbtest::Antwort;
using qbtest::kursfehler;

// A name server of our own: "langsam.test" takes seconds to answer, "unbekannt.test" does not
// exist, "fremd.test" is 127.0.0.1 under a name the test certificate does not carry; every
// other name is looked up as usual. libcurl's lookup thread calls this instead of the C
// library's.
extern "C" int getaddrinfo(const char* name, const char* dienst, const addrinfo* hinweise, addrinfo** ergebnis) {
    using Nachschlagen = int (*)(const char*, const char*, const addrinfo*, addrinfo**);
    static const auto echt = reinterpret_cast<Nachschlagen>(dlsym(RTLD_NEXT, "getaddrinfo"));
    if (name != nullptr && std::strcmp(name, "langsam.test") == 0) {
        std::this_thread::sleep_for(5s);
        return EAI_NONAME;
    }
    if (name != nullptr && std::strcmp(name, "unbekannt.test") == 0) {
        return EAI_NONAME;
    }
    if (name != nullptr && std::strcmp(name, "fremd.test") == 0) {
        return echt("127.0.0.1", dienst, hinweise, ergebnis);
    }
    return echt(name, dienst, hinweise, ergebnis);
}

namespace {

struct Probe {
    std::optional<std::string> name;
    static Probe ausJson(const nlohmann::json& json) { return Probe{qb::JsonLeser(json).text("name")}; }
};

class JsonAbrufTest : public ::testing::Test {
protected:
    qbtest::Testserver server;
    JsonAbruf abruf = qbtest::abrufFuer(server);

    std::string adresse(const std::string& pfad, const std::string& host = "127.0.0.1") const {
        return server.adresse(host) + pfad;
    }
    std::string hole(const std::string& pfad, const std::string& host = "127.0.0.1") const {
        return abruf.daten(adresse(pfad, host), {});
    }
};

Antwort mitKoerper(int status, std::size_t groesse) {
    return Antwort::json(std::string(groesse, 'x'), status);
}

TEST_F(JsonAbrufTest, sendetEinGetMitDenZweiKoepfenUndOhneCookies) {
    Antwort weiter = Antwort::nach("/ziel");
    weiter.koepfe = {{"Set-Cookie", "sitzung=1; Path=/"}};
    server.beantworte("/start", weiter);
    server.beantworte("/ziel", Antwort::json(R"({"name":"Börse"})"));

    Probe probe = abruf.lade<Probe>(adresse("/start?a=1"), {});

    EXPECT_EQ(probe.name, "Börse");
    auto anfragen = server.anfragen();
    ASSERT_EQ(anfragen.size(), 2u);
    EXPECT_EQ(anfragen[0].ziel, "/start?a=1");
    for (const auto& anfrage : anfragen) {
        EXPECT_EQ(anfrage.kopf("Accept"), "application/json");
        EXPECT_EQ(anfrage.kopf("User-Agent"), "Quinzelbrockat/0.1 (Studienprojekt)");
        EXPECT_EQ(anfrage.kopf("Cookie"), "");
    }
}

TEST_F(JsonAbrufTest, verweigertJedesSchemaAusserHttpsOhneAnfrage) {
    const std::string faelle[] = {"http://127.0.0.1:" + std::to_string(server.port()) + "/x", "ftp://127.0.0.1/x",
                                  "127.0.0.1/x", "", "//127.0.0.1/x"};
    for (const auto& schemaFalsch : faelle) {
        EXPECT_EQ(kursfehler([&] { abruf.daten(schemaFalsch, {}); }), Kursfehler::netzwerk("Nur HTTPS ist erlaubt"))
            << schemaFalsch;
        EXPECT_EQ(kursfehler([&] { abruf.lade<Probe>(schemaFalsch, {}); }),
                  Kursfehler::netzwerk("Nur HTTPS ist erlaubt"));
    }
    EXPECT_TRUE(server.anfragen().empty());

    server.beantworte("/x", Antwort::json("{}"));
    EXPECT_EQ(abruf.daten("HTTPS://127.0.0.1:" + std::to_string(server.port()) + "/x", {}), "{}");
}

TEST_F(JsonAbrufTest, ordnetJedenStatusZuOhneDenKoerperZuVerwenden) {
    struct Fall {
        int status;
        std::optional<Kursfehler> erwartet;
    };
    const Fall faelle[] = {
        {400, Kursfehler::nichtGefunden(400)}, {404, Kursfehler::nichtGefunden(404)},
        {410, Kursfehler::nichtGefunden(410)}, {422, Kursfehler::nichtGefunden(422)},
        {401, Kursfehler::quellenfehler(401)}, {429, Kursfehler::quellenfehler(429)},
        {500, Kursfehler::quellenfehler(500)}, {503, Kursfehler::quellenfehler(503)},
        {302, Kursfehler::quellenfehler(302)}, {418, Kursfehler::quellenfehler(418)},
        {201, std::nullopt},                   {299, std::nullopt},
    };
    for (const auto& fall : faelle) {
        // A body over the limit would fail with its size if anything kept it.
        server.beantworte("/s", mitKoerper(fall.status, JsonAbruf::hoechstgroesse + 5000));
        if (fall.erwartet) {
            EXPECT_EQ(kursfehler([&] { hole("/s"); }), *fall.erwartet) << fall.status;
        } else {
            EXPECT_EQ(kursfehler([&] { hole("/s"); }), Kursfehler::antwortUnlesbar("Antwort größer als erlaubt"))
                << fall.status;
        }
    }
}

TEST_F(JsonAbrufTest, leereAntwortIstUnlesbar) {
    for (int status : {200, 204}) {
        server.beantworte("/leer", Antwort::json("", status));
        EXPECT_EQ(kursfehler([&] { hole("/leer"); }), Kursfehler::antwortUnlesbar("Antwort war leer")) << status;
    }
    Antwort leerOhneLaenge = Antwort::json("");
    leerOhneLaenge.ohneLaenge = true;
    server.beantworte("/leer", leerOhneLaenge);
    EXPECT_EQ(kursfehler([&] { hole("/leer"); }), Kursfehler::antwortUnlesbar("Antwort war leer"));
}

TEST_F(JsonAbrufTest, nimmtHoechstens262144BytesAuchOhneLaenge) {
    struct Fall {
        std::size_t groesse;
        bool ohneLaenge;
        std::size_t stueck;
        bool angenommen;
    };
    const Fall faelle[] = {
        {JsonAbruf::hoechstgroesse, false, 0, true},
        {JsonAbruf::hoechstgroesse, true, 0, true},
        {JsonAbruf::hoechstgroesse, true, 1000, true},
        {JsonAbruf::hoechstgroesse + 1, false, 0, false},
        {JsonAbruf::hoechstgroesse + 1, true, 0, false},
        {JsonAbruf::hoechstgroesse + 1, true, 4096, false},
        {8 * JsonAbruf::hoechstgroesse, true, 65536, false},
    };
    for (const auto& fall : faelle) {
        Antwort antwort = mitKoerper(200, fall.groesse);
        antwort.ohneLaenge = fall.ohneLaenge;
        antwort.stueckgroesse = fall.stueck;
        server.beantworte("/gross", antwort);
        if (fall.angenommen) {
            EXPECT_EQ(hole("/gross").size(), fall.groesse);
        } else {
            EXPECT_EQ(kursfehler([&] { hole("/gross"); }), Kursfehler::antwortUnlesbar("Antwort größer als erlaubt"))
                << fall.groesse << (fall.ohneLaenge ? " ohne Länge" : "");
        }
    }
}

TEST_F(JsonAbrufTest, folgtWeiterleitungenNurAufDemselbenHost) {
    const Kursfehler andereAdresse = Kursfehler::netzwerk("Die Antwort kam von einer anderen Adresse");
    const std::string port = std::to_string(server.port());
    server.beantworte("/gut", Antwort::json("{}"));
    server.beantworte("/gross", mitKoerper(200, JsonAbruf::hoechstgroesse + 1));
    server.beantworte("/fehlt", mitKoerper(404, 10));
    server.beantworte("/leer", Antwort::json(""));
    struct Fall {
        std::string start;
        std::string ziel;
        std::optional<Kursfehler> erwartet;
    };
    const Fall faelle[] = {
        {"127.0.0.1", "/gut", std::nullopt},
        {"localhost", "https://LocalHost:" + port + "/gut", std::nullopt},
        {"127.0.0.1", "https://localhost:" + port + "/gut", andereAdresse},
        // The host is checked before the size and the emptiness, after the status.
        {"127.0.0.1", "https://localhost:" + port + "/gross", andereAdresse},
        {"127.0.0.1", "https://localhost:" + port + "/leer", andereAdresse},
        {"127.0.0.1", "https://localhost:" + port + "/fehlt", Kursfehler::nichtGefunden(404)},
        {"127.0.0.1", "http://127.0.0.1:" + port + "/gut", andereAdresse},
    };
    for (const auto& fall : faelle) {
        server.beantworte("/weiter", Antwort::nach(fall.ziel));
        if (fall.erwartet) {
            EXPECT_EQ(kursfehler([&] { hole("/weiter", fall.start); }), *fall.erwartet) << fall.ziel;
        } else {
            EXPECT_EQ(hole("/weiter", fall.start), "{}") << fall.ziel;
        }
    }
}

TEST_F(JsonAbrufTest, gibtNachZeitueberschreitungenAuf) {
    const Kursfehler zeit = Kursfehler::netzwerk("Zeitüberschreitung bei der Anforderung.");
    Antwort stumm = Antwort::json("{}");
    stumm.verzoegerung = 2s;
    server.beantworte("/stumm", stumm);
    Antwort tropfend = Antwort::json(std::string(10, ' ') + "{}");
    tropfend.stueckgroesse = 1;
    tropfend.stueckpause = 40ms;
    server.beantworte("/tropft", tropfend);

    JsonAbruf wenigGeduld = qbtest::abrufFuer(server, 150ms, 30s);
    EXPECT_EQ(kursfehler([&] { wenigGeduld.daten(adresse("/stumm"), {}); }), zeit);
    // Every byte restarts the wait for data, so a slow trickle still arrives.
    EXPECT_EQ(wenigGeduld.daten(adresse("/tropft"), {}), std::string(10, ' ') + "{}");

    JsonAbruf kurzeGesamtzeit = qbtest::abrufFuer(server, 15s, 250ms);
    EXPECT_EQ(kursfehler([&] { kurzeGesamtzeit.daten(adresse("/tropft"), {}); }), zeit);
}

// A server that speaks plain HTTP where TLS is expected.
class Klartextserver {
public:
    Klartextserver() {
        server_.Get(".*", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("{}", "application/json");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        faden_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) {
            std::this_thread::sleep_for(1ms);
        }
    }
    ~Klartextserver() {
        server_.stop();
        faden_.join();
    }
    int port() const { return port_; }

private:
    httplib::Server server_;
    std::thread faden_;
    int port_ = 0;
};

TEST_F(JsonAbrufTest, meldetJedenTransportfehlerAufDeutsch) {
    server.beantworte("/x", Antwort::json("{}"));
    Antwort laengeUnlesbar = Antwort::json("{}");
    laengeUnlesbar.koepfe = {{"Content-Length", "value"}};
    server.beantworte("/laenge", laengeUnlesbar);
    Antwort abgerissen = Antwort::json(std::string(1000, ' ') + "{}");
    abgerissen.abbruchNach = 500;
    server.beantworte("/abgerissen", abgerissen);
    server.beantworte("/kreis", Antwort::nach("/kreis"));

    int freierPort = 0;
    {
        qbtest::Testserver anderer;
        freierPort = anderer.port();
    }
    Klartextserver klartext;
    qb::JsonAbruf::Sitzung ohneCaDatei;
    ohneCaDatei.caDatei = "/nirgends/ca.pem";
    qbtest::Testzertifikat anderesZertifikat;
    qb::JsonAbruf::Sitzung andererAussteller;
    andererAussteller.caDatei = anderesZertifikat.caDatei();
    const std::string port = std::to_string(server.port());

    struct Fall {
        JsonAbruf abruf;
        std::string adresse;
        const char* grund;
    };
    const Fall faelle[] = {
        {abruf, "https://127.0.0.1:" + std::to_string(freierPort) + "/x",
         "Es konnte keine Verbindung zum Server hergestellt werden."},
        {abruf, "https://unbekannt.test:" + port + "/x", "Der Server wurde nicht gefunden."},
        {JsonAbruf(andererAussteller), adresse("/x"), "Das Zertifikat des Servers ist nicht vertrauenswürdig."},
        {abruf, "https://fremd.test:" + port + "/x",
         "Das Zertifikat des Servers ist nicht vertrauenswürdig."},
        {JsonAbruf(ohneCaDatei), adresse("/x"),
         "Die Zertifikate für sichere Verbindungen ließen sich nicht laden."},
        {abruf, "https://127.0.0.1:" + std::to_string(klartext.port()) + "/x",
         "Eine sichere Verbindung zum Server konnte nicht hergestellt werden."},
        {abruf, adresse("/laenge"), "Der Server hat eine ungültige Antwort gesendet."},
        {abruf, adresse("/abgerissen"), "Die Netzwerkverbindung wurde unterbrochen."},
        {abruf, adresse("/kreis"), "Zu viele Weiterleitungen."},
        {abruf, "https://127.0.0.1:99999/x", "Die Adresse der Quelle ist ungültig."},
    };
    for (const auto& fall : faelle) {
        EXPECT_EQ(kursfehler([&] { fall.abruf.daten(fall.adresse, {}); }), Kursfehler::netzwerk(fall.grund))
            << fall.adresse;
    }
    // After every failure the same fetch still works.
    EXPECT_EQ(hole("/x"), "{}");
}

TEST_F(JsonAbrufTest, nacheinanderGenuegtEinHandschlag) {
    server.beantworte("/x", Antwort::json("{}"));
    server.beantworte("/fehlt", mitKoerper(404, 65536));
    const JsonAbruf kopie = abruf;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(hole("/x"), "{}");
        EXPECT_EQ(kopie.daten(adresse("/x"), {}), "{}");
    }
    EXPECT_EQ(server.handschlaege(), 1);
    EXPECT_EQ(server.verbindungen(), 1u);

    // An error body is read past, so its connection stays; one over the limit for that takes
    // its connection with it, and the next one shakes hands in full, as TLS sessions are not
    // shared between transfers.
    EXPECT_EQ(kursfehler([&] { hole("/fehlt"); }), Kursfehler::nichtGefunden(404));
    EXPECT_EQ(hole("/x"), "{}");
    EXPECT_EQ(server.handschlaege(), 1);
    server.beantworte("/fehlt", mitKoerper(404, 65537));
    EXPECT_EQ(kursfehler([&] { hole("/fehlt"); }), Kursfehler::nichtGefunden(404));
    EXPECT_EQ(hole("/x"), "{}");
    EXPECT_EQ(hole("/x"), "{}");
    EXPECT_EQ(server.handschlaege(), 2);
    EXPECT_EQ(server.fortsetzungen(), 0);
    // Without a length the same bound holds while the body is read.
    for (const auto& [groesse, handschlaege] : {std::pair<std::size_t, int>{65536, 2}, {65537, 3}}) {
        Antwort ohneLaenge = mitKoerper(404, groesse);
        ohneLaenge.ohneLaenge = true;
        server.beantworte("/fehlt", ohneLaenge);
        EXPECT_EQ(kursfehler([&] { hole("/fehlt"); }), Kursfehler::nichtGefunden(404));
        EXPECT_EQ(hole("/x"), "{}");
        EXPECT_EQ(server.handschlaege(), handschlaege) << groesse;
    }

    // Another session keeps its own connections.
    JsonAbruf andere = qbtest::abrufFuer(server);
    EXPECT_EQ(andere.daten(adresse("/x"), {}), "{}");
    EXPECT_EQ(andere.daten(adresse("/x"), {}), "{}");
    EXPECT_EQ(server.handschlaege(), 4);
    EXPECT_EQ(server.fortsetzungen(), 0);
}

// The error comes with the status: a body that has not ended 250 ms after it is left behind with
// its connection, however long the server would keep it open; one that ends within that, even in
// pieces the fetch has to wait for, is read past and its connection lent again.
TEST_F(JsonAbrufTest, einFehlerstatusWartetNichtAufSeinenKoerper) {
    server.beantworte("/x", Antwort::json("{}"));
    struct Fall {
        int status;
        bool ohneLaenge;
        std::size_t groesse;             // sent a byte at a time
        std::size_t stocktNach;          // bytes before the rest waits for the server's end
        std::chrono::milliseconds pause; // before each byte
        int handschlaege;                // of the next fetch
    };
    const Fall faelle[] = {
        {404, false, 1000, 0, 0ms, 1},
        {500, false, 1000, 10, 0ms, 1},
        {404, true, 1000, 0, 0ms, 1},
        {503, true, 1000, 10, 0ms, 1},
        // Ends 80 ms after the head.
        {404, false, 2, 2, 40ms, 0},
        // Every byte within the wait for data, yet the whole body takes a second.
        {500, false, 20, 20, 50ms, 1},
    };
    EXPECT_EQ(hole("/x"), "{}");
    for (const auto& fall : faelle) {
        SCOPED_TRACE(testing::Message() << fall.status << ", " << fall.groesse << " Bytes");
        Antwort fehler = mitKoerper(fall.status, fall.groesse);
        fehler.ohneLaenge = fall.ohneLaenge;
        fehler.stocktNach = fall.stocktNach;
        fehler.stueckgroesse = 1;
        fehler.stueckpause = fall.pause;
        server.beantworte("/fehlt", fehler);
        const Kursfehler erwartet =
            fall.status == 404 ? Kursfehler::nichtGefunden(404) : Kursfehler::quellenfehler(fall.status);
        const long vorher = server.handschlaege();
        const auto anfang = std::chrono::steady_clock::now();
        EXPECT_EQ(kursfehler([&] { hole("/fehlt"); }), erwartet);
        EXPECT_LT(std::chrono::steady_clock::now() - anfang, 5s);
        EXPECT_EQ(hole("/x"), "{}");
        EXPECT_EQ(server.handschlaege() - vorher, fall.handschlaege);
    }
}

TEST_F(JsonAbrufTest, gleichzeitigeAbrufeNutzenVerbindungenWiederAberKeineTlsSitzung) {
    constexpr int zugleich = 4;
    std::mutex mutex;
    std::condition_variable alleDa;
    int angekommen = 0;
    // Each answer waits until the whole round is in, so that the fetches surely overlap.
    server.beantworte("/rund", [&](const qbtest::Anfrage&) {
        std::unique_lock sperre(mutex);
        ++angekommen;
        alleDa.notify_all();
        alleDa.wait_for(sperre, 5s, [&] { return angekommen % zugleich == 0; });
        return Antwort::json("{}");
    });
    server.beantworte("/x", Antwort::json("{}"));
    EXPECT_EQ(hole("/x"), "{}");

    for (int runde = 0; runde < 3; ++runde) {
        std::vector<std::future<std::string>> abrufe;
        for (int i = 0; i < zugleich; ++i) {
            abrufe.push_back(std::async(std::launch::async, [&] { return hole("/rund"); }));
        }
        for (auto& a : abrufe) {
            EXPECT_EQ(a.get(), "{}");
        }
        // One connection each, the first one's from before, and later rounds find them open.
        EXPECT_EQ(server.handschlaege(), zugleich) << runde;
    }
    // Each new connection shakes hands in full: no thread resumes a TLS session that another
    // one's transfer holds.
    EXPECT_EQ(server.fortsetzungen(), 0);
    EXPECT_EQ(server.verbindungen(), static_cast<std::size_t>(zugleich));
}

TEST_F(JsonAbrufTest, endetBeimStoppSofortMitAbgebrochen) {
    Antwort langsam = Antwort::json("{}");
    langsam.verzoegerung = 10s;
    server.beantworte("/langsam", langsam);
    Antwort tropfend = Antwort::json(std::string(1000, ' '));
    tropfend.stueckgroesse = 1;
    tropfend.stueckpause = 20ms;
    server.beantworte("/tropft", tropfend);

    for (std::string pfad : {"/langsam", "/tropft"}) {
        std::stop_source stopp;
        auto ergebnis = std::async(std::launch::async, [&] {
            auto anfang = std::chrono::steady_clock::now();
            try {
                abruf.daten(adresse(pfad), stopp.get_token());
                ADD_FAILURE() << "kein Abbruch";
            } catch (const qb::Abgebrochen&) {
            } catch (const std::exception& fehler) {
                ADD_FAILURE() << fehler.what();
            }
            return std::chrono::steady_clock::now() - anfang;
        });
        std::this_thread::sleep_for(200ms);
        stopp.request_stop();
        EXPECT_LT(ergebnis.get(), 1s) << pfad;
    }

    std::stop_source schonGestoppt;
    schonGestoppt.request_stop();
    auto vorher = server.anfragen().size();
    EXPECT_THROW(abruf.daten(adresse("/langsam"), schonGestoppt.get_token()), qb::Abgebrochen);
    EXPECT_EQ(server.anfragen().size(), vorher);
}

TEST_F(JsonAbrufTest, wartetBeimStoppNichtAufDenNamensdienst) {
    std::stop_source stopp;
    auto ergebnis = std::async(std::launch::async, [&] {
        auto anfang = std::chrono::steady_clock::now();
        EXPECT_THROW(abruf.daten("https://langsam.test/x", stopp.get_token()), qb::Abgebrochen);
        return std::chrono::steady_clock::now() - anfang;
    });
    std::this_thread::sleep_for(200ms);
    stopp.request_stop();
    EXPECT_LT(ergebnis.get(), 1s);

    // The wait for data covers the name lookup as well.
    JsonAbruf wenigGeduld = qbtest::abrufFuer(server, 150ms, 30s);
    auto anfang = std::chrono::steady_clock::now();
    EXPECT_EQ(kursfehler([&] { wenigGeduld.daten("https://langsam.test/x", {}); }),
              Kursfehler::netzwerk("Zeitüberschreitung bei der Anforderung."));
    EXPECT_LT(std::chrono::steady_clock::now() - anfang, 1s);
}

TEST_F(JsonAbrufTest, einUnpassendesJsonIstUnlesbar) {
    struct Fall {
        std::string koerper;
        std::string grund;
    };
    const Fall faelle[] = {
        {"<html>", "Kein gültiges JSON (Byte 1)"},
        {R"({"name": "a",})", "Kein gültiges JSON (Byte 14)"},
        {"[1,2]", "Objekt erwartet, gefunden: array"},
        {R"({"name": 5})", "Feld „name“: Text erwartet, gefunden: number"},
        {R"({"name": ["a"]})", "Feld „name“: Text erwartet, gefunden: array"},
    };
    for (const auto& fall : faelle) {
        server.beantworte("/j", Antwort::json(fall.koerper));
        EXPECT_EQ(kursfehler([&] { abruf.lade<Probe>(adresse("/j"), {}); }), Kursfehler::antwortUnlesbar(fall.grund))
            << fall.koerper;
    }
    server.beantworte("/j", Antwort::json(R"({"name": null, "anderes": [1]})"));
    EXPECT_EQ(abruf.lade<Probe>(adresse("/j"), {}).name, std::nullopt);
}

} // namespace
