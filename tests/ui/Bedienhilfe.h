#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include "ui/Textbruecke.h"
#include "ui/Zahleneingabe.h"

namespace qbtest {

// One input of a form as the eye and assistive technology meet it.
struct Beschriftetes {
    std::string beschriftung; // the row's visible label
    std::string name;         // the input's accessible name
};

// The name assistive technology announces. A picker on Linux reports its value as its name and
// is named by the label it is related to.
inline std::string zugangsname(QWidget* widget) {
    QAccessibleInterface* zugang = QAccessible::queryAccessibleInterface(widget);
    if (zugang == nullptr) {
        return {};
    }
    if (qobject_cast<QComboBox*>(widget) != nullptr) {
        const auto beschriftet = zugang->relations(QAccessible::Label);
        return qb::utf8(beschriftet.empty() ? widget->accessibleName()
                                            : beschriftet.front().first->text(QAccessible::Name));
    }
    return qb::utf8(zugang->text(QAccessible::Name));
}

// Every shown input that stands in a labelled row of a form inside `blatt`: a text field, a
// picker or a number field (its text field), also when the row holds it in a container.
inline std::vector<Beschriftetes> beschriftungen(const QWidget& blatt) {
    std::vector<Beschriftetes> gefunden;
    for (QFormLayout* form : blatt.findChildren<QFormLayout*>()) {
        for (int reihe = 0; reihe < form->rowCount(); ++reihe) {
            QLayoutItem* titel = form->itemAt(reihe, QFormLayout::LabelRole);
            QLayoutItem* inhalt = form->itemAt(reihe, QFormLayout::FieldRole);
            auto* label = titel != nullptr ? qobject_cast<QLabel*>(titel->widget()) : nullptr;
            QWidget* feld = inhalt != nullptr ? inhalt->widget() : nullptr;
            if (label == nullptr || feld == nullptr || !label->isVisibleTo(&blatt) || !feld->isVisibleTo(&blatt)) {
                continue;
            }
            QWidget* eingabe = nullptr;
            if (auto* zahl = qobject_cast<qb::Zahleneingabe*>(feld)) {
                eingabe = zahl->feld();
            } else if (qobject_cast<QLineEdit*>(feld) != nullptr || qobject_cast<QComboBox*>(feld) != nullptr) {
                eingabe = feld;
            } else if (auto* zahl = feld->findChild<qb::Zahleneingabe*>()) {
                eingabe = zahl->feld();
            }
            if (eingabe != nullptr) {
                gefunden.push_back({qb::utf8(label->text()), zugangsname(eingabe)});
            }
        }
    }
    return gefunden;
}

// Whether Tab stops at `w` in `fenster`: it takes the focus by Tab itself, shown and enabled.
inline bool tabziel(const QWidget* w, const QWidget* fenster) {
    return (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && w->focusProxy() == nullptr &&
           w->window() == fenster && w->isVisibleTo(fenster) && w->isEnabled();
}

// A stop by its object name; a number field's text field by the number field's.
inline std::string tabname(const QWidget* w) {
    const QWidget* benannt = w;
    for (const QWidget* um = w; um != nullptr; um = um->parentWidget()) {
        if (qobject_cast<const qb::Zahleneingabe*>(um) != nullptr) {
            benannt = um;
        }
    }
    return qb::utf8(benannt->objectName());
}

// What Tab reaches after `von`, in order, at most `schritte` of them, as Qt walks the focus chain
// of the window.
inline std::vector<std::string> tabfolge(QWidget* von, std::size_t schritte) {
    std::vector<std::string> namen;
    for (QWidget* w = von->nextInFocusChain(); w != von && namen.size() < schritte; w = w->nextInFocusChain()) {
        if (tabziel(w, von->window())) {
            namen.push_back(tabname(w));
        }
    }
    return namen;
}

// Tab pressed again and again from a stop of the shown sheet visits every stop it shows exactly
// once before it comes back there, and Shift+Tab walks the same ring backwards.
inline void pruefeTabring(QWidget* blatt, const std::string& fall) {
    QApplication::setActiveWindow(blatt);
    ASSERT_TRUE(QTest::qWaitForWindowActive(blatt)) << fall;
    // What the last step left to do, such as showing a field just made, is done long before a
    // user presses a key.
    for (int runde = 0; runde < 10; ++runde) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    std::vector<QWidget*> ziele;
    for (QWidget* w : blatt->findChildren<QWidget*>()) {
        if (tabziel(w, blatt)) {
            ziele.push_back(w);
        }
    }
    ASSERT_GE(ziele.size(), 2U) << fall;
    const auto runde = [&](bool vorwaerts) {
        ziele.front()->setFocus(Qt::TabFocusReason);
        std::vector<QWidget*> besucht;
        while (besucht.size() <= ziele.size() && QApplication::focusWidget() != nullptr) {
            besucht.push_back(QApplication::focusWidget());
            QTest::keyClick(besucht.back(), vorwaerts ? Qt::Key_Tab : Qt::Key_Backtab,
                            vorwaerts ? Qt::NoModifier : Qt::ShiftModifier);
            if (QApplication::focusWidget() == ziele.front()) {
                break;
            }
        }
        return besucht;
    };
    const auto namen = [](std::vector<QWidget*> teile, bool sortiert) {
        if (sortiert) {
            std::sort(teile.begin(), teile.end());
        }
        std::string text;
        for (const QWidget* w : teile) {
            text += tabname(w) + " ";
        }
        return text;
    };
    const std::vector<QWidget*> vor = runde(true);
    std::vector<QWidget*> zurueck = runde(false);
    std::reverse(zurueck.begin() + 1, zurueck.end());
    EXPECT_EQ(namen(vor, true), namen(ziele, true)) << fall << ", Tab: " << namen(vor, false);
    EXPECT_EQ(zurueck, vor) << fall << ", Shift+Tab rückwärts: " << namen(zurueck, false);
}

} // namespace qbtest
