#pragma once

#include <QScrollArea>
#include <QString>

class QLabel;

namespace qb {

// Fills the window when the store cannot be opened: what happened, that nothing was deleted,
// where the backups lie and the technical message. It offers no action; the user removes the
// cause and starts the application again.
class Speicherfehleransicht : public QScrollArea {
    Q_OBJECT
public:
    Speicherfehleransicht(const QString& fehlerbeschreibung, const QString& sicherungsordner, QWidget* eltern = nullptr);

private:
    QWidget* baueSicherung(const QString& sicherungsordner);
    QWidget* baueMeldung(const QString& fehlerbeschreibung);
    // A text that the user can select and copy, verbatim and monospaced.
    QLabel* kopierbarerText(const QString& text, const QString& objektname);
};

} // namespace qb
