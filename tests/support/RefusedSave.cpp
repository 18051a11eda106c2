#include "RefusedSave.h"

#include <QRegularExpression>
#include <QStringList>
#include <QTest>

const QString RefusedSave::noAuthenticationInCommon = QStringLiteral(
    "O servidor não aceita nenhuma forma de autenticação deste cliente, em geral por aceitar "
    "só Srp (Firebird 3 ou mais novo) e o cliente usar Legacy_Auth: no firebird.conf do "
    "servidor ponha AuthServer = Srp, Legacy_Auth e UserManager = Srp, Legacy_UserManager, "
    "reinicie o serviço e crie o usuário com CREATE USER ... USING PLUGIN Legacy_UserManager "
    "(o firebird.log do servidor diz a causa exata).");

const QString RefusedSave::encryptionRequired = QStringLiteral(
    "O servidor exige criptografia na conexão (WireCrypt = Required) e este cliente não "
    "oferece uma que ele aceite: no firebird.conf do servidor ponha WireCrypt = Enabled e "
    "reinicie o serviço.");

void RefusedSave::verifyLog(const QString& log, const QString& client, const QString& sentence) {
    const QStringList lines = log.split(u'\n');
    const QStringList reasons = lines.filter(QRegularExpression("^Motivo: "));
    QCOMPARE(reasons.size(), 1);
    qInfo("%s", qPrintable(reasons.first()));
    QVERIFY2(reasons.first().startsWith("Motivo: " + client), qPrintable(reasons.first()));
    QVERIFY2(reasons.first().endsWith(" - " + sentence), qPrintable(reasons.first()));
    QCOMPARE(lines.last(), QStringLiteral("CONEXÃO FALHOU."));
}
