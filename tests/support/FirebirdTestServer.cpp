#include "FirebirdTestServer.h"

#include <QFileInfo>
#include <QTcpSocket>

bool FirebirdTestServer::require(QString& why) {
    m_root = qEnvironmentVariable("PARVEL_FB_ROOT");
    m_port = qEnvironmentVariable("PARVEL_FB_PORT");
    if (m_root.isEmpty() || m_port.isEmpty()) {
        why = "PARVEL_FB_ROOT/PARVEL_FB_PORT not set: run through ctest (fixture "
              "firebird_server) or start scripts/firebird-test-server by hand";
        return false;
    }
    if (!QFileInfo::exists(clientFolder() + "fbclient.dll")) {
        why = "no server laid out in " + m_root;
        return false;
    }
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", m_port.toUShort());
    if (!socket.waitForConnected(5000)) {
        why = "nothing listens on 127.0.0.1:" + m_port + " (" + socket.errorString() + ")";
        return false;
    }
    return true;
}
