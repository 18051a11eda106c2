#include "ui/DialogService.h"

#include <cassert>

namespace {
DialogService* current = nullptr;
}

QString DialogService::errorBoxText(const QString& text) {
    if (!text.isEmpty() && text.back().unicode() > u'.')
        return text + u'.';
    return text;
}

DialogService& dialogs() {
    assert(current && "no dialog service installed");
    return *current;
}

void setDialogs(DialogService* service) { current = service; }
