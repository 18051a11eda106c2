// A program that returns from main while a call it gave up on is still inside a
// library ends at once, with its status and without that library's teardown,
// which would run with the locks of the held call's thread still taken (on
// Windows that thread is ended wherever it is) or wait for the call to return.
// Once every call has returned, the teardown runs as usual.
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestHeldCallExit : public QObject {
    Q_OBJECT

private slots:
    void teardownSkippedOnlyWhileACallIsHeld_data() {
        QTest::addColumn<QString>("call");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("tornDown");
        QTest::newRow("call held") << "hold" << 2 << false;
        QTest::newRow("call returned") << "pass" << 0 << true;
    }

    void teardownSkippedOnlyWhileACallIsHeld() {
        QFETCH(QString, call);
        QTemporaryDir dir;
        const QString library = dir.path() + "/held" + QFileInfo(HELD_LIBRARY).fileName();
        QVERIFY(QFile::copy(HELD_LIBRARY, library));
        QProcess program;
        QElapsedTimer clock;
        clock.start();

        program.start(HELD_CALL, {library, call});

        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QTEST(program.exitCode(), "status");
        QTEST(QFile::exists(library + ".detached"), "tornDown");
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    }
};

QTEST_GUILESS_MAIN(TestHeldCallExit)
#include "tst_heldcallexit.moc"
