#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include "Umgebung.h"
#include "app/QuinzelbrockatApp.h"
#include "app/Speicherfehleransicht.h"
#include "model/Datenschema.h"
#include "model/Modellcontainer.h"
#include "ui/Fensterhilfe.h"
#include "ui/Hinweiszeile.h"

using namespace qb;

namespace {

TEST(SpeicherfehleransichtTest, zeigtPfadUndMeldungWoertlichZumKopierenUndSchneidetNichtsAb) {
    const QString pfad = QStringLiteral("/home/anna/.local/share/quinzelbrockat/Sicherungen");
    // Markup stays text, and a long message wraps instead of being cut off.
    const QString meldung = QStringLiteral("<b>Die Datei ist keine Datenbank</b> ") + QStringLiteral("und noch mehr ").repeated(60);
    Speicherfehleransicht ansicht(meldung, pfad);
    ansicht.resize(420, 240);
    ansicht.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&ansicht));

    for (const auto& [name, text] : {std::pair{"sicherungsordner", pfad}, std::pair{"technischeMeldung", meldung}}) {
        auto* label = ansicht.findChild<QLabel*>(QString::fromLatin1(name));
        ASSERT_NE(label, nullptr) << name;
        EXPECT_EQ(label->text(), text) << name;
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << name;
        EXPECT_TRUE(label->textInteractionFlags() & Qt::TextSelectableByMouse) << name;
        EXPECT_TRUE(label->wordWrap()) << name;
    }
    auto* technisch = ansicht.findChild<QLabel*>(QStringLiteral("technischeMeldung"));
    EXPECT_GE(technisch->height(), technisch->heightForWidth(technisch->width()));
    EXPECT_GT(ansicht.verticalScrollBar()->maximum(), 0) << "the view scrolls";
    EXPECT_EQ(ansicht.minimumSize(), QSize(420, 240));

    // The fixed texts are not for copying.
    for (auto* label : ansicht.findChildren<QLabel*>()) {
        if (label != technisch && label->objectName() != QStringLiteral("sicherungsordner")) {
            EXPECT_FALSE(label->textInteractionFlags() & Qt::TextSelectableByMouse) << label->text().toStdString();
        }
    }
}

// Backups are named only where one can help: not for another window's game, nor a file refused unread.
TEST(SpeicherfehleransichtTest, nenntSicherungenNurWoSieHelfenUndEinAnderesFensterAlsSolches) {
    const QString defekt = QStringLiteral("Die gespeicherten Daten konnten nicht geöffnet werden");
    qbtest::Testordner ordner;
    std::unique_ptr<Modellcontainer> erstes;
    const auto leer = ordner.pfad() / "leer.sqlite";
    std::ofstream(leer) << "";
    const struct {
        const char* name;
        std::function<void(const std::filesystem::path&)> richteEin;
        QString titel;
        bool sicherung = false;
    } faelle[] = {
        {"keine Datenbank", [](const auto& datei) { std::ofstream(datei) << "kein SQLite"; }, defekt, true},
        {"anderes Fenster", [&](const auto&) { erstes = Datenschema::oeffneSpeicher(); },
         QStringLiteral("Das Spiel ist schon in einem anderen Fenster geöffnet")},
        {"harte Verknüpfung", [&](const auto& datei) { std::filesystem::create_hard_link(leer, datei); },
         defekt},
        {"Verknüpfung ins Leere",
         [](const auto& datei) { std::filesystem::create_symlink(datei.parent_path() / "fehlt", datei); },
         defekt},
    };
    for (const auto& fall : faelle) {
        SCOPED_TRACE(fall.name);
        const qbtest::Umgebung nutzer({{"XDG_DATA_HOME", (ordner.pfad() / fall.name).c_str()},
                                       {"XCTestConfigurationFilePath", nullptr},
                                       {"XCTestBundlePath", nullptr}, {"XCTestSessionIdentifier", nullptr}});
        const auto datei = Datenschema::speicherdatei();
        std::filesystem::create_directories(datei.parent_path());
        fall.richteEin(datei);
        QuinzelbrockatApp app(QuinzelbrockatApp::oeffneSpeicher());
        EXPECT_EQ(app.fenster().findChild<Hinweiszeile*>(QStringLiteral("titel"))->text(), fall.titel);
        EXPECT_EQ(app.fenster().findChild<QLabel*>(QStringLiteral("sicherungsordner")) != nullptr,
                  fall.sicherung);
    }
}

} // namespace
