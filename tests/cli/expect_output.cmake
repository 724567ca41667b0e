# Runs a command and checks both its exit status and its standard output,
# which PASS_REGULAR_EXPRESSION alone would not: it ignores the status.
#   cmake -DCOMMAND=prog|arg|... -DSTATUS=N -DOUTPUT_REGEX=RE -P expect_output.cmake
string(REPLACE "|" ";" command "${COMMAND}")
execute_process(COMMAND ${command} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status STREQUAL "${STATUS}")
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}\nstdout:\n${out}\nstderr:\n${err}")
endif()
if(NOT out MATCHES "${OUTPUT_REGEX}")
  message(FATAL_ERROR "stdout does not match '${OUTPUT_REGEX}':\n${out}\nstderr:\n${err}")
endif()
