# The demo's golden frame: runs a short fixed path headless and compares the
# hash of the last frame with the one recorded in GOLDEN. Any change to an
# operation that alters the picture changes it. After a deliberate change,
# put the hash printed below into the file.
execute_process(COMMAND ${DEMO} --frames-count 48 --fixed-text --hash --out ${OUT}
  OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "ruvo-demo failed (${result}): ${errors}")
endif()
string(REGEX MATCH "frame hash ([0-9a-f]+)" found "${output}")
set(hash "${CMAKE_MATCH_1}")
file(READ ${GOLDEN} golden)
string(STRIP "${golden}" golden)
if(NOT hash STREQUAL golden)
  message(FATAL_ERROR "the demo frame changed: hash ${hash}, recorded ${golden} "
                      "(picture in ${OUT}; if the change is meant, write ${hash} into ${GOLDEN})")
endif()
message(STATUS "demo frame hash ${hash} as recorded")
