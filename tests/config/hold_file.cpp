// Holds a file open, as a RUV program or a virus scanner may:
// hold_file <file> <milliseconds> [<sharing>], or "forever" until it is ended.
// The sharing is what others may do meanwhile: "none" (the default), "read" or
// "readwrite". Prints "held" once the file is open, and exits 2 when it could
// not open it.
#include <cstdio>
#include <string>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3 && argc != 4)
        return 1;
    const std::wstring sharing = argc == 4 ? argv[3] : L"none";
    const DWORD share = sharing == L"read"        ? FILE_SHARE_READ
                        : sharing == L"readwrite" ? FILE_SHARE_READ | FILE_SHARE_WRITE
                                                  : 0;
    const HANDLE file = ::CreateFileW(argv[1], GENERIC_READ, share, nullptr, OPEN_EXISTING,
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
