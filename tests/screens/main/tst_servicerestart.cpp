// The service restart around the port rewrite: the commands it issues, one after
// the other, what it tells the operator meanwhile, the port it leaves in
// "firebird.conf", and a server that must not be left stopped for every
// workstation when the rewrite fails.
#include "FakeServiceTool.h"
#include "Tmpfs.h"
#include "funcoes/AppError.h"
#include "screens/main/ServiceRestart.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

class TestServiceRestart : public QObject {
    Q_OBJECT

private slots:
    void restartAroundTheRewrite_data();
    void restartAroundTheRewrite();
    void noPortStopsNothing();
};

void TestServiceRestart::restartAroundTheRewrite_data() {
    QTest::addColumn<bool>("keepService");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QByteArray>("conf");
    const QByteArray moved = "RemoteServicePort = 3055\r\n";
    const QByteArray unchanged = "RemoteServicePort = 3050\r\n";
    const QStringList restart{"stop", "start"};
    QTest::newRow("service restarted") << false << false << restart << moved;
    QTest::newRow("service kept, port still moved") << true << false << QStringList{} << moved;
    QTest::newRow("failed rewrite starts the service again")
        << false << true << restart << unchanged;
    QTest::newRow("failed rewrite, service kept") << true << true << QStringList{} << unchanged;
}

void TestServiceRestart::restartAroundTheRewrite() {
    QFETCH(bool, keepService);
    QFETCH(bool, readOnly);
    QFETCH(QStringList, commands);
    // Only a read-only mount refuses the rewrite to root; Windows has none.
    if (readOnly && !Tmpfs::supported())
        QSKIP("no tmpfs on this system to refuse the rewrite of firebird.conf");
    QTemporaryDir dir;
    const QString installation = dir.path() + "/firebird";
    QVERIFY(QDir(dir.path()).mkdir("firebird"));
    std::optional<Tmpfs> disk;
    if (readOnly) {
        disk.emplace(installation);
        QVERIFY2(disk->mounted(), "mounting a tmpfs needs root");
    }
    const FakeServiceTool tool(installation);
    QVERIFY(tool.valid());
    if (readOnly)
        QVERIFY(disk->remountReadOnly());

    QStringList notices;
    const auto notice = [&notices](const QString& line) { notices << line; };
    if (readOnly)
        QVERIFY_THROWS_EXCEPTION(AppError,
                                 ServiceRestart::run(tool.folder(), "3055", keepService, notice));
    else
        ServiceRestart::run(tool.folder(), "3055", keepService, notice);

    // Each command has ended by the time the restart returns.
    QCOMPARE(tool.commands(), commands);
    QTEST(tool.conf(), "conf");
    QStringList expected;
    for (const QString& command : commands)
        expected << (command == "stop" ? "Aguarde... Parando o serviço do Firebird..."
                                       : "Aguarde... Iniciando o serviço do Firebird...");
    QCOMPARE(notices, expected);
}

// Whoever calls it, a text that is no port never has the service stopped.
void TestServiceRestart::noPortStopsNothing() {
    QTemporaryDir dir;
    const FakeServiceTool tool(dir.path());
    QVERIFY(tool.valid());
    const QByteArray conf = tool.conf();
    QStringList notices;

    QVERIFY_THROWS_EXCEPTION(
        AppError, ServiceRestart::run(tool.folder(), "99999", false,
                                      [&notices](const QString& line) { notices << line; }));

    QCOMPARE(tool.commands(), QStringList{});
    QCOMPARE(tool.conf(), conf);
    QCOMPARE(notices, QStringList{});
}

QTEST_GUILESS_MAIN(TestServiceRestart)
#include "tst_servicerestart.moc"
