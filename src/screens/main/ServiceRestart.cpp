#include "screens/main/ServiceRestart.h"

#include "firebird/AlteraPortaFirebird.h"
#include "funcoes/AppError.h"
#include "funcoes/PortNumber.h"
#include "funcoes/funcoes.h"

#include <QCoreApplication>

namespace {

constexpr int janelaOculta = 0;

struct Comando {
    const char* nome;
    const char* aviso;
};

const Comando parar{"stop", "Aguarde... Parando o serviço do Firebird..."};
const Comando iniciar{"start", "Aguarde... Iniciando o serviço do Firebird..."};

// Only painting and timers run meanwhile: a click cannot start a second save.
void servico(const QString& pastaDll, const Comando& comando, const ServiceRestart::Notice& notice,
             int timeoutMs) {
    notice(QString::fromUtf8(comando.aviso));
    const auto pinta = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
    pinta();
    const platform::ProcessEnd fim =
        ExecutaProgramaComLimite(pastaDll + QStringLiteral("instsvc.exe"),
                                 QString::fromLatin1(comando.nome), janelaOculta, timeoutMs, pinta);
    if (fim == platform::ProcessEnd::StillRunning)
        notice(QStringLiteral("O serviço do Firebird não concluiu o comando %1 em %2 segundos.")
                   .arg(QString::fromLatin1(comando.nome))
                   .arg(timeoutMs / 1000));
}

} // namespace

void ServiceRestart::run(const QString& pastaDll, const QString& porta, bool keepService,
                         const Notice& notice, int timeoutMs) {
    if (!PortNumber::parse(porta))
        throw AppError(PortNumber::refusal(porta));
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
}
