#include "ServerInstallation.h"
#include "firebird/AlteraPortaFirebird.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString script = QStringLiteral(PARVEL_SOURCE_DIR "/scripts/firebird-test-server");

// Processes whose environment puts their lock files under this root: the server
// and anything it left.
QStringList processesOf(const QString& root) {
    QStringList pids;
    const QByteArray marker = "FIREBIRD_LOCK=" + root.toLocal8Bit() + "/lock";
    for (const QString& pid : QDir("/proc").entryList({"[0-9]*"}, QDir::Dirs)) {
        QFile environ("/proc/" + pid + "/environ");
        if (environ.open(QIODevice::ReadOnly) && environ.readAll().split('\0').contains(marker))
            pids << pid;
    }
    return pids;
}

} // namespace

// The script the tests and the demo share: a later caller stops it, rewrites the
// port line of its firebird.conf and starts it again, possibly without waiting.
class TestFirebirdTestServer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void cleanupTestCase() { QProcess::execute(script, {"clean", root()}); }

    void startsOnThePortOfItsConf() {
        const QString first = ServerInstallation::freePort();
        QProcess start;
        start.start(script, {"start", root(), first});
        QVERIFY(start.waitForFinished(120000));
        const QString out = start.readAllStandardOutput();
        QVERIFY2(start.exitCode() == 0, qPrintable(out + start.readAllStandardError()));
        QVERIFY(out.contains("port=" + first + "\n"));
        QVERIFY(out.contains("data=" + root() + "/data/\n"));
        QVERIFY(ServerInstallation::listens(first));
        for (const char* db : {"SGB_DADOS/RUVDADOS.FDB", "TABDEF/TABDEF.FDB", "RUVARQUIVOS.FDB"})
            QVERIFY(QFile::exists(root() + "/data/" + db));

        const QString second = ServerInstallation::freePort();
        QCOMPARE(QProcess::execute(script, {"stop", root()}), 0);
        QVERIFY(AlteraPortaFirebird(root() + "/", second));
        QCOMPARE(QProcess::execute(script, {"start", root()}), 0);
        QVERIFY(ServerInstallation::listens(second));
        QVERIFY(!ServerInstallation::listens(first));
    }

    void overlappingCommandsLeaveOneServerThenNone() {
        QProcess a, b;
        a.start(script, {"start", root()});
        b.start(script, {"start", root()});
        QVERIFY(a.waitForFinished(60000) && b.waitForFinished(60000));
        QCOMPARE(a.exitCode() + b.exitCode(), 0);
        QCOMPARE(processesOf(root()).size(), 1);

        a.start(script, {"stop", root()});
        b.start(script, {"stop", root()});
        QVERIFY(a.waitForFinished(60000) && b.waitForFinished(60000));
        QCOMPARE(a.exitCode() + b.exitCode(), 0);
        QCOMPARE(processesOf(root()), QStringList{});
        QCOMPARE(QProcess::execute(script, {"status", root()}), 3);
    }

    // A root keeps the version it was laid out for: asked for the other one, the
    // start fails before any server runs, where it would have started the one the
    // root has.
    void otherVersionOfARootIsRefused() {
        const QString laidOut = qEnvironmentVariable("PARVEL_FB_VERSION", "3");
        const QString other = laidOut == "4" ? "3" : "4";
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PARVEL_FB_VERSION", other);
        QProcess start;
        start.setProcessEnvironment(environment);
        start.setProcessChannelMode(QProcess::MergedChannels);
        start.start(script, {"start", root()});
        QVERIFY(start.waitForFinished(60000));
        QCOMPARE(start.exitCode(), 1);
        QCOMPARE(QString::fromLocal8Bit(start.readAll()),
                 "firebird-test-server: " + root() + " holds a Firebird " + laidOut +
                     " server, not " + other + " (clean it first)\n");
        QCOMPARE(processesOf(root()), QStringList{});
    }

private:
    QString root() const { return m_dir.path() + "/root"; }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestFirebirdTestServer)
#include "tst_firebird_test_server.moc"
