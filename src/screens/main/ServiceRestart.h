#pragma once

#include <QString>
#include <functional>
#include <optional>

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
    // Then the rights: a process that may not control the service (or, with
    // keepService, may not write "firebird.conf") shows one box asking for
    // Parvel to be run as administrator and returns false, with nothing stopped
    // or written.
    //
    // With keepService set the service is left alone and only the file is rewritten.
    // A command the tool reports as failed (exit code other than 0) ends the
    // restart with AppError, its reason in the log: a failed "stop" before the
    // file is touched. An input/output error of the rewrite propagates, but only
    // after the service has been started again: the server keeps serving on its
    // old port instead of staying down for every workstation. A missing tool is
    // not reported.
    static bool run(const QString& pastaDll, const QString& porta, bool keepService,
                    const Notice& notice, int timeoutMs = limitMs);

    // The rights check's answer in tests (under Wine every user is an
    // administrator); no value gives the system's answer back.
    static void setRightsForTesting(std::optional<bool> granted);
};
