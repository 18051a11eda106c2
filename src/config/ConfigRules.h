#pragma once

#include <QString>

// Values the saves derive from the screen's folders.
class ConfigRules {
public:
    // File name of the Firebird client library for a connection-library folder:
    // "fbclient.dll" for the newer installations, "GDS32.DLL" otherwise.
    static QString nomeDllCon(const QString& pastaDllCon);

    // The sibling system's folder: the trimmed folder with "RUV7" (any case)
    // and everything after it replaced by "PUX", then a backslash appended.
    static QString pastaPux(const QString& pasta);
};
