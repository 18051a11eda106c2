#include "check/CheckCommand.h"

#include "check/CheckOptions.h"
#include "check/CheckReport.h"
#include "check/ConfigurationCheck.h"
#include "config/ConfigFiles.h"
#include "funcoes/Platform.h"

#include <QCoreApplication>
#include <cstring>

namespace {

// Flushed at once: a script reading a pipe sees each step as it ends.
void printLine(platform::StandardStream stream, const QString& line) {
    platform::writeStandard(stream, line + u'\n');
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
        printLine(platform::StandardStream::Error,
                  opcoes.erro + QStringLiteral(" Veja parvel --help."));
        return usoIncorreto;
    }
    if (opcoes.help) {
        printLine(platform::StandardStream::Output,
                  QStringLiteral("Uso: parvel --check [--ini ARQUIVO] [--json]\n"));
        platform::writeStandard(platform::StandardStream::Output, CheckOptions::texto());
        return 0;
    }
    const QString ini = opcoes.ini.isEmpty() ? ConfigFiles::ruvIni() : opcoes.ini;
    const auto escreve = [&opcoes](const QString& linha) {
        if (!opcoes.json)
            printLine(platform::StandardStream::Output, linha);
    };
    const ConfigurationCheck::Resultado resultado = ConfigurationCheck::run(ini, escreve);
    if (opcoes.json)
        platform::writeStandard(platform::StandardStream::Output,
                                QString::fromUtf8(CheckReport::json(resultado)));
    else
        printLine(platform::StandardStream::Output, resultado.resumo);
    return resultado.status;
}
