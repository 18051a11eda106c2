# parvel-<version>-win32.zip (win64 for a 64-bit build) (`cmake --build <dir> --target package`): the program
# with the Qt libraries and plugins it loads and the compiler's runtime
# libraries, laid out as a deployment tool lays them out (plugins in folders
# beside the program, where Qt looks for them first).

# parvel.com is the program's console twin (src/app/CMakeLists.txt);
# parvel-prova.exe proves the client library before the program loads it.
install(TARGETS parvel parvel_console parvel-prova RUNTIME DESTINATION .)

get_target_property(_qt_core Qt6::Core IMPORTED_LOCATION_RELEASE)
get_filename_component(_qt_bin ${_qt_core} DIRECTORY)
get_filename_component(_qt_plugins ${_qt_bin}/../plugins ABSOLUTE)

# The windowing system and the native look. The pictures are PNG, which Qt reads
# without a plugin.
set(_plugins platforms/qwindows.dll styles/qwindowsvistastyle.dll)
# TLS through Windows' own Schannel, for https integration addresses: nothing
# else to ship, and the system's certificate store decides whom to trust.
list(APPEND _plugins tls/qschannelbackend.dll)
set(_installed_plugins)
foreach(_plugin ${_plugins})
    get_filename_component(_folder ${_plugin} DIRECTORY)
    install(FILES ${_qt_plugins}/${_plugin} DESTINATION ${_folder})
    list(APPEND _installed_plugins ${_plugin})
endforeach()

# Where the libraries come from; one found elsewhere belongs to Windows itself and
# is not shipped.
include(${CMAKE_CURRENT_LIST_DIR}/WindowsLibraryFolders.cmake)
parvel_windows_library_folders(_search)
find_program(PARVEL_OBJDUMP NAMES ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-objdump REQUIRED)

install(CODE "
    set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM windows+pe)
    set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL objdump)
    set(CMAKE_GET_RUNTIME_DEPENDENCIES_COMMAND \"${PARVEL_OBJDUMP}\")
    set(_root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
    set(_modules)
    foreach(_plugin ${_installed_plugins})
        list(APPEND _modules \"\${_root}/\${_plugin}\")
    endforeach()
    file(GET_RUNTIME_DEPENDENCIES
        EXECUTABLES \"\${_root}/parvel.exe\" \"\${_root}/parvel.com\"
        MODULES \${_modules}
        DIRECTORIES ${_search}
        RESOLVED_DEPENDENCIES_VAR _libraries
        UNRESOLVED_DEPENDENCIES_VAR _system)
    # Names of Windows libraries come back in lower case, which misses Qt's
    # (Qt6Core.dll) on a case-sensitive file system: they are matched here.
    foreach(_dir ${_search})
        file(GLOB _present \"\${_dir}/*.dll\")
        foreach(_file \${_present})
            get_filename_component(_name \"\${_file}\" NAME)
            string(TOLOWER \"\${_name}\" _lower)
            list(FIND _system \"\${_lower}\" _at)
            if(_at GREATER -1)
                list(APPEND _libraries \"\${_file}\")
            endif()
        endforeach()
    endforeach()
    # file(INSTALL) puts DESTDIR in front by itself.
    file(INSTALL \${_libraries} DESTINATION \"\${CMAKE_INSTALL_PREFIX}\")
")

# What is shipped is stripped: the compiler's runtime and Qt come with their
# symbol tables and debugging sections (libstdc++ alone is over 20 MB), which
# Windows never reads. The copies this install made are stripped, never the
# build's or Qt's own files, so a debugger still finds the symbols there, and
# never another file of the folder installed into (a RUV folder holds the RUV
# programs and their client library).
find_program(PARVEL_STRIP NAMES ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-strip REQUIRED)
install(CODE "
    set(_binaries \${CMAKE_INSTALL_MANIFEST_FILES})
    list(FILTER _binaries INCLUDE REGEX \"[.](exe|com|dll)\$\")
    foreach(_binary \${_binaries})
        execute_process(COMMAND \"${PARVEL_STRIP}\" --strip-unneeded \"\${_binary}\"
            RESULT_VARIABLE _failed)
        if(_failed)
            message(FATAL_ERROR \"\${_binary}: ${PARVEL_STRIP} failed\")
        endif()
    endforeach()
")

# Qt's own texts in Portuguese (context menus, pickers, standard buttons): the
# program loads qtbase_pt_BR.qm from its own folder. The file comes from Debian's
# qt6-translations-l10n, data only and the same for every architecture.
set(PARVEL_QT_TRANSLATION /usr/share/qt6/translations/qtbase_pt_BR.qm CACHE FILEPATH
    "Qt's Brazilian Portuguese translation shipped beside the Windows program")
if(NOT EXISTS ${PARVEL_QT_TRANSLATION})
    message(FATAL_ERROR "${PARVEL_QT_TRANSLATION} is missing: apt-get install qt6-translations-l10n")
endif()
install(FILES ${PARVEL_QT_TRANSLATION} DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME parvel)
# win32 for the program operators install; win64 for the build the tests run.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(CPACK_PACKAGE_FILE_NAME parvel-${PROJECT_VERSION}-win32)
else()
    set(CPACK_PACKAGE_FILE_NAME parvel-${PROJECT_VERSION}-win64)
endif()
# No folder of its own: unpacked into the RUV folder, parvel.exe lands beside the
# "ruv.ini" it edits.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
