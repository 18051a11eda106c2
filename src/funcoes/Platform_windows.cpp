#include "funcoes/Platform.h"

#include <QFileInfo>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include <windows.h>

QString platform::executableFilePath() {
    // The buffer grows until the whole path fits (long paths exceed MAX_PATH).
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD size = ::GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (size == 0)
            return QString();
        if (size < buffer.size())
            return QString::fromWCharArray(buffer.data(), int(size));
        buffer.resize(buffer.size() * 2);
    }
}

QString platform::qtTranslationsFolder() {
    return QFileInfo(executableFilePath()).absolutePath();
}

QChar platform::pathSeparator() {
    return u'\\';
}

QString platform::clientLibraryFile(const QString& folder, const QString& name) {
    return folder + name;
}

// File names go to the client in the ANSI code page, which the program's 8-bit
// texts already use.
void platform::prepareCharacterHandling() {}

// The fixed file-version record of the executable's own version resource; zeros
// when the file carries none.
platform::FileVersion platform::executableFileVersion() {
    const std::wstring file = executableFilePath().toStdWString();
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0)
        return {};
    std::vector<char> data(size);
    if (!::GetFileVersionInfoW(file.c_str(), 0, size, data.data()))
        return {};
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) ||
        fixedSize < sizeof(VS_FIXEDFILEINFO))
        return {};
    return {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
            HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)};
}

namespace {

bool createProcess(const QString& commandLine, const QString& workingFolder, int showState,
                   PROCESS_INFORMATION& process) {
    // CreateProcessW may write into the command line, so it gets a copy of its own.
    std::wstring line = commandLine.toStdWString();
    const std::wstring folder = workingFolder.toStdWString();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = WORD(showState);
    return ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE,
                            CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS, nullptr,
                            folder.empty() ? nullptr : folder.c_str(), &startup, &process);
}

void release(const PROCESS_INFORMATION& process) {
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
}

} // namespace

bool platform::startProcess(const QString& /*programFile: named by the command line*/,
                            const QString& commandLine, const QString& workingFolder, int showState,
                            bool wait) {
    PROCESS_INFORMATION process{};
    if (!createProcess(commandLine, workingFolder, showState, process))
        return false;
    if (wait)
        ::WaitForSingleObject(process.hProcess, INFINITE);
    release(process);
    return true;
}

platform::ProcessEnd
platform::startProcessWithin(const QString& /*programFile*/, const QString& commandLine,
                             const QString& workingFolder, int showState, int timeoutMs,
                             const std::function<void()>& whileWaiting, int* exitCode) {
    PROCESS_INFORMATION process{};
    if (!createProcess(commandLine, workingFolder, showState, process))
        return ProcessEnd::NotStarted;
    const ULONGLONG deadline = ::GetTickCount64() + ULONGLONG(timeoutMs);
    ProcessEnd end = ProcessEnd::Ended;
    while (::WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT) {
        if (::GetTickCount64() >= deadline) {
            end = ProcessEnd::StillRunning;
            break;
        }
        whileWaiting();
    }
    DWORD code = 0;
    if (exitCode && end == ProcessEnd::Ended && ::GetExitCodeProcess(process.hProcess, &code))
        *exitCode = int(code);
    release(process);
    return end;
}

// Windows ends a program through its window messages or TerminateProcess, which
// no handler of a library can hold up.
void platform::endOnTerminationRequest() {}

namespace {

bool (*teardownUnsafe)() = nullptr;
int statusAtExit = 0;

} // namespace

// ExitProcess, which follows the atexit handlers, ends the other threads
// wherever they are and then runs every library's detach code: the client's
// would run with its locks still held by the thread of a call a server holds.
// TerminateProcess runs no library code at all. The handlers registered before
// this one (Qt's, the program's statics) are skipped with it, as on Linux.
void platform::exitWithoutTeardownWhile(bool (*busy)()) {
    teardownUnsafe = busy;
    std::atexit([] {
        if (teardownUnsafe())
            ::TerminateProcess(::GetCurrentProcess(), UINT(statusAtExit));
    });
}

int platform::exitStatus(int status) {
    statusAtExit = status;
    return status;
}

namespace {

// A standard handle the starter gave: a file, a pipe or a console.
bool given(DWORD which) {
    const HANDLE handle = ::GetStdHandle(which);
    return handle && handle != INVALID_HANDLE_VALUE && ::GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

} // namespace

void platform::attachParentConsole() {
    const bool output = given(STD_OUTPUT_HANDLE);
    const bool error = given(STD_ERROR_HANDLE);
    if ((output && error) || !::AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (!output)
        std::freopen("CONOUT$", "w", stdout);
    if (!error)
        std::freopen("CONOUT$", "w", stderr);
}

// The same test as the shell's IsUserAnAdmin: a filtered token of User Account
// Control holds the group only for denying.
bool platform::mayControlServices() {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!::AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0,
                                    0, 0, 0, 0, 0, &administrators))
        return false;
    BOOL member = FALSE;
    const bool checked = ::CheckTokenMembership(nullptr, administrators, &member);
    ::FreeSid(administrators);
    return checked && member;
}

// Opened for writing and closed at once: the contents and times stay.
bool platform::writeRefused(const QString& path) {
    const HANDLE file = ::CreateFileW(path.toStdWString().c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        ::CloseHandle(file);
        return false;
    }
    return ::GetLastError() == ERROR_ACCESS_DENIED;
}

void platform::writeStandard(StandardStream stream, const QString& text) {
    const bool output = stream == StandardStream::Output;
    std::FILE* const file = output ? stdout : stderr;
    std::fflush(file);
    const HANDLE handle = ::GetStdHandle(output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (handle && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode)) {
        DWORD written = 0;
        ::WriteConsoleW(handle, text.utf16(), DWORD(text.size()), &written, nullptr);
        return;
    }
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file);
    std::fflush(file);
}
