#pragma once

#include <memory>
#include <optional>

#include <QDialog>

#include "app/Ansichtsaufgabe.h"
#include "model/Assetklasse.h"
#include "reference-dates/Preiskorrektur.h"
#include "sources/Kursdienst.h"

class QLabel;
class QPushButton;

namespace qb {

class Bewertung;
class Grenzhinweis;
class Hinweiszeile;
class KurseingabeFelder;
class Modellkontext;
class Portfolio;

// The sheet that corrects the price of one class on one reference date: a one-row capture with
// the same comparison fetch and question before saving. Writes only when a save goes through,
// then closes; when the class has no position any more it says so and offers only "Schließen".
class PreisKorrigieren : public QDialog {
    Q_OBJECT
public:
    PreisKorrigieren(std::shared_ptr<Portfolio> portfolio, std::shared_ptr<Bewertung> bewertung, Assetklasse klasse,
                     Modellkontext& kontext, Kursdienst dienst, QWidget* eltern = nullptr);
    ~PreisKorrigieren() override;

    // Absent when the position is gone.
    const Preiskorrektur* korrektur() const { return korrektur_ ? &*korrektur_ : nullptr; }

private:
    void baueFormular();
    void holeVergleiche();
    void zeige();
    void speichernGedrueckt();
    void zeigeRueckfrage();
    void erneutHolen();

    Modellkontext& kontext_;
    Kursdienst dienst_;
    std::optional<Preiskorrektur> korrektur_;
    Ansichtsaufgabe<Stichtagsentwurf::Abrufschluessel> abruf_;

    KurseingabeFelder* felder_ = nullptr;
    QLabel* uebernommen_ = nullptr;
    QPushButton* selbstEintragen_ = nullptr;
    QLabel* vergleich_ = nullptr;
    QPushButton* uebernehmen_ = nullptr;
    QPushButton* erneutHolen_ = nullptr;
    QLabel* warnungen_ = nullptr;
    Grenzhinweis* neueAbweichung_ = nullptr;
    Hinweiszeile* fehler_ = nullptr;
    QPushButton* speichern_ = nullptr;
};

} // namespace qb
