# The floor check on a small tree in a folder with blanks and brackets: the build stops at what
# the compiler read from a floor above, however the path is spelled (an include up, one through
# ".//", one through a symbolic link), and at nothing it did not read (an include in "#if 0" or a
# comment, an editor's leftover, a folder that is no floor).
# Called with -DCXX=<compiler>; the tree lies below the working folder.
cmake_minimum_required(VERSION 3.25)
set(baum "${CMAKE_CURRENT_BINARY_DIR}/stockwerkepruefung [Spiel neu]")
file(REMOVE_RECURSE "${baum}")
file(COPY "${CMAKE_CURRENT_LIST_DIR}/../cmake/Stockwerke.cmake" "${CMAKE_CURRENT_LIST_DIR}/../cmake/Stockwerkspruefung.cpp"
     DESTINATION "${baum}/cmake")
set(dateien
    CMakeLists.txt "cmake_minimum_required(VERSION 3.25)\nproject(probe CXX)\nadd_subdirectory(src)"
    src/CMakeLists.txt [=[
include(${PROJECT_SOURCE_DIR}/cmake/Stockwerke.cmake)
add_library(qb_unten STATIC unten/Unten.cpp unten/Still.cpp unten/Punkt.cpp unten/Verknuepft.cpp)
add_library(qb_oben OBJECT oben/Oben.cpp)
target_link_libraries(qb_oben PUBLIC qb_unten)
qb_stockwerke()]=]
    src/unten/Unten.h "" src/oben/Oben.h "" src/oben/Zwei.h "" src/oben/Drei.h "" src/oben/Verborgen.h "" src/extra/Extra.h ""
    src/oben/Oben.cpp "#include \"oben/Oben.h\"\n#include \"unten/Unten.h\""
    src/unten/Still.cpp "#if 0\n#include \"oben/Verborgen.h\"\n#endif\n// #include \"oben/Verborgen.h\""
    src/unten/Unten.cpp~ "#include \"oben/Drei.h\""
    src/unten/Unten.cpp "#include \"unten/Unten.h\"\n#include \"oben/Oben.h\""
    src/unten/Punkt.cpp "#include \".//oben/Zwei.h\""
    src/unten/Verknuepft.cpp "\n#include \"unten/Verweis.h\"")
while(dateien)
    list(POP_FRONT dateien name text)
    file(WRITE "${baum}/${name}" "${text}\n")
endwhile()
file(CREATE_LINK "../oben/Drei.h" "${baum}/src/unten/Verweis.h" SYMBOLIC)

execute_process(COMMAND "${CMAKE_COMMAND}" -S "${baum}" -B "${baum}/bau" -G Ninja "-DCMAKE_CXX_COMPILER=${CXX}"
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${baum}/bau" RESULT_VARIABLE ergebnis OUTPUT_VARIABLE ausgabe ERROR_VARIABLE ausgabe)
string(REGEX MATCHALL "\n  src/" gemeldet "${ausgabe}")
list(LENGTH gemeldet anzahl)
foreach(meldung
        "\n  src/unten/Unten.cpp:2: bindet src/oben/Oben.h ein, aus dem Stockwerk oben"
        "\n  src/unten/Punkt.cpp:1: bindet src/oben/Zwei.h ein, aus dem Stockwerk oben"
        "\n  src/unten/Verknuepft.cpp:2: bindet src/oben/Drei.h ein, aus dem Stockwerk oben"
        " unten darf laut target_link_libraries nur aus unten einbinden\n")
    string(FIND "${ausgabe}" "${meldung}" stelle)
    if(ergebnis EQUAL 0 OR stelle EQUAL -1 OR NOT anzahl EQUAL 3)
        message(FATAL_ERROR "Nicht oder neben anderem gemeldet: ${meldung}\nAusgabe:\n${ausgabe}")
    endif()
endforeach()

file(REMOVE_RECURSE "${baum}")
