# The Windows test programs run under Wine: CTest starts each one through
# build/wine-test (the emulator), inside a Wine prefix of the build tree. The
# fixture "wine" prepares the prefix and keeps one wineserver running for all
# tests, which cuts each start from seconds to a tenth of one.

set(PARVEL_WINEPREFIX ${CMAKE_BINARY_DIR}/wine CACHE PATH "Wine prefix of the tests")

# Windows finds a program's libraries through PATH: Qt's and the compiler's.
include(${CMAKE_CURRENT_LIST_DIR}/WindowsLibraryFolders.cmake)
parvel_windows_library_folders(_wine_path)
list(TRANSFORM _wine_path PREPEND "Z:")
string(REPLACE "/" "\\" PARVEL_WINEPATH "${_wine_path}")

# Fonts for the offscreen platform, which draws with FreeType from a folder.
set(PARVEL_WINE_FONTDIR /usr/share/fonts/truetype/dejavu)
string(REPLACE "/" "\\" PARVEL_WINE_FONTDIR "Z:${PARVEL_WINE_FONTDIR}")

configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-test.in ${CMAKE_BINARY_DIR}/wine-test @ONLY
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-test)
# The program itself was made before this file was read.
set_property(TARGET parvel PROPERTY CROSSCOMPILING_EMULATOR ${CMAKE_CROSSCOMPILING_EMULATOR})

add_test(NAME wine_start COMMAND ${CMAKE_BINARY_DIR}/wine-test --start)
add_test(NAME wine_stop COMMAND ${CMAKE_BINARY_DIR}/wine-test --stop)
set_tests_properties(wine_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP wine)
set(PARVEL_WINE_FIXTURE wine)
