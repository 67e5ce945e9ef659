#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include <gtest/gtest.h>

#include "ui/Formularraster.h"

using namespace qb;

// Laid out at one width, then asked for its height at the width of its size hint, as a parent
// working out that hint does, the form still gives a wrapping full-width row the height that
// its own width needs when it is laid out again. A plain QFormLayout of Qt 6.4 does not: the
// second case shows the fault, and fails once Qt mends it, so that Formularraster can go.
TEST(FormularrasterTest, eineUmbrechendeZeileBekommtDieHoeheIhrerBreite) {
    for (bool eigenes : {true, false}) {
        QWidget grund;
        QFormLayout* form = eigenes ? new Formularraster(&grund) : new QFormLayout(&grund);
        form->setContentsMargins(0, 0, 0, 0);
        form->addRow(QStringLiteral("Kurs"), new QLineEdit);
        auto* text = new QLabel(QStringLiteral("Kurs je Aktie."));
        text->setWordWrap(true);
        form->addRow(text);
        form->addRow(QStringLiteral("Menge"), new QLineEdit);
        grund.show();
        text->setText(QStringLiteral(
            "Kurs je Aktie. Notiert sie nicht in Euro, wähle die Handelswährung und trage den Kurs so ein, wie "
            "deine Quelle ihn zeigt. Britische Aktien stehen auf Bloomberg meist in Pence: dann den Kurs durch 100 "
            "teilen."));

        const int breite = form->sizeHint().width() * 2 / 3;
        form->setGeometry(QRect(0, 0, breite, 100));
        const int hinweisbreite = form->sizeHint().width();
        (void)form->heightForWidth(hinweisbreite);
        form->setGeometry(QRect(0, 0, breite, form->heightForWidth(breite)));

        ASSERT_GT(text->heightForWidth(breite), text->heightForWidth(hinweisbreite)) << "bricht nicht öfter um";
        EXPECT_EQ(text->width(), breite);
        if (eigenes) {
            EXPECT_GE(text->height(), text->heightForWidth(text->width()));
        } else {
            EXPECT_LT(text->height(), text->heightForWidth(text->width()))
                << "Qt " << qVersion() << " gibt der Zeile ihre Höhe selbst: Formularraster ist entbehrlich";
        }
    }
}
