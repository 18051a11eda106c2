#pragma once

#include <QString>
#include <QStringList>

// A private Firebird server laid out as an installation by
// scripts/firebird-installation, watched from outside as the save tests watch it.
class ServerInstallation {
public:
    // `root` is the installation's folder with its separator, "…/Firebird_2_5/".
    explicit ServerInstallation(const QString& root) : m_root(root) {}

    // The port its server listens on: the last port line of its "firebird.conf",
    // which the saves rewrite.
    QString port() const;
    QByteArray configuration() const;
    // The service commands carried out so far, one "command status" a line.
    QStringList serviceLog() const;

    // Whether something answers on that port of 127.0.0.1.
    static bool listens(const QString& port);
    // A port of 127.0.0.1 that nobody listens on, for a server to be started there.
    static QString freePort();

private:
    QString m_root;
};
