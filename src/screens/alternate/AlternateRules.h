#pragma once

#include <QString>
#include <optional>

// The rules the alternate screen applies to stored values and typed paths,
// kept apart from the window so they can be checked on their own. Picture-box
// positions: operating system 0 Windows / 1 Linux; connection 0 Local /
// 1 TCP/IP; -1 no selection.
class AlternateRules {
public:
    // Connection type assumed when the file stores none: local for an empty
    // address or "localhost" in any case, network otherwise.
    static int defaultConnectionType(const QString& address);
    // Only the two types the screen offers select an item; anything else a
    // hand-edited file may hold leaves the box without a selection.
    static int connectionTypeIndex(int stored);
    static int systemIndex(const QString& storedSystem);
    // "DSLOCAL": only a capital "S" means the application server is local.
    static int applicationConnectionIndex(const QString& dsLocal);

    // A folder starting with "/" lies on a Linux server; a blank folder says nothing.
    static std::optional<int> systemFromFolder(const QString& folder);
    // Addresses without any digit (blank, or a bare host name) are not worth a ping.
    static bool isPingable(const QString& address);
};
