// parvel-prova.exe: loads a client library and looks up the functions named, so
// that Parvel learns whether the library is sound before loading it itself.
//   parvel-prova.exe LIBRARY FUNCTION...
// A damaged library ends this process (an exception, an exit of its own, a load
// that never ends), not Parvel's: the operator keeps the window and the log.
// Linked statically and with no Qt, so that it starts at once from any folder.
#include "firebird/LibraryProofReport.h"

#include <cstdio>
#include <string>
#include <windows.h>

namespace {

void report(char kind, const std::string& text) {
    std::fputc(kind, stdout);
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

// Ends at once, past the library's own detach code: only the report matters, and
// a damaged library may crash or hang on its way out too.
[[noreturn]] void end(int code) {
    ::TerminateProcess(::GetCurrentProcess(), UINT(code));
    ::ExitProcess(UINT(code));
}

// A crash ends the process with the exception's code, which the program reads
// as the exit code. Windows' error mode alone would do on Windows itself, but
// not everywhere: Wine ignores it and attaches its debugger, which then holds
// the process (and whatever it inherited) open.
LONG WINAPI endOnCrash(EXCEPTION_POINTERS* crash) {
    end(int(crash->ExceptionRecord->ExceptionCode));
}

std::string narrow(const wchar_t* text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string result(size > 0 ? size - 1 : 0, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
    return result;
}

} // namespace

int wmain(int argc, wchar_t* argv[]) {
    using namespace LibraryProofReport;
    // No box of Windows' own: not for a missing library, not for a crash. A crash
    // is the expected end for a damaged file, and ends the process with its code.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    ::SetUnhandledExceptionFilter(endOnCrash);
    if (argc < 2)
        return usageCode;
    // As the program loads it: the libraries it needs are looked for in its folder first.
    HMODULE library = ::LoadLibraryExW(argv[1], nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!library) {
        report(refused, std::to_string(::GetLastError()));
        end(failedCode);
    }
    for (int i = 2; i < argc; ++i) {
        const std::string name = narrow(argv[i]);
        if (!::GetProcAddress(library, name.c_str())) {
            report(missing, name);
            end(failedCode);
        }
    }
    report(loaded, std::string());
    end(provedCode);
}
