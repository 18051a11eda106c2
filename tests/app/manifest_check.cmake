# Reads the application manifest back from the built program (-DPROGRAM=): it
# asks for the rights of whoever starts the program, which also keeps Windows'
# file virtualization off, and names the systems it was made for.
file(STRINGS ${PROGRAM} manifest REGEX "<requestedExecutionLevel|<supportedOS ")
foreach(line IN LISTS manifest)
    string(STRIP "${line}" line)
    message(STATUS "${line}")
endforeach()
list(FILTER manifest INCLUDE REGEX "level=\"asInvoker\" uiAccess=\"false\"")
list(LENGTH manifest levels)
file(STRINGS ${PROGRAM} systems REGEX "<supportedOS Id=\"{[0-9a-f-]+}\"/>")
list(LENGTH systems count)
if(NOT levels EQUAL 1 OR NOT count EQUAL 4)
    message(FATAL_ERROR "manifest: ${levels} execution level asInvoker, ${count} supported systems")
endif()
