// The service restart around the port rewrite: the commands it issues, one after
// the other, what it tells the operator meanwhile, the port it leaves in
// "firebird.conf", and a server that must not be left stopped for every
// workstation when the rewrite fails. Without the rights for it nothing is
// touched; a command the tool reports as failed ends the restart.
#include "FakeServiceTool.h"
#include "RecordingDialogService.h"
#include "Tmpfs.h"
#include "funcoes/AppError.h"
#include "screens/main/ServiceRestart.h"

#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

class TestServiceRestart : public QObject {
    Q_OBJECT

private slots:
    void restartAroundTheRewrite_data();
    void restartAroundTheRewrite();
    void withoutRightsNothingIsTouched_data();
    void withoutRightsNothingIsTouched();
    void failedCommandEndsTheRestart_data();
    void failedCommandEndsTheRestart();
    void noPortStopsNothing();
};

namespace {

const QString stopping = QStringLiteral("Aguarde... Parando o serviço do Firebird...");
const QString starting = QStringLiteral("Aguarde... Iniciando o serviço do Firebird...");

} // namespace

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

void TestServiceRestart::withoutRightsNothingIsTouched_data() {
    QTest::addColumn<bool>("keepService");
    QTest::newRow("service restart") << false;
    QTest::newRow("service kept, port rewrite only") << true;
}

void TestServiceRestart::withoutRightsNothingIsTouched() {
    QFETCH(bool, keepService);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("firebird"));
    const FakeServiceTool tool(dir.path() + "/firebird");
    QVERIFY(tool.valid());
    RecordingDialogService boxes;
    setDialogs(&boxes);
    ServiceRestart::setRightsForTesting(false);
    const auto restore = qScopeGuard([] {
        ServiceRestart::setRightsForTesting(std::nullopt);
        setDialogs(nullptr);
    });
    QStringList notices;

    QVERIFY(!ServiceRestart::run(tool.folder(), "3055", keepService,
                                 [&notices](const QString& line) { notices << line; }));

    QCOMPARE(boxes.entries.size(), 1);
    QCOMPARE(boxes.entries.first().kind, "warning");
    QCOMPARE(boxes.entries.first().text,
             "Para reiniciar o serviço do Firebird e alterar a porta em \"" + tool.folder() +
                 "firebird.conf\", o Parvel precisa ser executado como administrador.\rFeche o "
                 "Parvel e abra-o com \"Executar como administrador\". Nada foi alterado.");
    QCOMPARE(tool.commands(), QStringList{});
    QCOMPARE(tool.conf(), "RemoteServicePort = 3050\r\n");
    QCOMPARE(notices, QStringList{});
}

void TestServiceRestart::failedCommandEndsTheRestart_data() {
    QTest::addColumn<QString>("failing");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QByteArray>("conf");
    QTest::addColumn<QStringList>("notices");
    const QString failed =
        QStringLiteral("O comando %1 do serviço do Firebird falhou (código de saída 3).");
    QTest::newRow("stop fails: the file is not touched")
        << "stop" << QStringList{"stop"} << QByteArray("RemoteServicePort = 3050\r\n")
        << QStringList{stopping, failed.arg("stop")};
    QTest::newRow("start fails after the rewrite")
        << "start" << QStringList{"stop", "start"} << QByteArray("RemoteServicePort = 3055\r\n")
        << QStringList{stopping, starting, failed.arg("start")};
}

void TestServiceRestart::failedCommandEndsTheRestart() {
    QFETCH(QString, failing);
    QFETCH(QStringList, notices);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("firebird"));
    const FakeServiceTool tool(dir.path() + "/firebird");
    QVERIFY(tool.valid());
    QVERIFY(tool.failOn(failing));
    QStringList seen;

    try {
        ServiceRestart::run(tool.folder(), "3055", false,
                            [&seen](const QString& line) { seen << line; });
        QFAIL("the restart went on");
    } catch (const AppError& error) {
        QCOMPARE(error.text(), notices.last());
    }

    QTEST(tool.commands(), "commands");
    QTEST(tool.conf(), "conf");
    QCOMPARE(seen, notices);
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
