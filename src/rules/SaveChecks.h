#pragma once

#include "rules/SaveSettings.h"

#include <QString>
#include <optional>

// What a main save looks at before its connection test: the folders, the client
// library and, in multi-company mode, the cities folder. The main screen shows a
// failure in a box; the command-line check prints it. The texts are the boxes'.
class SaveChecks {
public:
    // The field a failure belongs to, so that the screen can focus it.
    enum class Campo { PastaBanco, PastaTabdef, PastaRede, DllNaoInformada, Dll, Integracao };

    struct Falha {
        Campo campo;
        QString texto;
    };

    // The first failing check of the folders, the client library and the
    // integration address, in the save's order; nothing when all pass.
    static std::optional<Falha> pastas(const SaveSettings& s);
    // The box text when the client library is not in the folder `pastaDll`.
    static std::optional<QString> dllAusente(const QString& pastaDll);
    // The cities folder seen with the database server's separator. A missing
    // final separator is appended to `pastaCidades`, whatever the outcome: the
    // screen keeps it.
    static std::optional<QString> cidades(QString& pastaCidades, const QString& separador);
    // The refusal of a port text that is no port; nothing for a port.
    static std::optional<QString> porta(const QString& porta);
    // "\" for a Windows database server, "/" otherwise.
    static QString separador(const SaveSettings& s);

    static const QString textoDllNaoInformada;
};
