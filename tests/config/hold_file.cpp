// Holds a file open without sharing, as a RUV program or a virus scanner may:
// hold_file <file> <milliseconds>, or "forever" until it is ended. Prints "held"
// once the file is open, and exits 2 when it could not open it.
#include <cstdio>
#include <string>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3)
        return 1;
    const HANDLE file = ::CreateFileW(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 2;
    std::puts("held");
    std::fflush(stdout);
    const std::wstring time = argv[2];
    ::Sleep(time == L"forever" ? INFINITE : DWORD(std::stoul(time)));
    ::CloseHandle(file);
    return 0;
}
