#include "firebird/LibraryFile.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <elf.h>
#include <link.h>

namespace {

using Header = ElfW(Ehdr);
using Segment = ElfW(Phdr);

template <typename T> bool readAt(QFile& file, qint64 offset, T& out) {
    return file.seek(offset) && file.read(reinterpret_cast<char*>(&out), sizeof out) == sizeof out;
}

// The running program's own header: a library must share its class, byte order
// and processor.
const Header& ownHeader() {
    static const Header own = [] {
        Header header{};
        QFile self(QStringLiteral("/proc/self/exe"));
        if (self.open(QIODevice::ReadOnly))
            readAt(self, 0, header);
        return header;
    }();
    return own;
}

QString otherPlatform() {
    return QStringLiteral("é uma biblioteca de outra plataforma (classe, ordem de bytes ou "
                          "processador diferente deste programa)");
}

QString cutShort(qint64 size, quint64 needed) {
    return QStringLiteral("o arquivo está incompleto, talvez de uma cópia interrompida (tem %1 "
                          "bytes, a biblioteca ocupa %2)")
        .arg(size)
        .arg(needed);
}

QString damaged() {
    return QStringLiteral("o cabeçalho da biblioteca está danificado");
}

// Every segment the loader reads has to lie inside the file.
QString segmentsProblem(QFile& file, const Header& header) {
    if (header.e_phentsize != sizeof(Segment))
        return damaged();
    const quint64 size = quint64(file.size());
    quint64 needed = quint64(header.e_phoff) + quint64(header.e_phnum) * sizeof(Segment);
    if (needed > size)
        return cutShort(file.size(), needed);
    for (int i = 0; i < header.e_phnum; ++i) {
        Segment segment{};
        if (!readAt(file, qint64(header.e_phoff + i * sizeof(Segment)), segment))
            return damaged();
        const quint64 end = quint64(segment.p_offset) + quint64(segment.p_filesz);
        if (end < segment.p_offset)
            return damaged();
        needed = std::max(needed, end);
    }
    return needed > size ? cutShort(file.size(), needed) : QString();
}

} // namespace

QString LibraryFile::problem(const QString& path) {
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
    const QByteArray ident = file.peek(EI_NIDENT);
    if (ident.startsWith("MZ"))
        return QStringLiteral("é uma biblioteca do Windows, não desta plataforma");
    if (!ident.startsWith(QByteArray(ELFMAG, SELFMAG)))
        return QStringLiteral("não é uma biblioteca");
    const Header& own = ownHeader();
    if (ident.size() == EI_NIDENT && (quint8(ident[EI_CLASS]) != own.e_ident[EI_CLASS] ||
                                      quint8(ident[EI_DATA]) != own.e_ident[EI_DATA]))
        return otherPlatform();
    Header header{};
    if (!readAt(file, 0, header))
        return cutShort(file.size(), sizeof header);
    if (header.e_machine != own.e_machine)
        return otherPlatform();
    if (header.e_type != ET_DYN)
        return QStringLiteral("não é uma biblioteca compartilhada");
    return segmentsProblem(file, header);
}
