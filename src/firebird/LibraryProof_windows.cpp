#include "firebird/LibraryProof.h"
#include "firebird/LibraryProofReport.h"
#include "firebird/SharedLibrary.h"
#include "funcoes/Platform.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <string>
#include <windows.h>

// Windows has no fork: the child is parvel-prova.exe, a small program shipped
// beside this one, with nothing of the program's state and no library of its
// own, so that only the client library can make it fail. It loads the library as
// the program does (its own folder first), ends past the bound, and reports in
// one line (LibraryProofReport.h).
namespace {

QString verdict(const QString& path, const QByteArray& report, quint32 exitCode) {
    using namespace LibraryProofReport;
    // NTSTATUS codes of errors and warnings: the process ended by an exception.
    if (exitCode >= 0x80000000u)
        return LibraryProof::endedByException(exitCode);
    if (report.startsWith(loaded) && exitCode == provedCode)
        return QString();
    if (report.startsWith(missing))
        return LibraryProof::missingFunction(report.sliced(1));
    if (report.startsWith(refused))
        return SharedLibrary::refusal(path, QString::fromLatin1(report.sliced(1)));
    return LibraryProof::endedWithCode(int(exitCode));
}

// How the child came out: its report and exit code, or why there is none.
struct ChildRun {
    enum { NotStarted, Ended, Killed } end = NotStarted;
    DWORD systemCode = 0;
    DWORD exitCode = 0;
    QByteArray report;
};

// Windows paths hold no double quote: each argument in quotes reads back whole.
std::wstring commandLine(const QString& program, const QStringList& arguments) {
    QString line = u'"' + program + u'"';
    for (const QString& argument : arguments)
        line += QStringLiteral(" \"%1\"").arg(argument);
    return line.toStdWString();
}

void readAvailable(HANDLE pipe, QByteArray& into) {
    DWORD available = 0;
    while (::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        const qsizetype at = into.size();
        into.resize(at + qsizetype(available));
        DWORD read = 0;
        if (!::ReadFile(pipe, into.data() + at, available, &read, nullptr))
            read = 0;
        into.resize(at + qsizetype(read));
        if (read == 0)
            return;
    }
}

// The child with its standard output on a pipe, read while it runs (a full pipe
// would hold it), killed at the deadline. No QProcess: under Wine the thread-pool
// callbacks of its pipe and process watchers were seen to post to a watcher
// already freed, which crashed the program later, in the middle of a save.
ChildRun run(const QString& program, const QStringList& arguments, const QDeadlineTimer& deadline) {
    ChildRun child;
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherited, 0)) {
        child.systemCode = ::GetLastError();
        return child;
    }
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    PROCESS_INFORMATION process{};
    std::wstring line = commandLine(program, arguments);
    const std::wstring file = program.toStdWString();
    const bool started = ::CreateProcessW(file.c_str(), line.data(), nullptr, nullptr, TRUE,
                                          CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    child.systemCode = started ? 0 : ::GetLastError();
    ::CloseHandle(writeEnd);
    if (started) {
        child.end = ChildRun::Ended;
        while (::WaitForSingleObject(process.hProcess, 10) == WAIT_TIMEOUT) {
            readAvailable(readEnd, child.report);
            if (deadline.hasExpired()) {
                ::TerminateProcess(process.hProcess, 1);
                ::WaitForSingleObject(process.hProcess, INFINITE);
                child.end = ChildRun::Killed;
                break;
            }
        }
        readAvailable(readEnd, child.report);
        ::GetExitCodeProcess(process.hProcess, &child.exitCode);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    ::CloseHandle(readEnd);
    return child;
}

} // namespace

QString LibraryProof::proveInChild(const QString& path, const QByteArrayList& functions) {
    const QString prover =
        QDir::toNativeSeparators(QFileInfo(platform::executableFilePath()).absolutePath() +
                                 QStringLiteral("/parvel-prova.exe"));
    if (!QFileInfo::exists(prover))
        return proverMissing(prover);
    QStringList arguments{QDir::toNativeSeparators(path)};
    for (const QByteArray& name : functions)
        arguments << QString::fromLatin1(name);
    const ChildRun child = run(prover, arguments, QDeadlineTimer(bound));
    switch (child.end) {
    case ChildRun::NotStarted:
        return notStarted(int(child.systemCode));
    case ChildRun::Killed:
        return notEnded();
    case ChildRun::Ended:
        break;
    }
    return verdict(path, child.report, quint32(child.exitCode));
}
