#include "probes/AddressPingCheck.h"

#include "funcoes/funcoes.h"
#include "probes/UPing.h"
#include "ui/DialogService.h"

#include <QLabel>

void AddressPingCheck::run(const QString& address, QLabel& status) {
    if (Apara(address).isEmpty())
        return;
    TFPing window;
    AlvoPing = address;
    status.clear();
    status.setVisible(true);
    const bool answered = dialogs().execModal(window) == 1;

    QPalette palette = status.palette();
    palette.setColor(QPalette::WindowText, answered ? QColor(0, 128, 0) : QColor(255, 0, 0));
    status.setPalette(palette);
    status.setText(answered ? QStringLiteral("OK") : QStringLiteral("FALHOU"));
}
