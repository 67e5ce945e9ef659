# The floor check on a small tree in a folder with blanks and brackets. The tree builds first with
# what the compiler does not read (an include in "#if 0" or a comment, an editor's leftover, a
# folder that is no floor, a file directly in src/) and with Qt in the floor that links it. Then
# the faults go into files that have been compiled, and the next build stops at each, so it judges
# by the new records: an include from a floor above however its path is spelled (up, through
# ".//", through a symbolic link, through a symbolic link and ".." that Ninja's record folds into
# a file that does not exist), Qt in a floor that links none, a file directly in src/, and a floor
# that a linked floor uses only privately.
# Called with -DCXX=<compiler>; the tree lies below the working folder.
cmake_minimum_required(VERSION 3.25)
set(baum "${CMAKE_CURRENT_BINARY_DIR}/stockwerkepruefung [Spiel neu]")
file(REMOVE_RECURSE "${baum}")
file(COPY "${CMAKE_CURRENT_LIST_DIR}/../cmake/Stockwerke.cmake" "${CMAKE_CURRENT_LIST_DIR}/../cmake/Stockwerkspruefung.cpp"
     DESTINATION "${baum}/cmake")
set(dateien
    CMakeLists.txt "cmake_minimum_required(VERSION 3.25)\nproject(probe CXX)\nfind_package(Qt6 REQUIRED COMPONENTS Core)\nadd_subdirectory(src)"
    src/CMakeLists.txt [=[
include(${PROJECT_SOURCE_DIR}/cmake/Stockwerke.cmake)
add_library(qb_unten STATIC unten/Unten.cpp unten/Still.cpp unten/Punkt.cpp unten/Verknuepft.cpp unten/Umweg.cpp
                            unten/Qt.cpp unten/Lose.cpp)
target_include_directories(qb_unten PRIVATE $<TARGET_PROPERTY:Qt6::Core,INTERFACE_INCLUDE_DIRECTORIES>)
add_library(qb_mitte STATIC mitte/Mitte.cpp)
target_link_libraries(qb_mitte PRIVATE qb_unten Qt6::Core)
add_library(qb_oben OBJECT oben/Oben.cpp)
target_link_libraries(qb_oben PUBLIC qb_mitte)
qb_stockwerke()]=]
    src/Lose.h "" src/unten/Unten.h "" src/mitte/Mitte.h "" src/oben/Oben.h "" src/oben/Zwei.h "" src/oben/Drei.h ""
    src/oben/Verborgen.h "" src/extra/Extra.h ""
    src/unten/Still.cpp "#if 0\n#include \"oben/Verborgen.h\"\n#endif\n// #include \"oben/Verborgen.h\""
    src/unten/Unten.cpp~ "#include \"oben/Drei.h\""
    src/mitte/Mitte.cpp "#include \"unten/Unten.h\"\n#include <QtCore/qtcore-config.h>"
    src/oben/Oben.cpp "#include \"mitte/Mitte.h\""
    src/unten/Unten.cpp "#include \"unten/Unten.h\""
    src/unten/Punkt.cpp "" src/unten/Verknuepft.cpp "" src/unten/Umweg.cpp "" src/unten/Qt.cpp "" src/unten/Lose.cpp "")
set(fehler
    src/unten/Unten.cpp "#include \"unten/Unten.h\"\n#include \"oben/Oben.h\""
    src/unten/Punkt.cpp "#include \".//oben/Zwei.h\""
    src/unten/Verknuepft.cpp "\n#include \"unten/Verweis.h\""
    src/unten/Umweg.cpp "#include \"unten/q/../oben/Oben.h\""
    src/unten/Qt.cpp "#include <QtCore/qtcore-config.h>"
    src/unten/Lose.cpp "#include \"Lose.h\""
    src/oben/Oben.cpp "#include \"mitte/Mitte.h\"\n#include \"unten/Unten.h\"")
while(dateien)
    list(POP_FRONT dateien name text)
    file(WRITE "${baum}/${name}" "${text}\n")
endwhile()
file(CREATE_LINK "../oben/Drei.h" "${baum}/src/unten/Verweis.h" SYMBOLIC)
file(CREATE_LINK "../oben" "${baum}/src/unten/q" SYMBOLIC)

execute_process(COMMAND "${CMAKE_COMMAND}" -S "${baum}" -B "${baum}/bau" -G Ninja "-DCMAKE_CXX_COMPILER=${CXX}"
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${baum}/bau" RESULT_VARIABLE ergebnis OUTPUT_VARIABLE ausgabe ERROR_VARIABLE ausgabe)
if(NOT ergebnis EQUAL 0)
    message(FATAL_ERROR "Der Baum ohne Fehler wird abgewiesen:\n${ausgabe}")
endif()
while(fehler)
    list(POP_FRONT fehler name text)
    file(WRITE "${baum}/${name}" "${text}\n")
endwhile()
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${baum}/bau" RESULT_VARIABLE ergebnis OUTPUT_VARIABLE ausgabe ERROR_VARIABLE ausgabe)
string(REGEX MATCHALL "\n  src/" gemeldet "${ausgabe}")
list(LENGTH gemeldet anzahl)
foreach(meldung
        "\n  src/unten/Unten.cpp:2: bindet src/oben/Oben.h ein, aus dem Stockwerk oben"
        "\n  src/unten/Punkt.cpp:1: bindet src/oben/Zwei.h ein, aus dem Stockwerk oben"
        "\n  src/unten/Verknuepft.cpp:2: bindet src/oben/Drei.h ein, aus dem Stockwerk oben"
        " unten darf laut target_link_libraries nur aus unten einbinden\n"
        "\n  src/unten/Umweg.cpp:1: bindet src/unten/oben/Oben.h ein, das sich nicht zur echten Datei auflösen lässt"
        "\n  src/unten/Qt.cpp:1: bindet /"
        "/QtCore/qtcore-config.h ein, aus Qt; unten linkt kein Qt und darf nur aus unten einbinden\n"
        "\n  src/unten/Lose.cpp:1: bindet src/Lose.h ein, das direkt in src/ und in keinem Stockwerk liegt;"
        "\n  src/oben/Oben.cpp:2: bindet src/unten/Unten.h ein, aus dem Stockwerk unten; oben darf laut target_link_libraries nur aus mitte, oben einbinden\n")
    string(FIND "${ausgabe}" "${meldung}" stelle)
    if(stelle EQUAL -1)
        string(APPEND fehlt "${meldung}")
    endif()
endforeach()
if(ergebnis EQUAL 0 OR fehlt OR NOT anzahl EQUAL 7)
    message(FATAL_ERROR "Nicht oder neben anderem gemeldet:${fehlt}\nAusgabe:\n${ausgabe}")
endif()

file(REMOVE_RECURSE "${baum}")
