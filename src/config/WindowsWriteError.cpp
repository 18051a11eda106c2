#include "config/WindowsWriteError.h"

namespace {

QString inUse(const QStringList& holders) {
    return holders.isEmpty() ? QStringLiteral("está em uso por outro programa")
                             : QStringLiteral("está em uso por %1").arg(holders.join(", "));
}

} // namespace

bool WindowsWriteError::isHeld(DWORD code) {
    switch (code) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_ACCESS_DENIED:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
        return true;
    default:
        return false;
    }
}

QString WindowsWriteError::reason(DWORD code, const QStringList& holders) {
    switch (code) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
        return inUse(holders);
    case ERROR_ACCESS_DENIED:
        return holders.isEmpty() ? QStringLiteral("acesso negado") : inUse(holders);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return QStringLiteral("não há espaço livre no disco");
    case ERROR_PATH_NOT_FOUND:
        return QStringLiteral("a pasta não foi encontrada");
    case ERROR_FILE_NOT_FOUND:
        return QStringLiteral("o arquivo não foi encontrado");
    case ERROR_WRITE_PROTECT:
        return QStringLiteral("o disco está protegido contra gravação");
    default:
        return QStringLiteral("erro %1 do Windows (%2)").arg(code).arg(qt_error_string(int(code)));
    }
}
