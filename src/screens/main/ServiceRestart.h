#pragma once

#include <QString>
#include <functional>

// Moves the Firebird server of this machine to the port of the settings: its
// service tool "instsvc.exe" (in the connection-library folder) stops the service,
// "firebird.conf" gets the new port and the tool starts the service again.
//
// Each command is waited for, within a bound, while the windows keep painting:
// the port is rewritten once the server is down, and the connection test that
// follows meets a server that has started, never one still stopping or starting;
// nor can "start" overtake "stop" and leave the server down for every workstation.
class ServiceRestart {
public:
    // Tells the operator, one line at a time, what the restart waits for.
    using Notice = std::function<void(const QString&)>;

    static constexpr int limitMs = 60000;

    // A text that is no port raises AppError before the service is touched.
    // With keepService set the service is left alone and only the file is rewritten.
    // An input/output error of the rewrite propagates, but only after the service
    // has been started again: the server keeps serving on its old port instead of
    // staying down for every workstation. A missing tool is not reported.
    static void run(const QString& pastaDll, const QString& porta, bool keepService,
                    const Notice& notice, int timeoutMs = limitMs);
};
