#pragma once

#include <QString>
#include <functional>
#include <optional>

// Moves the Firebird server of this machine to the port of the settings: its
// service tool "instsvc.exe" (in the connection-library folder) stops the service,
// "firebird.conf" gets the new port and the tool starts the service again.
//
// While the service is stopped no workstation reaches its databases, so the
// restart never leaves it down on a path it could have avoided: what can be known
// before "stop" (the file found, readable and writable, the line that will carry
// the port, the tool present, the rights) is known before it; each command is
// waited for, within a bound, while the windows keep painting; the file is
// rewritten only once "stop" has ended well and the port no longer answers; a
// server found down after a failed "stop" or a refused rewrite is started again
// with its old file, and a "start" that fails on the new port gets the old file
// back and one more "start".
class ServiceRestart {
public:
    // Tells the operator, one line at a time, what the restart waits for and
    // what came of it.
    using Notice = std::function<void(const QString&)>;

    // The bound of each command of the tool.
    static constexpr int limitMs = 60000;

    // A text that is no port raises AppError before the service is touched.
    //
    // True when the server runs with the new port (with keepService: when the
    // file holds it; the service is left alone). Otherwise one box says why,
    // whether the server runs and on which port, or that it is stopped and what
    // to do; the message log gets the same sentences, and false comes back.
    // Without the rights to control the service (or, with keepService, to write
    // "firebird.conf") the box asks for Parvel to be run as administrator.
    static bool run(const QString& pastaDll, const QString& porta, bool keepService,
                    const Notice& notice);

    // The rights check's answer in tests (under Wine every user is an
    // administrator); no value gives the system's answer back.
    static void setRightsForTesting(std::optional<bool> granted);
    // A shorter bound for a test of a command that never ends; no value gives
    // limitMs back.
    static void setLimitForTesting(std::optional<int> milliseconds);
};
