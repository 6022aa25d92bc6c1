# cmake -DTOOL=<validator> [-DARGS=<arguments>] -DFILE=<file> -P Validate.cmake
# Runs the validator on the file; without the validator installed the test is
# skipped rather than passed.
cmake_minimum_required(VERSION 3.25)
if(NOT TOOL)
    message("SKIPPED: no validator for ${FILE} is installed")
    return()
endif()
execute_process(COMMAND ${TOOL} ${ARGS} ${FILE} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
message("${output}")
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${TOOL} rejects ${FILE}")
endif()
# desktop-file-validate exits with 0 on mere warnings, which still matter.
if(output MATCHES "(^|\n)[^\n]*: (error|warning): ")
    message(FATAL_ERROR "${TOOL} has remarks on ${FILE}")
endif()
