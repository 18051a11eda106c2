#pragma once

#include "probes/ConnectionParameters.h"

#include <QDeadlineTimer>
#include <QList>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class FirebirdError;
class FirebirdSession;

// The connection test of a configuration, as the tester window shows it and the
// command-line check prints it: the client library loaded, the user "TOMRUV"
// looked up on the database server's service manager, then each database
// attached and detached, one at a time, within the bounds below whatever the
// server does. The lines go to `escreve` in the message log's words; each step is
// also recorded for a report.
class ConnectionProof {
public:
    using Milliseconds = std::chrono::milliseconds;
    // Each call into the client library, and the whole test from its start.
    static constexpr Milliseconds limiteChamada{15000};
    static constexpr Milliseconds limiteTeste{45000};

    // The window provisions a missing user; the check only reports it, and
    // when the server refuses SYSDBA's built-in password, it says so and leaves
    // the proof to the attaches as TOMRUV.
    enum class UsuarioAusente { Cria, Falha };

    struct Passo {
        QString nome; // "biblioteca", "usuario", "principal", "tabdef", "anexos"
        QString alvo; // the library file, service manager or connection string
        bool passou = false;
        QString motivo{}; // why it failed, as the "Motivo:" line says it
        qint64 milissegundos = 0;
        // Passed with a reservation the line starting "Aviso:" says.
        QString aviso{};
    };

    ConnectionProof(const ConnectionParameters& parametros, UsuarioAusente usuarioAusente,
                    std::function<void(const QString&)> escreve);
    ~ConnectionProof();
    ConnectionProof(const ConnectionProof&) = delete;
    ConnectionProof& operator=(const ConnectionProof&) = delete;

    // The user, then the main and the TABDEF database.
    bool principal();
    // The user, then the attachments database.
    bool anexos();

    const QList<Passo>& passos() const { return m_passos; }

private:
    bool comeca();
    bool usuario();
    bool conecta(const QString& nome, const QString& conexao, const QString& endereco, bool tabdef);
    // Records a step that passed, with the time it took; true.
    bool passou(Passo passo, qint64 milissegundos);
    // Logs and records a failed step, with the time it took; false. `endereco`,
    // the server a refused port would be on, when the step reached one.
    // `usuario`, who logged in, for advice on a refused login.
    bool falhou(Passo passo, qint64 milissegundos, const FirebirdError& erro,
                const std::optional<QString>& endereco, const QString& usuario);
    QString conselho(const FirebirdError& erro, const std::optional<QString>& endereco,
                     const QString& usuario) const;

    ConnectionParameters m_p;
    UsuarioAusente m_usuarioAusente;
    std::function<void(const QString&)> m_escreve;
    QDeadlineTimer m_fim;
    std::unique_ptr<FirebirdSession> m_sessao;
    QList<Passo> m_passos;
};
