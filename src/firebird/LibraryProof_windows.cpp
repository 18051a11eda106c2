#include "firebird/LibraryProof.h"
#include "firebird/LibraryProofReport.h"
#include "firebird/SharedLibrary.h"
#include "funcoes/Platform.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
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

} // namespace

QString LibraryProof::proveInChild(const QString& path, const QByteArrayList& functions) {
    const QString prover = QFileInfo(platform::executableFilePath()).absolutePath() +
                           QStringLiteral("/parvel-prova.exe");
    if (!QFileInfo::exists(prover))
        return proverMissing(QDir::toNativeSeparators(prover));
    QStringList arguments{QDir::toNativeSeparators(path)};
    for (const QByteArray& name : functions)
        arguments << QString::fromLatin1(name);
    const QDeadlineTimer deadline(bound);
    QProcess child;
    child.start(prover, arguments, QIODevice::ReadOnly);
    // Started synchronously: a failure is CreateProcess's, and its code still stands.
    if (child.state() == QProcess::NotRunning)
        return notStarted(int(::GetLastError()));
    if (!child.waitForFinished(int(deadline.remainingTime()))) {
        child.kill();
        child.waitForFinished(-1);
        return notEnded();
    }
    return verdict(path, child.readAllStandardOutput(), quint32(child.exitCode()));
}
