#include "screens/alternate/PuxInstallation.h"

#include "config/ConfigRules.h"
#include "funcoes/Platform.h"

#include <QFileInfo>

QString PuxInstallation::folder(const QString& networkFolder) {
    // The derivation of the stored PUX folder, without its closing backslash.
    return ConfigRules::pastaPux(networkFolder).chopped(1);
}

QString PuxInstallation::missingInstallationWarning(const QString& networkFolder) {
    const QString pux = folder(networkFolder);
    // The folder and the database are looked for, and named in the warning, with
    // the system's own separator: on Linux the operator reads ".../PUX/Dados/
    // QUORVANE_PUX.FDB", the path that was really tested, where Windows shows "\".
    const QChar sep = platform::pathSeparator();
    const QString instale = QStringLiteral(". Instale o sistema para poder habilitar o sistema.");
    if (!QFileInfo(pux + sep).isDir())
        return QStringLiteral("Atenção !!!\nA Pasta contendo a instalação do sistema [PUX - "
                              "Cadastrix], não foi encotrada.\nCaminho: ") +
               pux + instale;
    const QString database =
        pux + sep + QStringLiteral("Dados") + sep + QStringLiteral("QUORVANE_PUX.FDB");
    if (!QFileInfo(database).isFile())
        return QStringLiteral("Atenção !!!\nO Arquivo do banco de dados do [PUX - Cadastrix], "
                              "não foi encotrado.\nCaminho: ") +
               database + instale;
    return QString();
}
