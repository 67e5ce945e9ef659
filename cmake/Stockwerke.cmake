# The floors of src/. Every static library under src/ is a floor; the one folder its sources lie
# in is its folder. What a floor may include follows from its target_link_libraries alone: its
# own folder, the floors it links and what those pass on (PUBLIC, INTERFACE), transitively, and Qt
# only when a Qt target is among them. So a floor's place in the stack is written once.
#
# Every floor compiles against src/ itself, so that a header has one name in the build (in the
# compiler's messages, the debug information and compile_commands.json). The compiler therefore
# finds the header of any floor; a step before each floor compiles (StockwerkePruefen.cmake) reads
# every #include under src/, headers that no source of their own floor includes as well, and stops
# the build at one that runs upwards or sideways, at Qt in a floor without it, and at a path that
# climbs with "..", under src/ and in the other folders of C++ code alike.

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

    # Each floor's folder, from where its sources lie.
    qb_ziele_unter("${wurzel}" ziele)
    set(stockwerke "")
    foreach(ziel IN LISTS ziele)
        get_target_property(art ${ziel} TYPE)
        if(NOT art STREQUAL "STATIC_LIBRARY")
            continue()
        endif()
        get_target_property(quellen ${ziel} SOURCES)
        get_target_property(quellordner ${ziel} SOURCE_DIR)
        set(ordner "")
        foreach(quelle IN LISTS quellen)
            cmake_path(ABSOLUTE_PATH quelle BASE_DIRECTORY "${quellordner}" NORMALIZE)
            cmake_path(IS_PREFIX wurzel "${quelle}" NORMALIZE unter_src)
            if(unter_src)
                cmake_path(RELATIVE_PATH quelle BASE_DIRECTORY "${wurzel}")
                string(REGEX REPLACE "/.*" "" erster "${quelle}")
                list(APPEND ordner "${erster}")
            endif()
        endforeach()
        list(REMOVE_DUPLICATES ordner)
        list(LENGTH ordner anzahl)
        if(anzahl GREATER 1)
            message(FATAL_ERROR "${ziel} hat Quellen in mehreren Ordnern (${ordner}): "
                                "ein Stockwerk ist genau ein Ordner unter src/.")
        endif()
        if(anzahl EQUAL 1)
            set(ordner_${ziel} "${ordner}")
            list(APPEND stockwerke ${ziel})
            target_include_directories(${ziel} PUBLIC "${wurzel}")
        endif()
    endforeach()

    # What each floor sees: the libraries it links, then what they pass on. A private dependency
    # of a static library reaches its users as $<LINK_ONLY:…>, for linking only, not its headers.
    set(daten "")
    foreach(ziel IN LISTS stockwerke)
        get_target_property(offen ${ziel} LINK_LIBRARIES)
        set(gesehen "")
        set(sicht "")
        set(qt OFF)
        while(offen)
            list(POP_FRONT offen abhaengigkeit)
            if(abhaengigkeit MATCHES "^\\$<LINK_ONLY:" OR abhaengigkeit IN_LIST gesehen)
                continue()
            endif()
            list(APPEND gesehen "${abhaengigkeit}")
            if(abhaengigkeit MATCHES "^Qt[0-9]*::")
                set(qt ON)
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
        string(APPEND daten "set(sicht_${ordner_${ziel}} \"${sicht}\")\n")
        string(APPEND daten "set(qt_${ordner_${ziel}} ${qt})\n")
    endforeach()
    set(ordnerliste "")
    foreach(ziel IN LISTS stockwerke)
        list(APPEND ordnerliste "${ordner_${ziel}}")
    endforeach()
    string(PREPEND daten "set(WURZEL \"${PROJECT_SOURCE_DIR}\")\nset(STOCKWERKE \"${ordnerliste}\")\n")

    file(GLOB_RECURSE dateien CONFIGURE_DEPENDS
        "${wurzel}/*.h" "${wurzel}/*.cpp"
        "${PROJECT_SOURCE_DIR}/tests/*.h" "${PROJECT_SOURCE_DIR}/tests/*.cpp"
        "${PROJECT_SOURCE_DIR}/tour/*.h" "${PROJECT_SOURCE_DIR}/tour/*.cpp"
        "${PROJECT_SOURCE_DIR}/bench/*.h" "${PROJECT_SOURCE_DIR}/bench/*.cpp"
        "${PROJECT_SOURCE_DIR}/fuzz/*.h" "${PROJECT_SOURCE_DIR}/fuzz/*.cpp")
    list(SORT dateien)
    string(APPEND daten "set(DATEIEN \"${dateien}\")\n")

    # Written only when it changes, so that a new configure alone does not run the check again.
    set(datendatei "${CMAKE_BINARY_DIR}/stockwerke/sicht.cmake")
    set(stempel "${CMAKE_BINARY_DIR}/stockwerke/geprueft.stempel")
    set(pruefung "${PROJECT_SOURCE_DIR}/cmake/StockwerkePruefen.cmake")
    file(CONFIGURE OUTPUT "${datendatei}" CONTENT "@daten@" @ONLY)
    add_custom_command(
        OUTPUT "${stempel}"
        COMMAND "${CMAKE_COMMAND}" "-DDATEN=${datendatei}" "-DSTEMPEL=${stempel}" -P "${pruefung}"
        DEPENDS ${dateien} "${datendatei}" "${pruefung}"
        COMMENT "Prüfe die Einbindungen gegen die Stockwerke"
        VERBATIM)
    add_custom_target(stockwerke DEPENDS "${stempel}")
    foreach(ziel IN LISTS stockwerke)
        add_dependencies(${ziel} stockwerke)
    endforeach()
endfunction()
