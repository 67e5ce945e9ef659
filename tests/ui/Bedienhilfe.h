#pragma once

#include <string>
#include <vector>

#include <QAccessible>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

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

// What Tab reaches after `von`, in order, at most `schritte` of them, as Qt walks the focus chain
// of the window: what takes the focus by Tab and is shown and enabled. Each by its object name;
// a number field's text field by the number field's.
inline std::vector<std::string> tabfolge(QWidget* von, std::size_t schritte) {
    std::vector<std::string> namen;
    QWidget* fenster = von->window();
    for (QWidget* w = von->nextInFocusChain(); w != von && namen.size() < schritte;
         w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) != 0 && w->focusProxy() == nullptr && w->window() == fenster &&
            w->isVisibleTo(fenster) && w->isEnabled()) {
            const QWidget* benannt = w;
            for (const QWidget* um = w; um != nullptr; um = um->parentWidget()) {
                if (qobject_cast<const qb::Zahleneingabe*>(um) != nullptr) {
                    benannt = um;
                }
            }
            namen.push_back(qb::utf8(benannt->objectName()));
        }
    }
    return namen;
}

} // namespace qbtest
