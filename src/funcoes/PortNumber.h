#pragma once

#include <QString>
#include <optional>

// A TCP port as the operator types it. Only the trimmed text of decimal digits
// from 1 to 65535 is one: anything else reaching a server's "firebird.conf"
// makes that server listen on its default port instead, away from every
// workstation, or adds settings of its own to the file.
class PortNumber {
public:
    static std::optional<quint16> parse(const QString& text);

    // The warning for a text that is no port, showing the text as typed, in one
    // short line.
    static QString refusal(const QString& text);
};
