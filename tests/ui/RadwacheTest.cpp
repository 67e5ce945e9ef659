#include <functional>
#include <memory>
#include <vector>

#include <QComboBox>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include "ui/Radhilfe.h"
#include "ui/Datumsfeld.h"
#include "ui/Radwache.h"

using namespace qb;

namespace {

// A scrolled page, guarded before its fields exist: the fields come in a box of their own,
// added later, as a sheet adds rows when it learns more.
struct Seite {
    Seite() {
        flaeche.resize(300, 200);
        flaeche.setWidgetResizable(true);
        auto* inhalt = new QWidget;
        spalte = new QVBoxLayout(inhalt);
        flaeche.setWidget(inhalt);
        Radwache::schuetze(&flaeche);
        vorher = new QComboBox;
        vorher->addItems({QStringLiteral("EUR"), QStringLiteral("USD"), QStringLiteral("AUD")});
        spalte->addWidget(vorher);
        spalte->addSpacing(600);
        // Where the focus is while the wheel turns over the other fields.
        spalte->addWidget(new QLineEdit);
        flaeche.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&flaeche));
        QApplication::setActiveWindow(&flaeche);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&flaeche));
        flaeche.findChild<QLineEdit*>()->setFocus();
    }
    // A box with the field in it, put at the top of the page.
    void fuegeHinzu(QWidget* feld) {
        auto* kasten = new QWidget;
        auto* zeile = new QVBoxLayout(kasten);
        zeile->addWidget(feld);
        spalte->insertWidget(0, kasten);
        QCoreApplication::processEvents();
        flaeche.verticalScrollBar()->setValue(0);
    }

    QScrollArea flaeche;
    QVBoxLayout* spalte = nullptr;
    QComboBox* vorher = nullptr;
};

TEST(RadwacheTest, ohneFokusRolltDasRadDieSeiteMitFokusVerstelltEsDasFeld) {
    struct Fall {
        const char* art;
        std::function<QWidget*(Seite&)> feld;
        std::function<QVariant(QWidget*)> wert;
    };
    const auto auswahl = [](QWidget* feld) { return QVariant(static_cast<QComboBox*>(feld)->currentIndex()); };
    const std::vector<Fall> faelle = {
        {"picker added with the page", [](Seite& seite) { return seite.vorher; }, auswahl},
        {"picker added later",
         [](Seite& seite) {
             auto* wahl = new QComboBox;
             wahl->addItems({QStringLiteral("EUR"), QStringLiteral("AUD")});
             seite.fuegeHinzu(wahl);
             return wahl;
         },
         auswahl},
        {"number spinner added later",
         [](Seite& seite) {
             auto* zahl = new QSpinBox;
             zahl->setValue(5);
             seite.fuegeHinzu(zahl);
             return zahl;
         },
         [](QWidget* feld) { return QVariant(static_cast<QSpinBox*>(feld)->value()); }},
        {"date field added later",
         [](Seite& seite) {
             auto* datum = new Datumsfeld;
             datum->setzeDatum(QDate(2024, 3, 4));
             seite.fuegeHinzu(datum);
             return datum;
         },
         [](QWidget* feld) { return QVariant(static_cast<Datumsfeld*>(feld)->datum()); }},
    };
    for (const Fall& fall : faelle) {
        SCOPED_TRACE(fall.art);
        Seite seite;
        QWidget* feld = fall.feld(seite);
        QScrollBar* leiste = seite.flaeche.verticalScrollBar();
        ASSERT_EQ(leiste->value(), 0);
        const QVariant anfangs = fall.wert(feld);

        qbtest::dreheRad(feld);
        EXPECT_EQ(fall.wert(feld), anfangs);
        EXPECT_GT(leiste->value(), 0);
        EXPECT_FALSE(feld->hasFocus());

        leiste->setValue(0);
        feld->setFocus(Qt::TabFocusReason);
        qbtest::dreheRad(feld);
        EXPECT_NE(fall.wert(feld), anfangs);
        EXPECT_EQ(leiste->value(), 0);
    }
}

} // namespace
