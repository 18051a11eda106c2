#pragma once

#include <QString>

// What a connection test reaches, exactly as typed: addresses blank for this
// machine, folders with their own trailing separator.
struct ConnectionParameters {
    QString enderecoBanco;  // database server address
    QString enderecoTabdef; // TABDEF server address
    QString pastaBanco;     // folder holding "SGB_DADOS" (or the attachments database)
    QString pastaTabdef;    // folder holding "TABDEF"
    QString sistemaBanco;   // "WINDOWS" or "LINUX"
    QString sistemaTabdef;  // "WINDOWS" or "LINUX"
    QString pastaDll;       // folder of the client library
    QString arquivoDll;     // file name of the client library
    QString porta;          // TCP port of the Firebird server
};
