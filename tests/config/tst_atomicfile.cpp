#include "FileBytes.h"
#include "Tmpfs.h"
#include "config/AtomicFile.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QByteArray kOld = "[RUV]\r\nServidor=antigo\r\n";
const QByteArray kNew = "[RUV]\r\nServidor=novo\r\n";

struct Owner {
    uid_t uid;
    gid_t gid;
};

// "user:group" with names from the system's databases.
Owner owner(const QString& names) {
    const QStringList parts = names.split(':');
    const passwd* user = ::getpwnam(qPrintable(parts[0]));
    const group* grp = ::getgrnam(qPrintable(parts[1]));
    return {user ? user->pw_uid : uid_t(-1), grp ? grp->gr_gid : gid_t(-1)};
}

bool give(const QString& path, const QString& names, mode_t mode) {
    const Owner o = owner(names);
    const QByteArray name = QFile::encodeName(path);
    return ::chown(name, o.uid, o.gid) == 0 && ::chmod(name, mode) == 0;
}

struct stat statOf(const QString& path) {
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info;
}

// The store's write of a value (kNew's by default) as "user:group" (root when
// empty), in a process of its own, as a user would start the program. A refused
// write's text goes to `refusal`.
bool writeAs(const QString& user, const QString& path, const QString& value = "novo",
             QString* refusal = nullptr) {
    QStringList command{PROFILEWRITE, path, "RUV", "Servidor", value};
    if (!user.isEmpty()) {
        const QStringList ids = user.split(':');
        command =
            QStringList{"setpriv", "--reuid=" + ids[0], "--regid=" + ids[1], "--init-groups"} +
            command;
    }
    const QString program = command.takeFirst();
    QProcess process;
    process.start(program, command);
    const bool finished = process.waitForFinished();
    if (refusal)
        *refusal = QString::fromUtf8(process.readAllStandardError()).trimmed();
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

class TestAtomicFile : public QObject {
    Q_OBJECT

private slots:
    void init();
    void keepsOwnerAndMode_data();
    void keepsOwnerAndMode();
    void keepsLinks_data();
    void keepsLinks();
    void refusedUserIsToldWhy_data();
    void refusedUserIsToldWhy();
    void inPlaceWriteOnAFullDiskLeavesTheFileWhole();
    void interruptedWriteLeavesNoDebris();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;
};

// The cases that hand files to other users or mount a disk need root and fail
// without it; the others run as whoever runs the suite.
void TestAtomicFile::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // Other users must reach the folder below.
    QCOMPARE(::chmod(QFile::encodeName(m_dir->path()).constData(), 0755), 0);
    m_folder = m_dir->filePath("pasta");
    QVERIFY(QDir().mkdir(m_folder));
}

void TestAtomicFile::keepsOwnerAndMode_data() {
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("folderOwner");
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<QString>("fileOwner");
    QTest::addColumn<int>("fileMode");
    QTest::addColumn<bool>("written");
    QTest::addColumn<bool>("replaced");

    QTest::newRow("root saves another user's private file")
        << ""
        << "root:root" << 0755 << "nobody:nogroup" << 0640 << true << true;
    QTest::newRow("root saves a file whose owner may not write it")
        << ""
        << "root:root" << 0755 << "root:root" << 0464 << true << true;
    QTest::newRow("owner saves his own private file")
        << "nobody:nogroup"
        << "nobody:nogroup" << 0755 << "nobody:nogroup" << 0600 << true << true;
    QTest::newRow("group member saves another user's file")
        << "nobody:nogroup"
        << "root:root" << 0777 << "daemon:nogroup" << 0664 << true << false;
    QTest::newRow("folder refuses new files, the file is writable")
        << "nobody:nogroup"
        << "root:root" << 0755 << "nobody:nogroup" << 0644 << true << false;
    QTest::newRow("file the user may not write")
        << "nobody:nogroup"
        << "root:root" << 0777 << "daemon:daemon" << 0644 << false << false;
}

void TestAtomicFile::keepsOwnerAndMode() {
    QFETCH(QString, user);
    QFETCH(QString, folderOwner);
    QFETCH(int, folderMode);
    QFETCH(QString, fileOwner);
    QFETCH(int, fileMode);
    QFETCH(bool, written);
    QFETCH(bool, replaced);
    QVERIFY2(::geteuid() == 0, "handing files to other users needs root");
    const QString ini = m_folder + "/ruv.ini";
    FileBytes::write(ini, kOld);
    QVERIFY(give(ini, fileOwner, fileMode));
    QVERIFY(give(m_folder, folderOwner, folderMode));
    const struct stat before = statOf(ini);

    QCOMPARE(writeAs(user, ini), written);

    QCOMPARE(FileBytes::read(ini), written ? kNew : kOld);
    const struct stat after = statOf(ini);
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_ino != before.st_ino, replaced);
    QCOMPARE(filesIn(m_folder), QStringList{"ruv.ini"});
}

void TestAtomicFile::refusedUserIsToldWhy_data() {
    QTest::addColumn<bool>("fileExists");
    QTest::newRow("another user's file") << true;
    QTest::newRow("a new file in another user's folder") << false;
}

// The system's refusal (EACCES for the new file) and the store's own for a file
// the user may not write read the same.
void TestAtomicFile::refusedUserIsToldWhy() {
    QFETCH(bool, fileExists);
    const QString ini = m_folder + "/ruv.ini";
    if (fileExists) {
        FileBytes::write(ini, kOld);
        QVERIFY(give(ini, "daemon:daemon", 0644));
    }
    QVERIFY(give(m_folder, "root:root", 0755));
    QString refusal;

    QVERIFY(!writeAs("nobody:nogroup", ini, "novo", &refusal));

    QCOMPARE(refusal, "Não foi possível gravar o arquivo \"" + ini +
                          "\": o usuário não tem permissão de acesso ao arquivo ou à pasta dele.");
    QCOMPARE(filesIn(m_folder), fileExists ? QStringList{"ruv.ini"} : QStringList{});
}

void TestAtomicFile::keepsLinks_data() {
    QTest::addColumn<bool>("hardLink");
    QTest::newRow("second name of the same file") << true;
    QTest::newRow("symbolic link") << false;
}

void TestAtomicFile::keepsLinks() {
    QFETCH(bool, hardLink);
    const QString file = m_folder + "/alvo.ini";
    const QString link = m_folder + "/ruv.ini";
    FileBytes::write(file, kOld);
    const QByteArray fileName = QFile::encodeName(file);
    QVERIFY(hardLink ? ::link(fileName, QFile::encodeName(link)) == 0
                     : QFile::link("alvo.ini", link));

    QVERIFY(AtomicFile::write(link, kNew));

    QCOMPARE(FileBytes::read(file), kNew);
    QCOMPARE(FileBytes::read(link), kNew);
    QCOMPARE(S_ISLNK(statOf(link).st_mode), !hardLink);
    QCOMPARE(statOf(file).st_nlink, nlink_t(hardLink ? 2 : 1));
    QCOMPARE(filesIn(m_folder), QStringList({"alvo.ini", "ruv.ini"}));
}

void TestAtomicFile::inPlaceWriteOnAFullDiskLeavesTheFileWhole() {
    Tmpfs tmpfs(m_folder);
    QVERIFY2(tmpfs.mounted(), "mounting a tmpfs needs root");
    const QString ini = m_folder + "/ruv.ini";
    const QByteArray big = kOld + QByteArray(20000, ';');
    FileBytes::write(ini, big);
    QVERIFY(give(ini, "nobody:nogroup", 0644));
    tmpfs.fill();
    // The user may not create files here, so the write goes into the file.
    QVERIFY(give(m_folder, "root:root", 0755));

    QVERIFY(!writeAs("nobody:nogroup", ini, QString(20000, u'v')));
    QCOMPARE(FileBytes::read(ini), big);
}

void TestAtomicFile::interruptedWriteLeavesNoDebris() {
    const QString ini = m_folder + "/ruv.ini";
    FileBytes::write(ini, kOld);
    // Files that only look alike, and the temporary of a write still running.
    const QStringList others{"ruv.ini.Xy12ab", "ruv.dat.parvel-tmp-Ab12cd",
                             "ruv.ini.parvel-tmp-toolong", "ruv.ini.parvel-tmp-run123"};
    for (const QString& name : others)
        FileBytes::write(m_folder + "/" + name, "x");
    QFile running(m_folder + "/ruv.ini.parvel-tmp-run123");
    QVERIFY(running.open(QIODevice::ReadOnly));
    QCOMPARE(::flock(running.handle(), LOCK_EX), 0);

    // The file size limit kills the writer with SIGXFSZ while it fills its
    // temporary: after the temporary's creation, before the rename.
    const QByteArray large = kNew + QByteArray(64 * 1024, ';');
    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        AtomicFile::write(ini, large);
        ::_exit(0);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFSIGNALED(status));
    QCOMPARE(WTERMSIG(status), SIGXFSZ);
    QCOMPARE(FileBytes::read(ini), kOld);
    QCOMPARE(filesIn(m_folder).size(), others.size() + 2);

    QVERIFY(AtomicFile::write(ini, kNew));
    QCOMPARE(FileBytes::read(ini), kNew);
    QStringList expected = others + QStringList{"ruv.ini"};
    expected.sort();
    QCOMPARE(filesIn(m_folder), expected);
}

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "tst_atomicfile.moc"
