#include "config/WriteError.h"

#include <cerrno>

WriteError WriteError::fromSystemCode(int code) {
    switch (code) {
    case EACCES:
    case EPERM:
        return WriteError(Reason::Permission, code);
    case EISDIR:
    case ENXIO:
    case ELOOP:
        return WriteError(Reason::NotRegularFile, code);
    case ENOSPC:
    case EDQUOT:
        return WriteError(Reason::DiskFull, code);
    case EROFS:
        return WriteError(Reason::ReadOnlyFileSystem, code);
    case ENOENT:
    case ENOTDIR:
        return WriteError(Reason::MissingFolder, code);
    case ETXTBSY:
    case EBUSY:
    case EWOULDBLOCK:
        return WriteError(Reason::InUse, code);
    default:
        return WriteError(Reason::Other, code);
    }
}
