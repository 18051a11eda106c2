#include "firebird/LibraryFile.h"

#include <QFile>
#include <QFileInfo>

QString LibraryFile::problem(const QString& path, Machine program) {
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("o arquivo não existe");
    if (info.isDir())
        return QStringLiteral("é uma pasta, não um arquivo");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("o arquivo não pode ser lido (%1)").arg(file.errorString());
    if (file.size() == 0)
        return QStringLiteral("o arquivo está vazio");
    return formatProblem(file, program);
}

QString LibraryFile::otherPlatform() {
    return QStringLiteral("é uma biblioteca de outra plataforma (classe, ordem de bytes ou "
                          "processador diferente deste programa)");
}

QString LibraryFile::cutShort(qint64 size, quint64 needed) {
    return QStringLiteral("o arquivo está incompleto, talvez de uma cópia interrompida (tem %1 "
                          "bytes, a biblioteca ocupa %2)")
        .arg(size)
        .arg(needed);
}

QString LibraryFile::damaged() {
    return QStringLiteral("o cabeçalho da biblioteca está danificado");
}
