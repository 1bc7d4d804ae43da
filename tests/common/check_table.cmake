# Runs a table generator into OUTPUT and fails unless that is TABLE, byte for byte. ARGS (the
# generator's inputs) come before the outputs; TABLE and OUTPUT may be lists of the same length,
# for a generator that writes several tables, and TARGET names the target that regenerates them.
#   cmake -DGENERATOR=... [-DARGS=...] -DTABLE=... -DOUTPUT=... [-DTARGET=...] -P check_table.cmake
if(NOT TARGET)
  set(TARGET cp932_table)
endif()
execute_process(COMMAND ${GENERATOR} ${ARGS} ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${GENERATOR} failed: ${status}")
endif()
foreach(output table IN ZIP_LISTS OUTPUT TABLE)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${output} ${table}
    RESULT_VARIABLE differ)
  if(NOT differ EQUAL 0)
    message(FATAL_ERROR "${table} is not what the generator writes (${output}); "
      "regenerate it with: cmake --build --preset cp932 --target ${TARGET}")
  endif()
endforeach()
