#pragma once

#include "firebird/FirebirdLogin.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <ibase.h>

class FirebirdLibrary;

// One attachment to a server's service manager, for the security actions.
// Detached at the latest when destroyed. Every failure throws FirebirdError with
// the client's text.
class FirebirdServiceManager {
public:
    // `serviceName` is "address/port:service_mgr".
    FirebirdServiceManager(const FirebirdLibrary& library, const QString& serviceName,
                           const FirebirdLogin& login);
    ~FirebirdServiceManager();
    FirebirdServiceManager(const FirebirdServiceManager&) = delete;
    FirebirdServiceManager& operator=(const FirebirdServiceManager&) = delete;

    // The names of all users, however long the list: the server hands it over in
    // pieces of at most `replyBufferSize` bytes.
    QStringList users(int replyBufferSize = 8192);
    void addUser(const QString& name, const QString& password);

    void detach();

private:
    void start(const QByteArray& action);
    // Reads the action's output to its end.
    QByteArray readOutput(char item, int replyBufferSize);

    const FirebirdLibrary& m_library;
    isc_svc_handle m_handle = 0;
    int m_timeoutSeconds;
};
