#include "funcoes/funcoes.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <windows.h>

// ExecutaPrograma on Windows, against "registra.exe" (built beside this test):
// the program records the command line, working folder, show state, console
// and inherited handle it was started with, and its process and thread ids
// (see registra.cpp).
class TestExecutaPrograma : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startsWithCommandLineAndFolder_data();
    void startsWithCommandLineAndFolder();
    void waitLastsUntilTheProgramEnds();
    void withoutWaitReturnsAtOnce();
    void cannotStart_data();
    void cannotStart();

private:
    QStringList record() const;
    static bool released(const QStringList& record);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;  // native, with its closing backslash, a blank and an accent
    QString m_program; // native
    HANDLE m_marker = INVALID_HANDLE_VALUE;
};

namespace {
constexpr int kMarkerSize = 4321;
}

void TestExecutaPrograma::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    const QString folder = m_dir->path() + "/pasta de programas ção";
    QVERIFY(QDir().mkpath(folder));
    m_folder = QDir::toNativeSeparators(folder) + u'\\';
    m_program = m_folder + "registra.exe";
    QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + "/registra.exe", m_program));

    // An inheritable handle on a marker file that the program looks for.
    const QString marker = QDir::toNativeSeparators(m_dir->filePath("marcador"));
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    m_marker = ::CreateFileW(reinterpret_cast<const wchar_t*>(marker.utf16()),
                             GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    QVERIFY(m_marker != INVALID_HANDLE_VALUE);
    const QByteArray bytes(kMarkerSize, 'x');
    DWORD written = 0;
    QVERIFY(::WriteFile(m_marker, bytes.data(), DWORD(bytes.size()), &written, nullptr));
    qputenv("PARVEL_HANDLE", QByteArray::number(quint64(quintptr(m_marker))));
    qputenv("PARVEL_HANDLE_SIZE", QByteArray::number(kMarkerSize));
}

void TestExecutaPrograma::cleanup() {
    ::CloseHandle(m_marker);
    qunsetenv("PARVEL_SLEEP");
}

QStringList TestExecutaPrograma::record() const {
    QFile file(m_folder + "registro");
    if (!file.open(QIODevice::ReadOnly))
        return {"<sem registro>"};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

// True once nothing holds the ended program's process and thread objects: the
// system frees them, and their ids no longer open, once the last handle is closed.
bool TestExecutaPrograma::released(const QStringList& record) {
    const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, record.value(5).toULong());
    const HANDLE thread = ::OpenThread(SYNCHRONIZE, FALSE, record.value(6).toULong());
    for (const HANDLE handle : {process, thread}) {
        if (handle)
            ::CloseHandle(handle);
    }
    return !process && !thread;
}

void TestExecutaPrograma::startsWithCommandLineAndFolder_data() {
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("tail"); // what follows the quoted program
    QTest::addColumn<int>("showState");
    QTest::newRow("one argument, hidden") << "stop"
                                          << " stop" << SW_HIDE;
    QTest::newRow("shown normally") << "start"
                                    << " start" << SW_SHOWNORMAL;
    QTest::newRow("blank arguments text adds nothing") << "  \t "
                                                       << "" << SW_HIDE;
    QTest::newRow("empty arguments text") << ""
                                          << "" << SW_HIDE;
    QTest::newRow("arguments go untrimmed") << " start "
                                            << "  start " << SW_HIDE;
    QTest::newRow("no quoting or escaping") << R"(a "b c" d\"e %PATH% & del x)"
                                            << R"( a "b c" d\"e %PATH% & del x)" << SW_HIDE;
}

void TestExecutaPrograma::startsWithCommandLineAndFolder() {
    QFETCH(QString, arguments);
    QFETCH(QString, tail);
    QFETCH(int, showState);

    QVERIFY(ExecutaPrograma(m_program, arguments, showState, true));
    // With the wait flag the record is complete when the call returns.
    const QStringList got = record();
    QCOMPARE(got.mid(0, 5),
             QStringList({u'"' + m_program + u'"' + tail, m_folder.chopped(1),
                          QString::number(showState), "console-propria", "nao-herdado"}));
    // The program has ended; the system tears it down once no handle holds it.
    QTRY_VERIFY_WITH_TIMEOUT(released(got), 5000);
}

void TestExecutaPrograma::waitLastsUntilTheProgramEnds() {
    qputenv("PARVEL_SLEEP", "400");
    QElapsedTimer timer;
    timer.start();
    QVERIFY(ExecutaPrograma(m_program, "stop", SW_HIDE, true));
    QVERIFY(timer.elapsed() >= 400);
    QCOMPARE(record().value(0), u'"' + m_program + "\" stop");
}

void TestExecutaPrograma::withoutWaitReturnsAtOnce() {
    QFile gate(m_folder + "fechado");
    QVERIFY(gate.open(QIODevice::WriteOnly));
    gate.close();
    QVERIFY(ExecutaPrograma(m_program, "stop", SW_HIDE, false));
    // The program is still held at the gate, yet the call has returned.
    QVERIFY(!QFile::exists(m_folder + "registro"));

    QVERIFY(gate.remove());
    QTRY_COMPARE_WITH_TIMEOUT(record().size(), 7, 10000);
    QCOMPARE(record().first(), u'"' + m_program + "\" stop");
    QTRY_VERIFY_WITH_TIMEOUT(released(record()), 5000);
}

void TestExecutaPrograma::cannotStart_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<bool>("wait");
    QTest::newRow("missing file") << "nao-existe.exe" << QByteArray() << false;
    QTest::newRow("missing file, waiting") << "nao-existe.exe" << QByteArray() << true;
    QTest::newRow("not a program") << "lixo.exe" << QByteArray("MZ\x90\0lixo", 8) << false;
    QTest::newRow("a folder") << "" << QByteArray() << false;
}

void TestExecutaPrograma::cannotStart() {
    QFETCH(QString, name);
    QFETCH(QByteArray, contents);
    QFETCH(bool, wait);
    const QString path = m_folder + name;
    if (!contents.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }

    QVERIFY(!ExecutaPrograma(path, "stop", SW_HIDE, wait));
}

QTEST_GUILESS_MAIN(TestExecutaPrograma)
#include "tst_executaprograma_windows.moc"
