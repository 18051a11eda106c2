#pragma once

#include <QString>

// Where the local Firebird server installation keeps its files, seen from the
// connection-library folder the operator typed ("edDllCon"). Folder texts carry
// their own trailing separator; names are appended directly.
class FirebirdInstall {
public:
    // The folder holding "firebird.conf". For the installations whose client
    // library sits in a "bin" subfolder (marked by "Firebird_Quorvane",
    // "Firebird_2" or "Firebird-2", case-sensitive) it is the text before the
    // first "BIN" in any letter case, empty when there is none; any other folder
    // is itself the root.
    static QString installationRoot(const QString& pastaDllCon);
};
