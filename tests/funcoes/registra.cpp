// The program that tst_executaprograma starts on Windows. It writes what it was
// given into "registro" beside itself, one item a line, in UTF-8:
//   its whole command line
//   its working folder
//   the show state its start-up information asks for, or "sem" when none
//   "console-propria" when it is alone on its console, else "console-partilhada"
//   "herdado" when the handle in PARVEL_HANDLE is open here on the starter's
//     marker file (PARVEL_HANDLE_SIZE bytes long), else "nao-herdado"
//   its process and thread ids, for the starter to see that no handle of its
//     own keeps them after the end
// While "fechado" exists beside it, it waits first; PARVEL_SLEEP milliseconds
// more delay the record.
#include "WideToUtf8.h"

#include <cstdint>
#include <cwchar>
#include <string>
#include <windows.h>

namespace {

std::wstring variable(const wchar_t* name) {
    wchar_t value[64] = {};
    const DWORD size = ::GetEnvironmentVariableW(name, value, 64);
    return size > 0 && size < 64 ? std::wstring(value, size) : std::wstring();
}

uint64_t number(const wchar_t* name) {
    const std::wstring text = variable(name);
    return text.empty() ? 0 : std::wcstoull(text.c_str(), nullptr, 10);
}

std::wstring ownFolder() {
    wchar_t path[4096] = {};
    const DWORD size = ::GetModuleFileNameW(nullptr, path, 4096);
    std::wstring file(path, size);
    return file.substr(0, file.find_last_of(L'\\') + 1);
}

std::wstring workingFolder() {
    wchar_t path[4096] = {};
    const DWORD size = ::GetCurrentDirectoryW(4096, path);
    return std::wstring(path, size);
}

std::wstring showState() {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    ::GetStartupInfoW(&startup);
    if (!(startup.dwFlags & STARTF_USESHOWWINDOW))
        return L"sem";
    return std::to_wstring(startup.wShowWindow);
}

std::wstring console() {
    DWORD processes[8] = {};
    return ::GetConsoleProcessList(processes, 8) == 1 ? L"console-propria" : L"console-partilhada";
}

std::wstring inherited() {
    const auto handle = reinterpret_cast<HANDLE>(uintptr_t(number(L"PARVEL_HANDLE")));
    DWORD flags = 0;
    LARGE_INTEGER size{};
    const bool open = handle && ::GetHandleInformation(handle, &flags) &&
                      ::GetFileSizeEx(handle, &size) &&
                      uint64_t(size.QuadPart) == number(L"PARVEL_HANDLE_SIZE");
    return open ? L"herdado" : L"nao-herdado";
}

} // namespace

int main() {
    const std::wstring folder = ownFolder();
    while (::GetFileAttributesW((folder + L"fechado").c_str()) != INVALID_FILE_ATTRIBUTES)
        ::Sleep(20);
    ::Sleep(DWORD(number(L"PARVEL_SLEEP")));

    const std::wstring record = std::wstring(::GetCommandLineW()) + L"\n" + workingFolder() +
                                L"\n" + showState() + L"\n" + console() + L"\n" + inherited() +
                                L"\n" + std::to_wstring(::GetCurrentProcessId()) + L"\n" +
                                std::to_wstring(::GetCurrentThreadId()) + L"\n";
    const std::string bytes = wideToUtf8(record);
    const std::wstring temporary = folder + L"registro.tmp";
    const HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    // The record appears whole or not at all.
    return ::MoveFileExW(temporary.c_str(), (folder + L"registro").c_str(),
                         MOVEFILE_REPLACE_EXISTING)
               ? 0
               : 1;
}
