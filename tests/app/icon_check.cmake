# Reads the icon back from the built program (-DPROGRAM=, with -DWRESTOOL= and
# -DICOTOOL= of icoutils): the first icon group, the one Explorer and the taskbar
# show, holds the program's picture at every size Windows asks for.
execute_process(COMMAND ${WRESTOOL} --list --type=14 ${PROGRAM}
    OUTPUT_VARIABLE groups RESULT_VARIABLE failed)
if(failed OR NOT groups MATCHES "--name=([^ ]+)")
    message(FATAL_ERROR "no icon group in ${PROGRAM}")
endif()
set(first ${CMAKE_MATCH_1})
message(STATUS "first icon group: ${first}")
get_filename_component(ico ${PROGRAM}.icon.ico ABSOLUTE)
execute_process(COMMAND ${WRESTOOL} --extract --type=14 --name=${first} --output=${ico} ${PROGRAM}
    RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "icon group ${first} of ${PROGRAM} could not be read")
endif()
execute_process(COMMAND ${ICOTOOL} --list ${ico} OUTPUT_VARIABLE images)
file(REMOVE ${ico})
string(REGEX MATCHALL "--width=[0-9]+ --height=[0-9]+" sizes "${images}")
string(REGEX REPLACE "--width=([0-9]+) --height=[0-9]+" "\\1" widths "${sizes}")
string(REGEX REPLACE "--width=[0-9]+ --height=([0-9]+)" "\\1" heights "${sizes}")
message(STATUS "sizes: ${widths}")
if(NOT widths STREQUAL "16;24;32;48;64;256" OR NOT heights STREQUAL widths)
    message(FATAL_ERROR "icon group ${first}: sizes ${sizes}, not 16, 24, 32, 48, 64 and 256 square")
endif()
