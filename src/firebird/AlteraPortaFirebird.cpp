#include "firebird/AlteraPortaFirebird.h"

#include "config/AtomicFile.h"
#include "config/Windows1252.h"
#include "config/WriteError.h"
#include "firebird/FirebirdInstall.h"
#include "funcoes/AppError.h"
#include "funcoes/PortNumber.h"
#include "ui/DialogService.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace {

const QString portSetting = QStringLiteral("RemoteServicePort =");

[[noreturn]] void raiseReadError(const QFile& file) {
    throw AppError(QStringLiteral("Não foi possível ler o arquivo \"%1\": %2.")
                       .arg(file.fileName(), WriteError::fromFile(file).reasonText()));
}

// The lines as a text reader yields them: CR LF, LF and a lone CR each end a
// line, the last one counts even without a line end, and a final line end
// does not start an empty line.
QStringList readLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        raiseReadError(file);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        raiseReadError(file);
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = Windows1252::decode(bytes).split(lineEnd);
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QStringList withPort(QStringList lines, quint16 porta) {
    const QString setting = portSetting + QLatin1Char(' ') + QString::number(porta);
    for (QString& line : lines) {
        if (line.contains(portSetting, Qt::CaseSensitive))
            line = setting;
    }
    return lines;
}

QByteArray asFileBytes(const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += Windows1252::encode(line + QStringLiteral("\r\n"));
    return bytes;
}

// Written to a temporary beside it and renamed over it, so the server finds
// either the old or the new contents whatever fails on the way.
void replaceFile(const QString& path, const QStringList& lines) {
    WriteError why;
    if (!AtomicFile::write(path, asFileBytes(lines), &why))
        throw AppError(why.text(path));
}

} // namespace

bool AlteraPortaFirebird(const QString& pastaDllCon, const QString& porta) {
    const std::optional<quint16> numero = PortNumber::parse(porta);
    if (!numero)
        throw AppError(PortNumber::refusal(porta));
    if (!QFileInfo(pastaDllCon).isDir())
        return false;
    const QString conf = FirebirdInstall::installationRoot(pastaDllCon) + "firebird.conf";
    if (!QFileInfo(conf).isFile()) {
        dialogs().warningDialog(
            QStringLiteral("O Caminho da DLL de conexão com o Firebird não contem o arquivo de "
                           "configuração \"firebird.conf\".\rA Porta de conexão não pode ser "
                           "alterada."));
        return false;
    }
    replaceFile(conf, withPort(readLines(conf), *numero));
    return true;
}
