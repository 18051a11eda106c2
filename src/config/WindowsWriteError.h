#pragma once

#include <QString>
#include <QStringList>
#include <windows.h>

// Why Windows refused a write, in the operator's words. The common codes get a
// sentence of their own; any other is given with its number and the system's
// text, which a Brazilian Windows writes in Portuguese.
class WindowsWriteError {
public:
    // `holders` are the programs that hold the file, when known: an access
    // refused because another program holds the file is told as "em uso".
    static QString reason(DWORD code, const QStringList& holders = {});

    // The codes of a file another program holds open: worth waiting for.
    static bool isHeld(DWORD code);
};
