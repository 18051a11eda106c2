#include "LoopbackHttpServer.h"
#include "RecordingDialogService.h"
#include "probes/IntegrationProbe.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTest>

namespace {

QByteArray http(const QByteArray& status, const QByteArray& body,
                const QByteArray& extraHeaders = {}) {
    return LoopbackHttpServer::answer(status, body, extraHeaders);
}

const QString kSuccess = QStringLiteral("CONEXÃO ESTABELECIDA COM SUCESSO.");
const QString kFailure = QStringLiteral("CONEXÃO NÃO ESTABELECIDA.");

} // namespace

class TestIntegrationProbe : public QObject {
    Q_OBJECT

    RecordingDialogService recorder;

private slots:
    void init() {
        recorder.clear();
        setDialogs(&recorder);
    }

    // "Pong" to the letter with status 200 is the only success; a 3xx is not
    // followed, an error status is a failed request.
    void answers_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("Pong") << http("200 OK", "Pong") << "confirmation" << kSuccess;
        QTest::newRow("pong") << http("200 OK", "pong") << "confirmation" << kFailure;
        QTest::newRow("Pong and a line break")
            << http("200 OK", "Pong\r\n") << "confirmation" << kFailure;
        QTest::newRow("empty body") << http("200 OK", "") << "confirmation" << kFailure;
        QTest::newRow("redirect") << http("302 Found", "", "Location: /outro\r\n") << "confirmation"
                                  << kFailure;
        QTest::newRow("404") << http("404 Not Found", "Pong") << "error"
                             << "Not Found";
        QTest::newRow("500") << http("500 Internal Server Error", "Pong") << "error"
                             << "Internal Server Error";
    }

    void answers() {
        QFETCH(QByteArray, answer);
        QFETCH(QString, kind);
        QFETCH(QString, text);
        LoopbackHttpServer server(answer);

        IntegrationProbe().check(server.url("/ws"));

        QCOMPARE(recorder.entries.size(), 1);
        QCOMPARE(recorder.entries.first().kind, kind);
        QVERIFY2(recorder.entries.first().text.contains(text),
                 qPrintable(recorder.entries.first().text));
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
        const quint16 port = closed.serverPort();
        closed.close();

        IntegrationProbe().check(QStringLiteral("http://127.0.0.1:%1/ws").arg(port));

        QCOMPARE(recorder.texts("error").size(), 1);
        QVERIFY2(recorder.texts("error").first().contains("refused"),
                 qPrintable(recorder.texts("error").first()));
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
