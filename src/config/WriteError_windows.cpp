#include "config/WriteError.h"

// Windows' own codes (access denied, sharing violation, disk full, path not
// found...) are not told apart yet: the operator reads the code's number.
WriteError WriteError::fromSystemCode(int code) {
    return WriteError(Reason::Other, code);
}
