# Runs the layout generator into an empty folder (OUT) and compares every file it writes with
# the committed one below SOURCE: the layout files, the bitmaps and ControlIds.h must be what the
# generator gives, byte for byte.
#   cmake -DPYTHON=... -DSOURCE=<repository> -DOUT=<folder> -P CompareRegenerated.cmake
file(REMOVE_RECURSE "${OUT}")
execute_process(COMMAND "${PYTHON}" "${SOURCE}/scripts/gen_layouts.py" --out "${OUT}"
                RESULT_VARIABLE failed OUTPUT_QUIET)
if(failed)
  message(FATAL_ERROR "scripts/gen_layouts.py --out ${OUT} failed")
endif()
file(GLOB_RECURSE written RELATIVE "${OUT}" "${OUT}/*")
if(NOT written)
  message(FATAL_ERROR "the generator wrote nothing below ${OUT}")
endif()
set(differing)
foreach(f IN LISTS written)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${OUT}/${f}" "${SOURCE}/${f}"
                  RESULT_VARIABLE differs)
  if(differs)
    list(APPEND differing "${f}")
  endif()
endforeach()
if(differing)
  message(FATAL_ERROR "not what scripts/gen_layouts.py writes (run it and commit): ${differing}")
endif()
list(LENGTH written count)
message(STATUS "${count} generated files match")
