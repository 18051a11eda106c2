#include "LoopbackHttpServer.h"

#include <QTcpSocket>
#include <memory>

LoopbackHttpServer::LoopbackHttpServer(const QByteArray& answer) : m_answer(answer) {
    connect(&m_server, &QTcpServer::newConnection, this, [this] { serve(); });
    if (!m_server.listen(QHostAddress::LocalHost))
        qFatal("no loopback port to listen on");
}

QString LoopbackHttpServer::url(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
}

QByteArray LoopbackHttpServer::answer(const QByteArray& status, const QByteArray& body,
                                      const QByteArray& extraHeaders) {
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n" + extraHeaders + "\r\n" + body;
}

void LoopbackHttpServer::serve() {
    QTcpSocket* socket = m_server.nextPendingConnection();
    auto received = std::make_shared<QByteArray>();
    connect(socket, &QTcpSocket::readyRead, this, [this, socket, received] {
        *received += socket->readAll();
        if (!received->contains("\r\n\r\n"))
            return;
        requests << *received;
        if (m_answer.isEmpty())
            return;
        socket->write(m_answer);
        socket->disconnectFromHost();
    });
}
