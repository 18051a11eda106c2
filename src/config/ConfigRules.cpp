#include "config/ConfigRules.h"

#include "funcoes/funcoes.h"

QString ConfigRules::nomeDllCon(const QString& pastaDllCon) {
    // Case-sensitive on purpose: the installers write these names exactly.
    for (const char16_t* marker : {u"Firebird_Quorvane", u"Firebird_2", u"Quorvane\\RUV7"}) {
        if (pastaDllCon.contains(QStringView(marker), Qt::CaseSensitive))
            return QStringLiteral("fbclient.dll");
    }
    return QStringLiteral("GDS32.DLL");
}

QString ConfigRules::pastaPux(const QString& pasta) {
    const QString folder = Apara(pasta);
    const qsizetype ruv7 = folder.indexOf(u"RUV7", 0, Qt::CaseInsensitive);
    return (ruv7 < 0 ? folder : folder.left(ruv7) + QStringLiteral("PUX")) + u'\\';
}
