#include "check/CheckCommand.h"

#include "check/CheckOptions.h"
#include "check/CheckReport.h"
#include "check/ConfigurationCheck.h"
#include "config/ConfigFiles.h"
#include "funcoes/Platform.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstring>

namespace {

// Flushed at once: a script reading a pipe sees each step as it ends.
void print(std::FILE* stream, const QByteArray& bytes) {
    std::fputs(bytes.constData(), stream);
    std::fflush(stream);
}

void printLine(std::FILE* stream, const QString& line) {
    print(stream, (line + u'\n').toLocal8Bit());
}

} // namespace

bool CheckCommand::asked(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--check") == 0)
            return true;
    }
    return false;
}

int CheckCommand::run(int argc, char* argv[]) {
    platform::attachParentConsole();
    platform::endOnTerminationRequest();
    // The calls into the client library wait in an event loop; no GUI is started.
    QCoreApplication app(argc, argv);
    platform::prepareCharacterHandling();
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const CheckOptions opcoes = CheckOptions::parse(arguments);
    if (!opcoes.erro.isEmpty()) {
        printLine(stderr, opcoes.erro + QStringLiteral(" Veja parvel --help."));
        return usoIncorreto;
    }
    if (opcoes.help) {
        printLine(stdout, QStringLiteral("Uso: parvel --check [--ini ARQUIVO] [--json]\n"));
        print(stdout, CheckOptions::texto().toLocal8Bit());
        return 0;
    }
    const QString ini = opcoes.ini.isEmpty() ? ConfigFiles::ruvIni() : opcoes.ini;
    const auto escreve = [&opcoes](const QString& linha) {
        if (!opcoes.json)
            printLine(stdout, linha);
    };
    const ConfigurationCheck::Resultado resultado = ConfigurationCheck::run(ini, escreve);
    if (opcoes.json)
        print(stdout, CheckReport::json(resultado));
    else
        printLine(stdout, resultado.resumo);
    return resultado.status;
}
