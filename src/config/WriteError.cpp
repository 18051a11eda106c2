#include "config/WriteError.h"

#include <QFileDevice>

WriteError WriteError::fromFile(const QFileDevice& file) {
    return WriteError(file.error() == QFileDevice::PermissionsError ? Reason::Permission
                                                                    : Reason::Other);
}

QString WriteError::reasonText() const {
    switch (m_reason) {
    case Reason::Permission:
        return QStringLiteral("o usuário não tem permissão de acesso ao arquivo ou à pasta dele");
    case Reason::NotRegularFile:
        return QStringLiteral("o nome não é de um arquivo comum (é uma pasta ou um arquivo "
                              "especial)");
    case Reason::DiskFull:
        return QStringLiteral("não há espaço livre no disco");
    case Reason::ReadOnlyFileSystem:
        return QStringLiteral("o disco está somente para leitura");
    case Reason::MissingFolder:
        return QStringLiteral("a pasta do arquivo não existe");
    case Reason::InUse:
        return QStringLiteral("o arquivo está em uso por %1")
            .arg(m_holders.isEmpty() ? QStringLiteral("outro programa") : m_holders.join(", "));
    case Reason::Other:
        break;
    }
    return m_systemCode != 0 ? QStringLiteral("erro %1 do sistema").arg(m_systemCode)
                             : QStringLiteral("erro do sistema");
}

QString WriteError::text(const QString& path) const {
    return QStringLiteral("Não foi possível gravar o arquivo \"%1\": %2.").arg(path, reasonText());
}
