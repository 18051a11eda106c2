#pragma once

#include "config/ProfileFile.h"
#include "rules/SaveSettings.h"

#include <QList>
#include <QString>

// The entries a successful save writes and their order. The order is part of the
// files' contract: a file created by a save lists its keys in it, and the
// multi-company copy has always carried "Diretorio_Servidor" before
// "Caminho_Cidades" and no "DSLOCAL".
class SaveTable {
public:
    enum class File { Ini, Dat };

    using Entry = ProfileFile::Entry;

    // Sections "RUV" and "PUX" of the main save.
    static QList<Entry> principal(const SaveSettings& settings, File file);
    // Section "RUV_ANEXO" of the attachments save.
    static QList<Entry> anexos(const SaveSettings& settings, File file);

    // Writes the entries with one replace of the file. A refused write throws
    // AppError and leaves the file as it was.
    static void write(const QString& path, const QList<Entry>& entries);
};
