# Runs a test program with -datatags and compares its rows with the ones CTest
# runs it for, so that a row added to the program runs in some CTest entry:
#   cmake -DEMULATOR=... -DPROGRAM=... -DFUNCTION=... "-DROWS=a;b" -P datatags_check.cmake
# QtTest prints one line per row: "<class> <function> <row>".
cmake_policy(SET CMP0057 NEW)
execute_process(COMMAND ${EMULATOR} ${PROGRAM} -datatags
    OUTPUT_VARIABLE output RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} -datatags ended with ${result}:\n${output}")
endif()
string(REPLACE "\r" "" output "${output}")
string(REPLACE "\n" ";" lines "${output}")
set(found)
foreach(line IN LISTS lines)
    if(line MATCHES "^[^ ]+ ${FUNCTION} (.+)$")
        list(APPEND found "${CMAKE_MATCH_1}")
    endif()
endforeach()
if(NOT found)
    message(FATAL_ERROR "${PROGRAM} names no row of ${FUNCTION}:\n${output}")
endif()
foreach(row IN LISTS found)
    if(NOT row IN_LIST ROWS)
        message(FATAL_ERROR "row \"${row}\" of ${FUNCTION} runs in no CTest entry: "
            "add it to the rows in tests/wine-rig/CMakeLists.txt")
    endif()
endforeach()
foreach(row IN LISTS ROWS)
    if(NOT row IN_LIST found)
        message(FATAL_ERROR "CTest runs row \"${row}\", which ${FUNCTION} does not have")
    endif()
endforeach()
