#include "ui/Grenzhinweis.h"

#include <QResizeEvent>

#include "ui/Schriftstil.h"
#include "ui/Signalfarbe.h"
#include "ui/Vordergrund.h"

namespace qb {

Grenzhinweis::Grenzhinweis(const QString& text, QWidget* eltern)
    : Hinweiszeile(text, QStringLiteral("exclamationmark.triangle"), eltern) {
    setFont(Schriftstil::hervorhebung(font()));
    Vordergrund::setze(this, Signalfarbe::warnung);
}

// A wrapping label hints at the height of some guessed width, and a form gives a field its hint:
// the line would then be cut, or stand in empty space. So the hint is the height the text needs
// at the width the line has. (A fixed vertical policy would not do: it caps the height at the
// guess, and Qt has no policy for "exactly the height for the width".)
QSize Grenzhinweis::sizeHint() const {
    QSize groesse = Hinweiszeile::sizeHint();
    if (hasHeightForWidth() && width() > 0) {
        groesse.setHeight(heightForWidth(width()));
    }
    return groesse;
}

void Grenzhinweis::resizeEvent(QResizeEvent* ereignis) {
    Hinweiszeile::resizeEvent(ereignis);
    if (ereignis->size().width() != ereignis->oldSize().width()) {
        updateGeometry();
    }
}

} // namespace qb
