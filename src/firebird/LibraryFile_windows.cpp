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

QString bits(WORD machine) {
    switch (machine) {
    case IMAGE_FILE_MACHINE_I386:
        return QStringLiteral("32 bits (x86)");
    case IMAGE_FILE_MACHINE_AMD64:
        return QStringLiteral("64 bits (x64)");
    case IMAGE_FILE_MACHINE_ARM64:
        return QStringLiteral("processadores ARM de 64 bits");
    default:
        return QString();
    }
}

// What the technician is to do about a library of another architecture than the
// program's.
QString otherArchitecture(WORD machine, WORD program) {
    const QString theirs = bits(machine);
    if (theirs.isEmpty())
        return LibraryFile::otherPlatform();
    return QStringLiteral("é uma biblioteca de %1, e este programa é de %2 e não pode "
                          "carregá-la; os programas do RUV são de 32 bits: indique a pasta do "
                          "fbclient.dll de 32 bits que eles usam")
        .arg(theirs, bits(program));
}

} // namespace

// A process loads libraries of its own architecture only. The RUV programs are
// 32-bit, and so is the program shipped, so that a library it accepts is one they
// can use (the 64-bit build serves the tests under a 64-bit Wine).
LibraryFile::Machine LibraryFile::ownMachine() {
#if defined(__i386__) || defined(_M_IX86)
    return IMAGE_FILE_MACHINE_I386;
#elif defined(__x86_64__) || defined(_M_X64)
    return IMAGE_FILE_MACHINE_AMD64;
#else
#error "unsupported processor"
#endif
}

QString LibraryFile::formatProblem(QFile& file, Machine program) {
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
    if (header.Machine != program)
        return otherArchitecture(header.Machine, program);
    if (!(header.Characteristics & IMAGE_FILE_DLL))
        return QStringLiteral("não é uma biblioteca compartilhada");
    const qint64 sectionsAt =
        dos.e_lfanew + qint64(sizeof signature + sizeof header) + header.SizeOfOptionalHeader;
    return sectionsProblem(file, sectionsAt, header.NumberOfSections);
}
