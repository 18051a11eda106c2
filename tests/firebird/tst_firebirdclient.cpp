#include "FileBytes.h"
#include "FirebirdTestServer.h"
#include "firebird/FirebirdDatabase.h"
#include "firebird/FirebirdError.h"
#include "firebird/FirebirdLibrary.h"
#include "firebird/FirebirdServiceManager.h"
#include "funcoes/Platform.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const char* const clientLibrary = "/usr/lib/x86_64-linux-gnu/libfbclient.so.2";

// Where the last loadable segment of an ELF file ends, from readelf's table.
qint64 loadableEnd(const QString& file) {
    QProcess readelf;
    readelf.start("readelf", {"-lW", file});
    readelf.waitForFinished();
    qint64 end = 0;
    for (const QByteArray& line : readelf.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 5 && fields[0] == "LOAD")
            end = std::max(end,
                           fields[1].toLongLong(nullptr, 16) + fields[4].toLongLong(nullptr, 16));
    }
    return end;
}

// The start of a Windows DLL: DOS header pointing at a PE header for x86-64.
QByteArray peStub() {
    QByteArray bytes(512, '\0');
    bytes.replace(0, 2, "MZ");
    bytes[0x3c] = char(0x80);
    bytes.replace(0x80, 6, QByteArray("PE\0\0\x64\x86", 6));
    return bytes;
}

// A complete ELF header of a 32-bit x86 shared library.
QByteArray elf32Header() {
    QByteArray bytes(52, '\0');
    bytes.replace(0, 7,
                  QByteArray("\x7f"
                             "ELF\x01\x01\x01",
                             7));
    bytes[16] = 3; // ET_DYN
    bytes[18] = 3; // EM_386
    bytes[20] = 1;
    return bytes;
}

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

    // Real files that are no usable client library. Each is refused with a text
    // that names the file and the problem; none may reach the loader in a state
    // that kills the program (a copy cut short did, with SIGBUS).
    void unusableLibraryIsAnError_data() {
        QTest::addColumn<QByteArray>("contents"); // written to the file unless `path` is set
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("problem");

        const QByteArray library = FileBytes::read(clientLibrary);
        const qint64 segmentsEnd = loadableEnd(clientLibrary);
        QVERIFY(segmentsEnd > 700 * 1024 && segmentsEnd <= library.size());
        for (const qint64 size : {qint64(1024), qint64(64 * 1024), qint64(256 * 1024),
                                  qint64(700 * 1024), segmentsEnd - 1})
            QTest::addRow("cut at %lld bytes", size)
                << library.left(size) << QString() << "o arquivo está incompleto";
        QTest::newRow("cut inside the ELF header")
            << library.left(20) << QString() << "o arquivo está incompleto";
        QTest::newRow("empty file") << QByteArray() << QString() << "o arquivo está vazio";
        QTest::newRow("text file")
            << QByteArray("[RUV]\r\nServidor=127.0.0.1\r\n") << QString() << "não é uma biblioteca";
        QTest::newRow("Windows PE stub") << peStub() << QString() << "biblioteca do Windows";
        QTest::newRow("32-bit ELF") << elf32Header() << QString() << "de outra plataforma";
        QTest::newRow("folder") << QByteArray() << "/tmp"
                                << "é uma pasta";
        QTest::newRow("missing file") << QByteArray() << "/nonexistent/fbclient.dll"
                                      << "o arquivo não existe";
        QTest::newRow("program, not a library") << QByteArray() << "/usr/bin/true"
                                                << "não pode ser carregada";
        QTest::newRow("library without the entry points")
            << QByteArray() << "/lib/x86_64-linux-gnu/libm.so.6"
            << "não tem a função";
        QTest::newRow("library whose own library is missing")
            << QByteArray() << PARVEL_NEEDS_GONE
            << "não pode ser carregada: falta a biblioteca \"parvel_gone.so\", de que ela precisa.";
        QTest::newRow("library without the ISC functions")
            << QByteArray() << "/lib/x86_64-linux-gnu/libz.so.1"
            << "não tem a função \"isc_attach_database\"";
    }

    void unusableLibraryIsAnError() {
        QFETCH(QByteArray, contents);
        QFETCH(QString, path);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        if (path.isEmpty()) {
            path = dir.filePath("fbclient.dll");
            FileBytes::write(path, contents);
        }
        try {
            FirebirdLibrary library(path);
            QFAIL("loaded");
        } catch (const FirebirdError& error) {
            QVERIFY2(error.text().contains(problem), qPrintable(error.text()));
            QVERIFY2(error.text().contains("\"" + path + "\""), qPrintable(error.text()));
        }
    }

    // A client before Firebird 2.0 has no fb_interpret; its messages come through
    // the older call.
    void oldClientGivesItsMessages() {
        FirebirdLibrary library(PARVEL_OLD_CLIENT);
        ISC_STATUS status[ISC_STATUS_LENGTH] = {};
        isc_db_handle handle = 0;
        library.attachDatabase(status, 0, "banco", &handle, 0, nullptr);
        QCOMPARE(library.interpret(status), "mensagem do cliente antigo");
    }

    // The whole file, or any cut past its last loadable byte, loads.
    void completeLibraryLoads() {
        QTemporaryDir dir;
        const QString copy = dir.filePath("fbclient.dll");
        FileBytes::write(copy, FileBytes::read(clientLibrary).left(loadableEnd(clientLibrary)));
        FirebirdLibrary library(copy);
        QVERIFY(library.attachDatabase);
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
        QTest::newRow("this machine") << "LocalHost/" + m_server.port() + ":service_mgr";
    }

    void listsAndAddsUsers() {
        QFETCH(QString, serviceName);
        QString why;
        QVERIFY2(m_server.dropUser("PARVEL_TESTE", why), qPrintable(why));

        FirebirdServiceManager service(*m_library, serviceName, sysdba());
        QStringList before = service.users();
        QVERIFY(before.contains("SYSDBA"));
        QStringList listed;
        QVERIFY2(m_server.userNames(listed, why), qPrintable(why));
        QCOMPARE(before, listed);
        service.detach();

        FirebirdServiceManager adding(*m_library, serviceName, sysdba());
        adding.addUser("PARVEL_TESTE", "segredo");
        adding.detach();
        QVERIFY2(m_server.userNames(listed, why), qPrintable(why));
        QVERIFY(listed.contains("PARVEL_TESTE"));

        FirebirdServiceManager again(*m_library, serviceName, sysdba());
        QVERIFY_THROWS_EXCEPTION(FirebirdError, again.addUser("PARVEL_TESTE", "segredo"));
        QVERIFY2(m_server.dropUser("PARVEL_TESTE", why), qPrintable(why));
    }

    // The server hands a long list over in pieces no larger than the reply
    // buffer; every piece has to be read and joined.
    void readsAListLongerThanTheReplyBuffer() {
        const QStringList added{"PARVEL_LISTA_A", "PARVEL_LISTA_B", "PARVEL_LISTA_C",
                                "PARVEL_LISTA_D", "PARVEL_LISTA_E"};
        QString why;
        for (const QString& name : added) {
            QVERIFY2(m_server.dropUser(name, why), qPrintable(why));
            bool ok = false;
            m_server.fbsvcmgr({"-action_add_user", "-sec_username", name, "-sec_password", "x"},
                              &ok);
            QVERIFY(ok);
        }
        const QString tcp = "127.0.0.1/" + m_server.port() + ":service_mgr";
        FirebirdServiceManager service(*m_library, tcp, sysdba());
        const QStringList small = service.users(48);
        for (const QString& name : added)
            QVERIFY2(m_server.dropUser(name, why), qPrintable(why));

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

// The program's character handling, set before the client library loads: the
// server's folder has an accent.
int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    platform::prepareCharacterHandling();
    TestFirebirdClient test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_firebirdclient.moc"
