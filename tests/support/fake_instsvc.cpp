// The service tool of FakeServiceTool on Windows: appends its first argument and
// a line end to "<its folder>.log", beside its folder. Appends are atomic, so a
// "stop" and a "start" running at once each leave their whole line. Exits with
// code 3 when "<its folder>.fail" names the command.
#include <fstream>
#include <string>
#include <windows.h>

namespace {

bool listed(const std::wstring& file, const std::string& command) {
    std::ifstream list(file.c_str());
    std::string line;
    while (std::getline(list, line)) {
        if (line == command)
            return true;
    }
    return false;
}

} // namespace

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
    if (!ok)
        return 1;
    const std::wstring failures = log.substr(0, log.size() - 4) + L".fail";
    return listed(failures, line.substr(0, line.size() - 1)) ? 3 : 0;
}
