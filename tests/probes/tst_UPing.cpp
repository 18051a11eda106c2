#include "RecordingDialogService.h"
#include "ScriptedIcmpClient.h"
#include "probes/UPing.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

class TestUPing : public QObject {
    Q_OBJECT

    RecordingDialogService recorder;

    struct Run {
        int result = 0;
        QStringList lines;
        qint64 elapsedMs = 0;
    };

    // Shows a fresh window the way the screens do and keeps what it wrote.
    static Run runWindow() {
        Run run;
        TFPing window;
        if (FPing != &window)
            qFatal("the window is not the current ping window");
        QElapsedTimer clock;
        clock.start();
        run.result = dialogs().execModal(window);
        run.elapsedMs = clock.elapsed();
        const QString text = window.findChild<QPlainTextEdit*>("mmResultado")->toPlainText();
        if (!text.isEmpty())
            run.lines = text.split(u'\n');
        return run;
    }

private slots:
    void init() {
        recorder.clear();
        setDialogs(&recorder);
    }

    void cleanup() { ScriptedIcmpClient::uninstall(); }

    // Only the fifth report decides; a failure stops the run where it happens.
    void scriptedOutcome_data() {
        QTest::addColumn<bool>("resolves");
        QTest::addColumn<QList<int>>("bytes"); // 0 is a time-out; fewer than five: then a failure
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("requests");
        QTest::newRow("all answered") << true << QList<int>{1024, 1024, 1024, 1024, 1024} << 1 << 5;
        QTest::newRow("first four answered")
            << true << QList<int>{1024, 1024, 1024, 1024, 0} << 2 << 5;
        QTest::newRow("only the fifth answered") << true << QList<int>{0, 0, 0, 0, 1024} << 1 << 5;
        QTest::newRow("short replies count") << true << QList<int>{71, 63, 36, 32, 9} << 1 << 5;
        QTest::newRow("host not resolved") << false << QList<int>{1024, 1024} << 2 << 0;
        QTest::newRow("socket fails at the third") << true << QList<int>{1024, 1024} << 2 << 3;
    }

    void scriptedOutcome() {
        QFETCH(bool, resolves);
        QFETCH(QList<int>, bytes);
        QFETCH(int, result);
        QFETCH(int, requests);
        auto script = ScriptedIcmpClient::install();
        script->resolves = resolves;
        for (int b : bytes)
            script->reports << (b ? ScriptedIcmpClient::answer(b) : ScriptedIcmpClient::timeOut());
        AlvoPing = QStringLiteral(" servidor ");

        const Run run = runWindow();

        QCOMPARE(run.result, result);
        QCOMPARE(script->host, QStringLiteral(" servidor "));
        QCOMPARE(script->requests, requests);
        QCOMPARE(run.lines.size(), std::min<qsizetype>(requests, bytes.size()));
        QVERIFY(FPing == nullptr);
    }

    // Where the system opens no ICMP socket the window says why, stays long enough
    // to be read, and the check still counts as failed.
    void notPermittedIsExplained() {
        auto script = ScriptedIcmpClient::install();
        script->permitted = false;
        AlvoPing = QStringLiteral("127.0.0.1");

        const Run run = runWindow();

        QCOMPARE(run.result, 2);
        QCOMPARE(run.lines, QStringList{"Sem permissão para enviar ping (roteiro do teste)"});
        QVERIFY2(run.elapsedMs >= 2000 + 8000, qPrintable(QString::number(run.elapsedMs)));
        QVERIFY(FPing == nullptr);
    }

    void lines() {
        auto script = ScriptedIcmpClient::install();
        script->reports << ScriptedIcmpClient::answer(1024, 5) << ScriptedIcmpClient::timeOut()
                        << ScriptedIcmpClient::answer(36, 0);
        const QStringList lines = runWindow().lines;
        QCOMPARE(
            lines,
            (QStringList{"1024 bytes de 10.0.0.7: sequencia#=1 tempo-de-vida(ttl)=128 tempo=5 ms ",
                         "0 bytes de 0.0.0.0: sequencia#=2 tempo-de-vida(ttl)=0 tempo=500 ms "
                         "->72 Bytes Perdidos  100% de Perda",
                         "36 bytes de 10.0.0.7: sequencia#=3 tempo-de-vida(ttl)=128 tempo<1 ms "
                         "->36 Bytes Perdidos  50% de Perda"}));
    }

    // One caption step a second from the show on, the check from the second second.
    void captionAndStart() {
        auto script = ScriptedIcmpClient::install();
        script->waitMs = 500;
        for (int i = 0; i < 5; ++i)
            script->reports << ScriptedIcmpClient::answer();
        TFPing window;
        auto* label = window.findChild<QLabel*>("Label2");
        QStringList captions;
        for (int at : {300, 1500, 2500, 3500, 4300})
            QTimer::singleShot(at, &window, [&] { captions << label->text(); });
        script->clock.restart();
        QCOMPARE(dialogs().execModal(window), 1);

        const QString base = QStringLiteral("Verificando Conexão .... conectando");
        QCOMPARE(captions, (QStringList{base, base + ".", base + "..", base + "...", base + "."}));
        QVERIFY2(script->hostSetAtMs >= 2000 && script->hostSetAtMs < 2500,
                 qPrintable(QString::number(script->hostSetAtMs)));
    }

    // The first caption is set and whatever waits in the queue is handled while
    // the window shows, before any timer runs.
    void showProcessesPendingEvents() {
        auto script = ScriptedIcmpClient::install();
        TFPing window;
        auto* label = window.findChild<QLabel*>("Label2");
        QString seen = QStringLiteral("<not run>");
        QMetaObject::invokeMethod(
            &window, [&] { seen = label->text(); }, Qt::QueuedConnection);
        window.show();
        QCOMPARE(seen, QStringLiteral("Verificando Conexão .... conectando"));
        QCOMPARE(script->requests, 0);
    }

    void escapeDoesNotCloseTheWindow() {
        auto script = ScriptedIcmpClient::install();
        for (int i = 0; i < 5; ++i)
            script->reports << ScriptedIcmpClient::answer();
        TFPing window;
        QTimer::singleShot(300, &window, [&] { QTest::keyClick(&window, Qt::Key_Escape); });
        QCOMPARE(dialogs().execModal(window), 1);
        QCOMPARE(script->requests, 5);
    }

    // A real echo of this machine's loopback, through the platform's client.
    void loopback() {
        AlvoPing = QStringLiteral("127.0.0.1");
        const Run run = runWindow();

        QCOMPARE(run.result, 1);
        QCOMPARE(run.lines.size(), 5);
        for (int i = 0; i < 5; ++i) {
            const QString& line = run.lines.at(i);
            QVERIFY2(line.startsWith("1024 bytes de 127.0.0.1: sequencia#="), qPrintable(line));
            QVERIFY2(line.contains(" tempo-de-vida(ttl)=64 tempo"), qPrintable(line));
            QVERIFY2(line.endsWith(" ms "), qPrintable(line));
        }
        QCOMPARE(recorder.entries.first().title, QStringLiteral("Ping"));
        // The start delay and five loopback round trips, nothing more: a second's
        // wait between echoes would take past 6 s; the rest is room for a loaded
        // machine.
        qInfo("loopback ping check took %lld ms", run.elapsedMs);
        QVERIFY2(run.elapsedMs >= 2000 && run.elapsedMs < 4000,
                 qPrintable(QString::number(run.elapsedMs)));
    }
};

QTEST_MAIN(TestUPing)
#include "tst_UPing.moc"
