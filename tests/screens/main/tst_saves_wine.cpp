// The saves of the Windows build under Wine, through the program's real window
// driven by the keys, against a private Firebird server reached through the
// stand-ins of tests/wine-rig: "fbclient.dll" forwarding to the machine's Linux
// client and "instsvc.exe" stopping and starting that server (fixture
// wine_saves_installation). The program lies in a folder with an accent and a
// space; the files it writes are compared to the byte.
#include "FileBytes.h"
#include "RecordingDialogService.h"
#include "ServerInstallation.h"
#include "config/ExecutableFolder.h"
#include "funcoes/Platform.h"
#include "screens/main/UParvel.h"
#include "ui/GuardedApplication.h"
#include "ui_UParvel.h"

#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTabBar>
#include <QTest>
#include <QTextBlock>

namespace {

const QString programFolder = QStringLiteral("C:\\Quorvane\\Ação do RUV\\");
const QString workstationLibrary = QDir::toNativeSeparators(WORKSTATION_LIBRARY_FOLDER);
// The installation's folder as the program is shown it, and its databases as the
// server, which runs on Linux, names them.
const QString serverRoot = QDir::toNativeSeparators(SAVES_ROOT);
const QString serverLibrary = serverRoot + QStringLiteral("bin\\");
const QString data = QStringLiteral(SAVES_DATA);
const QStringList ports = QStringLiteral(SAVES_PORTS).split(u' ');

const QString succeeded = QStringLiteral("CONEXÃO ESTABELECIDA COM SUCESSO.");
const QString failed = QStringLiteral("CONEXÃO FALHOU.");

// Section "RUV" and "PUX" of a main save from the keys typed by these tests:
// both databases in the installation's data folder on a Linux server, the
// program's folder as the shared one, the other fields as a new screen has them.
QStringList mainSections(const QString& server, const QString& library, const QString& libraryName,
                         const QString& port) {
    return {"[RUV]",
            "Servidor=" + server,
            "ServidorTabDef=" + server,
            "SO_Servidor=LINUX",
            "SO_ServidorTabDef=LINUX",
            "Caminho_Base_Dados=" + data,
            "Caminho_TabDef=" + data,
            "Caminho_Cidades=",
            "Diretorio_Servidor=" + programFolder,
            "CaminhoDLLCON=" + library,
            "DLLCON=" + libraryName,
            "PORTACON=" + port,
            "IPDS=",
            "PORTADS=3063",
            "IPNET=",
            "PORTADSHTTP=6061",
            "DSLOCAL=N",
            "HAB_INTEGRA_CONTINTERNO=N",
            "CAMINHO_INTEGRA_CONTINTERNO=",
            "[PUX]",
            "Servidor=",
            "SO_Servidor=",
            "Caminho_Base_Dados=",
            "Diretorio_Servidor="};
}

} // namespace

class TestSavesWine : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void tcpIpSaveWritesTheFileByteForByte();
    void failedTestWritesNothing();
    void heldFileIsWaitedFor_data();
    void heldFileIsWaitedFor();
    void attachmentsSaveWritesItsSection();
    void libraryOfTheOtherArchitectureLeavesTheServiceAlone();
    void localSaveMovesTheServer();

private:
    QString ini() const { return programFolder + "ruv.ini"; }
    Ui::TFParvel& ui() const { return *m_screen->ui; }
    void openScreen();
    // The operator's ways in: a click on a page's tab, on a radio button, in a
    // field whose text is then selected whole and typed over.
    void clickTab(QWidget* page);
    void clickRadio(QAbstractButton* radio);
    void type(QLineEdit* field, const QString& text);
    // Both pages of folders; the address last, since a change of page reloads it
    // from the file.
    void typeFolders(const QString& database);
    void typeTcpIp(const QString& port);
    void typeLocal(const QString& port);
    // A key that starts a save; returns once the save has ended. Alt+C clicks
    // "Concluir" a moment later, from the event loop, and the save runs from there.
    void press(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers);
    void pressConcluir() { press(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier); }
    bool saveEnded() const;
    // The boxes the operator saw, in order.
    QStringList boxes() const;
    QString logText() const { return ui().Memo5->toPlainText(); }
    QStringList log() const { return logText().split(u'\n'); }

    ServerInstallation m_server{QStringLiteral(SAVES_ROOT)};
    RecordingDialogService m_recorder;
    std::unique_ptr<TFParvel> m_screen;
    // From the key to each step of the last save, for where the time goes.
    QElapsedTimer m_clock;
    qint64 m_pressedAt = 0;
    QStringList m_steps;
    QString m_lastLine;
};

void TestSavesWine::initTestCase() {
    QVERIFY2(QFile::exists(serverLibrary + "instsvc.exe"),
             qPrintable("no installation in " + serverRoot));
    QVERIFY2(QFile::exists(workstationLibrary + "fbclient.dll"), qPrintable(workstationLibrary));
    QVERIFY(QDir().mkpath(programFolder));
}

void TestSavesWine::init() {
    for (const char* name : {"ruv.ini", "ruv.dat"})
        QFile::remove(programFolder + name);
    ExecutableFolder::setForTesting(programFolder);
    m_recorder.clear();
    m_steps.clear();
    m_lastLine.clear();
    // The tester as the program shows it, its opening and closing noted.
    m_recorder.onModal = [this](QDialog& window) {
        m_steps << QStringLiteral("tester shown %1").arg(m_clock.elapsed());
        const int result = window.exec();
        m_steps << QStringLiteral("closed %1").arg(m_clock.elapsed());
        return result;
    };
    setDialogs(&m_recorder);
}

void TestSavesWine::cleanup() {
    m_screen.reset();
    setDialogs(nullptr);
    ExecutableFolder::clearForTesting();
}

void TestSavesWine::openScreen() {
    m_screen = std::make_unique<TFParvel>();
    m_screen->show();
    QVERIFY(QTest::qWaitForWindowActive(m_screen.get()));
    // Each line of the log, when it comes, by its first words.
    connect(ui().Memo5, &QPlainTextEdit::textChanged, this, [this] {
        const QString line = ui().Memo5->document()->lastBlock().text().left(24);
        if (m_clock.isValid() && !line.isEmpty() && line != std::exchange(m_lastLine, line))
            m_steps << QStringLiteral("\"%1\" %2").arg(line).arg(m_clock.elapsed());
    });
}

void TestSavesWine::clickTab(QWidget* page) {
    QTabBar* bar = ui().PGD->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(ui().PGD->indexOf(page)).center());
    QCOMPARE(ui().PGD->currentWidget(), page);
}

void TestSavesWine::clickRadio(QAbstractButton* radio) {
    QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2));
    QVERIFY(radio->isChecked());
}

// QTest types ASCII only; an accented letter comes as a keyboard gives it, with
// the key of its capital.
void TestSavesWine::type(QLineEdit* field, const QString& text) {
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    for (const QChar letter : text) {
        if (letter.unicode() < 0x80)
            QTest::keyClick(field, letter.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key(letter.toUpper().unicode()),
                                QString(letter), Qt::NoModifier);
    }
    QCOMPARE(field->text(), text);
}

void TestSavesWine::typeFolders(const QString& database) {
    clickTab(ui().tbDEF);
    type(ui().edPastaLocalTABDEF, data);
    type(ui().edPastaRede, programFolder);
    clickTab(ui().tbDirBco);
    type(ui().edPastaLocalBD, database);
}

void TestSavesWine::typeTcpIp(const QString& port) {
    clickRadio(ui().rTCPIP);
    type(ui().edIPBanco, "127.0.0.1");
    type(ui().edIPTABDEF, "127.0.0.1");
    type(ui().edDllCon, workstationLibrary);
    type(ui().edPorta, port);
}

void TestSavesWine::typeLocal(const QString& port) {
    QVERIFY(ui().rLocal->isChecked());
    type(ui().edDllCon, serverLibrary);
    type(ui().edPorta, port);
}

void TestSavesWine::press(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    m_clock.start();
    m_pressedAt = QDateTime::currentMSecsSinceEpoch();
    QTest::keyClick(target, key, modifiers);
    QTRY_VERIFY_WITH_TIMEOUT(saveEnded(), 30000);
    m_clock.invalidate();
}

// A save ends with its closing line in the log, or with a box.
bool TestSavesWine::saveEnded() const {
    const QString last = log().last();
    return last == succeeded || last == failed ||
           m_recorder.entries.size() > m_recorder.texts("modal").size();
}

QStringList TestSavesWine::boxes() const {
    QStringList texts;
    for (const RecordingDialogService::Entry& entry : m_recorder.entries) {
        if (entry.kind != "modal")
            texts << entry.text;
    }
    return texts;
}

// Also the picture of the message log after a save, and the time from the key
// to the written file, step by step.
void TestSavesWine::tcpIpSaveWritesTheFileByteForByte() {
    const QString port = m_server.port();
    const QStringList commands = m_server.serviceLog();
    const QByteArray conf = m_server.configuration();
    openScreen();
    typeFolders(data);
    typeTcpIp(port);

    pressConcluir();

    const qint64 written = QFileInfo(ini()).lastModified().toMSecsSinceEpoch() - m_pressedAt;
    qInfo("Alt+C to written file: %lld ms (%s)", written, qPrintable(m_steps.join(", ")));
    QVERIFY(m_screen->grab().save(QStringLiteral(PICTURE)));
    QCOMPARE(m_recorder.texts("modal"), QStringList{"TFConecta"});
    QCOMPARE(FileBytes::read(ini()),
             FileBytes::iniText(mainSections("127.0.0.1", workstationLibrary, "GDS32.DLL", port)));
    const QString address = "127.0.0.1/" + port + ':' + data;
    QVERIFY2(logText().startsWith("Aguarde... Verificando Usuário...\nConectado em " + address +
                                  "SGB_DADOS/RUVDADOS.FDB Tempo: "),
             qPrintable(logText()));
    QVERIFY(logText().contains("\nConectado em " + address + "TABDEF/TABDEF.FDB Tempo:"));
    QVERIFY(logText().endsWith("\n\n" + succeeded));
    QVERIFY(!ui().BitSalvar->isEnabled());
    QCOMPARE(m_server.serviceLog(), commands);
    QCOMPARE(m_server.configuration(), conf);
}

// A database folder without "SGB_DADOS": the test fails on the main database and
// the file stays as it was.
void TestSavesWine::failedTestWritesNothing() {
    const QString port = m_server.port();
    const QByteArray stored =
        FileBytes::iniText(mainSections("127.0.0.1", workstationLibrary, "GDS32.DLL", port));
    FileBytes::write(ini(), stored);
    openScreen();
    QVERIFY(ui().rTCPIP->isChecked());
    const QString noDatabase = data.left(data.lastIndexOf(u'/', -2) + 1);
    type(ui().edPastaLocalBD, noDatabase);

    pressConcluir();

    QStringList lines = log();
    const QString reason = lines.takeAt(lines.size() - 3);
    QVERIFY2(reason.startsWith("Motivo: ") && reason.contains("I/O error"), qPrintable(reason));
    QCOMPARE(lines.mid(lines.size() - 4),
             (QStringList{"Conexão Falhou.",
                          "Não conseguiu conectar em 127.0.0.1/" + port + ':' + noDatabase +
                              "SGB_DADOS/RUVDADOS.FDB",
                          "", failed}));
    QCOMPARE(FileBytes::read(ini()), stored);
    QVERIFY(ui().BitSalvar->isEnabled());
}

void TestSavesWine::heldFileIsWaitedFor_data() {
    QTest::addColumn<QString>("sharing"); // what the holder lets others do
    QTest::addColumn<bool>("released");   // 4 s after Alt+C, or never
    for (const char* sharing : {"none", "read", "readwrite"}) {
        QTest::addRow("sharing %s, released 4 s after Alt+C", sharing) << sharing << true;
        QTest::addRow("sharing %s, held for good", sharing) << sharing << false;
    }
}

// Another program (hold_file.exe) holds "ruv.ini" from just before Alt+C: a save
// waits for it, whether the hold keeps out the read that comes first or only the
// replace, and writes once it lets go; a hold for good ends the save with a box
// that says the file is in use, and the file stays as it was.
void TestSavesWine::heldFileIsWaitedFor() {
    QFETCH(QString, sharing);
    QFETCH(bool, released);
    const QString port = m_server.port();
    // An earlier save's file, on another port.
    const QByteArray stored =
        FileBytes::iniText(mainSections("127.0.0.1", workstationLibrary, "GDS32.DLL", "3050"));
    FileBytes::write(ini(), stored);
    openScreen();
    typeFolders(data);
    typeTcpIp(port);
    QProcess holder;
    const auto letGo = [&] {
        holder.kill();
        holder.waitForFinished();
    };
    const auto onFailure = qScopeGuard(letGo);
    holder.start(QStringLiteral(HOLD_FILE), {ini(), released ? "4000" : "forever", sharing});
    QVERIFY(holder.waitForReadyRead(10000));
    QCOMPARE(holder.readLine().trimmed(), QByteArray("held"));

    pressConcluir();

    const qint64 ended = QDateTime::currentMSecsSinceEpoch() - m_pressedAt;
    qInfo("sharing %s: save ended %lld ms after Alt+C (%s); boxes %s", qPrintable(sharing), ended,
          qPrintable(m_steps.join(", ")), qPrintable(boxes().join(" | ")));
    letGo();
    if (released) {
        QCOMPARE(boxes(), QStringList{});
        QVERIFY(logText().endsWith("\n\n" + succeeded));
        QCOMPARE(FileBytes::read(ini()), FileBytes::iniText(mainSections(
                                             "127.0.0.1", workstationLibrary, "GDS32.DLL", port)));
        return;
    }
    // Wine's Restart Manager names no holder; Windows' names "hold_file.exe".
    const QString text =
        "Não foi possível gravar o arquivo \"" + ini() + "\": o arquivo está em uso por ";
    QCOMPARE(boxes().size(), 1);
    QVERIFY2(boxes().first() == text + "outro programa." ||
                 boxes().first() == text + "hold_file.exe.",
             qPrintable(boxes().first()));
    QCOMPARE(FileBytes::read(ini()), stored);
}

// Section "RUV_ANEXO" after the sections already in the file, which stay as they
// were; "Testar e Salvar" pressed with the space bar.
void TestSavesWine::attachmentsSaveWritesItsSection() {
    const QString port = m_server.port();
    const QByteArray stored =
        FileBytes::iniText(mainSections("127.0.0.1", workstationLibrary, "GDS32.DLL", port));
    FileBytes::write(ini(), stored);
    openScreen();
    clickTab(ui().tbAnexos); // its address comes from section "RUV_ANEXO": none yet
    clickRadio(ui().rTCPIP);
    type(ui().edIPBanco, "127.0.0.1");
    type(ui().edtCaminhoANX, data);
    QTest::keyClick(ui().edtCaminhoANX, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), ui().btnSalvarANX);

    press(ui().btnSalvarANX, Qt::Key_Space, Qt::NoModifier);

    QVERIFY2(logText().contains("\nConectado em 127.0.0.1/" + port + ':' + data +
                                "/RUVARQUIVOS.FDB Tempo: "),
             qPrintable(logText()));
    QVERIFY(logText().endsWith("\n\n" + succeeded));
    QCOMPARE(FileBytes::read(ini()),
             stored + FileBytes::iniText({"[RUV_ANEXO]", "Servidor=127.0.0.1", "SO_Servidor=LINUX",
                                          "Caminho_Base_Dados=" + data,
                                          "Diretorio_Servidor=" + programFolder,
                                          "CaminhoDLLCON=" + workstationLibrary,
                                          "Caminho_Cidades=", "DLLCON=GDS32.DLL",
                                          "PORTACON_ANX=" + port, "IPDS_ANX=", "PORTADS_ANX=3063",
                                          "IPNET_ANX=", "PORTADSHTTP_ANX=6061", "DSLOCAL_ANX=N"}));
    QVERIFY(ui().BitSalvar->isEnabled());
}

// A Local save with the RUV programs' own 32-bit client in the server's folder:
// refused by its headers before anything happens, with the reason of this build;
// the server keeps running on its port and nothing is written.
void TestSavesWine::libraryOfTheOtherArchitectureLeavesTheServiceAlone() {
    const QString file = serverLibrary + "fbclient.dll";
    const QByteArray standIn = FileBytes::read(file);
    QVERIFY(standIn.startsWith("MZ"));
    FileBytes::write(file, FileBytes::read(QStringLiteral(I686_CLIENT)));
    const auto restore = qScopeGuard([&] { FileBytes::write(file, standIn); });
    const QString port = m_server.port();
    const QStringList commands = m_server.serviceLog();
    const QByteArray conf = m_server.configuration();
    openScreen();
    typeFolders(data);
    typeLocal(port == ports[0] ? ports[1] : ports[0]);

    pressConcluir();

    QCOMPARE(log(),
             (QStringList{"A biblioteca de conexão não pode ser carregada: o serviço do Firebird "
                          "não foi parado.",
                          "Aguarde... Verificando Usuário...",
                          "Motivo: A biblioteca de conexão \"" + file +
                              "\" não pode ser carregada: é uma biblioteca de 32 bits (x86), e "
                              "este programa é de 64 bits (x64) e não pode carregá-la; os "
                              "programas do RUV são de 32 bits: indique a pasta do fbclient.dll "
                              "de 32 bits que eles usam.",
                          "", failed}));
    QCOMPARE(m_server.serviceLog(), commands);
    QCOMPARE(m_server.configuration(), conf);
    QVERIFY(ServerInstallation::listens(port));
    QVERIFY(!QFile::exists(ini()));
}

// The server stops, moves to the port typed, starts; the tester reaches it there
// and the file is written.
void TestSavesWine::localSaveMovesTheServer() {
    const QString before = m_server.port();
    const QString after = before == ports[0] ? ports[1] : ports[0];
    QVERIFY(ServerInstallation::listens(before));
    const int commands = m_server.serviceLog().size();
    openScreen();
    typeFolders(data);
    typeLocal(after);

    pressConcluir();

    qInfo("Local save: port %s before, %s after; Alt+C to written file: %lld ms (%s)",
          qPrintable(before), qPrintable(m_server.port()),
          QFileInfo(ini()).lastModified().toMSecsSinceEpoch() - m_pressedAt,
          qPrintable(m_steps.join(", ")));
    QCOMPARE(m_server.serviceLog().mid(commands), (QStringList{"stop 0", "start 0"}));
    QCOMPARE(m_server.port(), after);
    QVERIFY(ServerInstallation::listens(after));
    QVERIFY(!ServerInstallation::listens(before));
    QVERIFY2(logText().startsWith("Aguarde... Parando o serviço do Firebird...\n"
                                  "O arquivo \"" +
                                  serverRoot +
                                  "firebird.conf\" agora tem a linha "
                                  "\"RemoteServicePort = " +
                                  after +
                                  "\".\n"
                                  "Aguarde... Iniciando o serviço do Firebird...\n"
                                  "Aguarde... Verificando Usuário...\n"
                                  "Conectado em LocalHost/" +
                                  after + ':' + data + "SGB_DADOS/RUVDADOS.FDB Tempo: "),
             qPrintable(logText()));
    QVERIFY(logText().endsWith("\n\n" + succeeded));
    QCOMPARE(FileBytes::read(ini()),
             FileBytes::iniText(mainSections("", serverLibrary, "fbclient.dll", after)));
}

int main(int argc, char* argv[]) {
    GuardedApplication app(argc, argv);
    platform::prepareCharacterHandling();
    TestSavesWine test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_saves_wine.moc"
