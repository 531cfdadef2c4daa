# Runs one golden case of vantrel-check --config.
#   cmake -DCHECKER=exe [-DEMULATOR=wine-run.sh] -DWINDOWS=ON|OFF -DCASE=dir
#         -DWORK=dir -DSTATUS=n [-DNO_RUNTIME=ON] [-DARGS=a|b|c] -P check_case.cmake
# The case directory's files (all but expected.txt) become WORK/app, with
# @SEP@ replaced by the platform's path-list separator; the checker then
# runs in WORK with ARGS (default: --config app/config.json), and its output
# must equal expected.txt (with @RUNTIME@ replaced by the runtime library's
# path).
if(WINDOWS)
  set(SEP ";")
  set(RUNTIME "jre\\bin\\server\\jvm.dll")
  set(runtime_file "jre/bin/server/jvm.dll")
else()
  set(SEP ":")
  set(RUNTIME "jre/lib/server/libjvm.so")
  set(runtime_file "${RUNTIME}")
endif()

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/app")
file(GLOB_RECURSE files RELATIVE "${CASE}" "${CASE}/*")
foreach(name IN LISTS files)
  if(NOT name STREQUAL "expected.txt")
    configure_file("${CASE}/${name}" "${WORK}/app/${name}" @ONLY)
  endif()
endforeach()
if(NOT NO_RUNTIME)
  file(WRITE "${WORK}/app/${runtime_file}" "")
endif()

# The user's own VM options file must not reach the checker (Linux).
set(ENV{XDG_CONFIG_HOME} "${WORK}/user-config")
if(NOT ARGS)
  set(ARGS "--config|app/config.json")
endif()
string(REPLACE "|" ";" ARGS "${ARGS}")
execute_process(COMMAND ${EMULATOR} "${CHECKER}" ${ARGS}
  WORKING_DIRECTORY "${WORK}"
  OUTPUT_VARIABLE output
  RESULT_VARIABLE status)
string(REPLACE "\r\n" "\n" output "${output}")
configure_file("${CASE}/expected.txt" "${WORK}/expected.txt" @ONLY)
file(READ "${WORK}/expected.txt" expected)

if(NOT output STREQUAL expected)
  message(FATAL_ERROR "output differs\n--- expected\n${expected}--- actual\n${output}")
endif()
if(NOT status STREQUAL STATUS)
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}")
endif()
