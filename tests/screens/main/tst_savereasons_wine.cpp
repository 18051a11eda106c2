// A TCP/IP save of the Windows build refused because of the workstation's own
// client settings: the client library's folder holds a firebird.conf, which the
// Windows client reads, offering only Legacy_Auth or no wire encryption to a
// Firebird 3 server with its defaults (Srp, WireCrypt = Required). The "Motivo:"
// line ends with the sentence that names the cause and the remedy, and nothing is
// written. The client is the stand-in of tests/wine-rig, which takes its root, and
// that root's firebird.conf, from the folder it lies in.
//
// One row per process: the stand-in's Linux client reads its root once, when it
// is first loaded, and Wine loads one copy of a builtin library whatever folder it
// is asked from; CTest runs each row on its own.
#include "FileBytes.h"
#include "RefusedSave.h"
#include "ServerInstallation.h"
#include "funcoes/Platform.h"
#include "ui/GuardedApplication.h"

#include <QDir>
#include <QTest>

namespace {

const QString workstationLibrary = QStringLiteral(WORKSTATION_LIBRARY_FOLDER);
const QString data = QStringLiteral(SERVER_DATA);

} // namespace

class TestSaveReasonsWine : public QObject {
    Q_OBJECT

private slots:
    void clientSettingRefusedByTheServer_data();
    void clientSettingRefusedByTheServer();

private:
    // A workstation's copy of the client in `folder`, with its own firebird.conf.
    void layOutClient(const QString& folder, const QByteArray& settings);

    QString m_clientLoaded;
    ServerInstallation m_server{QStringLiteral(SERVER_ROOT)};
};

void TestSaveReasonsWine::layOutClient(const QString& folder, const QByteArray& settings) {
    QDir(folder).removeRecursively();
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(QFile::copy(workstationLibrary + "fbclient.dll", folder + "fbclient.dll"));
    FileBytes::write(folder + "firebird.conf", settings);
}

void TestSaveReasonsWine::clientSettingRefusedByTheServer_data() {
    QTest::addColumn<QString>("folder");      // of the workstation's client
    QTest::addColumn<QByteArray>("settings"); // its firebird.conf
    QTest::addColumn<QString>("client");      // start of the client's text
    QTest::addColumn<QString>("sentence");

    QTest::newRow("Legacy_Auth only")
        << "C:/RUV/cliente só Legacy_Auth/" << QByteArray("AuthClient = Legacy_Auth\r\n")
        << "Error occurred during login, please check server firebird.log for details"
        << RefusedSave::noAuthenticationInCommon;
    QTest::newRow("no wire encryption")
        << "C:/RUV/cliente sem criptografia/" << QByteArray("WireCrypt = Disabled\r\n")
        << "Incompatible wire encryption levels requested on client and server"
        << RefusedSave::encryptionRequired;
}

void TestSaveReasonsWine::clientSettingRefusedByTheServer() {
    QFETCH(QString, folder);
    QFETCH(QByteArray, settings);
    QFETCH(QString, client);
    QFETCH(QString, sentence);
    if (!std::exchange(m_clientLoaded, folder).isEmpty())
        QFAIL("one row per process: the client stand-in keeps the settings of the first "
              "folder it was loaded from (run a row with its tag, as CTest does)");
    layOutClient(folder, settings);
    const QByteArray conf = m_server.configuration();
    const QStringList commands = m_server.serviceLog();
    RefusedSave save;

    save.save(folder, m_server.port(), data);

    save.verify(client, sentence);
    QCOMPARE(m_server.configuration(), conf);
    QCOMPARE(m_server.serviceLog(), commands);
}

int main(int argc, char* argv[]) {
    GuardedApplication app(argc, argv);
    platform::prepareCharacterHandling();
    TestSaveReasonsWine test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_savereasons_wine.moc"
