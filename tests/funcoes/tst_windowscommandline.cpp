#include "funcoes/WindowsCommandLine.h"

#include <QTest>

class TestWindowsCommandLine : public QObject {
    Q_OBJECT

private slots:
    void split_data();
    void split();
};

void TestWindowsCommandLine::split_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("argv");
    QTest::newRow("quoted program alone")
        << R"("C:\Firebird\bin\instsvc.exe")" << QStringList{R"(C:\Firebird\bin\instsvc.exe)"};
    QTest::newRow("program and one argument")
        << R"("C:\Program Files\fb\instsvc.exe" stop)"
        << QStringList{R"(C:\Program Files\fb\instsvc.exe)", "stop"};
    QTest::newRow("blanks separate, runs of them once")
        << "p  a\t b   " << QStringList{"p", "a", "b"};
    QTest::newRow("quotes group") << R"(p "a b" c" d"e)" << QStringList{"p", "a b", "c de"};
    QTest::newRow("empty quotes are an empty argument") << R"(p "" x)" << QStringList{"p", "", "x"};
    QTest::newRow("backslashes without a quote are literal")
        << R"(p C:\dir\ a\\b)" << QStringList{"p", R"(C:\dir\)", R"(a\\b)"};
    QTest::newRow("escaped quote") << R"(p a\"b)" << QStringList{"p", R"(a"b)"};
    QTest::newRow("even backslashes before a quote")
        << R"(p "C:\dir\\" x)" << QStringList{"p", R"(C:\dir\)", "x"};
    QTest::newRow("odd backslashes before a quote") << R"(p a\\\"b)" << QStringList{"p", R"(a\"b)"};
    QTest::newRow("doubled quote inside quotes")
        << R"(p "a""b" c)" << QStringList{"p", R"(a"b)", "c"};
    QTest::newRow("program name takes no escapes")
        << R"("C:\dir\"x y)" << QStringList{R"(C:\dir\x)", "y"};
    QTest::newRow("unclosed quote runs to the end") << R"(p "a b)" << QStringList{"p", "a b"};
    QTest::newRow("shell syntax is plain text")
        << "p stop;touch /tmp/x $(id) `id` |cat"
        << QStringList{"p", "stop;touch", "/tmp/x", "$(id)", "`id`", "|cat"};
    QTest::newRow("empty line") << "" << QStringList{""};
}

void TestWindowsCommandLine::split() {
    QFETCH(QString, line);
    QFETCH(QStringList, argv);
    QCOMPARE(WindowsCommandLine::split(line), argv);
}

QTEST_GUILESS_MAIN(TestWindowsCommandLine)
#include "tst_windowscommandline.moc"
