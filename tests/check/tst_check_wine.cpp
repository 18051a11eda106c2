// The check typed at a Windows prompt, in the folder the package was unzipped
// into: "parvel" there is parvel.com, the console twin (PATHEXT lists .COM before
// .EXE), which the prompt waits for and whose exit status it keeps. Under Wine,
// against the private servers of tests/wine-rig (check_server.sh): one as the RUV
// programs need it, one of a site that changed SYSDBA's password. The client
// library is the Wine stand-in in each server's "bin" folder.
#include "FileBytes.h"
#include "ServerInstallation.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <vector>

namespace {

const QString programFolder = QStringLiteral(PROGRAM_FOLDER);
const QString serverRoot = QStringLiteral(SERVER_ROOT);
const QString refusingServerRoot = QStringLiteral(REFUSING_SERVER_ROOT);

// The longest a prompt session may take: twice the check's own bound of 45 s.
constexpr int sessionLimitMs = 90000;

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// What the prompt showed for one command and the exit status it kept.
struct Typed {
    QStringList lines;
    int errorLevel = -1;
};

// The Windows-1252 "ruv.ini" of the RUV programs, CR LF, for the server at
// `root` (its databases named as the Linux server names them) reached on `port`.
QByteArray iniFor(const QString& root, const QString& data, const QString& port) {
    return FileBytes::iniText({"[RUV]", "Servidor=127.0.0.1", "SO_Servidor=LINUX",
                               "Caminho_Base_Dados=" + data, "Caminho_Tabdef=" + data,
                               "CaminhoDLLCON=" + native(root + "bin/"), "PORTACON=" + port});
}

// A port of 127.0.0.1 that nobody listens on: a stopped server.
QString closedPort() {
    QTcpServer listener;
    listener.listen(QHostAddress::LocalHost);
    return QString::number(listener.serverPort());
}

// Relays every connection on a port to the server on `target`: a Firebird
// answering there, as one left on a well-known port by an older installation.
class Relay : public QTcpServer {
public:
    explicit Relay(quint16 target) : m_target(target) {}

protected:
    void incomingConnection(qintptr descriptor) override {
        auto* client = new QTcpSocket(this);
        client->setSocketDescriptor(descriptor);
        auto* server = new QTcpSocket(this);
        server->connectToHost(QHostAddress::LocalHost, m_target);
        pipe(client, server);
        pipe(server, client);
    }

private:
    static void pipe(QTcpSocket* from, QTcpSocket* to) {
        QObject::connect(from, &QTcpSocket::readyRead, to,
                         [from, to] { to->write(from->readAll()); });
        QObject::connect(from, &QTcpSocket::disconnected, to, [to] { to->disconnectFromHost(); });
    }

    quint16 m_target;
};

} // namespace

class TestCheckWine : public QObject {
    Q_OBJECT

    ServerInstallation m_server{serverRoot};
    ServerInstallation m_refusingServer{refusingServerRoot};
    // Listeners on the well-known Firebird ports that a row puts up.
    std::vector<std::unique_ptr<QTcpServer>> m_wellKnown;
    int m_plainAccepted = 0;
    QString m_session; // what the last prompt session showed
    QTemporaryDir m_folder;

    QString ini() const { return programFolder + "ruv.ini"; }

    // cmd.exe as a prompt: it reads the commands typed one line at a time and
    // expands each line when it reads it, so "%ERRORLEVEL%" is the status the
    // command before left, and it waits for a console program only (a window
    // program started at a prompt goes on alone, its status not kept). The
    // commands come from a file; the output of the session reaches this test
    // through a pipe. Waited for with the event loop running, which the
    // listeners of a row need.
    QList<Typed> typeAtThePrompt(const QStringList& commands) {
        QByteArray typed = "@echo off\r\necho INICIO\r\n";
        for (const QString& command : commands)
            typed += command.toUtf8() + "\r\necho ERRORLEVEL=%ERRORLEVEL%\r\n";
        typed += "exit\r\n";
        const QString typing = m_folder.filePath("digitado.txt");
        FileBytes::write(typing, typed);
        const QString shown = m_folder.filePath("sessao.txt");
        QProcess prompt;
        prompt.setWorkingDirectory(programFolder);
        prompt.setProcessChannelMode(QProcess::MergedChannels);
        prompt.setStandardInputFile(typing);
        prompt.setStandardOutputFile(shown);
        prompt.start("cmd.exe", QStringList{});
        const bool ended =
            QTest::qWaitFor([&] { return prompt.state() == QProcess::NotRunning; }, sessionLimitMs);
        if (!ended) {
            prompt.kill();
            prompt.waitForFinished();
        }
        [&] { QVERIFY2(ended, "the prompt did not end within 90 s and was killed"); }();
        m_session = QString::fromUtf8(FileBytes::read(shown)).remove('\r');
        const QStringList output = withAnySeconds(m_session).split('\n');
        // The prompt is shown once, before "@echo off" is read.
        const qsizetype start =
            std::find_if(output.begin(), output.end(),
                         [](const QString& line) { return line.endsWith(">INICIO"); }) -
            output.begin();
        QList<Typed> results;
        Typed current;
        for (const QString& line : output.mid(start + 1)) {
            if (line.startsWith("ERRORLEVEL=")) {
                current.errorLevel = line.mid(11).toInt();
                results << std::exchange(current, {});
            } else if (!line.isEmpty()) {
                current.lines << line;
            }
        }
        return results;
    }

    // An attach's whole seconds as "00": a loaded machine may take one second or
    // more, which is no matter of these tests.
    static QString withAnySeconds(QString text) {
        static const QRegularExpression seconds(
            QStringLiteral("(?<=Tempo:|Tempo: )\\d+(?= segundos)"));
        return text.replace(seconds, QStringLiteral("00"));
    }

    // Listeners on 3050, 3051 and 3055: another program's, which accept and
    // close, or a Firebird on the first of them.
    bool listenOnWellKnownPorts(const QString& kind) {
        for (const quint16 port : {3050, 3051, 3055}) {
            std::unique_ptr<QTcpServer> listener;
            if (kind == "firebird")
                listener = std::make_unique<Relay>(m_server.port().toUShort());
            else
                listener = std::make_unique<QTcpServer>();
            if (!listener->listen(QHostAddress::LocalHost, port)) {
                qWarning("port %d is taken on 127.0.0.1", port);
                return false;
            }
            if (kind == "plain") {
                connect(listener.get(), &QTcpServer::newConnection, listener.get(),
                        [this, server = listener.get()] {
                            while (QTcpSocket* socket = server->nextPendingConnection()) {
                                ++m_plainAccepted;
                                socket->close();
                                socket->deleteLater();
                            }
                        });
            }
            m_wellKnown.push_back(std::move(listener));
            if (kind == "firebird")
                return true;
        }
        return true;
    }

private slots:
    void init() {
        m_wellKnown.clear();
        m_plainAccepted = 0;
        QFile::remove(ini());
    }

    void cleanupTestCase() { QFile::remove(ini()); }

    // Each row typed as "parvel --check", then as "parvel --check --json" redirected
    // into a file: the lines as the operator reads them and the status the prompt
    // kept; the file holds UTF-8 without a byte-order mark, with the same status.
    void typedAtThePrompt_data() {
        QTest::addColumn<QString>("server");    // "own", "refusing" or "" (no file written)
        QTest::addColumn<QString>("change");    // "port closed", "wrong folder" or ""
        QTest::addColumn<QString>("wellKnown"); // listeners put up: "plain", "firebird" or ""
        QTest::addColumn<QString>("arguments"); // after "parvel --check"
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("lines"); // "PORT" and "DATA" stand for the server's
        QTest::addColumn<QString>("result");    // of the JSON; "" when none is written

        const QString waiting = "Aguarde... Verificando Usuário...";
        const QString main = "Conectado em 127.0.0.1/PORT:DATASGB_DADOS/RUVDADOS.FDB Tempo: 00 "
                             "segundos.";
        const QString tabdef = "Conectado em 127.0.0.1/PORT:DATATABDEF/TABDEF.FDB Tempo:00 "
                               "segundos.";
        const QString success = "CONEXÃO ESTABELECIDA COM SUCESSO.";
        const QString refused = "Motivo: Unable to complete network request to host "
                                "\"127.0.0.1\". - Failed to establish a connection.";
        QTest::newRow("passing, ruv.ini beside the program")
            << "own"
            << ""
            << ""
            << "" << 0 << QStringList{waiting, main, tabdef, success} << "ok";
        QTest::newRow("SYSDBA refused, TOMRUV attaches")
            << "refusing"
            << ""
            << ""
            << "" << 0
            << QStringList{waiting,
                           "Aviso: o servidor recusou o SYSDBA com a senha padrão: o usuário "
                           "TOMRUV não pôde ser conferido",
                           main, tabdef, success}
            << "ok";
        QTest::newRow("wrong database folder")
            << "own"
            << "wrong folder"
            << ""
            << "" << 1
            << QStringList{waiting, "Conexão Falhou.",
                           "Não conseguiu conectar em 127.0.0.1/PORT:DATAnada/SGB_DADOS/"
                           "RUVDADOS.FDB",
                           "Motivo: I/O error during \"open\" operation for file "
                           "\"DATAnada/SGB_DADOS/RUVDADOS.FDB\" - Error while trying to open "
                           "file - No such file or directory - O servidor não conseguiu abrir o "
                           "arquivo: confira se a pasta é a do disco do próprio servidor (não "
                           "uma unidade mapeada nesta máquina) e se o usuário com que roda o "
                           "serviço do Firebird pode ler e escrever nela e no arquivo.",
                           "CONEXÃO FALHOU."}
            << "falha";
        QTest::newRow("port refused, another program on the well-known ports")
            << "own"
            << "port closed"
            << "plain"
            << "" << 1 << QStringList{waiting, refused, "CONEXÃO FALHOU."} << "falha";
        QTest::newRow("port refused, a Firebird on 3050")
            << "own"
            << "port closed"
            << "firebird"
            << "" << 1
            << QStringList{waiting,
                           refused + " - um servidor Firebird responde na porta 3050 deste "
                                     "servidor: confira se é o do RUV",
                           "CONEXÃO FALHOU."}
            << "falha";
        QTest::newRow("missing file")
            << ""
            << ""
            << ""
            << "--ini faltando.ini" << 2
            << QStringList{"O arquivo \"faltando.ini\" não pode ser lido."} << "falha";
        QTest::newRow("unknown option")
            << ""
            << ""
            << ""
            << "--jsn" << 64 << QStringList{"Opção inválida: \"--jsn\". Veja parvel --help."} << "";
    }

    void typedAtThePrompt() {
        QFETCH(QString, server);
        QFETCH(QString, change);
        QFETCH(QString, wellKnown);
        QFETCH(QString, arguments);
        QFETCH(int, status);
        QFETCH(QStringList, lines);
        QFETCH(QString, result);
        const ServerInstallation& installation = server == "refusing" ? m_refusingServer : m_server;
        const QString root = server == "refusing" ? refusingServerRoot : serverRoot;
        const QString data = server == "refusing" ? QStringLiteral(REFUSING_SERVER_DATA)
                                                  : QStringLiteral(SERVER_DATA);
        const QString port = change == "port closed" ? closedPort() : installation.port();
        if (!server.isEmpty())
            FileBytes::write(ini(),
                             iniFor(root, change == "wrong folder" ? data + "nada/" : data, port));
        if (!wellKnown.isEmpty())
            QVERIFY(listenOnWellKnownPorts(wellKnown));
        const QString json = programFolder + "resultado.json";
        QFile::remove(json);
        const QString command = ("parvel --check " + arguments).trimmed();

        const QList<Typed> typed =
            typeAtThePrompt({command, command + " --json >\"" + native(json) + "\""});

        QVERIFY2(typed.size() == 2, qPrintable("the prompt showed:\n" + m_session));
        lines.replaceInStrings("PORT", port).replaceInStrings("DATA", data);
        QCOMPARE(typed[0].lines, lines);
        QCOMPARE(typed[0].errorLevel, status);
        QCOMPARE(typed[1].errorLevel, status);
        const QByteArray bytes = FileBytes::read(json);
        if (result.isEmpty()) {
            QCOMPARE(bytes, QByteArray());
            QCOMPARE(typed[1].lines, lines); // the error stays on the prompt
            return;
        }
        QVERIFY2(!bytes.startsWith("\xEF\xBB\xBF"), "the file begins with a byte-order mark");
        QJsonParseError error;
        const QJsonObject report = QJsonDocument::fromJson(bytes, &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(report["exit_status"].toInt(), status);
        QCOMPARE(report["result"].toString(), result);
        QCOMPARE(report["summary"].toString(), lines.constLast());
        if (!server.isEmpty())
            QCOMPARE(report["file"].toString(), native(ini()));
        if (wellKnown == "plain")
            QVERIFY(m_plainAccepted > 0);
    }

    // A Brazilian console's code page, 850, chosen at the prompt: the lines read
    // back from the console's own buffer (tests/app/console_run.cpp) are the
    // program's, accents and all.
    void consoleUnderCodePage850() {
        const QString port = m_server.port();
        FileBytes::write(ini(), iniFor(serverRoot, SERVER_DATA, port));
        const QString read = m_folder.filePath("console.txt");
        QProcess console;
        console.setWorkingDirectory(programFolder);
        console.setStandardOutputFile(read);
        console.start(QCoreApplication::applicationDirPath() + "/console_run.exe",
                      {"cmd.exe", "/c", "chcp 850 >nul & parvel --check"});
        QVERIFY2(console.waitForFinished(sessionLimitMs), "the console did not end within 90 s");
        const QString data = SERVER_DATA;
        const QString text = withAnySeconds(QString::fromUtf8(FileBytes::read(read)).remove('\r'));
        const QStringList shown = text.split('\n', Qt::SkipEmptyParts);
        QVERIFY2(shown.size() == 4, qPrintable("the console showed:\n" + text));
        QCOMPARE(shown, (QStringList{"Aguarde... Verificando Usuário...",
                                     "Conectado em 127.0.0.1/" + port + ":" + data +
                                         "SGB_DADOS/RUVDADOS.FDB Tempo: 00 segundos.",
                                     "Conectado em 127.0.0.1/" + port + ":" + data +
                                         "TABDEF/TABDEF.FDB Tempo:00 segundos.",
                                     "CONEXÃO ESTABELECIDA COM SUCESSO."}));
        QCOMPARE(console.exitCode(), 0);
    }
};

QTEST_MAIN(TestCheckWine)
#include "tst_check_wine.moc"
