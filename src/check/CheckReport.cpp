#include "check/CheckReport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString resultado(bool passou) {
    return passou ? QStringLiteral("ok") : QStringLiteral("falha");
}

QString resultado(const ConnectionProof::Passo& passo) {
    return passo.aviso.isEmpty() ? resultado(passo.passou) : QStringLiteral("aviso");
}

} // namespace

QByteArray CheckReport::json(const ConfigurationCheck::Resultado& r) {
    QJsonArray passos;
    for (const ConnectionProof::Passo& passo : r.passos)
        passos.append(QJsonObject{{"name", passo.nome},
                                  {"target", passo.alvo},
                                  {"result", resultado(passo)},
                                  {"reason", passo.aviso.isEmpty() ? passo.motivo : passo.aviso},
                                  {"milliseconds", passo.milissegundos}});
    const QJsonObject objeto{{"file", r.arquivo},
                             {"result", resultado(r.status == ConfigurationCheck::Provada)},
                             {"exit_status", r.status},
                             {"summary", r.resumo},
                             {"steps", passos}};
    return QJsonDocument(objeto).toJson(QJsonDocument::Compact) + '\n';
}
