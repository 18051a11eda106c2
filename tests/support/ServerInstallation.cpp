#include "ServerInstallation.h"

#include "FileBytes.h"

#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>

QString ServerInstallation::port() const {
    const QStringList portLines =
        QString::fromLatin1(configuration()).split('\n').filter("RemoteServicePort = ");
    return portLines.isEmpty() ? QString() : portLines.last().section('=', 1).trimmed();
}

QByteArray ServerInstallation::configuration() const {
    return FileBytes::read(m_root + "firebird.conf");
}

QStringList ServerInstallation::serviceLog() const {
    const QString log = m_root + "bin/instsvc.log";
    if (!QFile::exists(log))
        return {};
    return QString::fromUtf8(FileBytes::read(log)).split('\n', Qt::SkipEmptyParts);
}

bool ServerInstallation::listens(const QString& port) {
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", port.toUShort());
    return socket.waitForConnected(2000);
}

QString ServerInstallation::freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return QString::number(probe.serverPort());
}
