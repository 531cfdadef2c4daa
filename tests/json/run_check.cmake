# Runs vantrel-check (under EMULATOR when set) in DIR with ARGS ("|" between
# arguments) and compares its standard output with the file EXPECTED, reading
# CR LF as LF, and its exit status with STATUS.
string(REPLACE "|" ";" args "${ARGS}")
execute_process(
  COMMAND ${EMULATOR} ${PROGRAM} ${args}
  WORKING_DIRECTORY ${DIR}
  OUTPUT_VARIABLE output
  ERROR_VARIABLE errors
  RESULT_VARIABLE status)
string(REPLACE "\r\n" "\n" output "${output}")
file(READ ${EXPECTED} expected)
if(NOT output STREQUAL expected)
  message(FATAL_ERROR "output differs from ${EXPECTED}:\n${output}\nstderr:\n${errors}")
endif()
if(NOT status STREQUAL STATUS)
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}\nstderr:\n${errors}")
endif()
