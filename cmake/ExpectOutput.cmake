# cmake -DPROGRAM=... [-DEMULATOR=...] -DEXPECT=<regex> -P ExpectOutput.cmake
# Runs PROGRAM (through EMULATOR when set) and passes when it exits 0 and its output, standard
# output and standard error together, matches EXPECT.
execute_process(COMMAND ${EMULATOR} ${PROGRAM} RESULT_VARIABLE status OUTPUT_VARIABLE output
                ERROR_VARIABLE output TIMEOUT 120)
message("${output}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} ended with ${status}")
endif()
if(NOT output MATCHES "${EXPECT}")
  message(FATAL_ERROR "${PROGRAM} did not say: ${EXPECT}")
endif()
