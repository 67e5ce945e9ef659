#include "app/Fensterkopf.h"

#include "foundation/Unicode.h"
#include "model/Portfolio.h"

namespace qb {

Fensterkopf Fensterkopf::aus(const Portfolio& portfolio, const Formatierer& formatierer,
                             const Zeitzone& zone) {
    Fensterkopf kopf;
    // Line breaks count as a name here: only blanks and tabs make a name empty.
    if (!Unicode::ohneLeerzeichen(portfolio.gruppenname()).empty()) {
        kopf.gruppenname = portfolio.gruppenname();
    }
    kopf.eingestiegenAm = formatierer.datumMitMonat(portfolio.kaufdatum(), zone);
    kopf.startkapital = formatierer.waehrung(portfolio.startkapital(), "EUR");
    return kopf;
}

} // namespace qb
