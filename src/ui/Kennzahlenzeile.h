#pragma once

#include <array>
#include <optional>

#include <QWidget>

#include "ui/Kennzahlentexte.h"

class QBoxLayout;
class QLabel;

namespace qb {

class Hinweiszeile;
class Portfoliostand;

// The key figures of one portfolio state: an optional heading, the tiles (invested, cash,
// total value and, when known, gain or loss), an optional line with the change since an
// earlier reference date, and the hint lines that apply. It computes nothing from the
// records; setze() shows new figures in the same widgets, so nothing around it loses focus.
class Kennzahlenzeile : public QWidget {
    Q_OBJECT
public:
    using Bezug = Kennzahlentexte::Bezug;

    explicit Kennzahlenzeile(const Portfoliostand& stand, std::optional<Bezug> bezug = {},
                             std::optional<Wertveraenderung> veraenderung = {},
                             std::optional<Zeitpunkt> offenerStichtag = {}, QWidget* eltern = nullptr);

    void setze(const Portfoliostand& stand, std::optional<Bezug> bezug = {},
               std::optional<Wertveraenderung> veraenderung = {},
               std::optional<Zeitpunkt> offenerStichtag = {});

protected:
    void changeEvent(QEvent* ereignis) override;
    void resizeEvent(QResizeEvent* ereignis) override;

private:
    struct Kachel {
        QWidget* rahmen;
        QLabel* titel;
        QLabel* betrag;
        QLabel* prozent;
        bool bekannt = true;
    };

    Kachel baueKachel(const QString& name, QWidget* eltern);
    QWidget* baueVeraenderung();
    void zeige(const Kennzahlentexte::Anzeige& anzeige);
    void zeigeKachel(Kachel& kachel, const Kennzahlentexte::Kachel& inhalt);
    // The fonts of the parts, all derived from the row's own font.
    void setzeSchriften();
    // Label and amounts of the change side by side while they fit on one line, else stacked.
    void ordneVeraenderung();

    QLabel* ueberschrift_;
    std::array<Kachel, 4> kacheln_;
    QWidget* veraenderung_;
    QBoxLayout* veraenderungLayout_;
    QLabel* veraenderungText_;
    QWidget* veraenderungZahlen_;
    QLabel* veraenderungBetrag_;
    QLabel* veraenderungProzent_;
    std::array<Hinweiszeile*, 4> hinweise_;
};

} // namespace qb
