#include "FirebirdTestServer.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpSocket>

bool FirebirdTestServer::require(QString& why, const QString& variables) {
    const QString root = qEnvironmentVariable(qPrintable(variables + "_ROOT"));
    const QString port = qEnvironmentVariable(qPrintable(variables + "_PORT"));
    if (root.isEmpty() || port.isEmpty()) {
        why = variables + "_ROOT/" + variables +
              "_PORT not set: run through ctest (fixture firebird_server or firebird4_server) "
              "or start scripts/firebird-test-server by hand";
        return false;
    }
    return requireAt(root, port, why);
}

bool FirebirdTestServer::requireAt(const QString& root, const QString& port, QString& why) {
    m_root = root;
    m_port = port;
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

namespace {

QString run(const QString& program, const QStringList& arguments, const QByteArray& input,
            bool* ok) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    const bool finished = process.waitForFinished(30000);
    if (ok)
        *ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return QString::fromLocal8Bit(process.readAll());
}

} // namespace

QString FirebirdTestServer::fbsvcmgr(const QStringList& arguments, bool* ok,
                                     const QString& password) const {
    return run("fbsvcmgr",
               QStringList{"127.0.0.1/" + m_port + ":service_mgr", "-user", "SYSDBA", "-password",
                           password} +
                   arguments,
               {}, ok);
}

bool FirebirdTestServer::userNames(QStringList& names, QString& why) const {
    bool ok = false;
    const QString output = fbsvcmgr({"-action_display_user"}, &ok);
    names.clear();
    if (!ok) {
        why = "fbsvcmgr could not list the users: " + output;
        return false;
    }
    // One line per user after the heading: the login name comes first.
    for (const QString& line : output.split('\n').mid(1)) {
        const QString name = line.section(' ', 0, 0, QString::SectionSkipEmpty);
        if (!name.isEmpty())
            names << name;
    }
    return true;
}

bool FirebirdTestServer::dropUser(const QString& name, QString& why) const {
    return changeUser(name, false, {"-action_delete_user", "-sec_username", name}, why);
}

bool FirebirdTestServer::addUserIfMissing(const QString& name, const QString& password,
                                          QString& why) const {
    return changeUser(name, true,
                      {"-action_add_user", "-sec_username", name, "-sec_password", password}, why);
}

bool FirebirdTestServer::changeUser(const QString& name, bool listed, const QStringList& action,
                                    QString& why) const {
    QStringList names;
    if (!userNames(names, why))
        return false;
    if (names.contains(name) == listed)
        return true;
    bool done = false;
    const QString output = fbsvcmgr(action, &done);
    if (!done) {
        why = QString("fbsvcmgr could not %1 %2: %3").arg(listed ? "add" : "delete", name, output);
        return false;
    }
    if (!userNames(names, why))
        return false;
    if (names.contains(name) != listed) {
        why = name + (listed ? " is still missing after its addition"
                             : " is still listed after its deletion");
        return false;
    }
    return true;
}

QString FirebirdTestServer::isql(const QString& database, const QString& sql) const {
    return run("isql-fb",
               {"-q", "-user", "SYSDBA", "-password", sysdbaPassword,
                "127.0.0.1/" + m_port + ":" + dataFolder() + database},
               sql.toUtf8(), nullptr);
}

qint64 FirebirdTestServer::pid() const {
    QFile file(m_root + "/server.pid");
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toLongLong() : 0;
}
