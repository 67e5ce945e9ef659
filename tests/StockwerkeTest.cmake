# The floor check on a small tree with one fault of each kind: every fault is named, nothing else.
# Called with -DERZEUGER=<generator> -DCXX=<compiler>; the tree lies below the working folder.
cmake_minimum_required(VERSION 3.25)
set(baum "${CMAKE_CURRENT_BINARY_DIR}/stockwerkepruefung")
file(REMOVE_RECURSE "${baum}")
file(GLOB pruefung "${CMAKE_CURRENT_LIST_DIR}/../cmake/Stockwerke*.cmake")
file(COPY ${pruefung} DESTINATION "${baum}/cmake")
file(WRITE "${baum}/CMakeLists.txt" "cmake_minimum_required(VERSION 3.25)\nproject(probe CXX)\nadd_subdirectory(src)\n")
file(WRITE "${baum}/src/CMakeLists.txt" [=[
include(${PROJECT_SOURCE_DIR}/cmake/Stockwerke.cmake)
add_library(qb_unten STATIC unten/Unten.cpp)
add_library(qb_mitte OBJECT mitte/Mitte.cpp)
target_link_libraries(qb_mitte PUBLIC qb_unten)
add_library(qb_oben STATIC oben/Oben.cpp)
qb_stockwerke()
]=])
set(dateien unten/Unten.cpp "" oben/Oben.cpp "" Lose.h "" extra/Extra.h ""
    unten/Kommentar.h "#include /* oben */ \"oben/oben.h\"" unten/Makro.h "#define KOPF \"oben/oben.h\"\n#include KOPF"
    unten/Fortgesetzt.h "#include \\\n    \"oben/oben.h\"" unten/Weiter.h "#include_next <unten/unten.h>"
    unten/Erzeugt.h "#include \"unten/Erzeugt_gen.h\"" unten/Kopf.hpp "#include \"oben/oben.h\""
    mitte/Mitte.cpp "#include \"oben/oben.h\"")
while(dateien)
    list(POP_FRONT dateien name text)
    file(WRITE "${baum}/src/${name}" "${text}\n")
endwhile()
execute_process(COMMAND "${CMAKE_COMMAND}" -S "${baum}" -B "${baum}/bau" -G "${ERZEUGER}" "-DCMAKE_CXX_COMPILER=${CXX}"
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${baum}/bau" --target stockwerke
                RESULT_VARIABLE ergebnis OUTPUT_VARIABLE ausgabe ERROR_VARIABLE ausgabe)
string(REGEX MATCHALL "\n +src/" gemeldet "${ausgabe}")
list(LENGTH gemeldet anzahl)
foreach(meldung
        "src/unten/Kommentar.h:1: „#include /* oben */ \"oben/oben.h\"“: ein Kommentar"
        "src/unten/Makro.h:2: „#include KOPF“: ein Makro statt eines Pfads"
        "src/unten/Fortgesetzt.h:1: „#include     \"oben/oben.h\"“: über mehrere Zeilen fortgesetzt"
        "src/unten/Weiter.h:1: „#include_next <unten/unten.h>“: #include_next sucht"
        "src/unten/Erzeugt.h:1: #include \"unten/Erzeugt_gen.h\": keine Datei src/unten/Erzeugt_gen.h"
        "src/unten/Kopf.hpp:1: #include \"oben/oben.h\": unten darf laut target_link_libraries nur aus unten"
        "src/mitte/Mitte.cpp:1: #include \"oben/oben.h\": mitte darf laut target_link_libraries nur aus unten, mitte"
        "src/Lose.h: liegt direkt in src/" "src/extra/: kein Stockwerk")
    string(FIND "${ausgabe}" "${meldung}" stelle)
    if(ergebnis EQUAL 0 OR stelle EQUAL -1 OR NOT anzahl EQUAL 9)
        message(FATAL_ERROR "Nicht oder neben anderem gemeldet: ${meldung}\nAusgabe:\n${ausgabe}")
    endif()
endforeach()
file(REMOVE_RECURSE "${baum}")
