#include "FileBytes.h"
#include "FirebirdTestServer.h"
#include "StallingPeer.h"
#include "funcoes/Platform.h"
#include "probes/UConecta.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Entries = QList<QPair<QString, QString>>; // "SECTION/Key", value

struct CheckRun {
    int exitCode = -1;
    QStringList lines;
    QByteArray output;
    qint64 elapsedMs = 0;
};

// The longest a check may take: twice its own bound of 45 s for the whole test.
constexpr int checkLimitMs = 90000;

// The program as a script on a machine without a display starts it: no X, no
// Wayland, no Qt platform chosen for it. A run that outlasts the limit is killed,
// with `hung` set: its output may be complete and its exit status is no answer.
CheckRun runProgram(const QStringList& arguments, bool& hung) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name :
         {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "PARVEL_FB_ROOT", "PARVEL_FB_PORT"})
        environment.remove(name);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    process.start(PARVEL_PROGRAM, QStringList{"--check"} + arguments);
    hung = !process.waitForFinished(checkLimitMs);
    if (hung) {
        process.kill();
        process.waitForFinished();
    }
    CheckRun run;
    run.elapsedMs = clock.elapsed();
    run.exitCode = !hung && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = process.readAllStandardOutput();
    run.lines = QString::fromUtf8(run.output).split('\n');
    if (run.lines.constLast().isEmpty())
        run.lines.removeLast();
    return run;
}

// A port on 127.0.0.1 that nobody listens on: a stopped server.
quint16 closedPort() {
    QTcpServer listener;
    listener.listen(QHostAddress::LocalHost);
    return listener.serverPort();
}

// The Windows-1252 file the RUV programs read.
QByteArray iniBytes(const Entries& entries) {
    QStringList lines;
    QString section;
    for (const auto& [name, value] : entries) {
        const QString entrySection = name.section('/', 0, 0);
        if (entrySection != section)
            lines << "[" + entrySection + "]";
        section = entrySection;
        lines << name.section('/', 1) + "=" + value;
    }
    return FileBytes::iniText(lines);
}

// What a file looks like from outside: its bytes and its modification time.
struct FileState {
    QByteArray bytes;
    QDateTime modified;
    bool operator==(const FileState&) const = default;
};

FileState stateOf(const QString& path) {
    return {FileBytes::read(path), QFileInfo(path).lastModified()};
}

QStringList stepNames(const QJsonArray& steps) {
    QStringList names;
    for (const QJsonValue& step : steps)
        names << step["name"].toString();
    return names;
}

} // namespace

class TestCheck : public QObject {
    Q_OBJECT

    FirebirdTestServer m_server;
    QTemporaryDir m_folder;
    QString m_secondRoot;
    QStringList m_hungRuns; // arguments of the runs killed at the limit

    QString ini() const { return m_folder.filePath("ruv.ini"); }

    // A local installation of this machine's server, with an attachments database.
    Entries passing() const {
        return {{"RUV/Servidor", ""},
                {"RUV/SO_Servidor", "LINUX"},
                {"RUV/Caminho_Base_Dados", m_server.dataFolder()},
                {"RUV/Caminho_Tabdef", m_server.dataFolder()},
                {"RUV/CaminhoDLLCON", m_server.clientFolder()},
                {"RUV/PORTACON", m_server.port()},
                {"RUV_ANEXO/Caminho_Base_Dados", m_server.root() + "/data"}};
    }

    static Entries with(Entries entries, const Entries& changes) {
        for (const auto& change : changes) {
            auto same = std::find_if(entries.begin(), entries.end(), [&](const auto& entry) {
                return entry.first == change.first;
            });
            if (same == entries.end())
                entries << change;
            else
                same->second = change.second;
        }
        std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
            return a.first.section('/', 0, 0) < b.first.section('/', 0, 0);
        });
        return entries;
    }

    void writeIni(const Entries& entries) const { FileBytes::write(ini(), iniBytes(entries)); }

    QString connection(const QString& host, const QString& port, const QString& file) const {
        return host + "/" + port + ":" + m_server.dataFolder() + file;
    }

    // Every run of a test is checked for a hang in cleanup(), whatever the test
    // itself compares.
    CheckRun runCheck(const QStringList& arguments) {
        bool hung = false;
        CheckRun run = runProgram(arguments, hung);
        if (hung)
            m_hungRuns << "--check " + arguments.join(' ');
        return run;
    }

    bool addApplicationUser(QString& why) const {
        return m_server.addUserIfMissing("TOMRUV", "pelmor", why);
    }

private slots:
    void initTestCase() {
        QString why;
        QVERIFY2(m_server.require(why), qPrintable(why));
        QVERIFY(m_folder.isValid());
        QVERIFY2(addApplicationUser(why), qPrintable(why));
    }

    void cleanupTestCase() {
        if (!m_secondRoot.isEmpty())
            QProcess::execute(PARVEL_FB_SCRIPT, {"clean", m_secondRoot});
        QString why;
        QVERIFY2(addApplicationUser(why), qPrintable(why));
    }

    void cleanup() {
        QFile::remove(m_folder.filePath("ruv.dat"));
        const QStringList hung = std::exchange(m_hungRuns, {});
        QVERIFY2(hung.isEmpty(),
                 qPrintable("the check did not end within " + QString::number(checkLimitMs / 1000) +
                            " s and was killed: " + hung.join("; ")));
    }

    // The files the save would write or delete and the server's firebird.conf keep
    // their bytes and times; the folder gains no file; the users stay as they were.
    void passingFileIsProvedAndNothingChanges() {
        writeIni(passing());
        const QString conf = m_server.root() + "/firebird.conf";
        const FileState iniBefore = stateOf(ini()), confBefore = stateOf(conf);
        const QStringList folderBefore = QDir(m_folder.path()).entryList(QDir::AllEntries);
        QString why;
        QStringList usersBefore, usersAfter;
        QVERIFY2(m_server.userNames(usersBefore, why), qPrintable(why));

        const CheckRun text = runCheck({"--ini", ini()});
        const CheckRun json = runCheck({"--ini", ini(), "--json"});

        QCOMPARE(text.exitCode, 0);
        const QString port = m_server.port();
        QCOMPARE(text.lines,
                 (QStringList{
                     "Aguarde... Verificando Usuário...",
                     "Conectado em " + connection("LocalHost", port, "SGB_DADOS/RUVDADOS.FDB") +
                         " Tempo: 00 segundos.",
                     "Conectado em " + connection("LocalHost", port, "TABDEF/TABDEF.FDB") +
                         " Tempo:00 segundos.",
                     "Aguarde... Verificando Usuário...",
                     "Conectado em " + connection("LocalHost", port, "RUVARQUIVOS.FDB") +
                         " Tempo: 00 segundos.",
                     "CONEXÃO ESTABELECIDA COM SUCESSO.",
                 }));

        QCOMPARE(json.exitCode, 0);
        QJsonParseError error;
        const QJsonObject report = QJsonDocument::fromJson(json.output, &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(report["file"].toString(), ini());
        QCOMPARE(report["result"].toString(), "ok");
        QCOMPARE(report["exit_status"].toInt(), 0);
        QCOMPARE(report["summary"].toString(), QString("CONEXÃO ESTABELECIDA COM SUCESSO."));
        const QJsonArray steps = report["steps"].toArray();
        QCOMPARE(stepNames(steps), (QStringList{"verificacao", "biblioteca", "usuario", "principal",
                                                "tabdef", "biblioteca", "usuario", "anexos"}));
        for (const QJsonValue& step : steps) {
            QCOMPARE(step["result"].toString(), "ok");
            QCOMPARE(step["reason"].toString(), "");
            QVERIFY(step["milliseconds"].toInteger(-1) >= 0);
        }
        QCOMPARE(steps[4]["target"].toString(), connection("LocalHost", port, "TABDEF/TABDEF.FDB"));

        QCOMPARE(stateOf(ini()), iniBefore);
        QCOMPARE(stateOf(conf), confBefore);
        QCOMPARE(QDir(m_folder.path()).entryList(QDir::AllEntries), folderBefore);
        QVERIFY2(m_server.userNames(usersAfter, why), qPrintable(why));
        QCOMPARE(usersAfter, usersBefore);
    }

    // A site that changed SYSDBA's password: the user cannot be looked up, which
    // the check says as a warning; the attaches as TOMRUV decide.
    void refusedAdministratorWarnsAndTheAttachesDecide() {
        writeIni(passing());
        bool ok = false;
        m_server.fbsvcmgr(
            {"-action_modify_user", "-sec_username", "SYSDBA", "-sec_password", "outra"}, &ok);
        QVERIFY(ok);
        const CheckRun text = runCheck({"--ini", ini()});
        const CheckRun json = runCheck({"--ini", ini(), "--json"});
        QProcess::execute("fbsvcmgr",
                          {"127.0.0.1/" + m_server.port() + ":service_mgr", "-user", "SYSDBA",
                           "-password", "outra", "-action_modify_user", "-sec_username", "SYSDBA",
                           "-sec_password", FirebirdTestServer::sysdbaPassword});

        const QString warning = "o servidor recusou o SYSDBA com a senha padrão: o usuário TOMRUV "
                                "não pôde ser conferido";
        QCOMPARE(text.exitCode, 0);
        QCOMPARE(text.lines.mid(0, 2),
                 (QStringList{"Aguarde... Verificando Usuário...", "Aviso: " + warning}));
        QCOMPARE(text.lines.constLast(), QString("CONEXÃO ESTABELECIDA COM SUCESSO."));
        QCOMPARE(json.exitCode, 0);
        const QJsonObject report = QJsonDocument::fromJson(json.output).object();
        QCOMPARE(report["result"].toString(), "ok");
        const QJsonArray steps = report["steps"].toArray();
        QCOMPARE(stepNames(steps).mid(0, 5),
                 (QStringList{"verificacao", "biblioteca", "usuario", "principal", "tabdef"}));
        QCOMPARE(steps[2]["result"].toString(), "aviso");
        QCOMPARE(steps[2]["reason"].toString(), warning);
        QCOMPARE(steps[3]["result"].toString(), "ok");
        QCOMPARE(steps[4]["result"].toString(), "ok");
    }

    // Each failure: exit status 1, the failing step last in the report with the
    // reason its "Motivo:" line gives (a check's own line before the save), and
    // the summary.
    void failures_data() {
        QTest::addColumn<Entries>("changes");
        QTest::addColumn<QByteArray>("library"); // bytes of fbclient.dll in a folder of its own
        QTest::addColumn<bool>("multiCompany");
        QTest::addColumn<QString>("step");
        // The reason in full; a refused port may also end with a well-known port
        // that a server of this machine (a demo, another build's) answers on.
        QTest::addColumn<QStringList>("reasons");
        QTest::addColumn<QString>("summary");

        const QString failed = "CONEXÃO FALHOU.";
        const QString notOpened =
            "\" - Error while trying to open file - No such file or directory - O servidor não "
            "conseguiu abrir o arquivo: confira se a pasta é a do disco do próprio servidor (não "
            "uma unidade mapeada nesta máquina) e se o usuário com que roda o serviço do Firebird "
            "pode ler e escrever nela e no arquivo.";
        const QString ownLibrary = "A biblioteca de conexão \"" + m_folder.filePath("lib") +
                                   "/fbclient.dll\" não pode ser carregada: ";
        QTest::newRow("wrong database folder")
            << Entries{{"RUV/Caminho_Base_Dados", m_server.root() + "/nada/"}} << QByteArray()
            << false << "principal"
            << QStringList{"I/O error during \"open\" operation for file \"" + m_server.root() +
                           "/nada/SGB_DADOS/RUVDADOS.FDB" + notOpened}
            << failed;
        const QString refused = "Unable to complete network request to host \"127.0.0.1\". - "
                                "Failed to establish a connection.";
        // A Firebird of the machine on a well-known port adds its hint.
        const QString hinted = refused + " - um servidor Firebird responde na porta %1 deste "
                                         "servidor: confira se é o do RUV";
        QTest::newRow("stopped server")
            << Entries{{"RUV/Servidor", "127.0.0.1"},
                       {"RUV/PORTACON", QString::number(closedPort())}}
            << QByteArray() << false << "usuario"
            << QStringList{refused, hinted.arg(3050), hinted.arg(3051), hinted.arg(3055)} << failed;
        // Cut inside its code: the extent of the loadable segments of Debian 12's
        // libfbclient.so.2 3.0.11 (readelf -l) is what the reason names.
        const QByteArray library = FileBytes::read("/usr/lib/x86_64-linux-gnu/libfbclient.so.2");
        QTest::newRow("library cut short")
            << Entries{} << library.left(1000000) << false << "biblioteca"
            << QStringList{ownLibrary + "o arquivo está incompleto, talvez de uma cópia "
                                        "interrompida (tem 1000000 bytes, a biblioteca ocupa "
                                        "1860896)."}
            << failed;
        QTest::newRow("library of text")
            << Entries{} << QByteArray("not a library\n") << false << "biblioteca"
            << QStringList{ownLibrary + "não é uma biblioteca."} << failed;
        QTest::newRow("no library in the folder")
            << Entries{{"RUV/CaminhoDLLCON", m_folder.path() + "/"}} << QByteArray() << false
            << "verificacao"
            << QStringList{"O Arquivo fbclient.dll não foi localizado em " + m_folder.path() +
                           "/ Atualize o BPL ou entre em contato com seu Representante."}
            << "VERIFICAÇÃO FALHOU.";
        QTest::newRow("port that is no port")
            << Entries{{"RUV/PORTACON", "30x5"}} << QByteArray() << false << "verificacao"
            << QStringList{"A porta informada (\"30x5\") não é válida: informe um número de 1 "
                           "a 65535."}
            << "VERIFICAÇÃO FALHOU.";
        QTest::newRow("cities folder blank in multi-company mode")
            << Entries{} << QByteArray() << true << "verificacao"
            << QStringList{"A Opção (Multi-Empresa) encontra-se marcada, porém o caminho da pasta "
                           "CIDADES está em branco. Favor informar o caminho!"}
            << "VERIFICAÇÃO FALHOU.";
        QTest::newRow("attachments database missing")
            << Entries{{"RUV_ANEXO/Caminho_Base_Dados", m_server.root() + "/nada"}} << QByteArray()
            << false << "anexos"
            << QStringList{"I/O error during \"open\" operation for file \"" + m_server.root() +
                           "/nada/RUVARQUIVOS.FDB" + notOpened}
            << failed;
    }

    void failures() {
        QFETCH(Entries, changes);
        QFETCH(QByteArray, library);
        QFETCH(bool, multiCompany);
        QFETCH(QString, step);
        QFETCH(QStringList, reasons);
        QFETCH(QString, summary);
        if (!library.isNull()) {
            QDir(m_folder.path()).mkpath("lib");
            FileBytes::write(m_folder.filePath("lib/fbclient.dll"), library);
            changes << qMakePair(QString("RUV/CaminhoDLLCON"), m_folder.filePath("lib") + "/");
        }
        if (multiCompany)
            FileBytes::write(m_folder.filePath("ruv.dat"), "[RUV]\r\n");
        writeIni(with(passing(), changes));

        const CheckRun text = runCheck({"--ini", ini()});
        const CheckRun json = runCheck({"--ini", ini(), "--json"});

        QCOMPARE(text.exitCode, 1);
        QCOMPARE(json.exitCode, 1);
        const QJsonObject report = QJsonDocument::fromJson(json.output).object();
        QCOMPARE(report["result"].toString(), "falha");
        QCOMPARE(report["exit_status"].toInt(), 1);
        QCOMPARE(report["summary"].toString(), summary);
        const QJsonObject last = report["steps"].toArray().last().toObject();
        QCOMPARE(last["name"].toString(), step);
        QCOMPARE(last["result"].toString(), "falha");
        const QString reason = last["reason"].toString();
        QVERIFY2(reasons.contains(reason), qPrintable(reason));
        // The lines end with the reason and the summary.
        QCOMPARE(text.lines.mid(text.lines.size() - 2),
                 (QStringList{step == "verificacao" ? reason : "Motivo: " + reason, summary}));
    }

    // The check only looks the user up: a missing one is a failure, and stays missing.
    void missingUserIsReportedNotCreated() {
        QString why;
        QVERIFY2(m_server.dropUser("TOMRUV", why), qPrintable(why));
        QStringList usersBefore, usersAfter;
        QVERIFY2(m_server.userNames(usersBefore, why), qPrintable(why));
        writeIni(passing());

        const CheckRun run = runCheck({"--ini", ini()});

        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.lines, (QStringList{"Aguarde... Verificando Usuário...",
                                         "Motivo: O usuário \"TOMRUV\" não existe no servidor.",
                                         "CONEXÃO FALHOU."}));
        QVERIFY2(m_server.userNames(usersAfter, why), qPrintable(why));
        QCOMPARE(usersAfter, usersBefore);
        QVERIFY2(addApplicationUser(why), qPrintable(why));
    }

    // A listener that accepts and never answers holds the service manager's
    // attach: the check gives up at the call bound and ends at once.
    void stallingServerEndsAtTheCallBound() {
        StallingPeer peer(StallingPeer::Mode::Silent);
        writeIni(with(passing(), {{"RUV/Servidor", "127.0.0.1"},
                                  {"RUV/PORTACON", QString::number(peer.port())}}));

        const CheckRun run = runCheck({"--ini", ini()});

        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.lines.join('\n').contains("não terminou em 15 segundos"),
                 qPrintable(run.lines.join('\n')));
        QCOMPARE(run.lines.constLast(), "CONEXÃO FALHOU.");
        // Under 25 s: room for a process start on a loaded machine, and short of a
        // second call's bound (30 s), which a check that went on would reach.
        QVERIFY2(run.elapsedMs >= 15000 && run.elapsedMs < 25000,
                 qPrintable(QString::number(run.elapsedMs)));
    }

    void unreadableOrEmptyFileEndsWithTwo_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes"); // null: not written
        QTest::addColumn<QString>("summary");
        QTest::newRow("missing") << "faltando.ini" << QByteArray() << "não pode ser lido.";
        QTest::newRow("folder") << "." << QByteArray() << "não pode ser lido.";
        QTest::newRow("no databases") << "vazio.ini" << QByteArray("[RUV]\r\nServidor=x\r\n")
                                      << "não indica nenhum banco de dados para testar.";
    }

    void unreadableOrEmptyFileEndsWithTwo() {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, summary);
        const QString path = QDir::cleanPath(m_folder.filePath(file));
        if (!bytes.isNull())
            FileBytes::write(path, bytes);

        const CheckRun text = runCheck({"--ini", path});
        const CheckRun json = runCheck({"--json", "--ini", path});

        QCOMPARE(text.exitCode, 2);
        QCOMPARE(text.lines, QStringList{"O arquivo \"" + path + "\" " + summary});
        QCOMPARE(json.exitCode, 2);
        const QJsonObject report = QJsonDocument::fromJson(json.output).object();
        QCOMPARE(report["exit_status"].toInt(), 2);
        QCOMPARE(report["steps"].toArray().size(), 0);
    }

    void badUsageEndsWithSixtyFour() {
        const CheckRun run = runCheck({"--ini"});
        QCOMPARE(run.exitCode, 64);
        QVERIFY(run.output.isEmpty());
        const CheckRun help = runCheck({"--help"});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.output.contains("--json"));
    }

    // Another program's listener on the well-known ports, one that accepts and
    // closes as most do: no Firebird answers there, so no port is named.
    void plainListenerOnWellKnownPortsNamesNoPort() {
        std::vector<std::unique_ptr<QTcpServer>> listeners;
        int accepted = 0;
        for (const quint16 port : {3050, 3051, 3055}) {
            auto& listener = listeners.emplace_back(std::make_unique<QTcpServer>());
            QVERIFY2(listener->listen(QHostAddress::LocalHost, port),
                     qPrintable(QString("port %1 is taken on 127.0.0.1").arg(port)));
            connect(listener.get(), &QTcpServer::newConnection, listener.get(),
                    [&accepted, server = listener.get()] {
                        while (QTcpSocket* socket = server->nextPendingConnection()) {
                            ++accepted;
                            socket->close();
                            socket->deleteLater();
                        }
                    });
        }
        QPlainTextEdit log;
        testerParameters(QString::number(closedPort()));
        TFConecta window(log);

        QVERIFY(!window.TestaConexao());
        const QString reason = log.toPlainText().split('\n').constLast();
        QVERIFY2(reason.startsWith("Motivo: ") && !reason.contains("porta"), qPrintable(reason));
        QVERIFY(accepted > 0);
    }

    // A server that answers on another well-known Firebird port than the one
    // configured: the check and the window's "Motivo:" line both say which.
    void refusedPortNamesThePortThatAnswers() {
        const quint16 answering = startSecondServer();
        QVERIFY(answering);
        const QString refused = QString::number(closedPort());
        writeIni(with(passing(), {{"RUV/Servidor", "127.0.0.1"}, {"RUV/PORTACON", refused}}));
        const QString hint = QString(" - um servidor Firebird responde na porta %1 deste servidor: "
                                     "confira se é o do RUV")
                                 .arg(answering);

        const CheckRun run = runCheck({"--ini", ini()});

        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.lines.size(), 3);
        QVERIFY2(run.lines[1].startsWith("Motivo: ") && run.lines[1].endsWith(hint),
                 qPrintable(run.lines[1]));

        QPlainTextEdit log;
        testerParameters(refused);
        TFConecta window(log);
        QVERIFY(!window.TestaConexao());
        QVERIFY2(log.toPlainText().split('\n').constLast().endsWith(hint),
                 qPrintable(log.toPlainText()));
    }

private:
    // The window's tester pointed at the private server's databases on `port`.
    void testerParameters(const QString& port) {
        ConEnderecoBanco = ConEnderecoTabdef = "127.0.0.1";
        ConPastaBanco = ConPastaTabdef = m_server.dataFolder();
        ConSistemaBanco = ConSistemaTabdef = "LINUX";
        ConPastaDll = m_server.clientFolder();
        ConArquivoDll = "fbclient.dll";
        ConPorta = port;
    }

    // A second private server on the first free one of the well-known ports.
    quint16 startSecondServer() {
        for (const quint16 port : {3050, 3051, 3055}) {
            QTcpServer probe;
            if (!probe.listen(QHostAddress::LocalHost, port))
                continue;
            probe.close();
            m_secondRoot = m_folder.filePath("segundo servidor");
            QProcess script;
            script.setProcessChannelMode(QProcess::ForwardedChannels);
            script.start(PARVEL_FB_SCRIPT, {"start", m_secondRoot, QString::number(port)});
            if (script.waitForFinished(180000) && script.exitCode() == 0)
                return port;
            qWarning("second server did not start on %d", port);
            return 0;
        }
        qWarning("3050, 3051 and 3055 are all taken on 127.0.0.1");
        return 0;
    }
};

QTEST_MAIN(TestCheck)
#include "tst_check.moc"
