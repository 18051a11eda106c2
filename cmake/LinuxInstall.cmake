# `cmake --install <build> --prefix <RUV folder>`: the program goes into the RUV
# folder itself, stripped, since the "ruv.ini" it edits is the one of its own
# folder. The desktop entry, the scalable icon and the AppStream metadata go
# where desktop menus look for them, PARVEL_MENU_DATA_DIR (/usr/local/share by
# default; ~/.local/share for one user only). Run as root where `setcap` exists,
# the install grants the program cap_net_raw, as the system's ping has, so that
# its address checks work for ordinary users where ICMP sockets are closed to them.

set(PARVEL_MENU_DATA_DIR /usr/local/share CACHE PATH
    "Where the desktop entry, icon and AppStream metadata are installed")
find_program(PARVEL_SETCAP setcap PATHS /usr/sbin /sbin)

install(TARGETS parvel RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/src/screens/main/icones/banco.svg
    DESTINATION ${PARVEL_MENU_DATA_DIR}/icons/hicolor/scalable/apps RENAME parvel.svg)

# Run at install time, when --prefix has given CMAKE_INSTALL_PREFIX its value.
install(CODE "
    set(_program \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/parvel\")
    execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded \"\${_program}\"
        COMMAND_ERROR_IS_FATAL ANY)

    set(PARVEL_FOLDER \"\${CMAKE_INSTALL_PREFIX}\")
    set(PARVEL_PROGRAM \"\${CMAKE_INSTALL_PREFIX}/parvel\")
    set(PROJECT_VERSION ${PROJECT_VERSION})
    configure_file(\"${PROJECT_SOURCE_DIR}/data/parvel.desktop.in\"
        \"${PROJECT_BINARY_DIR}/install/parvel.desktop\" @ONLY)
    configure_file(\"${PROJECT_SOURCE_DIR}/data/parvel.metainfo.xml.in\"
        \"${PROJECT_BINARY_DIR}/install/parvel.metainfo.xml\" @ONLY)
    file(INSTALL \"${PROJECT_BINARY_DIR}/install/parvel.desktop\"
        DESTINATION \"${PARVEL_MENU_DATA_DIR}/applications\")
    file(INSTALL \"${PROJECT_BINARY_DIR}/install/parvel.metainfo.xml\"
        DESTINATION \"${PARVEL_MENU_DATA_DIR}/metainfo\")

    execute_process(COMMAND id -u OUTPUT_VARIABLE _uid OUTPUT_STRIP_TRAILING_WHITESPACE)
    set(_granted FALSE)
    if(_uid STREQUAL \"0\" AND EXISTS \"${PARVEL_SETCAP}\")
        execute_process(COMMAND \"${PARVEL_SETCAP}\" cap_net_raw+ep \"\${_program}\"
            RESULT_VARIABLE _failed ERROR_VARIABLE _why)
        if(NOT _failed)
            set(_granted TRUE)
        endif()
    endif()
    if(_granted)
        message(STATUS \"Granted cap_net_raw: \${_program}\")
    else()
        message(STATUS \"Not granted cap_net_raw (needs root and setcap \${_why}); \"
            \"for address checks by ordinary users: setcap cap_net_raw+ep \${_program}\")
    endif()
")
