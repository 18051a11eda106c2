// A TCP/IP save refused by a real server for a reason a technician can act on:
// the "Motivo:" line ends with the sentence that names the cause and the remedy,
// and nothing is written. Servers: the fixtures' Firebird 3 and Firebird 4 ones,
// and a Firebird 4 server of this test's own whose firebird.conf gets the site
// settings of each case.
#include "FileBytes.h"
#include "FirebirdTestServer.h"
#include "RefusedSave.h"
#include "ServerInstallation.h"
#include "funcoes/Platform.h"
#include "ui/GuardedApplication.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString script = QStringLiteral(PARVEL_FB_SCRIPT);

// The script's output when it fails, empty when it succeeds.
QString runScript(const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PARVEL_FB_VERSION", "4");
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(script, arguments);
    if (!process.waitForFinished(600000))
        return "the script did not end";
    return process.exitCode() == 0 ? QString() : QString::fromLocal8Bit(process.readAll());
}

// A copy of `database` as SGB_DADOS/RUVDADOS.FDB and TABDEF/TABDEF.FDB of
// `folder`, which is made.
bool layOut(const QString& folder, const QString& database) {
    return QDir().mkpath(folder + "SGB_DADOS") && QDir().mkpath(folder + "TABDEF") &&
           QFile::copy(database, folder + "SGB_DADOS/RUVDADOS.FDB") &&
           QFile::copy(database, folder + "TABDEF/TABDEF.FDB");
}

} // namespace

class TestSaveReasons : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void refusedSaveNamesCauseAndRemedy_data();
    void refusedSaveNamesCauseAndRemedy();

private:
    // The server of this test, started again with `settings` as its site's.
    void restartOwnServer(const QString& settings);

    FirebirdTestServer m_firebird3;
    FirebirdTestServer m_firebird4;
    QTemporaryDir m_ownFolder;
    QString m_ownRoot;
    QString m_ownPort;
    QStringList m_madeFolders;
};

void TestSaveReasons::initTestCase() {
    QString why;
    QVERIFY2(m_firebird3.require(why), qPrintable(why));
    QVERIFY2(m_firebird4.require(why, "PARVEL_FB4"), qPrintable(why));
    QVERIFY(m_ownFolder.isValid());
    m_ownRoot = m_ownFolder.filePath("servidor próprio");
    m_ownPort = ServerInstallation::freePort();
    const QString failure = runScript({"start", m_ownRoot, m_ownPort});
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void TestSaveReasons::cleanupTestCase() {
    runScript({"clean", m_ownRoot});
}

void TestSaveReasons::cleanup() {
    for (const QString& folder : std::as_const(m_madeFolders))
        QDir(folder).removeRecursively();
    m_madeFolders.clear();
}

void TestSaveReasons::restartOwnServer(const QString& settings) {
    QString failure = runScript({"stop", m_ownRoot});
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    FileBytes::write(m_ownRoot + "/firebird.conf.site", settings.toUtf8());
    failure = runScript({"start", m_ownRoot});
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void TestSaveReasons::refusedSaveNamesCauseAndRemedy_data() {
    QTest::addColumn<QString>("server");   // "3", "4" or "own"
    QTest::addColumn<QString>("settings"); // of the own server's site
    QTest::addColumn<QString>("folder");   // "data", "closed" or "firebird 4 database"
    QTest::addColumn<QString>("client");   // start of the client's text
    QTest::addColumn<QString>("sentence");

    // The machine's client offers Srp256, Srp and Legacy_Auth: a server that takes
    // only another Srp is, for it, what a Srp-only server is for a client that
    // offers Legacy_Auth alone.
    QTest::newRow("no authentication in common")
        << "own"
        << "AuthServer = Srp512\n"
        << "data"
        << "Error occurred during login, please check server firebird.log for details"
        << RefusedSave::noAuthenticationInCommon;
    // The client's own encryption is Arc4, which this server does not take.
    QTest::newRow("encryption required, none the server takes")
        << "own"
        << "WireCrypt = Required\nWireCryptPlugin = ChaCha64\n"
        << "data"
        << "Client attempted to attach unencrypted but wire encryption is required"
        << RefusedSave::encryptionRequired;
    QTest::newRow("database of Firebird 4 on a Firebird 3 server")
        << "3" << QString() << "firebird 4 database"
        << "unsupported on-disk structure for file "
        << "O banco tem a estrutura em disco 13.0, do Firebird 4.0, mais nova que a deste "
           "servidor (que abre até a 12.2): abra-o num servidor da versão que o criou.";
    // The Firebird 4 server runs as the packaged service does, as user firebird.
    QTest::newRow("folder closed to the service's user")
        << "4" << QString() << "closed"
        << "I/O error during \"open\" operation for file "
        << "O servidor não conseguiu abrir o arquivo: confira se a pasta é a do disco do "
           "próprio servidor (não uma unidade mapeada nesta máquina) e se o usuário com que "
           "roda o serviço do Firebird pode ler e escrever nela e no arquivo.";
}

void TestSaveReasons::refusedSaveNamesCauseAndRemedy() {
    QFETCH(QString, server);
    QFETCH(QString, settings);
    QFETCH(QString, folder);
    QFETCH(QString, client);
    QFETCH(QString, sentence);
    FirebirdTestServer own;
    if (server == "own") {
        restartOwnServer(settings);
        QString why;
        QVERIFY2(own.requireAt(m_ownRoot, m_ownPort, why), qPrintable(why));
    }
    const FirebirdTestServer& target = server == "own" ? own
                                       : server == "3" ? m_firebird3
                                                       : m_firebird4;
    QString databases = target.dataFolder();
    if (folder == "firebird 4 database") {
        databases = m_firebird3.dataFolder() + "Firebird 4/";
        m_madeFolders << databases;
        QVERIFY(layOut(databases, m_firebird4.dataFolder() + "RUVARQUIVOS.FDB"));
    } else if (folder == "closed") {
        databases = m_firebird4.dataFolder() + "fechada/";
        m_madeFolders << databases;
        QVERIFY(layOut(databases, m_firebird4.dataFolder() + "RUVARQUIVOS.FDB"));
        QVERIFY(QFile::setPermissions(databases,
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
    RefusedSave save;

    save.save(target.clientFolder(), target.port(), databases);

    save.verify(client, sentence);
}

int main(int argc, char* argv[]) {
    GuardedApplication app(argc, argv);
    platform::prepareCharacterHandling();
    TestSaveReasons test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_savereasons.moc"
