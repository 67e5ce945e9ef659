#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include <QSize>

#include "ui/Fenstergroesse.h"

class QCoreApplication;
class QScrollArea;
class QWidget;

namespace qb {

class Modellcontainer;

// The application: opens the store once, as the core does, keeps the outcome for the whole run,
// and shows the one window: the game when the store is open, the storage-error view when it is
// not, with the start animation over either.
class QuinzelbrockatApp {
public:
    // Why the store could not be opened, for the storage-error view.
    struct Speicherfehlerangabe {
        std::string beschreibung;
        std::string sicherungsordner;
        // Speicherfehler's domain and code; empty for any other error.
        std::string domaene = {};
        long code = 0;
    };
    using Speicher = std::variant<std::unique_ptr<Modellcontainer>, Speicherfehlerangabe>;

    // In memory under a test run, else the user's store file with its backup before a
    // migration. Never throws: a failure comes back as its description.
    static Speicher oeffneSpeicher();

    // Needs the QApplication. Builds the window "hauptfenster" for the outcome; not shown yet.
    explicit QuinzelbrockatApp(Speicher speicher);
    ~QuinzelbrockatApp();
    QuinzelbrockatApp(const QuinzelbrockatApp&) = delete;
    QuinzelbrockatApp& operator=(const QuinzelbrockatApp&) = delete;

    QWidget& fenster() const { return *fenster_; }
    // Sizes the window for a screen's available area: 920 × 560 at start and the content's
    // smallest size as the window's, each as far as the area holds (see Fenstergroesse); the
    // smallest size follows the content's from then on. The constructor does it for the
    // window's screen.
    void passeAn(QSize verfuegbar);
    // The open store; null when it could not be opened.
    Modellcontainer* container() const;

    // The German message for a start without any display Qt could use (no DISPLAY, no
    // WAYLAND_DISPLAY, no QT_QPA_PLATFORM, no -platform argument); none when there is one.
    static std::optional<std::string>
    fehlendeAnzeige(int argc, char** argv, const std::function<const char*(const char*)>& umgebung);
    // Qt's own texts (standard buttons, the file dialog, context menus) in German, whatever the
    // user's locale. Whether the translation was found.
    static bool ladeQtUebersetzung(QCoreApplication& anwendung);

    // The process: checks the display, starts Qt, opens the store, shows the window and runs
    // until it closes.
    static int ausfuehren(int argc, char** argv);

private:
    // The window's sizes for the available area and the content's smallest size now.
    Fenstergroesse groesse() const;

    Speicher speicher_;
    QSize verfuegbar_;
    std::unique_ptr<QWidget> fenster_;
    QScrollArea* rahmen_ = nullptr;
};

} // namespace qb
