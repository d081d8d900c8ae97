# Runs one island scenario (TOOL, SCRIPT) and compares its output with SCRIPT's .out file if any.
execute_process(COMMAND ${TOOL} ${SCRIPT}
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "island-script exited with ${status}\n${errors}")
endif()
string(REGEX REPLACE "\\.script$" ".out" expected_file ${SCRIPT})
if(EXISTS ${expected_file})
  file(READ ${expected_file} expected)
  if(NOT output STREQUAL expected)
    message(FATAL_ERROR "output differs from ${expected_file}\n--- expected\n${expected}--- got\n${output}")
  endif()
endif()
