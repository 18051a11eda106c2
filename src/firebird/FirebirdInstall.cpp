#include "firebird/FirebirdInstall.h"

#include <QStringList>

QString FirebirdInstall::installationRoot(const QString& pastaDllCon) {
    static const QStringList binLayouts{"Firebird_Quorvane", "Firebird_2", "Firebird-2"};
    for (const QString& marker : binLayouts) {
        if (pastaDllCon.contains(marker, Qt::CaseSensitive)) {
            const qsizetype bin =
                pastaDllCon.indexOf(QStringLiteral("BIN"), 0, Qt::CaseInsensitive);
            return bin < 0 ? QString() : pastaDllCon.left(bin);
        }
    }
    return pastaDllCon;
}
