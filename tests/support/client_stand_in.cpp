// A client library reduced to the entry points the program resolves, each doing
// nothing: what the saves need to get as far as the tester without a server.
// The library-proof tests build it again with a damage of their own chosen by a
// definition: a load that crashes, ends the process or never ends, or a missing
// entry point.
#include <cstdlib>
#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

extern "C" {
int isc_attach_database() {
    return 0;
}
int isc_detach_database() {
    return 0;
}
int isc_service_attach() {
    return 0;
}
int isc_service_detach() {
    return 0;
}
int isc_service_start() {
    return 0;
}
#ifndef STAND_IN_WITHOUT_SERVICE_QUERY
int isc_service_query() {
    return 0;
}
#endif
int fb_interpret() {
    return 0;
}
}

#if defined(STAND_IN_CRASHES_ON_LOAD)
// A write through a null pointer that the compiler cannot see coming: SIGSEGV on
// Linux, an access violation on Windows.
static int* volatile nowhere = nullptr;
__attribute__((constructor)) static void onLoad() {
    *nowhere = 1;
}
#elif defined(STAND_IN_EXITS_ON_LOAD)
__attribute__((constructor)) static void onLoad() {
    std::_Exit(3);
}
#elif defined(STAND_IN_HANGS_ON_LOAD)
__attribute__((constructor)) static void onLoad() {
    for (;;)
#ifdef _WIN32
        ::Sleep(INFINITE);
#else
        ::pause();
#endif
}
#endif
