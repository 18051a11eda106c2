#include "FileBytes.h"
#include "config/AtomicFile.h"
#include "config/WindowsFileCalls.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <optional>
#include <utility>
#include <windows.h>

namespace {

const QByteArray kOld = "[RUV]\r\nServidor=antigo\r\n";
const QByteArray kNew = "[RUV]\r\nServidor=novo\r\n";

DWORD attributes(const QString& path) {
    return ::GetFileAttributesW(reinterpret_cast<const wchar_t*>(path.utf16()));
}

bool setAttributes(const QString& path, DWORD value) {
    return ::SetFileAttributesW(reinterpret_cast<const wchar_t*>(path.utf16()), value);
}

// ReplaceFileW as Windows documents its failures, each leaving the files where
// the documentation says; the code is taken from the test's row.
DWORD failure = ERROR_SUCCESS;
HANDLE heldReplacement = INVALID_HANDLE_VALUE;

BOOL WINAPI failingReplace(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD, LPVOID,
                           LPVOID) {
    const DWORD kept = ::GetFileAttributesW(replaced);
    switch (failure) {
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
        // The replaced file is gone (to the backup, when one was named); the
        // replacement is still under its own name.
        backup ? ::MoveFileW(replaced, backup) : ::DeleteFileW(replaced);
        break;
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
        // The replaced file lies under another name; the replacement has its attributes.
        ::MoveFileW(replaced, backup);
        ::SetFileAttributesW(replacement, kept);
        break;
    default:
        break;
    }
    ::SetLastError(failure);
    return FALSE;
}

// The same 1176, with the replacement held by another program, so that it
// cannot be moved into place either.
BOOL WINAPI failingReplaceHeld(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags,
                               LPVOID exclude, LPVOID reserved) {
    heldReplacement = ::CreateFileW(replacement, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    return failingReplace(replaced, replacement, backup, flags, exclude, reserved);
}

UINT WINAPI refusedTemporaryName(LPCWSTR, LPCWSTR, UINT, LPWSTR) {
    ::SetLastError(ERROR_ACCESS_DENIED);
    return 0;
}

// Puts the system's calls back, whatever the test did.
class SystemCalls {
public:
    ~SystemCalls() {
        WindowsFileCalls::current() = WindowsFileCalls();
        if (heldReplacement != INVALID_HANDLE_VALUE)
            ::CloseHandle(std::exchange(heldReplacement, INVALID_HANDLE_VALUE));
    }
};

// How long the store waits for a file another program holds (AtomicFile_windows.cpp).
constexpr qint64 heldForMs = 5000;

// hold_file.exe (built beside this test) holding a file open, sharing it as asked.
class Holder {
public:
    Holder(const QString& file, const QString& time, const QString& sharing) {
        m_process.start(QCoreApplication::applicationDirPath() + "/hold_file.exe",
                        {file, time, sharing});
        m_held = m_process.waitForReadyRead(10000) && m_process.readLine().trimmed() == "held";
    }
    ~Holder() {
        m_process.kill();
        m_process.waitForFinished();
    }
    bool held() const { return m_held; }

private:
    QProcess m_process;
    bool m_held = false;
};

} // namespace

// The store's atomic replace on Windows: the file's attributes survive it, the
// read-only attribute refuses it, and no temporary is left beside the file. A
// replace that fails half-way leaves a whole file under the name, a file another
// program holds is waited for, a folder that takes no new file gets the bytes in
// the file itself, and every refusal is told in Portuguese.
class TestAtomicFile : public QObject {
    Q_OBJECT

private slots:
    void init();
    void replaceKeepsAttributes_data();
    void replaceKeepsAttributes();
    void newFileTakesItsPlace();
    void readOnlyAttributeRefusesTheWrite();
    void halfDoneReplaceLeavesAWholeFile_data();
    void halfDoneReplaceLeavesAWholeFile();
    void heldFileIsWaitedFor_data();
    void heldFileIsWaitedFor();
    void folderWithoutNewFilesGetsTheBytesInPlace();
    void refusalsInPortuguese_data();
    void refusalsInPortuguese();

private:
    QString ini() const { return QDir::toNativeSeparators(m_dir->filePath("ruv.ini")); }
    QStringList folder() const {
        return QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestAtomicFile::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestAtomicFile::replaceKeepsAttributes_data() {
    QTest::addColumn<DWORD>("kept");
    QTest::newRow("hidden") << DWORD(FILE_ATTRIBUTE_HIDDEN);
    QTest::newRow("system") << DWORD(FILE_ATTRIBUTE_SYSTEM);
    QTest::newRow("hidden and system") << DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
}

void TestAtomicFile::replaceKeepsAttributes() {
    QFETCH(DWORD, kept);
    FileBytes::write(ini(), kOld);
    QVERIFY(setAttributes(ini(), kept));

    WriteError why;
    QVERIFY2(AtomicFile::write(ini(), kNew, &why), qPrintable(why.text(ini())));
    QCOMPARE(FileBytes::read(ini()), kNew);
    QCOMPARE(attributes(ini()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM), kept);
    QCOMPARE(folder(), QStringList{"ruv.ini"});
}

void TestAtomicFile::newFileTakesItsPlace() {
    WriteError why;
    QVERIFY2(AtomicFile::write(ini(), kNew, &why), qPrintable(why.text(ini())));
    QCOMPARE(FileBytes::read(ini()), kNew);
    QCOMPARE(folder(), QStringList{"ruv.ini"});
}

void TestAtomicFile::readOnlyAttributeRefusesTheWrite() {
    FileBytes::write(ini(), kOld);
    QVERIFY(setAttributes(ini(), FILE_ATTRIBUTE_READONLY));

    WriteError why;
    QVERIFY(!AtomicFile::write(ini(), kNew, &why));
    QCOMPARE(why.reason(), WriteError::Reason::Permission);
    QCOMPARE(FileBytes::read(ini()), kOld);
    QCOMPARE(folder(), QStringList{"ruv.ini"});
    QVERIFY(setAttributes(ini(), FILE_ATTRIBUTE_NORMAL));
}

void TestAtomicFile::halfDoneReplaceLeavesAWholeFile_data() {
    QTest::addColumn<DWORD>("code");
    QTest::addColumn<bool>("replacementHeld");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("reason");
    QTest::newRow("1176: the new contents moved into place")
        << DWORD(ERROR_UNABLE_TO_MOVE_REPLACEMENT) << false << true << kNew << QString();
    QTest::newRow("1176, replacement held: the old file put back")
        << DWORD(ERROR_UNABLE_TO_MOVE_REPLACEMENT) << true << false << kOld
        << QString("erro 1176 do sistema");
    QTest::newRow("1177: the old file put back")
        << DWORD(ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) << false << false << kOld
        << QString("erro 1177 do sistema");
}

void TestAtomicFile::halfDoneReplaceLeavesAWholeFile() {
    QFETCH(DWORD, code);
    QFETCH(bool, replacementHeld);
    QFETCH(bool, saved);
    QFETCH(QByteArray, contents);
    QFETCH(QString, reason);
    FileBytes::write(ini(), kOld);
    QVERIFY(setAttributes(ini(), FILE_ATTRIBUTE_HIDDEN));
    const SystemCalls restore;
    failure = code;
    WindowsFileCalls::current().replace = replacementHeld ? failingReplaceHeld : failingReplace;

    WriteError why;
    QCOMPARE(AtomicFile::write(ini(), kNew, &why), saved);
    if (!saved)
        QCOMPARE(why.reasonText(), reason);
    QCOMPARE(FileBytes::read(ini()), contents);
    QCOMPARE(attributes(ini()) & FILE_ATTRIBUTE_HIDDEN, DWORD(FILE_ATTRIBUTE_HIDDEN));
    if (!replacementHeld)
        QCOMPARE(folder(), QStringList{"ruv.ini"});
    QVERIFY(folder().filter(".old").isEmpty());
}

void TestAtomicFile::heldFileIsWaitedFor_data() {
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("sharing");
    QTest::addColumn<QString>("holdFor");
    QTest::addColumn<bool>("waits");
    QTest::addColumn<bool>("done");
    // A save reads the file before it replaces it; only a holder that shares
    // nothing keeps the read out.
    for (const char* step : {"write", "removal", "read"}) {
        for (const char* sharing : {"none", "read", "readwrite"}) {
            const bool waits = QByteArray(step) != "read" || QByteArray(sharing) == "none";
            QTest::addRow("%s, sharing %s, released in time", step, sharing)
                << step << sharing << "600" << waits << true;
            QTest::addRow("%s, sharing %s, held for good", step, sharing)
                << step << sharing << "forever" << waits << !waits;
        }
    }
}

// Writes and removals alike: "ruv.dat" is removed to turn the multi-company mode off.
// Timing bounds: a release is seen before the store's wait ends, and a hold for
// good is given up once that wait has run; each with seconds of room.
void TestAtomicFile::heldFileIsWaitedFor() {
    QFETCH(QString, step);
    QFETCH(QString, sharing);
    QFETCH(QString, holdFor);
    QFETCH(bool, waits);
    QFETCH(bool, done);
    FileBytes::write(ini(), kOld);
    std::optional<Holder> holder(std::in_place, ini(), holdFor, sharing);
    QVERIFY(holder->held());

    QElapsedTimer clock;
    clock.start();
    WriteError why;
    QByteArray read;
    const bool result = step == "write"     ? AtomicFile::write(ini(), kNew, &why)
                        : step == "removal" ? AtomicFile::remove(ini(), &why)
                                            : AtomicFile::read(ini(), read, &why);
    const qint64 elapsed = clock.elapsed();
    qInfo("%s after %lld ms: %s", result ? "done" : "refused", elapsed,
          qPrintable(result ? QString() : why.text(ini())));
    QCOMPARE(result, done);
    if (!waits)
        QVERIFY2(elapsed < heldForMs / 2, qPrintable(QString::number(elapsed)));
    if (done) {
        QVERIFY2(elapsed < heldForMs, qPrintable(QString::number(elapsed)));
        holder.reset();
        QCOMPARE(folder(), step == "removal" ? QStringList{} : QStringList{"ruv.ini"});
        if (step != "removal")
            QCOMPARE(FileBytes::read(ini()), step == "write" ? kNew : kOld);
        if (step == "read")
            QCOMPARE(read, kOld);
        return;
    }
    // The Restart Manager names the holder where it can; Wine's names none.
    const QString reason = why.reasonText();
    QVERIFY2(reason == "o arquivo está em uso por hold_file.exe" ||
                 reason == "o arquivo está em uso por outro programa",
             qPrintable(reason));
    QVERIFY2(elapsed >= heldForMs && elapsed < 2 * heldForMs, qPrintable(QString::number(elapsed)));
    // The holder lets go before the file is read: it may share nothing meanwhile.
    holder.reset();
    QCOMPARE(FileBytes::read(ini()), kOld);
    QCOMPARE(folder(), QStringList{"ruv.ini"});
}

void TestAtomicFile::folderWithoutNewFilesGetsTheBytesInPlace() {
    const SystemCalls restore;
    WindowsFileCalls::current().temporaryName = refusedTemporaryName;
    FileBytes::write(ini(), kOld + kOld + kOld);

    WriteError why;
    QVERIFY2(AtomicFile::write(ini(), kNew, &why), qPrintable(why.text(ini())));
    QCOMPARE(FileBytes::read(ini()), kNew);
    QCOMPARE(folder(), QStringList{"ruv.ini"});

    // A file that is not there yet has no place to be written in.
    const QString other = QDir::toNativeSeparators(m_dir->filePath("ruv.dat"));
    QVERIFY(!AtomicFile::write(other, kNew, &why));
    QCOMPARE(why.reason(), WriteError::Reason::Permission);
    QVERIFY(!QFile::exists(other));
}

void TestAtomicFile::refusalsInPortuguese_data() {
    QTest::addColumn<DWORD>("code");
    QTest::addColumn<QString>("text");
    const QString file = "Não foi possível gravar o arquivo \"C:\\RUV\\ruv.ini\": ";
    QTest::newRow("disk full") << DWORD(ERROR_DISK_FULL) << file + "não há espaço livre no disco.";
    QTest::newRow("path not found")
        << DWORD(ERROR_PATH_NOT_FOUND) << file + "a pasta do arquivo não existe.";
    QTest::newRow("write protect")
        << DWORD(ERROR_WRITE_PROTECT) << file + "o disco está somente para leitura.";
    // Held files are waited for first.
    QTest::newRow("access denied")
        << DWORD(ERROR_ACCESS_DENIED)
        << file + "o usuário não tem permissão de acesso ao arquivo ou à pasta dele.";
    QTest::newRow("sharing violation")
        << DWORD(ERROR_SHARING_VIOLATION) << file + "o arquivo está em uso por outro programa.";
    QTest::newRow("lock violation")
        << DWORD(ERROR_LOCK_VIOLATION) << file + "o arquivo está em uso por outro programa.";
    QTest::newRow("a code without a text of its own")
        << DWORD(ERROR_INVALID_FUNCTION) << file + "erro 1 do sistema.";
}

// The sentence as the operator reads it in the box, for the file the save names.
void TestAtomicFile::refusalsInPortuguese() {
    QFETCH(DWORD, code);
    FileBytes::write(ini(), kOld);
    const SystemCalls restore;
    failure = code;
    WindowsFileCalls::current().replace = failingReplace;

    WriteError why;
    QVERIFY(!AtomicFile::write(ini(), kNew, &why));
    QTEST(why.text("C:\\RUV\\ruv.ini"), "text");
    QCOMPARE(FileBytes::read(ini()), kOld);
    QCOMPARE(folder(), QStringList{"ruv.ini"});
}

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "tst_atomicfile_windows.moc"
