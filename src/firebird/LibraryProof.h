#pragma once

#include <QByteArrayList>
#include <QString>
#include <chrono>

// Whether the system's loader can load a client library and find in it every
// function the program calls, proved in a child process before the program
// loads it itself. A damaged library (a constructor that crashes, relocations
// over random bytes, a load that never ends) then takes the child down, not the
// program: the operator keeps the window and the message log, and is told why.
// The child is the platform's (LibraryProof_linux.cpp, LibraryProof_windows.cpp).
class LibraryProof {
public:
    // A child still loading then is killed: within the connection tester's bound
    // of one call, with room left for the call's own work.
    static constexpr std::chrono::milliseconds bound{5000};

    // Empty when the child loaded `path` and found each of `functions`;
    // otherwise why not, as the end of a sentence for the operator ("a biblioteca
    // está danificada (...)"). A file proved once is not proved again while its
    // size and times stay the same.
    static QString problem(const QString& path, const QByteArrayList& functions);

    // The texts the platforms' children share, each "a biblioteca está danificada (...)".
    static QString damaged(const QString& detail);
    static QString endedBySignal(const QString& signalName);
    static QString endedWithCode(int code);
    // Windows' code for an exception that ended the child (0xC0000005 and so on).
    static QString endedByException(quint32 code);
    static QString missingFunction(const QByteArray& name);
    static QString notEnded();
    // No child could be started: the library is not loaded unproved.
    static QString notStarted(int systemCode);
    // The program that proves the library on Windows is not beside this one.
    static QString proverMissing(const QString& path);

private:
    // The platform's half: loads `path` in a child, within `bound`.
    static QString proveInChild(const QString& path, const QByteArrayList& functions);
};
