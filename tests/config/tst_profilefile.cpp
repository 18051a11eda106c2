#include "FileBytes.h"
#include "Tmpfs.h"
#include "config/ProfileFile.h"
#include "funcoes/AppError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace {

const QByteArray kStored = "; mantido\n[RUV]\nServidor=antigo\n\n[OUTRA]\nX=1";

// The operator's text of a refused write of `path`.
QString refusal(const QString& path, const QString& reason) {
    return "Não foi possível gravar o arquivo \"" + path + "\": " + reason + '.';
}

// The text of the error a write of `path` throws; empty when it throws none.
QString writeError(const QString& path) {
    try {
        ProfileFile(path).writeString("RUV", "Servidor", "novo");
    } catch (const AppError& error) {
        return error.text();
    }
    return QString();
}

} // namespace

class TestProfileFile : public QObject {
    Q_OBJECT

private slots:
    void init();
    void missingFileGivesDefaults();
    void readInteger_data();
    void readInteger();
    void writesCreateFileInFirstWriteOrder();
    void writeKeepsUntouchedBytes();
    void everyReadSeesTheFileAsItIs();
    void windows1252RoundTrip();
    void fileWithMarkKeepsItsFirstSection_data();
    void fileWithMarkKeepsItsFirstSection();
    void writeStringsGivesTheBytesOfOneWritePerEntry_data();
    void writeStringsGivesTheBytesOfOneWritePerEntry();
    void refusedWriteLeavesFileUnchanged_data();
    void refusedWriteLeavesFileUnchanged();
    void fullDiskLeavesFileUnchanged();
    void readOnlyMountRefusesWrite();
    void fileExistsAndDelete();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString ini() const { return m_dir->filePath("ruv.ini"); }
};

void TestProfileFile::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestProfileFile::missingFileGivesDefaults() {
    const ProfileFile file(ini());
    QCOMPARE(file.path(), ini());
    QCOMPARE(file.readString("RUV", "PORTACON", "3055"), "3055");
    QCOMPARE(file.readInteger("RUV", "Tipo_Conexao_Servidor", 7), 7);
    QVERIFY(!QFile::exists(ini()));
}

void TestProfileFile::readInteger_data() {
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("expected");
    QTest::newRow("decimal") << QByteArray("1") << 1;
    QTest::newRow("negative") << QByteArray("-12") << -12;
    QTest::newRow("hex lower prefix") << QByteArray("0x1F") << 31;
    QTest::newRow("hex upper prefix") << QByteArray("0XfF") << 255;
    QTest::newRow("blanks around") << QByteArray("  42  ") << 42;
    QTest::newRow("prefix alone is no number") << QByteArray("0x") << -1;
    QTest::newRow("hex digits without prefix") << QByteArray("1F") << -1;
    QTest::newRow("sign after the hex prefix") << QByteArray("0x-1") << -1;
    QTest::newRow("double prefix") << QByteArray("0x0x1") << -1;
    QTest::newRow("text") << QByteArray("LOCAL") << -1;
    QTest::newRow("empty") << QByteArray("") << -1;
    QTest::newRow("too large") << QByteArray("2147483648") << -1;
    QTest::newRow("largest") << QByteArray("2147483647") << 2147483647;
    QTest::newRow("smallest") << QByteArray("-2147483648") << int(-2147483647 - 1);
}

void TestProfileFile::readInteger() {
    QFETCH(QByteArray, stored);
    QFETCH(int, expected);
    FileBytes::write(ini(), "[RUV]\r\nTipo=" + stored + "\r\n");
    QCOMPARE(ProfileFile(ini()).readInteger("ruv", "TIPO", -1), expected);
}

void TestProfileFile::writesCreateFileInFirstWriteOrder() {
    ProfileFile file(ini());
    file.writeString("RUV", "Servidor", "10.0.0.1");
    file.writeString("PUX", "Servidor", "");
    file.writeString("RUV", "PORTACON", "3050");
    file.writeString("ruv", "servidor", "10.0.0.2");
    QCOMPARE(FileBytes::read(ini()),
             QByteArray("[RUV]\r\nServidor=10.0.0.2\r\nPORTACON=3050\r\n[PUX]\r\nServidor=\r\n"));
    QCOMPARE(file.readString("PUX", "Servidor", "padrão"), "");
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"ruv.ini"});
}

void TestProfileFile::writeKeepsUntouchedBytes() {
    FileBytes::write(ini(), kStored);
    ProfileFile(ini()).writeString("OUTRA", "Y", "2");
    QCOMPARE(FileBytes::read(ini()), kStored + "\r\nY=2\r\n");
}

void TestProfileFile::everyReadSeesTheFileAsItIs() {
    const ProfileFile file(ini());
    QCOMPARE(file.readString("RUV", "Servidor", "x"), "x");
    FileBytes::write(ini(), kStored);
    QCOMPARE(file.readString("RUV", "Servidor", "x"), "antigo");
}

void TestProfileFile::windows1252RoundTrip() {
    const QString folder = QString::fromUtf8("C:\\Configurações\\Ação€\\");
    ProfileFile(ini()).writeString("RUV", "Caminho_Base_Dados", folder);
    QVERIFY(FileBytes::read(ini()).contains("C:\\Configura\xe7\xf5"
                                            "es\\A\xe7\xe3o\x80\\\r\n"));
    QCOMPARE(ProfileFile(ini()).readString("RUV", "Caminho_Base_Dados", ""), folder);
}

void TestProfileFile::fileWithMarkKeepsItsFirstSection_data() {
    QTest::addColumn<QByteArray>("mark");
    QTest::addColumn<bool>("utf16");
    QTest::newRow("UTF-8") << QByteArray("\xEF\xBB\xBF") << false;
    QTest::newRow("UTF-16 little-endian") << QByteArray("\xFF\xFE") << true;
}

// Text editors put a mark before the first section; the RUV programs skip it,
// and read and write a UTF-16 file in UTF-16.
void TestProfileFile::fileWithMarkKeepsItsFirstSection() {
    QFETCH(QByteArray, mark);
    QFETCH(bool, utf16);
    const auto stored = [&](const QString& text) {
        if (!utf16)
            return mark + text.toUtf8();
        QByteArray bytes = mark;
        for (const QChar unit : text)
            bytes += char(unit.unicode() & 0xFF) + QByteArray(1, char(unit.unicode() >> 8));
        return bytes;
    };
    FileBytes::write(ini(), stored("[RUV]\r\nServidor=\"Ação\"\r\n"));
    ProfileFile file(ini());
    QCOMPARE(file.readString("RUV", "Servidor", "padrão"), "Ação");
    file.writeString("RUV", "PORTACON", "3050");
    QCOMPARE(FileBytes::read(ini()), stored("[RUV]\r\nServidor=\"Ação\"\r\nPORTACON=3050\r\n"));
}

void TestProfileFile::writeStringsGivesTheBytesOfOneWritePerEntry_data() {
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("no file") << QByteArray("<none>");
    QTest::newRow("other sections, LF ends, no final line end")
        << QByteArray("; topo\n[OUTRA]\nX=1\n\n[PUX]\nservidor=a");
    QTest::newRow("UTF-8 mark, keys in other case, a second section of the same name")
        << QByteArray("\xEF\xBB\xBF[ruv]\r\nPORTACON=1\r\n[RUV]\r\nIPDS=x\r\n");
}

// A save's entries go in one replace; the file must still end up as the
// key-by-key writes leave it, new keys in their first-write order included.
void TestProfileFile::writeStringsGivesTheBytesOfOneWritePerEntry() {
    QFETCH(QByteArray, stored);
    const QList<ProfileFile::Entry> entries{
        {"RUV", "Servidor", "10.0.0.1"}, {"RUV", "PORTACON", "3050"},
        {"PUX", "Servidor", ""},         {"RUV", "IPDS", "\"citado\""},
        {"ruv", "SERVIDOR", "10.0.0.2"}, {"RUV_ANEXO", "Servidor", "Ação"}};
    const QString oneByOne = m_dir->filePath("um-a-um.ini");
    if (stored != "<none>") {
        FileBytes::write(ini(), stored);
        FileBytes::write(oneByOne, stored);
    }

    ProfileFile(ini()).writeStrings(entries);
    ProfileFile single(oneByOne);
    for (const ProfileFile::Entry& entry : entries)
        single.writeString(entry.section, entry.key, entry.value);

    QCOMPARE(FileBytes::read(ini()), FileBytes::read(oneByOne));
}

void TestProfileFile::refusedWriteLeavesFileUnchanged_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    const QString notAFile =
        QStringLiteral("o nome não é de um arquivo comum (é uma pasta ou um arquivo especial)");
    QTest::newRow("all write bits off")
        << "ruv.ini"
        << "read-only"
        << "o usuário não tem permissão de acesso ao arquivo ou à pasta dele";
    QTest::newRow("a folder in its place") << "ruv.ini"
                                           << "folder" << notAFile;
#ifndef Q_OS_WIN
    QTest::newRow("a named pipe in its place") << "ruv.ini"
                                               << "fifo" << notAFile;
#endif
    QTest::newRow("missing folder") << "nao/existe/ruv.ini"
                                    << "none"
                                    << "a pasta do arquivo não existe";
}

// The reason in Portuguese with the file's full name; the file is not touched.
void TestProfileFile::refusedWriteLeavesFileUnchanged() {
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    const QString path = m_dir->filePath(name);
    if (kind == "folder")
        QVERIFY(QDir().mkdir(path));
    if (kind == "read-only") {
        FileBytes::write(path, kStored);
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
    }
#ifndef Q_OS_WIN
    if (kind == "fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
#endif

    QCOMPARE(writeError(path), refusal(path, reason));
    if (kind == "read-only")
        QCOMPARE(FileBytes::read(path), kStored);
    QCOMPARE(QFileInfo(path).isDir(), kind == "folder");
}

void TestProfileFile::fullDiskLeavesFileUnchanged() {
    if (!Tmpfs::supported())
        QSKIP("no tmpfs on this system");
    Tmpfs tmpfs(m_dir->path());
    QVERIFY2(tmpfs.mounted(), "mounting a tmpfs needs root");
    const QByteArray big = kStored + "\r\n" + QByteArray(20000, ';');
    FileBytes::write(ini(), big);
    // Nothing is left, so no temporary copy fits beside the file.
    tmpfs.fill();

    QCOMPARE(writeError(ini()), refusal(ini(), "não há espaço livre no disco"));
    QCOMPARE(FileBytes::read(ini()), big);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({"filler", "ruv.ini"}));
}

void TestProfileFile::readOnlyMountRefusesWrite() {
    if (!Tmpfs::supported())
        QSKIP("no tmpfs on this system");
    Tmpfs tmpfs(m_dir->path());
    QVERIFY2(tmpfs.mounted(), "mounting a tmpfs needs root");
    FileBytes::write(ini(), kStored);
    QVERIFY(tmpfs.remountReadOnly());

    QCOMPARE(writeError(ini()), refusal(ini(), "o disco está somente para leitura"));
    QCOMPARE(FileBytes::read(ini()), kStored);
    QCOMPARE(ProfileFile(ini()).readString("RUV", "Servidor", ""), "antigo");
}

void TestProfileFile::fileExistsAndDelete() {
    QVERIFY(!ProfileFile::fileExists(ini()));
    ProfileFile::deleteFile(ini());
    FileBytes::write(ini(), "");
    QVERIFY(ProfileFile::fileExists(ini()));
    QVERIFY(!ProfileFile::fileExists(m_dir->path()));
    ProfileFile::deleteFile(ini());
    QVERIFY(!QFile::exists(ini()));
    ProfileFile::deleteFile(m_dir->path());
    QVERIFY(QDir(m_dir->path()).exists());
}

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
