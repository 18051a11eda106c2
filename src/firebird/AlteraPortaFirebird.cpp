#include "firebird/AlteraPortaFirebird.h"

#include "firebird/PortRewrite.h"
#include "funcoes/AppError.h"
#include "funcoes/PortNumber.h"
#include "ui/DialogService.h"

#include <QFileInfo>

bool AlteraPortaFirebird(const QString& pastaDllCon, const QString& porta) {
    const std::optional<quint16> numero = PortNumber::parse(porta);
    if (!numero)
        throw AppError(PortNumber::refusal(porta));
    if (!QFileInfo(pastaDllCon).isDir())
        return false;
    const PortRewrite reescrita(pastaDllCon, *numero);
    if (reescrita.missing()) {
        dialogs().warningDialog(reescrita.refusal());
        return false;
    }
    if (!reescrita.refusal().isEmpty())
        throw AppError(reescrita.refusal());
    WriteError why;
    if (!reescrita.write(&why))
        throw AppError(why.text(reescrita.file()));
    return true;
}
