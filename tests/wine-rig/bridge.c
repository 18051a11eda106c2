/* A Windows "fbclient.dll" for the tests under Wine: a Wine builtin library whose
 * entry points forward to the machine's 64-bit Linux client. Like the Windows
 * client it takes its root from where it lies: the folder above its own when that
 * is a "bin" folder (a server installation, whose firebird.conf and port then
 * apply), else its own folder (a workstation's copy beside the programs).
 *
 * Both sides are x86-64: ISC_STATUS is a pointer-sized integer on each (64 bits),
 * the handles are 32-bit on each (the client's header gives 64-bit Windows and
 * LP64 Linux the same "unsigned int"), and a status vector is handed over as it
 * is. Only the calling convention differs: the entry points take the Windows one,
 * the calls into the Linux client its own. Integer arguments narrower than 32 bits
 * arrive in registers whose upper bits the caller need not clear, and are narrowed
 * here, as the Linux client declares them. */
#include <dlfcn.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <windows.h>

typedef intptr_t ISC_STATUS;
typedef unsigned int FB_API_HANDLE;
typedef int ISC_LONG;

_Static_assert(sizeof(void*) == 8, "the Windows program and the Linux client are 64-bit");
_Static_assert(sizeof(ISC_STATUS) == 8, "a status entry is 64 bits on both sides");
_Static_assert(sizeof(FB_API_HANDLE) == 4, "a handle is 32 bits on both sides");
_Static_assert(sizeof(ISC_LONG) == 4 && sizeof(LONG) == 4, "a long is 32 bits on both sides");

static struct {
    ISC_STATUS(*attach_database)
    (ISC_STATUS*, short, const char*, FB_API_HANDLE*, short, const char*);
    ISC_STATUS (*detach_database)(ISC_STATUS*, FB_API_HANDLE*);
    ISC_STATUS(*service_attach)
    (ISC_STATUS*, unsigned short, const char*, FB_API_HANDLE*, unsigned short, const char*);
    ISC_STATUS (*service_detach)(ISC_STATUS*, FB_API_HANDLE*);
    ISC_STATUS(*service_start)
    (ISC_STATUS*, FB_API_HANDLE*, ISC_LONG*, unsigned short, const char*);
    ISC_STATUS(*service_query)
    (ISC_STATUS*, FB_API_HANDLE*, ISC_LONG*, unsigned short, const char*, unsigned short,
     const char*, unsigned short, char*);
    ISC_LONG (*interpret)(char*, unsigned int, const ISC_STATUS**);
    ISC_LONG (*interprete)(char*, ISC_STATUS**);
} linux_client;

/* Cuts the last name off a Unix path; false when none is left to cut. */
static BOOL cut_last_name(char* path) {
    char* slash = strrchr(path, '/');
    if (!slash || slash == path)
        return FALSE;
    *slash = '\0';
    return TRUE;
}

/* The Unix path of the client's root, as the Windows client finds its own. */
static char* installation_root(HINSTANCE self) {
    WCHAR path[MAX_PATH];
    DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH)
        return NULL;
    char* root = wine_get_unix_file_name(path);
    if (!root)
        return NULL;
    BOOL found = cut_last_name(root);
    const char* folder = strrchr(root, '/');
    if (found && folder && strcasecmp(folder, "/bin") == 0)
        found = cut_last_name(root);
    if (!found) {
        HeapFree(GetProcessHeap(), 0, root);
        return NULL;
    }
    return root;
}

static BOOL resolve(void* library, void** entry, const char* name) {
    *entry = dlsym(library, name);
    return *entry != NULL;
}

/* FIREBIRD is set in this process's Unix environment only, which the Windows
 * program never sees: it is what the Linux client reads for its root. */
static BOOL load_linux_client(HINSTANCE self) {
    char* root = installation_root(self);
    if (!root)
        return FALSE;
    setenv("FIREBIRD", root, 1);
    HeapFree(GetProcessHeap(), 0, root);
    void* library = dlopen("libfbclient.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return FALSE;
    return resolve(library, (void**)&linux_client.attach_database, "isc_attach_database") &&
           resolve(library, (void**)&linux_client.detach_database, "isc_detach_database") &&
           resolve(library, (void**)&linux_client.service_attach, "isc_service_attach") &&
           resolve(library, (void**)&linux_client.service_detach, "isc_service_detach") &&
           resolve(library, (void**)&linux_client.service_start, "isc_service_start") &&
           resolve(library, (void**)&linux_client.service_query, "isc_service_query") &&
           resolve(library, (void**)&linux_client.interpret, "fb_interpret") &&
           resolve(library, (void**)&linux_client.interprete, "isc_interprete");
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    DisableThreadLibraryCalls(self);
    return load_linux_client(self);
}

ISC_STATUS WINAPI isc_attach_database(ISC_STATUS* status, LONG name_length, const char* name,
                                      FB_API_HANDLE* handle, LONG dpb_length, const char* dpb) {
    return linux_client.attach_database(status, (short)name_length, name, handle, (short)dpb_length,
                                        dpb);
}

ISC_STATUS WINAPI isc_detach_database(ISC_STATUS* status, FB_API_HANDLE* handle) {
    return linux_client.detach_database(status, handle);
}

ISC_STATUS WINAPI isc_service_attach(ISC_STATUS* status, LONG name_length, const char* name,
                                     FB_API_HANDLE* handle, LONG spb_length, const char* spb) {
    return linux_client.service_attach(status, (unsigned short)name_length, name, handle,
                                       (unsigned short)spb_length, spb);
}

ISC_STATUS WINAPI isc_service_detach(ISC_STATUS* status, FB_API_HANDLE* handle) {
    return linux_client.service_detach(status, handle);
}

ISC_STATUS WINAPI isc_service_start(ISC_STATUS* status, FB_API_HANDLE* handle, ISC_LONG* reserved,
                                    LONG spb_length, const char* spb) {
    return linux_client.service_start(status, handle, reserved, (unsigned short)spb_length, spb);
}

ISC_STATUS WINAPI isc_service_query(ISC_STATUS* status, FB_API_HANDLE* handle, ISC_LONG* reserved,
                                    LONG send_length, const char* send, LONG request_length,
                                    const char* request, LONG buffer_length, char* buffer) {
    return linux_client.service_query(status, handle, reserved, (unsigned short)send_length, send,
                                      (unsigned short)request_length, request,
                                      (unsigned short)buffer_length, buffer);
}

ISC_LONG WINAPI fb_interpret(char* buffer, LONG size, const ISC_STATUS** cursor) {
    return linux_client.interpret(buffer, (unsigned int)size, cursor);
}

ISC_LONG WINAPI isc_interprete(char* buffer, ISC_STATUS** cursor) {
    return linux_client.interprete(buffer, cursor);
}
