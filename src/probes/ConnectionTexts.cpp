#include "probes/ConnectionTexts.h"

#include "funcoes/funcoes.h"

#include <QRegularExpression>

QString ConnectionTexts::separador(const QString& sistema) {
    return sistema == QLatin1String("WINDOWS") ? QStringLiteral("\\") : QStringLiteral("/");
}

bool ConnectionTexts::temEndereco(const QString& endereco) {
    return !Apara(endereco).isEmpty();
}

QString ConnectionTexts::servidor(const QString& endereco, const QString& porta) {
    return (temEndereco(endereco) ? endereco : QStringLiteral("LocalHost")) + "/" + porta + ":";
}

QString ConnectionTexts::bancoPrincipal(const QString& endereco, const QString& porta,
                                        const QString& pasta, const QString& sistema) {
    return servidor(endereco, porta) + pasta + "SGB_DADOS" + separador(sistema) + "RUVDADOS.FDB";
}

QString ConnectionTexts::bancoTabdef(const QString& endereco, const QString& porta,
                                     const QString& pasta, const QString& sistema) {
    return servidor(endereco, porta) + pasta + "TABDEF" + separador(sistema) + "TABDEF.FDB";
}

QString ConnectionTexts::bancoAnexos(const QString& endereco, const QString& porta,
                                     const QString& pasta, const QString& sistema) {
    return servidor(endereco, porta) + pasta + separador(sistema) + "RUVARQUIVOS.FDB";
}

// Without an address, the server of this machine over TCP on the port being
// proved, like the connection strings. A host-less "service_mgr" would take
// the local protocol, which ignores the port (Windows), or start the client's
// embedded engine on the machine's own security database (Linux, and Windows
// clients that carry an engine).
QString ConnectionTexts::gerenciadorServicos(const QString& endereco, const QString& porta) {
    return servidor(endereco, porta) + QStringLiteral("service_mgr");
}

QString ConnectionTexts::linhaConectado(const QString& conexao, qint64 milissegundos, bool tabdef) {
    return "Conectado em " + conexao + (tabdef ? " Tempo:" : " Tempo: ") + segundos(milissegundos) +
           " segundos.";
}

QStringList ConnectionTexts::linhasFalha(const QString& conexao) {
    return {QStringLiteral("Conexão Falhou."), "Não conseguiu conectar em " + conexao};
}

QString ConnectionTexts::linhaMotivo(const QString& texto) {
    QStringList partes;
    for (const QString& parte :
         texto.split(QRegularExpression(QStringLiteral("[\\r\\n\\x{0}]+")), Qt::SkipEmptyParts)) {
        if (const QString limpa = parte.trimmed(); !limpa.isEmpty())
            partes << limpa;
    }
    return "Motivo: " + partes.join(QStringLiteral(" - "));
}

QString ConnectionTexts::segundos(qint64 milissegundos) {
    return QStringLiteral("%1").arg(milissegundos / 1000, 2, 10, QLatin1Char('0'));
}
