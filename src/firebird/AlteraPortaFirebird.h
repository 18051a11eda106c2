#pragma once

#include <QString>

// Rewrites the "RemoteServicePort" line of the local server's "firebird.conf",
// found from the connection-library folder. Warns and returns false when the
// file is not there; a text that is no port (PortNumber) and a refused write
// raise AppError, the first before anything is looked at. The port is written
// as its plain number.
bool AlteraPortaFirebird(const QString& pastaDllCon, const QString& porta);
