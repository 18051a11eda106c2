#include "screens/main/ServiceRestart.h"

#include "firebird/AlteraPortaFirebird.h"
#include "firebird/FirebirdInstall.h"
#include "funcoes/AppError.h"
#include "funcoes/Platform.h"
#include "funcoes/PortNumber.h"
#include "funcoes/funcoes.h"
#include "ui/DialogService.h"

#include <QCoreApplication>

namespace {

constexpr int janelaOculta = 0;

struct Comando {
    const char* nome;
    const char* aviso;
};

const Comando parar{"stop", "Aguarde... Parando o serviço do Firebird..."};
const Comando iniciar{"start", "Aguarde... Iniciando o serviço do Firebird..."};

std::optional<bool> direitosDeTeste;

QString arquivoConf(const QString& pastaDll) {
    return FirebirdInstall::installationRoot(pastaDll) + QStringLiteral("firebird.conf");
}

bool temDireitos(const QString& pastaDll, bool mantemServico) {
    if (direitosDeTeste)
        return *direitosDeTeste;
    return (mantemServico || platform::mayControlServices()) &&
           !platform::writeRefused(arquivoConf(pastaDll));
}

// Only painting and timers run meanwhile: a click cannot start a second save.
void servico(const QString& pastaDll, const Comando& comando, const ServiceRestart::Notice& notice,
             int timeoutMs) {
    notice(QString::fromUtf8(comando.aviso));
    const auto pinta = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
    pinta();
    int codigo = 0;
    const platform::ProcessEnd fim = ExecutaProgramaComLimite(
        pastaDll + QStringLiteral("instsvc.exe"), QString::fromLatin1(comando.nome), janelaOculta,
        timeoutMs, pinta, &codigo);
    if (fim == platform::ProcessEnd::StillRunning)
        notice(QStringLiteral("O serviço do Firebird não concluiu o comando %1 em %2 segundos.")
                   .arg(QString::fromLatin1(comando.nome))
                   .arg(timeoutMs / 1000));
    if (fim == platform::ProcessEnd::Ended && codigo != 0) {
        const QString motivo =
            QStringLiteral("O comando %1 do serviço do Firebird falhou (código de saída %2).")
                .arg(QString::fromLatin1(comando.nome))
                .arg(codigo);
        notice(motivo);
        throw AppError(motivo);
    }
}

} // namespace

bool ServiceRestart::run(const QString& pastaDll, const QString& porta, bool keepService,
                         const Notice& notice, int timeoutMs) {
    if (!PortNumber::parse(porta))
        throw AppError(PortNumber::refusal(porta));
    if (!temDireitos(pastaDll, keepService)) {
        dialogs().warningBox(
            QStringLiteral("Para reiniciar o serviço do Firebird e alterar a porta em \"%1\", o "
                           "Parvel precisa ser executado como administrador.\rFeche o Parvel e "
                           "abra-o com \"Executar como administrador\". Nada foi alterado.")
                .arg(arquivoConf(pastaDll)));
        return false;
    }
    if (!keepService)
        servico(pastaDll, parar, notice, timeoutMs);
    try {
        AlteraPortaFirebird(pastaDll, porta);
    } catch (const AppError&) {
        if (!keepService)
            servico(pastaDll, iniciar, notice, timeoutMs);
        throw;
    }
    if (!keepService)
        servico(pastaDll, iniciar, notice, timeoutMs);
    return true;
}

void ServiceRestart::setRightsForTesting(std::optional<bool> granted) {
    direitosDeTeste = granted;
}
