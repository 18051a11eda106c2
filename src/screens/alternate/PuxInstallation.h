#pragma once

#include <QString>

// Where the sibling system PUX is installed, judged from the network folder
// shared with the RUV executables: PUX sits where RUV7 sits.
class PuxInstallation {
public:
    // The network folder, trimmed, cut at the first "RUV7" (any case) with
    // "PUX" put in its place; the whole folder when it holds no "RUV7".
    static QString folder(const QString& networkFolder);

    // The warning the operator must see when PUX is not installed there (its
    // folder or its database is missing); empty when the installation is complete.
    static QString missingInstallationWarning(const QString& networkFolder);
};
