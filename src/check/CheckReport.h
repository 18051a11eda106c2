#pragma once

#include "check/ConfigurationCheck.h"

#include <QByteArray>

// The check's result as one JSON object, for collection from many machines:
// the file, the exit status, the summary line and each step with its name,
// target, result ("ok" or "falha"), reason and milliseconds.
class CheckReport {
public:
    static QByteArray json(const ConfigurationCheck::Resultado& resultado);
};
