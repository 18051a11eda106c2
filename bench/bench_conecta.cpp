// Time of the connection tester's work (user lookup on the service manager plus
// the main and TABDEF attaches) against isql-fb making the same two connects,
// side by side in one run against the private test server. The window's
// one-second start delay is left out: TestaConexao is called directly. isql-fb
// pays for its own process start; an isql-fb run that connects nowhere is timed
// too, so that share can be told apart.
//
//   scripts/firebird-test-server start /tmp/parvel-bench 3299
//   export PARVEL_FB_ROOT=/tmp/parvel-bench PARVEL_FB_PORT=3299 FIREBIRD=/tmp/parvel-bench
//   build/bench/bench_conecta [rounds]
//   scripts/firebird-test-server clean /tmp/parvel-bench

#include "FirebirdTestServer.h"
#include "probes/UConecta.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool runTester(QPlainTextEdit& log) {
    TFConecta window(log);
    return window.TestaConexao();
}

QString twoConnects(const FirebirdTestServer& server) {
    const QString base = "127.0.0.1/" + server.port() + ":" + server.dataFolder();
    return QString("connect '%1SGB_DADOS/RUVDADOS.FDB' user 'TOMRUV' password 'pelmor';\n"
                   "connect '%1TABDEF/TABDEF.FDB' user 'TOMRUV' password 'pelmor';\n"
                   "quit;\n")
        .arg(base);
}

bool runIsql(const QString& script) {
    QProcess isql;
    isql.start("isql-fb", {"-q", "-ch", "WIN1252"});
    isql.write(script.toUtf8());
    isql.closeWriteChannel();
    isql.waitForFinished(60000);
    return isql.exitCode() == 0 && !isql.readAllStandardError().contains("Statement failed");
}

double timed(const std::function<bool()>& work, bool& ok) {
    QElapsedTimer clock;
    clock.start();
    ok = work() && ok;
    return clock.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 20;

    FirebirdTestServer server;
    QString why;
    if (!server.require(why)) {
        std::fprintf(stderr, "%s\n", qPrintable(why));
        return 1;
    }
    ConEnderecoBanco = ConEnderecoTabdef = "127.0.0.1";
    ConPastaBanco = ConPastaTabdef = server.dataFolder();
    ConSistemaBanco = ConSistemaTabdef = "LINUX";
    ConPastaDll = server.clientFolder();
    ConArquivoDll = "fbclient.dll";
    ConPorta = server.port();

    QPlainTextEdit log;
    bool ok = true;
    // Warm-up: creates "TOMRUV" when missing and loads both clients once.
    timed([&] { return runTester(log); }, ok);
    const QString script = twoConnects(server);
    timed([&] { return runIsql(script); }, ok);

    std::vector<double> tester, isql, isqlStart;
    for (int i = 0; i < rounds; ++i) {
        tester.push_back(timed([&] { return runTester(log); }, ok));
        isql.push_back(timed([&] { return runIsql(script); }, ok));
        isqlStart.push_back(timed([&] { return runIsql("quit;\n"); }, ok));
    }
    if (!ok) {
        std::fprintf(stderr, "a connection failed; see the server's log\n");
        return 1;
    }
    const double t = median(tester), r = median(isql), s = median(isqlStart);
    std::printf("rounds                                %d\n", rounds);
    std::printf("TestaConexao (lookup + 2 attaches)    median %7.1f ms\n", t);
    std::printf("isql-fb (2 connects)                  median %7.1f ms\n", r);
    std::printf("isql-fb (process start, no connect)   median %7.1f ms\n", s);
    std::printf("ratio tester / isql-fb                %.2f\n", t / r);
    std::printf("ratio tester / isql-fb connects only  %.2f\n", t / (r - s));
    return 0;
}
