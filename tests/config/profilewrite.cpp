// Writes one entry of a profile file and exits: 0 when written, 1 with the
// error text when refused. Tests run it as an ordinary user through setpriv.
#include "config/ProfileFile.h"
#include "funcoes/AppError.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

int main(int argc, char* argv[]) {
    const QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 5) {
        std::fprintf(stderr, "usage: profilewrite FILE SECTION KEY VALUE\n");
        return 2;
    }
    try {
        ProfileFile(arguments[1]).writeString(arguments[2], arguments[3], arguments[4]);
    } catch (const AppError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.text()));
        return 1;
    }
    return 0;
}
