#include "config/WindowsFileCalls.h"

WindowsFileCalls& WindowsFileCalls::current() {
    static WindowsFileCalls calls;
    return calls;
}
