// The integration probe's request for the address given on the command line, as
// the program makes it; prints the body, or what the operator would read in the
// error box. For tests that run it in a network of their own.
#include "funcoes/AppError.h"
#include "probes/IntegrationProbe.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 64;
    try {
        std::fputs(IntegrationProbe().ping(QString::fromLocal8Bit(argv[1])).constData(), stdout);
    } catch (const AppError& error) {
        std::fputs(error.text().toUtf8().constData(), stdout);
        return 1;
    }
    return 0;
}
