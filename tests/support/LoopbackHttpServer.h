#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpServer>

// An HTTP server on 127.0.0.1 for tests: gives every request the same raw answer,
// or none at all when the answer is empty, and keeps the request heads it read.
class LoopbackHttpServer : public QObject {
public:
    explicit LoopbackHttpServer(const QByteArray& answer);

    // "http://127.0.0.1:<port>" followed by `path`.
    QString url(const QString& path) const;

    // A complete answer with this status line tail ("200 OK"), body and headers.
    static QByteArray answer(const QByteArray& status, const QByteArray& body,
                             const QByteArray& extraHeaders = {});

    QList<QByteArray> requests;

private:
    void serve();

    QTcpServer m_server;
    QByteArray m_answer;
};
