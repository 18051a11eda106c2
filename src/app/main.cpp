#include "check/CheckCommand.h"
#include "check/CheckOptions.h"
#include "config/ConfigFiles.h"
#include "funcoes/Platform.h"
#include "funcoes/funcoes.h"
#include "screens/main/UParvel.h"
#include "ui/GuardedApplication.h"
#include "ui/QtDialogService.h"
#include "ui/QtTranslation.h"

#include <cstring>

namespace {

QString help() {
    return QStringLiteral(
               "Uso: parvel [--help | --version | --check [--ini ARQUIVO] [--json]]\n"
               "\n"
               "Configura o acesso do RUV às suas bases de dados Firebird. Edita o arquivo\n"
               "de configuração que fica ao lado deste programa, na pasta dos programas do RUV:\n"
               "  %1\n"
               "Nada é gravado antes que o teste de conexão com o servidor dê certo.\n"
               "\n"
               "  --help     mostra este texto\n"
               "  --version  mostra a versão do programa\n"
               "\n"
               "Num console, o texto sai nos caracteres do próprio console, em qualquer página\n"
               "de código; redirecionado a um arquivo ou a um programa, sai em UTF-8.\n")
               .arg(ConfigFiles::ruvIni()) +
           CheckOptions::texto();
}

} // namespace

int main(int argc, char* argv[]) {
    if (CheckCommand::asked(argc, argv))
        return platform::exitStatus(CheckCommand::run(argc, argv));
    // Asked from a terminal: answered there, without opening a window.
    const bool version = argc == 2 && std::strcmp(argv[1], "--version") == 0;
    const bool usage = argc == 2 && std::strcmp(argv[1], "--help") == 0;
    if (version || usage) {
        platform::attachParentConsole();
        platform::writeStandard(platform::StandardStream::Output,
                                version ? VersaoExe() + u'\n' : help());
        return 0;
    }
    platform::endOnTerminationRequest();
    GuardedApplication app(argc, argv);
    platform::prepareCharacterHandling();
    QApplication::setApplicationName(QStringLiteral("Parvel"));
    installQtTranslation(platform::qtTranslationsFolder());
    QtDialogService dialogService;
    setDialogs(&dialogService);
    TFParvel screen;
    FParvel = &screen;
    screen.show();
    return platform::exitStatus(app.exec());
}
