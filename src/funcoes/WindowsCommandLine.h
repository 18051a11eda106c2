#pragma once

#include <QString>
#include <QStringList>

// The arguments a program built with the Microsoft C runtime gets from its
// command line, so that a launched program receives the same arguments here as
// it would on Windows, without any shell taking part.
class WindowsCommandLine {
public:
    // The program name first (quotes group, no escapes), then the arguments:
    // blanks separate, quotes group, "" inside quotes is a quote, and
    // backslashes escape only when a quote follows them.
    static QStringList split(const QString& commandLine);
};
