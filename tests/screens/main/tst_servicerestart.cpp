// The service restart when the port cannot be rewritten: the server must not be
// left stopped for every workstation.
#include "Tmpfs.h"
#include "funcoes/AppError.h"
#include "screens/main/ServiceRestart.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestServiceRestart : public QObject {
    Q_OBJECT

private slots:
    void failedRewriteStartsTheServiceAgain_data();
    void failedRewriteStartsTheServiceAgain();
};

void TestServiceRestart::failedRewriteStartsTheServiceAgain_data() {
    QTest::addColumn<bool>("keepService");
    QTest::addColumn<QStringList>("commands");
    QTest::newRow("service restarted") << false << QStringList{"start", "stop"};
    QTest::newRow("service kept") << true << QStringList{};
}

void TestServiceRestart::failedRewriteStartsTheServiceAgain() {
    QFETCH(bool, keepService);
    QFETCH(QStringList, commands);
    QTemporaryDir dir;
    const QString installation = dir.path() + "/firebird";
    const QString log = dir.path() + "/commands.log";
    QVERIFY(QDir(dir.path()).mkdir("firebird"));
    Tmpfs disk(installation);
    QVERIFY(disk.mounted());
    QFile tool(installation + "/instsvc.exe");
    QVERIFY(tool.open(QIODevice::WriteOnly));
    tool.write(("#!/bin/sh\necho \"$1\" >>'" + log + "'\n").toUtf8());
    tool.close();
    tool.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    QFile conf(installation + "/firebird.conf");
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write("RemoteServicePort = 3050\r\n");
    conf.close();
    QVERIFY(disk.remountReadOnly());

    QVERIFY_THROWS_EXCEPTION(AppError,
                             ServiceRestart::run(installation + '/', "3055", keepService));

    const auto carriedOut = [&log] {
        QFile file(log);
        QStringList lines;
        if (file.open(QIODevice::ReadOnly))
            lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
        lines.sort(); // launched without waiting: either may come first
        return lines;
    };
    if (commands.isEmpty())
        QTest::qWait(500);
    QTRY_COMPARE(carriedOut(), commands);
    QCOMPARE(QFile(installation + "/firebird.conf").size(), qint64(26));
}

QTEST_GUILESS_MAIN(TestServiceRestart)
#include "tst_servicerestart.moc"
