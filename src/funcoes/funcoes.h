#pragma once

#include "funcoes/Platform.h"

#include <QString>
#include <functional>

// Shared routines of the screens: version text, text helpers and the program
// launcher. Free functions without state that show no message and depend on no
// other folder of the program.

QString VersaoExe();
// Removes leading and trailing characters whose code is 32 or less (blanks and
// control characters), the trimming every field test of the screens uses.
QString Apara(const QString& texto);
// The folder part of a file name: everything up to and including its last "/"
// or "\" (empty when it has neither). Both count on every platform, so a
// Windows path keeps its folder here too.
QString PastaDoArquivo(const QString& arquivo);
bool EstaEmBranco(const QString& texto);
QString TiraEspacos(const QString& texto);
QString UltimosCaracteres(const QString& texto, quint8 n);
QString SoDigitos(const QString& texto);
bool EhDigito(const QString& caractere);
QString SegmentoDoFim(const QString& texto, const QString& separador, int n);
bool ExecutaPrograma(const QString& programa, const QString& argumentos, int estadoJanela,
                     bool espera);
// ExecutaPrograma waiting for the program's end, at most `limiteMs`, and calling
// `enquantoEspera` every few milliseconds meanwhile; the exit code of an ended
// program goes to `codigoSaida` when given.
platform::ProcessEnd ExecutaProgramaComLimite(const QString& programa, const QString& argumentos,
                                              int estadoJanela, int limiteMs,
                                              const std::function<void()>& enquantoEspera,
                                              int* codigoSaida = nullptr);
