#pragma once

#include <QFileDevice>
#include <QString>

// Operating-system services the routines need. One implementation file per
// platform (Platform_linux.cpp today); a Windows build adds its own beside it.
namespace platform {

// Full path of the running executable's own file.
QString executableFilePath();

// The separator the platform puts between folder names.
QChar pathSeparator();

// The file version carried by the executable: major, minor, release, build.
struct FileVersion {
    unsigned major = 0, minor = 0, release = 0, build = 0;
};
FileVersion executableFileVersion();

// Pushes what was written to an open file through to the disk.
bool flushToDisk(QFileDevice& file);

// Starts a program with a Windows-style command line (see ExecutaPrograma).
// showState 0 asks for a hidden window. Returns true when the process started.
bool startProcess(const QString& programFile, const QString& commandLine,
                  const QString& workingFolder, int showState, bool wait);

} // namespace platform
