// The service restart around the port rewrite: the commands it issues, the port it
// leaves in "firebird.conf", and a server that must not be left stopped for every
// workstation when the rewrite fails.
#include "FakeServiceTool.h"
#include "Tmpfs.h"
#include "funcoes/AppError.h"
#include "screens/main/ServiceRestart.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TestServiceRestart : public QObject {
    Q_OBJECT

private slots:
    void restartAroundTheRewrite_data();
    void restartAroundTheRewrite();
};

void TestServiceRestart::restartAroundTheRewrite_data() {
    QTest::addColumn<bool>("keepService");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QByteArray>("conf");
    const QByteArray moved = "RemoteServicePort = 3055\r\n";
    const QByteArray unchanged = "RemoteServicePort = 3050\r\n";
    QTest::newRow("service restarted") << false << false << QStringList{"start", "stop"} << moved;
    QTest::newRow("service kept, port still moved") << true << false << QStringList{} << moved;
    QTest::newRow("failed rewrite starts the service again")
        << false << true << QStringList{"start", "stop"} << unchanged;
    QTest::newRow("failed rewrite, service kept") << true << true << QStringList{} << unchanged;
}

void TestServiceRestart::restartAroundTheRewrite() {
    QFETCH(bool, keepService);
    QFETCH(bool, readOnly);
    QFETCH(QStringList, commands);
    QTemporaryDir dir;
    const QString installation = dir.path() + "/firebird";
    QVERIFY(QDir(dir.path()).mkdir("firebird"));
    Tmpfs disk(installation);
    QVERIFY(disk.mounted());
    const FakeServiceTool tool(installation);
    QVERIFY(tool.valid());
    if (readOnly)
        QVERIFY(disk.remountReadOnly());

    if (readOnly)
        QVERIFY_THROWS_EXCEPTION(AppError, ServiceRestart::run(tool.folder(), "3055", keepService));
    else
        ServiceRestart::run(tool.folder(), "3055", keepService);

    if (commands.isEmpty())
        QTest::qWait(500); // a command would have reached the log by now
    QTRY_COMPARE(tool.commands(), commands);
    QTEST(tool.conf(), "conf");
}

QTEST_GUILESS_MAIN(TestServiceRestart)
#include "tst_servicerestart.moc"
