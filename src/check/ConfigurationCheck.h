#pragma once

#include "probes/ConnectionProof.h"
#include "rules/SaveSettings.h"

#include <QList>
#include <QString>
#include <functional>

// The proof of a "ruv.ini" as the main save makes it, without a window and
// without changing anything: the save's checks of the folders and the client
// library, then the connection test, which only looks the user "TOMRUV" up, and
// the attachments database's test when the file names one. No file is written,
// no service touched, no user added.
class ConfigurationCheck {
public:
    // The exit statuses of the check.
    enum Status { Provada = 0, Falhou = 1, Ilegivel = 2 };

    struct Resultado {
        QString arquivo; // absolute, for reports gathered from many machines
        int status = Falhou;
        QList<ConnectionProof::Passo> passos{};
        QString resumo{}; // the summary line
    };

    // Proves `ini`; each line of the message log goes to `escreve` as it comes.
    static Resultado run(const QString& ini, const std::function<void(const QString&)>& escreve);

private:
    struct Leitura {
        SaveSettings s;
        bool multiEmpresa = false;
        // The attachments database's test, when section "RUV_ANEXO" names one.
        std::optional<ConnectionParameters> anexos;
    };

    static std::optional<QString> ilegivel(const QString& ini);
    static Leitura le(const QString& ini);
    static std::optional<QString> verifica(Leitura& leitura);
    static ConnectionParameters principal(const SaveSettings& s);
};
