#include "FirebirdTestServer.h"
#include "firebird/FirebirdDatabase.h"
#include "firebird/FirebirdError.h"
#include "firebird/FirebirdLibrary.h"
#include "firebird/FirebirdServiceManager.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const char* const clientLibrary = "/usr/lib/x86_64-linux-gnu/libfbclient.so.2";

FirebirdLogin sysdba() {
    return {"SYSDBA", FirebirdTestServer::sysdbaPassword};
}

} // namespace

class TestFirebirdClient : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QString why;
        QVERIFY2(m_server.require(why), qPrintable(why));
        m_library = std::make_unique<FirebirdLibrary>(m_server.clientFolder() + "fbclient.dll");
    }

    void unusableLibraryIsAnError_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("missing file") << "/nonexistent/fbclient.dll";
        QTest::newRow("not a library") << QFINDTESTDATA("tst_firebirdclient.cpp");
        QTest::newRow("library without the entry points") << "/lib/x86_64-linux-gnu/libm.so.6";
    }

    void unusableLibraryIsAnError() {
        QFETCH(QString, file);
        try {
            FirebirdLibrary library(file);
            QFAIL("loaded");
        } catch (const FirebirdError& error) {
            QVERIFY(!error.text().isEmpty());
        }
    }

    void attachesWithTheLoginAndCharacterSet() {
        const QString path = m_server.dataFolder() + "SGB_DADOS/RUVDADOS.FDB";
        FirebirdDatabase database(*m_library, "127.0.0.1/" + m_server.port() + ":" + path,
                                  sysdba());
        // The server's view of this process's attachment: user and character set.
        const QString seen = m_server.isql(
            "SGB_DADOS/RUVDADOS.FDB",
            QString("select 'seen:' || trim(a.mon$user) || ':' || trim(c.rdb$character_set_name) "
                    "from mon$attachments a join rdb$character_sets c "
                    "on c.rdb$character_set_id = a.mon$character_set_id "
                    "where a.mon$remote_pid = %1;")
                .arg(QCoreApplication::applicationPid()));
        QVERIFY2(seen.contains("seen:SYSDBA:WIN1252"), qPrintable(seen));
        database.close();
    }

    void attachFailuresCarryTheClientText_data() {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("text");
        QTest::newRow("missing database")
            << "NADA.FDB" << FirebirdTestServer::sysdbaPassword << "I/O error";
        QTest::newRow("wrong password") << "RUVARQUIVOS.FDB"
                                        << "errada"
                                        << "user name and password are not defined";
    }

    void attachFailuresCarryTheClientText() {
        QFETCH(QString, database);
        QFETCH(QString, password);
        QFETCH(QString, text);
        try {
            FirebirdDatabase db(
                *m_library, "127.0.0.1/" + m_server.port() + ":" + m_server.dataFolder() + database,
                {"SYSDBA", password});
            QFAIL("attached");
        } catch (const FirebirdError& error) {
            QVERIFY2(error.text().contains(text), qPrintable(error.text()));
        }
    }

    void listsAndAddsUsers_data() {
        QTest::addColumn<QString>("serviceName");
        QTest::newRow("over TCP") << "127.0.0.1/" + m_server.port() + ":service_mgr";
        QTest::newRow("local (FIREBIRD root)") << "service_mgr";
    }

    void listsAndAddsUsers() {
        QFETCH(QString, serviceName);
        m_server.dropUser("PARVEL_TESTE");

        FirebirdServiceManager service(*m_library, serviceName, sysdba());
        QStringList before = service.users();
        QVERIFY(before.contains("SYSDBA"));
        QCOMPARE(before, m_server.userNames());
        service.detach();

        FirebirdServiceManager adding(*m_library, serviceName, sysdba());
        adding.addUser("PARVEL_TESTE", "segredo");
        adding.detach();
        QVERIFY(m_server.userNames().contains("PARVEL_TESTE"));

        FirebirdServiceManager again(*m_library, serviceName, sysdba());
        QVERIFY_THROWS_EXCEPTION(FirebirdError, again.addUser("PARVEL_TESTE", "segredo"));
        m_server.dropUser("PARVEL_TESTE");
    }

    // The server hands a long list over in pieces no larger than the reply
    // buffer; every piece has to be read and joined.
    void readsAListLongerThanTheReplyBuffer() {
        const QStringList added{"PARVEL_LISTA_A", "PARVEL_LISTA_B", "PARVEL_LISTA_C",
                                "PARVEL_LISTA_D", "PARVEL_LISTA_E"};
        for (const QString& name : added) {
            m_server.dropUser(name);
            bool ok = false;
            m_server.fbsvcmgr({"-action_add_user", "-sec_username", name, "-sec_password", "x"},
                              &ok);
            QVERIFY(ok);
        }
        const QString tcp = "127.0.0.1/" + m_server.port() + ":service_mgr";
        FirebirdServiceManager service(*m_library, tcp, sysdba());
        const QStringList small = service.users(48);
        for (const QString& name : added)
            m_server.dropUser(name);

        QCOMPARE(small.size(), QSet<QString>(small.begin(), small.end()).size());
        for (const QString& name : added + QStringList{"SYSDBA"})
            QVERIFY2(small.contains(name), qPrintable(small.join(',')));
    }

    void refusedServiceLoginCarriesTheClientText() {
        try {
            FirebirdServiceManager service(
                *m_library, "127.0.0.1/" + m_server.port() + ":service_mgr", {"SYSDBA", "errada"});
            QFAIL("attached");
        } catch (const FirebirdError& error) {
            QVERIFY2(error.text().contains("user name and password are not defined"),
                     qPrintable(error.text()));
        }
    }

    // A server that accepts the connection and never answers: without the
    // connect time-out the client waits for minutes.
    void silentServerTimesOut_data() {
        QTest::addColumn<bool>("service");
        QTest::newRow("database attach") << false;
        QTest::newRow("service attach") << true;
    }

    void silentServerTimesOut() {
        QFETCH(bool, service);
        QTcpServer silent; // never accepts: the kernel completes the handshake alone
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        const QString address = "127.0.0.1/" + QString::number(silent.serverPort()) + ":";
        const FirebirdLogin login{"SYSDBA", "x", 2};
        QElapsedTimer clock;
        clock.start();
        try {
            if (service)
                FirebirdServiceManager(*m_library, address + "service_mgr", login);
            else
                FirebirdDatabase(*m_library, address + "/x.fdb", login);
            QFAIL("attached to a silent server");
        } catch (const FirebirdError& error) {
            QVERIFY(!error.text().isEmpty());
        }
        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
    }

private:
    FirebirdTestServer m_server;
    std::unique_ptr<FirebirdLibrary> m_library;
};

QTEST_GUILESS_MAIN(TestFirebirdClient)
#include "tst_firebirdclient.moc"
