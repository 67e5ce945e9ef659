#include <gtest/gtest.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QTest>
#include <QWidget>

#include "ui/Farbhilfe.h"
#include "ui/Segmentknopf.h"

using namespace qb;

namespace {

// How many pixels of the segment's face differ between two pictures of it.
int verschiedenePixel(const QImage& a, const QImage& b) {
    int anzahl = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            anzahl += qbtest::farbabstand(a.pixelColor(x, y), b.pixelColor(x, y)) > 60 ? 1 : 0;
        }
    }
    return anzahl;
}

} // namespace

// The keyboard's place stays in sight on the chosen segment too, whose fill is the colour the
// style marks the focus with; in light and dark.
TEST(SegmentknopfTest, derGewaehlteSegmentknopfZeigtSeinenFokus) {
    for (const bool dunkel : {false, true}) {
        qbtest::Anwendungspalette palette(dunkel ? qbtest::dunklePalette()
                                                 : QApplication::style()->standardPalette());
        QWidget fenster;
        auto* reihe = new QHBoxLayout(&fenster);
        auto* gewaehlt = new Segmentknopf(QStringLiteral("Portfolio"), &fenster);
        auto* anderer = new Segmentknopf(QStringLiteral("Stichtage"), &fenster);
        reihe->addWidget(gewaehlt);
        reihe->addWidget(anderer);
        gewaehlt->setChecked(true);
        fenster.show();
        QApplication::setActiveWindow(&fenster);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&fenster));

        anderer->setFocus(Qt::TabFocusReason);
        const QImage ohne = gewaehlt->grab().toImage();
        gewaehlt->setFocus(Qt::TabFocusReason);
        const QImage mit = gewaehlt->grab().toImage();
        // A ring around the face, not a shade: well over its short sides' length.
        EXPECT_GT(verschiedenePixel(ohne, mit), 2 * gewaehlt->height()) << dunkel;
    }
}
