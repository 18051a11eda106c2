// Time of a passing "parvel --check" (the program's whole run: start, client
// library load, user lookup on the service manager, main and TABDEF attaches)
// against isql-fb doing the same work in one process: the user looked up (a
// select on the server's user list, as SYSDBA) and the two attaches as TOMRUV.
// Both are whole processes started by this program, side by side in one run.
//
//   scripts/firebird-test-server start /tmp/parvel-bench 3299
//   export PARVEL_FB_ROOT=/tmp/parvel-bench PARVEL_FB_PORT=3299 FIREBIRD=/tmp/parvel-bench
//   build/bench/bench_check [rounds]
//   scripts/firebird-test-server clean /tmp/parvel-bench

#include "BenchTiming.h"
#include "FirebirdTestServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

QString sameWork(const FirebirdTestServer& server) {
    const QString base = "127.0.0.1/" + server.port() + ":" + server.dataFolder();
    return QString("connect '%1SGB_DADOS/RUVDADOS.FDB' user 'SYSDBA' password '%2';\n"
                   "select sec$user_name from sec$users where sec$user_name = 'TOMRUV';\n"
                   "connect '%1SGB_DADOS/RUVDADOS.FDB' user 'TOMRUV' password 'pelmor';\n"
                   "connect '%1TABDEF/TABDEF.FDB' user 'TOMRUV' password 'pelmor';\n"
                   "quit;\n")
        .arg(base, FirebirdTestServer::sysdbaPassword);
}

bool runIsql(const QString& script) {
    QProcess isql;
    isql.start("isql-fb", {"-q", "-ch", "WIN1252"});
    isql.write(script.toUtf8());
    isql.closeWriteChannel();
    isql.waitForFinished(60000);
    return isql.exitCode() == 0 && !isql.readAllStandardError().contains("Statement failed") &&
           (script.startsWith("quit") || isql.readAllStandardOutput().contains("TOMRUV"));
}

bool runCheck(const QString& ini) {
    QProcess check;
    check.start(PARVEL_PROGRAM, {"--check", "--ini", ini});
    check.waitForFinished(60000);
    return check.exitStatus() == QProcess::NormalExit && check.exitCode() == 0;
}

bool writeIni(const QString& path, const FirebirdTestServer& server) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QString("[RUV]\r\nServidor=127.0.0.1\r\nSO_Servidor=LINUX\r\n"
                       "Caminho_Base_Dados=%1\r\nCaminho_Tabdef=%1\r\nCaminhoDLLCON=%2\r\n"
                       "PORTACON=%3\r\n")
                   .arg(server.dataFolder(), server.clientFolder(), server.port())
                   .toLatin1());
    return true;
}

} // namespace

using bench::median;
using bench::timed;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    FirebirdTestServer server;
    QString why;
    QTemporaryDir folder;
    const QString ini = folder.filePath("ruv.ini");
    if (!server.require(why) || !writeIni(ini, server)) {
        std::fprintf(stderr, "%s\n", qPrintable(why));
        return 1;
    }
    bool ok = true;
    const QString script = sameWork(server);
    timed([&] { return runCheck(ini); }, ok); // warm-up
    timed([&] { return runIsql(script); }, ok);
    std::vector<double> check, isql, isqlStart;
    for (int i = 0; i < rounds; ++i) {
        check.push_back(timed([&] { return runCheck(ini); }, ok));
        isql.push_back(timed([&] { return runIsql(script); }, ok));
        isqlStart.push_back(timed([&] { return runIsql("quit;\n"); }, ok));
    }
    if (!ok) {
        std::fprintf(stderr, "a run failed (is TOMRUV on the server?); see the server's log\n");
        return 1;
    }
    const double c = median(check), r = median(isql), s = median(isqlStart);
    std::printf("rounds                                         %d\n", rounds);
    std::printf("parvel --check (lookup + 2 attaches, process)  median %7.1f ms\n", c);
    std::printf("isql-fb (lookup + 2 attaches, process)         median %7.1f ms\n", r);
    std::printf("isql-fb (process start, no connect)            median %7.1f ms\n", s);
    std::printf("ratio check / isql-fb                          %.2f\n", c / r);
    return 0;
}
