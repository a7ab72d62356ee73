# Runs the example host: a library that is not there must give one line and
# exit status 1; the real one must draw the recorded frame. After a deliberate
# change to the picture, put the hash printed below into EXPECTED.
execute_process(COMMAND ${EXAMPLE} ${OUT_DIR}/no-such-library.so
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
string(REGEX MATCHALL "\n" lines "${errors}")
list(LENGTH lines line_count)
if(NOT result EQUAL 1 OR NOT line_count EQUAL 1 OR NOT errors MATCHES "^ruvo-example: cannot load")
  message(FATAL_ERROR "a missing library gave exit ${result} and: ${errors}")
endif()

execute_process(COMMAND ${EXAMPLE} ${LIBRARY} ${ASSETS} ${OUT_DIR}/example.png
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "ruvo-example failed (${result}): ${errors}")
endif()
string(REGEX MATCH "frame hash ([0-9a-f]+)" found "${output}")
file(READ ${EXPECTED} expected)
string(STRIP "${expected}" expected)
if(NOT CMAKE_MATCH_1 STREQUAL expected)
  message(FATAL_ERROR "the example's frame changed: hash ${CMAKE_MATCH_1}, recorded ${expected} "
                      "(picture in ${OUT_DIR}/example.png; if the change is meant, write the "
                      "new hash into ${EXPECTED})")
endif()
message(STATUS "example frame hash ${CMAKE_MATCH_1} as recorded")
