// The tester against servers that hold its calls: loopback listeners that stay
// silent, trickle single bytes or send keep-alive packets. Each test ends at its
// bound with the reason logged, the window painting all along.
#include "RecordingDialogService.h"
#include "StallingPeer.h"
#include "TesterRun.h"
#include "probes/UConecta.h"

#include <QPlainTextEdit>
#include <QProcess>
#include <QtTest>
#include <csignal>

namespace {

const QString aguarde = "Aguarde... Verificando Usuário...";

} // namespace

class TestUConectaBounds : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setDialogs(&m_dialogs); }

    void init() {
        ConEnderecoBanco = ConEnderecoTabdef = "127.0.0.1";
        ConPastaBanco = ConPastaTabdef = "/srv/ruv/";
        ConSistemaBanco = ConSistemaTabdef = "LINUX";
        ConPastaDll = "/usr/lib/x86_64-linux-gnu/";
        ConArquivoDll = "libfbclient.so.2";
        m_log.clear();
    }

    void heldServiceAttachEndsAtTheCallBound_data() {
        QTest::addColumn<StallingPeer::Mode>("mode");
        QTest::newRow("silent") << StallingPeer::Mode::Silent;
        QTest::newRow("one byte every 2 s") << StallingPeer::Mode::Trickle;
        QTest::newRow("op_dummy every 2 s") << StallingPeer::Mode::KeepAlive;
    }

    // Esc and a close request in the middle change nothing.
    void heldServiceAttachEndsAtTheCallBound() {
        QFETCH(StallingPeer::Mode, mode);
        StallingPeer peer(mode);
        ConPorta = QString::number(peer.port());

        const TesterRun run = TesterRun::of(m_log, false, [](TFConecta& window) {
            QTest::keyClick(&window, Qt::Key_Escape);
            window.close();
        });

        QCOMPARE(run.result, 2);
        QCOMPARE(run.lines,
                 (QStringList{aguarde, "Motivo: Tempo esgotado: a conexão ao gerenciador "
                                       "de serviços \"127.0.0.1/" +
                                           ConPorta +
                                           ":service_mgr\" não terminou em 15 "
                                           "segundos."}));
        // The start delay (a coarse one-second timer), then the bound.
        QVERIFY2(run.elapsedMs >= 15900 && run.elapsedMs < 19000,
                 qPrintable(QString::number(run.elapsedMs)));
        QVERIFY2(run.captions.size() >= 12, qPrintable(run.captions.join(", ")));
        QCOMPARE(peer.connections(), 1);

        // The call given up on returns once the server goes away; by then its
        // window is gone, and it leaves the log alone.
        peer.hangUp();
        QTRY_COMPARE_WITH_TIMEOUT(peer.closedByClient(), 1, 30000);
        QCOMPARE(m_log.toPlainText().split('\n'), run.lines);
    }

    // The Firebird client keeps these signals for itself once loaded; the
    // program's own handler still ends it while a call is held.
    void terminationRequestEndsAHeldProgram_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
    }

    void terminationRequestEndsAHeldProgram() {
        QFETCH(int, signal);
        StallingPeer peer(StallingPeer::Mode::KeepAlive);
        QProcess program;
        program.start(QCoreApplication::applicationDirPath() + "/stuck_tester",
                      {QString::number(peer.port())});
        QVERIFY(program.waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(peer.connections(), 1, 20000);

        QElapsedTimer clock;
        clock.start();
        ::kill(pid_t(program.processId()), signal);
        QVERIFY(program.waitForFinished(5000));
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(program.exitStatus(), QProcess::CrashExit);
        QCOMPARE(program.exitCode(), signal);
    }

    // The client's own teardown at exit would wait for the call a server still
    // holds; the program leaves at once instead, with its exit status.
    void programLeavesAtOnceWhileACallGivenUpIsHeld() {
        StallingPeer peer(StallingPeer::Mode::KeepAlive);
        QProcess program;
        QElapsedTimer clock;
        clock.start();
        program.start(QCoreApplication::applicationDirPath() + "/stuck_tester",
                      {QString::number(peer.port())});
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 2); // the tester's result, returned by main
        // Start, the one-second delay, the 15 s bound, then the exit.
        QVERIFY2(clock.elapsed() < 19000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(peer.connections(), 1);
    }

private:
    RecordingDialogService m_dialogs;
    QPlainTextEdit m_log;
};

QTEST_MAIN(TestUConectaBounds)
#include "tst_UConectaBounds.moc"
