#pragma once

#include <QString>

// The folder of the running executable, with its trailing separator. Every file
// the program reads or writes ("ruv.ini", "ruv.dat", the marker files) is this
// folder followed directly by the file name. The program always takes it from
// its own path; tests point it at a temporary folder through setForTesting().
class ExecutableFolder {
public:
    static QString path();
    static void setForTesting(const QString& folderWithSeparator);
    static void clearForTesting();
};
