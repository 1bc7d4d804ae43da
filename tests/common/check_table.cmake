# Runs the table generator into OUTPUT and fails unless that is TABLE, byte for byte.
#   cmake -DGENERATOR=... -DTABLE=... -DOUTPUT=... -P check_table.cmake
execute_process(COMMAND ${GENERATOR} ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${GENERATOR} failed: ${status}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT} ${TABLE} RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
  message(FATAL_ERROR "${TABLE} is not what the generator writes (${OUTPUT}); "
    "regenerate it with: cmake --build --preset default --target cp932_table")
endif()
