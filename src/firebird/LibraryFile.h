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
    // The processor a program was built for, as the platform's file headers number
    // it (IMAGE_FILE_MACHINE_I386 or IMAGE_FILE_MACHINE_AMD64 on Windows, e_machine
    // on Linux).
    using Machine = quint16;
    static Machine ownMachine();

    // Empty when a program built for `program` may load the file; otherwise what is
    // wrong with it, as the end of a sentence for the operator ("o arquivo está
    // vazio"). The Windows program operators install is 32-bit and its tests run a
    // 64-bit build, which asks as the 32-bit one to check what that one answers.
    static QString problem(const QString& path, Machine program = ownMachine());

    // The texts the platforms' format checks share.
    static QString otherPlatform();
    static QString cutShort(qint64 size, quint64 needed);
    static QString damaged();

private:
    // The platform's half, for an open file that is not empty.
    static QString formatProblem(QFile& file, Machine program);
};
