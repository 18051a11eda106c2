// A library whose teardown leaves a mark beside it ("<its file>.detached") and
// whose call hold() never returns, for tests of a program that ends while a call
// it gave up on is still inside a library; pass() returns at once.
#ifdef _WIN32
#include <string>
#include <windows.h>

namespace {
HMODULE self = nullptr;
}

extern "C" __declspec(dllexport) void hold() {
    ::Sleep(INFINITE);
}

extern "C" __declspec(dllexport) void pass() {}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        self = module;
    if (reason == DLL_PROCESS_DETACH) {
        wchar_t path[MAX_PATH] = {};
        const DWORD size = ::GetModuleFileNameW(self, path, MAX_PATH);
        const std::wstring mark = std::wstring(path, size) + L".detached";
        ::CloseHandle(::CreateFileW(mark.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    return TRUE;
}
#else
#include <dlfcn.h>
#include <fcntl.h>
#include <string>
#include <unistd.h>

extern "C" void hold() {
    for (;;)
        ::pause();
}

extern "C" void pass() {}

__attribute__((destructor)) static void detached() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&hold), &info) == 0)
        return;
    const std::string mark = std::string(info.dli_fname) + ".detached";
    ::close(::open(mark.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
}
#endif
