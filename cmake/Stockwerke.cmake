# The floors of src/. Every library under src/ that compiles C++ code is a floor, static or a set
# of object files alike; the one folder under src/ its code lies in is its folder, and a folder
# has one floor. What a floor may include follows from its target_link_libraries alone: its own
# folder, the floors it links and what those pass on (PUBLIC, INTERFACE), transitively, and Qt
# only when a Qt target is among them. So a floor's place in the stack is written once. A program
# under src/ is judged the same way by its own links.
#
# Every floor compiles against src/ itself, so that a header has one name in the build (in the
# compiler's messages, the debug information and compile_commands.json). The compiler therefore
# finds the header of any floor; a step after the floors compile (Stockwerkspruefung.cpp) takes
# every file the compiler read for each of their object files from Ninja's dependency log,
# resolves it to its real file and stops the build at one that resolves to none and at one the
# floor may not see: a floor above or beside it, a folder of src/ that is no floor in this build,
# a file directly in src/, Qt in a floor without it, and any file of the checkout or the build
# folder outside src/ (a test's, a generated one) other than the floor's own moc code. Files
# outside the checkout and outside Qt are the system's.
# A build folder keeps the generator it was first set up with, so another one needs a new folder.
if(NOT CMAKE_GENERATOR STREQUAL "Ninja")
    message(FATAL_ERROR "Die Prüfung der Stockwerke liest das Abhängigkeitsprotokoll von Ninja: in einem neuen "
                        "Bauordner mit -G Ninja einrichten oder ${CMAKE_BINARY_DIR} vorher löschen (dort bleibt "
                        "„${CMAKE_GENERATOR}“ eingetragen)")
endif()

# The targets defined in a directory and the directories below it.
function(qb_ziele_unter verzeichnis ergebnis)
    get_property(ziele DIRECTORY "${verzeichnis}" PROPERTY BUILDSYSTEM_TARGETS)
    get_property(unterverzeichnisse DIRECTORY "${verzeichnis}" PROPERTY SUBDIRECTORIES)
    foreach(unterverzeichnis IN LISTS unterverzeichnisse)
        qb_ziele_unter("${unterverzeichnis}" darunter)
        list(APPEND ziele ${darunter})
    endforeach()
    set(${ergebnis} ${ziele} PARENT_SCOPE)
endfunction()

# Call once at the end of src/CMakeLists.txt, after every floor is defined.
function(qb_stockwerke)
    set(wurzel "${PROJECT_SOURCE_DIR}/src")
    set(fehler "")

    # Each target's folder, from where the C++ code it compiles lies. Generated code is judged by
    # what the compiler read for it.
    qb_ziele_unter("${wurzel}" alle)
    set(ziele "")
    set(stockwerke "")
    foreach(ziel IN LISTS alle)
        get_target_property(art ${ziel} TYPE)
        get_target_property(quellen ${ziel} SOURCES)
        get_target_property(quellordner ${ziel} SOURCE_DIR)
        set(ordner "")
        foreach(quelle IN LISTS quellen)
            cmake_path(GET quelle EXTENSION LAST_ONLY endung)
            string(REGEX REPLACE "^\\." "" endung "${endung}")
            if(quelle MATCHES "\\$<" OR NOT endung IN_LIST CMAKE_CXX_SOURCE_FILE_EXTENSIONS)
                continue()
            endif()
            cmake_path(ABSOLUTE_PATH quelle BASE_DIRECTORY "${quellordner}" NORMALIZE)
            cmake_path(RELATIVE_PATH quelle BASE_DIRECTORY "${wurzel}" OUTPUT_VARIABLE relativ)
            if(relativ MATCHES "^\\.\\./")
                continue()
            elseif(relativ MATCHES "^([^/]+)/")
                list(APPEND ordner "${CMAKE_MATCH_1}")
            else()
                list(APPEND fehler "${ziel} übersetzt src/${relativ}: ein Stockwerk ist ein Ordner unter src/, nicht src/ selbst")
            endif()
        endforeach()
        list(REMOVE_DUPLICATES ordner)
        list(LENGTH ordner anzahl)
        if(anzahl GREATER 1)
            list(APPEND fehler "${ziel} hat Quellen in mehreren Ordnern (${ordner}): ein Stockwerk ist genau ein Ordner unter src/")
        elseif(anzahl EQUAL 1)
            list(APPEND ziele ${ziel})
            set(ordner_${ziel} "${ordner}")
            if(NOT art MATCHES "_LIBRARY$")
                continue()
            elseif(DEFINED stockwerk_in_${ordner})
                list(APPEND fehler "src/${ordner} wird von ${stockwerk_in_${ordner}} und ${ziel} übersetzt: ein Ordner ist genau ein Stockwerk")
            endif()
            set(stockwerk_in_${ordner} ${ziel})
            list(APPEND stockwerke ${ziel})
            target_include_directories(${ziel} PUBLIC "${wurzel}")
        endif()
    endforeach()
    if(fehler)
        list(JOIN fehler "\n  " liste)
        message(FATAL_ERROR "Stockwerke, die die Prüfung nicht zuordnen kann:\n  ${liste}")
    endif()

    set(daten "quelle ${PROJECT_SOURCE_DIR}\nbau ${CMAKE_BINARY_DIR}\nprotokoll ${CMAKE_BINARY_DIR}/.ninja_deps\n")
    foreach(ziel IN LISTS stockwerke)
        string(APPEND daten "stockwerk ${ordner_${ziel}}\n")
    endforeach()

    # What each target sees: the libraries it links, then what they pass on. A private dependency
    # of a static library reaches its users as $<LINK_ONLY:…>, for linking only, not its headers.
    set(qt_ziele "")
    set(objekte "")
    foreach(ziel IN LISTS ziele)
        get_target_property(offen ${ziel} LINK_LIBRARIES)
        set(gesehen "")
        set(sicht "")
        set(qt "")
        while(offen)
            list(POP_FRONT offen abhaengigkeit)
            if(abhaengigkeit MATCHES "^\\$<LINK_ONLY:" OR abhaengigkeit IN_LIST gesehen)
                continue()
            endif()
            list(APPEND gesehen "${abhaengigkeit}")
            if(abhaengigkeit MATCHES "^Qt[0-9]*::" AND TARGET "${abhaengigkeit}")
                set(qt "mitqt\n")
                list(APPEND qt_ziele "${abhaengigkeit}")
            endif()
            if(NOT TARGET "${abhaengigkeit}")
                continue()
            endif()
            get_target_property(importiert "${abhaengigkeit}" IMPORTED)
            if(importiert)
                continue()
            endif()
            if(abhaengigkeit IN_LIST stockwerke)
                list(PREPEND sicht "${ordner_${abhaengigkeit}}")
            endif()
            get_target_property(weiter "${abhaengigkeit}" INTERFACE_LINK_LIBRARIES)
            if(weiter)
                list(APPEND offen ${weiter})
            endif()
        endwhile()
        list(APPEND sicht "${ordner_${ziel}}")
        list(REMOVE_DUPLICATES sicht)
        list(JOIN sicht "\nsicht " sicht)
        get_target_property(bauordner ${ziel} BINARY_DIR)
        string(APPEND daten "ziel ${ordner_${ziel}}\nsicht ${sicht}\n${qt}eigen ${bauordner}/${ziel}_autogen\n"
                            "objekt $<JOIN:$<TARGET_OBJECTS:${ziel}>,\nobjekt >\n")
        list(APPEND objekte "$<TARGET_OBJECTS:${ziel}>")
    endforeach()
    list(REMOVE_DUPLICATES qt_ziele)
    # Qt's headers are those in the include folders of its targets (their own, not those they pass
    # on from the system).
    foreach(ziel IN LISTS qt_ziele)
        get_target_property(orte ${ziel} INTERFACE_INCLUDE_DIRECTORIES)
        list(FILTER orte EXCLUDE REGEX "\\$<")
        foreach(ort IN LISTS orte)
            string(APPEND daten "qt ${ort}\n")
        endforeach()
    endforeach()

    set(datendatei "${CMAKE_BINARY_DIR}/stockwerke/sicht.txt")
    set(stempel "${CMAKE_BINARY_DIR}/stockwerke/geprueft.stempel")
    file(GENERATE OUTPUT "${datendatei}" CONTENT "${daten}")
    add_executable(qb_stockwerkspruefung "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/Stockwerkspruefung.cpp")
    target_compile_features(qb_stockwerkspruefung PRIVATE cxx_std_20)
    add_custom_command(
        OUTPUT "${stempel}"
        COMMAND qb_stockwerkspruefung "${datendatei}"
        COMMAND "${CMAKE_COMMAND}" -E touch "${stempel}"
        DEPENDS qb_stockwerkspruefung "${datendatei}" ${objekte}
        COMMENT "Prüfe, was der Compiler für die Stockwerke gelesen hat"
        VERBATIM)
    add_custom_target(stockwerke ALL DEPENDS "${stempel}")
endfunction()
