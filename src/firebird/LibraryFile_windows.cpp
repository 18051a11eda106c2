#include "firebird/LibraryFile.h"

#include <QFile>
#include <algorithm>
#include <windows.h>

// Windows' loader refuses a cut-short image by itself; the same checks as on
// Linux give the operator the same account of what is wrong with the file.
namespace {

template <typename T> bool readAt(QFile& file, qint64 offset, T& out) {
    return file.seek(offset) && file.read(reinterpret_cast<char*>(&out), sizeof out) == sizeof out;
}

// Every section the loader reads has to lie inside the file.
QString sectionsProblem(QFile& file, qint64 sectionsAt, int count) {
    const quint64 size = quint64(file.size());
    quint64 needed = quint64(sectionsAt) + quint64(count) * sizeof(IMAGE_SECTION_HEADER);
    if (needed > size)
        return LibraryFile::cutShort(file.size(), needed);
    for (int i = 0; i < count; ++i) {
        IMAGE_SECTION_HEADER section{};
        if (!readAt(file, sectionsAt + i * qint64(sizeof section), section))
            return LibraryFile::damaged();
        needed = std::max(needed, quint64(section.PointerToRawData) + section.SizeOfRawData);
    }
    return needed > size ? LibraryFile::cutShort(file.size(), needed) : QString();
}

} // namespace

QString LibraryFile::formatProblem(QFile& file) {
    const QByteArray ident = file.peek(4);
    if (ident.startsWith("\x7f"
                         "ELF"))
        return QStringLiteral("é uma biblioteca do Linux, não desta plataforma");
    if (!ident.startsWith("MZ"))
        return QStringLiteral("não é uma biblioteca");
    IMAGE_DOS_HEADER dos{};
    if (!readAt(file, 0, dos))
        return cutShort(file.size(), sizeof dos);
    DWORD signature = 0;
    IMAGE_FILE_HEADER header{};
    if (!readAt(file, dos.e_lfanew, signature) ||
        !readAt(file, dos.e_lfanew + qint64(sizeof signature), header))
        return cutShort(file.size(), quint64(dos.e_lfanew) + sizeof signature + sizeof header);
    if (signature != IMAGE_NT_SIGNATURE)
        return damaged();
    if (header.Machine != IMAGE_FILE_MACHINE_AMD64)
        return otherPlatform();
    if (!(header.Characteristics & IMAGE_FILE_DLL))
        return QStringLiteral("não é uma biblioteca compartilhada");
    const qint64 sectionsAt =
        dos.e_lfanew + qint64(sizeof signature + sizeof header) + header.SizeOfOptionalHeader;
    return sectionsProblem(file, sectionsAt, header.NumberOfSections);
}
