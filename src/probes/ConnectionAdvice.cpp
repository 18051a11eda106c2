#include "probes/ConnectionAdvice.h"

#include "firebird/FirebirdStatus.h"

#include <QMap>
#include <QPair>

namespace {

// Errors of the server's system for a file it cannot open: missing (ENOENT;
// ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND) or closed to it (EPERM, EACCES;
// ERROR_ACCESS_DENIED).
bool ausente(const FirebirdStatus::Item& erro) {
    return (erro.kind == isc_arg_unix && erro.value == 2) ||
           (erro.kind == isc_arg_win32 && (erro.value == 2 || erro.value == 3));
}

bool semPermissao(const FirebirdStatus::Item& erro) {
    return (erro.kind == isc_arg_unix && (erro.value == 1 || erro.value == 13)) ||
           (erro.kind == isc_arg_win32 && erro.value == 5);
}

} // namespace

QString ConnectionAdvice::para(const FirebirdStatus& status) {
    if (status.has(isc_login))
        return QStringLiteral(
            "O servidor recusou usuário e senha: se a senha confere, ele é um Firebird 3 "
            "ou mais novo que aceita só autenticação Srp, que este cliente não faz; no "
            "firebird.conf do servidor ponha AuthServer = Srp, Legacy_Auth e UserManager = "
            "Srp, Legacy_UserManager, reinicie o serviço e crie o usuário com CREATE USER "
            "... USING PLUGIN Legacy_UserManager.");
    if (status.has(isc_wirecrypt_incompatible) || status.has(isc_miss_wirecrypt))
        return QStringLiteral(
            "O servidor exige criptografia na conexão (WireCrypt = Required) e este cliente "
            "não a oferece: no firebird.conf do servidor ponha WireCrypt = Enabled e "
            "reinicie o serviço.");
    if (status.has(isc_wrong_ods))
        return estrutura(status);
    if (status.has(isc_io_open_err))
        return abertura(status);
    return {};
}

// The structure found, then the newest this server reads.
QString ConnectionAdvice::estrutura(const FirebirdStatus& status) {
    const QList<ISC_STATUS> numeros = status.numbersOf(isc_wrong_ods);
    if (numeros.size() < 4)
        return QStringLiteral("O banco foi criado por uma versão do Firebird diferente da deste "
                              "servidor: abra-o num servidor da versão que o criou.");
    const QString achada = versaoDaEstrutura(numeros[0], numeros[1]);
    const QString servidor = versaoDaEstrutura(numeros[2], numeros[3]);
    if (QPair(numeros[0], numeros[1]) > QPair(numeros[2], numeros[3]))
        return QStringLiteral("O banco tem a estrutura em disco %1, mais nova que a deste "
                              "servidor (%2): abra-o num servidor da versão que o criou.")
            .arg(achada, servidor);
    return QStringLiteral("O banco tem a estrutura em disco %1, mais antiga que a deste servidor "
                          "(%2), que não a abre: faça backup dele com o gbak da versão que o "
                          "criou e restore neste servidor.")
        .arg(achada, servidor);
}

QString ConnectionAdvice::abertura(const FirebirdStatus& status) {
    const FirebirdStatus::Item erro = status.systemError();
    if (ausente(erro))
        return QStringLiteral(
            "O servidor não acha o arquivo nesse caminho: confira a pasta, que é a do disco do "
            "próprio servidor (não uma unidade mapeada nesta máquina), e o nome do arquivo.");
    if (semPermissao(erro))
        return QStringLiteral(
            "O servidor não tem permissão para abrir o arquivo: dê leitura e escrita na pasta "
            "e no arquivo ao usuário com que roda o serviço do Firebird (firebird no Linux; a "
            "conta do serviço, em geral LocalSystem, no Windows).");
    return QStringLiteral(
        "O servidor não conseguiu abrir o arquivo: confira se a pasta existe no disco do "
        "servidor e se o usuário com que roda o serviço do Firebird pode ler e escrever nela.");
}

QString ConnectionAdvice::versaoDaEstrutura(long maior, long menor) {
    static const QMap<QPair<long, long>, QString> versoes{
        {{10, 0}, "1.0"}, {{10, 1}, "1.5"}, {{11, 0}, "2.0"}, {{11, 1}, "2.1"},
        {{11, 2}, "2.5"}, {{12, 0}, "3.0"}, {{13, 0}, "4.0"}, {{13, 1}, "5.0"}};
    const QString numero = QStringLiteral("%1.%2").arg(maior).arg(menor);
    const auto versao = versoes.constFind({maior, menor});
    return versao == versoes.cend() ? numero : numero + QStringLiteral(", do Firebird ") + *versao;
}
