#pragma once

#include <QDeadlineTimer>
#include <QString>

// When a server refuses the configured port, whether it answers on one of the
// well-known Firebird ports that the port field's notice names. Nothing else is
// probed; a TCP connection accepted counts as an answer.
class PortHint {
public:
    // "o servidor responde na porta N", or empty when the configured port does
    // not refuse, no other port answers or `deadline` passes first.
    static QString para(const QString& servidor, const QString& porta,
                        const QDeadlineTimer& deadline);

private:
    static bool recusa(const QString& servidor, quint16 porta, const QDeadlineTimer& deadline);
    static int primeiraQueResponde(const QString& servidor, const QList<quint16>& portas,
                                   const QDeadlineTimer& deadline);
};
