#include "check/CheckOptions.h"

CheckOptions CheckOptions::parse(const QStringList& arguments) {
    CheckOptions opcoes;
    bool check = false;
    for (qsizetype i = 0; i < arguments.size() && opcoes.erro.isEmpty(); ++i) {
        const QString& argumento = arguments[i];
        if (argumento == QLatin1String("--check") && !check)
            check = true;
        else if (argumento == QLatin1String("--json") && !opcoes.json)
            opcoes.json = true;
        else if (argumento == QLatin1String("--help"))
            opcoes.help = true;
        else if (argumento == QLatin1String("--ini") && opcoes.ini.isEmpty() &&
                 i + 1 < arguments.size() && !arguments[i + 1].isEmpty())
            opcoes.ini = arguments[++i];
        else
            opcoes.erro = QStringLiteral("Opção inválida: \"%1\".").arg(argumento);
    }
    if (opcoes.erro.isEmpty() && !check && !opcoes.help)
        opcoes.erro = QStringLiteral("Falta a opção --check.");
    return opcoes;
}

QString CheckOptions::texto() {
    return QStringLiteral(
        "  --check    prova a configuração sem abrir janela e sem gravar nada: as\n"
        "             verificações de pastas e da biblioteca de conexão, o usuário\n"
        "             TOMRUV no servidor e a conexão a cada banco de dados\n"
        "  --ini ARQUIVO  com --check, prova ARQUIVO em vez do ruv.ini deste programa\n"
        "  --json     com --check, escreve um objeto JSON em vez de linhas\n"
        "Saída de --check: 0 configuração provada; 1 uma verificação ou conexão falhou;\n"
        "2 o arquivo não pode ser lido ou não indica banco de dados; 64 uso incorreto.\n");
}
