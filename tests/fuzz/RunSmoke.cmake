# Runs one fuzz target briefly as a test: RUNS inputs grown from the seeds in SEEDS, with the
# fuzzer's random choices fixed. New inputs go to WORK, emptied first so that every run starts
# from the seeds alone, never into the seed folder in the tree. Crash, leak and time-out inputs
# are kept in WORK-artifacts/.
#   cmake -DFUZZER=... -DSEEDS=... -DWORK=... -DRUNS=... -DOPTIONS=... -P RunSmoke.cmake
file(REMOVE_RECURSE ${WORK} ${WORK}-artifacts)
file(MAKE_DIRECTORY ${WORK} ${WORK}-artifacts)
execute_process(
  COMMAND ${FUZZER} -runs=${RUNS} -seed=1 -timeout=20 -artifact_prefix=${WORK}-artifacts/
          ${OPTIONS} ${WORK} ${SEEDS}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed (${result}); the input is in ${WORK}-artifacts/")
endif()
