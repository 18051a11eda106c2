#include "screens/main/ServiceRestart.h"

#include "firebird/AlteraPortaFirebird.h"
#include "funcoes/AppError.h"
#include "funcoes/funcoes.h"

namespace {

constexpr int janelaOculta = 0;

void servico(const QString& pastaDll, const char* comando) {
    ExecutaPrograma(pastaDll + QStringLiteral("instsvc.exe"), QString::fromLatin1(comando),
                    janelaOculta, false);
}

} // namespace

void ServiceRestart::run(const QString& pastaDll, const QString& porta, bool keepService) {
    if (!keepService)
        servico(pastaDll, "stop");
    try {
        AlteraPortaFirebird(pastaDll, porta);
    } catch (const AppError&) {
        if (!keepService)
            servico(pastaDll, "start");
        throw;
    }
    if (!keepService)
        servico(pastaDll, "start");
}
