# The floor check on small trees with one fault of each kind: every fault is named, nothing else.
# Called with -DQUELLE=<project> -DORDNER=<scratch folder> -DERZEUGER=<generator> -DCXX=<compiler>.
cmake_minimum_required(VERSION 3.25)

# A tree of three floors, unten <- mitte (object files) <- oben, with `extra` added to src/.
function(lege_baum baum extra)
    file(REMOVE_RECURSE "${baum}")
    file(COPY "${QUELLE}/cmake/Stockwerke.cmake" "${QUELLE}/cmake/StockwerkePruefen.cmake" DESTINATION "${baum}/cmake")
    file(WRITE "${baum}/CMakeLists.txt" "cmake_minimum_required(VERSION 3.25)\nproject(probe LANGUAGES CXX)\nadd_subdirectory(src)\n")
    file(WRITE "${baum}/src/CMakeLists.txt" [=[
include(${PROJECT_SOURCE_DIR}/cmake/Stockwerke.cmake)
add_library(qb_unten STATIC unten/Unten.cpp)
add_library(qb_mitte OBJECT mitte/Mitte.cpp)
target_link_libraries(qb_mitte PUBLIC qb_unten)
add_library(qb_oben STATIC oben/Oben.cpp)
target_link_libraries(qb_oben PUBLIC qb_mitte)
]=] "${extra}\nqb_stockwerke()\n")
    foreach(stockwerk unten mitte oben)
        file(WRITE "${baum}/src/${stockwerk}/${stockwerk}.h" "#pragma once // include guard\n")
        file(WRITE "${baum}/src/${stockwerk}/${stockwerk}.cpp" "#include \"${stockwerk}/${stockwerk}.h\"\n")
    endforeach()
    file(RENAME "${baum}/src/unten/unten.cpp" "${baum}/src/unten/Unten.cpp")
    file(RENAME "${baum}/src/mitte/mitte.cpp" "${baum}/src/mitte/Mitte.cpp")
    file(RENAME "${baum}/src/oben/oben.cpp" "${baum}/src/oben/Oben.cpp")
    file(APPEND "${baum}/src/oben/Oben.cpp" "// #include \"nirgends.h\"\n#include \"mitte/mitte.h\"\n#  include <unten/unten.h>\n")
endfunction()

# Each line of `erwartet` stands somewhere in `ausgabe`.
function(pruefe_ausgabe ausgabe erwartet)
    string(REPLACE "\n" ";" erwartet "${erwartet}")
    foreach(stueck IN LISTS erwartet)
        string(FIND "${ausgabe}" "${stueck}" stelle)
        if(stelle EQUAL -1)
            message(FATAL_ERROR "Nicht gemeldet: ${stueck}\nAusgabe:\n${ausgabe}")
        endif()
    endforeach()
endfunction()

# What the text says: each file holds one fault.
set(text "${ORDNER}/text")
lege_baum("${text}" "")
file(WRITE "${text}/src/unten/Kommentar.h" "#include /* oben */ \"oben/oben.h\"\n")
file(WRITE "${text}/src/unten/Makro.h" "#define KOPF \"oben/oben.h\"\n#include KOPF\n")
file(WRITE "${text}/src/unten/Fortgesetzt.h" "#include \\\n    \"oben/oben.h\"\n")
file(WRITE "${text}/src/unten/Weiter.h" "#include_next <unten/unten.h>\n")
file(WRITE "${text}/src/unten/Verdeckt.h" "int a[2]; // [\n# /*\n*/ include \"oben/oben.h\"\n")
file(WRITE "${text}/src/unten/Erzeugt.h" "#include \"unten/Erzeugt_gen.h\"\n")
file(WRITE "${text}/src/unten/Kopf.hpp" "\n#include \"oben/oben.h\"\n")
file(APPEND "${text}/src/mitte/Mitte.cpp" "#include \"oben/oben.h\"\n")
file(WRITE "${text}/src/Lose.h" "#pragma once\n")
file(WRITE "${text}/src/extra/Extra.h" "#include \"oben/oben.h\"\n")
execute_process(COMMAND "${CMAKE_COMMAND}" -S "${text}" -B "${text}/bau" -G "${ERZEUGER}" "-DCMAKE_CXX_COMPILER=${CXX}"
                RESULT_VARIABLE ergebnis OUTPUT_VARIABLE ausgabe ERROR_VARIABLE ausgabe)
if(NOT ergebnis EQUAL 0)
    message(FATAL_ERROR "Der Baum ohne Fehler im Aufbau lässt sich nicht einrichten:\n${ausgabe}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${text}/bau" --target stockwerke
                RESULT_VARIABLE ergebnis OUTPUT_VARIABLE ausgabe ERROR_VARIABLE ausgabe)
string(REGEX MATCHALL "\n +src/" gemeldet "${ausgabe}")
list(LENGTH gemeldet anzahl)
if(ergebnis EQUAL 0 OR NOT anzahl EQUAL 10)
    message(FATAL_ERROR "Erwartet: zehn Verstöße, gemeldet ${anzahl}:\n${ausgabe}")
endif()
pruefe_ausgabe("${ausgabe}" [=[
src/unten/Kommentar.h:1: „#include /* oben */ "oben/oben.h"“: ein Kommentar oder eine ungewöhnliche Schreibweise
src/unten/Makro.h:2: „#include KOPF“: ein Makro statt eines Pfads
src/unten/Fortgesetzt.h:1: „#include     "oben/oben.h"“: über mehrere Zeilen fortgesetzt
src/unten/Weiter.h:1: „#include_next <unten/unten.h>“: #include_next sucht
src/unten/Verdeckt.h:2: „# /*“: ein Kommentar gleich nach dem Zeichen einer Anweisung
src/unten/Erzeugt.h:1: #include "unten/Erzeugt_gen.h": keine Datei src/unten/Erzeugt_gen.h
src/unten/Kopf.hpp:2: #include "oben/oben.h": unten darf laut target_link_libraries nur aus unten einbinden
src/mitte/Mitte.cpp:2: #include "oben/oben.h": mitte darf laut target_link_libraries nur aus unten, mitte einbinden
src/Lose.h: liegt direkt in src/
src/extra/: kein Stockwerk]=])

# What the build gives a floor beside the text: one fault each.
set(aufbau "${ORDNER}/aufbau")
lege_baum("${aufbau}" [=[
target_include_directories(qb_unten PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/erzeugt)
target_compile_options(qb_mitte PRIVATE -include oben/oben.h)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/Erzeugt.cpp "")
target_sources(qb_oben PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/Erzeugt.cpp)
add_library(qb_zweit OBJECT unten/unten.h)
]=])
execute_process(COMMAND "${CMAKE_COMMAND}" -S "${aufbau}" -B "${aufbau}/bau" -G "${ERZEUGER}" "-DCMAKE_CXX_COMPILER=${CXX}"
                RESULT_VARIABLE ergebnis OUTPUT_VARIABLE ausgabe ERROR_VARIABLE ausgabe)
if(ergebnis EQUAL 0)
    message(FATAL_ERROR "Der Baum mit Fehlern im Aufbau ließ sich einrichten:\n${ausgabe}")
endif()
pruefe_ausgabe("${ausgabe}" "qb_unten sucht Köpfe in ${aufbau}/bau/src/erzeugt\nqb_mitte übersetzt mit „-include“\nqb_oben übersetzt ${aufbau}/bau/src/Erzeugt.cpp: Quelltext außerhalb von src/\nsrc/unten wird von qb_unten und qb_zweit übersetzt")
file(REMOVE_RECURSE "${ORDNER}")
