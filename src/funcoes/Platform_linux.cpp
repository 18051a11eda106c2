#include "funcoes/Platform.h"
#include "funcoes/WindowsCommandLine.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <langinfo.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct ChildSetup {
    const char* path;
    char* const* argv;
    const char* folder;
    int devNull;
    int errorPipe;
    int maxFd;
};

[[noreturn]] void reportAndExit(int errorPipe) {
    const int error = errno;
    [[maybe_unused]] const ssize_t written = ::write(errorPipe, &error, sizeof error);
    ::_exit(127);
}

// In the forked child: a session of its own, the program's folder, no console
// and no descriptors of the parent, then the program.
[[noreturn]] void runChild(const ChildSetup& setup) {
    ::setsid();
    if (*setup.folder && ::chdir(setup.folder) != 0)
        reportAndExit(setup.errorPipe);
    for (int fd = 0; fd < 3; ++fd)
        ::dup2(setup.devNull, fd);
    if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
        for (int fd = 3; fd < setup.maxFd; ++fd)
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::execv(setup.path, setup.argv);
    reportAndExit(setup.errorPipe);
}

// The middle child exits at once, so the program ends up a child of init and
// never lingers as a zombie of ours.
[[noreturn]] void runDetached(const ChildSetup& setup) {
    const pid_t grandchild = ::fork();
    if (grandchild < 0)
        reportAndExit(setup.errorPipe);
    if (grandchild == 0)
        runChild(setup);
    ::_exit(0);
}

int readErrno(int fd) {
    int error = 0;
    ssize_t got;
    do {
        got = ::read(fd, &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    return got == 0 ? 0 : (error ? error : EIO);
}

bool utf8CharacterSet() {
    const char* set = ::nl_langinfo(CODESET);
    return ::strcasecmp(set, "UTF-8") == 0 || ::strcasecmp(set, "utf8") == 0;
}

void waitForExit(pid_t pid) {
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

struct Launch {
    pid_t child = -1;
    bool started = false;
};

// Forks the program. A `detached` program is left to init at once; any other is
// our child until waited for.
Launch launch(const QString& programFile, const QString& commandLine, const QString& workingFolder,
              bool detached) {
    // Everything the child needs is built before the fork: after it, the child
    // may only make async-signal-safe calls.
    const QByteArray path = QFile::encodeName(QFileInfo(programFile).absoluteFilePath());
    const QByteArray folder = QFile::encodeName(workingFolder);
    std::vector<QByteArray> arguments{path};
    for (const QString& argument : WindowsCommandLine::split(commandLine).mid(1))
        arguments.push_back(QFile::encodeName(argument));
    std::vector<char*> argv;
    for (QByteArray& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    const int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    int errorPipe[2];
    if (devNull < 0 || ::pipe2(errorPipe, O_CLOEXEC) != 0) {
        if (devNull >= 0)
            ::close(devNull);
        return {};
    }
    const ChildSetup setup{path.constData(), argv.data(),  folder.constData(),
                           devNull,          errorPipe[1], int(::sysconf(_SC_OPEN_MAX))};

    const pid_t child = ::fork();
    if (child == 0)
        detached ? runDetached(setup) : runChild(setup);
    ::close(errorPipe[1]);
    ::close(devNull);
    // The pipe closes without data once the program replaced the child.
    const bool started = child > 0 && readErrno(errorPipe[0]) == 0;
    ::close(errorPipe[0]);
    return {child, started};
}

// Only async-signal-safe calls: the default action again, then the same signal.
void endWithDefaultAction(int signal) {
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

} // namespace

QString platform::executableFilePath() {
    return QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
}

QString platform::qtTranslationsFolder() {
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

QChar platform::pathSeparator() {
    return u'/';
}

// The system's client library goes by its own names here; "fbclient.dll" in a
// folder is usually a link to it that an operator made.
QString platform::clientLibraryFile(const QString& folder, const QString& name) {
    for (const QString& candidate :
         {name, QStringLiteral("libfbclient.so.2"), QStringLiteral("libfbclient.so")}) {
        if (QFileInfo(folder + candidate).isFile())
            return folder + candidate;
    }
    return folder + name;
}

// The client converts file names from the C library's character set: in the "C"
// locale of a program started without LANG (by a service, a scheduler, a
// launcher) no accented name gets through. The language of the environment is
// kept; only the character set becomes UTF-8, the encoding of file names here.
void platform::prepareCharacterHandling() {
    const char* environment = std::setlocale(LC_CTYPE, "");
    if (environment && utf8CharacterSet())
        return;
    std::string language = environment ? environment : "C";
    language = language.substr(0, language.find_first_of(".@")) + ".UTF-8";
    if (!std::setlocale(LC_CTYPE, language.c_str()))
        std::setlocale(LC_CTYPE, "C.UTF-8");
}

platform::FileVersion platform::executableFileVersion() {
    return {PARVEL_VERSION_MAJOR, PARVEL_VERSION_MINOR, PARVEL_VERSION_PATCH, PARVEL_VERSION_TWEAK};
}

bool platform::startProcess(const QString& programFile, const QString& commandLine,
                            const QString& workingFolder, int /*showState: no windows here*/,
                            bool wait) {
    const Launch launched = launch(programFile, commandLine, workingFolder, !wait);
    // Without the wait flag the child has already left its grandchild to init.
    if (launched.child > 0)
        waitForExit(launched.child);
    return launched.started;
}

platform::ProcessEnd platform::startProcessWithin(const QString& programFile,
                                                  const QString& commandLine,
                                                  const QString& workingFolder,
                                                  int /*showState: no windows here*/, int timeoutMs,
                                                  const std::function<void()>& whileWaiting,
                                                  int* exitCode) {
    const Launch launched = launch(programFile, commandLine, workingFolder, false);
    if (!launched.started) {
        if (launched.child > 0)
            waitForExit(launched.child);
        return ProcessEnd::NotStarted;
    }
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        int status = 0;
        const pid_t ended = ::waitpid(launched.child, &status, WNOHANG);
        if (ended == launched.child && exitCode)
            *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (ended == launched.child || (ended < 0 && errno != EINTR))
            return ProcessEnd::Ended;
        if (deadline.hasExpired()) {
            // Reaped when it ends, so that it never lingers as a zombie of ours.
            std::thread(waitForExit, launched.child).detach();
            return ProcessEnd::StillRunning;
        }
        whileWaiting();
        ::usleep(20000);
    }
}

void platform::endOnTerminationRequest() {
    struct sigaction action {};
    action.sa_handler = endWithDefaultAction;
    ::sigemptyset(&action.sa_mask);
    for (const int signal : {SIGTERM, SIGINT})
        ::sigaction(signal, &action, nullptr);
}

// on_exit handlers run before the teardown registered earlier, and get the status.
void platform::exitWithoutTeardownWhile(bool (*busy)()) {
    ::on_exit(
        [](int status, void* check) {
            if (reinterpret_cast<bool (*)()>(check)())
                ::_exit(status);
        },
        reinterpret_cast<void*>(busy));
}

int platform::exitStatus(int status) {
    return status;
}

void platform::attachParentConsole() {}

void platform::writeStandard(StandardStream stream, const QString& text) {
    std::FILE* const file = stream == StandardStream::Output ? stdout : stderr;
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file);
    std::fflush(file);
}

bool platform::mayControlServices() {
    return true;
}

bool platform::writeRefused(const QString& path) {
    return ::access(QFile::encodeName(path).constData(), W_OK) != 0 &&
           (errno == EACCES || errno == EPERM);
}
