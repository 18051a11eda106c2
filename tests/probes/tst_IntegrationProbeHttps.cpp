// An HTTPS integration service whose certificate the machine trusts (the
// fixture "https_service" adds it to the trusted roots, as a site does for its
// own authority): the probe goes through Windows' own TLS and gets its "Pong",
// or is told that a service hung up.
#include "RecordingDialogService.h"
#include "probes/IntegrationProbe.h"

#include <QTest>
#include <QUrl>

class TestIntegrationProbeHttps : public QObject {
    Q_OBJECT

    RecordingDialogService recorder;
    // The fixture's service, "https://127.0.0.1:<port>/ws".
    const QString service = qEnvironmentVariable("PARVEL_HTTPS_SERVICE");

private slots:
    void init() {
        QVERIFY2(service.startsWith(QLatin1String("https://127.0.0.1:")),
                 "PARVEL_HTTPS_SERVICE names no service of the fixture");
        recorder.clear();
        setDialogs(&recorder);
    }

    void trustedServiceAnswers() {
        IntegrationProbe().check(service);

        QCOMPARE(recorder.texts("confirmation"),
                 QStringList{QStringLiteral("CONEXÃO ESTABELECIDA COM SUCESSO.")});
        QCOMPARE(recorder.entries.size(), 1);
    }

    // The fixture's service on the next port hangs up once the client has spoken,
    // before any answer; it must not be taken for one that never answers. Named
    // apart from TestIntegrationProbe's closedWithoutAnswer, which the Windows
    // BLACKLIST lists by that name for every program.
    void serviceHangsUp() {
        const QUrl url(service);
        QUrl hangUp = url;
        hangUp.setPort(url.port() + 1);
        const QString address = hangUp.toString();

        IntegrationProbe().check(address);

        QCOMPARE(
            recorder.texts("error"),
            QStringList{QStringLiteral("O serviço em %1/ping encerrou a conexão sem responder.")
                            .arg(address)});
    }

    // The same service under a name its certificate does not carry.
    void certificateOfAnotherName() {
        QString address = service;
        address.replace(QLatin1String("127.0.0.1"), QLatin1String("localhost"));

        IntegrationProbe().check(address);

        QCOMPARE(recorder.texts("error"),
                 QStringList{QStringLiteral("A conexão segura (HTTPS) com %1/ping falhou: o "
                                            "certificado do servidor não é confiável ou a "
                                            "negociação não foi concluída.")
                                 .arg(address)});
    }
};

QTEST_MAIN(TestIntegrationProbeHttps)
#include "tst_IntegrationProbeHttps.moc"
