#include "config/WindowsFileHolders.h"

#include <vector>
#include <windows.h>
// After windows.h, which it needs.
#include <restartmanager.h>

namespace {

QString executableName(const RM_PROCESS_INFO& holder) {
    const HANDLE process =
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, holder.Process.dwProcessId);
    wchar_t image[MAX_PATH * 2] = {};
    DWORD size = DWORD(std::size(image));
    const bool named = process && ::QueryFullProcessImageNameW(process, 0, image, &size);
    if (process)
        ::CloseHandle(process);
    if (!named)
        return QString::fromWCharArray(holder.strAppName);
    const QString path = QString::fromWCharArray(image, int(size));
    return path.sliced(path.lastIndexOf(u'\\') + 1);
}

std::vector<RM_PROCESS_INFO> holdersIn(DWORD session) {
    std::vector<RM_PROCESS_INFO> holders;
    for (;;) {
        UINT needed = 0;
        UINT count = UINT(holders.size());
        DWORD reasons = 0;
        const DWORD result = ::RmGetList(session, &needed, &count, holders.data(), &reasons);
        if (result == ERROR_MORE_DATA) {
            holders.resize(needed);
            continue;
        }
        holders.resize(result == ERROR_SUCCESS ? count : 0);
        return holders;
    }
}

} // namespace

QStringList WindowsFileHolders::of(const std::wstring& path) {
    DWORD session = 0;
    wchar_t key[CCH_RM_SESSION_KEY + 1] = {};
    if (::RmStartSession(&session, 0, key) != ERROR_SUCCESS)
        return {};
    QStringList names;
    LPCWSTR files[] = {path.c_str()};
    if (::RmRegisterResources(session, 1, files, 0, nullptr, 0, nullptr) == ERROR_SUCCESS) {
        for (const RM_PROCESS_INFO& holder : holdersIn(session)) {
            const QString name = executableName(holder);
            if (!name.isEmpty() && !names.contains(name))
                names << name;
        }
    }
    ::RmEndSession(session);
    return names;
}
