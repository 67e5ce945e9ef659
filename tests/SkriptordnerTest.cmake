# The scripts in a folder whose path the build cannot take stop with a message that names the
# characters, before they install or build anything: the copies here lack scripts/setup.sh, so a
# script that went on would fail at it instead. start.sh says first that there is no display. In
# a folder the build can take the check lets the script go on to scripts/setup.sh.
# Called with -DQUELLE=<checkout>; the folders lie below the working folder.
cmake_minimum_required(VERSION 3.25)
set(wurzel "${CMAKE_CURRENT_BINARY_DIR}/skriptordner")
set(weiter "scripts/setup.sh: No such file or directory")
set(keine_anzeige "Quinzelbrockat braucht eine grafische Oberfläche, findet aber keine: ")

# Folder (";" stands as "<S>": it separates a CMake list), script, display, what the script says:
# the characters it names, or that there is no display, or that it went on to scripts/setup.sh.
set(faelle
    "Investmentspiel#7" test.sh "" "„#“"
    "Gruppe 7 & Co's" sanitize.sh "" "„&“ und „'“"
    "a<S>b c|d" start.sh QT_QPA_PLATFORM=offscreen "„<S>“ und „|“"
    "Sp\"iel *?" test.sh "" "„\"“, „*“ und „?“"
    "Spiel#2" start.sh "" ANZEIGE
    "Übungen [WS 26] (Gruppe 7) $x 50% {a}" test.sh "" WEITER
    "Übungen [WS 26] (Gruppe 7) $x 50% {a}" start.sh DISPLAY=:99 WEITER
    "Übungen [WS 26] (Gruppe 7) $x 50% {a}" sanitize.sh "" WEITER)
file(REMOVE_RECURSE "${wurzel}")
set(fehler "")
while(faelle)
    list(POP_FRONT faelle ordnername skript anzeige befund)
    string(REPLACE "<S>" ";" ordnername "${ordnername}")
    string(REPLACE "<S>" ";" befund "${befund}")
    set(ordner "${wurzel}/${ordnername}")
    file(COPY "${QUELLE}/scripts/ordnerpruefung.sh" "${QUELLE}/scripts/${skript}" DESTINATION "${ordner}/scripts")
    execute_process(COMMAND "${CMAKE_COMMAND}" -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
                            LC_ALL=C.UTF-8 ${anzeige} bash "${ordner}/scripts/${skript}"
                    RESULT_VARIABLE ergebnis OUTPUT_VARIABLE ausgabe ERROR_VARIABLE ausgabe)
    if(befund STREQUAL "ANZEIGE")
        string(FIND "${ausgabe}" "${keine_anzeige}" stelle)
        set(passt OFF)
        if(ergebnis EQUAL 1 AND stelle EQUAL 0)
            set(passt ON)
        endif()
    elseif(befund STREQUAL "WEITER")
        string(FIND "${ausgabe}" "${weiter}" stelle)
        string(FIND "${ausgabe}" "nicht bauen" abbruch)
        set(passt OFF)
        if(NOT ergebnis EQUAL 0 AND NOT stelle EQUAL -1 AND abbruch EQUAL -1)
            set(passt ON)
        endif()
    else()
        string(CONCAT meldung "Quinzelbrockat lässt sich in diesem Ordner nicht bauen: Sein Pfad „${ordner}“ enthält "
                              "${befund}. Mit # ; & ' \" \\ ` * ? < > | ^ oder einem Steuerzeichen im Pfad kommen CMake "
                              "und Ninja nicht zurecht. Bitte den betroffenen Ordner umbenennen oder das Projekt an einen "
                              "Ort verschieben, dessen Pfad keines dieser Zeichen enthält, und den Befehl dort erneut "
                              "aufrufen.\n")
        set(passt OFF)
        if(ergebnis EQUAL 1 AND ausgabe STREQUAL meldung)
            set(passt ON)
        endif()
    endif()
    if(NOT passt OR EXISTS "${ordner}/build" OR EXISTS "${ordner}/build-sanitize")
        string(APPEND fehler "\n${skript} in „${ordnername}“ (Ergebnis ${ergebnis}), erwartet ${befund}:\n${ausgabe}")
    endif()
endwhile()
if(fehler)
    message(FATAL_ERROR "Die Skripte prüfen ihren Ordner nicht wie erwartet:${fehler}")
endif()
file(REMOVE_RECURSE "${wurzel}")
