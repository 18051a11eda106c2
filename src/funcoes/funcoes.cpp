#include "funcoes/funcoes.h"

#include "funcoes/Platform.h"

#include <algorithm>

QString VersaoExe() {
    const platform::FileVersion version = platform::executableFileVersion();
    return QStringLiteral("%1.%2.%3.%4")
        .arg(version.major)
        .arg(version.minor)
        .arg(version.release)
        .arg(version.build);
}

bool EstaEmBranco(const QString& texto) {
    return std::all_of(texto.begin(), texto.end(), [](QChar c) { return c == u' '; });
}

QString TiraEspacos(const QString& texto) {
    QString resultado = texto;
    return resultado.remove(u' ');
}

QString UltimosCaracteres(const QString& texto, quint8 n) {
    return texto.size() > n ? texto.right(n) : texto;
}

QString SoDigitos(const QString& texto) {
    QString digitos;
    for (const QChar c : texto) {
        if (EhDigito(QString(c)))
            digitos.append(c);
    }
    return digitos;
}

bool EhDigito(const QString& caractere) {
    return caractere.size() == 1 && caractere[0] >= u'0' && caractere[0] <= u'9';
}

QString SegmentoDoFim(const QString& texto, const QString& separador, int n) {
    if (separador.size() != 1 || n <= 0)
        return {};
    // Walks from the end; only the piece after the n-th separator is kept.
    QString segmento;
    int separadores = 0;
    for (qsizetype i = texto.size() - 1; i >= 0; --i) {
        if (texto[i] == separador[0]) {
            if (++separadores > n)
                break;
        } else if (separadores == n) {
            segmento.prepend(texto[i]);
        }
    }
    return segmento;
}

namespace {

// The program in double quotes, then the arguments as given unless they are blank.
QString linhaDeComando(const QString& programa, const QString& argumentos) {
    QString linha = u'"' + programa + u'"';
    const bool temArgumentos =
        std::any_of(argumentos.begin(), argumentos.end(), [](QChar c) { return c > u' '; });
    if (temArgumentos)
        linha += u' ' + argumentos;
    return linha;
}

} // namespace

bool ExecutaPrograma(const QString& programa, const QString& argumentos, int estadoJanela,
                     bool espera) {
    return platform::startProcess(programa, linhaDeComando(programa, argumentos),
                                  PastaDoArquivo(programa), estadoJanela, espera);
}

platform::ProcessEnd ExecutaProgramaComLimite(const QString& programa, const QString& argumentos,
                                              int estadoJanela, int limiteMs,
                                              const std::function<void()>& enquantoEspera,
                                              int* codigoSaida) {
    return platform::startProcessWithin(programa, linhaDeComando(programa, argumentos),
                                        PastaDoArquivo(programa), estadoJanela, limiteMs,
                                        enquantoEspera, codigoSaida);
}

QString Apara(const QString& texto) {
    qsizetype inicio = 0;
    qsizetype fim = texto.size();
    while (inicio < fim && texto[inicio].unicode() <= 32)
        ++inicio;
    while (fim > inicio && texto[fim - 1].unicode() <= 32)
        --fim;
    return texto.sliced(inicio, fim - inicio);
}

QString PastaDoArquivo(const QString& arquivo) {
    const qsizetype corte = std::max(arquivo.lastIndexOf(u'/'), arquivo.lastIndexOf(u'\\'));
    return arquivo.left(corte + 1);
}
