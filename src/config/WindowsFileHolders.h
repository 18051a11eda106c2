#pragma once

#include <QStringList>
#include <string>

// The programs that hold a file open, as Windows' Restart Manager tells them:
// their executables' file names ("RUV.exe"), or their names as the Restart
// Manager gives them when the process cannot be looked into. Empty when the
// Restart Manager cannot tell (Wine's answers nothing).
class WindowsFileHolders {
public:
    static QStringList of(const std::wstring& path);
};
