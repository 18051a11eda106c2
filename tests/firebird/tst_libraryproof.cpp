// The client library is loaded in a child process before the program loads it:
// damaged libraries end the child, not the program, and say why.
#include "FileBytes.h"
#include "firebird/FirebirdError.h"
#include "firebird/FirebirdLibrary.h"
#include "firebird/LibraryProof.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

namespace {

const QString damaged = QStringLiteral("a biblioteca está danificada (");

// What a crash in the library's start-up code gives: on Windows the loader
// catches it and refuses the library.
#ifdef _WIN32
const QString crashed =
    QStringLiteral("ela falhou ao iniciar com um acesso inválido à memória (erro 998 do Windows)");
#else
const QString crashed = damaged + QStringLiteral("a carga de prova terminou com o sinal SIGSEGV)");
#endif

// The real library's first 4 KiB (its header and segment table, which pass
// the format checks), then random bytes up to its own size.
QByteArray randomAfterHeader(quint32 seed) {
    QByteArray bytes = FileBytes::read(SYSTEM_CLIENT);
    QRandomGenerator random(seed);
    for (qsizetype i = 4096; i < bytes.size(); ++i)
        bytes[i] = char(random.bounded(256));
    return bytes;
}

} // namespace

class TestLibraryProof : public QObject {
    Q_OBJECT

private slots:
    void init();
    void realLibraryPasses();
    void damagedLibraryIsRefused_data();
    void damagedLibraryIsRefused();
    void replacedFileIsProvedAgain();
    void loadRefusedWithTheReason();

private:
    QString copy(const QByteArray& bytes);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestLibraryProof::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

// A fresh copy each time: a file proved once is not proved again.
QString TestLibraryProof::copy(const QByteArray& bytes) {
    const QString path = m_dir->filePath("fbclient.dll");
    FileBytes::write(path, bytes);
    return path;
}

// The cost of the proof, measured on fresh copies of the machine's library.
void TestLibraryProof::realLibraryPasses() {
    QList<qint64> costs;
    for (int round = 0; round < 5; ++round) {
        QTemporaryDir dir;
        const QString path = dir.filePath("fbclient.dll");
        QVERIFY(QFile::copy(SYSTEM_CLIENT, path));
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(FirebirdLibrary::problem(path), QString());
        costs << clock.elapsed();
    }
    std::sort(costs.begin(), costs.end());
    qInfo("proof of the machine's client library: %lld ms median, %lld..%lld ms", costs[2],
          costs.first(), costs.last());
}

void TestLibraryProof::damagedLibraryIsRefused_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    QTest::newRow("start-up code writes through a null pointer")
        << FileBytes::read(CRASHES_ON_LOAD) << crashed;
    QTest::newRow("constructor ends the process")
        << FileBytes::read(EXITS_ON_LOAD)
        << damaged + "a carga de prova encerrou o processo com o código 3)";
    QTest::newRow("constructor never returns")
        << FileBytes::read(HANGS_ON_LOAD)
        << damaged + "a carga de prova não terminou em 5 segundos)";
    QTest::newRow("an entry point missing") << FileBytes::read(WITHOUT_SERVICE_QUERY)
                                            << damaged + "não tem a função \"isc_service_query\")";
    for (const quint32 seed : {1u, 2u, 3u})
        QTest::addRow("random bytes after a real header, fill %u", seed)
            << randomAfterHeader(seed) << damaged;
}

// The test program is the one that stays up; the reason is the child's.
void TestLibraryProof::damagedLibraryIsRefused() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    const QString path = copy(bytes);

    const QString problem = FirebirdLibrary::problem(path);

    qInfo("%s", qPrintable(problem));
    QVERIFY2(reason.endsWith(')') ? problem == reason : problem.startsWith(reason),
             qPrintable(problem));
    QCOMPARE(FileBytes::read(path), bytes);
}

// The same name with other bytes behind it is proved anew.
void TestLibraryProof::replacedFileIsProvedAgain() {
    const QString path = copy(FileBytes::read(STAND_IN));
    QCOMPARE(FirebirdLibrary::problem(path), QString());
    QVERIFY(QFile::remove(path));
    QVERIFY(QFile::copy(CRASHES_ON_LOAD, path));

    QCOMPARE(FirebirdLibrary::problem(path), crashed);
}

void TestLibraryProof::loadRefusedWithTheReason() {
    const QString path = copy(FileBytes::read(CRASHES_ON_LOAD));
    try {
        FirebirdLibrary library(path);
        QFAIL("the damaged library was loaded");
    } catch (const FirebirdError& error) {
        QCOMPARE(error.text(), "A biblioteca de conexão \"" + path +
                                   "\" não pode ser carregada: " + crashed + ".");
    }
}

QTEST_GUILESS_MAIN(TestLibraryProof)
#include "tst_libraryproof.moc"
