// The service restart around the port rewrite, called as the saves call it: the
// commands it issues, one after the other, what it tells the operator meanwhile,
// the port it leaves in "firebird.conf" and the port the server listens on.
// Without the rights for it nothing is touched; a rewrite that fails once the
// server is down brings the server back on its old port. The failures of the
// commands themselves, through the whole save, are tst_savechecks'
// localRestartLeavesTheServerRunning.
#include "FakeServiceTool.h"
#include "RecordingDialogService.h"
#include "ServerInstallation.h"
#include "Tmpfs.h"
#include "funcoes/AppError.h"
#include "screens/main/ServiceRestart.h"

#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

class TestServiceRestart : public QObject {
    Q_OBJECT

private slots:
    void init() { setDialogs(&m_boxes); }
    void cleanup() {
        m_boxes.clear();
        setDialogs(nullptr);
    }

    void restartAroundTheRewrite_data();
    void restartAroundTheRewrite();
    void rewriteRefusedOnceStoppedStartsTheOldPort();
    void withoutRightsNothingIsTouched_data();
    void withoutRightsNothingIsTouched();
    void noPortStopsNothing();

private:
    RecordingDialogService m_boxes;
};

namespace {

const QString stopping = QStringLiteral("Aguarde... Parando o serviço do Firebird...");
const QString starting = QStringLiteral("Aguarde... Iniciando o serviço do Firebird...");

QByteArray portLine(const QString& port) {
    return "RemoteServicePort = " + port.toLatin1() + "\r\n";
}

} // namespace

void TestServiceRestart::restartAroundTheRewrite_data() {
    QTest::addColumn<bool>("keepService");
    QTest::addColumn<QStringList>("commands");
    QTest::newRow("service restarted") << false << QStringList{"stop", "start"};
    QTest::newRow("service kept, port still moved") << true << QStringList{};
}

void TestServiceRestart::restartAroundTheRewrite() {
    QFETCH(bool, keepService);
    QFETCH(QStringList, commands);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("firebird"));
    const FakeServiceTool tool(dir.path() + "/firebird", {}, !keepService);
    QVERIFY(tool.valid());
    const QString port = ServerInstallation::freePort();
    QStringList notices;

    QVERIFY(ServiceRestart::run(tool.folder(), port, keepService,
                                [&notices](const QString& line) { notices << line; }));

    // Each command has ended by the time the restart returns.
    QCOMPARE(tool.commands(), commands);
    QCOMPARE(tool.conf(), portLine(port));
    QCOMPARE(ServerInstallation::listens(port), !keepService);
    const QString rewritten = "O arquivo \"" + tool.folder() +
                              "firebird.conf\" agora tem a linha \"RemoteServicePort = " + port +
                              "\".";
    const QStringList expected =
        keepService ? QStringList{rewritten} : QStringList{stopping, rewritten, starting};
    QCOMPARE(notices, expected);
    QCOMPARE(m_boxes.entries.size(), 0);
}

// The one refusal that only the write itself can find: a full disk.
void TestServiceRestart::rewriteRefusedOnceStoppedStartsTheOldPort() {
    if (!Tmpfs::supported())
        QSKIP("no tmpfs on this system to fill under firebird.conf");
    QTemporaryDir dir;
    const QString installation = dir.path() + "/firebird";
    QVERIFY(QDir(dir.path()).mkdir("firebird"));
    Tmpfs disk(installation);
    QVERIFY2(disk.mounted(), "mounting a tmpfs needs root");
    // Large enough that its copy cannot fit in what is left of the mount.
    const QString old = ServerInstallation::freePort();
    QByteArray conf = portLine(old);
    while (conf.size() < 16 * 1024)
        conf += "# RemoteServicePort\r\n";
    const FakeServiceTool tool(installation, conf, true);
    QVERIFY(tool.valid());
    disk.fill();
    const QString port = ServerInstallation::freePort();

    QVERIFY(!ServiceRestart::run(tool.folder(), port, false, [](const QString&) {}));

    QCOMPARE(tool.commands(), (QStringList{"stop", "start"}));
    QCOMPARE(tool.conf(), conf);
    QVERIFY(ServerInstallation::listens(old));
    QCOMPARE(m_boxes.texts("warning"),
             QStringList{"Não foi possível gravar o arquivo \"" + tool.folder() +
                         "firebird.conf\": não há espaço livre no disco.\rO servidor Firebird foi "
                         "iniciado novamente e está em execução na porta " +
                         old + ".\rO arquivo \"ruv.ini\" não foi alterado."});
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
    const QByteArray conf = tool.conf();
    ServiceRestart::setRightsForTesting(false);
    const auto restore = qScopeGuard([] { ServiceRestart::setRightsForTesting(std::nullopt); });
    QStringList notices;

    QVERIFY(!ServiceRestart::run(tool.folder(), "3055", keepService,
                                 [&notices](const QString& line) { notices << line; }));

    QCOMPARE(m_boxes.entries.size(), 1);
    QCOMPARE(m_boxes.entries.first().kind, "warning");
    QCOMPARE(m_boxes.entries.first().text,
             "Para reiniciar o serviço do Firebird e alterar a porta em \"" + tool.folder() +
                 "firebird.conf\", o Parvel precisa ser executado como administrador.\rFeche o "
                 "Parvel e abra-o com \"Executar como administrador\". Nada foi alterado.");
    QCOMPARE(tool.commands(), QStringList{});
    QCOMPARE(tool.conf(), conf);
    QCOMPARE(notices, QStringList{});
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
    QCOMPARE(m_boxes.entries.size(), 0);
}

QTEST_GUILESS_MAIN(TestServiceRestart)
#include "tst_servicerestart.moc"
