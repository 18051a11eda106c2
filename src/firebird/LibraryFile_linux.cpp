#include "firebird/LibraryFile.h"

#include <QFile>
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

// Every segment the loader reads has to lie inside the file.
QString segmentsProblem(QFile& file, const Header& header) {
    if (header.e_phentsize != sizeof(Segment))
        return LibraryFile::damaged();
    const quint64 size = quint64(file.size());
    quint64 needed = quint64(header.e_phoff) + quint64(header.e_phnum) * sizeof(Segment);
    if (needed > size)
        return LibraryFile::cutShort(file.size(), needed);
    for (int i = 0; i < header.e_phnum; ++i) {
        Segment segment{};
        if (!readAt(file, qint64(header.e_phoff + i * sizeof(Segment)), segment))
            return LibraryFile::damaged();
        const quint64 end = quint64(segment.p_offset) + quint64(segment.p_filesz);
        if (end < segment.p_offset)
            return LibraryFile::damaged();
        needed = std::max(needed, end);
    }
    return needed > size ? LibraryFile::cutShort(file.size(), needed) : QString();
}

} // namespace

LibraryFile::Machine LibraryFile::ownMachine() {
    return ownHeader().e_machine;
}

// The class and byte order are this program's: there is one Linux build.
QString LibraryFile::formatProblem(QFile& file, Machine program) {
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
    if (header.e_machine != program)
        return otherPlatform();
    if (header.e_type != ET_DYN)
        return QStringLiteral("não é uma biblioteca compartilhada");
    return segmentsProblem(file, header);
}
