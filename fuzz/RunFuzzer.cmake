# Runs one fuzzer for SECONDS on a scratch copy of its seeds; fails when it finds a crash.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/artifacts)
file(GLOB seeds ${SEEDS}/*)
if(seeds)
    file(COPY ${seeds} DESTINATION ${WORK}/corpus)
endif()
execute_process(
    COMMAND ${FUZZER} -max_total_time=${SECONDS} -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
            -artifact_prefix=${WORK}/artifacts/ ${WORK}/corpus
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${FUZZER} found a failing input (exit ${result}); see ${WORK}/artifacts")
endif()
