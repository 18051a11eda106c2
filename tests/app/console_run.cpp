// Starts a program as a console's prompt starts a window program: the program
// shares this process's console and is given no standard handles. Prints, on
// this process's own output, the lines the program left in the console.
//   console_run PROGRAM [ARGUMENTS...]
#include "WideToUtf8.h"

#include <string>
#include <vector>
#include <windows.h>

namespace {

std::wstring commandLine(int argc, wchar_t** argv) {
    std::wstring line = L"\"" + std::wstring(argv[1]) + L"\"";
    for (int i = 2; i < argc; ++i)
        line += L" " + std::wstring(argv[i]);
    return line;
}

// The console's lines up to the cursor, blanks at their ends dropped. A row
// filled to the buffer's last column was wrapped by the console, not ended by
// the program: it is joined to the next, so a long path (the checkout's folder
// is in the help) reads as the one line the program wrote.
std::string screenText() {
    const HANDLE screen =
        ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (screen == INVALID_HANDLE_VALUE || !::GetConsoleScreenBufferInfo(screen, &info))
        return "(no console)\n";
    std::string text;
    std::wstring line;
    std::vector<wchar_t> row(info.dwSize.X);
    for (SHORT y = 0; y <= info.dwCursorPosition.Y; ++y) {
        DWORD read = 0;
        ::ReadConsoleOutputCharacterW(screen, row.data(), DWORD(row.size()), {0, y}, &read);
        const bool wrapped = read == row.size() && row.back() != L' ';
        line.append(row.data(), read);
        if (wrapped && y < info.dwCursorPosition.Y)
            continue;
        line.erase(line.find_last_not_of(L' ') + 1);
        if (y == info.dwCursorPosition.Y && line.empty())
            break;
        text += wideToUtf8(line) + "\n";
        line.clear();
    }
    ::CloseHandle(screen);
    return text;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return 2;
    const HANDLE report = ::GetStdHandle(STD_OUTPUT_HANDLE);
    ::FreeConsole();
    if (!::AllocConsole())
        return 3;
    // The console is the standard input and output of this process, as of a
    // prompt: a console program started from here writes to it (Wine keeps
    // standard handles given by this process's starter otherwise, a pipe for a
    // test that reads this report).
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const auto console = [&inherited](const wchar_t* name) {
        return ::CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inherited, OPEN_EXISTING, 0, nullptr);
    };
    ::SetStdHandle(STD_INPUT_HANDLE, console(L"CONIN$"));
    ::SetStdHandle(STD_OUTPUT_HANDLE, console(L"CONOUT$"));
    ::SetStdHandle(STD_ERROR_HANDLE, ::GetStdHandle(STD_OUTPUT_HANDLE));
    std::wstring line = commandLine(argc, argv);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process))
        return 4;
    ::WaitForSingleObject(process.hProcess, 60000);
    DWORD exitCode = 1;
    ::GetExitCodeProcess(process.hProcess, &exitCode);
    const std::string text = screenText();
    DWORD written = 0;
    ::WriteFile(report, text.data(), DWORD(text.size()), &written, nullptr);
    return int(exitCode);
}
