/* A 32-bit x86 "fbclient.dll", of the RUV programs' architecture, for the tests of
 * the 64-bit build: a library the program cannot load, which it has to refuse by
 * its headers before loading anything or touching the server's service. It has
 * the client's first entry point, so that only its architecture is wrong. */
__declspec(dllexport) long __stdcall isc_attach_database(long* status, short name_length,
                                                         const char* name, unsigned* handle,
                                                         short dpb_length, const char* dpb) {
    (void)name_length, (void)name, (void)handle, (void)dpb_length, (void)dpb;
    status[0] = 1;
    status[1] = 335544375; /* isc_unavailable */
    status[2] = 0;
    return status[1];
}
