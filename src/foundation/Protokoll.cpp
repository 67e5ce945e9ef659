#include "foundation/Protokoll.h"

#include <mutex>

#include <syslog.h>

#include "foundation/Bundle.h"

namespace qb {

namespace {

std::mutex senkeSperre;
Protokoll::Senke senke;

void oeffneSyslog() {
    static std::once_flag einmal;
    std::call_once(einmal, [] { openlog(Bundle::kennung, LOG_PID, LOG_USER); });
}

} // namespace

void Protokoll::setzeSenke(Senke neueSenke) {
    std::lock_guard sperre(senkeSperre);
    senke = std::move(neueSenke);
}

void Protokoll::schreibe(Stufe stufe, std::string_view text) const {
    std::string zeile(text);
    {
        std::lock_guard sperre(senkeSperre);
        if (senke) {
            senke(stufe, kategorie_, zeile);
            return;
        }
    }
    oeffneSyslog();
    // The text goes in as an argument, never as the format: file names may hold a "%".
    syslog(stufe == Stufe::fehler ? LOG_ERR : LOG_NOTICE, "[%s] %s", kategorie_.c_str(), zeile.c_str());
}

} // namespace qb
