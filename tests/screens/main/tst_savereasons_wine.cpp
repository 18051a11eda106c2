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
#include "RecordingDialogService.h"
#include "RefusedSave.h"
#include "ServerInstallation.h"
#include "config/ExecutableFolder.h"
#include "config/Windows1252.h"
#include "funcoes/Platform.h"
#include "screens/main/UParvel.h"
#include "ui/GuardedApplication.h"
#include "ui_UParvel.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString workstationLibrary = QStringLiteral(WORKSTATION_LIBRARY_FOLDER);
const QString data = QStringLiteral(SERVER_DATA);

} // namespace

class TestSaveReasonsWine : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void clientSettingRefusedByTheServer_data();
    void clientSettingRefusedByTheServer();

private:
    // A workstation's copy of the client in `folder`, with its own firebird.conf.
    void layOutClient(const QString& folder, const QByteArray& settings);
    void fillTcpIp(const QString& library, const QString& port);

    QString m_clientLoaded;
    ServerInstallation m_server{QStringLiteral(SERVER_ROOT)};
    std::unique_ptr<QTemporaryDir> m_exe;
    RecordingDialogService m_recorder;
    std::unique_ptr<TFParvel> m_screen;
};

void TestSaveReasonsWine::init() {
    m_exe = std::make_unique<QTemporaryDir>();
    QVERIFY(m_exe->isValid());
    ExecutableFolder::setForTesting(m_exe->path() + '/');
    m_recorder.clear();
    setDialogs(&m_recorder);
}

void TestSaveReasonsWine::cleanup() {
    m_screen.reset();
    setDialogs(nullptr);
    ExecutableFolder::clearForTesting();
}

void TestSaveReasonsWine::layOutClient(const QString& folder, const QByteArray& settings) {
    QDir(folder).removeRecursively();
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(QFile::copy(workstationLibrary + "fbclient.dll", folder + "fbclient.dll"));
    FileBytes::write(folder + "firebird.conf", settings);
}

void TestSaveReasonsWine::fillTcpIp(const QString& library, const QString& port) {
    Ui::TFParvel& ui = *m_screen->ui;
    ui.rTCPIP->setChecked(true);
    ui.rbLinuxBD->setChecked(true);
    ui.rbLinuxTABDEF->setChecked(true);
    ui.edIPBanco->setText("127.0.0.1");
    ui.edIPTABDEF->setText("127.0.0.1");
    ui.edDllCon->setText(QDir::toNativeSeparators(library));
    ui.edPorta->setText(port);
    ui.edPastaLocalBD->setText(data);
    ui.edPastaLocalTABDEF->setText(data);
    ui.edPastaRede->setText(QDir::toNativeSeparators(m_exe->path() + '/'));
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
    const QByteArray stored = Windows1252::encode(QStringLiteral("[RUV]\r\nServidor=10.0.0.9\r\n"));
    const QString ini = m_exe->path() + "/ruv.ini";
    FileBytes::write(ini, stored);
    const QByteArray conf = m_server.configuration();
    const QStringList commands = m_server.serviceLog();
    m_screen = std::make_unique<TFParvel>();
    m_screen->show();
    QVERIFY(QTest::qWaitForWindowActive(m_screen.get()));
    fillTcpIp(folder, m_server.port());

    QTest::mouseClick(m_screen->ui->BitSalvar, Qt::LeftButton);

    RefusedSave::verifyLog(m_screen->ui->Memo5->toPlainText(), client, sentence);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(FileBytes::read(ini), stored);
    QVERIFY(!QFile::exists(m_exe->path() + "/ruv.dat"));
    QCOMPARE(m_server.configuration(), conf);
    QCOMPARE(m_server.serviceLog(), commands);
    QVERIFY(m_screen->ui->BitSalvar->isEnabled());
}

int main(int argc, char* argv[]) {
    GuardedApplication app(argc, argv);
    platform::prepareCharacterHandling();
    TestSaveReasonsWine test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_savereasons_wine.moc"
