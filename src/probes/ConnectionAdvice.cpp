#include "probes/ConnectionAdvice.h"

#include "firebird/FirebirdStatus.h"

#include <QMap>
#include <QPair>

QString ConnectionAdvice::para(const FirebirdStatus& status, const QString& usuario) {
    if (status.has(isc_login_error))
        return QStringLiteral(
            "O servidor não aceita nenhuma forma de autenticação deste cliente, em geral por "
            "aceitar só Srp (Firebird 3 ou mais novo) e o cliente usar Legacy_Auth: no "
            "firebird.conf do servidor ponha AuthServer = Srp, Legacy_Auth e UserManager = Srp, "
            "Legacy_UserManager, reinicie o serviço e crie o usuário com CREATE USER ... USING "
            "PLUGIN Legacy_UserManager (o firebird.log do servidor diz a causa exata).");
    if (status.has(isc_login))
        return QStringLiteral(
                   "O servidor não conhece o usuário %1 com essa senha: confira a senha no "
                   "servidor; num Firebird 3 ou mais novo que aceita Legacy_Auth, o usuário "
                   "precisa existir também para o Legacy_UserManager (UserManager = Srp, "
                   "Legacy_UserManager no firebird.conf e CREATE USER ... USING PLUGIN "
                   "Legacy_UserManager).")
            .arg(usuario);
    if (status.has(isc_wirecrypt_incompatible) || status.has(isc_miss_wirecrypt))
        return QStringLiteral(
            "O servidor exige criptografia na conexão (WireCrypt = Required) e este cliente "
            "não oferece uma que ele aceite: no firebird.conf do servidor ponha WireCrypt = "
            "Enabled e reinicie o serviço.");
    if (status.has(isc_wrong_ods))
        return estrutura(status);
    if (status.has(isc_io_open_err))
        return QStringLiteral(
            "O servidor não conseguiu abrir o arquivo: confira se a pasta é a do disco do "
            "próprio servidor (não uma unidade mapeada nesta máquina) e se o usuário com que "
            "roda o serviço do Firebird pode ler e escrever nela e no arquivo.");
    return {};
}

// The structure found, then the newest this server reads.
QString ConnectionAdvice::estrutura(const FirebirdStatus& status) {
    const QList<ISC_STATUS> numeros = status.numbersOf(isc_wrong_ods);
    if (numeros.size() < 4)
        return QStringLiteral("O banco foi criado por uma versão do Firebird diferente da deste "
                              "servidor: abra-o num servidor da versão que o criou.");
    // The server gives the newest structure it opens; it opens no older major one.
    const QString achada = versaoDaEstrutura(numeros[0], numeros[1]);
    if (QPair(numeros[0], numeros[1]) > QPair(numeros[2], numeros[3]))
        return QStringLiteral("O banco tem a estrutura em disco %1, mais nova que a deste "
                              "servidor (que abre até a %2.%3): abra-o num servidor da versão "
                              "que o criou.")
            .arg(achada)
            .arg(numeros[2])
            .arg(numeros[3]);
    return QStringLiteral("O banco tem a estrutura em disco %1, mais antiga que as que este "
                          "servidor abre (a %2): faça backup dele com o gbak dessa versão e "
                          "restore neste servidor.")
        .arg(achada)
        .arg(numeros[2]);
}

QString ConnectionAdvice::versaoDaEstrutura(long maior, long menor) {
    static const QMap<QPair<long, long>, QString> versoes{
        {{10, 0}, "1.0"}, {{10, 1}, "1.5"}, {{11, 0}, "2.0"}, {{11, 1}, "2.1"},
        {{11, 2}, "2.5"}, {{12, 0}, "3.0"}, {{13, 0}, "4.0"}, {{13, 1}, "5.0"}};
    const QString numero = QStringLiteral("%1.%2").arg(maior).arg(menor);
    const auto versao = versoes.constFind({maior, menor});
    return versao == versoes.cend() ? numero : numero + QStringLiteral(", do Firebird ") + *versao;
}
