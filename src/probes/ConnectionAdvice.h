#pragma once

#include <QString>

class FirebirdStatus;

// What a support technician would tell of a refused connection: one sentence
// with the cause and its remedy, recognised from the error codes of the client's
// status vector (never from its text, whose language and wording change with the
// client). Empty for failures it does not know.
class ConnectionAdvice {
public:
    // `usuario`: who logged in, named when the server does not know them.
    static QString para(const FirebirdStatus& status, const QString& usuario);

private:
    static QString estrutura(const FirebirdStatus& status);
    // "12.0", and the Firebird version whose databases have that structure.
    static QString versaoDaEstrutura(long maior, long menor);
};
