#pragma once

#include <QString>

// The main screen's settings as a save writes them: field texts exactly as they
// stand (untrimmed) and the choices already turned into their stored texts.
struct SaveSettings {
    QString servidor;       // edIPBanco
    QString servidorTabdef; // edIPTABDEF
    QString sistemaBanco;   // "WINDOWS" or "LINUX"
    QString sistemaTabdef;  // "WINDOWS" or "LINUX"
    QString pastaBanco;     // edPastaLocalBD
    QString pastaTabdef;    // edPastaLocalTABDEF
    QString pastaCidades;   // edPastaCidades
    QString pastaRede;      // edPastaRede
    QString pastaDll;       // edDllCon
    QString porta;          // edPorta
    QString ipNtier;        // edIPNtier
    QString portaNtier;     // edNTier
    QString ipNet;          // edIPNET
    QString portaHttp;      // edHTTP
    QString dsLocal;        // "S" or "N"
    bool pux = false;       // sibling-system option
    QString integra;        // "S" or "N"
    QString caminhoInteg;   // edtCaminhoInteg
    QString pastaAnexo;     // edtCaminhoANX
};
