#pragma once

#include <windows.h>

// The system calls of the store's replace on Windows whose failures Wine does not
// produce: ReplaceFileW's half-done failures (the replaced file already moved
// aside) and a folder that refuses new files. A test swaps a call for one that
// fails with the code it wants and puts the system's back afterwards.
struct WindowsFileCalls {
    using Replace = BOOL(WINAPI*)(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup,
                                  DWORD flags, LPVOID exclude, LPVOID reserved);
    using TemporaryName = UINT(WINAPI*)(LPCWSTR folder, LPCWSTR prefix, UINT unique, LPWSTR name);

    Replace replace = ::ReplaceFileW;
    TemporaryName temporaryName = ::GetTempFileNameW;

    // The calls the store uses now.
    static WindowsFileCalls& current();
};
