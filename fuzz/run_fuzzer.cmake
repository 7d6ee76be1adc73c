# Runs one fuzz target as a test: a fresh scratch corpus (new inputs are written there, never
# into the seed folder), the seed corpus replayed first, then fuzzing for SECONDS with SEED.
# Crash inputs land in SCRATCH/../artifacts/. OPTIONS: further libFuzzer flags (a list).
foreach(var FUZZER SEEDS SCRATCH SECONDS SEED)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run_fuzzer.cmake needs -D${var}=...")
  endif()
endforeach()

get_filename_component(name "${FUZZER}" NAME)
get_filename_component(scratchRoot "${SCRATCH}" DIRECTORY)
set(artifacts "${scratchRoot}/../artifacts/${name}/")
file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}" "${artifacts}")

execute_process(
  COMMAND "${FUZZER}" -seed=${SEED} -max_total_time=${SECONDS} -rss_limit_mb=2048 -timeout=25
          -max_len=8192 -print_final_stats=1 -artifact_prefix=${artifacts} ${OPTIONS}
          "${SCRATCH}" "${SEEDS}"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${name} failed (${status}); reproducer in ${artifacts}")
endif()
