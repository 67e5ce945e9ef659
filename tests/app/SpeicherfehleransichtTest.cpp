#include <filesystem>

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

// Another window's game, a link to nowhere and a "-wal" that does not fit: no backup helps, so none is named.
TEST(SpeicherfehleransichtTest, nenntSicherungenNurWoSieHelfenUndEinAnderesFensterAlsSolches) {
    qbtest::Testordner ordner;
    const qbtest::Umgebung nutzer({{"XDG_DATA_HOME", ordner.pfad().c_str()}});
    const auto datei = Datenschema::speicherdatei();
    std::filesystem::create_directories(datei.parent_path());
    std::filesystem::create_symlink(ordner.pfad() / "fehlt", datei);
    const QuinzelbrockatApp verknuepft(QuinzelbrockatApp::oeffneSpeicher());
    EXPECT_EQ(verknuepft.fenster().findChild<QLabel*>("sicherungsordner"), nullptr);
    std::filesystem::remove(datei);
    const auto erstes = Datenschema::oeffneSpeicher();
    QuinzelbrockatApp zweites(QuinzelbrockatApp::oeffneSpeicher());
    EXPECT_EQ(zweites.fenster().findChild<Hinweiszeile*>("titel")->text(),
              QStringLiteral("Das Spiel ist schon in einem anderen Fenster geöffnet"));
    EXPECT_EQ(zweites.fenster().findChild<QLabel*>("sicherungsordner"), nullptr);
    // Changes beside a whole game that do not fit it.
    const Speicherfehleransicht unpassend(QStringLiteral("…"), QStringLiteral("/Sicherungen"),
        Speicherfehleransicht::art(Datenschema::fehlerdomaene, Datenschema::unpassendeWal));
    EXPECT_EQ(unpassend.findChild<QLabel*>("sicherungsordner"), nullptr);
}

} // namespace
