// The tester against the real server, paused (SIGSTOP) just before it gets a
// chosen request, or answering every request slowly: each test ends at its bound
// with the reason logged, the window painting all along.
#include "FirebirdTestServer.h"
#include "RecordingDialogService.h"
#include "StallingPeer.h"
#include "TesterRun.h"
#include "probes/ConnectionProof.h"
#include "probes/UConecta.h"

#include <QPlainTextEdit>
#include <QtTest>

namespace {

const QString aguarde = "Aguarde... Verificando Usuário...";

} // namespace

class TestUConectaPausedServer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QString why;
        QVERIFY2(m_server.require(why), qPrintable(why));
        QVERIFY(m_server.pid() > 0);
        setDialogs(&m_dialogs);
        // With the user in place the test makes no add-user call: connection 1
        // lists the users, 2 opens the main database, 3 TABDEF.
        QVERIFY2(m_server.addUserIfMissing("TOMRUV", "pelmor", why), qPrintable(why));
    }

    void init() {
        ConEnderecoBanco = ConEnderecoTabdef = "127.0.0.1";
        ConPastaBanco = ConPastaTabdef = m_server.dataFolder();
        ConSistemaBanco = ConSistemaTabdef = "LINUX";
        ConPastaDll = m_server.clientFolder();
        ConArquivoDll = "fbclient.dll";
        m_log.clear();
    }

    QString principal() const { return m_base + "SGB_DADOS/RUVDADOS.FDB"; }
    QString tabdef() const { return m_base + "TABDEF/TABDEF.FDB"; }

    // The requests after the key exchange, as the client sends them:
    // connection 1 attach, start, info, info, detach; 2 and 3 attach, detach.
    void pausedServerEndsTheCallAtItsBound_data() {
        QTest::addColumn<int>("connection");
        QTest::addColumn<int>("request");
        // "{main}", "{tabdef}", "{anexos}", "{service}" are filled in.
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<bool>("attachments");

        const QString timeUp = "Motivo: Tempo esgotado: %1 não terminou em 15 segundos.";
        QTest::newRow("service attach")
            << 1 << 1
            << QStringList{timeUp.arg("a conexão ao gerenciador de serviços \"{service}\"")}
            << false;
        QTest::newRow("user list")
            << 1 << 2 << QStringList{timeUp.arg("a leitura da lista de usuários")} << false;
        QTest::newRow("service detach")
            << 1 << 5
            << QStringList{timeUp.arg("o encerramento da conexão ao gerenciador de serviços")}
            << false;
        QTest::newRow("main database attach")
            << 2 << 1
            << QStringList{"Conexão Falhou.", "Não conseguiu conectar em {main}",
                           timeUp.arg("a conexão a \"{main}\"")}
            << false;
        QTest::newRow("attachments database attach")
            << 2 << 1
            << QStringList{"Conexão Falhou.", "Não conseguiu conectar em {anexos}",
                           timeUp.arg("a conexão a \"{anexos}\"")}
            << true;
        QTest::newRow("main database detach")
            << 2 << 2
            << QStringList{"Conectado em {main} Tempo: 00 segundos.",
                           timeUp.arg("o encerramento da conexão a \"{main}\"")}
            << false;
        QTest::newRow("TABDEF detach")
            << 3 << 2
            << QStringList{"Conectado em {main} Tempo: 00 segundos.",
                           "Conectado em {tabdef} Tempo:00 segundos.",
                           timeUp.arg("o encerramento da conexão a \"{tabdef}\"")}
            << false;
    }

    void pausedServerEndsTheCallAtItsBound() {
        QFETCH(int, connection);
        QFETCH(int, request);
        QFETCH(QStringList, after);
        QFETCH(bool, attachments);
        if (attachments)
            ConPastaBanco = m_server.dataFolder().chopped(1);
        StallingPeer peer(m_server.port().toUShort(), pid_t(m_server.pid()));
        peer.pauseServerAt(connection, request);
        ConPorta = QString::number(peer.port());
        m_base = "127.0.0.1/" + ConPorta + ":" + m_server.dataFolder();
        for (QString& line : after)
            line.replace("{main}", principal())
                .replace("{tabdef}", tabdef())
                .replace("{anexos}", m_base + "RUVARQUIVOS.FDB")
                .replace("{service}", "127.0.0.1/" + ConPorta + ":service_mgr");

        const TesterRun run = TesterRun::of(m_log, attachments);

        QVERIFY(peer.serverPaused());
        QCOMPARE(run.result, 2);
        QCOMPARE(run.lines, QStringList{aguarde} + after);
        // The start delay (a coarse one-second timer), the calls before the
        // paused one, then the bound.
        QVERIFY2(run.elapsedMs >= 15900 && run.elapsedMs < 19000,
                 qPrintable(QString::number(run.elapsedMs)));
        QVERIFY2(run.captions.size() >= 12, qPrintable(run.captions.join(", ")));
    }

    // Every reply 3 s late: each call stays within its own bound (an attach takes
    // four round trips, 12 s), but the user lookup (24 s), the main database
    // (15 s) and TABDEF's attach reach the bound of the whole test first.
    void slowServerEndsTheTestAtItsBound() {
        StallingPeer peer(m_server.port().toUShort(), pid_t(m_server.pid()));
        peer.delayReplies(std::chrono::seconds(3));
        ConPorta = QString::number(peer.port());
        m_base = "127.0.0.1/" + ConPorta + ":" + m_server.dataFolder();

        const TesterRun run = TesterRun::of(m_log);

        QCOMPARE(run.result, 2);
        QCOMPARE(run.lines.size(), 5);
        QVERIFY2(run.lines[1].startsWith("Conectado em " + principal() + " Tempo: 1"),
                 qPrintable(run.lines[1]));
        QCOMPARE(run.lines.mid(2),
                 (QStringList{"Conexão Falhou.", "Não conseguiu conectar em " + tabdef(),
                              "Motivo: Tempo esgotado: o teste de conexão passou de 45 segundos "
                              "durante a conexão a \"" +
                                  tabdef() + "\"."}));
        QVERIFY2(run.elapsedMs >= 45900 && run.elapsedMs < 49500,
                 qPrintable(QString::number(run.elapsedMs)));
        QVERIFY2(run.captions.size() >= 40, qPrintable(run.captions.join(", ")));
    }

    // A step that ends in a time-out records the time it took, for the check's
    // report: the main database's close held, its step at the bound.
    void timedOutCloseRecordsItsTime() {
        StallingPeer peer(m_server.port().toUShort(), pid_t(m_server.pid()));
        peer.pauseServerAt(2, 2);
        const ConnectionParameters parameters{"127.0.0.1",
                                              "127.0.0.1",
                                              m_server.dataFolder(),
                                              m_server.dataFolder(),
                                              "LINUX",
                                              "LINUX",
                                              m_server.clientFolder(),
                                              "fbclient.dll",
                                              QString::number(peer.port())};
        ConnectionProof proof(parameters, ConnectionProof::UsuarioAusente::Falha,
                              [](const QString&) {});

        QVERIFY(!proof.principal());
        QVERIFY(peer.serverPaused());
        const ConnectionProof::Passo step = proof.passos().constLast();
        QCOMPARE(step.nome, QString("principal"));
        QVERIFY(!step.passou);
        QVERIFY2(step.milissegundos >= 15000 && step.milissegundos < 17000,
                 qPrintable(QString::number(step.milissegundos)));
    }

private:
    FirebirdTestServer m_server;
    RecordingDialogService m_dialogs;
    QPlainTextEdit m_log;
    QString m_base; // "127.0.0.1/<relay port>:<data folder>"
};

QTEST_MAIN(TestUConectaPausedServer)
#include "tst_UConectaPausedServer.moc"
