#include "funcoes/funcoes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Records what the started program saw: its working folder, whether it leads
// a session of its own, whether it got the test's open descriptor, and its
// arguments one per line. While the file "fechado" exists beside it, it waits.
const char kScript[] = R"(#!/bin/sh
dir=$(dirname "$0")
while [ -e "$dir/fechado" ]; do sleep 0.02; done
[ -n "$PARVEL_SLEEP" ] && sleep "$PARVEL_SLEEP"
read -r _ _ _ _ _ sid _ < /proc/$$/stat
{
  pwd -P
  [ "$sid" = "$$" ] && echo nova-sessao || echo mesma-sessao
  [ -e "/proc/$$/fd/$PARVEL_FD" ] && echo herdado || echo nao-herdado
  for a in "$@"; do printf '[%s]\n' "$a"; done
} > "$dir/registro.tmp"
mv "$dir/registro.tmp" "$dir/registro"
)";

bool noChildLeft() {
    return ::waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD;
}

} // namespace

class TestExecutaPrograma : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startsWithFolderAndArguments_data();
    void startsWithFolderAndArguments();
    void workingFolderEndsAtEitherSeparator();
    void withoutWaitReturnsAtOnceAndLeavesNoZombie();
    void boundedWaitKeepsCallingBack();
    void boundedWaitGivesUpAndLeavesNoZombie();
    void cannotStart_data();
    void cannotStart();

private:
    QStringList record() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder; // with a blank, an accent and shell syntax in its name
    QString m_program;
    int m_openFd = -1;
};

void TestExecutaPrograma::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_folder = QDir(m_dir->path()).canonicalPath() + "/pasta $(touch injetado) ção/";
    QVERIFY(QDir().mkpath(m_folder));
    m_program = m_folder + "grava.sh";
    QFile script(m_program);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(kScript);
    script.close();
    QVERIFY(script.setPermissions(script.permissions() | QFile::ExeOwner));
    // A descriptor the parent leaves open and inheritable.
    m_openFd = ::open("/dev/null", O_RDONLY);
    QVERIFY(m_openFd >= 0);
    qputenv("PARVEL_FD", QByteArray::number(m_openFd));
}

void TestExecutaPrograma::cleanup() {
    ::close(m_openFd);
    qunsetenv("PARVEL_SLEEP");
}

QStringList TestExecutaPrograma::record() const {
    QFile file(m_folder + "registro");
    if (!file.open(QIODevice::ReadOnly))
        return {"<sem registro>"};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

void TestExecutaPrograma::startsWithFolderAndArguments_data() {
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QStringList>("received");
    QTest::newRow("one argument") << "stop" << QStringList{"[stop]"};
    QTest::newRow("blank arguments text adds nothing") << "  \t " << QStringList{};
    QTest::newRow("empty arguments text") << "" << QStringList{};
    QTest::newRow("blanks around are separators") << " start " << QStringList{"[start]"};
    QTest::newRow("quotes and escapes as on Windows")
        << R"(a "b c" d\"e)" << QStringList{"[a]", "[b c]", R"([d"e])"};
    QTest::newRow("no shell") << "stop; touch injetado $(touch injetado)"
                              << QStringList{"[stop;]", "[touch]", "[injetado]", "[$(touch]",
                                             "[injetado)]"};
}

void TestExecutaPrograma::startsWithFolderAndArguments() {
    QFETCH(QString, arguments);
    QFETCH(QStringList, received);
    qputenv("PARVEL_SLEEP", "0.2");

    // With the wait flag the record is complete when the call returns.
    QVERIFY(ExecutaPrograma(m_program, arguments, 0, true));
    const QString folder = m_folder.chopped(1);
    QCOMPARE(record(), QStringList({folder, "nova-sessao", "nao-herdado"}) + received);
    QVERIFY(noChildLeft());
    const QStringList everything =
        QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    QVERIFY(!everything.contains("injetado"));
    QVERIFY(!QDir(m_folder).exists("injetado"));
}

// A Windows path such as C:\Firebird\bin\instsvc.exe keeps its folder here:
// "bin\grava.sh" is a file of the test folder whose folder part names the
// folder "bin\" beside it.
void TestExecutaPrograma::workingFolderEndsAtEitherSeparator() {
    QVERIFY(QDir(m_folder).mkdir("bin\\"));
    const QString program = m_folder + "bin\\grava.sh";
    QVERIFY(QFile::copy(m_program, program));

    QVERIFY(ExecutaPrograma(program, "stop", 0, true));
    QCOMPARE(record().first(), m_folder + "bin\\");
}

void TestExecutaPrograma::withoutWaitReturnsAtOnceAndLeavesNoZombie() {
    QFile gate(m_folder + "fechado");
    QVERIFY(gate.open(QIODevice::WriteOnly));
    gate.close();

    QVERIFY(ExecutaPrograma(m_program, "stop", 0, false));
    // The program is still held at the gate, yet the call has returned and
    // nothing of ours is left to reap.
    QVERIFY(!QFile::exists(m_folder + "registro"));
    QVERIFY(noChildLeft());

    QVERIFY(gate.remove());
    QTRY_COMPARE_WITH_TIMEOUT(record().size(), 4, 10000);
    QCOMPARE(record().last(), "[stop]");
}

// The caller keeps its windows painted while the program runs, and goes on once it
// has ended.
void TestExecutaPrograma::boundedWaitKeepsCallingBack() {
    qputenv("PARVEL_SLEEP", "0.3");
    int calls = 0;
    QElapsedTimer clock;
    clock.start();

    QCOMPARE(ExecutaProgramaComLimite(m_program, "stop", 0, 10000, [&calls] { ++calls; }),
             platform::ProcessEnd::Ended);

    QCOMPARE(record().last(), "[stop]");
    QVERIFY2(calls >= 5, qPrintable(QString::number(calls)));
    QVERIFY(clock.elapsed() < 5000);
    QVERIFY(noChildLeft());
    QCOMPARE(ExecutaProgramaComLimite(m_folder + "nao-existe", "stop", 0, 10000, [] {}),
             platform::ProcessEnd::NotStarted);
}

// A program that outlasts the bound is left running; once it ends nothing of ours
// is left to reap.
void TestExecutaPrograma::boundedWaitGivesUpAndLeavesNoZombie() {
    QFile gate(m_folder + "fechado");
    QVERIFY(gate.open(QIODevice::WriteOnly));
    gate.close();
    QElapsedTimer clock;
    clock.start();

    QCOMPARE(ExecutaProgramaComLimite(m_program, "start", 0, 300, [] {}),
             platform::ProcessEnd::StillRunning);

    QVERIFY(clock.elapsed() >= 300);
    QVERIFY(clock.elapsed() < 5000);
    QVERIFY(!QFile::exists(m_folder + "registro"));
    QVERIFY(gate.remove());
    QTRY_COMPARE_WITH_TIMEOUT(record().size(), 4, 10000);
    QTRY_VERIFY(noChildLeft());
}

void TestExecutaPrograma::cannotStart_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<bool>("executable");
    QTest::addColumn<bool>("wait");
    QTest::newRow("missing file") << "nao-existe" << QByteArray() << false << false;
    QTest::newRow("missing file, waiting") << "nao-existe" << QByteArray() << false << true;
    QTest::newRow("no execute permission") << "texto.sh" << QByteArray(kScript) << false << false;
    QTest::newRow("not a program") << "lixo.exe" << QByteArray("MZ\x90\0lixo", 8) << true << false;
    QTest::newRow("a folder") << "" << QByteArray() << false << false;
}

void TestExecutaPrograma::cannotStart() {
    QFETCH(QString, name);
    QFETCH(QByteArray, contents);
    QFETCH(bool, executable);
    QFETCH(bool, wait);
    const QString path = m_folder + name;
    if (!contents.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
        QVERIFY(file.setPermissions(executable ? QFile::ReadOwner | QFile::ExeOwner
                                               : QFile::ReadOwner | QFile::WriteOwner));
    }

    QVERIFY(!ExecutaPrograma(path, "stop", 0, wait));
    QVERIFY(noChildLeft());
}

QTEST_GUILESS_MAIN(TestExecutaPrograma)
#include "tst_executaprograma.moc"
