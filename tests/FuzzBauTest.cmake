# The fuzz configuration as the README gives it, in a folder of this build: it configures, builds
# with its floor check, and every target runs once over (a copy of) its corpus.
# Called with -DQUELLE=<checkout> and, when set, -DSTARTER=<compiler launcher>.
cmake_minimum_required(VERSION 3.25)
set(bau "${CMAKE_CURRENT_BINARY_DIR}/fuzzkonfiguration")
execute_process(COMMAND "${CMAKE_COMMAND}" -S "${QUELLE}" -B "${bau}" -G Ninja -DCMAKE_CXX_COMPILER=clang++
                        -DQB_FUZZ=ON -DQB_TESTS=OFF -DQB_BENCHMARKS=OFF "-DCMAKE_CXX_COMPILER_LAUNCHER=${STARTER}"
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${bau}" COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE_RECURSE "${bau}/korpus")
foreach(ziel zahlenfeld isin boerse_antwort boerse_verlauf ezb_antwort ezb_reihe)
    file(COPY "${QUELLE}/fuzz/korpus/${ziel}" DESTINATION "${bau}/korpus")
    execute_process(COMMAND "${bau}/fuzz/fuzz_${ziel}" -runs=0 "${bau}/korpus/${ziel}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
