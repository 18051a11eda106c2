#pragma once

#include <QString>

// Rewrites the "RemoteServicePort" line of the local server's "firebird.conf",
// found from the connection-library folder. Warns and returns false when the
// file is not there; a refused write raises AppError.
bool AlteraPortaFirebird(const QString& pastaDllCon, const QString& porta);
