// `held_call LIBRARY hold|pass`: calls that function of the library on a
// FirebirdWorker, gives up on it after 300 ms, and returns from main as the
// program does: 2 when it gave up, 0 when the call returned.
#include "firebird/FirebirdWorker.h"
#include "funcoes/Platform.h"

#include <QCoreApplication>
#include <QLibrary>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return platform::exitStatus(64);
    QLibrary library(QString::fromLocal8Bit(argv[1]));
    const auto call = reinterpret_cast<void (*)()>(library.resolve(argv[2]));
    if (!call)
        return platform::exitStatus(65);
    FirebirdWorker worker;
    const bool returned = worker.run([call] { call(); }, QDeadlineTimer(300));
    return platform::exitStatus(returned ? 0 : 2);
}
