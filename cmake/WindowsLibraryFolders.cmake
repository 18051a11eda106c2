# parvel_windows_library_folders(<out>)
# The folders a Windows build of the program takes its libraries from: Qt's and the
# compiler's runtime (libstdc++, winpthread). A library found in none of them belongs
# to Windows itself.
function(parvel_windows_library_folders out)
    get_target_property(_qt_core Qt6::Core IMPORTED_LOCATION_RELEASE)
    get_filename_component(_folders ${_qt_core} DIRECTORY)
    foreach(_dll libstdc++-6.dll libwinpthread-1.dll)
        execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${_dll}
            OUTPUT_VARIABLE _dll_path OUTPUT_STRIP_TRAILING_WHITESPACE)
        get_filename_component(_dll_dir ${_dll_path} DIRECTORY)
        get_filename_component(_dll_dir ${_dll_dir} REALPATH)
        list(APPEND _folders ${_dll_dir})
    endforeach()
    list(REMOVE_DUPLICATES _folders)
    set(${out} ${_folders} PARENT_SCOPE)
endfunction()
