# An install into a RUV folder, staged under WORK: the program lies at the top
# of the folder, stripped, answers --version from there, and the desktop entry
# opens that copy.
#   cmake -DBUILD=<build> -DWORK=<scratch folder> -DVERSION=<x.y.z.w>
#         -DMENU=<PARVEL_MENU_DATA_DIR> -P install_check.cmake
file(REMOVE_RECURSE ${WORK})
set(ruv /opt/RUV)
set(ENV{DESTDIR} ${WORK})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${ruv}
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
set(program ${WORK}${ruv}/parvel)

execute_process(COMMAND ${program} --version OUTPUT_VARIABLE version COMMAND_ERROR_IS_FATAL ANY)
if(NOT version STREQUAL "${VERSION}\n")
    message(FATAL_ERROR "--version of the installed program: '${version}'")
endif()

execute_process(COMMAND readelf --section-headers ${program} OUTPUT_VARIABLE sections)
if(sections MATCHES "\\.debug_" OR NOT sections MATCHES "\\.text")
    message(FATAL_ERROR "the installed program is not stripped")
endif()

file(READ ${WORK}${MENU}/applications/parvel.desktop entry)
if(NOT entry MATCHES "\nExec=\"${ruv}/parvel\"\n" OR NOT entry MATCHES "\nIcon=parvel\n")
    message(FATAL_ERROR "desktop entry:\n${entry}")
endif()
if(NOT EXISTS ${WORK}${MENU}/icons/hicolor/scalable/apps/parvel.svg)
    message(FATAL_ERROR "no scalable icon")
endif()
