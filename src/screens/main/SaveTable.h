#pragma once

#include "screens/main/SaveSettings.h"

#include <QList>
#include <QString>

// The entries a successful save writes and their order. The order is part of the
// files' contract: a file created by a save lists its keys in it, and the
// multi-company copy has always carried "Diretorio_Servidor" before
// "Caminho_Cidades" and no "DSLOCAL".
class SaveTable {
public:
    enum class File { Ini, Dat };

    struct Entry {
        QString section;
        QString key;
        QString value;
        bool operator==(const Entry&) const = default;
    };

    // Sections "RUV" and "PUX" of the main save.
    static QList<Entry> principal(const SaveSettings& settings, File file);
    // Section "RUV_ANEXO" of the attachments save.
    static QList<Entry> anexos(const SaveSettings& settings, File file);

    // Writes the entries one at a time, each reaching the disk before the next. A
    // refused write throws AppError: the entries before it stay written.
    static void write(const QString& path, const QList<Entry>& entries);
};
