#pragma once

#include <QString>
#include <functional>

// Operating-system services the routines need. One implementation file per
// platform: Platform_linux.cpp and Platform_windows.cpp.
namespace platform {

// Full path of the running executable's own file.
QString executableFilePath();

// The folder that holds Qt's own translations (qtbase_pt_BR.qm): Qt's
// translations folder on Linux, where the distribution installs them; the
// program's own folder on Windows, where the package puts the file beside it.
QString qtTranslationsFolder();

// The separator the platform puts between folder names.
QChar pathSeparator();

// The file version carried by the executable: major, minor, release, build.
struct FileVersion {
    unsigned major = 0, minor = 0, release = 0, build = 0;
};
FileVersion executableFileVersion();

// The Firebird client library to load from `folder` (a folder text with its
// trailing separator): `name` ("fbclient.dll" or "GDS32.DLL") when a file of that
// name is there. Where the system's own client library has another name, that
// library in the same folder stands in for a missing `name`. When neither is
// there the answer is `folder` + `name`, so the loader reports that file missing.
QString clientLibraryFile(const QString& folder, const QString& name);

// Gives the C library a character handling in which file names reach the Firebird
// client, and through it the server, intact whatever locale the program was
// started with. Called once at start: after the application object, which sets
// the C library's locale from the environment, and before the client library
// loads.
void prepareCharacterHandling();

// Starts a program with a Windows-style command line (see ExecutaPrograma).
// showState 0 asks for a hidden window. Returns true when the process started.
bool startProcess(const QString& programFile, const QString& commandLine,
                  const QString& workingFolder, int showState, bool wait);

// How a program started by startProcessWithin came out.
enum class ProcessEnd { NotStarted, Ended, StillRunning };

// Starts a program as startProcess does and waits for its end, at most
// `timeoutMs`, calling `whileWaiting` every few milliseconds meanwhile. A program
// still running then is left to finish on its own. An ended program's exit code
// goes to `exitCode` when given (on Linux 128 plus the signal that ended it).
ProcessEnd startProcessWithin(const QString& programFile, const QString& commandLine,
                              const QString& workingFolder, int showState, int timeoutMs,
                              const std::function<void()>& whileWaiting, int* exitCode = nullptr);

// Makes a termination request (SIGTERM, SIGINT) end the program at once, as it
// does a program that never touched the signals. Libraries loaded later (the
// Firebird client) install handlers of their own that keep the process alive;
// they pass the signal on to the handler they found, this one. Called once, at
// start, before any library is loaded.
void endOnTerminationRequest();

// From this call on, a program that exits while `busy()` is true leaves at once,
// with its exit status, skipping the teardown of the libraries it loaded before
// the call: the Firebird client's teardown waits for every call still inside it,
// for as long as a server holds one.
void exitWithoutTeardownWhile(bool (*busy)());

// Notes the status main is about to return and returns it: where the system
// hands the exit hook of exitWithoutTeardownWhile no status (Windows), the hook
// leaves with this one. main returns through it on every path.
int exitStatus(int status);

// Whether this process may stop and start the system's services: on Windows it
// runs as a member of the Administrators group with that membership in force
// (elevated where User Account Control is on). Where the Firebird service tool
// is the installation's own script, as on Linux, there is nothing to hold it.
bool mayControlServices();

// True when the system refuses this user writing the existing file `path` for
// lack of rights (a missing file, a full or read-only disk are not refusals of
// rights). Nothing is written.
bool writeRefused(const QString& path);

// Sends the program's standard output and error to the console it was started
// from, for the answers given without a window (--version, --help). A Windows
// program with windows gets no console of its own, so without this its text
// goes nowhere; output redirected to a file or a pipe stays where it goes.
// Nothing to do where programs keep their terminal.
void attachParentConsole();

enum class StandardStream { Output, Error };

// Writes `text` to the standard output or error at once, for every line the
// program prints: to a Windows console in its own characters (a console reads
// bytes in its output code page, 850, 1252 or 65001 as the prompt chose, where
// 8-bit text would lose its accents); to a file or a pipe in UTF-8 without a
// byte-order mark, which scripts and the JSON readers expect.
void writeStandard(StandardStream stream, const QString& text);

} // namespace platform
