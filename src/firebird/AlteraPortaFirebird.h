#pragma once

#include <QString>

// Rewrites the port setting of the local server's "firebird.conf", found from
// the connection-library folder, in one go (PortRewrite says which lines). Warns
// and returns false when the file is not there; a text that is no port
// (PortNumber) raises AppError before anything is looked at, an unreadable file
// or a refused write raise it with the reason. The port is written as its plain
// number. The saves use PortRewrite itself, to know everything before they stop
// the server.
bool AlteraPortaFirebird(const QString& pastaDllCon, const QString& porta);
