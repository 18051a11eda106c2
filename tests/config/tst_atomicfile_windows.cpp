#include "FileBytes.h"
#include "config/AtomicFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
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

} // namespace

// The store's atomic replace on Windows: the file's attributes survive it, the
// read-only attribute refuses it, and no temporary is left beside the file.
class TestAtomicFile : public QObject {
    Q_OBJECT

private slots:
    void init();
    void replaceKeepsAttributes_data();
    void replaceKeepsAttributes();
    void newFileTakesItsPlace();
    void readOnlyAttributeRefusesTheWrite();

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

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "tst_atomicfile_windows.moc"
