#include "LoopbackHttpServer.h"
#include "RecordingDialogService.h"
#include "probes/IntegrationProbe.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace {

QByteArray http(const QByteArray& status, const QByteArray& body,
                const QByteArray& extraHeaders = {}) {
    return LoopbackHttpServer::answer(status, body, extraHeaders);
}

const QString kSuccess = QStringLiteral("CONEXÃO ESTABELECIDA COM SUCESSO.");
const QString kFailure = QStringLiteral("CONEXÃO NÃO ESTABELECIDA.");
// The status sentence; %1 stands for the request's address.
QString statusText(int status) {
    return QStringLiteral("O serviço em %1 respondeu com o código HTTP ") +
           QString::number(status) + QStringLiteral(", e não 200 (OK).");
}

// A service on 127.0.0.1 that speaks HTTPS with a certificate of its own, made for
// the tests at build time, that no authority vouches for.
class SelfSignedTlsServer : public QSslServer {
public:
    SelfSignedTlsServer() {
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setLocalCertificate(QSslCertificate(read(PARVEL_TEST_TLS_CERTIFICATE)));
        tls.setPrivateKey(QSslKey(read(PARVEL_TEST_TLS_KEY), QSsl::Rsa));
        setSslConfiguration(tls);
        connect(this, &QSslServer::startedEncryptionHandshake, this, [this] { ++handshakes; });
        if (tls.localCertificate().isNull() || tls.privateKey().isNull() ||
            !listen(QHostAddress::LocalHost))
            qFatal("no TLS server on the loopback");
    }
    int handshakes = 0;

private:
    static QByteArray read(const char* file) {
        QFile f(QString::fromUtf8(file));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

} // namespace

class TestIntegrationProbe : public QObject {
    Q_OBJECT

    RecordingDialogService recorder;

private slots:
    void init() {
        recorder.clear();
        setDialogs(&recorder);
    }

    // "Pong" to the letter with status 200 is the only success; any other status,
    // a redirect included (it is not followed), is a failed request named in
    // Portuguese. %1 is the request's address.
    void answers_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("Pong") << http("200 OK", "Pong") << "confirmation" << kSuccess;
        QTest::newRow("pong") << http("200 OK", "pong") << "confirmation" << kFailure;
        QTest::newRow("Pong and a line break")
            << http("200 OK", "Pong\r\n") << "confirmation" << kFailure;
        QTest::newRow("empty body") << http("200 OK", "") << "confirmation" << kFailure;
        QTest::newRow("redirect") << http("302 Found", "Pong", "Location: /outro\r\n") << "error"
                                  << statusText(302);
        QTest::newRow("204") << http("204 No Content", "") << "error" << statusText(204);
        QTest::newRow("404") << http("404 Not Found", "Pong") << "error" << statusText(404);
        QTest::newRow("500") << http("500 Internal Server Error", "Pong") << "error"
                             << statusText(500);
    }

    void answers() {
        QFETCH(QByteArray, answer);
        QFETCH(QString, kind);
        QFETCH(QString, text);
        LoopbackHttpServer server(answer);

        IntegrationProbe().check(server.url("/ws"));

        QCOMPARE(recorder.entries.size(), 1);
        QCOMPARE(recorder.entries.first().kind, kind);
        QCOMPARE(recorder.entries.first().text,
                 QString(text).replace("%1", server.url("/ws/ping")));
        QCOMPARE(server.requests.size(), 1);
    }

    void request() {
        LoopbackHttpServer server(http("200 OK", "Pong"));
        IntegrationProbe().check(server.url("/wsmerco/wsmerco.dll/"));

        const QList<QByteArray> head = server.requests.value(0).split('\n');
        QCOMPARE(head.value(0), QByteArray("GET /wsmerco/wsmerco.dll//ping HTTP/1.1\r"));
        QVERIFY(head.contains("Accept: text/html, */*\r"));
        QVERIFY(head.contains("User-Agent: Mozilla/3.0 (compatible; Indy Library)\r"));
    }

    // The field as typed; %1 is the server's "http://127.0.0.1:<port>", %2 its port.
    // Blanks travel encoded where a URL can hold them; an address that cannot be
    // asked for is said to be invalid, and nothing is sent.
    void addressAsTyped_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("requestLine");
        QTest::newRow("leading blank") << " %1/ws" << QByteArray("GET /ws/ping HTTP/1.1");
        QTest::newRow("leading tab and blanks")
            << "\t  %1/ws" << QByteArray("GET /ws/ping HTTP/1.1");
        QTest::newRow("trailing blank") << "%1/ws " << QByteArray("GET /ws%20/ping HTTP/1.1");
        QTest::newRow("blank inside")
            << "%1/ws merco" << QByteArray("GET /ws%20merco/ping HTTP/1.1");
        QTest::newRow("no scheme") << "127.0.0.1:%2/ws" << QByteArray();
        QTest::newRow("host name as scheme") << "localhost:%2/ws" << QByteArray();
        QTest::newRow("not a web address") << "file:///etc/hostname" << QByteArray();
    }

    void addressAsTyped() {
        QFETCH(QString, typed);
        QFETCH(QByteArray, requestLine);
        LoopbackHttpServer server(http("200 OK", "Pong"));
        const QString base = server.url(QString());
        const QString address =
            QString(typed).replace("%1", base).replace("%2", base.section(u':', -1));

        IntegrationProbe().check(address);

        QCOMPARE(recorder.entries.size(), 1);
        if (requestLine.isEmpty()) {
            QCOMPARE(server.requests.size(), 0);
            QCOMPARE(recorder.texts("error"),
                     QStringList{QStringLiteral("O endereço \"%1/ping\" não é um endereço válido.")
                                     .arg(address)});
        } else {
            QCOMPARE(server.requests.size(), 1);
            QCOMPARE(server.requests.first().split('\r').first(), requestLine);
            QCOMPARE(recorder.texts("confirmation"), QStringList{kSuccess});
        }
    }

    void refusedConnection() {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const QString address = QStringLiteral("http://127.0.0.1:%1/ws").arg(closed.serverPort());
        closed.close();

        IntegrationProbe().check(address);

        QCOMPARE(recorder.texts("error"),
                 QStringList{QStringLiteral("A conexão com %1/ping foi recusada: nenhum serviço "
                                            "atende nesse endereço e porta.")
                                 .arg(address)});
    }

    // A service that hangs up on every request, before any answer.
    void closedWithoutAnswer() {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        connect(&server, &QTcpServer::newConnection, &server, [&server] {
            while (QTcpSocket* socket = server.nextPendingConnection())
                socket->close();
        });
        const QString address = QStringLiteral("http://127.0.0.1:%1/ws").arg(server.serverPort());

        IntegrationProbe().check(address);

        QCOMPARE(
            recorder.texts("error"),
            QStringList{QStringLiteral("O serviço em %1/ping encerrou a conexão sem responder.")
                            .arg(address)});
    }

    // The client does not trust the service's certificate: the request never goes out.
    void tlsFailure() {
        SelfSignedTlsServer server;
        const QString address = QStringLiteral("https://127.0.0.1:%1/ws").arg(server.serverPort());

        IntegrationProbe().check(address);

        QCOMPARE(recorder.texts("error"),
                 QStringList{QStringLiteral("A conexão segura (HTTPS) com %1/ping falhou: o "
                                            "certificado do servidor não é confiável ou a "
                                            "negociação não foi concluída.")
                                 .arg(address)});
        QCOMPARE(server.handshakes, 1);
    }

    void silentServerIsBounded() {
        LoopbackHttpServer server(QByteArray{});
        QElapsedTimer clock;
        clock.start();

        IntegrationProbe(300).check(server.url("/ws"));

        QVERIFY(clock.elapsed() < 2000);
        QCOMPARE(server.requests.size(), 1);
        QCOMPARE(
            recorder.texts("error"),
            QStringList{
                QStringLiteral("Sem resposta de %1 em 0.3 segundos.").arg(server.url("/ws/ping"))});
    }

    void blankAddress_data() {
        QTest::addColumn<QString>("address");
        QTest::newRow("empty") << "";
        QTest::newRow("blanks") << "   ";
        QTest::newRow("tab and line break") << "\t\r\n ";
    }

    void blankAddress() {
        QFETCH(QString, address);
        IntegrationProbe().check(address);
        QCOMPARE(recorder.entries.size(), 1);
        QCOMPARE(recorder.entries.first().kind, QStringLiteral("warningDialog"));
        QCOMPARE(recorder.entries.first().text,
                 QStringLiteral("Atenção !!!\rÉ obrigatório informar o caminho da integração!!!"));
    }
};

QTEST_MAIN(TestIntegrationProbe)
#include "tst_IntegrationProbe.moc"
