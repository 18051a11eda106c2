#pragma once

#include <QString>
#include <QStringList>

// The texts of a connection test: Firebird connection strings built from the
// connection parameters exactly as typed, and the lines the test writes into the
// message log. Folders carry their own trailing separator; nothing is inserted
// between a folder and the name that follows it.
class ConnectionTexts {
public:
    // "\" for a server whose system is exactly "WINDOWS", "/" for any other.
    static QString separador(const QString& sistema);
    // An address counts when something other than blanks and control characters
    // is left; it is then used untrimmed. Without one the server is this machine.
    static bool temEndereco(const QString& endereco);

    static QString bancoPrincipal(const QString& endereco, const QString& porta,
                                  const QString& pasta, const QString& sistema);
    static QString bancoTabdef(const QString& endereco, const QString& porta, const QString& pasta,
                               const QString& sistema);
    static QString bancoAnexos(const QString& endereco, const QString& porta, const QString& pasta,
                               const QString& sistema);
    // "address/port:service_mgr"; without an address, the service manager of the
    // server on this machine that the connection strings reach.
    static QString gerenciadorServicos(const QString& endereco, const QString& porta);

    // The success line. The TABDEF line has no blank after "Tempo:", as the RUV
    // programs' logs have always shown it.
    static QString linhaConectado(const QString& conexao, qint64 milissegundos, bool tabdef);
    static QStringList linhasFalha(const QString& conexao);
    // "Motivo: " and why a step failed, on one line: the messages of the client
    // library (one per line as it gives them) or of the program, joined by " - ".
    static QString linhaMotivo(const QString& texto);
    // Whole elapsed seconds, at least two digits: "03", "75".
    static QString segundos(qint64 milissegundos);

private:
    static QString servidor(const QString& endereco, const QString& porta);
};
