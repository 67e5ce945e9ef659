#include <QFontMetrics>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include "ui/Schriftstil.h"
#include "ui/Signalfarbe.h"
#include "ui/Symbol.h"
#include "ui/Grenzhinweis.h"

using namespace qb;

namespace {

const QString langerText = QStringLiteral(
    "Die Menge muss über 0 und höchstens 1.000.000.000 sein. Der Nennwert muss über 0 und höchstens "
    "1.000.000.000 sein.");

QPalette palette(const QColor& fenster, const QColor& text) {
    QPalette p;
    p.setColor(QPalette::Window, fenster);
    p.setColor(QPalette::ButtonText, text);
    return p;
}

} // namespace

TEST(GrenzhinweisTest, einLangerTextBrichtUmStattAbgeschnittenZuWerden) {
    // Under a field of a form, and alone in a column.
    for (const bool imFormular : {true, false}) {
        QWidget grund;
        auto* hinweis = new Grenzhinweis(langerText);
        if (imFormular) {
            auto* formular = new QFormLayout(&grund);
            formular->addRow(QStringLiteral("Menge"), new QLineEdit);
            formular->addRow(QString(), hinweis);
        } else {
            auto* spalte = new QVBoxLayout(&grund);
            spalte->addWidget(hinweis);
            spalte->addStretch();
        }
        grund.resize(260, 400);
        grund.show();
        SCOPED_TRACE(imFormular ? "Formular" : "Spalte");

        const auto* etikett = hinweis->findChild<QLabel*>();
        ASSERT_NE(etikett, nullptr);
        EXPECT_EQ(etikett->text(), langerText);
        EXPECT_EQ(etikett->font(), Schriftstil::hervorhebung(grund.font()));
        const int zeile = QFontMetrics(etikett->font()).height();
        EXPECT_TRUE(QTest::qWaitFor([&] { return etikett->height() >= 3 * zeile; }, 2000)) << etikett->height();
        EXPECT_GE(etikett->height(), etikett->heightForWidth(etikett->width()));
        EXPECT_LE(hinweis->geometry().right(), grund.contentsRect().right());

        // Wider, it needs one line and takes no more height than that.
        grund.resize(1400, 400);
        EXPECT_TRUE(QTest::qWaitFor([&] { return hinweis->height() < 2 * zeile; }, 2000)) << hinweis->height();
    }
}

TEST(GrenzhinweisTest, symbolUndTextNehmenDieWarnfarbeImHellenUndImDunklen) {
    QWidget grund;
    grund.setPalette(palette(Qt::white, Qt::black));
    auto* hinweis = new Grenzhinweis(QStringLiteral("Die Menge muss über 0 sein."), &grund);
    grund.show();

    auto* symbol = hinweis->findChild<Symbol*>();
    const auto* etikett = hinweis->findChild<QLabel*>();
    ASSERT_NE(symbol, nullptr);
    ASSERT_NE(etikett, nullptr);
    EXPECT_EQ(symbol->name(), QStringLiteral("exclamationmark.triangle"));
    EXPECT_EQ(symbol->palette().color(QPalette::WindowText), Signalfarbe::warnung.hell());
    EXPECT_EQ(etikett->palette().color(QPalette::WindowText), Signalfarbe::warnung.hell());

    grund.setPalette(palette(QColor(30, 30, 30), Qt::white));
    EXPECT_EQ(symbol->palette().color(QPalette::WindowText), Signalfarbe::warnung.dunkel());
    EXPECT_EQ(etikett->palette().color(QPalette::WindowText), Signalfarbe::warnung.dunkel());
}
