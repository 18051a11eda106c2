// The main save and the attachments save against a real Firebird server laid out
// as an installation (fixture "saves_installation"): the saves stop it, move it
// to another port, start it again and prove the settings before writing a byte.
#include "FileBytes.h"
#include "RecordingDialogService.h"
#include "ServerInstallation.h"
#include "Tmpfs.h"
#include "config/ExecutableFolder.h"
#include "config/Windows1252.h"
#include "funcoes/Platform.h"
#include "screens/main/UParvel.h"
#include "ui/GuardedApplication.h"
#include "ui_UParvel.h"

#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

namespace {

// One section of an INI text, from its heading up to the next one.
QByteArray section(const QByteArray& text, const QByteArray& name) {
    const qsizetype start = text.indexOf("[" + name + "]");
    if (start < 0)
        return {};
    const qsizetype end = text.indexOf("\r\n[", start);
    return text.mid(start, end < 0 ? -1 : end + 2 - start);
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
    void truncatedLibraryIsRefused();
    void damagedLibraryLeavesTheServiceAlone_data();
    void damagedLibraryLeavesTheServiceAlone();
    void multiCompanyCopy();
    void failingChecksShowEveryBoxInOrder();
    void readOnlyIniIsLeftAsItWas();
    void diskFullLeavesTheFileAsItWas();
    void attachmentsSave_data();
    void attachmentsSave();

private:
    QString ini() const { return m_exe->path() + "/ruv.ini"; }
    QString dat() const { return m_exe->path() + "/ruv.dat"; }
    void openScreen();
    // Settings of a database on this machine: the installation's data folder,
    // the new port, a shared folder that exists, fields with blanks around them.
    void fillLocal();
    void fillTcpIp();

    QString m_root; // the installation, "…/Firebird_2_5/"
    ServerInstallation m_server{QString()};
    QString m_port;
    QString m_newPort;
    std::unique_ptr<QTemporaryDir> m_exe;
    std::unique_ptr<QTemporaryDir> m_share;
    RecordingDialogService m_recorder;
    std::unique_ptr<TFParvel> m_screen;
};

void TestSaves::initTestCase() {
    m_root = qEnvironmentVariable("PARVEL_SAVES_ROOT") + '/';
    m_server = ServerInstallation(m_root);
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
    ui.edIPNET->setText("127.0.0.1");
    ui.edHTTP->setText("6061");
}

void TestSaves::fillTcpIp() {
    fillLocal();
    Ui::TFParvel& ui = *m_screen->ui;
    ui.rTCPIP->setChecked(true);
    ui.edIPBanco->setText("127.0.0.1");
    ui.edIPTABDEF->setText("127.0.0.1");
}

void TestSaves::firstLocalSaveMovesTheServerAndCreatesTheFile() {
    QVERIFY(ServerInstallation::listens(m_port));
    openScreen();
    fillLocal();
    const int before = m_server.serviceLog().size();
    QElapsedTimer click;
    click.start();

    // The first press: the server stops (slowly, as a service does), moves, starts,
    // and only then does the tester run.
    QTest::mouseClick(m_screen->ui->BitSalvar, Qt::LeftButton);

    qInfo("local save, click to written file: %lld ms", click.elapsed());
    QCOMPARE(m_recorder.texts("modal").size(), 1);
    QCOMPARE(m_server.serviceLog().mid(before), (QStringList{"stop 0", "start 0"}));
    QVERIFY(m_server.configuration().contains("RemoteServicePort = " + m_newPort.toUtf8()));
    QVERIFY(ServerInstallation::listens(m_newPort));
    QVERIFY(!ServerInstallation::listens(m_port));
    const QString log = m_screen->ui->Memo5->toPlainText();
    const QString data = m_root + "data/";
    QCOMPARE(log.split('\n').mid(0, 4),
             (QStringList{"Aguarde... Parando o serviço do Firebird...",
                          "O arquivo \"" + m_root +
                              "firebird.conf\" agora tem a linha "
                              "\"RemoteServicePort = " +
                              m_newPort + "\".",
                          "Aguarde... Iniciando o serviço do Firebird...",
                          "Aguarde... Verificando Usuário..."}));
    QVERIFY2(log.contains("Conectado em LocalHost/" + m_newPort + ':' + data +
                          "SGB_DADOS/RUVDADOS.FDB Tempo: "),
             qPrintable(log));
    QVERIFY(log.contains("Conectado em LocalHost/" + m_newPort + ':' + data +
                         "TABDEF/TABDEF.FDB Tempo:"));
    QVERIFY(log.endsWith("\n\nCONEXÃO ESTABELECIDA COM SUCESSO."));
    QVERIFY(!m_screen->ui->BitSalvar->isEnabled());

    const QString share = m_share->path() + '/';
    const QString dll = m_root + "bin/";
    QCOMPARE(Windows1252::decode(FileBytes::read(ini())),
             Windows1252::decode(FileBytes::iniText({"[RUV]",
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
                                                     "IPNET=127.0.0.1",
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

// Also run on its own as an ordinary user (tst_saves_as_user), from a folder that
// user owns: the server is then on whichever port its firebird.conf holds.
void TestSaves::tcpIpSaveLeavesTheServiceAlone() {
    openScreen();
    fillTcpIp();
    const QString port = m_server.port();
    m_screen->ui->edPorta->setText(port);
    const QStringList commands = m_server.serviceLog();
    const QByteArray conf = m_server.configuration();
    QElapsedTimer click;
    click.start();

    QTest::mouseClick(m_screen->ui->BitSalvar, Qt::LeftButton);

    // The tester's one-second start delay plus the server's work.
    qInfo("click to written file: %lld ms", click.elapsed());
    QVERIFY(QFile::exists(ini()));

    QVERIFY(m_screen->ui->Memo5->toPlainText().contains("Conectado em 127.0.0.1/" + port + ':' +
                                                        m_root + "data/SGB_DADOS/RUVDADOS.FDB"));
    QVERIFY(m_screen->ui->Memo5->toPlainText().endsWith("CONEXÃO ESTABELECIDA COM SUCESSO."));
    // A service command started and not waited for would reach the log once it had
    // run: after the tool's one-second stop notice and the server's shutdown.
    const auto commandLogged = [&] { return m_server.serviceLog() != commands; };
    QVERIFY2(!QTest::qWaitFor(commandLogged, 5000), qPrintable(m_server.serviceLog().join(", ")));
    QCOMPARE(m_server.configuration(), conf);
    QVERIFY(
        FileBytes::read(ini()).contains("\r\nServidor=127.0.0.1\r\nServidorTabDef=127.0.0.1\r\n"));
}

// The copy goes before the test when the option is off, and stays gone.
void TestSaves::failedConnectionWritesNothing() {
    const QByteArray stored =
        FileBytes::iniText({"[RUV]", "Servidor=127.0.0.1", "PORTACON=" + m_newPort});
    FileBytes::write(ini(), stored);
    FileBytes::write(dat(), "[RUV]\r\n");
    openScreen();
    fillTcpIp();
    m_screen->ui->chRenome->click(); // the copy's presence turned the option on
    m_screen->ui->edPastaLocalBD->setText(m_share->path() + '/'); // holds no SGB_DADOS

    QTest::mouseClick(m_screen->ui->BitSalvar, Qt::LeftButton);

    QStringList log = m_screen->ui->Memo5->toPlainText().split('\n');
    const QString reason = log.takeAt(log.size() - 3);
    QVERIFY2(reason.startsWith("Motivo: I/O error") &&
                 reason.contains(" - O servidor não conseguiu abrir o arquivo: "),
             qPrintable(reason));
    QCOMPARE(log.mid(log.size() - 4),
             (QStringList{"Conexão Falhou.",
                          "Não conseguiu conectar em 127.0.0.1/" + m_newPort + ':' +
                              m_share->path() + "/SGB_DADOS/RUVDADOS.FDB",
                          "", "CONEXÃO FALHOU."}));
    QCOMPARE(FileBytes::read(ini()), stored);
    QVERIFY(!QFile::exists(dat()));
    QVERIFY(m_screen->ui->BitSalvar->isEnabled());
}

// An interrupted copy of the client library used to kill the program inside the
// loader; now the test fails, naming the file, and the program goes on.
void TestSaves::truncatedLibraryIsRefused() {
    const QByteArray stored =
        FileBytes::iniText({"[RUV]", "Servidor=127.0.0.1", "PORTACON=" + m_newPort});
    FileBytes::write(ini(), stored);
    openScreen();
    fillTcpIp();
    const QString folder = m_share->path() + "/bin/";
    QVERIFY(QDir().mkpath(folder));
    FileBytes::write(folder + "fbclient.dll",
                     FileBytes::read(m_root + "bin/libfbclient.so.2").left(700 * 1024));
    m_screen->ui->edDllCon->setText(folder);

    QTest::mouseClick(m_screen->ui->BitSalvar, Qt::LeftButton);

    QStringList log = m_screen->ui->Memo5->toPlainText().split('\n');
    const QString reason = log.takeAt(log.size() - 3);
    QVERIFY2(reason.startsWith("Motivo: A biblioteca de conexão \"" + folder +
                               "fbclient.dll\" não pode ser carregada: o arquivo está incompleto"),
             qPrintable(reason));
    QCOMPARE(log.mid(log.size() - 3),
             (QStringList{"Aguarde... Verificando Usuário...", "", "CONEXÃO FALHOU."}));
    QCOMPARE(FileBytes::read(ini()), stored);
    QVERIFY(m_screen->ui->BitSalvar->isEnabled());
}

void TestSaves::damagedLibraryLeavesTheServiceAlone_data() {
    QTest::addColumn<QByteArray>("library");
    QTest::addColumn<QString>("reason");
    QTest::newRow("constructor raises SIGSEGV")
        << FileBytes::read(CRASHING_LIBRARY)
        << "a biblioteca está danificada (a carga de prova terminou com o sinal SIGSEGV).";
    // The real library's header and segment table, random bytes after them.
    QByteArray random = FileBytes::read(m_root + "bin/libfbclient.so.2");
    QRandomGenerator generator(7);
    for (qsizetype i = 4096; i < random.size(); ++i)
        random[i] = char(generator.bounded(256));
    QTest::newRow("random bytes after a real header") << random << "a biblioteca está danificada (";
}

// A Local save with a client library that would have crashed the program: the
// program goes on, the tester says why, and the server keeps its port and runs.
void TestSaves::damagedLibraryLeavesTheServiceAlone() {
    QFETCH(QByteArray, library);
    QFETCH(QString, reason);
    const QByteArray stored = FileBytes::iniText({"[RUV]", "PORTACON=" + m_port});
    FileBytes::write(ini(), stored);
    const QString port = m_server.port();
    const QString file = m_root + "bin/fbclient.dll";
    FileBytes::write(file, library);
    const auto removeLibrary = qScopeGuard([file] { QFile::remove(file); });
    const QStringList commands = m_server.serviceLog();
    const QByteArray conf = m_server.configuration();
    openScreen();
    fillLocal();

    QTest::mouseClick(m_screen->ui->BitSalvar, Qt::LeftButton);

    const QStringList log = m_screen->ui->Memo5->toPlainText().split('\n');
    qInfo("message log: %s", qPrintable(log.join(" | ")));
    QCOMPARE(log.size(), 5);
    QCOMPARE(log[0], QString("A biblioteca de conexão não pode ser carregada: o serviço do "
                             "Firebird não foi parado."));
    QCOMPARE(log[1], QString("Aguarde... Verificando Usuário..."));
    const QString motivo =
        "Motivo: A biblioteca de conexão \"" + file + "\" não pode ser carregada: " + reason;
    QVERIFY2(log[2].startsWith(motivo), qPrintable(log[2]));
    QCOMPARE(log.mid(3), (QStringList{"", "CONEXÃO FALHOU."}));
    QCOMPARE(m_server.serviceLog(), commands);
    QCOMPARE(m_server.configuration(), conf);
    QCOMPARE(FileBytes::read(ini()), stored);
    QVERIFY(m_screen->ui->BitSalvar->isEnabled());
    QVERIFY(ServerInstallation::listens(port));
}

// No "DSLOCAL" and "Diretorio_Servidor" before "Caminho_Cidades"; the cities
// folder gets the Linux server's separator on the screen and in both files.
void TestSaves::multiCompanyCopy() {
    QVERIFY(QDir(m_share->path()).mkdir("cidades"));
    openScreen();
    fillTcpIp();
    m_screen->ui->chRenome->click();
    const QString cidades = m_share->path() + "/cidades";
    m_screen->ui->edPastaCidades->setText(cidades);

    QTest::mouseClick(m_screen->ui->BitSalvar, Qt::LeftButton);

    QCOMPARE(m_screen->ui->edPastaCidades->text(), cidades + '/');
    const QString share = m_share->path() + '/';
    const QString data = m_root + "data/";
    QCOMPARE(
        Windows1252::decode(FileBytes::read(dat())),
        Windows1252::decode(FileBytes::iniText(
            {"[RUV]", "Servidor=127.0.0.1", "ServidorTabDef=127.0.0.1", "SO_Servidor=LINUX",
             "SO_ServidorTabDef=LINUX", "Caminho_Base_Dados=" + data, "Caminho_TabDef=" + data,
             "Diretorio_Servidor=" + share, "Caminho_Cidades=" + cidades + '/',
             "CaminhoDLLCON=" + m_root + "bin/", "DLLCON=fbclient.dll", "PORTACON=" + m_newPort,
             "IPDS= 192.168.0.20 ", "PORTADS=3063 ", "IPNET=127.0.0.1", "PORTADSHTTP=6061",
             "HAB_INTEGRA_CONTINTERNO=N", "CAMINHO_INTEGRA_CONTINTERNO="})));
    QVERIFY(FileBytes::read(ini()).contains("Caminho_Cidades=" + cidades.toUtf8() +
                                            "/\r\nDiretorio_Servidor="));
}

void TestSaves::failingChecksShowEveryBoxInOrder() {
    openScreen();
    fillTcpIp();
    Ui::TFParvel& ui = *m_screen->ui;
    ui.edIPBanco->clear();
    ui.LSTS3->setText("falhou");
    ui.edPastaLocalBD->setText("  ");
    // Leaving the internet address field pings it; that window is not under test.
    m_recorder.onModal = [](QDialog&) { return 2; };

    QTest::mouseClick(ui.BitSalvar, Qt::LeftButton);

    QCOMPARE(m_recorder.texts("warning"),
             (QStringList{"Ip ou Host do Servidor precisa ser informado!",
                          "Impossível Continuar, o teste de Conexão com o Servidor Falhou.\rAcione "
                          "seu Suporte de Rede para verificar o problema e tente novamente.",
                          "Informe a Pasta Local do Banco de Dados no Servidor!"}));
    QCOMPARE(m_screen->focusWidget(), ui.edPastaLocalBD);
    QVERIFY(!m_recorder.texts("modal").contains("TFConecta"));
    QVERIFY(!QFile::exists(ini()));
}

// The store refuses the first write; the guard of uncaught errors shows it.
void TestSaves::readOnlyIniIsLeftAsItWas() {
    Tmpfs disk(m_exe->path());
    QVERIFY(disk.mounted());
    const QByteArray stored = FileBytes::iniText({"[RUV]", "Servidor=antigo"});
    FileBytes::write(ini(), stored);
    QVERIFY(disk.remountReadOnly());
    openScreen();
    fillTcpIp();

    QTest::mouseClick(m_screen->ui->BitSalvar, Qt::LeftButton);

    QVERIFY(m_screen->ui->Memo5->toPlainText().endsWith("CONEXÃO ESTABELECIDA COM SUCESSO."));
    QCOMPARE(m_recorder.texts("error"), QStringList{"Não foi possível gravar o arquivo \"" + ini() +
                                                    "\": o disco está somente para leitura."});
    QCOMPARE(FileBytes::read(ini()), stored);
    QVERIFY(m_screen->ui->BitSalvar->isEnabled());
}

// One page of the disk is left free: the file with the keys up to "PORTACON"
// would fit in it, but "IPDS" brings a long value. The save writes all its keys
// at once, so the file stays as it was.
void TestSaves::diskFullLeavesTheFileAsItWas() {
    QVERIFY(QDir(m_share->path()).mkdir("CIDADES"));
    Tmpfs disk(m_exe->path());
    QVERIFY(disk.mounted());
    const QByteArray stored = FileBytes::iniText({"[RUV]", "Servidor=antigo"});
    FileBytes::write(ini(), stored);
    FileBytes::write(dat(), stored);
    const QString reserve = m_exe->path() + "/reserve";
    FileBytes::write(reserve, QByteArray(4096, 'r'));
    disk.fill();
    QVERIFY(QFile::remove(reserve));
    openScreen();
    fillTcpIp();
    QVERIFY(m_screen->ui->chRenome->isChecked());
    m_screen->ui->edPastaCidades->setText(m_share->path() + "/CIDADES/");
    m_screen->ui->edIPNtier->setText(QString(4000, 'n'));

    QTest::mouseClick(m_screen->ui->BitSalvar, Qt::LeftButton);

    QCOMPARE(m_recorder.texts("error"), QStringList{"Não foi possível gravar o arquivo \"" + ini() +
                                                    "\": não há espaço livre no disco."});
    QCOMPARE(FileBytes::read(ini()), stored);
    QCOMPARE(FileBytes::read(dat()), stored);
    QVERIFY(m_screen->ui->BitSalvar->isEnabled());
}

void TestSaves::attachmentsSave_data() {
    QTest::addColumn<bool>("multiCompany");
    QTest::addColumn<bool>("local");
    QTest::newRow("multi-company") << true << false;
    QTest::newRow("single company") << false << false;
    QTest::newRow("local, service restarted") << false << true;
}

// Section "RUV_ANEXO" in its order, the copy written only with the option on and
// never deleted, and a main save afterwards leaving the section as it was. A local
// save restarts the server on the port field's value before the tester opens the
// database.
void TestSaves::attachmentsSave() {
    QFETCH(bool, multiCompany);
    QFETCH(bool, local);
    const QByteArray emptyCopy = "[RUV]\r\n";
    FileBytes::write(dat(), emptyCopy);
    QVERIFY(QDir(m_share->path()).mkdir("CIDADES"));
    openScreen();
    Ui::TFParvel& ui = *m_screen->ui;
    ui.PGD->setCurrentWidget(ui.tbAnexos);
    local ? fillLocal() : fillTcpIp();
    const int before = m_server.serviceLog().size();
    if (!multiCompany)
        ui.chRenome->click();
    const QString cidades = m_share->path() + "/CIDADES/";
    ui.edPastaCidades->setText(cidades);
    ui.edtCaminhoANX->setText(m_root + "data/");
    ui.Memo5->setPlainText("linha de antes");

    QTest::mouseClick(ui.btnSalvarANX, Qt::LeftButton);

    QCOMPARE(ui.Memo5->toPlainText().split('\n').first(),
             QString("Aguarde... Verificando Usuário..."));
    QVERIFY2(ui.Memo5->toPlainText().endsWith("\n\nCONEXÃO ESTABELECIDA COM SUCESSO."),
             qPrintable(ui.Memo5->toPlainText()));
    if (local) {
        QCOMPARE(m_server.serviceLog().mid(before), (QStringList{"stop 0", "start 0"}));
        // Through the service manager and the database on the port just written.
        QVERIFY2(ui.Memo5->toPlainText().contains("Conectado em LocalHost/" + m_newPort + ':' +
                                                  m_root + "data/"),
                 qPrintable(ui.Memo5->toPlainText()));
    }
    QStringList anexo{"[RUV_ANEXO]",
                      local ? "Servidor=" : "Servidor=127.0.0.1",
                      "SO_Servidor=LINUX",
                      "Caminho_Base_Dados=" + m_root + "data/",
                      "Diretorio_Servidor=" + m_share->path() + '/',
                      "CaminhoDLLCON=" + m_root + "bin/",
                      "Caminho_Cidades=" + cidades,
                      "DLLCON=fbclient.dll",
                      "PORTACON_ANX=" + m_newPort,
                      "IPDS_ANX= 192.168.0.20 ",
                      "PORTADS_ANX=3063 ",
                      "IPNET_ANX=127.0.0.1",
                      "PORTADSHTTP_ANX=6061"};
    QCOMPARE(Windows1252::decode(FileBytes::read(ini())),
             Windows1252::decode(FileBytes::iniText(anexo + QStringList{"DSLOCAL_ANX=N"})));
    QCOMPARE(FileBytes::read(dat()),
             multiCompany ? emptyCopy + FileBytes::iniText(anexo) : emptyCopy);
    QVERIFY(ui.BitSalvar->isEnabled());

    const QByteArray section = ::section(FileBytes::read(ini()), "RUV_ANEXO");
    ui.PGD->setCurrentWidget(ui.tbDirBco);
    fillTcpIp();
    QTest::mouseClick(ui.BitSalvar, Qt::LeftButton);
    QVERIFY(!ui.BitSalvar->isEnabled());
    QVERIFY(FileBytes::read(ini()).contains("\r\n[RUV]\r\nServidor=127.0.0.1\r\n"));
    QCOMPARE(::section(FileBytes::read(ini()), "RUV_ANEXO"), section);
}

int main(int argc, char* argv[]) {
    GuardedApplication app(argc, argv);
    platform::prepareCharacterHandling();
    TestSaves test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_saves.moc"
