#pragma once

#include <QString>

// Whether a file is a complete shared library for this platform, told before it
// is handed to the system's loader. The loader maps what the file's headers
// promise: a copy cut short maps pages past its end, and the first touch of one
// kills the program. One implementation per platform (LibraryFile_linux.cpp).
class LibraryFile {
public:
    // Empty when the file may be loaded; otherwise what is wrong with it, as the
    // end of a sentence for the operator ("o arquivo está vazio").
    static QString problem(const QString& path);
};
