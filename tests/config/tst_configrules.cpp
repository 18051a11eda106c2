#include "config/ConfigRules.h"

#include <QTest>

class TestConfigRules : public QObject {
    Q_OBJECT

private slots:
    void nomeDllCon_data();
    void nomeDllCon();
    void pastaPux_data();
    void pastaPux();
};

void TestConfigRules::nomeDllCon_data() {
    QTest::addColumn<QString>("pasta");
    QTest::addColumn<QString>("expected");
    QTest::newRow("maker folder") << "C:\\Firebird_Quorvane\\bin\\"
                                  << "fbclient.dll";
    QTest::newRow("version 2 folder") << "C:\\Program Files\\Firebird\\Firebird_2_5\\"
                                      << "fbclient.dll";
    QTest::newRow("inside the RUV7 folder") << "C:\\Quorvane\\RUV7\\"
                                            << "fbclient.dll";
    QTest::newRow("lower case is not the same") << "c:\\firebird_2_5\\"
                                                << "GDS32.DLL";
    QTest::newRow("forward slashes do not match") << "C:/Quorvane/RUV7/"
                                                  << "GDS32.DLL";
    QTest::newRow("other folder") << "C:\\Windows\\System32\\"
                                  << "GDS32.DLL";
    QTest::newRow("empty") << ""
                           << "GDS32.DLL";
}

void TestConfigRules::nomeDllCon() {
    QFETCH(QString, pasta);
    QFETCH(QString, expected);
    QCOMPARE(ConfigRules::nomeDllCon(pasta), expected);
}

void TestConfigRules::pastaPux_data() {
    QTest::addColumn<QString>("pasta");
    QTest::addColumn<QString>("expected");
    QTest::newRow("RUV7 folder") << "C:\\Quorvane\\RUV7\\"
                                 << "C:\\Quorvane\\PUX\\";
    QTest::newRow("anything after RUV7 is dropped") << "D:\\ruv7\\DADOS\\"
                                                    << "D:\\PUX\\";
    QTest::newRow("first RUV7 wins") << "\\\\srv\\RUV7A\\RUV7\\"
                                     << "\\\\srv\\PUX\\";
    QTest::newRow("no RUV7: whole trimmed folder and a backslash") << "  D:\\Dados\\ \t"
                                                                   << "D:\\Dados\\\\";
    QTest::newRow("Linux folder still gets a backslash") << "/srv/RUV7/"
                                                         << "/srv/PUX\\";
    QTest::newRow("RUV7 split by the end") << "D:\\RUV"
                                           << "D:\\RUV\\";
    QTest::newRow("empty") << ""
                           << "\\";
}

void TestConfigRules::pastaPux() {
    QFETCH(QString, pasta);
    QFETCH(QString, expected);
    QCOMPARE(ConfigRules::pastaPux(pasta), expected);
}

QTEST_GUILESS_MAIN(TestConfigRules)
#include "tst_configrules.moc"
