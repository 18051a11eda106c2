// The connection tester as the program shows it, started the way the program
// starts, against the Firebird port given on the command line; for tests that
// end it from outside while one of its calls is held by a server.
#include "funcoes/Platform.h"
#include "probes/UConecta.h"

#include <QApplication>
#include <QPlainTextEdit>

int main(int argc, char* argv[]) {
    platform::endOnTerminationRequest();
    QApplication app(argc, argv);
    if (argc < 2)
        return 64;
    ConEnderecoBanco = ConEnderecoTabdef = "127.0.0.1";
    ConPastaBanco = ConPastaTabdef = "/srv/ruv/";
    ConSistemaBanco = ConSistemaTabdef = "LINUX";
    ConPastaDll = "/usr/lib/x86_64-linux-gnu/";
    ConArquivoDll = "libfbclient.so.2";
    ConPorta = QString::fromLocal8Bit(argv[1]);
    QPlainTextEdit log;
    TFConecta window(log);
    return window.exec();
}
