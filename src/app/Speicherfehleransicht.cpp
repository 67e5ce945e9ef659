#include "app/Speicherfehleransicht.h"

#include <cerrno>

#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "model/Dateisystem.h"
#include "model/Datenschema.h"
#include "ui/Fliesstext.h"
#include "ui/Hinweiszeile.h"
#include "ui/Schriftstil.h"

namespace qb {

Speicherfehleransicht::Art Speicherfehleransicht::art(const std::string& domaene, long code) {
    // The game alone is whole; what keeps it closed lies beside it.
    if (domaene == Datenschema::fehlerdomaene && code == Datenschema::unpassendeWal) {
        return Art::abgelehnt;
    }
    if (domaene != Dateisystem::domaene) {
        return Art::unlesbar;
    }
    switch (code) {
    case EWOULDBLOCK:
        return Art::anderesFenster;
    // A file under two names, and a link to nowhere (or no home folder to look in).
    case EMLINK:
    case ENOENT:
        return Art::abgelehnt;
    default:
        return Art::unlesbar;
    }
}

Speicherfehleransicht::Speicherfehleransicht(const QString& fehlerbeschreibung, const QString& sicherungsordner,
                                             Art art, QWidget* eltern)
    : QScrollArea(eltern) {
    setObjectName(QStringLiteral("speicherfehler"));
    setMinimumSize(420, 240);
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // A path has no spaces to break at; rather than cut it off, the view scrolls sideways.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    auto* inhalt = new QWidget(this);
    auto* stapel = new QVBoxLayout(inhalt);
    stapel->setContentsMargins(24, 24, 24, 24);
    stapel->setSpacing(16);

    const bool anderesFenster = art == Art::anderesFenster;
    auto* titel = anderesFenster
                      ? new Hinweiszeile(tr("Das Spiel ist schon in einem anderen Fenster geöffnet"),
                                         QStringLiteral("exclamationmark.circle"), inhalt)
                      : new Hinweiszeile(tr("Die gespeicherten Daten konnten nicht geöffnet werden"),
                                         QStringLiteral("exclamationmark.triangle"), inhalt);
    titel->setObjectName(QStringLiteral("titel"));
    titel->setFont(Schriftstil::ueberschrift(font()));
    stapel->addWidget(titel);

    stapel->addWidget(fliesstext(
        anderesFenster
            ? tr("Mit den gespeicherten Daten ist alles in Ordnung. Dieses Fenster liest und ändert nichts daran.")
            : tr("Die vorhandenen Daten sind nicht gelöscht. Sie bleiben liegen, bis die Ursache behoben ist."),
        inhalt));
    if (art == Art::unlesbar) {
        stapel->addWidget(baueSicherung(sicherungsordner));
    }
    stapel->addWidget(baueMeldung(fehlerbeschreibung));
    stapel->addStretch(1);

    setWidget(inhalt);
    setAccessibleName(titel->text());
}

QWidget* Speicherfehleransicht::baueSicherung(const QString& sicherungsordner) {
    auto* box = new QGroupBox(tr("Sicherung"));
    auto* stapel = new QVBoxLayout(box);
    stapel->setSpacing(6);
    stapel->addWidget(fliesstext(tr("Vor jeder Umstellung des Spielstands legt die App eine Kopie in diesem Ordner "
                                    "an. Die Dateien tragen im Namen die neue Version und Datum und Uhrzeit."),
                                 box));
    stapel->addWidget(kopierbarerText(sicherungsordner, QStringLiteral("sicherungsordner")));
    return box;
}

QWidget* Speicherfehleransicht::baueMeldung(const QString& fehlerbeschreibung) {
    auto* box = new QGroupBox(tr("Technische Meldung"));
    auto* stapel = new QVBoxLayout(box);
    stapel->addWidget(kopierbarerText(fehlerbeschreibung, QStringLiteral("technischeMeldung")));
    return box;
}

QLabel* Speicherfehleransicht::kopierbarerText(const QString& text, const QString& objektname) {
    QLabel* label = fliesstext(text, nullptr);
    label->setObjectName(objektname);
    label->setFont(Schriftstil::festbreite(font()));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label->setCursor(Qt::IBeamCursor);
    return label;
}

} // namespace qb
