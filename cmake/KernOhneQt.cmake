# Fails when a source of the core includes a Qt header. The core (platform stand-ins, model,
# valuation, sources) must stay usable without Qt; only the UI folders may use it.
# Called with -DQUELLEN=<list of files> -DSTEMPEL=<file to touch on success>.
set(verstoesse "")
foreach(datei IN LISTS QUELLEN)
    file(STRINGS "${datei}" zeilen REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](Q[A-Za-z]|Qt[A-Za-z]*/)")
    foreach(zeile IN LISTS zeilen)
        string(STRIP "${zeile}" zeile)
        list(APPEND verstoesse "${datei}: ${zeile}")
    endforeach()
endforeach()
if(verstoesse)
    list(JOIN verstoesse "\n  " liste)
    message(FATAL_ERROR "Der Kern darf kein Qt einbinden:\n  ${liste}")
endif()
file(TOUCH "${STEMPEL}")
