#pragma once

#include <memory>
#include <optional>

#include <QString>

#include "foundation/Dezimal.h"
#include "foundation/Kalender.h"

namespace qb {

class Modellkontext;
class Portfolio;

// The rules of the settings tab, without its widgets: the three edited settings, when each may
// be taken over, the warnings, the figures of the game's state, and the four operations that
// write the record and save. Nothing reaches the record while the user edits; only an
// operation writes it, and its save decides the message under the form.
class Einstellungen {
public:
    Einstellungen(std::shared_ptr<Portfolio> portfolio, Modellkontext& kontext);

    // The edited values; they start as "", 0 and now until werteLaden() fills them once.
    const QString& gruppenname() const { return gruppenname_; }
    void setzeGruppenname(const QString& name) { gruppenname_ = name; }
    const Dezimal& startkapital() const { return startkapital_; }
    void setzeStartkapital(const Dezimal& betrag) { startkapital_ = betrag; }
    Zeitpunkt einstieg() const { return einstieg_; }
    void setzeEinstieg(Zeitpunkt zeitpunkt) { einstieg_ = zeitpunkt; }
    // A day picked in the date picker: the entry date moves to it and keeps its time of day.
    void waehleTag(int jahr, int monat, int tag);
    // The error text of the last failed save; none after a successful one.
    const std::optional<QString>& meldung() const { return meldung_; }

    // Fills the edited values from the record, the first time only, so that edits not yet
    // taken over survive the tab being shown again.
    void werteLaden();
    bool istGeladen() const { return geladen_; }

    // A complete position, or else any reference date.
    bool schonErfasst() const;
    // The edited entry date lies on another day than the stored one.
    bool einstiegGeaendert() const;
    // The last day the date picker offers: not after today, not after the first reference
    // date, but always the edited day itself when that is not in the future.
    Zeitpunkt obergrenze(Zeitpunkt jetzt) const;

    bool gruppennameUebernehmbar() const;
    bool einstiegUebernehmbar() const;
    bool startkapitalUebernehmbar() const;
    bool zuruecksetzenMoeglich() const { return schonErfasst(); }

    std::optional<QString> einstiegswarnung() const;
    std::optional<QString> startkapitalwarnung() const;

    // The rows of the section "Stand".
    QString positionenText() const;
    QString stichtageText() const;
    QString investiertText() const;
    QString barbestandText() const;

    // The footer: the version of the build ("unbekannt" without one) and the rights line (a
    // fixed line without one).
    static QString versionszeile(const char* version);
    static QString rechtevermerk(const char* vermerk);

    // The four operations. Each stops silently at its guard, else writes the record and
    // saves; the save's outcome becomes the message. A failed save rolls the record back and
    // leaves the edited values as they are, so the user can try again.
    void gruppennameUebernehmen();
    void einstiegsdatumUebernehmen();
    void startkapitalUebernehmen();
    void spielZuruecksetzen();

private:
    void speichere();

    std::shared_ptr<Portfolio> portfolio_;
    Modellkontext& kontext_;
    QString gruppenname_;
    Dezimal startkapital_;
    Zeitpunkt einstieg_;
    bool geladen_ = false;
    std::optional<QString> meldung_;
};

} // namespace qb
