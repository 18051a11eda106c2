#include "firebird/LibraryProof.h"
#include "firebird/LibraryProofReport.h"
#include "firebird/SharedLibrary.h"

#include <QDeadlineTimer>
#include <QFile>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// The child is forked from a program with threads of its own, so it keeps to
// what it must do (load, look up, write one report, _exit) and is killed past
// the bound should it hang on a lock some thread of the program held at the
// fork. Nothing of its state comes back but the report: the program loads the
// library itself afterwards.
namespace {

using namespace LibraryProofReport;

void send(int fd, char kind, const char* text) {
    const size_t length = text ? std::strlen(text) : 0;
    char report[512];
    report[0] = kind;
    const size_t kept = length < sizeof report - 1 ? length : sizeof report - 1;
    if (kept > 0)
        std::memcpy(report + 1, text, kept);
    [[maybe_unused]] const ssize_t written = ::write(fd, report, kept + 1);
}

[[noreturn]] void proveHere(int fd, const char* file, const std::vector<const char*>& functions) {
    // A crash here is the expected outcome for a damaged file: no core dump, and
    // no child left behind should the program die meanwhile.
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    // The program's own handlers (a test framework's crash report, a library's)
    // must not turn the crash into something else.
    for (const int fault : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP, SIGSYS})
        ::signal(fault, SIG_DFL);
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    void* library = ::dlopen(file, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        send(fd, refused, ::dlerror());
        ::_exit(1);
    }
    for (const char* name : functions) {
        if (!::dlsym(library, name)) {
            send(fd, missing, name);
            ::_exit(1);
        }
    }
    send(fd, loaded, nullptr);
    ::_exit(0);
}

// Reads the child's report until it ends or dies, within the deadline; the
// slices let a grandchild holding the pipe open not keep the wait going.
bool awaitEnd(pid_t child, int fd, QByteArray& report, int& status,
              const QDeadlineTimer& deadline) {
    bool open = true;
    while (true) {
        if (::waitpid(child, &status, WNOHANG) == child)
            break;
        if (deadline.hasExpired())
            return false;
        pollfd reading{fd, POLLIN, 0};
        const int slice = open ? int(qMin<qint64>(deadline.remainingTime(), 50)) : 1;
        if (::poll(&reading, open ? 1 : 0, slice) > 0) {
            char buffer[512];
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got > 0)
                report.append(buffer, got);
            open = got > 0 || (got < 0 && errno == EINTR);
        }
    }
    char buffer[512];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
        report.append(buffer, got);
    return true;
}

QString verdict(const QString& path, const QByteArray& report, int status) {
    if (WIFSIGNALED(status)) {
        const char* name = ::sigabbrev_np(WTERMSIG(status));
        return LibraryProof::endedBySignal(name ? QStringLiteral("SIG") + QLatin1String(name)
                                                : QString::number(WTERMSIG(status)));
    }
    if (report.startsWith(loaded) && WEXITSTATUS(status) == 0)
        return QString();
    if (report.startsWith(missing))
        return LibraryProof::missingFunction(report.sliced(1));
    // A refusal is the loader's account (a library it needs is missing, say),
    // the same the program's own load would give.
    if (report.startsWith(refused))
        return SharedLibrary::refusal(path, QString::fromLocal8Bit(report.sliced(1)));
    return LibraryProof::endedWithCode(WEXITSTATUS(status));
}

} // namespace

QString LibraryProof::proveInChild(const QString& path, const QByteArrayList& functions) {
    // Everything the child reads is made before the fork.
    const QByteArray file = QFile::encodeName(path);
    std::vector<const char*> names;
    for (const QByteArray& name : functions)
        names.push_back(name.constData());
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return notStarted(errno);
    const QDeadlineTimer deadline(bound);
    const pid_t child = ::fork();
    if (child == 0)
        proveHere(pipeEnds[1], file.constData(), names);
    const int forkError = errno;
    ::close(pipeEnds[1]);
    if (child < 0) {
        ::close(pipeEnds[0]);
        return notStarted(forkError);
    }
    QByteArray report;
    int status = 0;
    const bool ended = awaitEnd(child, pipeEnds[0], report, status, deadline);
    ::close(pipeEnds[0]);
    if (!ended) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        return notEnded();
    }
    return verdict(path, report, status);
}
