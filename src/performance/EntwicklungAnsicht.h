#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QWidget>

#include "ui/Ansichtsaufgabe.h"
#include "performance/Abrufschluessel.h"
#include "performance/Sicht.h"
#include "performance/Tagesverlaufladung.h"
#include "performance/Zeitraum.h"

class QButtonGroup;
class QStackedWidget;

namespace qb {

class Kursdienst;
class Leeransicht;
class Modellbeobachter;
class Portfolio;
class Segmentwahl;
class WertentwicklungAnsicht;

// The "Entwicklung" tab: the portfolio's total value against its starting capital over the
// complete reference dates or per trading day of a chosen period. The daily history loads in
// the background, keyed by everything it depends on; the tab stays usable meanwhile and keeps
// the previous chart on screen until the new one arrives.
class EntwicklungAnsicht : public QWidget {
    Q_OBJECT
public:
    // Makes the bundle of price sources for one load; none: the standard bundle.
    using Dienstquelle = std::function<Kursdienst()>;

    EntwicklungAnsicht(std::shared_ptr<Portfolio> portfolio, Modellbeobachter& beobachter,
                       Dienstquelle dienste = {}, QWidget* eltern = nullptr);
    ~EntwicklungAnsicht() override;

    Sicht sicht() const { return sicht_; }
    Zeitraum zeitraum() const { return zeitraum_; }
    const Tagesverlaufladung& ladung() const { return ladung_; }

protected:
    // The main window disables the pages it hides: a tab shown again checks for a new day.
    void changeEvent(QEvent* ereignis) override;
    // Activating the window checks for a new day too.
    bool event(QEvent* ereignis) override;

private:
    QWidget* baueKopf();
    QWidget* baueLaden();
    void waehleSicht(Sicht sicht);
    void waehleZeitraum(Zeitraum zeitraum);
    void erneutLaden();
    // Builds the key and, when it differs from the last one, ends the running load and starts the
    // next; whether the key was new.
    bool lade();
    void zeige();

    std::shared_ptr<Portfolio> portfolio_;
    Dienstquelle dienste_;
    Sicht sicht_ = Sicht::stichtage;
    Zeitraum zeitraum_ = Zeitraum::alles;
    Tagesverlaufladung ladung_;
    std::optional<Abrufschluessel> schluessel_;
    Hintergrundaufgabe aufgabe_{this};

    QButtonGroup* sichtwahl_ = nullptr;
    QButtonGroup* zeitraumwahl_ = nullptr;
    Segmentwahl* zeitraumfeld_ = nullptr;
    QWidget* ladehinweis_ = nullptr;
    QStackedWidget* inhalt_ = nullptr;
    Leeransicht* leer_ = nullptr;
    QWidget* laden_ = nullptr;
    WertentwicklungAnsicht* diagramm_ = nullptr;
};

} // namespace qb
