#include "check/CheckOptions.h"

#include <QtTest>

class TestCheckOptions : public QObject {
    Q_OBJECT

private slots:
    void parse_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("ini");
        QTest::addColumn<bool>("json");
        QTest::addColumn<bool>("help");
        QTest::addColumn<bool>("refused");
        QTest::newRow("check") << QStringList{"--check"} << "" << false << false << false;
        QTest::newRow("any order") << QStringList{"--json", "--ini", "/x/ruv.ini", "--check"}
                                   << "/x/ruv.ini" << true << false << false;
        QTest::newRow("help") << QStringList{"--check", "--help"} << "" << false << true << false;
        QTest::newRow("ini without file")
            << QStringList{"--check", "--ini"} << "" << false << false << true;
        QTest::newRow("empty file name")
            << QStringList{"--check", "--ini", ""} << "" << false << false << true;
        QTest::newRow("two files")
            << QStringList{"--check", "--ini", "a", "--ini", "b"} << "a" << false << false << true;
        QTest::newRow("unknown") << QStringList{"--check", "--xml"} << "" << false << false << true;
        QTest::newRow("no check") << QStringList{"--json"} << "" << true << false << true;
    }

    void parse() {
        QFETCH(QStringList, arguments);
        const CheckOptions options = CheckOptions::parse(arguments);
        QTEST(options.ini, "ini");
        QTEST(options.json, "json");
        QTEST(options.help, "help");
        QTEST(!options.erro.isEmpty(), "refused");
    }
};

QTEST_APPLESS_MAIN(TestCheckOptions)
#include "tst_CheckOptions.moc"
