#pragma once

#include <QString>

// Whether a file is a complete shared library for this platform, told before it
// is handed to the system's loader. The loader maps what the file's headers
// promise: a copy cut short maps pages past its end, and the first touch of one
// kills the program. The format is checked per platform (LibraryFile_linux.cpp,
// LibraryFile_windows.cpp).
class QFile;

class LibraryFile {
public:
    // Empty when the file may be loaded; otherwise what is wrong with it, as the
    // end of a sentence for the operator ("o arquivo está vazio").
    static QString problem(const QString& path);

    // The texts the platforms' format checks share.
    static QString otherPlatform();
    static QString cutShort(qint64 size, quint64 needed);
    static QString damaged();

private:
    // The platform's half, for an open file that is not empty.
    static QString formatProblem(QFile& file);
};
