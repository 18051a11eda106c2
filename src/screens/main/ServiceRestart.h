#pragma once

#include <QString>

// Moves the Firebird server of this machine to the port of the settings: its
// service tool "instsvc.exe" (in the connection-library folder) stops the service,
// "firebird.conf" gets the new port and the tool starts the service again. The
// commands run hidden and are not waited for; their results are not looked at.
class ServiceRestart {
public:
    // With keepService set the service is left alone and only the file is rewritten.
    // An input/output error of the rewrite propagates, but only after the service
    // has been started again: the server keeps serving on its old port instead of
    // staying down for every workstation.
    static void run(const QString& pastaDll, const QString& porta, bool keepService);
};
