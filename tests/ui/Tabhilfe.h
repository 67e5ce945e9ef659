#pragma once

// Tab and Shift+Tab through a whole sheet, pressed as a user presses them, against what the
// sheet shows.

#include <string>
#include <vector>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include "ui/Textbruecke.h"
#include "ui/Zahleneingabe.h"

namespace qbtest {

// Whether Tab may stop at `w`: shown, enabled, in the sheet's own window and taking the focus by
// Tab itself. A compound widget hands the focus to its proxy, which counts in its place.
inline bool tabziel(const QWidget* w, const QWidget* blatt) {
    return w->window() == blatt && (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus &&
           w->focusProxy() == nullptr && w->isVisible() && w->isEnabled();
}

// A stop of the ring by name, with the outermost named part around it that is not the scrolled
// page: "kauf/kurs", "zeile_aktie/handelswaehrung". A number field's text field by the number
// field's name.
inline std::string tabname(const QWidget* w, const QWidget* blatt) {
    std::string name = qb::utf8(w->objectName());
    std::string umgebung;
    for (const QWidget* um = w->parentWidget(); um != nullptr && um != blatt; um = um->parentWidget()) {
        if (qobject_cast<const qb::Zahleneingabe*>(um) != nullptr) {
            name = qb::utf8(um->objectName());
        } else if (!um->objectName().isEmpty() && !um->objectName().startsWith(QStringLiteral("qt_")) &&
                   qobject_cast<const QAbstractScrollArea*>(um) == nullptr) {
            umgebung = qb::utf8(um->objectName());
        }
    }
    return umgebung.empty() || umgebung == name ? name : umgebung + "/" + name;
}

inline std::string tabnamen(const std::vector<QWidget*>& folge, const QWidget* blatt) {
    std::string namen;
    for (const QWidget* w : folge) {
        namen += (w == nullptr ? std::string("(kein Fokus)") : tabname(w, blatt)) + " ";
    }
    return namen;
}

// The stops under `teil` in the order the eye reads the sheet: parts one above the other from
// the top, parts side by side from the left. Read from where the parts stand, not from the
// layouts, so that it shows what a user sees.
inline void lesefolge(QWidget* teil, const QWidget* blatt, std::vector<QWidget*>& folge) {
    if (tabziel(teil, blatt)) {
        folge.push_back(teil);
    }
    const auto vorher = [](const QWidget* a, const QWidget* b) {
        const QRect ra = a->geometry();
        const QRect rb = b->geometry();
        if (ra.bottom() < rb.top() || rb.bottom() < ra.top()) {
            return ra.top() < rb.top();
        }
        return ra.left() < rb.left();
    };
    std::vector<QWidget*> kinder;
    for (QWidget* kind : teil->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (kind->isWindow() || !kind->isVisible()) {
            continue;
        }
        auto stelle = kinder.begin();
        while (stelle != kinder.end() && !vorher(kind, *stelle)) {
            ++stelle;
        }
        kinder.insert(stelle, kind);
    }
    for (QWidget* kind : kinder) {
        lesefolge(kind, blatt, folge);
    }
}

// Where the focus goes by pressing Tab (or Shift+Tab) on the focused widget again and again,
// from `start` until it is back there; at most `grenze` presses.
inline std::vector<QWidget*> tabrunde(QWidget* start, bool vorwaerts, std::size_t grenze) {
    std::vector<QWidget*> runde{start};
    for (std::size_t druck = 0; druck < grenze; ++druck) {
        QWidget* fokus = QApplication::focusWidget();
        if (fokus == nullptr) {
            runde.push_back(nullptr);
            break;
        }
        if (vorwaerts) {
            QTest::keyClick(fokus, Qt::Key_Tab);
        } else {
            QTest::keyClick(fokus, Qt::Key_Backtab, Qt::ShiftModifier);
        }
        if (QApplication::focusWidget() == start) {
            break;
        }
        runde.push_back(QApplication::focusWidget());
    }
    return runde;
}

// Tab from the sheet's first stop visits every stop the sheet shows exactly once, in reading
// order, before it comes back; Shift+Tab walks the same ring backwards. The sheet is shown.
inline void pruefeTabring(QWidget* blatt, const std::string& fall) {
    QApplication::setActiveWindow(blatt);
    ASSERT_TRUE(QTest::qWaitForWindowActive(blatt)) << fall;
    // What the last step left to do once control is back, such as showing a field just made or
    // laying out the rows, is done long before a user presses a key.
    for (int runde = 0; runde < 10; ++runde) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    std::vector<QWidget*> ziele;
    lesefolge(blatt, blatt, ziele);
    ASSERT_GE(ziele.size(), 2U) << fall;
    QWidget* start = ziele.front();
    start->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == start; }, 2000)) << fall;

    const std::size_t grenze = 2 * ziele.size() + 2;
    const std::vector<QWidget*> vor = tabrunde(start, true, grenze);
    EXPECT_TRUE(vor == ziele) << fall << ", Tab: " << tabnamen(vor, blatt) << "\nstatt "
                              << tabnamen(ziele, blatt);
    std::vector<QWidget*> rueckwaerts{start};
    rueckwaerts.insert(rueckwaerts.end(), ziele.rbegin(), ziele.rend() - 1);
    const std::vector<QWidget*> zurueck = tabrunde(start, false, grenze);
    EXPECT_TRUE(zurueck == rueckwaerts)
        << fall << ", Shift+Tab: " << tabnamen(zurueck, blatt) << "\nstatt " << tabnamen(rueckwaerts, blatt);
}

} // namespace qbtest
