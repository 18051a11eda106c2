#pragma once

#include "firebird/FirebirdLogin.h"
#include "firebird/FirebirdWorker.h"

#include <QDeadlineTimer>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>

// One conversation of the connection tester with the client library: load it,
// list or add users on a service manager, open and close a database. Every
// call into the library runs on the session's worker, one at a time and in
// order, while the caller's events are processed. A call may take `callBound`,
// and all of them together `totalBound` from the session's start, whatever the
// server does; a call that fails or runs out of time throws FirebirdError with
// the reason.
class FirebirdSession {
public:
    FirebirdSession(const QString& libraryFile, std::chrono::milliseconds callBound,
                    std::chrono::milliseconds totalBound);
    // Returns at once; what is still attached is detached on the worker.
    ~FirebirdSession();
    FirebirdSession(const FirebirdSession&) = delete;
    FirebirdSession& operator=(const FirebirdSession&) = delete;

    // Loads the client library, once; the calls below load it when needed.
    void loadLibrary();
    // Attach, list, detach.
    QStringList users(const QString& serviceName, const FirebirdLogin& login);
    // Attach, add, detach.
    void addUser(const QString& serviceName, const FirebirdLogin& login, const QString& name,
                 const QString& password);

    // Whether a Firebird server answers at `serviceName`, within `deadline` too:
    // an attach or a login refused by its service manager proves one; a peer
    // that closes or says nothing proves none.
    bool serverAnswers(const QString& serviceName, const FirebirdLogin& login,
                       const QDeadlineTimer& deadline);

    // One database at a time: close the one opened before first.
    void openDatabase(const QString& connectionString, const FirebirdLogin& login);
    // Detaches the open database, if any. A failed detach leaves none open.
    void closeDatabase();

private:
    struct Objects;
    using Step = std::function<void(Objects&)>;

    void attachService(const QString& serviceName, const FirebirdLogin& login);
    void detachService();
    // Runs `step` with the bounds and `deadline`; `what` names it in a
    // time-out's text.
    void run(const QString& what, Step step,
             const QDeadlineTimer& deadline = QDeadlineTimer(QDeadlineTimer::Forever));

    const QString m_libraryFile;
    const std::chrono::milliseconds m_callBound;
    const std::chrono::milliseconds m_totalBound;
    const QDeadlineTimer m_end;
    std::shared_ptr<Objects> m_objects;
    bool m_libraryLoaded = false;
    QString m_databaseName; // of the open database; empty when none is
    FirebirdWorker m_worker;
};
