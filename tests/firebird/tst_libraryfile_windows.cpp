#include "FileBytes.h"
#include "firebird/LibraryFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <windows.h>

namespace {

// A library this process has loaded: a complete one of this platform.
QByteArray loadedLibrary() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(::GetModuleHandleW(L"Qt6Core.dll"), path, MAX_PATH);
    return FileBytes::read(QString::fromWCharArray(path));
}

// The same library marked for another processor, as a library of that
// architecture carries it in its file header.
QByteArray forMachine(QByteArray library, WORD machine) {
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(library.constData());
    const qsizetype at = dos->e_lfanew + qsizetype(sizeof(DWORD));
    std::memcpy(library.data() + at, &machine, sizeof machine);
    return library;
}

} // namespace

// The check of a client library file before Windows loads it.
class TestLibraryFile : public QObject {
    Q_OBJECT

private slots:
    void problem_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<WORD>("program");    // the processor the loading program was built for
        QTest::addColumn<QString>("problem"); // the start of the text; empty for none
        const QByteArray library = loadedLibrary();
        const WORD own = LibraryFile::ownMachine();
        QTest::newRow("a complete library") << library << own << "";
        QTest::newRow("a copy cut short")
            << library.left(library.size() / 2) << own << "o arquivo está incompleto";
        QTest::newRow("only its first bytes")
            << library.left(100) << own << "o arquivo está incompleto";
        QTest::newRow("a program") << FileBytes::read(QCoreApplication::applicationFilePath())
                                   << own << "não é uma biblioteca compartilhada";
        QTest::newRow("a Linux library") << QByteArray("\x7f"
                                                       "ELF\x02\x01\x01",
                                                       7)
                                         << own << "é uma biblioteca do Linux";
        QTest::newRow("text") << QByteArray("fbclient") << own << "não é uma biblioteca";
        QTest::newRow("empty") << QByteArray() << own << "o arquivo está vazio";

        // Both Windows builds, whichever of them runs the test: the 32-bit program
        // is the one operators install.
        const QByteArray x86 = forMachine(library, IMAGE_FILE_MACHINE_I386);
        const QByteArray x64 = forMachine(library, IMAGE_FILE_MACHINE_AMD64);
        const QByteArray arm = forMachine(library, IMAGE_FILE_MACHINE_ARM64);
        QTest::newRow("32-bit program, a 32-bit library")
            << x86 << WORD(IMAGE_FILE_MACHINE_I386) << "";
        QTest::newRow("32-bit program, a 64-bit library")
            << x64 << WORD(IMAGE_FILE_MACHINE_I386)
            << "é uma biblioteca de 64 bits (x64), e este programa é de 32 bits (x86) e não pode "
               "carregá-la; os programas do RUV são de 32 bits: indique a pasta do fbclient.dll de "
               "32 bits que eles usam";
        QTest::newRow("32-bit program, an ARM library")
            << arm << WORD(IMAGE_FILE_MACHINE_I386)
            << "é uma biblioteca de processadores ARM de 64 bits, e este programa é de 32 bits "
               "(x86)";
        QTest::newRow("64-bit program, a 64-bit library")
            << x64 << WORD(IMAGE_FILE_MACHINE_AMD64) << "";
        QTest::newRow("64-bit program, a 32-bit library")
            << x86 << WORD(IMAGE_FILE_MACHINE_AMD64)
            << "é uma biblioteca de 32 bits (x86), e este programa é de 64 bits (x64) e não pode "
               "carregá-la; os programas do RUV são de 32 bits: indique a pasta do fbclient.dll de "
               "32 bits que eles usam";
        QTest::newRow("64-bit program, an ARM library")
            << arm << WORD(IMAGE_FILE_MACHINE_AMD64)
            << "é uma biblioteca de processadores ARM de 64 bits, e este programa é de 64 bits "
               "(x64)";
    }

    void problem() {
        QFETCH(QByteArray, bytes);
        QFETCH(WORD, program);
        QFETCH(QString, problem);
        QVERIFY(bytes != "<missing>");
        QTemporaryDir dir;
        const QString file = dir.filePath("fbclient.dll");
        FileBytes::write(file, bytes);
        const QString found = LibraryFile::problem(file, program);
        QVERIFY2(problem.isEmpty() ? found.isEmpty() : found.startsWith(problem),
                 qPrintable(found));
    }

    void folderOrNothing() {
        QTemporaryDir dir;
        QCOMPARE(LibraryFile::problem(dir.path()), "é uma pasta, não um arquivo");
        QCOMPARE(LibraryFile::problem(dir.filePath("fbclient.dll")), "o arquivo não existe");
    }
};

QTEST_GUILESS_MAIN(TestLibraryFile)
#include "tst_libraryfile_windows.moc"
