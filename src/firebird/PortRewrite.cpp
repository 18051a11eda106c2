#include "firebird/PortRewrite.h"

#include "config/AtomicFile.h"
#include "config/Windows1252.h"
#include "firebird/FirebirdInstall.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace {

const QString quotedSetting = QStringLiteral("RemoteServicePort =");

QString settingFor(quint16 port) {
    return quotedSetting + QLatin1Char(' ') + QString::number(port);
}

// The setting as the server reads it: not commented out, blanks anywhere
// around the name and "=".
const QRegularExpression& activeSetting() {
    static const QRegularExpression setting(
        QStringLiteral("^[ \\t]*RemoteServicePort[ \\t]*=[ \\t]*([0-9]*)"),
        QRegularExpression::CaseInsensitiveOption);
    return setting;
}

// The lines as a text reader yields them: CR LF, LF and a lone CR each end a
// line, the last one counts even without a line end, and a final line end
// does not start an empty line.
QStringList linesOf(const QByteArray& bytes) {
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = Windows1252::decode(bytes).split(lineEnd);
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QByteArray asFileBytes(const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += Windows1252::encode(line + QStringLiteral("\r\n"));
    return bytes;
}

} // namespace

PortRewrite::PortRewrite(const QString& pastaDllCon, quint16 port)
    : m_file(FirebirdInstall::installationRoot(pastaDllCon) + QStringLiteral("firebird.conf")),
      m_newPort(port) {
    if (!QFileInfo(m_file).isFile()) {
        m_missing = true;
        m_refusal = QStringLiteral(
            "O Caminho da DLL de conexão com o Firebird não contem o arquivo de configuração "
            "\"firebird.conf\".\rA Porta de conexão não pode ser alterada.");
        return;
    }
    QFile file(m_file);
    if (file.open(QIODevice::ReadOnly))
        m_before = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        m_refusal = QStringLiteral("Não foi possível ler o arquivo \"%1\": %2.")
                        .arg(m_file, WriteError::fromFile(file).reasonText());
        return;
    }
    if (const std::optional<WriteError> why = AtomicFile::refusal(m_file)) {
        m_refusal = why->text(m_file);
        return;
    }

    const QString setting = settingFor(port);
    QStringList lines = linesOf(m_before);
    bool replaced = false;
    for (QString& line : lines) {
        const QRegularExpressionMatch active = activeSetting().match(line);
        if (active.hasMatch()) {
            bool number = false;
            const uint value = active.captured(1).toUInt(&number);
            if (number && value >= 1 && value <= 65535)
                m_oldPort = quint16(value);
        }
        if (line.contains(quotedSetting, Qt::CaseSensitive)) {
            line = setting;
            replaced = true;
        } else if (active.hasMatch()) {
            if (m_respacedLine.isEmpty())
                m_respacedLine = line.trimmed();
            line = setting;
            replaced = true;
        }
    }
    if (!replaced)
        lines << setting;
    m_setting = !replaced                  ? Setting::Added
                : m_respacedLine.isEmpty() ? Setting::Replaced
                                           : Setting::Respaced;
    m_after = asFileBytes(lines);
}

QString PortRewrite::description() const {
    const QString setting = settingFor(m_newPort);
    switch (m_setting) {
    case Setting::Replaced:
        return QStringLiteral("O arquivo \"%1\" agora tem a linha \"%2\".").arg(m_file, setting);
    case Setting::Respaced:
        return QStringLiteral("A linha \"%1\" do arquivo \"%2\" foi substituída por \"%3\".")
            .arg(m_respacedLine, m_file, setting);
    case Setting::Added:
        break;
    }
    return QStringLiteral("O arquivo \"%1\" não indicava a porta: a linha \"%2\" foi acrescentada "
                          "ao final dele.")
        .arg(m_file, setting);
}

bool PortRewrite::write(WriteError* why) const {
    return AtomicFile::write(m_file, m_after, why);
}

bool PortRewrite::restore(WriteError* why) const {
    return AtomicFile::write(m_file, m_before, why);
}
