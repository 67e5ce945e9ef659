# The build in a folder whose path holds blanks, umlauts and every printable character the scripts
# let a folder hold (scripts/ordnerpruefung.sh names those they refuse): a copy of the checkout
# there is set up with tests and builds the output of every custom command (rcc, moc, the floor
# check, which reads the paths back from Ninja's log), the program and a test program, which lists
# its tests when it is linked. A command that hands such a path to the shell or to Ninja unquoted
# breaks this build.
# Called with -DQUELLE=<checkout>, -DCXX=<compiler>, -DNINJA=<ninja> and, when set,
# -DSTARTER=<compiler launcher>.
cmake_minimum_required(VERSION 3.25)
set(wurzel "${CMAKE_CURRENT_BINARY_DIR}/ordnernamen")
set(kopie "${wurzel}/Übungen [WS 26]/Investmentspiel (Gruppe 7) $Geld {neu}, 50% = 1+1 ~ok! @home: ä.ö-ü_ß")
set(bau "${kopie}/build")
file(REMOVE_RECURSE "${wurzel}")
file(MAKE_DIRECTORY "${kopie}")
foreach(eintrag CMakeLists.txt cmake src tests tour bench fuzz)
    file(COPY "${QUELLE}/${eintrag}" DESTINATION "${kopie}")
endforeach()

# Neither optimized nor with debug information, which saves about a third of the time: what is
# checked are the paths.
execute_process(COMMAND "${CMAKE_COMMAND}" -S "${kopie}" -B "${bau}" -G Ninja "-DCMAKE_MAKE_PROGRAM=${NINJA}"
                        "-DCMAKE_CXX_COMPILER=${CXX}" "-DCMAKE_CXX_COMPILER_LAUNCHER=${STARTER}"
                        -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG= -DQB_TESTS=ON -DQB_BENCHMARKS=OFF
                COMMAND_ERROR_IS_FATAL ANY)

# The custom commands' outputs, by their paths in the build folder (Ninja lists each also by its
# full path).
execute_process(COMMAND "${NINJA}" -C "${bau}" -t targets rule CUSTOM_COMMAND
                OUTPUT_VARIABLE liste COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "(^|\n)[^/\n][^\n]*" ziele "${liste}")
list(TRANSFORM ziele STRIP)
foreach(art "^stockwerke/geprueft\\.stempel$" "/qrc_ressourcen\\.cpp$" "/qrc_anwendung\\.cpp$"
            "^src/ui/qb_ui_autogen/timestamp$" "^tests/ui/test_ui_autogen/timestamp$")
    set(gefunden ${ziele})
    list(FILTER gefunden INCLUDE REGEX "${art}")
    if(NOT gefunden)
        message(FATAL_ERROR "Kein Befehl des Baus erzeugt ${art}; Ninja nennt:\n${liste}")
    endif()
endforeach()

execute_process(COMMAND "${CMAKE_COMMAND}" --build "${bau}" --target ${ziele} quinzelbrockat test_foundation
                COMMAND_ERROR_IS_FATAL ANY)

file(REMOVE_RECURSE "${wurzel}")
