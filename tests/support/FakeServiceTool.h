#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// A Firebird installation reduced to what the service restart touches: a
// "firebird.conf", an "instsvc.exe" that notes each command it is given and a
// server that only accepts connections. "start" starts that server on the port
// the file sets (its last active "RemoteServicePort" line, 3050 when none),
// returning once it listens; "stop" stops it, returning once the port is
// closed; each fails on a running or a stopped server as a service does. The
// notes and the tool's state go beside the folder ("<folder>.log", ...), so a
// folder mounted read-only still records them.
class FakeServiceTool {
public:
    // What a command does instead of its work, once for each call of misbehave.
    enum class Failure {
        Refuses,  // exits with code 3, the service as it was
        Hangs,    // never returns, the service as it was
        Pretends, // exits with code 0, the service as it was
    };

    // Writes "firebird.conf" (`conf`; by default its port line on a free port)
    // and the tool into `folder`, which must exist. With `serving` the server
    // runs from the start, as a machine's service does.
    explicit FakeServiceTool(const QString& folder, const QByteArray& conf = {},
                             bool serving = false);
    // Stops the server and any command still hanging.
    ~FakeServiceTool();
    FakeServiceTool(const FakeServiceTool&) = delete;
    FakeServiceTool& operator=(const FakeServiceTool&) = delete;

    bool valid() const { return m_valid; }
    // The folder with its trailing separator, as the connection-library field holds it.
    QString folder() const { return m_folder + u'/'; }
    QByteArray conf() const;
    // The commands given so far, in the order they came.
    QStringList commands() const;
    // The next call of `command` fails so; a second call of misbehave, the one
    // after it too.
    bool misbehave(const QString& command, Failure how) const;

private:
    // The platform's half: puts the tool as "instsvc.exe" into the folder, and
    // ends what the tool left running.
    bool installTool() const;
    void endServer() const;

    QString m_folder;
    bool m_valid = false;
};
