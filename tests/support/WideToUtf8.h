#pragma once

// For the tests' small Windows programs, which link nothing but Windows' own
// libraries: a wide text as UTF-8 bytes.

#include <string>
#include <windows.h>

inline std::string wideToUtf8(const std::wstring& text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string bytes(size, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), bytes.data(), size, nullptr,
                          nullptr);
    return bytes;
}
