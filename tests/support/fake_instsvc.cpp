// The service tool of FakeServiceTool on Windows: appends its first argument and
// a line end to "<its folder>.log", beside its folder. Appends are atomic, so a
// "stop" and a "start" running at once each leave their whole line.
#include <string>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    wchar_t path[4096] = {};
    const DWORD size = ::GetModuleFileNameW(nullptr, path, 4096);
    std::wstring log(path, size);
    log.resize(log.find_last_of(L'\\'));
    log += L".log";
    std::wstring command = argc > 1 ? argv[1] : L"";
    std::string line(command.begin(), command.end());
    line += '\n';
    const HANDLE file =
        ::CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, line.data(), DWORD(line.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok ? 0 : 1;
}
