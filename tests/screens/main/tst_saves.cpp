// The main save and the attachments save against a real Firebird server laid out
// as an installation (fixture "saves_installation"): the saves stop it, move it
// to another port, start it again and prove the settings before writing a byte.
#include "RecordingDialogService.h"
#include "Tmpfs.h"
#include "config/ExecutableFolder.h"
#include "screens/main/UParvel.h"
#include "ui/GuardedApplication.h"
#include "ui_UParvel.h"

#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

bool listens(const QString& port) {
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", port.toUShort());
    return socket.waitForConnected(2000);
}

// The service commands carried out so far, one "command status" a line.
QStringList serviceLog(const QString& root) {
    return QString::fromUtf8(readAll(root + "bin/instsvc.log")).split('\n', Qt::SkipEmptyParts);
}

// An INI text with CR LF line ends, written as lines.
QByteArray iniText(const QStringList& lines) {
    return (lines.join("\r\n") + "\r\n").toUtf8();
}

} // namespace

class TestSaves : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstLocalSaveMovesTheServerAndCreatesTheFile();
    void tcpIpSaveLeavesTheServiceAlone();
    void failedConnectionWritesNothing();

private:
    QString ini() const { return m_exe->path() + "/ruv.ini"; }
    QString dat() const { return m_exe->path() + "/ruv.dat"; }
    void openScreen();
    // Settings of a database on this machine: the installation's data folder,
    // the new port, a shared folder that exists, fields with blanks around them.
    void fillLocal();
    void fillTcpIp();
    // Runs the tester only once the service commands issued so far are done: the
    // save does not wait for them, and the restart of this server takes longer
    // than the tester's one-second start delay.
    void waitForServiceBeforeTesting(int commands);

    QString m_root; // the installation, "…/Firebird_2_5/"
    QString m_port;
    QString m_newPort;
    std::unique_ptr<QTemporaryDir> m_exe;
    std::unique_ptr<QTemporaryDir> m_share;
    RecordingDialogService m_recorder;
    std::unique_ptr<TFParvel> m_screen;
};

void TestSaves::initTestCase() {
    m_root = qEnvironmentVariable("PARVEL_SAVES_ROOT") + '/';
    m_port = qEnvironmentVariable("PARVEL_SAVES_PORT");
    m_newPort = qEnvironmentVariable("PARVEL_SAVES_NEW_PORT");
    QVERIFY2(!m_port.isEmpty(), "run through ctest: the fixture saves_installation lays out "
                                "the server");
    QVERIFY2(QFile::exists(m_root + "bin/instsvc.exe"), qPrintable("no installation in " + m_root));
}

void TestSaves::init() {
    m_exe = std::make_unique<QTemporaryDir>();
    m_share = std::make_unique<QTemporaryDir>();
    QVERIFY(m_exe->isValid() && m_share->isValid());
    ExecutableFolder::setForTesting(m_exe->path() + '/');
    m_recorder.clear();
    m_recorder.onModal = nullptr;
    setDialogs(&m_recorder);
}

void TestSaves::cleanup() {
    m_screen.reset();
    setDialogs(nullptr);
    ExecutableFolder::clearForTesting();
}

void TestSaves::openScreen() {
    m_screen = std::make_unique<TFParvel>();
    m_screen->show();
    QVERIFY(QTest::qWaitForWindowActive(m_screen.get()));
}

void TestSaves::fillLocal() {
    Ui::TFParvel& ui = *m_screen->ui;
    ui.PGD->setCurrentWidget(ui.tbDirBco);
    ui.rLocal->setChecked(true);
    ui.rbLinuxBD->setChecked(true);
    ui.rbLinuxTABDEF->setChecked(true);
    ui.edDllCon->setText(m_root + "bin/");
    ui.edPorta->setText(m_newPort);
    ui.edPastaLocalBD->setText(m_root + "data/");
    ui.edPastaLocalTABDEF->setText(m_root + "data/");
    ui.edPastaRede->setText(m_share->path() + '/');
    ui.edIPNtier->setText(" 192.168.0.20 ");
    ui.edNTier->setText("3063 ");
    ui.edIPNET->setText("  200.10.1.1");
    ui.edHTTP->setText("6061");
}

void TestSaves::fillTcpIp() {
    fillLocal();
    Ui::TFParvel& ui = *m_screen->ui;
    ui.rTCPIP->setChecked(true);
    ui.edIPBanco->setText("127.0.0.1");
    ui.edIPTABDEF->setText("127.0.0.1");
}

void TestSaves::waitForServiceBeforeTesting(int commands) {
    const QString root = m_root;
    m_recorder.onModal = [root, commands](QDialog& window) {
        QElapsedTimer waited;
        waited.start();
        while (serviceLog(root).size() < commands && waited.elapsed() < 60000)
            QTest::qWait(50);
        return window.exec();
    };
}

void TestSaves::firstLocalSaveMovesTheServerAndCreatesTheFile() {
    QVERIFY(listens(m_port));
    openScreen();
    fillLocal();
    const int before = serviceLog(m_root).size();
    waitForServiceBeforeTesting(before + 2);

    QTest::mouseClick(m_screen->ui->BitSalvar, Qt::LeftButton);

    QCOMPARE(m_recorder.texts("modal").size(), 1);
    QCOMPARE(serviceLog(m_root).mid(before), (QStringList{"stop 0", "start 0"}));
    QVERIFY(
        readAll(m_root + "firebird.conf").contains("RemoteServicePort = " + m_newPort.toUtf8()));
    QVERIFY(listens(m_newPort));
    QVERIFY(!listens(m_port));
    const QString log = m_screen->ui->Memo5->toPlainText();
    const QString data = m_root + "data/";
    QCOMPARE(log.split('\n').first(), QString("Aguarde... Verificando Usuário..."));
    QVERIFY2(log.contains("Conectado em LocalHost/" + m_newPort + ':' + data +
                          "SGB_DADOS/RUVDADOS.FDB Tempo: "),
             qPrintable(log));
    QVERIFY(log.contains("Conectado em LocalHost/" + m_newPort + ':' + data +
                         "TABDEF/TABDEF.FDB Tempo:"));
    QVERIFY(log.endsWith("\n\nCONEXÃO ESTABELECIDA COM SUCESSO."));
    QVERIFY(!m_screen->ui->BitSalvar->isEnabled());

    const QString share = m_share->path() + '/';
    const QString dll = m_root + "bin/";
    QCOMPARE(QString::fromUtf8(readAll(ini())),
             QString::fromUtf8(iniText({"[RUV]",
                                        "Servidor=",
                                        "ServidorTabDef=",
                                        "SO_Servidor=LINUX",
                                        "SO_ServidorTabDef=LINUX",
                                        "Caminho_Base_Dados=" + data,
                                        "Caminho_TabDef=" + data,
                                        "Caminho_Cidades=",
                                        "Diretorio_Servidor=" + share,
                                        "CaminhoDLLCON=" + dll,
                                        "DLLCON=fbclient.dll",
                                        "PORTACON=" + m_newPort,
                                        "IPDS= 192.168.0.20 ",
                                        "PORTADS=3063 ",
                                        "IPNET=  200.10.1.1",
                                        "PORTADSHTTP=6061",
                                        "DSLOCAL=N",
                                        "HAB_INTEGRA_CONTINTERNO=N",
                                        "CAMINHO_INTEGRA_CONTINTERNO=",
                                        "[PUX]",
                                        "Servidor=",
                                        "SO_Servidor=",
                                        "Caminho_Base_Dados=",
                                        "Diretorio_Servidor="})));
    QVERIFY(!QFile::exists(dat()));
}

void TestSaves::tcpIpSaveLeavesTheServiceAlone() {
    openScreen();
    fillTcpIp();
    const QStringList commands = serviceLog(m_root);
    const QByteArray conf = readAll(m_root + "firebird.conf");

    QTest::mouseClick(m_screen->ui->BitSalvar, Qt::LeftButton);

    QVERIFY(m_screen->ui->Memo5->toPlainText().contains(
        "Conectado em 127.0.0.1/" + m_newPort + ':' + m_root + "data/SGB_DADOS/RUVDADOS.FDB"));
    QVERIFY(m_screen->ui->Memo5->toPlainText().endsWith("CONEXÃO ESTABELECIDA COM SUCESSO."));
    QTest::qWait(500); // a service command would have reached the log by now
    QCOMPARE(serviceLog(m_root), commands);
    QCOMPARE(readAll(m_root + "firebird.conf"), conf);
    QVERIFY(readAll(ini()).contains("\r\nServidor=127.0.0.1\r\nServidorTabDef=127.0.0.1\r\n"));
}

// The copy goes before the test when the option is off, and stays gone.
void TestSaves::failedConnectionWritesNothing() {
    const QByteArray stored = iniText({"[RUV]", "Servidor=127.0.0.1", "PORTACON=" + m_newPort});
    writeAll(ini(), stored);
    writeAll(dat(), "[RUV]\r\n");
    openScreen();
    fillTcpIp();
    m_screen->ui->chRenome->click(); // the copy's presence turned the option on
    m_screen->ui->edPastaLocalBD->setText(m_share->path() + '/'); // holds no SGB_DADOS

    QTest::mouseClick(m_screen->ui->BitSalvar, Qt::LeftButton);

    const QStringList log = m_screen->ui->Memo5->toPlainText().split('\n');
    QCOMPARE(log.mid(log.size() - 4),
             (QStringList{"Conexão Falhou.",
                          "Não conseguiu conectar em 127.0.0.1/" + m_newPort + ':' +
                              m_share->path() + "/SGB_DADOS/RUVDADOS.FDB",
                          "", "CONEXÃO FALHOU."}));
    QCOMPARE(readAll(ini()), stored);
    QVERIFY(!QFile::exists(dat()));
    QVERIFY(m_screen->ui->BitSalvar->isEnabled());
}

int main(int argc, char* argv[]) {
    GuardedApplication app(argc, argv);
    TestSaves test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_saves.moc"
