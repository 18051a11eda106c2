#pragma once

#include <QString>

class QLabel;

// The check run when the operator leaves a server address field: the ping window
// pings the address and the status label beside the field shows a green "OK" or a
// red "FALHOU", which the saves read later.
class AddressPingCheck {
public:
    // A blank address is not checked and leaves the label as it was.
    static void run(const QString& address, QLabel& status);
};
