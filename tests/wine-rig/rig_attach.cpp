// Proves the Windows client stand-in without Qt: loads the "fbclient.dll" named
// by its first argument as the program loads a client library, attaches to the
// database named by its second argument as SYSDBA and detaches; then attaches
// with a wrong password and expects the server's refusal, read back through the
// client's own message function. Prints each step; exit code 0 when all passed.
//
//   rig_attach.exe LIBRARY DATABASE SYSDBA_PASSWORD
#include <cstdio>
#include <cstring>
#include <ibase.h>
#include <string>
#include <windows.h>

// The stand-in hands status vectors and handles to the 64-bit Linux client as they
// are: the Windows client's header must give them the sizes that the stand-in
// asserts for the Linux side.
static_assert(sizeof(ISC_STATUS) == 8 && sizeof(isc_db_handle) == 4 && sizeof(ISC_LONG) == 4,
              "the 64-bit Windows client's types match the 64-bit Linux client's");

namespace {

struct Client {
    decltype(&isc_attach_database) attach;
    decltype(&isc_detach_database) detach;
    decltype(&fb_interpret) interpret;
};

template <typename F> bool resolve(HMODULE library, F& entry, const char* name) {
    entry = reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
    if (!entry)
        std::printf("the library has no \"%s\"\n", name);
    return entry != nullptr;
}

std::string parameters(const char* password) {
    std::string dpb(1, char(isc_dpb_version1));
    for (const auto& [tag, value] :
         {std::pair{isc_dpb_user_name, "SYSDBA"}, std::pair{isc_dpb_password, password}}) {
        dpb += char(tag);
        dpb += char(std::strlen(value));
        dpb += value;
    }
    return dpb;
}

std::string messages(const Client& client, const ISC_STATUS* status) {
    std::string text;
    char buffer[512];
    const ISC_STATUS* cursor = status;
    while (client.interpret(buffer, sizeof buffer, &cursor) > 0)
        text += std::string(buffer) + "\n";
    return text;
}

bool failed(const ISC_STATUS* status) {
    return status[0] == 1 && status[1] != 0;
}

bool attachAndDetach(const Client& client, const char* database, const char* password) {
    ISC_STATUS_ARRAY status{};
    isc_db_handle handle = 0;
    const std::string dpb = parameters(password);
    client.attach(status, short(std::strlen(database)), database, &handle, short(dpb.size()),
                  dpb.data());
    if (failed(status)) {
        std::printf("attach failed:\n%s", messages(client, status).c_str());
        return false;
    }
    client.detach(status, &handle);
    std::printf("attached and detached\n");
    return !failed(status);
}

bool refusedWithTheServersText(const Client& client, const char* database) {
    ISC_STATUS_ARRAY status{};
    isc_db_handle handle = 0;
    const std::string dpb = parameters("wrong");
    client.attach(status, short(std::strlen(database)), database, &handle, short(dpb.size()),
                  dpb.data());
    const std::string text = failed(status) ? messages(client, status) : std::string();
    std::printf("wrong password: %s", text.empty() ? "not refused\n" : text.c_str());
    return text.find("password") != std::string::npos;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4)
        return 2;
    const HMODULE library = ::LoadLibraryExW(argv[1], nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!library) {
        std::printf("LoadLibraryExW failed: error %lu\n", ::GetLastError());
        return 1;
    }
    Client client{};
    if (!resolve(library, client.attach, "isc_attach_database") ||
        !resolve(library, client.detach, "isc_detach_database") ||
        !resolve(library, client.interpret, "fb_interpret"))
        return 1;
    const std::wstring wideDatabase(argv[2]), widePassword(argv[3]);
    const std::string database(wideDatabase.begin(), wideDatabase.end());
    const std::string password(widePassword.begin(), widePassword.end());
    const bool attached = attachAndDetach(client, database.c_str(), password.c_str());
    const bool refused = refusedWithTheServersText(client, database.c_str());
    return attached && refused ? 0 : 1;
}
