#pragma once

#include <QDeadlineTimer>
#include <QString>
#include <functional>

// When a server refuses the configured port, whether a Firebird server answers
// on one of the well-known Firebird ports that the port field's notice names.
// A TCP connection accepted there is not enough: another program's listener
// would send the technician to the wrong server, so a port counts only when
// `firebirdResponde` proves a Firebird server behind it.
class PortHint {
public:
    // Whether a Firebird server answers on the port, before the deadline.
    using ProvaFirebird = std::function<bool(quint16 porta, const QDeadlineTimer& deadline)>;

    // "um servidor Firebird responde na porta N deste servidor: ...", or empty
    // when the configured port does not refuse, no Firebird answers on another
    // port or `deadline` passes first.
    static QString para(const QString& servidor, const QString& porta,
                        const QDeadlineTimer& deadline, const ProvaFirebird& firebirdResponde);

private:
    static bool recusa(const QString& servidor, quint16 porta, const QDeadlineTimer& deadline);
    static int primeiraQueResponde(const QString& servidor, const QList<quint16>& portas,
                                   const QDeadlineTimer& deadline,
                                   const ProvaFirebird& firebirdResponde);
};
