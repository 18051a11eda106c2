// A host name that no one knows, looked up where no query can leave the machine:
// the probe runs in a network namespace of its own (loopback only, and down),
// with a resolver file naming 127.0.0.1, where nothing answers, and name lookups
// limited to the hosts file and DNS.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestIntegrationProbeHostNotFound : public QObject {
    Q_OBJECT

private slots:
    void hostNotFound() {
        QTemporaryDir world;
        QVERIFY(world.isValid());
        writeFile(world.filePath("resolv.conf"), "nameserver 127.0.0.1\n");
        writeFile(world.filePath("nsswitch.conf"), "hosts: files dns\n");
        const QString address = QStringLiteral("http://servidor-inexistente.invalid:8075/ws");

        QProcess probe;
        probe.start(QStringLiteral("unshare"),
                    {"--user", "--map-root-user", "--net", "--mount", "sh", "-c",
                     "mount --bind \"$1\" /etc/resolv.conf && "
                     "mount --bind \"$2\" /etc/nsswitch.conf && exec \"$3\" \"$4\"",
                     "sh", world.filePath("resolv.conf"), world.filePath("nsswitch.conf"),
                     QCoreApplication::applicationDirPath() + "/integration_probe_once", address});
        QVERIFY(probe.waitForFinished(30000));
        QVERIFY2(probe.exitCode() == 1, probe.readAllStandardError().constData());
        QCOMPARE(QString::fromUtf8(probe.readAllStandardOutput()),
                 QStringLiteral("O servidor \"servidor-inexistente.invalid\" não foi encontrado "
                                "na rede (endereço %1/ping).")
                     .arg(address));
    }

private:
    static void writeFile(const QString& name, const QByteArray& bytes) {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }
};

QTEST_MAIN(TestIntegrationProbeHostNotFound)
#include "tst_IntegrationProbeHostNotFound.moc"
