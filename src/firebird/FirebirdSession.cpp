#include "firebird/FirebirdSession.h"

#include "firebird/FirebirdDatabase.h"
#include "firebird/FirebirdError.h"
#include "firebird/FirebirdLibrary.h"
#include "firebird/FirebirdServiceManager.h"

#include <algorithm>
#include <optional>
#include <utility>

// What the calls work on. Only the worker touches it; a call that outlives its
// caller keeps it alive. The library goes last: the others call into it.
struct FirebirdSession::Objects {
    std::unique_ptr<FirebirdLibrary> library;
    std::unique_ptr<FirebirdServiceManager> service;
    std::unique_ptr<FirebirdDatabase> database;
};

namespace {

qint64 wholeSeconds(std::chrono::milliseconds time) {
    return std::chrono::duration_cast<std::chrono::seconds>(time + std::chrono::milliseconds(999))
        .count();
}

} // namespace

FirebirdSession::FirebirdSession(const QString& libraryFile, std::chrono::milliseconds callBound,
                                 std::chrono::milliseconds totalBound)
    : m_libraryFile(libraryFile), m_callBound(callBound), m_totalBound(totalBound),
      m_end(totalBound, Qt::PreciseTimer), m_objects(std::make_shared<Objects>()) {}

FirebirdSession::~FirebirdSession() {
    // Detaching may block as long as any call: the worker does it, unwatched.
    m_worker.post([objects = std::move(m_objects)]() mutable { objects.reset(); });
}

void FirebirdSession::run(const QString& what, Step step, const QDeadlineTimer& deadline) {
    const QDeadlineTimer callEnd =
        std::min(QDeadlineTimer(m_callBound, Qt::PreciseTimer), deadline);
    const bool wholeTestFirst = m_end < callEnd;
    auto error = std::make_shared<std::optional<FirebirdError>>();
    const bool returned = m_worker.run(
        [objects = m_objects, step = std::move(step), error] {
            try {
                step(*objects);
            } catch (const FirebirdError& failure) {
                *error = failure;
            } catch (const std::exception& failure) {
                *error = FirebirdError(QString::fromLocal8Bit(failure.what()));
            }
        },
        wholeTestFirst ? m_end : callEnd);
    if (!returned && wholeTestFirst)
        throw FirebirdError(QStringLiteral("Tempo esgotado: o teste de conexão passou de %1 "
                                           "segundos durante %2.")
                                .arg(wholeSeconds(m_totalBound))
                                .arg(what));
    if (!returned)
        throw FirebirdError(QStringLiteral("Tempo esgotado: %1 não terminou em %2 segundos.")
                                .arg(what)
                                .arg(wholeSeconds(m_callBound)));
    if (*error)
        throw **error;
}

void FirebirdSession::loadLibrary() {
    if (m_libraryLoaded)
        return;
    run(QStringLiteral("a carga da biblioteca de conexão \"%1\"").arg(m_libraryFile),
        [file = m_libraryFile](Objects& objects) {
            objects.library = std::make_unique<FirebirdLibrary>(file);
        });
    m_libraryLoaded = true;
}

void FirebirdSession::attachService(const QString& serviceName, const FirebirdLogin& login) {
    loadLibrary();
    run(QStringLiteral("a conexão ao gerenciador de serviços \"%1\"").arg(serviceName),
        [serviceName, login](Objects& objects) {
            objects.service =
                std::make_unique<FirebirdServiceManager>(*objects.library, serviceName, login);
        });
}

void FirebirdSession::detachService() {
    run(QStringLiteral("o encerramento da conexão ao gerenciador de serviços"),
        [](Objects& objects) {
            objects.service->detach();
            objects.service.reset();
        });
}

QStringList FirebirdSession::users(const QString& serviceName, const FirebirdLogin& login) {
    attachService(serviceName, login);
    auto names = std::make_shared<QStringList>();
    run(QStringLiteral("a leitura da lista de usuários"),
        [names](Objects& objects) { *names = objects.service->users(); });
    detachService();
    return *names;
}

void FirebirdSession::addUser(const QString& serviceName, const FirebirdLogin& login,
                              const QString& name, const QString& password) {
    attachService(serviceName, login);
    run(QStringLiteral("a inclusão do usuário \"%1\"").arg(name),
        [name, password](Objects& objects) { objects.service->addUser(name, password); });
    detachService();
}

bool FirebirdSession::serverAnswers(const QString& serviceName, const FirebirdLogin& login,
                                    const QDeadlineTimer& deadline) {
    try {
        loadLibrary();
        run(
            QStringLiteral("a conexão ao gerenciador de serviços \"%1\"").arg(serviceName),
            [serviceName, login](Objects& objects) {
                FirebirdServiceManager(*objects.library, serviceName, login).detach();
            },
            deadline);
        return true;
    } catch (const FirebirdError& error) {
        return error.serverAnswered();
    }
}

void FirebirdSession::openDatabase(const QString& connectionString, const FirebirdLogin& login) {
    loadLibrary();
    run(QStringLiteral("a conexão a \"%1\"").arg(connectionString),
        [connectionString, login](Objects& objects) {
            objects.database =
                std::make_unique<FirebirdDatabase>(*objects.library, connectionString, login);
        });
    m_databaseName = connectionString;
}

void FirebirdSession::closeDatabase() {
    if (m_databaseName.isEmpty())
        return;
    const QString name = std::exchange(m_databaseName, QString());
    run(QStringLiteral("o encerramento da conexão a \"%1\"").arg(name), [](Objects& objects) {
        objects.database->close();
        objects.database.reset();
    });
}
