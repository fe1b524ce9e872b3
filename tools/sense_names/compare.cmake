# cmake -DGENERATOR=... -DTABLE=... -P compare.cmake: fails when the kept
# table differs from what the generator writes now.
execute_process(COMMAND ${GENERATOR} OUTPUT_VARIABLE generated RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the generator failed: ${status}")
endif()
file(READ ${TABLE} kept)
if(NOT generated STREQUAL kept)
  message(FATAL_ERROR "${TABLE} is not what the library gives now; write it again with "
                      "generate-sense-names > access/sense_names.inc")
endif()
