#pragma once

#include <QString>
#include <QStringList>

// The private server of the CTest fixture "firebird_server"
// (scripts/firebird-test-server), as the fixture hands it to the tests through
// PARVEL_FB_ROOT and PARVEL_FB_PORT. A test that needs it calls require() in
// initTestCase: a missing server is a failure, never a skip.
class FirebirdTestServer {
public:
    // Reads the environment and checks that the server accepts connections.
    // On failure `why` tells what is missing. `variables` names the fixture's:
    // "PARVEL_FB4" for the Firebird 4 server of "firebird4_server".
    bool require(QString& why, const QString& variables = QStringLiteral("PARVEL_FB"));
    // The same for a server a test started itself.
    bool requireAt(const QString& root, const QString& port, QString& why);

    QString root() const { return m_root; }
    QString port() const { return m_port; }
    // Folder holding SGB_DADOS/, TABDEF/ and RUVARQUIVOS.FDB, with trailing "/".
    QString dataFolder() const { return m_root + "/data/"; }
    // Connection-library folder: holds "fbclient.dll" beside the server's
    // firebird.conf; trailing "/".
    QString clientFolder() const { return m_root + "/"; }

    // The server's process, from the pid file its script keeps in the root.
    qint64 pid() const;

    static constexpr const char* sysdbaPassword = "brindoval";

    // Security actions through the server's own tool, independent of the code
    // under test, as SYSDBA with `password`; `ok` tells whether the tool succeeded.
    QString fbsvcmgr(const QStringList& arguments, bool* ok = nullptr,
                     const QString& password = sysdbaPassword) const;
    // The users the server lists. False, with the tool's output in `why`, when it
    // could not list them: an empty list would pass for "nobody there".
    bool userNames(QStringList& names, QString& why) const;
    // False, with the reason in `why`, unless a listing after the deletion shows
    // the user gone.
    bool dropUser(const QString& name, QString& why) const;
    // False, with the tool's output in `why`, when the user is still missing.
    bool addUserIfMissing(const QString& name, const QString& password, QString& why) const;
    // Runs `sql` through isql-fb on a database of the data folder.
    QString isql(const QString& database, const QString& sql) const;

private:
    // Runs the security `action` unless `name` is already `listed` (or not), and
    // proves its effect by a new listing.
    bool changeUser(const QString& name, bool listed, const QStringList& action,
                    QString& why) const;

    QString m_root;
    QString m_port;
};
