// The service tool of FakeServiceTool on Windows, F being its folder: appends its
// first argument and a line end to "F.log" (appends are atomic, so commands
// running at once each leave their whole line). "start" starts the server, a
// copy of this program ("F.server.exe") run as "serve PORT", on the port that
// F\firebird.conf sets (its last active "RemoteServicePort" line, 3050 when
// none), and returns once it listens; "stop" ends it and returns once it has
// ended. Each fails (exit code 3) on a server already running or already
// stopped. A line "COMMAND refuse", "COMMAND hang" or "COMMAND pretend" in
// "F.fail" makes the next COMMAND exit with code 3, never return or exit with
// code 0, the server as it was, and is taken off the list.
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
// clang-format off
#include <winsock2.h> // before windows.h, which would bring the older socket header
#include <windows.h>
// clang-format on

namespace {

std::wstring folder() {
    wchar_t path[4096] = {};
    const DWORD size = ::GetModuleFileNameW(nullptr, path, 4096);
    std::wstring name(path, size);
    name.resize(name.find_last_of(L'\\'));
    return name;
}

bool append(const std::wstring& file, const std::string& text) {
    const HANDLE handle =
        ::CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(handle, text.data(), DWORD(text.size()), &written, nullptr);
    ::CloseHandle(handle);
    return ok;
}

std::string contents(const std::wstring& file) {
    std::ifstream in(file.c_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// What "F.fail" says the command does instead, taken off the list.
std::string failure(const std::wstring& list, const std::string& command) {
    std::istringstream lines(contents(list));
    std::string line, found, rest;
    while (std::getline(lines, line)) {
        if (found.empty() && line.rfind(command + ' ', 0) == 0)
            found = line.substr(command.size() + 1);
        else
            rest += line + '\n';
    }
    if (!found.empty())
        std::ofstream(list.c_str(), std::ios::binary | std::ios::trunc) << rest;
    return found;
}

// As the server reads its configuration: the last active setting wins.
int configuredPort(const std::wstring& conf) {
    std::istringstream lines(contents(conf));
    std::string line;
    int port = 3050;
    const std::string name = "remoteserviceport";
    while (std::getline(lines, line)) {
        size_t at = line.find_first_not_of(" \t");
        if (at == std::string::npos || line.size() - at < name.size())
            continue;
        std::string word = line.substr(at, name.size());
        for (char& c : word)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        if (word != name)
            continue;
        at = line.find_first_not_of(" \t", at + name.size());
        if (at == std::string::npos || line[at] != '=')
            continue;
        at = line.find_first_not_of(" \t", at + 1);
        if (at != std::string::npos && std::isdigit(static_cast<unsigned char>(line[at])))
            port = std::atoi(line.c_str() + at);
    }
    return port;
}

int serve(int port, const wchar_t* ready) {
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return 1;
    const SOCKET listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(u_short(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (listener == INVALID_SOCKET ||
        ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 16) != 0)
        return 1;
    const HANDLE event = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, ready);
    if (!event || !::SetEvent(event))
        return 1;
    for (;;) {
        const SOCKET connection = ::accept(listener, nullptr, nullptr);
        if (connection != INVALID_SOCKET)
            ::closesocket(connection);
    }
}

int start(const std::wstring& base) {
    if (!contents(base + L".pid").empty())
        return 3;
    const std::wstring ready = L"Local\\fake_instsvc_" + std::to_wstring(::GetCurrentProcessId());
    const HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, ready.c_str());
    // The server runs from a copy beside the folder: a running program cannot be
    // deleted, and a test may take the tool away while the server runs.
    wchar_t tool[4096] = {};
    ::GetModuleFileNameW(nullptr, tool, 4096);
    const std::wstring program = base + L".server.exe";
    if (!::CopyFileW(tool, program.c_str(), FALSE))
        return 3;
    std::wstring line = L"\"" + program + L"\" serve " +
                        std::to_wstring(configuredPort(base + L"\\firebird.conf")) + L" " + ready;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!event || !::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE,
                                    CREATE_NO_WINDOW | CREATE_NEW_PROCESS_GROUP, nullptr, nullptr,
                                    &startup, &process))
        return 3;
    // Either it listens, or it ended without.
    const HANDLE either[] = {event, process.hProcess};
    const DWORD which = ::WaitForMultipleObjects(2, either, FALSE, 30000);
    if (which != WAIT_OBJECT_0) {
        ::TerminateProcess(process.hProcess, 1);
        return 3;
    }
    return append(base + L".pid", std::to_string(process.dwProcessId) + '\n') ? 0 : 3;
}

int stop(const std::wstring& base) {
    const DWORD id = DWORD(std::atol(contents(base + L".pid").c_str()));
    if (id == 0)
        return 3;
    const HANDLE server = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (server) {
        ::TerminateProcess(server, 0);
        ::WaitForSingleObject(server, INFINITE);
        ::CloseHandle(server);
    }
    ::DeleteFileW((base + L".pid").c_str());
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"serve" && argc == 4)
        return serve(_wtoi(argv[2]), argv[3]);
    const std::wstring base = folder();
    const std::string name(command.begin(), command.end());
    if (!append(base + L".log", name + '\n'))
        return 1;
    const std::string how = failure(base + L".fail", name);
    if (how == "refuse")
        return 3;
    if (how == "pretend")
        return 0;
    if (how == "hang") {
        append(base + L".hung", std::to_string(::GetCurrentProcessId()) + '\n');
        ::Sleep(INFINITE);
    }
    if (command == L"start")
        return start(base);
    if (command == L"stop")
        return stop(base);
    return 2;
}
