# Reads the application manifest back from the built program (-DPROGRAM=): it
# asks for the rights of whoever starts the program, which also keeps Windows'
# file virtualization off, and names the systems it runs on: Windows 10 and 11,
# one identifier for both, as Qt 6 runs on nothing older.
file(STRINGS ${PROGRAM} manifest REGEX "<requestedExecutionLevel|<supportedOS ")
foreach(line IN LISTS manifest)
    string(STRIP "${line}" line)
    message(STATUS "${line}")
endforeach()
list(FILTER manifest INCLUDE REGEX "level=\"asInvoker\" uiAccess=\"false\"")
list(LENGTH manifest levels)
file(STRINGS ${PROGRAM} systems REGEX "<supportedOS Id=")
string(STRIP "${systems}" systems)
if(NOT levels EQUAL 1
   OR NOT systems STREQUAL "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>")
    message(FATAL_ERROR "manifest: ${levels} execution level asInvoker; supported systems "
        "\"${systems}\", not Windows 10 and 11 alone")
endif()
