#pragma once

#include <QString>

// Who attaches, and how long the client may wait for the server. Firebird's own
// default wait for a server that accepts and never answers is minutes, with the
// screen frozen; the bound makes such a server a failure instead.
struct FirebirdLogin {
    QString user;
    QString password;
    int connectTimeoutSeconds = 15;
};
