#include "config/WriteError.h"

#include <windows.h>

// The codes a write, a rename or a delete of the store meets.
WriteError WriteError::fromSystemCode(int code) {
    switch (DWORD(code)) {
    case ERROR_ACCESS_DENIED:
        return WriteError(Reason::Permission, code);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
    case ERROR_USER_MAPPED_FILE:
        return WriteError(Reason::InUse, code);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return WriteError(Reason::DiskFull, code);
    case ERROR_WRITE_PROTECT:
        return WriteError(Reason::ReadOnlyFileSystem, code);
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY:
        return WriteError(Reason::MissingFolder, code);
    default:
        return WriteError(Reason::Other, code);
    }
}
