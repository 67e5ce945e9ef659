#pragma once

#include <string>

#include <QScrollArea>
#include <QString>

class QLabel;

namespace qb {

// Fills the window when the store cannot be opened: what happened, that nothing was deleted,
// where the backups lie when one can help, and the technical message. It offers no action; the
// user removes the cause and starts the application again.
class Speicherfehleransicht : public QScrollArea {
    Q_OBJECT
public:
    // What the failure means for the user; it decides the heading and whether the backups are
    // named at all.
    enum class Art {
        // The store could not be read or brought to the current version: a backup may help.
        unlesbar,
        // Another window holds the game; nothing is wrong with the data.
        anderesFenster,
        // The file was refused before it was read (a second name, a link to nowhere, changes
        // beside it that do not fit it): the data are as they were, and a backup would not help.
        abgelehnt,
    };

    // The kind of a store error (Speicherfehler's domain and code).
    static Art art(const std::string& domaene, long code);

    Speicherfehleransicht(const QString& fehlerbeschreibung, const QString& sicherungsordner,
                          Art art = Art::unlesbar, QWidget* eltern = nullptr);

private:
    QWidget* baueSicherung(const QString& sicherungsordner);
    QWidget* baueMeldung(const QString& fehlerbeschreibung);
    // A text that the user can select and copy, verbatim and monospaced.
    QLabel* kopierbarerText(const QString& text, const QString& objektname);
};

} // namespace qb
