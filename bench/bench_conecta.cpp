// The connection tester's time against isql-fb, side by side in one run against
// the private test server, as two comparisons:
//
// - like for like: two database attaches (main, then TABDEF, each detached) by
//   the program's own Firebird session in this warm process, against isql-fb
//   making the same two connects; isql-fb starts a new process every round, so a
//   run that starts isql-fb and connects nowhere is timed too, and its median is
//   taken off;
// - the whole tester (TestaConexao without the window's one-second start delay:
//   a service-manager attach listing the users, then the same two attaches)
//   against isql-fb's whole run, process start included: unlike work, shown for
//   what an operator waits for.
//
// Neither this program nor isql-fb gets FIREBIRD: the program never needs it,
// and the connection strings name the server's port.
//
//   scripts/firebird-test-server start /tmp/parvel-bench 3299
//   PARVEL_FB_ROOT=/tmp/parvel-bench PARVEL_FB_PORT=3299 build/bench/bench_conecta [rounds]
//   scripts/firebird-test-server clean /tmp/parvel-bench

#include "BenchTiming.h"
#include "FirebirdTestServer.h"
#include "firebird/FirebirdError.h"
#include "firebird/FirebirdSession.h"
#include "funcoes/Platform.h"
#include "probes/ConnectionTexts.h"
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

bool runTester(QPlainTextEdit& log) {
    TFConecta window(log);
    return window.TestaConexao();
}

// What the tester does after its user lookup, through the same session class,
// library and login.
bool runTwoAttaches() {
    using namespace std::chrono_literals;
    const FirebirdLogin login{"TOMRUV", "pelmor", 20};
    try {
        FirebirdSession session(platform::clientLibraryFile(ConPastaDll, ConArquivoDll), 15s, 45s);
        session.openDatabase(ConnectionTexts::bancoPrincipal(ConEnderecoBanco, ConPorta,
                                                             ConPastaBanco, ConSistemaBanco),
                             login);
        session.closeDatabase();
        session.openDatabase(ConnectionTexts::bancoTabdef(ConEnderecoTabdef, ConPorta,
                                                          ConPastaTabdef, ConSistemaTabdef),
                             login);
        session.closeDatabase();
        return true;
    } catch (const FirebirdError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.text()));
        return false;
    }
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

void row(const char* label, const QString& value = {}) {
    if (value.isEmpty())
        std::printf("  %s\n", label);
    else
        std::printf("  %-58s %s\n", label, qPrintable(value));
}

QString ms(double value) {
    return QString::asprintf("%7.1f ms", value);
}

QString ratio(double value) {
    return QString::asprintf("%7.2f", value);
}

} // namespace

using bench::median;
using bench::timed;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    if (qEnvironmentVariableIsSet("FIREBIRD")) {
        std::fprintf(stderr, "FIREBIRD is set: unset it, the program runs without it\n");
        return 1;
    }

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

    std::vector<double> tester, attaches, isql, isqlStart;
    for (int i = 0; i < rounds; ++i) {
        tester.push_back(timed([&] { return runTester(log); }, ok));
        attaches.push_back(timed(runTwoAttaches, ok));
        isql.push_back(timed([&] { return runIsql(script); }, ok));
        isqlStart.push_back(timed([&] { return runIsql("quit;\n"); }, ok));
    }
    if (!ok) {
        std::fprintf(stderr, "a connection failed; see the server's log\n");
        return 1;
    }
    const double t = median(tester), a = median(attaches), r = median(isql), s = median(isqlStart);
    std::printf("rounds %d, medians; each side's steps, then its time\n\n", rounds);
    std::printf("Like for like: two database attaches, main then TABDEF, each detached\n");
    row("program: in this warm process, library loaded, a new session");
    row("  and its worker thread, two attaches as TOMRUV", ms(a));
    row("isql-fb: a new process, two CONNECTs as TOMRUV, QUIT", ms(r));
    row("  of which process start (a new process and QUIT alone)", ms(s));
    row("  two CONNECTs without the process start", ms(r - s));
    row("ratio program / isql-fb without its process start", ratio(a / (r - s)));
    row("ratio program / isql-fb with its process start", ratio(a / r));
    std::printf("\nUnlike work: what the operator waits for, less the window's 1 s delay\n");
    row("tester: in this warm process, a service-manager attach as");
    row("  SYSDBA listing the users, then the same two attaches", ms(t));
    row("isql-fb: the whole run above, process start included", ms(r));
    row("ratio tester / isql-fb", ratio(t / r));
    return 0;
}
