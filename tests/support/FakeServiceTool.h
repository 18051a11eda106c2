#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// A Firebird installation reduced to what the service restart touches: a
// "firebird.conf" with its port line and an "instsvc.exe" that only notes each
// command it is given. The notes go to "<folder>.log", beside the folder, so a
// folder mounted read-only still records them.
class FakeServiceTool {
public:
    // Writes both files into `folder`, which must exist.
    explicit FakeServiceTool(const QString& folder);

    bool valid() const { return m_valid; }
    // The folder with its trailing separator, as the connection-library field holds it.
    QString folder() const { return m_folder + u'/'; }
    QByteArray conf() const;
    // The commands carried out so far, in the order they ran.
    QStringList commands() const;
    // The tool exits with code 3 on `command` from now on, as instsvc.exe does
    // when it is refused or the service will not stop or start.
    bool failOn(const QString& command) const;

private:
    // The platform's half: puts the tool as "instsvc.exe" into the folder.
    static bool installTool(const QString& folder);

    QString m_folder;
    bool m_valid = false;
};
